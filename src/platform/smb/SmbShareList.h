#pragma once
// A server's share list, given the time it needs: a server behind a slow
// link answers, just late, so a listing that ran out of time is tried again
// (the connection the last attempt opened carries on) until it is listed,
// fails for another reason, its bound passes or the caller stops.
#include <functional>

namespace SmbShareList {

// The most one server's listing may take in a scan; ESC ends it at once.
constexpr int BoundMs = 30000;

enum class TOutcome { Listed, Failed, TimedOut };

// Calls `attempt(leftMs)` until its outcome is not TimedOut, `boundMs` has
// passed or stop() answers true; returns the last outcome (TimedOut when
// stopped before any).
TOutcome Patiently(int boundMs, const std::function<bool()>& stop, const std::function<TOutcome(int leftMs)>& attempt);

// True for a library result (errno) that means no answer came in time.
bool IsTimeout(int err);

}  // namespace SmbShareList
