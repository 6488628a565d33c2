#include "platform/discovery/LlmnrClient.h"

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
    : FName(Dns::NameFromText(name)), FId(quint16(QRandomGenerator::global()->bounded(1, 0xffff))) {
  if (FName.isEmpty()) return;
  FSockets.Open(targets);
}

TLlmnrClient::~TLlmnrClient() = default;

void TLlmnrClient::Collect(std::vector<pollfd>& fds, qint64&) {
  if (!FSent) {
    FSent = true;
    const QByteArray q = Dns::BuildQuery(FId, 0, FName, Dns::kTypeA);
    FSockets.SendAll(q);
  }
  FSockets.Collect(fds);
}

void TLlmnrClient::Dispatch(const pollfd* fds, size_t count, qint64) {
  for (size_t i = 0; i < count && i < size_t(FSockets.Count()) && !FFound; ++i) {
    if (!(fds[i].revents & POLLIN)) continue;
    QByteArray data;
    TIpv4 from{};
    quint16 port = 0;
    for (int n = 0; n < 16 && !FFound && FSockets.Receive(int(i), data, from, port); ++n)
      FFound = Llmnr::AnswerAddress(data, FId, FName, FResult);
  }
}

bool TLlmnrClient::Address(TIpv4& address) const {
  if (FFound) address = FResult;
  return FFound;
}
