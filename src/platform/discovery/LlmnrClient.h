#pragma once
// One LLMNR query for a host name's IPv4 address (what Windows computers and
// wsdd2 answer on the local link), as a poll-loop source.
#include <QList>
#include <QString>

#include "platform/discovery/DiscoveryLoop.h"
#include "platform/discovery/DnsPacket.h"

namespace Llmnr {
// The address an answer gives for name (id: the query's identifier).
bool AnswerAddress(const QByteArray& answer, quint16 id, const Dns::TName& name, TIpv4& address);
}  // namespace Llmnr

class TLlmnrClient : public DiscoveryNet::TPollSource {
 public:
  // Destinations are normally 224.0.0.252:5355 per interface.
  TLlmnrClient(const QList<DiscoveryNet::TTarget>& targets, const QString& name);
  ~TLlmnrClient() override;
  TLlmnrClient(const TLlmnrClient&) = delete;
  TLlmnrClient& operator=(const TLlmnrClient&) = delete;

  void Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) override;
  void Dispatch(const pollfd* fds, size_t count, qint64 nowMs) override;
  bool Finished() const override { return FFound || FSockets.IsEmpty(); }

  bool Address(TIpv4& address) const;

 private:
  DiscoveryNet::TUdpSockets FSockets;
  Dns::TName FName;
  quint16 FId;
  bool FSent = false;
  bool FFound = false;
  TIpv4 FResult{};
};
