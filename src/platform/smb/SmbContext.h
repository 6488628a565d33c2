#pragma once
// The settings every libsmbclient context of the program gets: the one in
// the program's own process (SmbLibrary.cpp) and the one of each helper
// process (src/helpers/smbread.cpp), so that a second connection to a
// server logs on exactly as the first did. Plain C++ without Qt: the
// helper links neither.
#include <ctime>
#include <string>
#include <vector>

typedef struct _SMBCCTX SMBCCTX;

namespace SmbContext {

using TAuth = void (*)(SMBCCTX*, const char*, const char*, char*, int, char*, int, char*, int);

constexpr int TimeoutMs = 5000;

// A context set up and initialised, with `auth` handing out the logon;
// nullptr when the library refuses (errno as it left it). Passwords go out
// as NTLMv2 or Kerberos only, a refused password is never followed by a
// guest logon, and every call waits at most TimeoutMs.
SMBCCTX* New(TAuth auth);

// Makes `user` (empty: the user's Kerberos ticket, else anonymous / guest)
// in `workgroup` the logon of the calls that follow.
void UseUser(SMBCCTX* ctx, const char* user, const char* workgroup);

// A file time in ns since 1970, held within what 64 bits carry.
long long TimeNs(const timespec& t);

// One entry of a folder as the library lists it.
struct TEntry {
  std::string Name, ShortName;
  int Attrs = 0;  // DOS attribute bits
  long long Size = 0, TimeNs = 0;
  // The server's identity of a folder (see TSmbEntry); zero otherwise.
  unsigned long long Device = 0, FileIndex = 0;
};

// A folder's entries with "." and "..", as listed: 0, or the library's
// errno. The program's listings and its helpers' are made here alike.
int List(SMBCCTX* ctx, const char* url, std::vector<TEntry>& out);

}  // namespace SmbContext
