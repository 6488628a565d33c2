#pragma once
// How what the SMB network reports becomes the records the program sees:
// enumeration records (provider -> workgroup or domain -> \\SERVER ->
// shares) and find records. Names a server hands back are data from
// another machine: one that could act as a path ("..", "a\b", "x:") never
// passes (WinPath::IsPlainEntryName).
#include <QList>
#include <QString>

#include "platform/discovery/SmbDiscovery.h"
#include "platform/fs/FindFile.h"
#include "platform/fs/WildMatch.h"
#include "platform/net/NetApi.h"
#include "platform/smb/SmbLibrary.h"

namespace SmbTree {

// The name the Windows network provider goes by.
constexpr const char* ProviderName = "Microsoft Windows Network";

NetApi::NETRESOURCE ProviderRecord();
// One container per workgroup or domain of the servers (each Group set),
// letter case ignored, in name order.
QList<NetApi::NETRESOURCE> GroupRecords(const QList<TFoundServer>& servers);
// "\\NAME" containers of the servers in `group`, in name order; a server
// found in two groups is listed under each.
QList<NetApi::NETRESOURCE> ServerRecords(const QList<TFoundServer>& servers, const QString& group);
// Disk shares, then printer shares, each in name order; hidden ("$"),
// IPC and communication shares are left out, as Windows lists them.
QList<NetApi::NETRESOURCE> ShareRecords(const QString& server, const QList<TSmbShare>& shares);

// Windows attribute bits of a listed entry (read-only, hidden, system,
// folder, archive; "normal" for a file with none).
int Attributes(int dosAttrs, bool isFolder);
// A listing as find records: "." gives `self` (a plain folder entry when
// the server sent none), ".." and unsafe names are dropped, the rest kept
// when the mask matches the name or the server's 8.3 alias.
void Listing(const QList<TSmbEntry>& entries, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out);

}  // namespace SmbTree
