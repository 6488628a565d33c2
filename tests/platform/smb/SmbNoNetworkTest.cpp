// The real back end where no network interface is up (not even loopback):
// Samba's set-up would end the process there; the network must simply be
// empty. Runs the back end in a child process inside a network namespace
// of its own.
#include <QProcess>
#include <gtest/gtest.h>

TEST(SmbNoNetwork, TheBackEndLivesAndShowsAnEmptyNetwork) {
  QProcess p;
  p.start(QStringLiteral("unshare"), {QStringLiteral("-n"), QStringLiteral(SMB_BACKEND_HELPER), QStringLiteral("scan")});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
  const QString err = QString::fromLocal8Bit(p.readAllStandardError());
  if (err.startsWith(QLatin1String("unshare:")) && qEnvironmentVariable("CI") != QLatin1String("true"))
    GTEST_SKIP() << "network namespaces refused here: " << err.toStdString();
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
  EXPECT_TRUE(out.contains(QLatin1String("groups 0\n"))) << out.toStdString();
  EXPECT_TRUE(out.endsWith(QLatin1String("alive\n"))) << out.toStdString() << err.toStdString();
}
