// The tasks file and the task list: loading, saving, deleting, the pop-up
// menu's states, and the level list used to create destination folders.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QFile>
#include <QFileInfo>

#include "TaskFixture.h"
#include "support/FileEvents.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "support/GatedNet.h"
#include "transfer/Copy.h"
#include "transfer/Sizing.h"
#include "transfer/Tasks.h"

using TaskList = TaskFixture;

TEST_F(TaskList, AMissingTasksFileIsCreatedEmptyAndTheListStaysEmpty) {
  QFile::remove(TasksPath());
  FormMain->ListViewLoads->AddItem(TListItem{"stale", {}, 0, false});
  LoadTasks();
  EXPECT_TRUE(QFile::exists(TasksPath()));
  EXPECT_EQ(QFile(TasksPath()).size(), 0);
  EXPECT_EQ(FormMain->ListViewLoads->Count(), 0);
}

TEST_F(TaskList, SectionsLoadAsRowsWithModeTextPercentAndPaths) {
  Program->WriteFile("tasks.ini",
                     "[A]\nMode=1\nProgress=40\nSource=\\\\PC1\\docs\\x\\\nDestination=C:\\in\\\n"
                     "[B]\n"
                     "[C]\nMode=7\nProgress=junk\nSource=\\\\PC1\\docs\\f.txt\n");
  LoadTasks();
  const TListView* list = FormMain->ListViewLoads;
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Item(0).Caption, "A");
  EXPECT_EQ(list->Item(0).SubItems,
            QStringList({"Synchronize", "40%", "", "", "\\\\PC1\\docs\\x\\", "C:\\in\\"}));
  EXPECT_EQ(list->Item(0).ImageIndex, tiDeactive);
  EXPECT_EQ(list->Item(1).Caption, "B");
  EXPECT_EQ(list->Item(1).SubItems, QStringList({"Load", "0%", "", "", "", ""}));
  // Any mode but 1 is a download; a percent that is no number reads 0.
  EXPECT_EQ(list->Item(2).SubItems.value(tcMode), "Load");
  EXPECT_EQ(list->Item(2).SubItems.value(tcComplete), "0%");
}

TEST_F(TaskList, SavingRewritesTheFileFromTheRows) {
  Program->WriteFile("tasks.ini", "[A]\nMode=1\nProgress=40\nSource=s\nDestination=d\\\n[B]\n");
  LoadTasks();
  FormMain->ListViewLoads->SetSubItem(0, tcComplete, "37%");
  // A section added by hand while the program runs goes with the next save.
  Program->WriteFile("tasks.ini", Program->ReadFile("tasks.ini") + "[Hand]\nMode=1\n");
  SaveTasks();
  EXPECT_EQ(Key("A", "Progress"), "37");
  EXPECT_EQ(Key("A", "Mode"), "1");
  EXPECT_EQ(Key("A", "Source"), "s");
  EXPECT_EQ(Key("A", "Destination"), "d\\");
  EXPECT_EQ(Key("B", "Mode"), "0");
  EXPECT_EQ(Key("B", "Progress"), "0");
  EXPECT_EQ(Key("Hand", "Mode"), "<none>");
  EXPECT_FALSE(TasksText().contains("[Hand]"));
  // And a missing file is created on saving.
  QFile::remove(TasksPath());
  SaveTasks();
  EXPECT_EQ(Key("B", "Mode"), "0");
}

TEST_F(TaskList, SavingReplacesTheFileOnceWithEveryTaskInIt) {
  // A save key by key would leave, when interrupted, a file that lost tasks.
  QByteArray text;
  for (int i = 0; i < 60; ++i)
    text += "[T" + QByteArray::number(i) + "]\nSource=s" + QByteArray::number(i) + "\nDestination=d\\\nMode=" +
            QByteArray::number(i % 2) + "\nProgress=" + QByteArray::number(i) + "\n\n";
  Program->WriteFile("tasks.ini", text);
  LoadTasks();
  ASSERT_EQ(FormMain->ListViewLoads->Count(), 60);
  FormMain->ListViewLoads->SetSubItem(59, tcComplete, "99%");
  FileEvents events(QFileInfo(TasksPath()).absolutePath());
  SaveTasks();
  EXPECT_EQ(events.Count("tasks.ini"), 1);
  QString expected = QString::fromUtf8(text);
  expected.replace("Progress=59", "Progress=99");
  EXPECT_EQ(TasksText().trimmed().toStdString(), expected.trimmed().toStdString());
  // Loading only reads.
  LoadTasks();
  AddTaskItem("T3", 3);
  EXPECT_EQ(events.Count("tasks.ini"), 1);
  EXPECT_EQ(FormMain->ListViewLoads->Count(), 60);
  // Nothing is left beside it.
  EXPECT_FALSE(Program->Exists(".tasks.ini.new"));
}

TEST_F(TaskList, CompleteTextsReadAsPercents) {
  EXPECT_EQ(CompletePercent("40%"), 40);
  EXPECT_EQ(CompletePercent("100%"), 100);
  EXPECT_EQ(CompletePercent("0%"), 0);
  EXPECT_EQ(CompletePercent("12"), 12);
  EXPECT_EQ(CompletePercent("%"), 0);
  EXPECT_EQ(CompletePercent("Pause"), 0);
  EXPECT_EQ(CompletePercent("-5%"), 0);
}

