// The task editor: its checks, the creation of the destination, what it
// writes into the tasks file and the task list, and the commands that open it.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "TaskFixture.h"
#include "app/Main.h"
#include "config/Settings.h"
#include "platform/fs/FileAttr.h"
#include "platform/fs/FileSystem.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"
#include "transfer/Form_edittask.h"
#include "transfer/Sizing.h"
#include "transfer/Tasks.h"
#include "support/FileEvents.h"

namespace {

class TaskEditor : public TaskFixture {
 protected:
  // Fills the dialog as an opener does and presses OK.
  // `oldName`: the name shown when the dialog opened (an edit's task).
  void Ok(const QString& name, const QString& source, const QString& destination, bool isNew = true,
          bool start = false, const QString& oldName = QString()) {
    TFormEditTask* e = FormEditTask;
    e->SetDefaults();
    e->FIsNew = isNew;
    e->EditNameTask->setText(isNew ? name : oldName);
    e->FormShow(e);
    e->EditNameTask->setText(name);
    e->EditSource->setText(source);
    e->EditDestination->setText(destination);
    e->CheckBoxStart->setChecked(start);
    e->ButtonOkClick(e->ButtonOk);
  }
  void AnswerConfirm(bool yes) {
    Answer = [yes](const Modal::Request& r) {
      Modal::Answer a;
      if (r.kind == Modal::Kind::Confirm) a.result = yes ? mrYes : mrNo;
      return a;
    };
  }
  static bool IsDir(const QString& drivePath) { return QFileInfo(WinPath::ToLocal(drivePath)).isDir(); }
};

}  // namespace

TEST_F(TaskEditor, DefaultsAndEnglishCaptions) {
  SetEnglishEditTask();
  TFormEditTask* e = FormEditTask;
  e->CheckBoxStart->setChecked(false);
  e->RadioButtonSync->setChecked(true);
  e->EditNameTask->setText("keep");
  e->SetDefaults();
  EXPECT_TRUE(e->CheckBoxStart->isChecked());
  EXPECT_TRUE(e->RadioButtonLoad->isChecked());
  EXPECT_EQ(e->EditDestination->text(), ProgramDir + "\\downloads\\");
  EXPECT_EQ(e->EditNameTask->text(), "keep");
  EXPECT_EQ(e->windowTitle(), "Edit task");
  EXPECT_EQ(e->RadioButtonLoad->text(), "Download");
  EXPECT_TRUE(e->EditSource->isReadOnly());
}

TEST_F(TaskEditor, AnEmptyNameIsRefusedAndNothingIsWritten) {
  QFile::remove(TasksPath());
  Ok("", "\\\\PC1\\docs\\a.txt", Destination);
  EXPECT_EQ(AskedTexts(), QStringList({"Invalid task name"}));
  EXPECT_FALSE(QFile::exists(TasksPath()));
  EXPECT_EQ(FormMain->ListViewLoads->Count(), 0);
}

TEST_F(TaskEditor, BracketsBecomeUnderscoresAndTheTaskIsStored) {
  QFile::remove(TasksPath());
  FormEditTask->RadioButtonSync->setChecked(true);
  TFormEditTask* e = FormEditTask;
  e->SetDefaults();
  e->FIsNew = true;
  e->EditNameTask->setText("a[1]");
  e->EditSource->setText("\\\\PC1\\docs\\x\\");
  e->EditDestination->setText(WinPath::ExcludeTrailingBackslash(Destination));
  e->RadioButtonSync->setChecked(true);
  e->FormShow(e);
  e->CheckBoxStart->setChecked(false);
  e->ButtonOkClick(e->ButtonOk);

  EXPECT_TRUE(Asked.empty());
  EXPECT_EQ(e->EditNameTask->text(), "a_1_");
  EXPECT_EQ(e->EditDestination->text(), Destination);
  EXPECT_EQ(Key("a_1_", "Source"), "\\\\PC1\\docs\\x\\");
  EXPECT_EQ(Key("a_1_", "Destination"), Destination);
  EXPECT_EQ(Key("a_1_", "Mode"), "1");
  EXPECT_EQ(Key("a_1_", "Progress"), "<none>");
  ASSERT_EQ(FormMain->ListViewLoads->Count(), 1);
  EXPECT_EQ(FormMain->ListViewLoads->Item(0).Caption, "a_1_");
  EXPECT_EQ(FormMain->ListViewLoads->Item(0).SubItems,
            QStringList({"Synchronize", "0%", "", "", "\\\\PC1\\docs\\x\\", Destination}));
  EXPECT_EQ(FormMain->ListViewLoads->Item(0).ImageIndex, tiDeactive);
}

