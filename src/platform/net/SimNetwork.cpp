#include "platform/net/SimNetwork.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cmath>

#include "platform/core/DosTime.h"
#include "platform/core/WinError.h"
#include "platform/fs/PosixFs.h"
#include "platform/fs/WinPath.h"
#include "platform/ini/Ini.h"

using namespace NetApi;

namespace {

// A whole number: decimal, or hexadecimal after "0x"; nothing when the text
// is no such number.
std::optional<qint64> ParseNumber(const QString& text) {
  const QString t = text.trimmed();
  bool ok = false;
  qint64 v = 0;
  if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
    v = t.mid(2).toLongLong(&ok, 16);
  else
    v = t.toLongLong(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

// The value of a key, or `def` when the key is missing or empty; nothing
// when the value is no number.
std::optional<qint64> NumberOr(const QString& text, qint64 def) {
  return text.trimmed().isEmpty() ? std::optional<qint64>(def) : ParseNumber(text);
}

bool IsSet(const QString& text) {
  const QString t = text.trimmed();
  return !t.isEmpty() && t != QLatin1String("0");
}

int AttributeLetters(const QString& letters) {
  int attr = 0;
  for (QChar c : letters) {
    switch (c.toLower().unicode()) {
      case u'r': attr |= FILE_ATTRIBUTE_READONLY; break;
      case u'h': attr |= FILE_ATTRIBUTE_HIDDEN; break;
      case u's': attr |= FILE_ATTRIBUTE_SYSTEM; break;
      case u'a': attr |= FILE_ATTRIBUTE_ARCHIVE; break;
      default: break;  // blanks and other letters carry nothing
    }
  }
  return attr;
}

std::optional<qint64> ParseDate(const QString& text) {
  const QString t = text.trimmed();
  QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  if (!dt.isValid()) {
    const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
    if (d.isValid()) dt = d.startOfDay();
  }
  if (!dt.isValid()) return std::nullopt;
  return dt.toMSecsSinceEpoch() * 1000000;
}

QString NormalKey(const QString& key) {
  QString k = key.trimmed();
  k.replace(u'\\', u'/');
  while (k.startsWith(u'/')) k.remove(0, 1);
  while (k.endsWith(u'/')) k.chop(1);
  return k.toLower();
}

QString ParentKey(const QString& key) {
  const qsizetype slash = key.lastIndexOf(u'/');
  return slash < 0 ? QString() : key.left(slash);
}

// A server or share name that could lead out of its folder.
bool IsBadName(const QString& name) {
  return name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(u'/');
}

QString BareServer(const QString& name) {
  QString n = name;
  while (n.startsWith(u'\\')) n.remove(0, 1);
  return n;
}

NETRESOURCE Record(int type, int display, int usage, const QString& remote) {
  return MakeRecord(type, display, usage, remote, QString::fromLatin1(TSimNetwork::ProviderName));
}

}  // namespace

TSimNetwork::TSimNetwork(const QString& localRoot) {
  FRoot = QDir::cleanPath(QDir::current().absoluteFilePath(WinPath::IsDrive(localRoot) ? WinPath::ToLocal(localRoot)
                                                                                          : localRoot));
  ReadDescription();
}

void TSimNetwork::ReadDescription() {
  const TIniFile ini(WinPath::FromLocal(PosixFs::Join(FRoot, {QStringLiteral("network.ini")})));
  for (const QString& section : ini.ReadSections()) {
    if (section.compare(QLatin1String("Network"), Qt::CaseInsensitive) == 0) {
      FThisComputer = ini.ReadString(section, QStringLiteral("ThisComputer"), QString()).trimmed();
      FDelayMs = int(qBound(qint64(0), ParseNumber(ini.ReadString(section, QStringLiteral("DelayMs"), QString())).value_or(0), qint64(60000)));
    } else if (section.compare(QLatin1String("Attributes"), Qt::CaseInsensitive) == 0) {
      for (const QString& key : ini.ReadSection(section))
        FAttributes.insert(NormalKey(key), AttributeLetters(ini.ReadString(section, key, QString())));
    } else if (section.compare(QLatin1String("Dates"), Qt::CaseInsensitive) == 0) {
      for (const QString& key : ini.ReadSection(section))
        if (const auto ns = ParseDate(ini.ReadString(section, key, QString()))) FDates.insert(NormalKey(key), *ns);
    } else {
      TServerConfig c;
      auto read = [&](const char* key) { return ini.ReadString(section, QString::fromLatin1(key), QString()); };
      c.Ip = read("Ip");
      c.Platform = read("Platform");
      c.Version = read("Version");
      c.Type = read("Type");
      c.TimeZone = read("TimeZone");
      c.ClockOffset = read("ClockOffset");
      for (const QString& p : read("Printers").split(u',')) {
        const QString name = p.trimmed();
        if (!name.isEmpty() && !name.contains(u'\\')) c.Printers.append(name);
      }
      c.NoInfo = IsSet(read("NoInfo"));
      c.NoTime = IsSet(read("NoTime"));
      c.NoShareAnswer = IsSet(read("NoShareAnswer"));
      FServers.insert(section.toLower(), c);
    }
  }
}

TSimNetwork::TServerConfig TSimNetwork::Config(const QString& server) const {
  return FServers.value(server.toLower());
}

bool TSimNetwork::FindServer(const QString& name, QString& workgroup, QString& server, bool remembered) const {
  if (IsBadName(name)) return false;
  if (remembered) {
    QMutexLocker lock(&FServerMutex);
    const auto it = FServerFolders.constFind(name);
    if (it != FServerFolders.constEnd()) {
      workgroup = it->first;
      server = it->second;
      return true;
    }
  }
  auto found = [&](const QString& g, const QString& s) {
    workgroup = g;
    server = s;
    QMutexLocker lock(&FServerMutex);
    FServerFolders.insert(name, {g, s});
    return true;
  };
  QStringList groups;
  if (PosixFs::FolderNames(FRoot, groups) != NO_ERROR) return false;
  for (const QString& g : groups) {  // the exact name first
    TSearchRec rec;
    if (PosixFs::StatEntry(PosixFs::Join(FRoot, {g, name}), rec) == NO_ERROR && rec.IsDirectory()) return found(g, name);
  }
  for (const QString& g : groups) {
    QStringList servers;
    PosixFs::FolderNames(PosixFs::Join(FRoot, {g}), servers);
    for (const QString& s : servers)
      if (s.compare(name, Qt::CaseInsensitive) == 0) return found(g, s);
  }
  ForgetServer(name);
  return false;
}

void TSimNetwork::ForgetServer(const QString& name) const {
  QMutexLocker lock(&FServerMutex);
  FServerFolders.remove(name);
}

int TSimNetwork::Locate(const TFsPath& path, TLocated& out) const {
  // A remembered server folder is checked by the lookup itself: when the
  // share cannot be found there, the server is looked for afresh.
  const int e = LocateWith(path, true, out);
  if (e == NO_ERROR || e == ERROR_BAD_NETPATH) return e;
  return LocateWith(path, false, out);
}

int TSimNetwork::LocateWith(const TFsPath& path, bool remembered, TLocated& out) const {
  QString group, server;
  if (!path.Unc || !FindServer(path.Server, group, server, remembered)) return ERROR_BAD_NETPATH;
  if (IsBadName(path.Share)) return ERROR_BAD_NET_NAME;
  const QString serverDir = PosixFs::Join(FRoot, {group, server});
  bool whole = false;
  const QStringList resolved = PosixFs::Resolve(serverDir, QStringList{path.Share} + path.Parts, &whole);
  // A path found below the share proves it a folder; otherwise it is asked.
  if (!whole || path.Parts.isEmpty()) {
    TSearchRec share;
    if (PosixFs::StatEntry(PosixFs::Join(serverDir, {resolved.first()}), share) != NO_ERROR || !share.IsDirectory())
      return ERROR_BAD_NET_NAME;
  }
  out.Path = PosixFs::Join(serverDir, resolved);
  out.Key = (group + u'/' + server + u'/' + resolved.join(u'/')).toLower();
  return NO_ERROR;
}

std::optional<qint64> TSimNetwork::DateFor(const QString& key) const {
  for (QString k = key; !k.isEmpty(); k = ParentKey(k)) {
    auto it = FDates.constFind(k);
    if (it != FDates.constEnd()) return *it;
  }
  return std::nullopt;
}

void TSimNetwork::Adjust(const QString& key, std::optional<qint64> inheritedDate, TSearchRec& rec) const {
  auto a = FAttributes.constFind(key);
  if (a != FAttributes.constEnd()) {
    int attr = (rec.Attr & FILE_ATTRIBUTE_DIRECTORY) | *a;
    if (attr == 0) attr = FILE_ATTRIBUTE_NORMAL;
    rec.Attr = attr;
  }
  auto d = FDates.constFind(key);
  const std::optional<qint64> date = d != FDates.constEnd() ? std::optional<qint64>(*d) : inheritedDate;
  if (date) {
    rec.WriteTimeNs = *date;
    rec.Time = DosTime::FromUnixTime(qint64(std::floor(double(*date) / 1e9)));
  }
}

int TSimNetwork::ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) {
  TLocated at;
  if (const int e = Locate(folder, at)) return e;
  PosixFs::TAdjust adjust;
  if (!FAttributes.isEmpty() || !FDates.isEmpty()) {
    const std::optional<qint64> folderDate = DateFor(at.Key);
    const QString prefix = at.Key + u'/';
    bool first = true;  // the first call is for the folder itself
    adjust = [this, at, folderDate, prefix, first](TSearchRec& rec) mutable {
      if (first) {
        first = false;
        Adjust(at.Key, folderDate, rec);
      } else {
        Adjust(prefix + rec.Name.toLower(), folderDate, rec);
      }
    };
  }
  return PosixFs::ListDir(at.Path, mask, adjust, self, out);
}

int TSimNetwork::Stat(const TFsPath& path, TSearchRec& out) {
  TLocated at;
  if (const int e = Locate(path, at)) return e;
  if (const int e = PosixFs::StatEntry(at.Path, out)) return e;
  Adjust(at.Key, DateFor(ParentKey(at.Key)), out);
  return NO_ERROR;
}

int TSimNetwork::Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) {
  // A file below a remembered server, in the right letter case, opens at
  // the first try; everything else takes the way through Locate.
  if (mode == TOpenMode::CreateNew) mode = TOpenMode::Create;  // the simulation finds letter cases its own way
  QString group, server;
  if (mode != TOpenMode::Create && path.Unc && !path.Parts.isEmpty() && !IsBadName(path.Share) &&
      FindServer(path.Server, group, server, true)) {
    const QStringList parts = QStringList{group, server, path.Share} + path.Parts;
    const std::optional<qint64> date = FDates.isEmpty() ? std::nullopt : DateFor(parts.join(u'/').toLower());
    if (PosixFs::Open(PosixFs::Join(FRoot, parts), mode, out, date) == NO_ERROR) return NO_ERROR;
  }
  TLocated at;
  if (const int e = Locate(path, at)) return e;
  return PosixFs::Open(at.Path, mode, out, DateFor(at.Key));
}

