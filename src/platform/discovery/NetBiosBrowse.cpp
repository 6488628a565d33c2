#include "platform/discovery/NetBiosBrowse.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include "platform/core/HelperProgram.h"
#include "platform/core/Log.h"
#include "platform/fs/WinPath.h"

extern char** environ;

namespace NetBios {

constexpr qsizetype MaxLine = 1024;
constexpr qsizetype MaxLines = 4096;

bool ParseBrowseLine(const QByteArray& line, TBrowseLine& out) {
  QByteArray l = line;
  if (l.endsWith('\n')) l.chop(1);
  if (l.endsWith('\r')) l.chop(1);
  const QList<QByteArray> f = l.split('\t');
  TBrowseLine r;
  if (f.size() == 2 && f[0] == "WORKGROUP") {
    r.Group = QString::fromUtf8(f[1]);
  } else if (f.size() == 3 && f[0] == "SERVER") {
    r.IsServer = true;
    r.Group = QString::fromUtf8(f[1]);
    r.Server = QString::fromUtf8(f[2]).toUpper();
    if (!WinPath::IsNetworkName(r.Server)) return false;
  } else {
    return false;
  }
  if (!WinPath::IsNetworkName(r.Group)) return false;
  out = r;
  return true;
}

QString HelperPath() { return HelperProgram::Path(QStringLiteral("trawlix-nbbrowse")); }

}  // namespace NetBios

TNetBiosBrowse::TNetBiosBrowse(const QString& helperPath, int budgetMs,
                               const QList<DiscoveryNet::TTarget>& resolverTargets)
    : FResolver(resolverTargets), FMaster(resolverTargets) {
  if (helperPath.isEmpty()) return;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  // The library's own messages are not the user's business.
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const QByteArray path = QFile::encodeName(helperPath);
  const QByteArray budget = QByteArray::number(std::max(budgetMs, 1));
  char* argv[] = {const_cast<char*>(path.constData()), const_cast<char*>(budget.constData()), nullptr};
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, path.constData(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    qCDebug(LogDiscovery) << "NetBIOS: browse helper" << helperPath << "not started:" << std::strerror(rc);
    close(fds[0]);
    return;
  }
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  FPid = pid;
  FPipe = fds[0];
  FMaster.Query(NetBios::MasterBrowserName, NetBios::MasterBrowserSuffix);
  FMasterDeadline = DiscoveryNet::NowMs() + MasterWaitMs;
}

TNetBiosBrowse::~TNetBiosBrowse() { Stop(); }

void TNetBiosBrowse::Stop() {
  DiscoveryNet::Close(FPipe);
  HelperProgram::Stop(FPid);
}

void TNetBiosBrowse::Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) {
  fds.push_back({FPipe, short(FPipe >= 0 ? POLLIN : 0), 0});
  const size_t before = fds.size();
  FResolver.Collect(fds, wakeAtMs);
  FResolverFds = fds.size() - before;
  FMaster.Collect(fds, wakeAtMs);
  if (FPid > 0 && FMaster.Found().isEmpty()) wakeAtMs = std::min(wakeAtMs, FMasterDeadline);
}

void TNetBiosBrowse::Dispatch(const pollfd* fds, size_t count, qint64 nowMs) {
  if (count == 0) return;
  if (FPipe >= 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
    char buf[4096];
    bool ended = false;
    for (;;) {
      const ssize_t n = read(FPipe, buf, sizeof buf);
      if (n > 0) {
        FBuffer.append(buf, n);
        TakeLines(false);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
      break;
    }
    TakeLines(ended);
    if (ended) qCDebug(LogDiscovery) << "NetBIOS: browse helper done," << FLines.size() << "line(s)";
    if (ended) Stop();
  }
  const size_t resolver = std::min(FResolverFds, count - 1);
  FResolver.Dispatch(fds + 1, resolver, nowMs);
  FMaster.Dispatch(fds + 1 + resolver, count - 1 - resolver, nowMs);
  if (FPid > 0 && FLines.isEmpty() && FMaster.Found().isEmpty() && nowMs >= FMasterDeadline) {
    qCDebug(LogDiscovery) << "NetBIOS: no master browser answered; no browse list to wait for";
    Stop();
  }
}

void TNetBiosBrowse::TakeLines(bool all) {
  for (;;) {
    qsizetype eol = FBuffer.indexOf('\n');
    if (eol < 0) {
      // An overlong line is dropped whole, up to its end.
      if (FBuffer.size() > NetBios::MaxLine) {
        FBuffer.clear();
        FSkipToEol = true;
      }
      if (!all || FBuffer.isEmpty()) return;
      eol = FBuffer.size();
    }
    const QByteArray line = FBuffer.left(eol);
    FBuffer.remove(0, std::min(eol + 1, FBuffer.size()));
    if (FSkipToEol) {
      FSkipToEol = false;
      continue;
    }
    NetBios::TBrowseLine parsed;
    if (line.size() > NetBios::MaxLine || FLines.size() >= NetBios::MaxLines || !NetBios::ParseBrowseLine(line, parsed)) continue;
    FLines.append(parsed);
    if (parsed.IsServer) qCDebug(LogDiscovery).noquote() << "NetBIOS: browse list names" << parsed.Server << "in" << parsed.Group;
    if (parsed.IsServer) FResolver.Query(parsed.Server);
  }
}

bool TNetBiosBrowse::Finished() const { return FPid <= 0 && FResolver.Finished(); }

QList<TNetBiosBrowse::TServer> TNetBiosBrowse::Servers() const {
  const QHash<QString, QList<TIpv4>> found = FResolver.Found();
  QList<TServer> out;
  for (const NetBios::TBrowseLine& l : FLines) {
    if (!l.IsServer) continue;
    bool dup = false;
    for (const TServer& s : out) dup = dup || (s.Name == l.Server && s.Group.compare(l.Group, Qt::CaseInsensitive) == 0);
    if (!dup) out.append({l.Server, l.Group, found.value(l.Server)});
  }
  return out;
}
