#pragma once
// The table of UI texts (every message, status text, mode name and unit word
// the program composes) and the built-in English language of the main window.
// Written only on the GUI thread, by SetEnglishLanguage and the language loader.
#include <QString>
#include <array>

// Display name of the current language; "English" for the built-in one.
extern QString CurrentLanguage;

// The 64 single texts, each named Text + language-file section + key.
extern QString TextFileDir;
extern QString TextGroupsEdit;
extern QString TextStatusComputers;
extern QString TextStatusOk;
extern QString TextMessagesSearch;
extern QString TextSearchPause;
extern QString TextStatusFiles;
extern QString TextErrorsEnter;
extern QString TextMessagesRetry;
extern QString TextMainHeaderName;
extern QString TextMainHeaderType;
extern QString TextMainHeaderSize;
extern QString TextMainHeaderDate;
extern QString TextMainHeaderAttr;
extern QString TextMainHeaderComp;
extern QString TextMainHeaderPath;
extern QString TextErrorsNoLng;
extern QString TextErrorsNoDir;
extern QString TextMessagesGetDir;
extern QString TextCopyToCopy;
extern QString TextCopyToFrom;
extern QString TextCopyToTo;
extern QString TextCopyToSpeed;
extern QString TextCopyToTimeLeft;
extern QString TextCopyToMinute;
extern QString TextCopyToSecond;
extern QString TextCopyToKbs;
extern QString TextButtonsPause;
extern QString TextButtonsCancel;
extern QString TextButtonsContinue;
extern QString TextErrorsOpenFile;
extern QString TextErrorsFileExists;
extern QString TextErrorsReadFile;
extern QString TextErrorsCreateFile;
extern QString TextErrorsNoSpace;
extern QString TextErrorsWriteFile;
extern QString TextButtonsOk;
extern QString TextCopyToSource;
extern QString TextCopyToDestination;
extern QString TextCopyToReplace;
extern QString TextCopyToReplaceAll;
extern QString TextCopyToSkip;
extern QString TextCopyToSkipAll;
extern QString TextCopyToAppend;
extern QString TextCopyToLoad;
extern QString TextCopyToQuery;
extern QString TextErrorsNoFile;
extern QString TextMessagesScan;
extern QString TextMessagesClose;
extern QString TextLanguageHelp;
extern QString TextMessagesEndLoad;
extern QString TextErrorsTaskName;
extern QString TextErrorsTastExists;
extern QString TextErrorsMkDir;
extern QString TextMessagesMkDir;
extern QString TextTasksSynchronize;
extern QString TextTasksLoad;
extern QString TextCopyToSize;
extern QString TextMessagesInfo;
extern QString TextErrorsError;
extern QString TextLanguageNoSettings;
// The group editor's refusals of a group name.
extern QString TextGroupsNoName;
extern QString TextGroupsBadName;
extern QString TextGroupsExists;

// Weekday names (index 0 Sunday) and month names (index 0 January).
extern std::array<QString, 7> TextDays;
extern std::array<QString, 12> TextMonths;

// One single text with its language-file key, its built-in English value
// and the value a language file without that key yields.
struct TUiTextEntry {
  QString* Text;
  const char* Section;
  const char* Key;
  const char* English;
  const char* FileDefault;
};
// The 64 single texts in table order.
extern const std::array<TUiTextEntry, 64> UiTextTable;

// Fills the table with the built-in English and gives the main window its
// English captions, hints and column captions; keeps the folder markers of
// the result rows, the mode texts of the task rows and the paused / finished
// text of status panel 0 in step with the new texts.
void SetEnglishLanguage();
