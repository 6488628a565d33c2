#include "platform/smb/SmbListPrefetch.h"

#include <QHash>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "platform/fs/FileAttr.h"
#include "platform/fs/WildMatch.h"
#include "platform/fs/WinPath.h"
#include "platform/net/SmbUrl.h"
#include "platform/smb/SmbListHelper.h"

namespace {

qint64 NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

struct TSmbListPrefetch::TState {
  TFactory Factory;
  TLimits Limits;

  enum TStage { Queued, Running, Done };
  struct TJob {
    TSmbCredential Credential;
    TStage Stage = Queued;
    qint64 Asked = 0;  // when a lister began it
    QList<TSmbEntry> Entries;
  };

  std::mutex Mutex;
  std::condition_variable Wake;      // work, room or the end for the listers
  std::condition_variable Finished;  // a job ended, or a lister did
  QHash<QByteArray, TJob> Jobs;
  std::deque<QByteArray> Queue;      // the next at the back
  qint64 Held = 0;                   // entries of the jobs done
  qint64 LastUse = 0;
  qint64 Taken = 0;
  int Listers = 0;  // serving
  int Threads = 0;  // their threads, until each has ended its lister
  int NextId = 0;
  bool Ending = false;
  // Listers that failed themselves again and again (no helper program, say):
  // nothing is offered to them until they have ended.
  bool Broken = false;
  std::map<int, pid_t> Pids;

  // Forgets results no longer fresh. Under the mutex.
  void Expire(qint64 now) {
    for (auto it = Jobs.begin(); it != Jobs.end();) {
      if (it->Stage == Done && now - it->Asked >= Limits.FreshMs) {
        Held -= it->Entries.size();
        it = Jobs.erase(it);
      } else {
        ++it;
      }
    }
  }

