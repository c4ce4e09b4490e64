#include "fire/fire_setup_console.h"

#include "base/unit_service.h"
#include "fire/fire_log.h"
#include "fire/fire_mode.h"
#include "fire/fire_setup.h"
#include "fire/gui_macropause.h"
#include "fire/gui_macroseq.h"
#include "fire/macro_texts.h"
#include "program/program_document.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace vz {

FireSetupConsole::FireSetupConsole(ProgramDocument& document, FireModeController& controller,
                                   FirePriority priority, ErrorSink error, QWidget* window)
    : QObject(window), m_doc(document), m_controller(controller), m_priority(priority),
      m_error(std::move(error)) {
    m_page = new FireSetupPage(window);
    m_pauseDialog = new Tfrm_gui_macropause(window);
    m_seqDialog = new Tfrm_gui_macroseq(window);

    connect(m_page, &FireSetupPage::shown, this, &FireSetupConsole::tab_fire_setupShow);
    connect(m_page->portButton(), &QPushButton::clicked, this,
            &FireSetupConsole::firesetup_comport_btnClick);
    connect(m_page->macroSelect(), qOverload<int>(&QComboBox::currentIndexChanged), this,
            &FireSetupConsole::firesetup_macro_select_cbChange);
    connect(m_page->macroActive(), &QCheckBox::clicked, this,
            &FireSetupConsole::firesetup_macro_active_cbClick);
    connect(m_page->addButton(), &QPushButton::clicked, this,
            &FireSetupConsole::firesetup_macro_addClick);
    connect(m_page->addPauseButton(), &QPushButton::clicked, this,
            &FireSetupConsole::firesetup_macro_addpauseClick);
    connect(m_page->deleteButton(), &QPushButton::clicked, this,
            &FireSetupConsole::firesetup_macro_delClick);
    connect(&m_doc, &ProgramDocument::macrosChanged, this, [this](int index) {
        if (index == selectedMacro())
            macroeditor_load_macro(index);
    });
}

void FireSetupConsole::fillMacroList() {
    QComboBox* cb = m_page->macroSelect();
    const QSignalBlocker block(cb);
    cb->clear();
    for (int n = 1; n <= kMacros; ++n)
        cb->addItem(macroItemText(n));
    cb->setCurrentIndex(0);
    macroeditor_load_macro(0);
}

void FireSetupConsole::applyMacroListTexts() {
    QComboBox* cb = m_page->macroSelect();
    for (int i = 0; i < cb->count(); ++i)
        cb->setItemText(i, macroItemText(i + 1));
}

QString FireSetupConsole::macroItemText(int number) {
    return get_text(QStringLiteral("macro")) + QLatin1Char(' ') + QString::number(number);
}

void FireSetupConsole::tab_fire_setupShow() {
    m_page->portLabel()->setText(m_controller.portLabel());
    showLogPath();
    showPriority();
    macroeditor_load_macro(selectedMacro());
}

void FireSetupConsole::showLogPath() {
    const FireLog* log = m_controller.log();
    QLabel* label = m_page->logPathLabel();
    label->setText(log ? QDir::toNativeSeparators(log->fileFor(QDate::currentDate())) : QString());
    label->setToolTip(label->text());
}

void FireSetupConsole::showPriority() {
    QLabel* label = m_page->priorityLabel();
    label->setText(firePriorityText(m_priority));
    label->setToolTip(label->text());
}

void FireSetupConsole::firesetup_comport_btnClick() {
    m_controller.choosePort();
}

int FireSetupConsole::selectedMacro() const {
    return std::clamp(m_page->macroSelect()->currentIndex(), 0, kMacros - 1);
}

void FireSetupConsole::firesetup_macro_select_cbChange(int index) {
    macroeditor_load_macro(std::clamp(index, 0, kMacros - 1));
}

void FireSetupConsole::firesetup_macro_active_cbClick() {
    const int m = selectedMacro();
    m_doc.setMacroActive(m, m_page->macroActive()->isChecked());
    macroeditor_load_macro(m);
}

void FireSetupConsole::addMacroStep(int type, int value) {
    const int m = selectedMacro();
    if (!m_doc.appendMacroStep(m, type, value))
        m_error(get_text(QStringLiteral("msg_macro_full")));
    macroeditor_load_macro(m);
}

// A full macro takes no step, so no dialog asks for one.
bool FireSetupConsole::refuseFullMacro() {
    if (m_doc.program().macros[selectedMacro()].stepCount() < kMacroMaxSteps)
        return false;
    m_error(get_text(QStringLiteral("msg_macro_full")));
    return true;
}

void FireSetupConsole::firesetup_macro_addClick() {
    if (refuseFullMacro())
        return;
    const int channel = m_seqDialog->choose(m_doc.program());
    if (channel > 0)
        addMacroStep(MacroCall, channel);
}

void FireSetupConsole::firesetup_macro_addpauseClick() {
    if (refuseFullMacro())
        return;
    const int pause = m_pauseDialog->choose();
    if (pause > 0)
        addMacroStep(MacroPause, pause);
}

void FireSetupConsole::firesetup_macro_delClick() {
    const int m = selectedMacro();
    m_doc.removeLastMacroStep(m);
    macroeditor_load_macro(m);
}

void FireSetupConsole::macroeditor_load_macro(int index) {
    if (index < 0 || index >= kMacros)
        return;
    QTableWidget* grid = m_page->editor();
    const QVector<MacroStepCells> cells = macroEditorCells(m_doc.program(), index);
    grid->clearContents();
    // One empty column follows the last step.
    grid->setColumnCount(cells.size() + 1);
    for (int i = 0; i < cells.size(); ++i) {
        grid->setItem(0, i, new QTableWidgetItem(cells[i].time));
        auto* action = new QTableWidgetItem(cells[i].action);
        action->setToolTip(cells[i].problem);
        grid->setItem(1, i, action);
    }
    const bool active = m_doc.program().macros[index].active;
    m_page->macroActive()->setChecked(active);
    grid->setEnabled(active);
    m_page->addButton()->setEnabled(active);
    m_page->addPauseButton()->setEnabled(active);
    m_page->deleteButton()->setEnabled(active);
}

} // namespace vz
