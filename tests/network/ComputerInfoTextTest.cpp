// The texts of the computer-information rows: platform and version, server
// kinds, the clock difference and the date.
#include <gtest/gtest.h>

#include "network/Computerinfo_text.h"
#include "platform/core/DateFormat.h"

using namespace ComputerInfo;

namespace {

const std::array<QString, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

class ClockTextTest : public ::testing::Test {
 protected:
  void SetUp() override { DateFormat::SetLongTimeFormat(QStringLiteral("hh:mm:ss")); }
  void TearDown() override { DateFormat::ResetToSystem(); }
};

}  // namespace

TEST(ComputerInfoSystem, PlatformAndVersion) {
  EXPECT_EQ(SystemText(500, 5, 1), "NT 5.1");
  EXPECT_EQ(SystemText(300, 6, 22), "DOS 6.22");
  EXPECT_EQ(SystemText(400, 1, 0), "OS2 1.0");
  EXPECT_EQ(SystemText(600, 3, 2), "OSF 3.2");
  EXPECT_EQ(SystemText(700, 7, 3), "VMS 7.3");
  // An unknown platform keeps the blank before the version.
  EXPECT_EQ(SystemText(800, 5, 1), " 5.1");
  EXPECT_EQ(SystemText(0, 4, 0), " 4.0");
  // Only the low four bits of the major number are the version.
  EXPECT_EQ(SystemText(500, 0x15, 2), "NT 5.2");
}

TEST(ComputerInfoKinds, OnlyOneOfNtWorkstationAndServer) {
  EXPECT_EQ(ServerKindsText(0x1 | 0x2), "Workstation");
  EXPECT_EQ(ServerKindsText(0x2), "Server");
  EXPECT_EQ(ServerKindsText(0x1000 | 0x1 | 0x2), "NT Workstation/Server");
  EXPECT_EQ(ServerKindsText(0x1003 | 0x8000), "NT Workstation/Server, NT server that is not Domain controller");
}

TEST(ComputerInfoKinds, FollowTheTableOrderNotTheBitOrder) {
  EXPECT_EQ(ServerKindsText(0x2000 | 0x4000 | 0x8000),
            "NT server that is not Domain controller, Server running Windows for Workgroups, "
            "Microsoft File and Print for NetWare");
  EXPECT_EQ(ServerKindsText(0x400000 | 0x80000000u), "Primary domain, Windows 95/98/Me");
  EXPECT_EQ(ServerKindsText(0x1000000 | 0x800 | 0x4),
            "SQL Server, Unix Server, Server clusters available in the domain");
  EXPECT_EQ(ServerKindsText(0x1 | 0x8 | 0x10 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x400),
            "Workstation, Primary domain controller, Backup domain controller, TimeSource, "
            "Apple File Protocol server, Novell Server, Domain Member, Printer Server, Dial Server");
}

TEST(ComputerInfoKinds, NoKnownKindGivesAnEmptyText) {
  EXPECT_EQ(ServerKindsText(0), "");
  EXPECT_EQ(ServerKindsText(0x10000 | 0x20000 | 0x40000000), "");
}

TEST(ComputerInfoClock, ServerHourWrapsIntoTheDay) {
  EXPECT_EQ(ServerLocalHour(2, 300), 21);
  EXPECT_EQ(ServerLocalHour(22, -330), 3);  // -330 minutes adds 5 hours
  EXPECT_EQ(ServerLocalHour(14, -1), 14);   // no time zone known
  EXPECT_EQ(ServerLocalHour(14, 59), 14);   // part hours are dropped
  EXPECT_EQ(ServerLocalHour(0, 60), 23);
  EXPECT_EQ(ServerLocalHour(23, -60), 0);
}

TEST_F(ClockTextTest, DifferenceCarriesItsSign) {
  EXPECT_EQ(ClockDifferenceText(10 * 3600 + 5 * 60, 10 * 3600), "+00:05:00");
  EXPECT_EQ(ClockDifferenceText(10 * 3600, 10 * 3600 + 7), "-00:00:07");
  EXPECT_EQ(ClockDifferenceText(3600, 3600), "-00:00:00");
  // Dates play no part: either side of midnight is nearly a day apart.
  EXPECT_EQ(ClockDifferenceText(23 * 3600 + 59 * 60 + 59, 1), "+23:59:58");
  EXPECT_EQ(ThisComputerDifferenceText(), " 00:00:00");
}

TEST_F(ClockTextTest, DifferenceFollowsTheLongTimeFormat) {
  DateFormat::SetLongTimeFormat(QStringLiteral("h:nn:ss"));
  EXPECT_EQ(ClockDifferenceText(3 * 3600 + 2 * 60 + 1, 0), "+3:02:01");
}

TEST(ComputerInfoDate, DayMonthNameAndFullYear) {
  EXPECT_EQ(ServerDateText(7, 12, 2026, kMonths), "07/Dec/2026");
  EXPECT_EQ(ServerDateText(31, 1, 1999, kMonths), "31/Jan/1999");
  std::array<QString, 12> odd = kMonths;
  odd[2] = "M%1rz";
  EXPECT_EQ(ServerDateText(1, 3, 2024, odd), "01/M%1rz/2024");
  // A month the table does not have gives no date rather than a wrong one.
  EXPECT_EQ(ServerDateText(1, 0, 2024, kMonths), "");
  EXPECT_EQ(ServerDateText(1, 13, 2024, kMonths), "");
}
