#include "app/Icons.h"

#include <QAction>
#include <QBitmap>
#include <QHash>
#include <array>

#include "app/Form_about.h"

TImageList ToolbarColorImages;
TImageList ToolbarDisabledImages;
TImageList LogoImages;

// The bitmaps are compiled into the app library; a static library's resources
// are only linked in when something asks for them.
static void InitBitmapResources() { Q_INIT_RESOURCE(trawlix); }

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);

struct ToolImages {
  const char* color;
  QColor colorTransparent;
  const char* disabled;  // nullptr: the button has no disabled picture
  QColor disabledTransparent;
};

// By button position. The load, scan and find buttons are never disabled:
// their disabled pictures are the colour ones.
const std::array<ToolImages, 14> kToolImages = {{
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
}};

// The order in which the bitmaps are loaded.
const char* const kLoadOrder[] = {
    "COPY_BLACK",      "COPY_COLOR",       "COPYTO_BLACK",     "COPYTO_COLOR",    "ADDTASK_BLACK",
    "ADDTASK_COLOR",   "LOAD_COLOR",       "SCAN_COLOR",       "MORE_BLACK",      "MORE_COLOR",
    "FIND_COLOR",      "PAUSE_BLACK",      "PAUSE_COLOR",      "CONTINUE_BLACK",  "CONTINUE_COLOR",
    "END_BLACK",       "END_COLOR",        "HELP_COLOR",       "VIEWTASTS_BLACK", "VIEWTASTS_COLOR",
    "RESULTLIST_BLACK", "RESULTLIST_COLOR", "COMPLIST_BLACK",  "COMPLIST_COLOR",  "TRAWLIX_COLOR",
};

const char* const kTaskIcons[] = {"icon_deactive", "icon_active", "icon_ok", "icon_error"};

QPixmap WithTransparentColor(QPixmap picture, const QColor& transparent) {
  if (picture.isNull()) return picture;
  picture.setMask(picture.createMaskFromColor(transparent, Qt::MaskInColor));
  return picture;
}

}  // namespace

QPixmap LoadBitmapResource(const QString& name) {
  InitBitmapResources();
  // The resources carry their names in upper case.
  return QPixmap(QStringLiteral(":/bitmaps/") + name.toUpper(), "BMP");
}

QPixmap TransparentBitmap(const QString& name, const QColor& transparent) {
  return WithTransparentColor(LoadBitmapResource(name), transparent);
}

void LoadToolbarImages() {
  QHash<QString, QPixmap> bitmaps;
  for (const char* name : kLoadOrder)
    bitmaps.insert(QString::fromLatin1(name), LoadBitmapResource(QString::fromLatin1(name)));
  const auto picture = [&bitmaps](const char* name, const QColor& transparent) {
    return WithTransparentColor(bitmaps.value(QString::fromLatin1(name)), transparent);
  };

  QList<QPixmap> colors, disabled;
  for (const ToolImages& t : kToolImages) {
    colors.append(picture(t.color, t.colorTransparent));
    if (t.disabled) disabled.append(picture(t.disabled, t.disabledTransparent));
  }
  const QPixmap logo = picture("TRAWLIX_COLOR", kWhite);
  ToolbarColorImages = TImageList{42, 42, {}};
  ToolbarDisabledImages = TImageList{42, 42, {}};
  for (const QPixmap& p : colors) ToolbarColorImages.Images.append(QIcon(p));
  for (const QPixmap& p : disabled) ToolbarDisabledImages.Images.append(QIcon(p));
  LogoImages = TImageList{48, 48, {QIcon(logo)}};

  // The about box's only button is disabled: its logo is drawn from the
  // disabled pictures, so it shows in colour.
  if (FormAbout && FormAbout->ToolButtonIcon) {
    QIcon icon;
    icon.addPixmap(logo, QIcon::Disabled);
    FormAbout->ToolButtonIcon->setIcon(icon);
  }

  if (!FormMain) return;
  // Each button switches between its two pictures with its enabled state.
  const std::array<QAction*, 14> buttons = FormMain->ToolButtons();
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    if (!buttons[i]) continue;
    QIcon icon;
    icon.addPixmap(colors[i], QIcon::Normal);
    if (i < disabled.size()) icon.addPixmap(disabled[i], QIcon::Disabled);
    buttons[i]->setIcon(icon);
  }

  FormMain->ImageListSmallLoad.Width = 16;
  FormMain->ImageListSmallLoad.Height = 16;
  for (const char* name : kTaskIcons)
    FormMain->ImageListSmallLoad.Images.append(
        QIcon(TransparentBitmap(QString::fromLatin1(name), kYellow)));
}
