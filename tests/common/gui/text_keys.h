#pragma once

// The caption a control shows, whatever its kind: what apply_texts sets from the language.
// Header-only.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>

inline QString caption_of(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o))
        return a->text();
    if (auto* m = qobject_cast<QMenu*>(o))
        return m->title();
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(o))
        return g->title();
    if (auto* c = qobject_cast<QComboBox*>(o))
        return c->currentText();
    if (auto* e = qobject_cast<QLineEdit*>(o))
        return e->text();
    auto* w = qobject_cast<QWidget*>(o);
    if (w && w->isWindow())
        return w->windowTitle();
    // A tab page: the page sits in a stack inside the tab widget.
    auto* tabs = w && w->parentWidget()
                     ? qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget())
                     : nullptr;
    return tabs ? tabs->tabText(tabs->indexOf(w)) : QString();
}
