// smbnet-relay: a user-space stand-in for a slow or lossy link in front of
// a server of the private test network (this kernel has no netem). Each
// accepted connection gets one to the target; every chunk read is delivered
// after the one-way delay, paced by a rate cap shared by all connections of
// a direction (as one link carries them), and now and then held back as a
// lost segment holds a TCP stream.
//
//   smbnet-relay --listen ADDR [--listen ADDR...] [--target ADDR] --port P [--port P...]
//                [--connect-netns PATH] [--delay MS] [--rate BITS[k|M|G]]
//                [--stall PROB:MS] [--ready FILE]
//
// Each listening address is its own target unless --target names another
// (with one --listen only); every address listens on every port, and all
// share the one link (its rate cap), as the client's own link carries them.
//
// The listening sockets are made in the namespace the relay starts in; the
// connections to the target in --connect-netns, so the relay can hold the
// server's own address on one side and still reach the server on the other.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Nanos = std::chrono::nanoseconds;

struct TOptions {
  std::vector<std::string> Listen;
  std::string Target, Ready;
  std::vector<int> Ports;
  std::string ConnectNetns;
  Nanos Delay{0};
  double RateBits = 0;  // 0: no cap
  double StallProbability = 0;
  Nanos Stall{0};
};
TOptions Opt;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "smbnet-relay: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}
[[noreturn]] void Usage(const std::string& what) {
  std::fprintf(stderr, "smbnet-relay: %s\n", what.c_str());
  std::exit(2);
}

Nanos Milliseconds(const std::string& text) { return Nanos(static_cast<long long>(std::stod(text) * 1e6)); }

double Bits(const std::string& text) {
  size_t used = 0;
  double v = std::stod(text, &used);
  const std::string unit = text.substr(used);
  if (unit == "k" || unit == "K") v *= 1e3;
  else if (unit == "m" || unit == "M") v *= 1e6;
  else if (unit == "g" || unit == "G") v *= 1e9;
  else if (!unit.empty()) Usage("unknown rate unit: " + text);
  return v;
}

// The link's one direction: when its next byte can start on the wire.
struct TLink {
  std::mutex M;
  Clock::time_point NextFree{};
  // When `bytes` read now have crossed the link.
  Clock::time_point Carry(size_t bytes) {
    const Clock::time_point now = Clock::now();
    if (Opt.RateBits <= 0) return now + Opt.Delay;
    std::lock_guard lock(M);
    const Clock::time_point start = std::max(now, NextFree);
    NextFree = start + Nanos(static_cast<long long>(double(bytes) * 8e9 / Opt.RateBits));
    return NextFree + Opt.Delay;
  }
};
TLink Up, Down;

// What one direction of one connection has read and not yet delivered.
struct TQueue {
  struct TChunk {
    std::vector<char> Data;  // empty: the end of the stream
    Clock::time_point Due;
  };
  std::mutex M;
  std::condition_variable Changed;
  std::deque<TChunk> Chunks;
  size_t Bytes = 0;
  bool Broken = false;
};

// Enough in flight for the whole delay at the capped rate, and then some.
size_t QueueLimit() {
  const double seconds = std::chrono::duration<double>(Opt.Delay).count() + 0.05;
  const double rate = Opt.RateBits > 0 ? Opt.RateBits / 8 : 2e9;
  return std::max<size_t>(256 * 1024, size_t(rate * seconds * 2));
}

void Break(TQueue& q) {
  std::lock_guard lock(q.M);
  q.Broken = true;
  q.Changed.notify_all();
}

