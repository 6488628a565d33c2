#include "platform/discovery/MdnsClient.h"

#include <QRandomGenerator>

#include <cstring>

#include "platform/core/Log.h"

namespace {

// Bounds on what a crowded (or hostile) link can make this run keep and work through.
constexpr qsizetype MaxRecords = 1024;
constexpr qsizetype MaxInstances = 128;
// What one answer, and one responder, can add: a host offers SMB once or a
// few times, so one that names hundreds of services is not believed beyond this.
constexpr int MaxRecordsPerAnswer = 64;
constexpr int MaxInstancesPerResponder = 16;
// Responders answer within milliseconds; a browse ends once this long has
// passed without news after its last question.
constexpr qint64 QuietMs = 400;

const Dns::TName& SmbService() {
  static const Dns::TName name = Dns::NameFromText(QStringLiteral("_smb._tcp.local"));
  return name;
}

QByteArray Key(const Dns::TName& name, quint16 type) {
  return Dns::NameToText(name).toLower().toUtf8() + '/' + QByteArray::number(type);
}

}  // namespace

namespace Mdns {

QList<TIpv4> AddressesOf(const QList<Dns::TRecord>& records, const Dns::TName& name) {
  QList<TIpv4> out;
  for (const Dns::TRecord& r : records)
    if (r.Type == Dns::kTypeA && Dns::SameName(r.Name, name) && !out.contains(r.Address) && r.Address != TIpv4{})
      out.append(r.Address);
  return out;
}

QList<TService> Assemble(const QList<Dns::TRecord>& records, const Dns::TName& service,
                         QList<QPair<Dns::TName, quint16>>* missing) {
  QList<TService> out;
  QList<Dns::TName> instances;
  for (const Dns::TRecord& r : records) {
    // An instance is one label in front of the service name.
    if (r.Type != Dns::kTypePtr || !Dns::SameName(r.Name, service) || r.Target.size() != service.size() + 1 ||
        !Dns::SameName(r.Target.mid(1), service) || r.Ttl == 0)
      continue;
    bool seen = false;
    for (const Dns::TName& i : instances) seen = seen || Dns::SameName(i, r.Target);
    if (!seen && instances.size() < MaxInstances) instances.append(r.Target);
  }
  for (const Dns::TName& instance : instances) {
    TService s;
    s.Instance = QString::fromUtf8(instance[0]);
    const Dns::TRecord* srv = nullptr;
    for (const Dns::TRecord& r : records)
      if (r.Type == Dns::kTypeSrv && Dns::SameName(r.Name, instance) && !r.Target.isEmpty()) srv = &r;
    if (!srv) {
      if (missing) missing->append({instance, Dns::kTypeSrv});
    } else {
      s.Port = srv->Port;
      Dns::TName host = srv->Target;
      s.Addresses = AddressesOf(records, host);
      if (s.Addresses.isEmpty() && missing) missing->append({host, Dns::kTypeA});
      if (host.size() > 1 && host.last().compare("local", Qt::CaseInsensitive) == 0) host.removeLast();
      s.Host = Dns::NameToText(host);
    }
    out.append(s);
  }
  return out;
}

bool CanBeServer(const TIpv4& a, const QList<DiscoveryNet::TInterface>& interfaces) {
  if (a == TIpv4{} || a[0] == 127 || a[0] >= 224) return false;  // 224/4 multicast, 240/4 and 255.255.255.255
  for (const DiscoveryNet::TInterface& f : interfaces)
    if (a == f.Address || (f.CanBroadcast && a == f.Broadcast)) return false;
  return true;
}

}  // namespace Mdns

TMdnsClient::TMdnsClient(const QList<DiscoveryNet::TTarget>& targets, TMode mode, const QString& name, TAccept accept)
    : FMode(mode), FId(quint16(QRandomGenerator::global()->bounded(1, 0xffff))), FAccept(std::move(accept)) {
  if (mode == TMode::BrowseSmb) {
    FName = SmbService();
  } else {
    QString n = name;
    if (!n.endsWith(QLatin1String(".local"), Qt::CaseInsensitive)) n += QLatin1String(".local");
    FName = Dns::NameFromText(n);
  }
  if (FName.isEmpty()) return;
  FSockets.Open(targets);
}

