#include "SmbDiscovery.h"

#include "platform/LlmnrClient.h"
#include "platform/MdnsClient.h"
#include "platform/SmbDiscoveryRun.h"

namespace SmbDiscovery {

QList<TFoundServer> Run(int budgetMs, const std::function<bool()>& stop, const TOnFound& onFound) {
  return RunWith(DefaultSetup(), budgetMs, stop, onFound);
}

bool LlmnrLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address) {
  TLlmnrClient client(DiscoveryNet::MulticastTargets({224, 0, 0, 252}, 5355), name);
  DiscoveryNet::RunLoop({&client}, DiscoveryNet::NowMs() + std::max(timeoutMs, 0), {});
  return client.Address(address);
}

bool MdnsLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address) {
  TMdnsClient client(DiscoveryNet::MulticastTargets({224, 0, 0, 251}, 5353), TMdnsClient::TMode::LookupHost, name);
  DiscoveryNet::RunLoop({&client}, DiscoveryNet::NowMs() + std::max(timeoutMs, 0), {});
  return client.Address(address);
}

}  // namespace SmbDiscovery
