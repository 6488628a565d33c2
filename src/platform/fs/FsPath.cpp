#include "platform/fs/FsPath.h"

#include "platform/core/WinError.h"
#include "platform/fs/FileSystem.h"

QString TFsPath::Text() const {
  QString s = Unc ? QLatin1String("\\\\") + Server + u'\\' + Share : QStringLiteral("C:");
  if (!Unc && Parts.isEmpty()) return QStringLiteral("C:\\");
  for (const QString& p : Parts) s += u'\\' + p;
  return s;
}

TFsPath TFsPath::Child(const QString& name) const {
  TFsPath c = *this;
  c.Parts.append(name);
  return c;
}

namespace FsPath {

QString StripName(const QString& name) {
  qsizetype n = name.size();
  while (n > 0 && (name[n - 1] == u'.' || name[n - 1] == u' ')) --n;
  return name.left(n);
}

namespace {

void AddComponents(QStringList& parts, const QString& text) {
  for (const QString& c : text.split(u'\\', Qt::SkipEmptyParts)) {
    if (c == QLatin1String(".")) continue;
    if (c == QLatin1String("..")) {
      if (!parts.isEmpty()) parts.removeLast();
      continue;
    }
    const QString name = StripName(c);
    if (!name.isEmpty()) parts.append(name);
  }
}

}  // namespace

int Parse(const QString& path, TFsPath& out) {
  out = TFsPath();
  if (path.size() > MAX_PATH_LENGTH) return ERROR_FILENAME_EXCED_RANGE;
  if (path.isEmpty()) return ERROR_PATH_NOT_FOUND;
  QString p = path;
  p.replace(u'/', u'\\');
  if (p.startsWith(QLatin1String("\\\\"))) {
    const QStringList c = p.mid(2).split(u'\\', Qt::SkipEmptyParts);
    if (c.size() < 2) return ERROR_BAD_NETPATH;
    for (const QString& name : {c[0], c[1]})
      if (name == QLatin1String(".") || name == QLatin1String("..")) return ERROR_BAD_NETPATH;
    out.Unc = true;
    out.Server = c[0];
    out.Share = c[1];
    AddComponents(out.Parts, c.mid(2).join(u'\\'));
    return NO_ERROR;
  }
  if (p.size() >= 2 && p[1] == u':') {
    if (p[0].toUpper() != u'C') return ERROR_PATH_NOT_FOUND;
    AddComponents(out.Parts, p.mid(2));
    return NO_ERROR;
  }
  if (!p.startsWith(u'\\')) {  // relative: below the current folder
    TFsPath cur;
    if (Parse(FileSystem::GetCurrentDir(), cur) == NO_ERROR) out.Parts = cur.Parts;
  }
  AddComponents(out.Parts, p);
  return out.Parts.join(u'\\').size() + 3 > MAX_PATH_LENGTH ? ERROR_FILENAME_EXCED_RANGE : NO_ERROR;
}

}  // namespace FsPath
