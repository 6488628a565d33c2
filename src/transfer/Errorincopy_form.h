#pragma once
// The dialog that shows the error of a copy; made anew for each error by
// the main window, which hands it the failing worker. The copy goes on with
// the next file once it is closed.
#include <QDialog>

class QLabel;
class QPushButton;
class TCopyFiles;

class TFormErrorInCopy : public QDialog {
  Q_OBJECT
 public:
  explicit TFormErrorInCopy(QWidget* Owner = nullptr);
  ~TFormErrorInCopy() override;

  QLabel* LabelError = nullptr;
  QPushButton* ButtonOk = nullptr;

  TCopyFiles* FThread = nullptr;  // the failing copy worker

  void FormShow(QObject* Sender);
  void ButtonOkClick(QObject* Sender);
  void FormCloseQuery(QObject* Sender, bool& CanClose);

  // However the dialog closes, the worker goes on.
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ResumeWorker();
  bool FShown = false;
  bool FResumed = false;
  bool FWasSuspended = false;
};

extern TFormErrorInCopy* FormErrorInCopy;