TEST_F(TaskList, DeletingPassesOverARunningRow) {
  Program->WriteFile("tasks.ini", "[A]\n[B]\n[C]\n[D]\n");
  LoadTasks();
  TListView* list = FormMain->ListViewLoads;
  list->SetImageIndex(1, tiActive);
  for (int i : {0, 1, 2}) list->SetSelected(i, true);
  EXPECT_FALSE(DeleteTask(1));
  FormMain->PTaskDeleteClick(nullptr);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Item(0).Caption, "B");
  EXPECT_EQ(list->Item(1).Caption, "D");
  EXPECT_EQ(TIniFile(TasksFileName()).ReadSections(), QStringList({"B", "D"}));
}

TEST_F(TaskList, ThePopUpMenuFollowsTheSelection) {
  Program->WriteFile("tasks.ini", "[A]\n[B]\n");
  LoadTasks();
  TListView* list = FormMain->ListViewLoads;
  auto states = [&] {
    FormMain->PopupMenuTasksPopup(nullptr);
    return QList<bool>{FormMain->PTaskStart->isEnabled(), FormMain->PTaskDelete->isEnabled(),
                       FormMain->PTaskEdit->isEnabled()};
  };
  list->ClearSelection();
  EXPECT_EQ(states(), QList<bool>({false, false, false}));
  list->SetSelected(0, true);
  EXPECT_EQ(states(), QList<bool>({true, true, true}));
  list->SetImageIndex(0, tiActive);
  EXPECT_EQ(states(), QList<bool>({false, false, false}));
  list->SetSelected(1, true);
  EXPECT_EQ(states(), QList<bool>({true, true, false}));
  list->SetImageIndex(0, tiError);
  list->SetSelected(1, false);
  EXPECT_EQ(states(), QList<bool>({true, true, true}));
}

TEST_F(TaskList, ARunningRowIsNeitherStartedNorEditedByItsCommands) {
  Program->WriteFile("tasks.ini", "[A]\nSource=\\\\PC1\\docs\\none.txt\nDestination=C:\\x\\\n");
  LoadTasks();
  TListView* list = FormMain->ListViewLoads;
  list->SetImageIndex(0, tiActive);
  list->SetSelected(0, true);
  FormCopy = nullptr;
  FormMain->ListViewLoadsDblClick(nullptr);
  FormMain->PTaskStartClick(nullptr);
  EXPECT_EQ(FormCopy, nullptr);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  FormMain->PTaskEditClick(nullptr);
  EXPECT_EQ(AskedCount(Modal::Kind::ShowModal), 0);
}

TEST_F(TaskList, AStartSizesTheSourceOffTheGuiThreadAndEscStartsNothing) {
  Net->AddFile("\\\\PC1\\docs\\tree\\a.txt", 10);
  Net->AddFile("\\\\PC1\\docs\\tree\\b\\c.txt", 20);
  AddTask("t", "\\\\PC1\\docs\\tree\\", Destination, true);
  FormCopy = nullptr;
  {
    GatedNet gated(Net->Root());
    StartTask(TaskRow("t"));
    ASSERT_TRUE(WaitUntil([&] { return gated.Gate().Reached(); }));
    // Sizing: the task is busy (not started twice), no window yet.
    EXPECT_TRUE(TaskBusy(TaskRow("t")));
    StartTask(TaskRow("t"));
    EXPECT_EQ(FormCopy, nullptr);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(FormMain->ListViewLoads, &esc);
    EXPECT_FALSE(TaskBusy(TaskRow("t")));
  }
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(FormCopy, nullptr);
  EXPECT_EQ(Image("t"), tiDeactive);
  EXPECT_EQ(FormMain->FActiveOperations, 0);

  // Let through, the same start opens its window with the tree's size.
  {
    GatedNet gated(Net->Root());
    StartTask(TaskRow("t"));
    ASSERT_TRUE(WaitUntil([&] { return gated.Gate().Reached(); }));
    EXPECT_EQ(FormCopy, nullptr);
    gated.Gate().Open();
    ASSERT_TRUE(WaitUntil([] { return FormCopy != nullptr; }));
    EXPECT_EQ(CopyTotalSize, 30);
    EXPECT_EQ(Image("t"), tiActive);
  }
  ASSERT_TRUE(WaitForAll());
}

TEST(TaskFolderLevels, DriveFirstThenEachLevelUpToTwelve) {
  EXPECT_EQ(FolderLevels("C:\\a\\b\\c\\"), QStringList({"C:", "C:\\a", "C:\\a\\b", "C:\\a\\b\\c"}));
  EXPECT_EQ(FolderLevels("C:\\a"), QStringList({"C:", "C:\\a"}));
  EXPECT_EQ(FolderLevels("C:\\a\\\\b\\"), QStringList({"C:", "C:\\a", "C:\\a\\b"}));
  EXPECT_EQ(FolderLevels("C:\\"), QStringList({"C:"}));
  EXPECT_TRUE(FolderLevels("\\\\PC1\\docs\\x\\").isEmpty());
  EXPECT_TRUE(FolderLevels("").isEmpty());
  QString deep = "C:";
  for (int i = 1; i <= 14; ++i) deep += "\\d" + QString::number(i);
  const QStringList levels = FolderLevels(deep + "\\");
  ASSERT_EQ(levels.size(), 13);
  EXPECT_TRUE(levels.last().endsWith("\\d12"));
}
