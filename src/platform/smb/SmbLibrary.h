#pragma once
// The one place that calls Samba's client libraries (libsmbclient for
// shares and files, libnetapi for server information).
//
// This library version breaks when two threads use it, even with a
// context each, so every call runs on one thread of this class, in turn,
// with one context made once and never freed; libnetapi is set up once,
// before that context. A worker's call waits for its turn and its result
// while watching its stop request (TThread::CurrentTerminated): once asked
// to stop it gives up (result Abandoned), and the call, if it has begun,
// finishes on the library's thread with nobody to see its result.
// Nothing is set up before the first call.
//
// Results are errno values of libsmbclient (0 on success) or libnetapi
// status codes; SmbErrors.h maps them to Windows codes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "platform/net/NetApi.h"
#include "platform/smb/SmbCredentials.h"

struct TSmbEntry {
  QString Name;
  QString ShortName;  // the server's 8.3 alias; empty when it gives none
  int Attrs = 0;      // DOS attribute bits as the server keeps them
  qint64 Size = 0;
  qint64 WriteTimeNs = 0;  // ns since 1970 UTC
  // The server's identity of what the entry names (a link: its target), so
  // a walk can tell a folder it has been in; both zero when unknown. A
  // listing gives it for folders only.
  quint64 Device = 0;
  quint64 FileIndex = 0;
};

struct TSmbShare {
  QString Name;
  unsigned Type = 0;  // 3 disk, 4 printer, 5 comms, 6 IPC (libsmbclient's numbers)
  QString Comment;
};

class TSmbLibrary {
 public:
  static constexpr int Abandoned = -1;  // the calling worker was asked to stop

  static TSmbLibrary& Get();

  // Sets the libraries up now, without waiting (they read the Samba
  // configuration first): lets a scan do it while discovery runs.
  void Prepare();

  // A folder's entries with "." (the folder itself) and "..", as listed.
  int ListDir(const QByteArray& url, const TSmbCredential& c, QList<TSmbEntry>& out);
  // One entry (its name is left empty): attributes from the mode bits the
  // library derives from them; for folders only read-only is known.
  int Stat(const QByteArray& url, const TSmbCredential& c, TSmbEntry& out);
  int FreeSpace(const QByteArray& url, const TSmbCredential& c, qint64& bytes);
  int Shares(const QByteArray& serverUrl, const TSmbCredential& c, QList<TSmbShare>& out);

  // Files opened for reading, known by a number.
  int Open(const QByteArray& url, const TSmbCredential& c, qint64& handle, qint64& size, qint64& writeTimeNs);
  // The same for a file a listing showed with `listed.Size` bytes (keep it
  // within one read request): instead of asking the server for size and
  // date, the open reads the listed size at once (`Head`). All of it read,
  // the file is taken as listed, size and date, as Open takes what the
  // server said then. Fewer bytes are the whole file, shrunk since
  // (`HeadIsAll`): its date is unknown (TimeKnown false). A failed read is
  // left to the caller's reads, and size and date are asked as Open does.
  struct TOpened {
    qint64 Handle = 0, Size = 0, WriteTimeNs = 0;
    bool TimeKnown = true;
    QByteArray Head;  // the file's first bytes
    bool HeadIsAll = false;
    bool AsListed = false;  // Size and WriteTimeNs are the listing's, not asked
  };
  int OpenListed(const QByteArray& url, const TSmbCredential& c, const TSmbEntry& listed, TOpened& out);
  // Bytes read at `offset` in one call of the library (fewer at the end;
  // 0 at or past it), or -1 with `err` set.
  int ReadAt(qint64 handle, qint64 offset, char* buffer, int count, int& err);
  // The same in two steps: the read starts at once and runs while the
  // caller does other work (writes the chunk before, say); Finish waits
  // for it and hands over its bytes, and in `ns` how long the read took on
  // the library's thread (0 when it failed).
  // `storage`, when given, is the memory the read fills (a buffer of an
  // earlier read, so a large read needs no new pages).
  struct TPendingRead;
  std::shared_ptr<TPendingRead> StartRead(qint64 handle, qint64 offset, int count, QByteArray storage = {});
  int FinishRead(const std::shared_ptr<TPendingRead>& read, char* buffer, int count, int& err, qint64* ns = nullptr);
  // The same handing over the read's own buffer as `data` (its size the
  // bytes read) instead of copying; `data` is untouched on failure.
  int FinishRead(const std::shared_ptr<TPendingRead>& read, QByteArray& data, int& err, qint64* ns = nullptr);
  // Closes without waiting.
  void Close(qint64 handle);

  // libnetapi, by address or name.
  int ServerInfo(const QString& host, const TSmbCredential& c, NetApi::SERVER_INFO_101& out);
  int TimeOfDay(const QString& host, const TSmbCredential& c, NetApi::TIME_OF_DAY_INFO& out);
  int WorkstationGroup(const QString& host, const TSmbCredential& c, QString& group);
  // The workgroup of this machine's Samba configuration ("WORKGROUP").
  QString LocalWorkgroup();

  // True when the calling thread is a worker asked to stop.
  static bool Stopped();

 private:
  TSmbLibrary();
  struct TQueue;
  struct TTask;
  // Runs `job` on the library's thread; false when abandoned.
  bool Run(std::function<void()> job);
  // One file call with a credential: `call(value)` fills the value and
  // answers 0 or an errno; `out` receives the value unless abandoned.
  template <typename Value, typename Call>
  int FileCall(const QByteArray& url, const TSmbCredential& c, Value& out, Call call);
  // One libnetapi call on `host`: `call(host, value)` answers its status.
  template <typename Value, typename Call>
  int NetCall(const QString& host, const TSmbCredential& c, Value& out, Call call);
  // An open on the library's thread; `listed` null: asking size and date.
  int OpenFile(const QByteArray& url, const TSmbCredential& c, const TSmbEntry* listed, TOpened& out);
  std::shared_ptr<TTask> Submit(std::function<void()> job);
  bool Wait(const std::shared_ptr<TTask>& task);
  void Post(std::function<void()> job);
  std::shared_ptr<TQueue> FQueue;
};
