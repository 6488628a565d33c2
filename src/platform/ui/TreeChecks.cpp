#include "platform/ui/TreeChecks.h"

#include <QTreeWidgetItem>

int GetStateIndex(const QTreeWidgetItem* item) {
  return item && item->checkState(0) == Qt::Checked ? STATE_CHECKED : STATE_UNCHECKED;
}

void SetStateIndex(QTreeWidgetItem* item, int stateIndex) {
  if (!item) return;
  item->setCheckState(0, stateIndex == STATE_CHECKED ? Qt::Checked : Qt::Unchecked);
}
