#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>

class QAction;
class QColor;
class QLabel;
class QObject;
class QStyle;
class QWidget;

// Fonts and the pictures the program draws itself (no picture files are shipped).
namespace vz::ui {

// The type of every window: Arial 8 pt (its metric twin where Arial is missing), the size
// the pixel layout of the windows was made for.
QFont windowFont();

// A style for the tab bar of the page control with less room around each caption, so the
// ten tabs of the program mode fit the window's width.
QStyle* compactTabStyle(QObject* owner);

// The 20 x 20 tab picture of page index 0..10.
QPixmap tabPicture(int page);
// The glyph of the preview buttons: a small flame in a "play" triangle.
QIcon previewButtonIcon();

// A menu entry named and captioned name (until texts are applied), added to menu (a menu or
// the menu bar) and owned by owner, the menu itself when none is given.
QAction* addMenuEntry(QWidget* menu, const QString& name, QObject* owner = nullptr);

// A label named name, showing text in color, bold or not, of pointSize points (0: the size it
// inherits).
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int pointSize,
                  bool bold, const QColor& color);
// A label named name, showing text at (x, y), as wide as its text.
QLabel* placeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y);
// The widget paints its own background in color.
void fillBackground(QWidget* widget, const QColor& color);

} // namespace vz::ui
