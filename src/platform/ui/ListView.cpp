#include "platform/ui/ListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/core/Memory.h"
#include "platform/ui/ListViewModel.h"

namespace {

// Up to this many single-row selection changes go to the views one by one
// between two full updates; each costs the selection model time in
// proportion to the ranges it holds, so longer runs are passed on at once.
constexpr int kImmediatePushLimit = 128;

// Appended rows reach the views at most this often while rows keep coming;
// a single row after a pause reaches them at the next turn of the event loop.
constexpr int kFlushIntervalMs = 100;

// Clearing a list of at least this many rows hands the freed memory back.
constexpr int kReleaseAfterRows = 5000;

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;
const QSize kIconGrid(96, 72);
constexpr int kMaxListColumnWidth = 600;

// Report rows drawn with light cell borders, like a grid.
class TGridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
  }
};

const TListItem& EmptyItem() {
  static const TListItem empty;
  return empty;
}

}  // namespace

TListView::TListView(QWidget* parent) : QWidget(parent) {
  FModel = new TListViewModel(this);
  FFlushTimer = new QTimer(this);
  FFlushTimer->setSingleShot(true);
  connect(FFlushTimer, &QTimer::timeout, this, &TListView::FlushRows);
  FStack = new QStackedWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FStack);

  FReport = new QTreeView(FStack);
  FReport->setRootIsDecorated(false);
  FReport->setUniformRowHeights(true);
  FReport->setItemsExpandable(false);
  FReport->setExpandsOnDoubleClick(false);
  FReport->setAllColumnsShowFocus(true);
  FReport->setSortingEnabled(false);
  FReport->setTextElideMode(Qt::ElideRight);
  FReport->setIconSize(QSize(kSmallIcon, kSmallIcon));
  FReport->setItemDelegate(new TGridDelegate(FReport));
  FReport->setModel(FModel);
  QHeaderView* header = FReport->header();
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setHighlightSections(false);
  header->setMinimumSectionSize(0);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  FIcons = new QListView(FStack);
  FIcons->setUniformItemSizes(true);
  FIcons->setLayoutMode(QListView::Batched);
  FIcons->setBatchSize(1000);
  FIcons->setModel(FModel);

  // Both views share one selection model, so the selection survives a
  // change of style.
  FSelection = new QItemSelectionModel(FModel, this);
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(FReport), static_cast<QAbstractItemView*>(FIcons)}) {
    QItemSelectionModel* own = view->selectionModel();
    view->setSelectionModel(FSelection);
    delete own;
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
      if (index.isValid()) emit ItemDoubleClicked(index.row());
    });
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
      const QPoint global = view->viewport()->mapToGlobal(pos);
      emit ContextPopup(global);
      if (FPopup) FPopup->popup(global);
    });
    FStack->addWidget(view);
  }
  setFocusProxy(FReport);

  connect(FSelection, &QItemSelectionModel::selectionChanged, this, &TListView::SyncSelectionFromView);
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) { emit ColumnClick(column); });
  connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
    if (!FApplyingWidths && column >= 0 && column < int(FWidths.size())) FWidths[size_t(column)] = size;
  });

  SetMultiSelect(true);
  SetViewStyle(vsReport);
}

TListView::~TListView() {
  // Cut the views off before they go, so that nothing they send on the way
  // reaches a list view that is half destroyed.
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(FReport), static_cast<QAbstractItemView*>(FIcons)}) {
    view->removeEventFilter(this);
    view->viewport()->removeEventFilter(this);
  }
  disconnect(FSelection, nullptr, this, nullptr);
  disconnect(FReport->header(), nullptr, this, nullptr);
  delete FStack;
}

// ---- columns ----

int TListView::ColumnCount() const { return FModel->Columns(); }

void TListView::AddColumn(const QString& caption, int width) {
  FModel->AddColumn(caption);
  FWidths.push_back(std::max(0, width));
  ApplyColumnWidths();
}

QString TListView::ColumnCaption(int column) const { return FModel->Caption(column); }

void TListView::SetColumnCaption(int column, const QString& caption) { FModel->SetColumnCaption(column, caption); }

int TListView::ColumnWidth(int column) const {
  return column >= 0 && column < int(FWidths.size()) ? FWidths[size_t(column)] : 0;
}

void TListView::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= int(FWidths.size())) return;
  // A width read from a file may be anything: below zero counts as zero,
  // which the user can still drag open again.
  FWidths[size_t(column)] = std::max(0, width);
  ApplyColumnWidths();
}

void TListView::ApplyColumnWidths() {
  FApplyingWidths = true;
  QHeaderView* header = FReport->header();
  for (int c = 0; c < int(FWidths.size()) && c < header->count(); ++c)
    if (header->sectionSize(c) != FWidths[size_t(c)]) header->resizeSection(c, FWidths[size_t(c)]);
  FApplyingWidths = false;
}

