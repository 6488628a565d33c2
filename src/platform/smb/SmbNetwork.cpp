#include "platform/smb/SmbNetwork.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QWaitCondition>

#include <unistd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/core/Log.h"
#include "platform/core/WinError.h"
#include "platform/discovery/DiscoveryLoop.h"
#include "platform/fs/WinPath.h"
#include "platform/net/SmbUrl.h"
#include "platform/smb/SmbCredentials.h"
#include "platform/smb/SmbErrors.h"
#include "platform/smb/SmbLibrary.h"
#include "platform/smb/SmbLibraryFile.h"
#include "platform/smb/SmbListPrefetch.h"
#include "platform/smb/SmbProbe.h"
#include "platform/smb/SmbReadAhead.h"
#include "platform/smb/SmbShareList.h"
#include "platform/smb/SmbSplitRead.h"
#include "platform/smb/SmbTree.h"

using namespace NetApi;
using SmbErrors::TLevel;

namespace {

constexpr int DiscoveryBudgetMs = 2500;
constexpr int LookupMs = 700;
// Servers discovery named without an address are looked up side by side
// for at most this long; a scan waits for no more of them.
constexpr int ResolveBudgetMs = 3000;
constexpr int MaxNameless = 128;
// One patient probe of a server that took the connection but was slow to answer.
constexpr int PatientProbeMs = 10000;

std::function<bool()> StopTest() {
  return [] { return TSmbLibrary::Stopped(); };
}

QString Bare(const QString& name) {
  QString n = name;
  while (n.startsWith(u'\\')) n.remove(0, 1);
  return n;
}

// getaddrinfo for IPv4, given at most `ms`: a resolver without an answer
// can take many seconds, so the lookup runs beside the caller and is left
// to finish on its own when too slow.
QString LookUp(const QString& name, int ms) {
  struct TShared {
    std::mutex M;
    std::condition_variable Done;
    bool Finished = false;
    QString Address;
  };
  auto shared = std::make_shared<TShared>();
  std::thread([shared, name] {
    TIpv4 a{};
    const QString address = DiscoveryNet::LookUpIpv4(name, a) ? DiscoveryNet::ToString(a) : QString();
    std::lock_guard lock(shared->M);
    shared->Address = address;
    shared->Finished = true;
    shared->Done.notify_all();
  }).detach();
  std::unique_lock lock(shared->M);
  QElapsedTimer clock;
  clock.start();
  while (!shared->Finished && clock.elapsed() < ms && !TSmbLibrary::Stopped())
    shared->Done.wait_for(lock, std::chrono::milliseconds(50));
  return shared->Finished ? shared->Address : QString();
}

// A name's address by every lookup there is: DNS, NAME.local, LLMNR, mDNS.
QString FindAddress(const QString& name) {
  std::array<quint8, 4> a{};
  QString found;
  if (DiscoveryNet::ParseIpv4(name, a)) found = DiscoveryNet::ToString(a);
  if (found.isEmpty()) found = LookUp(name, LookupMs);
  if (found.isEmpty() && !name.contains(u'.')) found = LookUp(name + QLatin1String(".local"), LookupMs);
  if (found.isEmpty() && !TSmbLibrary::Stopped() && SmbDiscovery::LlmnrLookup(name, LookupMs, a)) found = DiscoveryNet::ToString(a);
  if (found.isEmpty() && !TSmbLibrary::Stopped() && SmbDiscovery::MdnsLookup(name, LookupMs, a)) found = DiscoveryNet::ToString(a);
  qCDebug(LogSmb).noquote() << "address of" << name << "->" << (found.isEmpty() ? QStringLiteral("not found") : found);
  return found;
}

int Abandoned() { return ERROR_BAD_NETPATH; }

// True when the user holds Kerberos tickets (a credential cache exists).
bool HaveTickets() {
  QString cache = qEnvironmentVariable("KRB5CCNAME");
  if (cache.isEmpty()) cache = QStringLiteral("FILE:/tmp/krb5cc_%1").arg(::getuid());
  if (cache.startsWith(QLatin1String("FILE:"))) return QFileInfo::exists(cache.mid(5));
  if (cache.startsWith(u'/')) return QFileInfo::exists(cache);
  return true;  // a keyring or directory cache: let the library look
}

}  // namespace

