// What workers see when Samba's client libraries fail: Windows codes.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/smb/SmbErrors.h"
#include "platform/core/WinError.h"

using SmbErrors::FromErrno;
using SmbErrors::FromNetApi;
using SmbErrors::TLevel;

TEST(SmbErrors, MissingThingsDependOnWhereTheyWereMissed) {
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Server), ERROR_BAD_NETPATH);
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Share), ERROR_BAD_NET_NAME);
  EXPECT_EQ(FromErrno(ENODEV, TLevel::Share), ERROR_BAD_NET_NAME);
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Below), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Below, true), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FromErrno(ENOTDIR, TLevel::Below, true), ERROR_DIRECTORY);
}

TEST(SmbErrors, RefusalsUnreachableServersAndTheRest) {
  for (TLevel level : {TLevel::Server, TLevel::Share, TLevel::Below}) {
    EXPECT_EQ(FromErrno(0, level), NO_ERROR);
    EXPECT_EQ(FromErrno(EACCES, level), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FromErrno(EPERM, level), ERROR_ACCESS_DENIED);
    // Gone, hung, refused, dropped, or a protocol the server will not
    // speak: the network path is not there.
    for (int e : {ETIMEDOUT, EHOSTUNREACH, ECONNREFUSED, ENETUNREACH, ECONNRESET, ECONNABORTED, EINVAL, EPIPE})
      EXPECT_EQ(FromErrno(e, level), ERROR_BAD_NETPATH) << e;
  }
  EXPECT_EQ(FromErrno(EEXIST, TLevel::Below), ERROR_FILE_EXISTS);
  EXPECT_EQ(FromErrno(ENOTEMPTY, TLevel::Below), ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(FromErrno(ENOSPC, TLevel::Below), ERROR_DISK_FULL);
  EXPECT_EQ(FromErrno(EROFS, TLevel::Below), ERROR_WRITE_PROTECT);
  EXPECT_EQ(FromErrno(ENAMETOOLONG, TLevel::Below), ERROR_FILENAME_EXCED_RANGE);
  // Something unheard of below a share is a failure, never success.
  EXPECT_NE(FromErrno(EDOM, TLevel::Below), NO_ERROR);
  EXPECT_TRUE(SmbErrors::IsAccessDenied(FromErrno(EACCES, TLevel::Share)));
  EXPECT_FALSE(SmbErrors::IsAccessDenied(FromErrno(ETIMEDOUT, TLevel::Share)));
}

TEST(SmbErrors, NetApiStatusCodes) {
  EXPECT_EQ(FromNetApi(0), NERR_Success);
  EXPECT_EQ(FromNetApi(1003), ERROR_BAD_NETPATH);  // no IPC$: gone or refused alike
  EXPECT_EQ(FromNetApi(53), ERROR_BAD_NETPATH);
  EXPECT_EQ(FromNetApi(5), ERROR_ACCESS_DENIED);
  EXPECT_EQ(FromNetApi(124), ERROR_INVALID_LEVEL);
  EXPECT_NE(FromNetApi(2123), NERR_Success);
}

TEST(SmbErrors, ADroppedConnectionIsWorthOneMoreTryATimeoutIsNot) {
  for (int e : {ECONNRESET, ECONNABORTED, EPIPE, ENOTCONN}) EXPECT_TRUE(SmbErrors::IsConnectionLost(e)) << e;
  // Gone or hung servers would only cost another wait; refusals and
  // missing files are answers.
  for (int e : {0, ETIMEDOUT, EHOSTUNREACH, ECONNREFUSED, EACCES, ENOENT, EINVAL})
    EXPECT_FALSE(SmbErrors::IsConnectionLost(e)) << e;
}
