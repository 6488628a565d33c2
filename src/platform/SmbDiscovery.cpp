#include "SmbDiscovery.h"

namespace SmbDiscovery {

QList<TFoundServer> Run(int budgetMs, const std::function<bool()>& stop) {
  (void)budgetMs;
  (void)stop;
  return {};
}

bool LlmnrLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address) {
  (void)name;
  (void)timeoutMs;
  address = {};
  return false;
}

bool MdnsLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address) {
  (void)name;
  (void)timeoutMs;
  address = {};
  return false;
}

}  // namespace SmbDiscovery
