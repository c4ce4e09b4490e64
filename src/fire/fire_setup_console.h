#pragma once

#include "fire/fire_engine.h"

#include <QObject>

#include <functional>

class QWidget;

namespace vz {

class Tfrm_gui_macropause;
class Tfrm_gui_macroseq;

class FireModeController;
class FireSetupPage;
class ProgramDocument;

// The fire set-up page at work: the port button and the macro editor with its two dialogs.
class FireSetupConsole : public QObject {
    Q_OBJECT
public:
    using ErrorSink = std::function<void(const QString&)>;

    FireSetupConsole(ProgramDocument& document, FireModeController& controller,
                     FirePriority priority, ErrorSink error, QWidget* window);

    FireSetupPage* page() const { return m_page; }
    Tfrm_gui_macroseq* sequenceDialog() const { return m_seqDialog; }
    Tfrm_gui_macropause* pauseDialog() const { return m_pauseDialog; }

    // Items get_text("macro") + " " + n; the first selected. On the main window's show.
    void fillMacroList();
    // Today's file of the fire log, empty without a log.
    void showLogPath();
    // The priority the fire thread got, in the language now loaded.
    void showPriority();
    // The items in the language now loaded; the macro being edited stays chosen.
    void applyMacroListTexts();

public slots:
    void tab_fire_setupShow();
    void firesetup_comport_btnClick();
    void firesetup_macro_select_cbChange(int index);
    void firesetup_macro_active_cbClick();
    void firesetup_macro_addClick();
    void firesetup_macro_addpauseClick();
    void firesetup_macro_delClick();
    void macroeditor_load_macro(int index);

private:
    static QString macroItemText(int number);
    int selectedMacro() const;
    void addMacroStep(int type, int value);
    bool refuseFullMacro();

    ProgramDocument& m_doc;
    FireModeController& m_controller;
    FirePriority m_priority;
    ErrorSink m_error;
    FireSetupPage* m_page = nullptr;
    Tfrm_gui_macroseq* m_seqDialog = nullptr;
    Tfrm_gui_macropause* m_pauseDialog = nullptr;
};

} // namespace vz
