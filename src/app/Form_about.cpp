#include "app/Form_about.h"

TFormAbout* FormAbout = nullptr;

TFormAbout::TFormAbout(QWidget* Owner) : QDialog(Owner) {
  FormAbout = this;
  setObjectName(QStringLiteral("FormAbout"));
}

TFormAbout::~TFormAbout() {
  if (FormAbout == this) FormAbout = nullptr;
}
