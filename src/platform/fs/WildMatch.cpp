#include "platform/fs/WildMatch.h"

namespace WildMatch {

namespace {

// Case folding and upper case with a shortcut for ASCII, which most names are.
inline char16_t Folded(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
  return c.toCaseFolded().unicode();
}

inline char16_t Upper(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return u >= u'a' && u <= u'z' ? char16_t(u - 32) : u;
  return c.toUpper().unicode();
}

}  // namespace

bool MaskMatch(QStringView mask, QStringView name) {
  // Iterative match with one back-track point (the last star): linear for
  // masks with one star, and never recursive, so a long name cannot exhaust
  // the stack. "?" never takes a dot: at a dot or at the end of the name a
  // run of "?" matches nothing, as the find calls match it ("????.bin" takes
  // "k1.bin", "README?" takes "README", "page?htm" does not take "page.htm").
  // Where a run of "?" ends depends only on where it starts, and later starts
  // never end earlier, so the one back-track point stays enough.
  qsizetype m = 0, n = 0, starM = -1, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == u'*') {
      starM = m++;
      starN = n;
    } else if (m < mask.size() && mask[m] == u'?' && name[n] == u'.') {
      while (m < mask.size() && mask[m] == u'?') ++m;
    } else if (m < mask.size() && (mask[m] == u'?' || Folded(mask[m]) == Folded(name[n]))) {
      ++m;
      ++n;
    } else if (starM >= 0) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && (mask[m] == u'*' || mask[m] == u'?')) ++m;
  return m == mask.size();
}

namespace {

bool Is83Char(QChar c) {
  if (c.unicode() > 127) return false;
  if (c.isLetterOrNumber()) return true;
  return QStringLiteral("!#$%&'()-@^_`{}~").contains(c);
}

bool IsValid83(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return true;
  const qsizetype dot = name.indexOf(u'.');
  if (dot != name.lastIndexOf(u'.')) return false;
  const QStringView base = dot < 0 ? QStringView(name) : QStringView(name).left(dot);
  const QStringView ext = dot < 0 ? QStringView() : QStringView(name).mid(dot + 1);
  if (base.isEmpty() || base.size() > 8 || ext.size() > 3) return false;
  for (QChar c : base)
    if (!Is83Char(c)) return false;
  for (QChar c : ext)
    if (!Is83Char(c)) return false;
  return true;
}

// Upper-case 8.3 characters of s, others dropped (blanks, dots) or made "_".
QString Clean83(QStringView s) {
  QString out;
  for (QChar c : s) {
    if (c == u' ' || c == u'.') continue;
    out += Is83Char(c) ? c.toUpper() : QChar(u'_');
  }
  return out;
}

}  // namespace

QString ShortName(const QString& longName) {
  if (IsValid83(longName)) return {};
  const qsizetype dot = longName.lastIndexOf(u'.');
  QString base = Clean83(dot < 0 ? QStringView(longName) : QStringView(longName).left(dot));
  QString ext = dot < 0 ? QString() : Clean83(QStringView(longName).mid(dot + 1)).left(3);
  if (base.isEmpty() && dot >= 0) {  // ".profile": the extension gives the base
    base = Clean83(QStringView(longName).mid(dot + 1));
    ext.clear();
  }
  if (base.isEmpty()) return {};
  QString s = base.left(6) + QLatin1String("~1");
  if (!ext.isEmpty()) s += u'.' + ext;
  return s;
}

int CompareNames(QStringView a, QStringView b) {
  const qsizetype n = qMin(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t x = Upper(a[i]), y = Upper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace WildMatch

bool TWildMask::HasWildcards(const QString& mask) {
  return mask.contains(u'*') || mask.contains(u'?');
}

TWildMask::TWildMask(const QString& mask) : FMask(mask.toCaseFolded()) {
  FWild = HasWildcards(mask);
  FAll = FMask == QLatin1String("*") || FMask == QLatin1String("*.*");
  if (FMask.size() > 2 && FMask.endsWith(QLatin1String(".*"))) {
    FTail = Tail::DotStar;
    FNoDotTail = FMask.left(FMask.size() - 2);
  } else if (const qsizetype q = FMask.size() - 1; q > 0 && FMask[q] == u'?') {
    qsizetype dot = q;
    while (dot > 0 && FMask[dot] == u'?') --dot;
    if (dot > 0 && FMask[dot] == u'.') {
      FTail = Tail::DotQuestions;
      FNoDotTail = FMask.left(dot);
    }
  } else if (FMask.size() > 1 && FMask.endsWith(u'.') && FMask != QLatin1String("..")) {
    FTail = Tail::Dot;
    FNoDotTail = FMask.left(FMask.size() - 1);
  }
}

bool TWildMask::MatchesOne(const QString& name) const {
  switch (FTail) {
    case Tail::DotStar:
      return WildMatch::MaskMatch(FMask, name) || WildMatch::MaskMatch(FNoDotTail, name);
    case Tail::DotQuestions:
      // A name without an extension leaves the dot and the "?"s nothing to match.
      return WildMatch::MaskMatch(FMask, name) || (!name.contains(u'.') && WildMatch::MaskMatch(FNoDotTail, name));
    case Tail::Dot:
      return !name.contains(u'.') && WildMatch::MaskMatch(FNoDotTail, name);
    case Tail::None:
      break;
  }
  return WildMatch::MaskMatch(FMask, name);
}

bool TWildMask::Matches(const QString& name) const {
  if (FAll) return true;
  if (MatchesOne(name)) return true;
  const QString alias = WildMatch::ShortName(name);
  return !alias.isEmpty() && MatchesOne(alias);
}
