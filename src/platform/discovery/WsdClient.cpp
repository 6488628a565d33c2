#include "platform/discovery/WsdClient.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/core/Log.h"
#include "platform/discovery/WsdMessage.h"

namespace {

constexpr int ProbeRepeats = 2;
constexpr int ProbeGapMs = 100;
constexpr int ResolveGapMs = 250;
constexpr int MaxDevices = 256;
constexpr qsizetype MaxResponse = 256 * 1024;
// A target may wait up to 500 ms before it answers a multicast probe; once
// that has passed since the last probe, a run ends when answers stop.
constexpr qint64 AnswerDelayMs = 600;
constexpr qint64 QuietMs = 300;

}  // namespace

TWsdClient::TWsdClient(const QList<DiscoveryNet::TTarget>& targets, int getTimeoutMs) : FGetTimeoutMs(getTimeoutMs) {
  FSockets.Open(targets);
  FProbeId = Wsd::NewMessageId();
  FProbe = Wsd::BuildProbe(FProbeId);
}

TWsdClient::~TWsdClient() {
  for (TDevice& d : FDevices) DiscoveryNet::Close(d.Fd);
}

void TWsdClient::SendProbes(qint64 nowMs) {
  // SOAP over UDP repeats a multicast with the same message identifier.
  if (FProbesSent >= ProbeRepeats || nowMs < FNextProbeAt) return;
  FSockets.SendAll(FProbe);
  ++FProbesSent;
  FNextProbeAt = nowMs + ProbeGapMs;
  FLastProbeAt = nowMs;
}

bool TWsdClient::Finished() const {
  if (FSockets.IsEmpty()) return true;
  const qint64 now = DiscoveryNet::NowMs();
  if (FProbesSent < ProbeRepeats || now - FLastProbeAt < AnswerDelayMs || now - FLastNewsAt < QuietMs) return false;
  for (const TDevice& d : FDevices) {
    if (d.State == TState::Connecting || d.State == TState::Sending || d.State == TState::Receiving) return false;
    // A resolve is repeated once, and its answer awaited like a probe's.
    if (d.XAddrs.isEmpty() && (d.ResolvesSent < 2 || now - d.ResolveAgainAt < AnswerDelayMs)) return false;
  }
  return true;
}

void TWsdClient::Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) {
  SendProbes(DiscoveryNet::NowMs());
  if (FProbesSent < ProbeRepeats) wakeAtMs = std::min(wakeAtMs, FNextProbeAt);
  FSockets.Collect(fds);
  for (const TDevice& d : FDevices) {
    short events = 0;
    if (d.State == TState::Connecting || d.State == TState::Sending) events = POLLOUT;
    if (d.State == TState::Receiving) events = POLLIN;
    fds.push_back({events ? d.Fd : -1, events, 0});
    if (events) wakeAtMs = std::min(wakeAtMs, d.GetStarted + FGetTimeoutMs);
    if (d.ResolvesSent == 1 && d.XAddrs.isEmpty()) wakeAtMs = std::min(wakeAtMs, d.ResolveAgainAt);
  }
}

void TWsdClient::Dispatch(const pollfd* fds, size_t count, qint64 nowMs) {
  size_t i = 0;
  const int socketCount = FSockets.Count();
  for (int s = 0; s < socketCount && i < count; ++s, ++i)
    if (fds[i].revents & POLLIN) ReadDatagrams(s);
  // Devices added while reading have no entry yet; they start below.
  const qsizetype known = std::min<qsizetype>(FDevices.size(), qsizetype(count - std::min(count, i)));
  for (qsizetype d = 0; d < known; ++d, ++i)
    if (fds[i].fd >= 0) StepGet(FDevices[d], fds[i].revents, nowMs);
  for (TDevice& d : FDevices) {
    if (d.ResolvesSent == 1 && d.XAddrs.isEmpty() && nowMs >= d.ResolveAgainAt) SendResolve(d, nowMs);
    if (d.State != TState::Waiting || d.XAddrs.isEmpty()) continue;
    Wsd::TMatch seen;
    seen.Types = d.Types;
    seen.HasTypes = d.HasTypes;
    // Printers and scanners answer a device probe too; they have no computer name.
    if (Wsd::MayBeComputer(seen)) StartGet(d, nowMs);
  }
  SendProbes(nowMs);
}

void TWsdClient::ReadDatagrams(int socketIndex) {
  QByteArray data;
  TIpv4 from{};
  quint16 port = 0;
  for (int n = 0; n < 64 && FSockets.Receive(socketIndex, data, from, port); ++n) {
    Wsd::TMessage m;
    if (!Wsd::ParseMessage(data, m)) continue;
    // Only answers to this run's own messages count.
    if (m.IsProbeMatches() ? m.RelatesTo != FProbeId : !(m.IsResolveMatches() && FResolveIds.contains(m.RelatesTo)))
      continue;
    FLastNewsAt = DiscoveryNet::NowMs();
    for (const Wsd::TMatch& match : m.Matches)
      OnMatch(socketIndex, from, match.Endpoint, match.Types, match.HasTypes, match.XAddrs);
  }
}

