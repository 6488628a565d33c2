#pragma once
// What the copy benchmarks share: the process' resident memory, large files
// of random bytes (so no layer can compress or skip them), and one copy
// through the transfer window as the copy commands start it.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/core/Thread.h"
#include "transfer/Copy.h"
#include "transfer/Copyform.h"

namespace BenchCopy {

inline long RssKiB() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return 0;
}

// The memory of this process' helper processes (a copy's second
// connection) that is theirs alone: what they share with this process
// (libraries, the memory both map) is in RssKiB already. Children are found
// through each thread's list of them, so a sample costs a few reads, not a
// walk of every process of the machine (that walk, every 10 ms on the GUI
// thread, slowed the copies it measured).
inline long HelpersKiB() {
  long total = 0;
  for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile children(QStringLiteral("/proc/self/task/%1/children").arg(task));
    if (!children.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& pid : children.readAll().simplified().split(' ')) {
      if (pid.isEmpty()) continue;
      QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(QString::fromLatin1(pid)));
      if (!rollup.open(QIODevice::ReadOnly)) continue;
      for (const QByteArray& l : rollup.readAll().split('\n'))
        if (l.startsWith("Private_Clean:") || l.startsWith("Private_Dirty:"))
          total += l.mid(14).trimmed().split(' ').value(0).toLong();
    }
  }
  return total;
}

inline void WriteRandom(const QString& path, qint64 size) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
  QByteArray block(1 << 20, Qt::Uninitialized);
  auto* words = reinterpret_cast<quint32*>(block.data());
  for (qint64 done = 0; done < size;) {
    QRandomGenerator::global()->fillRange(words, block.size() / 4);
    const qint64 n = std::min<qint64>(block.size(), size - done);
    f.write(block.constData(), n);
    done += n;
  }
}

struct TRun {
  double Seconds = 0;
  // At the moment the two together peaked: resident memory over the start,
  // and the private memory of helper processes.
  long RssGrowthKiB = 0;
  long HelpersKiB = 0;
};

inline TRun CopyWithTransfer(const QString& name, const QString& sourceFolder, const QString& destination,
                             double total) {
  CopyNames = {name};
  CopySourceFolders = {sourceFolder};
  CopyDestination = destination;
  CopyDestinationDrive = DriveNumberOf(destination);
  CopyTotalSize = total;
  const long rssBefore = RssKiB();
  TRun run;
  const auto sample = [&] {
    const long growth = RssKiB() - rssBefore, helpers = HelpersKiB();
    if (growth + helpers > run.RssGrowthKiB + run.HelpersKiB) {
      run.RssGrowthKiB = growth;
      run.HelpersKiB = helpers;
    }
  };
  QElapsedTimer t;
  t.start();
  auto* form = new TFormCopy(nullptr);
  form->StartTransfer(false);
  // The event loop runs as in the program; a timer watches the end and the memory.
  QEventLoop loop;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
    sample();
    if (TThread::RunningCount() == 0) loop.quit();
  });
  watch.start(10);
  loop.exec();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  run.Seconds = t.nsecsElapsed() / 1e9;
  sample();
  return run;
}

}  // namespace BenchCopy
