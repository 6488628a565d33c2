// The texts of a result row, the full network path of a result, the
// extended criteria and the group's list of extensions.
#include <gtest/gtest.h>

#include "platform/core/DateFormat.h"
#include "platform/core/DosTime.h"
#include "platform/fs/FileAttr.h"
#include "platform/ui/SystemIcons.h"
#include "search/Result_row.h"
#include "search/Search_state.h"
#include "support/FixedDateFormats.h"
#include "support/LocaleDates.h"

namespace {

using SearchRowDates = FixedDateFormats;

TSearchRec Entry(const QString& name, qint64 size, const QDateTime& time, int attr) {
  TSearchRec rec;
  rec.Name = name;
  rec.Size = size;
  rec.Attr = attr;
  rec.Time = DosTime::DateTimeToFileDate(time);
  return rec;
}

TSearchRec File(const QString& name, qint64 size = 10, const QDateTime& time = QDateTime(QDate(2020, 5, 6), QTime(12, 0))) {
  return Entry(name, size, time, FILE_ATTRIBUTE_ARCHIVE);
}

TSearchRec Folder(const QString& name, const QDateTime& time = QDateTime(QDate(2020, 5, 6), QTime(12, 0))) {
  return Entry(name, 0, time, FILE_ATTRIBUTE_DIRECTORY);
}

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

}  // namespace

TEST(SearchRowName, CaptionAndTypeSplitAtTheLastDot) {
  struct Case {
    const char* name;
    bool folder;
    const char* caption;
    const char* type;
  } cases[] = {
      {"Report.TXT", false, "Report", "txt"},   {"archive.tar.gz", false, "archive.tar", "gz"},
      {"README", false, "README", ""},          {".profile", false, "", "profile"},
      {"Docs.old", true, "Docs.old", ""},       {"trailing.", false, "trailing", ""},
  };
  for (const Case& c : cases) {
    QString caption, type;
    SplitResultName(QString::fromLatin1(c.name), c.folder, caption, type);
    EXPECT_EQ(caption, QString::fromLatin1(c.caption)) << c.name;
    EXPECT_EQ(type, QString::fromLatin1(c.type)) << c.name;
  }
}

TEST_F(SearchRowDates, DateTextOfMidnightGetsZeroTime) {
  EXPECT_EQ(ResultDateText(At(2003, 2, 1)), QStringLiteral("01.02.2003 00:00:00"));
}

TEST_F(SearchRowDates, DateTextGivesOneDigitHourItsZero) {
  EXPECT_EQ(ResultDateText(At(2003, 2, 1, 9, 5, 7)), QStringLiteral("01.02.2003 09:05:07"));
  EXPECT_EQ(ResultDateText(At(2003, 2, 1, 10, 5, 7)), QStringLiteral("01.02.2003 10:05:07"));
  EXPECT_EQ(ResultDateText(At(2003, 2, 1, 0, 0, 2)), QStringLiteral("01.02.2003 00:00:02"));
}

TEST_F(SearchRowDates, DateTextWithOtherFormatsIsLeftAsTheSystemGivesIt) {
  DateFormat::SetShortDateFormat(QStringLiteral("m/d/yyyy"));
  // Not a ten-character date: no zero is inserted into "2/1/2003 9:05:07".
  EXPECT_EQ(ResultDateText(At(2003, 2, 1, 9, 5, 7)), QStringLiteral("2/1/2003 9:05:07"));
  EXPECT_EQ(ResultDateText(At(2003, 2, 1)), QStringLiteral("2/1/2003 00:00:00"));
}

TEST_F(SearchRowDates, RowDateFollowsAFormatChangeForTheSameFileTime) {
  const quint32 dos = DosTime::DateTimeToFileDate(At(2003, 2, 1, 9, 5, 8));
  EXPECT_EQ(ResultDateText(dos), QStringLiteral("01.02.2003 09:05:08"));
  EXPECT_EQ(ResultDateText(dos), QStringLiteral("01.02.2003 09:05:08"));
  DateFormat::SetShortDateFormat(QStringLiteral("yyyy-mm-dd"));
  EXPECT_EQ(ResultDateText(dos), QStringLiteral("2003-02-01 09:05:08"));
  DateFormat::SetLongTimeFormat(QStringLiteral("hh:mm"));
  EXPECT_EQ(ResultDateText(dos), QStringLiteral("2003-02-01 09:05"));
}

