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
// The formats default to the system locale's, made readable as
// DateFormatLocale.h says; tests set their own. The AM/PM markers are the
// locale's ("AM" and "PM" where it has none). Safe to call from any thread.
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

namespace DateFormat {

QString ShortDateFormat();
QString LongTimeFormat();
void SetShortDateFormat(const QString& format);
void SetLongTimeFormat(const QString& format);
// Back to the system locale's formats.
void ResetToSystem();
// The formats a locale gives, converted as the system locale's are.
void UseLocale(const QLocale& locale);
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
// The text of a file's date in the result list and the file-exists dialog:
// as DateTimeToStr, then " 00:00:00" after a bare date shorter than 11
// characters, and a "0" before a one-digit hour that follows a
// ten-character date ("01.02.2003 09:05:07"). Every text it makes reads back.
QString DateTimeToListStr(const QDate& date, const QTime& time);
QString TimeToStr(const QTime& value);

// Reads a text back by the current formats: the date's numbers in the order of
// the short date format separated by the date separator (day and month one or
// two digits, a two-digit year in Windows' window 1950-2049), then
// optionally blanks and a time h[:m[:s[.z]]] with an optional AM/PM marker
// (the locale's, or AM / PM) before or after it; between the numbers of the
// time stands the time separator, ":" or the word the long time format puts
// there ("9時05分07秒", "9 h 05 min 07 s"). A text
// that is only a time gives the date 30.12.1899 (the toolkit's day zero).
// Returns false, leaving `value` unchanged, when the text does not read.
bool TryStrToDateTime(const QString& text, QDateTime& value);
// The same, giving the date and the wall-clock time apart: no time-zone
// work, so it is quick and a time in a daylight-saving gap stays as written.
bool TryStrToDateAndTime(const QString& text, QDate& date, QTime& time);
bool TryStrToDate(const QString& text, QDate& value);
bool TryStrToTime(const QString& text, QTime& value);

}  // namespace DateFormat
