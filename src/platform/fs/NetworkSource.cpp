// The file side's way up to the network layer (FsBackend::Network).
#include <atomic>

#include "platform/core/WinError.h"
#include "platform/fs/FsBackend.h"

namespace {

class TNoNetwork : public TFsBackend {
 public:
  int ListFolder(const TFsPath&, const TWildMask&, TSearchRec&, QList<TSearchRec>&) override {
    return ERROR_BAD_NETPATH;
  }
  int Stat(const TFsPath&, TSearchRec&) override { return ERROR_BAD_NETPATH; }
  int Open(const TFsPath&, TOpenMode, std::unique_ptr<TFileObject>&) override { return ERROR_BAD_NETPATH; }
  int CreateDir(const TFsPath&) override { return ERROR_BAD_NETPATH; }
  int RemoveDir(const TFsPath&) override { return ERROR_BAD_NETPATH; }
  int DeleteFile(const TFsPath&) override { return ERROR_BAD_NETPATH; }
  qint64 DiskFree(const TFsPath&) override { return -1; }
};

std::atomic<FsBackend::TNetworkSource> Source{nullptr};

}  // namespace

namespace FsBackend {

std::shared_ptr<TFsBackend> Network() {
  if (const TNetworkSource source = Source.load()) return source();
  static const auto none = std::make_shared<TNoNetwork>();
  return none;
}

void SetNetworkSource(TNetworkSource source) { Source.store(source); }

}  // namespace FsBackend
