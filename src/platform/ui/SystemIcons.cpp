#include "platform/ui/SystemIcons.h"

#include <QFileIconProvider>
#include <QGuiApplication>
#include <QHash>
#include <QMimeDatabase>
#include <QMimeType>
#include <QThread>
#include <QVector>
#include <mutex>

namespace SystemIcons {
namespace {

// What an index stands for: a folder or a MIME type.
struct Entry {
  bool Folder = false;
  QMimeType Mime;
  QIcon Small;
  QIcon Large;
  bool Made = false;
};

struct Registry {
  std::mutex Lock;
  QVector<Entry> Entries;
  QHash<QString, int> ByMime;       // MIME type name -> index
  QHash<QString, int> ByExtension;  // lower-case extension without dot -> index
  int Folder = -1;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

QIcon MakeIcon(const Entry& entry) {
  static QFileIconProvider provider;
  if (entry.Folder) return provider.icon(QFileIconProvider::Folder);
  QIcon icon = QIcon::fromTheme(entry.Mime.iconName());
  if (icon.isNull()) icon = QIcon::fromTheme(entry.Mime.genericIconName());
  if (icon.isNull()) icon = provider.icon(QFileIconProvider::File);
  return icon;
}

}  // namespace

int IndexForType(const QString& extension) {
  QString ext = extension.toLower();
  if (ext.startsWith(u'.')) ext.remove(0, 1);
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  const auto known = r.ByExtension.constFind(ext);
  if (known != r.ByExtension.constEnd()) return known.value();
  static QMimeDatabase database;
  const QMimeType mime = ext.isEmpty()
                             ? database.mimeTypeForName(QStringLiteral("application/octet-stream"))
                             : database.mimeTypeForFile(QStringLiteral("x.") + ext, QMimeDatabase::MatchExtension);
  int index = r.ByMime.value(mime.name(), -1);
  if (index < 0) {
    index = static_cast<int>(r.Entries.size());
    Entry entry;
    entry.Mime = mime;
    r.Entries.append(entry);
    r.ByMime.insert(mime.name(), index);
  }
  r.ByExtension.insert(ext, index);
  return index;
}

int FolderIndex() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  if (r.Folder < 0) {
    Entry entry;
    entry.Folder = true;
    r.Folder = static_cast<int>(r.Entries.size());
    r.Entries.append(entry);
  }
  return r.Folder;
}

QIcon Icon(int index, bool large) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  if (index < 0 || index >= r.Entries.size()) return QIcon();
  Entry& entry = r.Entries[index];
  if (!entry.Made) {
    // Pictures belong to the GUI thread.
    if (!qApp || QThread::currentThread() != qApp->thread()) return QIcon();
    const QIcon icon = MakeIcon(entry);
    entry.Small = QIcon(icon.pixmap(16, 16));
    entry.Large = QIcon(icon.pixmap(32, 32));
    entry.Made = true;
  }
  return large ? entry.Large : entry.Small;
}

std::function<QIcon(int, bool)> ImageProvider() {
  return [](int index, bool large) { return Icon(index, large); };
}

}  // namespace SystemIcons
