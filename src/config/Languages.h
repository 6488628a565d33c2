#pragma once
// Language files: the language menu and applying a language to every window.
//
// A language file is an INI file lng\*.lng under the program folder, known by
// its display name (section Language, key Language). The name "English" is
// the built-in language; a file declaring exactly that name is never listed
// nor applied. Files are read at every call and never kept open.
#include <QString>

// Lists the language files of the lng folder, in directory order, into the
// 26 slots of the main window's language menu under their display names.
void FillLanguageMenu();
// Loads the named language (accelerator "&" marks are dropped) into the UI
// text table and applies it to every window that lives for the whole run; the
// built-in English when the name is "English" or no file declares the name.
// Returns non-zero on success (every path succeeds).
int LoadLanguage(const QString& name);
