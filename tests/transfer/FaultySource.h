#pragma once
// A simulated network whose files of one name misbehave when read, as
// servers and links do: reads answer "no more bytes" before the file's end
// (a server answering reads past what it sends with success and 0 bytes),
// or one read hangs until the test lets it go and then fails (a link cut
// while a read is in flight). Made current after the files are added.
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/net/SimNetwork.h"

struct TReadFault {
  QString Name;        // files of this name (letter case ignored)
  qint64 EndAt = -1;   // reads from this offset on answer 0 bytes
  qint64 HangAt = -1;  // the read reaching this offset waits for Release, then fails

  void Release() {
    std::lock_guard lock(Mutex);
    Released = true;
    Wake.notify_all();
  }
  bool Hanging() {
    std::lock_guard lock(Mutex);
    return IsHanging;
  }

  std::mutex Mutex;
  std::condition_variable Wake;
  bool IsHanging = false;
  bool Released = false;
};

class TFaultyFile : public TFileObject {
 public:
  TFaultyFile(std::unique_ptr<TFileObject> inner, std::shared_ptr<TReadFault> fault)
      : FInner(std::move(inner)), FFault(std::move(fault)) {}
  int Read(void* buffer, int count) override {
    const qint64 pos = FInner->Seek(0, 1);
    if (FFault->EndAt >= 0) {
      if (pos >= FFault->EndAt) return 0;
      count = int(qMin<qint64>(count, FFault->EndAt - pos));
    }
    if (FFault->HangAt >= 0 && pos + count > FFault->HangAt) {
      if (pos < FFault->HangAt) return FInner->Read(buffer, int(FFault->HangAt - pos));
      std::unique_lock lock(FFault->Mutex);
      FFault->IsHanging = true;
      FFault->Wake.wait(lock, [this] { return FFault->Released; });
      FFault->IsHanging = false;
      return -1;
    }
    return FInner->Read(buffer, count);
  }
  int Write(const void* buffer, int count) override { return FInner->Write(buffer, count); }
  qint64 Seek(qint64 offset, int origin) override { return FInner->Seek(offset, origin); }
  qint64 Size() override { return FInner->Size(); }
  bool GetWriteTime(qint64& ns) override { return FInner->GetWriteTime(ns); }
  bool SetWriteTime(qint64 ns) override { return FInner->SetWriteTime(ns); }

 private:
  std::unique_ptr<TFileObject> FInner;
  std::shared_ptr<TReadFault> FFault;
};

class TFaultyNetwork : public TSimNetwork {
 public:
  TFaultyNetwork(const QString& root, std::shared_ptr<TReadFault> fault) : TSimNetwork(root), FFault(std::move(fault)) {}
  int Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) override {
    const int e = TSimNetwork::Open(path, mode, out);
    if (e == 0 && mode == TOpenMode::Read && !path.Parts.isEmpty() &&
        path.Parts.last().compare(FFault->Name, Qt::CaseInsensitive) == 0)
      out = std::make_unique<TFaultyFile>(std::move(out), FFault);
    return e;
  }

 private:
  std::shared_ptr<TReadFault> FFault;
};
