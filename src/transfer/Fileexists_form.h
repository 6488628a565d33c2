#pragma once
// The dialog that asks what to do with a file whose destination already
// exists; made anew for each question by the main window, which hands it
// the asking worker. It writes the answer into the worker.
#include <QDateTime>
#include <QDialog>

class QLabel;
class QPushButton;
class TCopyFiles;

class TFormFileExists : public QDialog {
  Q_OBJECT
 public:
  explicit TFormFileExists(QWidget* Owner = nullptr);
  ~TFormFileExists() override;

  QLabel* LabelSourceName = nullptr;
  QLabel* LabelSourceAttr = nullptr;
  QLabel* LabelDestinationName = nullptr;
  QLabel* LabelDestinationAttr = nullptr;
  QPushButton* ButtonReplace = nullptr;
  QPushButton* ButtonReplaceAll = nullptr;
  QPushButton* ButtonSkip = nullptr;
  QPushButton* ButtonSkipAll = nullptr;
  QPushButton* ButtonAppend = nullptr;
  QPushButton* ButtonCancel = nullptr;

  TCopyFiles* FThread = nullptr;  // the asking copy worker

  void FormShow(QObject* Sender);
  void ButtonReplaceClick(QObject* Sender);
  void ButtonReplaceAllClick(QObject* Sender);
  void ButtonSkipClick(QObject* Sender);
  void ButtonSkipAllClick(QObject* Sender);
  void ButtonAppendClick(QObject* Sender);
  void ButtonCancelClick(QObject* Sender);

  // "Size: 1048576, Date: 07.12.2026 09:05:03" for a file; dashes for
  // what cannot be looked up.
  static QString FileAttrText(const QString& path);
  // A file date as the dialog shows it: short date and long time, with
  // " 00:00:00" for a bare date and a leading 0 for a one-digit hour.
  static QString FileDateText(const QDateTime& date);

  // Every way of closing the dialog (the frame, a closing modal call) that
  // is not an answer counts as Cancel.
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* event) override;
  // No button is the cancel button, so Esc answers nothing (it would stop
  // the whole copy); Enter presses the focused button, as Space does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Answer(int Decision, bool ReplaceAll, bool SkipAll, bool Stop);
  bool FAnswered = false;
  bool FShown = false;
  // The worker was paused by the user before the question: leave it paused.
  bool FWasSuspended = false;
};

extern TFormFileExists* FormFileExists;
