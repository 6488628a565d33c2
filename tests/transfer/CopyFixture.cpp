#include "CopyFixture.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/ui/Modal.h"
#include "platform/core/Thread.h"
#include "platform/fs/WinPath.h"
#include "transfer/Copy.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Errorincopy_form.h"
#include "transfer/Fileexists_form.h"

void CopyFixture::SetUp() {
  Program = std::make_unique<ProgramFolder>();
  Program->CreateWindows();
  SetEnglishLanguage();
  Net = std::make_unique<TSimNet>();
  Net->AddServer(QStringLiteral("WORK"), QStringLiteral("PC1"));
  Net->AddShare(QStringLiteral("PC1"), QStringLiteral("docs"));
  Destination = Net->LocalFolder(QStringLiteral("dest"));

  Modal::SetResponder([this](const Modal::Request& r) {
    Modal::Answer a;
    switch (r.kind) {
      case Modal::Kind::Confirm:
        ++KeepAsked;
        if (OnKeepQuestion) OnKeepQuestion();
        a.result = KeepPartial ? mrYes : mrNo;
        break;
      case Modal::Kind::ShowModal:
        if (auto* e = qobject_cast<TFormErrorInCopy*>(r.form)) {
          Errors << e->LabelError->text();
          e->ButtonOk->click();
        } else if (auto* f = qobject_cast<TFormFileExists*>(r.form)) {
          ++ExistsAsked;
          ExistsSources << (f->FThread ? f->FThread->FSourceName : QString());
          if (OnExistsQuestion) OnExistsQuestion(f);
          TExistsAnswer answer = TExistsAnswer::Cancel;
          if (!ExistsAnswers.empty()) {
            answer = ExistsAnswers.front();
            ExistsAnswers.pop_front();
          }
          switch (answer) {
            case TExistsAnswer::Replace: f->ButtonReplace->click(); break;
            case TExistsAnswer::ReplaceAll: f->ButtonReplaceAll->click(); break;
            case TExistsAnswer::Skip: f->ButtonSkip->click(); break;
            case TExistsAnswer::SkipAll: f->ButtonSkipAll->click(); break;
            case TExistsAnswer::Append: f->ButtonAppend->click(); break;
            case TExistsAnswer::Cancel: f->ButtonCancel->click(); break;
            case TExistsAnswer::CloseByFrame: f->close(); break;
          }
        }
        break;
      default:
        a.result = mrOk;
        break;
    }
    return a;
  });
}

void CopyFixture::TearDown() {
  // Nothing may outlive the test: every transfer has ended.
  EXPECT_TRUE(WaitUntil([] { return TThread::RunningCount() == 0; }, 20000));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Modal::SetResponder({});
  Net.reset();
  Program.reset();
  CopyNames.clear();
  CopySourceFolders.clear();
  CopyDestination.clear();
  CopyTotalSize = 0;
  CopyDestinationDrive = 0;
}

QPointer<TFormCopy> CopyFixture::StartCopy(const QStringList& names, const QStringList& sourceFolders,
                                           const QString& destination, double totalSize) {
  CopyNames = names;
  CopySourceFolders = sourceFolders;
  CopyDestination = destination;
  CopyDestinationDrive = DriveNumberOf(destination);
  CopyTotalSize = totalSize;
  auto* form = new TFormCopy(nullptr);
  ++FormMain->FActiveOperations;
  form->show();
  form->StartTransfer(false);
  return QPointer<TFormCopy>(form);
}

bool CopyFixture::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::usleep(200);
  }
  return true;
}

bool CopyFixture::WaitForEnd(QPointer<TFormCopy>& form, int timeoutMs) {
  return WaitUntil([&] { return form.isNull() && TThread::RunningCount() == 0; }, timeoutMs);
}

QByteArray CopyFixture::ReadLocal(const QString& drivePath) {
  QFile f(WinPath::ToLocal(drivePath));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool CopyFixture::LocalExists(const QString& drivePath) { return QFileInfo::exists(WinPath::ToLocal(drivePath)); }

qint64 CopyFixture::LocalSize(const QString& drivePath) {
  QFileInfo fi(WinPath::ToLocal(drivePath));
  return fi.exists() ? fi.size() : -1;
}

QDateTime CopyFixture::LocalModified(const QString& drivePath) {
  return QFileInfo(WinPath::ToLocal(drivePath)).lastModified();
}

void CopyFixture::WriteLocal(const QString& drivePath, const QByteArray& content) {
  const QString local = WinPath::ToLocal(drivePath);
  QDir().mkpath(QFileInfo(local).path());
  QFile f(local);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(content);
}

int AddLinkChain(TSimNet& net, const QString& share, int depth) {
  QString previous = share + "chain";
  net.AddFile(previous + "\\f.txt", QByteArray("0"));
  for (int level = 1; level <= depth; ++level) {
    const QString next = share + QString("store\\l%1").arg(level);
    net.AddFile(next + "\\f.txt", QByteArray::number(level));
    for (const char* link : {"a", "b"})
      EXPECT_TRUE(QFile::link(net.LocalPath(next), net.LocalPath(previous) + "/" + link));
    previous = next;
  }
  return depth + 1;
}

int CountFiles(const QString& drivePath) {
  int n = 0;
  QDirIterator it(WinPath::ToLocal(drivePath), QDir::Files | QDir::Hidden | QDir::System,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    ++n;
  }
  return n;
}
