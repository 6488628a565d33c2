#pragma once
// The task editor.
#include <QDialog>

class TFormEditTask : public QDialog {
  Q_OBJECT
 public:
  explicit TFormEditTask(QWidget* Owner = nullptr);
  ~TFormEditTask() override;
};

extern TFormEditTask* FormEditTask;

// Gives the window its built-in English captions.
void SetEnglishEditTask();
