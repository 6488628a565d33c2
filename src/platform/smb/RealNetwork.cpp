// Makes the real SMB network what an unset TRAWLIX_NETWORK chooses: the
// network layer below cannot name it, so this layer hands it its maker.
#include "platform/net/NetBackend.h"
#include "platform/smb/SmbNetwork.h"

namespace {

std::shared_ptr<TNetBackend> MakeRealNetwork() { return std::make_shared<TSmbNetwork>(); }

const bool kMakesRealNetwork = (NetBackend::SetRealNetwork(&MakeRealNetwork), true);

}  // namespace

// Referenced by the link of every program that uses this layer, so that the
// registration above is always linked in (see src/CMakeLists.txt).
extern "C" void trawlix_platform_smb_linked() {}