// ---- styles ----

TViewStyle TListView::ViewStyle() const { return FStyle; }

void TListView::SetViewStyle(TViewStyle style) {
  if (style < vsIcon || style > vsReport) style = vsReport;
  const bool hadFocus = ActiveView()->hasFocus();
  FStyle = style;
  FModel->SetLargeIcons(style == vsIcon);
  if (style != vsReport) ConfigureListView();
  FStack->setCurrentWidget(ActiveView());
  setFocusProxy(ActiveView());
  if (hadFocus) ActiveView()->setFocus();
}

void TListView::ConfigureListView() {
  FIcons->setViewMode(FStyle == vsIcon ? QListView::IconMode : QListView::ListMode);
  // setViewMode sets flow, wrapping and movement of its own; ours follow.
  FIcons->setMovement(QListView::Static);
  FIcons->setResizeMode(QListView::Adjust);
  FIcons->setWrapping(true);
  FIcons->setFlow(FStyle == vsList ? QListView::TopToBottom : QListView::LeftToRight);
  FIcons->setTextElideMode(Qt::ElideRight);
  if (FStyle == vsIcon) {
    FIcons->setIconSize(QSize(kLargeIcon, kLargeIcon));
    FIcons->setWordWrap(true);
    FIcons->setGridSize(kIconGrid);
  } else {
    FIcons->setIconSize(QSize(kSmallIcon, kSmallIcon));
    FIcons->setWordWrap(false);
    UpdateListGrid();
  }
}

// The list styles lay out in cells as wide as the longest caption (within
// reason): the longest by characters is measured, not every row.
void TListView::UpdateListGrid() {
  if (FStyle != vsList && FStyle != vsSmallIcon) return;
  int longest = -1;
  for (int i = 0, n = FModel->Count(); i < n; ++i)
    if (longest < 0 || FModel->Row(i).Caption.size() > FModel->Row(longest).Caption.size()) longest = i;
  FListCaptionChars = -1;
  GrowListGrid(longest >= 0 ? FModel->Row(longest).Caption : QString());
}

void TListView::GrowListGrid(const QString& caption) {
  if (FStyle != vsList && FStyle != vsSmallIcon) return;
  if (FListCaptionChars >= 0 && caption.size() <= FListCaptionChars) return;
  FListCaptionChars = int(caption.size());
  const QFontMetrics fm(FIcons->font());
  const int width = std::clamp(fm.horizontalAdvance(caption) + kSmallIcon + 16, 64, kMaxListColumnWidth);
  const int height = std::max(kSmallIcon + 4, fm.height() + 4);
  FIcons->setGridSize(QSize(width, height));
}

// ---- selection mode ----

bool TListView::MultiSelect() const { return FMultiSelect; }

void TListView::SetMultiSelect(bool multi) {
  FMultiSelect = multi;
  const auto mode = multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
  FReport->setSelectionMode(mode);
  FIcons->setSelectionMode(mode);
  if (!multi && FModel->SelCount() > 1) {
    FModel->ClearSelectedExcept(FirstSelected());
    if (FUpdateDepth > 0) FSelectionDirty = true;
    else SyncSelectionToView();
    NotifySelectionChanged();
  }
}

// ---- rows ----

int TListView::Count() const { return FModel->Count(); }

const TListItem& TListView::Item(int index) const {
  return FModel->Valid(index) ? FModel->Row(index) : EmptyItem();
}

void TListView::SetItem(int index, const TListItem& item) {
  if (!FModel->Valid(index)) return;
  const bool was = FModel->Row(index).Selected;
  bool others = false;
  if (item.Selected && !FMultiSelect) others = FModel->ClearSelectedExcept(index);
  FModel->Replace(index, item);
  if (was != item.Selected || others) {
    PushRowSelection(index);
    NotifySelectionChanged();
  }
  GrowListGrid(item.Caption);
}

int TListView::AddItem(const TListItem& item) {
  const int row = FModel->Count();
  if (item.Selected && !FMultiSelect) FModel->ClearSelectedExcept(-1);
  FModel->Append(item);
  ScheduleRowFlush();
  if (item.Selected) {
    PushRowSelection(row);
    NotifySelectionChanged();
  }
  GrowListGrid(item.Caption);
  return row;
}

void TListView::DeleteItem(int index) {
  if (!FModel->Valid(index)) return;
  const bool wasSelected = FModel->Row(index).Selected;
  FPushing = true;  // the selection model drops the row itself; the flag goes with the row
  FModel->Remove(index);
  FPushing = false;
  if (wasSelected) NotifySelectionChanged();
}

