#include "app/StatusPanels.h"

#include <QFrame>
#include <QLabel>

TStatusBar::TStatusBar(int panelCount, QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  setFixedHeight(19);
  for (int i = 0; i < panelCount; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("Panel%1").arg(i));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    // Panel 0 stretches, so a fixed width never keeps the window from shrinking.
    if (i == 0) label->setMinimumWidth(0);
    addWidget(label, i == 0 ? 1 : 0);
    FPanels.append(label);
    FWidths.append(50);
  }
}

QLabel* TStatusBar::Panel(int index) const {
  return index >= 0 && index < FPanels.size() ? FPanels[index] : nullptr;
}

QString TStatusBar::PanelText(int index) const {
  QLabel* p = Panel(index);
  return p ? p->text() : QString();
}

void TStatusBar::SetPanelText(int index, const QString& text) {
  if (QLabel* p = Panel(index)) p->setText(text);
}

int TStatusBar::PanelWidth(int index) const {
  return index >= 0 && index < FWidths.size() ? FWidths[index] : 0;
}

void TStatusBar::SetPanelWidth(int index, int width) {
  QLabel* p = Panel(index);
  if (!p) return;
  FWidths[index] = width < 0 ? 0 : width;
  if (index != 0) p->setFixedWidth(FWidths[index]);
}
