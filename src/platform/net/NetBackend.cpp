#include "platform/net/NetBackend.h"

#include <QMutex>
#include <QSysInfo>

#include <atomic>

#include "platform/core/WinError.h"
#include "platform/net/SimNetwork.h"
#include "platform/net/SmbUrl.h"
#include "platform/net/SmbUrl.h"

int TEmptyNetwork::ListFolder(const TFsPath&, const TWildMask&, TSearchRec&, QList<TSearchRec>&) {
  return ERROR_BAD_NETPATH;
}
int TEmptyNetwork::Stat(const TFsPath&, TSearchRec&) { return ERROR_BAD_NETPATH; }
int TEmptyNetwork::Open(const TFsPath&, TOpenMode, std::unique_ptr<TFileObject>&) { return ERROR_BAD_NETPATH; }
int TEmptyNetwork::CreateDir(const TFsPath&) { return ERROR_BAD_NETPATH; }
int TEmptyNetwork::RemoveDir(const TFsPath&) { return ERROR_BAD_NETPATH; }
int TEmptyNetwork::DeleteFile(const TFsPath&) { return ERROR_BAD_NETPATH; }
int TEmptyNetwork::Children(const NetApi::NETRESOURCE*, QList<NetApi::NETRESOURCE>&) { return ERROR_NO_NETWORK; }
int TEmptyNetwork::ServerInfo(const QString&, NetApi::SERVER_INFO_101&) { return ERROR_BAD_NETPATH; }
int TEmptyNetwork::TimeOfDay(const QString&, NetApi::TIME_OF_DAY_INFO&) { return ERROR_BAD_NETPATH; }
QString TEmptyNetwork::ComputerName() { return NetBackend::HostComputerName(); }

QUrl TNetBackend::DesktopUrl(const QString& server, const QString& share, const QStringList& parts) {
  return QUrl::fromEncoded(SmbUrl::Build(server, share, parts), QUrl::StrictMode);
}

namespace NetBackend {

namespace {

QMutex& Lock() {
  static QMutex m;
  return m;
}

std::shared_ptr<TNetBackend>& Slot() {
  static std::shared_ptr<TNetBackend> current;
  return current;
}

std::atomic<TMaker> RealMaker{nullptr};

std::shared_ptr<TFsBackend> CurrentForFiles() { return Current(); }

// UNC paths reach the current back end wherever this layer is linked in.
const bool kServesUncPaths = (FsBackend::SetNetworkSource(&CurrentForFiles), true);

}  // namespace

std::shared_ptr<TNetBackend> FromEnvironment() {
  const QString folder = qEnvironmentVariable("TRAWLIX_NETWORK");
  if (folder.isEmpty()) {
    if (const TMaker maker = RealMaker.load()) return maker();
    return std::make_shared<TEmptyNetwork>();
  }
  return std::make_shared<TSimNetwork>(folder);
}

std::shared_ptr<TNetBackend> Current() {
  QMutexLocker lock(&Lock());
  if (!Slot()) Slot() = FromEnvironment();
  return Slot();
}

void Use(std::shared_ptr<TNetBackend> backend) {
  QMutexLocker lock(&Lock());
  Slot() = backend ? std::move(backend) : std::make_shared<TEmptyNetwork>();
}

void UseSimulated(const QString& localFolder) { Use(std::make_shared<TSimNetwork>(localFolder)); }

void SetRealNetwork(TMaker maker) { RealMaker.store(maker); }

void UseEmpty() { Use(std::make_shared<TEmptyNetwork>()); }

QString HostComputerName() {
  QString name = QSysInfo::machineHostName();
  const qsizetype dot = name.indexOf(u'.');
  if (dot > 0) name.truncate(dot);
  return name.toUpper();
}

}  // namespace NetBackend

// Referenced by the link of every program that uses this layer, so that the
// registration above is always linked in (see src/CMakeLists.txt).
extern "C" void trawlix_platform_net_linked() {}
