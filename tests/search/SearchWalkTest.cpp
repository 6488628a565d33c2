// The pattern search over the simulated network, driven as the user drives
// it: ticked computers and shares, a mask, Find, and the rows that come back.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QFile>
#include <gtest/gtest.h>

#include <unistd.h>

#include "app/Main.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/ListView.h"
#include "search/More.h"
#include "search/Searchpattern_thread.h"
#include "support/SearchRun.h"

namespace {

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

class SearchWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    DateFormat::SetShortDateFormat("dd.mm.yyyy");
    DateFormat::SetLongTimeFormat("hh:nn:ss");
    S = std::make_unique<SearchRun>();
    TSimNet& n = S->Net;
    n.AddServer("WORK", "PC1");
    n.AddShare("PC1", "docs");
    n.AddShare("PC1", "music");
    n.AddServer("WORK", "PC2");
    n.AddShare("PC2", "pub");
    n.AddFile("\\\\PC1\\docs\\Report.TXT", 1200, At(2003, 2, 1, 9, 5, 6), "ra");
    n.AddFile("\\\\PC1\\docs\\notes.txt", 0, At(2010, 1, 1));
    n.AddFile("\\\\PC1\\docs\\README", 7, At(2010, 1, 1));
    n.AddFolder("\\\\PC1\\docs\\sub", At(2011, 1, 1));
    n.AddFile("\\\\PC1\\docs\\sub\\deep.txt", 5, At(2011, 1, 1));
    n.AddFolder("\\\\PC1\\docs\\sub\\Docs.old", At(2012, 1, 1));
    n.AddFile("\\\\PC1\\docs\\sub\\Docs.old\\deeper.txt", 6, At(2012, 1, 1));
    n.AddFolder("\\\\PC1\\docs\\secret.txt", At(2011, 1, 1), "h");
    n.AddFile("\\\\PC1\\docs\\secret.txt\\inside.txt", 8, At(2011, 1, 1));
    n.AddFolder("\\\\PC1\\docs\\sys", At(2011, 1, 1), "s");
    n.AddFile("\\\\PC1\\docs\\sys\\boot.txt", 8, At(2011, 1, 1));
    n.AddFile("\\\\PC1\\music\\song.txt", 3, At(2011, 1, 1));
    n.AddFile("\\\\PC2\\pub\\other.txt", 4, At(2011, 1, 1));
  }
  void TearDown() override {
    S.reset();
    DateFormat::ResetToSystem();
  }
  // Runs one search to its end.
  void Search(const QString& mask) {
    S->Find(mask);
    ASSERT_TRUE(S->WaitForSearchEnd());
  }
  std::unique_ptr<SearchRun> S;
};

}  // namespace

TEST_F(SearchWalk, OnlyTickedSharesOfTickedComputersAreSearched) {
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "docs", false);
  S->AddShare(pc1, "music", true);
  QTreeWidgetItem* pc2 = S->AddComputer("PC2", false);
  S->AddShare(pc2, "pub", true);
  Search("*.txt");
  EXPECT_EQ(S->Rows(), QStringList{"PC1|\\music\\|song|txt|3|-a--"});
  EXPECT_EQ(FoundCount, 1);
  EXPECT_EQ(S->Panel(1), TextStatusFiles + "1");
}

TEST_F(SearchWalk, TickedComputerWithoutTickedSharesYieldsNothing) {
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "docs", false);
  Search("*");
  EXPECT_TRUE(S->Rows().isEmpty());
  EXPECT_EQ(S->Panel(0), " " + TextStatusOk);
}

TEST_F(SearchWalk, MatchesComeBeforeSubfoldersAndHiddenFoldersAreNotEntered) {
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "docs", true);
  Search("*.txt");
  // The hidden folder secret.txt matches and is listed, but nothing inside it
  // is; the system folder is not entered either; every other subfolder is.
  EXPECT_EQ(S->Rows(), (QStringList{
                           "PC1|\\docs\\|notes|txt|0|-a--",
                           "PC1|\\docs\\|Report|txt|1200|ra--",
                           "PC1|\\docs\\|secret.txt||" + TextFileDir + "|--h-",
                           "PC1|\\docs\\sub\\|deep|txt|5|-a--",
                           "PC1|\\docs\\sub\\Docs.old\\|deeper|txt|6|-a--",
                       }));
  EXPECT_EQ(FormMain->ListViewResult->Item(1).SubItems[2], "01.02.2003 09:05:06");
  EXPECT_EQ(S->Panel(1), TextStatusFiles + "5");
}

