#include "app/Form_settings.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>

#include "app/Researchform.h"
#include "config/En_language.h"

TFormSettings* FormSettings = nullptr;

namespace {

QPushButton* NewButton(QWidget* parent, const char* name, int left) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(left, 304, 75, 25);
  return b;
}

}  // namespace

TFormSettings::TFormSettings(QWidget* Owner) : QDialog(Owner) {
  FormSettings = this;
  setObjectName(QStringLiteral("FormSettings"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  setFixedSize(354, 340);

  GroupBox1 = new QGroupBox(this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(8, 8, 337, 273);

  ButtonOk = NewButton(this, "ButtonOk", 104);
  ButtonApply = NewButton(this, "ButtonApply", 184);
  ButtonCancel = NewButton(this, "ButtonCancel", 264);
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });
}

TFormSettings::~TFormSettings() {
  if (FormSettings == this) FormSettings = nullptr;
}

void TFormSettings::FormShow(QObject*) {
  if (CurrentLanguage == QLatin1String("English")) SetEnglishSettings();
}

void TFormSettings::ButtonCancelClick(QObject*) { reject(); }

void TFormSettings::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnMainWindow(this);
  FormShow(this);
}

void TFormSettings::keyPressEvent(QKeyEvent* event) {
  // Cancel is the dialog's cancel button: Esc presses it.
  if (event->key() == Qt::Key_Escape) {
    ButtonCancel->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void SetEnglishSettings() {
  if (!FormSettings) return;
  FormSettings->ButtonOk->setText(QStringLiteral("Ok"));
  FormSettings->ButtonApply->setText(QStringLiteral("Apply"));
  FormSettings->ButtonCancel->setText(QStringLiteral("Cancel"));
}
