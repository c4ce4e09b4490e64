#pragma once

#include <QList>

class QObject;
class QWidget;

namespace vz {

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

// The objects apply_texts looks up on this window, in its order: every object of a listed
// kind with a name, parents before their children.
QList<QObject*> texted_objects(QWidget* window);

} // namespace vz
