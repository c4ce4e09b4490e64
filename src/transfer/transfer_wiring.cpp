#include "transfer/transfer_wiring.h"

#include "base/settings.h"
#include "base/ui_style.h"
#include "program/program_document.h"
#include "transfer/backend_transmit.h"
#include "transfer/gui_adv_settings.h"
#include "transfer/transfer_check.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace vz {

TransferWiring::TransferWiring(QWidget* window, ProgramDocument& document, Settings& settings,
                               const QString& settingsPath, Prompts& prompts,
                               const QString& dataDir)
    : QObject(window), m_window(window), m_document(document), m_settings(settings),
      m_settingsPath(settingsPath), m_prompts(prompts), m_dataDir(dataDir) {}

void TransferWiring::addSettingsEntries(QMenu* settings) {
    connect(ui::addMenuEntry(settings, QStringLiteral("menu_settings_advanced")),
            &QAction::triggered, this, &TransferWiring::menu_settings_advancedClick);
}

void TransferWiring::addTransmitEntry(QMenuBar* bar) {
    m_menuTransmit = ui::addMenuEntry(bar, QStringLiteral("menu_transmit_caption"), m_window);
    connect(m_menuTransmit, &QAction::triggered, this, &TransferWiring::menu_transmit_captionClick);
}

void TransferWiring::createWindows() {
    m_frmTransmit = new Tfrm_gui_transmit(m_dataDir, m_prompts, m_settings.port, m_window);
    m_frmAdvSettings =
        new Tfrm_gui_adv_settings(m_settingsPath, m_settings.ball, m_settings.newBoxmode, m_window);
}

void TransferWiring::setArmed(bool armed) {
    m_armed = armed;
    m_menuTransmit->setEnabled(!armed);
    m_frmAdvSettings->setBoxModeLocked(armed);
}

void TransferWiring::menu_transmit_captionClick() {
    // A transfer would take the armed console's port and close it at the end.
    if (m_armed)
        return;
    TransferRequest request;
    const bool go = prepare_transfer(m_document.program(), m_settings.newBoxmode, m_settings.block,
                                     m_prompts, m_window, &request);
    // The block size is taken over even when the check refuses.
    m_frmTransmit->setBlockSize(request.blockSize);
    if (!go)
        return;
    m_frmTransmit->setRecords(request.records);
    m_frmTransmit->exec();
}

void TransferWiring::menu_settings_advancedClick() {
    m_frmAdvSettings->setBallPosition(m_settings.ball);
    m_frmAdvSettings->exec();
    // OK or Cancel: the box-number controls follow the box mode in force.
    m_document.setBoxMode(m_settings.newBoxmode);
    m_document.applyBoxMode();
    emit boxModeApplied();
}

} // namespace vz
