#include "platform/Ini.h"

#include <functional>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>

#include <cstdint>

#include "platform/WinPath.h"

namespace {

// The whole file as text, one entry per line, and how to write it back.
struct IniText {
  QString text;
  bool crlf = false;  // lines ended with "\r\n"
  bool bom = false;   // began with a UTF-8 byte-order mark
};

bool IsBlank(QChar c) {
  const char16_t u = c.unicode();
  return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

// Drops blanks at both ends. Only ASCII blanks: a no-break space is content.
QStringView TrimBlanks(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.mid(b, e - b);
}

bool SameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

enum class LineKind { Blank, Section, Key, Other };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  QStringView name;   // section or key name, trimmed
  QStringView value;  // raw text after "=" (Key only)
  qsizetype eq = -1;  // position of "=" in the untrimmed line (Key only)
};

ParsedLine Classify(QStringView line) {
  ParsedLine p;
  const QStringView t = TrimBlanks(line);
  if (t.isEmpty()) {
    p.kind = LineKind::Blank;
  } else if (t.front() == u'[') {
    p.kind = LineKind::Section;
    qsizetype close = t.indexOf(u']');
    p.name = TrimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
  } else if (t.front() == u';') {
    p.kind = LineKind::Other;  // comment
  } else {
    const qsizetype eq = line.indexOf(u'=');
    if (eq >= 0) {
      p.kind = LineKind::Key;
      p.name = TrimBlanks(line.left(eq));
      p.value = line.mid(eq + 1);
      p.eq = eq;
      if (p.name.isEmpty()) p.kind = LineKind::Other;
    }
  }
  return p;
}

// Calls fn(line) for each line (without its terminator) until fn returns false.
template <typename Fn>
void ForEachLine(const QString& text, Fn fn) {
  const QStringView all(text);
  qsizetype start = 0;
  while (start < all.size()) {
    qsizetype nl = all.indexOf(u'\n', start);
    qsizetype end = nl < 0 ? all.size() : nl;
    QStringView line = all.mid(start, end - start);
    if (line.endsWith(u'\r')) line.chop(1);
    if (!fn(line)) return;
    if (nl < 0) break;
    start = nl + 1;
  }
}

QString LocalPath(const QString& fileName) { return WinPath::ToLocal(fileName); }

// Reads the whole file. False when it cannot be read (missing, a folder, no
// permission, not a drive path): readers then give their defaults.
bool Load(const QString& fileName, IniText& out) {
  const QString local = LocalPath(fileName);
  if (local.isEmpty()) return false;
  QFile f(local);
  if (!f.open(QIODevice::ReadOnly)) return false;
  QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) return false;