int TSimNetwork::CreateDir(const TFsPath& path) {
  TLocated at;
  if (const int e = Locate(path, at)) return e;
  return PosixFs::MakeDir(at.Path);
}

int TSimNetwork::RemoveDir(const TFsPath& path) {
  TLocated at;
  if (const int e = Locate(path, at)) return e;
  if (path.Parts.isEmpty()) return ERROR_ACCESS_DENIED;  // a share itself stays
  return PosixFs::RemoveDir(at.Path);
}

int TSimNetwork::DeleteFile(const TFsPath& path) {
  TLocated at;
  if (const int e = Locate(path, at)) return e;
  return PosixFs::Unlink(at.Path);
}

qint64 TSimNetwork::DiskFree(const TFsPath& path) {
  TLocated at;
  if (Locate(path, at) != NO_ERROR) return -1;
  return PosixFs::FreeSpace(at.Path);
}

QUrl TSimNetwork::DesktopUrl(const QString& server, const QString& share, const QStringList& parts) {
  // The server's folder in the first workgroup folder, in name order, that holds it.
  auto serverFolder = [&]() -> QString {
    QStringList workgroups;
    if (PosixFs::FolderNames(FRoot, workgroups) != 0) return {};
    for (const QString& wg : workgroups) {
      const QString wgPath = PosixFs::Join(FRoot, {wg});
      QStringList servers;
      if (PosixFs::FolderNames(wgPath, servers) != 0) continue;
      for (const QString& s : servers)
        if (s.compare(server, Qt::CaseInsensitive) == 0) return PosixFs::Join(wgPath, {s});
    }
    return {};
  };
  const QString base = serverFolder();
  if (base.isEmpty()) return {};
  QStringList below = parts;
  if (!share.isEmpty()) below.prepend(share);
  const QString local = PosixFs::Join(base, PosixFs::Resolve(base, below));
  if (!QFileInfo::exists(local)) return {};
  return QUrl::fromLocalFile(local);
}

