#include "config/Languages.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <initializer_list>

#include "app/Endsearchform.h"
#include "app/Form_settings.h"
#include "app/Main.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "network/Scanlan_thread.h"
#include "platform/fs/FileAttr.h"
#include "platform/fs/FindFile.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "platform/fs/WinPath.h"
#include "search/Editgroups.h"
#include "search/More.h"
#include "search/Search_state.h"
#include "transfer/Form_edittask.h"

namespace {

const QString BuiltInLanguage = QStringLiteral("English");

QString LanguageFolder() { return WinPath::IncludeTrailingBackslash(ProgramDir) + QStringLiteral("lng\\"); }

// The full paths of lng\*.lng in the order the directory listing gives them,
// whatever their attributes.
QStringList LanguageFiles() {
  QStringList files;
  const QString folder = LanguageFolder();
  TSearchRec rec;
  if (FileSystem::FindFirst(folder + QStringLiteral("*.lng"), faAnyFile, rec) == 0) {
    do files.append(folder + rec.Name);
    while (FileSystem::FindNext(rec) == 0);
    FileSystem::FindClose(rec);
  }
  return files;
}

// The display name a language file declares; empty when it declares none or
// cannot be read.
QString DisplayName(const QString& path) {
  const TIniFile ini(path);
  return ini.ReadString(QStringLiteral("Language"), QStringLiteral("Language"), QString());
}

// One open language file. Every read takes the default of its target when the
// key (or its section, or the whole file) is missing.
class TLanguageFile {
 public:
  // The file is read once: a switch reads hundreds of texts from it.
  explicit TLanguageFile(const QString& path) : FIni(path), FReadOnce(FIni) {}
  QString Read(const char* section, const char* key, const QString& def) const {
    return FIni.ReadString(QLatin1String(section), QLatin1String(key), def);
  }
  QString Read(const char* section, const char* key, const char* def) const {
    return Read(section, key, QString::fromLatin1(def));
  }

