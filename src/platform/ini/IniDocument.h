#pragma once
// The text of an INI file held in memory, with the reading and editing rules
// of the INI file object (platform/ini/Ini.h) and nothing of the file itself.
// Lookups go through indexes, so that thousands of reads and writes on one
// document cost about as much as reading it once.
//
// Rules kept here: names match without regard to letter case; a section that
// appears twice reads as one and of duplicate keys the first wins; writing an
// existing key replaces its value where it stands (the first such line, in
// whichever copy of the section it is), a new key goes after the last
// non-blank line of the first copy of its section, a new section to the end
// of the text after one blank line; erasing a section removes every copy of
// it with all its lines; deleting a key removes every line of that key in
// the section. Lines before the first section line belong to no section.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

class TIniDocument {
 public:
  TIniDocument() = default;
  // Lines end with "\n" (a "\r" before it belongs to the line break).
  explicit TIniDocument(const QString& text);

  // The lines in file order, without line breaks.
  QStringList Lines() const;

  // The raw text after "=" of the first line of the key; false when the key
  // or its section is missing.
  bool Find(const QString& section, const QString& key, QString& raw) const;
  bool HasSection(const QString& section) const;
  // Section names in file order, each once, spelt as they first appear.
  QStringList Sections() const;
  // Key names of a section in file order, each once; with maxBytes >= 0 only
  // as many as fit in that many bytes (each UTF-8 name plus one byte).
  QStringList Keys(const QString& section, qsizetype maxBytes) const;

  // `section`, `key` and `value` must not hold line breaks.
  void Write(const QString& section, const QString& key, const QString& value);
  // Each returns whether a line went.
  bool EraseSection(const QString& section);
  bool DeleteKey(const QString& section, const QString& key);

 private:
  // A section line and the lines that follow it up to the next section
  // line; block 0 holds the lines before the first section line.
  struct TBlock {
    QString Header;     // the section line as it stands (empty in block 0)
    QString Name;       // the section name as spelt in it
    QStringList Lines;  // the lines after the header
    bool Erased = false;
    // Folded key name -> index in Lines of its first line; built on demand.
    mutable QHash<QString, qsizetype> Keys;
    mutable bool Indexed = false;
  };

  const TBlock* BlockOf(qsizetype index) const { return &FBlocks[size_t(index)]; }
  void IndexKeys(const TBlock& block) const;
  // Index in the block's lines of the first line of the key, or -1.
  qsizetype FindKey(const TBlock& block, const QString& foldedKey) const;
  const std::vector<qsizetype>* BlocksOf(const QString& section) const;
  void AppendSection(const QString& section, const QString& key, const QString& entry);
  // Puts a line after the last line of the block that is not blank; returns its index.
  static qsizetype InsertLine(TBlock& block, const QString& line);
  // Builds the indexes anew from the lines as they now stand.
  void Reparse();

  std::vector<TBlock> FBlocks{TBlock()};
  // Folded section name -> its blocks that are not erased, in file order.
  QHash<QString, std::vector<qsizetype>> FSections;
};

namespace IniText {

enum class TLineKind { Blank, Section, Key, Other };

struct TParsedLine {
  TLineKind Kind = TLineKind::Other;
  QStringView Name;   // section or key name, without blanks around it
  QStringView Value;  // raw text after "=" (Key only)
  qsizetype Eq = -1;  // position of "=" in the line (Key only)
};

// What a line is: a section line "[name]" (the "]" may be missing), a
// comment (";" first), a key line "name=value" with a name, blank or other.
TParsedLine Classify(QStringView line);
// Drops ASCII blanks at both ends; a no-break space is content.
QStringView TrimBlanks(QStringView s);
// The name in the form that equal names share without regard to letter case.
QString Fold(QStringView name);

}  // namespace IniText
