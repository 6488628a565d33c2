#include <gtest/gtest.h>

#include "platform/fs/WinPath.h"

TEST(WinPath, DrivePathsMapOntoThisMachine) {
  EXPECT_EQ(WinPath::ToLocal("C:\\home\\me\\x"), "/home/me/x");
  EXPECT_EQ(WinPath::ToLocal("c:\\"), "/");
  EXPECT_EQ(WinPath::ToLocal("C:\\tmp\\\\a"), "/tmp/a");
  EXPECT_EQ(WinPath::ToLocal("D:\\x"), "");
  EXPECT_EQ(WinPath::ToLocal("\\\\PC\\s"), "");
  EXPECT_EQ(WinPath::FromLocal("/home/me"), "C:\\home\\me");
  EXPECT_EQ(WinPath::FromLocal("/"), "C:\\");
}

TEST(WinPath, NameHelpersSplitAtBackslashAndColon) {
  EXPECT_EQ(WinPath::ExtractFileName("\\\\A\\s\\x.txt"), "x.txt");
  EXPECT_EQ(WinPath::ExtractFilePath("\\\\A\\s\\x.txt"), "\\\\A\\s\\");
  EXPECT_EQ(WinPath::ExtractFileExt("a\\b.c\\name"), "");
  EXPECT_EQ(WinPath::ExtractFileExt("archive.tar.gz"), ".gz");
  EXPECT_EQ(WinPath::ExtractFileName("C:x"), "x");
  EXPECT_EQ(WinPath::IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(WinPath::ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_TRUE(WinPath::IsUnc("\\\\PC"));
  EXPECT_FALSE(WinPath::IsUnc("\\PC"));
  EXPECT_TRUE(WinPath::IsDrive("d:"));
}

TEST(WinPathTest, EntryNamesFromAnotherMachineAreOnlyPlainComponents) {
  for (const char* good : {"a.txt", "with blank", "...", ".hidden", "a..b", "Ünïcode ✓"})
    EXPECT_TRUE(WinPath::IsPlainEntryName(QString::fromUtf8(good))) << good;
  for (const char* bad : {"", ".", "..", "..\\..\\escape.txt", "a/b", "C:x", "tab\there", "nl\n"})
    EXPECT_FALSE(WinPath::IsPlainEntryName(QString::fromUtf8(bad))) << bad;
  EXPECT_FALSE(WinPath::IsPlainEntryName(QString(QChar(0x7f))));
  // Only a path component refuses ":"; any name from the network refuses the rest.
  EXPECT_TRUE(WinPath::IsNetworkName("C:x"));
  for (const char* bad : {"", ".", "..", "a\\b", "a/b", "nl\n"}) EXPECT_FALSE(WinPath::IsNetworkName(bad)) << bad;
}
