// The copy list built from result rows, and the sizes of files and trees.
#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QTimer>
#include <optional>

#include "CopyFixture.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "platform/ui/ListView.h"
#include "platform/core/Thread.h"
#include "support/GatedNet.h"
#include "transfer/Copy.h"
#include "transfer/Sizing.h"

namespace {

const QString Docs = QStringLiteral("\\\\PC1\\docs\\");

TListItem Row(const QString& caption, const QString& type, const QString& size, const QString& path,
              bool selected) {
  TListItem item;
  item.Caption = caption;
  item.SubItems = {type, size, "01.01.2024 10:00:00", "----", "PC1", path};
  item.Selected = selected;
  return item;
}

}  // namespace

using CopyList = CopyFixture;

TEST_F(CopyList, BuildsPairsFromTheSelectedRowsAndSumsTheirSizes) {
  Net->AddFile(Docs + "dir\\one.txt", 100);
  Net->AddFile(Docs + "dir\\sub\\two.txt", 250);
  Net->AddFile(Docs + "dir\\.h\\three.txt", 7, {}, "h");
  TListView* list = FormMain->ListViewResult;
  list->Clear();
  list->AddItem(Row("report", "txt", "1200", "\\docs\\a\\", true));
  list->AddItem(Row("unselected", "txt", "99", "\\docs\\", false));
  list->AddItem(Row("dir", "", TextFileDir, "\\docs\\", true));
  list->AddItem(Row("README", "", "10", "\\docs\\", true));
  list->AddItem(Row("report", "txt", "30", "\\docs\\b\\", true));

  const double total = BuildCopyList();
  EXPECT_EQ(CopyNames, QStringList({"report.txt", "dir\\", "README.", "report.txt"}));
  EXPECT_EQ(CopySourceFolders,
            QStringList({"\\\\PC1\\docs\\a\\", "\\\\PC1\\docs\\", "\\\\PC1\\docs\\", "\\\\PC1\\docs\\b\\"}));
  // Files by their Size text, the folder by its whole tree (hidden parts too).
  EXPECT_EQ(total, 1200 + 10 + 30 + 100 + 250 + 7);

  for (int i = 0; i < list->Count(); ++i) {
    TListItem item = list->Item(i);
    item.Selected = false;
    list->SetItem(i, item);
  }
  EXPECT_EQ(BuildCopyList(), 0);
  EXPECT_TRUE(CopyNames.isEmpty());
  EXPECT_TRUE(CopySourceFolders.isEmpty());
}

TEST_F(CopyList, SizesAreWholeSixtyFourBitCounts) {
  const qint64 big = (qint64(5) << 30) + 3;  // sparse
  Net->AddFile(Docs + "tree\\big.img", big);
  Net->AddFile(Docs + "tree\\x\\y\\small.txt", 5);
  Net->AddFolder(Docs + "tree\\empty");
  EXPECT_EQ(PathSize(Docs + "tree\\big.img"), double(big));
  EXPECT_EQ(FolderSize(Docs + "tree\\"), double(big + 5));
  EXPECT_EQ(PathSize(Docs + "tree\\"), double(big + 5));
  EXPECT_EQ(FolderSize(Docs + "tree\\empty\\"), 0);
  // Missing things count nothing.
  EXPECT_EQ(PathSize(Docs + "nothing.txt"), 0);
  EXPECT_EQ(FolderSize(Docs + "nowhere\\"), 0);
  EXPECT_EQ(FolderSize("\\\\NOPC\\share\\"), 0);
}

TEST_F(CopyList, FolderTreesAreSizedOffTheGuiThreadIntoTheSameRequest) {
  Net->AddFile(Docs + "dir\\one.txt", 100);
  Net->AddFile(Docs + "dir\\sub\\two.txt", 250);
  TListView* list = FormMain->ListViewResult;
  list->Clear();
  list->AddItem(Row("report", "txt", "1200", "\\docs\\a\\", true));
  list->AddItem(Row("dir", "", TextFileDir, "\\docs\\", true));
  const double expected = BuildCopyList();
  const QStringList names = CopyNames, folders = CopySourceFolders;
  CopyDestination = "C:\\In\\";
  CopyDestinationDrive = 3;

  GatedNet gated(Net->Root());
  std::optional<double> total;
  BuildCopyList([&](double t) { total = t; });
  // The command is back in the event loop while the walk waits at the gate.
  ASSERT_TRUE(WaitUntil([&] { return gated.Gate().Reached(); }));
  bool served = false;
  QTimer::singleShot(0, [&] { served = true; });
  ASSERT_TRUE(WaitUntil([&] { return served; }));
  EXPECT_TRUE(Sizing::Running());
  EXPECT_FALSE(total);
  // Another command touching the globals meanwhile does not leak into it.
  CopyNames.clear();
  CopyDestination = "D:\\";
  gated.Gate().Open();
  ASSERT_TRUE(WaitUntil([&] { return total.has_value(); }));
  EXPECT_EQ(*total, expected);
  EXPECT_EQ(CopyNames, names);
  EXPECT_EQ(CopySourceFolders, folders);
  EXPECT_EQ(CopyDestination, "C:\\In\\");
  EXPECT_EQ(CopyDestinationDrive, 3);
  EXPECT_FALSE(Sizing::Running());
}

TEST_F(CopyList, ACancelledSizingHandsNothingBack) {
  Net->AddFile(Docs + "dir\\one.txt", 100);
  TListView* list = FormMain->ListViewResult;
  list->Clear();
  list->AddItem(Row("dir", "", TextFileDir, "\\docs\\", true));
  GatedNet gated(Net->Root());
  bool called = false;
  BuildCopyList([&](double) { called = true; });
  ASSERT_TRUE(WaitUntil([&] { return gated.Gate().Reached(); }));
  // ESC in the main window ends it at once, while the walk is still held.
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(FormMain, &esc);
  EXPECT_FALSE(Sizing::Running());
  gated.Gate().Open();
  ASSERT_TRUE(WaitUntil([] { return TThread::RunningCount() == 0; }));
  QCoreApplication::processEvents();
  EXPECT_FALSE(called);

  // Without folders there is nothing to walk: the answer comes at once.
  list->Clear();
  list->AddItem(Row("report", "txt", "12", "\\docs\\", true));
  std::optional<double> total;
  BuildCopyList([&](double t) { total = t; });
  EXPECT_EQ(total, 12);
}

TEST(CopyListDrive, DriveNumberIsTheUpperCaseLetterMinus64) {
  EXPECT_EQ(DriveNumberOf("C:\\In\\"), 3);
  EXPECT_EQ(DriveNumberOf("d:\\Backup\\"), 4);
  EXPECT_EQ(DriveNumberOf("A:"), 1);
  EXPECT_EQ(DriveNumberOf("\\\\server\\share\\"), 0);
  EXPECT_EQ(DriveNumberOf(""), 0);
}
