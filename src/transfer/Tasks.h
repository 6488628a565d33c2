#pragma once
// The tasks file tasks.ini and the main window's task list: loading,
// saving, adding, deleting and starting tasks. A task is a section of the
// file (its name) with the keys Source, Destination, Mode and Progress, and
// a row of FormMain->ListViewLoads. GUI thread only.
#include <QString>
#include <QStringList>

class TIniFile;

// The image of a task row.
enum TTaskIcon { tiDeactive = 0, tiActive = 1, tiOk = 2, tiError = 3 };

// Sub-items of a task row (column k+1 shows sub-item k).
enum TTaskColumn { tcMode = 0, tcComplete = 1, tcSpeed = 2, tcTimeLeft = 3, tcSource = 4, tcDestination = 5 };

// ProgramDir + "\tasks.ini".
QString TasksFileName();
// Creates the tasks file empty when it is missing; false when it cannot be made.
bool EnsureTasksFile();

// Reads the tasks file into the task list (creating the file when missing).
void LoadTasks();
// Writes every task row back to the tasks file, dropping sections without a
// row, in one replacement of the file.
void SaveTasks();
// Adds a row (Row -1) or refreshes row `Row` from the section `Name`;
// returns the row's index.
int AddTaskItem(const QString& Name, int Row);
// Erases the task's section and row; false (nothing done) for a running row.
bool DeleteTask(int Row);
// Hands the task of row `Row` to a new transfer window; a running row is
// passed over. The source is sized first, off the GUI thread (Sizing.h):
// the window opens later, from the event loop, and not at all when the
// sizing is cancelled.
void StartTask(int Row);

// The index of the task row named `Name` (its caption), or -1. Rows move
// when others are deleted, so whoever keeps a task across events keeps its
// name and looks the row up again.
int TaskRow(const QString& Name);
// True while the row runs, its source is being sized for a start, or its
// cancelled worker has not yet stopped: such a task is neither started
// again nor edited nor deleted.
bool TaskBusy(int Row);

// The percent of a Complete text ("40%" gives 40); 0 for anything else.
int CompletePercent(const QString& Complete);

// The file a task's run was copying when it stopped (keys Partial and
// PartialStamp of the task's section): its destination path and the
// source's packed date-and-time stamp when that copy began. A partial copy
// keeps its own date, so this record is what lets the next run resume it:
// only while the source still carries that stamp. Set while a copy larger
// than one block is under way, cleared once that file is whole.
struct TPartialRecord {
  QString Destination;  // empty: no record
  qint64 Stamp = -1;

  bool IsSet() const { return !Destination.isEmpty() && Stamp >= 0; }
  bool operator==(const TPartialRecord&) const = default;
};
TPartialRecord ReadPartialRecord(const TIniFile& Ini, const QString& Task);
// Writes the record into the task's section, or erases its keys for an
// unset one, in one replacement of the file. Throws EIniFileException.
void WritePartialRecord(TIniFile& Ini, const QString& Task, const TPartialRecord& Record);

// The folders a destination path consists of, for creating it level by
// level: the drive ("C:") first, then each folder below it, shallowest
// first, at most 12 levels below the drive; empty names (doubled
// backslashes) are passed over. Empty when the path does not begin with a
// drive letter and a colon.
QStringList FolderLevels(const QString& Path);