TEST_F(TaskEditor, AMissingDestinationIsCreatedLevelByLevelOnlyWhenConfirmed) {
  const QString wanted = Destination + "a\\b\\c";
  AnswerConfirm(false);
  Ok("t", "\\\\PC1\\docs\\f.txt", wanted);
  ASSERT_EQ(AskedCount(Modal::Kind::Confirm), 1);
  EXPECT_EQ(Asked[0].text, wanted + "\\ directory not exist. Create directory?");
  EXPECT_FALSE(IsDir(Destination + "a"));
  EXPECT_EQ(Key("t", "Source"), "<none>");

  AnswerConfirm(true);
  Ok("t", "\\\\PC1\\docs\\f.txt", wanted);
  EXPECT_TRUE(IsDir(Destination + "a\\b\\c"));
  EXPECT_EQ(Key("t", "Destination"), wanted + "\\");

  // Deeper than twelve levels below the drive: the first twelve are made
  // and the task is still stored.
  QString deep = "C:";
  const QStringList parts = WinPath::ToLocal(Destination).split('/', Qt::SkipEmptyParts);
  for (const QString& p : parts) deep += "\\" + p;
  int below = parts.size();
  while (below < 14) deep += "\\L" + QString::number(++below);
  Ok("deep", "\\\\PC1\\docs\\f.txt", deep);
  EXPECT_EQ(Key("deep", "Destination"), deep + "\\");
  QString twelve = "C:";
  for (int i = 0; i < 12; ++i) twelve += "\\" + (i < parts.size() ? parts[i] : "L" + QString::number(i + 1));
  EXPECT_TRUE(IsDir(twelve));
  EXPECT_FALSE(IsDir(twelve + "\\L13"));
}

TEST_F(TaskEditor, ANetworkDestinationThatIsMissingCannotBeCreated) {
  AnswerConfirm(true);
  Ok("t", "\\\\PC1\\docs\\f.txt", "\\\\PC1\\docs\\newdir\\");
  EXPECT_EQ(AskedTexts().last(), "Cannot create directory");
  EXPECT_TRUE(FormEditTask->EditDestination->hasSelectedText());
  EXPECT_EQ(Key("t", "Source"), "<none>");
  // An existing one is accepted whatever its form.
  Ok("t", "\\\\PC1\\docs\\f.txt", "\\\\PC1\\docs\\");
  EXPECT_EQ(Key("t", "Destination"), "\\\\PC1\\docs\\");
}

TEST_F(TaskEditor, NamesOfOtherTasksAreRefusedInAnyLetterCase) {
  Ok("Alpha", "s1", Destination);
  Ok("Beta", "s2", Destination);
  Asked.clear();
  Ok("ALPHA", "s3", Destination);
  EXPECT_EQ(AskedTexts(), QStringList({"Task name already exists"}));
  EXPECT_EQ(Key("Alpha", "Source"), "s1");

  // Editing without renaming (or changing only the case) is fine ...
  FormMain->ListViewLoads->SetSubItem(0, tcComplete, "55%");
  TIniFile(TasksFileName()).WriteInteger("Alpha", "Progress", 55);
  Asked.clear();
  Ok("alpha", "s1b", Destination, false, false, "Alpha");
  EXPECT_TRUE(Asked.empty());
  EXPECT_EQ(Key("alpha", "Source"), "s1b");
  // ... and erases the stored percent, the row showing 0%.
  EXPECT_EQ(Key("alpha", "Progress"), "<none>");
  EXPECT_EQ(FormMain->ListViewLoads->Count(), 2);
  EXPECT_EQ(FormMain->ListViewLoads->Item(0).Caption, "alpha");
  EXPECT_EQ(FormMain->ListViewLoads->SubItem(0, tcComplete), "0%");

  // Renaming onto another task is refused.
  Ok("beta", "x", Destination, false, false, "alpha");
  EXPECT_EQ(AskedTexts().last(), "Task name already exists");
}

