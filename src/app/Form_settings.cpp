#include "app/Form_settings.h"

TFormSettings* FormSettings = nullptr;

TFormSettings::TFormSettings(QWidget* Owner) : QDialog(Owner) {
  FormSettings = this;
  setObjectName(QStringLiteral("FormSettings"));
}

TFormSettings::~TFormSettings() {
  if (FormSettings == this) FormSettings = nullptr;
}

void SetEnglishSettings() {}
