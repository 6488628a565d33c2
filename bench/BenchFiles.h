#pragma once
// Helpers the copy benchmarks share: the process' resident memory and large
// files of random bytes (so no layer can compress or skip them).
#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace BenchFiles {

inline long RssKiB() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return 0;
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

}  // namespace BenchFiles
