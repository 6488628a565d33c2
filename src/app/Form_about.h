#pragma once
// The about box.
#include <QDialog>

class TFormAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TFormAbout(QWidget* Owner = nullptr);
  ~TFormAbout() override;
};

extern TFormAbout* FormAbout;
