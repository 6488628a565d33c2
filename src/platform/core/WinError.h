#pragma once
// Windows error codes as the file system and network calls of this layer
// return them (the values are Windows' own, so code written against the
// Windows services reads the same).

constexpr int NO_ERROR = 0;
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int ERROR_ACCESS_DENIED = 5;
constexpr int ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr int ERROR_INVALID_HANDLE = 6;
constexpr int ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr int ERROR_INVALID_DATA = 13;
constexpr int ERROR_NO_MORE_FILES = 18;
constexpr int ERROR_WRITE_PROTECT = 19;
constexpr int ERROR_NOT_READY = 21;
constexpr int ERROR_WRITE_FAULT = 29;
constexpr int ERROR_READ_FAULT = 30;
constexpr int ERROR_GEN_FAILURE = 31;
constexpr int ERROR_HANDLE_DISK_FULL = 39;
constexpr int ERROR_NOT_SUPPORTED = 50;
constexpr int ERROR_BAD_NETPATH = 53;
constexpr int ERROR_BAD_NET_NAME = 67;
constexpr int ERROR_FILE_EXISTS = 80;
constexpr int ERROR_INVALID_PARAMETER = 87;
constexpr int ERROR_DISK_FULL = 112;
constexpr int ERROR_SEM_TIMEOUT = 121;  // a network call that got no answer in time
constexpr int ERROR_INVALID_NAME = 123;
constexpr int ERROR_INVALID_LEVEL = 124;
constexpr int ERROR_DIR_NOT_EMPTY = 145;
constexpr int ERROR_ALREADY_EXISTS = 183;
constexpr int ERROR_FILENAME_EXCED_RANGE = 206;
constexpr int ERROR_MORE_DATA = 234;
constexpr int ERROR_NO_MORE_ITEMS = 259;
constexpr int ERROR_DIRECTORY = 267;
constexpr int ERROR_NOT_CONTAINER = 1207;
constexpr int ERROR_NO_NETWORK = 1222;
constexpr int ERROR_CANT_RESOLVE_FILENAME = 1921;
constexpr int NERR_Success = 0;

// The longest path accepted: this system's PATH_MAX (4096) less the
// terminating NUL. Windows' 260 would refuse files that deep folders on a
// share hold and a search lists; walks end folder loops by identity.
constexpr int MAX_PATH_LENGTH = 4095;
