// Whole percents, speed and time left of a transfer: cut toward zero.
#include <gtest/gtest.h>

#include "config/En_language.h"
#include "transfer/Progress.h"

TEST(TransferProgress, PercentsAreCutTowardZeroAndKeptInRange) {
  EXPECT_EQ(Progress::Percent(999, 1000), 99);
  EXPECT_EQ(Progress::Percent(1000, 1000), 100);
  EXPECT_EQ(Progress::Percent(1, 3), 33);
  EXPECT_EQ(Progress::Percent(5, 0), 0);  // nothing to copy: stays 0
  EXPECT_EQ(Progress::Percent(0, 0), 0);
  EXPECT_EQ(Progress::Percent(2000, 1000), 100);  // more than announced
  const double total = double((qint64(6) << 30) + 12345);
  EXPECT_EQ(Progress::Percent(total / 2, total), 50);
}

TEST(TransferProgress, SpeedAndTimeLeftTexts) {
  TextCopyToSpeed = "Speed";
  TextCopyToKbs = "kbytes/s";
  TextCopyToTimeLeft = "Time left";
  TextCopyToMinute = "m";
  TextCopyToSecond = "s";
  TextCopyToCopy = "Copy";
  EXPECT_EQ(Progress::SpeedText(524288), "Speed: 512 kbytes/s");
  EXPECT_EQ(Progress::SpeedText(1023), "Speed: 0 kbytes/s");
  EXPECT_EQ(Progress::SecondsLeft(10000, 0, 0), 0);  // nothing moved
  EXPECT_EQ(Progress::SecondsLeft(10000, 100, 1000), 9);
  EXPECT_EQ(Progress::SecondsLeft(100, 200, 1000), 0);
  EXPECT_EQ(Progress::TimeLeftText(42), "Time left: 42 s");
  EXPECT_EQ(Progress::TimeLeftText(59), "Time left: 59 s");
  EXPECT_EQ(Progress::TimeLeftText(60), "Time left: 1 m");
  EXPECT_EQ(Progress::TimeLeftText(239), "Time left: 3 m");  // whole minutes only
  EXPECT_EQ(Progress::CaptionText(37), "37% - Copy");
}
