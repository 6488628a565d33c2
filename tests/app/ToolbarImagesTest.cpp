// The tool bar's pictures, the about box's logo and the task-state icons:
// which picture each state shows, and the transparent colours.
#include <QAbstractItemView>
#include <QAction>
#include <QImage>
#include <QToolBar>
#include <gtest/gtest.h>

#include "app/Form_about.h"
#include "app/Icons.h"
#include "app/Main.h"
#include "platform/ui/ListView.h"
#include "support/ProgramFolder.h"

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);

QImage Argb(const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); }

// Same size, and the same colour wherever either is opaque.
::testing::AssertionResult SamePicture(const QPixmap& actual, const QPixmap& expected) {
  if (expected.isNull()) return ::testing::AssertionFailure() << "expected picture is missing";
  const QImage a = Argb(actual), e = Argb(expected);
  if (a.size() != e.size())
    return ::testing::AssertionFailure() << "size " << a.width() << "x" << a.height() << " instead of "
                                         << e.width() << "x" << e.height();
  for (int y = 0; y < e.height(); ++y)
    for (int x = 0; x < e.width(); ++x) {
      const QRgb pa = a.pixel(x, y), pe = e.pixel(x, y);
      if (qAlpha(pa) == 0 && qAlpha(pe) == 0) continue;
      if (pa != pe)
        return ::testing::AssertionFailure()
               << "pixel " << x << "," << y << " is " << std::hex << pa << " instead of " << pe;
    }
  return ::testing::AssertionSuccess();
}

// True when the widget, as drawn, shows every opaque pixel of the picture
// somewhere (the style decides the exact offset).
bool Shows(QWidget* widget, const QPixmap& picture) {
  const QImage shot = Argb(widget->grab());
  const QImage pic = Argb(picture);
  for (int oy = 0; oy + pic.height() <= shot.height(); ++oy)
    for (int ox = 0; ox + pic.width() <= shot.width(); ++ox) {
      bool match = true;
      for (int y = 0; y < pic.height() && match; ++y)
        for (int x = 0; x < pic.width() && match; ++x) {
          const QRgb p = pic.pixel(x, y);
          if (qAlpha(p) == 255 && shot.pixel(ox + x, oy + y) != p) match = false;
        }
      if (match) return true;
    }
  return false;
}

bool HasColour(const QPixmap& p) {
  const QImage img = Argb(p);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c = QColor::fromRgba(img.pixel(x, y));
      if (c.alpha() == 255 && c.hsvSaturation() > 100) return true;
    }
  return false;
}

class ToolbarImages : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.CreateWindows();
    ASSERT_NE(FormMain, nullptr);
    ASSERT_NE(FormAbout, nullptr);
    LoadToolbarImages();
  }
  QWidget* Button(QAction* a) const { return FormMain->ToolBar->widgetForAction(a); }
  ProgramFolder folder;
};

}  // namespace

TEST(ToolbarBitmaps, EveryPictureExistsWithItsSizeDepthAndAnyLetterCase) {
  struct Expected {
    const char* name;
    int size;
    int depth;
  };
  const Expected pictures[] = {
      {"COPY_COLOR", 42, 24},      {"COPYTO_COLOR", 42, 24},    {"ADDTASK_COLOR", 42, 24},
      {"LOAD_COLOR", 42, 24},      {"SCAN_COLOR", 42, 24},      {"MORE_COLOR", 42, 24},
      {"FIND_COLOR", 42, 24},      {"PAUSE_COLOR", 42, 24},     {"CONTINUE_COLOR", 42, 24},
      {"END_COLOR", 42, 24},       {"RESULTLIST_COLOR", 42, 24}, {"VIEWTASTS_COLOR", 42, 24},
      {"COMPLIST_COLOR", 42, 24},  {"HELP_COLOR", 42, 24},      {"COPY_BLACK", 42, 8},
      {"COPYTO_BLACK", 42, 8},     {"MORE_BLACK", 42, 8},       {"PAUSE_BLACK", 42, 8},
      {"CONTINUE_BLACK", 42, 8},   {"END_BLACK", 42, 8},        {"RESULTLIST_BLACK", 42, 8},
      {"ADDTASK_BLACK", 42, 24},   {"VIEWTASTS_BLACK", 42, 24}, {"COMPLIST_BLACK", 42, 24},
      {"TRAWLIX_COLOR", 48, 24},   {"icon_deactive", 16, 24},   {"icon_active", 16, 24},
      {"icon_ok", 16, 24},         {"icon_error", 16, 24},
  };
  ASSERT_EQ(std::size(pictures), 29u);
  for (const Expected& e : pictures) {
    const QString name = QString::fromLatin1(e.name);
    const QPixmap p = LoadBitmapResource(name);
    ASSERT_FALSE(p.isNull()) << e.name;
    EXPECT_EQ(p.size(), QSize(e.size, e.size)) << e.name;
    EXPECT_EQ(Argb(LoadBitmapResource(name.toLower())), Argb(p)) << e.name;
    EXPECT_EQ(Argb(LoadBitmapResource(name.toUpper())), Argb(p)) << e.name;
    // The stored colour depth (the 8-bit pictures hold only greys).
    const QImage stored(QStringLiteral(":/bitmaps/") + name.toUpper(), "BMP");
    EXPECT_EQ(stored.format() == QImage::Format_Indexed8 ? 8 : 24, e.depth) << e.name;
  }
  EXPECT_TRUE(LoadBitmapResource(QStringLiteral("NO_SUCH_PICTURE")).isNull());
}

