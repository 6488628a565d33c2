#include "platform/discovery/SmbDiscoveryRun.h"

#include <memory>

#include "platform/core/Log.h"
#include "platform/discovery/MdnsClient.h"
#include "platform/discovery/NetBiosBrowse.h"
#include "platform/discovery/WsdClient.h"

namespace SmbDiscovery {

namespace {

bool GroupsAgree(const TFoundServer& a, const TFoundServer& b) {
  if (a.Group.isEmpty() || b.Group.isEmpty()) return true;
  if (a.Group.compare(b.Group, Qt::CaseInsensitive) == 0) return true;
  if (a.GroupIsDomain == b.GroupIsDomain) return false;
  // A domain member lists in a browse list under the domain's NetBIOS name,
  // which is normally the first label of its DNS name.
  const TFoundServer& dns = a.GroupIsDomain ? a : b;
  const TFoundServer& flat = a.GroupIsDomain ? b : a;
  return dns.Group.section(QLatin1Char('.'), 0, 0).compare(flat.Group, Qt::CaseInsensitive) == 0;
}

bool AddressesAgree(const TFoundServer& a, const TFoundServer& b) {
  if (a.Addresses.isEmpty() || b.Addresses.isEmpty()) return true;
  for (const auto& x : a.Addresses)
    if (b.Addresses.contains(x)) return true;
  return false;
}

void Absorb(TFoundServer& into, const TFoundServer& from) {
  for (const auto& a : from.Addresses)
    if (!into.Addresses.contains(a)) into.Addresses.append(a);
  for (const QString& s : from.Sources)
    if (!into.Sources.contains(s)) into.Sources.append(s);
  if (into.Group.isEmpty() || (from.GroupIsDomain && !into.GroupIsDomain && !from.Group.isEmpty())) {
    into.Group = from.Group;
    into.GroupIsDomain = from.GroupIsDomain;
  }
}

}  // namespace

QList<TFoundServer> Merge(const QList<TFoundServer>& records) {
  QList<TFoundServer> ordered;
  for (const TFoundServer& r : records)
    if (!r.Group.isEmpty()) ordered.append(r);
  for (const TFoundServer& r : records)
    if (r.Group.isEmpty()) ordered.append(r);
  QList<TFoundServer> out;
  for (TFoundServer r : ordered) {
    r.Name = r.Name.toUpper();
    if (!IsServerName(r.Name)) continue;
    bool merged = false;
    for (TFoundServer& e : out) {
      if (e.Name != r.Name || !GroupsAgree(e, r) || !AddressesAgree(e, r)) continue;
      Absorb(e, r);
      merged = true;
    }
    if (!merged) out.append(r);
  }
  return out;
}

TSetup DefaultSetup() {
  TSetup s;
  s.Wsd = DiscoveryNet::MulticastTargets({239, 255, 255, 250}, 3702);
  s.Mdns = DiscoveryNet::MulticastTargets({224, 0, 0, 251}, 5353);
  s.NetBios = DiscoveryNet::BroadcastTargets(137);
  s.BrowseHelper = NetBios::HelperPath();
  s.MdnsAccept = OnSegment();
  // No interface to ask on, or no helper, explains a scan that finds nothing.
  qCDebug(LogDiscovery).nospace() << "asking on " << s.Wsd.size() << " multicast and " << s.NetBios.size()
                                  << " broadcast interface(s); browse helper: "
                                  << (s.BrowseHelper.isEmpty() ? QStringLiteral("not found") : s.BrowseHelper);
  return s;
}

std::function<bool(const TIpv4&)> OnSegment() {
  return [interfaces = DiscoveryNet::LocalInterfaces()](const TIpv4& a) { return Mdns::CanBeServer(a, interfaces); };
}

namespace {

// What the sources have found so far, one record per source and computer.
QList<TFoundServer> Gather(const TWsdClient& wsd, const TMdnsClient& mdns, const TNetBiosBrowse* browse) {
  QList<TFoundServer> found;
  for (const TWsdClient::TComputer& c : wsd.Results()) {
    TFoundServer f;
    f.Name = c.Name;
    f.Group = c.Group;
    f.GroupIsDomain = c.GroupIsDomain;
    f.Addresses = {c.Address};
    f.Sources = {QStringLiteral("wsd")};
    found.append(f);
  }
  if (browse) {
    for (const TNetBiosBrowse::TServer& s : browse->Servers()) {
      TFoundServer f;
      f.Name = s.Name;
      f.Group = s.Group;
      f.Addresses = s.Addresses;
      f.Sources = {QStringLiteral("netbios")};
      found.append(f);
    }
  }
  for (const Mdns::TService& s : mdns.Services()) {
    TFoundServer f;
    // The host's own name is the likelier NetBIOS name; an instance name is
    // free text ("Files on nas").
    f.Name = (s.Host.isEmpty() ? s.Instance : s.Host.section(QLatin1Char('.'), 0, 0)).toUpper();
    f.Addresses = s.Addresses;
    f.Sources = {QStringLiteral("mdns")};
    found.append(f);
  }
  return found;
}

constexpr qint64 LookGapMs = 20;

// Rides along in the poll loop to hand out servers as the sources find
// them. It waits on nothing, so it never keeps the loop running.
class TFoundWatch : public DiscoveryNet::TPollSource {
 public:
  TFoundWatch(std::function<QList<TFoundServer>()> gather, const TOnFound& onFound)
      : FGather(std::move(gather)), FOnFound(onFound) {}
  void Collect(std::vector<pollfd>&, qint64&) override {}
  void Dispatch(const pollfd*, size_t, qint64 nowMs) override {
    // Assembling the answers costs a little, and answers come in bursts:
    // one look per LookGapMs hands a server out soon after its answer.
    if (nowMs < FNextAt) return;
    FNextAt = nowMs + LookGapMs;
    Look();
  }
  bool Finished() const override { return true; }
  void Look() { TellNew(FGather(), FTold, FOnFound); }

