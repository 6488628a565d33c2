#pragma once
// Sizing remote files and folder trees for the copy and task commands
// without holding the GUI thread: a worker walks the trees (a slow or dead
// link can take minutes), while the windows paint and serve their timers
// and other workers. Meanwhile the hourglass is shown and the main window
// takes no input but ESC, which cancels every sizing at once. The sizes come
// back by a queued call on the GUI thread; nothing waits for the worker.
#include <QList>
#include <QStringList>
#include <functional>

namespace Sizing {

// Runs on the GUI thread when a sizing ends: `cancelled` false with the
// sizes (parallel to the paths), or true (and no sizes) after a cancel.
using TDone = std::function<void(bool cancelled, const QList<qint64>& sizes)>;

// Sizes each path as PathSize does (Copy.h): a tree for a path ending in
// "\", else the one file. GUI thread only. With no paths, `done` runs at
// once, before Start returns; otherwise always later, from the event loop.
void Start(const QStringList& paths, TDone done);
// True while a sizing runs (started, and neither done nor cancelled).
bool Running();
// Cancels every running sizing (what ESC does): their workers are asked to
// stop and forgotten, not waited for; each `done` runs with cancelled true.
void Cancel();

}  // namespace Sizing