struct TSmbNetwork::TShared {
  QMutex Mutex;
  QHash<QString, int> Credential;  // upper-case name -> credential that worked
  // upper-case name -> the credential the server took for its share list,
  // on the IPC$ share libnetapi uses too (libsmbclient tells a refusal from
  // other failures; libnetapi does not, so its calls use only a credential
  // proven this way)
  QHash<QString, TSmbCredential> Accepted;
  // What servers said their workgroup or NetBIOS domain is, kept from scan
  // to scan (it seldom changes, and asking costs a round trip): by
  // "NAME|address" and by DNS domain.
  QHash<QString, QString> GroupOf;
  QHash<QString, QString> DomainName;
  // Counts scans, and scans that were stopped: a meeting of an older one
  // makes no further library call.
  std::atomic<int> Scan{0};
  // The share lists the current scan's meetings fetch, by GroupKey: the
  // walk takes each instead of asking the server a second time.
  struct TListing {
    bool Done = false;
    int Error = ERROR_SEM_TIMEOUT;
    // The server was slow and its patient probe went unanswered: the
    // walk takes the timeout as it is instead of asking again.
    bool Final = false;
    QList<TSmbShare> Shares;
  };
  QHash<QString, std::shared_ptr<TListing>> Listings;
  QWaitCondition Changed;  // a listing done, a name resolved
  // Names the current scan looked up beside itself (address, "" none);
  // those still under way count as not found.
  QHash<QString, QString> Resolved;
  QSet<QString> Resolving;
};

namespace {
QString GroupKey(const QString& name, const QString& address) { return name.toUpper() + u'|' + address; }

// By upper-case name, the workgroups and domains servers are known by
// (an empty one for a server that announced none).
QHash<QString, QStringList> AnnouncedGroups(const QList<TFoundServer>& servers) {
  QHash<QString, QStringList> out;
  for (const TFoundServer& s : servers) {
    QStringList& groups = out[s.Name.toUpper()];
    if (!groups.contains(s.Group, Qt::CaseInsensitive)) groups.append(s.Group);
  }
  return out;
}
}  // namespace

