#include "program/project_file.h"
#include "vzctl_sheet.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vz;

namespace {

// The text of a PDF, page by page, each line with its runs of blanks made one.
QList<QStringList> pdfPages(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    QList<QStringList> pages;
    for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split('\f')) {
        QStringList lines;
        for (const QString& line : page.split(QLatin1Char('\n')))
            if (!line.simplified().isEmpty())
                lines << line.simplified();
        if (!lines.isEmpty())
            pages << lines;
    }
    return pages;
}

} // namespace

class TestSheetPdf : public QObject {
    Q_OBJECT
private slots:
    // The sheet command reads the project through the program's own rules and takes the
    // language and box mode from the settings: the PDF holds every row in order, with the
    // values as the window shows them and the German texts with their umlauts.
    void commandSheet() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext (poppler-utils) is needed");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QTemporaryDir dir;
        const QString programDir = dir.filePath(QStringLiteral("program"));
        const QString lng = QStringLiteral("/language/deutsch.lng");
        QVERIFY(QDir(programDir).mkpath(QStringLiteral("language")));
        QVERIFY(QFile::copy(QStringLiteral(VZ_TEST_DATA_DIR "/output") + lng, programDir + lng));
        const QString settings = dir.filePath(QStringLiteral("my.ini"));
        QFile ini(settings);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[misc]\nnew_boxmode=1\n[languagefiles]\nactive=deutsch\n");
        ini.close();
        BoxProgram p = BoxProgram::startValues();
        p.gasmodCount = 15;
        p.boxNr = 11;
        p.singleAt(1) = {1, 69};
        p.seqAt(3, 1) = {100, 255, 45, true};
        p.seqAt(1, 5).chk = false;
        for (int v = 1; v <= 5; ++v)
            p.seqAt(4, v).chk = false; // a family with none in use shows its heading only
        const QString project = dir.filePath(QStringLiteral("Bühne.kvx"));
        QVERIFY(ProjectFile::write(project, p));
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));

        QCOMPARE(
            runSheetCommand({project, QStringLiteral("--pdf"), pdf, QStringLiteral("--settings"),
                             settings, QStringLiteral("--program-dir"), programDir}),
            0);
        // A full box takes a second page; the head line stands on the first only.
        const QList<QStringList> pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 2);
        const QStringList lines = pages[0] + pages[1];
        QVERIFY2(lines[0].endsWith(QStringLiteral(" Vestro Zandor - Bühne.kvx")),
                 qPrintable(lines[0]));
        // Every row in order, the values as the window shows them, the German texts with
        // their umlauts; the sequence family with none in use shows its heading only.
        QCOMPARE(lines.size(), 56);
        const std::pair<int, const char*> rows[] = {
            {1, "Boxnummer: 12"}, // box mode 1: the stored box
            {2, "Anzahl der Module: 16"},
            {3, "Einzelmodule Kanal Zündzeit Gesamtdauer"},
            {4, "Modul 1 70 0,02s 0,32s"},
            {19, "Modul 16 16 0,10s 0,40s"},
            {50, "Größe 1 46 2,00s 5,10s 38,00s"},
            {55, "Sequenzen: |<====>| Kanal Zündzeit Wartezeit Gesamtdauer"}};
        for (const auto& [index, text] : rows)
            QCOMPARE(lines[index], QString::fromUtf8(text));
        // The settings file given is read, never written.
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(!ini.readAll().contains("english"));
    }
};

QTEST_MAIN(TestSheetPdf)
#include "tst_sheet_pdf.moc"