void TWsdClient::OnMatch(int socketIndex, const TIpv4& from, const QString& endpoint, const QStringList& types,
                         bool hasTypes, const QStringList& xaddrs) {
  TDevice* device = nullptr;
  for (TDevice& d : FDevices)
    if (d.Endpoint == endpoint && d.From == from) device = &d;
  if (!device) {
    if (FDevices.size() >= MaxDevices) return;
    FDevices.append(TDevice());
    device = &FDevices.last();
    device->Endpoint = endpoint;
    device->From = from;
    device->Socket = socketIndex;
    qCDebug(LogDiscovery).noquote() << "WSD: answer from" << DiscoveryNet::ToString(from) << "endpoint" << endpoint;
  }
  if (hasTypes) {
    device->Types = types;
    device->HasTypes = true;
  }
  if (!xaddrs.isEmpty() && device->XAddrs.isEmpty()) device->XAddrs = xaddrs;
  if (device->XAddrs.isEmpty() && device->ResolvesSent == 0) {
    // wsdd answers a Probe without transport addresses: ask for them.
    QString id = Wsd::NewMessageId();
    FResolveIds.insert(id);
    device->Resolve = Wsd::BuildResolve(id, endpoint);
    SendResolve(*device, DiscoveryNet::NowMs());
  }
}

void TWsdClient::SendResolve(TDevice& device, qint64 nowMs) {
  // Sent twice like the probe (same message), in case one datagram is lost.
  FSockets.Send(device.Socket, device.Resolve);
  ++device.ResolvesSent;
  device.ResolveAgainAt = nowMs + ResolveGapMs;
}

void TWsdClient::StartGet(TDevice& device, qint64 nowMs) {
  device.State = TState::Done;
  // The request goes to the address the answer came from, never to an
  // address a datagram names: a device cannot send this program elsewhere.
  QString host, path;
  quint16 port = 0;
  bool found = false;
  for (const QString& url : device.XAddrs) {
    QString h, p;
    quint16 po = 0;
    if (!Wsd::SplitHttpUrl(url, h, po, p)) continue;
    TIpv4 literal{};
    bool same = DiscoveryNet::ParseIpv4(h, literal) && literal == device.From;
    if (!found || same) {
      host = h;
      port = po;
      path = p;
      found = true;
    }
    if (same) break;
  }
  if (!found) {
    qCDebug(LogDiscovery) << "WSD:" << DiscoveryNet::ToString(device.From) << "gave no usable address:" << device.XAddrs;
    return;
  }
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  std::memcpy(&a.sin_addr.s_addr, device.From.data(), 4);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS) {
    ::close(fd);
    return;
  }
  device.Fd = fd;
  device.Out = Wsd::BuildHttpPost(host, port, path, Wsd::BuildGet(Wsd::NewMessageId(), device.Endpoint));
  device.In.clear();
  device.GetStarted = nowMs;
  device.State = TState::Connecting;
}

void TWsdClient::StepGet(TDevice& device, short revents, qint64 nowMs) {
  auto fail = [&](const char* why = nullptr) {
    if (why) qCDebug(LogDiscovery) << "WSD: metadata from" << DiscoveryNet::ToString(device.From) << why;
    DiscoveryNet::Close(device.Fd);
    device.State = TState::Done;
  };
  if (nowMs - device.GetStarted >= FGetTimeoutMs) return fail("timed out");
  if (device.State == TState::Connecting) {
    if (!(revents & (POLLOUT | POLLERR | POLLHUP))) return;
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(device.Fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return fail(err ? std::strerror(err) : "not connected");
    device.State = TState::Sending;
  }
  if (device.State == TState::Sending) {
    if (!(revents & (POLLOUT | POLLERR | POLLHUP))) return;
    ssize_t n = send(device.Fd, device.Out.constData(), size_t(device.Out.size()), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) fail();
      return;
    }
    device.Out.remove(0, n);
    if (device.Out.isEmpty()) device.State = TState::Receiving;
    return;
  }
  if (device.State != TState::Receiving || !(revents & (POLLIN | POLLERR | POLLHUP))) return;
  char buf[16384];
  ssize_t n = recv(device.Fd, buf, sizeof buf, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (n < 0) return fail(std::strerror(errno));
  if (n > 0) device.In.append(buf, n);
  if (device.In.size() > MaxResponse) return fail("too large");
  QByteArray body;
  Wsd::THttpResult r = Wsd::ParseHttpResponse(device.In, n == 0, body);
  if (r == Wsd::THttpResult::Incomplete) return;
  fail(r == Wsd::THttpResult::Complete ? nullptr : "not an HTTP answer");
  FLastNewsAt = nowMs;
  if (r == Wsd::THttpResult::Complete) FinishGet(device, body);
}

void TWsdClient::FinishGet(TDevice& device, const QByteArray& body) {
  QString computer;
  TComputer c;
  if (!Wsd::ParseComputer(body, computer) || !Wsd::SplitComputer(computer, c.Name, c.Group, c.GroupIsDomain)) {
    qCDebug(LogDiscovery) << "WSD: metadata from" << DiscoveryNet::ToString(device.From) << "names no computer";
    return;
  }
  qCDebug(LogDiscovery).noquote() << "WSD:" << DiscoveryNet::ToString(device.From) << "is" << c.Name << "in" << c.Group
                                  << (c.GroupIsDomain ? "(domain)" : "(workgroup)");
  c.Address = device.From;
  device.Computer = c;
  device.Found = true;
}

QList<TWsdClient::TComputer> TWsdClient::Results() const {
  QList<TComputer> out;
  for (const TDevice& d : FDevices)
    if (d.Found) out.append(d.Computer);
  return out;
}
