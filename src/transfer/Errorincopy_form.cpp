#include "transfer/Errorincopy_form.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/ui/Modal.h"
#include "transfer/Copyfiles_thread.h"

TFormErrorInCopy* FormErrorInCopy = nullptr;

namespace {
constexpr int ClientWidth = 299;
constexpr int ClientHeight = 74;
}  // namespace

TFormErrorInCopy::TFormErrorInCopy(QWidget* Owner) : QDialog(Owner) {
  setObjectName(QStringLiteral("FormErrorInCopy"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  setFixedSize(ClientWidth, ClientHeight);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  LabelError = new QLabel(this);
  LabelError->setObjectName(QStringLiteral("LabelError"));
  LabelError->move(120, 16);
  ButtonOk = new QPushButton(this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setGeometry(112, 40, 75, 25);
  ButtonOk->setAutoDefault(false);
  connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(ButtonOk); });
}

TFormErrorInCopy::~TFormErrorInCopy() {
  ResumeWorker();
  if (FormErrorInCopy == this) FormErrorInCopy = nullptr;
}

void TFormErrorInCopy::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous() && !FShown) FormShow(this);
}

void TFormErrorInCopy::FormShow(QObject*) {
  if (FShown) return;
  FShown = true;
  if (FThread) {
    FWasSuspended = FThread->Suspended();
    FThread->Suspend();
  }
  setWindowTitle(TextErrorsError);
  LabelError->setText(FThread ? FThread->FErrorText : QString());
  LabelError->adjustSize();
  ButtonOk->setText(TextButtonsOk);

  // As wide as the text and 40 pixels; the text is never wrapped.
  setFixedSize(LabelError->width() + 40, ClientHeight);
  const int w = width();
  LabelError->move((w - LabelError->width()) / 2, LabelError->y());
  ButtonOk->move((w - ButtonOk->width()) / 2, ButtonOk->y());
  if (FormMain) {
    const QRect m = FormMain->frameGeometry();
    move(m.center() - QPoint(width() / 2, height() / 2));
  }
  ButtonOk->setFocus();
}

void TFormErrorInCopy::ResumeWorker() {
  if (!FShown || FResumed) return;
  FResumed = true;
  // A worker the user had paused before the error stays paused.
  if (FThread && !FWasSuspended) FThread->Resume();
}

void TFormErrorInCopy::ButtonOkClick(QObject*) {
  ResumeWorker();
  QDialog::done(mrOk);
}

void TFormErrorInCopy::FormCloseQuery(QObject*, bool& CanClose) {
  ResumeWorker();
  CanClose = true;
}

void TFormErrorInCopy::done(int r) {
  bool canClose = true;
  FormCloseQuery(this, canClose);
  QDialog::done(r);
}
