// The computers tree's commands: select all and invert over the computers,
// selection by mouse, the tree's pop-up menu, show and open, the share on
// the clipboard, and copying a whole share.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QtEndian>
#include <gtest/gtest.h>

#include <unistd.h>

#include "app/Main.h"
#include "app/Main_results.h"
#include "config/En_language.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/TreeChecks.h"
#include "platform/fs/WinPath.h"
#include "support/ModalResponder.h"
#include "support/SearchRun.h"
#include "support/ShellRecorder.h"
#include "transfer/Copy.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Copyform.h"

namespace {

class ComputerCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnglishLanguage();
    CopyDestination.clear();
    Run.Net.AddServer("WORK", "PC1");
    Run.Net.AddShare("PC1", "DOCS");
    Run.Net.AddFile("\\\\PC1\\DOCS\\a.txt", QByteArray("aaaa"));
    Run.Net.AddFile("\\\\PC1\\DOCS\\sub\\b.txt", QByteArray("bbbbbb"));
    Run.Net.AddServer("WORK", "PC2");
    Run.Net.AddShare("PC2", "pub");
    Modal.SetAnswer([this](const Modal::Request& r) {
      Modal::Answer a;
      a.result = mrOk;
      if (r.kind == Modal::Kind::BrowseFolder) {
        a.result = BrowseOk ? mrOk : mrCancel;
        a.value = BrowseTo;
      }
      if (r.kind == Modal::Kind::Confirm) a.result = mrNo;
      return a;
    });
    Tree = FormMain->ListViewBoxComputers;
  }
  void TearDown() override {
    EXPECT_TRUE(SearchRun::WaitUntil([] { return FormMain->FActiveOperations == 0; }, 20000));
    EXPECT_TRUE(SearchRun::WaitForWorkers(20000));
    CopyDestination.clear();
  }

  // PC1 (ticked) with DOCS (unticked), PC2 (unticked) with pub (ticked).
  void BuildTree() {
    Pc1 = Run.AddComputer("PC1", true);
    Docs = Run.AddShare(Pc1, "DOCS", false);
    Pc2 = Run.AddComputer("PC2", false);
    Pub = Run.AddShare(Pc2, "pub", true);
    Tree->expandAll();
  }
  static int State(QTreeWidgetItem* node) { return GetStateIndex(node); }
  void ShowWindow() {
    FormMain->FFirstPaint = false;  // no network scan on the first paint
    FormMain->show();
    QApplication::processEvents();
  }
  // A mouse press on the tree's viewport, as the user makes it.
  void Press(const QPoint& at, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* viewport = Tree->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
  }

  SearchRun Run;
  ModalResponder Modal;
  ShellRecorder ShellCalls;
  QTreeWidget* Tree = nullptr;
  QTreeWidgetItem *Pc1 = nullptr, *Docs = nullptr, *Pc2 = nullptr, *Pub = nullptr;
  QString BrowseTo;
  bool BrowseOk = true;
};

}  // namespace

// ---------------------------------------------------------------- ticks

TEST_F(ComputerCommands, SelectAllTicksOrUnticksEveryComputerAndNoShare) {
  BuildTree();
  FormMain->CheckBoxSelectAll->setChecked(true);  // a change by code runs the click handler too
  EXPECT_EQ(State(Pc1), STATE_CHECKED);
  EXPECT_EQ(State(Pc2), STATE_CHECKED);
  EXPECT_EQ(State(Docs), STATE_UNCHECKED);
  EXPECT_EQ(State(Pub), STATE_CHECKED);
  FormMain->CheckBoxSelectAll->setChecked(false);
  EXPECT_EQ(State(Pc1), STATE_UNCHECKED);
  EXPECT_EQ(State(Pc2), STATE_UNCHECKED);
  EXPECT_EQ(State(Pub), STATE_CHECKED);

  // While the program itself sets the box, the tree is left alone.
  FormMain->FUpdatingChecks = true;
  FormMain->CheckBoxSelectAll->setChecked(true);
  FormMain->FUpdatingChecks = false;
  EXPECT_EQ(State(Pc1), STATE_UNCHECKED);
}

TEST_F(ComputerCommands, InvertSwapsTheComputersAndSetsSelectAll) {
  BuildTree();
  FormMain->CheckBoxSelectAll->setChecked(true);
  SetStateIndex(Pc2, STATE_UNCHECKED);
  FormMain->CheckBoxInvers->setChecked(true);
  EXPECT_EQ(State(Pc1), STATE_UNCHECKED);
  EXPECT_EQ(State(Pc2), STATE_CHECKED);
  EXPECT_EQ(State(Docs), STATE_UNCHECKED);
  EXPECT_EQ(State(Pub), STATE_CHECKED);
  EXPECT_FALSE(FormMain->CheckBoxSelectAll->isChecked());

  // Every click inverts, whatever the box shows; all ticked checks select-all.
  SetStateIndex(Pc2, STATE_UNCHECKED);
  FormMain->CheckBoxInvers->setChecked(false);
  EXPECT_EQ(State(Pc1), STATE_CHECKED);
  EXPECT_EQ(State(Pc2), STATE_CHECKED);
  EXPECT_TRUE(FormMain->CheckBoxSelectAll->isChecked());
  EXPECT_FALSE(FormMain->FUpdatingChecks);
}

