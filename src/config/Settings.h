#pragma once
// The settings file settings.ini in the program folder: window state, view
// style, language, column widths of the three lists and the search-mask
// history. The program never creates it.
#include <QString>
#include <memory>

#include "platform/ini/Ini.h"

class QComboBox;

// The open settings file: empty until LoadSettings finds the file, then kept
// unchanged until exit. Every user does nothing while it is empty.
extern std::unique_ptr<TIniFile> SettingsIni;
// The current directory at start-up; the settings, tasks, language and help
// files lie under it.
extern QString ProgramDir;

// Opens settings.ini and applies window state, view style and column widths
// to FormMain. Returns 0 when the file was found and read, 1 when it is missing
// (then nothing is read and SettingsIni stays empty).
int LoadSettings();
// Writes General and the three column-width sections, all in one replacement
// of the file. Throws EIniFileException (naming the file) when the file
// cannot be written; the file is then as it was.
void SaveSettings();
// Fills FormMain->EditPattern's item list from every key of section Patterns.
void LoadPatterns();
// Rewrites section Patterns from the item list in sorted order and adds the
// current mask when the list does not hold it yet (letter case ignored), in
// one replacement of the file.
void SavePatterns();

// The mask history list is kept sorted without regard to letter case.
// Inserts at the sorted place and returns the new index; the edit text is kept.
int SortedComboAdd(QComboBox* combo, const QString& text);
// Exact lookup ignoring letter case; -1 when absent.
int ComboIndexOfText(const QComboBox* combo, const QString& text);
