// The toolkit's date-time texts: formatting by its letters, reading back by
// the short date and long time formats, and the conversion of locale formats.
#include <gtest/gtest.h>

#include "platform/core/DateFormat.h"
#include "platform/core/DateFormatLocale.h"
#include "support/FixedDateFormats.h"
#include "support/LocaleDates.h"

namespace {

using DateFormatTest = FixedDateFormats;

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

}  // namespace

TEST_F(DateFormatTest, MonthAfterAnHourIsTheMinute) {
  EXPECT_EQ(DateFormat::FormatDateTime("h:mm:ss", At(2003, 2, 1, 9, 5, 7)), "9:05:07");
  EXPECT_EQ(DateFormat::FormatDateTime("hh:nn:ss", At(2003, 2, 1, 9, 5, 7)), "09:05:07");
  EXPECT_EQ(DateFormat::FormatDateTime("dd.mm.yyyy", At(2003, 2, 1)), "01.02.2003");
  EXPECT_EQ(DateFormat::FormatDateTime("d/m/yy", At(2003, 2, 1)), "1.2.03");  // "/" is the date separator
  EXPECT_EQ(DateFormat::FormatDateTime("'at' h 'o''clock'", At(2003, 2, 1, 9)), "at 9 oclock");
  EXPECT_EQ(DateFormat::FormatDateTime("h:nn ampm", At(2003, 2, 1, 0, 30)), "12:30 AM");
  EXPECT_EQ(DateFormat::FormatDateTime("h:nn am/pm", At(2003, 2, 1, 13, 30)), "1:30 pm");
}

TEST_F(DateFormatTest, DateTimeToStrLeavesMidnightOut) {
  EXPECT_EQ(DateFormat::DateTimeToStr(At(2003, 2, 1)), "01.02.2003");
  EXPECT_EQ(DateFormat::DateTimeToStr(At(2003, 2, 1, 0, 0, 1)), "01.02.2003 0:00:01");
  EXPECT_EQ(DateFormat::DateToStr(QDate(2026, 3, 15)), "15.03.2026");
}

TEST_F(DateFormatTest, TextsReadBackByTheFormats) {
  QDateTime v;
  ASSERT_TRUE(DateFormat::TryStrToDateTime("01.02.2003 09:05:07", v));
  EXPECT_EQ(v, At(2003, 2, 1, 9, 5, 7));
  ASSERT_TRUE(DateFormat::TryStrToDateTime("1.2.2003", v));
  EXPECT_EQ(v, At(2003, 2, 1));
  ASSERT_TRUE(DateFormat::TryStrToDateTime(" 31.12.1999 23:59 ", v));
  EXPECT_EQ(v, At(1999, 12, 31, 23, 59));
  ASSERT_TRUE(DateFormat::TryStrToDateTime("01.02.2003 1:05:07 PM", v));
  EXPECT_EQ(v, At(2003, 2, 1, 13, 5, 7));
  for (const char* bad : {"", "  ", "32.01.2003", "01.13.2003", "01/02/2003", "01.02.2003 25:00", "abc",
                          "01.02.2003 x", "29.02.2003"})
    EXPECT_FALSE(DateFormat::TryStrToDateTime(QString::fromLatin1(bad), v)) << bad;
  // A time alone is a time of the toolkit's day zero.
  ASSERT_TRUE(DateFormat::TryStrToDateTime("9:05:07", v));
  EXPECT_EQ(v, At(1899, 12, 30, 9, 5, 7));
}

TEST_F(DateFormatTest, OrderAndTwoDigitYearsFollowTheFormat) {
  DateFormat::SetShortDateFormat("m/d/yyyy");
  QDate d;
  ASSERT_TRUE(DateFormat::TryStrToDate("2/1/2003", d));
  EXPECT_EQ(d, QDate(2003, 2, 1));
  DateFormat::SetShortDateFormat("yyyy-mm-dd");
  ASSERT_TRUE(DateFormat::TryStrToDate("2003-02-01", d));
  EXPECT_EQ(d, QDate(2003, 2, 1));
  DateFormat::SetShortDateFormat("dd.mm.yy");
  ASSERT_TRUE(DateFormat::TryStrToDate("01.02.03", d));
  EXPECT_EQ(d.month(), 2);
  EXPECT_LE(qAbs(d.year() - QDate::currentDate().year()), 50);
  EXPECT_EQ(d.year() % 100, 3);
}

