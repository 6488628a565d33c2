// Listings made ahead of a walk: taken once, only as made, in the order a
// depth-first walk wants them, and dropped on request with their listers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/fs/FileAttr.h"
#include "platform/net/SmbUrl.h"
#include "platform/smb/SmbListPrefetch.h"

namespace {

// Lists "url" as one entry of that name; "denied" fails as the server
// would, "dies" as a helper that is gone. Held at a gate while it is shut.
struct TFake {
  std::mutex M;
  std::condition_variable Opened;
  bool Shut = false;
  QList<QByteArray> Listed;
  std::atomic<int> Alive{0};

  struct TLister : TSmbFolderLister {
    TFake& F;
    explicit TLister(TFake& f) : F(f) { ++F.Alive; }
    ~TLister() override { --F.Alive; }
    int List(const QByteArray& url, const TSmbCredential&, QList<TSmbEntry>& out) override {
      std::unique_lock lock(F.M);
      F.Listed.append(url);
      F.Opened.wait(lock, [this] { return !F.Shut; });
      if (url == "denied") return 13;
      if (url == "dies") return -1;
      TSmbEntry e;
      e.Name = QString::fromUtf8(url);
      out = {e};
      return 0;
    }
  };
  TSmbListPrefetch::TFactory Factory() {
    return [this] { return std::make_unique<TLister>(*this); };
  }
  void Close() {
    std::lock_guard lock(M);
    Shut = true;
  }
  void Open() {
    std::lock_guard lock(M);
    Shut = false;
    Opened.notify_all();
  }
  qsizetype Count() {
    std::lock_guard lock(M);
    return Listed.size();
  }
};

bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 2000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

TSmbListPrefetch::TLimits Limits(int listers, int freshMs = 60000) {
  TSmbListPrefetch::TLimits l;
  l.Listers = listers;
  l.FreshMs = freshMs;
  l.IdleMs = 60000;
  return l;
}

const TSmbCredential Guest, Alice{"alice", "", "pw"};

}  // namespace

TEST(SmbListPrefetch, AListingIsTakenOnceAndOnlyAsMadeElseTheCallerLists) {
  TFake fake;
  TSmbListPrefetch pool(fake.Factory(), Limits(3));
  pool.Offer({"a", "b", "denied"}, Guest);
  ASSERT_TRUE(WaitUntil([&] { return fake.Count() == 3; }));
  QList<TSmbEntry> out;
  ASSERT_TRUE(pool.Take("a", Guest, out));
  ASSERT_EQ(out.size(), 1);
  EXPECT_EQ(out[0].Name, "a");
  EXPECT_FALSE(pool.Take("a", Guest, out));       // used once
  EXPECT_FALSE(pool.Take("denied", Guest, out));  // a failure is the caller's to meet
  EXPECT_FALSE(pool.Take("b", Alice, out));       // made for another logon
  EXPECT_FALSE(pool.Take("elsewhere", Guest, out));

  TFake slow;
  TSmbListPrefetch stale(slow.Factory(), Limits(1, 0));
  stale.Offer({"a"}, Guest);
  ASSERT_TRUE(WaitUntil([&] { return slow.Count() == 1; }));
  EXPECT_FALSE(stale.Take("a", Guest, out));  // too old once made
}

TEST(SmbListPrefetch, TheLatestOfferedGoFirstAndWhatWaitsIsDroppedWithItsListers) {
  TFake fake;
  fake.Close();
  {
    TSmbListPrefetch pool(fake.Factory(), Limits(1));
    pool.Offer({"a", "b", "c"}, Guest);
    ASSERT_TRUE(WaitUntil([&] { return fake.Count() == 1; }));
    pool.Offer({"d", "e"}, Guest);  // the subfolders of "a", entered next
    QList<TSmbEntry> out;
    EXPECT_FALSE(pool.Take("c", Guest, out));  // not begun: the caller is as quick
    fake.Open();
    ASSERT_TRUE(WaitUntil([&] { return fake.Count() == 4; }));
    EXPECT_EQ(fake.Listed, (QList<QByteArray>{"a", "d", "e", "b"}));

    fake.Close();
    pool.Offer({"f", "g"}, Guest);
    ASSERT_TRUE(WaitUntil([&] { return fake.Count() == 5; }));
    pool.Drop();
    fake.Open();
    ASSERT_TRUE(WaitUntil([&] { return fake.Alive == 0; }));  // the helper ends
    EXPECT_FALSE(fake.Listed.contains("g"));
    EXPECT_FALSE(pool.Take("g", Guest, out));
  }
}

TEST(SmbListPrefetch, SubfoldersAreThoseAWalkEntersInItsOrder) {
  auto folder = [](const QString& name, int attrs = FILE_ATTRIBUTE_DIRECTORY) {
    TSmbEntry e;
    e.Name = name;
    e.Attrs = attrs;
    return e;
  };
  TFsPath at;
  at.Unc = true;
  at.Server = "SRV1";
  at.Share = "pub";
  at.Parts = {"top"};
  const QList<QByteArray> urls = TSmbListPrefetch::Subfolders(
      "10.0.0.1", at,
      {folder("."), folder(".."), folder("b"), folder("A c"), folder("file.txt", 0),
       folder("hidden", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN),
       folder("sys", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM), folder("x:y"), folder("Ü")});
  EXPECT_EQ(urls, (QList<QByteArray>{SmbUrl::Build("10.0.0.1", "pub", {"top", "A c"}),
                                     SmbUrl::Build("10.0.0.1", "pub", {"top", "b"}),
                                     SmbUrl::Build("10.0.0.1", "pub", {"top", "Ü"})}));
}
