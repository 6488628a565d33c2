#include "platform/smb/SmbLibrary.h"

#include <QHash>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/core/Log.h"
#include "platform/core/Thread.h"
#include "platform/fs/FileAttr.h"
#include "platform/smb/SmbContext.h"
#include "platform/smb/SmbErrors.h"
#include "platform/smb/SmbProbe.h"

// Samba's headers last: netapi.h defines Windows error names as macros,
// needs the fixed-width types first, and lacks the level-100 workstation
// record. Nothing below uses this layer's error names.
#include <stdint.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <unistd.h>

#include <libsmbclient.h>
#include <netapi.h>

// The record NetWkstaGetInfo fills at level 100 (from libnetapi's IDL).
struct WKSTA_INFO_100 {
  uint32_t wki100_platform_id;
  const char* wki100_computername;
  const char* wki100_langroup;
  uint32_t wki100_ver_major;
  uint32_t wki100_ver_minor;
};

namespace {

// ------------------------------------------------------------ library state
// Touched only on the library's thread.

struct TState {
  bool Tried = false;
  SMBCCTX* Ctx = nullptr;
  libnetapi_ctx* Net = nullptr;
  QByteArray DefaultWorkgroup = "WORKGROUP";
  TSmbCredential Current;  // what the authentication callback hands out
  QHash<qint64, SMBCFILE*> Files;
  QHash<qint64, qint64> FilePos;  // where each file's next read starts
  qint64 NextHandle = 1;
};

TState& S() {
  static TState* s = new TState;  // never destroyed: the context outlives every call
  return *s;
}

void Copy(const QString& text, char* out, int size) {
  if (!out || size <= 0) return;
  const QByteArray b = text.toUtf8();
  const int n = qMin(int(b.size()), size - 1);
  std::memcpy(out, b.constData(), size_t(n));
  out[n] = '\0';
}

// Never asks anyone: hands out the credentials of the attempt under way.
void Authenticate(SMBCCTX*, const char*, const char*, char* wg, int wglen, char* un, int unlen, char* pw,
                  int pwlen) {
  const TSmbCredential& c = S().Current;
  if (!c.Domain.isEmpty()) Copy(c.Domain, wg, wglen);
  Copy(c.User, un, unlen);
  Copy(c.Password, pw, pwlen);
}

// True when an interface is up that Samba's interface probe counts (one
// with an address that is loopback, broadcast or point-to-point). Without
// one the libraries' set-up ends the process (Samba's load_interfaces
// calls exit), so they are not set up then: the network is simply empty.
bool InterfaceUp() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool up = false;
  for (const ifaddrs* i = list; i && !up; i = i->ifa_next) {
    if (!i->ifa_addr || !i->ifa_netmask || !(i->ifa_flags & IFF_UP)) continue;
    if (i->ifa_addr->sa_family != AF_INET && i->ifa_addr->sa_family != AF_INET6) continue;
    up = (i->ifa_flags & (IFF_BROADCAST | IFF_LOOPBACK)) || ((i->ifa_flags & IFF_POINTOPOINT) && i->ifa_dstaddr);
  }
  freeifaddrs(list);
  return up;
}

bool Init() {
  TState& s = S();
  if (s.Tried) return s.Ctx != nullptr;
  if (!InterfaceUp()) return false;  // asked again at the next call
  s.Tried = true;
  // libnetapi first: it loads the Samba configuration the context then
  // shares. A password is always set, or it would prompt on the terminal.
  if (libnetapi_init(&s.Net) == 0 && s.Net) {
    libnetapi_set_debuglevel(s.Net, "0");
    libnetapi_set_username(s.Net, "");
    libnetapi_set_password(s.Net, "");
  } else {
    qCDebug(LogSmb) << "libnetapi not available: server information and workgroups cannot be asked";
    s.Net = nullptr;
  }
  // The settings are those of the read helpers' contexts too.
  SMBCCTX* ctx = SmbContext::New(Authenticate);
  if (!ctx) {
    qCDebug(LogSmb) << "libsmbclient context not initialised: errno" << errno << std::strerror(errno);
    return false;
  }
  s.Ctx = ctx;
  if (const char* wg = smbc_getWorkgroup(ctx); wg && *wg) s.DefaultWorkgroup = wg;
  return true;
}

