#pragma once
// Folder listings made ahead of a walk, over connections of their own
// (SmbListHelper.h), invisible to callers: once the program lists a folder,
// its subfolders' listings are handed to a small pool of listers; a later
// listing of one of them takes the result (waiting for it while it is
// under way) instead of asking the server on the library's one thread.
// A walk that goes one folder after another so has several in flight.
//
// A result is taken once, only with the credential it was made with, and
// only while fresh (FreshMs from its request): older ones, failed ones and
// folders not reached yet leave the caller to list itself. Bounded: so
// many folders queued (the latest offered first, as a depth-first walk
// wants them), so many entries held. Nothing asked for IdleMs, or Drop:
// what waits is dropped and the listers end (a helper is killed and reaped).
#include <QByteArray>
#include <QList>
#include <atomic>
#include <functional>
#include <memory>
#include <sys/types.h>

#include "platform/fs/FsPath.h"
#include "platform/smb/SmbLibrary.h"

// What lists for the pool, one call at a time, on one thread.
class TSmbFolderLister {
 public:
  virtual ~TSmbFolderLister() = default;
  // 0 with `out` filled, the library's errno, or -1 when the lister failed
  // itself (it may be asked again).
  virtual int List(const QByteArray& url, const TSmbCredential& c, QList<TSmbEntry>& out) = 0;
  virtual pid_t Pid() const { return -1; }
};

struct TSmbListPrefetchLimits {
  int Listers = 3;
  int Queued = 128;         // folders waiting for a lister
  int HeldEntries = 32768;  // entries of results not taken yet
  int FreshMs = 2000;
  int IdleMs = 1000;
};

class TSmbListPrefetch {
 public:
  using TLimits = TSmbListPrefetchLimits;
  using TFactory = std::function<std::unique_ptr<TSmbFolderLister>()>;

  explicit TSmbListPrefetch(TFactory factory, TLimits limits = {});
  // Drops everything and waits for the listers to end.
  ~TSmbListPrefetch();

  // The program's pool, with helper processes; never destroyed.
  static TSmbListPrefetch& Get();

  // Folders to list ahead, in the order a walk enters them.
  void Offer(const QList<QByteArray>& urls, const TSmbCredential& c);
  // The listing of `url` made ahead (waiting while it is under way, until
  // the calling worker is asked to stop); false: the caller lists itself.
  bool Take(const QByteArray& url, const TSmbCredential& c, QList<TSmbEntry>& out);
  // What waits or is held is dropped; listers with nothing to do end.
  void Drop();

  // For tests: the helper processes' PIDs; the listings taken so far;
  // nothing offered while set.
  QList<pid_t> Pids() const;
  qint64 Taken() const;
  static std::atomic<bool>& OffForTests();

  // The addresses of the subfolders of `folder` on `host` (listed as
  // `entries`) a walk enters, in its order: hidden and system folders and
  // names that are no plain entry name left out.
  static QList<QByteArray> Subfolders(const QString& host, const TFsPath& folder, const QList<TSmbEntry>& entries);

 private:
  struct TState;
  static void Run(std::shared_ptr<TState> s, int id);
  std::shared_ptr<TState> FState;
};
