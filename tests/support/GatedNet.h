#pragma once
// The simulated network with a gate before every folder listing: a walk
// that reaches one blocks there until the test opens the gate, so a test
// can look at the GUI thread while a worker is in the middle of a walk,
// without timing. Made current for its lifetime over a TSimNet's folder
// (add the files first: TSimNet reloads its own back end on each change).
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/net/SimNetwork.h"

class TGatedNetwork : public TSimNetwork {
 public:
  using TSimNetwork::TSimNetwork;
  int ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) override;

  void Open();
  // True once a listing waits at the closed gate.
  bool Reached();

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  bool FOpen = false;
  bool FReached = false;
};

class GatedNet {
 public:
  explicit GatedNet(const QString& simRoot);
  // Opens the gate, so no worker is left waiting behind it.
  ~GatedNet();
  TGatedNetwork& Gate() { return *FNet; }

 private:
  std::shared_ptr<TNetBackend> FPrevious;
  std::shared_ptr<TGatedNetwork> FNet;
};
