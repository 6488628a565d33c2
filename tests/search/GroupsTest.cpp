// File-type groups: section Groups of the settings file, the group combo box
// of the main window, and the group editor driven as the user drives it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "config/En_language.h"
#include "config/Languages.h"
#include "config/Settings.h"
#include "platform/fs/WinPath.h"
#include "search/Editgroups.h"
#include "search/Search_state.h"
#include "support/FileEvents.h"
#include "support/ProgramFolder.h"

namespace {

class Groups : public ::testing::Test {
 protected:
  // A program folder whose settings.ini holds `groups` as section Groups,
  // with the windows created and the main window shown (English texts).
  void Start(const QByteArray& groups) {
    QByteArray settings = "[General]\nLanguage=English\n";
    if (!groups.isNull()) settings += "[Groups]\n" + groups;
    // One program folder at a time: the old one puts the globals back.
    E = nullptr;
    F.reset();
    F = std::make_unique<ProgramFolder>(settings);
    F->CreateWindows();
    F->ShowMain();
    E = FormEditGroup;
  }
  void TearDown() override {
    if (E && E->PopupMenuEditGroup) E->PopupMenuEditGroup->hide();
    if (E) E->hide();
    F.reset();
  }
  // Opens the editor as the program does (modally; the responder lets the
  // test work it); it stays open until a button closes it.
  void Open() {
    E->show();
    ASSERT_TRUE(E->isVisible());
  }
  QStringList Lines() const {
    QStringList lines;
    for (int i = 0; i < E->ListBoxGroups->count(); ++i) lines << E->ListBoxGroups->item(i)->text();
    return lines;
  }
  QStringList ComboItems() const {
    QStringList items;
    for (int i = 0; i < FormMain->ComboBoxGroup->count(); ++i) items << FormMain->ComboBoxGroup->itemText(i);
    return items;
  }
  // Section Groups as the file holds it now, "key=value" per group.
  QStringList Section() const {
    TIniFile ini(WinPath::FromLocal(F->FilePath("settings.ini")));
    QStringList out;
    for (const QString& key : ini.ReadSection("Groups")) out << key + "=" + ini.ReadString("Groups", key, "");
    return out;
  }
  bool EditsEnabled() const {
    return E->EditName->isEnabled() && E->EditContents->isEnabled() && E->LabelName->isEnabled() &&
           E->LabelContents->isEnabled();
  }
  bool EditsDisabledAndEmpty() const {
    return !E->EditName->isEnabled() && !E->EditContents->isEnabled() && !E->LabelName->isEnabled() &&
           !E->LabelContents->isEnabled() && E->EditName->text().isEmpty() && E->EditContents->text().isEmpty();
  }
  // A click on a line of the list.
  void Click(int line) { E->ListBoxGroups->setCurrentRow(line); }
  QPoint PointOf(int line) const { return E->ListBoxGroups->visualItemRect(E->ListBoxGroups->item(line)).center(); }

  std::unique_ptr<ProgramFolder> F;
  TFormEditGroup* E = nullptr;
};

}  // namespace

// ---- the combo box and the types text ----

TEST_F(Groups, ComboHoldsOneItemPerGroupInKeyOrderThenTheEditItem) {
  Start("Images=jpg, gif bmp\nDocs=doc\nNone=\n");
  EXPECT_EQ(ComboItems(), (QStringList{"Images (jpg, gif bmp)", "Docs (doc)", "None ()", "Edit groups ..."}));
  EXPECT_EQ(FormMain->ComboBoxGroup->currentIndex(), -1);
  EXPECT_EQ(GroupExtensionsFromItem(ComboItems()[0]), (QStringList{".jpg", ".gif", ".bmp"}));
  EXPECT_TRUE(GroupExtensionsFromItem(ComboItems()[2]).isEmpty());
}

TEST_F(Groups, NoSectionGivesTheEditItemAlone) {
  Start(QByteArray());
  EXPECT_EQ(ComboItems(), QStringList{"Edit groups ..."});
  Open();
  EXPECT_EQ(E->ListBoxGroups->count(), 0);
  EXPECT_TRUE(EditsDisabledAndEmpty());
  EXPECT_FALSE(E->ButtonDelete->isEnabled());
  EXPECT_EQ(EditedGroupIndex, -1);
}

