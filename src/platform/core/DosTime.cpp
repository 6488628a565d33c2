#include "platform/core/DosTime.h"

#include <ctime>

namespace DosTime {

namespace {

constexpr quint32 kFirst = (0u << 25) | (1u << 21) | (1u << 16);                       // 1980-01-01 00:00:00
constexpr quint32 kLast = (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;  // 2107-12-31 23:59:58

quint32 Pack(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) return kFirst;
  if (year > 2107) return kLast;
  return (quint32(year - 1980) << 25) | (quint32(month) << 21) | (quint32(day) << 16) | (quint32(hour) << 11) |
         (quint32(minute) << 5) | quint32(second / 2);
}

}  // namespace

quint32 FromUnixTime(qint64 secs) {
  const std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return secs < 0 ? kFirst : kLast;
  // A leap second (60) is folded into the last pair of the minute.
  return Pack(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, qMin(tm.tm_sec, 59));
}

quint32 DateTimeToFileDate(const QDateTime& dt) {
  if (!dt.isValid()) return kFirst;
  const QDateTime local = dt.toLocalTime();
  const QDate d = local.date();
  const QTime t = local.time();
  return Pack(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QDateTime FileDateToDateTime(quint32 dos) {
  const int year = int(dos >> 25) + 1980;
  const int month = int((dos >> 21) & 0x0F);
  const int day = int((dos >> 16) & 0x1F);
  const int hour = int((dos >> 11) & 0x1F);
  const int minute = int((dos >> 5) & 0x3F);
  const int second = int(dos & 0x1F) * 2;
  const QDate date(year, month, day);
  const QTime time(hour, minute, second);
  if (!date.isValid() || !time.isValid()) return {};
  return QDateTime(date, time);
}

qint64 ToUnixTime(quint32 dos) {
  const QDateTime dt = FileDateToDateTime(dos);
  return dt.isValid() ? dt.toSecsSinceEpoch() : -1;
}

}  // namespace DosTime
