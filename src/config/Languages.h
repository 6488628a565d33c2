#pragma once
// Language files: the language menu and applying a language to every window.
#include <QString>

// Lists the language files of the lng folder into the language menu slots.
void FillLanguageMenu();
// Loads the named language into the UI text table and applies it to every
// window; the built-in English when the name is "English" or no file matches.
// Returns non-zero on success.
int LoadLanguage(const QString& name);