TEST(GroupTypesText, CommasBlanksAndLeadingDots) {
  EXPECT_EQ(GroupExtensionsFromItem(GroupComboItem("Images", "jpg, gif bmp")), (QStringList{".jpg", ".gif", ".bmp"}));
  EXPECT_EQ(GroupExtensionsFromItem(GroupComboItem("Images", "jpg,")), QStringList{".jpg"});
  // Types typed with their dot mean the same types; dots alone are none.
  EXPECT_EQ(GroupExtensionsFromItem(GroupComboItem("Images", ".jpg,..gif  .BMP")),
            (QStringList{".jpg", ".gif", ".BMP"}));
  EXPECT_TRUE(GroupExtensionsFromItem(GroupComboItem("Dots", ". .., ...")).isEmpty());
  EXPECT_EQ(GroupExtensionsFromItem(GroupComboItem("Archive", "tar.gz")), QStringList{".tar.gz"});
}

TEST_F(Groups, RefillKeepsTheChosenGroupAndNeverChoosesTheEditItem) {
  Start("Images=jpg\nDocs=doc\n");
  FormMain->ComboBoxGroup->setCurrentIndex(1);
  LoadGroups();
  EXPECT_EQ(FormMain->ComboBoxGroup->currentText(), "Docs (doc)");
  FormMain->ComboBoxGroup->setCurrentIndex(2);
  LoadGroups();
  EXPECT_EQ(FormMain->ComboBoxGroup->currentIndex(), -1);
}

TEST_F(Groups, NoSettingsFileLeavesTheComboAndGivesAnEmptyEditor) {
  Start("Images=jpg\n");
  FormMain->ComboBoxGroup->setCurrentIndex(0);
  SettingsIni.reset();
  LoadGroups();
  EXPECT_EQ(ComboItems(), (QStringList{"Images (jpg)", "Edit groups ..."}));
  Open();
  EXPECT_EQ(E->ListBoxGroups->count(), 0);
  E->NewClick(E->ButtonNew);
  E->ButtonOkClick(E->ButtonOk);
  EXPECT_FALSE(E->isVisible());
  EXPECT_EQ(Section(), QStringList{"Images=jpg"});
}

// ---- the editor ----

TEST_F(Groups, ShowingLoadsTheStoredGroupsAndShowsTheFirst) {
  Start("Images=jpg, gif\nDocs=doc txt\n");
  Open();
  EXPECT_EQ(E->windowTitle(), "Edit groups ...");
  EXPECT_EQ(E->GroupBoxEdit->title(), " Contents ");
  EXPECT_EQ(Lines(), (QStringList{"Images", "Docs"}));
  EXPECT_EQ(GroupNames, (QStringList{"Images", "Docs"}));
  EXPECT_EQ(GroupContents, (QStringList{"jpg, gif", "doc txt"}));
  EXPECT_EQ(E->SelectedIndex(), 0);
  EXPECT_EQ(EditedGroupIndex, 0);
  EXPECT_EQ(E->EditName->text(), "Images");
  EXPECT_EQ(E->EditContents->text(), "jpg, gif");
  EXPECT_TRUE(EditsEnabled());
  EXPECT_TRUE(E->ButtonDelete->isEnabled());
}

TEST_F(Groups, ClickingAnotherGroupKeepsTheEditsOfTheShownOne) {
  Start("Images=jpg\nDocs=doc\n");
  Open();
  E->EditName->setText("Pictures");
  E->EditContents->setText("jpg png");
  Click(1);
  EXPECT_EQ(EditedGroupIndex, 1);
  EXPECT_EQ(E->EditName->text(), "Docs");
  EXPECT_EQ(Lines(), (QStringList{"Pictures", "Docs"}));
  Click(0);
  EXPECT_EQ(E->EditContents->text(), "jpg png");
  // Nothing is written before Apply.
  EXPECT_EQ(Section(), (QStringList{"Images=jpg", "Docs=doc"}));
}

