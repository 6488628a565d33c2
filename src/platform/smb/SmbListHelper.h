#pragma once
// Folder listings over a connection of their own: the helper program
// trawlix-smbread (src/helpers/smbread.cpp) in its listing service, started
// at the first listing, logging on with the credential each listing names
// (handed over its socket, never in its arguments or environment). Its
// entries are what TSmbLibrary::ListDir gives: both list through
// SmbContext::List. Used by one thread at a time; the helper is killed and
// reaped when this ends, and dies with the thread that started it.
#include <QByteArray>
#include <QList>
#include <sys/types.h>

#include "platform/smb/SmbListPrefetch.h"

class TSmbListHelper : public TSmbFolderLister {
 public:
  ~TSmbListHelper() override;
  int List(const QByteArray& url, const TSmbCredential& c, QList<TSmbEntry>& out) override;
  pid_t Pid() const override { return FPid; }

 private:
  bool Start();
  void Stop();
  // Reads `size` bytes of the helper's answer; false when it is gone or
  // silent for longer than a listing can take.
  bool Receive(char* to, size_t size);

  pid_t FPid = -1;
  int FSocket = -1;
};
