// The file-exists and error dialogs: texts, dates and layout.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "CopyFixture.h"
#include "platform/core/DateFormat.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/WinPath.h"
#include "support/LocaleDates.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Errorincopy_form.h"
#include "transfer/Fileexists_form.h"

namespace {
struct DateFormats {
  DateFormats(const QString& date, const QString& time) {
    DateFormat::SetShortDateFormat(date);
    DateFormat::SetLongTimeFormat(time);
  }
  ~DateFormats() { DateFormat::ResetToSystem(); }
};
}  // namespace

TEST(FileExistsDates, MidnightAndOneDigitHoursAreFilledOut) {
  DateFormats f("dd.mm.yyyy", "h:nn:ss");
  EXPECT_EQ(TFormFileExists::FileDateText(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3))), "07.12.2026 09:05:03");
  EXPECT_EQ(TFormFileExists::FileDateText(QDateTime(QDate(2026, 12, 7), QTime(19, 5, 3))), "07.12.2026 19:05:03");
  EXPECT_EQ(TFormFileExists::FileDateText(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0))), "07.12.2026 00:00:00");
}

TEST(FileExistsDates, DatesOfEachLocaleKeepTheirHourAndReadBack) {
  const QDateTime morning(QDate(2026, 12, 8), QTime(9, 5, 6));
  const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0));
  for (const LocaleDates& l : FiveLocales()) {
    LocaleFormatsInForce formats(l);
    EXPECT_EQ(TFormFileExists::FileDateText(morning), QString::fromUtf8(l.Morning)) << l.Locale;
    EXPECT_EQ(TFormFileExists::FileDateText(midnight), QString::fromUtf8(l.Midnight)) << l.Locale;
    for (const QDateTime& value : {morning, midnight}) {
      QDateTime back;
      EXPECT_TRUE(DateFormat::TryStrToDateTime(TFormFileExists::FileDateText(value), back)) << l.Locale;
      EXPECT_EQ(back, value) << l.Locale;
    }
  }
}

using FileExistsDialog = CopyFixture;

TEST_F(FileExistsDialog, ShowsBothFilesAndLaysOutThreeColumns) {
  DateFormats f("dd.mm.yyyy", "hh:nn:ss");
  const QString source = "\\\\PC1\\docs\\r.txt";
  Net->AddFile(source, QByteArray(1234, 'x'), QDateTime(QDate(2025, 1, 2), QTime(3, 4, 6)));
  WriteLocal(Destination + "r.txt", "abc");

  TCopyFiles worker;  // never started
  worker.FSourceName = source;
  worker.FDestinationName = Destination + "r.txt";
  TFormFileExists dialog;
  dialog.FThread = &worker;
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "File already exists");
  EXPECT_EQ(dialog.LabelSourceName->text(), "Source: " + source);
  EXPECT_EQ(dialog.LabelSourceAttr->text(), "Size: 1234, Date: 02.01.2025 03:04:06");
  EXPECT_EQ(dialog.LabelDestinationName->text(), "Destination: " + Destination + "r.txt");
  EXPECT_TRUE(dialog.LabelDestinationAttr->text().startsWith("Size: 3, Date: "));
  EXPECT_EQ(dialog.ButtonReplace->x(), 8);
  EXPECT_EQ(dialog.ButtonSkip->x(), 145);
  EXPECT_EQ(dialog.ButtonAppend->x(), 282);
  EXPECT_EQ(dialog.ButtonReplaceAll->x(), 8);
  EXPECT_EQ(dialog.ButtonSkipAll->x(), 145);
  EXPECT_EQ(dialog.ButtonCancel->x(), 282);
  EXPECT_EQ(dialog.ButtonReplaceAll->text(), "Replace all");
  EXPECT_EQ(dialog.ButtonAppend->text(), "Append");
  EXPECT_FALSE(dialog.ButtonReplace->isDefault());

  // Closing it any other way than by an answer is Cancel.
  dialog.reject();
  EXPECT_EQ(worker.FFileExistsDecision, fdSkip);
  EXPECT_TRUE(worker.Terminated());
  EXPECT_FALSE(worker.FSkipAll);
  EXPECT_FALSE(worker.FReplaceAll);
}

namespace {
void PressKey(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}
}  // namespace

TEST_F(FileExistsDialog, EscAnswersNothingAndEnterPressesTheFocusedButton) {
  TCopyFiles worker;  // never started
  worker.FSourceName = "\\\\PC1\\docs\\missing.txt";
  worker.FDestinationName = Destination + "missing.txt";
  {
    TFormFileExists dialog;
    dialog.FThread = &worker;
    dialog.show();
    // Esc: no cancel button, so the copy goes on and the question stays.
    PressKey(dialog.ButtonReplace, Qt::Key_Escape);
    PressKey(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(worker.Terminated());
    // Enter presses the button that has the focus: Replace at first.
    EXPECT_EQ(dialog.focusWidget(), dialog.ButtonReplace);
    PressKey(dialog.ButtonReplace, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(worker.FFileExistsDecision, fdReplace);
    EXPECT_FALSE(worker.FReplaceAll);
    EXPECT_FALSE(worker.Terminated());
  }
  {
    TFormFileExists dialog;
    dialog.FThread = &worker;
    dialog.show();
    dialog.ButtonSkipAll->setFocus();
    PressKey(dialog.ButtonSkipAll, Qt::Key_Enter);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(worker.FFileExistsDecision, fdSkip);
    EXPECT_TRUE(worker.FSkipAll);
    EXPECT_FALSE(worker.Terminated());
  }
  {
    // The frame's close button still cancels the whole copy.
    TFormFileExists dialog;
    dialog.FThread = &worker;
    dialog.show();
    dialog.close();
    EXPECT_TRUE(worker.Terminated());
  }
}

TEST_F(FileExistsDialog, AFileThatCannotBeLookedUpShowsDashes) {
  EXPECT_EQ(TFormFileExists::FileAttrText("\\\\PC1\\docs\\missing.txt"), "Size: -, Date: -");
}

TEST_F(FileExistsDialog, TheErrorDialogIsAsWideAsItsTextAndCentresIt) {
  TCopyFiles worker;
  worker.FErrorText = "Fail to open file \\\\PC1\\docs\\" + QString(300, 'x') + ".txt";
  TFormErrorInCopy dialog;
  dialog.FThread = &worker;
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Error");
  EXPECT_EQ(dialog.LabelError->text(), worker.FErrorText);
  EXPECT_EQ(dialog.ButtonOk->text(), "Ok");
  EXPECT_EQ(dialog.width(), dialog.LabelError->width() + 40);
  EXPECT_EQ(dialog.LabelError->x(), (dialog.width() - dialog.LabelError->width()) / 2);
  EXPECT_EQ(dialog.ButtonOk->x(), (dialog.width() - dialog.ButtonOk->width()) / 2);
  dialog.ButtonOk->click();
  EXPECT_FALSE(dialog.isVisible());
}
