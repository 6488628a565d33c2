#include "platform/ini/IniDocument.h"

#include <QSet>

namespace IniText {

namespace {

bool IsBlank(QChar c) {
  const char16_t u = c.unicode();
  return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

}  // namespace

QStringView TrimBlanks(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.mid(b, e - b);
}

TParsedLine Classify(QStringView line) {
  TParsedLine p;
  const QStringView t = TrimBlanks(line);
  if (t.isEmpty()) {
    p.Kind = TLineKind::Blank;
  } else if (t.front() == u'[') {
    p.Kind = TLineKind::Section;
    const qsizetype close = t.indexOf(u']');
    p.Name = TrimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
  } else if (t.front() == u';') {
    p.Kind = TLineKind::Other;  // comment
  } else {
    const qsizetype eq = line.indexOf(u'=');
    if (eq >= 0) {
      p.Name = TrimBlanks(line.left(eq));
      if (!p.Name.isEmpty()) {
        p.Kind = TLineKind::Key;
        p.Value = line.mid(eq + 1);
        p.Eq = eq;
      }
    }
  }
  return p;
}

QString Fold(QStringView name) {
  // Code point by code point, as the case-insensitive comparison of names
  // folds them, so that equal names always share one form.
  QString out;
  out.reserve(name.size());
  for (char32_t c : name.toUcs4()) {
    const char32_t f = QChar::toCaseFolded(c);
    if (QChar::requiresSurrogates(f)) {
      out += QChar(QChar::highSurrogate(f));
      out += QChar(QChar::lowSurrogate(f));
    } else {
      out += QChar(char16_t(f));
    }
  }
  return out;
}

}  // namespace IniText

using namespace IniText;

TIniDocument::TIniDocument(const QString& text) {
  const QStringView all(text);
  qsizetype start = 0;
  while (start < all.size()) {
    const qsizetype nl = all.indexOf(u'\n', start);
    const qsizetype end = nl < 0 ? all.size() : nl;
    QStringView line = all.mid(start, end - start);
    if (line.endsWith(u'\r')) line.chop(1);
    const TParsedLine p = Classify(line);
    if (p.Kind == TLineKind::Section) {
      TBlock block;
      block.Header = line.toString();
      block.Name = p.Name.toString();
      FSections[Fold(p.Name)].push_back(qsizetype(FBlocks.size()));
      FBlocks.push_back(std::move(block));
    } else {
      FBlocks.back().Lines.append(line.toString());
    }
    if (nl < 0) break;
    start = nl + 1;
  }
}

QStringList TIniDocument::Lines() const {
  QStringList out;
  qsizetype n = 0;
  for (const TBlock& b : FBlocks)
    if (!b.Erased) n += b.Lines.size() + 1;
  out.reserve(n);
  for (size_t i = 0; i < FBlocks.size(); ++i) {
    const TBlock& b = FBlocks[i];
    if (b.Erased) continue;
    if (i > 0) out.append(b.Header);
    out.append(b.Lines);
  }
  return out;
}

void TIniDocument::IndexKeys(const TBlock& block) const {
  if (block.Indexed) return;
  block.Keys.clear();
  for (qsizetype i = 0; i < block.Lines.size(); ++i) {
    const TParsedLine p = Classify(block.Lines[i]);
    if (p.Kind != TLineKind::Key) continue;
    const QString folded = Fold(p.Name);
    if (!block.Keys.contains(folded)) block.Keys.insert(folded, i);  // the first line wins
  }
  block.Indexed = true;
}

qsizetype TIniDocument::FindKey(const TBlock& block, const QString& foldedKey) const {
  IndexKeys(block);
  const auto it = block.Keys.constFind(foldedKey);
  return it == block.Keys.cend() ? -1 : it.value();
}

const std::vector<qsizetype>* TIniDocument::BlocksOf(const QString& section) const {
  const auto it = FSections.constFind(Fold(section));
  return it == FSections.cend() ? nullptr : &it.value();
}

bool TIniDocument::Find(const QString& section, const QString& key, QString& raw) const {
  const std::vector<qsizetype>* blocks = BlocksOf(section);
  if (!blocks) return false;
  const QString folded = Fold(key);
  for (qsizetype b : *blocks) {
    const TBlock& block = *BlockOf(b);
    const qsizetype i = FindKey(block, folded);
    if (i < 0) continue;
    raw = Classify(block.Lines[i]).Value.toString();
    return true;
  }
  return false;
}

bool TIniDocument::HasSection(const QString& section) const { return BlocksOf(section) != nullptr; }

QStringList TIniDocument::Sections() const {
  QStringList names;
  // The first block of each section, in file order.
  for (size_t i = 1; i < FBlocks.size(); ++i) {
    const TBlock& b = FBlocks[i];
    if (b.Erased) continue;
    const std::vector<qsizetype>* blocks = BlocksOf(b.Name);
    if (blocks && blocks->front() == qsizetype(i)) names.append(b.Name);
  }
  return names;
}

QStringList TIniDocument::Keys(const QString& section, qsizetype maxBytes) const {
  QStringList names;
  const std::vector<qsizetype>* blocks = BlocksOf(section);
  if (!blocks) return names;
  QSet<QString> seen;
  qsizetype bytes = 0;
  for (qsizetype b : *blocks) {
    for (const QString& line : BlockOf(b)->Lines) {
      const TParsedLine p = Classify(line);
      if (p.Kind != TLineKind::Key) continue;
      const QString folded = Fold(p.Name);
      if (seen.contains(folded)) continue;
      const QString name = p.Name.toString();
      if (maxBytes >= 0) {
        const qsizetype need = name.toUtf8().size() + 1;
        if (bytes + need > maxBytes) return names;  // names beyond the limit are not listed
        bytes += need;
      }
      seen.insert(folded);
      names.append(name);
    }
  }
  return names;
}

void TIniDocument::Write(const QString& section, const QString& key, const QString& value) {
  const QString entry = key + u'=' + value;
  const std::vector<qsizetype>* blocks = BlocksOf(section);
  if (!blocks) {
    AppendSection(section, key, entry);
    return;
  }
  // A name that does not read back as itself ("[" first, "=" inside,
  // blanks around it) makes lines of another kind: the text is read anew.
  const TParsedLine asWritten = Classify(entry);
  const QString folded = Fold(key);
  if (asWritten.Kind != TLineKind::Key || Fold(asWritten.Name) != folded) {
    InsertLine(FBlocks[size_t(blocks->front())], entry);
    Reparse();
    return;
  }
  for (qsizetype b : *blocks) {
    TBlock& block = FBlocks[size_t(b)];
    const qsizetype i = FindKey(block, folded);
    if (i < 0) continue;
    // The key keeps its place and its spelling; only the value changes.
    QString& line = block.Lines[i];
    line = line.left(Classify(line).Eq) + u'=' + value;
    return;
  }
  TBlock& first = FBlocks[size_t(blocks->front())];
  const qsizetype at = InsertLine(first, entry);
  if (first.Indexed) first.Keys.insert(folded, at);
}

qsizetype TIniDocument::InsertLine(TBlock& block, const QString& line) {
  // After the last line of the block that is not blank; only blank lines
  // follow that place, so the key indexes stay right.
  qsizetype at = block.Lines.size();
  while (at > 0 && Classify(block.Lines[at - 1]).Kind == TLineKind::Blank) --at;
  block.Lines.insert(at, line);
  return at;
}

void TIniDocument::Reparse() {
  const QStringList lines = Lines();
  // Each line with its line break, so that a last blank line stays a line.
  *this = lines.isEmpty() ? TIniDocument() : TIniDocument(lines.join(u'\n') + u'\n');
}

void TIniDocument::AppendSection(const QString& section, const QString& key, const QString& entry) {
  // One blank line between the last line of the text and the new section.
  for (size_t i = FBlocks.size(); i-- > 0;) {
    TBlock& b = FBlocks[i];
    if (b.Erased) continue;
    if (b.Lines.isEmpty() && i == 0) break;  // nothing written yet
    const QString& last = b.Lines.isEmpty() ? b.Header : b.Lines.last();
    if (!TrimBlanks(last).isEmpty()) b.Lines.append(QString());
    break;
  }
  TBlock block;
  block.Header = u'[' + section + u']';
  block.Lines.append(entry);
  block.Name = Classify(block.Header).Name.toString();
  const QString folded = Fold(block.Name);
  FSections[folded].push_back(qsizetype(FBlocks.size()));
  FBlocks.push_back(std::move(block));
  // Names that do not read back as themselves (see Write).
  const TParsedLine asWritten = Classify(entry);
  if (folded != Fold(section) || asWritten.Kind != TLineKind::Key || Fold(asWritten.Name) != Fold(key)) Reparse();
}

bool TIniDocument::EraseSection(const QString& section) {
  const auto it = FSections.find(Fold(section));
  if (it == FSections.end()) return false;
  // Blocks stay in place, marked, so that the indexes of the others hold.
  for (qsizetype b : it.value()) {
    TBlock& block = FBlocks[size_t(b)];
    block.Erased = true;
    block.Lines.clear();
    block.Keys.clear();
  }
  FSections.erase(it);
  return true;
}

bool TIniDocument::DeleteKey(const QString& section, const QString& key) {
  const std::vector<qsizetype>* blocks = BlocksOf(section);
  if (!blocks) return false;
  const QString folded = Fold(key);
  bool changed = false;
  for (qsizetype b : *blocks) {
    TBlock& block = FBlocks[size_t(b)];
    if (FindKey(block, folded) < 0) continue;
    block.Lines.removeIf([&folded](const QString& line) {
      const TParsedLine p = Classify(line);
      return p.Kind == TLineKind::Key && Fold(p.Name) == folded;
    });
    block.Indexed = false;
    changed = true;
  }
  return changed;
}
