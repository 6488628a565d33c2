#include "search/Result_row.h"

#include <QHash>
#include <array>

#include "platform/core/DateFormat.h"
#include "platform/core/DosTime.h"
#include "platform/fs/FileAttr.h"
#include "platform/ui/SystemIcons.h"

namespace {

// Tens of thousands of rows hold a few dozen distinct types: each row shares
// the one text of its type rather than holding a copy. Per thread, as rows
// are made on the workers; bounded, so a share of odd names cannot grow it
// without end.
QString SharedType(const QString& type) {
  constexpr qsizetype kMaxTypes = 512;
  thread_local QHash<QString, QString> types;
  if (type.isEmpty()) return QString();
  auto it = types.constFind(type);
  if (it != types.constEnd()) return *it;
  if (types.size() >= kMaxTypes) return type;
  types.insert(type, type);
  return type;
}

}  // namespace

void SplitResultName(const QString& name, bool isDirectory, QString& caption, QString& type) {
  if (isDirectory) {
    caption = name;
    type.clear();
    return;
  }
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0) {
    caption = name;
    type.clear();
    return;
  }
  caption = name.left(dot);
  type = SharedType(name.mid(dot + 1).toLower());
}

namespace {

QString MakeDosDateText(quint32 dos) {
  // The DOS fields are local time already: read them straight.
  const QDate date(int(dos >> 25) + 1980, int((dos >> 21) & 15), int((dos >> 16) & 31));
  const QTime time(int((dos >> 11) & 31), int((dos >> 5) & 63), int(dos & 31) * 2);
  if (!date.isValid() || !time.isValid()) return QString();
  return DateFormat::DateTimeToListStr(date, time);
}

}  // namespace

QString ResultDateText(const QDateTime& time) {
  if (!time.isValid()) return QString();
  return DateFormat::DateTimeToListStr(time.date(), time.time());
}

QString ResultDateText(quint32 dos) {
  // Files of one folder often share their time to the two seconds; the last
  // text made on this thread is kept for them.
  thread_local quint32 lastDos = 0;
  thread_local unsigned lastGeneration = ~0u;
  thread_local QString lastText;
  const unsigned generation = DateFormat::FormatGeneration();
  if (dos == lastDos && generation == lastGeneration) return lastText;
  lastText = MakeDosDateText(dos);
  lastDos = dos;
  lastGeneration = generation;
  return lastText;
}

