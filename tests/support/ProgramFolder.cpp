#include "support/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "app/Application.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "network/Scanlan_thread.h"
#include "search/Searchpattern_thread.h"

void ResetProgramGlobals() {
  SettingsIni.reset();
  ProgramDir.clear();
  CurrentLanguage.clear();
  for (const TUiTextEntry& e : UiTextTable) e.Text->clear();
  TextErrorsError = QStringLiteral("Error");
  TextLanguageNoSettings = QStringLiteral("Settings file not found");
  TextDays = {};
  TextMonths = {};
  FoundCount = 0;
  ComputerCount = 0;
  Application::ResetTerminated();
}

ProgramFolder::ProgramFolder(std::optional<QByteArray> settings) {
  FOldCurrent = QDir::currentPath();
  if (settings) WriteFile(QStringLiteral("settings.ini"), *settings);
  QDir::setCurrent(FDir.path());
  ResetProgramGlobals();
  Modal::SetResponder([this](const Modal::Request& r) {
    Requests.push_back(r);
    Modal::Answer a;
    switch (r.kind) {
      case Modal::Kind::Confirm:
        a.result = ConfirmAnswer ? mrYes : mrNo;
        break;
      case Modal::Kind::ShowModal:
        a.result = ModalAnswer;
        break;
      default:
        a.result = mrOk;
        break;
    }
    return a;
  });
}

ProgramFolder::~ProgramFolder() {
  DestroyWindows();
  Modal::SetResponder({});
  ResetProgramGlobals();
  QDir::setCurrent(FOldCurrent);
}

QString ProgramFolder::FilePath(const QString& name) const { return FDir.filePath(name); }

bool ProgramFolder::Exists(const QString& name) const { return QFile::exists(FilePath(name)); }

QByteArray ProgramFolder::ReadFile(const QString& name) const {
  QFile f(FilePath(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ProgramFolder::WriteFile(const QString& name, const QByteArray& content) const {
  QFile f(FilePath(name));
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(content);
}

QStringList ProgramFolder::Entries() const {
  return QDir(FDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QStringList ProgramFolder::Lines(const QString& name) const {
  QStringList out;
  for (const QString& line : QString::fromUtf8(ReadFile(name)).split(QLatin1Char('\n'))) {
    const QString t = line.trimmed();
    if (!t.isEmpty()) out << t;
  }
  return out;
}

void ProgramFolder::CreateWindows() {
  Application::CreateForms();
  FWindows = true;
}

void ProgramFolder::ShowMain() {
  if (!FormMain) return;
  FormMain->show();
  QCoreApplication::processEvents();
}

void ProgramFolder::DestroyWindows() {
  if (!FWindows) return;
  FWindows = false;
  if (FormMain) FormMain->hide();
  Application::DestroyForms();
  QCoreApplication::processEvents();
}

int ProgramFolder::Count(Modal::Kind kind) const {
  int n = 0;
  for (const Modal::Request& r : Requests) n += r.kind == kind;
  return n;
}
