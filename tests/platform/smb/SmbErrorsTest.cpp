// The rules behind the Windows codes workers see when Samba's client
// libraries fail.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/smb/SmbErrors.h"
#include "platform/core/WinError.h"

using SmbErrors::FromErrno;
using SmbErrors::FromNetApi;
using SmbErrors::TLevel;

TEST(SmbErrors, NotFoundDependsOnWhereItWasMissed) {
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Server), ERROR_BAD_NETPATH);
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Share), ERROR_BAD_NET_NAME);
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Below), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FromErrno(ENOENT, TLevel::Below, true), ERROR_PATH_NOT_FOUND);
}

TEST(SmbErrors, AnUnknownFailureIsNeverSuccess) {
  for (TLevel level : {TLevel::Server, TLevel::Share, TLevel::Below}) EXPECT_NE(FromErrno(EDOM, level), NO_ERROR);
  EXPECT_NE(FromNetApi(2123), NERR_Success);
}

TEST(SmbErrors, OnlyARefusalMovesOnToTheNextCredential) {
  for (TLevel level : {TLevel::Server, TLevel::Share, TLevel::Below}) {
    EXPECT_TRUE(SmbErrors::IsAccessDenied(FromErrno(EACCES, level)));
    EXPECT_TRUE(SmbErrors::IsAccessDenied(FromErrno(EPERM, level)));
    EXPECT_FALSE(SmbErrors::IsAccessDenied(FromErrno(ETIMEDOUT, level)));
    EXPECT_FALSE(SmbErrors::IsAccessDenied(FromErrno(ENOENT, level)));
  }
  EXPECT_TRUE(SmbErrors::IsAccessDenied(FromNetApi(5)));
  // libnetapi reports a refused logon as any other failure to reach IPC$.
  EXPECT_FALSE(SmbErrors::IsAccessDenied(FromNetApi(1003)));
}

TEST(SmbErrors, ADroppedConnectionIsWorthOneMoreTryATimeoutIsNot) {
  EXPECT_TRUE(SmbErrors::IsConnectionLost(ECONNRESET));
  EXPECT_FALSE(SmbErrors::IsConnectionLost(ETIMEDOUT));
}
