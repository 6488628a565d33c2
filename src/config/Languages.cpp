#include "config/Languages.h"

#include "app/Endsearchform.h"
#include "app/Form_settings.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "search/Editgroups.h"
#include "search/More.h"
#include "transfer/Form_edittask.h"

void FillLanguageMenu() {
  // Language files are not read yet: the menu offers the built-in English only.
}

int LoadLanguage(const QString&) {
  // Without language files every name falls back to the built-in English.
  SetEnglishLanguage();
  SetEnglishEditGroup();
  SetEnglishMore();
  SetEnglishResearch();
  SetEnglishEndSearch();
  SetEnglishSettings();
  SetEnglishEditTask();
  LoadGroups();
  return 1;
}
