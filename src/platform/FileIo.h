#pragma once
// Files by handle, over local drive paths and UNC paths, in the manner of
// the toolkit's file functions. Sizes and positions are 64-bit throughout:
// a file over 4 GiB is never truncated, mis-sized or mis-resumed.
//
//   open for reading    FileOpen(path, fmOpenRead)
//   create (or empty)   FileCreate(path)
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
THandle FileCreate(const QString& path, int* error = nullptr);
// Bytes read (fewer than asked only at the end of the file; 0 there), or -1.
int FileRead(THandle handle, void* buffer, int count);
// Bytes written (fewer than asked when the disk is full), or -1.
int FileWrite(THandle handle, const void* buffer, int count);
// Moves to offset from the start (origin 0), the current position (1) or
// the end (2); returns the new position, or -1.
qint64 FileSeek(THandle handle, qint64 offset, int origin);
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