// Meets a server discovery has just named, beside the scan and while
// discovery goes on: waits for its probe (and the patient one for a server
// that took the connection but was slow to answer); if it answers, opens a session
// with the credential that works (the library keeps it, so the walk's share
// list finds it open) and asks for its workgroup if it announced none or
// only a DNS domain. Nothing it learns is more than what the walk would
// learn itself; it only learns it earlier.
void TSmbNetwork::Meet(const std::shared_ptr<TShared>& shared, const TFoundServer& server, const QString& address) {
  const int scan = shared->Scan.load();
  const QString key = server.Name.toUpper();
  const bool wantGroup = server.Group.isEmpty() || server.GroupIsDomain;
  const QString domainKey = server.GroupIsDomain ? server.Group.toLower() : QString();
  auto listing = std::make_shared<TShared::TListing>();
  {
    QMutexLocker lock(&shared->Mutex);
    shared->Listings.insert(GroupKey(key, address), listing);
  }
  const TSmbServerId id{key, {server.Group}};
  std::thread([shared, scan, key, id, address, wantGroup, domainKey, listing] {
    const auto stale = [&] { return shared->Scan.load() != scan; };
    const auto listed = [&](int error, const QList<TSmbShare>& shares, bool final = false) {
      QMutexLocker lock(&shared->Mutex);
      listing->Error = error;
      listing->Shares = shares;
      listing->Final = final;
      listing->Done = true;
      shared->Changed.wakeAll();
    };
    // One that took the connection but was slow is given its patience
    // here, beside every other meeting, rather than one after another in
    // the walk; one still silent after it never answers.
    bool answers = SmbProbe::Cached(address, stale);
    const bool patient = !answers && !stale() && SmbProbe::Slow(address);
    if (patient) answers = SmbProbe::Patiently(address, PatientProbeMs, stale);
    if (!answers || stale()) {
      qCDebug(LogSmb).noquote() << "meeting" << key << "at" << address << "->" << (stale() ? "scan over" : "no answer");
      if (stale()) listed(ERROR_SEM_TIMEOUT, {});
      else if (patient || SmbProbe::Silent(address)) listed(ERROR_SEM_TIMEOUT, {}, true);
      else listed(ERROR_BAD_NETPATH, {});
      return;
    }
    int remembered = 0;
    {
      QMutexLocker lock(&shared->Mutex);
      remembered = shared->Credential.value(key, 0);
    }
    const int before = remembered;
    QList<TSmbShare> shares;
    int raw = 0;
    TSmbCredential accepted;
    const int e = SmbCredentials::TryInOrder(
        id, SmbCredentials::System(), TSmbLogons::Process(), remembered,
        [&](const TSmbCredential& c) {
          if (stale()) return int(ERROR_BAD_NETPATH);
          accepted = c;
          raw = TSmbLibrary::Get().Shares(SmbUrl::Build(address), c, shares);
          return SmbErrors::FromErrno(raw, TLevel::Server);
        },
        stale);
    listed(stale() || (e != NO_ERROR && SmbShareList::IsTimeout(raw)) ? ERROR_SEM_TIMEOUT : e, shares);
    qCDebug(LogSmb).noquote().nospace() << "meeting " << key << " at " << address << ": "
                                        << (e == NO_ERROR ? QStringLiteral("%1 share(s)").arg(shares.size())
                                                          : QStringLiteral("share list failed, error %1 (errno %2 %3)")
                                                                .arg(e).arg(raw).arg(raw ? QString::fromLocal8Bit(strerror(raw)) : QString()));
    if (e != NO_ERROR || stale()) return;
    {
      QMutexLocker lock(&shared->Mutex);
      if (remembered != before) shared->Credential.insert(key, remembered);
      shared->Accepted.insert(key, accepted);
      if (!wantGroup || shared->GroupOf.contains(GroupKey(key, address)) ||
          (!domainKey.isEmpty() && shared->DomainName.contains(domainKey)))
        return;
    }
    // Once, with the credential the server just took: libnetapi cannot
    // tell a refusal from other failures.
    QString group;
    if (stale()) return;
    const int g = TSmbLibrary::Get().WorkstationGroup(address, accepted, group);
    if (g != 0) qCDebug(LogSmb).noquote() << "meeting" << key << "at" << address << "-> workgroup not given, status" << g;
    if (g != 0 || stale()) return;
    if (!WinPath::IsPlainEntryName(group)) return;
    QMutexLocker lock(&shared->Mutex);
    shared->GroupOf.insert(GroupKey(key, address), group.toUpper());
    if (!domainKey.isEmpty()) shared->DomainName.insert(domainKey, group.toUpper());
  }).detach();
}

TSmbNetwork::TSmbNetwork() : FShared(std::make_shared<TShared>()) {}

TSmbNetwork::TDiscoveryStandIn& TSmbNetwork::DiscoveryStandInForTests() {
  static TDiscoveryStandIn standIn;
  return standIn;
}

QString TSmbNetwork::Address(const QString& server) {
  const QString key = Bare(server).toUpper();
  if (key.isEmpty()) return {};
  {
    QMutexLocker lock(&FMutex);
    if (auto it = FSeen.constFind(key); it != FSeen.constEnd()) return *it;
    if (auto it = FLookedUp.constFind(key); it != FLookedUp.constEnd()) return *it;
  }
  {
    QMutexLocker lock(&FShared->Mutex);
    if (auto it = FShared->Resolved.constFind(key); it != FShared->Resolved.constEnd()) return *it;
    if (FShared->Resolving.contains(key)) return {};
  }
  // This computer is known without asking the network: by its own address.
  if (key == ComputerName().toUpper()) {
    const QList<DiscoveryNet::TInterface> interfaces = DiscoveryNet::LocalInterfaces();
    if (!interfaces.isEmpty()) return DiscoveryNet::ToString(interfaces.first().Address);
  }
  const QString found = FindAddress(Bare(server));
  if (TSmbLibrary::Stopped()) return found;  // an interrupted lookup proves nothing
  QMutexLocker lock(&FMutex);
  FLookedUp.insert(key, found);
  return found;
}

QString TSmbNetwork::KnownHost(const QString& server) {
  const QString key = Bare(server).toUpper();
  QMutexLocker lock(&FMutex);
  QString a = FSeen.value(key);
  if (a.isEmpty()) a = FLookedUp.value(key);
  return a.isEmpty() ? Bare(server) : a;
}

