#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// One computer as the network announced it.
struct TFoundServer {
  QString Name;          // computer name as announced, upper case (NetBIOS form when known)
  QString Group;         // workgroup or domain as announced; empty when the source had none
  bool GroupIsDomain = false;  // Group came as "Domain:" (a DNS domain name, e.g. corp.example)
  QList<std::array<quint8, 4>> Addresses;  // IPv4, first byte first; may be empty (NetBIOS)
  QStringList Sources;   // "wsd", "mdns", "netbios"
};

namespace SmbDiscovery {
// Told, on Run's thread and while Run goes on, of each computer a source has
// found with an address, before the merge: once per source and name, and
// again when that source learns a further address of it. Lets a caller
// start its own work on a server (a check that it answers) at once.
using TOnFound = std::function<void(const TFoundServer&)>;
// Runs WS-Discovery, mDNS/DNS-SD _smb._tcp and (where it can) the NetBIOS browse helper in
// parallel, for at most budgetMs (about 2500), returning early (within 100 ms) once stop()
// answers true. Merges records of one computer (same name and an address in common, or same
// name with no address on one side) across sources; the same name in two groups stays two
// records. Never calls libsmbclient or libnetapi in this process. Safe from any thread.
QList<TFoundServer> Run(int budgetMs, const std::function<bool()>& stop, const TOnFound& onFound = {});
// Name lookups beyond DNS, each bounded by timeoutMs: LLMNR (224.0.0.252:5355) for NAME and
// an mDNS A query for NAME.local.
// True when `name` can be a computer's name: one NetBIOS or DNS host label
// (at most 63 characters), without blanks, controls, direction or other
// format marks, or the characters no host name holds (\\ / : * ? " < > |).
// Discovery hands out no other names.
bool IsServerName(const QString& name);
bool LlmnrLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address);
bool MdnsLookup(const QString& name, int timeoutMs, std::array<quint8, 4>& address);
}  // namespace SmbDiscovery
