#pragma once
// The about box.
#include <QDialog>

class QAction;
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
};

extern TFormAbout* FormAbout;
