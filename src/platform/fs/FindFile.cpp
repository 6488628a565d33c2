#include "platform/fs/FindFile.h"

#include <QThread>

#include <algorithm>

#include "platform/core/Handles.h"
#include "platform/core/WinError.h"
#include "platform/fs/FsBackend.h"
#include "platform/fs/WinPath.h"

QDateTime TSearchRec::LastWriteTime() const {
  const qint64 ms = WriteTimeNs >= 0 ? WriteTimeNs / 1000000 : -((-WriteTimeNs + 999999) / 1000000);
  return QDateTime::fromMSecsSinceEpoch(ms);
}

namespace FileSystem {

namespace {

struct TListing {
  QList<TSearchRec> Entries;
  qsizetype Next = 0;
  int DelayMs = 0;
};

THandleTable<TListing>& Listings() {
  static THandleTable<TListing> table;
  return table;
}

// The attribute bits that leave an entry out of a find with mask `attr`.
int ExcludedBits(int attr) { return ~attr & (faHidden | faSysFile | faVolumeID | faDirectory); }

void Wait(int ms) {
  if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

bool NameOrder(const TSearchRec& a, const TSearchRec& b) { return WildMatch::CompareNames(a.Name, b.Name) < 0; }

int Start(TListing&& listing, TSearchRec& rec) {
  // Each entry is handed out once, so it moves out of the listing.
  rec = std::move(listing.Entries.first());
  listing.Next = 1;
  rec.FindHandle = Listings().Add(std::make_shared<TListing>(std::move(listing)));
  return NO_ERROR;
}

}  // namespace

int FindFirst(const QString& path, int attr, TSearchRec& rec) {
  rec = TSearchRec();
  if (path.size() > MAX_PATH_LENGTH) return ERROR_FILENAME_EXCED_RANGE;
  QString p = path;
  p.replace(u'/', u'\\');
  const qsizetype cut = std::max(p.lastIndexOf(u'\\'), p.lastIndexOf(u':'));
  const QString mask = p.mid(cut + 1);
  if (mask.isEmpty()) return ERROR_FILE_NOT_FOUND;
  TFsPath folder;
  const QString folderText = cut < 0 ? QStringLiteral(".") : p.left(cut + 1);  // a bare mask: the current folder
  if (const int e = FsPath::Parse(folderText, folder)) return e;
  const auto backend = FsBackend::For(folder);
  TListing listing;
  listing.DelayMs = backend->DelayMs();
  Wait(listing.DelayMs);
  const int excluded = ExcludedBits(attr);

  if (!TWildMask::HasWildcards(mask) && mask != QLatin1String(".") && mask != QLatin1String("..")) {
    // One name: looked up directly instead of listing the whole folder.
    const QString name = FsPath::StripName(mask);
    if (name.isEmpty()) return ERROR_FILE_NOT_FOUND;
    TSearchRec one;
    if (const int e = backend->Stat(folder.Child(name), one)) return e;
    if ((one.Attr & excluded) || !WinPath::IsExactEntryName(one.Name)) return ERROR_FILE_NOT_FOUND;
    listing.Entries.append(one);
    return Start(std::move(listing), rec);
  }

  const TWildMask wild(mask);
  TSearchRec self;
  QList<TSearchRec> found;
  if (const int e = backend->ListFolder(folder, wild, self, found)) return e;
  // Every back end's names pass here: one that is not a plain component
  // would lead a caller joining it to a path into another folder, and one
  // the path rules cut ("a.") to another entry.
  found.removeIf(
      [excluded](const TSearchRec& r) { return (r.Attr & excluded) != 0 || !WinPath::IsExactEntryName(r.Name); });
  std::sort(found.begin(), found.end(), NameOrder);
  if (!folder.IsDriveRoot() && !(excluded & faDirectory)) {
    TSearchRec dot = self;
    dot.Attr = FILE_ATTRIBUTE_DIRECTORY;
    dot.Size = 0;
    for (const char* n : {".", ".."}) {
      dot.Name = QString::fromLatin1(n);
      if (wild.Matches(dot.Name)) listing.Entries.append(dot);
      dot.Id = TFileId();  // the parent's identity is not known here
    }
  }
  if (listing.Entries.isEmpty()) {
    listing.Entries = std::move(found);
  } else {
    listing.Entries.reserve(listing.Entries.size() + found.size());
    for (TSearchRec& r : found) listing.Entries.append(std::move(r));
  }
  if (listing.Entries.isEmpty()) return ERROR_FILE_NOT_FOUND;
  return Start(std::move(listing), rec);
}

int FindNext(TSearchRec& rec) {
  const auto listing = Listings().Get(rec.FindHandle);
  if (!listing) return ERROR_INVALID_HANDLE;
  Wait(listing->DelayMs);
  if (listing->Next >= listing->Entries.size()) return ERROR_NO_MORE_FILES;
  const qint64 handle = rec.FindHandle;
  rec = std::move(listing->Entries[listing->Next++]);
  rec.FindHandle = handle;
  return NO_ERROR;
}

void FindClose(TSearchRec& rec) {
  Listings().Remove(rec.FindHandle);
  rec.FindHandle = -1;
}

}  // namespace FileSystem