TEST_F(TaskEditor, TheBrowseButtonTakesDriveFoldersOnly) {
  QString offered = "C:\\some\\folder";
  Answer = [&](const Modal::Request& r) {
    Modal::Answer a;
    if (r.kind == Modal::Kind::BrowseFolder) {
      a.result = offered.isEmpty() ? mrCancel : mrOk;
      a.value = offered;
    }
    return a;
  };
  FormEditTask->EditDestination->setText("before");
  FormEditTask->ButtonEditDestinationClick(nullptr);
  EXPECT_EQ(Asked.back().caption, "Choose directory to copy to");
  EXPECT_EQ(FormEditTask->EditDestination->text(), "C:\\some\\folder\\");
  offered = "\\\\PC1\\docs";
  FormEditTask->ButtonEditDestinationClick(nullptr);
  EXPECT_EQ(Asked.back().text, "Invalid directory name");
  EXPECT_EQ(FormEditTask->EditDestination->text(), "C:\\some\\folder\\");
}

TEST_F(TaskEditor, OkWithTheStartBoxStartsTheTask) {
  Net->AddFile("\\\\PC1\\docs\\f.txt", QByteArray("hello"));
  Ok("get", "\\\\PC1\\docs\\f.txt", Destination, true, true);
  // It starts once its source is sized, off the GUI thread.
  ASSERT_TRUE(WaitUntil([] { return !Sizing::Running(); }));
  EXPECT_EQ(Image("get"), tiActive);
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(ReadLocal(Destination + "f.txt"), QByteArray("hello"));
}

