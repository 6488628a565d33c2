#include "app/Form_about.h"

#include <QAction>
#include <QLayout>
#include <QToolBar>

TFormAbout* FormAbout = nullptr;

TFormAbout::TFormAbout(QWidget* Owner) : QDialog(Owner) {
  FormAbout = this;
  setObjectName(QStringLiteral("FormAbout"));

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
}

TFormAbout::~TFormAbout() {
  if (FormAbout == this) FormAbout = nullptr;
}