TEST_F(DateFormatTest, FormattedTextsReadBackToTheSameValue) {
  // Some locales put a blank after each separator, or end with one
  // ("d. m. yyyy", "yyyy. mm. dd."): their texts must read back too.
  for (const char* date : {"dd.mm.yyyy", "m/d/yyyy", "yyyy-mm-dd", "d.m.yyyy", "d. m. yyyy", "yyyy. mm. dd."}) {
    for (const char* time : {"h:mm:ss", "hh:nn:ss", "h:nn:ss AMPM"}) {
      DateFormat::SetShortDateFormat(QString::fromLatin1(date));
      DateFormat::SetLongTimeFormat(QString::fromLatin1(time));
      const QDateTime value = At(2019, 11, 4, 17, 8, 9);
      QDateTime back;
      ASSERT_TRUE(DateFormat::TryStrToDateTime(DateFormat::DateTimeToStr(value), back)) << date << " " << time;
      EXPECT_EQ(back, value) << date << " " << time;
    }
  }
}

TEST(DateFormatConversion, LocaleFormatsInTheToolkitsLetters) {
  EXPECT_EQ(DateFormat::FromLocaleFormat("dd.MM.yyyy"), "dd.mm.yyyy");
  EXPECT_EQ(DateFormat::FromLocaleFormat("M/d/yy"), "m/d/yy");
  EXPECT_EQ(DateFormat::FromLocaleFormat("HH:mm:ss"), "hh:nn:ss");
  EXPECT_EQ(DateFormat::FromLocaleFormat("h:mm:ss AP t"), "h:nn:ss ampm");
  EXPECT_EQ(DateFormat::FromLocaleFormat("d 'de' MMMM"), "d \"de\" mmmm");
}

TEST(DateFormatConversion, SystemFormatsAreUsable) {
  DateFormat::ResetToSystem();
  EXPECT_FALSE(DateFormat::ShortDateFormat().isEmpty());
  EXPECT_FALSE(DateFormat::LongTimeFormat().isEmpty());
  const QDateTime value(QDate(2019, 11, 4), QTime(17, 8, 9));
  QDateTime back;
  ASSERT_TRUE(DateFormat::TryStrToDateTime(DateFormat::DateTimeToStr(value), back))
      << DateFormat::DateTimeToStr(value).toStdString();
  EXPECT_EQ(back.date(), value.date());
  EXPECT_EQ(back.time().hour(), 17);
}

// ---------------------------------------------------------------- locales

TEST(DateFormatLocales, EachLocaleGivesNumericFormatsThatReadBack) {
  for (const LocaleDates& l : FiveLocales()) {
    DateFormat::UseLocale(QLocale(QString::fromLatin1(l.Locale)));
    EXPECT_EQ(DateFormat::ShortDateFormat(), QString::fromUtf8(l.ShortDate)) << l.Locale;
    EXPECT_EQ(DateFormat::LongTimeFormat(), QString::fromUtf8(l.LongTime)) << l.Locale;
    for (const QDateTime& value : {At(2026, 12, 8, 9, 5, 6), At(2026, 12, 8, 21, 5, 6), At(2026, 12, 8, 0, 30),
                                   At(2026, 12, 8, 12, 0, 2), At(1999, 1, 31), At(2024, 3, 5, 0, 0, 2)}) {
      for (const QString& text : {DateFormat::DateTimeToStr(value),
                                  DateFormat::DateTimeToListStr(value.date(), value.time())}) {
        QDateTime back;
        EXPECT_TRUE(DateFormat::TryStrToDateTime(text, back)) << l.Locale << " " << text.toStdString();
        EXPECT_EQ(back, value) << l.Locale << " " << text.toStdString();
      }
    }
  }
  DateFormat::ResetToSystem();
}

