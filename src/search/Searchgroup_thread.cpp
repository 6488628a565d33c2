#include "search/Searchgroup_thread.h"

#include "platform/fs/FileAttr.h"
#include "search/Result_row.h"

QString FileExtension(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot);
}

void TSearchGroup::ReadPattern() {
  // The group's types, each once whatever its letter case; the first
  // spelling keeps the place.
  FTypes.clear();
  for (const QString& type : GroupExtensions)
    if (!FTypes.contains(type, Qt::CaseInsensitive)) FTypes.append(type);
}

void TSearchGroup::SearchFolder(const QString& path) {
  if (!EnterFolder(path)) return;

  // One listing of the whole folder serves every type and the subfolders:
  // one trip to the share per folder, and no file comes back twice through
  // the short-name matching of a per-type listing (*.htm also finding
  // page.html).
  std::vector<TSearchRec> listing;
  if (!List(path + QStringLiteral("*.*"), faAnyFile, listing)) return;
  QString computer, inside;
  SplitSearchPath(path, computer, inside);
  for (const QString& type : FTypes) {
    for (const TSearchRec& rec : listing) {
      if (rec.IsDirectory()) continue;
      if (FileExtension(rec.Name).compare(type, Qt::CaseInsensitive) != 0) continue;
      if (!QueueFound(rec, computer, inside)) return;
    }
  }
  if (!HandOverIfDue()) return;
  SearchSubfolders(path, listing);
}

void TSearchGroup::ShowSearchEnd() {
  if (SearchGroupThread == this) SearchGroupThread = nullptr;
  TSearchPattern::ShowSearchEnd();
}
