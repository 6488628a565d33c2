#include "transfer/Tasks.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>
#include <QSet>

#include "app/Main.h"
#include "app/Main_results.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/FileSystem.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "platform/core/Messages.h"
#include "platform/ui/Modal.h"
#include "platform/fs/WinPath.h"
#include "transfer/Copy.h"
#include "transfer/Copyform.h"
#include "transfer/Form_edittask.h"
#include "transfer/Sizing.h"
#include "transfer/Task_thread.h"

namespace {

TListView* Loads() { return FormMain ? FormMain->ListViewLoads : nullptr; }

QString ModeText(int mode) { return mode == 1 ? TextTasksSynchronize : TextTasksLoad; }

const QString KeySource = QStringLiteral("Source");
const QString KeyDestination = QStringLiteral("Destination");
const QString KeyMode = QStringLiteral("Mode");
const QString KeyProgress = QStringLiteral("Progress");
const QString KeyPartial = QStringLiteral("Partial");
const QString KeyPartialStamp = QStringLiteral("PartialStamp");

// Tasks whose source is being sized before their start, by name.
QSet<QString> TasksBeingSized;

// Steps 5 to 8 of a start, once the source's size is known.
void OpenTaskWindow(const QString& name, std::uint8_t drive, qint64 size) {
  TListView* list = Loads();
  const int row = TaskRow(name);
  if (!list || row < 0 || TaskBusy(row)) return;
  CopyDestinationDrive = drive;
  CopyTotalSize = static_cast<double>(size);
  auto* form = new TFormCopy(nullptr);
  FormCopy = form;
  SendMessage(FormMain, WM_OPERATION_STARTED, 0, 0);
  list->SetImageIndex(row, tiActive);
  form->FTaskItem = row;
  form->show();
  form->StartTransfer(true);
}

}  // namespace

QString TasksFileName() { return WinPath::ExcludeTrailingBackslash(ProgramDir) + QStringLiteral("\\tasks.ini"); }

bool EnsureTasksFile() {
  const QString name = TasksFileName();
  if (FileSystem::FileExists(name)) return true;
  const FileSystem::THandle h = FileSystem::FileCreate(name);
  if (h == FileSystem::INVALID_HANDLE_VALUE) return false;
  FileSystem::FileClose(h);
  return true;
}

int CompletePercent(const QString& Complete) {
  QString digits = Complete.trimmed();
  if (digits.endsWith(QLatin1Char('%'))) digits.chop(1);
  bool ok = false;
  const int value = digits.toInt(&ok);
  return ok && value > 0 ? value : 0;
}

TPartialRecord ReadPartialRecord(const TIniFile& Ini, const QString& Task) {
  TPartialRecord record;
  bool ok = false;
  const qint64 stamp = Ini.ReadString(Task, KeyPartialStamp, QString()).toLongLong(&ok);
  record.Destination = Ini.ReadString(Task, KeyPartial, QString());
  record.Stamp = ok && stamp >= 0 ? stamp : -1;
  if (!record.IsSet()) record = TPartialRecord();
  return record;
}

void WritePartialRecord(TIniFile& Ini, const QString& Task, const TPartialRecord& Record) {
  TIniBatch batch(Ini);
  if (Record.IsSet()) {
    Ini.WriteString(Task, KeyPartial, Record.Destination);
    // As text: a packed stamp can pass the range of an INI integer.
    Ini.WriteString(Task, KeyPartialStamp, QString::number(Record.Stamp));
  } else {
    Ini.DeleteKey(Task, KeyPartial);
    Ini.DeleteKey(Task, KeyPartialStamp);
  }
  batch.Commit();
}

