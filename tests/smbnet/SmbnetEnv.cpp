#include "SmbnetEnv.h"

#include <QProcess>
#include <QtGlobal>

#include "platform/net/NetApi.h"
#include "platform/net/NetBackend.h"
#include "platform/smb/SmbNetwork.h"

namespace Smbnet {

bool Present() { return !qEnvironmentVariableIsEmpty("SMBNET_DIR"); }

QString Value(const QString& key) { return qEnvironmentVariable(("SMBNET_" + key).toLatin1().constData()); }

QString Local(const QString& server, const QString& path) { return Value(server + "_SHARES") + '/' + path; }

std::shared_ptr<TNetBackend> Backend() {
  static std::shared_ptr<TNetBackend> backend = [] {
    auto b = std::make_shared<TSmbNetwork>();
    // One look at the network, so that servers are reached by the
    // addresses discovery saw (most of them have no other name service).
    QList<NetApi::NETRESOURCE> top, groups;
    if (b->Children(nullptr, top) == 0 && !top.isEmpty()) b->Children(&top.first(), groups);
    return b;
  }();
  return backend;
}

TUse::TUse() : FPrevious(NetBackend::Current()) { NetBackend::Use(Backend()); }
TUse::~TUse() { NetBackend::Use(FPrevious); }

bool Command(const QStringList& args) {
  if (args.isEmpty() || Value("SCRIPT").isEmpty()) return false;
  return QProcess::execute(Value("SCRIPT"), QStringList{args.first(), Value("DIR")} + args.mid(1)) == 0;
}

bool WaitForBrowseList(int seconds) {
  const QString script = Value("BROWSE_READY");
  if (script.isEmpty()) return false;
  return QProcess::execute(script, {QString::number(seconds)}) == 0;
}

TAuthFile::TAuthFile(bool use) : FPrevious(qgetenv("TRAWLIX_SMB_AUTH")), FHad(qEnvironmentVariableIsSet("TRAWLIX_SMB_AUTH")) {
  if (use)
    qputenv("TRAWLIX_SMB_AUTH", Value("AUTH").toLocal8Bit());
  else
    qunsetenv("TRAWLIX_SMB_AUTH");
}

TAuthFile::~TAuthFile() {
  if (FHad)
    qputenv("TRAWLIX_SMB_AUTH", FPrevious);
  else
    qunsetenv("TRAWLIX_SMB_AUTH");
}

}  // namespace Smbnet
