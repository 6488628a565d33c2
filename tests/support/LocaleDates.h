#pragma once
// The short date and long time formats the system gives under five locales
// (as the platform layer converts them), every locale this machine has, and
// a guard that puts one locale's formats in force for a test and the
// system's back afterwards.
#include <QLocale>
#include <QProcess>
#include <QSet>
#include <QString>
#include <vector>

#include "platform/core/DateFormat.h"

struct LocaleDates {
  const char* Locale;     // e.g. "en_US"
  const char* ShortDate;  // in the toolkit's letters
  const char* LongTime;   // UTF-8
  // The list's Date text of 8 December 2026 9:05:06 and of 5 March 2024 at midnight.
  const char* Morning;
  const char* Midnight;
};

inline const std::vector<LocaleDates>& FiveLocales() {
  static const std::vector<LocaleDates> locales = {
      {"en_US", "m/d/yy", "h:nn:ss ampm", "12/8/26 9:05:06 AM", "3/5/24 00:00:00"},
      {"de_DE", "dd.mm.yy", "hh:nn:ss", "08.12.26 09:05:06", "05.03.24 00:00:00"},
      {"fr_FR", "dd/mm/yyyy", "hh:nn:ss", "08/12/2026 09:05:06", "05/03/2024 00:00:00"},
      {"hu_HU", "yyyy. mm. dd.", "h:nn:ss", "2026. 12. 08. 9:05:06", "2024. 03. 05."},
      {"ja_JP", "yyyy/mm/dd", "h\"時\"nn\"分\"ss\"秒\"", "2026/12/08 09時05分06秒", "2024/03/05 00:00:00"},
  };
  return locales;
}

class LocaleFormatsInForce {
 public:
  explicit LocaleFormatsInForce(const LocaleDates& locale) {
    DateFormat::SetShortDateFormat(QString::fromUtf8(locale.ShortDate));
    DateFormat::SetLongTimeFormat(QString::fromUtf8(locale.LongTime));
  }
  ~LocaleFormatsInForce() { DateFormat::ResetToSystem(); }
  LocaleFormatsInForce(const LocaleFormatsInForce&) = delete;
  LocaleFormatsInForce& operator=(const LocaleFormatsInForce&) = delete;
};

// Every locale installed on this machine ("locale -a"), one of each kind
// as the toolkit tells them apart.
inline std::vector<QLocale> InstalledLocales() {
  QProcess list;
  list.start(QStringLiteral("locale"), {QStringLiteral("-a")});
  list.waitForFinished(30000);
  std::vector<QLocale> out;
  QSet<QString> seen;
  for (const QString& name : QString::fromLocal8Bit(list.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
    const QLocale locale(name.trimmed());
    if (!seen.contains(locale.bcp47Name())) {
      seen.insert(locale.bcp47Name());
      out.push_back(locale);
    }
  }
  return out;
}
