#include "platform/fs/WinPath.h"

#include "platform/core/NetName.h"

namespace WinPath {

bool IsUnc(const QString& path) { return path.startsWith(QLatin1String("\\\\")); }

bool IsDrive(const QString& path) {
  return path.size() >= 2 && path[0].isLetter() && path[0].unicode() < 128 && path[1] == QLatin1Char(':');
}

QString ToLocal(const QString& drivePath) {
  if (!IsDrive(drivePath) || drivePath[0].toUpper() != QLatin1Char('C')) return {};
  QString rest = drivePath.mid(2);
  rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (!rest.startsWith(QLatin1Char('/'))) rest.prepend(QLatin1Char('/'));
  // Collapse doubled separators that joining "C:\" with "\x" leaves behind.
  while (rest.contains(QLatin1String("//"))) rest.replace(QLatin1String("//"), QLatin1String("/"));
  return rest;
}

QString FromLocal(const QString& localPath) {
  QString p = localPath;
  p.replace(QLatin1Char('/'), QLatin1Char('\\'));
  if (!p.startsWith(QLatin1Char('\\'))) p.prepend(QLatin1Char('\\'));
  return QLatin1String("C:") + p;
}

QString IncludeTrailingBackslash(const QString& path) {
  return path.endsWith(QLatin1Char('\\')) ? path : path + QLatin1Char('\\');
}

QString ExcludeTrailingBackslash(const QString& path) {
  return path.endsWith(QLatin1Char('\\')) ? path.left(path.size() - 1) : path;
}

static int LastDelimiter(const QString& path) {
  for (int i = path.size() - 1; i >= 0; --i)
    if (path[i] == QLatin1Char('\\') || path[i] == QLatin1Char(':')) return i;
  return -1;
}

QString ExtractFileName(const QString& path) { return path.mid(LastDelimiter(path) + 1); }

QString ExtractFilePath(const QString& path) { return path.left(LastDelimiter(path) + 1); }

QString ExtractFileExt(const QString& path) {
  for (int i = path.size() - 1; i >= 0; --i) {
    if (path[i] == QLatin1Char('.')) return path.mid(i);
    if (path[i] == QLatin1Char('\\') || path[i] == QLatin1Char(':')) break;
  }
  return {};
}

bool IsNetworkName(const QString& name) {
  return NetName::IsName(std::u16string_view(reinterpret_cast<const char16_t*>(name.constData()), size_t(name.size())));
}

bool IsPlainEntryName(const QString& name) { return IsNetworkName(name) && !name.contains(u':'); }

bool IsExactEntryName(const QString& name) {
  return IsPlainEntryName(name) && !name.endsWith(u'.') && !name.endsWith(u' ');
}

}  // namespace WinPath
