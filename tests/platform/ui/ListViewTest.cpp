#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QThread>
#include <QTreeView>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/ui/ListView.h"

namespace {

// Records the arguments of every emission of a signal.
template <typename... Args>
class Spy {
 public:
  template <typename Signal>
  Spy(TListView* view, Signal signal) {
    QObject::connect(view, signal, view, [this](Args... args) { Calls.emplace_back(args...); });
  }
  int count() const { return int(Calls.size()); }
  std::vector<std::tuple<Args...>> Calls;
};

TListItem Row(const QString& caption, QStringList subs = {}, int image = -1, bool selected = false) {
  TListItem item;
  item.Caption = caption;
  item.SubItems = subs;
  item.ImageIndex = image;
  item.Selected = selected;
  return item;
}

class ListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    View.AddColumn("Name", 120);
    View.AddColumn("Type", 80);
    View.AddColumn("Size", 60);
    View.resize(600, 400);
    View.show();
    Settle();
  }

  // Lets the views hear of every change: appended rows reach them on a
  // short timer.
  void Settle() {
    QElapsedTimer t;
    t.start();
    do QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    while (Model()->rowCount() != View.Count() && t.elapsed() < 2000);
    QCoreApplication::processEvents();
  }

  QAbstractItemView* ActiveView() const { return static_cast<QAbstractItemView*>(View.ActiveView()); }
  QAbstractItemModel* Model() const { return ActiveView()->model(); }
  QItemSelectionModel* ViewSelection() const { return ActiveView()->selectionModel(); }
  QHeaderView* Header() const {
    // The report view stays the header's owner whatever the style.
    return View.findChild<QTreeView*>()->header();
  }
  bool ViewSelected(int row) const { return ViewSelection()->isSelected(Model()->index(row, 0)); }

  // The view's selection and the rows' flags agree, row by row.
  void ExpectInStep() const {
    ASSERT_EQ(Model()->rowCount(), View.Count());
    int count = 0;
    for (int r = 0; r < View.Count(); ++r) {
      ASSERT_EQ(ViewSelected(r), View.IsSelected(r)) << "row " << r;
      count += View.IsSelected(r);
    }
    EXPECT_EQ(View.SelCount(), count);
  }

  void Fill(int n) {
    for (int i = 0; i < n; ++i) View.AddItem(Row(QString("row%1").arg(i), {QString("t%1").arg(i), QString::number(i)}));
    Settle();
  }

  void Click(int row, Qt::KeyboardModifiers mods = Qt::NoModifier, Qt::MouseButton button = Qt::LeftButton) {
    View.MakeVisible(row);
    QWidget* vp = ActiveView()->viewport();
    const QPoint p = ActiveView()->visualRect(Model()->index(row, 0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, p, vp->mapToGlobal(p), button, button, mods);
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, vp->mapToGlobal(p), button, Qt::NoButton, mods);
    QApplication::sendEvent(vp, &release);
  }

  TListView View;
};

TEST_F(ListViewTest, RowsAreAddedChangedAndDeleted) {
  EXPECT_EQ(View.AddItem(Row("a", {"x"}, 3)), 0);
  EXPECT_EQ(View.AddItem(Row("b")), 1);
  EXPECT_EQ(View.AddItem(Row("c")), 2);
  EXPECT_EQ(View.Count(), 3);
  EXPECT_EQ(View.Item(0).Caption, "a");
  EXPECT_EQ(View.Item(0).ImageIndex, 3);
  EXPECT_EQ(View.SubItem(0, 0), "x");
  EXPECT_EQ(View.SubItem(0, 5), "");
  EXPECT_EQ(View.SubItem(9, 0), "");

  View.SetSubItem(1, 2, "size");
  EXPECT_EQ(View.Item(1).SubItems, QStringList({"", "", "size"}));
  View.SetCaption(1, "B");
  View.SetImageIndex(1, 7);
  EXPECT_EQ(View.Item(1).Caption, "B");
  EXPECT_EQ(View.Item(1).ImageIndex, 7);

  Settle();
  ASSERT_EQ(Model()->rowCount(), 3);
  EXPECT_EQ(Model()->index(1, 0).data().toString(), "B");
  EXPECT_EQ(Model()->index(1, 2).data().toString(), "");
  EXPECT_EQ(Model()->index(0, 1).data().toString(), "x");
  View.SetSubItem(0, 1, "later");
  EXPECT_EQ(Model()->index(0, 2).data().toString(), "later");

  View.SetSelected(2, true);
  View.SetItem(2, Row("C", {"y"}));
  EXPECT_FALSE(View.IsSelected(2)) << "a replaced row keeps nothing of the old one";
  EXPECT_EQ(View.Item(2).Caption, "C");

  View.DeleteItem(0);
  EXPECT_EQ(View.Count(), 2);
  EXPECT_EQ(View.Item(0).Caption, "B");
  Settle();
  EXPECT_EQ(Model()->rowCount(), 2);
  EXPECT_EQ(Model()->index(1, 0).data().toString(), "C");

  // Indexes out of range change nothing and read as empty.
  View.DeleteItem(5);
  View.SetCaption(-1, "x");
  View.SetSubItem(7, 0, "x");
  View.SetSelected(9, true);
  EXPECT_EQ(View.Item(-1).Caption, "");
  EXPECT_EQ(View.Count(), 2);
  EXPECT_EQ(View.SelCount(), 0);

  View.Clear();
  EXPECT_EQ(View.Count(), 0);
  Settle();
  EXPECT_EQ(Model()->rowCount(), 0);
}

