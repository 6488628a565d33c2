#include "search/Search_state.h"

TSearchPattern* SearchPatternThread = nullptr;
TSearchGroup* SearchGroupThread = nullptr;
int FoundCount = 0;
QString CurrentSearchPath;
QStringList GroupExtensions;

QStringList GroupExtensionsFromItem(const QString& item) {
  // The types text starts after the blank that opens " (" and ends before the
  // closing bracket. The last " (" is taken, so that a group name holding
  // blanks does not spill into the types.
  const int length = static_cast<int>(item.size());
  int blank = static_cast<int>(item.lastIndexOf(QStringLiteral(" (")));
  if (blank < 0) blank = static_cast<int>(item.indexOf(u' '));
  const int start = blank + 2;  // 0-based: after the blank and the bracket
  const int count = length - blank - 3;
  const QString types = (count > 0 && start < length) ? item.mid(start, count) : QString();
  QStringList result;
  // Types are written without their dot; one typed as ".jpg" means jpg all
  // the same, and a token of dots alone is no type.
  const auto add = [&result](const QString& token) {
    qsizetype dots = 0;
    while (dots < token.size() && token[dots] == u'.') ++dots;
    if (dots < token.size()) result.append(u'.' + token.mid(dots));
  };
  QString token;
  for (QChar c : types) {
    if (c == u' ' || c == u',') {
      add(token);
      token.clear();
    } else {
      token += c;
    }
  }
  add(token);
  return result;
}
