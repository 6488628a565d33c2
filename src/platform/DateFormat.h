#pragma once
// The system's short date and long time formats and the toolkit's rules for
// turning date-times into text and back.
//
// Formats use the toolkit's letters: d dd (day), ddd dddd (day names),
// m mm (month; minutes when it follows an h or hh), mmm mmmm (month names),
// yy yyyy (year), h hh (hour), n nn (minutes), s ss (seconds), z zzz
// (milliseconds), am/pm a/p ampm (12-hour clock), "/" the date separator,
// ":" the time separator, 'text' and "text" literal; any other character is
// copied as it is.
//
// The formats default to the system locale's, converted to these letters;
// tests set their own. Safe to call from any thread.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace DateFormat {

QString ShortDateFormat();
QString LongTimeFormat();
void SetShortDateFormat(const QString& format);
void SetLongTimeFormat(const QString& format);
// Back to the system locale's formats.
void ResetToSystem();
// Changes with every change of the formats: a text made while it had one
// value still holds while it has it.
unsigned FormatGeneration();

// The separators: the first character of the format that is no letter
// (defaults "/" and ":" when the format has none).
QChar DateSeparator();
QChar TimeSeparator();

// A format of the system locale (Qt's letters) in the toolkit's letters.
QString FromLocaleFormat(const QString& localeFormat);

// Formats by the toolkit's letters.
QString FormatDateTime(const QString& format, const QDateTime& value);
// Short date, and " " + long time unless the time is exactly midnight.
QString DateTimeToStr(const QDateTime& value);
// The same for a local date and time given apart (no time-zone work).
QString DateTimeToStr(const QDate& date, const QTime& time);
QString DateToStr(const QDate& value);
QString TimeToStr(const QTime& value);

// Reads a text back by the current formats: the date's numbers in the order of
// the short date format separated by the date separator (day and month one or
// two digits, a two-digit year in the century window around today), then
// optionally blanks and a time h[:m[:s[.z]]] with an optional AM/PM. A text
// that is only a time gives the date 30.12.1899 (the toolkit's day zero).
// Returns false, leaving `value` unchanged, when the text does not read.
bool TryStrToDateTime(const QString& text, QDateTime& value);
bool TryStrToDate(const QString& text, QDate& value);
bool TryStrToTime(const QString& text, QTime& value);

}  // namespace DateFormat
