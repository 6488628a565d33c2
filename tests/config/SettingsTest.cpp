// The settings file: start-up without it, defaults, what a close writes,
// the LoadHeaderPos pairing, the mask history and damaged files.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/ui/ListView.h"
#include "support/FileEvents.h"
#include "support/ProgramFolder.h"

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList out;
  for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
  return out;
}

std::vector<int> Widths(const TListView* list) {
  std::vector<int> out;
  for (int i = 0; i < list->ColumnCount(); ++i) out.push_back(list->ColumnWidth(i));
  return out;
}

void CloseMain() {
  FormMain->close();
}

}  // namespace

TEST(SettingsStartup, MissingFileStopsStartupAndCreatesNothing) {
  ProgramFolder folder(std::nullopt);
  folder.CreateWindows();
  ASSERT_EQ(folder.Count(Modal::Kind::Message), 1);
  EXPECT_EQ(folder.Requests[0].text, "Settings file not found");
  EXPECT_EQ(folder.Requests[0].caption, "Error");
  EXPECT_TRUE(Application::Terminated());
  EXPECT_EQ(SettingsIni, nullptr);
  // Nothing after the message ran: no language read, the window is never shown.
  EXPECT_TRUE(CurrentLanguage.isEmpty());
  EXPECT_EQ(Application::Run(), 0);
  EXPECT_FALSE(FormMain->isVisible());
  folder.DestroyWindows();
  EXPECT_TRUE(folder.Entries().isEmpty()) << folder.Entries().join(",").toStdString();
}

