// Searches over real shares, driven as the user drives them: ticked shares,
// a mask or a group, Find, and the rows that come back with the Windows
// attributes, sizes and dates the servers keep. The expected sizes and
// dates are read from the files the servers serve. Servers list a folder in
// their own order, so rows are compared as sets.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>

#include "SmbnetEnv.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/fs/FindFile.h"
#include "platform/smb/SmbListPrefetch.h"
#include "platform/ui/ListView.h"
#include "search/Editgroups.h"
#include "search/Search_state.h"
#include "support/SearchRun.h"
#include "transfer/Copy.h"

namespace {

// `tops` folders of three subfolders each (names with blanks and letters
// beyond ASCII), two files in each; gone with the object.
struct TTree {
  QString Root;
  TTree(const QString& root, int tops) : Root(root) {
    for (int t = 0; t < tops; ++t)
      for (const QString sub : {"x", "y z", "Ünï"}) {
        const QString dir = QString("%1/top %2/%3").arg(root).arg(t, 2, 10, QChar('0')).arg(sub);
        QDir().mkpath(dir);
        for (const QString name : {"a.dat", "b é.dat"}) Write(dir + '/' + name);
      }
  }
  ~TTree() { QDir(Root).removeRecursively(); }
  static void Write(const QString& path) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write("x");
  }
};

class SmbnetSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Smbnet::Present()) GTEST_SKIP() << "not inside scripts/smbnet run";
    DateFormat::SetShortDateFormat("dd.mm.yyyy");
    DateFormat::SetLongTimeFormat("hh:nn:ss");
    S = std::make_unique<SearchRun>();
    FUse = std::make_unique<Smbnet::TUse>();
    GroupExtensions.clear();
  }
  void TearDown() override {
    if (S) EXPECT_TRUE(SearchRun::WaitForWorkers(30000));
    FUse.reset();
    S.reset();
    GroupExtensions.clear();
    DateFormat::ResetToSystem();
  }
  void Tick(const QString& server, const QStringList& shares) {
    QTreeWidgetItem* node = S->AddComputer(server, true);
    for (const QString& share : shares) S->AddShare(node, share, true);
  }
  void Search(const QString& mask) {
    S->Find(mask);
    ASSERT_TRUE(S->WaitForSearchEnd(60000));
  }
  void SearchGroup(const QString& types) {
    SearchRun::ChooseGroup(types);
    FormMain->ButtonFindClick(FormMain->ButtonFind);
    ASSERT_TRUE(S->WaitForSearchEnd(60000));
  }
  static QStringList Sorted(QStringList l) {
    l.sort();
    return l;
  }
  // "SERVER|\share\folder\|caption|type|size|attributes" of a served file.
  static QString Row(const QString& server, const QString& share, const QString& folder, const QString& name,
                     const QString& attributes) {
    const QFileInfo f(Smbnet::Local(server, share + '/' + folder + name));
    const QString backslashed = QString(folder).replace('/', '\\');
    return QStringList{server, "\\" + share + "\\" + backslashed, f.completeBaseName(), f.suffix(),
                       QString::number(f.size()), attributes}
        .join('|');
  }
  // The date column of the row of a caption.
  static QString DateOf(const QString& caption) {
    const TListView* list = FormMain->ListViewResult;
    for (int i = 0; i < list->Count(); ++i)
      if (list->Item(i).Caption == caption) return list->Item(i).SubItems.value(2);
    return "<no row>";
  }
  static QString LocalDate(const QString& server, const QString& path) {
    return QFileInfo(Smbnet::Local(server, path)).lastModified().toString("dd.MM.yyyy hh:mm:ss");
  }
  // Every column of every row, in the list's order.
  static QStringList Columns() {
    QStringList rows;
    const TListView* list = FormMain->ListViewResult;
    for (int i = 0; i < list->Count(); ++i) rows << list->Item(i).Caption + '|' + list->Item(i).SubItems.join('|');
    return rows;
  }
  // The same of a search with folders listed one after another.
  QStringList OwnColumns(const QString& mask) {
    TSmbListPrefetch::OffForTests() = true;
    Search(mask);
    TSmbListPrefetch::OffForTests() = false;
    return Columns();
  }
  std::unique_ptr<SearchRun> S;
  std::unique_ptr<Smbnet::TUse> FUse;
};

