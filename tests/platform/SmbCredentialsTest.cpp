// The credentials tried for a server, silently and in order, and the
// Samba authentication file.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/SmbCredentials.h"
#include "platform/WinError.h"

namespace {

TSmbCredential Cred(const QString& user, const QString& password, const QString& domain = {}) {
  TSmbCredential c;
  c.User = user;
  c.Password = password;
  c.Domain = domain;
  return c;
}

class FakeSources : public TSmbCredentialSources {
 public:
  QList<TSmbCredential> KeyringEntries;
  bool HaveFile = false;
  TSmbCredential File;
  int KeyringAsked = 0, FileAsked = 0;
  QList<TSmbCredential> Keyring(const QString&) override {
    ++KeyringAsked;
    return KeyringEntries;
  }
  bool AuthFile(TSmbCredential& out) override {
    ++FileAsked;
    if (HaveFile) out = File;
    return HaveFile;
  }
};

}  // namespace

TEST(SmbAuthFile, ReadsSambasFormat) {
  TSmbCredential c;
  ASSERT_TRUE(SmbCredentials::ParseAuthFile("# tools' file\nusername = daemon\npassword=Se cret = 1 \n"
                                            "  Domain =  TESTGRP\r\n; comment\nbogus line\n",
                                            c));
  EXPECT_EQ(c.User, "daemon");
  EXPECT_EQ(c.Password, "Se cret = 1");  // only the first "=" separates
  EXPECT_EQ(c.Domain, "TESTGRP");

  ASSERT_TRUE(SmbCredentials::ParseAuthFile("USERNAME=CORP\\ann\npassword=x\n", c));
  EXPECT_EQ(c.User, "ann");
  EXPECT_EQ(c.Domain, "CORP");
  ASSERT_TRUE(SmbCredentials::ParseAuthFile("username=bob@corp.example\n", c));
  EXPECT_EQ(c.User, "bob");
  EXPECT_EQ(c.Domain, "corp.example");
  EXPECT_TRUE(c.Password.isEmpty());

  // No user name: nothing to use, and the output is left alone.
  c = Cred("kept", "");
  EXPECT_FALSE(SmbCredentials::ParseAuthFile("password = x\ndomain = y\n", c));
  EXPECT_FALSE(SmbCredentials::ParseAuthFile("", c));
  EXPECT_EQ(c.User, "kept");
}

TEST(SmbAuthFile, NamedByTheEnvironment) {
  QTemporaryDir dir;
  const QString path = dir.filePath("auth");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("username = daemon\npassword = Secret123\n");
  f.close();
  const QByteArray saved = qgetenv("TRAWLIX_SMB_AUTH");
  qputenv("TRAWLIX_SMB_AUTH", QFile::encodeName(path));
  TSmbCredential c;
  EXPECT_TRUE(SmbCredentials::System().AuthFile(c));
  EXPECT_EQ(c.User, "daemon");
  EXPECT_EQ(c.Password, "Secret123");
  qputenv("TRAWLIX_SMB_AUTH", QFile::encodeName(dir.filePath("missing")));
  EXPECT_FALSE(SmbCredentials::System().AuthFile(c));
  if (saved.isNull()) qunsetenv("TRAWLIX_SMB_AUTH");
  else qputenv("TRAWLIX_SMB_AUTH", saved);
}

TEST(SmbCredentialOrder, TicketOrGuestThenKeyringThenFile) {
  FakeSources sources;
  sources.KeyringEntries = {Cred("k1", "p1"), Cred("k2", "p2")};
  sources.HaveFile = true;
  sources.File = Cred("daemon", "Secret123", "TESTGRP");
  QList<TSmbCredential> seen;
  int remembered = 0;
  // Only the file's credentials are let in.
  int e = SmbCredentials::TryInOrder("SRV", sources, remembered, [&](const TSmbCredential& c) {
    seen.append(c);
    return c.User == "daemon" ? NO_ERROR : ERROR_ACCESS_DENIED;
  });
  EXPECT_EQ(e, NO_ERROR);
  ASSERT_EQ(seen.size(), 4);
  EXPECT_TRUE(seen[0].User.isEmpty());
  EXPECT_EQ(seen[1].User, "k1");
  EXPECT_EQ(seen[2].User, "k2");
  EXPECT_EQ(seen[3].User, "daemon");
  EXPECT_EQ(remembered, 3);

  // The next call starts with what worked.
  seen.clear();
  e = SmbCredentials::TryInOrder("SRV", sources, remembered, [&](const TSmbCredential& c) {
    seen.append(c);
    return c.User == "daemon" ? NO_ERROR : ERROR_ACCESS_DENIED;
  });
  EXPECT_EQ(e, NO_ERROR);
  ASSERT_EQ(seen.size(), 1);
  EXPECT_EQ(seen[0].User, "daemon");
}

TEST(SmbCredentialOrder, LaterSourcesAreAskedOnlyWhenNeededAndOtherFailuresStop) {
  FakeSources sources;
  sources.KeyringEntries = {Cred("k1", "p1")};
  int remembered = 0;
  int calls = 0;
  // Guest is let in: neither the keyring nor the file is read.
  EXPECT_EQ(SmbCredentials::TryInOrder("SRV", sources, remembered, [&](const TSmbCredential&) {
              ++calls;
              return NO_ERROR;
            }),
            NO_ERROR);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sources.KeyringAsked, 0);
  EXPECT_EQ(sources.FileAsked, 0);

  // A server that is gone is not asked again with other credentials.
  calls = 0;
  EXPECT_EQ(SmbCredentials::TryInOrder("SRV", sources, remembered, [&](const TSmbCredential&) {
              ++calls;
              return ERROR_BAD_NETPATH;
            }),
            ERROR_BAD_NETPATH);
  EXPECT_EQ(calls, 1);

  // Everything refused: access denied, each credential tried once (the
  // keyring's entry equal to the file's is not tried twice).
  sources.HaveFile = true;
  sources.File = Cred("k1", "p1");
  calls = 0;
  EXPECT_EQ(SmbCredentials::TryInOrder("SRV", sources, remembered, [&](const TSmbCredential&) {
              ++calls;
              return ERROR_ACCESS_DENIED;
            }),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(calls, 2);

  // A stop request ends the round before the next credential.
  calls = 0;
  EXPECT_EQ(SmbCredentials::TryInOrder(
                "SRV", sources, remembered,
                [&](const TSmbCredential&) {
                  ++calls;
                  return ERROR_ACCESS_DENIED;
                },
                [&] { return calls >= 1; }),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(calls, 1);
}

TEST(SmbCredentialOrder, ARememberedCredentialThatStopsWorkingFallsBackToTheOrder) {
  FakeSources sources;
  sources.HaveFile = true;
  sources.File = Cred("daemon", "old");
  int remembered = 1;  // the file, from an earlier call
  QList<QString> users;
  const int e = SmbCredentials::TryInOrder("SRV", sources, remembered, [&](const TSmbCredential& c) {
    users.append(c.User);
    return c.User.isEmpty() ? NO_ERROR : ERROR_ACCESS_DENIED;
  });
  EXPECT_EQ(e, NO_ERROR);
  EXPECT_EQ(users, QList<QString>({"daemon", ""}));
  EXPECT_EQ(remembered, 0);
}
