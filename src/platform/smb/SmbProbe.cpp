#include "platform/smb/SmbProbe.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QWaitCondition>

#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/core/Log.h"
#include "platform/discovery/DiscoveryLoop.h"

namespace SmbProbe {

namespace {



// A NetBIOS session header and an SMB2 NEGOTIATE offering the dialects
// 2.0.2 to 3.0.2 (3.1.1 would need negotiate contexts).
QByteArray NegotiateRequest() {
  QByteArray smb2(64, '\0');
  smb2[0] = char(0xFE);
  smb2[1] = 'S';
  smb2[2] = 'M';
  smb2[3] = 'B';
  smb2[4] = 64;   // structure size
  smb2[14] = 1;   // credits requested (command 0 = NEGOTIATE)
  QByteArray body(36, '\0');
  body[0] = 36;   // structure size
  body[2] = 4;    // dialect count
  body[4] = 1;    // signing enabled
  smb2 += body;
  for (quint16 d : {0x0202, 0x0210, 0x0300, 0x0302}) {
    smb2 += char(d & 0xFF);
    smb2 += char(d >> 8);
  }
  QByteArray packet(4, '\0');
  packet[1] = char((smb2.size() >> 16) & 0xFF);
  packet[2] = char((smb2.size() >> 8) & 0xFF);
  packet[3] = char(smb2.size() & 0xFF);
  return packet + smb2;
}

bool Resolve(const QString& host, int port, sockaddr_in& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_port = htons(quint16(port));
  TIpv4 a{};
  if (!DiscoveryNet::LookUpIpv4(host, a)) return false;
  std::memcpy(&addr.sin_addr.s_addr, a.data(), 4);
  return true;
}

// Waits for `events` on fd in slices of 50 ms, so a stop is seen quickly.
bool WaitFor(int fd, short events, const QElapsedTimer& clock, int budgetMs, const std::function<bool()>& stop) {
  for (;;) {
    const qint64 left = budgetMs - clock.elapsed();
    if (left <= 0 || (stop && stop())) return false;
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, int(qMin<qint64>(left, 50)));
    if (r > 0) return (p.revents & events) != 0 || (p.revents & (POLLERR | POLLHUP)) != 0;
    if (r < 0 && errno != EINTR) return false;
  }
}

// One host's answer, or the probe under way that will give it.
struct TKnown {
  bool Done = false;
  bool Answers = false;
  // Connected, but no answer within the budget, where the server did not
  // fail its probe before as well: one that took the connection and stayed
  // silent twice (or through a patient probe) never answers, and is passed
  // over until it answers again.
  bool Slow = false;
  // Took the connection and answered nothing (until a new probe decides,
  // what the one before found).
  bool Silent = false;
  bool Stale = false;   // from an earlier scan: asked again before use
  int Previous = -1;    // a probe under way: the answer before it (-1 none)
  QElapsedTimer Since;  // when the answer came
};

// Never destroyed: a probe in the background may end while the process
// exits.
QMutex& KnownLock() {
  static QMutex* m = new QMutex;
  return *m;
}
QWaitCondition& KnownChanged() {
  static QWaitCondition* c = new QWaitCondition;
  return *c;
}
QHash<QString, std::shared_ptr<TKnown>>& Known() {
  static auto* k = new QHash<QString, std::shared_ptr<TKnown>>;
  return *k;
}

QString Key(const QString& host, int port) { return host.toLower() + u':' + QString::number(port); }

void Probe(const QString& host, int port, const std::shared_ptr<TKnown>& known, const std::function<bool()>& stop,
           int budgetMs = BudgetMs) {
  bool connected = false;
  int connectMs = 0;
  const bool answers = Answers(host, port, budgetMs, stop, &connected, &connectMs);
  qCDebug(LogSmb).noquote() << "probe of" << Key(host, port) << "->"
                            << (answers                ? QStringLiteral("answers")
                                : stop && stop()       ? QStringLiteral("interrupted")
                                : connected            ? QStringLiteral("took the connection in %1 ms, no answer in time").arg(connectMs)
                                                       : QStringLiteral("no connection"));
  QMutexLocker lock(&KnownLock());
  if (stop && stop()) {
    // An interrupted probe proves nothing: forget it, so the next asks anew.
    if (Known().value(Key(host, port)) == known) Known().remove(Key(host, port));
  } else {
    known->Answers = answers;
    known->Slow = connected && !answers && known->Previous != 0 && connectMs >= SlowLinkMs();
    known->Silent = connected && !answers;
    known->Since.start();
  }
  known->Done = true;
  KnownChanged().wakeAll();
}

// A new probe under way for `key`, remembering the answer it replaces.
// Called with the lock held.
std::shared_ptr<TKnown> Renew(const QString& key, const std::shared_ptr<TKnown>& old) {
  auto known = std::make_shared<TKnown>();
  if (old && old->Done) {
    known->Previous = old->Answers ? 1 : 0;
    known->Silent = old->Silent;
  }
  Known().insert(key, known);
  return known;
}

void InBackground(const QString& host, int port, const std::shared_ptr<TKnown>& known) {
  std::thread([host, port, known] { Probe(host, port, known, {}); }).detach();
}

}  // namespace

