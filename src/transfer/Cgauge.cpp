#include "transfer/Cgauge.h"

#include <QPainter>
#include <algorithm>

namespace {
// The desktop-background colour of the classic Windows scheme, which the bar uses.
const QColor BarColor(0x3A, 0x6E, 0xA5);
}  // namespace

TCGauge::TCGauge(QWidget* parent) : QWidget(parent) {
  QFont f = font();
  f.setBold(true);
  setFont(f);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCGauge::SetProgress(int value) {
  value = std::clamp(value, 0, 100);
  if (value == FProgress) return;
  FProgress = value;
  update();
}

void TCGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const QString text = QString::number(FProgress) + QLatin1Char('%');
  const int filled = r.width() * FProgress / 100;
  const QRect bar(r.left(), r.top(), filled, r.height());
  const QRect rest(r.left() + filled, r.top(), r.width() - filled, r.height());

  // The empty part: button face with dark text.
  p.fillRect(rest, palette().color(QPalette::Button));
  p.setClipRect(rest);
  p.setPen(palette().color(QPalette::ButtonText));
  p.drawText(r, Qt::AlignCenter, text);
  // The filled part: bar colour with light text, so the percent stays readable.
  p.setClipRect(bar);
  p.fillRect(bar, BarColor);
  p.setPen(Qt::white);
  p.drawText(r, Qt::AlignCenter, text);
  p.setClipping(false);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(r.adjusted(0, 0, -1, -1));
}
