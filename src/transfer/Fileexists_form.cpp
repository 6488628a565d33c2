#include "transfer/Fileexists_form.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/fs/FindFile.h"
#include "platform/ui/Modal.h"
#include "transfer/Copyfiles_thread.h"

TFormFileExists* FormFileExists = nullptr;

namespace {

constexpr int ClientWidth = 419;
constexpr int ClientHeight = 164;

QLabel* NewLabel(QWidget* parent, const char* name, int x, int y) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(x, y);
  return l;
}

QPushButton* NewButton(QWidget* parent, const char* name, int x, int y) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, y, 129, 25);
  // No button is the default one: Enter must not answer by accident.
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

void SetLabel(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

void CentreOnMainWindow(QWidget* w) {
  if (!FormMain) return;
  const QRect m = FormMain->frameGeometry();
  w->move(m.center() - QPoint(w->width() / 2, w->height() / 2));
}

}  // namespace

TFormFileExists::TFormFileExists(QWidget* Owner) : QDialog(Owner) {
  setObjectName(QStringLiteral("FormFileExists"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  setFixedSize(ClientWidth, ClientHeight);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  LabelSourceName = NewLabel(this, "LabelSourceName", 8, 8);
  LabelSourceAttr = NewLabel(this, "LabelSourceAttr", 8, 24);
  LabelDestinationName = NewLabel(this, "LabelDestinationName", 8, 48);
  LabelDestinationAttr = NewLabel(this, "LabelDestinationAttr", 8, 64);
  ButtonReplace = NewButton(this, "ButtonReplace", 8, 96);
  ButtonReplaceAll = NewButton(this, "ButtonReplaceAll", 8, 128);
  ButtonSkip = NewButton(this, "ButtonSkip", 144, 96);
  ButtonSkipAll = NewButton(this, "ButtonSkipAll", 144, 128);
  ButtonAppend = NewButton(this, "ButtonAppend", 280, 96);
  ButtonCancel = NewButton(this, "ButtonCancel", 280, 128);
  setTabOrder(ButtonReplace, ButtonReplaceAll);
  setTabOrder(ButtonReplaceAll, ButtonSkip);
  setTabOrder(ButtonSkip, ButtonSkipAll);
  setTabOrder(ButtonSkipAll, ButtonAppend);
  setTabOrder(ButtonAppend, ButtonCancel);

  connect(ButtonReplace, &QPushButton::clicked, this, [this] { ButtonReplaceClick(ButtonReplace); });
  connect(ButtonReplaceAll, &QPushButton::clicked, this, [this] { ButtonReplaceAllClick(ButtonReplaceAll); });
  connect(ButtonSkip, &QPushButton::clicked, this, [this] { ButtonSkipClick(ButtonSkip); });
  connect(ButtonSkipAll, &QPushButton::clicked, this, [this] { ButtonSkipAllClick(ButtonSkipAll); });
  connect(ButtonAppend, &QPushButton::clicked, this, [this] { ButtonAppendClick(ButtonAppend); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });
}

TFormFileExists::~TFormFileExists() {
  // A dialog freed without an answer must not leave its worker held.
  if (FShown && !FAnswered) Answer(fdSkip, false, false, true);
  if (FormFileExists == this) FormFileExists = nullptr;
}

void TFormFileExists::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous() && !FShown) FormShow(this);
}

