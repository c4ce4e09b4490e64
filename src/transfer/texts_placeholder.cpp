#include "transfer/texts_placeholder.h"

#include "app/unit_service.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

void transfer_apply_texts_placeholder(QWidget* window) {
    if (!window)
        return;
    const QString caption = find_text(window->objectName());
    if (!caption.isEmpty())
        window->setWindowTitle(caption);
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString text = find_text(w->objectName());
        if (w->objectName().isEmpty() || text.isEmpty())
            continue;
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull())
            label->setText(text);
        else if (auto* button = qobject_cast<QPushButton*>(w))
            button->setText(text);
    }
}