TEST(SearchRowAttributes, FourLettersInFixedOrder) {
  EXPECT_EQ(ResultAttributeText(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE), QStringLiteral("ra--"));
  EXPECT_EQ(ResultAttributeText(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY),
            QStringLiteral("--hs"));
  EXPECT_EQ(ResultAttributeText(0), QStringLiteral("----"));
  EXPECT_EQ(ResultAttributeText(0x3F), QStringLiteral("rahs"));
}

TEST_F(SearchRowDates, RowsOfFilesAndFolders) {
  const TListItem file = MakeResultRow(File("Report.TXT", 1234, At(2003, 2, 1, 9, 5, 6)), "\\\\PC1\\docs\\sub\\", "<dir>");
  EXPECT_EQ(file.Caption, "Report");
  EXPECT_EQ(file.SubItems, (QStringList{"txt", "1234", "01.02.2003 09:05:06", "-a--", "PC1", "\\docs\\sub\\"}));
  EXPECT_EQ(file.ImageIndex, SystemIcons::IndexForType("txt"));

  const TListItem folder = MakeResultRow(Folder("Docs.old", At(2003, 2, 1)), "\\\\PC1\\docs\\", "<dir>");
  EXPECT_EQ(folder.Caption, "Docs.old");
  EXPECT_EQ(folder.SubItems, (QStringList{"", "<dir>", "01.02.2003 00:00:00", "----", "PC1", "\\docs\\"}));
  EXPECT_EQ(folder.ImageIndex, SystemIcons::FolderIndex());
  EXPECT_TRUE(IsFolderRow(folder, "<dir>"));
  EXPECT_FALSE(IsFolderRow(file, "<dir>"));
}

TEST(SearchRowSize, FilesOverFourGibShowTheirWholeSize) {
  const TListItem row = MakeResultRow(File("disk.img", 5368709121LL), "\\\\PC1\\d\\", "<dir>");
  EXPECT_EQ(row.SubItems[rcSize], "5368709121");
}

TEST(SearchRowPath, ComputerAndPathOfAShareRoot) {
  QString computer, path;
  SplitSearchPath("\\\\PC1\\docs\\", computer, path);
  EXPECT_EQ(computer, "PC1");
  EXPECT_EQ(path, "\\docs\\");
}

TEST(SearchRowPath, FullNetworkPaths) {
  TListItem file;
  file.Caption = "README";
  file.SubItems = QStringList{"", "10", "", "", "PC1", "\\docs\\a\\"};
  EXPECT_EQ(ResultFullPath(file, "<dir>"), "\\\\PC1\\docs\\a\\README.");
  file.Caption = "Report";
  file.SubItems[0] = "txt";
  EXPECT_EQ(ResultFullPath(file, "<dir>"), "\\\\PC1\\docs\\a\\Report.txt");
  TListItem folder;
  folder.Caption = "Docs.old";
  folder.SubItems = QStringList{"", "<dir>", "", "", "PC1", "\\docs\\"};
  EXPECT_EQ(ResultFullPath(folder, "<dir>"), "\\\\PC1\\docs\\Docs.old\\");
}

TEST(SearchIcons, OneIndexPerFileTypeAndOneForFolders) {
  EXPECT_EQ(SystemIcons::IndexForType("TXT"), SystemIcons::IndexForType(".txt"));
  EXPECT_NE(SystemIcons::IndexForType("txt"), SystemIcons::FolderIndex());
  EXPECT_EQ(SystemIcons::FolderIndex(), SystemIcons::FolderIndex());
  EXPECT_FALSE(SystemIcons::Icon(SystemIcons::FolderIndex(), false).isNull());
  EXPECT_TRUE(SystemIcons::Icon(100000, false).isNull());
}

// ---- extended criteria ----

