#pragma once
// The state of the current search, shared by the two search workers and the
// search commands of the main window. Everything here is touched on the GUI
// thread only: the workers reach it through their synchronised calls.
#include <QString>
#include <QStringList>

class TSearchPattern;
class TSearchGroup;

// The running mask search, null when none.
extern TSearchPattern* SearchPatternThread;
// The running group search, null when none. At most one of the two is set.
extern TSearchGroup* SearchGroupThread;
// Rows added by the current search (status panel 1).
extern int FoundCount;
// The network folder the search is listing ("\\PC\share\folders\").
extern QString CurrentSearchPath;
// The file types of the chosen group, each with a leading ".".
extern QStringList GroupExtensions;

// The entries of a group as the group combo box shows it: "name (types)",
// the types separated by blanks and/or commas. Each type becomes "." + type,
// in the order written and in its own case; empty tokens are dropped, and
// so are a token's leading dots (".jpg" gives ".jpg").
QStringList GroupExtensionsFromItem(const QString& item);
