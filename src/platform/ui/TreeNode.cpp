#include "platform/ui/TreeNode.h"

#include <QTreeWidget>

bool TTreeNode::operator<(const QTreeWidgetItem& other) const {
  const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
  const QString a = text(column < 0 ? 0 : column);
  const QString b = other.text(column < 0 ? 0 : column);
  const int folded = a.compare(b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : a < b;
}