TEST_F(ToolbarImages, EachButtonShowsItsColourPictureAndItsDisabledPicture) {
  struct Expected {
    const char* color;
    QColor colorKey;
    const char* disabled;
    QColor disabledKey;
  };
  const Expected table[14] = {
      {"COPY_COLOR", kBlack, "COPY_BLACK", kBlack},
      {"COPYTO_COLOR", kBlack, "COPYTO_BLACK", kBlack},
      {"ADDTASK_COLOR", kYellow, "ADDTASK_BLACK", kYellow},
      {"LOAD_COLOR", kWhite, "LOAD_COLOR", kWhite},
      {"SCAN_COLOR", kWhite, "SCAN_COLOR", kWhite},
      {"MORE_COLOR", kWhite, "MORE_BLACK", kWhite},
      {"FIND_COLOR", kWhite, "FIND_COLOR", kWhite},
      {"PAUSE_COLOR", kWhite, "PAUSE_BLACK", kWhite},
      {"CONTINUE_COLOR", kWhite, "CONTINUE_BLACK", kWhite},
      {"END_COLOR", kWhite, "END_BLACK", kWhite},
      {"RESULTLIST_COLOR", kWhite, "RESULTLIST_BLACK", kWhite},
      {"VIEWTASTS_COLOR", kYellow, "VIEWTASTS_BLACK", kYellow},
      {"COMPLIST_COLOR", kYellow, "COMPLIST_BLACK", kYellow},
      {"HELP_COLOR", kBlue, nullptr, kBlue},
  };
  ASSERT_EQ(ToolbarColorImages.Count(), 14);
  ASSERT_EQ(ToolbarDisabledImages.Count(), 13);
  const auto buttons = FormMain->ToolButtons();
  for (int i = 0; i < 14; ++i) {
    SCOPED_TRACE(table[i].color);
    const QIcon icon = buttons[i]->icon();
    EXPECT_TRUE(SamePicture(icon.pixmap(QSize(42, 42), QIcon::Normal),
                            TransparentBitmap(QString::fromLatin1(table[i].color), table[i].colorKey)));
    if (table[i].disabled) {
      EXPECT_TRUE(SamePicture(icon.pixmap(QSize(42, 42), QIcon::Disabled),
                              TransparentBitmap(QString::fromLatin1(table[i].disabled), table[i].disabledKey)));
    } else {
      // The help button has no disabled picture of its own.
      EXPECT_TRUE(icon.availableSizes(QIcon::Disabled).isEmpty());
    }
  }
  EXPECT_EQ(FormMain->ToolBar->iconSize(), QSize(42, 42));
  EXPECT_EQ(Button(FormMain->ToolButtonCopy)->size(), QSize(50, 44));
  EXPECT_EQ(FormMain->ToolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);
}

