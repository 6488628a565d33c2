#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/FileEvents.h"

#include "platform/fs/FileReplace.h"
#include "platform/ini/Ini.h"
#include "platform/fs/WinPath.h"

namespace {

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

  QString LocalPath(const QString& name = "settings.ini") const { return Dir.filePath(name); }
  QString DrivePath(const QString& name = "settings.ini") const { return WinPath::FromLocal(LocalPath(name)); }

  void Put(const QByteArray& bytes, const QString& name = "settings.ini") {
    QFile f(LocalPath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  QByteArray Get(const QString& name = "settings.ini") const {
    QFile f(LocalPath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir Dir;
};

TEST_F(IniTest, NamesMatchWithoutRegardToCase) {
  Put("[General]\nWindowMax=0\nLanguage=Deutsch\n");
  TIniFile ini(DrivePath());
  EXPECT_EQ(ini.ReadString("GENERAL", "language", "English"), "Deutsch");
  EXPECT_FALSE(ini.ReadBool("general", "WINDOWMAX", true));
  EXPECT_TRUE(ini.SectionExists("gEnErAl"));
  EXPECT_TRUE(ini.ValueExists("General", "LANGUAGE"));
  EXPECT_FALSE(ini.ValueExists("General", "Missing"));
  EXPECT_FALSE(ini.ValueExists("Other", "Language"));

  ini.WriteString("GENERAL", "LANGUAGE", "Francais");
  // Replaced where it stood, keeping the file's spelling of section and key.
  EXPECT_EQ(Get(), "[General]\nWindowMax=0\nLanguage=Francais\n");
}

TEST_F(IniTest, DefaultsForMissingKeySectionOrFile) {
  TIniFile missing(DrivePath("absent.ini"));
  EXPECT_EQ(missing.ReadString("A", "b", "def"), "def");
  EXPECT_EQ(missing.ReadInteger("A", "b", 42), 42);
  EXPECT_TRUE(missing.ReadBool("A", "b", true));
  EXPECT_TRUE(missing.ReadSections().isEmpty());
  EXPECT_TRUE(missing.ReadSection("A").isEmpty());

  Put("[A]\nempty=\nblank=   \n");
  TIniFile ini(DrivePath());
  EXPECT_EQ(ini.ReadString("A", "empty", "def"), "");  // present but empty is not missing
  EXPECT_EQ(ini.ReadString("A", "blank", "def"), "");
  EXPECT_EQ(ini.ReadString("A", "nokey", "def"), "def");
  EXPECT_EQ(ini.ReadString("B", "empty", "def"), "def");
  EXPECT_EQ(ini.ReadInteger("A", "empty", 7), 7);

  // Not a drive path of this machine: nothing to read.
  TIniFile other("D:\\settings.ini");
  EXPECT_EQ(other.ReadString("A", "empty", "def"), "def");
}

TEST_F(IniTest, BlanksAndOneEnclosingPairOfQuotesAreDropped) {
  Put("[S]\n"
      "a =   spaced value  \n"
      "b=\"quoted\"\n"
      "c='single'\n"
      "d=\"\"double\"\"\n"
      "e=\"mismatch'\n"
      "f=\"\n"
      "g= \" inner blanks \" \n"
      "h=\"\"\n"
      "i=\ttab\t\r\n");
  TIniFile ini(DrivePath());
  EXPECT_EQ(ini.ReadString("S", "a", ""), "spaced value");
  EXPECT_EQ(ini.ReadString("S", "b", ""), "quoted");
  EXPECT_EQ(ini.ReadString("S", "c", ""), "single");
  EXPECT_EQ(ini.ReadString("S", "d", ""), "\"double\"");
  EXPECT_EQ(ini.ReadString("S", "e", ""), "\"mismatch'");
  EXPECT_EQ(ini.ReadString("S", "f", ""), "\"");
  EXPECT_EQ(ini.ReadString("S", "g", ""), " inner blanks ");
  EXPECT_EQ(ini.ReadString("S", "h", "def"), "");
  EXPECT_EQ(ini.ReadString("S", "i", ""), "tab");
}

TEST_F(IniTest, AtMost2047CharactersAreReadBack) {
  TIniFile ini(DrivePath());
  const QString longValue(3000, QLatin1Char('x'));
  ini.WriteString("S", "long", longValue);
  ini.WriteString("S", "exact", QString(2047, QLatin1Char('y')));
  EXPECT_EQ(ini.ReadString("S", "long", "").size(), 2047);
  EXPECT_EQ(ini.ReadString("S", "exact", ""), QString(2047, QLatin1Char('y')));
  // Written as given: the file holds the whole value.
  EXPECT_TRUE(Get().contains(longValue.toUtf8()));
}

TEST_F(IniTest, IntegersDecimalOrHexadecimal) {
  Put("[N]\n"
      "dec=123\nneg=-45\nplus=+6\n"
      "hex=0x64\nHEX=0X1f\nbig=0xFFFFFFFF\nlead=0x0000000010\n"
      "x0=0x\nxg=0xZZ\nshort=0x1\n"
      "word=abc\ntrail=12abc\nspace=1 2\nfloat=1.5\n"
      "over=2147483648\nmax=2147483647\nmin=-2147483648\nhuge=0x100000000\n"
      "quoted=\"77\"\nblanks=  88  \n");
  TIniFile ini(DrivePath());
  EXPECT_EQ(ini.ReadInteger("N", "dec", 0), 123);
  EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -45);
  EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 6);
  EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 100);
  EXPECT_EQ(ini.ReadInteger("N", "HEX", 0), 100);  // first of the duplicate key "hex" wins
  EXPECT_EQ(ini.ReadInteger("N", "big", 0), -1);
  EXPECT_EQ(ini.ReadInteger("N", "lead", 0), 16);
  EXPECT_EQ(ini.ReadInteger("N", "x0", 9), 9);     // "0x" alone is no number
  EXPECT_EQ(ini.ReadInteger("N", "xg", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "short", 9), 1);
  EXPECT_EQ(ini.ReadInteger("N", "word", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "trail", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "space", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "float", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "over", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "max", 9), 2147483647);
  EXPECT_EQ(ini.ReadInteger("N", "min", 9), -2147483647 - 1);
  EXPECT_EQ(ini.ReadInteger("N", "huge", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "quoted", 9), 77);
  EXPECT_EQ(ini.ReadInteger("N", "blanks", 9), 88);

  ini.WriteInteger("N", "written", -12);
  EXPECT_TRUE(Get().contains("\nwritten=-12\n"));
  EXPECT_EQ(ini.ReadInteger("N", "written", 0), -12);
}

TEST_F(IniTest, HexNeedsMoreThanTwoCharacters) {
  Put("[N]\na=0x1\nb=0x\nc=0\n");
  TIniFile ini(DrivePath());
  EXPECT_EQ(ini.ReadInteger("N", "a", 9), 1);
  EXPECT_EQ(ini.ReadInteger("N", "b", 9), 9);
  EXPECT_EQ(ini.ReadInteger("N", "c", 9), 0);
}

TEST_F(IniTest, BooleansAreOneAndZero) {
  TIniFile ini(DrivePath());
  ini.WriteBool("B", "yes", true);
  ini.WriteBool("B", "no", false);
  EXPECT_EQ(Get(), "[B]\nyes=1\nno=0\n");
  Put("[B]\nyes=1\nno=0\nfive=5\nneg=-1\nhex=0x0\nword=true\n");
  EXPECT_TRUE(ini.ReadBool("B", "yes", false));
  EXPECT_FALSE(ini.ReadBool("B", "no", true));
  EXPECT_TRUE(ini.ReadBool("B", "five", false));
  EXPECT_TRUE(ini.ReadBool("B", "neg", false));
  EXPECT_FALSE(ini.ReadBool("B", "hex", true));
  EXPECT_FALSE(ini.ReadBool("B", "word", false));  // no number: the default
  EXPECT_TRUE(ini.ReadBool("B", "word", true));
}

TEST_F(IniTest, WritesInPlaceAppendKeysAndSections) {
  Put("; settings\r\n[General]\r\nWindowMax=1\r\nViewStyle=1\r\n\r\n[Patterns]\r\nPattern1=*.txt\r\n");
  TIniFile ini(DrivePath());
  ini.WriteInteger("General", "ViewStyle", 2);
  ini.WriteString("General", "Language", "English");
  ini.WriteString("Patterns", "Pattern2", "*.doc");
  ini.WriteString("Groups", "Video", "avi mpg");
  EXPECT_EQ(Get(),
            "; settings\r\n[General]\r\nWindowMax=1\r\nViewStyle=2\r\nLanguage=English\r\n\r\n"
            "[Patterns]\r\nPattern1=*.txt\r\nPattern2=*.doc\r\n\r\n[Groups]\r\nVideo=avi mpg\r\n");
  EXPECT_EQ(ini.ReadSections(), QStringList({"General", "Patterns", "Groups"}));
}

TEST_F(IniTest, WriteCreatesTheFileAndRecreatesItWhenGone) {
  TIniFile ini(DrivePath());
  ini.WriteString("A", "k", "v");
  EXPECT_EQ(Get(), "[A]\nk=v\n");
  ASSERT_TRUE(QFile::remove(LocalPath()));
  ini.WriteString("B", "k", "w");
  EXPECT_EQ(Get(), "[B]\nk=w\n");
}

TEST_F(IniTest, ValuesWithLineBreaksCannotForgeLines) {
  TIniFile ini(DrivePath());
  ini.WriteString("A", "k", "one\r\n[Evil]\nx=1");
  EXPECT_FALSE(ini.SectionExists("Evil"));
  EXPECT_EQ(ini.ReadString("A", "k", ""), "one  [Evil] x=1");
}

TEST_F(IniTest, EraseSectionRemovesItsLineAndKeys) {
  Put("[A]\na=1\n\n[Groups]\nVideo=avi\nAudio=mp3\n; note\n\n[groups]\nlate=1\n[C]\nc=3\n");
  TIniFile ini(DrivePath());
  ini.EraseSection("GROUPS");
  EXPECT_EQ(Get(), "[A]\na=1\n\n[C]\nc=3\n");
  EXPECT_FALSE(ini.SectionExists("Groups"));
  EXPECT_EQ(ini.ReadString("Groups", "late", "gone"), "gone");
  ini.EraseSection("Missing");  // nothing to do, nothing written
  EXPECT_EQ(Get(), "[A]\na=1\n\n[C]\nc=3\n");

  ini.DeleteKey("a", "A");
  EXPECT_EQ(Get(), "[A]\n\n[C]\nc=3\n");
  EXPECT_TRUE(ini.SectionExists("A"));
}

TEST_F(IniTest, KeysAreListedInFileOrderWithinTheByteLimit) {
  Put("[Patterns]\nPattern3=c\nPattern1=a\n;comment=x\ngarbage line\nPattern2=b\npattern1=dup\n[Other]\nz=1\n"
      "[PATTERNS]\nlate=2\n");
  TIniFile ini(DrivePath());
  EXPECT_EQ(ini.ReadSection("patterns"), QStringList({"Pattern3", "Pattern1", "Pattern2", "late"}));
  EXPECT_TRUE(ini.ReadSection("absent").isEmpty());

  // 100-character names take 101 bytes each: 162 fit in 16,384 bytes, the 163rd does not.
  QByteArray big = "[Big]\n";
  for (int i = 0; i < 200; ++i) big += QByteArray::number(i).rightJustified(100, 'k') + "=v\n";
  Put(big);
  const QStringList names = ini.ReadSection("Big");
  ASSERT_EQ(names.size(), 16384 / 101);
  EXPECT_EQ(names.first(), QString::number(0).rightJustified(100, 'k'));
  EXPECT_EQ(names.last(), QString::number(161).rightJustified(100, 'k'));
}

TEST_F(IniTest, ByteLimitCountsTheLastNameExactly) {
  // 16 names of 1023 characters take exactly 16,384 bytes.
  QByteArray text = "[S]\n";
  for (int i = 0; i < 17; ++i) text += QByteArray(1022, 'a' + i) + "x=1\n";
  Put(text);
  EXPECT_EQ(TIniFile(DrivePath()).ReadSection("S").size(), 16);
}

TEST_F(IniTest, ReadOnlyFileThrowsNamingTheFile) {
  Put("[A]\nk=old\n");
  ASSERT_TRUE(QFile::setPermissions(LocalPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  TIniFile ini(DrivePath());
  try {
    ini.WriteString("A", "k", "new");
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(QString::fromStdString(e.what()), "Unable to write to " + DrivePath());
  }
  EXPECT_THROW(ini.EraseSection("A"), EIniFileException);
  QFile::setPermissions(LocalPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_EQ(Get(), "[A]\nk=old\n");  // untouched

  // Something that is there but cannot be read as a file is not replaced.
  ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.ini"));
  TIniFile folder(DrivePath("folder.ini"));
  EXPECT_EQ(folder.ReadString("A", "k", "def"), "def");
  EXPECT_THROW(folder.WriteString("A", "k", "v"), EIniFileException);
  EXPECT_TRUE(QFileInfo(LocalPath("folder.ini")).isDir());

  TIniFile nowhere(DrivePath("no/such/folder/x.ini"));
  EXPECT_THROW(nowhere.WriteString("A", "k", "v"), EIniFileException);
  TIniFile otherDrive("D:\\x.ini");
  EXPECT_THROW(otherDrive.WriteString("A", "k", "v"), EIniFileException);
}

TEST_F(IniTest, GarbageBinaryAndHugeLinesNeverBreakReading) {
  QByteArray text = "\xEF\xBB\xBF[A]\n";
  text += "no equals sign here\n";
  text += "]]]\n=orphan\n";
  text += QByteArray("bin\0ary=x\0y\n", 12);
  text += "huge=" + QByteArray(100 * 1024, 'h') + "\n";
  text += "key=first\nKEY=second\n";
  text += "\xff\xfe\x01\x02=\x80\x81\n";
  text += "[A]\nkey=third\nafter=ok\n[\nnameless=1\n[A\nunclosed=1\n[A]\n";
  text += "tail=no newline";
  Put(text);
  TIniFile ini(DrivePath());
  EXPECT_EQ(ini.ReadString("A", "key", ""), "first");
  EXPECT_EQ(ini.ReadString("A", "after", ""), "ok");
  EXPECT_EQ(ini.ReadString("A", "tail", ""), "no newline");
  EXPECT_EQ(ini.ReadString("A", "huge", "").size(), 2047);
  EXPECT_EQ(ini.ReadString("A", "no equals sign here", "def"), "def");
  EXPECT_EQ(ini.ReadInteger("A", "huge", 5), 5);
  EXPECT_EQ(ini.ReadString("A", "orphan", "def"), "def");
  EXPECT_EQ(ini.ReadString("A", "nameless", "def"), "def");
  EXPECT_EQ(ini.ReadString("", "nameless", "def"), "1");
  EXPECT_EQ(ini.ReadString("A", "unclosed", "def"), "1");

  // A write keeps every other line, binary bytes included.
  ini.WriteString("A", "after", "changed");
  EXPECT_EQ(ini.ReadString("A", "after", ""), "changed");
  EXPECT_EQ(ini.ReadString("A", "key", ""), "first");
  EXPECT_EQ(ini.ReadString("A", "huge", "").size(), 2047);
  EXPECT_TRUE(Get().startsWith("\xEF\xBB\xBF[A]\n"));
  EXPECT_TRUE(Get().contains(QByteArray("bin\0ary=x\0y\n", 12)));
}

TEST_F(IniTest, Latin1FilesAreRead) {
  Put("[Language]\nLanguage=Fran\xe7" "ais\n");
  EXPECT_EQ(TIniFile(DrivePath()).ReadString("Language", "Language", ""), QString::fromUtf8("Fran\xc3\xa7" "ais"));
  Put("[Language]\nLanguage=Fran\xc3\xa7" "ais\n");
  EXPECT_EQ(TIniFile(DrivePath()).ReadString("Language", "Language", ""), QString::fromUtf8("Fran\xc3\xa7" "ais"));
}

// ------------------------------------------------------------------ batches

TEST_F(IniTest, ABatchReadsTheFileOnceAndWritesItOnceAtCommit) {
  Put("[A]\nk=1\n");
  TIniFile ini(DrivePath());
  FileEvents events(Dir.path());
  {
    TIniBatch batch(ini);
    ini.WriteString("A", "k", "2");
    ini.WriteString("B", "x", "y");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "2");  // reads see the batch's writes
    EXPECT_EQ(ini.ReadSections(), QStringList({"A", "B"}));
    EXPECT_EQ(Get(), "[A]\nk=1\n");                // the file does not, yet
    EXPECT_EQ(events.Count("settings.ini"), 0);
    batch.Commit();
  }
  EXPECT_EQ(Get(), "[A]\nk=2\n\n[B]\nx=y\n");
  EXPECT_EQ(events.Count("settings.ini"), 1);

  // A batch that only reads writes nothing; one ended without Commit (an
  // exception on the way) drops its changes.
  { const TIniBatch readOnly(ini); EXPECT_EQ(ini.ReadString("B", "x", ""), "y"); }
  {
    TIniBatch dropped(ini);
    ini.EraseSection("A");
    ini.WriteString("C", "z", "1");
  }
  EXPECT_EQ(events.Count("settings.ini"), 1);
  EXPECT_EQ(Get(), "[A]\nk=2\n\n[B]\nx=y\n");
  // After a batch every read goes to the file again.
  Put("[A]\nk=3\n");
  EXPECT_EQ(ini.ReadString("A", "k", ""), "3");

  // An inner batch joins the outer one: only the outer Commit writes.
  {
    TIniBatch outer(ini);
    {
      TIniBatch inner(ini);
      ini.WriteString("A", "k", "4");
      inner.Commit();
    }
    EXPECT_EQ(Get(), "[A]\nk=3\n");
    ini.WriteString("A", "j", "5");
    outer.Commit();
  }
  EXPECT_EQ(Get(), "[A]\nk=4\nj=5\n");
}

TEST_F(IniTest, ABatchThatCannotBeWrittenThrowsAndLeavesTheFile) {
  Put("[A]\nk=old\n");
  ASSERT_TRUE(QFile::setPermissions(LocalPath(), QFileDevice::ReadOwner));
  TIniFile ini(DrivePath());
  {
    TIniBatch batch(ini);
    ini.WriteString("A", "k", "new");
    EXPECT_THROW(batch.Commit(), EIniFileException);
  }
  EXPECT_EQ(ini.ReadString("A", "k", ""), "old");
  QFile::setPermissions(LocalPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_EQ(Get(), "[A]\nk=old\n");

  // Something there that cannot be read as a file refuses the write at once.
  ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.ini"));
  TIniFile folder(DrivePath("folder.ini"));
  TIniBatch batch(folder);
  EXPECT_THROW(folder.WriteString("A", "k", "v"), EIniFileException);
}

TEST_F(IniTest, ABatchWritesWhatSeparateWritesWould) {
  // Duplicate sections and keys, comments, blank lines at the ends of
  // sections, names that do not read back as written: the one replacement
  // holds what the same writes one by one leave.
  const QByteArray start =
      "; head\nloose=1\n\n[A]\nk=1\n; note\n\n\n[B]\nb=2\nB=dup\n[a]\nlate=3\nk=shadowed\n\n[C]\nc=1\n";
  const auto script = [](TIniFile& ini) {
    ini.WriteString("A", "late", "x");     // in the second copy
    ini.WriteString("A", "new", "y");      // after the first copy's last line
    ini.WriteString("b", "B", "z");        // the first of duplicate keys
    ini.DeleteKey("B", "b");               // every line of that key
    ini.EraseSection("C");
    ini.WriteString("C", "again", "1");    // a section erased and made anew
    ini.WriteString(" D ", "k", "v");      // reads back as "D"
    ini.WriteString("D", "k", "w");
    ini.WriteString("D", "a=b", "c");      // a key that reads back as "a"
    ini.WriteString("D", "a", "d");
    ini.WriteString("E", "[x", "1");       // a key line that reads as a section
    ini.WriteString("x", "k", "2");
    ini.EraseSection("A");
    ini.WriteString("A", "k", "last");
  };
  Put(start, "one.ini");
  Put(start, "batch.ini");
  TIniFile one(DrivePath("one.ini")), batched(DrivePath("batch.ini"));
  script(one);
  {
    TIniBatch batch(batched);
    script(batched);
    EXPECT_EQ(batched.ReadSections(), one.ReadSections());
    EXPECT_EQ(batched.ReadSection("D"), one.ReadSection("D"));
    EXPECT_EQ(batched.ReadString("x", "k", "-"), one.ReadString("x", "k", "-"));
    batch.Commit();
  }
  EXPECT_EQ(Get("batch.ini"), Get("one.ini"));
  EXPECT_EQ(Get("one.ini"),
            "; head\nloose=1\n\n[B]\n[C]\nagain=1\n\n[ D ]\nk=w\na=d\n\n[E]\n[x=1\n\n[x]\nk=2\n\n[A]\nk=last\n");
}

TEST_F(IniTest, AReplacementKeepsPermissionsAndLinksAndLeavesNothingBeside) {
  Put("[A]\nk=1\n");
  ASSERT_TRUE(QFile::setPermissions(LocalPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ReadGroup));
  // A leftover of a save killed between naming and renaming its new content.
  Put("[Stale]\n", ".settings.ini.new");
  ASSERT_EQ(QFileInfo(FileReplace::TempName(LocalPath())).fileName(), ".settings.ini.new");
  TIniFile ini(DrivePath());
  ini.WriteString("A", "k", "2");
  EXPECT_EQ(Get(), "[A]\nk=2\n");
  const auto modeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
  EXPECT_EQ(QFileInfo(LocalPath()).permissions() & modeBits,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.ini"});

  // Through a link the file it points to is replaced; the link stays.
  ASSERT_TRUE(QDir(Dir.path()).mkdir("real"));
  Put("[L]\nk=1\n", "real/target.ini");
  ASSERT_TRUE(QFile::link(LocalPath("real/target.ini"), LocalPath("link.ini")));
  TIniFile linked(DrivePath("link.ini"));
  linked.WriteString("L", "k", "2");
  EXPECT_TRUE(QFileInfo(LocalPath("link.ini")).isSymLink());
  EXPECT_EQ(Get("real/target.ini"), "[L]\nk=2\n");

  // A folder that is not there: nothing written, nothing made.
  EXPECT_FALSE(FileReplace::Replace(LocalPath("none/x.ini"), "x"));
  EXPECT_FALSE(QFileInfo::exists(LocalPath("none")));
}

}  // namespace
