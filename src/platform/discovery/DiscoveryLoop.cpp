#include "platform/discovery/DiscoveryLoop.h"

#include <QStringList>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace DiscoveryNet {

namespace {

TIpv4 FromInAddr(const in_addr& a) {
  TIpv4 out{};
  std::memcpy(out.data(), &a.s_addr, 4);
  return out;
}

in_addr ToInAddr(const TIpv4& a) {
  in_addr out{};
  std::memcpy(&out.s_addr, a.data(), 4);
  return out;
}

constexpr int SliceMs = 50;

}  // namespace

QList<TInterface> LocalInterfaces() {
  QList<TInterface> out;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
    TInterface f;
    f.Name = QString::fromLocal8Bit(i->ifa_name);
    f.Address = FromInAddr(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr);
    if (i->ifa_netmask) f.Netmask = FromInAddr(reinterpret_cast<sockaddr_in*>(i->ifa_netmask)->sin_addr);
    f.CanMulticast = (i->ifa_flags & IFF_MULTICAST) != 0;
    // The broadcast address comes from the netmask: an address added without
    // one reports the interface's own address in its place.
    if (i->ifa_flags & IFF_BROADCAST) f.CanBroadcast = BroadcastOf(f.Address, f.Netmask, f.Broadcast);
    out.append(f);
  }
  freeifaddrs(list);
  return out;
}

QList<TTarget> MulticastTargets(const TIpv4& group, quint16 port) {
  QList<TTarget> out;
  for (const TInterface& f : LocalInterfaces())
    if (f.CanMulticast) out.append({f.Address, group, port});
  return out;
}

QList<TTarget> BroadcastTargets(quint16 port) {
  QList<TTarget> out;
  for (const TInterface& f : LocalInterfaces())
    if (f.CanBroadcast) out.append({f.Address, f.Broadcast, port});
  return out;
}

int OpenUdp(const TIpv4& local, bool allowBroadcast) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in me{};
  me.sin_family = AF_INET;
  me.sin_addr = ToInAddr(local);
  if (bind(fd, reinterpret_cast<sockaddr*>(&me), sizeof me) != 0) {
    close(fd);
    return -1;
  }
  // Discovery is link-local: answers from other subnets are not wanted, and
  // a responder on this machine is this computer, not a server to list.
  unsigned char ttl = 1, loop = 0;
  in_addr ifa = ToInAddr(local);
  setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &ifa, sizeof ifa);
  setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
  setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
  if (allowBroadcast) {
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  }
  return fd;
}

bool SendUdp(int fd, const TIpv4& to, quint16 port, const QByteArray& data) {
  if (fd < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr = ToInAddr(to);
  return sendto(fd, data.constData(), size_t(data.size()), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&a), sizeof a) ==
         data.size();
}

bool ReceiveUdp(int fd, QByteArray& data, TIpv4& from, quint16& fromPort) {
  if (fd < 0) return false;
  data.resize(65536);
  sockaddr_in a{};
  socklen_t len = sizeof a;
  ssize_t n = recvfrom(fd, data.data(), size_t(data.size()), 0, reinterpret_cast<sockaddr*>(&a), &len);
  if (n < 0 || a.sin_family != AF_INET) {
    data.clear();
    return false;
  }
  data.resize(n);
  from = FromInAddr(a.sin_addr);
  fromPort = ntohs(a.sin_port);
  return true;
}

void Close(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

TUdpSockets::~TUdpSockets() {
  for (TSocket& s : FSockets) Close(s.Fd);
}

void TUdpSockets::Open(const QList<TTarget>& targets, bool allowBroadcast) {
  for (const TTarget& t : targets) {
    const int fd = OpenUdp(t.Local, allowBroadcast);
    if (fd >= 0) FSockets.append({fd, t});
  }
}

void TUdpSockets::SendAll(const QByteArray& data) const {
  for (int i = 0; i < Count(); ++i) Send(i, data);
}

void TUdpSockets::Send(int index, const QByteArray& data) const {
  const TSocket& s = FSockets[index];
  SendUdp(s.Fd, s.Target.Destination, s.Target.Port, data);
}

void TUdpSockets::Collect(std::vector<pollfd>& fds) const {
  for (const TSocket& s : FSockets) fds.push_back({s.Fd, POLLIN, 0});
}

bool TUdpSockets::Receive(int index, QByteArray& data, TIpv4& from, quint16& fromPort) const {
  return ReceiveUdp(FSockets[index].Fd, data, from, fromPort);
}

bool BroadcastOf(const TIpv4& address, const TIpv4& netmask, TIpv4& broadcast) {
  // No broadcast on a point-to-point /31 or /32, nor without a mask.
  if (netmask == TIpv4{} || (netmask[0] == 255 && netmask[1] == 255 && netmask[2] == 255 && netmask[3] >= 254))
    return false;
  for (int k = 0; k < 4; ++k) broadcast[k] = quint8(address[k] | ~netmask[k]);
  return true;
}

QString ToString(const TIpv4& a) {
  return QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

bool ParseIpv4(const QString& text, TIpv4& address) {
  const QStringList parts = text.split(QLatin1Char('.'));
  if (parts.size() != 4) return false;
  TIpv4 out{};
  for (int i = 0; i < 4; ++i) {
    const QString& p = parts[i];
    if (p.isEmpty() || p.size() > 3) return false;
    for (QChar c : p)
      if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    int v = p.toInt();
    if (v > 255) return false;
    out[i] = quint8(v);
  }
  address = out;
  return true;
}

bool LookUpIpv4(const QString& name, TIpv4& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &res) != 0 || !res) return false;
  address = FromInAddr(reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr);
  freeaddrinfo(res);
  return true;
}

qint64 NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void RunLoop(const std::vector<TPollSource*>& sources, qint64 deadlineMs, const std::function<bool()>& stop) {
  std::vector<pollfd> fds;
  std::vector<size_t> starts(sources.size() + 1);
  for (;;) {
    qint64 now = NowMs();
    if (now >= deadlineMs || (stop && stop())) return;
    bool allDone = true;
    for (TPollSource* s : sources) allDone = allDone && s->Finished();
    if (allDone) return;
    fds.clear();
    qint64 wake = std::min(deadlineMs, now + SliceMs);
    for (size_t i = 0; i < sources.size(); ++i) {
      starts[i] = fds.size();
      sources[i]->Collect(fds, wake);
    }
    starts[sources.size()] = fds.size();
    int timeout = int(std::max<qint64>(0, wake - now));
    int r = poll(fds.data(), nfds_t(fds.size()), timeout);
    if (r < 0 && errno != EINTR) {
      // Should not happen with valid descriptors; avoid a busy loop anyway.
      timespec pause{0, 10 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
    now = NowMs();
    for (size_t i = 0; i < sources.size(); ++i)
      sources[i]->Dispatch(fds.data() + starts[i], starts[i + 1] - starts[i], now);
  }
}

}  // namespace DiscoveryNet
