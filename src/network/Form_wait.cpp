#include "network/Form_wait.h"

#include <QCloseEvent>
#include <QFont>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QTimer>

#include "app/Main.h"
#include "config/En_language.h"
#include "network/Scanlan_thread.h"
#include "network/Viewresource_thead.h"
#include "platform/ui/Modal.h"

TFormWait* FormWait = nullptr;

namespace {

constexpr int kClientHeight = 72;
constexpr int kMinClientWidth = 250;
constexpr int kWideLabel = 230;

void SetMessagePanel(const QString& text) {
  if (FormMain && FormMain->StatusBar) FormMain->StatusBar->SetPanelText(0, text);
}

}  // namespace

TFormWait::TFormWait(QWidget* Owner)
    : QDialog(Owner, Qt::Dialog | Qt::FramelessWindowHint) {
  FormWait = this;
  setObjectName(QStringLiteral("FormWait"));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  resize(220, kClientHeight);

  LabelWait = new QLabel(this);
  LabelWait->setObjectName(QStringLiteral("LabelWait"));
  LabelWait->move(24, 16);
  LabelWait->adjustSize();

  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setGeometry(24, 40, 150, 17);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);

  TimerProcess = new QTimer(this);
  TimerProcess->setObjectName(QStringLiteral("TimerProcess"));
  TimerProcess->setInterval(50);
  connect(TimerProcess, &QTimer::timeout, this, [this] { TimerProcessTimer(TimerProcess); });

  TimerCaption = new QTimer(this);
  TimerCaption->setObjectName(QStringLiteral("TimerCaption"));
  TimerCaption->setInterval(500);
  connect(TimerCaption, &QTimer::timeout, this, [this] { TimerCaptionTimer(TimerCaption); });

  FormCreate(this);
}

TFormWait::~TFormWait() {
  if (FormWait == this) FormWait = nullptr;
}

void TFormWait::FormCreate(QObject*) { FTicks = 0; }

void TFormWait::FormShow(QObject*) {
  // The label holds the mode text without dots; the window is sized by it
  // once per showing and not again while the dots grow.
  LabelWait->adjustSize();
  const int w = LabelWait->width();
  const int clientWidth = w <= kWideLabel ? kMinClientWidth : w + 40;
  resize(clientWidth, kClientHeight);
  LabelWait->move(10, LabelWait->y());
  ProgressBar->setGeometry(10, ProgressBar->y(), clientWidth - 20, ProgressBar->height());
  if (FormMain) {
    const QRect main = FormMain->frameGeometry();
    move(main.x() + (main.width() - clientWidth) / 2, main.y() + (main.height() - kClientHeight) / 2);
  }
  // Painted when the window is exposed: a synchronous paint here would only
  // hold up the event loop as the window opens.
  TimerCaption->start();
  TimerProcess->start();
}

void TFormWait::TimerProcessTimer(QObject*) {
  if (ProgressBar->value() >= 100)
    ProgressBar->setValue(1);
  else
    ProgressBar->setValue(ProgressBar->value() + 1);
  // setValue schedules the bar's paint; painting at once (the bar, then the
  // whole window) every 50 ms held the event loop for nothing.
}

void TFormWait::TimerCaptionTimer(QObject*) {
  const QString dots(FTicks % 4, QLatin1Char('.'));
  const QString text = FMode ? TextMessagesInfo : TextMessagesScan;
  LabelWait->setText(text + QLatin1Char(' ') + dots);
  LabelWait->adjustSize();
  SetMessagePanel(QLatin1Char(' ') + text + QLatin1Char(' ') + dots);
  ++FTicks;
}

void TFormWait::FormKeyPress(QObject*, QChar& Key) {
  if (Key.unicode() != 27) return;
  // The workers stop at their next test and change nothing afterwards, so
  // forgetting them here is safe; what they found so far stays.
  if (ScanLanThread) ScanLanThread->Terminate();
  if (ViewResourceThread) ViewResourceThread->Terminate();
  ScanLanThread = nullptr;
  ViewResourceThread = nullptr;
  Close();
  SetMessagePanel(QString());
  if (FormMain) FormMain->FResourcesStale = true;
}

void TFormWait::FormClose(QObject*) {
  TimerCaption->stop();
  TimerProcess->stop();
  SetMessagePanel(QString());
}

void TFormWait::Close() {
  if (!isVisible()) return;
  FClosing = true;
  close();
  FClosing = false;
}

void TFormWait::closeEvent(QCloseEvent* event) {
  if (!FClosing && isVisible()) {
    // The cancel of ESC; its own closing call is a no-op inside this close,
    // which hides the window below.
    QChar esc(27);
    FormKeyPress(this, esc);
  }
  QDialog::closeEvent(event);
}

void TFormWait::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow(this);
}

void TFormWait::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) FormClose(this);
}

void TFormWait::keyPressEvent(QKeyEvent* event) {
  // Only ESC acts; no other key may close or accept the window.
  const QString text = event->text();
  QChar key = event->key() == Qt::Key_Escape ? QChar(27) : (text.isEmpty() ? QChar() : text.at(0));
  if (!key.isNull()) FormKeyPress(this, key);
  event->accept();
}

void ShowWaitForm(bool infoMode) {
  if (!FormWait) return;
  FormWait->LabelWait->setText(infoMode ? TextMessagesInfo : TextMessagesScan);
  FormWait->FMode = infoMode;
  FormWait->ProgressBar->setValue(0);
  FormWait->TimerCaption->start();
  FormWait->TimerProcess->start();
  Modal::ShowModal(FormWait);
}
