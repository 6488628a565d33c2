#pragma once
// The arithmetic and texts of transfer progress: whole percents, speed and
// time left, all cut toward zero.
#include <QString>
#include <cstdint>

namespace Progress {

// done / total x 100 cut toward zero and kept within 0..100; 0 when total <= 0.
int Percent(double done, double total);
// Seconds left when `tickBytes` moved during the last second: the rest of
// the total divided by them, cut toward zero; 0 when nothing moved or
// nothing is left.
std::int64_t SecondsLeft(double total, double done, std::int64_t tickBytes);
// "Speed: 512 kbytes/s" (in the current language).
QString SpeedText(std::int64_t tickBytes);
// "Time left: 3 m" from a minute on, else "Time left: 42 s".
QString TimeLeftText(std::int64_t secondsLeft);
// The window caption: "37% - Copy".
QString CaptionText(int totalPercent);

}  // namespace Progress