int TSimNetwork::Children(const NETRESOURCE* parent, QList<NETRESOURCE>& out) {
  out.clear();
  const QString provider = QString::fromLatin1(ProviderName);
  if (!parent) {
    TSearchRec root;
    if (PosixFs::StatEntry(FRoot, root) != NO_ERROR || !root.IsDirectory()) return ERROR_NO_NETWORK;
    NETRESOURCE r = Record(RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_NETWORK, RESOURCEUSAGE_CONTAINER, provider);
    out.append(r);
    return NO_ERROR;
  }
  if (!(parent->dwUsage & RESOURCEUSAGE_CONTAINER)) return ERROR_NOT_CONTAINER;
  const QString remote = parent->lpRemoteName;
  QStringList names;
  if (parent->dwDisplayType == RESOURCEDISPLAYTYPE_NETWORK || remote == provider) {
    if (const int e = PosixFs::FolderNames(FRoot, names)) return e == ERROR_PATH_NOT_FOUND ? ERROR_NO_NETWORK : e;
    for (const QString& g : names)
      out.append(Record(RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER, g));
    return NO_ERROR;
  }
  if (remote.startsWith(QLatin1String("\\\\"))) {
    QString group, server;
    if (!FindServer(BareServer(remote), group, server)) return ERROR_BAD_NETPATH;
    if (Config(server).NoShareAnswer) return ERROR_SEM_TIMEOUT;
    if (const int e = PosixFs::FolderNames(PosixFs::Join(FRoot, {group, server}), names)) return e;
    for (const QString& s : names)
      out.append(Record(RESOURCETYPE_DISK, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE,
                        QLatin1String("\\\\") + server + u'\\' + s));
    for (const QString& p : Config(server).Printers)
      out.append(Record(RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE,
                        QLatin1String("\\\\") + server + u'\\' + p));
    return NO_ERROR;
  }
  QStringList groups;
  if (IsBadName(remote) || PosixFs::FolderNames(FRoot, groups) != NO_ERROR) return ERROR_BAD_NETPATH;
  for (const QString& g : groups) {
    if (g.compare(remote, Qt::CaseInsensitive) != 0) continue;
    if (const int e = PosixFs::FolderNames(PosixFs::Join(FRoot, {g}), names)) return e;
    for (const QString& s : names)
      out.append(Record(RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER, QLatin1String("\\\\") + s));
    return NO_ERROR;
  }
  return ERROR_BAD_NETPATH;
}

