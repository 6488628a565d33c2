#pragma once
// Sorting of the result list by one of six columns, folders always first.
#include <QString>

struct TListItem;
class TListView;

// One direction flag per sortable column (0 Name, 1 Type, 2 Size, 3 Date,
// 4 Computer, 5 Path); a sort flips its flag first, so all start true and
// the first sort by a column is ascending.
extern bool SortDescending[6];

// Flips the column's direction, sorts FormMain's result list by it and checks
// the column's item in both sort menus. Any column outside 0..5 does nothing.
// GUI thread only.
void SortResultByColumn(int column);

// Sorts `list` by `column` in the column's current direction (no flip, no
// menu change).
void SortListByColumn(TListView* list, int column);

// The comparators handed to the list's custom sort: negative when row1 goes
// first, positive when row2 goes first, 0 when equal. Folder rows (Size text
// equal to TextFileDir) always come before file rows; `column` selects the
// direction flag in SortDescending.
int CompareByName(const TListItem& row1, const TListItem& row2, int column);
int CompareByType(const TListItem& row1, const TListItem& row2, int column);
int CompareBySize(const TListItem& row1, const TListItem& row2, int column);
int CompareByDate(const TListItem& row1, const TListItem& row2, int column);
int CompareByComputer(const TListItem& row1, const TListItem& row2, int column);
int CompareByPath(const TListItem& row1, const TListItem& row2, int column);

// The system's case-insensitive comparison of texts by the user's locale:
// -1, 0 or 1.
int CompareTextLocale(const QString& a, const QString& b);