 private:
  TIniFile FIni;
  TIniBatch FReadOnce;
};

// The UI text entry of a text, for its key and its file default.
const TUiTextEntry* EntryOf(const QString* text) {
  for (const TUiTextEntry& e : UiTextTable)
    if (e.Text == text) return &e;
  return nullptr;
}

QString ReadText(const TLanguageFile& file, const QString* text) {
  const TUiTextEntry* e = EntryOf(text);
  return e ? file.Read(e->Section, e->Key, e->FileDefault) : QString();
}

// A status-bar prefix needs a colon before its number.
QString WithColon(const QString& value) {
  return value.contains(u':') ? value : value + QStringLiteral(": ");
}

// A caption of any kind of control or menu item.
void SetCaption(QObject* target, const QString& text) {
  if (auto* menu = qobject_cast<QMenu*>(target))
    menu->setTitle(text);
  else if (auto* action = qobject_cast<QAction*>(target))
    action->setText(text);
  else if (auto* button = qobject_cast<QAbstractButton*>(target))
    button->setText(text);
  else if (auto* label = qobject_cast<QLabel*>(target))
    label->setText(text);
  else if (auto* box = qobject_cast<QGroupBox*>(target))
    box->setTitle(text);
}

// The control of a window by its name; null when the window or the control
// does not exist.
template <class T = QObject>
T* Control(QWidget* window, const char* name) {
  return window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
}

void SetControl(QWidget* window, const char* name, const QString& text) {
  if (QObject* c = Control(window, name)) SetCaption(c, text);
}

void SetWindowCaption(QWidget* window, const QString& text) {
  if (window) window->setWindowTitle(text);
}

// One caption read from the file: key, target and the target's default.
struct TCaptionKey {
  const char* Key;
  QObject* Target;
  const char* Default;
};

void ApplyCaptions(const TLanguageFile& file, const char* section, std::initializer_list<TCaptionKey> keys) {
  for (const TCaptionKey& k : keys)
    if (k.Target) SetCaption(k.Target, file.Read(section, k.Key, k.Default));
}

void ApplyColumns(const TLanguageFile& file, const char* section, TListView* list,
                  std::initializer_list<std::pair<const char*, const char*>> keys) {
  int column = 0;
  for (const auto& [key, def] : keys) {
    const QString caption = file.Read(section, key, def);
    if (list && column < list->ColumnCount()) list->SetColumnCaption(column, caption);
    ++column;
  }
}

// Refills a unit list keeping the chosen position; nothing chosen gives the first.
void RefillUnits(QComboBox* combo, const QStringList& items) {
  if (!combo) return;
  int index = combo->currentIndex();
  combo->clear();
  combo->addItems(items);
  if (index < 0 || index >= combo->count()) index = 0;
  combo->setCurrentIndex(index);
}

// ------------------------------------------------------------ built-in English

void ApplyBuiltInEnglish() {
  SetEnglishLanguage();
  SetEnglishEditGroup();
  SetEnglishMore();
  SetEnglishResearch();
  SetEnglishEndSearch();
  SetEnglishSettings();
  SetEnglishEditTask();
  LoadGroups();
}

// ------------------------------------------------------- applying a language file

enum class TPanelState { Neither, Paused, Finished };

TPanelState NotePanelState(TFormMain* f) {
  if (!f) return TPanelState::Neither;
  const QString panel0 = f->StatusBar->PanelText(0);
  if (panel0 == u' ' + TextSearchPause) return TPanelState::Paused;
  if (panel0 == u' ' + TextStatusOk) return TPanelState::Finished;
  return TPanelState::Neither;
}

// Folder rows carry the marker itself; they must stay recognisable.
void ReadFolderMarker(const TLanguageFile& file, TFormMain* f) {
  const QString oldDir = TextFileDir;
  TextFileDir = ReadText(file, &TextFileDir);
  if (!f || oldDir == TextFileDir) return;
  TListView* r = f->ListViewResult;
  r->BeginUpdate();
  for (int i = 0; i < r->Count(); ++i)
    if (r->SubItem(i, 1) == oldDir) r->SetSubItem(i, 1, TextFileDir);
  r->EndUpdate();
}

void ReadTextTable(const TLanguageFile& file) {
  QString* const order[] = {
      &TextGroupsEdit,       &TextStatusComputers,   &TextStatusOk,        &TextMessagesSearch,
      &TextSearchPause,      &TextStatusFiles,       &TextErrorsEnter,     &TextMessagesRetry,
      &TextErrorsError,      &TextLanguageNoSettings, &TextMainHeaderName, &TextMainHeaderType,
      &TextMainHeaderSize,   &TextMainHeaderDate,    &TextMainHeaderAttr,  &TextMainHeaderComp,
      &TextMainHeaderPath,   &TextErrorsNoLng,       &TextMessagesGetDir,  &TextErrorsNoDir,
      &TextErrorsNoFile,     &TextCopyToCopy,        &TextCopyToFrom,      &TextCopyToTo,
      &TextCopyToSpeed,      &TextCopyToKbs,         &TextCopyToTimeLeft,  &TextCopyToMinute,
      &TextCopyToSecond,     &TextButtonsCancel,     &TextButtonsPause,    &TextButtonsContinue,
      &TextErrorsOpenFile,   &TextErrorsFileExists,  &TextErrorsReadFile,  &TextErrorsCreateFile,
      &TextErrorsNoSpace,    &TextErrorsWriteFile,   &TextButtonsOk,       &TextCopyToSource,
      &TextCopyToDestination, &TextCopyToReplace,    &TextCopyToReplaceAll, &TextCopyToSkip,
      &TextCopyToSkipAll,    &TextCopyToAppend,      &TextCopyToLoad,      &TextCopyToQuery,
      &TextMessagesScan,     &TextMessagesClose,     &TextLanguageHelp,    &TextMessagesEndLoad,
      &TextErrorsTaskName,   &TextErrorsTastExists,  &TextErrorsMkDir,     &TextMessagesMkDir,
      &TextCopyToSize,       &TextMessagesInfo,      &TextGroupsNoName,    &TextGroupsBadName,
      &TextGroupsExists,
  };
  for (QString* text : order) {
    QString value = ReadText(file, text);
    // The status prefixes need a colon, the copy window's prefixes a blank
    // before what follows them (the INI reader drops trailing blanks).
    if (text == &TextStatusComputers || text == &TextStatusFiles)
      value = WithColon(value);
    else if (text == &TextCopyToFrom || text == &TextCopyToTo)
      value += u' ';
    *text = value;
  }
  static const char* const months[12][2] = {
      {"January", "Jan"}, {"February", "Feb"}, {"March", "Mar"},     {"April", "Apr"},
      {"May", "May"},     {"June", "Jun"},     {"July", "Jul"},      {"August", "Aug"},
      {"September", "Sep"}, {"October", "Oct"}, {"November", "Nov"}, {"December", "Dec"}};
  for (int i = 0; i < 12; ++i) TextMonths[i] = file.Read("Months", months[i][0], months[i][1]);
}

// Task rows carry the mode text itself; rewrite it in the new language.
void ReadTaskModes(const TLanguageFile& file, TFormMain* f) {
  const QString oldSync = TextTasksSynchronize;
  TextTasksSynchronize = ReadText(file, &TextTasksSynchronize);
  TextTasksLoad = ReadText(file, &TextTasksLoad);
  if (!f) return;
  TListView* t = f->ListViewLoads;
  t->BeginUpdate();
  for (int i = 0; i < t->Count(); ++i)
    t->SetSubItem(i, 0, t->SubItem(i, 0) == oldSync ? TextTasksSynchronize : TextTasksLoad);
  t->EndUpdate();
}

void ApplyMainWindow(const TLanguageFile& file, TFormMain* f) {
  ApplyCaptions(file, "MainMenu",
                {{"File", f->File, "File"},
                 {"Find", f->Find, "Find"},
                 {"Open", f->Open, "Open"},
                 {"Exit", f->Exit, "Exit"},
                 {"Edit", f->Edit, "Edit"},
                 {"Copy", f->Copy, "Copy"},
                 {"FindFiles", f->FindFiles, "Search Files"},
                 {"Select", f->SelectAll, "Select all"},
                 {"Invert", f->Invert, "Invert selection"},
                 {"CopyTo", f->CopyTo, "Copy to ..."},
                 {"Task", f->NewTask, "New task"},
                 {"Load", f->Load, "Download ..."},
                 {"Search", f->Search, "Search"},
                 {"Scan", f->ScanM, "Detect computers"},
                 {"More", f->More, "Parameters"},
                 {"Start", f->Start, "Start"},
                 {"Pause", f->Pause, "Pause"},
                 {"Continue", f->Continue, "Continue"},
                 {"Stop", f->End, "Stop"},
                 {"View", f->View, "View"},
                 {"Result", f->ResultView, "Search results"},
                 {"Tasks", f->TaskView, "Task sheet"},
                 {"Computers", f->CompView, "Net computers"},
                 {"Icons", f->Icons, "Icons"},
                 {"Table", f->Table, "Table"},
                 {"List", f->List, "List"},
                 {"Sort", f->SortBy, "Sort on"},
                 {"Name", f->Name, "Name"},
                 {"Type", f->Type, "Type"},
                 {"Size", f->Size, "Size"},
                 {"Date", f->Date, "Date"},
                 {"Computer", f->Computer, "Computer"},
                 {"Path", f->Path, "Path"},
                 {"Language", f->Languages, "Language"},
                 {"Help", f->Help, "Help"},
                 {"HelpTrawlix", f->TrawlixHelp, "Trawlix Help"},
                 {"Site", f->SiteProgram, "Site"},
                 {"Support", f->Support, "Support"},
                 {"Forum", f->Forum, "Forum"},
                 {"About", f->About, "About"}});

  ApplyCaptions(file, "PopupMenu",
                {{"Find", f->PFind, "Find"},
                 {"Open", f->POpen, "Open"},
                 {"View", f->PView, "View"},
                 {"Icon", f->PIcons, "Icons"},
                 {"Table", f->PTable, "Table"},
                 {"List", f->PList, "List"},
                 {"Sort", f->PSortby, "Sort"},
                 {"Name", f->PName, "Name"},
                 {"Type", f->PType, "Type"},
                 {"Size", f->PSize, "Size"},
                 {"Date", f->PDate, "Date"},
                 {"Computer", f->PComputer, "Computer"},
                 {"Path", f->PPath, "Path"},
                 {"Copy", f->PCopy, "Copy"},
                 {"SelectAll", f->PSelectall, "Select all"},
                 {"CopyTo", f->PCopyto, "Copy to ..."},
                 {"Task", f->PNewTask, "New task"},
                 {"Load", f->PLoad, "Download"}});
  ApplyCaptions(file, "Tasks",
                {{"Start", f->PTaskStart, "Start"}, {"Edit", f->PTaskEdit, "Edit"}, {"Delete", f->PTaskDelete, "Delete"}});
  ApplyCaptions(file, "PopupMenu",
                {{"Find", f->FindComp, "Find"},
                 {"Open", f->OpenComp, "Open"},
                 {"Copy", f->CopyCompRes, "Copy"},
                 {"CopyTo", f->CopyToCompRes, "Copy to ..."},
                 {"Task", f->NewTaskCompRes, "New Task"},
                 {"SelectAll", f->SelectAllComp, "Select All"}});
  ApplyCaptions(file, "Find",
                {{"Invert", f->InvertComp, "Invert selection"},
                 {"Mask", f->LabelPattern, "Search mask"},
                 {"Group", f->CheckBoxGroup, "Search group"},
                 {"Where", f->LabelWhereFind, "Search in"},
                 {"SelectAll", f->CheckBoxSelectAll, "Select all"},
                 {"Invert", f->CheckBoxInvers, "Invert selection"},
                 {"More", f->ButtonMore, "Parameters"},
                 {"Search", f->ButtonFind, "Search"}});

  const QString resultCaptions[] = {TextMainHeaderName, TextMainHeaderType, TextMainHeaderSize, TextMainHeaderDate,
                                    TextMainHeaderAttr, TextMainHeaderComp, TextMainHeaderPath};
  for (int i = 0; i < 7 && i < f->ListViewResult->ColumnCount(); ++i)
    f->ListViewResult->SetColumnCaption(i, resultCaptions[i]);
  ApplyColumns(file, "Tasks", f->ListViewLoads,
               {{"Name", "Name"},
                {"Mode", "Mode"},
                {"Complete", "Complete"},
                {"Speed", "Speed"},
                {"TimeLeft", "Time left"},
                {"Source", "Source path"},
                {"Destination", "Destination path"}});
  ApplyColumns(file, "NetResources", f->ListViewResources,
               {{"Name", "Name"}, {"Ip", "IP"}, {"System", "System"}, {"Time", "Time"}, {"Date", "Date"},
                {"Services", "Services"}});

  f->StatusBar->SetPanelText(1, TextStatusFiles + QString::number(FoundCount));
  f->StatusBar->SetPanelText(2, TextStatusComputers + QString::number(ComputerCount));

  static const char* const hints[14][2] = {
      {"Copy", "Copy"},        {"CopyTo", "CopyTo"},         {"Task", "New task"},
      {"Load", "Download ..."}, {"Scan", "Detect computers"}, {"More", "Parameters"},
      {"Find", "Search"},      {"Pause", "Pause"},           {"Continue", "Continue"},
      {"Stop", "Stop"},        {"Result", "Search results"}, {"Tasks", "Task sheet"},
      {"Comp", "Net computers"}, {"Help", "Trawlix Help"}};
  const auto buttons = f->ToolButtons();
  for (int i = 0; i < 14; ++i) {
    const QString hint = file.Read("ToolBar", hints[i][0], hints[i][1]);
    if (buttons[i]) buttons[i]->setToolTip(hint);
  }
}

void ApplyEditGroup(const TLanguageFile& file) {
  QWidget* w = FormEditGroup;
  SetWindowCaption(w, file.Read("Groups", "Edit", "Edit groups ..."));
  SetControl(w, "ButtonOk", file.Read("Buttons", "Ok", "Ok"));
  SetControl(w, "ButtonApply", file.Read("Buttons", "Apply", "Apply"));
  SetControl(w, "ButtonCancel", file.Read("Buttons", "Cancel", "Cancel"));
  SetControl(w, "GroupBoxEdit", u' ' + file.Read("Groups", "Contents", " Contents "));
  SetControl(w, "LabelContents",
             file.Read("Groups", "Types", "Group file types (through a comma and/or a space)"));
  SetControl(w, "LabelName", file.Read("Groups", "Name", "Group name"));
  SetControl(w, "New", file.Read("Groups", "New", "New"));
  SetControl(w, "Delete", file.Read("Groups", "Delete", "Delete"));
  SetControl(w, "ButtonNew", file.Read("Groups", "New", "New"));
  SetControl(w, "ButtonDelete", file.Read("Groups", "Delete", "Delete"));
}

void ApplyMore(const TLanguageFile& file) {
  QWidget* w = FormMore;
  SetWindowCaption(w, file.Read("More", "Title", "Extended search"));
  static const char* const captions[][3] = {
      {"GroupBoxMore", "Parameters", "Parameters"},      {"CheckBoxTimeBetween", "DateBetween", "Date between"},
      {"LabelAnd", "And", "and"},                        {"CheckBoxOld", "Old", "Not older than"},
      {"CheckBoxSize", "Size", "Size"},                  {"CheckBoxAttr", "Attr", "Attributes"},
      {"CheckBoxReadOnly", "ReadOnly", "Read only"},     {"CheckBoxHidden", "Hidden", "Hidden"},
      {"CheckBoxSystem", "System", "System"},            {"CheckBoxArchive", "Archive", "Archive"},
      {"CheckBoxDir", "Dir", "Dir"},                     {"CheckBoxArchives", "InArchive", "Search in archives"}};
  for (const auto& c : captions) SetControl(w, c[0], file.Read("More", c[1], c[2]));
  SetControl(w, "ButtonOk", file.Read("Buttons", "Ok", "Ok"));
  SetControl(w, "ButtonApply", file.Read("Buttons", "Apply", "Apply"));
  SetControl(w, "ButtonCancel", file.Read("Buttons", "Cancel", "Cancel"));

  // "and" sits halfway between the two date fields, at the width its new
  // caption needs.
  auto* label = Control<QLabel>(w, "LabelAnd");
  auto* down = Control<QWidget>(w, "MaskEditDown");
  auto* up = Control<QWidget>(w, "MaskEditUp");
  if (label && down && up) {
    label->resize(label->sizeHint().width(), label->height());
    const int downRight = down->x() + down->width();
    const int gap = up->x() - downRight;
    label->move(downRight + gap / 2 - label->width() / 2, label->y());
  }

  const QString days = file.Read("More", "Day", "days(s)");
  const QString months = file.Read("More", "Month", "month(s)");
  const QString years = file.Read("More", "Year", "year(s)");
  RefillUnits(Control<QComboBox>(w, "ComboBoxOld"), {days, months, years});
  const QString bytes = file.Read("More", "Byte", "byte(s)");
  const QString kbytes = file.Read("More", "kByte", "kbyte(s)");
  const QString mbytes = file.Read("More", "MByte", "Mbyte(s)");
  const QString gbytes = file.Read("More", "GByte", "Gbyte(s)");
  RefillUnits(Control<QComboBox>(w, "ComboBoxSize"), {bytes, kbytes, mbytes, gbytes});
}

// The restart and end boxes: caption, message, buttons, then sized to the message.
void ApplyQuestionBox(const TLanguageFile& file, QDialog* box, const QString& message) {
  if (!box) return;
  box->setWindowTitle(file.Read("Find", "Question", "Question"));
  auto* label = Control<QLabel>(box, "LabelMessage");
  auto* ok = Control<QPushButton>(box, "ButtonOk");
  auto* cancel = Control<QPushButton>(box, "ButtonCancel");
  if (label) label->setText(message);
  if (ok) ok->setText(file.Read("Buttons", "Ok", "Ok"));
  if (cancel) cancel->setText(file.Read("Buttons", "Cancel", "Cancel"));
  if (label && ok && cancel) LayoutQuestionBox(box, label, ok, cancel);
}

void ApplySettings(const TLanguageFile& file) {
  QWidget* w = FormSettings;
  SetControl(w, "ButtonOk", file.Read("Buttons", "Ok", "Ok"));
  SetControl(w, "ButtonApply", file.Read("Buttons", "Apply", "Apply"));
  SetControl(w, "ButtonCancel", file.Read("Buttons", "Cancel", "Cancel"));
}

void ApplyEditTask(const TLanguageFile& file) {
  QWidget* w = FormEditTask;
  SetWindowCaption(w, file.Read("Tasks", "Title", "Edit task"));
  SetControl(w, "GroupBoxOption", u' ' + file.Read("Tasks", "Options", "Options") + u' ');
  SetControl(w, "LabelNameTask", file.Read("Tasks", "Name", "Name"));
  SetControl(w, "LabelSource", file.Read("Tasks", "Source", "Source"));
  SetControl(w, "LabelDestination", file.Read("Tasks", "Destination", "Destination"));
  SetControl(w, "CheckBoxStart", file.Read("Tasks", "Start", "Start"));
  SetControl(w, "LabelMode", file.Read("Tasks", "Mode", "Mode") + u':');
  SetControl(w, "RadioButtonSync", file.Read("Tasks", "Synchronize", "Synchronize"));
  SetControl(w, "RadioButtonLoad", file.Read("Tasks", "Load", "Download"));
  SetControl(w, "ButtonCancel", TextButtonsCancel);
  SetControl(w, "ButtonOk", TextButtonsOk);
}

void ApplyLanguageFile(const QString& name, const TLanguageFile& file) {
  TFormMain* f = FormMain;
  CurrentLanguage = name;
  const TPanelState panel = NotePanelState(f);
  ReadFolderMarker(file, f);
  ReadTextTable(file);
  ReadTaskModes(file, f);
  if (f) {
    ApplyMainWindow(file, f);
    if (panel == TPanelState::Paused)
      f->StatusBar->SetPanelText(0, u' ' + TextSearchPause);
    else if (panel == TPanelState::Finished)
      f->StatusBar->SetPanelText(0, u' ' + TextStatusOk);
  }
  ApplyEditGroup(file);
  ApplyMore(file);
  ApplyQuestionBox(file, Research, TextMessagesSearch);
  ApplyQuestionBox(file, EndSearch, file.Read("Messages", "Stop", "Stop search?"));
  ApplySettings(file);
  LoadGroups();
  ApplyEditTask(file);
}

QString WithoutAccelerators(QString name) {
  name.remove(u'&');
  return name;
}

}  // namespace

void FillLanguageMenu() {
  if (!FormMain) return;
  const QList<QAction*>& items = FormMain->LanguageItems;
  int slot = 1;  // items[0] is the built-in English
  for (const QString& path : LanguageFiles()) {
    if (slot >= items.size()) break;
    const QString caption = DisplayName(path);
    QAction* item = items[slot];
    item->setText(caption);
    // The built-in language is never offered twice; the next file takes the slot.
    if (caption != BuiltInLanguage) {
      item->setVisible(true);
      ++slot;
    }
  }
}

int LoadLanguage(const QString& name) {
  const QString plain = WithoutAccelerators(name);
  if (plain == BuiltInLanguage) {
    ApplyBuiltInEnglish();
    return 1;
  }
  // The first file in directory order that declares the name, letter case counting.
  for (const QString& path : LanguageFiles()) {
    if (DisplayName(path) == plain) {
      ApplyLanguageFile(plain, TLanguageFile(path));
      return 1;
    }
  }
  // Gone or never there: the built-in English, silently.
  ApplyBuiltInEnglish();
  return 1;
}