QStringList FolderLevels(const QString& Path) {
  const QString drive = ExtractFileDrive(Path);
  if (drive.size() != 2) return {};
  QStringList levels{drive};
  QString rest = Path.mid(2);
  if (rest.startsWith(QLatin1Char('\\'))) rest.remove(0, 1);
  for (int depth = 0; depth < 12 && !rest.isEmpty();) {
    const qsizetype slash = rest.indexOf(QLatin1Char('\\'));
    const QString name = slash < 0 ? rest : rest.left(slash);
    rest = slash < 0 ? QString() : rest.mid(slash + 1);
    if (name.isEmpty()) continue;
    levels.append(levels.last() + QLatin1Char('\\') + name);
    ++depth;
  }
  return levels;
}

int TaskRow(const QString& Name) {
  const TListView* list = Loads();
  if (!list) return -1;
  for (int i = 0; i < list->Count(); ++i)
    if (list->Item(i).Caption == Name) return i;
  return -1;
}

bool TaskBusy(int Row) {
  const TListView* list = Loads();
  if (!list || Row < 0 || Row >= list->Count()) return false;
  const TListItem& item = list->Item(Row);
  return item.ImageIndex == tiActive || TTaskThread::RunsTask(item.Caption) || TasksBeingSized.contains(item.Caption);
}

void LoadTasks() {
  TListView* list = Loads();
  if (!list) return;
  EnsureTasksFile();
  TIniFile ini(TasksFileName());
  const TIniBatch readOnce(ini);
  list->BeginUpdate();
  list->Clear();
  for (const QString& section : ini.ReadSections()) {
    TListItem item;
    item.Caption = section;
    item.SubItems << ModeText(ini.ReadInteger(section, KeyMode, 0))
                  << QString::number(ini.ReadInteger(section, KeyProgress, 0)) + QLatin1Char('%') << QString()
                  << QString() << ini.ReadString(section, KeySource, QString())
                  << ini.ReadString(section, KeyDestination, QString());
    item.ImageIndex = tiDeactive;
    list->AddItem(item);
  }
  list->EndUpdate();
}

int AddTaskItem(const QString& Name, int Row) {
  TListView* list = Loads();
  if (!list) return -1;
  TIniFile ini(TasksFileName());
  const TIniBatch readOnce(ini);
  if (Row < 0 || Row >= list->Count()) {
    TListItem item;
    item.SubItems << QString() << QString() << QString() << QString() << QString() << QString();
    item.ImageIndex = tiDeactive;
    Row = list->AddItem(item);
  }
  list->SetCaption(Row, Name);
  list->SetSubItem(Row, tcComplete, QStringLiteral("0%"));
  list->SetSubItem(Row, tcMode, ModeText(ini.ReadInteger(Name, KeyMode, 0)));
  list->SetSubItem(Row, tcSource, ini.ReadString(Name, KeySource, QString()));
  list->SetSubItem(Row, tcDestination, ini.ReadString(Name, KeyDestination, QString()));
  return Row;
}

bool DeleteTask(int Row) {
  TListView* list = Loads();
  if (!list || Row < 0 || Row >= list->Count()) return false;
  if (list->Item(Row).ImageIndex == tiActive) return false;
  TIniFile ini(TasksFileName());
  ini.EraseSection(list->Item(Row).Caption);
  list->DeleteItem(Row);
  return true;
}

void SaveTasks() {
  const TListView* list = Loads();
  if (!list) return;
  EnsureTasksFile();
  TIniFile ini(TasksFileName());
  // One replacement of the file: an interrupted exit leaves the old tasks or
  // the new ones, never a file with only some of them.
  TIniBatch batch(ini);
  // The rows do not hold a task's partial-copy record: it stays with its task.
  QList<TPartialRecord> partials;
  for (int i = 0; i < list->Count(); ++i) partials << ReadPartialRecord(ini, list->Item(i).Caption);
  for (const QString& section : ini.ReadSections()) ini.EraseSection(section);
  for (int i = 0; i < list->Count(); ++i) {
    const TListItem& item = list->Item(i);
    ini.WriteString(item.Caption, KeySource, item.SubItems.value(tcSource));
    ini.WriteString(item.Caption, KeyDestination, item.SubItems.value(tcDestination));
    ini.WriteInteger(item.Caption, KeyMode, item.SubItems.value(tcMode) == TextTasksSynchronize ? 1 : 0);
    ini.WriteInteger(item.Caption, KeyProgress, CompletePercent(item.SubItems.value(tcComplete)));
    if (partials.at(i).IsSet()) WritePartialRecord(ini, item.Caption, partials.at(i));
  }
  batch.Commit();
}

