#include "search/Editgroups.h"

TFormEditGroup* FormEditGroup = nullptr;

TFormEditGroup::TFormEditGroup(QWidget* Owner) : QDialog(Owner) {
  FormEditGroup = this;
  setObjectName(QStringLiteral("FormEditGroup"));
}

TFormEditGroup::~TFormEditGroup() {
  if (FormEditGroup == this) FormEditGroup = nullptr;
}

void SetEnglishEditGroup() {}

void LoadGroups() {}
