#include "fire/fire_texts.h"

#include "app/unit_service.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace vz {

void applyFireTexts(QWidget* window) {
    // Same rule as the rest of the program: a non-empty text for the control's name becomes
    // its caption; other kinds of control and missing keys keep what they show.
    // TODO(apply_texts): call the shared apply_texts(window) once it is in the build.
    if (!window)
        return;
    const QString title = find_text(window->objectName());
    if (!title.isEmpty())
        window->setWindowTitle(title);
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty())
            continue;
        const QString text = find_text(w->objectName());
        if (text.isEmpty())
            continue;
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(text);
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(text);
    }
}

} // namespace vz
