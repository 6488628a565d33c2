#include "support/FileEvents.h"

#include <QFile>

#include <sys/inotify.h>
#include <unistd.h>

FileEvents::FileEvents(const QString& folder) {
  FFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (FFd >= 0) ::inotify_add_watch(FFd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
}

FileEvents::~FileEvents() {
  if (FFd >= 0) ::close(FFd);
}

void FileEvents::Drain() {
  alignas(inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t n = FFd < 0 ? -1 : ::read(FFd, buffer, sizeof buffer);
    if (n <= 0) return;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      if (e->len > 0) ++FCounts[QFile::decodeName(e->name)];
      at += ssize_t(sizeof(inotify_event) + e->len);
    }
  }
}

int FileEvents::Count(const QString& name) {
  Drain();
  return FCounts.value(name);
}

void FileEvents::Clear() {
  Drain();
  FCounts.clear();
}
