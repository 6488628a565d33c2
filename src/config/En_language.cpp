#include "config/En_language.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "app/Main.h"
#include "network/Scanlan_thread.h"
#include "platform/ui/ListView.h"
#include "search/Searchpattern_thread.h"

QString CurrentLanguage;

// Only these two hold a value from program load: the start-up reports a
// missing settings file before any language is applied.
QString TextFileDir;
QString TextGroupsEdit;
QString TextStatusComputers;
QString TextStatusOk;
QString TextMessagesSearch;
QString TextSearchPause;
QString TextStatusFiles;
QString TextErrorsEnter;
QString TextMessagesRetry;
QString TextMainHeaderName;
QString TextMainHeaderType;
QString TextMainHeaderSize;
QString TextMainHeaderDate;
QString TextMainHeaderAttr;
QString TextMainHeaderComp;
QString TextMainHeaderPath;
QString TextErrorsNoLng;
QString TextErrorsNoDir;
QString TextMessagesGetDir;
QString TextCopyToCopy;
QString TextCopyToFrom;
QString TextCopyToTo;
QString TextCopyToSpeed;
QString TextCopyToTimeLeft;
QString TextCopyToMinute;
QString TextCopyToSecond;
QString TextCopyToKbs;
QString TextButtonsPause;
QString TextButtonsCancel;
QString TextButtonsContinue;
QString TextErrorsOpenFile;
QString TextErrorsFileExists;
QString TextErrorsReadFile;
QString TextErrorsCreateFile;
QString TextErrorsNoSpace;
QString TextErrorsWriteFile;
QString TextButtonsOk;
QString TextCopyToSource;
QString TextCopyToDestination;
QString TextCopyToReplace;
QString TextCopyToReplaceAll;
QString TextCopyToSkip;
QString TextCopyToSkipAll;
QString TextCopyToAppend;
QString TextCopyToLoad;
QString TextCopyToQuery;
QString TextErrorsNoFile;
QString TextMessagesScan;
QString TextMessagesClose;
QString TextLanguageHelp;
QString TextMessagesEndLoad;
QString TextErrorsTaskName;
QString TextErrorsTastExists;
QString TextErrorsMkDir;
QString TextMessagesMkDir;
QString TextTasksSynchronize;
QString TextTasksLoad;
QString TextCopyToSize;
QString TextMessagesInfo;
QString TextErrorsError = QStringLiteral("Error");
QString TextLanguageNoSettings = QStringLiteral("Settings file not found");
QString TextGroupsNoName;
QString TextGroupsBadName;
QString TextGroupsExists;

