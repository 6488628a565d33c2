#pragma once
// Windows wildcard matching of file names, as the find calls apply it.
//
// Rules: letter case is ignored; "*" matches any run of characters (dots
// included); "?" matches one character other than a dot, and at a dot or
// at the end of the name a run of "?" matches nothing; a mask ending in ".*" also matches a name
// without that dot and extension, so "*.*" matches every name ("README"
// too), and so does a mask ending in "." and question marks ("*.???" also
// matches README and a folder "folder", as Windows' DOS_DOT matches a dot or
// nothing at the end of a name); a mask ending in a single "." matches only
// names without a dot.
// Like Windows, which matches a mask against a name's short 8.3 alias as
// well as its long name, a name that is no valid 8.3 name is also tried in
// its short form (PAGE~1.HTM for page.html): so "*.htm" returns page.html,
// as a three-letter extension matches every longer one that begins with it.
#include <QString>

class TWildMask {
 public:
  explicit TWildMask(const QString& mask);

  bool Matches(const QString& name) const;
  // True when the mask matches every name ("*", "*.*").
  bool MatchesAll() const { return FAll; }
  // True when the mask holds "*" or "?".
  bool HasWildcards() const { return FWild; }

  static bool HasWildcards(const QString& mask);

 private:
  bool MatchesOne(const QString& foldedName) const;

  QString FMask;     // case-folded
  QString FNoDotTail;  // mask less a final ".*", "." + "?"s or "." (when it has one)
  enum class Tail { None, DotStar, DotQuestions, Dot } FTail = Tail::None;
  bool FAll = false;
  bool FWild = false;
};

namespace WildMatch {
// Case-insensitive match as the find calls apply a mask: "*" any run; "?"
// one character but never a dot, and nothing at a dot or the end of the name.
bool MaskMatch(QStringView mask, QStringView name);
// The short 8.3 alias Windows would give the name ("PAGE~1.HTM" for
// page.html), or "" when the name is already a valid 8.3 name.
QString ShortName(const QString& longName);
// Orders names as NTFS lists them: compared in upper case (so "_" sorts
// after the letters), exact order breaking ties. Negative, 0 or positive.
int CompareNames(QStringView a, QStringView b);
}  // namespace WildMatch
