#include "platform/core/DateFormat.h"

#include <atomic>

#include <QLocale>
#include <QStringList>
#include <mutex>

#include "platform/core/DateFormatLocale.h"

namespace DateFormat {
namespace {

// The formats in force and what reading texts back needs of them, prepared
// once per change of the formats rather than at every read.
struct Snapshot {
  QString ShortDate;
  QString LongTime;
  QChar DateSep;
  QChar TimeSep;
  QString Order;  // "DMY", "MDY" or "YMD"
  bool DateEndsWithSep = false;
  // The words some locales put after the hour, the minutes and the seconds
  // instead of a separator ("9時05分07秒").
  QString AfterHour;
  QString AfterMinute;
  QString AfterSecond;
  // The 12-hour markers: the locale's own, "AM" and "PM" where it has none.
  QString AmText = QStringLiteral("AM");
  QString PmText = QStringLiteral("PM");
};

struct Formats {
  std::mutex Lock;
  bool Loaded = false;
  QString ShortDate;
  QString LongTime;
  QString AmText = QStringLiteral("AM");
  QString PmText = QStringLiteral("PM");
  Snapshot Prepared;
};

Formats& Current() {
  static Formats formats;
  return formats;
}

QChar FirstSeparator(const QString& format, QChar fallback);

Snapshot Prepare(const Formats& f);

// Called with the lock held.
void LoadFrom(Formats& f, const QLocale& locale) {
  f.ShortDate = ReadableShortDate(locale.dateFormat(QLocale::ShortFormat));
  f.LongTime = ReadableLongTime(locale.timeFormat(QLocale::LongFormat));
  // Markers that cannot tell morning from afternoon give way to AM and PM.
  const QString am = locale.amText().trimmed(), pm = locale.pmText().trimmed();
  const bool usable = !am.isEmpty() && !pm.isEmpty() && am.compare(pm, Qt::CaseInsensitive) != 0;
  f.AmText = usable ? am : QStringLiteral("AM");
  f.PmText = usable ? pm : QStringLiteral("PM");
  f.Prepared = Prepare(f);
  f.Loaded = true;
}

// Called with the lock held.
void EnsureLoaded(Formats& f) {
  if (!f.Loaded) LoadFrom(f, QLocale::system());
}

QChar FirstSeparator(const QString& format, QChar fallback) {
  bool quoted = false;
  QChar quote;
  for (QChar c : format) {
    if (quoted) {
      if (c == quote) quoted = false;
      continue;
    }
    if (c == u'\'' || c == u'"') {
      quoted = true;
      quote = c;
      continue;
    }
    if (!c.isLetter() && !c.isSpace()) return c;
  }
  return fallback;
}

int CountRun(const QString& s, int i, QChar c) {
  int n = 0;
  while (i + n < s.size() && s[i + n].toLower() == c) ++n;
  return n;
}

void AppendNumber(QString& out, int value, int minDigits) {
  char digits[12];
  int n = 0;
  unsigned v = value < 0 ? 0u : unsigned(value);
  do {
    digits[n++] = char('0' + v % 10);
    v /= 10;
  } while (v);
  for (int k = n; k < minDigits; ++k) out += u'0';
  while (n) out += QLatin1Char(digits[--n]);
}

bool StartsWithCI(const QString& s, int i, const char* token) {
  for (int k = 0; token[k]; ++k) {
    if (i + k >= s.size()) return false;
    if (s[i + k].toLower() != QChar(QLatin1Char(token[k])).toLower()) return false;
  }
  return true;
}

// The order of day, month and year in a short date format: "DMY", "MDY" or "YMD".
QString DateOrder(const QString& format) {
  QString order;
  for (QChar c : format) {
    const QChar l = c.toLower();
    if ((l == u'd' || l == u'm' || l == u'y') && !order.contains(l.toUpper())) order += l.toUpper();
  }
  if (order.size() != 3) return QStringLiteral("DMY");
  return order;
}

// Reads an unsigned number of 1..maxDigits digits at pos.
bool ScanNumber(const QString& s, int& pos, int maxDigits, int& value, int* digits = nullptr) {
  int n = 0;
  int v = 0;
  while (pos + n < s.size() && s[pos + n].isDigit() && n < maxDigits) {
    v = v * 10 + s[pos + n].digitValue();
    ++n;
  }
  if (n == 0) return false;
  pos += n;
  value = v;
  if (digits) *digits = n;
  return true;
}

void SkipBlanks(const QString& s, int& pos) {
  while (pos < s.size() && s[pos] == u' ') ++pos;
}

// This year, for dates without a year and the two-digit century window.
// Asking the clock for a local date costs more than reading a date: the
// year is kept and looked at again once a minute.
int CurrentYear() {
  static std::atomic<qint64> checkedAt{0};
  static std::atomic<int> year{0};
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  const qint64 last = checkedAt.load(std::memory_order_acquire);
  int known = year.load(std::memory_order_acquire);
  if (known == 0 || now < last || now - last > 60000) {
    known = QDate::currentDate().year();
    year.store(known, std::memory_order_release);
    checkedAt.store(now, std::memory_order_release);
  }
  return known;
}

// The last year a two-digit year stands for, as Windows sets it by default.
constexpr int TwoDigitYearMax = 2049;

// Date part; pos is left after it.
bool ScanDate(const Snapshot& snap, const QString& s, int& pos, QDate& date) {
  const QString& order = snap.Order;
  const QChar sep = snap.DateSep;
  int values[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int p = pos;
  SkipBlanks(s, p);
  int count = 0;
  // Blanks may stand around the separators, as the formats of some locales
  // put them there ("1. 2. 2003").
  for (int k = 0; k < 3; ++k) {
    const int before = p;
    if (k > 0) {
      SkipBlanks(s, p);
      if (p >= s.size() || s[p] != sep) {
        p = before;
        break;
      }
      ++p;
      SkipBlanks(s, p);
    }
    if (!ScanNumber(s, p, 4, values[k], &digits[k])) {
      p = before;  // give the separator back
      break;
    }
    ++count;
  }
  if (count < 2) return false;
  // A format that ends with its separator ("yyyy. mm. dd.") leaves one behind.
  if (count == 3 && snap.DateEndsWithSep && p < s.size() && s[p] == sep) ++p;
  int day = 0, month = 0, year = 0;
  if (count == 2) {
    // Day and month only: the current year, in the format's order without the year.
    const bool dayFirst = order.indexOf(u'D') < order.indexOf(u'M');
    year = CurrentYear();
    day = dayFirst ? values[0] : values[1];
    month = dayFirst ? values[1] : values[0];
  } else {
    for (int k = 0; k < 3; ++k) {
      if (order[k] == u'D') day = values[k];
      if (order[k] == u'M') month = values[k];
      if (order[k] == u'Y') year = values[k];
    }
    const int yearDigits = digits[order.indexOf(u'Y')];
    if (yearDigits <= 2) {
      // Windows' two-digit-year window: 1950 to 2049.
      year += TwoDigitYearMax - TwoDigitYearMax % 100;
      if (year > TwoDigitYearMax) year -= 100;
    }
  }
  const QDate d(year, month, day);
  if (!d.isValid()) return false;
  date = d;
  pos = p;
  return true;
}

bool StartsWith(const QString& s, int i, const QString& token) {
  return !token.isEmpty() && QStringView(s).mid(i).startsWith(token);
}

// What stands between two numbers of a time: the time separator, a ":" (the
// text written for midnight uses it whatever the separator), or the word the
// long time format puts there. Steps over it; a number must follow a
// separator, while after a word the time may end.
enum class TimeGap { None, Separator, Word };

TimeGap SkipTimeGap(const Snapshot& snap, const QString& s, int& p, const QString& word) {
  if (p < s.size() && (s[p] == snap.TimeSep || s[p] == u':')) {
    ++p;
    return TimeGap::Separator;
  }
  // A word may have blanks around it ("9 h 05 min").
  int q = p;
  SkipBlanks(s, q);
  if (StartsWith(s, q, word)) {
    p = q + int(word.size());
    SkipBlanks(s, p);
    return TimeGap::Word;
  }
  return TimeGap::None;
}

bool StartsWithText(const QString& s, int i, const QString& token) {
  return !token.isEmpty() && QStringView(s).mid(i).startsWith(token, Qt::CaseInsensitive);
}

// The locale's markers, and AM and PM as every locale may read them.
bool ScanAmPm(const Snapshot& snap, const QString& s, int& p, bool& pm) {
  int q = p;
  SkipBlanks(s, q);
  // The longer of the locale's markers first: one may begin with the other.
  struct Marker {
    const QString* Text;
    bool Pm;
  };
  static const QString am = QStringLiteral("AM"), pmWord = QStringLiteral("PM");
  const bool pmFirst = snap.PmText.size() > snap.AmText.size();
  const Marker markers[] = {{pmFirst ? &snap.PmText : &snap.AmText, pmFirst},
                            {pmFirst ? &snap.AmText : &snap.PmText, !pmFirst},
                            {&am, false},
                            {&pmWord, true}};
  for (const Marker& marker : markers) {
    if (!StartsWithText(s, q, *marker.Text)) continue;
    pm = marker.Pm;
    p = q + int(marker.Text->size());
    return true;
  }
  return false;
}

// Time part; pos is left after it.
bool ScanTime(const Snapshot& snap, const QString& s, int& pos, QTime& time) {
  int p = pos;
  SkipBlanks(s, p);
  // A 12-hour marker may stand before the time, as some formats put it.
  bool pm = false;
  bool marked = ScanAmPm(snap, s, p, pm);
  SkipBlanks(s, p);
  int hour = 0, minute = 0, second = 0, msec = 0;
  if (!ScanNumber(s, p, 2, hour)) return false;
  const TimeGap afterHour = SkipTimeGap(snap, s, p, snap.AfterHour);
  if (afterHour != TimeGap::None) {
    if (ScanNumber(s, p, 2, minute)) {
      const TimeGap afterMinute = SkipTimeGap(snap, s, p, snap.AfterMinute);
      if (afterMinute != TimeGap::None) {
        if (ScanNumber(s, p, 2, second)) {
          if (p < s.size() && s[p] == u'.') {
            ++p;
            int digits = 0;
            if (!ScanNumber(s, p, 3, msec, &digits)) return false;
            while (digits++ < 3) msec *= 10;
          }
          int q = p;
          SkipBlanks(s, q);
          if (StartsWith(s, q, snap.AfterSecond)) p = q + int(snap.AfterSecond.size());
        } else if (afterMinute == TimeGap::Separator) {
          return false;
        }
      }
    } else if (afterHour == TimeGap::Separator) {
      return false;
    }
  } else if (!marked) {
    // A bare number is no time unless AM/PM goes with it.
    int q = p;
    bool unused = false;
    if (!ScanAmPm(snap, s, q, unused)) return false;
  }
  if (!marked) marked = ScanAmPm(snap, s, p, pm);
  if (marked) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (pm ? 12 : 0);
  }
  const QTime t(hour, minute, second, msec);
  if (!t.isValid()) return false;
  time = t;
  pos = p;
  return true;
}

bool AtEnd(const QString& s, int pos) {
  SkipBlanks(s, pos);
  return pos >= s.size();
}

}  // namespace

QString ShortDateFormat() {
  Formats& f = Current();
  std::lock_guard<std::mutex> guard(f.Lock);
  EnsureLoaded(f);
  return f.ShortDate;
}

QString LongTimeFormat() {
  Formats& f = Current();
  std::lock_guard<std::mutex> guard(f.Lock);
  EnsureLoaded(f);
  return f.LongTime;
}

namespace {
// Counts the changes of the formats, so callers can keep texts made with them.
std::atomic<unsigned> FormatGeneration_{0};
}  // namespace

void SetShortDateFormat(const QString& format) {
  Formats& f = Current();
  std::lock_guard<std::mutex> guard(f.Lock);
  EnsureLoaded(f);
  f.ShortDate = format;
  f.Prepared = Prepare(f);
  ++FormatGeneration_;
}

void SetLongTimeFormat(const QString& format) {
  Formats& f = Current();
  std::lock_guard<std::mutex> guard(f.Lock);
  EnsureLoaded(f);
  f.LongTime = format;
  f.Prepared = Prepare(f);
  ++FormatGeneration_;
}

void ResetToSystem() { UseLocale(QLocale::system()); }

void UseLocale(const QLocale& locale) {
  Formats& f = Current();
  std::lock_guard<std::mutex> guard(f.Lock);
  LoadFrom(f, locale);
  ++FormatGeneration_;
}

unsigned FormatGeneration() { return FormatGeneration_.load(std::memory_order_acquire); }

namespace {

Snapshot TakeSnapshot() {
  Formats& f = Current();
  std::lock_guard<std::mutex> guard(f.Lock);
  EnsureLoaded(f);
  return f.Prepared;
}

// The literal text after each of the hour, minute and second fields of a
// time format, blanks trimmed; separators (":") are not words and stay out.
void TimeWords(const QString& format, Snapshot& snap) {
  QString* target = nullptr;
  QChar last;
  int i = 0;
  while (i < format.size()) {
    const QChar c = format[i];
    if (c == u'\'' || c == u'"') {
      int end = format.indexOf(c, i + 1);
      if (end < 0) end = int(format.size());
      if (target) *target += format.mid(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    const QChar l = c.toLower();
    if (l == u'h' || l == u'n' || l == u's' || (l == u'm' && last == u'h')) {
      const QChar field = l == u'm' ? u'n' : l;
      target = field == u'h' ? &snap.AfterHour : field == u'n' ? &snap.AfterMinute : &snap.AfterSecond;
      target->clear();
      last = field;
      i += CountRun(format, i, l);
      continue;
    }
    if (c.isLetter()) {
      // Another field (AM/PM, milliseconds) ends the word of the one before.
      target = nullptr;
      ++i;
      continue;
    }
    if (target && c != u':') *target += c;
    ++i;
  }
  snap.AfterHour = snap.AfterHour.trimmed();
  snap.AfterMinute = snap.AfterMinute.trimmed();
  snap.AfterSecond = snap.AfterSecond.trimmed();
}

Snapshot Prepare(const Formats& f) {
  const QString& shortDate = f.ShortDate;
  const QString& longTime = f.LongTime;
  Snapshot snap;
  snap.ShortDate = shortDate;
  snap.LongTime = longTime;
  snap.AmText = f.AmText;
  snap.PmText = f.PmText;
  snap.DateSep = FirstSeparator(shortDate, u'/');
  snap.TimeSep = FirstSeparator(longTime, u':');
  snap.Order = DateOrder(shortDate);
  snap.DateEndsWithSep = shortDate.trimmed().endsWith(snap.DateSep);
  TimeWords(longTime, snap);
  return snap;
}

QString Format(const Snapshot& snap, const QString& format, const QDate& date, const QTime& time);

QString DateTimeText(const Snapshot& snap, const QDate& date, const QTime& time) {
  QString text = Format(snap, snap.ShortDate, date, time);
  if (time.isValid() && time != QTime(0, 0)) {
    text += u' ';
    text += Format(snap, snap.LongTime, date, time);
  }
  return text;
}

}  // namespace

QChar DateSeparator() { return TakeSnapshot().DateSep; }
QChar TimeSeparator() { return TakeSnapshot().TimeSep; }

QString FromLocaleFormat(const QString& localeFormat) {
  QString out;
  const QString& s = localeFormat;
  int i = 0;
  while (i < s.size()) {
    const QChar c = s[i];
    if (c == u'\'') {
      // Qt quotes literals with ' and doubles it for a quote itself.
      int j = i + 1;
      QString literal;
      while (j < s.size()) {
        if (s[j] == u'\'') {
          if (j + 1 < s.size() && s[j + 1] == u'\'') {
            literal += u'\'';
            j += 2;
            continue;
          }
          break;
        }
        literal += s[j++];
      }
      if (i + 1 < s.size() && s[i + 1] == u'\'' && literal.isEmpty()) {
        out += QStringLiteral("\"'\"");
        i += 2;
        continue;
      }
      if (!literal.isEmpty()) out += u'"' + literal + u'"';
      i = j + 1;
      continue;
    }
    int n = 1;
    while (i + n < s.size() && s[i + n] == c) ++n;
    switch (c.unicode()) {
      case u'd':
        out += QString(qMin(n, 4), u'd');
        break;
      case u'M':
        out += QString(qMin(n, 4), u'm');
        break;
      case u'y':
        out += n >= 3 ? QStringLiteral("yyyy") : QStringLiteral("yy");
        break;
      case u'h':
      case u'H':
        out += n >= 2 ? QStringLiteral("hh") : QStringLiteral("h");
        break;
      case u'm':
        out += n >= 2 ? QStringLiteral("nn") : QStringLiteral("n");
        break;
      case u's':
        out += n >= 2 ? QStringLiteral("ss") : QStringLiteral("s");
        break;
      case u'z':
        out += n >= 3 ? QStringLiteral("zzz") : QStringLiteral("z");
        break;
      case u'A':
      case u'a':
        // AP / ap: the 12-hour clock marker.
        if (i + 1 < s.size() && s[i + 1].toLower() == u'p') {
          out += QStringLiteral("ampm");
          n = 2;
        } else {
          out += u'"' + QString(c) + u'"';
        }
        break;
      case u't':
        // The time zone has no toolkit letter: drop it with a blank before it.
        if (out.endsWith(u' ')) out.chop(1);
        break;
      default:
        if (c.isLetter())
          out += u'"' + QString(n, c) + u'"';
        else
          out += QString(n, c);
        break;
    }
    i += n;
  }
  return out.trimmed();
}

namespace {

QString Format(const Snapshot& snap, const QString& format, const QDate& date, const QTime& givenTime) {
  const QTime time = givenTime.isValid() ? givenTime : QTime(0, 0);
  // Day and month names only; made once.
  static const QLocale locale = QLocale::system();
  // A 12-hour clock when the format holds an AM/PM marker.
  bool twelveHour = false;
  {
    bool quoted = false;
    QChar quote;
    for (int i = 0; i < format.size(); ++i) {
      const QChar c = format[i];
      if (quoted) {
        if (c == quote) quoted = false;
        continue;
      }
      if (c == u'\'' || c == u'"') {
        quoted = true;
        quote = c;
        continue;
      }
      if ((c == u'a' || c == u'A') &&
          (StartsWithCI(format, i, "am/pm") || StartsWithCI(format, i, "a/p") || StartsWithCI(format, i, "ampm"))) {
        twelveHour = true;
        break;
      }
    }
  }
  QString out;
  QChar lastToken;
  int i = 0;
  while (i < format.size()) {
    const QChar c = format[i];
    QChar token = c.toUpper();
    if (c == u'\'' || c == u'"') {
      const int end = format.indexOf(c, i + 1);
      if (end < 0) {
        out += format.mid(i + 1);
        break;
      }
      out += format.mid(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    if (token.isLetter() && token.unicode() < 128) {
      if (token == u'M' && lastToken == u'H') token = u'N';
      lastToken = token;
    }
    const int n = CountRun(format, i, c.toLower());
    switch (token.unicode()) {
      case u'C':
        out += DateTimeText(snap, date, givenTime);
        i += 1;
        continue;
      case u'D':
        if (n == 1 || n == 2)
          AppendNumber(out, date.day(), n);
        else if (n == 3)
          out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
        else if (n == 4)
          out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
        else if (n == 5)
          out += Format(snap, snap.ShortDate, date, givenTime);
        else
          out += locale.toString(date, QLocale::LongFormat);
        i += qMin(n, 6);
        continue;
      case u'M':
        if (n <= 2)
          AppendNumber(out, date.month(), n);
        else if (n == 3)
          out += locale.monthName(date.month(), QLocale::ShortFormat);
        else
          out += locale.monthName(date.month(), QLocale::LongFormat);
        i += qMin(n, 4);
        continue;
      case u'N':
        AppendNumber(out, time.minute(), qMin(n, 2));
        i += qMin(n, 2);
        continue;
      case u'Y':
        AppendNumber(out, n <= 2 ? date.year() % 100 : date.year(), n <= 2 ? 2 : 4);
        i += n <= 2 ? n : qMin(n, 4);
        continue;
      case u'H': {
        int hour = time.hour();
        if (twelveHour) {
          hour %= 12;
          if (hour == 0) hour = 12;
        }
        AppendNumber(out, hour, qMin(n, 2));
        i += qMin(n, 2);
        continue;
      }
      case u'S':
        AppendNumber(out, time.second(), qMin(n, 2));
        i += qMin(n, 2);
        continue;
      case u'Z':
        AppendNumber(out, time.msec(), n >= 3 ? 3 : 1);
        i += n >= 3 ? 3 : 1;
        continue;
      case u'T':
        out += Format(snap, snap.LongTime, date, givenTime);
        i += n >= 2 ? 2 : 1;
        continue;
      case u'A': {
        const bool pm = time.hour() >= 12;
        if (StartsWithCI(format, i, "am/pm")) {
          const QString part = format.mid(i, 5);
          const QString word = pm ? part.mid(3, 2) : part.mid(0, 2);
          out += word;
          i += 5;
        } else if (StartsWithCI(format, i, "a/p")) {
          const QString part = format.mid(i, 3);
          out += pm ? part.mid(2, 1) : part.mid(0, 1);
          i += 3;
        } else if (StartsWithCI(format, i, "ampm")) {
          out += pm ? snap.PmText : snap.AmText;
          i += 4;
        } else {
          out += c;
          i += 1;
        }
        continue;
      }
      case u'/':
        out += snap.DateSep;
        i += 1;
        continue;
      case u':':
        out += snap.TimeSep;
        i += 1;
        continue;
      default:
        out += c;
        i += 1;
        continue;
    }
  }
  return out;
}

}  // namespace

QString FormatDateTime(const QString& format, const QDateTime& value) {
  return Format(TakeSnapshot(), format, value.date(), value.time());
}

QString DateTimeToStr(const QDateTime& value) { return DateTimeText(TakeSnapshot(), value.date(), value.time()); }

QString DateTimeToStr(const QDate& date, const QTime& time) { return DateTimeText(TakeSnapshot(), date, time); }

QString DateToStr(const QDate& value) {
  const Snapshot snap = TakeSnapshot();
  return Format(snap, snap.ShortDate, value, QTime(0, 0));
}

QString DateTimeToListStr(const QDate& date, const QTime& time) {
  const Snapshot snap = TakeSnapshot();
  QString text = Format(snap, snap.ShortDate, date, QTime(0, 0));
  if (!time.isValid() || time == QTime(0, 0)) {
    // Midnight: the time is left out, and a short date is given one.
    if (text.size() < 11) text += QStringLiteral(" 00:00:00");
    return text;
  }
  QString clock = Format(snap, snap.LongTime, date, time);
  // Only a one-digit hour straight after a ten-character date is widened; in
  // any other place a "0" would split a number and the text would not read back.
  if (text.size() == 10 && clock.size() >= 2 && clock[0].isDigit() && !clock[1].isDigit()) clock.prepend(u'0');
  text += u' ';
  text += clock;
  return text;
}

QString TimeToStr(const QTime& value) {
  const Snapshot snap = TakeSnapshot();
  return Format(snap, snap.LongTime, QDate(1899, 12, 30), value);
}

bool TryStrToDateAndTime(const QString& text, QDate& date, QTime& time) {
  const Snapshot snap = TakeSnapshot();
  int pos = 0;
  QDate d;
  QTime t(0, 0);
  if (ScanDate(snap, text, pos, d)) {
    if (!AtEnd(text, pos)) {
      if (!ScanTime(snap, text, pos, t) || !AtEnd(text, pos)) return false;
    }
    date = d;
    time = t;
    return true;
  }
  pos = 0;
  if (ScanTime(snap, text, pos, t) && AtEnd(text, pos)) {
    date = QDate(1899, 12, 30);
    time = t;
    return true;
  }
  return false;
}

bool TryStrToDateTime(const QString& text, QDateTime& value) {
  QDate date;
  QTime time;
  if (!TryStrToDateAndTime(text, date, time)) return false;
  value = QDateTime(date, time);
  return true;
}

bool TryStrToDate(const QString& text, QDate& value) {
  int pos = 0;
  QDate date;
  if (!ScanDate(TakeSnapshot(), text, pos, date) || !AtEnd(text, pos)) return false;
  value = date;
  return true;
}

bool TryStrToTime(const QString& text, QTime& value) {
  int pos = 0;
  QTime time;
  if (!ScanTime(TakeSnapshot(), text, pos, time) || !AtEnd(text, pos)) return false;
  value = time;
  return true;
}

}  // namespace DateFormat
