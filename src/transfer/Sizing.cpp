#include "transfer/Sizing.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/Main.h"
#include "platform/core/Thread.h"
#include "transfer/Copy.h"

namespace {

class TSizingThread;

// One sizing as the GUI thread keeps it.
struct TJob {
  Sizing::TDone Done;
  // Cleared on the GUI thread when the worker object goes.
  TSizingThread* Worker = nullptr;
};

std::vector<std::shared_ptr<TJob>> Jobs;

// The walk. It holds its job only to hand it back with the sizes; the job's
// fields are the GUI thread's.
class TSizingThread : public TThread {
 public:
  TSizingThread(const QStringList& paths, std::shared_ptr<TJob> job) : FPaths(paths), FJob(std::move(job)) {
    FreeOnTerminate = true;
  }
  ~TSizingThread() override {
    if (FJob->Worker == this) FJob->Worker = nullptr;
  }

 protected:
  void Execute() override;

 private:
  const QStringList FPaths;
  const std::shared_ptr<TJob> FJob;
};

void Finish(const std::shared_ptr<TJob>& job, bool cancelled, const QList<qint64>& sizes);

void TSizingThread::Execute() {
  QList<qint64> sizes;
  for (const QString& path : FPaths) {
    if (Terminated()) return;
    sizes.append(static_cast<qint64>(PathSize(path)));
  }
  if (Terminated()) return;
  std::shared_ptr<TJob> job = FJob;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [job, sizes] { Finish(job, false, sizes); }, Qt::QueuedConnection);
}

// While any sizing runs: the hourglass, and the main window deaf to every
// input but ESC. Painting, timers and the calls of other workers go on.
class TInputGuard : public QObject {
 public:
  TInputGuard() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
  }
  ~TInputGuard() override { Release(); }

  // Gives input and the cursor back; the object itself may be inside its
  // filter (ESC), so it goes later.
  void Release() {
    // At the end of the process the application may be gone already.
    if (FReleased || !QCoreApplication::instance()) return;
    FReleased = true;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        break;
      default:
        return false;
    }
    // Other windows (a transfer window, a question of a running copy) stay
    // usable; a modal window shuts the main one off by itself.
    if (!watched->isWidgetType() || !FormMain || QApplication::activeModalWidget()) return false;
    if (static_cast<QWidget*>(watched)->window() != FormMain) return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      Sizing::Cancel();
      return true;
    }
    // Accepted, so that no shortcut of the window fires either.
    if (event->type() == QEvent::ShortcutOverride) event->accept();
    return true;
  }

 private:
  bool FReleased = false;
};

std::unique_ptr<TInputGuard> Guard;

void Forget(const std::shared_ptr<TJob>& job) {
  std::erase(Jobs, job);
  if (Jobs.empty() && Guard) {
    Guard->Release();
    Guard.release()->deleteLater();
  }
}

void Finish(const std::shared_ptr<TJob>& job, bool cancelled, const QList<qint64>& sizes) {
  // A job already cancelled has run its Done.
  if (std::find(Jobs.begin(), Jobs.end(), job) == Jobs.end()) return;
  Forget(job);
  const Sizing::TDone done = std::move(job->Done);
  if (done) done(cancelled, cancelled ? QList<qint64>() : sizes);
}

}  // namespace

namespace Sizing {

void Start(const QStringList& paths, TDone done) {
  if (paths.isEmpty()) {
    if (done) done(false, {});
    return;
  }
  auto job = std::make_shared<TJob>();
  job->Done = std::move(done);
  if (!Guard) Guard = std::make_unique<TInputGuard>();
  Jobs.push_back(job);
  auto* worker = new TSizingThread(paths, job);
  job->Worker = worker;
  worker->Resume();
}

bool Running() { return !Jobs.empty(); }

void Cancel() {
  const std::vector<std::shared_ptr<TJob>> jobs = Jobs;
  for (const std::shared_ptr<TJob>& job : jobs) {
    // A walk inside a slow network call ends when the call returns; its
    // result is no longer wanted, so nobody waits for that.
    if (job->Worker) job->Worker->Terminate();
    Finish(job, true, {});
  }
}

}  // namespace Sizing