void StartTask(int Row) {
  TListView* list = Loads();
  if (!list || Row < 0 || Row >= list->Count() || TaskBusy(Row)) return;
  // The message box below lets other transfers end meanwhile, and a
  // finished download takes its row away: the task is followed by name.
  const QString name = list->Item(Row).Caption;
  const QString destination = list->SubItem(Row, tcDestination);
  if (ExtractFileDrive(destination).size() != 2) {
    // A warning only: the worker decides whether it can reach the folder.
    Modal::MessageBox(TextErrorsNoDir, TextErrorsError);
    Row = TaskRow(name);
    if (Row < 0 || TaskBusy(Row)) return;
  }
  CopyDestinationDrive = DriveNumberOf(destination);
  // The source is sized off the GUI thread, under the hourglass; the task
  // counts as busy meanwhile and starts once the size is known, unless ESC
  // came first.
  const std::uint8_t drive = CopyDestinationDrive;
  TasksBeingSized.insert(name);
  Sizing::Start({list->SubItem(Row, tcSource)}, [name, drive](bool cancelled, const QList<qint64>& sizes) {
    TasksBeingSized.remove(name);
    if (!cancelled) OpenTaskWindow(name, drive, sizes.value(0));
  });
}

// ---------------------------------------------------------------- task list commands

void TFormMain::PTaskStartClick(QObject*) {
  // By name: starting one task may show a message while others end.
  QStringList names;
  for (int i : ListViewLoads->SelectedIndexes()) names << ListViewLoads->Item(i).Caption;
  for (const QString& name : names) {
    const int row = TaskRow(name);
    if (row >= 0 && ListViewLoads->IsSelected(row)) StartTask(row);
  }
}

void TFormMain::PTaskDeleteClick(QObject*) {
  for (int i = 0; i < ListViewLoads->Count();) {
    if (ListViewLoads->IsSelected(i) && !TaskBusy(i) && DeleteTask(i)) continue;  // the next row moved here
    ++i;
  }
}

void TFormMain::ListViewLoadsDblClick(QObject*) {
  const int row = ListViewLoads->FirstSelected();
  if (row < 0 || TaskBusy(row)) return;
  StartTask(row);
}

void TFormMain::PTaskEditClick(QObject*) {
  TFormEditTask* editor = FormEditTask;
  if (!editor) return;
  editor->SetDefaults();
  editor->FIsNew = false;
  const int row = ListViewLoads->FirstSelected();
  // A running task keeps its settings until it has stopped.
  if (row < 0 || TaskBusy(row)) return;
  const TListItem& item = ListViewLoads->Item(row);
  editor->EditNameTask->setText(item.Caption);
  editor->EditSource->setText(item.SubItems.value(tcSource));
  editor->EditDestination->setText(item.SubItems.value(tcDestination));
  if (item.SubItems.value(tcMode) == TextTasksSynchronize)
    editor->RadioButtonSync->setChecked(true);
  else
    editor->RadioButtonLoad->setChecked(true);
  Modal::ShowModal(editor);
}

void TFormMain::PopupMenuTasksPopup(QObject*) {
  const int selected = ListViewLoads->SelCount();
  bool start = false, remove = false, edit = false;
  if (selected == 1) {
    const bool busy = TaskBusy(ListViewLoads->FirstSelected());
    start = remove = edit = !busy;
  } else if (selected > 1) {
    start = remove = true;
  }
  PTaskStart->setEnabled(start);
  PTaskDelete->setEnabled(remove);
  PTaskEdit->setEnabled(edit);
}