void TListView::Clear() {
  const bool hadSelection = FModel->SelCount() > 0;
  const bool large = FModel->Count() >= kReleaseAfterRows;
  FPushing = true;
  FModel->RemoveAll();
  FPushing = false;
  if (hadSelection) NotifySelectionChanged();
  // The rows' memory was freed but the C library keeps it; a large list's
  // worth goes back to the system. Queued, so that the views have dropped
  // what they held of the rows first.
  if (large) QTimer::singleShot(0, this, [] { Memory::ReleaseFreed(); });
}

void TListView::SetCaption(int index, const QString& caption) {
  FModel->SetCaption(index, caption);
  GrowListGrid(caption);
}

void TListView::SetSubItem(int index, int subItem, const QString& text) { FModel->SetSubItem(index, subItem, text); }

QString TListView::SubItem(int index, int subItem) const {
  if (!FModel->Valid(index) || subItem < 0) return {};
  const QStringList& subs = FModel->Row(index).SubItems;
  return subItem < subs.size() ? subs[subItem] : QString();
}

void TListView::SetImageIndex(int index, int imageIndex) { FModel->SetImageIndex(index, imageIndex); }

void TListView::BeginUpdate() {
  if (FUpdateDepth++ > 0) return;
  FFlushTimer->stop();
  FModel->Freeze();
  setUpdatesEnabled(false);
}

void TListView::EndUpdate() {
  if (FUpdateDepth == 0 || --FUpdateDepth > 0) return;
  FFlushTimer->stop();
  const int current = ItemFocused();
  FApplyingWidths = true;
  const bool reset = FModel->Thaw();
  FApplyingWidths = false;
  if (reset) {
    // A reset forgets the header's widths and the selection.
    ApplyColumnWidths();
    FSelectionDirty = true;
    if (FModel->Valid(current)) SetItemFocused(current);
  }
  if (FSelectionDirty) SyncSelectionToView();
  UpdateListGrid();
  setUpdatesEnabled(true);
  if (FSelectionChangedPending) {
    FSelectionChangedPending = false;
    emit SelectionChanged();
  }
}

// ---- selection ----

bool TListView::IsSelected(int index) const { return FModel->Valid(index) && FModel->Row(index).Selected; }

void TListView::SetSelected(int index, bool selected) {
  if (!FModel->Valid(index)) return;
  bool changed = false;
  if (selected && !FMultiSelect) changed = FModel->ClearSelectedExcept(index);
  changed |= FModel->SetSelected(index, selected);
  if (!changed) return;
  PushRowSelection(index);
  NotifySelectionChanged();
}

int TListView::SelCount() const { return FModel->SelCount(); }

int TListView::FirstSelected() const {
  if (FModel->SelCount() == 0) return -1;
  for (int i = 0, n = FModel->Count(); i < n; ++i)
    if (FModel->Row(i).Selected) return i;
  return -1;
}

std::vector<int> TListView::SelectedIndexes() const {
  std::vector<int> result;
  result.reserve(size_t(FModel->SelCount()));
  for (int i = 0, n = FModel->Count(); i < n && int(result.size()) < FModel->SelCount(); ++i)
    if (FModel->Row(i).Selected) result.push_back(i);
  return result;
}

void TListView::SelectAll() {
  if (!FMultiSelect) return;
  bool changed = false;
  for (int i = 0, n = FModel->Count(); i < n; ++i) changed |= FModel->SetSelected(i, true);
  if (!changed) return;
  if (FUpdateDepth > 0) FSelectionDirty = true;
  else SyncSelectionToView();
  NotifySelectionChanged();
}

void TListView::ClearSelection() {
  if (!FModel->ClearSelectedExcept(-1)) return;
  if (FUpdateDepth > 0) FSelectionDirty = true;
  else SyncSelectionToView();
  NotifySelectionChanged();
}

int TListView::ItemFocused() const {
  const QModelIndex current = FSelection->currentIndex();
  return current.isValid() && FModel->Valid(current.row()) ? current.row() : -1;
}

void TListView::SetItemFocused(int index) {
  if (index >= FModel->Reported()) FlushRows();
  const QModelIndex target = FModel->Valid(index) && index < FModel->Reported() ? FModel->index(index, 0) : QModelIndex();
  FSelection->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
}

void TListView::MakeVisible(int index) {
  if (index >= FModel->Reported()) FlushRows();
  if (!FModel->Valid(index) || index >= FModel->Reported()) return;
  static_cast<QAbstractItemView*>(ActiveView())->scrollTo(FModel->index(index, 0));
}