QUrl TSmbNetwork::DesktopUrl(const QString& server, const QString& share, const QStringList& parts) {
  return TNetBackend::DesktopUrl(KnownHost(server), share, parts);
}

QString TSmbNetwork::KerberosHost(const QString& server) {
  if (!HaveTickets()) return {};
  const QString key = Bare(server).toUpper();
  QString domain;
  {
    QMutexLocker lock(&FMutex);
    if (auto it = FKerberosHost.constFind(key); it != FKerberosHost.constEnd()) return *it;
    domain = FDnsDomain.value(key);
  }
  QString found;
  const QString name = Bare(server).toLower();
  for (const QString& candidate : {domain.isEmpty() ? QString() : name + u'.' + domain, name}) {
    if (candidate.isEmpty() || TSmbLibrary::Stopped()) continue;
    if (!LookUp(candidate, LookupMs).isEmpty()) {
      found = candidate;
      break;
    }
  }
  if (TSmbLibrary::Stopped()) return found;
  QMutexLocker lock(&FMutex);
  FKerberosHost.insert(key, found);
  return found;
}

int TSmbNetwork::WithServer(const QString& server, QString& host,
                            const std::function<int(const QString& host, const TSmbCredential&)>& attempt) {
  // Without an address there is nothing to probe, and the library's own
  // NetBIOS name queries would only cost more time.
  host = Address(server);
  if (host.isEmpty()) qCDebug(LogSmb).noquote() << server << "has no address";
  if (host.isEmpty() || !SmbProbe::Cached(host, StopTest())) return ERROR_BAD_NETPATH;
  if (TSmbLibrary::Stopped()) return Abandoned();
  const QString key = Bare(server).toUpper();
  int remembered = 0;
  TSmbServerId id{key, {}};
  {
    QMutexLocker lock(&FMutex);
    id.Groups = FGroups.value(key);
  }
  {
    QMutexLocker lock(&FShared->Mutex);
    remembered = FShared->Credential.value(key, 0);
  }
  const int before = remembered;
  // The first credential is the user's ticket, if any: it needs the
  // server's name; the others go by address.
  const QString ticketHost = KerberosHost(server);
  const int e = SmbCredentials::TryInOrder(
      id, SmbCredentials::System(), TSmbLogons::Process(), remembered,
      [&](const TSmbCredential& c) { return attempt(c.User.isEmpty() && !ticketHost.isEmpty() ? ticketHost : host, c); },
      StopTest());
  if (e != NO_ERROR) qCDebug(LogSmb).noquote() << server << "at" << host << "failed, error" << e;
  if (e == NO_ERROR && remembered != before) {
    QMutexLocker lock(&FShared->Mutex);
    FShared->Credential.insert(key, remembered);
  }
  return e;
}

int TSmbNetwork::WithLogon(const QString& server, const std::function<int(const QString& host, const TSmbCredential&)>& call) {
  const QString key = Bare(server).toUpper();
  TSmbCredential c;
  bool known = false;
  {
    QMutexLocker lock(&FShared->Mutex);
    if (auto it = FShared->Accepted.constFind(key); it != FShared->Accepted.constEnd()) {
      c = *it;
      known = true;
    }
  }
  QString host;
  if (known) {
    host = Address(server);
    if (host.isEmpty() || !SmbProbe::Cached(host, StopTest())) return ERROR_BAD_NETPATH;
  } else {
    // Which credential the server takes, learnt from its share list (its
    // session is the same IPC$ connection libnetapi then asks on).
    QList<TSmbShare> shares;
    const int e = WithServer(server, host, [&](const QString& h, const TSmbCredential& attempt) {
      const int r = TSmbLibrary::Get().Shares(SmbUrl::Build(h), attempt, shares);
      if (r == TSmbLibrary::Abandoned) return Abandoned();
      c = attempt;
      return SmbErrors::FromErrno(r, TLevel::Server);
    });
    if (e) return e;
    QMutexLocker lock(&FShared->Mutex);
    FShared->Accepted.insert(key, c);
  }
  if (TSmbLibrary::Stopped()) return Abandoned();
  const QString ticketHost = c.User.isEmpty() ? KerberosHost(server) : QString();
  return call(ticketHost.isEmpty() ? host : ticketHost, c);
}

