#pragma once
// The about box: the logo, the program's name and version, the ownership
// notice and the rights line, and an Ok button that Esc also presses. Its
// texts are fixed; a language file does not change them.
#include <QDialog>

class QAction;
class QLabel;
class QPushButton;
class QToolBar;

class TFormAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TFormAbout(QWidget* Owner = nullptr);
  ~TFormAbout() override;

  // The logo: a tool bar with one disabled button, drawn from the tool bar's
  // disabled pictures (LoadToolbarImages gives it the logo).
  QToolBar* ToolBarAbout = nullptr;
  QAction* ToolButtonIcon = nullptr;
  QLabel* StaticText = nullptr;   // name and version
  QLabel* StaticText1 = nullptr;  // year and maker
  QLabel* StaticText2 = nullptr;  // rights
  QPushButton* ButtonOk = nullptr;  // also Esc

  // Centres ButtonOk in the client area.
  void FormCreate(QObject* Sender);
  // Closes the box.
  void ButtonOkClick(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

extern TFormAbout* FormAbout;