void Read(int from, TQueue& q, TLink& link) {
  std::mt19937_64 random(std::random_device{}());
  std::uniform_real_distribution<double> chance(0, 1);
  Clock::time_point last{};
  const size_t limit = QueueLimit();
  for (;;) {
    std::vector<char> data(64 * 1024);
    const ssize_t n = read(from, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    data.resize(n > 0 ? size_t(n) : 0);
    Clock::time_point due = n > 0 ? link.Carry(size_t(n)) : Clock::now() + Opt.Delay;
    if (n > 0 && Opt.StallProbability > 0 && chance(random) < Opt.StallProbability) due += Opt.Stall;
    due = std::max(due, last);  // a stream keeps its order
    last = due;
    std::unique_lock lock(q.M);
    q.Changed.wait(lock, [&] { return q.Broken || q.Bytes < limit; });
    if (q.Broken) break;
    q.Bytes += data.size();
    const bool end = n <= 0;
    q.Chunks.push_back({std::move(data), due});
    q.Changed.notify_all();
    if (end) {
      if (n < 0) q.Broken = true;
      break;
    }
  }
}

void Write(int to, TQueue& q, int from) {
  for (;;) {
    TQueue::TChunk c;
    {
      std::unique_lock lock(q.M);
      q.Changed.wait(lock, [&] { return q.Broken || !q.Chunks.empty(); });
      if (q.Chunks.empty()) break;
      c = std::move(q.Chunks.front());
      if (q.Changed.wait_until(lock, c.Due, [&] { return q.Broken; })) break;
      q.Chunks.pop_front();
      q.Bytes -= c.Data.size();
      q.Changed.notify_all();
    }
    if (c.Data.empty()) {
      shutdown(to, SHUT_WR);
      return;
    }
    for (size_t done = 0; done < c.Data.size();) {
      const ssize_t n = write(to, c.Data.data() + done, c.Data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        Break(q);
        shutdown(from, SHUT_RDWR);
        return;
      }
      done += size_t(n);
    }
  }
  // Broken: both sides learn at once.
  shutdown(to, SHUT_RDWR);
  shutdown(from, SHUT_RDWR);
}

int ConnectTarget(const std::string& target, int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(uint16_t(port));
  inet_pton(AF_INET, target.c_str(), &a.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void Relay(int client, std::string target, int port) {
  const int one = 1;
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  const int server = ConnectTarget(target, port);
  if (server < 0) {
    // Refused or unreachable: the client sees a reset, as it would directly.
    const linger reset{1, 0};
    setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(client);
    return;
  }
  setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  TQueue toServer, toClient;
  std::thread a([&] { Read(client, toServer, Up); });
  std::thread b([&] { Write(server, toServer, client); });
  std::thread c([&] { Read(server, toClient, Down); });
  Write(client, toClient, server);
  b.join();
  // Once both writers are done (or broken), the readers end with their sockets.
  shutdown(client, SHUT_RDWR);
  shutdown(server, SHUT_RDWR);
  Break(toServer);
  Break(toClient);
  a.join();
  c.join();
  close(client);
  close(server);
}

int Listen(const std::string& address, int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) Fail("socket");
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(uint16_t(port));
  if (inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) Usage("not an address: " + address);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) Fail("bind " + address + ":" + std::to_string(port));
  if (listen(fd, 128) != 0) Fail("listen");
  return fd;
}

void Parse(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string k = argv[i];
    if (i + 1 >= argc) Usage("no value for " + k);
    const std::string v = argv[++i];
    if (k == "--listen") Opt.Listen.push_back(v);
    else if (k == "--target") Opt.Target = v;
    else if (k == "--port") Opt.Ports.push_back(std::stoi(v));
    else if (k == "--connect-netns") Opt.ConnectNetns = v;
    else if (k == "--delay") Opt.Delay = Milliseconds(v);
    else if (k == "--rate") Opt.RateBits = Bits(v);
    else if (k == "--ready") Opt.Ready = v;
    else if (k == "--stall") {
      const size_t colon = v.find(':');
      if (colon == std::string::npos) Usage("--stall wants PROB:MS");
      Opt.StallProbability = std::stod(v.substr(0, colon));
      Opt.Stall = Milliseconds(v.substr(colon + 1));
    } else Usage("unknown option " + k);
  }
  if (Opt.Listen.empty() || Opt.Ports.empty()) Usage("--listen and --port are needed");
  if (!Opt.Target.empty() && Opt.Listen.size() > 1) Usage("--target goes with one --listen only");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Parse(argc, argv);
  } catch (const std::exception&) {
    Usage("a value is not a number");
  }
  signal(SIGPIPE, SIG_IGN);
  // One listening socket per address and port, with where its connections go.
  std::vector<pollfd> listening;
  std::vector<std::pair<std::string, int>> targets;
  for (const std::string& address : Opt.Listen)
    for (int port : Opt.Ports) {
      listening.push_back({Listen(address, port), POLLIN, 0});
      targets.emplace_back(Opt.Target.empty() ? address : Opt.Target, port);
    }
  if (!Opt.ConnectNetns.empty()) {
    // Threads started from here on make their sockets in that namespace.
    const int ns = open(Opt.ConnectNetns.c_str(), O_RDONLY | O_CLOEXEC);
    if (ns < 0 || setns(ns, CLONE_NEWNET) != 0) Fail("setns " + Opt.ConnectNetns);
    close(ns);
  }
  if (!Opt.Ready.empty()) {
    FILE* f = std::fopen(Opt.Ready.c_str(), "w");
    if (!f) Fail("ready file");
    std::fclose(f);
  }
  for (;;) {
    if (poll(listening.data(), listening.size(), -1) < 0) {
      if (errno == EINTR) continue;
      Fail("poll");
    }
    for (size_t i = 0; i < listening.size(); ++i) {
      if (!(listening[i].revents & POLLIN)) continue;
      const int client = accept4(listening[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0) std::thread(Relay, client, targets[i].first, targets[i].second).detach();
    }
  }
}
