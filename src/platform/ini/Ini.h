#pragma once
// INI file object. Holds nothing but the path: every read goes to the file
// and every write changes the file at once (outside a batch, below).
//
// Rules: section and key names match without regard to letter case; writing
// an existing key replaces its value in place, a new key goes to the end of
// its section, a new section to the end of the file; a string read drops
// blanks around the value and one pair of enclosing single or double quotes,
// and returns at most 2047 characters; integers are written in decimal and
// read as hexadecimal when longer than two characters and starting "0x"/"0X",
// else as decimal; a missing key or a value that is no number gives the
// default; booleans are written "1"/"0" and read as integers (non-zero true);
// key names of a section are listed in file order from at most 16,384 bytes
// of names (each name plus one terminating byte).
//
// Files are read as UTF-8, or as Latin-1 when they are not valid UTF-8, and
// written as UTF-8. Garbage lines, binary bytes and over-long lines never
// crash a read; a value is cut at a NUL byte. Lines beginning with ";" are
// comments. A section that appears twice reads as one (of duplicate keys the
// first wins), and erasing a section erases every copy of it. A line break
// in a written name or value is written as a blank, so that a value can
// never add lines of its own.
//
// A write replaces the file only once the new content is complete (written
// beside it, flushed, then renamed over it; in place when the folder is
// read-only), so a failed or killed write leaves the file as it was. A file
// without write permission, or one that exists but cannot be read, is never
// written.
//
// Several reads and writes that belong together go through a TIniBatch: the
// file is read once, and all the writes reach it as one replacement, so that
// nobody ever sees (or is left with) a file that holds only some of them.
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

class TIniDocument;
struct TIniFileState;

// A write the file system refused; the message names the file.
class EIniFileException : public std::runtime_error {
 public:
  explicit EIniFileException(const QString& message)
      : std::runtime_error(message.toStdString()) {}
};

class TIniFile {
 public:
  explicit TIniFile(const QString& fileName);  // fileName: a local (drive) path
  ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const QString& FileName() const { return FFileName; }

  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  int ReadInteger(const QString& section, const QString& key, int def) const;
  bool ReadBool(const QString& section, const QString& key, bool def) const;

  // Throw EIniFileException when the file cannot be written (in a batch: at
  // its Commit).
  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);
  void EraseSection(const QString& section);
  void DeleteKey(const QString& section, const QString& key);

  QStringList ReadSections() const;                       // section names in file order
  QStringList ReadSection(const QString& section) const;  // key names in file order (byte limit above)
  // Every key name of a section in file order, however many there are.
  QStringList ReadAllKeys(const QString& section) const;
  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& key) const;

  static constexpr int MaxValueLength = 2047;
  static constexpr int MaxKeyListBytes = 16384;

 private:
  friend class TIniBatch;
  // The file's text for reading: the batch's copy, or the file read now.
  std::shared_ptr<const TIniDocument> Document() const;
  // Applies a change: to the batch's copy, or to the file at once.
  template <typename Change>
  void Modify(Change change);

  QString FFileName;
  std::unique_ptr<TIniFileState> FBatch;  // set while a TIniBatch is open
};

// Reads the file once; until Commit every read and write through the INI
// object works on that copy, and Commit writes the changes back as one
// replacement of the file (nothing when nothing changed). Without Commit
// (an exception on the way) the changes are dropped and the file stays as
// it was. Batches do not nest: an inner one joins the outer one.
class TIniBatch {
 public:
  explicit TIniBatch(TIniFile& ini);
  ~TIniBatch();
  TIniBatch(const TIniBatch&) = delete;
  TIniBatch& operator=(const TIniBatch&) = delete;

  // Throws EIniFileException when the file cannot be written; the batch is
  // over either way.
  void Commit();

 private:
  TIniFile& FIni;
  bool FOwner = false;  // this batch began the copy
};
