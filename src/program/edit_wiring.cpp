#include "program/edit_wiring.h"

#include "base/ui_style.h"
#include "base/unit_service.h"
#include "program/program_document.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace vz {

using vz::HistoryLabel;
using vz::ProgramDocument;

EditWiring::EditWiring(QWidget* window, ProgramDocument& document)
    : QObject(window), m_window(window), m_document(document) {
    connect(&m_document, &ProgramDocument::historyChanged, this, &EditWiring::updateEntries);
}

void EditWiring::addEditMenu(QMenuBar* bar) {
    auto* menu = new QMenu(QStringLiteral("menu_edit"), m_window);
    menu->setObjectName(QStringLiteral("menu_edit"));
    bar->addMenu(menu);
    m_undo = vz::ui::addMenuEntry(menu, QStringLiteral("menu_edit_undo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = vz::ui::addMenuEntry(menu, QStringLiteral("menu_edit_redo"));
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // The keys work from every page while the menu is closed; on the fire page they are off
    // with the entries, so they reach the hotkeys as before.
    for (QAction* entry : {m_undo, m_redo}) {
        entry->setShortcutContext(Qt::WindowShortcut);
        m_window->addAction(entry);
    }
    connect(m_undo, &QAction::triggered, this, &EditWiring::menu_edit_undoClick);
    connect(m_redo, &QAction::triggered, this, &EditWiring::menu_edit_redoClick);
    updateEntries();
}

void EditWiring::updateEntries() {
    if (!m_undo)
        return;
    const bool open = !m_armed;
    auto show = [&](QAction* entry, const QString& format, bool can, const HistoryLabel& label) {
        const QString plain = find_text(entry->objectName());
        const QString caption = plain.isEmpty() ? entry->objectName() : plain;
        // "Undo fire time, single 3"; the plain caption when there is nothing to name.
        if (!can)
            entry->setText(caption);
        else if (format.contains(QLatin1String("%1")))
            entry->setText(format.arg(label.text()));
        else
            entry->setText(caption + QLatin1Char(' ') + label.text());
        entry->setEnabled(open && can);
    };
    show(m_undo, get_text(QStringLiteral("menu_edit_undo_what")), m_document.canUndo(),
         m_document.history().undoLabel());
    show(m_redo, get_text(QStringLiteral("menu_edit_redo_what")), m_document.canRedo(),
         m_document.history().redoLabel());
}

void EditWiring::setArmed(bool armed) {
    m_armed = armed;
    updateEntries();
}

void EditWiring::menu_edit_undoClick() {
    if (!m_armed)
        m_document.undo();
    updateEntries();
}

void EditWiring::menu_edit_redoClick() {
    if (!m_armed)
        m_document.redo();
    updateEntries();
}

} // namespace vz