// Makes `c` the credentials of the calls that follow.
void UseCredential(const TSmbCredential& c) {
  TState& s = S();
  s.Current = c;
  const QByteArray user = c.User.toUtf8();
  const QByteArray wg = c.Domain.isEmpty() ? s.DefaultWorkgroup : c.Domain.toUtf8();
  SmbContext::UseUser(s.Ctx, user.constData(), wg.constData());
  if (s.Net) {
    libnetapi_set_username(s.Net, user.constData());
    libnetapi_set_password(s.Net, c.Password.toUtf8().constData());
    libnetapi_set_workgroup(s.Net, wg.constData());
  }
}

// Runs `call` (errno result); a library that reports EINVAL because of the
// user's ticket cache is asked once more without it.
template <class F>
int WithCCacheRetry(F call) {
  int err = call();
  if (err == EINVAL && S().Current.User.isEmpty()) {
    smbc_setOptionUseCCache(S().Ctx, 0);
    err = call();
    smbc_setOptionUseCCache(S().Ctx, 1);
  }
  return err;
}

qint64 Ns(const timespec& t) { return SmbContext::TimeNs(t); }

int AttrsFromMode(const struct stat& st) {
  // The library codes the DOS bits into the mode: write permission for
  // "not read-only", and for files the execute bits of user, group and
  // others for archive, system and hidden (folders have them all set).
  int a = 0;
  if (!(st.st_mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
  if (S_ISDIR(st.st_mode)) return a | FILE_ATTRIBUTE_DIRECTORY;
  if (st.st_mode & S_IXUSR) a |= FILE_ATTRIBUTE_ARCHIVE;
  if (st.st_mode & S_IXGRP) a |= FILE_ATTRIBUTE_SYSTEM;
  if (st.st_mode & S_IXOTH) a |= FILE_ATTRIBUTE_HIDDEN;
  return a;
}

QString Text(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

QList<TSmbEntry> SmbEntries(const std::vector<SmbContext::TEntry>& listed) {
  QList<TSmbEntry> entries;
  entries.reserve(qsizetype(listed.size()));
  for (const SmbContext::TEntry& l : listed) {
    TSmbEntry e;
    e.Name = QString::fromStdString(l.Name);
    e.ShortName = QString::fromStdString(l.ShortName);
    e.Attrs = l.Attrs;
    e.Size = l.Size;
    e.WriteTimeNs = l.TimeNs;
    e.Device = l.Device;
    e.FileIndex = l.FileIndex;
    entries.append(std::move(e));
  }
  return entries;
}

// Logs a failed library call with what it was about (URLs carry no
// password: the authentication callback hands those out), and passes its
// errno on.
int Failed(const char* what, const QByteArray& url, int err) {
  qCDebug(LogSmb).nospace() << what << " " << url.constData() << " failed: errno " << err << " (" << std::strerror(err)
                            << ")";
  return err;
}

// The server part of an smb:// address, for a probe of it.
QString HostOf(const QByteArray& url) {
  QByteArray rest = url.mid(url.indexOf("//") + 2);
  rest = rest.left(rest.indexOf('/') < 0 ? rest.size() : rest.indexOf('/'));
  rest = rest.mid(rest.lastIndexOf('@') + 1);
  return QUrl::fromPercentEncoding(rest.left(rest.indexOf(':') < 0 ? rest.size() : rest.indexOf(':')));
}

// Runs `call` (errno result) as WithCCacheRetry does. A connection the
// library kept from before may have died (the server restarted, the link
// was down or moved): on an error that says so, the connections no open
// file holds are dropped and `call` runs once more on a new one. After a
// timeout they are dropped too, and the call runs again only when the
// server answers a fresh probe at once: a connection that died silently
// must not fail the call, but a server that is gone or hung must not cost
// a second timeout.
template <class F>
int WithReconnect(const QByteArray& url, F call) {
  int err = WithCCacheRetry(call);
  if (SmbErrors::IsConnectionLost(err) || err == ETIMEDOUT) {
    smbc_getFunctionPurgeCachedServers(S().Ctx)(S().Ctx);
    if (err != ETIMEDOUT || SmbProbe::Answers(HostOf(url))) err = WithCCacheRetry(call);
  }
  return err;
}

}  // namespace

// ------------------------------------------------------------ the library's thread

struct TSmbLibrary::TTask {
  std::function<void()> Job;
  bool Done = false;
  bool Dropped = false;  // its worker gave up before it began
};

struct TSmbLibrary::TQueue {
  std::mutex Mutex;
  std::condition_variable Wake;      // a task arrived
  std::condition_variable Finished;  // a task ended
  std::deque<std::shared_ptr<TTask>> Tasks;

  void Loop() {
    for (;;) {
      std::shared_ptr<TTask> task;
      {
        std::unique_lock lock(Mutex);
        Wake.wait(lock, [this] { return !Tasks.empty(); });
        task = Tasks.front();
        Tasks.pop_front();
        if (task->Dropped) continue;
      }
      task->Job();
      {
        std::lock_guard lock(Mutex);
        task->Done = true;
      }
      Finished.notify_all();
    }
  }
};

TSmbLibrary::TSmbLibrary() : FQueue(std::make_shared<TQueue>()) {
  // The thread is never joined: it lives as long as the process, as the
  // context does.
  std::thread([q = FQueue] { q->Loop(); }).detach();
}

TSmbLibrary& TSmbLibrary::Get() {
  static TSmbLibrary* library = new TSmbLibrary;
  return *library;
}

void TSmbLibrary::Prepare() {
  Post([] { Init(); });
}

bool TSmbLibrary::Stopped() { return TThread::CurrentTerminated(); }

std::shared_ptr<TSmbLibrary::TTask> TSmbLibrary::Submit(std::function<void()> job) {
  auto task = std::make_shared<TTask>();
  task->Job = std::move(job);
  std::lock_guard lock(FQueue->Mutex);
  FQueue->Tasks.push_back(task);
  FQueue->Wake.notify_one();
  return task;
}

bool TSmbLibrary::Wait(const std::shared_ptr<TTask>& task) {
  std::unique_lock lock(FQueue->Mutex);
  while (!task->Done) {
    if (Stopped()) {
      task->Dropped = true;
      return false;
    }
    FQueue->Finished.wait_for(lock, std::chrono::milliseconds(50));
  }
  return true;
}

bool TSmbLibrary::Run(std::function<void()> job) {
  if (Stopped()) return false;
  return Wait(Submit(std::move(job)));
}

void TSmbLibrary::Post(std::function<void()> job) { Submit(std::move(job)); }

// ------------------------------------------------------------ calls
// Each job owns what it fills (a shared state), since an abandoned job may
// still run after its caller has gone.

template <typename Value, typename Call>
int TSmbLibrary::FileCall(const QByteArray& url, const TSmbCredential& c, Value& out, Call call) {
  struct TOut {
    int Err = EINVAL;
    Value Result;
  };
  auto o = std::make_shared<TOut>(TOut{EINVAL, out});
  if (!Run([o, url, c, call] {
        if (!Init()) return;
        UseCredential(c);
        o->Err = WithReconnect(url, [&] { return call(o->Result); });
      }))
    return Abandoned;
  out = o->Result;
  return o->Err;
}

template <typename Value, typename Call>
int TSmbLibrary::NetCall(const QString& host, const TSmbCredential& c, Value& out, Call call) {
  struct TOut {
    unsigned Status = 1003;
    Value Result;
  };
  auto o = std::make_shared<TOut>(TOut{1003, out});
  const QByteArray h = host.toUtf8();
  if (!Run([o, h, c, call] {
        if (!Init() || !S().Net) return;
        UseCredential(c);
        o->Status = call(h.constData(), o->Result);
        // The status is a Windows error number (53: no such server, 5: access denied).
        if (o->Status) qCDebug(LogSmb) << "libnetapi call on" << h.constData() << "failed: status" << o->Status;
      }))
    return Abandoned;
  out = o->Result;
  return int(o->Status);
}

int TSmbLibrary::ListDir(const QByteArray& url, const TSmbCredential& c, QList<TSmbEntry>& out) {
  return FileCall(url, c, out, [url](QList<TSmbEntry>& entries) {
    std::vector<SmbContext::TEntry> listed;
    if (const int err = SmbContext::List(S().Ctx, url.constData(), listed)) return Failed("list", url, err);
    entries = SmbEntries(listed);
    return 0;
  });
}

int TSmbLibrary::Stat(const QByteArray& url, const TSmbCredential& c, TSmbEntry& out) {
  return FileCall(url, c, out, [url](TSmbEntry& entry) {
    struct stat st;
    std::memset(&st, 0, sizeof st);
    errno = 0;
    if (smbc_getFunctionStat(S().Ctx)(S().Ctx, url.constData(), &st) != 0) return Failed("stat", url, errno ? errno : EIO);
    entry.Attrs = AttrsFromMode(st);
    entry.Size = S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
    entry.WriteTimeNs = Ns(st.st_mtim);
    return 0;
  });
}

int TSmbLibrary::FreeSpace(const QByteArray& url, const TSmbCredential& c, qint64& bytes) {
  return FileCall(url, c, bytes, [url](qint64& free) {
    struct statvfs st;
    std::memset(&st, 0, sizeof st);
    errno = 0;
    if (smbc_getFunctionStatVFS(S().Ctx)(S().Ctx, const_cast<char*>(url.constData()), &st) != 0)
      return errno ? errno : EIO;
    // The library puts the sectors per unit into f_frsize (0 meaning 1).
    free = qint64(st.f_bsize) * qint64(st.f_frsize ? st.f_frsize : 1) * qint64(st.f_bavail);
    return 0;
  });
}

int TSmbLibrary::Shares(const QByteArray& serverUrl, const TSmbCredential& c, QList<TSmbShare>& out) {
  return FileCall(serverUrl, c, out, [serverUrl](QList<TSmbShare>& shares) {
    SMBCCTX* ctx = S().Ctx;
    errno = 0;
    SMBCFILE* dir = smbc_getFunctionOpendir(ctx)(ctx, serverUrl.constData());
    if (!dir) return Failed("share list", serverUrl, errno ? errno : EIO);
    shares.clear();
    while (const smbc_dirent* d = smbc_getFunctionReaddir(ctx)(ctx, dir)) {
      TSmbShare s;
      s.Name = Text(d->name);
      s.Type = d->smbc_type;
      s.Comment = Text(d->comment);
      shares.append(s);
    }
    smbc_getFunctionClosedir(ctx)(ctx, dir);
    return 0;
  });
}

int TSmbLibrary::Open(const QByteArray& url, const TSmbCredential& c, qint64& handle, qint64& size,
                      qint64& writeTimeNs) {
  TOpened o;
  const int r = OpenFile(url, c, nullptr, o);
  if (r == Abandoned) return r;
  handle = o.Handle;
  size = o.Size;
  writeTimeNs = o.WriteTimeNs;
  return r;
}

int TSmbLibrary::OpenListed(const QByteArray& url, const TSmbCredential& c, const TSmbEntry& listed, TOpened& out) {
  return OpenFile(url, c, &listed, out);
}

int TSmbLibrary::OpenFile(const QByteArray& url, const TSmbCredential& c, const TSmbEntry* listed, TOpened& out) {
  struct TOut {
    int Err = EINVAL;
    TOpened File;
  };
  auto o = std::make_shared<TOut>();
  const qint64 listedSize = listed ? qMax<qint64>(listed->Size, 0) : -1;
  const qint64 listedTime = listed ? listed->WriteTimeNs : 0;
  auto task = [o, url, c, listedSize, listedTime] {
    if (!Init()) return;
    UseCredential(c);
    SMBCCTX* ctx = S().Ctx;
    SMBCFILE* f = nullptr;
    o->Err = WithReconnect(url, [&] {
      errno = 0;
      f = smbc_getFunctionOpen(ctx)(ctx, url.constData(), O_RDONLY, 0);
      return f ? 0 : (errno ? errno : EIO);
    });
    if (!f) {
      Failed("open", url, o->Err);
      return;
    }
    TOpened& file = o->File;
    qint64 pos = 0;
    bool trusted = false;  // size and date as listed
    if (listedSize == 0) {
      trusted = true;
    } else if (listedSize > 0) {
      // The listed size exactly: the library asks again for what a server
      // sends short, so a byte more would cost a round trip to meet the end.
      file.Head.resize(listedSize);
      errno = 0;
      const ssize_t n = smbc_getFunctionRead(ctx)(ctx, f, file.Head.data(), size_t(listedSize));
      if (n >= 0) {
        file.Head.truncate(int(n));
        pos = n;
        trusted = n == listedSize;
        if (!trusted) {
          // Shorter: the file shrank since its listing; this is all of it.
          file.HeadIsAll = true;
          file.Size = n;
          file.TimeKnown = false;
        }
      } else {
        // A failed read is met again when the caller reads (from a
        // position set anew).
        file.Head.clear();
        pos = -1;
      }
    }
    if (trusted) {
      file.Size = listedSize;
      file.WriteTimeNs = listedTime;
      file.AsListed = true;
    }
    if (!trusted && !file.HeadIsAll) {
      struct stat st;
      std::memset(&st, 0, sizeof st);
      errno = 0;
      if (smbc_getFunctionFstat(ctx)(ctx, f, &st) != 0) {
        o->Err = errno ? errno : EIO;
        smbc_getFunctionClose(ctx)(ctx, f);
        return;
      }
      if (S_ISDIR(st.st_mode)) {
        o->Err = EISDIR;
        smbc_getFunctionClose(ctx)(ctx, f);
        return;
      }
      file.Size = qint64(st.st_size);
      file.WriteTimeNs = Ns(st.st_mtim);
    }
    file.Handle = S().NextHandle++;
    S().Files.insert(file.Handle, f);
    S().FilePos.insert(file.Handle, pos);
  };
  if (!Run(task)) {
    // The file may open after its worker has gone: close it then.
    Post([o] {
      if (o->File.Handle) {
        if (SMBCFILE* f = S().Files.take(o->File.Handle)) smbc_getFunctionClose(S().Ctx)(S().Ctx, f);
        S().FilePos.remove(o->File.Handle);
      }
    });
    return Abandoned;
  }
  if (o->Err == 0) out = std::move(o->File);
  return o->Err;
}

struct TSmbLibrary::TPendingRead {
  std::shared_ptr<TTask> Task;
  int Err = EBADF;
  QByteArray Data;
  qint64 Ns = 0;  // how long the read took on the library's thread
};

std::shared_ptr<TSmbLibrary::TPendingRead> TSmbLibrary::StartRead(qint64 handle, qint64 offset, int count,
                                                                  QByteArray storage) {
  auto o = std::make_shared<TPendingRead>();
  o->Data = std::move(storage);
  o->Task = Submit([o = std::weak_ptr<TPendingRead>(o), handle, offset, count] {
    SMBCFILE* f = S().Files.value(handle);
    auto r = o.lock();
    if (!f || !r) return;  // closed, or nobody waits for it any more
    SMBCCTX* ctx = S().Ctx;
    if (S().FilePos.value(handle, -1) != offset) {
      errno = 0;
      if (smbc_getFunctionLseek(ctx)(ctx, f, off_t(offset), SEEK_SET) < 0) {
        r->Err = errno ? errno : EIO;
        S().FilePos.insert(handle, -1);
        return;
      }
    }
    // One call: the library already asks again for what a server sent
    // short within it, so a short answer here is the end as far as the
    // server knows, and asking again would only cost a round trip.
    r->Data.resize(count);
    const auto start = std::chrono::steady_clock::now();
    errno = 0;
    const ssize_t n = smbc_getFunctionRead(ctx)(ctx, f, r->Data.data(), size_t(count));
    r->Ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (n < 0) {
      r->Err = errno ? errno : EIO;
      S().FilePos.insert(handle, -1);
      return;
    }
    r->Data.truncate(int(n));
    S().FilePos.insert(handle, offset + n);
    r->Err = 0;
  });
  return o;
}

int TSmbLibrary::FinishRead(const std::shared_ptr<TPendingRead>& read, char* buffer, int count, int& err,
                            qint64* ns) {
  if (ns) *ns = 0;
  if (!read || !Wait(read->Task)) {
    err = Abandoned;
    return -1;
  }
  err = read->Err;
  if (read->Err) return -1;
  if (ns) *ns = read->Ns;
  const int n = qMin(count, int(read->Data.size()));
  std::memcpy(buffer, read->Data.constData(), size_t(n));
  return n;
}

int TSmbLibrary::FinishRead(const std::shared_ptr<TPendingRead>& read, QByteArray& data, int& err, qint64* ns) {
  if (ns) *ns = 0;
  if (!read || !Wait(read->Task)) {
    err = Abandoned;
    return -1;
  }
  err = read->Err;
  if (read->Err) return -1;
  if (ns) *ns = read->Ns;
  data = std::move(read->Data);
  read->Data = QByteArray();
  return int(data.size());
}

int TSmbLibrary::ReadAt(qint64 handle, qint64 offset, char* buffer, int count, int& err) {
  if (Stopped()) {
    err = Abandoned;
    return -1;
  }
  return FinishRead(StartRead(handle, offset, count), buffer, count, err);
}

void TSmbLibrary::Close(qint64 handle) {
  Post([handle] {
    if (SMBCFILE* f = S().Files.take(handle)) smbc_getFunctionClose(S().Ctx)(S().Ctx, f);
    S().FilePos.remove(handle);
  });
}

int TSmbLibrary::ServerInfo(const QString& host, const TSmbCredential& c, NetApi::SERVER_INFO_101& out) {
  return NetCall(host, c, out, [](const char* h, NetApi::SERVER_INFO_101& info) {
    uint8_t* buf = nullptr;
    unsigned status = NetServerGetInfo(h, 101, &buf);
    if (status == 0 && buf) {
      const auto* i = reinterpret_cast<const ::SERVER_INFO_101*>(buf);
      info.sv101_platform_id = int(i->sv101_platform_id);
      info.sv101_name = Text(i->sv101_name);
      info.sv101_version_major = int(i->sv101_version_major);
      info.sv101_version_minor = int(i->sv101_version_minor);
      info.sv101_type = i->sv101_type;
      info.sv101_comment = i->sv101_comment ? Text(i->sv101_comment) : QLatin1String("");
    } else if (status == 0) {
      status = 1003;
    }
    if (buf) NetApiBufferFree(buf);
    return status;
  });
}

int TSmbLibrary::TimeOfDay(const QString& host, const TSmbCredential& c, NetApi::TIME_OF_DAY_INFO& out) {
  return NetCall(host, c, out, [](const char* h, NetApi::TIME_OF_DAY_INFO& i) {
    uint8_t* buf = nullptr;
    unsigned status = NetRemoteTOD(h, &buf);
    if (status == 0 && buf) {
      const auto* t = reinterpret_cast<const ::TIME_OF_DAY_INFO*>(buf);
      i.tod_elapsedt = t->tod_elapsedt;
      i.tod_msecs = t->tod_msecs;
      i.tod_hours = int(t->tod_hours);
      i.tod_mins = int(t->tod_mins);
      i.tod_secs = int(t->tod_secs);
      i.tod_hunds = int(t->tod_hunds);
      i.tod_timezone = t->tod_timezone;
      i.tod_tinterval = int(t->tod_tinterval);
      i.tod_day = int(t->tod_day);
      i.tod_month = int(t->tod_month);
      i.tod_year = int(t->tod_year);
      i.tod_weekday = int(t->tod_weekday);
    } else if (status == 0) {
      status = 1003;
    }
    if (buf) NetApiBufferFree(buf);
    return status;
  });
}

int TSmbLibrary::WorkstationGroup(const QString& host, const TSmbCredential& c, QString& group) {
  group.clear();
  const int status = NetCall(host, c, group, [](const char* h, QString& langroup) {
    uint8_t* buf = nullptr;
    const unsigned status = NetWkstaGetInfo(h, 100, &buf);
    if (status == 0 && buf) langroup = Text(reinterpret_cast<const WKSTA_INFO_100*>(buf)->wki100_langroup);
    if (buf) NetApiBufferFree(buf);
    return status;
  });
  return status == 0 && group.isEmpty() ? 1003 : status;
}

QString TSmbLibrary::LocalWorkgroup() {
  auto o = std::make_shared<QString>(QStringLiteral("WORKGROUP"));
  if (!Run([o] {
        if (Init()) *o = QString::fromUtf8(S().DefaultWorkgroup);
      }))
    return QStringLiteral("WORKGROUP");
  return *o;
}
