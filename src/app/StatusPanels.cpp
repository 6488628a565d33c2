#include "app/StatusPanels.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>

namespace {

// A panel whose text never asks for more room than the bar gives it: a long
// text (a deep search path) is elided instead of widening the window.
class TPanelLabel : public QLabel {
 public:
  using QLabel::QLabel;
  QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
  QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, r.width()));
  }
};

}  // namespace

TStatusBar::TStatusBar(int panelCount, QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  setFixedHeight(19);
  for (int i = 0; i < panelCount; ++i) {
    auto* label = i == 0 ? new TPanelLabel(this) : new QLabel(this);
    label->setObjectName(QStringLiteral("Panel%1").arg(i));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    // Panel 0 stretches over what the others leave and asks for no width of
    // its own, so neither its width value nor its text sizes the window.
    if (i == 0) label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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