TEST_F(SmbnetSearch, AMaskFindsEveryMatchWithItsAttributesSizeAndDate) {
  Tick("SRV1", {"pub"});
  Search("*.txt");
  // The hidden folder is not entered; names with blanks and accents come whole.
  EXPECT_EQ(Sorted(S->Rows()), Sorted({
                                   Row("SRV1", "pub", "", "readme.txt", "-a--"),
                                   Row("SRV1", "pub", "docs/", "readonly.txt", "ra--"),
                                   Row("SRV1", "pub", "docs/", "hidden.txt", "-ah-"),
                                   Row("SRV1", "pub", "docs/", "normal.txt", "----"),
                                   Row("SRV1", "pub", "Folder With Spaces/nested/", "deep file.txt", "-a--"),
                                   Row("SRV1", "pub", "Ünïcødé Mappe/", "Straße café.txt", "-a--"),
                               }));
  EXPECT_EQ(FoundCount, 6);
  EXPECT_EQ(S->Panel(1), TextStatusFiles + "6");
  EXPECT_EQ(DateOf("readonly"), LocalDate("SRV1", "pub/docs/readonly.txt"));
  EXPECT_EQ(DateOf("Straße café"), LocalDate("SRV1", "pub/Ünïcødé Mappe/Straße café.txt"));
  EXPECT_EQ(DateOf("readme"), LocalDate("SRV1", "pub/readme.txt"));
}

TEST_F(SmbnetSearch, SizesPastFourGigabytesAndEveryAttributeComeWhole) {
  Tick("SRV1", {"pub"});
  Search("*.*");
  const QStringList rows = S->Rows();
  EXPECT_TRUE(rows.contains(Row("SRV1", "pub", "", "sparse-5g.bin", "-a--"))) << rows.join('\n').toStdString();
  EXPECT_TRUE(rows.contains("SRV1|\\pub\\|sparse-5g|bin|5368709120|-a--"));
  EXPECT_TRUE(rows.contains(Row("SRV1", "pub", "docs/", "system.sys", "-a-s")));
  EXPECT_TRUE(rows.contains(Row("SRV1", "pub", "docs/", "all.dat", "rahs")));
  EXPECT_TRUE(rows.contains(Row("SRV1", "pub", "", "block-test.bin", "-a--")));
  EXPECT_EQ(DateOf("sparse-5g"), LocalDate("SRV1", "pub/sparse-5g.bin"));
}

TEST_F(SmbnetSearch, AGroupFindsItsTypesOverSeveralServers) {
  Tick("SRV1", {"pub"});
  Tick("SRV3", {"tools"});
  Tick("SRV2", {"data"});
  SearchGroup("bin, sys, exe");
  EXPECT_EQ(Sorted(S->Rows()), Sorted({
                                   Row("SRV1", "pub", "", "block-test.bin", "-a--"),
                                   Row("SRV1", "pub", "", "sparse-5g.bin", "-a--"),
                                   Row("SRV1", "pub", "docs/", "system.sys", "-a-s"),
                                   Row("SRV3", "tools", "bin/", "tool.exe", "-a--"),
                                   Row("SRV2", "data", "project/", "data.bin", "-a--"),
                               }));
  EXPECT_EQ(GroupExtensions, (QStringList{".bin", ".sys", ".exe"}));
}

TEST_F(SmbnetSearch, LinksBackUpAShareAreNotWalkedAgain) {
  // tools/loop/back and tools/loop/again lead to the share's top. Followed
  // blindly, the search and the size walk (on the GUI thread) would not end.
  Tick("SRV3", {"tools"});
  Search("*.*");
  const QStringList rows = S->Rows();
  EXPECT_EQ(rows.filter("|tool|exe|").size(), 1) << rows.join('\n').toStdString();
  EXPECT_EQ(rows.filter("|readme|txt|").size(), 1);
  EXPECT_EQ(FolderSize("\\\\SRV3\\tools\\"),
            double(QFileInfo(Smbnet::Local("SRV3", "tools/bin/tool.exe")).size() +
                   QFileInfo(Smbnet::Local("SRV3", "tools/readme.txt")).size()));
}

TEST_F(SmbnetSearch, ThePasswordShareIsReadWithTheAuthenticationFileAndSkippedWithout) {
  {
    Smbnet::TAuthFile none(false);
    Tick("SRV1", {"secret", "pub"});
    Search("*.txt");
    EXPECT_TRUE(S->Rows().filter("\\secret\\").isEmpty()) << S->Rows().join('\n').toStdString();
    // The readable share next to it is searched all the same.
    EXPECT_FALSE(S->Rows().filter("\\pub\\").isEmpty());
  }
  {
    Smbnet::TAuthFile with(true);
    Search("*.txt");
    EXPECT_EQ(Sorted(S->Rows().filter("\\secret\\")), Sorted({Row("SRV1", "secret", "", "secret.txt", "-a--"),
                                                          Row("SRV1", "secret", "inner/", "more.txt", "-a--")}));
  }
}

