#pragma once
// The file-type group editor.
#include <QDialog>

class TFormEditGroup : public QDialog {
  Q_OBJECT
 public:
  explicit TFormEditGroup(QWidget* Owner = nullptr);
  ~TFormEditGroup() override;
};

extern TFormEditGroup* FormEditGroup;

// Gives the window its built-in English captions.
void SetEnglishEditGroup();

// Refills the main window's group combo box from section Groups.
void LoadGroups();
