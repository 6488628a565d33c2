#include "support/GatedNet.h"

#include <chrono>

#include "platform/net/NetBackend.h"

int TGatedNetwork::ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self,
                              QList<TSearchRec>& out) {
  {
    std::unique_lock<std::mutex> lock(FMutex);
    FReached = true;
    // Bounded, so that a failing test still ends.
    FChanged.wait_for(lock, std::chrono::seconds(60), [this] { return FOpen; });
  }
  return TSimNetwork::ListFolder(folder, mask, self, out);
}

void TGatedNetwork::Open() {
  std::lock_guard<std::mutex> lock(FMutex);
  FOpen = true;
  FChanged.notify_all();
}

bool TGatedNetwork::Reached() {
  std::lock_guard<std::mutex> lock(FMutex);
  return FReached;
}

GatedNet::GatedNet(const QString& simRoot)
    : FPrevious(NetBackend::Current()), FNet(std::make_shared<TGatedNetwork>(simRoot)) {
  NetBackend::Use(FNet);
}

GatedNet::~GatedNet() {
  FNet->Open();
  NetBackend::Use(FPrevious);
}