TEST_F(SearchRowDates, DateBetweenIsStrictOnBothBounds) {
  TExtendedCriteria c;
  c.TimeBetween = true;
  c.Down = "01.02.2003";
  c.Up = "01.02.2003";
  // Both bounds on one day: nothing passes.
  EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2003, 2, 1, 12))));
  EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2003, 2, 1))));

  c.Up = "03.02.2003";
  EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2003, 2, 1))));          // the lower bound itself
  EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(2003, 2, 1, 0, 0, 2))));  // just after it
  EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(2003, 2, 2, 23, 59, 58))));
  EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2003, 2, 3, 10))));  // no entry of the upper day
  EXPECT_TRUE(MatchesCriteria(c, Folder("d", At(2003, 2, 2))));
}

TEST_F(SearchRowDates, UnreadableDateBoundIsNotApplied) {
  TExtendedCriteria c;
  c.TimeBetween = true;
  c.Down = "";
  c.Up = "03.02.2003";
  EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(1999, 1, 1, 10))));
  EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2004, 1, 1, 10))));
  c.Up = "garbage";
  EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(2004, 1, 1, 10))));
}

TEST(SearchCriteria, NotOlderThanKeepsTheCutoffItself) {
  TExtendedCriteria c;
  c.Old = true;
  c.CutoffDate = At(2020, 3, 15);
  EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(2020, 3, 15))));
  EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(2021, 1, 1))));
  EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2020, 3, 14, 23, 59, 58))));
}

TEST(SearchCriteria, SizeEqualZeroGivesEmptyFilesAndNoFolder) {
  TExtendedCriteria c;
  c.SizeOn = true;
  c.OperIndex = 1;
  c.SizeText = "0";
  c.SizeUnitIndex = 0;
  EXPECT_TRUE(MatchesCriteria(c, File("empty", 0)));
  EXPECT_FALSE(MatchesCriteria(c, File("full", 1)));
  EXPECT_FALSE(MatchesCriteria(c, Folder("dir")));
}

TEST(SearchCriteria, AnySizeCriterionDropsFolders) {
  TExtendedCriteria c;
  c.SizeOn = true;
  for (int oper = 0; oper < 4; ++oper) {
    c.OperIndex = oper;
    EXPECT_FALSE(MatchesCriteria(c, Folder("dir"))) << oper;
  }
  c.OperIndex = 3;  // no comparison chosen: files pass, folders still not
  EXPECT_TRUE(MatchesCriteria(c, File("f", 5)));
}

TEST(SearchCriteria, SizeUnitsAndLargeLimits) {
  TExtendedCriteria c;
  c.SizeOn = true;
  c.SizeText = "1";
  c.OperIndex = 0;
  c.SizeUnitIndex = 1;  // kbyte(s)
  EXPECT_FALSE(MatchesCriteria(c, File("f", 1024)));
  EXPECT_TRUE(MatchesCriteria(c, File("f", 1025)));
  c.SizeUnitIndex = 7;  // an unknown unit counts as kbyte(s)
  EXPECT_TRUE(MatchesCriteria(c, File("f", 1025)));
  c.OperIndex = 2;
  c.SizeUnitIndex = 2;
  EXPECT_TRUE(MatchesCriteria(c, File("f", 1048575)));
  EXPECT_FALSE(MatchesCriteria(c, File("f", 1048576)));
  // 2 Gbyte(s) and more compare exactly, as do files beyond 4 GiB.
  c.SizeText = "4";
  c.SizeUnitIndex = 3;
  c.OperIndex = 0;
  EXPECT_TRUE(MatchesCriteria(c, File("f", 4294967297LL)));
  EXPECT_FALSE(MatchesCriteria(c, File("f", 1)));
  c.OperIndex = 1;
  EXPECT_TRUE(MatchesCriteria(c, File("f", 4294967296LL)));
}

TEST(SearchCriteria, AttributesNeedOneCommonBit) {
  TExtendedCriteria c;
  c.Attr = true;
  // No box ticked: nothing passes.
  EXPECT_FALSE(MatchesCriteria(c, File("f")));
  EXPECT_FALSE(MatchesCriteria(c, Folder("d")));
  // Only Dir: folders only.
  c.Dir = true;
  EXPECT_TRUE(MatchesCriteria(c, Folder("d")));
  EXPECT_FALSE(MatchesCriteria(c, File("f")));
  // With a size criterion as well: nothing.
  c.SizeOn = true;
  c.OperIndex = 0;
  c.SizeText = "0";
  EXPECT_FALSE(MatchesCriteria(c, Folder("d")));
  EXPECT_FALSE(MatchesCriteria(c, File("f")));
  c.SizeOn = false;
  c.Dir = false;
  c.ReadOnly = true;
  EXPECT_TRUE(MatchesCriteria(c, Entry("r", 1, At(2020, 1, 1), FILE_ATTRIBUTE_READONLY)));
  EXPECT_FALSE(MatchesCriteria(c, Entry("n", 1, At(2020, 1, 1), 0)));
}

