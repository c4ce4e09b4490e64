#include "output/output_wiring.h"

#include "base/prompts.h"
#include "base/ui_style.h"
#include "base/unit_service.h"
#include "output/gui_info.h"
#include "output/help.h"
#include "output/printing.h"
#include "output/program_sheet.h"
#include "program/program_document.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>

namespace vz {

OutputWiring::OutputWiring(QWidget* window, const ProgramDocument& document, Prompts& prompts,
                           const QString& programDir)
    : QObject(window), m_window(window), m_document(document), m_prompts(prompts),
      m_help(new HelpEntry(programDir, this)) {}

OutputWiring::~OutputWiring() = default;

void OutputWiring::addFileEntries(QMenu* file) {
    connect(ui::addMenuEntry(file, QStringLiteral("menu_file_print")), &QAction::triggered, this,
            &OutputWiring::menu_file_printClick);
    connect(ui::addMenuEntry(file, QStringLiteral("menu_file_exportpdf")), &QAction::triggered,
            this, &OutputWiring::menu_file_exportpdfClick);
}

void OutputWiring::addHelpEntries(QMenu* help) {
    connect(ui::addMenuEntry(help, QStringLiteral("menu_help_info")), &QAction::triggered, this,
            &OutputWiring::menu_help_infoClick);
    m_menuHelpIntro = ui::addMenuEntry(help, QStringLiteral("menu_help_intro"));
    connect(m_menuHelpIntro, &QAction::triggered, this, &OutputWiring::menu_help_introClick);
}

void OutputWiring::createWindows() {
    m_frmInfo = new Tfrm_gui_info(m_window);
}

void OutputWiring::updateHelpEntry() {
    m_help->updateVisibility(m_menuHelpIntro);
}

SheetData OutputWiring::sheetData() const {
    return buildSheetData(m_document.program(), languageTable(), m_window->windowTitle(),
                          sheetDateTimeText(QDateTime::currentDateTime()));
}

void OutputWiring::menu_file_printClick() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printSheet(m_window, m_prompts, sheetData(), m_printer.get());
}

void OutputWiring::menu_file_exportpdfClick() {
    QString path = m_prompts.saveFileName(m_window, get_text(QStringLiteral("pdf_filter")),
                                          QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (QFileInfo::exists(path) &&
        m_prompts.confirm(m_window, get_text(QStringLiteral("msg_overwrite"))) !=
            Prompts::Answer::Yes)
        return;
    if (!exportSheetPdf(path, sheetData()))
        m_prompts.error(m_window, get_text(QStringLiteral("msg_errorexportpdf")));
}

void OutputWiring::menu_help_infoClick() {
    m_frmInfo->exec();
}

void OutputWiring::menu_help_introClick() {
    m_help->open();
}

} // namespace vz