void TFormFileExists::FormShow(QObject*) {
  if (FShown) return;
  FShown = true;
  if (FThread) {
    FWasSuspended = FThread->Suspended();
    FThread->Suspend();
  }

  const int w = ClientWidth;
  ButtonSkip->move((w - ButtonSkip->width()) / 2, ButtonSkip->y());
  ButtonSkipAll->move(ButtonSkip->x(), ButtonSkipAll->y());
  ButtonReplace->move(ButtonSkip->x() - ButtonReplace->width() - 8, ButtonReplace->y());
  ButtonReplaceAll->move(ButtonReplace->x(), ButtonReplaceAll->y());
  ButtonAppend->move(ButtonSkip->x() + ButtonSkip->width() + 8, ButtonAppend->y());
  ButtonCancel->move(ButtonAppend->x(), ButtonCancel->y());

  setWindowTitle(TextErrorsFileExists);
  ButtonSkip->setText(TextCopyToSkip);
  ButtonSkipAll->setText(TextCopyToSkipAll);
  ButtonReplace->setText(TextCopyToReplace);
  ButtonReplaceAll->setText(TextCopyToReplaceAll);
  ButtonAppend->setText(TextCopyToAppend);
  ButtonCancel->setText(TextButtonsCancel);

  const QString source = FThread ? FThread->FSourceName : QString();
  const QString destination = FThread ? FThread->FDestinationName : QString();
  SetLabel(LabelSourceName, TextCopyToSource + QLatin1String(": ") + source);
  SetLabel(LabelSourceAttr, FileAttrText(source));
  SetLabel(LabelDestinationName, TextCopyToDestination + QLatin1String(": ") + destination);
  SetLabel(LabelDestinationAttr, FileAttrText(destination));

  CentreOnMainWindow(this);
  ButtonReplace->setFocus();
  raise();
  activateWindow();
}

QString TFormFileExists::FileDateText(const QDateTime& date) {
  // The same text as the result list's Date column.
  return DateFormat::DateTimeToListStr(date.date(), date.time());
}

QString TFormFileExists::FileAttrText(const QString& path) {
  QString size = QStringLiteral("-");
  QString date = QStringLiteral("-");
  TSearchRec rec;
  if (!path.isEmpty() && FileSystem::FindFirst(path, faAnyFile, rec) == 0) {
    // Sizes are whole 64-bit numbers: a file over 4 GiB shows its real size.
    size = QString::number(rec.Size);
    const QDateTime written = rec.LastWriteTime();
    if (written.isValid()) date = FileDateText(written);
    FileSystem::FindClose(rec);
  }
  return TextMainHeaderSize + QLatin1String(": ") + size + QLatin1String(", ") + TextMainHeaderDate +
         QLatin1String(": ") + date;
}

void TFormFileExists::Answer(int Decision, bool ReplaceAll, bool SkipAll, bool Stop) {
  if (FAnswered) return;
  FAnswered = true;
  if (!FThread) return;
  FThread->FFileExistsDecision = Decision;
  if (ReplaceAll) FThread->FReplaceAll = true;
  if (SkipAll) FThread->FSkipAll = true;
  if (Stop) FThread->Terminate();
  // A worker the user had paused before the question stays paused.
  if (FShown && !FWasSuspended) FThread->Resume();
}

void TFormFileExists::ButtonReplaceClick(QObject*) {
  Answer(fdReplace, false, false, false);
  QDialog::done(mrOk);
}

void TFormFileExists::ButtonReplaceAllClick(QObject*) {
  Answer(fdReplace, true, false, false);
  QDialog::done(mrOk);
}

void TFormFileExists::ButtonSkipClick(QObject*) {
  Answer(fdSkip, false, false, false);
  QDialog::done(mrOk);
}

void TFormFileExists::ButtonSkipAllClick(QObject*) {
  Answer(fdSkip, false, true, false);
  QDialog::done(mrOk);
}

void TFormFileExists::ButtonAppendClick(QObject*) {
  Answer(fdAppend, false, false, false);
  QDialog::done(mrOk);
}

void TFormFileExists::ButtonCancelClick(QObject*) {
  // Cancel leaves this destination as it is and stops the whole copy.
  Answer(fdSkip, false, false, true);
  QDialog::done(mrCancel);
}

void TFormFileExists::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
    event->accept();
    return;
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (button && button->parentWidget() == this && button->isEnabled()) button->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFormFileExists::done(int r) {
  if (!FAnswered) {
    ButtonCancelClick(this);
    return;
  }
  QDialog::done(r);
}
