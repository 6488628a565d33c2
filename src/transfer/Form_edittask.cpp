#include "transfer/Form_edittask.h"

TFormEditTask* FormEditTask = nullptr;

TFormEditTask::TFormEditTask(QWidget* Owner) : QDialog(Owner) {
  FormEditTask = this;
  setObjectName(QStringLiteral("FormEditTask"));
}

TFormEditTask::~TFormEditTask() {
  if (FormEditTask == this) FormEditTask = nullptr;
}

void SetEnglishEditTask() {}
