#pragma once
// One row of the result list (TResultRow) and the extended criteria that
// decide whether a found entry becomes one.
//
// Row layout: caption = the name without its extension (folders: the whole
// name); sub-items 0 Type (extension without dot, lower case), 1 Size
// (decimal bytes, or the folder marker TextFileDir), 2 Date, 3 Attributes
// (r a h s or "-"), 4 Computer, 5 Path ("\share\folders\"). A row is a folder
// row exactly when its Size equals the current folder marker.
#include <QDateTime>
#include <QString>

#include "platform/fs/FindFile.h"
#include "platform/ui/ListView.h"

enum TResultColumn { rcType = 0, rcSize = 1, rcDate = 2, rcAttributes = 3, rcComputer = 4, rcPath = 5 };

// The caption and Type of an entry's row.
void SplitResultName(const QString& name, bool isDirectory, QString& caption, QString& type);
// The Date text: the system's short date and long time (the time left out at
// midnight); " 00:00:00" appended to a bare date shorter than 11 characters;
// a one-digit hour after a ten-character date given its leading zero. The
// text reads back by the same formats, so the Date sort can order it.
QString ResultDateText(const QDateTime& time);
// The same for a local DOS date-time as find records carry it.
QString ResultDateText(quint32 dosTime);
// The four attribute letters r, a, h, s, each or "-".
QString ResultAttributeText(int attributes);
// Computer and Path of a search folder "\\PC1\docs\sub\": "PC1", "\docs\sub\".
void SplitSearchPath(const QString& searchPath, QString& computer, QString& path);
// The row of a found entry in the folder `searchPath`, with its icon index.
// `folderMarker` is the Size text of a folder row.
TListItem MakeResultRow(const TSearchRec& entry, const QString& searchPath, const QString& folderMarker);
// The same with the folder's Computer and Path already split off.
TListItem MakeResultRow(const TSearchRec& entry, const QString& computer, const QString& path,
                        const QString& folderMarker);

bool IsFolderRow(const TListItem& row, const QString& folderMarker);
// The full network path of a row: "\\" + Computer + Path + caption, then
// "." + Type for a file (also when Type is empty) or "\" for a folder.
QString ResultFullPath(const TListItem& row, const QString& folderMarker);

// The extended criteria as the criteria dialog holds them (texts unparsed).
struct TExtendedCriteria {
  bool TimeBetween = false;
  QString Down;  // lower date text
  QString Up;    // upper date text
  bool Old = false;
  QDateTime CutoffDate;
  bool SizeOn = false;
  int OperIndex = 0;  // 0 ">", 1 "=", 2 "<", other: no size test
  QString SizeText;
  int SizeUnitIndex = 0;  // 0 bytes, 1 kbytes, 2 Mbytes, 3 Gbytes, other kbytes
  bool Attr = false;
  bool ReadOnly = false;
  bool Hidden = false;
  bool System = false;
  bool Archive = false;
  bool Dir = false;
};

// Whether an entry passes the criteria: the date test (strictly between the
// two dates, or not before the cut-off), the size test (folders never pass
// one) and the attribute test (at least one chosen bit), in this order.
// A bound or size text that does not read is not applied.
bool MatchesCriteria(const TExtendedCriteria& criteria, const TSearchRec& entry);