TEST_F(ComputerCommands, InvertOnAnEmptyTreeChecksSelectAll) {
  FormMain->CheckBoxInvers->setChecked(true);
  EXPECT_TRUE(FormMain->CheckBoxSelectAll->isChecked());
}

TEST_F(ComputerCommands, AComputerWithoutCheckBoxCountsAsTicked) {
  Pc1 = Run.AddComputer("PC1", true);
  Pc2 = new QTreeWidgetItem(Tree, QStringList("PC2"));  // no state image
  ShowWindow();
  FormMain->ListViewBoxComputersMouseDown(Tree, Qt::LeftButton, Qt::NoModifier,
                                          Tree->visualItemRect(Pc1).center().x(),
                                          Tree->visualItemRect(Pc1).center().y());
  EXPECT_TRUE(FormMain->CheckBoxSelectAll->isChecked());
  FormMain->InvertCompClick(FormMain->InvertComp);
  EXPECT_EQ(State(Pc1), STATE_UNCHECKED);
  EXPECT_EQ(State(Pc2), STATE_UNCHECKED);
  EXPECT_FALSE(FormMain->CheckBoxSelectAll->isChecked());
}

TEST_F(ComputerCommands, MenuCommandsFlipTheBoxes) {
  BuildTree();
  FormMain->SelectAllCompClick(FormMain->SelectAllComp);
  EXPECT_TRUE(FormMain->CheckBoxSelectAll->isChecked());
  EXPECT_TRUE(FormMain->SelectAllComp->isChecked());
  EXPECT_EQ(State(Pc2), STATE_CHECKED);
  FormMain->SelectAllCompClick(FormMain->SelectAllComp);
  EXPECT_FALSE(FormMain->SelectAllComp->isChecked());
  EXPECT_EQ(State(Pc1), STATE_UNCHECKED);
  FormMain->InvertCompClick(FormMain->InvertComp);
  EXPECT_TRUE(FormMain->CheckBoxInvers->isChecked());
  EXPECT_EQ(State(Pc1), STATE_CHECKED);
  EXPECT_TRUE(FormMain->CheckBoxSelectAll->isChecked());
  FormMain->InvertCompClick(FormMain->InvertComp);
  EXPECT_FALSE(FormMain->CheckBoxInvers->isChecked());
  EXPECT_EQ(State(Pc1), STATE_UNCHECKED);
}

// ---------------------------------------------------------------- mouse and pop-up

TEST_F(ComputerCommands, RightClickSelectsTheNodeForThePopup) {
  BuildTree();
  ShowWindow();
  Press(Tree->visualItemRect(Docs).center(), Qt::RightButton);
  EXPECT_TRUE(Docs->isSelected());
  FormMain->PopupMenuCompsPopup(FormMain->PopupMenuComps);
  for (QAction* a : {FormMain->FindComp, FormMain->OpenComp, FormMain->CopyCompRes, FormMain->CopyToCompRes,
                     FormMain->NewTaskCompRes})
    EXPECT_TRUE(a->isEnabled() && a->isVisible()) << a->objectName().toStdString();

  // A computer: no share commands.
  Press(Tree->visualItemRect(Pc2).center(), Qt::RightButton);
  EXPECT_TRUE(Pc2->isSelected());
  FormMain->PopupMenuCompsPopup(FormMain->PopupMenuComps);
  EXPECT_TRUE(FormMain->FindComp->isEnabled());
  EXPECT_FALSE(FormMain->CopyCompRes->isVisible());
  EXPECT_FALSE(FormMain->NewTaskCompRes->isVisible());

  // Empty space changes nothing; with no selection only the tick commands remain.
  const QPoint below(5, Tree->viewport()->height() - 2);
  ASSERT_EQ(Tree->itemAt(below), nullptr);
  Tree->clearSelection();
  Press(below, Qt::RightButton);
  FormMain->CheckBoxInvers->setChecked(true);
  FormMain->PopupMenuCompsPopup(FormMain->PopupMenuComps);
  EXPECT_FALSE(FormMain->FindComp->isEnabled());
  EXPECT_FALSE(FormMain->OpenComp->isEnabled());
  EXPECT_FALSE(FormMain->CopyCompRes->isVisible());
  EXPECT_FALSE(FormMain->CopyToCompRes->isVisible());
  EXPECT_TRUE(FormMain->SelectAllComp->isEnabled());
  EXPECT_TRUE(FormMain->InvertComp->isChecked());
  EXPECT_EQ(FormMain->SelectAllComp->isChecked(), FormMain->CheckBoxSelectAll->isChecked());

  Tree->clear();
  FormMain->PopupMenuCompsPopup(FormMain->PopupMenuComps);
  EXPECT_FALSE(FormMain->SelectAllComp->isEnabled());
  EXPECT_FALSE(FormMain->InvertComp->isEnabled());
}

