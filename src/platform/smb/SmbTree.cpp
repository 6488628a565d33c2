#include "platform/smb/SmbTree.h"

#include <algorithm>
#include <cmath>

#include "platform/core/DosTime.h"
#include "platform/fs/FileAttr.h"
#include "platform/fs/WinPath.h"

using namespace NetApi;

namespace SmbTree {

namespace {

NETRESOURCE Record(int type, int display, int usage, const QString& remote, const QString& comment = QString()) {
  return MakeRecord(type, display, usage, remote, QString::fromLatin1(ProviderName), comment);
}

bool ByName(const QString& a, const QString& b) { return WildMatch::CompareNames(a, b) < 0; }

constexpr unsigned DiskShare = 3, PrinterShare = 4;

TSearchRec Record(const TSmbEntry& e) {
  TSearchRec r;
  r.Name = e.Name;
  const bool folder = (e.Attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
  r.Attr = Attributes(e.Attrs, folder);
  r.Size = folder ? 0 : e.Size;
  r.WriteTimeNs = e.WriteTimeNs;
  r.Time = DosTime::FromUnixTime(qint64(std::floor(double(e.WriteTimeNs) / 1e9)));
  if (e.FileIndex != 0) r.Id = TFileId{e.Device, e.FileIndex};
  return r;
}

}  // namespace

NETRESOURCE ProviderRecord() {
  return Record(RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_NETWORK, RESOURCEUSAGE_CONTAINER,
                QString::fromLatin1(ProviderName));
}

QList<NETRESOURCE> GroupRecords(const QList<TFoundServer>& servers) {
  QStringList names;
  for (const TFoundServer& s : servers) {
    if (!WinPath::IsPlainEntryName(s.Group)) continue;
    if (!names.contains(s.Group, Qt::CaseInsensitive)) names.append(s.Group);
  }
  std::sort(names.begin(), names.end(), ByName);
  QList<NETRESOURCE> out;
  for (const QString& g : names)
    out.append(Record(RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER, g));
  return out;
}

QList<NETRESOURCE> ServerRecords(const QList<TFoundServer>& servers, const QString& group) {
  QStringList names;
  for (const TFoundServer& s : servers)
    if (s.Group.compare(group, Qt::CaseInsensitive) == 0 && WinPath::IsPlainEntryName(s.Name)) names.append(s.Name);
  std::stable_sort(names.begin(), names.end(), ByName);
  QList<NETRESOURCE> out;
  for (const QString& n : names)
    out.append(Record(RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER, QLatin1String("\\\\") + n));
  return out;
}

QList<NETRESOURCE> ShareRecords(const QString& server, const QList<TSmbShare>& shares) {
  QList<TSmbShare> disks, printers;
  for (const TSmbShare& s : shares) {
    if (!WinPath::IsPlainEntryName(s.Name) || s.Name.endsWith(u'$')) continue;
    if (s.Type == DiskShare) disks.append(s);
    else if (s.Type == PrinterShare) printers.append(s);
  }
  auto order = [](const TSmbShare& a, const TSmbShare& b) { return ByName(a.Name, b.Name); };
  std::sort(disks.begin(), disks.end(), order);
  std::sort(printers.begin(), printers.end(), order);
  QList<NETRESOURCE> out;
  const QString prefix = QLatin1String("\\\\") + server + u'\\';
  for (const TSmbShare& s : disks)
    out.append(Record(RESOURCETYPE_DISK, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE, prefix + s.Name,
                      s.Comment));
  for (const TSmbShare& s : printers)
    out.append(Record(RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE, prefix + s.Name,
                      s.Comment));
  return out;
}

int Attributes(int dosAttrs, bool isFolder) {
  int a = dosAttrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  if (isFolder) return a | FILE_ATTRIBUTE_DIRECTORY;
  return a ? a : FILE_ATTRIBUTE_NORMAL;
}

void Listing(const QList<TSmbEntry>& entries, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) {
  out.clear();
  self = TSearchRec();
  self.Attr = FILE_ATTRIBUTE_DIRECTORY;
  for (const TSmbEntry& e : entries) {
    if (e.Name == QLatin1String(".")) {
      self = Record(e);
      self.Attr |= FILE_ATTRIBUTE_DIRECTORY;
      self.Size = 0;
      continue;
    }
    if (!WinPath::IsPlainEntryName(e.Name)) continue;  // "..", and names that could act as paths
    if (!mask.Matches(e.Name) && (e.ShortName.isEmpty() || !mask.Matches(e.ShortName))) continue;
    out.append(Record(e));
  }
}

}  // namespace SmbTree