TEST_F(ToolbarImages, TheTransparentColourIsTransparentAndNothingElseIs) {
  struct Case {
    const char* name;
    QColor key;
  };
  const Case cases[] = {{"COPY_COLOR", kBlack},   {"COPY_BLACK", kBlack},   {"ADDTASK_BLACK", kYellow},
                        {"PAUSE_BLACK", kWhite},  {"HELP_COLOR", kBlue},    {"TRAWLIX_COLOR", kWhite},
                        {"icon_error", kYellow}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QImage stored = Argb(LoadBitmapResource(QString::fromLatin1(c.name)));
    const QImage shown = Argb(TransparentBitmap(QString::fromLatin1(c.name), c.key));
    int transparent = 0, opaque = 0;
    for (int y = 0; y < stored.height(); ++y)
      for (int x = 0; x < stored.width(); ++x) {
        const bool isKey = (stored.pixel(x, y) & 0xffffff) == (c.key.rgb() & 0xffffff);
        const QRgb s = shown.pixel(x, y);
        if (isKey) {
          EXPECT_EQ(qAlpha(s), 0) << x << "," << y;
          ++transparent;
        } else {
          EXPECT_EQ(s, stored.pixel(x, y)) << x << "," << y;
          ++opaque;
        }
      }
    // A picture on a transparent background, not a blank or a full square.
    EXPECT_GT(transparent, stored.width() * 2);
    EXPECT_GT(opaque, stored.width() * 2);
  }
  // The corner of the copy picture is its black background: see-through on the tool bar.
  const QImage copy = Argb(FormMain->ToolButtonCopy->icon().pixmap(QSize(42, 42), QIcon::Normal));
  EXPECT_EQ(qAlpha(copy.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(copy.pixel(21, 21)), 255);
}

TEST_F(ToolbarImages, DisabledAndEnabledButtonsDrawTheirOwnPictures) {
  const QPixmap copyColor = TransparentBitmap(QStringLiteral("COPY_COLOR"), kBlack);
  const QPixmap copyBlack = TransparentBitmap(QStringLiteral("COPY_BLACK"), kBlack);
  const QPixmap pauseColor = TransparentBitmap(QStringLiteral("PAUSE_COLOR"), kWhite);
  const QPixmap pauseBlack = TransparentBitmap(QStringLiteral("PAUSE_BLACK"), kWhite);

  // At start the copy and pause buttons are disabled.
  ASSERT_FALSE(FormMain->ToolButtonCopy->isEnabled());
  ASSERT_FALSE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_TRUE(Shows(Button(FormMain->ToolButtonCopy), copyBlack));
  EXPECT_FALSE(Shows(Button(FormMain->ToolButtonCopy), copyColor));
  EXPECT_TRUE(Shows(Button(FormMain->ToolButtonPause), pauseBlack));
  EXPECT_FALSE(HasColour(Button(FormMain->ToolButtonPause)->grab()));

  FormMain->ToolButtonCopy->setEnabled(true);
  FormMain->ToolButtonPause->setEnabled(true);
  EXPECT_TRUE(Shows(Button(FormMain->ToolButtonCopy), copyColor));
  EXPECT_TRUE(Shows(Button(FormMain->ToolButtonPause), pauseColor));

  // And back again when disabled once more.
  FormMain->ToolButtonCopy->setEnabled(false);
  EXPECT_TRUE(Shows(Button(FormMain->ToolButtonCopy), copyBlack));
}

TEST_F(ToolbarImages, TaskRowsShowTheTaskStateIconOfTheirImageIndex) {
  ASSERT_EQ(FormMain->ImageListSmallLoad.Count(), 4);
  const char* const names[] = {"icon_deactive", "icon_active", "icon_ok", "icon_error"};
  TListView* list = FormMain->ListViewLoads;
  list->BeginUpdate();
  for (int index : {1, 3, 0, 2}) {
    TListItem item;
    item.Caption = QStringLiteral("task %1").arg(index);
    item.ImageIndex = index;
    list->AddItem(item);
  }
  list->EndUpdate();
  auto* view = qobject_cast<QAbstractItemView*>(list->ActiveView());
  ASSERT_NE(view, nullptr);
  const int order[] = {1, 3, 0, 2};
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(names[order[row]]);
    const QVariant v = view->model()->data(view->model()->index(row, 0), Qt::DecorationRole);
    ASSERT_TRUE(v.canConvert<QIcon>());
    EXPECT_TRUE(SamePicture(v.value<QIcon>().pixmap(QSize(16, 16)),
                            TransparentBitmap(QString::fromLatin1(names[order[row]]), kYellow)));
  }

  // A running task that fails switches its row from the running to the error icon.
  list->SetImageIndex(0, 3);
  const QVariant v = view->model()->data(view->model()->index(0, 0), Qt::DecorationRole);
  EXPECT_TRUE(SamePicture(v.value<QIcon>().pixmap(QSize(16, 16)),
                          TransparentBitmap(QStringLiteral("icon_error"), kYellow)));
}

TEST_F(ToolbarImages, TheAboutBoxShowsTheLogoInColourThoughItsButtonIsDisabled) {
  ASSERT_NE(FormAbout->ToolBarAbout, nullptr);
  ASSERT_NE(FormAbout->ToolButtonIcon, nullptr);
  EXPECT_FALSE(FormAbout->ToolButtonIcon->isEnabled());
  ASSERT_EQ(LogoImages.Count(), 1);
  const QPixmap logo = TransparentBitmap(QStringLiteral("TRAWLIX_COLOR"), kWhite);
  EXPECT_TRUE(SamePicture(FormAbout->ToolButtonIcon->icon().pixmap(QSize(48, 48), QIcon::Disabled), logo));

  QWidget* button = FormAbout->ToolBarAbout->widgetForAction(FormAbout->ToolButtonIcon);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->size(), QSize(48, 48));
  EXPECT_EQ(FormAbout->ToolBarAbout->geometry(), QRect(16, 16, 50, 50));
  EXPECT_TRUE(Shows(button, logo));
  EXPECT_TRUE(HasColour(button->grab()));
}
