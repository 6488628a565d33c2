// The credentials tried for a server, silently and in order, and the
// Samba authentication file.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/smb/SmbCredentials.h"
#include "platform/core/WinError.h"

namespace {

TSmbCredential Cred(const QString& user, const QString& password, const QString& domain = {}) {
  TSmbCredential c;
  c.User = user;
  c.Password = password;
  c.Domain = domain;
  return c;
}

const TSmbServerId Srv{"SRV", {}};

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
  TSmbLogons logons;
  sources.KeyringEntries = {Cred("k1", "p1"), Cred("k2", "p2")};
  sources.HaveFile = true;
  sources.File = Cred("daemon", "Secret123", "TESTGRP");
  QList<TSmbCredential> seen;
  int remembered = 0;
  // Only the file's credentials are let in.
  int e = SmbCredentials::TryInOrder(Srv, sources, logons, remembered, [&](const TSmbCredential& c) {
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
  e = SmbCredentials::TryInOrder(Srv, sources, logons, remembered, [&](const TSmbCredential& c) {
    seen.append(c);
    return c.User == "daemon" ? NO_ERROR : ERROR_ACCESS_DENIED;
  });
  EXPECT_EQ(e, NO_ERROR);
  ASSERT_EQ(seen.size(), 1);
  EXPECT_EQ(seen[0].User, "daemon");
}

TEST(SmbCredentialOrder, LaterSourcesAreAskedOnlyWhenNeededAndOtherFailuresStop) {
  FakeSources sources;
  TSmbLogons logons;
  sources.KeyringEntries = {Cred("k1", "p1")};
  int remembered = 0;
  int calls = 0;
  // Guest is let in: neither the keyring nor the file is read.
  EXPECT_EQ(SmbCredentials::TryInOrder(Srv, sources, logons, remembered, [&](const TSmbCredential&) {
              ++calls;
              return NO_ERROR;
            }),
            NO_ERROR);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sources.KeyringAsked, 0);
  EXPECT_EQ(sources.FileAsked, 0);

  // A server that is gone is not asked again with other credentials.
  calls = 0;
  EXPECT_EQ(SmbCredentials::TryInOrder(Srv, sources, logons, remembered, [&](const TSmbCredential&) {
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
  EXPECT_EQ(SmbCredentials::TryInOrder(Srv, sources, logons, remembered, [&](const TSmbCredential&) {
              ++calls;
              return ERROR_ACCESS_DENIED;
            }),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(calls, 2);

  // A stop request ends the round before the next credential.
  calls = 0;
  EXPECT_EQ(SmbCredentials::TryInOrder(
                Srv, sources, logons, remembered,
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
  TSmbLogons logons;
  sources.HaveFile = true;
  sources.File = Cred("daemon", "old");
  int remembered = 1;  // the file, from an earlier call
  QList<QString> users;
  const int e = SmbCredentials::TryInOrder(Srv, sources, logons, remembered, [&](const TSmbCredential& c) {
    users.append(c.User);
    return c.User.isEmpty() ? NO_ERROR : ERROR_ACCESS_DENIED;
  });
  EXPECT_EQ(e, NO_ERROR);
  EXPECT_EQ(users, QList<QString>({"daemon", ""}));
  EXPECT_EQ(remembered, 0);
}

// A wrong password must not lock the user's account: each server gets it
// once while the program runs, however many scans and reads follow.
TEST(SmbLogons, ARefusedPasswordIsOfferedToEachServerOnceUntilItsSourceChanges) {
  FakeSources sources;
  sources.HaveFile = true;
  sources.File = Cred("daemon", "wrong", "TESTGRP");
  TSmbLogons logons;
  QHash<QString, int> offers;  // "server password" -> times offered
  auto round = [&](const QString& server, const QString& good = {}) {
    int remembered = 0;
    return SmbCredentials::TryInOrder({server, {"TESTGRP"}}, sources, logons, remembered, [&](const TSmbCredential& c) {
      if (c.User.isEmpty()) return ERROR_ACCESS_DENIED;  // guest refused
      ++offers[server + ' ' + c.Password];
      return c.Password == good ? NO_ERROR : ERROR_ACCESS_DENIED;
    });
  };
  for (int i = 0; i < 4; ++i) EXPECT_EQ(round("SRV1"), ERROR_ACCESS_DENIED);  // scans, information reads
  EXPECT_EQ(round("SRV2"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(offers.value("SRV1 wrong"), 1);
  EXPECT_EQ(offers.value("SRV2 wrong"), 1);

  // The file fixed: its new password is offered, once taken, then always.
  sources.File.Password = "right";
  EXPECT_EQ(round("SRV1", "right"), NO_ERROR);
  EXPECT_EQ(round("SRV1", "right"), NO_ERROR);
  EXPECT_EQ(offers.value("SRV1 right"), 2);
  // A share that refuses a taken password refuses the share, not the logon.
  EXPECT_EQ(round("SRV1", "none"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(round("SRV1", "right"), NO_ERROR);
  EXPECT_EQ(offers.value("SRV1 right"), 4);
}

TEST(SmbLogons, TwoCallersNeverBothOfferTheSamePassword) {
  FakeSources sources;
  sources.HaveFile = true;
  sources.File = Cred("daemon", "wrong");
  TSmbLogons logons;
  std::atomic<int> offers{0};
  auto caller = [&] {
    int remembered = 0;
    SmbCredentials::TryInOrder(Srv, sources, logons, remembered, [&](const TSmbCredential& c) {
      if (c.User.isEmpty()) return ERROR_ACCESS_DENIED;
      ++offers;
      // Held until the other caller has had every chance to offer it too.
      for (int i = 0; i < 20; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      return ERROR_ACCESS_DENIED;
    });
  };
  std::thread a(caller), b(caller);
  a.join();
  b.join();
  EXPECT_EQ(offers.load(), 1);
}

TEST(SmbLogons, APasswordNamingADomainGoesOnlyToServersOfThatDomain) {
  const TSmbCredential c = Cred("ann", "x", "CORP");
  EXPECT_TRUE(SmbCredentials::DomainFits(c, {"S", {"corp"}}));
  EXPECT_TRUE(SmbCredentials::DomainFits(c, {"S", {"corp.example"}}));  // its DNS domain
  EXPECT_TRUE(SmbCredentials::DomainFits(Cred("ann", "x", "corp.example"), {"S", {"CORP"}}));
  EXPECT_TRUE(SmbCredentials::DomainFits(c, {"S", {}}));  // named by the user, not announced
  EXPECT_TRUE(SmbCredentials::DomainFits(Cred("ann", "x"), {"S", {"HOME"}}));
  EXPECT_FALSE(SmbCredentials::DomainFits(c, {"S", {"HOME"}}));
  EXPECT_FALSE(SmbCredentials::DomainFits(c, {"S", {""}}));  // announced without any

  FakeSources sources;
  sources.HaveFile = true;
  sources.File = c;
  TSmbLogons logons;
  int remembered = 0, offers = 0;
  EXPECT_EQ(SmbCredentials::TryInOrder({"S", {"HOME"}}, sources, logons, remembered,
                                       [&](const TSmbCredential& t) {
                                         offers += !t.User.isEmpty();
                                         return ERROR_ACCESS_DENIED;
                                       }),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(offers, 0);
}

TEST(SmbKeyringAnswers, LockedOrEmptyIsAskedAgainAtTheNextScanAndAnUnlockMayOfferAnew) {
  int asked = 0;
  TSmbKeyringAnswers::TAnswer next;
  next.Found = {Cred("k", "old")};
  TSmbKeyringAnswers answers([&](const QString&) {
    ++asked;
    return next;
  });
  TSmbLogons logons;
  EXPECT_EQ(answers.Get("SRV").size(), 1);
  const TSmbCredential before = answers.Get("SRV").first();
  EXPECT_EQ(asked, 1);  // kept within a scan
  ASSERT_EQ(logons.Begin("SRV", before, {}), TSmbLogons::TTurn::Offer);
  logons.End("SRV", before, ERROR_ACCESS_DENIED);

  next = {{}, true};  // locked
  answers.NewScan();
  EXPECT_TRUE(answers.Get("SRV").isEmpty());
  next = {};  // none
  answers.NewScan();
  EXPECT_TRUE(answers.Get("SRV").isEmpty());
  EXPECT_EQ(asked, 3);

  // Unlocked again by the user: the same password may be offered once more.
  next.Found = {Cred("k", "old")};
  answers.NewScan();
  const TSmbCredential after = answers.Get("SRV").first();
  EXPECT_EQ(logons.Begin("SRV", before, {}), TSmbLogons::TTurn::Refused);
  EXPECT_EQ(logons.Begin("SRV", after, {}), TSmbLogons::TTurn::Offer);
}
