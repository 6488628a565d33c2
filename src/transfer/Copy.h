#pragma once
// The copy request that a copy command prepares and a transfer window hands
// to its copy worker, and the sizing of files and folder trees.
// GUI thread only.
#include <QString>
#include <QStringList>
#include <cstdint>

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

// Fills CopyNames / CopySourceFolders from the selected rows of
// FormMain->ListViewResult and returns their total size.
double BuildCopyList();
// Total size of every file below `path` (which ends with a backslash);
// a folder that cannot be listed adds 0.
double FolderSize(const QString& path);
// FolderSize for a path ending with a backslash, else the one file's size
// (0 when it is not found).
double PathSize(const QString& path);
