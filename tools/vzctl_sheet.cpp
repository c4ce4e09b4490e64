#include "vzctl_sheet.h"

#include "cli.h"
#include "output/printing.h"
#include "output/program_sheet.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>

namespace vz {

namespace {

int fail(const QString& problem) {
    printErr(QStringLiteral("vzctl sheet: ") + problem);
    return ExitError;
}

} // namespace

int runSheetCommand(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the programming sheet of a project as a PDF on A4, as the print menu entry "
        "prints it after opening the project."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("PDF file to write."),
                                 QStringLiteral("OUT.pdf"));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Settings file (box mode, box list, language); default: settings.ini "
                       "in the data folder."),
        QStringLiteral("FILE"));
    const QCommandLineOption programDir(
        QStringLiteral("program-dir"),
        QStringLiteral("Folder holding settings.ini and language/; default: the folder of "
                       "vzctl."),
        QStringLiteral("DIR"));
    parser.addOptions({help, pdf, settings, programDir});
    parser.addPositionalArgument(QStringLiteral("FILE.kvx"), QStringLiteral("The project."));
    const QString usage =
        QStringLiteral("usage: vzctl sheet FILE.kvx --pdf OUT.pdf [--settings FILE] "
                       "[--program-dir DIR]");

    if (!parser.parse(QStringList{QStringLiteral("sheet")} + args))
        return fail(parser.errorText() + QLatin1Char('\n') + usage);
    if (parser.isSet(help)) {
        printOut(usage + QStringLiteral("\n\n") + parser.applicationDescription());
        return ExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return fail((positional.isEmpty() ? QStringLiteral("no project file")
                                          : QStringLiteral("more than one project file")) +
                    QLatin1Char('\n') + usage);
    const QString project = positional.first();
    const QString out = parser.value(pdf);
    if (out.isEmpty())
        return fail(QStringLiteral("no output file (--pdf OUT.pdf)\n") + usage);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return fail(QStringLiteral("drawing the sheet needs a graphical application object"));
    const QString dir = parser.isSet(programDir) ? parser.value(programDir)
                                                 : QCoreApplication::applicationDirPath();

    // Settings, language and project as the other commands read them: a project that cannot
    // be read, or is no project, is refused with its reason.
    LoadedProject loaded;
    if (!loadProject(project, parser.value(settings), DataFolder::forProgram(dir), &loaded))
        return ExitError;

    const QString caption = QStringLiteral("Vestro Zandor - ") + QFileInfo(project).fileName();
    const vz::SheetData data =
        vz::buildSheetData(loaded.program, *loaded.texts, caption,
                           vz::sheetDateTimeText(QDateTime::currentDateTime()));
    int pages = 0;
    if (!vz::exportSheetPdf(out, data, &pages))
        return fail(QStringLiteral("cannot write ") + out);
    printOut(QStringLiteral("%1: %2 page(s)").arg(out).arg(pages));
    return ExitOk;
}

} // namespace vz