  // Drops every job but those under way. Under the mutex.
  void DropWaiting() {
    Queue.clear();
    Jobs.removeIf([](const auto& it) { return it.value().Stage != Running; });
    Held = 0;
    Wake.notify_all();
  }
};

TSmbListPrefetch::TSmbListPrefetch(TFactory factory, TLimits limits) : FState(std::make_shared<TState>()) {
  FState->Factory = std::move(factory);
  FState->Limits = limits;
}

TSmbListPrefetch::~TSmbListPrefetch() {
  std::unique_lock lock(FState->Mutex);
  FState->Ending = true;
  FState->DropWaiting();
  FState->Finished.wait(lock, [this] { return FState->Threads == 0; });
}

TSmbListPrefetch& TSmbListPrefetch::Get() {
  static TSmbListPrefetch* pool = new TSmbListPrefetch([] { return std::make_unique<TSmbListHelper>(); });
  return *pool;
}

void TSmbListPrefetch::Offer(const QList<QByteArray>& urls, const TSmbCredential& c) {
  TState& s = *FState;
  if (OffForTests()) return;
  std::lock_guard lock(s.Mutex);
  s.LastUse = NowMs();
  if (s.Ending || s.Broken || urls.isEmpty()) return;
  // The first to enter goes to the back, where the listers take from.
  for (qsizetype i = std::min<qsizetype>(urls.size(), s.Limits.Queued) - 1; i >= 0; --i) {
    if (s.Jobs.contains(urls[i])) continue;
    s.Jobs.insert(urls[i], TState::TJob{c, TState::Queued, 0, {}});
    s.Queue.push_back(urls[i]);
  }
  while (qsizetype(s.Queue.size()) > s.Limits.Queued) {
    s.Jobs.remove(s.Queue.front());
    s.Queue.pop_front();
  }
  while (s.Listers < s.Limits.Listers && s.Listers < qsizetype(s.Queue.size())) {
    ++s.Listers;
    ++s.Threads;
    std::thread(Run, FState, s.NextId++).detach();
  }
  s.Wake.notify_all();
}

bool TSmbListPrefetch::Take(const QByteArray& url, const TSmbCredential& c, QList<TSmbEntry>& out) {
  TState& s = *FState;
  std::unique_lock lock(s.Mutex);
  for (;;) {
    const qint64 now = NowMs();
    s.LastUse = now;
    s.Expire(now);
    auto it = s.Jobs.find(url);
    if (it == s.Jobs.end()) return false;
    if (it->Stage == TState::Queued) {
      // Not begun: the caller is as quick itself.
      s.Queue.erase(std::find(s.Queue.begin(), s.Queue.end(), url));
      s.Jobs.erase(it);
      return false;
    }
    if (it->Stage == TState::Done) {
      const bool fits = it->Credential == c;
      s.Held -= it->Entries.size();
      if (fits) out = std::move(it->Entries);
      s.Taken += fits;
      s.Jobs.erase(it);
      s.Wake.notify_all();
      return fits;
    }
    if (!(it->Credential == c) || TSmbLibrary::Stopped()) return false;
    s.Finished.wait_for(lock, std::chrono::milliseconds(50));
  }
}

void TSmbListPrefetch::Drop() {
  std::lock_guard lock(FState->Mutex);
  FState->DropWaiting();
  // Listers with nothing to do end now rather than after their idle time.
  FState->LastUse = NowMs() - FState->Limits.IdleMs;
}

QList<pid_t> TSmbListPrefetch::Pids() const {
  std::lock_guard lock(FState->Mutex);
  QList<pid_t> pids;
  for (const auto& [id, pid] : FState->Pids)
    if (pid > 0) pids.append(pid);
  return pids;
}

qint64 TSmbListPrefetch::Taken() const {
  std::lock_guard lock(FState->Mutex);
  return FState->Taken;
}

std::atomic<bool>& TSmbListPrefetch::OffForTests() {
  static std::atomic<bool> off{false};
  return off;
}

void TSmbListPrefetch::Run(std::shared_ptr<TState> state, int id) {
  TState& s = *state;
  std::unique_ptr<TSmbFolderLister> lister;
  int failures = 0;
  std::unique_lock lock(s.Mutex);
  for (;;) {
    const qint64 now = NowMs();
    s.Expire(now);
    if (s.Ending || now - s.LastUse >= s.Limits.IdleMs) break;
    if (s.Queue.empty() || s.Held >= s.Limits.HeldEntries) {
      // Woken by work or room; the clock's rules are looked at anyway.
      s.Wake.wait_for(lock, std::chrono::milliseconds(100));
      continue;
    }
    const QByteArray url = s.Queue.back();
    s.Queue.pop_back();
    TState::TJob& job = s.Jobs[url];
    job.Stage = TState::Running;
    job.Asked = now;
    const TSmbCredential c = job.Credential;
    lock.unlock();
    if (!lister) lister = s.Factory();
    QList<TSmbEntry> entries;
    const int r = lister->List(url, c, entries);
    const pid_t pid = lister->Pid();
    lock.lock();
    s.Pids[id] = pid;
    auto it = s.Jobs.find(url);
    if (it != s.Jobs.end() && r == 0) {
      it->Stage = TState::Done;
      s.Held += entries.size();
      it->Entries = std::move(entries);
    } else if (it != s.Jobs.end()) {
      s.Jobs.erase(it);
    }
    failures = r < 0 ? failures + 1 : 0;
    if (failures >= 3) s.Broken = true;
    s.Finished.notify_all();
  }
  // The last to end leaves nothing behind.
  if (--s.Listers == 0) {
    s.DropWaiting();
    s.Broken = false;
  }
  lock.unlock();
  lister.reset();  // the helper killed and reaped
  lock.lock();
  s.Pids.erase(id);
  --s.Threads;
  s.Finished.notify_all();
}

QList<QByteArray> TSmbListPrefetch::Subfolders(const QString& host, const TFsPath& folder,
                                               const QList<TSmbEntry>& entries) {
  QStringList names;
  for (const TSmbEntry& e : entries)
    if ((e.Attrs & FILE_ATTRIBUTE_DIRECTORY) && !(e.Attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
        WinPath::IsPlainEntryName(e.Name))
      names.append(e.Name);
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return WildMatch::CompareNames(a, b) < 0; });
  QList<QByteArray> urls;
  urls.reserve(names.size());
  QStringList parts = folder.Parts;
  parts.append(QString());
  for (const QString& name : names) {
    parts.last() = name;
    urls.append(SmbUrl::Build(host, folder.Share, parts));
  }
  return urls;
}
