#pragma once
// Multicast DNS without a local daemon: "legacy unicast" queries (sent from
// an ordinary port, so responders answer this socket directly) as one
// poll-loop source. Either browses DNS-SD _smb._tcp (PTR -> SRV -> A, asking
// again only for what the answers left out), or looks up one NAME.local.
#include <QList>
#include <QSet>
#include <QString>

#include "platform/MdnsPacket.h"
#include "platform/SmbDiscoveryLoop.h"

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

}  // namespace Mdns

class TMdnsClient : public DiscoveryNet::TPollSource {
 public:
  enum class TMode { BrowseSmb, LookupHost };
  // Browse: `name` is unused. Lookup: `name` is a host name ("SRV3" or
  // "srv3.local"). Destinations are normally 224.0.0.251:5353 per interface.
  TMdnsClient(const QList<DiscoveryNet::TTarget>& targets, TMode mode, const QString& name = QString());
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
  struct TSocket {
    int Fd = -1;
    DiscoveryNet::TTarget Target;
  };
  void Ask(const Dns::TName& name, quint16 type);
  void Read(int socketIndex);

  QList<TSocket> Sockets;
  TMode Mode;
  Dns::TName Name;
  quint16 Id;
  bool Started = false;
  QSet<QByteArray> Asked;
  QList<Dns::TRecord> Records;
};