TEST_F(Groups, ApplyRewritesTheSectionWithTheNewNameAndDropsTheOldKey) {
  Start("Images=jpg\nDocs=doc\n");
  F->WriteFile("settings.ini", F->ReadFile("settings.ini") + "[Patterns]\nPattern1=*.txt\n");
  Open();
  Click(1);
  E->EditName->setText("Texts");
  E->EditContents->setText("txt, doc");
  E->ButtonApplyClick(E->ButtonApply);
  EXPECT_EQ(Section(), (QStringList{"Images=jpg", "Texts=txt, doc"}));
  EXPECT_EQ(Lines(), (QStringList{"Images", "Texts"}));
  EXPECT_TRUE(E->isVisible());
  // The rest of the file is left alone.
  EXPECT_EQ(TIniFile(WinPath::FromLocal(F->FilePath("settings.ini"))).ReadString("Patterns", "Pattern1", ""), "*.txt");
  // Apply does not touch the combo box; Ok does.
  EXPECT_EQ(ComboItems()[1], "Docs (doc)");
}

TEST_F(Groups, NewTakesTheFirstFreeNameIgnoringLetterCase) {
  Start("group1=a\ngroup2=b\n");
  Open();
  E->NewClick(E->ButtonNew);
  EXPECT_EQ(Lines(), (QStringList{"group1", "group2", "group3"}));
  EXPECT_EQ(GroupContents.last(), "");
  // The group shown stays shown; the new one waits for a click.
  EXPECT_EQ(E->SelectedIndex(), 0);
  EXPECT_EQ(E->EditName->text(), "group1");
  E->hide();

  Start("group2=b\n");
  Open();
  E->NewClick(E->New);
  EXPECT_EQ(Lines(), (QStringList{"group2", "group1"}));
  E->hide();

  Start("GROUP1=a\n");
  Open();
  E->NewClick(E->ButtonNew);
  EXPECT_EQ(Lines(), (QStringList{"GROUP1", "group2"}));
}

TEST_F(Groups, NewWithNoGroupShownShowsTheNewGroupSoTypingIsKept) {
  Start(QByteArray());
  Open();
  E->NewClick(E->ButtonNew);
  EXPECT_EQ(E->SelectedIndex(), 0);
  EXPECT_EQ(EditedGroupIndex, 0);
  EXPECT_TRUE(EditsEnabled());
  EXPECT_TRUE(E->ButtonDelete->isEnabled());
  E->EditName->setText("Music");
  E->EditContents->setText("mp3 ogg");
  E->ButtonOkClick(E->ButtonOk);
  EXPECT_FALSE(E->isVisible());
  EXPECT_EQ(Section(), QStringList{"Music=mp3 ogg"});
  EXPECT_EQ(ComboItems(), (QStringList{"Music (mp3 ogg)", "Edit groups ..."}));
}

TEST_F(Groups, DeleteRemovesTheSelectedGroupOnlyFromTheEditorUntilApply) {
  Start("Images=jpg\nDocs=doc\nMusic=mp3\n");
  Open();
  Click(1);
  E->DeleteClick(E->ButtonDelete);
  EXPECT_EQ(Lines(), (QStringList{"Images", "Music"}));
  EXPECT_EQ(GroupNames, (QStringList{"Images", "Music"}));
  EXPECT_EQ(GroupContents, (QStringList{"jpg", "mp3"}));
  EXPECT_EQ(E->SelectedIndex(), -1);
  EXPECT_EQ(EditedGroupIndex, -1);
  EXPECT_TRUE(EditsDisabledAndEmpty());
  EXPECT_FALSE(E->ButtonDelete->isEnabled());
  EXPECT_EQ(Section().size(), 3);
  // With nothing selected, Delete does nothing.
  E->DeleteClick(E->Delete);
  EXPECT_EQ(Lines().size(), 2);
  E->ButtonApplyClick(E->ButtonApply);
  EXPECT_EQ(Section(), (QStringList{"Images=jpg", "Music=mp3"}));
}

