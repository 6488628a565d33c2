#pragma once
// NetBIOS browse lists through the helper program trawlix-nbbrowse
// (src/helpers/nbbrowse.cpp): the
// Samba client library can browse only with its protocol limited to NT1, a
// process-wide setting that must not touch this program's own SMB work, so
// the browsing runs in a short-lived process. This source starts it, reads
// its lines as they come, asks the local segment for each listed server's
// address, and kills the helper by its process id when the run ends.
#include <QList>
#include <QString>
#include <memory>
#include <sys/types.h>

#include "platform/discovery/DiscoveryLoop.h"
#include "platform/discovery/NetBiosName.h"

namespace NetBios {

struct TBrowseLine {
  bool IsServer = false;  // else a workgroup line
  QString Group;
  QString Server;  // upper case
};

// One line of the helper's output: "WORKGROUP\t<group>" or
// "SERVER\t<group>\t<name>". False for anything else.
bool ParseBrowseLine(const QByteArray& line, TBrowseLine& out);

// Where the helper is installed beside this program, or empty.
QString HelperPath();

}  // namespace NetBios

class TNetBiosBrowse : public DiscoveryNet::TPollSource {
 public:
  struct TServer {
    QString Name;
    QString Group;
    QList<TIpv4> Addresses;
  };

  // Starts helperPath with the run's budget; resolver targets are normally
  // each interface's broadcast address, port 137.
  TNetBiosBrowse(const QString& helperPath, int budgetMs, const QList<DiscoveryNet::TTarget>& resolverTargets);
  ~TNetBiosBrowse() override;  // kills a helper that still runs
  TNetBiosBrowse(const TNetBiosBrowse&) = delete;
  TNetBiosBrowse& operator=(const TNetBiosBrowse&) = delete;

  // A browse list comes only where a master browser serves one: unless one
  // answers for the segment within this time (and the helper printed
  // nothing yet), the helper is ended and the run need not wait for it.
  static constexpr int MasterWaitMs = 400;

  bool Started() const { return FPid > 0; }
  void Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) override;
  void Dispatch(const pollfd* fds, size_t count, qint64 nowMs) override;
  bool Finished() const override;
  // Ends the helper now (kill by process id, then reap it).
  void Stop();

  QList<TServer> Servers() const;

 private:
  void TakeLines(bool all);

  pid_t FPid = -1;
  int FPipe = -1;
  QByteArray FBuffer;
  bool FSkipToEol = false;
  QList<NetBios::TBrowseLine> FLines;
  TNetBiosResolver FResolver;
  TNetBiosResolver FMaster;  // asks whether a master browser is there
  size_t FResolverFds = 0;
  qint64 FMasterDeadline = 0;
};
