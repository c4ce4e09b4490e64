#include "base/settings.h"
#include "base/unit_service.h"
#include "gui/scripted_prompts.h"
#include "output/printing.h"
#include "output/program_sheet.h"
#include "program/project_file.h"
#include "vzctl_sheet.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vz;

namespace {

QString dataDir() {
    return QStringLiteral(VZ_TEST_DATA_DIR "/output");
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of a PDF, page by page, each line with its runs of blanks made one.
QList<QStringList> pdfPages(const QString& path) {
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QList<QStringList> pages;
    for (const QString& page : text.split(QLatin1Char('\f'))) {
        QStringList lines;
        for (const QString& line : page.split(QLatin1Char('\n'))) {
            const QString simple = line.simplified();
            if (!simple.isEmpty())
                lines << simple;
        }
        if (!lines.isEmpty())
            pages << lines;
    }
    return pages;
}

QString pdfInfo(const QString& path, const QString& field) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(field + QLatin1Char(':')))
            return line.mid(field.size() + 1).simplified();
    return QString();
}

LanguageTable germanTexts() {
    QFile file(dataDir() + QStringLiteral("/language/deutsch.lng"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fixture missing");
    LanguageTable table;
    table.setEntries(LanguageTable::parse(file.readAll()));
    return table;
}

// Every line the sheet should show, in order, as pdftotext reads them.
QStringList expectedLines(const SheetData& d) {
    QStringList lines;
    lines << d.dateTime + QLatin1Char(' ') + d.caption;
    lines << d.boxLabel + QLatin1Char(' ') + QString::number(d.boxNumber);
    lines << d.countLabel + QLatin1Char(' ') + QString::number(d.moduleCount);
    for (const SheetSection& s : d.sections) {
        QStringList head{s.title, s.channelHeading, s.fireHeading};
        if (s.hasWait)
            head << s.waitHeading;
        lines << (head << s.durationHeading).join(QLatin1Char(' '));
        for (const SheetRow& r : s.rows) {
            if (!r.inUse)
                continue;
            QStringList row{r.name, r.channel, r.fire};
            if (s.hasWait)
                row << r.wait;
            lines << (row << r.duration).join(QLatin1Char(' '));
        }
    }
    return lines;
}

// A show with values off the start values in every kind of program.
BoxProgram sampleProgram(int modules) {
    BoxProgram p = BoxProgram::startValues();
    p.gasmodCount = modules - 1;
    p.boxNr = 30 + modules - 1;
    p.singleAt(1).fire = 1;
    p.singleAt(1).ch = 69;
    p.singleAt(2).fire = 255;
    p.groupAt(2, 3).fire = 17;
    p.groupAt(2, 3).ch = 59;
    p.seqAt(0, 2).wait = 2;
    p.seqAt(3, 1).fire = 100;
    p.seqAt(3, 1).wait = 255;
    p.seqAt(1, 5).chk = false;
    for (int v = 1; v <= 5; ++v)
        p.seqAt(4, v).chk = false;
    return p;
}

// Prompts whose print dialog chooses a number of copies, as the real one would.
class CopiesPrompts : public ScriptedPrompts {
public:
    int copies = 1;
    bool printDialog(QWidget* parent, QPrinter* printer) override {
        const bool ok = ScriptedPrompts::printDialog(parent, printer);
        if (ok)
            printer->setCopyCount(copies);
        return ok;
    }
};

} // namespace

class TestSheetPdf : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext (poppler-utils) is needed");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    // The PDF holds every row in order, with the values as the window shows them and the
    // German texts with their umlauts.
    void exportedRows_data() {
        QTest::addColumn<int>("modules");
        QTest::newRow("1 module") << 1;
        QTest::newRow("16 modules") << 16;
    }
    void exportedRows() {
        QFETCH(int, modules);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
        const SheetData data = buildSheetData(sampleProgram(modules), germanTexts(),
                                              QStringLiteral("Vestro Zandor - Bühne.kvx"),
                                              QStringLiteral("05.03.24 14:03:22"));
        int pages = 0;
        QVERIFY(exportSheetPdf(path, data, &pages));
        // 10 pt lines 1.6 lines apart: a full box takes a second A4 page.
        QVERIFY(pages >= 1 && pages <= 2);
        QVERIFY(modules < 16 || pages == 2);

        QCOMPARE(pdfInfo(path, QStringLiteral("Pages")).toInt(), pages);
        QVERIFY2(pdfInfo(path, QStringLiteral("Page size")).contains(QStringLiteral("(A4)")),
                 qPrintable(pdfInfo(path, QStringLiteral("Page size"))));
        QCOMPARE(pdfInfo(path, QStringLiteral("Title")), data.caption);

        const QList<QStringList> text = pdfPages(path);
        QCOMPARE(text.size(), pages);
        QStringList all;
        for (const QStringList& page : text)
            all << page;
        QCOMPARE(all, expectedLines(data));
        // The head line stands on the first page only.
        if (pages > 1)
            QVERIFY(!text[1].join(QLatin1Char('\n')).contains(data.caption));
        QVERIFY(all.contains(QStringLiteral("Sequenzen: |<====>| Kanal Zündzeit Wartezeit "
                                            "Gesamtdauer")));
    }

    // Confirmed: one job titled with the caption, carrying the copies chosen in the dialog.
    void printConfirmed() {
        const int copies = 3;
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("p.pdf")));
        CopiesPrompts prompts;
        prompts.copies = copies;
        prompts.printAnswers.enqueue(true);
        const SheetData data =
            buildSheetData(sampleProgram(6), germanTexts(),
                           QStringLiteral("Vestro Zandor - Bühne.kvx"), QStringLiteral("heute"));
        QVERIFY(printSheet(nullptr, prompts, data, &printer));
        QCOMPARE(printer.docName(), data.caption);
        QCOMPARE(pdfInfo(printer.outputFileName(), QStringLiteral("Title")), data.caption);
        // Either the print system makes the copies or the job carries them.
        int sheetPages = 0;
        QVERIFY(exportSheetPdf(dir.filePath(QStringLiteral("one.pdf")), data, &sheetPages));
        const int pages = pdfInfo(printer.outputFileName(), QStringLiteral("Pages")).toInt();
        if (printer.supportsMultipleCopies()) {
            QCOMPARE(printer.copyCount(), copies);
            QCOMPARE(pages, sheetPages);
        } else {
            QCOMPARE(pages, copies * sheetPages);
        }
        const QList<QStringList> text = pdfPages(printer.outputFileName());
        QCOMPARE(text.size(), pages);
        for (int copy = 0; copy < pages / sheetPages; ++copy) {
            QStringList lines;
            for (int page = 0; page < sheetPages; ++page)
                lines << text[copy * sheetPages + page];
            QCOMPARE(lines, expectedLines(data));
        }
    }

    void command_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("nothing") << QStringList{} << 2;
        QTest::newRow("no output") << QStringList{"show.kvx"} << 2;
        QTest::newRow("--pdf without name") << QStringList{"show.kvx", "--pdf"} << 2;
        QTest::newRow("unknown option") << QStringList{"show.kvx", "--pdf", "o.pdf", "--x"} << 2;
        QTest::newRow("two projects") << QStringList{"show.kvx", "b.kvx", "--pdf", "o.pdf"} << 2;
        QTest::newRow("missing project") << QStringList{"none.kvx", "--pdf", "o.pdf"} << 2;
        QTest::newRow("missing settings")
            << QStringList{"show.kvx", "--pdf", "o.pdf", "--settings", "none.ini"} << 2;
        QTest::newRow("output folder missing") << QStringList{"show.kvx", "--pdf", "no/o.pdf"} << 2;
        QTest::newRow("done") << QStringList{"show.kvx", "--pdf", "o.pdf"} << 0;
    }
    void command() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        QVERIFY(ProjectFile::write(dir.filePath(QStringLiteral("show.kvx")), sampleProgram(6)));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const int code = runSheetCommand(args << QStringLiteral("--program-dir") << dir.path());
        QDir::setCurrent(cwd);
        QCOMPARE(code, exitCode);
        QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("o.pdf"))),
                 exitCode == 0 && args.contains(QStringLiteral("o.pdf")));
    }

    // The command reads the project through the program's own rules and takes the language
    // and box mode from the settings: the sheet is the one the window would print.
    void commandSheet_data() {
        QTest::addColumn<int>("boxMode");
        QTest::addColumn<QString>("boxLine");
        QTest::newRow("box mode 0: 30 + count") << 0 << QStringLiteral("Boxnummer: 36");
        QTest::newRow("box mode 1: the stored box") << 1 << QStringLiteral("Boxnummer: 12");
    }
    void commandSheet() {
        QFETCH(int, boxMode);
        QFETCH(QString, boxLine);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("program/language")));
        const QString programDir = dir.filePath(QStringLiteral("program"));
        QVERIFY(QFile::copy(dataDir() + QStringLiteral("/language/deutsch.lng"),
                            programDir + QStringLiteral("/language/deutsch.lng")));
        const QString settings = dir.filePath(QStringLiteral("my.ini"));
        QFile ini(settings);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[misc]\nnew_boxmode=%1\n[languagefiles]\nactive=deutsch\n")
                      .arg(boxMode)
                      .toUtf8());
        ini.close();
        BoxProgram p = sampleProgram(6);
        p.boxNr = 11;
        const QString project = dir.filePath(QStringLiteral("Bühne.kvx"));
        QVERIFY(ProjectFile::write(project, p));
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));

        QCOMPARE(
            runSheetCommand({project, QStringLiteral("--pdf"), pdf, QStringLiteral("--settings"),
                             settings, QStringLiteral("--program-dir"), programDir}),
            0);
        QStringList lines;
        for (const QStringList& page : pdfPages(pdf))
            lines << page;
        QVERIFY2(lines[0].endsWith(QStringLiteral(" Vestro Zandor - Bühne.kvx")),
                 qPrintable(lines[0]));
        QCOMPARE(lines[1], boxLine);
        QCOMPARE(lines[2], QStringLiteral("Anzahl der Module: 6"));
        QCOMPARE(lines[4], QStringLiteral("Modul 1 70 0,02s 0,32s"));
        QVERIFY(lines.contains(QStringLiteral("Größe 1 46 2,00s 5,10s 12,50s")));
        // The settings file given is read, never written.
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(!ini.readAll().contains("english"));
    }
};

QTEST_MAIN(TestSheetPdf)
#include "tst_sheet_pdf.moc"
