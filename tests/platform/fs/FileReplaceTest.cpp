#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/FileReplace.h"

namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

QByteArray Lines(int count) {
  QByteArray bytes;
  for (int i = 0; i < count; ++i) bytes += "Entry" + QByteArray::number(i).rightJustified(5, '0') + "=some value\n";
  return bytes;
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// The helper's save as the user nobody: 0 replaced, 1 refused. The helper
// runs from a copy in `folder`, which nobody reaches wherever the build lies.
int ReplaceAsNobody(const QString& folder, const QString& path, const QByteArray& content) {
  const QString helper = folder + QStringLiteral("/replace_helper");
  if (!QFile::exists(helper) && !QFile::copy(QStringLiteral(REPLACE_HELPER), helper)) return -1;
  QProcess p;
  p.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=%1").arg(Nobody), QStringLiteral("--regid=%1").arg(NoGroup),
                                      QStringLiteral("--clear-groups"), QStringLiteral("--"), helper, path});
  if (!p.waitForStarted()) return -1;
  p.write(content);
  p.closeWriteChannel();
  if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) return -1;
  return p.exitCode();
}

// A folder nobody may not add files to, holding nobody's settings.ini, on a
// file system of 256 KiB of its own; unmounted at the end.
class FileReplaceInPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system and acting as nobody need root";
    ASSERT_TRUE(Base.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(Base.path()).constData(), 0755), 0);
    Mount = Base.filePath(QStringLiteral("fs"));
    ASSERT_TRUE(QDir().mkdir(Mount));
    if (::mount("tmpfs", QFile::encodeName(Mount).constData(), "tmpfs", 0, "size=256k,mode=0755") != 0)
      GTEST_SKIP() << "no tmpfs mount here: " << std::strerror(errno);
    Mounted = true;
    Path = Mount + QStringLiteral("/settings.ini");
    Old = Lines(2000);  // 46 KB
    QFile f(Path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(Old) == Old.size() && f.flush());
    f.close();
    ASSERT_EQ(::chown(QFile::encodeName(Path).constData(), Nobody, NoGroup), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(Path).constData(), 0640), 0);
  }
  void TearDown() override {
    if (Mounted) ::umount2(QFile::encodeName(Mount).constData(), MNT_DETACH);
  }

  // Fills the file system up to its last byte.
  void Fill() {
    QFile fill(Mount + QStringLiteral("/fill"));
    ASSERT_TRUE(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (fill.write(block) == block.size()) {}
    while (fill.write("x", 1) == 1) {}
  }

  void ExpectOwnerAndMode() {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Path).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, Nobody);
    EXPECT_EQ(st.st_gid, NoGroup);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
  }

  QTemporaryDir Base;
  QString Mount, Path;
  QByteArray Old;
  bool Mounted = false;
};

TEST_F(FileReplaceInPlaceTest, AFullDiskRefusesTheSaveAndLeavesTheOldContentWhole) {
  Fill();
  const QByteArray larger = Lines(3000);
  EXPECT_EQ(ReplaceAsNobody(Base.path(), Path, larger), 1);
  EXPECT_TRUE(Read(Path) == Old) << "the old content was cut to " << Read(Path).size() << " bytes";
  ExpectOwnerAndMode();

  // What fits in the file's own space is still saved on the full disk.
  const QByteArray smaller = Lines(1500);
  EXPECT_EQ(ReplaceAsNobody(Base.path(), Path, smaller), 0);
  EXPECT_TRUE(Read(Path) == smaller);

  // With room again the larger content is saved, in place.
  ASSERT_TRUE(QFile::remove(Mount + QStringLiteral("/fill")));
  EXPECT_EQ(ReplaceAsNobody(Base.path(), Path, larger), 0);
  EXPECT_TRUE(Read(Path) == larger);
  ExpectOwnerAndMode();
  EXPECT_EQ(QDir(Mount).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("settings.ini")});
}

TEST_F(FileReplaceInPlaceTest, ASaveByRootLeavesTheUsersFileTheUsers) {
  // Root may add files to the folder: the save goes by rename, as a new file.
  ASSERT_TRUE(FileReplace::Replace(Path, "[A]\nk=2\n"));
  EXPECT_EQ(Read(Path), "[A]\nk=2\n");
  ExpectOwnerAndMode();
  // And the user may save it again.
  EXPECT_EQ(ReplaceAsNobody(Base.path(), Path, "[A]\nk=3\n"), 0);
  EXPECT_EQ(Read(Path), "[A]\nk=3\n");
}

}  // namespace
