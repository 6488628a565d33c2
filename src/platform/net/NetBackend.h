#pragma once
// The network back end: what serves UNC paths (the file side of
// FsBackend.h) and the network calls of NetApi.h.
//
// One back end is current at a time, chosen at first use from the
// environment variable TRAWLIX_NETWORK: a folder path selects the simulated
// network in that folder (SimNetwork.h); unset or empty gives the real SMB
// network (SmbNetwork.h), which touches the network only when a call asks.
// The empty network (no resources; every UNC path fails) is for tests,
// which switch back ends with
// UseSimulated / UseEmpty / Use. A back end is immutable once made, so a
// call in flight keeps the one it started with.
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <array>
#include <memory>

#include "platform/fs/FsBackend.h"
#include "platform/net/NetApi.h"

class TNetBackend : public TFsBackend {
 public:
  // The records below `parent`, in order; the top of the network when null.
  virtual int Children(const NetApi::NETRESOURCE* parent, QList<NetApi::NETRESOURCE>& out) = 0;
  virtual int ServerInfo(const QString& server, NetApi::SERVER_INFO_101& out) = 0;
  virtual int TimeOfDay(const QString& server, NetApi::TIME_OF_DAY_INFO& out) = 0;
  virtual bool HostAddress(const QString& name, std::array<quint8, 4>& address) = 0;
  virtual QString ComputerName() = 0;
  // Where the desktop's file manager finds \\server\share\parts (folders
  // and a name below the share; share and parts may be empty), or an empty
  // URL when it is not there. Never waits on the network: the GUI thread
  // asks. By default an smb:// address by the server's name.
  virtual QUrl DesktopUrl(const QString& server, const QString& share, const QStringList& parts);
};

// No network: no resources, every UNC path and server call fails.
class TEmptyNetwork : public TNetBackend {
 public:
  int ListFolder(const TFsPath&, const TWildMask&, TSearchRec&, QList<TSearchRec>&) override;
  int Stat(const TFsPath&, TSearchRec&) override;
  int Open(const TFsPath&, TOpenMode, std::unique_ptr<TFileObject>&) override;
  int CreateDir(const TFsPath&) override;
  int RemoveDir(const TFsPath&) override;
  int DeleteFile(const TFsPath&) override;
  qint64 DiskFree(const TFsPath&) override { return -1; }
  int Children(const NetApi::NETRESOURCE*, QList<NetApi::NETRESOURCE>&) override;
  int ServerInfo(const QString&, NetApi::SERVER_INFO_101&) override;
  int TimeOfDay(const QString&, NetApi::TIME_OF_DAY_INFO&) override;
  bool HostAddress(const QString&, std::array<quint8, 4>&) override { return false; }
  QString ComputerName() override;
};

namespace NetBackend {

std::shared_ptr<TNetBackend> Current();
void Use(std::shared_ptr<TNetBackend> backend);
// The simulated network in a folder of this machine ("/tmp/x/net").
void UseSimulated(const QString& localFolder);
void UseEmpty();
// The back end TRAWLIX_NETWORK asks for, newly made (Current() makes it
// once, at first use).
std::shared_ptr<TNetBackend> FromEnvironment();
// The real network's maker, for an unset TRAWLIX_NETWORK. The SMB layer
// installs it (RealNetwork.cpp), so that this layer never depends on it;
// without it the real network is the empty one.
using TMaker = std::shared_ptr<TNetBackend> (*)();
void SetRealNetwork(TMaker maker);
// This host's name in upper case, without a domain part.
QString HostComputerName();

}  // namespace NetBackend
