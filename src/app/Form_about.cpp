#include "app/Form_about.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QToolBar>

#include "app/Researchform.h"

TFormAbout* FormAbout = nullptr;

namespace {

constexpr int ClientWidth = 267;
constexpr int ClientHeight = 130;

QLabel* NewStaticText(QWidget* parent, const char* name, int top, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(88, top);
  label->adjustSize();
  return label;
}

}  // namespace

TFormAbout::TFormAbout(QWidget* Owner) : QDialog(Owner) {
  FormAbout = this;
  setObjectName(QStringLiteral("FormAbout"));
  setWindowTitle(QStringLiteral("About Trawlix"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  setFixedSize(ClientWidth, ClientHeight);

  ToolBarAbout = new QToolBar(this);
  ToolBarAbout->setObjectName(QStringLiteral("ToolBarAbout"));
  ToolBarAbout->setMovable(false);
  ToolBarAbout->setFloatable(false);
  ToolBarAbout->setContextMenuPolicy(Qt::PreventContextMenu);
  ToolBarAbout->setIconSize(QSize(48, 48));
  ToolBarAbout->setToolButtonStyle(Qt::ToolButtonIconOnly);
  // No edges: the button's whole 48 x 48 is the logo, drawn unscaled.
  ToolBarAbout->setStyleSheet(QStringLiteral(
      "QToolBar { border: none; padding: 0px; spacing: 0px; }"
      "QToolButton { border: none; padding: 0px; margin: 0px; }"));
  ToolBarAbout->layout()->setContentsMargins(0, 0, 0, 0);
  ToolBarAbout->setGeometry(16, 16, 50, 50);
  ToolButtonIcon = new QAction(this);
  ToolButtonIcon->setObjectName(QStringLiteral("ToolButtonIcon"));
  ToolButtonIcon->setEnabled(false);
  ToolBarAbout->addAction(ToolButtonIcon);
  if (QWidget* button = ToolBarAbout->widgetForAction(ToolButtonIcon)) {
    button->setFixedSize(48, 48);
  }

  StaticText = NewStaticText(this, "StaticText", 16, QStringLiteral("Trawlix " TRAWLIX_VERSION));
  StaticText1 = NewStaticText(this, "StaticText1", 40, QStringLiteral("\u00A9 2024 Trawlix Software"));
  StaticText2 = NewStaticText(this, "StaticText2", 64, QStringLiteral("All rights reserved."));

  ButtonOk = new QPushButton(QStringLiteral("Ok"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setGeometry(0, 96, 75, 25);
  ButtonOk->setDefault(true);
  connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(ButtonOk); });

  FormCreate(this);
}

TFormAbout::~TFormAbout() {
  if (FormAbout == this) FormAbout = nullptr;
}

void TFormAbout::FormCreate(QObject*) {
  ButtonOk->move((width() - ButtonOk->width()) / 2, ButtonOk->y());
}

void TFormAbout::ButtonOkClick(QObject*) { reject(); }

void TFormAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnMainWindow(this);
}

void TFormAbout::keyPressEvent(QKeyEvent* event) {
  // Ok is the box's cancel button: Esc presses it.
  if (event->key() == Qt::Key_Escape) {
    ButtonOk->click();
    return;
  }
  QDialog::keyPressEvent(event);
}
