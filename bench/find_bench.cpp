// Walks a generated tree of 100,000 entries through find-first / find-next,
// on the drive path and through the simulated network, and compares each
// walk with a plain readdir + stat walk of the same tree in the same run.
// Goal: the find walk takes at most 1.5 times the plain walk.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/fs/FindFile.h"
#include "platform/fs/WinPath.h"
#include "platform/net/NetBackend.h"

namespace {

constexpr int kFan = 10;          // folders per level, three levels
constexpr int kFilesPerLeaf = 99;  // 1,110 folders + 99,000 files = 100,110 entries

void Generate(const std::string& root) {
  mkdir(root.c_str(), 0755);
  char name[64];
  for (int a = 0; a < kFan; ++a) {
    const std::string pa = root + "/dir" + std::to_string(a);
    mkdir(pa.c_str(), 0755);
    for (int b = 0; b < kFan; ++b) {
      const std::string pb = pa + "/Sub" + std::to_string(b);
      mkdir(pb.c_str(), 0755);
      for (int c = 0; c < kFan; ++c) {
        const std::string pc = pb + "/leaf" + std::to_string(c);
        mkdir(pc.c_str(), 0755);
        for (int f = 0; f < kFilesPerLeaf; ++f) {
          static const char* exts[] = {"txt", "doc", "jpg", "html", "mp3", "pdf"};
          snprintf(name, sizeof name, "/file%03d.%s", f, exts[f % 6]);
          const int fd = open((pc + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
          if (fd >= 0) {
            if (write(fd, name, size_t(f % 17)) < 0) perror("write");
            close(fd);
          }
        }
      }
    }
  }
}

long long FindWalk(const QString& folder) {
  long long n = 0;
  TSearchRec sr;
  if (FileSystem::FindFirst(folder + "*.*", faAnyFile, sr) != 0) return 0;
  do {
    if (sr.Name == QLatin1String(".") || sr.Name == QLatin1String("..")) continue;
    ++n;
    if (sr.IsDirectory()) n += FindWalk(folder + sr.Name + u'\\');
  } while (FileSystem::FindNext(sr) == 0);
  FileSystem::FindClose(sr);
  return n;
}

long long PlainWalk(const std::string& folder) {
  long long n = 0;
  DIR* d = opendir(folder.c_str());
  if (!d) return 0;
  while (const dirent* e = readdir(d)) {
    if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0))) continue;
    const std::string p = folder + "/" + e->d_name;
    struct stat st;
    if (stat(p.c_str(), &st) != 0) continue;
    ++n;
    if (S_ISDIR(st.st_mode)) n += PlainWalk(p);
  }
  closedir(d);
  return n;
}

template <typename Fn>
double Best(Fn fn, long long& count) {
  double best = 1e300;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer t;
    t.start();
    count = fn();
    best = std::min(best, double(t.nsecsElapsed()) / 1e6);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir tmp;
  const std::string net = QFile::encodeName(tmp.path()).toStdString() + "/net";
  const std::string share = net + "/BENCH/SERVER/share";
  mkdir(net.c_str(), 0755);
  mkdir((net + "/BENCH").c_str(), 0755);
  mkdir((net + "/BENCH/SERVER").c_str(), 0755);
  printf("generating the tree...\n");
  Generate(share);
  NetBackend::UseSimulated(QFile::decodeName(net.c_str()));
  const QString drive = WinPath::FromLocal(QFile::decodeName(share.c_str())) + u'\\';
  const QString unc = QStringLiteral("\\\\server\\SHARE\\");

  long long plainCount = 0, findCount = 0, uncCount = 0;
  PlainWalk(share);  // warm the caches
  FindWalk(drive);
  const double plain = Best([&] { return PlainWalk(share); }, plainCount);
  const double find = Best([&] { return FindWalk(drive); }, findCount);
  const double viaNet = Best([&] { return FindWalk(unc); }, uncCount);
  printf("entries: plain %lld, find %lld, simulated network %lld\n", plainCount, findCount, uncCount);
  printf("readdir + stat walk:              %8.1f ms\n", plain);
  printf("find walk, drive path:            %8.1f ms   ratio %.2f (goal <= 1.5)\n", find, find / plain);
  printf("find walk, simulated network UNC: %8.1f ms   ratio %.2f\n", viaNet, viaNet / plain);
  const bool ok = plainCount == findCount && findCount == uncCount && find / plain <= 1.5;
  printf("%s\n", ok ? "OK" : "GOAL MISSED");
  return ok ? 0 : 1;
}
