#pragma once
// The copy worker: copies every file and folder tree of its name list from
// the network into the destination folder in 64 KiB blocks, asks the user
// when a destination exists, reports errors, keeps its progress window up to
// date, resumes half-copied files and stops on request.
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

#include "platform/fs/FindFile.h"
#include "platform/core/Thread.h"
#include "transfer/Block_copy.h"

class TFormCopy;

// The answer for the current file when its destination exists.
enum TFileExistsDecision : int {
  fdCopy = 0,     // create the destination anew and copy from the start
  fdSkip = 3,     // leave the destination untouched
  fdReplace = 4,  // delete the destination, then copy as fdCopy
  fdAppend = 5,   // resume: continue the source at the destination's length
};

class TCopyFiles : public TThread {
 public:
  explicit TCopyFiles(bool CreateSuspended = true);
  ~TCopyFiles() override;

  static constexpr int BlockSize = BlockCopy::BlockSize;

  // Bytes moved since the last speed update.
  std::int64_t FTickBytes = 0;
  // Wall-clock second (0..59) of the last speed update.
  int FLastSecond = 0;
  // Inputs, set by StartTransfer before the worker is resumed.
  QStringList FNames;          // a folder ends with a backslash
  QStringList FSourceFolders;  // same index as FNames
  TFormCopy* FFormCopy = nullptr;
  double FTotalSize = 0;
  QString FDestination;  // with trailing backslash
  std::uint8_t FDestinationDrive = 0;

  // Bytes counted as done: copied, skipped, or already present when appending.
  std::int64_t FDoneSize = 0;
  // The file being copied (read by ShowCopyFiles).
  BlockCopy::TCurrentFile FCurrent;
  int FTotalPercent = 0;

  // Written by the file-exists dialog while the worker waits for it.
  std::atomic<int> FFileExistsDecision{fdCopy};
  std::atomic<bool> FSkipAll{false};
  std::atomic<bool> FReplaceAll{false};
  // Shown by the dialogs.
  QString FErrorText;
  QString FSourceName;
  QString FDestinationName;
  // Set by the Pause button: the next progress call only restarts the speed clock.
  std::atomic<bool> FJustResumed{false};
  // Keep a partly received file when the copy is cancelled (set by the main
  // window from the user's answer, read by the worker when it ends).
  std::atomic<bool> FKeepPartial{false};
  // Set by Cancel: the end call then does not notify the window.
  std::atomic<bool> FCancelled{false};

  // Terminated() for the dialogs and the window.
  using TThread::Terminated;

 protected:
  void Execute() override;

 private:
  void CopyFolder(const QString& SourceFolder, const QString& Subfolder);
  void CopyFolderContent(const QString& SourceFolder, const QString& Subfolder, const QList<TSearchRec>& Files,
                         const QList<TSearchRec>& Folders, bool Fresh);
  // After a folder's files were copied as its listing described them: those
  // whose entry changed since are copied again, as they are now.
  void RecopyChanged(const QString& SourceFolder, const QString& Subfolder, const QList<TSearchRec>& Files);
  // `Listed`: the source's entry in this copy's listing of its folder, if any.
  void CopyOneFile(const QString& SourceFolder, const QString& Subfolder, const QString& Name,
                   const TSearchRec* Listed = nullptr);
  // Synchronised calls (run on the GUI thread while the worker waits).
  void ShowCopyFiles();
  void ShowCopyProgress();
  void SendFileExists();
  void SendCopyError();
  void CopyFinished();
  // Shows an error through the main window and waits for the user; counts
  // a failed file. Shows nothing once the copy is cancelled.
  void ReportError(const QString& Text, const QString& Path = QString());
  // True when the user has cancelled the copy, also while the keep/delete
  // question is still open; the worker then holds until it is answered.
  bool CancelPending();
  void RecountTotalPercent();
  // Brings the window up to date (file labels and progress) when `Force`
  // or when it was last refreshed a screen frame ago; otherwise only
  // passes the pause point. A copy of many small files thus moves at the
  // speed of the disk, not of the screen.
  void UpdateWindow(bool Force);
  // Whether a file of this name exists in the destination folder, and
  // whether it is a symbolic link (which counts as existing). In a folder
  // this copy has just created, only what the copy itself put there can
  // exist, so no lookup is needed; NoteDestination records it.
  bool DestinationExists(const QString& Folder, const QString& Name, bool& Link);
  void NoteDestination(const QString& Folder, const QString& Name, bool Exists);
  // The destination file, created or emptied; `Exists` as DestinationExists said.
  FileSystem::THandle CreateDestination(const QString& Subfolder, const QString& Name, bool Exists);

  BlockCopy::TRefreshPacer FPacer;  // paces the window refreshes
  QString FFreshFolder;        // the folder created by this copy whose files are being copied
  QSet<QString> FFreshNames;   // lower-case names of the files put there so far
  TFolderTrail FTrail;         // the source folders this request has copied
  QSet<QString> FCopiedAsListed;  // files of the current folder copied whole from its listing's word
  int FFailures = 0;           // files that failed or were cancelled part way
};
