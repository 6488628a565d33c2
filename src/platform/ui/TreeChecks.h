#pragma once
// Check boxes of a tree item as the state images of a Windows tree view:
// state image 1 is unticked, 2 is ticked.
class QTreeWidgetItem;

constexpr int STATE_UNCHECKED = 1;
constexpr int STATE_CHECKED = 2;

// The item's state image index (1 or 2).
int GetStateIndex(const QTreeWidgetItem* item);
// Sets the state image: 2 ticks the box, anything else unticks it.
void SetStateIndex(QTreeWidgetItem* item, int stateIndex);
