#pragma once
// The socket plumbing the discovery sources share: this machine's IPv4
// interfaces, link-local UDP sockets, a monotonic clock and one poll loop
// that drives several sources at once and stops on a deadline or a stop
// request. Everything here runs on the calling thread; nothing blocks longer
// than one poll slice.
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include <poll.h>

using TIpv4 = std::array<quint8, 4>;

namespace DiscoveryNet {

struct TInterface {
  QString Name;
  TIpv4 Address{};
  TIpv4 Netmask{};
  TIpv4 Broadcast{};
  bool CanMulticast = false;
  bool CanBroadcast = false;
};

// Where a source sends its queries: out of the interface with address Local,
// to Destination:Port (a multicast group, a broadcast address, or in tests a
// loop-back responder).
struct TTarget {
  TIpv4 Local{};
  TIpv4 Destination{};
  quint16 Port = 0;
};

// IPv4 interfaces that are up, excluding loop-back.
QList<TInterface> LocalInterfaces();
// One target per multicast-capable interface for group:port.
QList<TTarget> MulticastTargets(const TIpv4& group, quint16 port);
// One target per broadcast-capable interface, to its broadcast address.
QList<TTarget> BroadcastTargets(quint16 port);

// A non-blocking UDP socket bound to local:0 whose multicasts leave through
// that interface with TTL 1 and do not loop back. -1 on failure.
int OpenUdp(const TIpv4& local, bool allowBroadcast = false);
bool SendUdp(int fd, const TIpv4& to, quint16 port, const QByteArray& data);
// Reads one datagram; false when none is waiting.
bool ReceiveUdp(int fd, QByteArray& data, TIpv4& from, quint16& fromPort);
void Close(int& fd);

// One UDP socket per target (OpenUdp on its interface): what a source that
// asks on every interface at once sends from and listens on.
class TUdpSockets {
 public:
  TUdpSockets() = default;
  ~TUdpSockets();
  TUdpSockets(const TUdpSockets&) = delete;
  TUdpSockets& operator=(const TUdpSockets&) = delete;

  // Opens a socket for each target; targets whose socket fails are left out.
  void Open(const QList<TTarget>& targets, bool allowBroadcast = false);
  bool IsEmpty() const { return FSockets.isEmpty(); }
  int Count() const { return int(FSockets.size()); }
  // Sends data to every target, or to the target of socket `index`.
  void SendAll(const QByteArray& data) const;
  void Send(int index, const QByteArray& data) const;
  // Adds one POLLIN entry per socket, in order.
  void Collect(std::vector<pollfd>& fds) const;
  bool Receive(int index, QByteArray& data, TIpv4& from, quint16& fromPort) const;

 private:
  struct TSocket {
    int Fd = -1;
    TTarget Target;
  };
  QList<TSocket> FSockets;
};

// The directed broadcast address of address/netmask; false where there is none.
bool BroadcastOf(const TIpv4& address, const TIpv4& netmask, TIpv4& broadcast);
QString ToString(const TIpv4& address);
bool ParseIpv4(const QString& text, TIpv4& address);
// The system resolver's first IPv4 address of a name or dotted literal
// (getaddrinfo); blocks as long as the resolver takes.
bool LookUpIpv4(const QString& name, TIpv4& address);

qint64 NowMs();

// A participant of the poll loop. Collect adds the descriptors it waits on
// (and may pull wakeAtMs earlier for its timers); Dispatch then gets exactly
// the entries it added, with their revents, and the current time. Dispatch is
// also called when only a timer ran out.
class TPollSource {
 public:
  virtual ~TPollSource() = default;
  virtual void Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) = 0;
  virtual void Dispatch(const pollfd* fds, size_t count, qint64 nowMs) = 0;
  // True when the source has nothing more to wait for.
  virtual bool Finished() const { return false; }
};

// Runs the sources until deadlineMs (NowMs() time), until every source is
// finished, or until stop() answers true; stop() is asked on this thread at
// least every 50 ms.
void RunLoop(const std::vector<TPollSource*>& sources, qint64 deadlineMs, const std::function<bool()>& stop);

}  // namespace DiscoveryNet
