// The NetBIOS browse helper of src/platform/discovery/NetBiosBrowse.h.
// trawlix-nbbrowse [BUDGET_MS]: prints the NetBIOS browse lists of the local
// network and exits. One line per workgroup ("WORKGROUP\t<name>") and per
// server of each workgroup ("SERVER\t<workgroup>\t<name>"), flushed as they
// come, so the program that started it can read them within its own budget
// and kill this process when that runs out.
//
// It is a process of its own because browsing needs the Samba client library
// limited to the NT1 protocol, a setting that is global to the library in a
// process, and the library must not be used by two threads at once.
#include <libsmbclient.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/prctl.h>
#include <unistd.h>

#include "platform/core/NetName.h"

namespace {

// Browse lists are readable anonymously; never ask for anything.
void Anonymous(SMBCCTX*, const char*, const char*, char* workgroup, int workgroupLength, char* user, int userLength,
               char* password, int passwordLength) {
  (void)workgroup;
  (void)workgroupLength;
  if (userLength > 0) user[0] = 0;
  if (passwordLength > 0) password[0] = 0;
}

// A name goes out only if it cannot break a line or the tab-separated
// fields: the rule the reader applies to every name from the network.
bool Printable(const char* name) { return name && NetName::IsName(std::string_view(name)); }

std::string UrlEscape(const char* name) {
  std::string out;
  static const char hex[] = "0123456789ABCDEF";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
    if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9') || *p == '-' || *p == '_' ||
        *p == '.') {
      out += char(*p);
    } else {
      out += '%';
      out += hex[*p >> 4];
      out += hex[*p & 15];
    }
  }
  return out;
}

// Entries of one browse level of the given type.
std::vector<std::string> List(SMBCCTX* ctx, const std::string& url, unsigned type) {
  std::vector<std::string> out;
  SMBCFILE* dir = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
  if (!dir) return out;
  while (struct smbc_dirent* e = smbc_getFunctionReaddir(ctx)(ctx, dir))
    if (e->smbc_type == type && Printable(e->name)) out.emplace_back(e->name);
  smbc_getFunctionClosedir(ctx)(ctx, dir);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  long budget = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2500;
  if (budget < 100) budget = 100;
  if (budget > 60000) budget = 60000;
  // Never outlive the program that asked, nor the budget it gave.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  alarm(unsigned(budget / 1000 + 2));

  SMBCCTX* ctx = smbc_new_context();
  if (!ctx) return 1;
  smbc_setDebug(ctx, 0);
  smbc_setOptionProtocols(ctx, "NT1", "NT1");
  smbc_setFunctionAuthDataWithContext(ctx, Anonymous);
  smbc_setOptionUseKerberos(ctx, 0);
  smbc_setOptionUseCCache(ctx, 0);
  smbc_setTimeout(ctx, int(budget < 3000 ? budget : 3000));
  if (!smbc_init_context(ctx)) return 1;

  for (const std::string& group : List(ctx, "smb://", SMBC_WORKGROUP)) {
    std::printf("WORKGROUP\t%s\n", group.c_str());
    std::fflush(stdout);
    for (const std::string& server : List(ctx, "smb://" + UrlEscape(group.c_str()) + "/", SMBC_SERVER)) {
      std::printf("SERVER\t%s\t%s\n", group.c_str(), server.c_str());
      std::fflush(stdout);
    }
  }
  std::fflush(stdout);
  // The library's teardown has nothing to give back to a process that ends.
  _exit(0);
}
