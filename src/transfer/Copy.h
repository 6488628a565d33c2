#pragma once
// The copy request that a copy command prepares and a transfer window hands
// to its copy worker, and the sizing of files and folder trees. The copy
// request is the GUI thread's; FolderSize and PathSize run on any thread.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

// One entry per thing to copy: a file name with its extension, or a folder
// name followed by one backslash.
extern QStringList CopyNames;
// Parallel to CopyNames: the network folder holding the entry
// ("\\COMPUTER\share\folder\"); folder + name is the full source path.
extern QStringList CopySourceFolders;
// Local destination folder, with a trailing backslash once accepted.
extern QString CopyDestination;
// Total bytes of the request (files plus every folder entry's contents).
// Floating point, but double so that it stays exact far beyond 4 GiB.
extern double CopyTotalSize;
// Drive number of the destination for the free-space test (A = 1, C = 3).
extern std::uint8_t CopyDestinationDrive;

// Drive number of a drive path: its upper-case letter minus 64; 0 when the
// path does not begin with a drive letter and a colon.
std::uint8_t DriveNumberOf(const QString& path);

// The copy request as the globals hold it: kept while its size is found
// off the GUI thread, and put back before a transfer window takes it over.
struct TCopyRequest {
  QStringList Names;
  QStringList SourceFolders;
  QString Destination;
  std::uint8_t Drive = 0;
  static TCopyRequest Current();
  void Restore() const;
};

// Fills CopyNames / CopySourceFolders from the selected rows of
// FormMain->ListViewResult and returns their total size.
double BuildCopyList();
// The same with the folder trees sized off the GUI thread (Sizing.h): the
// lists are filled at once; `done(total)` runs on the GUI thread once the
// trees are sized, with the request (lists, destination, drive) as it was
// at the call. A cancelled sizing calls nothing. Without folder entries
// `done` runs before this returns.
void BuildCopyList(std::function<void(double total)> done);
// The first pass of BuildCopyList: the lists from the selected rows; the
// total of the file entries (folder entries are left to be sized).
std::int64_t ListSelectedResults();
// The full source paths of the folder entries of the lists, in list order.
QStringList CopyListFolders();
// Total size of every file below `path` (which ends with a backslash);
// a folder that cannot be listed adds 0. On a worker asked to stop, the
// walk gives up early (the size is then short).
double FolderSize(const QString& path);
// FolderSize for a path ending with a backslash, else the one file's size
// (0 when it is not found).
double PathSize(const QString& path);
