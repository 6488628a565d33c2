#pragma once
// A node of a sorted tree that orders its siblings by text without regard
// to letter case, as the Windows tree view does ("pc0" before "PC1").
#include <QTreeWidgetItem>

class TTreeNode : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override;
};
