#pragma once
// The Windows network services the program calls, over the current network
// back end (NetBackend.h): resource enumeration (WNetOpenEnum,
// WNetEnumResource, WNetCloseEnum), server information (NetServerGetInfo
// level 101), the server's time of day (NetRemoteTOD), host-name lookup
// (gethostbyname) and this computer's name (GetComputerName).
//
// Every call may be made from any thread, several at once. Calls return
// NO_ERROR (0) or a Windows error code (WinError.h) and never throw.
#include <QList>
#include <QString>
#include <array>

#include "platform/core/WinError.h"

namespace NetApi {

// Enumeration scopes, types, usages and display types.
constexpr int RESOURCE_CONNECTED = 1;
constexpr int RESOURCE_GLOBALNET = 2;
constexpr int RESOURCE_REMEMBERED = 3;
constexpr int RESOURCETYPE_ANY = 0;
constexpr int RESOURCETYPE_DISK = 1;
constexpr int RESOURCETYPE_PRINT = 2;
constexpr int RESOURCEUSAGE_CONNECTABLE = 1;
constexpr int RESOURCEUSAGE_CONTAINER = 2;
constexpr int RESOURCEDISPLAYTYPE_GENERIC = 0;
constexpr int RESOURCEDISPLAYTYPE_DOMAIN = 1;
constexpr int RESOURCEDISPLAYTYPE_SERVER = 2;
constexpr int RESOURCEDISPLAYTYPE_SHARE = 3;
constexpr int RESOURCEDISPLAYTYPE_NETWORK = 6;

// One enumeration record. A null QString stands for a NULL pointer.
// Containers: the provider (remote name = provider name), a workgroup or
// domain (its name), a server ("\\NAME"); resources: a disk or printer share
// ("\\NAME\SHARE").
struct NETRESOURCE {
  int dwScope = 0;
  int dwType = 0;
  int dwDisplayType = 0;
  int dwUsage = 0;
  QString lpLocalName;
  QString lpRemoteName;
  QString lpComment;
  QString lpProvider;

  // Bytes the record takes in a caller's buffer, as on 32-bit Windows: the
  // fixed structure (32 bytes) plus each non-null string with its NUL.
  int ByteSize() const;
};
constexpr int NETRESOURCE_FIXED_SIZE = 32;

// A record of the global network from `provider`. The network and its
// workgroups carry no comment (null); servers and shares always carry one,
// empty when there is none.
NETRESOURCE MakeRecord(int type, int display, int usage, const QString& remote, const QString& provider,
                       const QString& comment = QString());

using HANDLE = qint64;

// Opens one level of the network: the top (container null) or the children
// of a container record that an enumeration returned. Scope
// RESOURCE_GLOBALNET lists the network; RESOURCE_CONNECTED and
// RESOURCE_REMEMBERED list nothing here (no connections are kept). Type 0
// lists every kind, 1 or 2 only disk or printer resources (containers
// always); usage 0 lists both containers and connectable resources.
// Errors: ERROR_NO_NETWORK (no network at all), ERROR_NOT_CONTAINER,
// ERROR_BAD_NETPATH (container gone), ERROR_ACCESS_DENIED.
int WNetOpenEnum(int dwScope, int dwType, int dwUsage, const NETRESOURCE* lpNetResource, HANDLE* lphEnum);
// Hands out the next records: at most *lpcCount of them (0xFFFFFFFF, or -1:
// as many as fit), and only as many as fit into *lpBufferSize bytes. On
// return *lpcCount holds the number handed out. Returns NO_ERROR,
// ERROR_NO_MORE_ITEMS when the level is done, ERROR_MORE_DATA when not even
// the next record fits (*lpBufferSize then holds the bytes it needs), or
// ERROR_INVALID_HANDLE.
int WNetEnumResource(HANDLE hEnum, quint32* lpcCount, QList<NETRESOURCE>* lpBuffer, quint32* lpBufferSize);
int WNetCloseEnum(HANDLE hEnum);

// Platform identifiers and server type bits of SERVER_INFO_101.
constexpr int PLATFORM_ID_DOS = 300;
constexpr int PLATFORM_ID_OS2 = 400;
constexpr int PLATFORM_ID_NT = 500;
constexpr int PLATFORM_ID_OSF = 600;
constexpr int PLATFORM_ID_VMS = 700;
constexpr quint32 SV_TYPE_WORKSTATION = 0x1;
constexpr quint32 SV_TYPE_SERVER = 0x2;
constexpr quint32 SV_TYPE_SQLSERVER = 0x4;
constexpr quint32 SV_TYPE_DOMAIN_CTRL = 0x8;
constexpr quint32 SV_TYPE_DOMAIN_BAKCTRL = 0x10;
constexpr quint32 SV_TYPE_TIME_SOURCE = 0x20;
constexpr quint32 SV_TYPE_AFP = 0x40;
constexpr quint32 SV_TYPE_NOVELL = 0x80;
constexpr quint32 SV_TYPE_DOMAIN_MEMBER = 0x100;
constexpr quint32 SV_TYPE_PRINTQ_SERVER = 0x200;
constexpr quint32 SV_TYPE_DIALIN_SERVER = 0x400;
constexpr quint32 SV_TYPE_XENIX_SERVER = 0x800;
constexpr quint32 SV_TYPE_NT = 0x1000;
constexpr quint32 SV_TYPE_WFW = 0x2000;
constexpr quint32 SV_TYPE_SERVER_MFPN = 0x4000;
constexpr quint32 SV_TYPE_SERVER_NT = 0x8000;
constexpr quint32 SV_TYPE_WINDOWS = 0x400000;
constexpr quint32 SV_TYPE_CLUSTER_NT = 0x1000000;
constexpr quint32 SV_TYPE_DOMAIN_ENUM = 0x80000000;

struct SERVER_INFO_101 {
  int sv101_platform_id = 0;
  QString sv101_name;
  int sv101_version_major = 0;
  int sv101_version_minor = 0;
  quint32 sv101_type = 0;
  QString sv101_comment;
};

// Level 101 only (else ERROR_INVALID_LEVEL). The server may be named with
// or without its leading backslashes. Fails with ERROR_BAD_NETPATH for an
// unknown server, ERROR_ACCESS_DENIED when the server refuses.
int NetServerGetInfo(const QString& servername, int level, SERVER_INFO_101* bufptr);

// The server's clock, in Coordinated Universal Time, with its time zone in
// minutes west of UTC (-1: not defined).
struct TIME_OF_DAY_INFO {
  quint32 tod_elapsedt = 0;  // seconds since 1970-01-01 00:00:00 UTC
  quint32 tod_msecs = 0;     // milliseconds from an arbitrary start
  int tod_hours = 0;
  int tod_mins = 0;
  int tod_secs = 0;
  int tod_hunds = 0;
  int tod_timezone = 0;
  int tod_tinterval = 0;  // clock tick, in 0.0001 s
  int tod_day = 0;
  int tod_month = 0;
  int tod_year = 0;
  int tod_weekday = 0;  // 0 = Sunday
};
int NetRemoteTOD(const QString& servername, TIME_OF_DAY_INFO* bufptr);

// Windows sockets: start and stop (no state is kept; both answer 0) and the
// host-name lookup.
int WSAStartup(quint16 versionRequested);
int WSACleanup();
struct HostEnt {
  QString h_name;
  QList<std::array<quint8, 4>> h_addr_list;  // IPv4 addresses, first byte first
};
// True and the host's addresses, or false when the name is not found.
bool gethostbyname(const QString& name, HostEnt* out);

// This computer's name as the network knows it.
QString GetComputerName();

}  // namespace NetApi