TEST_F(SearchWalk, DotEntriesAreNeverRowsAndTheCountIsTheRowCount) {
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "docs", true);
  Search("*");
  const QStringList rows = S->Rows();
  for (const QString& row : rows) {
    const QString caption = row.section(u'|', 2, 2);
    EXPECT_NE(caption, ".");
    EXPECT_NE(caption, "..");
  }
  EXPECT_EQ(rows.size(), 9);  // 3 files, 3 folders in the root; 1 + 1 in sub; 1 in Docs.old
  EXPECT_EQ(FoundCount, rows.size());
  EXPECT_EQ(S->Panel(1), TextStatusFiles + QString::number(rows.size()));
  EXPECT_TRUE(rows.contains("PC1|\\docs\\sub\\|Docs.old||" + TextFileDir + "|----"));
  EXPECT_TRUE(rows.contains("PC1|\\docs\\|README||7|-a--"));
}

TEST_F(SearchWalk, EndOfSearchRestoresTheWindow) {
  FormMain->CheckBoxInvers->setEnabled(false);  // a panel control disabled before the search stays so
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "music", true);
  FormMore->FResetOnShow = false;
  S->Find("*.txt");
  EXPECT_FALSE(FormMain->EditPattern->isEnabled());
  EXPECT_FALSE(FormMain->ListViewBoxComputers->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonPause->isEnabled());
  ASSERT_TRUE(S->WaitForSearchEnd());
  EXPECT_EQ(SearchPatternThread, nullptr);
  EXPECT_TRUE(FormMain->EditPattern->isEnabled());
  EXPECT_TRUE(FormMain->ListViewBoxComputers->isEnabled());
  EXPECT_FALSE(FormMain->CheckBoxInvers->isEnabled());
  EXPECT_TRUE(FormMain->ButtonMore->isEnabled());
  EXPECT_TRUE(FormMain->More->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonMore->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonEnd->isEnabled());
  EXPECT_FALSE(FormMain->Pause->isEnabled());
  EXPECT_FALSE(FormMain->End->isEnabled());
  EXPECT_TRUE(FormMain->SelectAll->isEnabled());
  EXPECT_TRUE(FormMore->FResetOnShow);
  EXPECT_EQ(S->Panel(0), " " + TextStatusOk);
  EXPECT_EQ(CurrentSearchPath, "\\\\PC1\\music\\");
}

TEST_F(SearchWalk, MaskGoesIntoTheHistory) {
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "music", true);
  Search("song*");
  EXPECT_EQ(S->Rows().size(), 1);
  EXPECT_NE(ComboIndexOfText(FormMain->EditPattern, "song*"), -1);
}

TEST_F(SearchWalk, CriteriaOfTheDialogApplyToEveryEntry) {
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "docs", true);
  FormMore->ResetControls();
  FormMore->CheckBoxSize->setChecked(true);
  FormMore->ComboBoxOper->setCurrentIndex(1);
  FormMore->MaskEditSize->setText("0");
  FormMore->ComboBoxSize->setCurrentIndex(0);
  Search("*");
  EXPECT_EQ(S->Rows(), QStringList{"PC1|\\docs\\|notes|txt|0|-a--"});

  FormMore->ResetControls();
  FormMore->CheckBoxAttr->setChecked(true);
  FormMore->CheckBoxDir->setChecked(true);
  Search("*");
  EXPECT_EQ(S->Rows().size(), 4);  // sub, secret.txt, sys and Docs.old
  for (const QString& row : S->Rows()) EXPECT_EQ(row.section(u'|', 4, 4), TextFileDir) << row.toStdString();
}

TEST_F(SearchWalk, UnreachableSharesAddNothingAndTheWalkGoesOn) {
  QTreeWidgetItem* ghost = S->AddComputer("GHOST", true);
  S->AddShare(ghost, "none", true);
  QTreeWidgetItem* pc2 = S->AddComputer("PC2", true);
  S->AddShare(pc2, "missing", true);
  S->AddShare(pc2, "pub", true);
  Search("*.txt");
  EXPECT_EQ(S->Rows(), QStringList{"PC2|\\pub\\|other|txt|4|-a--"});
}

namespace {

// A folder of the share that links back to itself twice and to the share
// once. The link names are long, so that a walk following them unguarded
// still ends soon at the path limit: a regression fails instead of hanging.
void AddLoop(TSimNet& n, const QString& share) {
  n.AddFile(share + "loop\\f.txt", 1, At(2011, 1, 1));
  n.AddFile(share + "loop\\inner\\g.txt", 2, At(2011, 1, 1));
  const QString loop = n.LocalPath(share + "loop");
  for (const char* name : {"/back-to-the-folder-above-through-link-one-back-to-the-folder-above-through-link-one",
                           "/back-to-the-folder-above-through-link-two-back-to-the-folder-above-through-link-two"})
    ASSERT_EQ(symlink(QFile::encodeName(loop).constData(), QFile::encodeName(loop + name).constData()), 0);
  ASSERT_EQ(symlink(QFile::encodeName(n.LocalPath(share)).constData(),
                    QFile::encodeName(loop + "/inner/back-to-the-share-through-a-link-back-to-the-share-through-a-link-back-to-the-share").constData()),
            0);
}

}  // namespace

