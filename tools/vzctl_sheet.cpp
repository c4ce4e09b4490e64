#include "vzctl_sheet.h"

#include "app/settings.h"
#include "app/unit_service.h"
#include "output/printing.h"
#include "output/program_sheet.h"
#include "program/program_document.h"
#include "program/project_file.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace {

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

int usage(const QString& problem) {
    err() << "vzctl sheet: " << problem << "\n"
          << "usage: vzctl sheet FILE.kvx --pdf OUT.pdf [--settings FILE]\n";
    err().flush();
    return 2;
}

int fail(const QString& problem) {
    err() << "vzctl sheet: " << problem << "\n";
    err().flush();
    return 1;
}

} // namespace

int runSheetCommand(const QStringList& args, const QString& programDir) {
    QString project, pdf, settingsPath;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--pdf") || a == QLatin1String("--settings")) {
            if (i + 1 >= args.size())
                return usage(a + QStringLiteral(" needs a file name"));
            (a == QLatin1String("--pdf") ? pdf : settingsPath) = args.at(++i);
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("unknown option ") + a);
        } else if (project.isEmpty()) {
            project = a;
        } else {
            return usage(QStringLiteral("more than one project file"));
        }
    }
    if (project.isEmpty())
        return usage(QStringLiteral("no project file"));
    if (pdf.isEmpty())
        return usage(QStringLiteral("no output file (--pdf OUT.pdf)"));
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return fail(QStringLiteral("drawing the sheet needs a graphical application object"));

    // The program reads a missing project as all defaults; asked for a sheet of a file that
    // is not there, the operator wants to hear so.
    if (!QFileInfo(project).isFile())
        return fail(QStringLiteral("project file not found: ") + project);

    Settings settings;
    if (!settingsPath.isEmpty()) {
        const SettingsFile::LoadResult loaded = SettingsFile::load(settingsPath);
        if (!loaded.fileFound)
            return fail(QStringLiteral("settings file not found: ") + settingsPath);
        settings = loaded.settings;
    } else {
        settings = SettingsFile::load(SettingsFile::pathIn(programDir)).settings;
    }

    // Texts as the program would show them; the settings file is not touched.
    LanguageTable& texts = languageTable();
    if (!texts.load(programDir, settings.language, QString())) {
        if (!texts.load(programDir, QStringLiteral("english"), QString()))
            err() << "vzctl sheet: no language file found in " << programDir
                  << "/language; the headings show the names of the controls\n";
        else
            err() << "vzctl sheet: language " << settings.language << " not found, using english\n";
        err().flush();
    }

    vz::ProgramDocument document;
    document.setMaxBox(settings.maxbox);
    document.setBoxMode(settings.newBoxmode);
    vz::ProjectFile::read(project, document);

    const QString caption = QStringLiteral("Vestro Zandor - ") + QFileInfo(project).fileName();
    const vz::SheetData data = vz::buildSheetData(
        document.program(), texts, caption, vz::sheetDateTimeText(QDateTime::currentDateTime()));
    if (!vz::exportSheetPdf(pdf, data))
        return fail(QStringLiteral("cannot write ") + pdf);
    return 0;
}