TEST_F(Groups, CancelAndEscapeDropTheEditsAndTheNextShowingShowsTheStoredGroups) {
  Start("Images=jpg\n");
  const QByteArray before = F->ReadFile("settings.ini");
  Open();
  E->EditName->setText("Changed");
  E->NewClick(E->ButtonNew);
  E->ButtonCancelClick(E->ButtonCancel);
  EXPECT_FALSE(E->isVisible());
  EXPECT_EQ(F->ReadFile("settings.ini"), before);
  EXPECT_EQ(ComboItems(), (QStringList{"Images (jpg)", "Edit groups ..."}));
  Open();
  EXPECT_EQ(Lines(), QStringList{"Images"});
  EXPECT_EQ(E->EditName->text(), "Images");
  E->DeleteClick(E->ButtonDelete);
  E->reject();  // Esc and the close box
  EXPECT_FALSE(E->isVisible());
  EXPECT_EQ(F->ReadFile("settings.ini"), before);
}

TEST_F(Groups, NamesThatWouldNotReadBackAreRefusedAndNothingIsWritten) {
  const struct {
    const char* name;
    const char* message;
  } cases[] = {{"", "Enter a group name"},
               {"   ", "Enter a group name"},
               {"a=b", "A group name may not hold \"=\" nor begin with \"[\" or \";\""},
               {"[x]", "A group name may not hold \"=\" nor begin with \"[\" or \";\""},
               {";x", "A group name may not hold \"=\" nor begin with \"[\" or \";\""},
               {"IMAGES", "Group name already exists"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start("Images=jpg\nDocs=doc\n");
    const QByteArray before = F->ReadFile("settings.ini");
    Open();
    Click(1);
    E->EditName->setText(c.name);
    Click(0);  // the edits are kept; the fault is found at Ok
    F->Requests.clear();
    E->ButtonOkClick(E->ButtonOk);
    ASSERT_EQ(F->Count(Modal::Kind::Message), 1);
    EXPECT_EQ(F->Requests.back().text, c.message);
    EXPECT_EQ(F->Requests.back().caption, "Input error");
    EXPECT_TRUE(E->isVisible());
    EXPECT_EQ(F->ReadFile("settings.ini"), before);
    // The group at fault is shown for correction.
    EXPECT_EQ(E->SelectedIndex(), 1);
    EXPECT_EQ(EditedGroupIndex, 1);
    E->EditName->setText("Texts");
    E->ButtonOkClick(E->ButtonOk);
    EXPECT_FALSE(E->isVisible());
    EXPECT_EQ(Section(), (QStringList{"Images=jpg", "Texts=doc"}));
  }
}

TEST_F(Groups, BlanksAroundANameAreDropped) {
  Start("Images=jpg\n");
  Open();
  E->EditName->setText("  Pictures ");
  E->ButtonApplyClick(E->ButtonApply);
  EXPECT_EQ(Section(), QStringList{"Pictures=jpg"});
  EXPECT_EQ(E->EditName->text(), "Pictures");
  EXPECT_EQ(Lines(), QStringList{"Pictures"});
}

TEST_F(Groups, AFileThatCannotBeWrittenIsReportedAndTheEditorStaysOpen) {
  Start("Images=jpg\n");
  QFile::setPermissions(F->FilePath("settings.ini"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
  Open();
  E->EditContents->setText("jpg png");
  F->Requests.clear();
  E->ButtonOkClick(E->ButtonOk);
  ASSERT_EQ(F->Count(Modal::Kind::Message), 1);
  EXPECT_EQ(F->Requests.back().caption, "Error");
  EXPECT_TRUE(E->isVisible());
  EXPECT_EQ(E->EditContents->text(), "jpg png");
  QFile::setPermissions(F->FilePath("settings.ini"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_EQ(Section(), QStringList{"Images=jpg"});
}

TEST_F(Groups, RightClickSelectsTheGroupUnderTheMouseOrDisablesOnlyDelete) {
  Start("Images=jpg\nDocs=doc\n");
  Open();
  E->EditContents->setText("jpg gif");
  E->ListBoxGroupsContextPopup(E->ListBoxGroups, PointOf(1));
  EXPECT_TRUE(E->Delete->isEnabled());
  EXPECT_EQ(E->SelectedIndex(), 1);
  EXPECT_EQ(E->EditName->text(), "Docs");
  EXPECT_EQ(GroupContents[0], "jpg gif");
  E->PopupMenuEditGroup->hide();

  // Below the last line: the selection and the edit boxes stay.
  const QPoint below(5, E->ListBoxGroups->viewport()->height() - 3);
  ASSERT_EQ(E->ListBoxGroups->itemAt(below), nullptr);
  E->ListBoxGroupsContextPopup(E->ListBoxGroups, below);
  EXPECT_FALSE(E->Delete->isEnabled());
  EXPECT_TRUE(E->New->isEnabled());
  EXPECT_EQ(E->SelectedIndex(), 1);
  EXPECT_EQ(E->EditName->text(), "Docs");
  EXPECT_TRUE(EditsEnabled());
}

// ---- the editor reached from the main window ----

TEST_F(Groups, EditItemOpensTheEditorAndOkRefillsTheComboWithNoChoice) {
  Start("Images=jpg\n");
  FormMain->CheckBoxGroup->setChecked(true);
  int shown = 0;
  Modal::SetResponder([&](const Modal::Request& r) {
    Modal::Answer a;
    if (r.kind == Modal::Kind::ShowModal && r.form == FormEditGroup) {
      ++shown;
      FormEditGroup->NewClick(FormEditGroup->ButtonNew);
      FormEditGroup->ListBoxGroups->setCurrentRow(1);
      FormEditGroup->EditName->setText("Web");
      FormEditGroup->EditContents->setText("htm,html");
      FormEditGroup->ButtonOkClick(FormEditGroup->ButtonOk);
    }
    return a;
  });
  QComboBox* combo = FormMain->ComboBoxGroup;
  combo->setCurrentIndex(combo->count() - 1);
  FormMain->ComboBoxGroupChange(combo);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(FormEditGroup->isVisible());
  EXPECT_EQ(ComboItems(), (QStringList{"Images (jpg)", "Web (htm,html)", "Edit groups ..."}));
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(Section(), (QStringList{"Images=jpg", "Web=htm,html"}));
  // Choosing a group does not open the editor.
  combo->setCurrentIndex(1);
  FormMain->ComboBoxGroupChange(combo);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(combo->currentIndex(), 1);
}

TEST_F(Groups, RefusalsSpeakTheLanguageOfTheLanguageFile) {
  Start("Images=jpg\nDocs=doc\n");
  QDir(F->Path()).mkpath("lng");
  F->WriteFile("lng/x.lng",
               "[Language]\nLanguage=Xish\n[Groups]\nNoName=No name, x\nBadName=Bad name, x\nExists=Taken, x\n"
               "[Errors]\nEnter=Input x\n");
  LoadLanguage(QStringLiteral("Xish"));
  const struct {
    const char* name;
    const char* message;
  } cases[] = {{"", "No name, x"}, {"a=b", "Bad name, x"}, {"images", "Taken, x"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    Click(1);
    E->EditName->setText(c.name);
    F->Requests.clear();
    E->ButtonApplyClick(E->ButtonApply);
    ASSERT_EQ(F->Count(Modal::Kind::Message), 1);
    EXPECT_EQ(F->Requests.back().text, c.message);
    EXPECT_EQ(F->Requests.back().caption, "Input x");
    E->ButtonCancelClick(E->ButtonCancel);
  }
  // Back in English, the English texts.
  LoadLanguage(QStringLiteral("English"));
  Open();
  Click(1);
  E->EditName->setText("");
  F->Requests.clear();
  E->ButtonApplyClick(E->ButtonApply);
  ASSERT_EQ(F->Count(Modal::Kind::Message), 1);
  EXPECT_EQ(F->Requests.back().text, "Enter a group name");
}

TEST_F(Groups, ApplyReplacesTheFileOnceWithEveryGroup) {
  // Written group by group, an interrupted Apply would lose groups.
  QByteArray groups;
  for (int i = 0; i < 20; ++i) groups += "G" + QByteArray::number(i) + "=t" + QByteArray::number(i) + "\n";
  Start(groups);
  Open();
  E->NewClick(E->ButtonNew);
  FileEvents events(F->Path());
  E->ButtonApplyClick(E->ButtonApply);
  EXPECT_EQ(events.Count("settings.ini"), 1);
  EXPECT_EQ(Section().size(), 21);
  EXPECT_EQ(Section().last(), "group1=");
  E->ButtonCancelClick(E->ButtonCancel);
}
