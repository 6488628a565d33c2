// Under every locale this machine has: the Date texts of the result list
// read back to the date and time they were written from, and the Date sort
// puts them in date order.
#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/ListView.h"
#include "search/Sort_result.h"
#include "support/LocaleDates.h"

namespace {

// Rising date-times: both ends of the two-digit-year window, a leap day, and
// the hours where 12-hour clocks turn.
std::vector<QDateTime> RisingSample() {
  std::vector<QDateTime> out;
  for (const QDate& day : {QDate(1950, 1, 1), QDate(1980, 1, 1), QDate(1999, 12, 31), QDate(2000, 10, 10),
                           QDate(2024, 2, 29), QDate(2049, 12, 31)})
    for (const QTime& time : {QTime(0, 0), QTime(0, 0, 2), QTime(0, 30), QTime(9, 5, 6), QTime(11, 59, 58),
                              QTime(12, 0), QTime(12, 30, 4), QTime(13, 5, 6), QTime(23, 59, 58)})
      out.emplace_back(day, time);
  return out;
}

TListItem DateRow(const QString& date) {
  TListItem row;
  row.Caption = QStringLiteral("f");
  row.SubItems = {QStringLiteral("txt"), QStringLiteral("1"), date, QStringLiteral("-a--"), QStringLiteral("PC1"),
                  QStringLiteral("\\docs\\")};
  return row;
}

}  // namespace

TEST(EveryLocaleDates, ListTextsReadBackAndSortInDateOrder) {
  const std::vector<QLocale> locales = InstalledLocales();
  ASSERT_GT(locales.size(), 100u) << "the locales of locales-all are missing (scripts/setup installs them)";
  const QString oldMarker = TextFileDir;
  TextFileDir = QStringLiteral("<dir>");
  const bool oldDirection = SortDescending[3];
  SortDescending[3] = false;  // ascending
  const std::vector<QDateTime> sample = RisingSample();
  QStringList failures;
  for (const QLocale& locale : locales) {
    DateFormat::UseLocale(locale);
    const QString who = locale.bcp47Name() + u' ' + DateFormat::ShortDateFormat() + u' ' +
                        DateFormat::LongTimeFormat() + QStringLiteral(": ");
    std::vector<TListItem> rows;
    for (const QDateTime& value : sample) {
      const QString text = DateFormat::DateTimeToListStr(value.date(), value.time());
      QDate date;
      QTime time;
      if (!DateFormat::TryStrToDateAndTime(text, date, time) || QDateTime(date, time) != value)
        failures << who + text + QStringLiteral(" reads as ") + QDateTime(date, time).toString(Qt::ISODate);
      rows.push_back(DateRow(text));
    }
    // The default upper date of "Date between" is a short date of today.
    const QDate today = QDate::currentDate();
    QDate back;
    if (!DateFormat::TryStrToDate(DateFormat::DateToStr(today), back) || back != today)
      failures << who + DateFormat::DateToStr(today) + QStringLiteral(" does not read back");
    std::vector<TListItem> sorted = rows;
    std::shuffle(sorted.begin(), sorted.end(), *QRandomGenerator::global());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TListItem& a, const TListItem& b) { return CompareByDate(a, b, 3) < 0; });
    for (size_t i = 0; i < rows.size(); ++i)
      if (sorted[i].SubItems[2] != rows[i].SubItems[2]) {
        failures << who + QStringLiteral("sorted ") + sorted[i].SubItems[2] + QStringLiteral(" where ") +
                        rows[i].SubItems[2] + QStringLiteral(" belongs");
        break;
      }
  }
  DateFormat::ResetToSystem();
  SortDescending[3] = oldDirection;
  TextFileDir = oldMarker;
  EXPECT_TRUE(failures.isEmpty()) << failures.size() << " failures, first ones:\n"
                                  << failures.mid(0, 20).join(u'\n').toStdString();
}
