#pragma once
// The simulated network: a folder of this machine laid out as
//
//   <root>/network.ini                          optional description
//   <root>/<WORKGROUP>/<SERVER>/<SHARE>/...      each share's content
//
// Enumeration: one provider container "Simulated Network"; under it one
// container per workgroup folder; under each one container per server
// folder (remote name \\SERVER); under each server one disk resource per
// share folder (\\SERVER\SHARE) and then one printer resource per printer
// named in network.ini. Folders are listed in name order, letter case
// ignored. A server folder found in two workgroups is listed in both.
//
// UNC paths resolve into the folder: \\PC1\docs\a\b.txt is
// <root>/<the first workgroup, in name order, holding PC1>/PC1/docs/a/b.txt,
// each component matched without regard to letter case.
//
// network.ini (read once, when the back end is made):
//   [Network]  ThisComputer=  the computer-name call's answer (default: this
//                             host's name in upper case)
//              DelayMs=       a test aid: every enumeration, find and server
//                             call on this network first waits so long
//   [SERVER]   Ip= dotted address for the host-name lookup (missing: not
//              found); Platform= (500); Version= major.minor (5.1); Type=
//              server type bits, decimal or 0x hex (0x1003); TimeZone=
//              minutes west of UTC (0); ClockOffset= seconds the server's
//              clock is ahead of this one (0); Printers= comma-separated
//              printer share names; NoInfo=1 (server information fails);
//              NoTime=1 (time of day fails); NoShareAnswer=1 (its share
//              list never comes in time: ERROR_SEM_TIMEOUT). A value that does not read as
//              its kind makes the one call that needs it fail.
//   [Attributes]  keys: paths relative to the root with "/" separators;
//              values: any of the letters r h s a, the entry's DOS
//              attributes. Without a key: files have the archive bit, names
//              beginning with "." are hidden, entries without write
//              permission are read-only.
//   [Dates]    keys as in [Attributes]; values "yyyy-MM-dd hh:mm:ss" or
//              "yyyy-MM-dd", local time: the entry's last-write time. A
//              folder's date also holds for everything below it that has
//              none of its own. Lets a network kept in version control,
//              which does not keep file times, show set dates.
//   Section and key names ignore letter case; key lists are read within the
//   INI object's limit of 16,384 bytes of names per section.
#include <QHash>
#include <QMutex>
#include <QStringList>
#include <optional>

#include "platform/net/NetBackend.h"

class TSimNetwork : public TNetBackend {
 public:
  explicit TSimNetwork(const QString& localRoot);

  int ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) override;
  int Stat(const TFsPath& path, TSearchRec& out) override;
  int Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) override;
  int CreateDir(const TFsPath& path) override;
  int RemoveDir(const TFsPath& path) override;
  int DeleteFile(const TFsPath& path) override;
  qint64 DiskFree(const TFsPath& path) override;
  int DelayMs() const override { return FDelayMs; }

  int Children(const NetApi::NETRESOURCE* parent, QList<NetApi::NETRESOURCE>& out) override;
  int ServerInfo(const QString& server, NetApi::SERVER_INFO_101& out) override;
  int TimeOfDay(const QString& server, NetApi::TIME_OF_DAY_INFO& out) override;
  bool HostAddress(const QString& name, std::array<quint8, 4>& address) override;
  QString ComputerName() override;
  // The server's folder of this machine, as a file URL.
  QUrl DesktopUrl(const QString& server, const QString& share, const QStringList& parts) override;

  static constexpr const char* ProviderName = "Simulated Network";
  const QString& Root() const { return FRoot; }

 private:
  struct TServerConfig {
    QString Ip, Platform, Version, Type, TimeZone, ClockOffset;
    QStringList Printers;
    bool NoInfo = false;
    bool NoTime = false;
    bool NoShareAnswer = false;
  };
  struct TLocated {
    QString Path;  // this machine's path
    QString Key;   // path below the root, "/" separators, lower case
  };

  void ReadDescription();
  // The workgroup and server folder names holding a server; false if none.
  // With `remembered`, a server found before is answered from memory
  // without looking at the folders (the caller notices a server folder that
  // has gone since, and asks again without).
  bool FindServer(const QString& name, QString& workgroup, QString& server, bool remembered = false) const;
  void ForgetServer(const QString& name) const;
  int Locate(const TFsPath& path, TLocated& out) const;
  int LocateWith(const TFsPath& path, bool remembered, TLocated& out) const;
  TServerConfig Config(const QString& server) const;
  void Adjust(const QString& key, std::optional<qint64> inheritedDate, TSearchRec& rec) const;
  std::optional<qint64> DateFor(const QString& key) const;

  QString FRoot;
  QString FThisComputer;
  int FDelayMs = 0;
  QHash<QString, TServerConfig> FServers;  // by lower-case name
  QHash<QString, int> FAttributes;         // by lower-case key
  QHash<QString, qint64> FDates;           // ns since 1970 UTC, by lower-case key
  // Servers found by their names as asked: workgroup and server folder. Only
  // servers that were found are kept, so one added later is found too.
  mutable QMutex FServerMutex;
  mutable QHash<QString, std::pair<QString, QString>> FServerFolders;
};