  if (bytes.startsWith("\xEF\xBB\xBF")) {
    out.bom = true;
    bytes.remove(0, 3);
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  out.text = utf8.decode(bytes);
  if (utf8.hasError()) out.text = QString::fromLatin1(bytes);
  const qsizetype nl = out.text.indexOf(u'\n');
  out.crlf = nl > 0 && out.text[nl - 1] == u'\r';
  return true;
}

// The value as a reader sees it: cut at a NUL, blanks and one pair of
// enclosing quotes dropped, at most MaxValueLength characters.
QString CleanValue(QStringView raw) {
  const qsizetype nul = raw.indexOf(QChar(0));
  if (nul >= 0) raw = raw.left(nul);
  raw = TrimBlanks(raw);
  if (raw.size() >= 2 && (raw.front() == u'"' || raw.front() == u'\'') && raw.back() == raw.front())
    raw = raw.mid(1, raw.size() - 2);
  if (raw.size() > TIniFile::MaxValueLength) {
    qsizetype n = TIniFile::MaxValueLength;
    if (raw[n - 1].isHighSurrogate()) --n;  // never split a character
    raw = raw.left(n);
  }
  return raw.toString();
}

// Finds the raw value of a key; sections that appear twice read as one,
// and of duplicate keys the first wins.
bool FindValue(const QString& text, const QString& section, const QString& key, QStringView& value) {
  bool inSection = false, found = false;
  ForEachLine(text, [&](QStringView line) {
    const ParsedLine p = Classify(line);
    if (p.kind == LineKind::Section) {
      inSection = SameName(p.name, section);
    } else if (inSection && p.kind == LineKind::Key && SameName(p.name, key)) {
      value = p.value;
      found = true;
      return false;
    }
    return true;
  });
  return found;
}

bool ParseDecimal(QStringView s, int& result) {
  qsizetype i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  if (i >= s.size()) return false;
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i].unicode();
    if (c < u'0' || c > u'9') return false;
    v = v * 10 + (c - u'0');
    if (v > std::int64_t(INT32_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  result = int(v);
  return true;
}

// Up to 32 bits of hexadecimal digits; FFFFFFFF reads as -1 as it does in a
// 32-bit integer.
bool ParseHex(QStringView s, int& result) {
  if (s.isEmpty()) return false;
  std::uint64_t v = 0;
  for (QChar ch : s) {
    const char16_t c = ch.unicode();
    int d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return false;
    v = v * 16 + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  result = int(std::uint32_t(v));
  return true;
}

// A line break inside a written name or value would split it into lines of
// their own (and could forge keys or sections); it is written as a blank.
QString OneLine(const QString& s) {
  QString r = s;
  for (QChar& c : r)
    if (c == u'\r' || c == u'\n') c = u' ';
  return r;
}

QStringList SplitLines(const QString& text) {
  QStringList lines;
  ForEachLine(text, [&](QStringView line) {
    lines.append(line.toString());
    return true;
  });
  return lines;
}

[[noreturn]] void ThrowWrite(const QString& fileName) {
  throw EIniFileException(QStringLiteral("Unable to write to %1").arg(fileName));
}

// A file without any write permission is read-only, even for a user (such
// as root) whom the system would let write it anyway.
bool IsReadOnlyFile(const QString& local) {
  QFileInfo fi(local);
  if (!fi.exists() || fi.isDir()) return false;
  // WriteUser is what the system would allow this user; the mode bits are the file's own.
  const auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  return !(fi.permissions() & anyWrite) || !fi.isWritable();
}

void Save(const QString& fileName, const QStringList& lines, bool crlf, bool bom) {
  const QString local = LocalPath(fileName);
  if (local.isEmpty() || IsReadOnlyFile(local) || QFileInfo(local).isDir()) ThrowWrite(fileName);
  const QString eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  QString text;
  qsizetype size = 0;
  for (const QString& l : lines) size += l.size() + eol.size();
  text.reserve(size);
  for (const QString& l : lines) {
    text += l;
    text += eol;
  }
  QByteArray bytes = text.toUtf8();
  if (bom) bytes.prepend("\xEF\xBB\xBF");

  // The new content goes to a temporary file beside the old one and replaces
  // it only when complete, so a failed write never truncates the file.
  QSaveFile f(local);
  f.setDirectWriteFallback(true);
  if (!f.open(QIODevice::WriteOnly)) ThrowWrite(fileName);
  if (f.write(bytes) != bytes.size()) {
    f.cancelWriting();
    ThrowWrite(fileName);
  }
  if (!f.commit()) ThrowWrite(fileName);
}

// The lines of the file for a change; a missing file is an empty one. A
// file that is there but cannot be read is not written either: writing it
// would replace everything in it.
QStringList LoadForChange(const QString& fileName, bool& crlf, bool& bom) {
  IniText t;
  if (!Load(fileName, t)) {
    const QString local = LocalPath(fileName);
    if (local.isEmpty() || QFileInfo::exists(local)) ThrowWrite(fileName);
    crlf = false;
    bom = false;
    return {};
  }
  crlf = t.crlf;
  bom = t.bom;
  return SplitLines(t.text);
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
  IniText t;
  if (!Load(FFileName, t)) return def;
  QStringView raw;
  if (!FindValue(t.text, section, key, raw)) return def;
  return CleanValue(raw);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
  const QString s = ReadString(section, key, QString());
  int v = 0;
  if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X'))
    return ParseHex(QStringView(s).mid(2), v) ? v : def;
  return ParseDecimal(s, v) ? v : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  bool crlf = false, bom = false;
  QStringList lines = LoadForChange(FFileName, crlf, bom);
  const QString sec = OneLine(section), k = OneLine(key), val = OneLine(value);

  qsizetype firstSection = -1;  // index of the first line "[section]"
  qsizetype sectionEnd = -1;    // index after its last non-blank line
  bool inSection = false, inFirst = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const ParsedLine p = Classify(lines[i]);
    if (p.kind == LineKind::Section) {
      inSection = SameName(p.name, sec);
      inFirst = inSection && firstSection < 0;
      if (inFirst) {
        firstSection = i;
        sectionEnd = i + 1;
      }
      continue;
    }
    if (inSection && p.kind == LineKind::Key && SameName(p.name, k)) {
      // The key keeps its place and its spelling; only the value changes.
      lines[i] = lines[i].left(p.eq) + u'=' + val;
      Save(FFileName, lines, crlf, bom);
      return;
    }
    if (inFirst && p.kind != LineKind::Blank) sectionEnd = i + 1;
  }

  const QString entry = k + u'=' + val;
  if (firstSection >= 0) {
    lines.insert(sectionEnd, entry);
  } else {
    if (!lines.isEmpty() && !TrimBlanks(lines.last()).isEmpty()) lines.append(QString());
    lines.append(u'[' + sec + u']');
    lines.append(entry);
  }
  Save(FFileName, lines, crlf, bom);
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

namespace {

// Rewrites the file without the lines `drop` names (it is told each line and
// whether that line lies in `section`); leaves the file alone when none goes.
void RemoveLines(const QString& fileName, const QString& section,
                 const std::function<bool(const ParsedLine&, bool inSection)>& drop) {
  bool crlf = false, bom = false;
  QStringList lines = LoadForChange(fileName, crlf, bom);
  QStringList kept;
  kept.reserve(lines.size());
  bool inSection = false, changed = false;
  for (const QString& line : lines) {
    const ParsedLine p = Classify(line);
    if (p.kind == LineKind::Section) inSection = SameName(p.name, section);
    if (drop(p, inSection)) {
      changed = true;
      continue;
    }
    kept.append(line);
  }
  if (changed) Save(fileName, kept, crlf, bom);
}

}  // namespace

void TIniFile::EraseSection(const QString& section) {
  // Every copy of the section goes, so no stale duplicate shows through.
  RemoveLines(FFileName, section, [](const ParsedLine&, bool inSection) { return inSection; });
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
  RemoveLines(FFileName, section, [&key](const ParsedLine& p, bool inSection) {
    return inSection && p.kind == LineKind::Key && SameName(p.name, key);
  });
}

QStringList TIniFile::ReadSections() const {
  QStringList names;
  IniText t;
  if (!Load(FFileName, t)) return names;
  ForEachLine(t.text, [&](QStringView line) {
    const ParsedLine p = Classify(line);
    if (p.kind == LineKind::Section && !names.contains(p.name.toString(), Qt::CaseInsensitive))
      names.append(p.name.toString());
    return true;
  });
  return names;
}

QStringList TIniFile::ReadSection(const QString& section) const {
  QStringList names;
  IniText t;
  if (!Load(FFileName, t)) return names;
  QSet<QString> seen;  // lower-case names already listed
  qsizetype bytes = 0;
  bool inSection = false;
  ForEachLine(t.text, [&](QStringView line) {
    const ParsedLine p = Classify(line);
    if (p.kind == LineKind::Section) {
      inSection = SameName(p.name, section);
    } else if (inSection && p.kind == LineKind::Key) {
      const QString name = p.name.toString();
      const QString folded = name.toCaseFolded();
      if (seen.contains(folded)) return true;
      const qsizetype need = name.toUtf8().size() + 1;
      if (bytes + need > MaxKeyListBytes) return false;  // names beyond the limit are not listed
      bytes += need;
      seen.insert(folded);
      names.append(name);
    }
    return true;
  });
  return names;
}

bool TIniFile::SectionExists(const QString& section) const {
  IniText t;
  if (!Load(FFileName, t)) return false;
  bool found = false;
  ForEachLine(t.text, [&](QStringView line) {
    const ParsedLine p = Classify(line);
    found = p.kind == LineKind::Section && SameName(p.name, section);
    return !found;
  });
  return found;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
  IniText t;
  if (!Load(FFileName, t)) return false;
  QStringView raw;
  return FindValue(t.text, section, key, raw);
}
