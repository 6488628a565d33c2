#pragma once
// Windows error codes for what Samba's client libraries report: errno
// values of libsmbclient and status codes of libnetapi.
namespace SmbErrors {

// Where the failing call pointed: the server itself (its share list), a
// share's root, or something below a share.
enum class TLevel { Server, Share, Below };

// A Windows error code for an errno value a libsmbclient call left.
// `isFolder` tells ENOENT of a folder (ERROR_PATH_NOT_FOUND) from that of a
// file (ERROR_FILE_NOT_FOUND) below a share.
int FromErrno(int err, TLevel level, bool isFolder = false);
// A Windows error code for a libnetapi status (NET_API_STATUS). libnetapi
// reports every failure to reach a server's IPC$ share as 1003, whether
// the server is gone or refused us.
int FromNetApi(unsigned status);
// True for the codes after which the next credentials are worth a try.
bool IsAccessDenied(int winError);
// True for errno values of a connection the server or the network dropped
// (reset, aborted, broken, no longer connected): a cached connection that
// is dead, worth dropping and one more try on a new one. A timeout is not
// among them: asked again, a server that is gone would cost another.
bool IsConnectionLost(int err);

}  // namespace SmbErrors