 private:
  std::function<QList<TFoundServer>()> FGather;
  const TOnFound& FOnFound;
  QSet<QString> FTold;
  qint64 FNextAt = 0;
};

}  // namespace

void TellNew(const QList<TFoundServer>& found, QSet<QString>& told, const TOnFound& onFound) {
  for (const TFoundServer& f : found) {
    const QString name = f.Name.toUpper();
    if (!IsServerName(name)) continue;
    bool fresh = false;
    for (const auto& a : f.Addresses) {
      const QString key = f.Sources.join(u',') + u'|' + name + u'|' + DiscoveryNet::ToString(a);
      if (told.contains(key)) continue;
      told.insert(key);
      fresh = true;
    }
    if (fresh && onFound) onFound(f);
  }
}

QList<TFoundServer> RunWith(const TSetup& setup, int budgetMs, const std::function<bool()>& stop,
                            const TOnFound& onFound) {
  const qint64 deadline = DiscoveryNet::NowMs() + std::max(budgetMs, 0);
  TWsdClient wsd(setup.Wsd);
  TMdnsClient mdns(setup.Mdns, TMdnsClient::TMode::BrowseSmb, QString(), setup.MdnsAccept);
  std::unique_ptr<TNetBiosBrowse> browse;
  if (!setup.BrowseHelper.isEmpty())
    browse = std::make_unique<TNetBiosBrowse>(setup.BrowseHelper, budgetMs, setup.NetBios);
  TFoundWatch watch([&] { return Gather(wsd, mdns, browse.get()); }, onFound);
  std::vector<DiscoveryNet::TPollSource*> sources{&wsd, &mdns};
  if (browse && browse->Started()) sources.push_back(browse.get());
  if (onFound) sources.push_back(&watch);
  DiscoveryNet::RunLoop(sources, deadline, stop);
  if (browse) browse->Stop();
  const QList<TFoundServer> merged = Merge(Gather(wsd, mdns, browse.get()));
  qCDebug(LogDiscovery) << "found" << merged.size() << "server(s)";
  for (const TFoundServer& f : merged) {
    QStringList addresses;
    for (const auto& a : f.Addresses) addresses.append(DiscoveryNet::ToString(a));
    qCDebug(LogDiscovery).noquote().nospace()
        << "server " << f.Name << " in " << (f.Group.isEmpty() ? QStringLiteral("(no group)") : f.Group)
        << (f.GroupIsDomain ? " (DNS domain)" : "") << " at "
        << (addresses.isEmpty() ? QStringLiteral("(no address)") : addresses.join(u' ')) << " from "
        << f.Sources.join(u',');
  }
  return merged;
}

}  // namespace SmbDiscovery