void TListView::PushRowSelection(int index) {
  if (FUpdateDepth > 0 || index >= FModel->Reported()) {
    FSelectionDirty = true;  // passed on with the rows
    return;
  }
  if (FSelectionDirty || ++FImmediatePushes > kImmediatePushLimit) {
    FSelectionDirty = true;
    ScheduleSelectionSync();
    return;
  }
  const bool selected = FModel->Row(index).Selected;
  const QItemSelection row(FModel->index(index, 0), FModel->index(index, FModel->columnCount() - 1));
  QItemSelectionModel::SelectionFlags command = QItemSelectionModel::Deselect;
  if (selected) command = FMultiSelect ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect;
  FPushing = true;
  FSelection->select(row, command);
  FPushing = false;
}

void TListView::ScheduleSelectionSync() {
  if (FSyncScheduled) return;
  FSyncScheduled = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        FSyncScheduled = false;
        FlushRows();
      },
      Qt::QueuedConnection);
}

void TListView::ScheduleRowFlush() {
  if (FUpdateDepth > 0 || FFlushTimer->isActive()) return;
  const qint64 since = FLastFlush.isValid() ? FLastFlush.elapsed() : kFlushIntervalMs;
  FFlushTimer->start(int(std::max<qint64>(0, kFlushIntervalMs - since)));
}

// Tells the views of the rows appended and the selection changed since the
// last time.
void TListView::FlushRows() {
  if (FUpdateDepth > 0) return;
  FFlushTimer->stop();
  if (FModel->HasAppended()) {
    FModel->FlushAppended();
    FLastFlush.restart();
  }
  if (FSelectionDirty) SyncSelectionToView();
}

// Rebuilds the views' selection from the flags as runs of rows. Signals are
// held back meanwhile: the selection model would otherwise compare the old
// and new selections range by range.
void TListView::SyncSelectionToView() {
  FSelectionDirty = false;
  FImmediatePushes = 0;
  QItemSelection selection;
  const int last = FModel->columnCount() - 1;
  const int n = std::min(FModel->Count(), FModel->Reported());
  for (int i = 0; i < n && FModel->SelCount() > 0;) {
    if (!FModel->Row(i).Selected) {
      ++i;
      continue;
    }
    int j = i;
    while (j + 1 < n && FModel->Row(j + 1).Selected) ++j;
    selection.append(QItemSelectionRange(FModel->index(i, 0), FModel->index(j, last)));
    i = j + 1;
  }
  FPushing = true;
  {
    const QSignalBlocker block(FSelection);
    FSelection->clearSelection();
    if (!selection.isEmpty()) FSelection->select(selection, QItemSelectionModel::Select);
  }
  FPushing = false;
  FReport->viewport()->update();
  FIcons->viewport()->update();
}

// The user changed the selection in a view: the rows' flags follow.
void TListView::SyncSelectionFromView(const QItemSelection& selected, const QItemSelection& deselected) {
  if (FPushing) return;
  bool changed = false;
  for (const QItemSelectionRange& range : deselected)
    if (range.left() == 0)
      for (int r = range.top(); r <= range.bottom(); ++r) changed |= FModel->SetSelected(r, false);
  for (const QItemSelectionRange& range : selected)
    if (range.left() == 0)
      for (int r = range.top(); r <= range.bottom(); ++r) changed |= FModel->SetSelected(r, true);
  if (changed) NotifySelectionChanged();
}

void TListView::NotifySelectionChanged() {
  if (FUpdateDepth > 0) {
    FSelectionChangedPending = true;
    return;
  }
  emit SelectionChanged();
}

// ---- sorting, images, popup ----

void TListView::CustomSort(const std::function<int(const TListItem&, const TListItem&)>& compare) {
  if (!compare) return;
  // The flags move with their rows; the views' selection is rebuilt from
  // them afterwards, and the current item follows its row.
  FPushing = true;
  {
    const QSignalBlocker block(FSelection);
    FSelection->clearSelection();
  }
  FModel->Sort(compare);
  FPushing = false;
  if (FUpdateDepth > 0) FSelectionDirty = true;
  else SyncSelectionToView();
}

void TListView::SetImageProvider(std::function<QIcon(int imageIndex, bool large)> provider) {
  FModel->SetImageProvider(std::move(provider));
}

void TListView::SetPopupMenu(QMenu* menu) { FPopup = menu; }

QMenu* TListView::PopupMenu() const { return FPopup; }

QWidget* TListView::ActiveView() const {
  return FStyle == vsReport ? static_cast<QWidget*>(FReport) : static_cast<QWidget*>(FIcons);
}

bool TListView::eventFilter(QObject* watched, QEvent* event) {
  const bool isView = watched == FReport || watched == FIcons;
  const bool isViewport = watched == FReport->viewport() || watched == FIcons->viewport();
  switch (event->type()) {
    case QEvent::KeyPress:
      if (isView) {
        FlushRows();
        emit KeyPressed(static_cast<QKeyEvent*>(event)->key());
      }
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      // The user acts on what the view shows: bring it up to date first.
      if (isViewport) FlushRows();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}
