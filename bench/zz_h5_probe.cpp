#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include "platform/FindFile.h"
#include "platform/NetBackend.h"
#include "platform/Thread.h"

static long Walk(const QString& path, const QString& mask) {
  long n = 0;
  TSearchRec rec;
  if (FileSystem::FindFirst(path + mask, faAnyFile, rec) == 0) {
    do ++n; while (FileSystem::FindNext(rec) == 0);
    FileSystem::FindClose(rec);
  }
  if (FileSystem::FindFirst(path + "*.*", faDirectory, rec) == 0) {
    do {
      if (rec.IsDirectory() && rec.Name != "." && rec.Name != "..") n += Walk(path + rec.Name + "\\", mask);
    } while (FileSystem::FindNext(rec) == 0);
    FileSystem::FindClose(rec);
  }
  return n;
}

class W : public TThread {
 public:
  W() : TThread(true) {}
  int calls = 0;
  void Execute() override { for (int i = 0; i < 3300; ++i) Synchronize([this] { ++calls; }); }
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  NetBackend::UseSimulated(QString::fromLocal8Bit(argv[1]));
  QElapsedTimer t; t.start();
  long n = 0;
  for (int s = 0; s < 4; ++s) n += Walk(QString("\\\\PC1\\share%1\\").arg(s), argv[2]);
  std::printf("find walk %.3f s, %ld\n", t.nsecsElapsed() / 1e9, n);
  W w; t.restart(); w.Resume();
  while (!w.Finished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  std::printf("3300 syncs busy loop %.3f s\n", t.nsecsElapsed() / 1e9);
  W w2; t.restart(); w2.Resume();
  QObject::connect(&app, &QCoreApplication::aboutToQuit, []{});
  while (!w2.Finished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  std::printf("3300 syncs waiting loop %.3f s\n", t.nsecsElapsed() / 1e9);
  return 0;
}