TEST_F(ComputerCommands, SelectAllFollowsTheTreeAfterAMousePress) {
  BuildTree();
  ShowWindow();
  SetStateIndex(Pc2, STATE_CHECKED);
  Press(Tree->visualItemRect(Pub).center());
  EXPECT_TRUE(FormMain->CheckBoxSelectAll->isChecked());
  EXPECT_EQ(State(Pc1), STATE_CHECKED);  // the program's own setting applies nothing
  SetStateIndex(Pc1, STATE_UNCHECKED);
  Press(Tree->visualItemRect(Pub).center());
  EXPECT_FALSE(FormMain->CheckBoxSelectAll->isChecked());
}

TEST_F(ComputerCommands, TickingTheLastComputerByItsBoxChecksSelectAll) {
  BuildTree();
  ShowWindow();
  ASSERT_FALSE(FormMain->CheckBoxSelectAll->isChecked());
  const QRect row = Tree->visualItemRect(Pc2);
  Press(QPoint(row.left() + 8, row.center().y()));  // on the check box
  ASSERT_EQ(State(Pc2), STATE_CHECKED);
  EXPECT_TRUE(FormMain->CheckBoxSelectAll->isChecked());
  Press(QPoint(row.left() + 8, row.center().y()));
  ASSERT_EQ(State(Pc2), STATE_UNCHECKED);
  EXPECT_FALSE(FormMain->CheckBoxSelectAll->isChecked());
}

// ---------------------------------------------------------------- shell and clipboard

TEST_F(ComputerCommands, ShowAndOpenAComputerOrAShare) {
  BuildTree();
  Tree->setCurrentItem(Pc1);
  FormMain->FindCompClick(FormMain->FindComp);
  FormMain->OpenCompClick(FormMain->OpenComp);
  Tree->setCurrentItem(Docs);
  FormMain->FindCompClick(FormMain->FindComp);
  FormMain->OpenCompClick(FormMain->OpenComp);
  ASSERT_EQ(ShellCalls.Requests.size(), 4u);
  EXPECT_EQ(ShellCalls.Requests[0].kind, Shell::TShellRequest::Show);
  EXPECT_EQ(ShellCalls.Requests[0].item, "\\\\PC1\\");
  EXPECT_EQ(ShellCalls.Requests[1].kind, Shell::TShellRequest::Open);
  EXPECT_EQ(ShellCalls.Requests[1].item, "\\\\PC1\\");
  EXPECT_EQ(ShellCalls.Requests[2].kind, Shell::TShellRequest::Show);
  EXPECT_EQ(ShellCalls.Requests[2].item, "\\\\PC1\\DOCS\\");
  EXPECT_EQ(ShellCalls.Requests[3].item, "\\\\PC1\\DOCS\\");
  EXPECT_EQ(ShellCalls.Requests[3].url, QUrl::fromLocalFile(Run.Net.LocalPath("\\\\PC1\\DOCS")));
}

TEST_F(ComputerCommands, AShareGoesOnTheClipboardAsOnePath) {
  BuildTree();
  Clipboard::SetText(FormMain->FClipboard, "before");
  Tree->setCurrentItem(Pc1);
  FormMain->CopyCompResClick(FormMain->CopyCompRes);  // a computer: nothing
  EXPECT_EQ(FormMain->FClipboard->text(), "before");

  Tree->setCurrentItem(Docs);
  FormMain->CopyCompResClick(FormMain->CopyCompRes);
  EXPECT_EQ(FormMain->StatusBar->PanelText(0), "\\\\PC1\\DOCS");
  const QByteArray block = Clipboard::GetAsHandle(FormMain->FClipboard, Clipboard::CF_HDROP);
  ASSERT_EQ(block.size(), 32);
  EXPECT_EQ(qFromLittleEndian<quint32>(block.constData()), 20u);
  EXPECT_EQ(block.mid(4, 16), QByteArray(16, '\0'));
  EXPECT_EQ(block.mid(20, 10), "\\\\PC1\\DOCS");
  EXPECT_EQ(block[30], '\0');
  EXPECT_EQ(block[31], '\0');
  EXPECT_EQ(FormMain->FClipboard->mimeData()->urls(),
            QList<QUrl>({QUrl::fromLocalFile(Run.Net.LocalPath("\\\\PC1\\DOCS"))}));
}

