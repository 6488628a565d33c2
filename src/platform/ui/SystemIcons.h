#pragma once
// The shell's system image list: one index per distinct file type, asked by
// the type alone (no file is opened), one for folders, and the small (16 x 16)
// and large (32 x 32) picture of each index. Indexes stay valid for the whole
// run. Safe to call from any thread; the pictures themselves are made on the
// GUI thread when a view asks for them.
#include <QIcon>
#include <QString>
#include <functional>

namespace SystemIcons {

// The index for a file type: the extension with or without its dot ("txt",
// ".txt"; letter case ignored). The empty text is the type of a name without
// extension.
int IndexForType(const QString& extension);
// The index for a folder (what the shell reports for an empty path name).
int FolderIndex();
// The picture of an index; a null icon for an unknown index.
QIcon Icon(int index, bool large);
// Icon() in the form a list view takes as its image provider.
std::function<QIcon(int, bool)> ImageProvider();

}  // namespace SystemIcons
