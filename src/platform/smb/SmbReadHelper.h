#pragma once
// The second connection of a large file's read (SmbSplitRead.h): the
// helper program trawlix-smbread (src/helpers/smbread.cpp), started beside
// the program, logs on with the credential the program's own connection
// used (handed over its socket, never in its arguments or environment),
// opens the file and reads into memory both processes map. It is used only
// when it found the file as the program did (same size and time).
// The helper is killed and reaped when this ends; it also dies with the
// program.
#include <QByteArray>
#include <QString>
#include <sys/types.h>

#include "platform/smb/SmbSplitRead.h"

struct TSmbCredential;

class TSmbReadHelper : public TSmbChunkReader {
 public:
  TSmbReadHelper(const QByteArray& url, const TSmbCredential& c, qint64 size, qint64 writeTimeNs, int memory);
  ~TSmbReadHelper() override;

  TState State() override;
  bool Start(qint64 offset, int count) override;
  int Finish(const char*& data) override;

  // The helper beside the program, or in ../libexec/trawlix/ from it;
  // empty when neither is there.
  static QString Path();
  pid_t Pid() const { return FPid; }

 private:
  // Waits for the helper's next answer (`wait` false: only if there is
  // one); false when there is none or the helper is gone.
  bool Answer(void* answer, bool wait);
  void Fail();

  qint64 FSize, FTime;
  int FMemorySize;
  TState FState = Failed;
  pid_t FPid = -1;
  int FSocket = -1;
  int FMemoryFd = -1;
  const char* FMemory = nullptr;
  qint64 FReading = -1;  // the offset of the read under way
};
