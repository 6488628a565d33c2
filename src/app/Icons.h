#pragma once
// Pictures of the tool bar, the about box's logo and the task-state icons.
#include <QColor>
#include <QPixmap>
#include <QString>

#include "app/Main.h"

// The colour pictures of the 14 tool buttons (index = button position).
extern TImageList ToolbarColorImages;
// The pictures drawn while a tool button is disabled; 13 entries, the help
// button has none.
extern TImageList ToolbarDisabledImages;
// The about box's logo, 48 x 48.
extern TImageList LogoImages;

// Gives the main window's tool bar its pictures, the about box its logo and
// ImageListSmallLoad the four task-state icons (tiDeactive .. tiError).
// Needs FormMain and FormAbout.
void LoadToolbarImages();

// One of the program's bitmaps, by name (letter case does not matter), as
// stored; a null pixmap for an unknown name.
QPixmap LoadBitmapResource(const QString& name);
// The same bitmap with every pixel of the transparent colour made transparent.
QPixmap TransparentBitmap(const QString& name, const QColor& transparent);
