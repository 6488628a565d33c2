#pragma once
// A locale's short date and long time formats (Qt's letters) made into
// formats of the toolkit's letters whose texts read back: only the fields
// and the visible separators between them stay. Direction marks, time-zone
// fields with the brackets and commas around them, and words before or after
// the fields go; a short date with month names or without separators becomes
// a numeric one in the same order. A long time keeps its AM/PM marker, and
// the words some locales put between its numbers ("9時05分07秒"), which the
// reader knows.
#include <QString>

namespace DateFormat {

QString ReadableShortDate(const QString& localeFormat);
QString ReadableLongTime(const QString& localeFormat);

}  // namespace DateFormat
