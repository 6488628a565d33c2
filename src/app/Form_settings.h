#pragma once
// The settings dialog: an empty group box and the Ok, Apply and Cancel
// buttons. It holds no setting of its own; only Cancel (or Esc) acts, and
// closes it.
#include <QDialog>

class QGroupBox;
class QPushButton;

class TFormSettings : public QDialog {
  Q_OBJECT
 public:
  explicit TFormSettings(QWidget* Owner = nullptr);
  ~TFormSettings() override;

  QGroupBox* GroupBox1 = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonApply = nullptr;
  QPushButton* ButtonCancel = nullptr;  // also Esc

  // English captions when the current language is English.
  void FormShow(QObject* Sender);
  // Closes the dialog.
  void ButtonCancelClick(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

extern TFormSettings* FormSettings;

// Gives the window its built-in English button captions (not its caption).
void SetEnglishSettings();