const std::array<TUiTextEntry, 64> UiTextTable = {{
    {&TextFileDir, "File", "Dir", "<dir>", "<dir>"},
    {&TextGroupsEdit, "Groups", "Edit", "Edit groups ...", "Edit groups ..."},
    {&TextStatusComputers, "Status", "Computers", "Computer(s): ", "Computer(s): "},
    {&TextStatusOk, "Status", "Ok", "Search finished", "Search finished"},
    {&TextMessagesSearch, "Messages", "Search", "Search is on. Restart search?", "Search is on. Restart search?"},
    {&TextSearchPause, "Search", "Pause", "Search paused ", "Search paused"},
    {&TextStatusFiles, "Status", "Files", "File(s): ", "Files: "},
    {&TextErrorsEnter, "Errors", "Enter", "Input error", "Input error"},
    {&TextMessagesRetry, "Messages", "Retry", "Repeat, please", "Repeat, please"},
    {&TextMainHeaderName, "MainHeader", "Name", "Name", "Name"},
    {&TextMainHeaderType, "MainHeader", "Type", "Type", "Type"},
    {&TextMainHeaderSize, "MainHeader", "Size", "Size", "Size"},
    {&TextMainHeaderDate, "MainHeader", "Date", "Date", "Date"},
    {&TextMainHeaderAttr, "MainHeader", "Attr", "Attributes", "Attributes"},
    {&TextMainHeaderComp, "MainHeader", "Comp", "Computer", "Computer"},
    {&TextMainHeaderPath, "MainHeader", "Path", "Path", "Path"},
    {&TextErrorsNoLng, "Errors", "NoLng", "Language file not found", "Language file not found"},
    {&TextErrorsNoDir, "Errors", "NoDir", "Invalid directory name", "Invalid directory name"},
    {&TextMessagesGetDir, "Messages", "GetDir", "Choose directory to copy to", "Choose directory to copy to"},
    {&TextCopyToCopy, "CopyTo", "Copy", "Copy", "Copy"},
    {&TextCopyToFrom, "CopyTo", "From", "From: ", "From:"},
    {&TextCopyToTo, "CopyTo", "To", "To: ", "To:"},
    {&TextCopyToSpeed, "CopyTo", "Speed", "Speed", "Speed"},
    {&TextCopyToTimeLeft, "CopyTo", "TimeLeft", "Time left", "Time left"},
    {&TextCopyToMinute, "CopyTo", "Minute", "m", "m"},
    {&TextCopyToSecond, "CopyTo", "Second", "s", "s"},
    {&TextCopyToKbs, "CopyTo", "Kbs", "kbytes/s", "Kbytes/s"},
    {&TextButtonsPause, "Buttons", "Pause", "Pause", "Pause"},
    {&TextButtonsCancel, "Buttons", "Cancel", "Cancel", "Cancel"},
    {&TextButtonsContinue, "Buttons", "Continue", "Continue", "Continue"},
    {&TextErrorsOpenFile, "Errors", "OpenFile", "Fail to open file", "Fail to open file"},
    {&TextErrorsFileExists, "Errors", "FileExists", "File already exists", "File already exists"},
    {&TextErrorsReadFile, "Errors", "ReadFile", "Cannot read file", "Cannot read file"},
    {&TextErrorsCreateFile, "Errors", "CreateFile", "Cannot create file", "Cannot create file"},
    {&TextErrorsNoSpace, "Errors", "NoSpace", "Not enough free space on target drive.", "Not enough free space on target drive"},
    {&TextErrorsWriteFile, "Errors", "WriteFile", "Fail to record into file", "Fail to record into file"},
    {&TextButtonsOk, "Buttons", "Ok", "Ok", "Ok"},
    {&TextCopyToSource, "CopyTo", "Source", "Source", "Source"},
    {&TextCopyToDestination, "CopyTo", "Destination", "Destination", "Destination"},
    {&TextCopyToReplace, "CopyTo", "Replace", "Replace", "Replace"},
    {&TextCopyToReplaceAll, "CopyTo", "ReplaceAll", "Replace all", "Replace All"},
    {&TextCopyToSkip, "CopyTo", "Skip", "Skip", "Skip"},
    {&TextCopyToSkipAll, "CopyTo", "SkipAll", "Skip all", "Skip All"},
    {&TextCopyToAppend, "CopyTo", "Append", "Append", "Append"},
    {&TextCopyToLoad, "CopyTo", "Load", "Download", "Download"},
    {&TextCopyToQuery, "CopyTo", "Query", "Input full path to the file", "Input full path to the file"},
    {&TextErrorsNoFile, "Errors", "NoFile", "File not found", "File not found"},
    {&TextMessagesScan, "Messages", "Scan", "Detect computers in the net (ESC - cancel)", "Detect computers in the net (ESC - cancel)"},
    {&TextMessagesClose, "Messages", "Close", "One or more operations is active in background. Terminate anyway?", "One or more operations is active in background. Terminate anyway?"},
    {&TextLanguageHelp, "Language", "Help", "en", "en"},
    {&TextMessagesEndLoad, "Messages", "EndLoad", "The full file is received not. To not delete it?", "The full file is received not. To not delete it?"},
    {&TextErrorsTaskName, "Errors", "TaskName", "Invalid task name", "Invalid task name"},
    {&TextErrorsTastExists, "Errors", "TastExists", "Task name already exists", "Task name already exists"},
    {&TextErrorsMkDir, "Errors", "MkDir", "Cannot create directory", "Cannot create directory"},
    {&TextMessagesMkDir, "Messages", "MkDir", "directory not exist. Create directory?", "directory not exist. Create directory?"},
    {&TextTasksSynchronize, "Tasks", "Synchronize", "Synchronize", "Synchronize"},
    {&TextTasksLoad, "Tasks", "Load", "Load", "Download"},
    {&TextCopyToSize, "CopyTo", "Size", "Size computation on", "Size computation on"},
    {&TextMessagesInfo, "Messages", "Info", "Get information from the net (ESC - cancel)", "Get information from the net (ESC - cancel)"},
    {&TextErrorsError, "Errors", "Error", "Error", "Error"},
    {&TextLanguageNoSettings, "Language", "NoSettings", "Settings file not found", "Settings file not found"},
    {&TextGroupsNoName, "Groups", "NoName", "Enter a group name", "Enter a group name"},
    {&TextGroupsBadName, "Groups", "BadName", "A group name may not hold \"=\" nor begin with \"[\" or \";\"",
     "A group name may not hold \"=\" nor begin with \"[\" or \";\""},
    {&TextGroupsExists, "Groups", "Exists", "Group name already exists", "Group name already exists"},
}};

