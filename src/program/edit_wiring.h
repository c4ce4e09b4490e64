#pragma once

#include <QObject>

class QAction;
class QMenuBar;
class QWidget;

namespace vz {

class ProgramDocument;

// The Edit menu: Undo and Redo of the document's history. Each entry names the step it
// would take back or do again, and is disabled when there is none and while the console is
// armed (an undo must never change what an armed console fires).
class EditWiring : public QObject {
    Q_OBJECT
public:
    EditWiring(QWidget* window, vz::ProgramDocument& document);

    // menu_edit with menu_edit_undo (Ctrl+Z) and menu_edit_redo (Ctrl+Y, Ctrl+Shift+Z), added
    // to the bar at the place the window calls it.
    void addEditMenu(QMenuBar* bar);
    // Enabled state and captions anew, after the window's texts were applied.
    void updateEntries();

    QAction* undoEntry() const { return m_undo; }
    QAction* redoEntry() const { return m_redo; }

public slots:
    void setArmed(bool armed);
    void menu_edit_undoClick();
    void menu_edit_redoClick();

private:
    QWidget* m_window;
    vz::ProgramDocument& m_document;
    bool m_armed = false;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
};

} // namespace vz
