#include "transfer/Copyfiles_thread.h"

#include <QLabel>
#include <algorithm>
#include <memory>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"
#include "platform/core/Messages.h"
#include "platform/fs/WinPath.h"
#include "transfer/Block_copy.h"
#include "transfer/Cgauge.h"
#include "transfer/Copyform.h"
#include "transfer/Progress.h"

using namespace FileSystem;
using BlockCopy::CurrentSecond;
using BlockCopy::TEnd;
using BlockCopy::TFileGuard;

namespace {

bool IsDotEntry(const QString& name) { return name == QLatin1String(".") || name == QLatin1String(".."); }

// Below this many files a folder's files are opened the ordinary way.
constexpr int kListedFolderFiles = 8;

}  // namespace

TCopyFiles::TCopyFiles(bool CreateSuspended) : TThread(CreateSuspended) {
  FLastSecond = CurrentSecond();
}

TCopyFiles::~TCopyFiles() = default;

void TCopyFiles::Execute() {
  const qsizetype count = std::min(FNames.size(), FSourceFolders.size());
  for (qsizetype i = 0; i < count; ++i) {
    const QString& name = FNames.at(i);
    if (name.endsWith(QLatin1Char('\\')))
      CopyFolder(FSourceFolders.at(i), name);
    else
      CopyOneFile(FSourceFolders.at(i), QString(), name);
    if (Terminated()) break;
  }
  Synchronize([this] { CopyFinished(); });
}

