// Language files: the language menu, applying a file to the text table and
// to every window, the value rules and defaults, switching back to English,
// and what a switch keeps in step (folder markers, task modes, status bar).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <gtest/gtest.h>

#include "app/Endsearchform.h"
#include "app/Form_settings.h"
#include "app/Main.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "config/Languages.h"
#include "config/Settings.h"
#include "network/Scanlan_thread.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "platform/fs/WinPath.h"
#include "search/Editgroups.h"
#include "search/More.h"
#include "search/Search_state.h"
#include "transfer/Form_edittask.h"
#include "support/ProgramFolder.h"

namespace {

// A program folder with a settings file and a lng folder.
class LanguageFolder : public ProgramFolder {
 public:
  explicit LanguageFolder(const QByteArray& settings = QByteArray("[General]\nLanguage=English\n"))
      : ProgramFolder(settings) {
    QDir(Path()).mkpath(QStringLiteral("lng"));
  }
  void Lng(const QString& fileName, const QByteArray& content) const {
    WriteFile(QStringLiteral("lng/") + fileName, content);
  }
  // A language file that declares `name` and holds `body` after it.
  void Language(const QString& fileName, const QString& name, const QByteArray& body = QByteArray()) const {
    Lng(fileName, "[Language]\nLanguage=" + name.toUtf8() + "\n" + body);
  }
};

QStringList VisibleLanguages() {
  QStringList names;
  for (QAction* a : FormMain->LanguageItems)
    if (a->isVisible()) names << a->text();
  return names;
}

TListItem Row(const QString& caption, const QStringList& subItems) {
  TListItem item;
  item.Caption = caption;
  item.SubItems = subItems;
  return item;
}

// The task editor's controls, made here when that window does not carry them
// (yet), so that what the loader writes into them can be checked.
template <class T>
T* EnsureControl(QWidget* window, const char* name) {
  if (T* c = window->findChild<T*>(QLatin1String(name))) return c;
  auto* c = new T(window);
  c->setObjectName(QLatin1String(name));
  return c;
}

void EnsureTaskEditorControls() {
  EnsureControl<QGroupBox>(FormEditTask, "GroupBoxOption");
  EnsureControl<QLabel>(FormEditTask, "LabelNameTask");
  EnsureControl<QLabel>(FormEditTask, "LabelSource");
  EnsureControl<QLabel>(FormEditTask, "LabelDestination");
  EnsureControl<QCheckBox>(FormEditTask, "CheckBoxStart");
  EnsureControl<QLabel>(FormEditTask, "LabelMode");
  EnsureControl<QRadioButton>(FormEditTask, "RadioButtonSync");
  EnsureControl<QRadioButton>(FormEditTask, "RadioButtonLoad");
  EnsureControl<QPushButton>(FormEditTask, "ButtonOk");
  EnsureControl<QPushButton>(FormEditTask, "ButtonCancel");
}

QString TaskControl(const char* name) {
  QObject* o = FormEditTask->findChild<QObject*>(QLatin1String(name));
  if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
  if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
  return QStringLiteral("<missing>");
}

QStringList ComboItems(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

}  // namespace

// ---------------------------------------------------------------- the menu

TEST(LanguageMenu, ListsEveryFileInDirectoryOrderUnderItsDisplayName) {
  LanguageFolder folder;
  folder.Language("b.lng", QString::fromUtf8("Français"));
  folder.Language("a.lng", "Deutsch");
  folder.Language("c.lng", "English");  // the built-in name: not listed, leaves no gap
  folder.Language("d.lng", "english");  // another letter case is another language
  folder.Language(".e.lng", "Hidden");  // hidden files count too
  folder.Language("f.lng", "ReadOnly");
  QFile::setPermissions(folder.FilePath("lng/f.lng"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  folder.Language("g.txt", "NotALanguage");
  folder.CreateWindows();

  EXPECT_EQ(VisibleLanguages(),
            (QStringList{"English", "Hidden", "Deutsch", QString::fromUtf8("Français"), "english", "ReadOnly"}));
  EXPECT_EQ(FormMain->English->text(), "English");
  EXPECT_FALSE(FormMain->L6->isVisible());
  EXPECT_EQ(FormMain->L6->text(), "");
}

TEST(LanguageMenu, WithoutLanguageFilesOnlyEnglishIsOffered) {
  LanguageFolder folder;
  QDir(folder.Path()).rmdir(QStringLiteral("lng"));
  folder.CreateWindows();
  EXPECT_EQ(VisibleLanguages(), QStringList{"English"});

  // Any other language then falls back to English.
  LoadLanguage(QStringLiteral("Deutsch"));
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_EQ(TextSearchPause, "Search paused ");
}

TEST(LanguageMenu, FillsTheTwentySixSlotsAndLeavesFurtherFilesOut) {
  LanguageFolder folder;
  for (int i = 1; i <= 30; ++i)
    folder.Language(QStringLiteral("lang%1.lng").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("Lang%1").arg(i),
                    "[Status]\nOk=Done " + QByteArray::number(i) + "\n");
  // A file without a display name is listed with an empty caption.
  folder.Lng("lang00.lng", "[Status]\nOk=Nameless\n");
  folder.CreateWindows();

  const QStringList visible = VisibleLanguages();
  ASSERT_EQ(visible.size(), 27);
  EXPECT_EQ(visible[1], "");
  EXPECT_EQ(visible[2], "Lang1");
  EXPECT_EQ(visible[26], "Lang25");
  EXPECT_EQ(FormMain->L27->text(), "Lang25");

  // Files beyond the menu are still found by their names.
  EXPECT_TRUE(LoadLanguage(QStringLiteral("Lang30")));
  EXPECT_EQ(CurrentLanguage, "Lang30");
  EXPECT_EQ(TextStatusOk, "Done 30");
  // And the empty name finds the first file without one.
  LoadLanguage(QString());
  EXPECT_EQ(CurrentLanguage, "");
  EXPECT_EQ(TextStatusOk, "Nameless");
}

// ---------------------------------------------------------- applying a file

TEST(LanguageFile, FillsTheTextTableAndEveryWindow) {
  LanguageFolder folder;
  folder.Language("x.lng", "Xish",
                  "[Status]\nOk=Fertig\n"
                  "[Errors]\nOpenFile=Kaputt\n"
                  "[MainHeader]\nName=Nom\nPath=Chemin\n"
                  "[Months]\nMarch=Mrz\n"
                  "[Language]\nHelp=xx\n"
                  "[MainMenu]\nFile=Datei\nSort=Ordnen\nLanguage=Sprache\nSite=Netz\n"
                  "[PopupMenu]\nTask=Aufgabe\nSelectAll=Alle\n"
                  "[Find]\nMask=Maske\nInvert=Umkehren\nQuestion=Frage\n"
                  "[Tasks]\nStart=Los\nTimeLeft=Rest\nSource=Quelle\n"
                  "[NetResources]\nIp=Adresse\n"
                  "[ToolBar]\nHelp=Hilfe\n"
                  "[Groups]\nEdit=Gruppen ...\nNew=Neu\n"
                  "[More]\nTitle=Mehr\nAnd=und\nHidden=Versteckt\n"
                  "[Buttons]\nOk=Gut\nApply=Anwenden\nCancel=Nein\n"
                  "[Messages]\nStop=Halt?\nSearch=Neu?\n");
  folder.CreateWindows();
  EnsureTaskEditorControls();
  ASSERT_TRUE(LoadLanguage(QStringLiteral("Xish")));

  EXPECT_EQ(CurrentLanguage, "Xish");
  EXPECT_EQ(TextStatusOk, "Fertig");
  EXPECT_EQ(TextErrorsOpenFile, "Kaputt");
  EXPECT_EQ(TextMainHeaderName, "Nom");
  EXPECT_EQ(TextLanguageHelp, "xx");
  EXPECT_EQ(TextMonths[2], "Mrz");
  EXPECT_EQ(TextMonths[3], "Apr");
  EXPECT_EQ(TextGroupsEdit, "Gruppen ...");
  EXPECT_EQ(TextButtonsOk, "Gut");

  // Main window.
  EXPECT_EQ(FormMain->File->title(), "Datei");
  EXPECT_EQ(FormMain->SortBy->title(), "Ordnen");
  EXPECT_EQ(FormMain->Languages->title(), "Sprache");
  EXPECT_EQ(FormMain->SiteProgram->text(), "Netz");
  EXPECT_EQ(FormMain->PNewTask->text(), "Aufgabe");
  EXPECT_EQ(FormMain->NewTaskCompRes->text(), "Aufgabe");
  EXPECT_EQ(FormMain->PSelectall->text(), "Alle");
  EXPECT_EQ(FormMain->SelectAllComp->text(), "Alle");
  EXPECT_EQ(FormMain->InvertComp->text(), "Umkehren");
  EXPECT_EQ(FormMain->CheckBoxInvers->text(), "Umkehren");
  EXPECT_EQ(FormMain->LabelPattern->text(), "Maske");
  EXPECT_EQ(FormMain->PTaskStart->text(), "Los");
  EXPECT_EQ(FormMain->ListViewResult->ColumnCaption(0), "Nom");
  EXPECT_EQ(FormMain->ListViewResult->ColumnCaption(6), "Chemin");
  EXPECT_EQ(FormMain->ListViewLoads->ColumnCaption(4), "Rest");
  EXPECT_EQ(FormMain->ListViewLoads->ColumnCaption(5), "Quelle");
  EXPECT_EQ(FormMain->ListViewResources->ColumnCaption(1), "Adresse");
  EXPECT_EQ(FormMain->ToolButtonHelp->toolTip(), "Hilfe");
  EXPECT_EQ(FormMain->English->text(), "English");

  // The other windows.
  EXPECT_EQ(FormEditGroup->windowTitle(), "Gruppen ...");
  EXPECT_EQ(FormEditGroup->New->text(), "Neu");
  EXPECT_EQ(FormEditGroup->ButtonNew->text(), "Neu");
  EXPECT_EQ(FormEditGroup->ButtonApply->text(), "Anwenden");
  EXPECT_EQ(FormMore->windowTitle(), "Mehr");
  EXPECT_EQ(FormMore->CheckBoxHidden->text(), "Versteckt");
  EXPECT_EQ(FormMore->ButtonCancel->text(), "Nein");
  EXPECT_EQ(Research->windowTitle(), "Frage");
  EXPECT_EQ(Research->LabelMessage->text(), "Neu?");
  EXPECT_EQ(EndSearch->windowTitle(), "Frage");
  EXPECT_EQ(EndSearch->LabelMessage->text(), "Halt?");
  EXPECT_EQ(EndSearch->ButtonOk->text(), "Gut");
  EXPECT_EQ(FormSettings->ButtonApply->text(), "Anwenden");
  EXPECT_EQ(TaskControl("LabelSource"), "Quelle");
  EXPECT_EQ(TaskControl("CheckBoxStart"), "Los");
  EXPECT_EQ(TaskControl("ButtonOk"), "Gut");
  EXPECT_EQ(TaskControl("ButtonCancel"), "Nein");

  // The group list's last item follows the new text.
  EXPECT_EQ(FormMain->ComboBoxGroup->itemText(FormMain->ComboBoxGroup->count() - 1), "Gruppen ...");

  // Applying it again changes nothing (the rules work on the values read).
  const QString contents = FormEditGroup->GroupBoxEdit->title();
  const QString from = TextCopyToFrom;
  LoadLanguage(QStringLiteral("Xish"));
  EXPECT_EQ(FormEditGroup->GroupBoxEdit->title(), contents);
  EXPECT_EQ(TextCopyToFrom, from);
  EXPECT_EQ(TaskControl("LabelMode"), "Mode:");
}

TEST(LanguageFile, MissingKeysTakeTheFileDefaults) {
  LanguageFolder folder;
  folder.Language("bare.lng", "Bare");
  folder.CreateWindows();
  EnsureTaskEditorControls();
  LoadLanguage(QStringLiteral("Bare"));

  EXPECT_EQ(CurrentLanguage, "Bare");
  for (const TUiTextEntry& e : UiTextTable) {
    QString expected = QString::fromLatin1(e.FileDefault);
    if (e.Text == &TextCopyToFrom || e.Text == &TextCopyToTo) expected += ' ';
    EXPECT_EQ(*e.Text, expected) << e.Section << "/" << e.Key;
  }
  EXPECT_EQ(TextSearchPause, "Search paused");
  EXPECT_EQ(TextStatusFiles, "Files: ");
  EXPECT_EQ(TextStatusComputers, "Computer(s): ");
  EXPECT_EQ(TextCopyToFrom, "From: ");
  EXPECT_EQ(TextTasksLoad, "Download");
  EXPECT_EQ(TextMonths[0], "Jan");
  EXPECT_EQ(TextMonths[11], "Dec");

  EXPECT_EQ(FormMain->FindFiles->text(), "Search Files");
  EXPECT_EQ(FormMain->Name->text(), "Name");
  EXPECT_EQ(FormMain->SortBy->title(), "Sort on");
  EXPECT_EQ(FormMain->Support->text(), "Support");
  EXPECT_EQ(FormMain->PSortby->title(), "Sort");
  EXPECT_EQ(FormMain->PPath->text(), "Path");
  EXPECT_EQ(FormMain->PLoad->text(), "Download");
  EXPECT_EQ(FormMain->NewTaskCompRes->text(), "New Task");
  EXPECT_EQ(FormMain->PNewTask->text(), "New task");
  EXPECT_EQ(FormMain->ToolButtonCopyTo->toolTip(), "CopyTo");
  EXPECT_EQ(FormMain->ToolButtonLoad->toolTip(), "Download ...");
  EXPECT_EQ(FormMain->ListViewLoads->ColumnCaption(6), "Destination path");
  EXPECT_EQ(FormMain->ListViewResources->ColumnCaption(1), "IP");
  EXPECT_EQ(FormEditGroup->GroupBoxEdit->title(), "  Contents ");
  EXPECT_EQ(FormEditGroup->LabelContents->text(), "Group file types (through a comma and/or a space)");
  EXPECT_EQ(FormMore->windowTitle(), "Extended search");
  EXPECT_EQ(FormMore->CheckBoxArchives->text(), "Search in archives");
  EXPECT_EQ(ComboItems(FormMore->ComboBoxOld), (QStringList{"days(s)", "month(s)", "year(s)"}));
  EXPECT_EQ(ComboItems(FormMore->ComboBoxSize), (QStringList{"byte(s)", "kbyte(s)", "Mbyte(s)", "Gbyte(s)"}));
  EXPECT_EQ(EndSearch->LabelMessage->text(), "Stop search?");
  EXPECT_EQ(Research->windowTitle(), "Question");
  EXPECT_EQ(TaskControl("GroupBoxOption"), " Options ");
  EXPECT_EQ(TaskControl("LabelMode"), "Mode:");
  EXPECT_EQ(TaskControl("LabelNameTask"), "Name");
  EXPECT_EQ(TaskControl("LabelSource"), "Source");
  EXPECT_EQ(TaskControl("RadioButtonLoad"), "Download");
  EXPECT_EQ(TaskControl("RadioButtonSync"), "Synchronize");
  EXPECT_EQ(FormMain->ListViewLoads->ColumnCaption(5), "Source path");
}

TEST(LanguageFile, AddsBlanksAndColonsByItsRules) {
  LanguageFolder folder;
  folder.Language("a.lng", "Colons",
                  "[Status]\nFiles=Dateien\nComputers=Rechner (Anzahl:)\n"
                  "[CopyTo]\nFrom=Von:\nTo=\"Nach\"\n"
                  "[Groups]\nContents=Inhalt\n"
                  "[Tasks]\nOptions=Optionen\nMode=Modus:\n");
  folder.Language("b.lng", "Empty", "[Status]\nOk=\nFiles=\n[Messages]\nStop=\n[More]\nDay=\n");
  folder.CreateWindows();
  EnsureTaskEditorControls();

  LoadLanguage(QStringLiteral("Colons"));
  EXPECT_EQ(TextStatusFiles, "Dateien: ");
  EXPECT_EQ(TextStatusComputers, "Rechner (Anzahl:)");
  EXPECT_EQ(TextCopyToFrom, "Von: ");
  EXPECT_EQ(TextCopyToTo, "Nach ");
  EXPECT_EQ(FormEditGroup->GroupBoxEdit->title(), " Inhalt");
  EXPECT_EQ(TaskControl("GroupBoxOption"), " Optionen ");
  EXPECT_EQ(TaskControl("LabelMode"), "Modus::");  // always appended
  EXPECT_EQ(FormMain->ListViewLoads->ColumnCaption(1), "Modus:");  // the column takes the value as read
  EXPECT_EQ(FormMain->StatusBar->PanelText(1), "Dateien: 0");

  // An empty value is an empty text, not the default.
  LoadLanguage(QStringLiteral("Empty"));
  EXPECT_EQ(TextStatusOk, "");
  EXPECT_EQ(TextStatusFiles, ": ");
  EXPECT_EQ(EndSearch->LabelMessage->text(), "");
  EXPECT_EQ(FormMore->ComboBoxOld->itemText(0), "");
}

TEST(LanguageFile, ChoosesByExactDisplayNameWithoutAccelerators) {
  LanguageFolder folder;
  folder.Language("a.lng", "Deutsch", "[Status]\nOk=first\n");
  folder.Language("b.lng", "Deutsch", "[Status]\nOk=second\n");
  folder.Language("c.lng", "R&D", "[Status]\nOk=rd\n");
  folder.Language("d.lng", "English", "[Status]\nOk=not built in\n");
  folder.Language("e.lng", "DEUTSCH", "[Status]\nOk=upper\n");
  folder.CreateWindows();

  LoadLanguage(QStringLiteral("&Deu&&tsch&"));
  EXPECT_EQ(CurrentLanguage, "Deutsch");
  EXPECT_EQ(TextStatusOk, "first");

  LoadLanguage(QStringLiteral("DEUTSCH"));
  EXPECT_EQ(TextStatusOk, "upper");

  // A name with "&" of its own can never be applied.
  LoadLanguage(QStringLiteral("R&D"));
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_EQ(TextStatusOk, "Search finished");

  // "English" is the built-in language, whatever a file says.
  LoadLanguage(QStringLiteral("Deutsch"));
  LoadLanguage(QStringLiteral("&English"));
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_EQ(TextStatusOk, "Search finished");
  EXPECT_TRUE(FormMain->English->isChecked());
}

TEST(LanguageFile, MissingOrUnreadableFilesFallBackToEnglishSilently) {
  LanguageFolder folder;
  QDir(folder.Path()).mkpath(QStringLiteral("lng/Folder.lng"));
  static const char binary[] = "\x00\xff\xfe[Language\x00]\nLanguage=\x01\x02";
  folder.Lng("binary.lng", QByteArray(binary, sizeof binary - 1));
  folder.Language("locked.lng", "Locked", "[Status]\nOk=locked\n");
  QFile::setPermissions(folder.FilePath("lng/locked.lng"), QFileDevice::Permissions());
  const bool lockedReadable = QFile(folder.FilePath("lng/locked.lng")).open(QIODevice::ReadOnly);
  folder.CreateWindows();

  // The folder is listed (as an entry without a name); nothing crashes.
  EXPECT_TRUE(VisibleLanguages().contains(QString()));

  LoadLanguage(QStringLiteral("Klingon"));
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_EQ(TextFileDir, "<dir>");
  EXPECT_EQ(FormMore->windowTitle(), "Extended search");

  if (!lockedReadable) {
    LoadLanguage(QStringLiteral("Locked"));
    EXPECT_EQ(CurrentLanguage, "English");
    EXPECT_EQ(TextStatusOk, "Search finished");
  }
  EXPECT_TRUE(folder.Requests.empty());
  QFile::setPermissions(folder.FilePath("lng/locked.lng"), QFile::ReadOwner | QFile::WriteOwner);
}

// ----------------------------------------------------- switching languages

TEST(LanguageSwitch, BackToEnglishRestoresEveryCaption) {
  LanguageFolder folder;
  folder.Language("x.lng", "Xish",
                  "[MainMenu]\nFindFiles=Suchen\n[More]\nTitle=Mehr\n[Messages]\nStop=Halt?\n"
                  "[Tasks]\nTitle=Aufgabe\n[Buttons]\nApply=Anwenden\n");
  folder.CreateWindows();
  LoadLanguage(QStringLiteral("Xish"));
  ASSERT_EQ(FormMore->windowTitle(), "Mehr");

  LoadLanguage(QStringLiteral("English"));
  EXPECT_EQ(CurrentLanguage, "English");
  for (const TUiTextEntry& e : UiTextTable) EXPECT_EQ(*e.Text, QString::fromLatin1(e.English)) << e.Key;
  EXPECT_EQ(TextDays[0], "Sun");
  EXPECT_EQ(FormMain->FindFiles->text(), "Find files");
  EXPECT_EQ(FormMain->PSortby->title(), "Sort on");
  EXPECT_EQ(FormMore->windowTitle(), "Extended search");
  EXPECT_EQ(ComboItems(FormMore->ComboBoxOld), (QStringList{"day(s)", "month(s)", "year(s)"}));
  EXPECT_EQ(EndSearch->LabelMessage->text(), "Stop search?");
  EXPECT_EQ(FormSettings->ButtonApply->text(), "Apply");
  EXPECT_EQ(FormEditGroup->GroupBoxEdit->title(), " Contents ");
}

TEST(LanguageSwitch, KeepsFolderMarkersAndTaskModesInStep) {
  LanguageFolder folder;
  folder.Language("x.lng", "Xish", "[File]\nDir=<Ordner>\n[Tasks]\nSynchronize=Abgleich\nLoad=Holen\n");
  folder.CreateWindows();
  LoadLanguage(QStringLiteral("English"));

  TListView* results = FormMain->ListViewResult;
  results->AddItem(Row("Docs", {"", "<dir>", "d", "----", "PC1", "\\share\\"}));
  results->AddItem(Row("report", {"txt", "123", "d", "-a--", "PC1", "\\share\\"}));
  TListView* tasks = FormMain->ListViewLoads;
  tasks->AddItem(Row("a", {"Synchronize", "0%", "", "", "\\\\PC1\\s\\", "C:\\d\\"}));
  tasks->AddItem(Row("b", {"Load", "0%", "", "", "\\\\PC1\\s\\f", "C:\\d\\"}));
  tasks->AddItem(Row("c", {"Something", "0%", "", "", "\\\\PC1\\s\\g", "C:\\d\\"}));

  LoadLanguage(QStringLiteral("Xish"));
  EXPECT_EQ(results->SubItem(0, 1), "<Ordner>");
  EXPECT_EQ(results->SubItem(1, 1), "123");
  EXPECT_EQ(tasks->SubItem(0, 0), "Abgleich");
  EXPECT_EQ(tasks->SubItem(1, 0), "Holen");
  EXPECT_EQ(tasks->SubItem(2, 0), "Holen");
  EXPECT_EQ(tasks->SubItem(0, 1), "0%");

  LoadLanguage(QStringLiteral("English"));
  EXPECT_EQ(results->SubItem(0, 1), "<dir>");
  EXPECT_EQ(results->SubItem(1, 1), "123");
  EXPECT_EQ(tasks->SubItem(0, 0), "Synchronize");
  EXPECT_EQ(tasks->SubItem(1, 0), "Load");
  EXPECT_EQ(tasks->SubItem(2, 0), "Load");
}

TEST(LanguageSwitch, StatusPanelsFollowTheLanguage) {
  LanguageFolder folder;
  folder.Language("bare.lng", "Bare");
  folder.Language("x.lng", "Xish", "[Status]\nOk=Fertig\nFiles=Dateien\nComputers=Rechner\n");
  folder.CreateWindows();
  LoadLanguage(QStringLiteral("English"));
  FoundCount = 12;
  ComputerCount = 3;

  // Paused: English "Search paused " becomes the file default without the blank.
  FormMain->StatusBar->SetPanelText(0, " Search paused ");
  LoadLanguage(QStringLiteral("Bare"));
  EXPECT_EQ(FormMain->StatusBar->PanelText(0), " Search paused");
  EXPECT_EQ(FormMain->StatusBar->PanelText(1), "Files: 12");
  EXPECT_EQ(FormMain->StatusBar->PanelText(2), "Computer(s): 3");

  // Finished.
  FormMain->StatusBar->SetPanelText(0, " Search finished");
  LoadLanguage(QStringLiteral("Xish"));
  EXPECT_EQ(FormMain->StatusBar->PanelText(0), " Fertig");
  EXPECT_EQ(FormMain->StatusBar->PanelText(1), "Dateien: 12");
  EXPECT_EQ(FormMain->StatusBar->PanelText(2), "Rechner: 3");

  // Anything else (the folder a running search lists) stays.
  FormMain->StatusBar->SetPanelText(0, " \\\\PC1\\share\\");
  LoadLanguage(QStringLiteral("Bare"));
  EXPECT_EQ(FormMain->StatusBar->PanelText(0), " \\\\PC1\\share\\");
}

TEST(LanguageSwitch, SizesTheQuestionBoxesAndKeepsTheUnitChoices) {
  LanguageFolder folder;
  folder.Language("long.lng", "Long",
                  "[Messages]\nStop=Do you really want to stop the search that is running right now?\n");
  folder.Language("short.lng", "Short", "[Messages]\nStop=Stop?\n[More]\nAnd=and also\n");
  folder.CreateWindows();

  FormMore->ComboBoxSize->setCurrentIndex(2);
  FormMore->ComboBoxOld->setCurrentIndex(-1);
  LoadLanguage(QStringLiteral("Long"));
  EXPECT_EQ(FormMore->ComboBoxSize->currentIndex(), 2);
  EXPECT_EQ(FormMore->ComboBoxOld->currentIndex(), 0);

  QLabel* label = EndSearch->LabelMessage;
  const int width = EndSearch->width();
  EXPECT_EQ(width, label->width() + 40);
  EXPECT_GT(width, 2 * EndSearch->ButtonOk->width() + 40);
  EXPECT_EQ(label->x(), (width - label->width()) / 2);
  EXPECT_EQ(EndSearch->ButtonOk->x(), width / 2 - EndSearch->ButtonOk->width() - 5);
  EXPECT_EQ(EndSearch->ButtonCancel->x(), width / 2 + 5);

  LoadLanguage(QStringLiteral("Short"));
  EXPECT_EQ(EndSearch->width(), 2 * EndSearch->ButtonOk->width() + 40);

  // "and" stays centred between the two date fields at its new width.
  QLabel* andLabel = FormMore->LabelAnd;
  const int downRight = FormMore->MaskEditDown->x() + FormMore->MaskEditDown->width();
  const int gap = FormMore->MaskEditUp->x() - downRight;
  EXPECT_GE(andLabel->width(), andLabel->sizeHint().width());
  EXPECT_EQ(andLabel->x(), downRight + gap / 2 - andLabel->width() / 2);
}

// ---------------------------------------------- start-up and the settings file

TEST(LanguageStartup, AppliesTheStoredLanguageAndSavesTheCurrentOne) {
  LanguageFolder folder(QByteArray("[General]\nLanguage=Xish\n"));
  folder.Language("x.lng", "Xish", "[Status]\nOk=Fertig\n");
  folder.CreateWindows();
  folder.ShowMain();
  EXPECT_EQ(CurrentLanguage, "Xish");
  EXPECT_EQ(TextStatusOk, "Fertig");
  EXPECT_TRUE(FormMain->L1->isChecked());

  SaveSettings();
  EXPECT_EQ(TIniFile(WinPath::FromLocal(folder.FilePath("settings.ini"))).ReadString("General", "Language", ""), "Xish");
}

TEST(LanguageStartup, AStoredLanguageThatIsGoneBecomesEnglish) {
  LanguageFolder folder(QByteArray("[General]\nLanguage=Gone\n"));
  folder.CreateWindows();
  folder.ShowMain();
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_TRUE(FormMain->English->isChecked());
  SaveSettings();
  EXPECT_TRUE(folder.ReadFile("settings.ini").contains("Language=English"));
}

// ------------------------------------------------ the shipped German file

TEST(GermanLanguageFile, IsCompleteAndShowsItsUmlauts) {
  const QByteArray source = qgetenv("TRAWLIX_SOURCE_DIR");
  if (source.isEmpty()) GTEST_SKIP() << "TRAWLIX_SOURCE_DIR not set";
  LanguageFolder folder;
  QFile german(QString::fromLocal8Bit(source) + "/lng/German.lng");
  ASSERT_TRUE(german.open(QIODevice::ReadOnly));
  folder.Lng("German.lng", german.readAll());

  // Every key of the 18 sections is present.
  const std::pair<const char*, QStringList> sections[] = {
      {"Language", {"Language", "NoSettings", "Help"}},
      {"File", {"Dir"}},
      {"Groups", {"Edit", "Contents", "Types", "Name", "New", "Delete", "NoName", "BadName", "Exists"}},
      {"Status", {"Computers", "Ok", "Files"}},
      {"Messages", {"Search", "Retry", "GetDir", "Scan", "Close", "EndLoad", "MkDir", "Info", "Stop"}},
      {"Search", {"Pause"}},
      {"Errors", {"Enter", "Error", "NoLng", "NoDir", "NoFile", "OpenFile", "FileExists", "ReadFile", "CreateFile",
                  "NoSpace", "WriteFile", "TaskName", "TastExists", "MkDir"}},
      {"MainHeader", {"Name", "Type", "Size", "Date", "Attr", "Comp", "Path"}},
      {"CopyTo", {"Copy", "From", "To", "Speed", "Kbs", "TimeLeft", "Minute", "Second", "Source", "Destination",
                  "Replace", "ReplaceAll", "Skip", "SkipAll", "Append", "Load", "Query", "Size"}},
      {"Buttons", {"Cancel", "Pause", "Continue", "Ok", "Apply"}},
      {"Months", {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
                  "November", "December"}},
      {"Tasks", {"Synchronize", "Load", "Start", "Edit", "Delete", "Name", "Mode", "Complete", "Speed", "TimeLeft",
                 "Source", "Destination", "Title", "Options"}},
      {"MainMenu", {"File", "Find", "Open", "Exit", "Edit", "Copy", "FindFiles", "Select", "Invert", "CopyTo", "Task",
                    "Load", "Search", "Scan", "More", "Start", "Pause", "Continue", "Stop", "View", "Result",
                    "Tasks", "Computers", "Icons", "Table", "List", "Sort", "Name", "Type", "Size", "Date",
                    "Computer", "Path", "Language", "Help", "HelpTrawlix", "Site", "Support", "Forum", "About"}},
      {"PopupMenu", {"Find", "Open", "View", "Icon", "Table", "List", "Sort", "Name", "Type", "Size", "Date",
                     "Computer", "Path", "Copy", "SelectAll", "CopyTo", "Task", "Load"}},
      {"Find", {"Invert", "Mask", "Group", "Where", "SelectAll", "More", "Search", "Question"}},
      {"NetResources", {"Name", "Ip", "System", "Time", "Date", "Services"}},
      {"ToolBar", {"Copy", "CopyTo", "Task", "Load", "Scan", "More", "Find", "Pause", "Continue", "Stop", "Result",
                   "Tasks", "Comp", "Help"}},
      {"More", {"Title", "Parameters", "DateBetween", "And", "Old", "Size", "Attr", "ReadOnly", "Hidden", "System",
                "Archive", "Dir", "InArchive", "Day", "Month", "Year", "Byte", "kByte", "MByte", "GByte"}},
  };
  const TIniFile ini(WinPath::FromLocal(folder.FilePath("lng/German.lng")));
  int keys = 0;
  for (const auto& [section, names] : sections) {
    for (const QString& key : names) {
      EXPECT_FALSE(ini.ReadString(section, key, QString()).isEmpty()) << section << "/" << key.toStdString();
      ++keys;
    }
  }
  EXPECT_EQ(keys, 202);
  EXPECT_EQ(ini.ReadSections().size(), 18);

  folder.CreateWindows();
  EXPECT_EQ(FormMain->L1->text(), "Deutsch");
  LoadLanguage(QStringLiteral("Deutsch"));
  EXPECT_EQ(TextMainHeaderSize, QString::fromUtf8("Größe"));
  EXPECT_EQ(TextMonths[2], QString::fromUtf8("Mär"));
  EXPECT_EQ(FormMain->Exit->text(), "Beenden");
  EXPECT_EQ(TextStatusFiles, "Dateien: ");
  EXPECT_EQ(TextCopyToFrom, "Von: ");
  EXPECT_EQ(TextGroupsExists, "Diese Gruppe gibt es bereits");
  EXPECT_EQ(TextGroupsBadName, "Ein Gruppenname darf kein \"=\" enthalten und nicht mit \"[\" oder \";\" beginnen");
}