TMdnsClient::~TMdnsClient() = default;

void TMdnsClient::Ask(const Dns::TName& name, quint16 type) {
  QByteArray key = Key(name, type);
  if (FAsked.contains(key)) return;
  FAsked.insert(key);
  QByteArray q = Dns::BuildQuery(FId, 0, name, type);
  if (q.isEmpty()) return;
  FSockets.SendAll(q);
  FLastAskMs = DiscoveryNet::NowMs();
}

void TMdnsClient::Collect(std::vector<pollfd>& fds, qint64&) {
  if (!FStarted) {
    FStarted = true;
    Ask(FName, FMode == TMode::BrowseSmb ? Dns::kTypePtr : Dns::kTypeA);
  }
  FSockets.Collect(fds);
}

void TMdnsClient::Dispatch(const pollfd* fds, size_t count, qint64) {
  for (size_t i = 0; i < count && i < size_t(FSockets.Count()); ++i)
    if (fds[i].revents & POLLIN) Read(int(i));
}

void TMdnsClient::Read(int socketIndex) {
  QByteArray data;
  TIpv4 from{};
  quint16 port = 0;
  bool added = false;
  for (int n = 0; n < 64 && FSockets.Receive(socketIndex, data, from, port); ++n) {
    Dns::TMessage m;
    // A legacy-unicast answer repeats the query's identifier.
    if (!Dns::Parse(data, m) || m.Id != FId || !(m.Flags & Dns::kFlagResponse)) continue;
    quint32 sender = 0;
    std::memcpy(&sender, from.data(), 4);
    int taken = 0;
    for (const Dns::TRecord& r : m.Records) {
      if (r.Class != Dns::kClassIn || FRecords.size() >= MaxRecords || taken >= MaxRecordsPerAnswer) continue;
      if (r.Type == Dns::kTypeA && FAccept && !FAccept(r.Address)) continue;
      if (r.Type == Dns::kTypePtr && FMode == TMode::BrowseSmb) {
        QSet<QByteArray>& named = FInstancesFrom[sender];
        const QByteArray instance = Dns::NameToText(r.Target).toLower().toUtf8();
        if (!named.contains(instance) && named.size() >= MaxInstancesPerResponder) continue;
        named.insert(instance);
      }
      FRecords.append(r);
      ++taken;
      added = true;
    }
    if (taken) qCDebug(LogDiscovery).noquote() << "mDNS: answer from" << DiscoveryNet::ToString(from) << "with" << taken << "record(s)";
  }
  if (added) FLastAnswerMs = DiscoveryNet::NowMs();
  if (!added || FMode != TMode::BrowseSmb) return;
  // Responders may leave SRV or A records out of the additional section.
  QList<QPair<Dns::TName, quint16>> missing;
  Mdns::Assemble(FRecords, FName, &missing);
  for (const auto& m : missing) Ask(m.first, m.second);
}

bool TMdnsClient::Finished() const {
  if (FSockets.IsEmpty()) return true;
  TIpv4 a{};
  if (FMode == TMode::LookupHost) return Address(a);
  // A browse is done when its questions have had time to be answered and
  // answers have stopped coming.
  const qint64 now = DiscoveryNet::NowMs();
  return FStarted && now - FLastAskMs >= QuietMs && now - FLastAnswerMs >= QuietMs;
}

QList<Mdns::TService> TMdnsClient::Services() const {
  QList<Mdns::TService> services = Mdns::Assemble(FRecords, FName);
  // A service is a server once its host has an address a server of the
  // segment can have: an instance name alone, or a host announced only at
  // loopback, broadcast or this computer's own address, is none.
  services.removeIf([](const Mdns::TService& s) { return s.Addresses.isEmpty(); });
  return services;
}

bool TMdnsClient::Address(TIpv4& address) const {
  const QList<TIpv4> found = Mdns::AddressesOf(FRecords, FName);
  if (found.isEmpty()) return false;
  address = found.first();
  return true;
}
