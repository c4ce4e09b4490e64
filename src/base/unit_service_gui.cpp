#include "base/unit_service_gui.h"

#include "base/unit_service.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

namespace vz {

namespace {

enum class Kind { None, Action, Menu, Button, Label, TabPage, GroupBox, CheckBox };

// The page control a widget is a page of, or nullptr.
QTabWidget* tabOfPage(QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
    if (!stack)
        return nullptr;
    auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
    if (!tabs || tabs->indexOf(widget) < 0)
        return nullptr;
    return tabs;
}

Kind kindOf(QObject* object) {
    // Checked before QPushButton: a check box is not a push button, but both are buttons.
    if (qobject_cast<QCheckBox*>(object))
        return Kind::CheckBox;
    if (auto* button = qobject_cast<QPushButton*>(object))
        return button->text().isEmpty() ? Kind::None : Kind::Button;
    if (auto* button = qobject_cast<QToolButton*>(object))
        return button->text().isEmpty() ? Kind::None : Kind::Button;
    if (auto* label = qobject_cast<QLabel*>(object))
        return label->pixmap().isNull() ? Kind::Label : Kind::None;
    if (qobject_cast<QGroupBox*>(object))
        return Kind::GroupBox;
    if (qobject_cast<QMenu*>(object))
        return Kind::Menu;
    if (qobject_cast<QAction*>(object))
        return Kind::Action;
    if (tabOfPage(object))
        return Kind::TabPage;
    return Kind::None;
}

void setCaption(QObject* object, Kind kind, const QString& text) {
    switch (kind) {
    case Kind::Action:
        static_cast<QAction*>(object)->setText(text);
        break;
    case Kind::Menu:
        static_cast<QMenu*>(object)->setTitle(text);
        break;
    case Kind::Button:
    case Kind::CheckBox:
        static_cast<QAbstractButton*>(object)->setText(text);
        break;
    case Kind::Label: {
        auto* label = static_cast<QLabel*>(object);
        label->setText(text);
        // Labels size themselves to their caption unless they wrap in a fixed box.
        if (!label->wordWrap())
            label->adjustSize();
        break;
    }
    case Kind::TabPage: {
        QTabWidget* tabs = tabOfPage(object);
        tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(object)), text);
        break;
    }
    case Kind::GroupBox:
        static_cast<QGroupBox*>(object)->setTitle(text);
        break;
    case Kind::None:
        break;
    }
}

void collect(QObject* parent, QList<QObject*>& out) {
    for (QObject* child : parent->children()) {
        // Another window (a dialog parented to this one) owns its own captions; a menu is a
        // window too, but belongs to the window that owns it.
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget->isWindow() && !qobject_cast<QMenu*>(widget))
            continue;
        out << child;
        collect(child, out);
    }
}

// Everything the window owns, parents before their children.
QList<QObject*> ownedObjects(QWidget* window) {
    QList<QObject*> out;
    collect(window, out);
    return out;
}

} // namespace

void apply_texts(QWidget* window) {
    if (!window)
        return;
    const QString caption = find_text(window->objectName());
    if (!caption.isEmpty())
        window->setWindowTitle(caption);
    for (QObject* object : texted_objects(window)) {
        const QString text = find_text(object->objectName());
        if (!text.isEmpty())
            setCaption(object, kindOf(object), text);
    }
}

QList<QObject*> texted_objects(QWidget* window) {
    QList<QObject*> objects;
    if (!window)
        return objects;
    for (QObject* object : ownedObjects(window))
        if (!object->objectName().isEmpty() && kindOf(object) != Kind::None)
            objects << object;
    return objects;
}

} // namespace vz
