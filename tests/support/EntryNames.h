#pragma once
// The names of folder entries, in order: of a list, or of what a find returns.
#include <QList>
#include <QStringList>

#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"

inline QStringList Names(const QList<TSearchRec>& entries) {
  QStringList names;
  for (const TSearchRec& r : entries) names << r.Name;
  return names;
}

// Empty when FindFirst fails; its error goes to `error` when given.
inline QStringList Names(const QString& path, int attr = faAnyFile, int* error = nullptr) {
  QStringList names;
  TSearchRec sr;
  const int e = FileSystem::FindFirst(path, attr, sr);
  if (error) *error = e;
  if (e == 0) {
    do names << sr.Name;
    while (FileSystem::FindNext(sr) == 0);
    FileSystem::FindClose(sr);
  }
  return names;
}