template <typename TRecord>
int TSmbNetwork::NetApiRecord(const QString& server, const char* what, TRecord& out,
                              int (TSmbLibrary::*call)(const QString&, const TSmbCredential&, TRecord&)) {
  TRecord record;
  const int e = WithLogon(server, [&](const QString& h, const TSmbCredential& c) {
    const int r = (TSmbLibrary::Get().*call)(h, c, record);
    if (r == TSmbLibrary::Abandoned) return Abandoned();
    return SmbErrors::FromNetApi(unsigned(r));
  });
  if (e) {
    qCDebug(LogSmb).noquote() << what << "of" << server << "failed, error" << e;
    return e;
  }
  out = record;
  return NERR_Success;
}

// ------------------------------------------------------------ files

int TSmbNetwork::ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) {
  if (!folder.Unc) return ERROR_BAD_NETPATH;
  QList<TSmbEntry> entries;
  QString host;
  const int e = WithServer(folder.Server, host, [&](const QString& h, const TSmbCredential& c) {
    // Listed ahead over another connection when a walk is under way
    // (SmbListPrefetch.h); the subfolders are then listed ahead in turn.
    TSmbListPrefetch& ahead = TSmbListPrefetch::Get();
    const QByteArray url = SmbUrl::Build(h, folder.Share, folder.Parts);
    const int r = ahead.Take(url, c, entries) ? 0 : TSmbLibrary::Get().ListDir(url, c, entries);
    if (r == TSmbLibrary::Abandoned) {
      ahead.Drop();
      return Abandoned();
    }
    if (r == 0) ahead.Offer(TSmbListPrefetch::Subfolders(h, folder, entries), c);
    return SmbErrors::FromErrno(r, folder.Parts.isEmpty() ? TLevel::Share : TLevel::Below, true);
  });
  if (e) return e;
  SmbTree::Listing(entries, mask, self, out);
  return NO_ERROR;
}

int TSmbNetwork::Stat(const TFsPath& path, TSearchRec& out) {
  if (!path.Unc) return ERROR_BAD_NETPATH;
  TSmbEntry entry;
  QString host;
  const int e = WithServer(path.Server, host, [&](const QString& h, const TSmbCredential& c) {
    const int r = TSmbLibrary::Get().Stat(SmbUrl::Build(h, path.Share, path.Parts), c, entry);
    if (r == TSmbLibrary::Abandoned) return Abandoned();
    return SmbErrors::FromErrno(r, path.Parts.isEmpty() ? TLevel::Share : TLevel::Below);
  });
  if (e) return e;
  entry.Name = path.Parts.isEmpty() ? path.Share : path.Parts.last();
  if (!WinPath::IsPlainEntryName(entry.Name)) return ERROR_FILE_NOT_FOUND;
  QList<TSearchRec> one;
  TSearchRec self;
  SmbTree::Listing({entry}, TWildMask(QStringLiteral("*")), self, one);
  if (one.isEmpty()) return ERROR_FILE_NOT_FOUND;
  out = one.first();
  return NO_ERROR;
}

int TSmbNetwork::Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) {
  if (!path.Unc) return ERROR_BAD_NETPATH;
  if (mode != TOpenMode::Read) return ERROR_ACCESS_DENIED;  // the program never writes to a share
  if (path.Parts.isEmpty()) return ERROR_ACCESS_DENIED;
  qint64 handle = 0, size = 0, time = 0;
  QString host;
  QByteArray url;
  TSmbCredential used;  // a second connection logs on as this one did
  const int e = WithServer(path.Server, host, [&](const QString& h, const TSmbCredential& c) {
    url = SmbUrl::Build(h, path.Share, path.Parts);
    used = c;
    const int r = TSmbLibrary::Get().Open(url, c, handle, size, time);
    if (r == TSmbLibrary::Abandoned) return Abandoned();
    return SmbErrors::FromErrno(r, TLevel::Below);
  });
  if (e) return e;
  out = std::make_unique<TSmbReadAheadFile>(SmbFileSource(host, url, used, handle, size, time),
                                            SmbReadSize::Remembered(host));
  return NO_ERROR;
}

