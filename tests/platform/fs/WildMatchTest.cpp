#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "platform/fs/WildMatch.h"

namespace {

bool M(const char* mask, const char* name) { return TWildMask(QString::fromUtf8(mask)).Matches(QString::fromUtf8(name)); }

}  // namespace

TEST(WildMatch, StarAndQuestionMarkIgnoreLetterCase) {
  EXPECT_TRUE(M("*.txt", "notes.txt"));
  EXPECT_TRUE(M("*.TXT", "notes.txt"));
  EXPECT_TRUE(M("*.txt", "NOTES.TXT"));
  EXPECT_TRUE(M("?.txt", "a.txt"));
  EXPECT_FALSE(M("?.txt", "ab.txt"));
  EXPECT_TRUE(M("?.txt", ".txt"));  // "?" may match nothing before a dot
  EXPECT_TRUE(M("re*rt.d?c", "Report.DOC"));
  EXPECT_TRUE(M("*a*b*", "xxaYYbzz"));
  EXPECT_FALSE(M("*a*b*", "xxbYYazz"));
  EXPECT_TRUE(M("Readme", "README"));
  EXPECT_FALSE(M("Readme", "README2"));
  EXPECT_TRUE(M("*", ".profile"));
  EXPECT_TRUE(M("*.gz", "archive.tar.gz"));
  EXPECT_TRUE(M("*.tar.*", "archive.tar.gz"));
}

TEST(WildMatch, StarDotStarMatchesEveryNameAsWindowsDoes) {
  for (const char* n : {"README", "a.b", ".profile", ".", "..", "x.y.z", "name."}) EXPECT_TRUE(M("*.*", n)) << n;
  EXPECT_TRUE(M("readme.*", "README"));
  EXPECT_TRUE(M("readme.*", "readme.txt"));
  EXPECT_FALSE(M("readme.*", "readme2"));
  // A final dot asks for names without an extension.
  EXPECT_TRUE(M("*.", "README"));
  EXPECT_FALSE(M("*.", "readme.txt"));
}

TEST(WildMatch, ThreeLetterExtensionAlsoMatchesLongerOnesThroughShortNames) {
  EXPECT_TRUE(M("*.htm", "page.htm"));
  EXPECT_TRUE(M("*.htm", "PAGE.HTM"));
  EXPECT_TRUE(M("*.htm", "page.html"));
  EXPECT_TRUE(M("*.HTM", "index.Html"));
  EXPECT_TRUE(M("*.jpe", "photo.jpeg"));
  EXPECT_FALSE(M("*.htm", "page.hta"));
  EXPECT_FALSE(M("*.ht", "page.html"));  // the short extension is HTM, not HT
  EXPECT_FALSE(M("page.htm", "page.html"));  // a literal name stays literal
  EXPECT_FALSE(M("*.htm", "page.xhtml"));
}

TEST(WildMatch, ShortNamesFollowTheEightDotThreeRules) {
  EXPECT_EQ(WildMatch::ShortName("page.htm"), "");
  EXPECT_EQ(WildMatch::ShortName("README"), "");
  EXPECT_EQ(WildMatch::ShortName("page.html"), "PAGE~1.HTM");
  EXPECT_EQ(WildMatch::ShortName("Quarterly report.docx"), "QUARTE~1.DOC");
  EXPECT_EQ(WildMatch::ShortName("archive.tar.gz"), "ARCHIV~1.GZ");
  EXPECT_EQ(WildMatch::ShortName(".profile"), "PROFIL~1");
  EXPECT_EQ(WildMatch::ShortName("a+b.txt"), "A_B~1.TXT");
}

TEST(WildMatch, ExtremeNamesNeitherCrashNorHang) {
  const QString longName(5000, u'a');
  EXPECT_TRUE(TWildMask("*a*a*a*a*a*a*a*a*a*a*a").Matches(longName));
  EXPECT_FALSE(TWildMask("*a*a*a*a*a*a*a*a*a*a*b").Matches(longName));
  EXPECT_FALSE(TWildMask("").Matches("x"));
  EXPECT_TRUE(TWildMask("").Matches(""));
  EXPECT_TRUE(TWildMask("*").Matches(QString::fromUtf8("Überweisung.pdf")));
  EXPECT_TRUE(TWildMask("ü*.PDF").Matches(QString::fromUtf8("Überweisung.pdf")));
}

