#include "platform/ui/Shell.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QThread>

#include "platform/fs/FsPath.h"
#include "platform/fs/LocalDrive.h"
#include "platform/fs/WinPath.h"
#include "platform/net/NetBackend.h"

namespace Shell {

namespace {

QMutex LauncherLock;

Launcher& CurrentLauncher() {
  static Launcher launcher;
  return launcher;
}

QString Unquote(QString s) {
  s = s.trimmed();
  if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"')) s = s.mid(1, s.size() - 2);
  return s;
}

// The parent folder of an item's URL ("file:///a/b/c" -> "file:///a/b/").
QUrl ParentUrl(const QUrl& url) {
  return url.adjusted(QUrl::StripTrailingSlash).adjusted(QUrl::RemoveFilename);
}

// The desktop's way: the default application for Open, the file manager
// for Show. Nothing here waits for the program it reaches.
bool DesktopLaunch(const TShellRequest& request) {
  if (request.kind == TShellRequest::Open) return QDesktopServices::openUrl(request.url);
  return ShowItem(QDBusConnection::sessionBus(), request.url);
}

bool Launch(const TShellRequest& request) {
  Launcher launcher;
  {
    QMutexLocker lock(&LauncherLock);
    launcher = CurrentLauncher();
  }
  return launcher ? launcher(request) : DesktopLaunch(request);
}

// A web or mail address (a scheme of two letters or more: "C:" is a drive).
bool IsAddress(const QString& item) {
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  return scheme.match(item).hasMatch();
}

QUrl UncUrl(const QString& item) {
  // "\\SERVER" or "\\SERVER\" names a computer; anything longer goes
  // through the file system's own path rules.
  QString server, share;
  QStringList parts;
  const QStringList c = QString(item).replace(u'/', u'\\').mid(2).split(u'\\', Qt::SkipEmptyParts);
  if (c.isEmpty()) return {};
  if (c.size() == 1) {
    server = FsPath::StripName(c[0]);
  } else {
    TFsPath p;
    if (FsPath::Parse(item, p) != 0) return {};
    server = p.Server;
    share = p.Share;
    parts = p.Parts;
  }
  if (server.isEmpty()) return {};

  return NetBackend::Current()->DesktopUrl(server, share, parts);
}

}  // namespace

bool ShowItem(const QDBusConnection& bus, const QUrl& url) {
  const QUrl parent = ParentUrl(url);
  if (!bus.isConnected()) return QDesktopServices::openUrl(parent);
  // The file manager's interface (freedesktop.org's file manager D-Bus
  // interface): the items as URIs, and a startup notification id, none here.
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
  call << QStringList{url.toString(QUrl::FullyEncoded)} << QString();
  // The answer is awaited by the main thread's event loop, whichever thread asks.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
  if (QCoreApplication* app = QCoreApplication::instance(); app && watcher->thread() != app->thread())
    watcher->moveToThread(app->thread());
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [parent](QDBusPendingCallWatcher* w) {
    if (w->isError()) QDesktopServices::openUrl(parent);
    w->deleteLater();
  });
  return true;
}

void SetLauncher(Launcher launcher) {
  QMutexLocker lock(&LauncherLock);
  CurrentLauncher() = std::move(launcher);
}

QUrl ItemUrl(const QString& rawItem) {
  const QString item = Unquote(rawItem);
  if (item.isEmpty()) return {};
  if (WinPath::IsUnc(item)) return UncUrl(item);
  if (WinPath::IsDrive(item)) {
    TFsPath p;
    if (FsPath::Parse(item, p) != 0) return {};
    const QString local = TLocalDrive::LocalPath(p);
    if (!QFileInfo::exists(local)) return {};
    return QUrl::fromLocalFile(local);
  }
  if (IsAddress(item)) return QUrl(item);
  return {};
}

int ShellExecute(QWidget*, const QString& verb, const QString& file, const QString&, const QString&, int) {
  const QString v = verb.toLower();
  if (!v.isEmpty() && v != QLatin1String("open") && v != QLatin1String("explore")) return SE_ERR_NOASSOC;
  TShellRequest request{TShellRequest::Open, file, ItemUrl(file)};
  if (!request.url.isValid()) return SE_ERR_FNF;
  return Launch(request) ? SE_SUCCESS : SE_ERR_NOASSOC;
}

TExplorerCommand ParseExplorerCommand(const QString& commandLine) {
  TExplorerCommand cmd;
  const QString line = commandLine.trimmed();
  // The program: a quoted or a blank-delimited first word.
  qsizetype pos = 0;
  QString program;
  if (line.startsWith(u'"')) {
    const qsizetype end = line.indexOf(u'"', 1);
    program = end < 0 ? line.mid(1) : line.mid(1, end - 1);
    pos = end < 0 ? line.size() : end + 1;
  } else {
    while (pos < line.size() && !line[pos].isSpace()) ++pos;
    program = line.left(pos);
  }
  QString base = program.mid(std::max(program.lastIndexOf(u'\\'), program.lastIndexOf(u'/')) + 1).toLower();
  if (base != QLatin1String("explorer") && base != QLatin1String("explorer.exe")) return cmd;
  cmd.Valid = true;

  // Switches "/n", "/e", "/root,X", "/select,ITEM", separated by commas;
  // the item is the rest of the line, commas and all.
  QString rest = line.mid(pos);
  for (;;) {
    rest = rest.trimmed();
    if (rest.startsWith(u',')) {
      rest = rest.mid(1);
      continue;
    }
    if (!rest.startsWith(u'/')) break;
    qsizetype end = 1;
    while (end < rest.size() && rest[end] != u',' && !rest[end].isSpace()) ++end;
    const QString sw = rest.mid(1, end - 1).toLower();
    rest = rest.mid(end).trimmed();
    if (rest.startsWith(u',')) rest = rest.mid(1);
    if (sw == QLatin1String("select")) {
      cmd.Select = true;
      break;
    }
    if (sw == QLatin1String("root")) {  // its object is the next comma-separated word
      const qsizetype comma = rest.indexOf(u',');
      const QString root = comma < 0 ? rest : rest.left(comma);
      rest = comma < 0 ? QString() : rest.mid(comma + 1);
      if (rest.trimmed().isEmpty()) rest = root;
    }
  }
  cmd.Item = Unquote(rest);
  return cmd;
}

unsigned WinExec(const QString& commandLine, int) {
  const TExplorerCommand cmd = ParseExplorerCommand(commandLine);
  if (!cmd.Valid || cmd.Item.isEmpty()) return 2;
  TShellRequest request{cmd.Select ? TShellRequest::Show : TShellRequest::Open, cmd.Item, ItemUrl(cmd.Item)};
  if (!request.url.isValid()) return 2;
  return Launch(request) ? 33 : 2;
}

}  // namespace Shell
