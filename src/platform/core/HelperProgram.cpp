#include "platform/core/HelperProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>

namespace HelperProgram {

QString Path(const QString& name) {
  QString dir;
  if (QCoreApplication::instance())
    dir = QCoreApplication::applicationDirPath();
  else
    dir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
  for (const QString& candidate : {dir + u'/' + name, dir + QStringLiteral("/../libexec/trawlix/") + name}) {
    QFileInfo f(candidate);
    if (f.isFile() && f.isExecutable()) return QDir::cleanPath(f.absoluteFilePath());
  }
  return {};
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid = -1;
}

}  // namespace HelperProgram