std::array<QString, 7> TextDays;
std::array<QString, 12> TextMonths;

namespace {

// The maker's web-site address shown in the Help menu.
const QString SiteAddress = QStringLiteral("trawlix.example.org");

void SetCaptions(TListView* list, std::initializer_list<const char*> captions) {
  int column = 0;
  for (const char* c : captions) {
    if (column < list->ColumnCount()) list->SetColumnCaption(column, QString::fromLatin1(c));
    ++column;
  }
}

void SetText(QAction* a, const char* text) { a->setText(QString::fromLatin1(text)); }
void SetText(QMenu* m, const char* text) { m->setTitle(QString::fromLatin1(text)); }

}  // namespace

void SetEnglishLanguage() {
  TFormMain* f = FormMain;
  if (!f) return;

  // 1. The language menu shows English.
  f->English->setChecked(true);

  // 2. Note whether panel 0 shows the paused or the finished text of the old language.
  enum { Neither, Paused, Finished } status = Neither;
  const QString panel0 = f->StatusBar->PanelText(0);
  if (panel0 == QStringLiteral(" ") + TextSearchPause)
    status = Paused;
  else if (panel0 == QStringLiteral(" ") + TextStatusOk)
    status = Finished;

  // 3. Folder rows carry the marker text itself; keep them recognisable.
  const QString oldDir = TextFileDir;
  TextFileDir = QStringLiteral("<dir>");
  if (oldDir != TextFileDir) {
    TListView* r = f->ListViewResult;
    r->BeginUpdate();
    for (int i = 0; i < r->Count(); ++i)
      if (r->SubItem(i, 1) == oldDir) r->SetSubItem(i, 1, TextFileDir);
    r->EndUpdate();
  }

  // 4. The table.
  CurrentLanguage = QStringLiteral("English");
  for (const TUiTextEntry& e : UiTextTable) {
    if (e.Text == &TextFileDir || e.Text == &TextTasksSynchronize || e.Text == &TextTasksLoad) continue;
    *e.Text = QString::fromLatin1(e.English);
  }
  TextDays = {QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"),
              QStringLiteral("Thu"), QStringLiteral("Fri"), QStringLiteral("Sat")};
  TextMonths = {QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"), QStringLiteral("Apr"),
                QStringLiteral("May"), QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
                QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};

  // 5. Task rows carry the mode text itself; rewrite it in the new language.
  const QString oldSync = TextTasksSynchronize;
  TextTasksSynchronize = QStringLiteral("Synchronize");
  TextTasksLoad = QStringLiteral("Load");
  {
    TListView* t = f->ListViewLoads;
    t->BeginUpdate();
    for (int i = 0; i < t->Count(); ++i)
      t->SetSubItem(i, 0, t->SubItem(i, 0) == oldSync ? TextTasksSynchronize : TextTasksLoad);
    t->EndUpdate();
  }

  // 6. Main menu, search panel and column captions.
  SetText(f->File, "File");
  SetText(f->Find, "Find");
  SetText(f->Open, "Open");
  SetText(f->Copy, "Copy");
  SetText(f->CopyTo, "Copy to ...");
  SetText(f->NewTask, "New task");
  SetText(f->Load, "Download ...");
  SetText(f->Exit, "Exit");
  SetText(f->Edit, "Edit");
  SetText(f->FindFiles, "Find files");
  SetText(f->SelectAll, "Select all");
  SetText(f->Invert, "Invert selection");
  SetText(f->Search, "Search");
  SetText(f->ScanM, "Detect computers");
  SetText(f->More, "Parameters");
  SetText(f->Start, "Start");
  SetText(f->Pause, "Pause");
  SetText(f->Continue, "Continue");
  SetText(f->End, "Stop");
  SetText(f->View, "View");
  SetText(f->ResultView, "Search results");
  SetText(f->TaskView, "Task sheet");
  SetText(f->CompView, "Net computers");
  SetText(f->Icons, "Icons");
  SetText(f->Table, "Table");
  SetText(f->List, "List");
  SetText(f->SortBy, "Sort on");
  SetText(f->Name, "name");
  SetText(f->Type, "type");
  SetText(f->Size, "size");
  SetText(f->Date, "date");
  SetText(f->Computer, "computer");
  SetText(f->Path, "path");
  SetText(f->Languages, "Language");
  SetText(f->Help, "Help");
  SetText(f->TrawlixHelp, "Trawlix Help");
  f->SiteProgram->setText(QStringLiteral("Site (") + SiteAddress + QStringLiteral(") ..."));
  SetText(f->Support, "Support (internet) ...");
  SetText(f->Forum, "Forum (internet) ...");
  SetText(f->About, "About");

  f->LabelPattern->setText(QStringLiteral("Search mask"));
  f->CheckBoxGroup->setText(QStringLiteral("Search group"));
  f->LabelWhereFind->setText(QStringLiteral("Search in"));
  f->CheckBoxSelectAll->setText(QStringLiteral("Select all"));
  f->CheckBoxInvers->setText(QStringLiteral("Invert selection"));
  f->ButtonMore->setText(QStringLiteral("Parameters"));
  f->ButtonFind->setText(QStringLiteral("Search"));

  SetCaptions(f->ListViewResult, {"Name", "Type", "Size", "Date", "Attributes", "Computer", "Path"});
  SetCaptions(f->ListViewLoads,
              {"Name", "Mode", "Complete", "Speed", "Time left", "Source path", "Destination path"});
  SetCaptions(f->ListViewResources, {"Name", "IP", "System", "Time", "Date", "Services"});

  // 7. The counters.
  f->StatusBar->SetPanelText(1, TextStatusFiles + QString::number(FoundCount));
  f->StatusBar->SetPanelText(2, TextStatusComputers + QString::number(ComputerCount));

  // 8. Computers tree pop-up, tool-bar hints, result and task pop-ups.
  SetText(f->FindComp, "Find");
  SetText(f->OpenComp, "Open");
  SetText(f->CopyCompRes, "Copy");
  SetText(f->CopyToCompRes, "Copy to ...");
  SetText(f->NewTaskCompRes, "New Task");
  SetText(f->SelectAllComp, "Select All");
  SetText(f->InvertComp, "Invert selection");

  const char* hints[14] = {"Copy",           "Copy to...", "New task",    "Download ...", "Detect computers",
                           "Parameters",     "Search",     "Pause",       "Continue",     "Stop",
                           "Search results", "Task sheet", "Net computers", "Trawlix Help"};
  const auto buttons = f->ToolButtons();
  for (int i = 0; i < 14; ++i) buttons[i]->setToolTip(QString::fromLatin1(hints[i]));

  SetText(f->PFind, "Find");
  SetText(f->POpen, "Open");
  SetText(f->PView, "View");
  SetText(f->PIcons, "Icons");
  SetText(f->PTable, "Table");
  SetText(f->PList, "List");
  SetText(f->PSortby, "Sort on");
  SetText(f->PName, "name");
  SetText(f->PType, "type");
  SetText(f->PSize, "size");
  SetText(f->PDate, "date");
  SetText(f->PComputer, "computer");
  SetText(f->PPath, "path");
  SetText(f->PCopy, "Copy");
  SetText(f->PCopyto, "Copy to ...");
  SetText(f->PNewTask, "New task");
  SetText(f->PSelectall, "Select all");
  SetText(f->PLoad, "Download ...");
  SetText(f->PTaskStart, "Start");
  SetText(f->PTaskEdit, "Edit");
  SetText(f->PTaskDelete, "Delete");

  // 9. Panel 0 follows the language only while it shows the paused or finished text.
  if (status == Paused)
    f->StatusBar->SetPanelText(0, QStringLiteral(" ") + TextSearchPause);
  else if (status == Finished)
    f->StatusBar->SetPanelText(0, QStringLiteral(" ") + TextStatusOk);
}
