#include "platform/discovery/SmbDiscovery.h"

#include "platform/core/Log.h"
#include "platform/discovery/LlmnrClient.h"
#include "platform/discovery/MdnsClient.h"
#include "platform/discovery/SmbDiscoveryRun.h"
#include "platform/fs/WinPath.h"

namespace SmbDiscovery {

QList<TFoundServer> Run(int budgetMs, const std::function<bool()>& stop, const TOnFound& onFound) {
  return RunWith(DefaultSetup(), budgetMs, stop, onFound);
}

bool IsServerName(const QString& name) {
  constexpr qsizetype LongestLabel = 63;
  // A name that could stand as a path component, and one host label too.
  if (!WinPath::IsPlainEntryName(name) || name.size() > LongestLabel || name.startsWith(u'.') || name.endsWith(u'.'))
    return false;
  for (const QChar c : name) {
    if (c.isSpace() || c.isSurrogate() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
        c.category() == QChar::Other_NotAssigned || c.category() == QChar::Other_PrivateUse)
      return false;
    if (QStringView(u"*?\"<>|").contains(c)) return false;
  }
  return true;
}

bool LlmnrLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address) {
  TLlmnrClient client(DiscoveryNet::MulticastTargets({224, 0, 0, 252}, 5355), name);
  DiscoveryNet::RunLoop({&client}, DiscoveryNet::NowMs() + std::max(timeoutMs, 0), {});
  const bool found = client.Address(address);
  qCDebug(LogDiscovery).noquote() << "LLMNR lookup of" << name << "->"
                                  << (found ? DiscoveryNet::ToString(address) : QStringLiteral("no answer"));
  return found;
}

bool MdnsLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address) {
  TMdnsClient client(DiscoveryNet::MulticastTargets({224, 0, 0, 251}, 5353), TMdnsClient::TMode::LookupHost, name,
                     OnSegment());
  DiscoveryNet::RunLoop({&client}, DiscoveryNet::NowMs() + std::max(timeoutMs, 0), {});
  const bool found = client.Address(address);
  qCDebug(LogDiscovery).noquote() << "mDNS lookup of" << name << "->"
                                  << (found ? DiscoveryNet::ToString(address) : QStringLiteral("no answer"));
  return found;
}

}  // namespace SmbDiscovery
