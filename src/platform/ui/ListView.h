#pragma once
// The list-view control: report, icon and list styles over one model of
// rows (caption, sub-items, image index, selection). Holds 100,000 rows
// and stays fast: the rows live in one vector behind a table model.
#include <QElapsedTimer>
#include <QIcon>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

class QItemSelection;
class QItemSelectionModel;
class QMenu;
class QTimer;
class QStackedWidget;
class QTreeView;
class QListView;
class TListViewModel;

enum TViewStyle { vsIcon = 0, vsSmallIcon = 1, vsList = 2, vsReport = 3 };

struct TListItem {
  QString Caption;
  QStringList SubItems;
  int ImageIndex = -1;
  bool Selected = false;
};

class TListView : public QWidget {
  Q_OBJECT
 public:
  explicit TListView(QWidget* parent = nullptr);
  ~TListView() override;

  // Columns (report style). Column 0 shows the caption, column k+1 SubItems[k].
  int ColumnCount() const;
  void AddColumn(const QString& caption, int width);
  QString ColumnCaption(int column) const;
  void SetColumnCaption(int column, const QString& caption);
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);

  TViewStyle ViewStyle() const;
  void SetViewStyle(TViewStyle style);
  bool MultiSelect() const;
  void SetMultiSelect(bool multi);

  // Rows.
  int Count() const;
  const TListItem& Item(int index) const;
  // Replaces a row (keeps nothing of the old one, selection included).
  void SetItem(int index, const TListItem& item);
  int AddItem(const TListItem& item);  // appends, returns the index
  void DeleteItem(int index);
  void Clear();
  void SetCaption(int index, const QString& caption);
  // Sets sub-item k of a row, growing its sub-item list with empty texts when needed.
  void SetSubItem(int index, int subItem, const QString& text);
  QString SubItem(int index, int subItem) const;  // "" when missing
  void SetImageIndex(int index, int imageIndex);
  // Suspends repaints and model notifications while many rows change.
  void BeginUpdate();
  void EndUpdate();

  // Selection.
  bool IsSelected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  int FirstSelected() const;  // -1 when none
  std::vector<int> SelectedIndexes() const;
  void SelectAll();
  void ClearSelection();
  int ItemFocused() const;  // -1 when none
  void SetItemFocused(int index);
  void MakeVisible(int index);

  // Reorders the rows by a comparator (negative: a before b); stable.
  void CustomSort(const std::function<int(const TListItem&, const TListItem&)>& compare);

  // Images: small (16x16) for report and list, large (32x32) for icons.
  void SetImageProvider(std::function<QIcon(int imageIndex, bool large)> provider);
  void SetPopupMenu(QMenu* menu);
  QMenu* PopupMenu() const;

  // The view widget currently shown (for tests and focus).
  QWidget* ActiveView() const;

 signals:
  void ColumnClick(int column);
  void SelectionChanged();
  void ItemDoubleClicked(int index);
  void ContextPopup(const QPoint& globalPos);
  void KeyPressed(int key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The rows' selected flags are the truth; the views' selection model
  // follows them. A few changes are passed on one by one, many at once.
  void SyncSelectionFromView(const QItemSelection& selected, const QItemSelection& deselected);
  void SyncSelectionToView();
  void PushRowSelection(int index);
  void ScheduleSelectionSync();
  void NotifySelectionChanged();
  void ApplyColumnWidths();
  void ConfigureListView();
  void UpdateListGrid();
  void GrowListGrid(const QString& caption);
  void ScheduleRowFlush();
  void FlushRows();

  TListViewModel* FModel;
  QItemSelectionModel* FSelection;
  QStackedWidget* FStack;
  QTreeView* FReport;
  QListView* FIcons;
  QMenu* FPopup = nullptr;
  TViewStyle FStyle = vsReport;
  bool FMultiSelect = true;
  int FUpdateDepth = 0;
  std::vector<int> FWidths;
  bool FApplyingWidths = false;     // header changes made by us, not by the user
  bool FPushing = false;            // selection changes made by us, not by the user
  bool FSelectionDirty = false;     // flags not yet passed on to the views
  bool FSyncScheduled = false;
  int FImmediatePushes = 0;
  bool FSelectionChangedPending = false;
  int FListCaptionChars = -1;       // longest caption the list style's grid was sized for
  QTimer* FFlushTimer;              // tells the views of appended rows
  QElapsedTimer FLastFlush;
};
