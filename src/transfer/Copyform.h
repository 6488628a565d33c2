#pragma once
// The transfer progress window: one modeless top-level window per transfer.
// It starts the worker, lets the user pause, continue and cancel it, is
// updated by the worker's synchronised calls, reports the end to the main
// window and frees itself.
#include <QDialog>

class QLabel;
class QPushButton;
class TCGauge;
class TCopyFiles;
class TTaskThread;
class TThread;

class TFormCopy : public QDialog {
  Q_OBJECT
 public:
  // Creates the window (FormCreate runs here), makes it FormCopy and shows
  // it at once, as the window is visible from its creation.
  explicit TFormCopy(QWidget* Owner = nullptr);
  ~TFormCopy() override;

  QLabel* LabelFrom = nullptr;
  QLabel* LabelTo = nullptr;
  QLabel* LabelSpeed = nullptr;
  QLabel* LabelTime = nullptr;
  TCGauge* CGaugeFile = nullptr;
  TCGauge* CGaugeTotal = nullptr;
  QPushButton* ButtonPause = nullptr;
  QPushButton* ButtonCancel = nullptr;

  // The window runs a task (TTaskThread), not a copy (TCopyFiles).
  bool FIsTask = false;
  // The copy worker; the main window's WM_COPY_FINISHED handler writes its
  // FKeepPartial through this pointer.
  TCopyFiles* FCopyThread = nullptr;
  // The task worker (tasks only).
  TTaskThread* FTaskThread = nullptr;
  // Row index of the task in FormMain->ListViewLoads; set by the task
  // starter before StartTransfer; -1 for a copy.
  int FTaskItem = -1;
  // The task's name, taken from that row by StartTransfer: rows move when
  // other tasks are deleted, so the row is found again by its name.
  QString FTaskName;
  // The running worker, copy or task alike: what Pause and Cancel act on.
  TThread* FWorker = nullptr;

  // Copy (false): moves the CopyList into a new TCopyFiles and starts it,
  // then empties CopyNames and CopySourceFolders. Task (true): starts the
  // task worker for FTaskItem.
  void StartTransfer(bool IsTask);
  // Shows the file being moved: "From: " + source folder + rest and
  // "To: " + destination folder + rest (rest: subfolder and name).
  void ShowPaths(const QString& SourceFolder, const QString& Destination, const QString& Rest);
  // End of a transfer (called by the worker's last synchronised call):
  // result 0 finished without error, 1 ended with an error.
  void NotifyTransferEnd(TFormCopy* Form, int Result);

  void FormCreate(QObject* Sender);
  void ButtonPauseClick(QObject* Sender);
  void ButtonCancelClick(QObject* Sender);
  void FormCloseQuery(QObject* Sender, bool& CanClose);

  // True after Cancel or close: the screen window is gone and the worker
  // runs on to its next stop test.
  bool Cancelled() const { return FCancelledWindow; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc does nothing here: a transfer is cancelled only by its button or
  // by closing the window.
  void reject() override {}

 private:
  // Called on the GUI thread once the worker has ended: releases the
  // worker and, after a cancel, this window.
  void WorkerEnded();
  // The task side of the window: starting the task worker, and what Pause,
  // Cancel and the end do to the task's row. Tasks plug in here.
  void StartTaskTransfer();
  void TaskPaused();
  void TaskCancelled();
  void TaskEnded(int Result);
  bool FCancelledWindow = false;
  bool FEnded = false;
};

// The most recently created transfer window.
extern TFormCopy* FormCopy;