TEST_F(TaskEditor, TheTasksFileIsCreatedOnFirstUseAndHiddenWhereThatCanBeKept) {
  QFile::remove(TasksPath());
  Ok("t", "s", Destination);
  EXPECT_TRUE(QFile::exists(TasksPath()));
  EXPECT_EQ(Key("t", "Source"), "s");

  // On this machine hidden is a matter of the name, read-only of the
  // write permission: what can be kept is, the rest is told.
  const QString plain = Destination + "plain.txt", dotted = Destination + ".dotted";
  WriteLocal(plain, "p");
  WriteLocal(dotted, "d");
  EXPECT_EQ(FileSystem::FileSetAttr(plain, FILE_ATTRIBUTE_HIDDEN), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(FileSystem::FileSetAttr(plain, FILE_ATTRIBUTE_READONLY), NO_ERROR);
  EXPECT_TRUE(FileSystem::FileGetAttr(plain) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FileSystem::FileSetAttr(plain, FILE_ATTRIBUTE_ARCHIVE), NO_ERROR);
  EXPECT_FALSE(FileSystem::FileGetAttr(plain) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FileSystem::FileSetAttr(dotted, FILE_ATTRIBUTE_HIDDEN), NO_ERROR);
  EXPECT_EQ(FileSystem::FileSetAttr(Destination + "missing", 0), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FileSystem::FileSetAttr("\\\\PC1\\docs\\x", 0), ERROR_NOT_SUPPORTED);
}

TEST_F(TaskEditor, ANewTaskFromAResultOrAShareFillsTheEditor) {
  QStringList seen;
  Answer = [&](const Modal::Request& r) {
    Modal::Answer a;
    if (r.kind == Modal::Kind::ShowModal && r.form == FormEditTask) {
      seen << FormEditTask->EditNameTask->text() << FormEditTask->EditSource->text()
           << (FormEditTask->FIsNew ? "new" : "edit") << FormEditTask->FOldName;
      a.result = mrCancel;
    }
    return a;
  };
  TListView* results = FormMain->ListViewResult;
  results->AddItem(TListItem{"report", {"txt", "12", "", "", "PC1", "\\docs\\sub\\"}, 0, false});
  results->AddItem(TListItem{"folder", {"", "<dir>", "", "", "PC1", "\\docs\\"}, 0, false});
  FormMain->NewTaskClick(nullptr);  // nothing selected: nothing opens
  EXPECT_TRUE(seen.isEmpty());
  results->SetSelected(0, true);
  FormMain->NewTaskClick(nullptr);
  EXPECT_EQ(seen, QStringList({"report.txt", "\\\\PC1\\docs\\sub\\report.txt", "new", "report.txt"}));
  seen.clear();
  results->SetSelected(0, false);
  results->SetSelected(1, true);
  FormMain->NewTaskClick(nullptr);
  EXPECT_EQ(seen, QStringList({"folder", "\\\\PC1\\docs\\folder\\", "new", "folder"}));

  seen.clear();
  QTreeWidget* tree = FormMain->ListViewBoxComputers;
  auto* pc = new QTreeWidgetItem(tree, QStringList{"PC1"});
  auto* share = new QTreeWidgetItem(pc, QStringList{"docs"});
  tree->setCurrentItem(pc);
  FormMain->NewTaskCompResClick(nullptr);  // a computer makes no task
  EXPECT_TRUE(seen.isEmpty());
  tree->setCurrentItem(share);
  FormMain->NewTaskCompResClick(nullptr);
  EXPECT_EQ(seen, QStringList({"docs", "\\\\PC1\\docs\\", "new", "docs"}));

  // Edit fills the editor from the current row.
  seen.clear();
  Program->WriteFile("tasks.ini", "[T]\nMode=1\nSource=\\\\PC1\\docs\\\nDestination=C:\\d\\\n");
  LoadTasks();
  FormMain->ListViewLoads->SetSelected(0, true);
  FormMain->PTaskEditClick(nullptr);
  EXPECT_EQ(seen, QStringList({"T", "\\\\PC1\\docs\\", "edit", "T"}));
  EXPECT_TRUE(FormEditTask->RadioButtonSync->isChecked());
  EXPECT_EQ(FormEditTask->EditDestination->text(), "C:\\d\\");
}

TEST_F(TaskEditor, AnEditReplacesTheTasksFileOnceAndKeepsTheOtherTasks) {
  // Erased and written back key by key, a kill midway would leave the task
  // gone from the file.
  Ok("first", "\\\\PC1\\docs\\a.txt", Destination);
  Ok("second", "\\\\PC1\\docs\\b.txt", Destination);
  {
    TIniFile ini(TasksFileName());
    WritePartialRecord(ini, "first", TPartialRecord{Destination + "a.txt", 12345});
  }
  FileEvents events(QFileInfo(TasksPath()).absolutePath());
  Ok("renamed", "\\\\PC1\\docs\\a.txt", Destination, false, false, "first");
  EXPECT_EQ(events.Count(QFileInfo(TasksPath()).fileName()), 1);
  EXPECT_EQ(Key("renamed", "Source"), "\\\\PC1\\docs\\a.txt");
  EXPECT_EQ(Key("second", "Source"), "\\\\PC1\\docs\\b.txt");
  EXPECT_EQ(Key("first", "Source"), "<none>");
  // The same source into the same place: a partly copied file is still
  // resumed. Another source: its record goes.
  EXPECT_EQ(ReadPartialRecord(TIniFile(TasksFileName()), "renamed"), (TPartialRecord{Destination + "a.txt", 12345}));
  Ok("renamed", "\\\\PC1\\docs\\c.txt", Destination, false, false, "renamed");
  EXPECT_FALSE(ReadPartialRecord(TIniFile(TasksFileName()), "renamed").IsSet());
}
