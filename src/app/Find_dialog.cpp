#include "app/Find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindDialog"));
  setWindowTitle(QStringLiteral("Find"));
  setModal(false);

  auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
  EditFindText = new QLineEdit(this);
  EditFindText->setObjectName(QStringLiteral("EditFindText"));
  label->setBuddy(EditFindText);

  CheckBoxWholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
  CheckBoxWholeWord->setObjectName(QStringLiteral("CheckBoxWholeWord"));
  CheckBoxMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
  CheckBoxMatchCase->setObjectName(QStringLiteral("CheckBoxMatchCase"));

  auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
  RadioButtonUp = new QRadioButton(QStringLiteral("&Up"), direction);
  RadioButtonUp->setObjectName(QStringLiteral("RadioButtonUp"));
  RadioButtonDown = new QRadioButton(QStringLiteral("&Down"), direction);
  RadioButtonDown->setObjectName(QStringLiteral("RadioButtonDown"));
  RadioButtonDown->setChecked(true);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(RadioButtonUp);
  directionLayout->addWidget(RadioButtonDown);

  ButtonFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
  ButtonFindNext->setObjectName(QStringLiteral("ButtonFindNext"));
  ButtonFindNext->setDefault(true);
  ButtonFindNext->setEnabled(false);  // nothing to find yet
  ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

  auto* grid = new QGridLayout;
  grid->addWidget(label, 0, 0);
  grid->addWidget(EditFindText, 0, 1, 1, 2);
  grid->addWidget(CheckBoxWholeWord, 1, 0, 1, 2);
  grid->addWidget(CheckBoxMatchCase, 2, 0, 1, 2);
  grid->addWidget(direction, 1, 2, 2, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ButtonFindNext);
  buttons->addWidget(ButtonCancel);
  buttons->addStretch(1);
  auto* outer = new QHBoxLayout(this);
  outer->addLayout(grid, 1);
  outer->addLayout(buttons);

  connect(EditFindText, &QLineEdit::textChanged, this,
          [this](const QString& text) { ButtonFindNext->setEnabled(!text.isEmpty()); });
  connect(ButtonFindNext, &QPushButton::clicked, this, [this] {
    if (!FindText().isEmpty()) emit Find();
  });
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFindDialog::FindText() const { return EditFindText->text(); }

void TFindDialog::SetFindText(const QString& text) { EditFindText->setText(text); }

int TFindDialog::Options() const {
  int options = 0;
  if (RadioButtonDown->isChecked()) options |= frDown;
  if (CheckBoxWholeWord->isChecked()) options |= frWholeWord;
  if (CheckBoxMatchCase->isChecked()) options |= frMatchCase;
  return options;
}

void TFindDialog::SetOptions(int options) {
  (options & frDown ? RadioButtonDown : RadioButtonUp)->setChecked(true);
  CheckBoxWholeWord->setChecked(options & frWholeWord);
  CheckBoxMatchCase->setChecked(options & frMatchCase);
}

void TFindDialog::Execute() {
  show();
  raise();
  activateWindow();
  EditFindText->setFocus();
  EditFindText->selectAll();
}
