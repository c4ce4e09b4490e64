#pragma once

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace vz {

class Prompts;
class Tfrm_gui_adv_settings;
class Tfrm_gui_transmit;
struct Settings;

class ProgramDocument;

// The transfer of the program into a box: the transmit entry on the menu bar with its
// dialog, and the advanced settings (ball time, box mode). The main window creates it, lets
// it add its entries and, with the other windows, its two dialogs.
class TransferWiring : public QObject {
    Q_OBJECT
public:
    TransferWiring(QWidget* window, vz::ProgramDocument& document, Settings& settings,
                   const QString& settingsPath, Prompts& prompts, const QString& dataDir);

    // menu_settings_advanced.
    void addSettingsEntries(QMenu* settings);
    // menu_transmit_caption, on the menu bar itself.
    void addTransmitEntry(QMenuBar* bar);
    void createWindows();

    QAction* transmitEntry() const { return m_menuTransmit; }
    Tfrm_gui_transmit* transmitDialog() const { return m_frmTransmit; }
    Tfrm_gui_adv_settings* advSettingsDialog() const { return m_frmAdvSettings; }

signals:
    // The advanced settings closed (OK or Cancel) and the document took the box mode in
    // force; the box-number controls follow it.
    void boxModeApplied();

public slots:
    // Armed, the console holds the port and the box mode decides the box of its macro calls:
    // the transfer is off and the box mode cannot be changed.
    void setArmed(bool armed);
    void menu_transmit_captionClick();
    void menu_settings_advancedClick();

private:
    QWidget* m_window;
    vz::ProgramDocument& m_document;
    Settings& m_settings;
    QString m_settingsPath;
    Prompts& m_prompts;
    QString m_dataDir;
    bool m_armed = false;
    QAction* m_menuTransmit = nullptr;
    Tfrm_gui_transmit* m_frmTransmit = nullptr;
    Tfrm_gui_adv_settings* m_frmAdvSettings = nullptr;
};

} // namespace vz