TEST_F(SmbnetSearch, AServerThatIsNotSambaListsEveryFileWithItsSizeAndDate) {
  // impacket's server; its share is FILES, its folder on this machine files/
  Tick("PYSMB", {"FILES"});
  Search("*.*");
  QStringList rows;
  for (const QString& r : S->Rows()) rows << r.section('|', 0, 4);  // its own attributes aside
  EXPECT_EQ(Sorted(rows), Sorted({"PYSMB|\\FILES\\|sub||", "PYSMB|\\FILES\\|blob|bin|300000", "PYSMB|\\FILES\\|nine|txt|9",
                                  "PYSMB|\\FILES\\|three|txt|3", "PYSMB|\\FILES\\sub\\|inner|txt|11"}));
  EXPECT_EQ(DateOf("blob"), LocalDate("PYSMB", "files/blob.bin"));
  EXPECT_EQ(DateOf("three"), LocalDate("PYSMB", "files/three.txt"));
}

TEST_F(SmbnetSearch, NamesThatWouldActAsPathsAreNeverRows) {
  Tick("SRV2", {"odd"});
  Search("*");
  const QStringList rows = S->Rows();
  EXPECT_TRUE(rows.contains(Row("SRV2", "odd", "", "safe.txt", "-a--"))) << rows.join('\n').toStdString();
  EXPECT_TRUE(rows.contains(Row("SRV2", "odd", "sub/", "inner.txt", "-a--")));
  for (const QString& row : rows) {
    const QString caption = row.section('|', 2, 2) + '.' + row.section('|', 3, 3);
    EXPECT_FALSE(caption.contains(':') || caption.contains('\\') || caption.contains('/') || caption.contains('\a') ||
                 caption.contains("escape") || caption.contains("up."))
        << row.toStdString();
  }
}

TEST_F(SmbnetSearch, ADateBeyondWhatNanosecondsCarryIsHeldAtTheEndNotWrapped) {
  // Windows file times reach the year 30828; 64 bits of nanoseconds end in 2262.
  const QString dir = Smbnet::Local("SRV1", "pub/late");
  ASSERT_TRUE(QDir().mkpath(dir));
  {
    QFile f(dir + "/future.bin");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
  }
  const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(10413792000), 0}};  // 2300-01-01
  ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(dir + "/future.bin").constData(), times, 0), 0);
  TSearchRec sr;
  const int e = FileSystem::FindFirst("\\\\SRV1\\pub\\late\\future.bin", faAnyFile, sr);
  const int year = e == 0 ? sr.LastWriteTime().date().year() : 0;
  if (e == 0) FileSystem::FindClose(sr);
  QDir(dir).removeRecursively();
  ASSERT_EQ(e, 0);
  EXPECT_EQ(year, 2262);
}

TEST_F(SmbnetSearch, FoldersListedAheadGiveTheRowsAndOrderOfOneListingAfterAnother) {
  TTree tree(Smbnet::Local("SRV1", "pub/ahead"), 12);
  Tick("SRV1", {"pub"});
  TSmbListPrefetch& ahead = TSmbListPrefetch::Get();
  const QStringList own = OwnColumns("*");
  ASSERT_GT(own.filter("\\ahead\\top 11\\Ünï\\").size(), 1) << own.join('\n').toStdString();
  qint64 taken = ahead.Taken();
  Search("*");
  EXPECT_GT(ahead.Taken(), taken);
  EXPECT_EQ(Columns(), own);

  // Changed at once after a search: the next one shows the change.
  TTree::Write(tree.Root + "/top 03/y z/new.dat");
  ASSERT_TRUE(QFile::remove(tree.Root + "/top 05/x/a.dat"));
  taken = ahead.Taken();
  Search("*");
  const QStringList changed = Columns();
  EXPECT_GT(ahead.Taken(), taken);
  EXPECT_EQ(changed, OwnColumns("*"));
  EXPECT_EQ(changed.size(), own.size());
  EXPECT_EQ(changed.filter(QRegularExpression("^new\\|dat\\|")).size(), 1);
}

TEST_F(SmbnetSearch, AListingHelperKilledMidWalkLeavesTheSearchComplete) {
  TTree tree(Smbnet::Local("SRV1", "pub/ahead"), 40);
  Tick("SRV1", {"pub"});
  const QStringList own = OwnColumns("*");
  TSmbListPrefetch& ahead = TSmbListPrefetch::Get();
  S->Find("*");
  QList<pid_t> pids;
  bool walking = false;
  ASSERT_TRUE(SearchRun::WaitUntil(
      [&] {
        walking = SearchPatternThread != nullptr;
        pids = ahead.Pids();
        return !pids.isEmpty() || !walking;
      },
      60000));
  ASSERT_TRUE(walking && !pids.isEmpty());
  ASSERT_EQ(kill(pids.first(), SIGKILL), 0);
  ASSERT_TRUE(S->WaitForSearchEnd(60000));
  EXPECT_EQ(Columns(), own);
  // Every helper is reaped once the walk is over: no process, no zombie.
  EXPECT_TRUE(SearchRun::WaitUntil([&] { return ahead.Pids().isEmpty(); }, 30000));
  for (const pid_t pid : pids) EXPECT_FALSE(QFileInfo::exists(QString("/proc/%1").arg(pid))) << pid;
}

}  // namespace
