#include "transfer/Progress.h"

#include <cmath>

#include "config/En_language.h"

namespace Progress {

int Percent(double done, double total) {
  if (!(total > 0) || !(done > 0)) return 0;
  const double p = std::trunc(done / total * 100.0);
  return p >= 100.0 ? 100 : static_cast<int>(p);
}

std::int64_t SecondsLeft(double total, double done, std::int64_t tickBytes) {
  if (tickBytes <= 0) return 0;
  const double left = total - done;
  if (!(left > 0)) return 0;
  return static_cast<std::int64_t>(std::trunc(left / static_cast<double>(tickBytes)));
}

QString SpeedText(std::int64_t tickBytes) {
  return TextCopyToSpeed + QLatin1String(": ") + QString::number(tickBytes / 1024) + QLatin1Char(' ') +
         TextCopyToKbs;
}

QString TimeLeftText(std::int64_t secondsLeft) {
  if (secondsLeft / 60 > 0)
    return TextCopyToTimeLeft + QLatin1String(": ") + QString::number(secondsLeft / 60) + QLatin1Char(' ') +
           TextCopyToMinute;
  return TextCopyToTimeLeft + QLatin1String(": ") + QString::number(secondsLeft) + QLatin1Char(' ') +
         TextCopyToSecond;
}

QString CaptionText(int totalPercent) {
  return QString::number(totalPercent) + QLatin1String("% - ") + TextCopyToCopy;
}

}  // namespace Progress