int TSmbNetwork::OpenListed(const TFsPath& path, qint64 size, qint64 writeTimeNs, std::unique_ptr<TFileObject>& out) {
  // Only a file whose read of one byte past its listed size is one request
  // on any server: a read split into several that meets the end early
  // would leave requests under way (SmbReadSize::AtTheEnd).
  if (!path.Unc || path.Parts.isEmpty() || size < 0 || size >= SmbReadSize::AtTheEnd)
    return Open(path, TOpenMode::Read, out);
  TSmbEntry listed;
  listed.Size = size;
  listed.WriteTimeNs = writeTimeNs;
  TSmbLibrary::TOpened opened;
  QString host;
  const int e = WithServer(path.Server, host, [&](const QString& h, const TSmbCredential& c) {
    const int r = TSmbLibrary::Get().OpenListed(SmbUrl::Build(h, path.Share, path.Parts), c, listed, opened);
    if (r == TSmbLibrary::Abandoned) return Abandoned();
    return SmbErrors::FromErrno(r, TLevel::Below);
  });
  if (e) return e;
  out = std::make_unique<TSmbReadAheadFile>(std::make_unique<TSmbLibraryFile>(host, std::move(opened)),
                                            SmbReadSize::Remembered(host));
  return NO_ERROR;
}

int TSmbNetwork::CreateDir(const TFsPath&) { return ERROR_ACCESS_DENIED; }
int TSmbNetwork::RemoveDir(const TFsPath&) { return ERROR_ACCESS_DENIED; }
int TSmbNetwork::DeleteFile(const TFsPath&) { return ERROR_ACCESS_DENIED; }

qint64 TSmbNetwork::DiskFree(const TFsPath& path) {
  if (!path.Unc) return -1;
  qint64 bytes = -1;
  QString host;
  const int e = WithServer(path.Server, host, [&](const QString& h, const TSmbCredential& c) {
    const int r = TSmbLibrary::Get().FreeSpace(SmbUrl::Build(h, path.Share, path.Parts), c, bytes);
    if (r == TSmbLibrary::Abandoned) return Abandoned();
    return SmbErrors::FromErrno(r, TLevel::Below, true);
  });
  return e == NO_ERROR ? bytes : -1;
}

// ------------------------------------------------------------ enumeration

