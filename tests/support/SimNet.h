#pragma once
// A simulated network built in a temporary folder and made the current
// network back end for the fixture's lifetime (the previous one comes back
// afterwards). Servers, shares, folders and files are added by UNC path;
// network.ini keys are written at once and the back end re-reads them.
//
//   TSimNet net;
//   net.AddServer("WORK", "PC1");
//   net.AddFile("\\\\PC1\\docs\\a\\report.txt", 1200, QDateTime(...), "ra");
//   net.SetServerKey("PC1", "Ip", "10.0.0.5");
//   net.SetDelayMs(50);  // every enumeration and find call waits 50 ms
#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class TNetBackend;

class TSimNet {
 public:
  TSimNet();
  ~TSimNet();
  TSimNet(const TSimNet&) = delete;
  TSimNet& operator=(const TSimNet&) = delete;

  // This machine's path of the network folder (holds network.ini).
  QString Root() const;
  // A fresh local folder beside the network, as a drive path with a final
  // backslash (for destinations of copies and tasks).
  QString LocalFolder(const QString& name);

  void AddWorkgroup(const QString& workgroup);
  void AddServer(const QString& workgroup, const QString& server);
  // Shares, folders and files of a server added before. A file gets `size`
  // bytes of Pattern() (above 1 MiB a sparse file of zeros), the given
  // modification time (local; none: now) and, when given, DOS attribute
  // letters (r h s a) in network.ini. Missing folders on the way are made.
  void AddShare(const QString& server, const QString& share);
  void AddFolder(const QString& unc, const QDateTime& modified = {}, const QString& attributes = QString());
  void AddFile(const QString& unc, qint64 size = 0, const QDateTime& modified = {},
               const QString& attributes = QString());
  void AddFile(const QString& unc, const QByteArray& content, const QDateTime& modified = {},
               const QString& attributes = QString());
  void SetModified(const QString& unc, const QDateTime& modified);

  // network.ini
  void SetKey(const QString& section, const QString& key, const QString& value);
  void SetServerKey(const QString& server, const QString& key, const QString& value) { SetKey(server, key, value); }
  void SetAttributes(const QString& unc, const QString& letters);
  void SetThisComputer(const QString& name) { SetKey("Network", "ThisComputer", name); }
  void SetDelayMs(int ms) { SetKey("Network", "DelayMs", QString::number(ms)); }

  // This machine's path of a UNC path of the network; its path below the
  // root with "/" separators (the network.ini key form).
  QString LocalPath(const QString& unc) const;
  QString RelativePath(const QString& unc) const;

  // The content AddFile gives a file of `size` bytes, from `offset` on.
  static QByteArray Pattern(qint64 size, qint64 offset = 0);

 private:
  void Reload();

  QTemporaryDir FDir;
  QHash<QString, QString> FWorkgroupOf;  // lower-case server -> workgroup
  QHash<QString, QString> FServerName;   // lower-case server -> its name
  std::shared_ptr<TNetBackend> FPrevious;
};
