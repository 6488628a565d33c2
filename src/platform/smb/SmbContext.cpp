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

int List(SMBCCTX* ctx, const char* url, std::vector<TEntry>& out) {
  errno = 0;
  SMBCFILE* dir = smbc_getFunctionOpendir(ctx)(ctx, url);
  if (!dir) return errno ? errno : EIO;
  out.clear();
  // The library fetched the whole listing at opendir; what errno holds at
  // its end is no failure. readdirplus hands out each entry as listed;
  // readdirplus2 adds the server's identity but parses the entry's whole
  // URL again each time, which costs more than the listing itself. Only
  // folders need that identity (a walk knows where it has been by it), so
  // a second pass asks for it for them alone.
  constexpr int Folder = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
  std::vector<size_t> folders;
  while (const libsmb_file_info* info = smbc_getFunctionReaddirPlus(ctx)(ctx, dir)) {
    TEntry e;
    if (info->name) e.Name = info->name;
    if (info->short_name) e.ShortName = info->short_name;
    e.Attrs = int(info->attrs);
    e.Size = (long long)info->size;
    e.TimeNs = TimeNs(info->mtime_ts);
    if ((e.Attrs & Folder) && e.Name != "..") folders.push_back(out.size());
    out.push_back(std::move(e));
  }
  if (!folders.empty() && smbc_getFunctionLseekdir(ctx)(ctx, dir, 0) == 0) {
    size_t at = 0;  // the index of the entry the next readdir hands out
    for (const size_t i : folders) {
      while (at < i && smbc_getFunctionReaddirPlus(ctx)(ctx, dir)) ++at;
      struct stat st;
      std::memset(&st, 0, sizeof st);
      const libsmb_file_info* info = at == i ? smbc_getFunctionReaddirPlus2(ctx)(ctx, dir, &st) : nullptr;
      ++at;
      // Out of step with the first pass: the identities stay unknown.
      if (!info || out[i].Name != (info->name ? info->name : "")) break;
      out[i].Device = (unsigned long long)st.st_dev;
      out[i].FileIndex = (unsigned long long)st.st_ino;
    }
  }
  smbc_getFunctionClosedir(ctx)(ctx, dir);
  return 0;
}

long long TimeNs(const timespec& t) {
  // Windows times reach 30828; 64 bits of nanoseconds, 1677-2262.
  return std::clamp<long long>(t.tv_sec, -9223372035LL, 9223372035LL) * 1000000000LL + t.tv_nsec;
}

}  // namespace SmbContext
