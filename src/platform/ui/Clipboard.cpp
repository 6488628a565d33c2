#include "platform/ui/Clipboard.h"

#include <QClipboard>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <QtEndian>

#include "platform/ui/Shell.h"

namespace Clipboard {

const char* const FileDropMimeType = "application/x-trawlix-cf-hdrop";

namespace {

constexpr int DropFilesHeaderSize = 20;
constexpr int WideFlagOffset = 16;

quint32 ReadLE32(const QByteArray& block, int offset) {
  return qFromLittleEndian<quint32>(block.constData() + offset);
}

}  // namespace

QString MimeTypeOf(unsigned format) {
  if (format == CF_HDROP) return QString::fromLatin1(FileDropMimeType);
  if (format == CF_TEXT) return QStringLiteral("text/plain");
  return QStringLiteral("application/x-trawlix-clipboard-format-%1").arg(format);
}

bool FileDropNames(const QByteArray& block, QStringList& names) {
  names.clear();
  if (block.size() < DropFilesHeaderSize) return false;
  const quint32 offset = ReadLE32(block, 0);
  const bool wide = ReadLE32(block, WideFlagOffset) != 0;
  if (offset < DropFilesHeaderSize || offset > static_cast<quint32>(block.size())) return false;
  qsizetype pos = offset;
  const qsizetype size = block.size();
  if (!wide) {
    while (pos < size && block[pos] != '\0') {
      const qsizetype end = block.indexOf('\0', pos);
      if (end < 0) return false;
      names.append(QString::fromLocal8Bit(block.constData() + pos, end - pos));
      pos = end + 1;
    }
    return true;
  }
  auto unit = [&](qsizetype at) { return qFromLittleEndian<quint16>(block.constData() + at); };
  while (pos + 1 < size && unit(pos) != 0) {
    QString name;
    while (pos + 1 < size && unit(pos) != 0) {
      name.append(QChar(unit(pos)));
      pos += 2;
    }
    if (pos + 1 >= size) return false;  // no terminating NUL
    names.append(name);
    pos += 2;
  }
  return true;
}

bool SetAsHandle(QClipboard* clipboard, unsigned format, const QByteArray& block) {
  if (!clipboard) return false;
  auto* data = new QMimeData;
  if (format == CF_HDROP) {
    QStringList names;
    if (!FileDropNames(block, names)) {
      delete data;
      return false;
    }
    // Names that stand for nothing on this desktop stay in the block only.
    QList<QUrl> urls;
    for (const QString& name : names) {
      const QUrl url = Shell::ItemUrl(name);
      if (url.isValid()) urls.append(url);
    }
    if (!urls.isEmpty()) data->setUrls(urls);
  }
  data->setData(MimeTypeOf(format), block);
  clipboard->setMimeData(data);  // the clipboard owns it from here on
  return true;
}

QByteArray GetAsHandle(const QClipboard* clipboard, unsigned format) {
  if (!clipboard) return {};
  const QMimeData* data = clipboard->mimeData();
  return data ? data->data(MimeTypeOf(format)) : QByteArray();
}

void SetText(QClipboard* clipboard, const QString& text) {
  if (clipboard) clipboard->setText(text);
}

}  // namespace Clipboard
