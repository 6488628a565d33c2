#include "transfer/Task_thread.h"

#include <QLabel>
#include <QList>
#include <QSet>
#include <algorithm>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"
#include "platform/fs/FsPath.h"
#include "platform/ui/ListView.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"
#include "transfer/Cgauge.h"
#include "transfer/Copyform.h"
#include "transfer/Progress.h"
#include "transfer/Tasks.h"

using namespace FileSystem;
using BlockCopy::TEnd;
using BlockCopy::TFileGuard;

namespace {

// The workers that exist (GUI thread only: they are made and freed there).
QList<const TTaskThread*>& LiveWorkers() {
  static QList<const TTaskThread*> workers;
  return workers;
}

// A name that stays one entry of its folder once it is put into a path. A
// name that the path rules would change into another entry ("..", "...",
// which loses its dots, or one holding a separator, as names on this
// machine may) is never copied or deleted: it could reach outside the copy.
bool SafeName(const QString& name) { return BlockCopy::StaysInFolder(name); }

// Names are the same entry when they differ only in letter case or in the
// trailing dots and blanks that the path rules drop.
QString NameKey(const QString& name) { return FsPath::StripName(name).toCaseFolded(); }

// The entries of a folder (without "." and ".."); true only when the whole
// folder was listed. A folder that is there but empty counts as listed.
// `self`, when given, receives the folder's own identity.
bool ListEntries(const QString& folder, QList<TSearchRec>& out, TFileId* self = nullptr) {
  out.clear();
  if (self) *self = TFileId();
  TSearchRec rec;
  const int first = FindFirst(folder + QLatin1String("*.*"), faAnyFile, rec);
  if (first != NO_ERROR) return (first == ERROR_FILE_NOT_FOUND || first == ERROR_NO_MORE_FILES) && DirectoryExists(folder);
  int next = NO_ERROR;
  do {
    if (rec.Name == QLatin1String(".")) {
      if (self) *self = rec.Id;
    } else if (rec.Name != QLatin1String("..")) {
      out.append(rec);
    }
  } while ((next = FindNext(rec)) == NO_ERROR);
  FindClose(rec);
  return next == ERROR_NO_MORE_FILES;
}

}  // namespace

TTaskThread::TTaskThread(bool CreateSuspended) : TThread(CreateSuspended), FTasksIni(TasksFileName()) {
  FLastSecond = BlockCopy::CurrentSecond();
  LiveWorkers().append(this);
}

TTaskThread::~TTaskThread() { LiveWorkers().removeAll(this); }

bool TTaskThread::RunsTask(const QString& Name) {
  for (const TTaskThread* t : LiveWorkers())
    if (!t->Finished() && t->FTaskName.compare(Name, Qt::CaseInsensitive) == 0) return true;
  return false;
}

