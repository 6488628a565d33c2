#pragma once
// DOS packed date-time, the form in which find records and file-date calls
// carry a modification time: local time, two-second resolution.
//
// Bits 31-25 year - 1980, 24-21 month, 20-16 day, 15-11 hour, 10-5 minute,
// 4-0 second / 2. Times before 1980-01-01 pack as 1980-01-01 00:00:00 and
// times after 2107 as 2107-12-31 23:59:58, the ends of the DOS range.
#include <QDateTime>
#include <QtGlobal>

namespace DosTime {

// A point in time (seconds since 1970-01-01 UTC) as local DOS date-time.
quint32 FromUnixTime(qint64 secs);
// A date-time value as DOS date-time (taken in local time).
quint32 DateTimeToFileDate(const QDateTime& dt);
// A DOS date-time as a local date-time; invalid when the fields do not form
// a date and time (month 0, day 31 of April, second 60 and so on).
QDateTime FileDateToDateTime(quint32 dos);
// A DOS date-time as seconds since 1970-01-01 UTC; -1 when invalid.
qint64 ToUnixTime(quint32 dos);

}  // namespace DosTime