int TSmbNetwork::Discover(QList<NETRESOURCE>& out) {
  SmbProbe::Forget();
  {
    QMutexLocker lock(&FMutex);
    FLookedUp.clear();
  }
  ++FShared->Scan;
  {
    QMutexLocker lock(&FShared->Mutex);
    FShared->Listings.clear();
    FShared->Resolved.clear();
    FShared->Resolving.clear();
  }
  SmbCredentials::System().NewScan();
  TSmbLibrary::Get().Prepare();
  // Each server is probed as soon as discovery names its address, side by
  // side and while discovery still listens, and met if it answers (see
  // Meet): a server that does not answer then costs the scan nothing beyond
  // discovery's own time, and the walk finds sessions open. A user with a
  // Kerberos ticket is met by name, which the walk does itself.
  const bool meet = !HaveTickets();
  QSet<QString> met;
  const auto named = [&](const TFoundServer& s) {
    for (const auto& a : s.Addresses) {
      const QString address = DiscoveryNet::ToString(a);
      SmbProbe::Start(address);
      if (meet && WinPath::IsPlainEntryName(s.Name) && !met.contains(GroupKey(s.Name, address))) {
        met.insert(GroupKey(s.Name, address));
        Meet(FShared, s, address);
      }
    }
  };
  const TDiscoveryStandIn& standIn = DiscoveryStandInForTests();
  QList<TFoundServer> found = standIn ? standIn(named) : SmbDiscovery::Run(DiscoveryBudgetMs, StopTest(), named);
  const auto stopped = [this] {
    ++FShared->Scan;  // what is still meeting servers gives up
    return ERROR_NO_NETWORK;
  };
  if (TSmbLibrary::Stopped()) return stopped();
  qCDebug(LogSmb) << "scan: discovery named" << found.size() << "server(s)";
  QHash<QString, QString> seen, domains;
  for (const TFoundServer& s : found) {
    if (!s.Addresses.isEmpty() && !seen.contains(s.Name.toUpper())) seen.insert(s.Name.toUpper(), DiscoveryNet::ToString(s.Addresses.first()));
    if (s.GroupIsDomain && WinPath::IsPlainEntryName(s.Group)) domains.insert(s.Name.toUpper(), s.Group.toLower());
  }
  {
    QMutexLocker lock(&FMutex);
    FSeen = seen;
    FDnsDomain = domains;
    FKerberosHost.clear();
    FGroups = AnnouncedGroups(found);
  }
  // Those found last are probed now; the walk that follows waits at most
  // once for a server that does not answer.
  for (const QString& address : seen) SmbProbe::Start(address);
  ResolveNameless(found);
  if (TSmbLibrary::Stopped()) return stopped();
  // Servers without a workgroup, or with a DNS domain, are asked for their
  // own workgroup or NetBIOS domain name (unless a meeting or an earlier
  // scan has); else they join ours.
  QString local;
  for (TFoundServer& s : found) {
    if (!s.Group.isEmpty() && !s.GroupIsDomain) continue;
    if (TSmbLibrary::Stopped()) return stopped();
    const QString serverKey = GroupKey(s.Name, seen.value(s.Name.toUpper()));
    const QString domainKey = s.GroupIsDomain ? s.Group.toLower() : QString();
    QString known;
    {
      QMutexLocker lock(&FShared->Mutex);
      // A domain member names its NetBIOS domain as its workgroup.
      known = domainKey.isEmpty() ? FShared->GroupOf.value(serverKey)
                                  : FShared->DomainName.value(domainKey, FShared->GroupOf.value(serverKey));
    }
    if (!known.isEmpty()) {
      s.Group = known;
      s.GroupIsDomain = false;
      continue;
    }
    QString group;
    const int e = NetApiRecord(s.Name, "workgroup", group, &TSmbLibrary::WorkstationGroup);
    if (e == NO_ERROR && WinPath::IsPlainEntryName(group)) {
      s.Group = group.toUpper();
      s.GroupIsDomain = false;
      QMutexLocker lock(&FShared->Mutex);
      if (domainKey.isEmpty()) FShared->GroupOf.insert(serverKey, s.Group);
      else FShared->DomainName.insert(domainKey, s.Group);
    } else if (s.Group.isEmpty()) {
      qCDebug(LogSmb).noquote() << s.Name << ": workgroup not given, taking the local one";
      if (local.isEmpty()) local = TSmbLibrary::Get().LocalWorkgroup();
      s.Group = local;
    }
  }
  if (TSmbLibrary::Stopped()) return stopped();
  {
    QMutexLocker lock(&FMutex);
    FServers = found;
    // What the servers said of themselves counts as announced too.
    for (auto [name, groups] : AnnouncedGroups(found).asKeyValueRange()) FGroups[name] += groups;
  }
  out = SmbTree::GroupRecords(found);
  return NO_ERROR;
}

void TSmbNetwork::ResolveNameless(const QList<TFoundServer>& found) {
  QStringList names;
  {
    QMutexLocker lock(&FShared->Mutex);
    for (const TFoundServer& s : found) {
      const QString key = s.Name.toUpper();
      if (!s.Addresses.isEmpty() || names.size() >= MaxNameless || names.contains(key)) continue;
      names.append(key);
      FShared->Resolving.insert(key);
    }
  }
  const int scan = FShared->Scan.load();
  for (const QString& name : names) {
    std::thread([shared = FShared, scan, name] {
      const QString address = FindAddress(name);
      QMutexLocker lock(&shared->Mutex);
      if (shared->Scan.load() != scan) return;
      shared->Resolving.remove(name);
      shared->Resolved.insert(name, address);
      if (!address.isEmpty()) SmbProbe::Start(address);
      shared->Changed.wakeAll();
    }).detach();
  }
  // Those not found within the budget count as not found in this scan
  // (the walk asks no further); a late answer still serves later calls.
  QElapsedTimer clock;
  clock.start();
  QMutexLocker lock(&FShared->Mutex);
  while (!FShared->Resolving.isEmpty() && clock.elapsed() < ResolveBudgetMs && !TSmbLibrary::Stopped())
    FShared->Changed.wait(&FShared->Mutex, 50);
}

