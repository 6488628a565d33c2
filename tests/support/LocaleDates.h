#pragma once
// The short date and long time formats the system gives under five locales
// (as the platform layer converts them), and a guard that puts one locale's
// formats in force for a test and the system's back afterwards.
#include <QString>
#include <vector>

#include "platform/DateFormat.h"

struct LocaleDates {
  const char* Locale;     // e.g. "en_US"
  const char* ShortDate;  // in the toolkit's letters
  const char* LongTime;   // UTF-8
};

inline const std::vector<LocaleDates>& FiveLocales() {
  static const std::vector<LocaleDates> locales = {
      {"en_US", "m/d/yy", "h:nn:ss ampm"},
      {"de_DE", "dd.mm.yy", "hh:nn:ss"},
      {"fr_FR", "dd/mm/yyyy", "hh:nn:ss"},
      {"hu_HU", "yyyy. mm. dd.", "h:nn:ss"},
      {"ja_JP", "yyyy/mm/dd", "h\"時\"nn\"分\"ss\"秒\""},
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