void TTaskThread::Execute() {
  if (!FDestination.isEmpty()) FDestination = WinPath::IncludeTrailingBackslash(FDestination);
  Synchronize([this] { LoadPartial(); });
  if (!EnsureDirectory(FDestination)) {
    FFailed = true;
  } else if (FSource.endsWith(QLatin1Char('\\'))) {
    // \\srv\share\docs\ : F = \\srv\share\ and N = docs\ ; the copy lands in
    // the destination's docs\ .
    const QString path = FSource.chopped(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    const QString name = path.mid(slash + 1);
    const QString folder = path.left(slash + 1);
    FStatusText = folder + QLatin1Char('%') + name + QLatin1Char('\\');
    Synchronize([this] { ShowStatusText(); });
    // Without a name of its own the mirror would be the destination
    // folder itself, and everything else in it would go.
    if (!SafeName(name) || !DirectoryExists(FSource))
      FFailed = true;
    else
      SyncFolder(folder, name + QLatin1Char('\\'));
  } else {
    const QString name = WinPath::ExtractFileName(FSource);
    if (SafeName(name))
      CopyTaskFile(WinPath::ExtractFilePath(FSource), QString(), name);
    else
      FFailed = true;
  }
  Synchronize([this] { FinishTask(); });
}

bool TTaskThread::EnsureDirectory(const QString& Path) {
  if (Path.isEmpty()) return false;
  const QString folder = WinPath::IncludeTrailingBackslash(Path);
  if (DirectoryExists(folder)) return true;
  const QStringList levels = FolderLevels(folder);
  if (levels.isEmpty()) return false;
  for (qsizetype i = 1; i < levels.size(); ++i) {
    const QString& level = levels.at(i);
    if (!DirectoryExists(level) && CreateDir(level) != NO_ERROR && !DirectoryExists(level)) return false;
  }
  return true;
}

void TTaskThread::CountWritten(int Written, std::int64_t FileDone, std::int64_t FileSize) {
  FTickBytes += Written;
  FDoneSize += Written;
  if (FileSize > 0) FCurrent.Percent = Progress::Percent(double(FileDone), double(FileSize));
  FTotalPercent = Progress::Percent(double(FDoneSize), FTotalSize);
}

void TTaskThread::CopyTaskFile(const QString& SourceFolder, const QString& Subfolder, const QString& Name) {
  const QString source = SourceFolder + Subfolder + Name;
  const QString destination = FDestination + Subfolder + Name;
  FCurrent.Start(SourceFolder, Subfolder, Name);
  UpdateWindow(false);

  TFileGuard in(FileOpen(source, fmOpenRead));
  if (!in.IsOpen()) {
    FFailed = true;
    return;
  }
  // A link in the copy is never written through: it goes as an entry of
  // its own (what it points at stays untouched) and the copy becomes a
  // file there.
  if (!BlockCopy::RemoveLink(destination)) {
    FFailed = true;
    return;
  }
  const std::int64_t size = std::max<std::int64_t>(FileGetSize(in.Get()), 0);
  // The stamp the copy will carry is the source's as it was when the copy
  // began: a source that changes meanwhile then differs from its copy, and
  // the next run copies it anew instead of taking the mix as complete.
  qint64 sourceNs = 0;
  const bool haveStamp = FileGetTime(in.Get(), sourceNs);
  const qint64 sourceDos = FileGetDate(in.Get());

  const bool stamped = haveStamp && sourceDos >= 0;
  // This file is the one an earlier run stopped copying, and the source is
  // still the version it was copying: what is there is its beginning.
  const bool recorded = stamped && FPartial == TPartialRecord{destination, sourceDos};

  std::int64_t fileDone = 0;
  TFileGuard out;
  if (FileExists(destination)) {
    out.Reset(FileOpen(destination, fmOpenWrite));
    if (!out.IsOpen()) {
      FFailed = true;
      return;
    }
    const std::int64_t present = std::max<std::int64_t>(FileGetSize(out.Get()), 0);
    const bool sameStamp = stamped && FileGetDate(out.Get()) == sourceDos;
    if (!sameStamp && !(recorded && present <= size)) {
      // A changed file is copied again from its first byte.
      out.Reset(FileCreate(destination));
      if (!out.IsOpen()) {
        FFailed = true;
        return;
      }
    } else if (present < size) {
      // The rest of an interrupted copy.
      if (FileSeek(out.Get(), 0, 2) != present || FileSeek(in.Get(), present, 0) != present) {
        FFailed = true;
        return;
      }
      fileDone = present;
      FDoneSize += present;
    } else {
      // Complete: counted, not copied. A recorded copy whose run stopped
      // after its last byte gets the date it was about to get.
      if (!sameStamp) FileSetTime(out.Get(), sourceNs);
      out.Close();
      if (FPartial.Destination == destination) SetPartial(TPartialRecord());
      FDoneSize += present;
      FCurrent.Percent = 100;
      const int before = FTotalPercent;
      FTotalPercent = Progress::Percent(double(FDoneSize), FTotalSize);
      UpdateWindow(FTotalPercent != before);
      return;
    }
  } else {
    out.Reset(FileCreate(destination));
    if (!out.IsOpen()) {
      FFailed = true;
      return;
    }
  }

  // A copy of more than one block is recorded before its first byte lands
  // (the destination holds nothing else by now), so that however the run
  // ends, a kill included, the next one resumes it. A record naming this
  // file for another source version goes.
  if (size > BlockCopy::BlockSize && stamped)
    SetPartial(TPartialRecord{destination, sourceDos});
  else if (FPartial.Destination == destination)
    SetPartial(TPartialRecord());

  if (fileDone > 0) FCurrent.Percent = Progress::Percent(double(fileDone), double(size));
  FTotalPercent = Progress::Percent(double(FDoneSize), FTotalSize);
  UpdateWindow(true);

  int shownFile = FCurrent.Percent, shownTotal = FTotalPercent;
  const TEnd end = BlockCopy::CopyBlocks(
      in.Get(), out.Get(), size, fileDone, [&](int written) { CountWritten(written, fileDone, size); },
      [&] {
        const bool changed = FCurrent.Percent != shownFile || FTotalPercent != shownTotal;
        shownFile = FCurrent.Percent;
        shownTotal = FTotalPercent;
        UpdateWindow(changed);
        return !Terminated();
      });
  // Only a whole copy carries the source's stamp (the one it had when the
  // copy began: a source changed meanwhile then differs from its copy).
  // A copy that failed or stopped keeps its own date, so the next run never
  // takes it for complete; its record lets that run resume it instead.
  const bool whole = BlockCopy::IsWholeCopy(end, out.Get(), size);
  if (whole && haveStamp) FileSetTime(out.Get(), sourceNs);
  in.Close();
  out.Close();
  if (whole && FPartial.Destination == destination) SetPartial(TPartialRecord());
  if (end == TEnd::Stopped) return;  // a cancel is not an error
  if (end != TEnd::Complete) {
    FFailed = true;
    return;
  }
  FCurrent.Percent = 100;
  UpdateWindow(FTotalPercent != shownTotal || shownFile != 100);
}

void TTaskThread::SyncFolder(const QString& SourceFolder, const QString& Subfolder) {
  const QString target = FDestination + Subfolder;

  // Pass 1 lists the source first: a folder that this run has mirrored
  // already (reached again through a link) is not mirrored again.
  QList<TSearchRec> entries;
  TFileId self;
  bool levelSound = ListEntries(SourceFolder + Subfolder, entries, &self);
  // Each real folder is mirrored once per run, however many ways lead to
  // it: a link back up the tree would never end, and chains of links to
  // one folder would copy it once per path, doubling with every level.
  if (!FTrail.Enter(self)) return;
  if (!levelSound) FFailed = true;

  // A link in the place of this folder of the copy is never followed for
  // writing or deleting: after a sound listing it goes as an entry of its
  // own and a folder takes its place; otherwise it stays and nothing is
  // written there.
  if (FileSystem::IsSymbolicLink(WinPath::ExcludeTrailingBackslash(target)) &&
      (!levelSound || !BlockCopy::RemoveLink(target))) {
    FFailed = true;
    return;
  }
  // A failure to create it shows as failed copies of its files. A folder
  // this run made goes again when failures left it empty.
  const bool fresh = !DirectoryExists(target) && CreateDir(target) == NO_ERROR;
  const bool failedBefore = FFailed;
  FFailed = false;
  MirrorFolder(SourceFolder, Subfolder, entries, levelSound);
  if (fresh && (FFailed || !levelSound)) RemoveDir(WinPath::ExcludeTrailingBackslash(target));
  FFailed = FFailed || failedBefore;
}

void TTaskThread::MirrorFolder(const QString& SourceFolder, const QString& Subfolder, const QList<TSearchRec>& entries,
                               bool levelSound) {
  const QString target = FDestination + Subfolder;

  // Pass 1: the source's entries; its files are copied. A subfolder this
  // run has mirrored already (through another path) is no part of it here.
  QSet<QString> names;
  for (const TSearchRec& rec : entries) {
    if (Terminated()) return;
    if (!SafeName(rec.Name)) continue;
    if (rec.IsDirectory()) {
      if (!FTrail.Contains(rec.Id)) names.insert(NameKey(rec.Name) + QLatin1Char('\\'));
      continue;
    }
    names.insert(NameKey(rec.Name));
    const bool failedBefore = FFailed;
    FFailed = false;
    CopyTaskFile(SourceFolder, Subfolder, rec.Name);
    if (FFailed) levelSound = false;
    FFailed = FFailed || failedBefore;
  }

  // Pass 2: what the source no longer has goes from the copy. Only after a
  // complete listing and faultless copies of this folder: an error never
  // costs a local file. Links in the copy go alone (DeleteTree, and
  // deleting a file link removes the link).
  if (levelSound) {
    QList<TSearchRec> present;
    ListEntries(target, present);
    for (const TSearchRec& rec : present) {
      if (Terminated()) return;
      if (!SafeName(rec.Name)) continue;
      if (rec.IsDirectory()) {
        if (!names.contains(NameKey(rec.Name) + QLatin1Char('\\')) &&
            !DeleteTree(target + rec.Name + QLatin1Char('\\')))
          return;
      } else if (!names.contains(NameKey(rec.Name))) {
        DeleteFile(target + rec.Name);
      }
    }
  }

  // Pass 3: the subfolders, depth first.
  for (const TSearchRec& rec : entries) {
    if (Terminated()) return;
    if (rec.IsDirectory() && SafeName(rec.Name) && !FTrail.Contains(rec.Id))
      SyncFolder(SourceFolder, Subfolder + rec.Name + QLatin1Char('\\'));
  }
}

bool TTaskThread::DeleteTree(const QString& Path) {
  const QString folder = WinPath::ExcludeTrailingBackslash(Path);
  // A link goes alone; what it points at is not part of the copy.
  if (IsSymbolicLink(folder)) {
    DeleteFile(folder);
    return true;
  }
  QList<TSearchRec> entries;
  ListEntries(Path, entries);
  for (const TSearchRec& rec : entries) {
    if (Terminated()) return false;
    if (!SafeName(rec.Name)) continue;  // then the folder stays, as with a file that cannot go
    if (rec.IsDirectory()) {
      if (!DeleteTree(Path + rec.Name + QLatin1Char('\\'))) return false;
    } else {
      DeleteFile(Path + rec.Name);
    }
  }
  RemoveDir(folder);
  return true;
}

void TTaskThread::SetPartial(const TPartialRecord& Record) {
  if (Record == FPartial) return;
  FPartialWanted = Record;
  Synchronize([this] { StorePartial(); });
}

void TTaskThread::UpdateWindow(bool Force) {
  if (FPacer.Due(Force || FJustResumed, FLastSecond))
    Synchronize([this] {
      ShowTaskFiles();
      ShowTaskProgress();
    });
  else
    CheckSuspended();
}

// ---- synchronised calls: these run on the GUI thread ----

void TTaskThread::ShowTaskFiles() {
  TFormCopy* form = FFormCopy;
  if (!form || FCancelled) return;
  form->ShowPaths(FCurrent.SourceFolder, FDestination, FCurrent.Relative());
}

void TTaskThread::ShowTaskProgress() {
  TFormCopy* form = FFormCopy;
  TListView* list = FormMain ? FormMain->ListViewLoads : nullptr;
  // The row is looked up by name: rows move when other tasks are deleted.
  const int row = list ? TaskRow(FTaskName) : -1;
  if (form && !FCancelled) {
    form->setWindowTitle(Progress::CaptionText(FTotalPercent));
    form->CGaugeFile->SetProgress(FCurrent.Percent);
    form->CGaugeTotal->SetProgress(FTotalPercent);
  }
  if (FTotalPercent != FWrittenPercent && row >= 0) {
    FWrittenPercent = FTotalPercent;
    list->SetSubItem(row, tcComplete, QString::number(FTotalPercent) + QLatin1Char('%'));
    try {
      FTasksIni.WriteInteger(FTaskName, QStringLiteral("Progress"), FTotalPercent);
    } catch (const EIniFileException&) {
      // The percent is only a note for the next start; the copy goes on.
    }
  }
  // After a cancel, and while paused, the window and row keep what the
  // window put there.
  if (!form || FCancelled || Suspended()) return;
  const int second = BlockCopy::CurrentSecond();
  if (FJustResumed.exchange(false)) {
    FLastSecond = second;
    return;
  }
  if (second == FLastSecond) return;
  const QString kbs = QString::number(FTickBytes / 1024) + QLatin1Char(' ') + TextCopyToKbs;
  form->LabelSpeed->setText(Progress::SpeedText(FTickBytes));
  form->LabelSpeed->adjustSize();
  const std::int64_t left = Progress::SecondsLeft(FTotalSize, double(FDoneSize), FTickBytes);
  form->LabelTime->setText(Progress::TimeLeftText(left));
  form->LabelTime->adjustSize();
  if (row >= 0) {
    list->SetSubItem(row, tcSpeed, kbs);
    list->SetSubItem(row, tcTimeLeft, left / 60 > 0 ? QString::number(left / 60) + QLatin1Char(' ') + TextCopyToMinute
                                                    : QString::number(left) + QLatin1Char(' ') + TextCopyToSecond);
  }
  FTickBytes = 0;
  FLastSecond = second;
}

void TTaskThread::ShowStatusText() {
  if (FormMain && FormMain->StatusBar && !FCancelled) FormMain->StatusBar->SetPanelText(0, FStatusText);
}

void TTaskThread::FinishTask() {
  if (FCancelled || !FFormCopy) return;
  if (FFailed) {
    FFormCopy->NotifyTransferEnd(FFormCopy, 1);
  } else {
    FSucceeded = true;
    FFormCopy->NotifyTransferEnd(FFormCopy, 0);
  }
}

void TTaskThread::LoadPartial() { FPartial = ReadPartialRecord(FTasksIni, FTaskName); }

void TTaskThread::StorePartial() {
  // Only the task's own section, never one made anew after it was deleted.
  if (!FTasksIni.SectionExists(FTaskName)) return;
  try {
    WritePartialRecord(FTasksIni, FTaskName, FPartialWanted);
    FPartial = FPartialWanted;
  } catch (const EIniFileException&) {
    // Unrecorded, the file is copied again from its start next time.
  }
}
