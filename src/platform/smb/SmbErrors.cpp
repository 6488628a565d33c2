#include "platform/smb/SmbErrors.h"

#include <cerrno>

#include "platform/core/WinError.h"

namespace SmbErrors {

int FromErrno(int err, TLevel level, bool isFolder) {
  switch (err) {
    case 0: return NO_ERROR;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENODEV:
      if (level == TLevel::Server) return ERROR_BAD_NETPATH;
      if (level == TLevel::Share) return ERROR_BAD_NET_NAME;
      return isFolder ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_DIRECTORY;
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC: return ERROR_DISK_FULL;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF: return ERROR_INVALID_HANDLE;
    // Negotiation refused (EINVAL at connect), unreachable, timed out,
    // refused or dropped: the network path is not there for us.
    case EINVAL:
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENETUNREACH:
    case ENETDOWN:
    case ECONNREFUSED:
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
    case EIO: return ERROR_BAD_NETPATH;
    default: return level == TLevel::Below ? ERROR_GEN_FAILURE : ERROR_BAD_NETPATH;
  }
}

int FromNetApi(unsigned status) {
  switch (status) {
    case 0: return NERR_Success;
    case 5: return ERROR_ACCESS_DENIED;
    case 124: return ERROR_INVALID_LEVEL;
    case 8: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_BAD_NETPATH;  // 1003 (no IPC$), 53, 2123 and the rest
  }
}

bool IsAccessDenied(int winError) { return winError == ERROR_ACCESS_DENIED; }

bool IsConnectionLost(int err) {
  switch (err) {
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
    case ENETRESET: return true;
    default: return false;
  }
}

}  // namespace SmbErrors