TEST_F(ListViewTest, SelectionIsKeptInStepWithTheViewBothWays) {
  Fill(6);
  Spy<> changed(&View, &TListView::SelectionChanged);
  View.SetSelected(1, true);
  View.SetSelected(3, true);
  View.SetSelected(3, true);  // no change, no signal
  EXPECT_EQ(changed.count(), 2);
  EXPECT_TRUE(ViewSelected(1));
  EXPECT_TRUE(ViewSelected(3));
  EXPECT_EQ(View.SelCount(), 2);
  EXPECT_EQ(View.FirstSelected(), 1);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({1, 3}));
  ExpectInStep();

  // The user clicks row 2, then ctrl-clicks row 4.
  Click(2);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({2}));
  Click(4, Qt::ControlModifier);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({2, 4}));
  EXPECT_EQ(View.ItemFocused(), 4);
  ExpectInStep();
  EXPECT_GE(changed.count(), 4);

  // Selection made through the view's own selection model.
  ViewSelection()->select(Model()->index(5, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_TRUE(View.IsSelected(5));
  ViewSelection()->clearSelection();
  EXPECT_EQ(View.SelCount(), 0);

  View.SelectAll();
  EXPECT_EQ(View.SelCount(), 6);
  ExpectInStep();
  View.ClearSelection();
  EXPECT_EQ(View.FirstSelected(), -1);
  ExpectInStep();

  View.SetItemFocused(3);
  EXPECT_EQ(View.ItemFocused(), 3);
  EXPECT_EQ(ViewSelection()->currentIndex().row(), 3);
  View.SetItemFocused(-1);
  EXPECT_EQ(View.ItemFocused(), -1);
}

TEST_F(ListViewTest, ManySelectionChangesEndInStep) {
  Fill(2000);
  for (int i = 0; i < View.Count(); i += 2) View.SetSelected(i, true);
  EXPECT_EQ(View.SelCount(), 1000);  // at once in the rows
  Settle();
  ExpectInStep();
  for (int i = 0; i < View.Count(); ++i) View.SetSelected(i, !View.IsSelected(i));  // invert
  EXPECT_EQ(View.FirstSelected(), 1);
  Settle();
  ExpectInStep();
  // A click acts on what the rows say, even before the views caught up.
  for (int i = 0; i < 300; ++i) View.SetSelected(i, true);
  Click(0);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({0}));
  Settle();
  ExpectInStep();
}

TEST_F(ListViewTest, RowsAddedSelectedAndRemovedSelected) {
  Spy<> changed(&View, &TListView::SelectionChanged);
  View.AddItem(Row("a"));
  View.AddItem(Row("b", {}, -1, true));
  EXPECT_EQ(View.SelCount(), 1);
  EXPECT_EQ(changed.count(), 1);
  Settle();
  ExpectInStep();
  View.DeleteItem(1);
  EXPECT_EQ(View.SelCount(), 0);
  EXPECT_EQ(changed.count(), 2);
  ExpectInStep();
}

