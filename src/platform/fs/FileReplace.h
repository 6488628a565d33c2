#pragma once
// Replacing a file's whole content so that an interrupted program (a crash,
// a kill, a full disk) leaves either the old file or the new one, complete.
#include <QByteArray>
#include <QString>

namespace FileReplace {

// Writes `content` as the file at `path` (a path of this machine). The new
// content goes to a file without a name beside the old one, is flushed to
// the disk, is given the old file's owner (where this user may give it) and
// permissions, and then takes the old file's name in one rename: the name
// it has meanwhile, TempName(path), is
// only there between two system calls. A leftover of that name (the program
// was killed just then) is removed by the next replacement. A file reached
// through a symbolic link is replaced where it lies; the link stays.
//
// When the folder takes no new file (read-only) but the file itself may be
// written, the content is written into the file in place: that is not safe
// against interruption, but it is what such a folder allows. The space for
// the new content is reserved first, so a full disk refuses the write and
// leaves the old content whole; the file keeps its owner and mode.
//
// False when nothing could be written; the old file is then as it was.
bool Replace(const QString& path, const QByteArray& content);

// The name the new content has for a moment before it takes the file's name.
QString TempName(const QString& path);

}  // namespace FileReplace
