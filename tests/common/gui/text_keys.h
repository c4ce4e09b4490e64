#pragma once

// The keys the language files must hold for a window: the names apply_texts looks up.
// Header-only.

#include "base/unit_service_gui.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStringList>
#include <QTabWidget>

// The window's own name first, then every name apply_texts looks up on it, in its order.
inline QStringList text_keys(QWidget* window) {
    QStringList keys;
    if (!window)
        return keys;
    keys << window->objectName();
    for (QObject* object : texted_objects(window))
        keys << object->objectName();
    return keys;
}

// The objects among them whose built-in caption is their own name, i.e. those that show
// their name when no language text is there (tab pages without a built-in caption count too).
inline QStringList captioned_keys(QWidget* window) {
    QStringList keys;
    if (!window)
        return keys;
    keys << window->objectName();
    for (QObject* object : texted_objects(window)) {
        const QString name = object->objectName();
        QString caption;
        if (auto* action = qobject_cast<QAction*>(object))
            caption = action->text();
        else if (auto* menu = qobject_cast<QMenu*>(object))
            caption = menu->title();
        else if (auto* button = qobject_cast<QAbstractButton*>(object))
            caption = button->text();
        else if (auto* label = qobject_cast<QLabel*>(object))
            caption = label->text();
        else if (auto* group = qobject_cast<QGroupBox*>(object))
            caption = group->title();
        else
            caption = name; // a tab page
        if (caption == name)
            keys << name;
    }
    return keys;
}
