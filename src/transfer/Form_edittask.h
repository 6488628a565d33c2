#pragma once
// The task editor: the modal dialog in which a download or synchronise task
// is created or changed. On OK it checks the name, makes sure the
// destination folder exists (offering to create it level by level), writes
// the task into tasks.ini, adds or refreshes its row and, when asked,
// starts it.
#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFormEditTask : public QDialog {
  Q_OBJECT
 public:
  explicit TFormEditTask(QWidget* Owner = nullptr);
  ~TFormEditTask() override;

  QGroupBox* GroupBoxOption = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;
  QLabel* LabelNameTask = nullptr;
  QLabel* LabelSource = nullptr;
  QFrame* Bevel1 = nullptr;
  QLineEdit* EditSource = nullptr;  // read-only: only the openers fill it
  QLineEdit* EditDestination = nullptr;
  QLabel* LabelDestination = nullptr;
  QPushButton* ButtonEditDestination = nullptr;
  QLineEdit* EditNameTask = nullptr;
  QFrame* Bevel2 = nullptr;
  QFrame* Bevel3 = nullptr;
  QCheckBox* CheckBoxStart = nullptr;
  QRadioButton* RadioButtonSync = nullptr;
  QLabel* LabelMode = nullptr;
  QRadioButton* RadioButtonLoad = nullptr;

  // The name shown when the dialog opened: in edit mode the task edited.
  QString FOldName;
  // True: the dialog creates a new task; false: it edits FOldName.
  bool FIsNew = true;

  // Start box ticked, download mode, destination ProgramDir + "\downloads\".
  // Name and source stay as they are.
  void SetDefaults();

  void FormCreate(QObject* Sender);
  void FormShow(QObject* Sender);
  void ButtonEditDestinationClick(QObject* Sender);
  void ButtonOkClick(QObject* Sender);
  void ButtonCancelClick(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // "Cannot create directory", then the destination field focused and selected.
  void RefuseDestination();
};

extern TFormEditTask* FormEditTask;

// Gives the window its built-in English captions.
void SetEnglishEditTask();
