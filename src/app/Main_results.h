#pragma once
// What the result-list and computers-tree commands of the main window share:
// the network paths of a result row, the file-drop block that puts a list of
// paths on the clipboard, and the choice of a copy's destination folder.
#include <QByteArray>
#include <QString>
#include <QStringList>

class TFormMain;
struct TListItem;

// A folder row: its Size column holds the current folder marker.
bool IsFolderRow(const TListItem& row);
// "\\" + computer + path + name, then "\" for a folder row, "." + type for
// any other (also when the type is empty: "README." names README).
QString RowNetworkPath(const TListItem& row);
// The same for the clipboard, where a folder ends with its name.
QString RowClipboardPath(const TListItem& row);

// The shell's file-drop block (DROPFILES) for `names`: the 20-byte header
// with the name-list offset 20 and every other field 0 (8-bit names), each
// name in the system's 8-bit code page with its NUL, and the closing NUL.
// Throws std::bad_alloc when the block cannot be allocated.
QByteArray BuildFileDropBlock(const QStringList& names);

// The drive part of a path: "C:" for a drive path, "\\server\share" for a
// network path, "" otherwise.
QString ExtractFileDrive(const QString& path);

// Asks for the destination of a copy into CopyDestination (the last one is
// offered first): cancelled, it becomes "" and false is returned; a folder
// without a drive letter is refused with "Invalid directory name". When
// accepted, CopyDestination ends with "\" and CopyDestinationDrive holds its
// drive number.
bool ChooseCopyDestination();

// Opens a new transfer window for the CopyList, counts it among the running
// transfers and starts its copy.
void OpenCopyWindow(TFormMain* main);

// The hourglass cursor for as long as it lives.
struct TWaitCursor {
  TWaitCursor();
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};
