#include "platform/FsBackend.h"

#include "platform/LocalDrive.h"
#include "platform/NetBackend.h"

namespace FsBackend {

std::shared_ptr<TFsBackend> For(const TFsPath& path) {
  static const auto local = std::make_shared<TLocalDrive>();
  if (path.Unc) return NetBackend::Current();
  return local;
}

}  // namespace FsBackend