TEST_F(ListViewTest, SingleSelection) {
  Fill(5);
  View.SetSelected(1, true);
  View.SetSelected(3, true);
  View.SetSelected(4, true);
  View.SetMultiSelect(false);
  EXPECT_FALSE(View.MultiSelect());
  EXPECT_EQ(ActiveView()->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({1}));
  ExpectInStep();
  View.SetSelected(2, true);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({2}));
  ExpectInStep();
  View.AddItem(Row("new", {}, -1, true));
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({5}));
  Settle();
  ExpectInStep();
  View.SelectAll();
  EXPECT_EQ(View.SelCount(), 1);
  Click(0, Qt::ControlModifier);
  Click(3, Qt::ControlModifier);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({3}));
  View.SetMultiSelect(true);
  EXPECT_EQ(ActiveView()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(ListViewTest, StylesShareRowsAndSelection) {
  Fill(50);
  View.SetSelected(7, true);
  View.SetSelected(8, true);
  EXPECT_EQ(View.ViewStyle(), vsReport);
  EXPECT_NE(qobject_cast<QTreeView*>(View.ActiveView()), nullptr);

  View.SetViewStyle(vsIcon);
  auto* icons = qobject_cast<QListView*>(View.ActiveView());
  ASSERT_NE(icons, nullptr);
  EXPECT_EQ(icons->viewMode(), QListView::IconMode);
  EXPECT_EQ(icons->iconSize(), QSize(32, 32));
  EXPECT_TRUE(icons->isVisible());
  Settle();
  EXPECT_EQ(Model()->rowCount(), 50);
  ExpectInStep();
  Click(10);
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({10}));

  View.SetViewStyle(vsList);
  EXPECT_EQ(qobject_cast<QListView*>(View.ActiveView())->viewMode(), QListView::ListMode);
  EXPECT_EQ(qobject_cast<QListView*>(View.ActiveView())->flow(), QListView::TopToBottom);
  Settle();
  ExpectInStep();

  View.SetViewStyle(vsReport);
  EXPECT_NE(qobject_cast<QTreeView*>(View.ActiveView()), nullptr);
  ExpectInStep();
  EXPECT_EQ(View.Count(), 50);
  View.SetViewStyle(TViewStyle(9));
  EXPECT_EQ(View.ViewStyle(), vsReport);
}

TEST_F(ListViewTest, ImagesComeLazilyFromTheProviderAndAreCached) {
  int calls = 0;
  std::vector<std::pair<int, bool>> asked;
  View.SetImageProvider([&](int index, bool large) {
    ++calls;
    asked.emplace_back(index, large);
    QPixmap pm(large ? 32 : 16, large ? 32 : 16);
    pm.fill(Qt::red);
    return QIcon(pm);
  });
  View.AddItem(Row("a", {}, 4));
  View.AddItem(Row("b", {}, 4));
  View.AddItem(Row("c", {}, -1));
  EXPECT_EQ(calls, 0) << "nothing is asked before a row is shown";
  Settle();
  EXPECT_FALSE(Model()->index(0, 0).data(Qt::DecorationRole).isNull());
  EXPECT_TRUE(Model()->index(2, 0).data(Qt::DecorationRole).isNull());
  EXPECT_TRUE(Model()->index(0, 1).data(Qt::DecorationRole).isNull());
  const int afterSmall = calls;
  EXPECT_EQ(afterSmall, 1) << "one image index, asked once";
  View.SetViewStyle(vsIcon);
  Settle();
  Model()->index(1, 0).data(Qt::DecorationRole);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(asked.back(), std::make_pair(4, true));
}

TEST_F(ListViewTest, CustomSortIsStableAndKeepsSelectionWithItsRows) {
  const QStringList keys = {"b", "a", "b", "a", "c", "a"};
  for (int i = 0; i < keys.size(); ++i) View.AddItem(Row(QString::number(i), {keys[i]}));
  Settle();
  View.SetSelected(2, true);
  View.SetSelected(3, true);
  View.SetItemFocused(2);
  View.CustomSort([](const TListItem& a, const TListItem& b) { return QString::compare(a.SubItems[0], b.SubItems[0]); });
  QStringList order;
  for (int i = 0; i < View.Count(); ++i) order << View.Item(i).Caption;
  EXPECT_EQ(order, QStringList({"1", "3", "5", "0", "2", "4"}));
  EXPECT_EQ(View.SelectedIndexes(), std::vector<int>({1, 4}));  // rows "3" and "2"
  EXPECT_EQ(View.ItemFocused(), 4);
  ExpectInStep();
  EXPECT_EQ(Model()->index(0, 0).data().toString(), "1");

  // A comparator that finds everything equal moves nothing.
  View.CustomSort([](const TListItem&, const TListItem&) { return 0; });
  EXPECT_EQ(View.Item(0).Caption, "1");
  ExpectInStep();
}

