#pragma once
// What the program and its read helper (src/helpers/smbread.cpp) say to
// each other over their socket: fixed records in the machine's own byte
// order (both run on it). The first record's magic says what the helper is
// for: one file's reads or folder listings.
// Plain C++: the helper links no Qt.
#include <cstdint>

namespace SmbReadWire {

constexpr std::uint32_t Magic = 0x54525244;  // "TRRD"
constexpr int SocketFd = 3;                  // the helper's end of the socket
constexpr int MemoryFd = 4;                  // the memory its reads fill
constexpr std::uint32_t LongestText = 64 * 1024;

// First, from the program: the file and the logon, followed by the texts
// (UTF-8, without terminators) in this order.
struct TSetup {
  std::uint32_t Magic;
  std::uint32_t Memory;  // bytes of the shared memory, the largest read
  std::uint32_t UrlLength, UserLength, DomainLength, PasswordLength;
};

// Then from the program, one at a time: read `Count` bytes at `Offset`
// into the shared memory's start.
struct TRead {
  std::int64_t Offset;
  std::int32_t Count;
  std::int32_t Unused;
};

// From the helper: first once the file is open (`Size` and `TimeNs` of the
// file as the helper found it), then once per read (`Bytes` read).
// `Error`: 0 or the library's errno.
struct TAnswer {
  std::int64_t Size;
  std::int64_t TimeNs;
  std::int32_t Bytes;
  std::int32_t Error;
};

// Listings: no shared memory. From the program, one at a time, each with
// its logon: list the folder `Url`; the texts follow as in TSetup.
constexpr std::uint32_t ListMagic = 0x54524c53;  // "TRLS"
struct TList {
  std::uint32_t Magic;
  std::uint32_t UrlLength, UserLength, DomainLength, PasswordLength;
};

// From the helper: the listing's `Count` entries in `Bytes` bytes that
// follow, each a TListedEntry followed by its name and short name (UTF-8,
// without terminators); none when `Error` (the library's errno) is set.
struct TListed {
  std::int32_t Error;
  std::uint32_t Count;
  std::uint64_t Bytes;
};
struct TListedEntry {
  std::int64_t Size, TimeNs;
  std::uint64_t Device, FileIndex;
  std::int32_t Attrs;
  std::uint32_t NameLength, ShortLength;
  std::uint32_t Unused;
};

}  // namespace SmbReadWire
