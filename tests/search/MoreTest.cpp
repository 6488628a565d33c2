// The extended-criteria dialog: its controls and their enabling, the number
// edits, validation, the "not older than" cut-off, and the saving, restoring
// and resetting of its state.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/Modal.h"
#include "support/LocaleDates.h"
#include "search/More.h"

namespace {

QDateTime At(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  return QDateTime(QDate(y, m, d), QTime(h, mi, s));
}

// Types text into a widget key by key, as the keyboard would.
void Type(QWidget* w, const QString& text) {
  for (QChar c : text) {
    const int key = c == QChar(8) ? int(Qt::Key_Backspace) : int(c.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

void Retype(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  Type(edit, text);
}

class MoreDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    DateFormat::SetShortDateFormat(QStringLiteral("dd.mm.yyyy"));
    DateFormat::SetLongTimeFormat(QStringLiteral("hh:mm:ss"));
    FOldLanguage = CurrentLanguage;
    CurrentLanguage = QStringLiteral("English");
    TextErrorsEnter = QStringLiteral("Input error");
    TextMessagesRetry = QStringLiteral("Repeat, please");
    Modal::SetResponder([this](const Modal::Request& r) {
      Requests.push_back(r);
      Modal::Answer a;
      a.result = mrOk;
      return a;
    });
    Form = std::make_unique<TFormMore>(nullptr);
  }
  void TearDown() override {
    Form.reset();
    Modal::SetResponder({});
    CurrentLanguage = FOldLanguage;
    DateFormat::ResetToSystem();
  }

  // Opens the dialog as the More command does (without a modal loop).
  void Open() {
    Form->show();
    QApplication::processEvents();
  }

  std::unique_ptr<TFormMore> Form;
  std::vector<Modal::Request> Requests;
  QString FOldLanguage;
};

}  // namespace

TEST_F(MoreDialog, StartsWithTheDesignStateAndEnglishCaptions) {
  TFormMore* f = Form.get();
  EXPECT_EQ(FormMore, f);
  EXPECT_EQ(f->objectName(), "FormMore");
  EXPECT_EQ(f->windowTitle(), "Extended search");
  EXPECT_EQ(f->CheckBoxTimeBetween->text(), "Date between");
  EXPECT_EQ(f->CheckBoxArchives->text(), "Search in archives");
  ASSERT_EQ(f->ComboBoxOld->count(), 3);
  EXPECT_EQ(f->ComboBoxOld->itemText(0), "day(s)");
  ASSERT_EQ(f->ComboBoxSize->count(), 4);
  EXPECT_EQ(f->ComboBoxSize->itemText(3), "Gbyte(s)");
  EXPECT_EQ(f->ComboBoxOper->currentIndex(), 0);
  EXPECT_EQ(f->width(), 446);
  EXPECT_EQ(f->height(), 257);

  for (QWidget* w : std::initializer_list<QWidget*>{f->MaskEditDown, f->LabelAnd, f->MaskEditUp, f->MaskEditNum,
                                                    f->UpDownOld, f->ComboBoxOld, f->ComboBoxOper,
                                                    f->MaskEditSize, f->UpDownSize, f->ComboBoxSize})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  for (QCheckBox* box : {f->CheckBoxReadOnly, f->CheckBoxHidden, f->CheckBoxSystem, f->CheckBoxArchive, f->CheckBoxDir}) {
    EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(box->isEnabled());
  }
  EXPECT_FALSE(f->CheckBoxArchives->isVisibleTo(f));
  EXPECT_EQ(f->MaskEditNum->text(), "1");
  EXPECT_EQ(f->MaskEditSize->text(), "1");
  EXPECT_EQ(f->UpDownOld->Min(), 1);
  EXPECT_EQ(f->UpDownOld->Max(), 100);
  EXPECT_EQ(f->UpDownOld->Position(), 1);
  EXPECT_EQ(f->UpDownSize->Min(), 0);
  EXPECT_EQ(f->UpDownSize->Max(), 1024);

  EXPECT_TRUE(f->FResetOnShow);
  EXPECT_EQ(f->FCutoffDate, At(1899, 12, 30));
  EXPECT_EQ(f->FSavedDown, "");
  EXPECT_EQ(f->FSavedUp, DateFormat::DateToStr(f->FToday.date()));
  EXPECT_EQ(f->FSavedNum, "");
  EXPECT_EQ(f->FSavedSizeText, "1");
  EXPECT_LE(qAbs(f->FToday.secsTo(QDateTime::currentDateTime())), 5);
}

TEST_F(MoreDialog, CentresTheAndLabelBetweenTheDateEdits) {
  TFormMore* f = Form.get();
  const int downRight = f->MaskEditDown->x() + f->MaskEditDown->width();
  const int gap = f->MaskEditUp->x() - downRight;
  EXPECT_EQ(f->LabelAnd->x(), downRight + gap / 2 - f->LabelAnd->width() / 2);

  // Negative halves truncate toward zero.
  f->MaskEditUp->move(downRight - 5, f->MaskEditUp->y());
  f->LabelAnd->resize(11, f->LabelAnd->height());
  f->CenterLabelAnd();
  EXPECT_EQ(f->LabelAnd->x(), downRight - 2 - 5);
}

TEST_F(MoreDialog, SetEnglishKeepsTheChosenUnits) {
  TFormMore* f = Form.get();
  f->ComboBoxOld->setCurrentIndex(2);
  f->ComboBoxSize->setCurrentIndex(-1);
  SetEnglishMore();
  EXPECT_EQ(f->ComboBoxOld->currentIndex(), 2);
  EXPECT_EQ(f->ComboBoxOld->count(), 3);
  EXPECT_EQ(f->ComboBoxSize->currentIndex(), 0);
  EXPECT_EQ(f->ComboBoxSize->count(), 4);
}

TEST_F(MoreDialog, TheTwoDateCriteriaExcludeEachOther) {
  TFormMore* f = Form.get();
  Open();
  f->CheckBoxOld->setChecked(true);
  EXPECT_TRUE(f->MaskEditNum->isEnabled());
  EXPECT_TRUE(f->UpDownOld->isEnabled());
  EXPECT_TRUE(f->ComboBoxOld->isEnabled());

  f->CheckBoxTimeBetween->click();
  EXPECT_TRUE(f->CheckBoxTimeBetween->isChecked());
  EXPECT_FALSE(f->CheckBoxOld->isChecked());
  EXPECT_TRUE(f->MaskEditDown->isEnabled());
  EXPECT_TRUE(f->LabelAnd->isEnabled());
  EXPECT_TRUE(f->MaskEditUp->isEnabled());
  EXPECT_FALSE(f->MaskEditNum->isEnabled());
  EXPECT_FALSE(f->UpDownOld->isEnabled());
  EXPECT_FALSE(f->ComboBoxOld->isEnabled());

  f->CheckBoxOld->click();
  EXPECT_TRUE(f->CheckBoxOld->isChecked());
  EXPECT_FALSE(f->CheckBoxTimeBetween->isChecked());
  EXPECT_FALSE(f->MaskEditDown->isEnabled());
  EXPECT_FALSE(f->LabelAnd->isEnabled());
  EXPECT_FALSE(f->MaskEditUp->isEnabled());
  EXPECT_TRUE(f->MaskEditNum->isEnabled());

  f->CheckBoxOld->click();
  EXPECT_FALSE(f->MaskEditNum->isEnabled());
  EXPECT_FALSE(f->ComboBoxOld->isEnabled());
  EXPECT_FALSE(f->CheckBoxTimeBetween->isChecked());
}

TEST_F(MoreDialog, SizeAndAttributeBoxesEnableTheirControls) {
  TFormMore* f = Form.get();
  Open();
  f->CheckBoxSize->click();
  for (QWidget* w : std::initializer_list<QWidget*>{f->ComboBoxOper, f->MaskEditSize, f->UpDownSize, f->ComboBoxSize})
    EXPECT_TRUE(w->isEnabled());
  f->CheckBoxSize->click();
  for (QWidget* w : std::initializer_list<QWidget*>{f->ComboBoxOper, f->MaskEditSize, f->UpDownSize, f->ComboBoxSize})
    EXPECT_FALSE(w->isEnabled());

  // Enabling leaves the attribute boxes' checks as they are.
  f->CheckBoxHidden->setChecked(true);
  f->CheckBoxDir->setChecked(false);
  f->CheckBoxAttr->click();
  EXPECT_TRUE(f->CheckBoxHidden->isEnabled());
  EXPECT_TRUE(f->CheckBoxDir->isEnabled());
  EXPECT_TRUE(f->CheckBoxHidden->isChecked());
  EXPECT_FALSE(f->CheckBoxDir->isChecked());
  f->CheckBoxAttr->click();
  EXPECT_FALSE(f->CheckBoxReadOnly->isEnabled());
  EXPECT_FALSE(f->CheckBoxDir->isEnabled());
  EXPECT_TRUE(f->CheckBoxHidden->isChecked());
}

TEST_F(MoreDialog, NumberEditsTakeDigitsOnlyAndClampToTheUpDown) {
  TFormMore* f = Form.get();
  Open();
  f->CheckBoxOld->setChecked(true);
  f->CheckBoxSize->setChecked(true);

  Retype(f->MaskEditNum, QStringLiteral("1x5-0"));
  EXPECT_EQ(f->MaskEditNum->text(), "100");  // 150 is above the maximum
  Retype(f->MaskEditSize, QStringLiteral("2000"));
  EXPECT_EQ(f->MaskEditSize->text(), "1024");
  Retype(f->MaskEditNum, QStringLiteral("0"));
  EXPECT_EQ(f->MaskEditNum->text(), "0");  // below the minimum stays
  Retype(f->MaskEditNum, QStringLiteral("42"));
  EXPECT_EQ(f->MaskEditNum->text(), "42");

  // Emptying shows the minimum at once.
  f->MaskEditNum->clear();
  EXPECT_EQ(f->MaskEditNum->text(), "1");
  f->MaskEditSize->clear();
  EXPECT_EQ(f->MaskEditSize->text(), "0");
  f->MaskEditSize->setText(QStringLiteral("7"));
  f->MaskEditSize->end(false);
  Type(f->MaskEditSize, QString(QChar(8)));
  EXPECT_EQ(f->MaskEditSize->text(), "0");

  // A run of digits too long for a number is above the maximum too.
  f->MaskEditSize->setText(QStringLiteral("99999999999999999999"));
  EXPECT_EQ(f->MaskEditSize->text(), "1024");

  // Pasted text cannot bring other characters in either.
  f->MaskEditNum->setText(QStringLiteral("12"));
  f->MaskEditNum->end(false);
  f->MaskEditNum->insert(QStringLiteral("a"));
  EXPECT_EQ(f->MaskEditNum->text(), "12");

  QChar key(u'a');
  f->MaskEditNumKeyPress(f->MaskEditNum, key);
  EXPECT_TRUE(key.isNull());
  key = QChar(8);
  f->MaskEditSizeKeyPress(f->MaskEditSize, key);
  EXPECT_EQ(key, QChar(8));
  key = QChar(u'9');
  f->MaskEditSizeKeyPress(f->MaskEditSize, key);
  EXPECT_EQ(key, QChar(u'9'));
}

TEST_F(MoreDialog, UpDownStepsWithinItsRange) {
  TFormMore* f = Form.get();
  f->MaskEditNum->setText(QStringLiteral("99"));
  f->UpDownOld->StepUp();
  EXPECT_EQ(f->MaskEditNum->text(), "100");
  f->UpDownOld->StepUp();
  EXPECT_EQ(f->MaskEditNum->text(), "100");
  f->MaskEditSize->setText(QStringLiteral("1"));
  f->UpDownSize->StepDown();
  f->UpDownSize->StepDown();
  EXPECT_EQ(f->MaskEditSize->text(), "0");
}

TEST(MoreCutoff, MonthsAndYearsCountBackFromTheCalendarDate) {
  const QDateTime start = At(2026, 3, 15, 14, 30, 10);
  const QDate today(2026, 3, 15);
  EXPECT_EQ(TFormMore::CutoffFor(1, 1, start, today), At(2026, 2, 15));
  EXPECT_EQ(TFormMore::CutoffFor(3, 1, start, today), At(2025, 12, 15));
  EXPECT_EQ(TFormMore::CutoffFor(5, 1, start, today), At(2025, 10, 15));
  EXPECT_EQ(TFormMore::CutoffFor(15, 1, start, today), At(2024, 12, 15));
  EXPECT_EQ(TFormMore::CutoffFor(12, 1, start, today), At(2025, 3, 15));
  EXPECT_EQ(TFormMore::CutoffFor(14, 1, start, today), At(2025, 1, 15));
  EXPECT_EQ(TFormMore::CutoffFor(26, 1, start, today), At(2024, 1, 15));
  EXPECT_EQ(TFormMore::CutoffFor(0, 1, start, today), At(2026, 3, 15));
  EXPECT_EQ(TFormMore::CutoffFor(3, 2, start, today), At(2023, 3, 15));
  EXPECT_EQ(TFormMore::CutoffFor(2, 1, start, QDate(2026, 1, 10)), At(2025, 11, 10));
  EXPECT_EQ(TFormMore::CutoffFor(13, 1, start, QDate(2026, 1, 10)), At(2024, 12, 10));
  EXPECT_FALSE(TFormMore::CutoffFor(1, 3, start, today).isValid());
}

TEST(MoreCutoff, ADayTheTargetMonthLacksBecomesItsLastDay) {
  const QDateTime start = At(2026, 3, 31, 8);
  EXPECT_EQ(TFormMore::CutoffFor(1, 1, start, QDate(2026, 3, 31)), At(2026, 2, 28));
  EXPECT_EQ(TFormMore::CutoffFor(1, 1, start, QDate(2024, 3, 31)), At(2024, 2, 29));
  EXPECT_EQ(TFormMore::CutoffFor(5, 1, start, QDate(2026, 5, 31)), At(2025, 12, 31));
  EXPECT_EQ(TFormMore::CutoffFor(2, 1, start, QDate(2026, 5, 31)), At(2026, 3, 31));
  EXPECT_EQ(TFormMore::CutoffFor(1, 2, start, QDate(2024, 2, 29)), At(2023, 2, 28));
}

TEST(MoreCutoff, DaysCountFromTheStartMomentWithItsTimeOfDay) {
  const QDateTime start = At(2026, 3, 15, 23, 59, 30);
  EXPECT_EQ(TFormMore::CutoffFor(1, 0, start, QDate(2026, 3, 16)), At(2026, 3, 14, 23, 59, 30));
  EXPECT_EQ(TFormMore::CutoffFor(100, 0, start, QDate(2026, 3, 16)), At(2025, 12, 5, 23, 59, 30));
}

TEST_F(MoreDialog, ApplyComputesTheCutoffFromTheStartOfTheProgram) {
  TFormMore* f = Form.get();
  Open();
  f->FToday = At(2026, 3, 15, 9, 30);
  f->CheckBoxOld->setChecked(true);
  f->MaskEditNum->setText(QStringLiteral("3"));
  f->ComboBoxOld->setCurrentIndex(0);
  f->ButtonApply->click();
  EXPECT_TRUE(f->FApplied);
  EXPECT_EQ(f->FCutoffDate, At(2026, 3, 12, 9, 30));

  f->ComboBoxOld->setCurrentIndex(1);
  f->ButtonApply->click();
  EXPECT_EQ(f->FCutoffDate, TFormMore::CutoffFor(3, 1, f->FToday, QDate::currentDate()));

  // No unit chosen: the cut-off stays as it was.
  f->ComboBoxOld->setCurrentIndex(-1);
  const QDateTime before = f->FCutoffDate;
  f->ButtonApply->click();
  EXPECT_TRUE(f->FApplied);
  EXPECT_EQ(f->FCutoffDate, before);
  EXPECT_TRUE(Requests.empty());
}

TEST_F(MoreDialog, ApplyWithAValidRangeSavesEverythingButKeepsTheCutoff) {
  TFormMore* f = Form.get();
  Open();
  f->FCutoffDate = At(2020, 1, 1);
  f->CheckBoxTimeBetween->setChecked(true);
  f->MaskEditDown->setText(QStringLiteral("01.02.2025"));
  f->MaskEditUp->setText(QStringLiteral("3.4.2025"));
  f->CheckBoxSize->setChecked(true);
  f->ComboBoxOper->setCurrentIndex(2);
  f->MaskEditSize->setText(QStringLiteral("12"));
  f->ComboBoxSize->setCurrentIndex(3);
  f->CheckBoxAttr->setChecked(true);
  f->CheckBoxSystem->setChecked(true);
  f->CheckBoxArchives->setChecked(true);
  f->ButtonApply->click();

  EXPECT_TRUE(f->FApplied);
  EXPECT_TRUE(Requests.empty());
  EXPECT_EQ(f->FCutoffDate, At(2020, 1, 1));
  EXPECT_TRUE(f->FSavedTimeBetween);
  EXPECT_FALSE(f->FSavedOld);
  EXPECT_TRUE(f->FSavedSize);
  EXPECT_TRUE(f->FSavedAttr);
  EXPECT_TRUE(f->FSavedSystem);
  EXPECT_FALSE(f->FSavedReadOnly);
  EXPECT_TRUE(f->FSavedArchives);
  EXPECT_EQ(f->FSavedDown, "01.02.2025");
  EXPECT_EQ(f->FSavedUp, "3.4.2025");
  EXPECT_EQ(f->FSavedNum, "1");
  EXPECT_EQ(f->FSavedSizeText, "12");
  EXPECT_EQ(f->FSavedOldIndex, 0);
  EXPECT_EQ(f->FSavedOperIndex, 2);
  EXPECT_EQ(f->FSavedSizeIndex, 3);
}

TEST_F(MoreDialog, AnInvalidDateIsRefusedAndNothingIsSaved) {
  TFormMore* f = Form.get();
  Open();
  f->CheckBoxTimeBetween->setChecked(true);
  f->MaskEditDown->setText(QStringLiteral("31.02.2025"));
  f->MaskEditUp->setText(QStringLiteral("01.03.2025"));
  f->ButtonOk->click();
  ASSERT_EQ(Requests.size(), 1u);
  EXPECT_EQ(Requests[0].kind, Modal::Kind::Message);
  EXPECT_EQ(Requests[0].text, "Input error");
  EXPECT_EQ(Requests[0].caption, "Repeat, please");
  EXPECT_FALSE(f->FApplied);
  EXPECT_FALSE(f->FSavedTimeBetween);
  EXPECT_EQ(f->FSavedDown, "");
  EXPECT_TRUE(f->isVisible());  // Ok does not close
  EXPECT_EQ(f->focusWidget(), f->MaskEditDown);

  f->MaskEditDown->setText(QStringLiteral("01.02.2025"));
  f->MaskEditUp->setText(QString());
  f->ButtonApply->click();
  ASSERT_EQ(Requests.size(), 2u);
  EXPECT_FALSE(f->FApplied);
  EXPECT_EQ(f->focusWidget(), f->MaskEditUp);

  // A date with a time is no date either.
  f->MaskEditUp->setText(QStringLiteral("01.03.2025 10:00:00"));
  f->ButtonApply->click();
  EXPECT_EQ(Requests.size(), 3u);

  f->MaskEditUp->setText(QStringLiteral("01.03.2025"));
  f->ButtonOk->click();
  EXPECT_EQ(Requests.size(), 3u);
  EXPECT_TRUE(f->FApplied);
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(f->result(), mrOk);
}

TEST_F(MoreDialog, TheFirstShowingResetsEveryCriterion) {
  TFormMore* f = Form.get();
  f->FToday = At(2026, 3, 15, 10);
  f->CheckBoxTimeBetween->setChecked(true);
  f->MaskEditDown->setText(QStringLiteral("x"));
  f->CheckBoxSize->setChecked(true);
  f->ComboBoxSize->setCurrentIndex(2);
  f->CheckBoxAttr->setChecked(true);
  f->CheckBoxArchives->setChecked(true);
  f->FCutoffDate = At(2021, 5, 5);
  f->FSavedNum = QStringLiteral("9");
  Open();

  EXPECT_FALSE(f->FResetOnShow);
  EXPECT_FALSE(f->CheckBoxTimeBetween->isChecked());
  EXPECT_EQ(f->MaskEditDown->text(), "");
  EXPECT_EQ(f->MaskEditUp->text(), "15.03.2026");
  EXPECT_FALSE(f->MaskEditDown->isEnabled());
  EXPECT_FALSE(f->MaskEditUp->isEnabled());
  EXPECT_FALSE(f->CheckBoxOld->isChecked());
  EXPECT_EQ(f->MaskEditNum->text(), "1");
  EXPECT_EQ(f->ComboBoxOld->currentIndex(), 0);
  EXPECT_FALSE(f->CheckBoxSize->isChecked());
  EXPECT_FALSE(f->ComboBoxOper->isEnabled());
  EXPECT_EQ(f->ComboBoxOper->currentIndex(), 0);
  EXPECT_EQ(f->MaskEditSize->text(), "1");
  EXPECT_EQ(f->ComboBoxSize->currentIndex(), 0);
  EXPECT_FALSE(f->CheckBoxAttr->isChecked());
  // Unlike their design state, all attribute boxes end up unchecked.
  for (QCheckBox* box : {f->CheckBoxReadOnly, f->CheckBoxHidden, f->CheckBoxSystem, f->CheckBoxArchive,
                         f->CheckBoxDir, f->CheckBoxArchives}) {
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(box->isEnabled());
  }
  // A reset touches neither the cut-off nor the saved state.
  EXPECT_EQ(f->FCutoffDate, At(2021, 5, 5));
  EXPECT_EQ(f->FSavedNum, "9");
}

TEST_F(MoreDialog, CancelBringsBackTheLastAppliedState) {
  TFormMore* f = Form.get();
  Open();
  f->CheckBoxOld->setChecked(true);
  f->MaskEditNum->setText(QStringLiteral("7"));
  f->ComboBoxOld->setCurrentIndex(2);
  f->CheckBoxAttr->setChecked(true);
  f->CheckBoxHidden->setChecked(true);
  f->ButtonOk->click();
  EXPECT_FALSE(f->isVisible());

  Open();  // restores, as nothing asked for a reset
  EXPECT_TRUE(f->CheckBoxOld->isChecked());
  EXPECT_EQ(f->MaskEditNum->text(), "7");
  EXPECT_TRUE(f->MaskEditNum->isEnabled());
  f->CheckBoxTimeBetween->setChecked(true);
  f->MaskEditDown->setText(QStringLiteral("01.01.2020"));
  f->CheckBoxSize->setChecked(true);
  f->CheckBoxHidden->setChecked(false);
  f->CheckBoxReadOnly->setChecked(true);
  f->ButtonCancel->click();

  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(f->result(), mrCancel);
  EXPECT_FALSE(f->CheckBoxTimeBetween->isChecked());
  EXPECT_FALSE(f->MaskEditDown->isEnabled());
  EXPECT_EQ(f->MaskEditDown->text(), "");
  EXPECT_TRUE(f->CheckBoxOld->isChecked());
  EXPECT_TRUE(f->MaskEditNum->isEnabled());
  EXPECT_EQ(f->MaskEditNum->text(), "7");
  EXPECT_EQ(f->ComboBoxOld->currentIndex(), 2);
  EXPECT_FALSE(f->CheckBoxSize->isChecked());
  EXPECT_FALSE(f->MaskEditSize->isEnabled());
  EXPECT_TRUE(f->CheckBoxAttr->isChecked());
  EXPECT_TRUE(f->CheckBoxHidden->isChecked());
  EXPECT_FALSE(f->CheckBoxReadOnly->isChecked());
}

TEST_F(MoreDialog, TheFirstCancelAfterAResetBringsBackTheCreationValues) {
  TFormMore* f = Form.get();
  Open();  // resets
  f->CheckBoxOld->setChecked(true);
  f->MaskEditNum->setText(QStringLiteral("5"));
  f->CheckBoxAttr->setChecked(true);
  f->ButtonCancel->click();
  EXPECT_FALSE(f->CheckBoxOld->isChecked());
  EXPECT_EQ(f->MaskEditNum->text(), "1");  // saved empty, shown as the minimum
  EXPECT_EQ(f->MaskEditUp->text(), DateFormat::DateToStr(f->FToday.date()));
  EXPECT_FALSE(f->CheckBoxAttr->isChecked());
  EXPECT_FALSE(f->CheckBoxDir->isChecked());

  // Cancel while a reset is pending resets.
  f->FResetOnShow = true;
  f->CheckBoxSize->setChecked(true);
  f->ButtonCancelClick();
  EXPECT_FALSE(f->CheckBoxSize->isChecked());
  EXPECT_FALSE(f->FResetOnShow);
}

TEST_F(MoreDialog, EscCancelsButTheCloseButtonKeepsTheEdits) {
  TFormMore* f = Form.get();
  Open();
  f->CheckBoxSize->setChecked(true);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(f, &esc);
  EXPECT_FALSE(f->isVisible());
  EXPECT_FALSE(f->CheckBoxSize->isChecked());

  Open();
  f->CheckBoxSize->setChecked(true);
  f->close();
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(f->CheckBoxSize->isChecked());  // read by the next search as it stands
  EXPECT_FALSE(f->FSavedSize);

  Open();  // the next showing restores the saved state
  EXPECT_FALSE(f->CheckBoxSize->isChecked());
}


TEST_F(MoreDialog, EachLocaleWritesTheUpperDateAndReadsTheDatesItWrites) {
  for (const LocaleDates& l : FiveLocales()) {
    LocaleFormatsInForce formats(l);
    Form = std::make_unique<TFormMore>(nullptr);
    TFormMore* f = Form.get();
    f->FToday = At(2026, 3, 5, 21, 5, 6);
    Open();  // the first showing resets: the upper date is today's
    EXPECT_EQ(f->MaskEditUp->text(), DateFormat::DateToStr(QDate(2026, 3, 5))) << l.Locale;
    f->CheckBoxTimeBetween->setChecked(true);
    f->MaskEditDown->setText(DateFormat::DateToStr(QDate(1999, 12, 31)));
    f->ButtonApply->click();
    EXPECT_TRUE(f->FApplied) << l.Locale << " " << f->MaskEditDown->text().toStdString() << " / "
                             << f->MaskEditUp->text().toStdString();
    EXPECT_TRUE(Requests.empty()) << l.Locale;
    // A date and a time is no date, in any locale.
    f->MaskEditUp->setText(DateFormat::DateTimeToStr(At(2026, 3, 5, 9, 5)));
    f->ButtonApply->click();
    EXPECT_FALSE(f->FApplied) << l.Locale;
    EXPECT_EQ(Requests.size(), 1u) << l.Locale;
    Requests.clear();
  }
}

TEST_F(MoreDialog, DateBetweenTakesItsOwnDefaultUpperDateInEveryLocale) {
  TFormMore* f = Form.get();
  QStringList refused;
  for (const QLocale& locale : InstalledLocales()) {
    DateFormat::UseLocale(locale);
    f->FResetOnShow = true;
    f->hide();
    Open();  // the reset writes today as the upper date
    f->CheckBoxTimeBetween->setChecked(true);
    f->MaskEditDown->setText(f->MaskEditUp->text());
    f->ButtonApply->click();
    if (!f->FApplied) refused << locale.bcp47Name() + u' ' + f->MaskEditUp->text();
  }
  EXPECT_TRUE(refused.isEmpty()) << refused.join(u'\n').toStdString();
  EXPECT_TRUE(Requests.empty());
}
