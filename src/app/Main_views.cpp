// The main window's view switches, language choice, help file, the maker's
// web pages and the two small windows (about box, settings dialog).
#include <QAction>
#include <QMenu>

#include "app/Form_about.h"
#include "app/Form_settings.h"
#include "app/Main.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "config/Languages.h"
#include "config/Settings.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Shell.h"
#include "platform/fs/WinPath.h"

namespace {

// The maker's pages, on the site the Help menu names.
const QString HomePage = QStringLiteral("https://trawlix.example.org/");
const QString SupportPage = QStringLiteral("https://trawlix.example.org/contact");
const QString ForumPage = QStringLiteral("https://trawlix.example.org/forum/");

// A menu caption without its hot-key marks ("&&" stands for one "&").
QString PlainCaption(const QString& caption) {
  QString plain;
  plain.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] != u'&') {
      plain += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
      plain += u'&';
      ++i;
    }
  }
  return plain;
}

void OpenWebPage(const QString& address) {
  Shell::WinExec(QStringLiteral("explorer.exe /n, ") + address, Shell::SW_RESTORE);
}

}  // namespace

// ---------------------------------------------------------------- views

void TFormMain::ToolButtonLoadListClick(QObject*) {
  ToolButtonFindList->setEnabled(true);
  ListViewResult->hide();
  ToolButtonLoadList->setEnabled(false);
  ListViewResources->hide();
  ToolButtonResources->setEnabled(true);
  ListViewLoads->show();
  ListViewLoads->setFocus();

  ResultView->setEnabled(true);
  TaskView->setEnabled(false);
  CompView->setEnabled(true);

  DisableResultCommands();
}

void TFormMain::DisableResultCommands() {
  SelectAll->setEnabled(false);
  Invert->setEnabled(false);
  FindFiles->setEnabled(false);
  Icons->setEnabled(false);
  Table->setEnabled(false);
  List->setEnabled(false);
  SortBy->menuAction()->setEnabled(false);
}

void TFormMain::ToolButtonFindListClick(QObject*) {
  ToolButtonFindList->setEnabled(false);
  ListViewResources->hide();
  ToolButtonResources->setEnabled(true);
  ListViewResult->show();
  ToolButtonLoadList->setEnabled(true);
  ListViewLoads->hide();
  ListViewResult->setFocus();

  ResultView->setEnabled(false);
  TaskView->setEnabled(true);
  CompView->setEnabled(true);

  // With an empty list these keep whatever state they had.
  if (ListViewResult->Count() > 0) {
    SelectAll->setEnabled(true);
    Invert->setEnabled(true);
    FindFiles->setEnabled(true);
    SortBy->menuAction()->setEnabled(true);
  }

  Icons->setEnabled(true);
  Table->setEnabled(true);
  List->setEnabled(true);
}

// ---------------------------------------------------------------- language

void TFormMain::LngClick(QObject* Sender) {
  auto* item = qobject_cast<QAction*>(Sender);
  if (!item) return;
  const bool loaded = LoadLanguage(item->text()) != 0;

  // The check mark names the language in effect. The loader falls back to
  // the built-in English when a language file has gone since the menu was
  // filled; the clicked item must not claim that language then. The menu
  // group also checks an item as it is clicked, before this runs, so a
  // failed load puts the mark back as well.
  QAction* mark = loaded ? item : nullptr;
  if (!loaded || PlainCaption(item->text()) != CurrentLanguage) {
    for (QAction* a : LanguageItems) {
      if (a->isVisible() && PlainCaption(a->text()) == CurrentLanguage) {
        mark = a;
        break;
      }
    }
  }
  if (mark) {
    mark->setChecked(true);
  } else if (!loaded) {
    item->setChecked(false);
  }
}

// ---------------------------------------------------------------- help

void TFormMain::TrawlixHelpClick(QObject*) {
  const QString file = WinPath::ExcludeTrailingBackslash(ProgramDir) + QStringLiteral("\\help\\TRAWHELP") +
                       TextLanguageHelp + QStringLiteral(".HLP");
  Shell::ShellExecute(this, QString(), file, QString(), QString(), Shell::SW_RESTORE);
}

void TFormMain::SiteProgramClick(QObject*) { OpenWebPage(HomePage); }

void TFormMain::SupportClick(QObject*) { OpenWebPage(u'"' + SupportPage + u'"'); }

void TFormMain::ForumClick(QObject*) { OpenWebPage(ForumPage); }

// ---------------------------------------------------------------- small windows

void TFormMain::AboutClick(QObject*) {
  if (FormAbout) Modal::ShowModal(FormAbout);
}

void TFormMain::GeneralClick(QObject*) {
  if (!FormSettings) return;
  CentreOnMainWindow(FormSettings);
  Modal::ShowModal(FormSettings);
}
