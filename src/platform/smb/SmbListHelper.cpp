#include "platform/smb/SmbListHelper.h"

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/core/HelperProgram.h"
#include "platform/core/Log.h"
#include "platform/smb/SmbCredentials.h"
#include "platform/smb/SmbHelperSpawn.h"
#include "platform/smb/SmbReadWire.h"

namespace {

using namespace SmbReadWire;

// This long without a byte of an answer means the helper hangs: the
// library it uses gives up on a silent server long before.
constexpr int HungMs = 30000;
// No answer is believed that claims more than this.
constexpr quint64 LargestAnswer = quint64(1) << 30;

}  // namespace

TSmbListHelper::~TSmbListHelper() { Stop(); }

bool TSmbListHelper::Start() {
  const QString path = SmbHelperSpawn::Path();
  if (path.isEmpty()) return false;
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
  FSocket = SmbHelperSpawn::Above(pair[0]);
  const int theirs = SmbHelperSpawn::Above(pair[1]);
  if (FSocket >= 0 && theirs >= 0) FPid = SmbHelperSpawn::Start(path, theirs, -1);
  if (theirs >= 0) close(theirs);
  if (FPid < 0) {
    Stop();
    return false;
  }
  qCDebug(LogSmb) << "list helper" << FPid << "started";
  return true;
}

void TSmbListHelper::Stop() {
  HelperProgram::Stop(FPid);
  if (FSocket >= 0) close(FSocket);
  FSocket = -1;
}

bool TSmbListHelper::Receive(char* to, size_t size) {
  while (size > 0) {
    pollfd p{FSocket, POLLIN, 0};
    const int r = poll(&p, 1, HungMs);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    const ssize_t n = recv(FSocket, to, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    to += n;
    size -= size_t(n);
  }
  return true;
}

int TSmbListHelper::List(const QByteArray& url, const TSmbCredential& c, QList<TSmbEntry>& out) {
  if (FPid < 0 && !Start()) return -1;
  const QByteArray user = c.User.toUtf8(), domain = c.Domain.toUtf8(), password = c.Password.toUtf8();
  const TList request{ListMagic, quint32(url.size()), quint32(user.size()), quint32(domain.size()),
                      quint32(password.size())};
  QByteArray message(reinterpret_cast<const char*>(&request), sizeof request);
  message += url + user + domain + password;
  const bool sent = SmbHelperSpawn::SendAll(FSocket, message.constData(), size_t(message.size()));
  message.fill('\0');  // the password lives no longer than needed
  TListed listed{};
  if (!sent || !Receive(reinterpret_cast<char*>(&listed), sizeof listed) || listed.Bytes > LargestAnswer) {
    Stop();
    return -1;
  }
  QByteArray answer(qsizetype(listed.Bytes), Qt::Uninitialized);
  if (!Receive(answer.data(), size_t(answer.size()))) {
    Stop();
    return -1;
  }
  if (listed.Error != 0) return listed.Error;
  QList<TSmbEntry> entries;
  entries.reserve(qsizetype(listed.Count));
  const char* at = answer.constData();
  const char* end = at + answer.size();
  for (quint32 i = 0; i < listed.Count; ++i) {
    TListedEntry head;
    if (end - at < qsizetype(sizeof head)) break;
    std::memcpy(&head, at, sizeof head);
    at += sizeof head;
    if (quint64(end - at) < quint64(head.NameLength) + head.ShortLength) break;
    TSmbEntry e;
    e.Name = QString::fromUtf8(at, qsizetype(head.NameLength));
    at += head.NameLength;
    e.ShortName = QString::fromUtf8(at, qsizetype(head.ShortLength));
    at += head.ShortLength;
    e.Attrs = head.Attrs;
    e.Size = head.Size;
    e.WriteTimeNs = head.TimeNs;
    e.Device = head.Device;
    e.FileIndex = head.FileIndex;
    entries.append(std::move(e));
  }
  // An answer that does not add up is none.
  if (entries.size() != qsizetype(listed.Count) || at != end) {
    Stop();
    return -1;
  }
  out = std::move(entries);
  return 0;
}
