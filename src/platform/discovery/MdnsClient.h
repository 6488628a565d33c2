#pragma once
// Multicast DNS without a local daemon: "legacy unicast" queries (sent from
// an ordinary port, so responders answer this socket directly) as one
// poll-loop source. Either browses DNS-SD _smb._tcp (PTR -> SRV -> A, asking
// again only for what the answers left out), or looks up one NAME.local.
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>

#include "platform/discovery/DiscoveryLoop.h"
#include "platform/discovery/DnsPacket.h"

namespace Mdns {

// One DNS-SD instance as far as the records tell.
struct TService {
  QString Instance;  // the instance label, e.g. "SRV3"
  QString Host;      // SRV target without ".local", empty when unknown
  quint16 Port = 0;
  QList<TIpv4> Addresses;
};

// Assembles the instances of `service` from every record gathered. Names that
// still need asking (SRV of an instance, A of a host) go to `missing`.
QList<TService> Assemble(const QList<Dns::TRecord>& records, const Dns::TName& service,
                         QList<QPair<Dns::TName, quint16>>* missing = nullptr);

// The addresses `records` give for name.
QList<TIpv4> AddressesOf(const QList<Dns::TRecord>& records, const Dns::TName& name);

// True when `address` can be a server on the segments of `interfaces`: not
// unspecified, loop-back, multicast or a broadcast address, and not one of
// this computer's own addresses (an answer naming those sends the program
// to itself or nowhere).
bool CanBeServer(const TIpv4& address, const QList<DiscoveryNet::TInterface>& interfaces);

}  // namespace Mdns

class TMdnsClient : public DiscoveryNet::TPollSource {
 public:
  enum class TMode { BrowseSmb, LookupHost };
  // Browse: `name` is unused. Lookup: `name` is a host name ("SRV3" or
  // "srv3.local"). Destinations are normally 224.0.0.251:5353 per interface.
  // `accept` (when set) decides which addresses answers may give; the others
  // are dropped as if never sent.
  using TAccept = std::function<bool(const TIpv4&)>;
  TMdnsClient(const QList<DiscoveryNet::TTarget>& targets, TMode mode, const QString& name = QString(),
              TAccept accept = {});
  ~TMdnsClient() override;
  TMdnsClient(const TMdnsClient&) = delete;
  TMdnsClient& operator=(const TMdnsClient&) = delete;

  void Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) override;
  void Dispatch(const pollfd* fds, size_t count, qint64 nowMs) override;
  bool Finished() const override;

  QList<Mdns::TService> Services() const;
  // Lookup mode: the first address found.
  bool Address(TIpv4& address) const;

 private:
  void Ask(const Dns::TName& name, quint16 type);
  void Read(int socketIndex);

  DiscoveryNet::TUdpSockets FSockets;
  TMode FMode;
  Dns::TName FName;
  quint16 FId;
  bool FStarted = false;
  QSet<QByteArray> FAsked;
  QList<Dns::TRecord> FRecords;
  TAccept FAccept;
  QHash<quint32, QSet<QByteArray>> FInstancesFrom;  // instances each responder has named
  qint64 FLastAskMs = 0;
  qint64 FLastAnswerMs = 0;
};
