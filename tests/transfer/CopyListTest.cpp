// The copy list built from result rows, and the sizes of files and trees.
#include <QDateTime>

#include "CopyFixture.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "platform/ListView.h"
#include "transfer/Copy.h"

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

TEST(CopyListDrive, DriveNumberIsTheUpperCaseLetterMinus64) {
  EXPECT_EQ(DriveNumberOf("C:\\In\\"), 3);
  EXPECT_EQ(DriveNumberOf("d:\\Backup\\"), 4);
  EXPECT_EQ(DriveNumberOf("A:"), 1);
  EXPECT_EQ(DriveNumberOf("\\\\server\\share\\"), 0);
  EXPECT_EQ(DriveNumberOf(""), 0);
}