TEST(SettingsStartup, EmptyFileGivesDefaultsAndCloseWritesAllSectionsInOrder) {
  ProgramFolder folder;
  folder.CreateWindows();
  EXPECT_TRUE(folder.Requests.empty());
  EXPECT_FALSE(Application::Terminated());
  EXPECT_TRUE(FormMain->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(FormMain->ListViewResult->ViewStyle(), vsReport);
  EXPECT_TRUE(FormMain->Table->isChecked());
  EXPECT_TRUE(FormMain->PTable->isChecked());
  EXPECT_FALSE(FormMain->Icons->isChecked());
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_EQ(FormMain->EditPattern->count(), 0);
  EXPECT_EQ(Widths(FormMain->ListViewResult), (std::vector<int>{50, 100, 100, 150, 100, 100, 150}));
  EXPECT_EQ(Widths(FormMain->ListViewLoads), (std::vector<int>{100, 50, 70, 50, 50, 150, 150}));
  EXPECT_EQ(Widths(FormMain->ListViewResources), (std::vector<int>{100, 100, 100, 100, 100, 300}));

  folder.ShowMain();
  EXPECT_EQ(FormMain->ListViewResult->ColumnCaption(4), "Attributes");
  CloseMain();
  EXPECT_TRUE(Application::Terminated());
  const QStringList expected = {
      "[General]",        "WindowMax=1",     "ViewStyle=1",      "Language=English",
      "[MainHeaderPos]",  "Name=50",         "Type=100",         "Size=100",
      "Date=150",         "Attr=100",        "Computer=100",     "Path=150",
      "[LoadHeaderPos]",  "Name=100",        "Mode=50",          "Speed=70",
      "Complete=50",      "TimeLeft=50",     "Source=150",       "Destination=150",
      "[ResHeaderPos]",   "Name=100",        "Ip=100",           "System=100",
      "Time=100",         "Date=100",        "Services=300"};
  EXPECT_EQ(folder.Lines("settings.ini"), expected);
}

TEST(SettingsStartup, ViewStyleAndWindowStateRoundTrip) {
  {
    ProgramFolder folder("[General]\nViewStyle=7\nWindowMax=0\n");
    folder.CreateWindows();
    EXPECT_EQ(FormMain->ListViewResult->ViewStyle(), vsReport);
    EXPECT_FALSE(FormMain->windowState() & Qt::WindowMaximized);
    FormMain->setWindowState(Qt::WindowMaximized);
    SaveSettings();
    EXPECT_TRUE(folder.Lines("settings.ini").contains("ViewStyle=1"));
    EXPECT_TRUE(folder.Lines("settings.ini").contains("WindowMax=1"));
    FormMain->setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    SaveSettings();
    EXPECT_TRUE(folder.Lines("settings.ini").contains("WindowMax=0"));
  }
  {
    ProgramFolder folder("[General]\nViewStyle=0\n");
    folder.CreateWindows();
    EXPECT_EQ(FormMain->ListViewResult->ViewStyle(), vsIcon);
    EXPECT_TRUE(FormMain->Icons->isChecked());
    EXPECT_TRUE(FormMain->PIcons->isChecked());
    EXPECT_FALSE(FormMain->Table->isChecked());
    SaveSettings();
    EXPECT_TRUE(folder.Lines("settings.ini").contains("ViewStyle=0"));
  }
  {
    ProgramFolder folder("[General]\nViewStyle=2\nLanguage=\"Klingon\"\n");
    folder.CreateWindows();
    EXPECT_EQ(FormMain->ListViewResult->ViewStyle(), vsList);
    EXPECT_TRUE(FormMain->List->isChecked());
    EXPECT_TRUE(FormMain->PList->isChecked());
    EXPECT_EQ(CurrentLanguage, "Klingon");
  }
}

TEST(SettingsWidths, NumberFormsAndUnusableValues) {
  ProgramFolder folder(
      "[MainHeaderPos]\nName=0x64\nType=wide\nSize=0\nDate=-20\nAttr=99999999\nComputer= 77 \n");
  folder.CreateWindows();
  EXPECT_EQ(Widths(FormMain->ListViewResult), (std::vector<int>{100, 100, 100, 150, 100, 77, 150}));
}

TEST(SettingsWidths, LoadHeaderPosKeysFollowTheColumnPosition) {
  ProgramFolder folder("[LoadHeaderPos]\nSpeed=81\nComplete=42\n");
  folder.CreateWindows();
  // Column 2 ("Complete") is stored as Speed, column 3 ("Speed") as Complete.
  EXPECT_EQ(FormMain->ListViewLoads->ColumnWidth(2), 81);
  EXPECT_EQ(FormMain->ListViewLoads->ColumnWidth(3), 42);
  FormMain->ListViewLoads->SetColumnWidth(3, 90);
  SaveSettings();
  const QStringList lines = folder.Lines("settings.ini");
  EXPECT_TRUE(lines.contains("Complete=90"));
  EXPECT_TRUE(lines.contains("Speed=81"));
}

TEST(SettingsPatterns, LoadSortsAndSaveRewritesInSortedOrder) {
  ProgramFolder folder("[Patterns]\nPattern5=b.txt\nOther=a.doc\n");
  folder.CreateWindows();
  EXPECT_EQ(Items(FormMain->EditPattern), (QStringList{"a.doc", "b.txt"}));
  EXPECT_TRUE(FormMain->EditPattern->currentText().isEmpty());

  FormMain->EditPattern->setEditText("b.txt");
  SavePatterns();
  EXPECT_EQ(folder.Lines("settings.ini"), (QStringList{"[Patterns]", "Pattern1=a.doc", "Pattern2=b.txt"}));
}

TEST(SettingsPatterns, KnownMaskInOtherCaseAddsNothing) {
  ProgramFolder folder("[Patterns]\nPattern1=report.txt\n");
  folder.CreateWindows();
  const int selected = FormMain->EditPattern->currentIndex();
  FormMain->EditPattern->setEditText("REPORT.TXT");
  SavePatterns();
  EXPECT_EQ(Items(FormMain->EditPattern), QStringList{"report.txt"});
  EXPECT_EQ(FormMain->EditPattern->currentIndex(), selected);
  EXPECT_EQ(FormMain->EditPattern->currentText(), "REPORT.TXT");
  EXPECT_EQ(folder.Lines("settings.ini"), (QStringList{"[Patterns]", "Pattern1=report.txt"}));
}

TEST(SettingsPatterns, NewMaskIsWrittenLastAndListedInItsPlace) {
  ProgramFolder folder("[Patterns]\nPattern1=d.doc\nPattern2=a.doc\n");
  folder.CreateWindows();
  FormMain->EditPattern->setEditText("c.doc");
  SavePatterns();
  EXPECT_EQ(folder.Lines("settings.ini"),
            (QStringList{"[Patterns]", "Pattern1=a.doc", "Pattern2=d.doc", "Pattern3=c.doc"}));
  EXPECT_EQ(Items(FormMain->EditPattern), (QStringList{"a.doc", "c.doc", "d.doc"}));
  EXPECT_EQ(FormMain->EditPattern->currentIndex(), 1);
  EXPECT_EQ(FormMain->EditPattern->currentText(), "c.doc");
  // The next save puts it in its sorted place.
  SavePatterns();
  EXPECT_EQ(folder.Lines("settings.ini"),
            (QStringList{"[Patterns]", "Pattern1=a.doc", "Pattern2=c.doc", "Pattern3=d.doc"}));
}

TEST(SettingsPatterns, HistoryKeepsEmptyAndRepeatedValuesAndTrimsBlanks) {
  const QByteArray longValue(3000, 'x');
  ProgramFolder folder("[Patterns]\nA=*.txt\nB=\nC=*.TXT\nD=*.txt\nE=" + longValue + "\nF=tail.doc  \n");
  folder.CreateWindows();
  const QStringList items = Items(FormMain->EditPattern);
  ASSERT_EQ(items.size(), 6);
  EXPECT_EQ(items.count("*.txt"), 2);
  EXPECT_TRUE(items.contains("*.TXT"));
  EXPECT_TRUE(items.contains(""));
  EXPECT_TRUE(items.contains("tail.doc"));
  EXPECT_TRUE(items.contains(QString(2047, 'x')));
}

TEST(SettingsPatterns, NothingHappensWithoutASettingsFile) {
  ResetProgramGlobals();
  SavePatterns();
  LoadPatterns();
  SaveSettings();
  EXPECT_EQ(SettingsIni, nullptr);
}

TEST(SettingsDamaged, GarbageBinaryLongLinesAndDuplicatesOpenWithDefaults) {
  QByteArray content;
  content += "this is no ini line\n=\n[[[\n]]\n";
  content += QByteArray("\x00\x01\xff\xfe[General]\x00\n", 15);
  content += "[General]\nViewStyle=\x01\x02\nWindowMax=0\nWindowMax=1\n";
  content += "[MainHeaderPos]\nName=" + QByteArray(100 * 1024, '9') + "\n";
  content += "Type=120\nType=130\n" + QByteArray(100 * 1024, 'z') + "\n";
  content += "[Patterns]\nPattern1=\xff\xfe\x80\nPattern1=dup.txt\n";
  ProgramFolder folder(content);
  folder.CreateWindows();
  EXPECT_FALSE(Application::Terminated());
  ASSERT_NE(FormMain, nullptr);
  EXPECT_EQ(FormMain->ListViewResult->ViewStyle(), vsReport);
  EXPECT_EQ(FormMain->ListViewResult->ColumnWidth(0), 50);  // unreadable number
  const int type = FormMain->ListViewResult->ColumnWidth(1);
  EXPECT_TRUE(type == 120 || type == 130) << type;
  folder.ShowMain();
  CloseMain();
  EXPECT_TRUE(Application::Terminated());
}

TEST(SettingsDamaged, UnwritableFileIsReportedByNameAndTheProgramStillEnds) {
  ProgramFolder folder;
  folder.CreateWindows();
  folder.ShowMain();
  // The program folder vanishes, so the settings file cannot be written (also as root).
  ASSERT_TRUE(QDir(folder.Path()).removeRecursively());
  CloseMain();
  ASSERT_GE(folder.Count(Modal::Kind::Exception), 1);
  bool named = false;
  for (const Modal::Request& r : folder.Requests)
    if (r.kind == Modal::Kind::Exception && r.text.contains("settings.ini")) named = true;
  EXPECT_TRUE(named);
  EXPECT_TRUE(Application::Terminated());
  EXPECT_FALSE(FormMain->isVisible());
}

TEST(SettingsReplacement, EachSaveReplacesTheFileOnce) {
  // Saved key by key, an interrupted save would leave some keys old and
  // some new, or a history missing its entries.
  ProgramFolder folder("[General]\nLanguage=English\n[Patterns]\nPattern1=b.txt\nPattern2=a.txt\n");
  folder.CreateWindows();
  FileEvents events(folder.Path());
  SaveSettings();
  EXPECT_EQ(events.Count("settings.ini"), 1);
  FormMain->EditPattern->setEditText("c.txt");
  SavePatterns();
  EXPECT_EQ(events.Count("settings.ini"), 2);
  EXPECT_EQ(Items(FormMain->EditPattern), (QStringList{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(folder.Lines("settings.ini").mid(folder.Lines("settings.ini").indexOf("[Patterns]")),
            (QStringList{"[Patterns]", "Pattern1=a.txt", "Pattern2=b.txt", "Pattern3=c.txt"}));
  // Loading reads only; nothing is left beside the file.
  LoadSettings();
  LoadPatterns();
  EXPECT_EQ(events.Count("settings.ini"), 2);
  EXPECT_EQ(folder.Entries(), QStringList{"settings.ini"});
}

TEST(SettingsPatterns, AHistoryBeyondTheKeyListLimitIsKeptWhole) {
  // 2,000 names of about ten bytes are more than one key listing holds;
  // the next search start must still write back every entry.
  QByteArray settings = "[Patterns]\n";
  for (int i = 1; i <= 2000; ++i) settings += "Pattern" + QByteArray::number(i) + "=m" + QByteArray::number(i) + "\n";
  ProgramFolder folder(settings);
  folder.CreateWindows();
  ASSERT_EQ(FormMain->EditPattern->count(), 2000);
  FormMain->EditPattern->setEditText("new.txt");
  SavePatterns();
  const QStringList lines = folder.Lines("settings.ini");
  EXPECT_EQ(lines.size(), 1 + 2001);
  EXPECT_TRUE(lines.contains("Pattern2001=new.txt"));
  EXPECT_EQ(lines.filter(QRegularExpression("^Pattern\\d+=m\\d+$")).size(), 2000);
  // Sorted as the list sorts them, one by one.
  EXPECT_EQ(FormMain->EditPattern->itemText(0), "m1");
  EXPECT_EQ(FormMain->EditPattern->itemText(1), "m10");
  EXPECT_EQ(FormMain->EditPattern->itemText(2), "m100");
  EXPECT_EQ(FormMain->EditPattern->currentText(), "new.txt");
}