TEST(SearchCriteria, NoCriterionPassesEverything) {
  const TExtendedCriteria c;
  EXPECT_TRUE(MatchesCriteria(c, File("f")));
  EXPECT_TRUE(MatchesCriteria(c, Folder("d")));
}

// ---- group extensions ----

TEST(SearchGroupExtensions, TypesBetweenTheBrackets) {
  EXPECT_EQ(GroupExtensionsFromItem("Docs (doc, txt)"), (QStringList{".doc", ".txt"}));
  EXPECT_EQ(GroupExtensionsFromItem("Docs (doc, txt,)"), (QStringList{".doc", ".txt"}));
  EXPECT_EQ(GroupExtensionsFromItem("Docs (doc,,  txt )"), (QStringList{".doc", ".txt"}));
  EXPECT_EQ(GroupExtensionsFromItem("Pictures (jpg gif,png)"), (QStringList{".jpg", ".gif", ".png"}));
  EXPECT_EQ(GroupExtensionsFromItem("Web (HTM Html)"), (QStringList{".HTM", ".Html"}));
  EXPECT_TRUE(GroupExtensionsFromItem("Empty ()").isEmpty());
  EXPECT_TRUE(GroupExtensionsFromItem("").isEmpty());
}

TEST(SearchGroupExtensions, GroupNameWithBlanksDoesNotSpillIntoTheTypes) {
  EXPECT_EQ(GroupExtensionsFromItem("My pictures (jpg, png)"), (QStringList{".jpg", ".png"}));
}

// ---- dates in the locales' formats ----


TEST(SearchRowLocales, DateTextsOfEachLocaleReadBackToTheFileTime) {
  for (const LocaleDates& l : FiveLocales()) {
    LocaleFormatsInForce formats(l);
    EXPECT_EQ(ResultDateText(DosTime::DateTimeToFileDate(At(2026, 12, 8, 9, 5, 6))), QString::fromUtf8(l.Morning))
        << l.Locale;
    EXPECT_EQ(ResultDateText(At(2024, 3, 5)), QString::fromUtf8(l.Midnight)) << l.Locale;
    for (const QDateTime& value : {At(2026, 12, 8, 9, 5, 6), At(2024, 3, 5), At(2026, 12, 8, 21, 5, 6),
                                   At(1999, 12, 31, 23, 59, 58), At(2026, 12, 8, 12, 0, 0), At(2026, 12, 8, 0, 0, 2)}) {
      const QString text = ResultDateText(DosTime::DateTimeToFileDate(value));
      QDateTime back;
      EXPECT_TRUE(DateFormat::TryStrToDateTime(text, back)) << l.Locale << " " << text.toStdString();
      EXPECT_EQ(back, value) << l.Locale << " " << text.toStdString();
    }
  }
}

TEST(SearchRowLocales, DateBetweenReadsTheBoundsAsEachLocaleWritesThem) {
  for (const LocaleDates& l : FiveLocales()) {
    LocaleFormatsInForce formats(l);
    TExtendedCriteria c;
    c.TimeBetween = true;
    c.Down = DateFormat::DateToStr(QDate(2024, 3, 5));
    c.Up = DateFormat::DateToStr(QDate(2024, 3, 7));
    EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(2024, 3, 6, 21))));
    EXPECT_TRUE(MatchesCriteria(c, File("a", 1, At(2024, 3, 5, 0, 0, 2)))) << l.Locale;
    EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2024, 3, 5)))) << l.Locale;
    EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2024, 3, 7, 9)))) << l.Locale;
    EXPECT_FALSE(MatchesCriteria(c, File("a", 1, At(2023, 3, 6, 9)))) << l.Locale;
  }
}
