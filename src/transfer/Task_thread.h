#pragma once
// The task worker: runs one download or synchronise task once. A file
// source is copied into the destination folder; a folder source is
// mirrored, with its whole tree, into a folder of the same name inside the
// destination (new and changed files copied, shorter copies resumed,
// complete ones skipped, what the source no longer has deleted). Progress
// goes to the transfer window, the task's row and the task's Progress key.
#include <QString>
#include <atomic>
#include <cstdint>

#include "platform/fs/FindFile.h"
#include "platform/ini/Ini.h"
#include "platform/core/Thread.h"
#include "transfer/Block_copy.h"
#include "transfer/Tasks.h"

class TFormCopy;

class TTaskThread : public TThread {
 public:
  // Made on the GUI thread (by the transfer window), always suspended.
  explicit TTaskThread(bool CreateSuspended = true);
  ~TTaskThread() override;

  // True while a worker of the task named `Name` has not ended its run
  // (running, or stopping after a cancel). GUI thread only.
  static bool RunsTask(const QString& Name);

  // Bytes moved since the last speed update.
  std::int64_t FTickBytes = 0;
  // Wall-clock second (0..59) of the last speed update.
  int FLastSecond = 0;
  // An error occurred: the run ends as failed.
  bool FFailed = false;
  // tasks.ini, written only inside synchronised calls.
  TIniFile FTasksIni;
  // Inputs, set by the transfer window before the worker is resumed.
  QString FTaskName;     // the task's section and row caption
  QString FSource;       // a file, or a folder ending with "\"
  QString FDestination;  // local folder, with a trailing backslash
  bool FSyncMode = false;
  TFormCopy* FFormCopy = nullptr;
  double FTotalSize = 0;
  int FDestinationDrive = 0;  // kept for the window; the worker does not use it

  // Bytes counted as done: copied, found complete, or resumed from.
  std::int64_t FDoneSize = 0;
  // The file being copied (read by ShowTaskFiles).
  BlockCopy::TCurrentFile FCurrent;
  int FTotalPercent = 0;
  // The total percent last written to the row and the tasks file.
  int FWrittenPercent = 0;
  // Set by the Pause button: the next progress call only restarts the speed clock.
  std::atomic<bool> FJustResumed{false};
  // Set by Cancel: the run then ends without reporting.
  std::atomic<bool> FCancelled{false};
  // Set by FinishTask when the run ended without error.
  std::atomic<bool> FSucceeded{false};

 protected:
  void Execute() override;

 private:
  // Makes sure the folder exists, creating missing levels below its drive.
  bool EnsureDirectory(const QString& Path);
  void CopyTaskFile(const QString& SourceFolder, const QString& Subfolder, const QString& Name);
  void SyncFolder(const QString& SourceFolder, const QString& Subfolder);
  // The three passes of SyncFolder over a listed source folder.
  void MirrorFolder(const QString& SourceFolder, const QString& Subfolder, const QList<TSearchRec>& Entries,
                    bool LevelSound);
  // Removes a folder of the copy with everything in it; returns false when
  // it stopped for a termination request.
  bool DeleteTree(const QString& Path);
  // Makes the task's partial-copy record say `Record` (one synchronised
  // write of the tasks file, none when it says so already).
  void SetPartial(const TPartialRecord& Record);
  // Counts bytes written and recomputes the percents.
  void CountWritten(int Written, std::int64_t FileDone, std::int64_t FileSize);
  // Refreshes the window now (Force, or a percent changed) or when due;
  // otherwise only passes the pause point.
  void UpdateWindow(bool Force);

  // Synchronised calls (run on the GUI thread while the worker waits).
  void ShowTaskFiles();
  void ShowTaskProgress();
  void ShowStatusText();
  void FinishTask();
  void LoadPartial();
  void StorePartial();

  // The task's partial-copy record as the tasks file holds it, and the one
  // StorePartial is to write.
  TPartialRecord FPartial;
  TPartialRecord FPartialWanted;
  QString FStatusText;
  BlockCopy::TRefreshPacer FPacer;
  TFolderTrail FTrail;  // the source folders this run has mirrored
};
