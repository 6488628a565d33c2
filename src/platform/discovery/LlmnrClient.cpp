#include "LlmnrClient.h"

#include <QRandomGenerator>

namespace Llmnr {

bool AnswerAddress(const QByteArray& answer, quint16 id, const Dns::TName& name, TIpv4& address) {
  Dns::TMessage m;
  if (!Dns::Parse(answer, m) || m.Id != id || !(m.Flags & Dns::kFlagResponse) || (m.Flags & 0x000f) != 0)
    return false;
  for (const Dns::TRecord& r : m.Records)
    if (r.Type == Dns::kTypeA && r.Class == Dns::kClassIn && Dns::SameName(r.Name, name) && r.Address != TIpv4{}) {
      address = r.Address;
      return true;
    }
  return false;
}

}  // namespace Llmnr

TLlmnrClient::TLlmnrClient(const QList<DiscoveryNet::TTarget>& targets, const QString& name)
    : Name(Dns::NameFromText(name)), Id(quint16(QRandomGenerator::global()->bounded(1, 0xffff))) {
  if (Name.isEmpty()) return;
  Sockets.Open(targets);
}

TLlmnrClient::~TLlmnrClient() = default;

void TLlmnrClient::Collect(std::vector<pollfd>& fds, qint64&) {
  if (!Sent) {
    Sent = true;
    const QByteArray q = Dns::BuildQuery(Id, 0, Name, Dns::kTypeA);
    Sockets.SendAll(q);
  }
  Sockets.Collect(fds);
}

void TLlmnrClient::Dispatch(const pollfd* fds, size_t count, qint64) {
  for (size_t i = 0; i < count && i < size_t(Sockets.Count()) && !Found; ++i) {
    if (!(fds[i].revents & POLLIN)) continue;
    QByteArray data;
    TIpv4 from{};
    quint16 port = 0;
    for (int n = 0; n < 16 && !Found && Sockets.Receive(int(i), data, from, port); ++n)
      Found = Llmnr::AnswerAddress(data, Id, Name, Result);
  }
}

bool TLlmnrClient::Address(TIpv4& address) const {
  if (Found) address = Result;
  return Found;
}
