#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>

#include "platform/ui/Modal.h"
#include "platform/core/Thread.h"

namespace {

// A worker whose Execute is given by the test.
class Worker : public TThread {
 public:
  explicit Worker(std::function<void(Worker&)> body) : Body(std::move(body)) {}
  ~Worker() override { WaitFor(10000); }  // tests never leave a worker running behind them
  void Pause() { CheckSuspended(); }
  std::function<void(Worker&)> Body;

 protected:
  void Execute() override { Body(*this); }
};

// Turns the event loop until `done` holds or the time is up.
bool Await(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

TEST(Thread, CreatedSuspendedAndStartedByResume) {
  std::atomic<bool> ran{false};
  Worker w([&](Worker&) { ran = true; });
  EXPECT_TRUE(w.Suspended());
  QThread::msleep(20);
  EXPECT_FALSE(ran);
  EXPECT_FALSE(w.Finished());
  EXPECT_FALSE(w.WaitFor(0)) << "nothing to wait for before the start";
  w.Resume();
  ASSERT_TRUE(w.WaitFor(5000));
  EXPECT_TRUE(ran);
  EXPECT_TRUE(w.Finished());
  EXPECT_FALSE(w.Suspended());
  EXPECT_EQ(TThread::RunningCount(), 0);
}

TEST(Thread, SynchronizeRunsOnTheGuiThreadWhileTheWorkerWaits) {
  QThread* ranOn = nullptr;
  QThread* workerThread = nullptr;
  int seenAfter = 0;
  int value = 0;
  Worker w([&](Worker& self) {
    workerThread = QThread::currentThread();
    self.Synchronize([&] {
      ranOn = QThread::currentThread();
      QThread::msleep(30);  // the worker must still be waiting after this
      value = 42;
    });
    seenAfter = value;
  });
  w.Resume();
  ASSERT_TRUE(w.WaitFor(5000));
  EXPECT_EQ(ranOn, qApp->thread());
  EXPECT_NE(workerThread, qApp->thread());
  EXPECT_EQ(seenAfter, 42);

  // Called on the GUI thread itself it runs at once.
  bool direct = false;
  w.Synchronize([&] { direct = true; });
  EXPECT_TRUE(direct);
}

TEST(Thread, SynchronizePassesTheMethodsFailureToTheWorker) {
  QString caught;
  Worker w([&](Worker& self) {
    try {
      self.Synchronize([] { throw std::runtime_error("refused"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
  });
  w.Resume();
  ASSERT_TRUE(w.WaitFor(5000));
  EXPECT_EQ(caught, "refused");
}

TEST(Thread, SuspendHoldsAtThePausePointAndResumeGoesOn) {
  std::atomic<int> steps{0};
  Worker w([&](Worker& self) {
    while (!self.Terminated()) {
      ++steps;
      self.Pause();
      QThread::usleep(200);
    }
  });
  w.Resume();
  ASSERT_TRUE(Await([&] { return steps > 3; }));
  w.Suspend();
  EXPECT_TRUE(w.Suspended());
  QThread::msleep(30);  // lets it reach the pause point
  const int held = steps;
  QThread::msleep(60);
  EXPECT_EQ(steps, held) << "a suspended worker moves on";
  w.Resume();
  EXPECT_FALSE(w.Suspended());
  ASSERT_TRUE(Await([&] { return steps > held + 3; }));
  w.Terminate();
  EXPECT_TRUE(w.WaitFor(5000));
}

TEST(Thread, TerminateWakesAHeldWorker) {
  std::atomic<bool> holding{false};
  Worker w([&](Worker& self) {
    holding = true;
    while (!self.Terminated()) self.Pause();
  });
  w.Suspend();  // before the start: has no effect on the start itself
  w.Resume();
  ASSERT_TRUE(Await([&] { return holding.load(); }));
  w.Suspend();
  QThread::msleep(20);
  EXPECT_FALSE(w.Finished());
  w.Terminate();
  EXPECT_TRUE(w.Terminated());
  EXPECT_TRUE(w.WaitFor(5000)) << "a held worker must see the stop request";
}

TEST(Thread, ReturnOfSynchronizeIsAPausePoint) {
  std::atomic<bool> after{false};
  Worker* self = nullptr;
  Worker w([&](Worker& me) {
    // The GUI pauses the worker from inside the synchronised call.
    me.Synchronize([&] { self->Suspend(); });
    after = true;
  });
  self = &w;
  w.Resume();
  ASSERT_TRUE(Await([&] { return w.Suspended(); }));
  QThread::msleep(40);
  QCoreApplication::processEvents();
  EXPECT_FALSE(after);
  w.Resume();
  ASSERT_TRUE(w.WaitFor(5000));
  EXPECT_TRUE(after);
}

TEST(Thread, OnTerminateRunsOnTheGuiThreadAfterExecute) {
  std::atomic<bool> executed{false};
  bool executedFirst = false;
  QThread* ranOn = nullptr;
  Worker w([&](Worker&) { executed = true; });
  w.OnTerminate = [&] {
    executedFirst = executed;
    ranOn = QThread::currentThread();
    EXPECT_TRUE(w.Finished());
  };
  w.Resume();
  ASSERT_TRUE(w.WaitFor(5000));
  EXPECT_TRUE(executedFirst);
  EXPECT_EQ(ranOn, qApp->thread());
}

class SelfFreeing : public TThread {
 public:
  explicit SelfFreeing(std::atomic<int>* deleted) : Deleted(deleted) {}
  ~SelfFreeing() override { ++*Deleted; }
  std::atomic<int>* Deleted;

 protected:
  void Execute() override { QThread::msleep(10); }
};

TEST(Thread, FreeOnTerminateDeletesTheObjectOnTheGuiThread) {
  std::atomic<int> deleted{0};
  bool terminated = false;
  auto* t = new SelfFreeing(&deleted);
  t->FreeOnTerminate = true;
  t->OnTerminate = [&] { terminated = true; };
  t->Resume();
  ASSERT_TRUE(Await([&] { return deleted == 1; }));
  EXPECT_TRUE(terminated);
  QCoreApplication::processEvents();
  EXPECT_EQ(deleted, 1);
}

TEST(Thread, DeletingWorkersThatEndedOrNeverStartedIsSafe) {
  std::atomic<int> deleted{0};
  auto* never = new SelfFreeing(&deleted);
  delete never;
  auto* ended = new SelfFreeing(&deleted);
  ended->Resume();
  QThread::msleep(50);  // ended, its end not yet handled by the event loop
  delete ended;
  QCoreApplication::processEvents();
  EXPECT_EQ(deleted, 2);
}

std::atomic<int> gLoopCalls{0};

// Uses nothing of a derived part: it may still run while the object is
// being deleted.
class SyncLoop : public TThread {
 protected:
  void Execute() override {
    while (!Terminated()) Synchronize([] { ++gLoopCalls; });
  }
};

TEST(Thread, DeletingARunningWorkerBlockedInSynchronizeDoesNotHang) {
  auto* t = new SyncLoop;
  t->Resume();
  // Let it block in a synchronised call the GUI does not serve.
  QThread::msleep(30);
  QElapsedTimer timer;
  timer.start();
  delete t;
  EXPECT_LT(timer.elapsed(), 5000);
}

TEST(Thread, NestedModalLoopsServeSynchronize) {
  QDialog dialog;
  bool servedInDialog = false;
  Worker w([&](Worker& self) {
    self.Synchronize([&] {
      servedInDialog = dialog.isVisible();
      dialog.done(mrOk);
    });
  });
  QTimer::singleShot(0, &dialog, [&] { w.Resume(); });
  QTimer::singleShot(5000, &dialog, [&] { dialog.done(mrAbort); });  // never hang
  EXPECT_EQ(dialog.exec(), mrOk);
  EXPECT_TRUE(servedInDialog);
  EXPECT_TRUE(w.WaitFor(5000));
}

TEST(Thread, PriorityIsRememberedBeforeTheStart) {
  std::atomic<int> qtPriority{-1};
  Worker w([&](Worker&) { qtPriority = int(QThread::currentThread()->priority()); });
  EXPECT_EQ(w.Priority(), TThreadPriority::tpNormal);
  w.SetPriority(TThreadPriority::tpLower);
  EXPECT_EQ(w.Priority(), TThreadPriority::tpLower);
  w.Resume();
  ASSERT_TRUE(w.WaitFor(5000));
  EXPECT_EQ(qtPriority, int(QThread::LowPriority));
}

TEST(Thread, ProcessExitReturnsWhenNoWorkerRuns) {
  EXPECT_EQ(TThread::RunningCount(), 0);
  EXPECT_EQ(TThread::ProcessExit(7), 7);
}

// The process ends at once, neither hanging on the held and blocked workers
// nor reaching their destructors.
TEST(ThreadDeathTest, ProcessExitEndsTheProcessWithWorkersStillRunning) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        auto* blocked = new SyncLoop;  // blocks in Synchronize: nobody turns the event loop
        blocked->Resume();
        auto* held = new Worker([](Worker& self) {
          self.Suspend();
          while (!self.Terminated()) self.Pause();
        });
        held->Resume();
        QThread::msleep(50);
        std::fprintf(stderr, "workers running: %d\n", TThread::RunningCount());
        TThread::ProcessExit(3);
        std::fprintf(stderr, "not reached\n");
      },
      ::testing::ExitedWithCode(3), "workers running: 2");
}

}  // namespace
