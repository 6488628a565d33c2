#include "platform/net/NetApi.h"

#include <QThread>

#include "platform/core/Handles.h"
#include "platform/net/NetBackend.h"

namespace NetApi {

namespace {

// One open enumeration: the level's records, read when it was opened.
struct TEnumeration {
  QList<NETRESOURCE> Records;
  qsizetype Next = 0;
  int DelayMs = 0;
};

THandleTable<TEnumeration>& Enumerations() {
  static THandleTable<TEnumeration> table;
  return table;
}

void Wait(int ms) {
  if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

int StringBytes(const QString& s) { return s.isNull() ? 0 : int(s.toLocal8Bit().size()) + 1; }

bool Wanted(const NETRESOURCE& r, int type, int usage) {
  const bool container = (r.dwUsage & RESOURCEUSAGE_CONTAINER) != 0;
  if (usage != 0 && !(r.dwUsage & usage)) return false;
  if (type != RESOURCETYPE_ANY && !container && r.dwType != type) return false;
  return true;
}

}  // namespace

NETRESOURCE MakeRecord(int type, int display, int usage, const QString& remote, const QString& provider,
                       const QString& comment) {
  NETRESOURCE r;
  r.dwScope = RESOURCE_GLOBALNET;
  r.dwType = type;
  r.dwDisplayType = display;
  r.dwUsage = usage;
  r.lpRemoteName = remote;
  r.lpProvider = provider;
  if (display != RESOURCEDISPLAYTYPE_NETWORK && display != RESOURCEDISPLAYTYPE_DOMAIN)
    r.lpComment = comment.isNull() ? QLatin1String("") : comment;
  return r;
}

int NETRESOURCE::ByteSize() const {
  return NETRESOURCE_FIXED_SIZE + StringBytes(lpLocalName) + StringBytes(lpRemoteName) + StringBytes(lpComment) +
         StringBytes(lpProvider);
}

int WNetOpenEnum(int dwScope, int dwType, int dwUsage, const NETRESOURCE* lpNetResource, HANDLE* lphEnum) {
  if (!lphEnum) return ERROR_INVALID_PARAMETER;
  *lphEnum = 0;
  if (dwScope != RESOURCE_GLOBALNET && dwScope != RESOURCE_CONNECTED && dwScope != RESOURCE_REMEMBERED)
    return ERROR_INVALID_PARAMETER;
  auto e = std::make_shared<TEnumeration>();
  if (dwScope == RESOURCE_GLOBALNET) {
    const auto backend = NetBackend::Current();
    e->DelayMs = backend->DelayMs();
    Wait(e->DelayMs);
    QList<NETRESOURCE> all;
    if (const int err = backend->Children(lpNetResource, all)) return err;
    for (const NETRESOURCE& r : all)
      if (Wanted(r, dwType, dwUsage)) e->Records.append(r);
  }
  *lphEnum = Enumerations().Add(std::move(e));
  return NO_ERROR;
}

int WNetEnumResource(HANDLE hEnum, quint32* lpcCount, QList<NETRESOURCE>* lpBuffer, quint32* lpBufferSize) {
  const auto e = Enumerations().Get(hEnum);
  if (!e) return ERROR_INVALID_HANDLE;
  if (!lpcCount || !lpBuffer || !lpBufferSize) return ERROR_INVALID_PARAMETER;
  lpBuffer->clear();
  Wait(e->DelayMs);
  const quint32 wanted = *lpcCount;
  *lpcCount = 0;
  if (e->Next >= e->Records.size()) return ERROR_NO_MORE_ITEMS;
  quint64 used = 0;
  while (e->Next < e->Records.size() && *lpcCount < wanted) {
    const NETRESOURCE& r = e->Records[e->Next];
    const quint64 need = quint64(r.ByteSize());
    if (used + need > *lpBufferSize) break;
    used += need;
    lpBuffer->append(r);
    ++e->Next;
    ++*lpcCount;
  }
  if (*lpcCount == 0) {
    if (wanted == 0) return NO_ERROR;
    *lpBufferSize = quint32(e->Records[e->Next].ByteSize());
    return ERROR_MORE_DATA;
  }
  return NO_ERROR;
}

int WNetCloseEnum(HANDLE hEnum) { return Enumerations().Remove(hEnum) ? NO_ERROR : ERROR_INVALID_HANDLE; }

int NetServerGetInfo(const QString& servername, int level, SERVER_INFO_101* bufptr) {
  if (level != 101) return ERROR_INVALID_LEVEL;
  if (!bufptr) return ERROR_INVALID_PARAMETER;
  const auto backend = NetBackend::Current();
  Wait(backend->DelayMs());
  return backend->ServerInfo(servername, *bufptr);
}

int NetRemoteTOD(const QString& servername, TIME_OF_DAY_INFO* bufptr) {
  if (!bufptr) return ERROR_INVALID_PARAMETER;
  const auto backend = NetBackend::Current();
  Wait(backend->DelayMs());
  return backend->TimeOfDay(servername, *bufptr);
}

int WSAStartup(quint16) { return 0; }

int WSACleanup() { return 0; }

bool gethostbyname(const QString& name, HostEnt* out) {
  if (!out || name.isEmpty()) return false;
  const auto backend = NetBackend::Current();
  Wait(backend->DelayMs());
  std::array<quint8, 4> address{};
  if (!backend->HostAddress(name, address)) return false;
  out->h_name = name;
  out->h_addr_list = {address};
  return true;
}

QString GetComputerName() { return NetBackend::Current()->ComputerName(); }

}  // namespace NetApi
