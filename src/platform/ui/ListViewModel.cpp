#include "platform/ui/ListViewModel.h"

#include <algorithm>
#include <numeric>

TListViewModel::TListViewModel(QObject* parent) : QAbstractTableModel(parent) {}

int TListViewModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : FReported; }

int TListViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(1, Columns());
}

QVariant TListViewModel::data(const QModelIndex& index, int role) const {
  // While frozen the views may still ask for rows that are gone.
  if (!index.isValid() || !Valid(index.row())) return {};
  const TListItem& item = Row(index.row());
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      if (column == 0) return item.Caption;
      return column - 1 < item.SubItems.size() ? item.SubItems[column - 1] : QString();
    case Qt::DecorationRole:
      if (column != 0 || item.ImageIndex < 0 || !FProvider) return {};
      if (QIcon icon = Icon(item.ImageIndex); !icon.isNull()) return icon;
      return {};
    default:
      return {};
  }
}

QIcon TListViewModel::Icon(int imageIndex) const {
  // Providers may be slow (system icons): each image is asked for once.
  QHash<int, QIcon>& cache = FLarge ? FLargeIcons : FSmallIcons;
  auto it = cache.constFind(imageIndex);
  if (it != cache.constEnd()) return *it;
  QIcon icon = FProvider(imageIndex, FLarge);
  cache.insert(imageIndex, icon);
  return icon;
}

QVariant TListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return Caption(section);
}

Qt::ItemFlags TListViewModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TListViewModel::Append(const TListItem& item) {
  FRows.push_back(item);
  if (item.Selected) ++FSelCount;
}

void TListViewModel::FlushAppended() {
  if (FFrozen || !HasAppended()) return;
  beginInsertRows(QModelIndex(), FReported, Count() - 1);
  FReported = Count();
  endInsertRows();
}

void TListViewModel::RowChanged(int row, int column) {
  if (row >= FReported) return;  // the views will hear of the row when it is flushed
  if (FFrozen) {
    FDirtyFirst = FDirtyFirst < 0 ? row : std::min(FDirtyFirst, row);
    FDirtyLast = std::max(FDirtyLast, row);
    return;
  }
  // One cell where possible: a view repaints just that cell, not all of itself.
  if (column >= columnCount()) return;
  if (column >= 0) emit dataChanged(index(row, column), index(row, column));
  else emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TListViewModel::Replace(int row, const TListItem& item) {
  if (!Valid(row)) return;
  FSelCount += int(item.Selected) - int(FRows[size_t(row)].Selected);
  FRows[size_t(row)] = item;
  RowChanged(row);
}

void TListViewModel::Remove(int row) {
  if (!Valid(row)) return;
  FlushAppended();
  const bool report = !FFrozen;
  if (report) beginRemoveRows(QModelIndex(), row, row);
  if (FRows[size_t(row)].Selected) --FSelCount;
  FRows.erase(FRows.begin() + row);
  if (report) {
    FReported = Count();
    endRemoveRows();
  } else {
    FFrozenReset = true;
  }
}

void TListViewModel::RemoveAll() {
  if (FRows.empty()) return;
  const bool report = !FFrozen && FReported > 0;
  if (report) beginRemoveRows(QModelIndex(), 0, FReported - 1);
  FRows.clear();
  FRows.shrink_to_fit();
  FSelCount = 0;
  if (FFrozen) {
    FFrozenReset = true;
  } else {
    FReported = 0;
    if (report) endRemoveRows();
  }
}

void TListViewModel::SetCaption(int row, const QString& caption) {
  if (!Valid(row)) return;
  FRows[size_t(row)].Caption = caption;
  RowChanged(row, 0);
}

void TListViewModel::SetSubItem(int row, int subItem, const QString& text) {
  if (!Valid(row) || subItem < 0) return;
  QStringList& subs = FRows[size_t(row)].SubItems;
  while (subs.size() <= subItem) subs.append(QString());
  subs[subItem] = text;
  RowChanged(row, subItem + 1);
}

void TListViewModel::SetImageIndex(int row, int imageIndex) {
  if (!Valid(row)) return;
  FRows[size_t(row)].ImageIndex = imageIndex;
  RowChanged(row, 0);
}

bool TListViewModel::Sort(const std::function<int(const TListItem&, const TListItem&)>& compare) {
  FlushAppended();
  const int n = Count();
  if (n < 2 || !compare) return false;
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return compare(FRows[size_t(a)], FRows[size_t(b)]) < 0; });
  bool moved = false;
  for (int i = 0; i < n && !moved; ++i) moved = order[size_t(i)] != i;
  if (!moved) return false;

  const bool report = !FFrozen;
  if (report) emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<TListItem> sorted;
  sorted.reserve(size_t(n));
  std::vector<int> newRow(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    sorted.push_back(std::move(FRows[size_t(order[size_t(i)])]));
    newRow[size_t(order[size_t(i)])] = i;
  }
  FRows.swap(sorted);
  if (report) {
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from)
      to.append(Valid(idx.row()) ? index(newRow[size_t(idx.row())], idx.column()) : QModelIndex());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  } else {
    FFrozenReset = true;
  }
  return true;
}

bool TListViewModel::SetSelected(int row, bool selected) {
  if (!Valid(row)) return false;
  bool& flag = FRows[size_t(row)].Selected;
  if (flag == selected) return false;
  flag = selected;
  FSelCount += selected ? 1 : -1;
  return true;
}

bool TListViewModel::ClearSelectedExcept(int keep) {
  const int remaining = Valid(keep) && Row(keep).Selected ? 1 : 0;
  bool changed = false;
  for (int i = 0, n = Count(); i < n && FSelCount > remaining; ++i)
    if (i != keep) changed |= SetSelected(i, false);
  return changed;
}

void TListViewModel::AddColumn(const QString& caption) {
  const int before = columnCount();
  if (Columns() + 1 > before) {
    beginInsertColumns(QModelIndex(), before, Columns());
    FCaptions.append(caption);
    endInsertColumns();
  } else {
    FCaptions.append(caption);
    emit headerDataChanged(Qt::Horizontal, 0, 0);
  }
}

QString TListViewModel::Caption(int column) const {
  return column >= 0 && column < Columns() ? FCaptions[column] : QString();
}

void TListViewModel::SetColumnCaption(int column, const QString& caption) {
  if (column < 0 || column >= Columns()) return;
  FCaptions[column] = caption;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

void TListViewModel::Freeze() {
  if (FFrozen) return;
  FFrozen = true;
  FFrozenReset = false;
  FDirtyFirst = FDirtyLast = -1;
}

bool TListViewModel::Thaw() {
  if (!FFrozen) return false;
  FFrozen = false;
  if (FFrozenReset) {
    FFrozenReset = false;
    beginResetModel();
    FReported = Count();
    endResetModel();
    return true;
  }
  if (FDirtyFirst >= 0)
    emit dataChanged(index(FDirtyFirst, 0), index(std::min(FDirtyLast, FReported - 1), columnCount() - 1));
  FDirtyFirst = FDirtyLast = -1;
  FlushAppended();
  return false;
}

void TListViewModel::SetImageProvider(std::function<QIcon(int, bool)> provider) {
  FProvider = std::move(provider);
  FSmallIcons.clear();
  FLargeIcons.clear();
  if (FReported > 0) emit dataChanged(index(0, 0), index(FReported - 1, 0), {Qt::DecorationRole});
}