int TSmbNetwork::ListShares(const QString& server, QList<TSmbShare>& shares) {
  std::shared_ptr<TShared::TListing> listing;
  {
    const QString key = GroupKey(Bare(server), Address(server));
    QMutexLocker lock(&FShared->Mutex);
    listing = FShared->Listings.take(key);
    while (listing && !listing->Done && !TSmbLibrary::Stopped()) FShared->Changed.wait(&FShared->Mutex, 50);
  }
  if (TSmbLibrary::Stopped()) return Abandoned();
  if (listing && (listing->Error != ERROR_SEM_TIMEOUT || listing->Final)) {
    shares = listing->Shares;
    return listing->Error;
  }
  using SmbShareList::TOutcome;
  int e = ERROR_SEM_TIMEOUT;
  SmbShareList::Patiently(SmbShareList::BoundMs, StopTest(), [&](int leftMs) {
    const QString address = Address(server);
    if (address.isEmpty()) {
      e = ERROR_BAD_NETPATH;
      return TOutcome::Failed;
    }
    // A server that took the connection but answered late is given longer,
    // once: one still silent after that never answers, and is asked no more.
    if (SmbProbe::Slow(address) && !SmbProbe::Patiently(address, std::min(leftMs, PatientProbeMs), StopTest())) {
      e = ERROR_SEM_TIMEOUT;
      return TOutcome::Failed;
    }
    // One that takes connections and answers nothing is there, unanswered.
    if (SmbProbe::Silent(address) && !SmbProbe::Cached(address, StopTest())) {
      e = ERROR_SEM_TIMEOUT;
      return TOutcome::Failed;
    }
    int raw = 0;
    QString host;
    e = WithServer(server, host, [&](const QString& h, const TSmbCredential& c) {
      raw = TSmbLibrary::Get().Shares(SmbUrl::Build(h), c, shares);
      if (raw == TSmbLibrary::Abandoned) return Abandoned();
      return SmbErrors::FromErrno(raw, TLevel::Server);
    });
    if (e == NO_ERROR) return TOutcome::Listed;
    if (TSmbLibrary::Stopped()) return TOutcome::Failed;
    if (SmbShareList::IsTimeout(raw) || (raw == 0 && SmbProbe::Slow(address))) {
      e = ERROR_SEM_TIMEOUT;
      return TOutcome::TimedOut;
    }
    return TOutcome::Failed;
  });
  if (e != NO_ERROR) qCDebug(LogSmb).noquote() << "share list of" << server << "failed, error" << e;
  return e;
}

int TSmbNetwork::Children(const NETRESOURCE* parent, QList<NETRESOURCE>& out) {
  out.clear();
  if (!parent) {
    out.append(SmbTree::ProviderRecord());
    return NO_ERROR;
  }
  if (!(parent->dwUsage & RESOURCEUSAGE_CONTAINER)) return ERROR_NOT_CONTAINER;
  const QString remote = parent->lpRemoteName;
  if (parent->dwDisplayType == RESOURCEDISPLAYTYPE_NETWORK || remote == QLatin1String(SmbTree::ProviderName))
    return Discover(out);
  if (remote.startsWith(QLatin1String("\\\\"))) {
    const QString server = Bare(remote);
    if (!WinPath::IsPlainEntryName(server)) return ERROR_BAD_NETPATH;
    QList<TSmbShare> shares;
    if (const int e = ListShares(server, shares)) return e;
    out = SmbTree::ShareRecords(server, shares);
    return NO_ERROR;
  }
  QList<TFoundServer> servers;
  {
    QMutexLocker lock(&FMutex);
    servers = FServers;
  }
  out = SmbTree::ServerRecords(servers, remote);
  return out.isEmpty() ? ERROR_BAD_NETPATH : NO_ERROR;
}

// ------------------------------------------------------------ server information

int TSmbNetwork::ServerInfo(const QString& server, SERVER_INFO_101& out) {
  return NetApiRecord(server, "server information", out, &TSmbLibrary::ServerInfo);
}

int TSmbNetwork::TimeOfDay(const QString& server, TIME_OF_DAY_INFO& out) {
  return NetApiRecord(server, "time of day", out, &TSmbLibrary::TimeOfDay);
}

bool TSmbNetwork::HostAddress(const QString& name, std::array<quint8, 4>& address) {
  const QString a = Address(name);
  return !a.isEmpty() && DiscoveryNet::ParseIpv4(a, address);
}

QString TSmbNetwork::ComputerName() {
  // The NetBIOS form the network shows this computer by: at most 15 characters.
  return NetBackend::HostComputerName().left(15);
}