void TCopyFiles::CopyFolder(const QString& SourceFolder, const QString& Subfolder) {
  const QString target = FDestination + Subfolder;
  // Every write stays below the destination, whatever names arrive.
  if (!BlockCopy::StaysBelow(Subfolder)) {
    ReportError(TextErrorsCreateFile, target);
    return;
  }

  // One listing serves both passes: files first, then the subfolders.
  // Hidden and system folders are taken along like hidden files are.
  QList<TSearchRec> files;
  QList<TSearchRec> folders;
  TFileId self;
  TSearchRec rec;
  if (FindFirst(SourceFolder + Subfolder + QLatin1String("*.*"), faAnyFile, rec) == 0) {
    do {
      if (!rec.IsDirectory())
        files.append(rec);
      else if (rec.Name == QLatin1String("."))
        self = rec.Id;
      else if (!IsDotEntry(rec.Name))
        folders.append(rec);
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  // Each real folder is copied once per request, however many ways lead to
  // it: a link back up the tree would never end, and chains of links to
  // one folder would copy it once per path, doubling with every level.
  if (!FTrail.Enter(self)) return;

  // A link in the destination's place is never followed: the copy would
  // land wherever it points.
  if (FileSystem::IsSymbolicLink(WinPath::ExcludeTrailingBackslash(target))) {
    ReportError(TextErrorsCreateFile, target);
    return;
  }
  // A failure to create it shows as its files' create errors.
  const bool fresh = !DirectoryExists(target) && CreateDir(target) == 0;
  const int failuresBefore = FFailures;
  CopyFolderContent(SourceFolder, Subfolder, files, folders, fresh);
  // A folder this copy made and that holds nothing because its files failed
  // goes again; an empty source folder copied whole stays, empty.
  if (fresh && FFailures != failuresBefore) RemoveDir(WinPath::ExcludeTrailingBackslash(target));
}

void TCopyFiles::CopyFolderContent(const QString& SourceFolder, const QString& Subfolder, const QList<TSearchRec>& Files,
                                   const QList<TSearchRec>& Folders, bool Fresh) {
  const QString target = FDestination + Subfolder;
  if (Fresh) {
    FFreshFolder = target;
    FFreshNames.clear();
  }
  // Opening a file as listed spares a round trip per file, and a listing
  // of the folder afterwards (a few round trips) shows what changed
  // meanwhile: worth it only for folders of several files.
  const bool asListed = Files.size() >= kListedFolderFiles;
  FCopiedAsListed.clear();
  for (const TSearchRec& file : Files) {
    CopyOneFile(SourceFolder, Subfolder, file.Name, asListed ? &file : nullptr);
    if (Terminated()) break;
  }
  if (!FCopiedAsListed.isEmpty() && !Terminated()) RecopyChanged(SourceFolder, Subfolder, Files);
  FCopiedAsListed.clear();
  if (Fresh) {
    FFreshFolder.clear();
    FFreshNames.clear();
  }
  if (Terminated()) return;
  for (const TSearchRec& folder : Folders) {
    if (FTrail.Contains(folder.Id)) continue;
    CopyFolder(SourceFolder, Subfolder + folder.Name + QLatin1Char('\\'));
    if (Terminated()) return;
  }
}

void TCopyFiles::RecopyChanged(const QString& SourceFolder, const QString& Subfolder, const QList<TSearchRec>& Files) {
  QHash<QString, TSearchRec> now;
  TSearchRec rec;
  if (FindFirst(SourceFolder + Subfolder + QLatin1String("*.*"), faAnyFile, rec) != 0) return;
  do
    if (!rec.IsDirectory()) now.insert(rec.Name, rec);
  while (FindNext(rec) == 0);
  FindClose(rec);
  for (const TSearchRec& listed : Files) {
    if (!FCopiedAsListed.contains(listed.Name)) continue;
    const auto it = now.constFind(listed.Name);
    // A file gone since keeps the copy made of it.
    if (it == now.constEnd() || (it->Size == listed.Size && it->WriteTimeNs == listed.WriteTimeNs)) continue;
    // The copy made of it is this copy's own: it is replaced without a question.
    const QString destination = FDestination + Subfolder + listed.Name;
    if (DeleteFile(destination) != 0) continue;
    NoteDestination(FDestination + Subfolder, listed.Name, false);
    FDoneSize -= listed.Size;
    CopyOneFile(SourceFolder, Subfolder, listed.Name);
    if (Terminated()) return;
  }
}

void TCopyFiles::RecountTotalPercent() { FTotalPercent = Progress::Percent(double(FDoneSize), FTotalSize); }

void TCopyFiles::ReportError(const QString& Text, const QString& Path) {
  ++FFailures;
  // The UI texts belong to the GUI thread (a language switch rewrites
  // them), so the message is put together there. A cancelled copy shows
  // no error: Cancel marks the worker on that thread before it asks.
  const QString* text = &Text;
  Synchronize([this, text, &Path] {
    if (FCancelled) return;
    FErrorText = Path.isEmpty() ? *text : *text + QLatin1Char(' ') + Path;
    SendCopyError();
  });
}

bool TCopyFiles::CancelPending() {
  // Asked on the GUI thread, where Cancel runs: a cancel whose question is
  // still open counts, and the worker then holds (it was suspended first)
  // until the user has answered.
  bool cancelled = false;
  Synchronize([this, &cancelled] { cancelled = FCancelled; });
  return cancelled;
}

void TCopyFiles::CopyOneFile(const QString& SourceFolder, const QString& Subfolder, const QString& Name,
                             const TSearchRec* Listed) {
  const QString source = SourceFolder + Subfolder + Name;
  const QString destination = FDestination + Subfolder + Name;
  FCurrent.Start(SourceFolder, Subfolder, Name);
  UpdateWindow(false);
  // Every write stays below the destination, whatever names arrive.
  if (!BlockCopy::StaysBelow(Subfolder + Name)) {
    ReportError(TextErrorsCreateFile, destination);
    return;
  }

  // A link in the destination counts as an existing file; whatever the
  // answer, it is never written through (below).
  bool link = false;
  const bool exists = DestinationExists(FDestination + Subfolder, Name, link);
  int decision = fdCopy;
  FFileExistsDecision = fdCopy;
  if (exists) {
    if (FSkipAll) {
      decision = fdSkip;
    } else if (FReplaceAll) {
      decision = fdReplace;
    } else {
      UpdateWindow(true);
      FSourceName = source;
      FDestinationName = destination;
      Synchronize([this] { SendFileExists(); });
      decision = FFileExistsDecision;
    }
  }

  if (decision == fdSkip) {
    TSearchRec rec;
    if (FindFirst(source, faAnyFile, rec) == 0) {
      if (!rec.IsDirectory()) FDoneSize += rec.Size;
      FindClose(rec);
    }
    FCurrent.Percent = 100;
    RecountTotalPercent();
    return;
  }
  if (decision == fdReplace) {
    DeleteFile(destination);  // a file that stays is emptied by the create below
    NoteDestination(FDestination + Subfolder, Name, false);
    decision = fdCopy;
  }
  if (decision != fdCopy && decision != fdAppend) return;  // no other answer exists
  // A link holds nothing of this file to resume: the copy starts afresh.
  if (link) decision = fdCopy;
  const bool appending = decision == fdAppend;

  // The source is opened first, so that a source that cannot be read never
  // leaves an empty destination behind.
  std::int64_t fileDone = 0;
  // What the listing said of it may spare asking the server again.
  // A resumed file is opened the ordinary way: what is appended must
  // continue the source as it is.
  const bool asListed = Listed && !appending;
  TFileGuard in(asListed ? FileOpenListed(source, Listed->Size, Listed->WriteTimeNs) : FileOpen(source, fmOpenRead));
  if (!in.IsOpen()) {
    ReportError(TextErrorsOpenFile, source);
    return;
  }
  // A link goes as an entry of its own; what it points at stays untouched.
  if (link && !BlockCopy::RemoveLink(destination)) {
    ReportError(TextErrorsCreateFile, destination);
    return;
  }
  TFileGuard out(appending ? FileOpen(destination, fmOpenWrite) : CreateDestination(Subfolder, Name, exists));
  if (!out.IsOpen()) {
    ReportError(TextErrorsCreateFile, destination);
    return;
  }
  NoteDestination(FDestination + Subfolder, Name, true);
  const std::int64_t size = std::max<std::int64_t>(FileGetSize(in.Get()), 0);

  // Resume: continue the source where the destination ends. A destination
  // as long as the source or longer is complete; it keeps its bytes.
  std::int64_t offset = 0;
  if (appending) {
    const std::int64_t end = FileSeek(out.Get(), 0, 2);
    offset = std::clamp<std::int64_t>(end, 0, size);
    if (FileSeek(in.Get(), offset, 0) != offset) {
      ReportError(TextErrorsReadFile, source);
      return;  // both closed; the partial destination stays for a later resume
    }
    fileDone = offset;
    FDoneSize += offset;
  }

  // A partly written destination is removed unless the user chose to keep
  // it. After a failure a resumed one stays, as it held data before this
  // copy began; after a cancel the user's answer decides for it too.
  auto dropPartial = [&](bool cancelled) {
    in.Close();
    out.Close();
    if (FKeepPartial || (appending && !cancelled)) return;
    if (DeleteFile(destination) == 0) NoteDestination(FDestination + Subfolder, Name, false);
  };
  // A failure that comes after a cancel (a read that hung until the link
  // gave up) is part of the cancel: nothing is deleted or shown until the
  // user has answered, and then the answer decides.
  auto fail = [&](const QString& text, const QString& path) {
    in.Close();
    out.Close();
    if (CancelPending()) {
      dropPartial(true);
      ++FFailures;
      return;
    }
    dropPartial(false);
    ReportError(text, path);
  };

  // Room for what is still to be written (strictly less than the free space).
  const std::int64_t needed = size - offset;
  const std::int64_t free = DiskFree(FDestination + Subfolder);
  if (free < 0 || needed >= free) {
    fail(TextErrorsNoSpace, QString());
    return;
  }

  // A resumed file starts at the percent it already has.
  if (fileDone > 0) {
    FCurrent.Percent = Progress::Percent(double(fileDone), double(size));
    RecountTotalPercent();
    UpdateWindow(true);
  }

  // Block by block; the last short block finishes the file without a stop
  // test. The window is refreshed when what it shows would change: a
  // percent, or the speed once the wall-clock second has turned.
  bool changed = false;
  const TEnd end = BlockCopy::CopyBlocks(
      in.Get(), out.Get(), size, fileDone,
      [&](int written) {
        FTickBytes += written;
        FDoneSize += written;
        const int filePercent = size > 0 ? Progress::Percent(double(fileDone), double(size)) : FCurrent.Percent;
        const int totalPercent = Progress::Percent(double(FDoneSize), FTotalSize);
        changed = filePercent != FCurrent.Percent || totalPercent != FTotalPercent;
        FCurrent.Percent = filePercent;
        FTotalPercent = totalPercent;
      },
      [&] {
        UpdateWindow(changed);
        return !Terminated();
      });
  switch (end) {
    case TEnd::Complete:
      break;
    case TEnd::ReadFailed:
    // A source that ended early (it was cut or vanished while being read,
    // or a server answered "no more bytes" before its size) leaves an
    // incomplete copy: that is a failure, never a finished file.
    case TEnd::SourceShort:
      fail(TextErrorsReadFile, source);
      return;
    case TEnd::WriteFailed:
      fail(TextErrorsWriteFile, QString());
      return;
    case TEnd::Stopped:
      dropPartial(true);
      ++FFailures;
      return;
  }

  // Only a whole copy carries the source's modification time. One that
  // holds more than the source's size (appended onto a longer file, or a
  // source that grew while read) stands, with its own date.
  qint64 ns = 0;
  if (BlockCopy::IsWholeCopy(end, out.Get(), size) && FileGetTime(in.Get(), ns)) FileSetTime(out.Get(), ns);
  // Only a file the back end took as listed may have changed unseen.
  if (asListed && FileAsListed(in.Get())) FCopiedAsListed.insert(Name);
  in.Close();
  out.Close();
  FCurrent.Percent = 100;
  const int before = FTotalPercent;
  RecountTotalPercent();
  UpdateWindow(FTotalPercent != before);
}

void TCopyFiles::UpdateWindow(bool Force) {
  if (FPacer.Due(Force || FJustResumed, FLastSecond)) {
    Synchronize([this] {
      ShowCopyFiles();
      ShowCopyProgress();
    });
  } else {
    CheckSuspended();
  }
}

FileSystem::THandle TCopyFiles::CreateDestination(const QString& Subfolder, const QString& Name, bool Exists) {
  const QString folder = FDestination + Subfolder;
  // In a folder this copy made, every name is known: a new one has no
  // other letter case there, so no search of the folder for one is needed
  // (it costs a listing of the folder per file). Anything that came in
  // meanwhile takes the ordinary way.
  if (!Exists && !FFreshFolder.isEmpty() && folder == FFreshFolder) {
    const THandle h = FileCreateNew(folder + Name);
    if (h != INVALID_HANDLE_VALUE) return h;
  }
  return FileCreate(folder + Name);
}

bool TCopyFiles::DestinationExists(const QString& Folder, const QString& Name, bool& Link) {
  Link = false;
  if (!FFreshFolder.isEmpty() && Folder == FFreshFolder) return FFreshNames.contains(Name.toLower());
  Link = IsSymbolicLink(Folder + Name);
  return Link || FileExists(Folder + Name);
}

void TCopyFiles::NoteDestination(const QString& Folder, const QString& Name, bool Exists) {
  if (FFreshFolder.isEmpty() || Folder != FFreshFolder) return;
  if (Exists)
    FFreshNames.insert(Name.toLower());
  else
    FFreshNames.remove(Name.toLower());
}

// ---- synchronised calls: these run on the GUI thread ----

void TCopyFiles::ShowCopyFiles() {
  TFormCopy* form = FFormCopy;
  if (!form) return;
  form->ShowPaths(FCurrent.SourceFolder, FDestination, FCurrent.Relative());
}

void TCopyFiles::ShowCopyProgress() {
  TFormCopy* form = FFormCopy;
  if (!form) return;
  form->setWindowTitle(Progress::CaptionText(FTotalPercent));
  form->CGaugeFile->SetProgress(FCurrent.Percent);
  form->CGaugeTotal->SetProgress(FTotalPercent);
  // A call already on its way when Pause was pressed leaves the paused
  // labels alone; the first call after Continue restarts the speed clock.
  if (Suspended()) return;
  const int second = CurrentSecond();
  if (FJustResumed.exchange(false)) {
    FLastSecond = second;
    return;
  }
  if (second == FLastSecond) return;
  form->LabelSpeed->setText(Progress::SpeedText(FTickBytes));
  form->LabelSpeed->adjustSize();
  form->LabelTime->setText(
      Progress::TimeLeftText(Progress::SecondsLeft(FTotalSize, double(FDoneSize), FTickBytes)));
  form->LabelTime->adjustSize();
  FTickBytes = 0;
  FLastSecond = second;
}

void TCopyFiles::SendFileExists() {
  // Without an answer the existing file is left alone.
  FFileExistsDecision = fdSkip;
  SendMessage(FormMain, WM_FILE_EXISTS, reinterpret_cast<std::intptr_t>(this), 0);
}

void TCopyFiles::SendCopyError() {
  SendMessage(FormMain, WM_COPY_ERROR, reinterpret_cast<std::intptr_t>(this), 0);
}

void TCopyFiles::CopyFinished() {
  if (FCancelled || !FFormCopy) return;
  FFormCopy->NotifyTransferEnd(FFormCopy, 1);
}
