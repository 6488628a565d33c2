#pragma once
// The real network: Windows and Samba servers reached over SMB through
// Samba's client libraries (SmbLibrary.h), found by the program's own
// discovery (SmbDiscovery.h). Chosen when TRAWLIX_NETWORK is unset.
//
// - Enumeration: the provider "Microsoft Windows Network"; under it one
//   container per workgroup or domain of the servers that discovery finds
//   when the provider's children are asked (each scan looks anew; a server
//   that announced none takes its own idea of its workgroup, else ours);
//   under each the servers (\\NAME), under each its shares.
// - Files on UNC paths are read only: every write, create, delete and
//   folder call fails with ERROR_ACCESS_DENIED.
// - Before any library call to a server its port 445 is probed
//   (SmbProbe.h), so a server that is gone or hung costs at most the probe.
//   A scan meets each server as soon as discovery names it: the probe (and
//   the patient one for a server slow to answer it), then a session and,
//   where it is needed, its workgroup, while discovery still listens; the
//   walk after discovery finds them made.
// - A server is reached by the address discovery saw, else by name lookup
//   (DNS, NAME.local, LLMNR, mDNS).
// - Credentials are found silently (SmbCredentials.h); a password a server
//   refused is not offered to it again.
#include <QHash>
#include <QMutex>
#include <memory>

#include "platform/discovery/SmbDiscovery.h"
#include "platform/net/NetBackend.h"

class TSmbCredentialSources;
class TSmbLibrary;
struct TSmbCredential;
struct TSmbShare;

class TSmbNetwork : public TNetBackend {
 public:
  TSmbNetwork();

  int ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) override;
  int Stat(const TFsPath& path, TSearchRec& out) override;
  int Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) override;
  int OpenListed(const TFsPath& path, qint64 size, qint64 writeTimeNs, std::unique_ptr<TFileObject>& out) override;
  int CreateDir(const TFsPath& path) override;
  int RemoveDir(const TFsPath& path) override;
  int DeleteFile(const TFsPath& path) override;
  qint64 DiskFree(const TFsPath& path) override;

  int Children(const NetApi::NETRESOURCE* parent, QList<NetApi::NETRESOURCE>& out) override;
  int ServerInfo(const QString& server, NetApi::SERVER_INFO_101& out) override;
  int TimeOfDay(const QString& server, NetApi::TIME_OF_DAY_INFO& out) override;
  bool HostAddress(const QString& name, std::array<quint8, 4>& address) override;
  QString ComputerName() override;
  // An smb:// address by the server's address when one is known already.
  QUrl DesktopUrl(const QString& server, const QString& share, const QStringList& parts) override;

  // For tests only: stands in for discovery, naming each server to `found`
  // as discovery does and answering them all; discovery runs when unset.
  using TDiscoveryStandIn = std::function<QList<TFoundServer>(const std::function<void(const TFoundServer&)>& found)>;
  static TDiscoveryStandIn& DiscoveryStandInForTests();

 private:
  // The host an smb:// address names the server by, from what is known
  // already (discovery saw it or a lookup found it), else the name itself.
  QString KnownHost(const QString& server);
  // The address of a server, dotted; empty when no lookup finds it.
  QString Address(const QString& server);
  // A call to a server with each credential in turn (see SmbCredentials.h),
  // after the probe; `attempt` returns a Windows code.
  int WithServer(const QString& server, QString& host, const std::function<int(const QString& host, const TSmbCredential&)>& attempt);
  // A libnetapi call to a server, made once with the credential the server
  // takes (found by a share list when not known yet): libnetapi reports a
  // refused logon as it reports any failure, so its answer never moves on
  // to the next credential. `call` returns a Windows code.
  int WithLogon(const QString& server, const std::function<int(const QString& host, const TSmbCredential&)>& call);
  // A libnetapi record of a server through WithLogon: `out` is filled only
  // when `call` succeeds; a failure is logged as `what` of the server.
  template <typename TRecord>
  int NetApiRecord(const QString& server, const char* what, TRecord& out,
                   int (TSmbLibrary::*call)(const QString&, const TSmbCredential&, TRecord&));
  int Discover(QList<NetApi::NETRESOURCE>& out);
  // Looks up, side by side and for at most the scan's time, the servers
  // discovery named without an address.
  void ResolveNameless(const QList<TFoundServer>& found);
  // A server's shares for the walk: the list its meeting fetched in this
  // scan, else fetched now with the time it needs (SmbShareList.h).
  // ERROR_SEM_TIMEOUT when the server never answered in time.
  int ListShares(const QString& server, QList<TSmbShare>& shares);
  // The name a Kerberos ticket can reach the server by (tickets name hosts,
  // not addresses): its DNS name in its domain, or its bare name, when the
  // user holds tickets and DNS knows that name; else empty.
  QString KerberosHost(const QString& server);

  QMutex FMutex;
  QList<TFoundServer> FServers;              // the last discovery, groups filled in
  QHash<QString, QString> FSeen;             // upper-case name -> address discovery saw
  QHash<QString, QString> FLookedUp;         // upper-case name -> address found ("" none)
  QHash<QString, QString> FDnsDomain;        // upper-case name -> DNS domain discovery saw
  QHash<QString, QString> FKerberosHost;     // upper-case name -> KerberosHost() ("" none)
  // upper-case name -> the workgroups and domains the server is known by
  // (SmbCredentials.h: a password naming a domain goes only where it fits)
  QHash<QString, QStringList> FGroups;
  // What a scan's meetings with servers (see SmbNetwork.cpp) share with
  // this object and may outlive it by: the credential that worked and the
  // groups servers named.
  struct TShared;
  std::shared_ptr<TShared> FShared;
  // Meets a server discovery has just named (see SmbNetwork.cpp).
  static void Meet(const std::shared_ptr<TShared>& shared, const TFoundServer& server, const QString& address);
};
