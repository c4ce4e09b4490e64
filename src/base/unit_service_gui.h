#pragma once

#include <QStringList>

class QObject;
class QWidget;

// apply_texts: captions from the language table.
//
// The window's caption takes find_text(window name); then every object the window owns, in
// creation order, whose name has a non-empty text gets it as its caption when it is one of
// these kinds (the others - drop-downs, edit boxes, up-downs, images, panels - keep theirs):
//   menu item   QAction (its text), QMenu (its title)
//   button      QPushButton / QToolButton that shows a text (glyph-only buttons are left)
//   label       QLabel that shows a text (a label holding a picture is an image)
//   tab page    a page of a QTabWidget (its tab text, also while the tab is hidden)
//   group box   QGroupBox (its title)
//   check box   QCheckBox
// Names are compared exactly; an empty text leaves the caption as it is.
void apply_texts(QWidget* window);

// The names apply_texts looks up on this window, the window's own name first, in the same
// order (every object of a listed kind with a name). Tests use it to check the language files.
QStringList text_keys(QWidget* window);

// The objects among them whose built-in caption is their own name, i.e. those that show
// their name when no language text is there (tab pages without a built-in caption count too).
QStringList captioned_keys(QWidget* window);