QString ResultAttributeText(int attributes) {
  // Sixteen texts in all, made once and shared by every row.
  static const std::array<QString, 16> texts = [] {
    std::array<QString, 16> all;
    for (int bits = 0; bits < 16; ++bits) {
      QString& text = all[size_t(bits)];
      text += (bits & 1) ? u'r' : u'-';
      text += (bits & 2) ? u'a' : u'-';
      text += (bits & 4) ? u'h' : u'-';
      text += (bits & 8) ? u's' : u'-';
      text.squeeze();
    }
    return all;
  }();
  const int bits = ((attributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0) | ((attributes & FILE_ATTRIBUTE_ARCHIVE) ? 2 : 0) |
                   ((attributes & FILE_ATTRIBUTE_HIDDEN) ? 4 : 0) | ((attributes & FILE_ATTRIBUTE_SYSTEM) ? 8 : 0);
  return texts[size_t(bits)];
}

void SplitSearchPath(const QString& searchPath, QString& computer, QString& path) {
  const QString rest = searchPath.mid(2);
  const qsizetype slash = rest.indexOf(u'\\');
  if (slash < 0) {
    computer = rest;
    path.clear();
    return;
  }
  computer = rest.left(slash);
  path = rest.mid(slash);
}

TListItem MakeResultRow(const TSearchRec& entry, const QString& searchPath, const QString& folderMarker) {
  QString computer, path;
  SplitSearchPath(searchPath, computer, path);
  return MakeResultRow(entry, computer, path, folderMarker);
}

TListItem MakeResultRow(const TSearchRec& entry, const QString& computer, const QString& path,
                        const QString& folderMarker) {
  TListItem row;
  QString type;
  const bool folder = entry.IsDirectory();
  SplitResultName(entry.Name, folder, row.Caption, type);
  row.SubItems.reserve(6);
  row.SubItems << type;
  // Sizes are carried whole: a file over 2 or 4 GiB shows its true size.
  row.SubItems << (folder ? folderMarker : QString::number(entry.Size));
  row.SubItems << ResultDateText(entry.Time);
  row.SubItems << ResultAttributeText(entry.Attr);
  row.SubItems << computer << path;
  row.ImageIndex = folder ? SystemIcons::FolderIndex() : SystemIcons::IndexForType(type);
  return row;
}

bool IsFolderRow(const TListItem& row, const QString& folderMarker) {
  return row.SubItems.size() > rcSize && row.SubItems[rcSize] == folderMarker;
}

QString ResultFullPath(const TListItem& row, const QString& folderMarker) {
  const QString computer = row.SubItems.value(rcComputer);
  const QString path = row.SubItems.value(rcPath);
  QString full = QStringLiteral("\\\\") + computer + path + row.Caption;
  if (IsFolderRow(row, folderMarker))
    full += u'\\';
  else
    full += u'.' + row.SubItems.value(rcType);
  return full;
}

namespace {

bool DatePasses(const TExtendedCriteria& c, const QDateTime& t) {
  if (c.TimeBetween) {
    if (!t.isValid()) return false;
    QDateTime low, high;
    if (DateFormat::TryStrToDateTime(c.Down, low) && !(low < t)) return false;
    if (DateFormat::TryStrToDateTime(c.Up, high) && !(t < high)) return false;
    return true;
  }
  if (c.Old) {
    if (!t.isValid()) return false;
    if (c.CutoffDate.isValid() && t < c.CutoffDate) return false;
  }
  return true;
}

bool SizePasses(const TExtendedCriteria& c, const TSearchRec& entry) {
  if (!c.SizeOn) return true;
  if (entry.IsDirectory()) return false;
  qint64 unit = 1024;
  switch (c.SizeUnitIndex) {
    case 0: unit = 1; break;
    case 1: unit = 1024; break;
    case 2: unit = 1048576; break;
    case 3: unit = 1073741824; break;
    default: break;
  }
  bool ok = false;
  const qint64 number = c.SizeText.trimmed().toLongLong(&ok);
  if (!ok) return true;
  // 64-bit throughout: limits of 2 Gbyte(s) and more and files of that size compare exactly.
  const qint64 limit = number * unit;
  switch (c.OperIndex) {
    case 0: return entry.Size > limit;
    case 1: return entry.Size == limit;
    case 2: return entry.Size < limit;
    default: return true;
  }
}

bool AttributesPass(const TExtendedCriteria& c, const TSearchRec& entry) {
  if (!c.Attr) return true;
  int mask = 0;
  if (c.ReadOnly) mask |= FILE_ATTRIBUTE_READONLY;
  if (c.Hidden) mask |= FILE_ATTRIBUTE_HIDDEN;
  if (c.System) mask |= FILE_ATTRIBUTE_SYSTEM;
  if (c.Archive) mask |= FILE_ATTRIBUTE_ARCHIVE;
  if (c.Dir) mask |= FILE_ATTRIBUTE_DIRECTORY;
  return (entry.Attr & mask) != 0;
}

}  // namespace

bool MatchesCriteria(const TExtendedCriteria& criteria, const TSearchRec& entry) {
  // Making a local date-time asks the system for the time zone: only when a
  // date criterion needs it.
  if ((criteria.TimeBetween || criteria.Old) && !DatePasses(criteria, DosTime::FileDateToDateTime(entry.Time)))
    return false;
  if (!SizePasses(criteria, entry)) return false;
  return AttributesPass(criteria, entry);
}
