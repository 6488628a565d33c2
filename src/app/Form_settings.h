#pragma once
// The settings dialog.
#include <QDialog>

class TFormSettings : public QDialog {
  Q_OBJECT
 public:
  explicit TFormSettings(QWidget* Owner = nullptr);
  ~TFormSettings() override;
};

extern TFormSettings* FormSettings;

// Gives the window its built-in English captions.
void SetEnglishSettings();
