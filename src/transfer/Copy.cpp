#include "transfer/Copy.h"

#include <QList>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/fs/FindFile.h"
#include "platform/ui/ListView.h"
#include "platform/core/Thread.h"
#include "transfer/Sizing.h"

QStringList CopyNames;
QStringList CopySourceFolders;
QString CopyDestination;
double CopyTotalSize = 0;
std::uint8_t CopyDestinationDrive = 0;

namespace {

bool IsDotEntry(const QString& name) { return name == QLatin1String(".") || name == QLatin1String(".."); }

// Sums one folder tree in whole bytes, files of a folder before its subfolders.
// Hidden and system folders count too, as the copy takes them along. Each
// folder is counted once however many links lead to it, so links back up
// the tree cannot make the walk (on the GUI thread) endless.
std::int64_t TreeSize(const QString& path, TFolderTrail& trail) {
  std::int64_t size = 0;
  QList<TSearchRec> subfolders;
  TSearchRec rec;
  if (FileSystem::FindFirst(path + QLatin1String("*.*"), faAnyFile, rec) == 0) {
    do {
      if (TThread::CurrentTerminated()) break;
      if (rec.IsDirectory()) {
        if (rec.Name == QLatin1String("."))
          trail.Enter(rec.Id);
        else if (!IsDotEntry(rec.Name))
          subfolders.append(rec);
      } else {
        size += rec.Size;
      }
    } while (FileSystem::FindNext(rec) == 0);
    FileSystem::FindClose(rec);
  }
  for (const TSearchRec& sub : subfolders) {
    if (TThread::CurrentTerminated()) break;
    if (trail.Enter(sub.Id)) size += TreeSize(path + sub.Name + QLatin1Char('\\'), trail);
  }
  return size;
}

std::int64_t TreeSize(const QString& path) {
  TFolderTrail trail;
  return TreeSize(path, trail);
}

}  // namespace

std::uint8_t DriveNumberOf(const QString& path) {
  if (path.size() < 2 || path.at(1) != QLatin1Char(':')) return 0;
  const QChar letter = path.at(0).toUpper();
  if (letter < QLatin1Char('A') || letter > QLatin1Char('Z')) return 0;
  return static_cast<std::uint8_t>(letter.unicode() - 64);
}

double FolderSize(const QString& path) { return static_cast<double>(TreeSize(path)); }

double PathSize(const QString& path) {
  if (path.endsWith(QLatin1Char('\\'))) return FolderSize(path);
  TSearchRec rec;
  if (FileSystem::FindFirst(path, faAnyFile, rec) != 0) return 0;
  const std::int64_t size = rec.IsDirectory() ? 0 : rec.Size;
  FileSystem::FindClose(rec);
  return static_cast<double>(size);
}

TCopyRequest TCopyRequest::Current() {
  return {CopyNames, CopySourceFolders, CopyDestination, CopyDestinationDrive};
}

void TCopyRequest::Restore() const {
  CopyNames = Names;
  CopySourceFolders = SourceFolders;
  CopyDestination = Destination;
  CopyDestinationDrive = Drive;
}

std::int64_t ListSelectedResults() {
  CopyNames.clear();
  CopySourceFolders.clear();
  std::int64_t total = 0;
  if (!FormMain || !FormMain->ListViewResult) return 0;
  const TListView* list = FormMain->ListViewResult;
  for (int i = 0; i < list->Count(); ++i) {
    const TListItem& row = list->Item(i);
    if (!row.Selected) continue;
    const QString type = row.SubItems.value(0);
    const QString sizeText = row.SubItems.value(1);
    CopySourceFolders.append(QLatin1String("\\\\") + row.SubItems.value(4) + row.SubItems.value(5));
    if (sizeText == TextFileDir) {
      CopyNames.append(row.Caption + QLatin1Char('\\'));
    } else {
      total += sizeText.toLongLong();
      CopyNames.append(row.Caption + QLatin1Char('.') + type);
    }
  }
  return total;
}

QStringList CopyListFolders() {
  QStringList folders;
  for (qsizetype i = 0; i < CopyNames.size(); ++i)
    if (CopyNames.at(i).endsWith(QLatin1Char('\\'))) folders.append(CopySourceFolders.at(i) + CopyNames.at(i));
  return folders;
}

double BuildCopyList() {
  std::int64_t total = ListSelectedResults();
  for (const QString& folder : CopyListFolders()) total += TreeSize(folder);
  return static_cast<double>(total);
}

void BuildCopyList(std::function<void(double total)> done) {
  const std::int64_t files = ListSelectedResults();
  const TCopyRequest request = TCopyRequest::Current();
  Sizing::Start(CopyListFolders(), [request, files, done = std::move(done)](bool cancelled, const QList<qint64>& sizes) {
    if (cancelled) return;
    std::int64_t total = files;
    for (qint64 size : sizes) total += size;
    request.Restore();
    done(static_cast<double>(total));
  });
}
