#pragma once
// The system clipboard in the manner of the Windows clipboard: a block of
// bytes is put there under a numbered format and replaces the whole content.
//
// The file-drop format (CF_HDROP) carries a DROPFILES block: a 20-byte
// header whose first four bytes give the offset of the name list, the flag
// at offset 16 telling 8-bit (0) from 16-bit names, then NUL-terminated
// names and a closing NUL. The program builds that block itself; here it is
// offered unchanged under FileDropMimeType and, beside it, as text/uri-list
// (each name as the item it stands for: a folder or file of the simulated
// network, a local file, or an smb:// address), so that the desktop's file
// managers can paste it.
#include <QByteArray>
#include <QString>
#include <QStringList>

class QClipboard;

namespace Clipboard {

constexpr unsigned CF_TEXT = 1;
constexpr unsigned CF_HDROP = 15;

// The MIME type of a CF_HDROP block; other formats are offered as
// "application/x-trawlix-clipboard-format-<number>".
extern const char* const FileDropMimeType;
QString MimeTypeOf(unsigned format);

// Replaces the clipboard's whole content with `block` in `format`.
// False (and the clipboard unchanged) when there is no clipboard, or a
// CF_HDROP block is malformed.
bool SetAsHandle(QClipboard* clipboard, unsigned format, const QByteArray& block);
// The block held in `format`; empty when there is none.
QByteArray GetAsHandle(const QClipboard* clipboard, unsigned format);

// Replaces the clipboard's content with plain text.
void SetText(QClipboard* clipboard, const QString& text);

// The names of a DROPFILES block (8-bit names in the system's code page,
// or 16-bit ones); false when the block is malformed (too short, an offset
// outside it, a name without its NUL).
bool FileDropNames(const QByteArray& block, QStringList& names);

}  // namespace Clipboard