TEST(WildMatch, QuestionMarkNeverTakesADotAndMayMatchNothingAtOneOrAtTheEnd) {
  // Shorter names before the dot and at the end of the name.
  for (const char* n : {"ten.bin", "k1.bin", "a.bin", "four.bin", "FOUR.BIN"}) EXPECT_TRUE(M("????.bin", n)) << n;
  EXPECT_FALSE(M("????.bin", "fives.bin"));
  EXPECT_TRUE(M("README?", "README"));
  EXPECT_TRUE(M("README?", "README1"));
  EXPECT_FALSE(M("README?", "README12"));
  EXPECT_TRUE(M("data??", "data"));
  EXPECT_TRUE(M("data??", "data7"));
  // Never the dot itself.
  EXPECT_FALSE(M("page?htm", "page.htm"));
  EXPECT_FALSE(M("a?b", "a.b"));
  EXPECT_FALSE(M("??", "a."));
  EXPECT_TRUE(M("a?.b", "a.b"));
  EXPECT_TRUE(M("???.tar.gz", "x.tar.gz"));
  EXPECT_FALSE(M("x?tar.gz", "x.tar.gz"));
  // Within a name the "?" still takes exactly one character.
  EXPECT_FALSE(M("r?port.doc", "rport.doc"));
  EXPECT_TRUE(M("r?port.doc", "Report.doc"));
  // With stars around, the dot still stops it, wherever the star leaves it.
  EXPECT_TRUE(M("*?.txt", "a.b.txt"));
  EXPECT_TRUE(M("*x?", "ax"));
  EXPECT_FALSE(M("*x?y", "ax.y"));
  EXPECT_TRUE(M("*.?", "name.c"));
  EXPECT_TRUE(M("*.?", "name."));
  EXPECT_TRUE(M("?*", ".profile"));
  // The ".*" and "." endings keep their meaning.
  EXPECT_TRUE(M("read??.*", "read"));
  EXPECT_TRUE(M("read??.*", "readme.txt"));
  EXPECT_TRUE(M("????.", "abc"));
  EXPECT_FALSE(M("????.", "abc.d"));
  // A long name tried through its short alias follows the same rule.
  EXPECT_TRUE(M("page~?.htm", "page.html"));
  EXPECT_FALSE(M("page?html", "page.html"));
}

TEST(WildMatch, QuestionMarkRunsDoNotSlowDownOrOverrun) {
  const QString longName = QString(3000, u'a') + u'.' + QString(3000, u'b');
  EXPECT_TRUE(TWildMask("*?????.b*").Matches(longName));
  EXPECT_FALSE(TWildMask("*a?b*c").Matches(longName));
  EXPECT_TRUE(TWildMask(QString(7000, u'?') + ".*").Matches(longName));
  EXPECT_FALSE(TWildMask(QString(7000, u'?')).Matches(longName));  // the dot is left over
  EXPECT_TRUE(TWildMask("?").Matches(""));
  EXPECT_FALSE(TWildMask("?").Matches("."));
  EXPECT_TRUE(TWildMask("?.").Matches("x"));
}

TEST(WildMatch, OneBackTrackPointAgreesWithAFullSearchOnEveryShortCase) {
  // A slow matcher that tries every way: "*" any run, "?" one character but
  // not a dot, and a run of "?" nothing at a dot or at the end.
  auto reference = [](const QString& mask, const QString& name) {
    std::vector<signed char> memo((mask.size() + 1) * (name.size() + 1), -1);
    std::function<bool(qsizetype, qsizetype)> go = [&](qsizetype m, qsizetype n) -> bool {
      signed char& known = memo[m * (name.size() + 1) + n];
      if (known >= 0) return known;
      bool r;
      if (m == mask.size()) {
        r = n == name.size();
      } else if (mask[m] == u'*') {
        r = false;
        for (qsizetype k = n; k <= name.size() && !r; ++k) r = go(m + 1, k);
      } else if (mask[m] == u'?') {
        if (n == name.size() || name[n] == u'.') {
          qsizetype k = m;
          while (k < mask.size() && mask[k] == u'?') ++k;
          r = go(k, n);
        } else {
          r = go(m + 1, n + 1);
        }
      } else {
        r = n < name.size() && name[n] == mask[m] && go(m + 1, n + 1);
      }
      known = r;
      return r;
    };
    return go(0, 0);
  };
  std::mt19937 random(7);
  const QString maskChars = "ab.?*", nameChars = "ab.";
  for (int i = 0; i < 100000; ++i) {
    QString mask, name;
    for (int k = int(random() % 8); k > 0; --k) mask += maskChars[int(random() % maskChars.size())];
    for (int k = int(random() % 9); k > 0; --k) name += nameChars[int(random() % nameChars.size())];
    ASSERT_EQ(WildMatch::MaskMatch(mask, name), reference(mask, name))
        << mask.toStdString() << " / " << name.toStdString();
  }
}

TEST(WildMatch, ADotBeforeFinalQuestionMarksAlsoTakesNamesWithoutExtension) {
  for (const char* mask : {"*.?", "*.??", "*.???"}) {
    EXPECT_TRUE(M(mask, "README")) << mask;
    EXPECT_TRUE(M(mask, "folder")) << mask;
    if (std::string(mask) != "*.???") EXPECT_FALSE(M(mask, "x.abcd")) << mask;  // X~1.ABC takes "*.???"
  }
  EXPECT_FALSE(M("*.?", "x.ab"));
  EXPECT_TRUE(M("a.?", "a"));
  EXPECT_TRUE(M("a.?", "A.b"));
  EXPECT_FALSE(M("a.?", "ab"));
  EXPECT_FALSE(M("a.?", "b"));
  // A literal extension still asks for it.
  EXPECT_FALSE(M("*.txt", "README"));
  EXPECT_FALSE(M("*.?x", "README"));
}
