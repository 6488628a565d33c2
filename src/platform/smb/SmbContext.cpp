#include "platform/smb/SmbContext.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <stdint.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <libsmbclient.h>

namespace SmbContext {

namespace {

// Loaded over the configuration the library read (without resetting it),
// whatever the machine's or the user's Samba configuration says.
void RequireNtlmV2(SMBCCTX* ctx) {
  const char* dir = std::getenv("TMPDIR");
  std::string name = std::string(dir && *dir ? dir : "/tmp") + "/trawlix-smb-XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) return;
  static const char text[] = "[global]\n"
                             "client ntlmv2 auth = yes\n"
                             "client lanman auth = no\n"
                             "client plaintext auth = no\n"
                             "client use spnego = yes\n";
  const bool written = write(fd, text, sizeof text - 1) == ssize_t(sizeof text - 1);
  close(fd);
  if (written) smbc_setConfiguration(ctx, name.c_str());
  unlink(name.c_str());
}

}  // namespace

SMBCCTX* New(TAuth auth) {
  SMBCCTX* ctx = smbc_new_context();
  if (!ctx) return nullptr;
  smbc_setDebug(ctx, 0);
  // Even at level 0 the library writes complaints about servers (a name it
  // refuses, say) to the terminal; the program reports failures itself.
  smbc_setLogCallback(ctx, nullptr, [](void*, int, const char*) {});
  smbc_setFunctionAuthDataWithContext(ctx, auth);
  smbc_setOptionUseKerberos(ctx, 1);
  smbc_setOptionFallbackAfterKerberos(ctx, 1);
  smbc_setOptionUseCCache(ctx, 1);
  // A refused password is a refusal: the library would otherwise go on as
  // guest and repeat the refused logon at each new connection. Guest is
  // tried on its own, first.
  smbc_setOptionNoAutoAnonymousLogin(ctx, 1);
  smbc_setTimeout(ctx, TimeoutMs);
  if (!smbc_init_context(ctx)) {
    const int err = errno;
    smbc_free_context(ctx, 0);
    errno = err;
    return nullptr;
  }
  RequireNtlmV2(ctx);
  return ctx;
}

// The user name is the context's, so the library keeps one cached
// connection per user and a new attempt never reuses the connection of
// the one before. Kerberos is tried only without a password (a ticket the
// user has); with a password it would first look for a domain controller.
void UseUser(SMBCCTX* ctx, const char* user, const char* workgroup) {
  smbc_setUser(ctx, user);
  smbc_setWorkgroup(ctx, workgroup);
  smbc_setOptionUseKerberos(ctx, !user || !*user);
}

long long TimeNs(const timespec& t) {
  // Windows times reach 30828; 64 bits of nanoseconds, 1677-2262.
  return std::clamp<long long>(t.tv_sec, -9223372035LL, 9223372035LL) * 1000000000LL + t.tv_nsec;
}

}  // namespace SmbContext
