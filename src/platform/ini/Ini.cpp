#include "platform/ini/Ini.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdint>

#include "platform/fs/FileReplace.h"
#include "platform/fs/WinPath.h"
#include "platform/ini/IniDocument.h"

using namespace IniText;

// The file's text as read, and how to write it back.
struct TIniFileState {
  std::shared_ptr<TIniDocument> Doc = std::make_shared<TIniDocument>();
  bool Crlf = false;      // lines ended with "\r\n"
  bool Bom = false;       // began with a UTF-8 byte-order mark
  bool Writable = true;   // false: there but unreadable, or no drive path: never written
  bool Changed = false;   // a batch has changes to write
};

namespace {

QString LocalPath(const QString& fileName) { return WinPath::ToLocal(fileName); }

bool ReadBytes(const QString& local, QByteArray& bytes) {
  QFile f(local);
  if (!f.open(QIODevice::ReadOnly)) return false;
  bytes = f.readAll();
  return f.error() == QFileDevice::NoError;
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

// Reads the whole file. A file that cannot be read (missing, a folder, no
// permission, not a drive path) reads as empty: readers then give their
// defaults. Only a missing file may be written (it is created).
void Load(const QString& fileName, TIniFileState& out) {
  const QString local = LocalPath(fileName);
  QByteArray bytes;
  if (local.isEmpty() || !ReadBytes(local, bytes)) {
    // Writing a file that is there but cannot be read would replace
    // everything in it.
    out.Writable = !local.isEmpty() && !QFileInfo::exists(local);
    return;
  }
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    out.Bom = true;
    bytes.remove(0, 3);
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  const qsizetype nl = text.indexOf(u'\n');
  out.Crlf = nl > 0 && text[nl - 1] == u'\r';
  out.Doc = std::make_shared<TIniDocument>(text);
}

void Save(const QString& fileName, const TIniFileState& state) {
  const QString local = LocalPath(fileName);
  if (!state.Writable || local.isEmpty() || IsReadOnlyFile(local) || QFileInfo(local).isDir()) ThrowWrite(fileName);
  const QStringList lines = state.Doc->Lines();
  const QString eol = state.Crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  QString text;
  qsizetype size = 0;
  for (const QString& l : lines) size += l.size() + eol.size();
  text.reserve(size);
  for (const QString& l : lines) {
    text += l;
    text += eol;
  }
  QByteArray bytes = text.toUtf8();
  if (state.Bom) bytes.prepend("\xEF\xBB\xBF");
  if (!FileReplace::Replace(local, bytes)) ThrowWrite(fileName);
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {}

TIniFile::~TIniFile() = default;

std::shared_ptr<const TIniDocument> TIniFile::Document() const {
  if (FBatch) return FBatch->Doc;
  TIniFileState state;
  Load(FFileName, state);
  return state.Doc;
}

template <typename Change>
void TIniFile::Modify(Change change) {
  if (FBatch) {
    if (!FBatch->Writable) ThrowWrite(FFileName);
    FBatch->Changed = change(*FBatch->Doc) || FBatch->Changed;
    return;
  }
  TIniFileState state;
  Load(FFileName, state);
  if (!state.Writable) ThrowWrite(FFileName);
  if (change(*state.Doc)) Save(FFileName, state);
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
  QString raw;
  if (!Document()->Find(section, key, raw)) return def;
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
  const QString sec = OneLine(section), k = OneLine(key), val = OneLine(value);
  Modify([&](TIniDocument& doc) {
    doc.Write(sec, k, val);
    return true;
  });
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::EraseSection(const QString& section) {
  // Every copy of the section goes, so no stale duplicate shows through.
  Modify([&](TIniDocument& doc) { return doc.EraseSection(section); });
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
  Modify([&](TIniDocument& doc) { return doc.DeleteKey(section, key); });
}

QStringList TIniFile::ReadSections() const { return Document()->Sections(); }

QStringList TIniFile::ReadSection(const QString& section) const { return Document()->Keys(section, MaxKeyListBytes); }

QStringList TIniFile::ReadAllKeys(const QString& section) const { return Document()->Keys(section, -1); }

bool TIniFile::SectionExists(const QString& section) const { return Document()->HasSection(section); }

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
  QString raw;
  return Document()->Find(section, key, raw);
}

// ---------------------------------------------------------------- batches

TIniBatch::TIniBatch(TIniFile& ini) : FIni(ini) {
  if (FIni.FBatch) return;
  auto state = std::make_unique<TIniFileState>();
  Load(FIni.FFileName, *state);
  FIni.FBatch = std::move(state);
  FOwner = true;
}

TIniBatch::~TIniBatch() {
  if (FOwner) FIni.FBatch.reset();
}

void TIniBatch::Commit() {
  if (!FOwner) return;
  FOwner = false;
  const std::unique_ptr<TIniFileState> state = std::move(FIni.FBatch);
  if (state && state->Changed) Save(FIni.FFileName, *state);
}