TEST_F(SearchWalk, LinksBackUpTheTreeAreEnteredOnceAndEachShareIsWalkedWhole) {
  AddLoop(S->Net, "\\\\PC2\\pub\\");
  // A second share that is the same folder is still searched as a share of its own.
  ASSERT_EQ(symlink(QFile::encodeName(S->Net.LocalPath("\\\\PC2\\pub")).constData(),
                    QFile::encodeName(S->Net.LocalPath("\\\\PC2\\pub") + "2").constData()),
            0);
  QTreeWidgetItem* pc2 = S->AddComputer("PC2", true);
  S->AddShare(pc2, "pub", true);
  S->AddShare(pc2, "pub2", true);
  const QStringList once = {"PC2|\\pub\\|other|txt|4|-a--", "PC2|\\pub\\loop\\|f|txt|1|-a--",
                            "PC2|\\pub\\loop\\inner\\|g|txt|2|-a--"};
  QStringList twice = once;
  for (const QString& row : once) twice << QString(row).replace("\\pub\\", "\\pub2\\");
  Search("*.txt");
  EXPECT_EQ(S->Rows(), twice);
  // A mask without wildcards takes the other way through a folder.
  Search("g.txt");
  EXPECT_EQ(S->Rows(), QStringList({"PC2|\\pub\\loop\\inner\\|g|txt|2|-a--", "PC2|\\pub2\\loop\\inner\\|g|txt|2|-a--"}));
}

TEST_F(SearchWalk, NamesEndingInADotOrABlankAreNeverRows) {
  // Their rows would name README (the path rules cut the dot and the blank),
  // and the folder "old." would be walked as old.
  TSimNet& n = S->Net;
  for (const char* name : {"README.", "README ", "Report.TXT."}) {
    QFile f(n.LocalPath("\\\\PC1\\docs\\") + QString::fromUtf8(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  n.AddFile("\\\\PC1\\docs\\old.\\in.txt", 3, At(2011, 1, 1));
  QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
  S->AddShare(pc1, "docs", true);
  Search("*");
  const QStringList rows = S->Rows();
  EXPECT_EQ(rows.size(), 9) << rows.join(u'\n').toStdString();
  EXPECT_EQ(rows.filter("README").size(), 1);
  EXPECT_EQ(rows.filter("Report").size(), 1);
  EXPECT_TRUE(rows.filter("in.txt").isEmpty());
}

namespace {

// Counts the synchronised calls of workers (each a call queued to the application object).
class HandOverCounter : public QObject {
 public:
  HandOverCounter() { qApp->installEventFilter(this); }
  ~HandOverCounter() override { qApp->removeEventFilter(this); }
  int Count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == qApp && event->type() == QEvent::MetaCall) ++Count;
    return false;
  }
};

struct Outcome {
  QStringList Rows;
  QString Panel0, Panel1;
  int HandOvers = 0;
};

}  // namespace

TEST_F(SearchWalk, ADeepTreeIsHandedOverInBatchesEndingAsWithOneHandOverPerFolder) {
  // 60 nested pairs of folders, each with matches and a subfolder.
  QString folder = "\\\\PC2\\pub\\";
  for (int i = 0; i < 60; ++i) {
    S->Net.AddFile(folder + QString("m%1.txt").arg(i), i);
    S->Net.AddFile(folder + QString("side%1\\n.txt").arg(i), 1);
    folder += QString("d%1\\").arg(i);
  }
  QTreeWidgetItem* pc2 = S->AddComputer("PC2", true);
  S->AddShare(pc2, "pub", true);
  const auto run = [this](int intervalMs) {
    const int saved = TSearchPattern::HandOverIntervalMs.exchange(intervalMs);
    HandOverCounter counter;
    Search("*.txt");
    TSearchPattern::HandOverIntervalMs = saved;
    return Outcome{S->Rows(), S->Panel(0), S->Panel(1), counter.Count};
  };
  const Outcome perFolder = run(0);
  // An interval longer than any run: only the hand-overs that must be made.
  const Outcome batched = run(3600 * 1000);
  ASSERT_EQ(perFolder.Rows.size(), 121);  // and other.txt of the fixture
  EXPECT_EQ(batched.Rows, perFolder.Rows);
  EXPECT_EQ(batched.Panel0, perFolder.Panel0);
  EXPECT_EQ(batched.Panel1, perFolder.Panel1);
  // 121 folders with rows: two each, against the tree reads and the end.
  EXPECT_GE(perFolder.HandOvers, 242);
  EXPECT_LE(batched.HandOvers, 20);
}
