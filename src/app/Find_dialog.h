#pragma once
// The find-text dialog of the result list: a modeless window with the text
// to find, "Match whole word only", "Match case", the direction Up / Down
// and the buttons Find Next and Cancel. Each press of Find Next emits Find;
// the main window reads the text and the options and does the search.
#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Option bits, as the toolkit's find dialog reports them.
constexpr int frDown = 0x1;
constexpr int frWholeWord = 0x2;
constexpr int frMatchCase = 0x4;

class TFindDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFindDialog(QWidget* parent = nullptr);

  QString FindText() const;
  void SetFindText(const QString& text);
  // A combination of frDown, frWholeWord and frMatchCase.
  int Options() const;
  void SetOptions(int options);

  // Shows the dialog without waiting (it stays open beside the list).
  void Execute();

  QLineEdit* EditFindText = nullptr;
  QCheckBox* CheckBoxWholeWord = nullptr;
  QCheckBox* CheckBoxMatchCase = nullptr;
  QRadioButton* RadioButtonUp = nullptr;
  QRadioButton* RadioButtonDown = nullptr;
  QPushButton* ButtonFindNext = nullptr;
  QPushButton* ButtonCancel = nullptr;

 signals:
  // Find Next was pressed.
  void Find();
};