bool Answers(const QString& host, int port, int budgetMs, const std::function<bool()>& stop, bool* connected,
             int* connectMs) {
  if (connected) *connected = false;
  QElapsedTimer clock;
  clock.start();
  sockaddr_in addr;
  if (!Resolve(host, port, addr)) return false;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = false;
  const qint64 connecting = clock.elapsed();  // a name's lookup is no part of the link
  do {
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      if (errno != EINPROGRESS) break;
      if (!WaitFor(fd, POLLOUT, clock, budgetMs, stop)) break;
      int err = 0;
      socklen_t len = sizeof err;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) break;
    }
    if (connected) *connected = true;
    if (connectMs) *connectMs = int(clock.elapsed() - connecting);
    const QByteArray request = NegotiateRequest();
    if (::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size()) break;
    if (!WaitFor(fd, POLLIN, clock, budgetMs, stop)) break;
    // Any answer, even a refusal or a closed connection, shows a server
    // that will not keep the library waiting.
    char reply[4];
    ok = ::recv(fd, reply, sizeof reply, 0) >= 0;
  } while (false);
  ::close(fd);
  return ok;
}

bool Cached(const QString& host, const std::function<bool()>& stop, int keepMs, int port) {
  const QString key = Key(host, port);
  std::shared_ptr<TKnown> known;
  {
    QMutexLocker lock(&KnownLock());
    for (;;) {
      known = Known().value(key);
      const int keep = known && !known->Answers ? qMin(keepMs, AbsentKeepMs) : keepMs;
      if (known && known->Done && !known->Stale && known->Since.elapsed() < keep) return known->Answers;
      if (!known || known->Done) {
        // A "not there" that merely aged is asked again and waited for:
        // the server may be back, and a failure now would pass for an
        // empty share.
        const bool aged = known && !known->Stale;
        known = Renew(key, known);
        if (known->Previous == 0 && !aged) {
          // A server that did not answer before is passed over at once
          // while it is asked again, so a hung server does not hold up
          // every scan; the next asker gets the fresh answer.
          InBackground(host, port, known);
          return false;
        }
        break;  // ours to probe
      }
      // Someone else's probe is under way: its answer is ours too, unless
      // the server did not answer before.
      if (known->Previous == 0) return false;
      if (stop && stop()) return false;
      KnownChanged().wait(&KnownLock(), 50);
    }
  }
  Probe(host, port, known, stop);
  return known->Answers;
}

void Start(const QString& host, int port) {
  const QString key = Key(host, port);
  std::shared_ptr<TKnown> known;
  {
    QMutexLocker lock(&KnownLock());
    const std::shared_ptr<TKnown> old = Known().value(key);
    if (old && (!old->Done || !old->Stale)) return;  // under way, or fresh
    known = Renew(key, old);
  }
  InBackground(host, port, known);
}

void Forget() {
  QMutexLocker lock(&KnownLock());
  // Answers become stale: each is asked again before it is used. Probes
  // under way keep going.
  for (const auto& known : std::as_const(Known()))
    if (known->Done) known->Stale = true;
}

bool Silent(const QString& host, int port) {
  QMutexLocker lock(&KnownLock());
  const std::shared_ptr<TKnown> known = Known().value(Key(host, port));
  return known && known->Silent;
}

int& SlowLinkMs() {
  static int ms = 100;
  return ms;
}

bool Slow(const QString& host, int port) {
  QMutexLocker lock(&KnownLock());
  const std::shared_ptr<TKnown> known = Known().value(Key(host, port));
  // An answer from before a new scan earns no patience.
  return known && known->Done && !known->Stale && known->Slow;
}

bool Patiently(const QString& host, int budgetMs, const std::function<bool()>& stop, int port) {
  std::shared_ptr<TKnown> known;
  {
    QMutexLocker lock(&KnownLock());
    known = Renew(Key(host, port), Known().value(Key(host, port)));
  }
  Probe(host, port, known, stop, budgetMs);
  return known->Answers;
}

}  // namespace SmbProbe