TEST_F(DateFormatTest, ListTextWidensAOneDigitHourOnlyAfterATenCharacterDate) {
  const QDate day(2026, 12, 8);
  EXPECT_EQ(DateFormat::DateTimeToListStr(day, QTime(9, 5, 6)), "08.12.2026 09:05:06");
  EXPECT_EQ(DateFormat::DateTimeToListStr(day, QTime(19, 5, 6)), "08.12.2026 19:05:06");
  EXPECT_EQ(DateFormat::DateTimeToListStr(day, QTime(0, 0)), "08.12.2026 00:00:00");
  // Shorter and longer dates keep the hour as the system writes it.
  DateFormat::SetShortDateFormat("m/d/yy");
  DateFormat::SetLongTimeFormat("h:nn:ss ampm");
  EXPECT_EQ(DateFormat::DateTimeToListStr(QDate(2024, 11, 25), QTime(0, 0)), "11/25/24 00:00:00");
  EXPECT_EQ(DateFormat::DateTimeToListStr(QDate(2024, 11, 25), QTime(21, 5)), "11/25/24 9:05:00 PM");
  for (const LocaleDates& l : FiveLocales()) {
    LocaleFormatsInForce formats(l);
    EXPECT_EQ(DateFormat::DateTimeToListStr(day, QTime(9, 5, 6)), QString::fromUtf8(l.Morning)) << l.Locale;
    EXPECT_EQ(DateFormat::DateTimeToListStr(QDate(2024, 3, 5), QTime(0, 0)), QString::fromUtf8(l.Midnight));
  }
}

TEST_F(DateFormatTest, TimesReadWithWordsAMarkerInFrontOrAColonForMidnight) {
  QDateTime v;
  DateFormat::SetShortDateFormat("yyyy/mm/dd");
  DateFormat::SetLongTimeFormat(QString::fromUtf8("h\"時\"nn\"分\"ss\"秒\""));
  ASSERT_TRUE(DateFormat::TryStrToDateTime(QString::fromUtf8("2026/12/08 9時05分07秒"), v));
  EXPECT_EQ(v, At(2026, 12, 8, 9, 5, 7));
  ASSERT_TRUE(DateFormat::TryStrToDateTime(QString::fromUtf8("2026/12/08 21時05分"), v));
  EXPECT_EQ(v, At(2026, 12, 8, 21, 5));
  EXPECT_FALSE(DateFormat::TryStrToDateTime(QString::fromUtf8("2026/12/08 9時05分07秒x"), v));

  DateFormat::SetShortDateFormat("yy. m. d.");
  DateFormat::SetLongTimeFormat("ampm h:nn:ss");
  ASSERT_TRUE(DateFormat::TryStrToDateTime("26. 12. 8. PM 9:05:07", v));
  EXPECT_EQ(v, At(2026, 12, 8, 21, 5, 7));
  EXPECT_FALSE(DateFormat::TryStrToDateTime("26. 12. 8. PM 13:05:07", v));

  // A dotted time separator: the " 00:00:00" given to a bare date still reads.
  DateFormat::SetShortDateFormat("d.m.yyyy");
  DateFormat::SetLongTimeFormat("h.nn.ss");
  ASSERT_TRUE(DateFormat::TryStrToDateTime("8.12.2026 00:00:00", v));
  EXPECT_EQ(v, At(2026, 12, 8));
  ASSERT_TRUE(DateFormat::TryStrToDateTime("8.12.2026 9.05.07", v));
  EXPECT_EQ(v, At(2026, 12, 8, 9, 5, 7));
}

TEST_F(DateFormatTest, DateAndTimeApartNeedNoTimeZone) {
  QDate d;
  QTime t;
  // 02:30 on a spring-forward night exists as a wall-clock reading.
  ASSERT_TRUE(DateFormat::TryStrToDateAndTime("29.03.2026 02:30:00", d, t));
  EXPECT_EQ(d, QDate(2026, 3, 29));
  EXPECT_EQ(t, QTime(2, 30));
  EXPECT_FALSE(DateFormat::TryStrToDateAndTime("29.03.2026 02:30:00 x", d, t));
  EXPECT_EQ(d, QDate(2026, 3, 29));  // unchanged by a failed read
}