int TSimNetwork::ServerInfo(const QString& name, SERVER_INFO_101& out) {
  QString group, server;
  if (!FindServer(BareServer(name), group, server)) return ERROR_BAD_NETPATH;
  const TServerConfig c = Config(server);
  if (c.NoInfo) return ERROR_ACCESS_DENIED;
  const auto platform = NumberOr(c.Platform, PLATFORM_ID_NT);
  const auto type = NumberOr(c.Type, 0x1003);
  int major = 5, minor = 1;
  const QString version = c.Version.trimmed();
  if (!version.isEmpty()) {
    const QStringList v = version.split(u'.');
    bool ok1 = false, ok2 = true;
    major = v[0].toInt(&ok1);
    minor = v.size() > 1 ? v[1].toInt(&ok2) : 0;
    if (!ok1 || !ok2 || v.size() > 2 || major < 0 || minor < 0) return ERROR_INVALID_DATA;
  }
  if (!platform || !type || *type < 0 || *type > 0xFFFFFFFFLL) return ERROR_INVALID_DATA;
  out = SERVER_INFO_101();
  out.sv101_platform_id = int(*platform);
  out.sv101_name = server;
  out.sv101_version_major = major;
  out.sv101_version_minor = minor;
  out.sv101_type = quint32(*type);
  out.sv101_comment = QLatin1String("");
  return NERR_Success;
}

int TSimNetwork::TimeOfDay(const QString& name, TIME_OF_DAY_INFO& out) {
  QString group, server;
  if (!FindServer(BareServer(name), group, server)) return ERROR_BAD_NETPATH;
  const TServerConfig c = Config(server);
  if (c.NoTime) return ERROR_ACCESS_DENIED;
  const auto zone = NumberOr(c.TimeZone, 0);
  const auto offset = NumberOr(c.ClockOffset, 0);
  if (!zone || !offset || qAbs(*zone) > 24 * 60 || qAbs(*offset) > 100LL * 366 * 86400) return ERROR_INVALID_DATA;
  const qint64 ms = QDateTime::currentMSecsSinceEpoch() + *offset * 1000;
  const QDateTime utc = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
  out = TIME_OF_DAY_INFO();
  out.tod_elapsedt = quint32(ms / 1000);
  out.tod_msecs = quint32(ms);
  out.tod_hours = utc.time().hour();
  out.tod_mins = utc.time().minute();
  out.tod_secs = utc.time().second();
  out.tod_hunds = utc.time().msec() / 10;
  out.tod_timezone = int(*zone);
  out.tod_tinterval = 310;
  out.tod_day = utc.date().day();
  out.tod_month = utc.date().month();
  out.tod_year = utc.date().year();
  out.tod_weekday = utc.date().dayOfWeek() % 7;
  return NERR_Success;
}

bool TSimNetwork::HostAddress(const QString& name, std::array<quint8, 4>& address) {
  const QStringList parts = Config(BareServer(name)).Ip.trimmed().split(u'.');
  if (parts.size() != 4) return false;
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    const int v = parts[i].toInt(&ok);
    if (!ok || v < 0 || v > 255 || parts[i].isEmpty()) return false;
    address[size_t(i)] = quint8(v);
  }
  return true;
}

QString TSimNetwork::ComputerName() {
  return FThisComputer.isEmpty() ? NetBackend::HostComputerName() : FThisComputer;
}