// ---------------------------------------------------------------- copy a share

TEST_F(ComputerCommands, CopyingAShareHandsTheWorkerOneFolderEntry) {
  BuildTree();
  Tree->setCurrentItem(Docs);
  BrowseTo = Run.Net.LocalFolder("dest");
  FormCopy = nullptr;
  // Network calls that take a while keep the transfer window open long
  // enough to be seen; a copy this small would otherwise come and go within
  // one turn of the event loop.
  Run.Net.SetDelayMs(50);
  FormMain->CopyToCompResClick(FormMain->CopyToCompRes);
  EXPECT_EQ(Modal.Count(Modal::Kind::BrowseFolder), 1);
  EXPECT_EQ(Modal.Last().caption, "Choose directory to copy to");
  // The share is sized off the GUI thread; the copy starts after.
  ASSERT_TRUE(SearchRun::WaitUntil([] { return FormCopy != nullptr; }));
  EXPECT_EQ(FormMain->FActiveOperations, 1);
  TCopyFiles* worker = FormCopy->FCopyThread;
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(worker->FNames, QStringList({"DOCS\\"}));
  EXPECT_EQ(worker->FSourceFolders, QStringList({"\\\\PC1\\"}));
  EXPECT_EQ(worker->FTotalSize, 10);
  EXPECT_EQ(worker->FDestination, BrowseTo);
  EXPECT_EQ(CopyDestinationDrive, 3);
  ASSERT_TRUE(SearchRun::WaitUntil([] { return FormMain->FActiveOperations == 0; }, 20000));
  QFile b(WinPath::ToLocal(BrowseTo + "DOCS\\sub\\b.txt"));
  ASSERT_TRUE(b.open(QIODevice::ReadOnly));
  EXPECT_EQ(b.readAll(), "bbbbbb");
}

TEST_F(ComputerCommands, CopyingAShareNeedsALocalFolder) {
  BuildTree();
  Tree->setCurrentItem(Pc1);
  FormMain->CopyToCompResClick(FormMain->CopyToCompRes);  // a computer: nothing asked
  EXPECT_EQ(Modal.Count(), 0);

  Tree->setCurrentItem(Pub);
  FormCopy = nullptr;
  BrowseTo = "\\\\PC2\\pub\\in";
  FormMain->CopyToCompResClick(FormMain->CopyToCompRes);
  EXPECT_EQ(Modal.Last().text, "Invalid directory name");
  EXPECT_EQ(Modal.Last().caption, "Error");
  EXPECT_EQ(CopyDestination, "\\\\PC2\\pub\\in\\");
  EXPECT_EQ(FormCopy, nullptr);

  BrowseOk = false;
  FormMain->CopyToCompResClick(FormMain->CopyToCompRes);
  EXPECT_EQ(CopyDestination, "");
  EXPECT_EQ(FormMain->FActiveOperations, 0);
}

TEST_F(ComputerCommands, CopyingAShareWithLinksBackUpItsTreeSizesAndCopiesEachFolderOnce) {
  // Two links in sub back to sub and one back to the share: followed
  // unguarded, sizing alone (on the GUI thread) would never end on a real
  // share; the long names end even an unguarded walk soon at the path limit.
  const QString sub = Run.Net.LocalPath("\\\\PC1\\DOCS\\sub");
  const QString name = QString("back-to-a-folder-above-").repeated(4);
  for (const QString& link : {sub + "/" + name + "1", sub + "/" + name + "2"})
    ASSERT_EQ(symlink(QFile::encodeName(sub).constData(), QFile::encodeName(link).constData()), 0);
  ASSERT_EQ(symlink(QFile::encodeName(Run.Net.LocalPath("\\\\PC1\\DOCS")).constData(),
                    QFile::encodeName(sub + "/" + name + "3").constData()),
            0);
  BuildTree();
  Tree->setCurrentItem(Docs);
  BrowseTo = Run.Net.LocalFolder("dest");
  FormCopy = nullptr;
  FormMain->CopyToCompResClick(FormMain->CopyToCompRes);
  ASSERT_TRUE(SearchRun::WaitUntil([] { return FormCopy != nullptr; }));
  ASSERT_NE(FormCopy->FCopyThread, nullptr);
  EXPECT_EQ(FormCopy->FCopyThread->FTotalSize, 10);
  ASSERT_TRUE(SearchRun::WaitUntil([] { return FormMain->FActiveOperations == 0; }, 20000));
  EXPECT_TRUE(QFile::exists(WinPath::ToLocal(BrowseTo + "DOCS\\sub\\b.txt")));
  EXPECT_FALSE(QFile::exists(WinPath::ToLocal(BrowseTo + "DOCS\\sub\\" + name + "1")));
}
