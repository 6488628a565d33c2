#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include "platform/WinPath.h"

namespace FileSystem {

QString GetCurrentDir() {
  QString p = WinPath::FromLocal(QDir::currentPath());
  return p == QLatin1String("C:\\") ? p : WinPath::ExcludeTrailingBackslash(p);
}

bool FileExists(const QString& path) {
  if (!WinPath::IsDrive(path)) return false;
  QFileInfo fi(WinPath::ToLocal(path));
  return fi.exists() && fi.isFile();
}

}  // namespace FileSystem
