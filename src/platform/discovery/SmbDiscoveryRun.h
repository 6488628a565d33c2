#pragma once
// The pieces of SmbDiscovery::Run that tests reach: where each source sends,
// and the merge of what the sources found.
#include <QList>
#include <QSet>
#include <QString>
#include <functional>

#include "platform/discovery/DiscoveryLoop.h"
#include "platform/discovery/SmbDiscovery.h"

namespace SmbDiscovery {

struct TSetup {
  QList<DiscoveryNet::TTarget> Wsd;
  QList<DiscoveryNet::TTarget> Mdns;
  QList<DiscoveryNet::TTarget> NetBios;  // name queries for browse-listed servers
  QString BrowseHelper;                  // empty: no NetBIOS browsing
  // Which addresses mDNS answers may give (unset: all).
  std::function<bool(const TIpv4&)> MdnsAccept;
};

// Addresses that can be a server on this machine's segments (see
// Mdns::CanBeServer), as of now.
std::function<bool(const TIpv4&)> OnSegment();

// The setup of a real run: every interface of this machine, the helper
// program where it is installed.
TSetup DefaultSetup();

QList<TFoundServer> RunWith(const TSetup& setup, int budgetMs, const std::function<bool()>& stop,
                            const TOnFound& onFound = {});

// Hands out the records of `found` (unmerged, one per source) that name an
// address not handed out before for that name and source; `told` remembers
// what was ("SOURCE|NAME|a.b.c.d").
void TellNew(const QList<TFoundServer>& found, QSet<QString>& told, const TOnFound& onFound);

// Merges records of one computer: same name (without regard to case), groups
// that agree (equal, one empty, or a DNS domain whose first label is the
// workgroup), and an address in common or none on one side. Records with a
// group are taken first, so an ungrouped record joins a grouped one.
QList<TFoundServer> Merge(const QList<TFoundServer>& records);

}  // namespace SmbDiscovery