TEST_F(ListViewTest, ColumnCaptionsAndWidths) {
  EXPECT_EQ(View.ColumnCount(), 3);
  EXPECT_EQ(View.ColumnCaption(1), "Type");
  EXPECT_EQ(Model()->headerData(1, Qt::Horizontal).toString(), "Type");
  View.SetColumnCaption(1, "Kind");
  EXPECT_EQ(Model()->headerData(1, Qt::Horizontal).toString(), "Kind");
  EXPECT_EQ(View.ColumnCaption(7), "");
  EXPECT_EQ(Header()->sectionSize(0), 120);
  EXPECT_EQ(View.ColumnWidth(0), 120);

  // Widths apply while another style is shown.
  View.SetViewStyle(vsIcon);
  View.SetColumnWidth(1, 77);
  EXPECT_EQ(View.ColumnWidth(1), 77);
  EXPECT_EQ(Header()->sectionSize(1), 77);
  View.SetColumnWidth(2, -5);
  EXPECT_EQ(View.ColumnWidth(2), 0);
  EXPECT_EQ(Header()->sectionSize(2), 0);
  View.SetColumnWidth(2, 0);
  EXPECT_EQ(View.ColumnWidth(2), 0);
  View.SetColumnWidth(9, 50);  // no such column
  EXPECT_EQ(View.ColumnWidth(9), 0);
  View.SetViewStyle(vsReport);
  Settle();
  EXPECT_EQ(Header()->sectionSize(1), 77);
  EXPECT_EQ(Header()->sectionSize(2), 0);

  // The user drags a column wider: the width reads back.
  Header()->resizeSection(0, 200);
  EXPECT_EQ(View.ColumnWidth(0), 200);

  View.AddColumn("Date", 150);
  EXPECT_EQ(View.ColumnCount(), 4);
  EXPECT_EQ(Header()->sectionSize(3), 150);
  EXPECT_EQ(Header()->sectionSize(0), 200);
}

TEST_F(ListViewTest, HeaderClickEmitsColumnClickAndSortsNothing) {
  Fill(3);
  Spy<int> clicks(&View, &TListView::ColumnClick);
  QHeaderView* header = Header();
  const QPoint p(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2);
  QMouseEvent press(QEvent::MouseButtonPress, p, header->viewport()->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(header->viewport(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, header->viewport()->mapToGlobal(p), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(header->viewport(), &release);
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(std::get<0>(clicks.Calls[0]), 1);
  EXPECT_EQ(View.Item(0).Caption, "row0");
  EXPECT_EQ(Model()->index(0, 0).data().toString(), "row0");
}

TEST_F(ListViewTest, BeginUpdateHoldsTheViewsBackUntilEndUpdate) {
  Fill(3);
  View.SetSelected(0, true);
  Spy<> changed(&View, &TListView::SelectionChanged);
  View.BeginUpdate();
  View.AddItem(Row("x"));
  View.AddItem(Row("y", {}, -1, true));
  View.SetCaption(0, "first");
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 150) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);  // past the flush interval
  EXPECT_EQ(Model()->rowCount(), 3);
  EXPECT_EQ(changed.count(), 0);
  View.BeginUpdate();  // nested
  View.EndUpdate();
  EXPECT_EQ(Model()->rowCount(), 3);
  View.EndUpdate();
  EXPECT_EQ(Model()->rowCount(), 5);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(Model()->index(0, 0).data().toString(), "first");
  ExpectInStep();

  // Deleting and sorting in an update reset the views: widths and selection survive.
  Header()->resizeSection(1, 99);
  View.BeginUpdate();
  View.DeleteItem(1);
  View.CustomSort([](const TListItem& a, const TListItem& b) { return QString::compare(b.Caption, a.Caption); });
  View.EndUpdate();
  EXPECT_EQ(View.Count(), 4);
  EXPECT_EQ(Model()->rowCount(), 4);
  EXPECT_EQ(Header()->sectionSize(1), 99);
  EXPECT_EQ(Header()->sectionSize(0), 120);
  EXPECT_EQ(View.SelCount(), 2);
  ExpectInStep();
  View.EndUpdate();  // unbalanced: ignored
}

TEST_F(ListViewTest, MouseAndKeyboardSignals) {
  Fill(4);
  Spy<int> doubles(&View, &TListView::ItemDoubleClicked);
  Spy<int> keys(&View, &TListView::KeyPressed);
  Spy<QPoint> popups(&View, &TListView::ContextPopup);

  QWidget* vp = ActiveView()->viewport();
  const QPoint p = ActiveView()->visualRect(Model()->index(2, 0)).center();
  Click(2);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &dbl);
  ASSERT_EQ(doubles.count(), 1);
  EXPECT_EQ(std::get<0>(doubles.Calls[0]), 2);

  QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(ActiveView(), &key);
  ASSERT_EQ(keys.count(), 1);
  EXPECT_EQ(std::get<0>(keys.Calls[0]), int(Qt::Key_Delete));

  QMenu menu;
  menu.addAction("Open");
  View.SetPopupMenu(&menu);
  EXPECT_EQ(View.PopupMenu(), &menu);
  QContextMenuEvent context(QContextMenuEvent::Mouse, p, vp->mapToGlobal(p));
  QApplication::sendEvent(vp, &context);
  ASSERT_EQ(popups.count(), 1);
  EXPECT_EQ(std::get<0>(popups.Calls[0]), vp->mapToGlobal(p));
  EXPECT_TRUE(menu.isVisible());
  menu.close();
}

}  // namespace
