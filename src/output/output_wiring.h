#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QPrinter;
class QWidget;

namespace vz {

class HelpEntry;
class Prompts;
class Tfrm_gui_info;

class ProgramDocument;
struct SheetData;

// What the program puts out besides the transfer: the printed sheet and its PDF (file
// menu), the about box and the help document (help menu). The main window creates it,
// lets it add its entries to the two menus and, with the other windows, its about box.
class OutputWiring : public QObject {
    Q_OBJECT
public:
    OutputWiring(QWidget* window, const vz::ProgramDocument& document, Prompts& prompts,
                 const QString& programDir);
    ~OutputWiring() override;

    // menu_file_print, menu_file_exportpdf.
    void addFileEntries(QMenu* file);
    // menu_help_info, menu_help_intro.
    void addHelpEntries(QMenu* help);
    void createWindows();
    // The help entry is shown while the help document of the active language exists.
    void updateHelpEntry();

    Tfrm_gui_info* infoDialog() const { return m_frmInfo; }
    HelpEntry* help() const { return m_help; }
    // The program sheet of the open project, headed by the window's caption and the time.
    vz::SheetData sheetData() const;

public slots:
    void menu_file_printClick();
    void menu_file_exportpdfClick();
    void menu_help_infoClick();
    void menu_help_introClick();

private:
    QWidget* m_window;
    const vz::ProgramDocument& m_document;
    Prompts& m_prompts;
    HelpEntry* m_help;
    QAction* m_menuHelpIntro = nullptr;
    Tfrm_gui_info* m_frmInfo = nullptr;
    // One printer for the program's run, so the dialog offers the printer and options chosen
    // last.
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace vz