TEST(DateFormatConversion, LocaleFormatsKeepOnlyFieldsAndVisibleSeparators) {
  using DateFormat::ReadableLongTime;
  using DateFormat::ReadableShortDate;
  // Direction marks, words and brackets left by the time zone go.
  EXPECT_EQ(ReadableShortDate(QString::fromUtf8("d\u200f/M\u200f/yyyy")), "d/m/yyyy");
  EXPECT_EQ(ReadableShortDate(QString::fromUtf8("d.MM.yy '\u0433'.")), "d.mm.yy");
  EXPECT_EQ(ReadableShortDate("dd. MM. yyyy."), "dd. mm. yyyy.");
  EXPECT_EQ(ReadableShortDate("d MMM yyyy"), "dd/mm/yyyy");
  EXPECT_EQ(ReadableLongTime("H:mm:ss (t)"), "h:nn:ss");
  EXPECT_EQ(ReadableLongTime("Bh:mm:ss [t]"), "h:nn:ss");
  EXPECT_EQ(ReadableLongTime("HH:mm:ss, t"), "hh:nn:ss");
  EXPECT_EQ(ReadableLongTime("'kl'. HH:mm:ss t"), "hh:nn:ss");
  EXPECT_EQ(ReadableLongTime("t APh:mm:ss"), "ampmh:nn:ss");
  // Words between the numbers stay, with the one after the seconds.
  EXPECT_EQ(ReadableLongTime(QString::fromUtf8("AP h\uc2dc m\ubd84 s\ucd08 t")),
            QString::fromUtf8("ampm h\"\uc2dc\" n\"\ubd84\" s\"\ucd08\""));
  EXPECT_EQ(ReadableLongTime("HH 'h' mm 'min' ss 's' t"), "hh \"h\" nn \"min\" ss \"s\"");
}

TEST(DateFormatLocales, MarkersAreTheLocalesOwnAndTextsReadBack) {
  const QDate day(2024, 2, 29);
  DateFormat::UseLocale(QLocale("ko_KR"));
  EXPECT_EQ(DateFormat::DateTimeToListStr(day, QTime(13, 5, 6)), QString::fromUtf8("24. 2. 29. \uc624\ud6c4 1\uc2dc 5\ubd84 6\ucd08"));
  DateFormat::UseLocale(QLocale("ar_EG"));
  EXPECT_EQ(DateFormat::DateTimeToListStr(day, QTime(13, 5, 6)), QString::fromUtf8("29/2/2024 1:05:06 \u0645"));
  QDate d;
  QTime t;
  ASSERT_TRUE(DateFormat::TryStrToDateAndTime(QString::fromUtf8("29/2/2024 1:05:06 \u0645"), d, t));
  EXPECT_EQ(QDateTime(d, t), At(2024, 2, 29, 13, 5, 6));
  ASSERT_TRUE(DateFormat::TryStrToDateAndTime("29/2/2024 1:05:06 PM", d, t));  // AM and PM read everywhere
  EXPECT_EQ(t, QTime(13, 5, 6));
  DateFormat::ResetToSystem();
}

TEST_F(DateFormatTest, TwoDigitYearsFallInWindowsWindow) {
  // Windows reads two-digit years as 1950 to 2049, whatever today is.
  DateFormat::SetShortDateFormat("dd.mm.yy");
  QDate d;
  for (const auto& [text, year] : std::vector<std::pair<const char*, int>>{
           {"01.01.49", 2049}, {"01.01.50", 1950}, {"01.01.00", 2000}, {"31.12.99", 1999}, {"01.01.77", 1977}}) {
    ASSERT_TRUE(DateFormat::TryStrToDate(text, d)) << text;
    EXPECT_EQ(d.year(), year) << text;
  }
}
