#pragma once
// Worker thread in the manner of the toolkit's thread class: created
// suspended, started by Resume, asked to stop by Terminate, paused by
// Suspend, and able to run a function on the GUI thread while it waits
// (Synchronize).
//
// Suspend is cooperative: the worker holds at its next pause point
// (CheckSuspended, or the return of a Synchronize call) until Resume, so it
// is never held while it owns anything the GUI thread needs.
//
// Lifetime: delete a TThread only once its worker has finished (or set
// FreeOnTerminate). Deleting one whose worker still runs asks it to stop and
// waits for it, which is only safe when its Execute honours Terminated().
//
// Process exit: running workers are not waited for; they end with the
// process. main() must therefore end with
//     return TThread::ProcessExit(app.exec());
// with the QApplication still alive: when workers still run (busy, held in
// a pause, or blocked in Synchronize) it flushes the standard streams and
// ends the process at once with the exit code, so that no destructor of a
// running worker, of the application or of a static object is reached;
// otherwise it returns the exit code and main() returns normally.
#include <QString>

#include <functional>
#include <memory>

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThreadImpl;

class TThread {
 public:
  explicit TThread(bool createSuspended = true);
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // The first Resume starts Execute; a later one ends a Suspend.
  void Resume();
  void Suspend();
  // Sets the stop request; the worker honours it at its next test.
  void Terminate();
  bool Terminated() const;
  bool Suspended() const;
  // True once Execute has returned.
  bool Finished() const;
  void SetPriority(TThreadPriority priority);
  TThreadPriority Priority() const;

  // When set before the worker ends, the object deletes itself on the GUI
  // thread after Execute (and OnTerminate) have run.
  bool FreeOnTerminate = false;
  // Runs on the GUI thread after Execute returns.
  std::function<void()> OnTerminate;

  // Waits for Execute to end. For tests and benchmarks only: GUI code never
  // waits for a worker. Returns false on timeout.
  bool WaitFor(int timeoutMs = -1);

  // Runs `method` on the GUI thread and waits for it; called on the GUI
  // thread itself it runs directly. Afterwards holds while suspended.
  void Synchronize(const std::function<void()>& method);

  // See "Process exit" above.
  static int ProcessExit(int exitCode);
  // Workers started and not yet ended.
  static int RunningCount();
  // True when the calling thread is a worker that has been asked to stop:
  // lets code below the worker (a network call) give up early. False on
  // any other thread.
  static bool CurrentTerminated();
  // Shows the text of an exception that escaped OnTerminate, on the GUI
  // thread. The modal facade installs its error box here (Modal.cpp); until
  // then the text goes to the log.
  using TErrorDisplay = void (*)(const QString& text);
  static void SetErrorDisplay(TErrorDisplay display);

 protected:
  virtual void Execute() = 0;
  // Pause point: returns at once unless suspended; then waits for Resume or Terminate.
  void CheckSuspended();

 private:
  friend class TThreadImpl;
  std::unique_ptr<TThreadImpl> FImpl;
};
