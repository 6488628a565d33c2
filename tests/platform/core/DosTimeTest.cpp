#include <gtest/gtest.h>

#include "platform/core/DosTime.h"

namespace {

quint32 Pack(int y, int mo, int d, int h, int mi, int s) {
  return (quint32(y - 1980) << 25) | (quint32(mo) << 21) | (quint32(d) << 16) | (quint32(h) << 11) |
         (quint32(mi) << 5) | quint32(s / 2);
}

}  // namespace

TEST(DosTime, PacksLocalTimeWithTwoSecondResolution) {
  const QDateTime t(QDate(2003, 2, 1), QTime(9, 5, 7));  // local time
  EXPECT_EQ(DosTime::DateTimeToFileDate(t), Pack(2003, 2, 1, 9, 5, 6));
  EXPECT_EQ(DosTime::FromUnixTime(t.toSecsSinceEpoch()), Pack(2003, 2, 1, 9, 5, 6));
  // The same instant given in UTC packs as its local time.
  EXPECT_EQ(DosTime::DateTimeToFileDate(t.toUTC()), Pack(2003, 2, 1, 9, 5, 6));
  EXPECT_EQ(DosTime::FileDateToDateTime(Pack(2003, 2, 1, 9, 5, 6)), QDateTime(QDate(2003, 2, 1), QTime(9, 5, 6)));
  EXPECT_EQ(DosTime::FileDateToDateTime(Pack(2026, 12, 31, 23, 59, 58)),
            QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
  // Two seconds apart pack differently; one second apart within a pair do not.
  EXPECT_EQ(DosTime::DateTimeToFileDate(t.addSecs(-1)), DosTime::DateTimeToFileDate(t));
  EXPECT_NE(DosTime::DateTimeToFileDate(t.addSecs(1)), DosTime::DateTimeToFileDate(t));
  EXPECT_EQ(DosTime::ToUnixTime(Pack(2003, 2, 1, 9, 5, 6)), t.toSecsSinceEpoch() - 1);
}

TEST(DosTime, TimesOutsideTheDosRangeAreClampedAndBadFieldsGiveNoDate) {
  EXPECT_EQ(DosTime::DateTimeToFileDate(QDateTime(QDate(1970, 1, 1), QTime(12, 0))), Pack(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(DosTime::FromUnixTime(0 - 86400LL * 365), Pack(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(DosTime::DateTimeToFileDate(QDateTime(QDate(2200, 1, 1), QTime(0, 0))), Pack(2107, 12, 31, 23, 59, 58));
  EXPECT_EQ(DosTime::DateTimeToFileDate(QDateTime()), Pack(1980, 1, 1, 0, 0, 0));
  EXPECT_FALSE(DosTime::FileDateToDateTime(0).isValid());                       // month 0, day 0
  EXPECT_FALSE(DosTime::FileDateToDateTime(Pack(2001, 4, 31, 0, 0, 0)).isValid());  // 31 April
  EXPECT_FALSE(DosTime::FileDateToDateTime(Pack(2001, 4, 1, 0, 0, 0) | 30).isValid());  // second 60
  EXPECT_EQ(DosTime::ToUnixTime(0), -1);
}
