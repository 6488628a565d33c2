#pragma once
// Is a server there? Asked before any library call to it, because the
// library waits long on servers that are gone (seconds per address) or
// that take connections and never answer (its whole timeout, and 20 s per
// libnetapi call, which no setting of that library shortens). The probe connects to port 445 without blocking and sends an
// SMB2 NEGOTIATE; the server counts as there once it answers anything.
// Bounded by its budget (1.5 s), made outside the library's lock, and its
// answers are kept for a while, so one scan asks each server once.
#include <QString>
#include <array>
#include <functional>

namespace SmbProbe {

constexpr int BudgetMs = 1500;
// How long a "not there" is believed outside a new scan: a server whose
// link was down a moment must be reachable again as soon as it is back.
constexpr int AbsentKeepMs = 5000;

// Probes an IPv4 address (or a host name getaddrinfo knows) on `port`.
// Returns early, false, once `stop` answers true.
// `connected`, when given, tells whether the connection was taken (a server
// there that may only be slow to answer); `connectMs` how long that took.
bool Answers(const QString& host, int port = 445, int budgetMs = BudgetMs, const std::function<bool()>& stop = {},
             bool* connected = nullptr, int* connectMs = nullptr);
// Answers(), remembered per host for `keepMs` (a "not there" for at most
// AbsentKeepMs; then the asker waits for a new probe). After a new scan, a
// host that did not answer at its last probe counts as not there while it
// is probed again.
bool Cached(const QString& host, const std::function<bool()>& stop = {}, int keepMs = 60000, int port = 445);
// Starts probing `host` in the background, unless its answer is known or
// under way; Cached() then waits for that answer instead of probing again.
// Lets a scan probe every server found at once.
void Start(const QString& host, int port = 445);
// Makes every remembered answer stale (a new scan asks again).
void Forget();
// True when the last probe of `host` in this scan was taken but not
// answered within its budget, and taking the connection already showed a
// slow link (SlowLinkMs): a server behind such a link rather than one that
// is gone. A server that takes connections at once and then stays silent
// is hung, not far away: waiting longer for it would only hold up the
// scan. Never for a server whose probe before was not answered either (a
// patient one included): it takes connections and never answers.
bool Slow(const QString& host, int port = 445);
// True when the last probe of `host` (while one is under way, the one
// before) was taken and not answered: a server there that does not answer,
// shown as unanswered rather than as gone.
bool Silent(const QString& host, int port = 445);
// How long taking a connection must last to show a slow link (a local
// network's takes a few ms). Tests on the loop-back lower it.
int& SlowLinkMs();
// Probes `host` again with a longer budget, for a server that is Slow, and
// remembers the answer as Cached() does.
bool Patiently(const QString& host, int budgetMs, const std::function<bool()>& stop, int port = 445);

}  // namespace SmbProbe
