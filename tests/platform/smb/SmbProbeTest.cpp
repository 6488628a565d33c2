// The probe made before any library call to a server, against listeners
// of this test on the loopback interface; how a stopped worker's calls
// into the library give up; and how a scan meets a server discovery names.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "platform/smb/SmbLibrary.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/smb/SmbProbe.h"
#include "platform/smb/SmbTree.h"
#include "platform/core/Thread.h"
#include "platform/core/WinError.h"

namespace {

// A listening socket on 127.0.0.1 (or another loopback address) with a
// port of the kernel's choice (or the one given).
struct Listener {
  int Fd = -1;
  int Port = 0;
  explicit Listener(quint32 address = INADDR_LOOPBACK, int port = 0) {
    Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(Fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(quint16(port));
    if (::bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return;
    ::listen(Fd, 8);
    socklen_t len = sizeof a;
    ::getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len);
    Port = ntohs(a.sin_port);
  }
  ~Listener() {
    if (Fd >= 0) ::close(Fd);
  }
};

// Answers each connection `l` takes with an empty message, until `quit`.
void AnswerEach(Listener& l, const std::atomic<bool>& quit, std::atomic<int>& taken) {
  while (!quit) {
    pollfd p{l.Fd, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    const int c = ::accept(l.Fd, nullptr, nullptr);
    if (c < 0) continue;
    ++taken;
    char buf[256];
    (void)::recv(c, buf, sizeof buf, 0);
    (void)::send(c, "\0\0\0\4", 4, MSG_NOSIGNAL);
    ::close(c);
  }
}

class Worker : public TThread {
 public:
  explicit Worker(std::function<void(Worker&)> body) : Body(std::move(body)) {}
  ~Worker() override { WaitFor(10000); }
  std::function<void(Worker&)> Body;

 protected:
  void Execute() override { Body(*this); }
};

void WaitEnd(Worker& w) {
  QElapsedTimer t;
  t.start();
  while (!w.Finished() && t.elapsed() < 20000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  ASSERT_TRUE(w.Finished());
}

void RunToEnd(Worker& w) {
  w.Resume();
  WaitEnd(w);
}

}  // namespace

TEST(SmbProbe, AServerCountsAsThereOnlyOnceItAnswers) {
  // Takes connections and answers the first bytes.
  Listener answering;
  std::thread server([&] {
    const int c = ::accept(answering.Fd, nullptr, nullptr);
    if (c < 0) return;
    char buf[256];
    (void)::recv(c, buf, sizeof buf, 0);
    (void)::send(c, "\0\0\0\4", 4, MSG_NOSIGNAL);
    ::close(c);
  });
  EXPECT_TRUE(SmbProbe::Answers("127.0.0.1", answering.Port, 5000));
  server.join();

  // Takes connections (the kernel does) and never answers: a hung server.
  Listener hung;
  EXPECT_FALSE(SmbProbe::Answers("127.0.0.1", hung.Port, 300));

  // Nobody listening.
  int closedPort = 0;
  {
    Listener gone;
    closedPort = gone.Port;
  }
  EXPECT_FALSE(SmbProbe::Answers("127.0.0.1", closedPort, 300));
  EXPECT_FALSE(SmbProbe::Answers("", 445, 300));

  // A stop request ends the wait.
  EXPECT_FALSE(SmbProbe::Answers("127.0.0.1", hung.Port, 60000, [] { return true; }));
}

TEST(SmbLibraryStop, AStoppedWorkerGivesUpItsCallsAndOthersAreNotStopped) {
  EXPECT_FALSE(TThread::CurrentTerminated());  // not a worker
  EXPECT_FALSE(TSmbLibrary::Stopped());

  std::atomic<bool> sawStop{false};
  int listResult = 0, readResult = 0, readErr = 0, netResult = 0, infoResult = 0;
  Worker w([&](Worker& self) {
    self.Terminate();
    sawStop = TSmbLibrary::Stopped();
    QList<TSmbEntry> entries;
    listResult = TSmbLibrary::Get().ListDir("smb://127.0.0.1/x/", TSmbCredential(), entries);
    char b[16];
    readResult = TSmbLibrary::Get().ReadAt(1, 0, b, sizeof b, readErr);
    // The back end answers a failure and nothing else.
    TSmbNetwork net;
    TFsPath p;
    FsPath::Parse("\\\\127.0.0.1\\x\\*", p);
    TSearchRec self2;
    QList<TSearchRec> out;
    netResult = net.ListFolder(p, TWildMask("*"), self2, out);
    NetApi::SERVER_INFO_101 info;
    infoResult = net.ServerInfo("\\\\127.0.0.1", info);
  });
  RunToEnd(w);
  EXPECT_TRUE(sawStop);
  EXPECT_EQ(listResult, TSmbLibrary::Abandoned);
  EXPECT_EQ(readResult, -1);
  EXPECT_EQ(readErr, TSmbLibrary::Abandoned);
  EXPECT_NE(netResult, 0);
  EXPECT_NE(infoResult, 0);
}

TEST(SmbProbe, AnswersAreKeptForAScanAndAServerThatDidNotAnswerIsPassedOverWhileAskedAgain) {
  // Answers every connection it takes, until told to stop.
  Listener answering;
  std::atomic<bool> quit{false};
  std::atomic<int> taken{0};
  std::thread server([&] { AnswerEach(answering, quit, taken); });
  EXPECT_TRUE(SmbProbe::Cached("127.0.0.1", {}, 60000, answering.Port));
  EXPECT_TRUE(SmbProbe::Cached("127.0.0.1", {}, 60000, answering.Port));
  EXPECT_EQ(taken, 1);  // the second answer came from memory
  SmbProbe::Forget();   // a new scan: asked again
  EXPECT_TRUE(SmbProbe::Cached("127.0.0.1", {}, 60000, answering.Port));
  EXPECT_EQ(taken, 2);
  quit = true;
  server.join();

  // A server that never answers: no the first time; after a new scan still
  // no (from memory, while a probe asks again behind the scenes), and a
  // probe started for the scan is not waited for either.
  Listener hung;
  EXPECT_FALSE(SmbProbe::Cached("127.0.0.1", {}, 60000, hung.Port));
  SmbProbe::Forget();
  SmbProbe::Start("127.0.0.1", hung.Port);
  EXPECT_FALSE(SmbProbe::Cached("127.0.0.1", {}, 60000, hung.Port));
  EXPECT_FALSE(SmbProbe::Cached("127.0.0.1", {}, 60000, hung.Port));
}

// The loop-back takes connections at once: here they count as a slow
// link's while the test runs.
struct TSlowLoopback {
  const int Before = std::exchange(SmbProbe::SlowLinkMs(), 0);
  ~TSlowLoopback() { SmbProbe::SlowLinkMs() = Before; }
};

TEST(SmbProbe, PatienceIsForAServerSlowInThisScanAndOnlyUntilItStaysSilentThroughIt) {
  // Takes the connection at once and answers nothing: hung, not far away;
  // no patience for it.
  Listener near;
  EXPECT_FALSE(SmbProbe::Cached("127.0.0.1", {}, 60000, near.Port));
  EXPECT_FALSE(SmbProbe::Slow("127.0.0.1", near.Port));

  // Behind a slow link: slow for now; no patience for it after a new
  // scan, while it is asked again.
  TSlowLoopback slowLink;
  Listener slow;
  EXPECT_FALSE(SmbProbe::Cached("127.0.0.1", {}, 60000, slow.Port));
  EXPECT_TRUE(SmbProbe::Slow("127.0.0.1", slow.Port));
  SmbProbe::Forget();
  EXPECT_FALSE(SmbProbe::Slow("127.0.0.1", slow.Port));

  // Silent through a patient probe too: a server that never answers, not
  // given patience again, in this scan or the next.
  Listener hung;
  EXPECT_FALSE(SmbProbe::Cached("127.0.0.1", {}, 60000, hung.Port));
  EXPECT_FALSE(SmbProbe::Patiently("127.0.0.1", SmbProbe::BudgetMs + 100, {}, hung.Port));
  EXPECT_FALSE(SmbProbe::Slow("127.0.0.1", hung.Port));
  SmbProbe::Forget();
  EXPECT_FALSE(SmbProbe::Patiently("127.0.0.1", 300, {}, hung.Port));
  EXPECT_FALSE(SmbProbe::Slow("127.0.0.1", hung.Port));
}

TEST(SmbProbe, AServerBackFromAnOutageIsReachedOnceItsNotThereHasAged) {
  // Not there (its link down): no. Back again: once the "not there" is
  // older than the time it is kept, the next asker waits for a new probe
  // and gets yes, instead of a no from memory that would pass for an
  // empty share.
  Listener server;
  EXPECT_FALSE(SmbProbe::Cached("127.0.0.1", {}, 200, server.Port));
  std::atomic<bool> quit{false};
  std::thread answering([&] {
    while (!quit) {
      pollfd p{server.Fd, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const int c = ::accept(server.Fd, nullptr, nullptr);
      if (c < 0) continue;
      char buf[256];
      (void)::recv(c, buf, sizeof buf, 0);
      (void)::send(c, "\0\0\0\4", 4, MSG_NOSIGNAL);
      ::close(c);
    }
  });
  QThread::msleep(300);  // the "not there" ages past its 200 ms
  EXPECT_TRUE(SmbProbe::Cached("127.0.0.1", {}, 200, server.Port));
  quit = true;
  answering.join();
}

TEST(SmbLibraryQueue, ACallAbandonedInFlightEndsOnTheLibrarysThreadAndTheQueueGoesOn) {
  // Takes the library's connection and never answers: the call hangs.
  auto hung = std::make_unique<Listener>();
  const QByteArray url = "smb://127.0.0.1:" + QByteArray::number(hung->Port) + "/x/";
  std::atomic<int> result{0};
  Worker w([&](Worker&) {
    QList<TSmbEntry> entries;
    result = TSmbLibrary::Get().ListDir(url, TSmbCredential(), entries);
  });
  w.Resume();
  pollfd p{hung->Fd, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 20000), 1);  // the call is in flight
  const int c = ::accept(hung->Fd, nullptr, nullptr);
  w.Terminate();
  WaitEnd(w);
  EXPECT_EQ(result, TSmbLibrary::Abandoned);
  // The server goes: the call ends with nobody to see it, and the next
  // caller gets its own answer.
  ::close(c);
  hung.reset();
  QList<TSmbEntry> entries;
  const int next = TSmbLibrary::Get().ListDir(url, TSmbCredential(), entries);
  EXPECT_NE(next, 0);
  EXPECT_NE(next, TSmbLibrary::Abandoned);

  // A read of a file that is closed (or never was open) fails; it never
  // hands out bytes.
  TSmbLibrary::Get().Close(4711);
  char b[16];
  int err = 0;
  EXPECT_EQ(TSmbLibrary::Get().FinishRead(TSmbLibrary::Get().StartRead(4711, 0, sizeof b), b, sizeof b, err), -1);
  EXPECT_EQ(err, EBADF);
}

TEST(SmbNetworkScan, AServerIsMetWhileDiscoveryListensAndItsShareListServesTheWalk) {
  // On the SMB port of a loopback address of its own: there for the probe,
  // but its share list fails (it answers every message with nothing).
  Listener server(0x7F000007, 445);
  ASSERT_GT(server.Port, 0);
  std::atomic<bool> quit{false};
  std::atomic<int> taken{0};
  std::thread serving([&] { AnswerEach(server, quit, taken); });
  int takenWhileListening = 0;
  TSmbNetwork::DiscoveryStandInForTests() = [&](const std::function<void(const TFoundServer&)>& found) {
    const TFoundServer s{"LOOPSRV", "LOOPGRP", false, {{127, 0, 0, 7}}, {"wsd"}};
    found(s);
    // Discovery still listens: the probe and the session come meanwhile.
    for (int i = 0; i < 2000 && taken < 2; ++i) QThread::msleep(10);
    takenWhileListening = taken;
    return QList<TFoundServer>{s};
  };
  TSmbNetwork net;
  const NetApi::NETRESOURCE provider = SmbTree::ProviderRecord();
  QList<NetApi::NETRESOURCE> groups, shares;
  EXPECT_EQ(net.Children(&provider, groups), 0);
  TSmbNetwork::DiscoveryStandInForTests() = nullptr;
  EXPECT_GE(takenWhileListening, 2);

  NetApi::NETRESOURCE node;
  node.dwUsage = NetApi::RESOURCEUSAGE_CONTAINER;
  node.dwDisplayType = NetApi::RESOURCEDISPLAYTYPE_SERVER;
  node.lpRemoteName = QStringLiteral("\\\\LOOPSRV");
  const int first = net.Children(&node, shares);
  EXPECT_NE(first, 0);
  EXPECT_NE(first, int(ERROR_SEM_TIMEOUT));
  const int met = taken;
  // Asked again in the same scan, the walk lists on its own: as many
  // connections as the meeting's list, so the first walk made none.
  EXPECT_NE(net.Children(&node, shares), 0);
  const int ownList = taken - met;
  EXPECT_GE(ownList, 1);
  EXPECT_EQ(met, 1 + ownList);  // the probe, once
  quit = true;
  serving.join();
}

TEST(SmbNetworkScan, ASlowServerIsGivenItsPatienceWhileDiscoveryListensAndTheWalkTakesItsSilence) {
  // Takes every connection, answers nothing: its patient probe comes in its
  // meeting, beside discovery, not when the walk reaches it.
  TSlowLoopback slowLink;
  auto server = std::make_unique<Listener>(0x7F000008, 445);
  ASSERT_GT(server->Port, 0);
  std::atomic<bool> quit{false};
  std::atomic<int> taken{0};
  std::vector<int> held;  // the holding thread's until it ends
  std::thread holding([&] {
    while (!quit)
      if (pollfd p{server->Fd, POLLIN, 0}; ::poll(&p, 1, 20) > 0) {
        held.push_back(::accept(server->Fd, nullptr, nullptr));
        ++taken;
      }
  });
  int takenWhileListening = 0;
  TSmbNetwork::DiscoveryStandInForTests() = [&](const std::function<void(const TFoundServer&)>& found) {
    const TFoundServer s{"SILENT", "LOOPGRP", false, {{127, 0, 0, 8}}, {"wsd"}};
    found(s);
    for (int i = 0; i < 500 && taken < 2; ++i) QThread::msleep(10);
    takenWhileListening = taken;
    return QList<TFoundServer>{s};
  };
  TSmbNetwork net;
  const NetApi::NETRESOURCE provider = SmbTree::ProviderRecord();
  QList<NetApi::NETRESOURCE> groups, shares;
  EXPECT_EQ(net.Children(&provider, groups), 0);
  TSmbNetwork::DiscoveryStandInForTests() = nullptr;
  EXPECT_EQ(takenWhileListening, 2);  // the probe and the patient one
  quit = true;  // the server goes: the patient probe ends, unanswered
  holding.join();
  for (const int c : held) ::close(c);
  server.reset();
  NetApi::NETRESOURCE node;
  node.dwUsage = NetApi::RESOURCEUSAGE_CONTAINER;
  node.dwDisplayType = NetApi::RESOURCEDISPLAYTYPE_SERVER;
  node.lpRemoteName = QStringLiteral("\\\\SILENT");
  EXPECT_EQ(net.Children(&node, shares), int(ERROR_SEM_TIMEOUT));  // unanswered, as the walk would find it
}
