#include "platform/smb/SmbShareList.h"

#include <QElapsedTimer>

#include <cerrno>

namespace SmbShareList {

TOutcome Patiently(int boundMs, const std::function<bool()>& stop, const std::function<TOutcome(int leftMs)>& attempt) {
  QElapsedTimer clock;
  clock.start();
  TOutcome last = TOutcome::TimedOut;
  for (;;) {
    const qint64 left = boundMs - clock.elapsed();
    if (left <= 0 || (stop && stop())) return last;
    last = attempt(int(left));
    if (last != TOutcome::TimedOut) return last;
  }
}

bool IsTimeout(int err) { return err == ETIMEDOUT || err == EAGAIN || err == ETIME; }

}  // namespace SmbShareList
