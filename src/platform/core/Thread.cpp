#include "platform/core/Thread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <set>


namespace {

QThread::Priority ToQt(TThreadPriority p) {
  switch (p) {
    case TThreadPriority::tpIdle: return QThread::IdlePriority;
    case TThreadPriority::tpLowest: return QThread::LowestPriority;
    case TThreadPriority::tpLower: return QThread::LowPriority;
    case TThreadPriority::tpNormal: return QThread::NormalPriority;
    case TThreadPriority::tpHigher: return QThread::HighPriority;
    case TThreadPriority::tpHighest: return QThread::HighestPriority;
    case TThreadPriority::tpTimeCritical: return QThread::TimeCriticalPriority;
  }
  return QThread::NormalPriority;
}

bool OnGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

QString ExceptionText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QString();
  }
}

std::atomic<TThread::TErrorDisplay> ErrorDisplay{nullptr};

void ShowError(const QString& text) {
  if (const TThread::TErrorDisplay display = ErrorDisplay.load()) {
    display(text);
  } else {
    qWarning("%s", qPrintable(text));
  }
}

}  // namespace

class TThreadImpl;
// The worker whose Execute runs on this thread, if any.
static thread_local TThreadImpl* CurrentWorker = nullptr;

class TThreadImpl : public QThread {
 public:
  explicit TThreadImpl(TThread* owner) : FOwner(owner) {
    QMutexLocker lock(&RegistryMutex());
    Registry().insert(this);
  }
  ~TThreadImpl() override {
    QMutexLocker lock(&RegistryMutex());
    Registry().erase(this);
  }

  // Every worker object alive, for the process-exit check.
  static QMutex& RegistryMutex() {
    static QMutex m;
    return m;
  }
  static std::set<TThreadImpl*>& Registry() {
    static std::set<TThreadImpl*> r;
    return r;
  }

  // Waits for the worker to end. On the GUI thread the calls the worker
  // makes there meanwhile (Synchronize, OnTerminate) are served, or the
  // two would wait for each other forever.
  bool WaitEnd(QDeadlineTimer deadline) {
    if (!OnGuiThread()) return wait(deadline);
    for (;;) {
      QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
      if (wait(QDeadlineTimer(2))) return true;
      if (deadline.hasExpired()) return false;
    }
  }

  TThread* FOwner;
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FRunEnded{false};   // run() has returned from everything it does
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FSuspended{false};
  std::atomic<bool> FFinished{false};   // Execute has returned
  std::atomic<bool> FDestroying{false}; // the owner is being deleted: skip calls into it
  std::atomic<TThreadPriority> FPriority{TThreadPriority::tpNormal};
  QMutex FMutex;
  QWaitCondition FWake;

 protected:
  void run() override {
    CurrentWorker = this;
    try {
      FOwner->Execute();
    } catch (...) {
      // A worker's failure ends the worker, not the program.
      qWarning("Worker thread ended by an exception: %s", qPrintable(ExceptionText(std::current_exception())));
    }
    FFinished = true;
    QCoreApplication* app = QCoreApplication::instance();
    if (app && FOwner->OnTerminate && !FDestroying) {
      QMetaObject::invokeMethod(
          app,
          [this] {
            if (FDestroying || !FOwner->OnTerminate) return;
            try {
              FOwner->OnTerminate();
            } catch (...) {
              ShowError(ExceptionText(std::current_exception()));
            }
          },
          Qt::BlockingQueuedConnection);
    }
    CurrentWorker = nullptr;
    FRunEnded = true;
  }
};

TThread::TThread(bool createSuspended) : FImpl(std::make_unique<TThreadImpl>(this)) {
  TThreadImpl* d = FImpl.get();
  if (QCoreApplication* app = QCoreApplication::instance()) {
    // The object lives on the GUI thread, where its end is handled.
    if (d->thread() != app->thread()) d->moveToThread(app->thread());
    QObject::connect(
        d, &QThread::finished, d,
        [d] {
          if (d->FOwner->FreeOnTerminate) delete d->FOwner;
        },
        Qt::QueuedConnection);
    // Execute is virtual: it cannot run before the derived object is built,
    // so a thread created running starts at the next turn of the event loop.
    if (!createSuspended)
      QMetaObject::invokeMethod(
          d,
          [d] {
            if (!d->FStarted) d->FOwner->Resume();
          },
          Qt::QueuedConnection);
  }
}

TThread::~TThread() {
  TThreadImpl* d = FImpl.get();
  d->FDestroying = true;
  if (d->FStarted) {
    if (!d->FFinished) Terminate();
    d->WaitEnd(QDeadlineTimer(QDeadlineTimer::Forever));
  }
}

void TThread::Resume() {
  TThreadImpl* d = FImpl.get();
  if (!d->FStarted.exchange(true)) {
    d->FSuspended = false;
    d->start(ToQt(d->FPriority));
    return;
  }
  QMutexLocker lock(&d->FMutex);
  d->FSuspended = false;
  d->FWake.wakeAll();
}

void TThread::Suspend() {
  TThreadImpl* d = FImpl.get();
  if (d->FStarted && !d->FFinished) d->FSuspended = true;
}

void TThread::Terminate() {
  TThreadImpl* d = FImpl.get();
  d->FTerminated = true;
  QMutexLocker lock(&d->FMutex);
  d->FWake.wakeAll();
}

bool TThread::Terminated() const { return FImpl->FTerminated; }

bool TThread::Suspended() const { return !FImpl->FStarted || FImpl->FSuspended; }

bool TThread::Finished() const { return FImpl->FFinished; }

void TThread::SetPriority(TThreadPriority priority) {
  TThreadImpl* d = FImpl.get();
  d->FPriority = priority;
  if (d->FStarted && !d->FRunEnded && d->isRunning()) d->setPriority(ToQt(priority));
}

TThreadPriority TThread::Priority() const { return FImpl->FPriority; }

bool TThread::WaitFor(int timeoutMs) {
  TThreadImpl* d = FImpl.get();
  if (!d->FStarted) return false;
  return d->WaitEnd(timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs));
}

void TThread::Synchronize(const std::function<void()>& method) {
  if (OnGuiThread()) {
    method();
    return;
  }
  TThreadImpl* d = FImpl.get();
  std::exception_ptr error;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [d, &method, &error] {
        if (d->FDestroying) return;
        try {
          method();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  // The method's failure is the worker's, as if it had run there.
  if (error) std::rethrow_exception(error);
  CheckSuspended();
}

void TThread::CheckSuspended() {
  TThreadImpl* d = FImpl.get();
  if (!d->FSuspended || QThread::currentThread() != d) return;
  QMutexLocker lock(&d->FMutex);
  while (d->FSuspended && !d->FTerminated) d->FWake.wait(&d->FMutex);
}

bool TThread::CurrentTerminated() { return CurrentWorker && CurrentWorker->FTerminated; }

void TThread::SetErrorDisplay(TErrorDisplay display) { ErrorDisplay.store(display); }

int TThread::RunningCount() {
  QMutexLocker lock(&TThreadImpl::RegistryMutex());
  int n = 0;
  for (TThreadImpl* d : TThreadImpl::Registry())
    if (d->FStarted && !d->FRunEnded) ++n;
  return n;
}

int TThread::ProcessExit(int exitCode) {
  if (RunningCount() > 0) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
  }
  // Workers that are past their last step are let go of the last of their
  // thread before anything is destroyed.
  QMutexLocker lock(&TThreadImpl::RegistryMutex());
  for (TThreadImpl* d : TThreadImpl::Registry())
    if (d->FStarted) d->wait();
  return exitCode;
}
