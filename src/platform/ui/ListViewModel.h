#pragma once
// The rows of a TListView as a table model: column 0 is the caption,
// column k+1 sub-item k. Rows carry their own selected state; the list view
// keeps the views' selection in step with it.
#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <functional>
#include <vector>

#include "platform/ui/ListView.h"

class TListViewModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TListViewModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Rows.
  int Count() const { return int(FRows.size()); }
  bool Valid(int row) const { return row >= 0 && row < Count(); }
  const TListItem& Row(int row) const { return FRows[size_t(row)]; }
  // Rows the views know of. Appended rows are told to the views in bunches
  // (FlushAppended): a view lays itself out and repaints after every change
  // it hears of, which row by row would cost far more than the rows.
  int Reported() const { return FReported; }
  bool HasAppended() const { return Count() > FReported; }
  void FlushAppended();
  void Append(const TListItem& item);
  void Replace(int row, const TListItem& item);
  void Remove(int row);
  void RemoveAll();
  void SetCaption(int row, const QString& caption);
  void SetSubItem(int row, int subItem, const QString& text);
  void SetImageIndex(int row, int imageIndex);
  // Reorders the rows; the views' persistent indexes (current item) follow
  // their rows. Returns false when nothing moved.
  bool Sort(const std::function<int(const TListItem&, const TListItem&)>& compare);

  // Selection flags. SetSelected returns whether the flag changed.
  bool SetSelected(int row, bool selected);
  int SelCount() const { return FSelCount; }
  // Clears every flag but the one of `keep` (-1: all); true when any changed.
  bool ClearSelectedExcept(int keep);

  // Columns: the captions of the columns added; the model always has at
  // least one column, so icon and list styles show captions without any.
  int Columns() const { return int(FCaptions.size()); }
  void AddColumn(const QString& caption);
  QString Caption(int column) const;
  void SetColumnCaption(int column, const QString& caption);

  // Between Freeze and Thaw the views hear nothing; Thaw tells them the
  // whole change at once (new rows appended, or a reset).
  void Freeze();
  // Returns true when the model was reset (the views lost their selection
  // and header state).
  bool Thaw();
  bool Frozen() const { return FFrozen; }

  void SetImageProvider(std::function<QIcon(int imageIndex, bool large)> provider);
  void SetLargeIcons(bool large) { FLarge = large; }

 private:
  // column -1: the whole row.
  void RowChanged(int row, int column = -1);
  QIcon Icon(int imageIndex) const;

  std::vector<TListItem> FRows;
  QStringList FCaptions;
  int FReported = 0;
  int FSelCount = 0;
  bool FFrozen = false;
  bool FFrozenReset = false;  // a change while frozen that appending cannot describe
  int FDirtyFirst = -1, FDirtyLast = -1;  // rows changed in place while frozen
  bool FLarge = false;
  std::function<QIcon(int, bool)> FProvider;
  mutable QHash<int, QIcon> FSmallIcons, FLargeIcons;
};
