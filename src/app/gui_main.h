#pragma once

#include "base/data_folder.h"
#include "base/settings.h"
#include "fire/hotkeys.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QKeyEvent;
class QTabWidget;

namespace vz {

class BoxHeader;
class EditWiring;
class FireWiring;
class OutputWiring;
class PreviewArea;
class PreviewWiring;
class Tfrm_gui_transmit;
class Tfrm_gui_adv_settings;
class Prompts;
class ProgramPages;
class RehearsalWiring;
class Tfrm_language;
class TransferWiring;

class FireConsole;
class ProgramDocument;

// The main window: owns the open project (through the document), the settings record and
// the hotkey table; shows the nine program pages, the preview area and the two fire pages.
// The subsystems wire themselves in (PreviewWiring, TransferWiring, FireWiring,
// OutputWiring, EditWiring, BoxHeader): the window creates them, hands them its menus and
// pages, and keeps the language. The document reads and saves the project file; the window
// asks the questions around it and shows what the document reports.
//
// Start-up runs in the constructor (settings, language, controls, hotkeys, the project named
// on the command line or the last one, the other windows); the rest when first shown.
class Tfrm_gui_main : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 745;
    static constexpr int kClientHeight = 409;

    // The data folder of the program folder as this process's environment decides it.
    Tfrm_gui_main(const QString& programDir, const QStringList& arguments, Prompts& prompts,
                  QWidget* parent = nullptr);
    Tfrm_gui_main(const DataFolder& dataFolder, const QStringList& arguments, Prompts& prompts,
                  QWidget* parent = nullptr);
    ~Tfrm_gui_main() override;

    // --- what later work reaches ---
    QString programDir() const { return m_programDir; }
    const DataFolder& dataFolder() const { return m_data; }
    QString settingsPath() const { return m_settingsPath; }
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    vz::ProgramDocument& document() { return *m_document; }
    HotkeyTable& hotkeys() { return m_hotkeys; }
    Prompts& prompts() { return m_prompts; }
    QTabWidget* pageControl() const { return m_pageControl; }
    ProgramPages* programPages() const { return m_programPages; }
    PreviewArea* previewArea() const { return m_preview; }
    Tfrm_language* languageDialog() const { return m_frmLanguage; }
    PreviewWiring* previewWiring() const { return m_previewWiring; }
    TransferWiring* transfer() const { return m_transfer; }
    FireWiring* fireWiring() const { return m_fireWiring; }
    OutputWiring* output() const { return m_output; }
    EditWiring* editWiring() const { return m_edit; }
    Tfrm_gui_transmit* transmitDialog() const;
    Tfrm_gui_adv_settings* advSettingsDialog() const;
    // The live firing console: pages 9 and 10, the fire menu, hotkeys and macros.
    vz::FireConsole* fireConsole() const;

    // Loads language/<name>.lng into the language table, writes it as the active language
    // and shows the help entry when its document exists. A file that cannot be read gives
    // the error box and changes nothing. Returns whether it was loaded.
    bool load_languagefile(const QString& name);

    // The project file operations of the file menu; each returns whether it went through.
    // A file that cannot be read as a project gives the error box and changes nothing.
    bool write_project(const QString& path);
    bool read_project(const QString& path);

    // Box mode on screen: the list in box mode 1 (or while the RK40 route asks for it),
    // else the label with the fixed number.
    void apply_boxmode();
    // While fire mode through the RK40 runs, the box list is shown in either box mode.
    void setBoxListForced(bool forced);

    // Every key of this window, once, before its controls: hotkeys on the fire page, else
    // the step of the time up-downs (rule of the Ctrl key). True when the key belongs to
    // the fire console and goes no further.
    bool FormKeyDown(QKeyEvent* event);
    void FormKeyUp(QKeyEvent* event);

public slots:
    void menu_file_newClick();
    void menu_file_openClick();
    void menu_file_saveClick();
    void menu_file_saveasClick();
    void menu_file_exitprogClick();
    void menu_settings_languageClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildMenus();
    void buildClientArea();
    void layoutClientArea();
    void readSettings();
    void setupControls();
    void openStartProject();
    void createWindows();
    void FormShow();
    // The language table's texts on the window, its pages and the fire console.
    void applyLanguage();
    void FormCloseQuery(bool& canClose);
    // Every write of the settings file ends here: see the definition.
    void settingsWritten(const QString& path, bool written);

    void setProjectCaption(const QString& path);
    void restoreCaption();
    void showActiveTab(int page);
    void pageChanged(int index);

    QString m_programDir;
    DataFolder m_data;
    QStringList m_arguments;
    Prompts& m_prompts;
    QString m_settingsPath;
    Settings m_settings;
    HotkeyTable m_hotkeys;
    vz::ProgramDocument* m_document = nullptr;

    QWidget* m_client = nullptr;
    BoxHeader* m_header = nullptr;
    PreviewArea* m_preview = nullptr;
    QTabWidget* m_pageControl = nullptr;
    ProgramPages* m_programPages = nullptr;

    QAction* m_menuFileSave = nullptr;

    PreviewWiring* m_previewWiring = nullptr;
    RehearsalWiring* m_rehearsal = nullptr;
    TransferWiring* m_transfer = nullptr;
    FireWiring* m_fireWiring = nullptr;
    OutputWiring* m_output = nullptr;
    EditWiring* m_edit = nullptr;
    Tfrm_language* m_frmLanguage = nullptr;
    vz::FireConsole* m_fire = nullptr; // the console of m_fireWiring, once created

    QString m_captionFile;           // file name the caption shows, empty for none
    bool m_settingsFailTold = false; // since the last settings write that went through
    bool m_centred = false;          // on the primary screen, at the first show
    // The key event last acted on, to tell its way up the parents from a new key.
    const QEvent* m_lastKeyEvent = nullptr;
    int m_lastKeyType = 0;
    QPointer<QWidget> m_lastKeyReceiver;
};

} // namespace vz
