#pragma once
// Counts, from the kernel's file notifications, how often each file of a
// folder was written or took a new content by a rename: a save that is one
// replacement of its file counts once, a save key by key once per key.
#include <QHash>
#include <QString>

class FileEvents {
 public:
  explicit FileEvents(const QString& folder);
  ~FileEvents();
  FileEvents(const FileEvents&) = delete;
  FileEvents& operator=(const FileEvents&) = delete;

  // Writes and replacements of the file `name` since the start (or Clear).
  int Count(const QString& name);
  void Clear();

 private:
  void Drain();
  int FFd = -1;
  QHash<QString, int> FCounts;
};
