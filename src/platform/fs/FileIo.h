#pragma once
// Files by handle, over local drive paths and UNC paths, in the manner of
// the toolkit's file functions. Sizes and positions are 64-bit throughout:
// a file over 4 GiB is never truncated, mis-sized or mis-resumed.
//
//   open for reading    FileOpen(path, fmOpenRead)
//   create (or empty)   FileCreate(path)
//   create a new file   FileCreateNew(path), in a folder the caller made and
//                       knows whole (no other letter case of the name there)
//   open for appending  FileOpen(path, fmOpenWrite), then FileSeek(h, 0, 2)
//
// Only plain files open; a folder, pipe or device does not. A handle is
// used by one thread at a time; FileClose of a closed handle does nothing.
#include <QDateTime>
#include <QString>

namespace FileSystem {

using THandle = qint64;
constexpr THandle INVALID_HANDLE_VALUE = -1;

constexpr int fmOpenRead = 0;
constexpr int fmOpenWrite = 1;
constexpr int fmOpenReadWrite = 2;

// A handle, or INVALID_HANDLE_VALUE. `error`, when given, receives 0 or a
// Windows error code.
THandle FileOpen(const QString& path, int mode, int* error = nullptr);
// Opens for reading a file a listing of this run showed with `size` bytes
// and last-write time `writeTimeNs`: a network back end may then spare the
// round trip that asks for them. What the handle says holds for the file as
// read, not as listed: its size is what a read finds; its time is the
// listed one only while the file still has the listed size, else it is
// unknown (FileGetTime fails) unless the back end asked the server.
THandle FileOpenListed(const QString& path, qint64 size, qint64 writeTimeNs, int* error = nullptr);
// Whether the handle's size and time are the listing's (FileOpenListed took
// them as given): what may have changed since is then still to be checked.
bool FileAsListed(THandle handle);
THandle FileCreate(const QString& path, int* error = nullptr);
// Fails with ERROR_FILE_EXISTS when an entry of exactly that name is there.
THandle FileCreateNew(const QString& path, int* error = nullptr);
// Bytes read (fewer than asked only at the end of the file; 0 there), or -1.
int FileRead(THandle handle, void* buffer, int count);
// Bytes written (fewer than asked when the disk is full), or -1.
int FileWrite(THandle handle, const void* buffer, int count);
// Moves to offset from the start (origin 0), the current position (1) or
// the end (2); returns the new position, or -1.
qint64 FileSeek(THandle handle, qint64 offset, int origin);
// Copies one block from the source's position to the destination's, both
// moving on by the bytes copied: the read-and-write step of a copy loop, so
// that the caller keeps its block size, its progress per block and its
// points to pause or stop. Where both files allow it the kernel moves the
// bytes (copy_file_range, no trip through this process's memory); anywhere
// else they go through a buffer, with the same results.
//   Returns the bytes copied: maxBytes, fewer only at the source's end (0
// there) or when it failed part way; -1 for an unknown handle or a negative
// count. `error`, when given, receives 0; ERROR_READ_FAULT when reading the
// source failed; ERROR_DISK_FULL or ERROR_WRITE_FAULT when writing failed.
// Bytes copied before a failure are in the destination and counted.
//
//   qint64 n;
//   while ((n = CopyBlock(in, out, 65536, &e)) > 0 && e == 0) { progress(n); ... }
//   if (n < 0 || e == ERROR_READ_FAULT) ... else if (e != 0) ...
qint64 CopyBlock(THandle source, THandle destination, qint64 maxBytes, int* error = nullptr);
// The file's size in bytes, or -1.
qint64 FileGetSize(THandle handle);
// The last-write time as local DOS date-time, or -1.
qint64 FileGetDate(THandle handle);
// Sets the last-write time from a local DOS date-time.
bool FileSetDate(THandle handle, quint32 dosTime);
// The last-write time to the nanosecond (since 1970-01-01 UTC), and setting
// it: for carrying a source's date over to a copy exactly.
bool FileGetTime(THandle handle, qint64& ns);
bool FileSetTime(THandle handle, qint64 ns);
void FileClose(THandle handle);

}  // namespace FileSystem
