#pragma once
// The private network of real SMB servers that scripts/smbnet starts; the
// tests run inside its client namespace with its description (DIR/env) in
// the environment. One real back end serves the whole test program, and it
// has looked at the network once before any test reads a share by name.
#include <QString>
#include <QStringList>
#include <memory>

class TNetBackend;

namespace Smbnet {

// True when the test program runs inside a started network.
bool Present();
// A value of the network's description (SMBNET_<key>).
QString Value(const QString& key);
// This machine's path of a file or folder on a server's shares, e.g.
// Local("SRV1", "pub/docs/readonly.txt").
QString Local(const QString& server, const QString& path);
// The real back end the tests share; discovery has run on it once.
std::shared_ptr<TNetBackend> Backend();
// Makes the shared back end the current one; the previous comes back when
// the returned guard goes.
class TUse {
 public:
  TUse();
  ~TUse();
  TUse(const TUse&) = delete;
  TUse& operator=(const TUse&) = delete;

 private:
  std::shared_ptr<TNetBackend> FPrevious;
};
// Runs a command of scripts/smbnet on this network, e.g.
// Command({"cut", "SRV1"}) or Command({"relay", "SRV1", "--delay", "2"});
// true when it succeeded.
bool Command(const QStringList& args);
// Waits (at most `seconds`) until the NetBIOS-only server is in its
// workgroup's browse list; the browse election takes a while after start.
bool WaitForBrowseList(int seconds = 90);
// Sets or clears TRAWLIX_SMB_AUTH for the length of a scope.
class TAuthFile {
 public:
  explicit TAuthFile(bool use);
  ~TAuthFile();

 private:
  QByteArray FPrevious;
  bool FHad;
};

}  // namespace Smbnet
