#pragma once
// The small borderless window shown modally while a network worker runs (the
// scan or the computer-information reading). It animates the mode text and a
// cycling progress bar, mirrors the text in status panel 0 of the main window,
// and cancels the running worker on ESC. The worker closes it when done.
#include <QChar>
#include <QDialog>

class QCloseEvent;
class QHideEvent;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QShowEvent;
class QTimer;

class TFormWait : public QDialog {
  Q_OBJECT
 public:
  explicit TFormWait(QWidget* Owner = nullptr);
  ~TFormWait() override;

  QLabel* LabelWait = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QTimer* TimerProcess = nullptr;  // 50 ms: the bar
  QTimer* TimerCaption = nullptr;  // 500 ms: the dots

  // Dot counter: 0 at creation and never reset, so the dots go on where
  // the previous showing left them.
  int FTicks = 0;
  // false: scan mode (TextMessagesScan); true: information mode (TextMessagesInfo).
  bool FMode = false;

  void FormCreate(QObject* Sender);
  void FormShow(QObject* Sender);
  void TimerProcessTimer(QObject* Sender);
  void TimerCaptionTimer(QObject* Sender);
  void FormKeyPress(QObject* Sender, QChar& Key);
  void FormClose(QObject* Sender);

  // Closes the window when it is showing (the workers' closing call).
  void Close();

 protected:
  void showEvent(QShowEvent* event) override;
  // A close that is neither the workers' closing call nor ESC (Alt+F4, the
  // window system) cancels the run as ESC does: a worker left running would
  // later close the window while it serves another run.
  void closeEvent(QCloseEvent* event) override;
  // Every way the window goes (close, ESC, the end of a modal showing)
  // passes here, so the timers never outlive a showing.
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Set while Close() closes the window.
  bool FClosing = false;
};

extern TFormWait* FormWait;

// Prepares the wait window for a run in the given mode and shows it modally
// (through the modal facade); returns when it has closed.
void ShowWaitForm(bool infoMode);
