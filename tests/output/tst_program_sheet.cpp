#include "base/unit_service.h"
#include "output/program_sheet.h"

#include <QtTest>

using namespace vz;

namespace {

// Records every text with where and in which font it was drawn. Metrics are simple and
// known: a line is lineHeight high in 10 pt, a character is as wide as the point size.
class RecordingCanvas : public SheetCanvas {
public:
    struct Text {
        int page;
        int x;
        int y;
        QString text;
        int pointSize;
        bool bold;
    };

    RecordingCanvas(int width, int height, int lineHeight)
        : m_width(width), m_height(height), m_lineHeight(lineHeight) {}

    void setFont(int pointSize, bool bold) override {
        m_pointSize = pointSize;
        m_bold = bold;
    }
    int textHeight(const QString&) override { return m_lineHeight * m_pointSize / 10; }
    int textWidth(const QString& text) override { return int(text.size()) * m_pointSize; }
    void drawText(int x, int y, const QString& text) override {
        texts.append({m_page, x, y, text, m_pointSize, m_bold});
    }
    void newPage() override { ++m_page; }
    int pageWidth() const override { return m_width; }
    int pageHeight() const override { return m_height; }

    int pages() const { return m_page + 1; }
    // Lines as "page:y: text | text | ..." in drawing order.
    QStringList lines() const {
        QStringList out;
        int lastPage = -1, lastY = -1;
        for (const Text& t : texts) {
            if (t.page != lastPage || t.y != lastY) {
                out << QStringLiteral("%1:%2: %3").arg(t.page).arg(t.y).arg(t.text);
                lastPage = t.page;
                lastY = t.y;
            } else {
                out.last() += QStringLiteral(" | ") + t.text;
            }
        }
        return out;
    }
    const Text* find(const QString& text) const {
        for (const Text& t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }

    QList<Text> texts;

private:
    int m_width;
    int m_height;
    int m_lineHeight;
    int m_page = 0;
    int m_pointSize = 0;
    bool m_bold = false;
};

SheetSection section(const QString& title, int rows, bool hasWait, int inUseMask = -1) {
    SheetSection s;
    s.title = title;
    s.channelHeading = title + QStringLiteral(".ch");
    s.fireHeading = title + QStringLiteral(".fire");
    s.waitHeading = hasWait ? title + QStringLiteral(".wait") : QString();
    s.durationHeading = title + QStringLiteral(".dur");
    s.hasWait = hasWait;
    for (int i = 1; i <= rows; ++i) {
        SheetRow r;
        r.name = title + QString::number(i);
        r.channel = QString::number(i);
        r.fire = QStringLiteral("f%1").arg(i);
        r.wait = hasWait ? QStringLiteral("w%1").arg(i) : QString();
        r.duration = QStringLiteral("d%1").arg(i);
        r.inUse = (inUseMask >> (i - 1)) & 1;
        s.rows.append(r);
    }
    return s;
}

// A sheet shaped like a real one: singles, three groups, five families.
SheetData sheet(int modules, const QVector<int>& seqMasks = {31, 31, 31, 31, 31}) {
    SheetData d;
    d.caption = QStringLiteral("Cap");
    d.dateTime = QStringLiteral("DT");
    d.boxLabel = QStringLiteral("Box");
    d.boxNumber = 36;
    d.countLabel = QStringLiteral("Count");
    d.moduleCount = modules;
    d.sections << section(QStringLiteral("S"), modules, false);
    for (const char* g : {"all", "odd", "evn"})
        d.sections << section(QLatin1String(g), 3, false);
    const char* fam[] = {"LR", "RL", "AI", "IA", "X"};
    for (int f = 0; f < 5; ++f)
        d.sections << section(QLatin1String(fam[f]), 5, true, seqMasks[f]);
    return d;
}

int countAt(const RecordingCanvas& c, int x) {
    int n = 0;
    for (const auto& t : c.texts)
        n += t.x == x;
    return n;
}

} // namespace

class TestProgramSheet : public QObject {
    Q_OBJECT
private slots:
    void roundHalfToEven_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5 down to 0") << 10 << 5 << 100 << 0;
        QTest::newRow("1.5 up to 2") << 30 << 5 << 100 << 2;
        QTest::newRow("2.5 down to 2") << 50 << 5 << 100 << 2;
        QTest::newRow("50.4 down") << 21 << 24 << 10 << 50;
        QTest::newRow("16.8 up") << 21 << 8 << 10 << 17;
    }
    void roundHalfToEven() {
        QFETCH(int, value);
        QFETCH(int, num);
        QFETCH(int, den);
        QFETCH(int, expected);
        QCOMPARE(roundScaled(value, num, den), expected);
    }

    void columns_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("expected"); // x0, c40, c55, c70, c85
        QTest::newRow("1000") << 1000 << QList<int>{50, 450, 600, 750, 900};
        QTest::newRow("30, halves") << 30 << QList<int>{2, 14, 18, 23, 28};
        QTest::newRow("A4 at 600 dpi") << 4961 << QList<int>{248, 2232, 2977, 3721, 4465};
    }
    void columns() {
        QFETCH(int, width);
        QFETCH(QList<int>, expected);
        const SheetGeometry g = sheetColumns(width);
        QCOMPARE((QList<int>{g.x0, g.c40, g.c55, g.c70, g.c85}), expected);

        // The layout draws at exactly these positions.
        RecordingCanvas canvas(width, 100000, 20);
        layoutSheet(canvas, sheet(2));
        QList<int> drawn;
        for (const char* text : {"LR", "LR.ch", "f2", "w2", "LR.dur"})
            drawn << canvas.find(QLatin1String(text))->x;
        QCOMPARE(drawn, expected);
    }

    // The whole sheet of one module, line by line, with the advances of a line unit of 21
    // (2.4 L = 50, 1.6 L = 34, 0.8 L = 17).
    void oneModuleSheet() {
        RecordingCanvas canvas(1000, 100000, 21);
        const SheetGeometry g = layoutSheet(canvas, sheet(1));
        QCOMPARE(g.lineUnit, 21);
        QCOMPARE(g.pages, 1);
        QStringList expected{"0:21: DT | Cap", "0:71: Box 36", "0:105: Count 1",
                             "0:155: S | S.ch | S.fire | S.dur", "0:189: S1 | 1 | f1 | d1"};
        int y = 189 + 34 + 17;
        for (const char* g : {"all", "odd", "evn"}) {
            const QString k = QLatin1String(g);
            expected << QStringLiteral("0:%1: %2 | %2.ch | %2.fire | %2.dur").arg(y).arg(k);
            y += 34;
            for (int v = 1; v <= 3; ++v, y += 34)
                expected << QStringLiteral("0:%1: %2%3 | %3 | f%3 | d%3").arg(y).arg(k).arg(v);
            y += 17;
        }
        for (const char* f : {"LR", "RL", "AI", "IA", "X"}) {
            const QString k = QLatin1String(f);
            expected
                << QStringLiteral("0:%1: %2 | %2.ch | %2.fire | %2.wait | %2.dur").arg(y).arg(k);
            y += 34;
            for (int v = 1; v <= 5; ++v, y += 34)
                expected
                    << QStringLiteral("0:%1: %2%3 | %3 | f%3 | w%3 | d%3").arg(y).arg(k).arg(v);
            y += 17;
        }
        QCOMPARE(canvas.lines(), expected);
    }

    void headLine() {
        RecordingCanvas canvas(1000, 100000, 20);
        layoutSheet(canvas, sheet(6));
        const auto& dt = canvas.texts.at(0);
        const auto& cap = canvas.texts.at(1);
        QCOMPARE(dt.pointSize, 12);
        // The caption ends at 95 % of the width, measured in 12 pt (3 characters x 12).
        QCOMPARE(cap.text, QStringLiteral("Cap"));
        QCOMPARE(cap.pointSize, 12);
        QCOMPARE(cap.x, 950 - 36);
        // Headings bold, rows regular, all in 10 pt.
        QVERIFY(canvas.find(QStringLiteral("LR.wait"))->bold);
        QVERIFY(!canvas.find(QStringLiteral("w1"))->bold);
        QCOMPARE(canvas.find(QStringLiteral("w1"))->pointSize, 10);
    }

    void rowCounts_data() {
        QTest::addColumn<int>("modules");
        QTest::addColumn<QVector<int>>("seqMasks");
        QTest::addColumn<int>("lines");
        // 3 head lines, 1 + count single lines, 3 x (1 + 3) group lines, a heading per family
        // and a row per variant in use.
        QTest::newRow("16 modules, all in use")
            << 16 << QVector<int>{31, 31, 31, 31, 31} << 3 + 17 + 12 + 30;
        QTest::newRow("1 module") << 1 << QVector<int>{31, 31, 31, 31, 31} << 3 + 2 + 12 + 30;
        // A family with no variant in use prints only its heading.
        QTest::newRow("no sequence in use") << 6 << QVector<int>{0, 0, 0, 0, 0} << 3 + 7 + 12 + 5;
        QTest::newRow("variants 1 and 5 of AI")
            << 6 << QVector<int>{31, 31, 17, 31, 31} << 3 + 7 + 12 + 27;
    }
    void rowCounts() {
        QFETCH(int, modules);
        QFETCH(QVector<int>, seqMasks);
        QFETCH(int, lines);
        RecordingCanvas canvas(1000, 1000000, 20);
        layoutSheet(canvas, sheet(modules, seqMasks));
        QCOMPARE(canvas.lines().size(), lines);
        QCOMPARE(countAt(canvas, 50), lines);
    }

    // Line unit 19: the head advance is 46, the box line's 30. With a page of 100 the break
    // line is 95: y = 95 is still on the page, anything past it is not.
    void pageBreak_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<QStringList>("firstLines");
        QTest::newRow("y equal to 95 % stays")
            << 100
            << QStringList{"0:19: DT | Cap", "0:65: Box 36", "0:95: Count 6",
                           "1:19: S | S.ch | S.fire | S.dur"};
        QTest::newRow("y past 95 % breaks")
            << 99
            << QStringList{"0:19: DT | Cap", "0:65: Box 36", "1:19: Count 6",
                           "1:65: S | S.ch | S.fire | S.dur"};
    }
    void pageBreak() {
        QFETCH(int, height);
        QFETCH(QStringList, firstLines);
        RecordingCanvas canvas(1000, height, 19);
        const SheetGeometry g = layoutSheet(canvas, sheet(6));
        QCOMPARE(canvas.lines().mid(0, firstLines.size()), firstLines);
        QCOMPARE(g.pages, canvas.pages());
        // Every text is on a page and no page stays empty, the last one included.
        QSet<int> used;
        for (const auto& t : canvas.texts)
            used.insert(t.page);
        QCOMPARE(used.size(), canvas.pages());
    }

    // A longer sheet: rows go on at y = L on each new page, the head line stands on the first
    // page only, and nothing is lost or doubled.
    void longSheet() {
        RecordingCanvas canvas(1000, 400, 20); // break line 380
        const SheetData data = sheet(16);
        const SheetGeometry g = layoutSheet(canvas, data);
        QVERIFY(g.pages > 3);
        QCOMPARE(canvas.pages(), g.pages);
        QCOMPARE(canvas.lines().size(), 62);
        int heads = 0;
        QMap<int, int> firstY;
        for (const auto& t : canvas.texts) {
            if (t.text == QLatin1String("DT") || t.text == QLatin1String("Cap")) {
                ++heads;
                QCOMPARE(t.page, 0);
            }
            if (!firstY.contains(t.page))
                firstY[t.page] = t.y;
            QVERIFY(t.y <= 380);
        }
        QCOMPARE(heads, 2);
        for (int page = 1; page < g.pages; ++page)
            QCOMPARE(firstY.value(page), 20);
        // The rows keep their order across the pages.
        QStringList names, expected;
        for (const auto& t : canvas.texts)
            if (t.x == 50 && t.text.startsWith(QLatin1Char('S')) && t.text.size() > 1)
                names << t.text;
        for (int n = 1; n <= 16; ++n)
            expected << QStringLiteral("S%1").arg(n);
        QCOMPARE(names, expected);
    }

    void dateTimeText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << QStringLiteral("05.03.24 14:03:22");
        QTest::newRow("English (US)") << QLocale(QLocale::English, QLocale::UnitedStates)
                                      << QStringLiteral("3/5/24 2:03:22 PM");
    }
    void dateTimeText() {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 3, 22));
        // Newer locale data puts a narrow space before AM/PM.
        QCOMPARE(sheetDateTimeText(when, locale).replace(QChar(0x202f), QLatin1Char(' ')),
                 expected);
    }

    // The builder takes every text as the window shows it.
    void buildFromProgram() {
        LanguageTable texts;
        texts.setEntries({{"box_nr_lbl", "Box-Nr.:"},
                          {"gasmod_count_lbl", "Anzahl Module:"},
                          {"tab_single", "Einzeln"},
                          {"tab_single_caption0_A", "Kanal"},
                          {"tab_single_caption2_A", "Zeit"},
                          {"tab_single_caption3_A", "Dauer"},
                          {"prnt_str_Modul", "Modul"},
                          {"tab_all_caption1_A", "Kanal"},
                          {"tab_odd_var_2_lbl", "Ungerade 2"},
                          {"tab_seqAI_caption0_B", "Kanal"},
                          {"tab_seqAI_caption2_A", "Pause"},
                          {"tab_seqAI_var_3_lbl", "Außen-innen 3"},
                          {"tab_all", ""}});
        BoxProgram p = BoxProgram::startValues();
        p.gasmodCount = 6; // 7 modules
        p.boxNr = 36;
        p.singleAt(3).fire = 12;
        p.singleAt(3).ch = 68;
        p.singleAt(8).fire = 200; // hidden module: no row
        p.groupAt(1, 2).fire = 255;
        p.seqAt(2, 3).fire = 10;
        p.seqAt(2, 3).wait = 20;
        p.seqAt(2, 4).chk = false;
        const QLocale german(QLocale::German, QLocale::Germany);
        const SheetData d = buildSheetData(p, texts, "Vestro Zandor - a.kvx", "now", german);

        QCOMPARE(d.boxNumber, 37);
        QCOMPARE(d.moduleCount, 7);
        QCOMPARE(d.sections.size(), 9);

        const SheetSection& s = d.sections[0];
        QCOMPARE((QStringList{s.title, s.channelHeading, s.fireHeading, s.durationHeading}),
                 (QStringList{"Einzeln", "Kanal", "Zeit", "Dauer"}));
        QVERIFY(!s.hasWait);
        QCOMPARE(s.rows.size(), 7);
        QCOMPARE(
            (QStringList{s.rows[2].name, s.rows[2].channel, s.rows[2].fire, s.rows[2].duration}),
            (QStringList{"Modul 3", "69", "0,24s", "0,54s"}));

        // A control without a text, or with an empty one, shows its own name.
        QCOMPARE(d.sections[1].title, QStringLiteral("tab_all"));
        QCOMPARE(d.sections[1].rows[0].name, QStringLiteral("tab_all_var_1_lbl"));
        const SheetRow& odd2 = d.sections[2].rows[1];
        QCOMPARE((QStringList{odd2.name, odd2.channel, odd2.fire, odd2.duration}),
                 (QStringList{"Ungerade 2", "25", "5,10s", "5,40s"}));

        const SheetSection& ai = d.sections[6];
        QCOMPARE(ai.title, QStringLiteral("Sequenzen: |==><==|"));
        QVERIFY(ai.hasWait);
        QCOMPARE((QStringList{ai.channelHeading, ai.waitHeading}), (QStringList{"Kanal", "Pause"}));
        // 7 modules: AI runs (7 - 1) div 2 = 3 steps: 3 x 0.40 + 0.3 + 0.20 = 1.70 s.
        const SheetRow& ai3 = ai.rows[2];
        QCOMPARE((QStringList{ai3.name, ai3.channel, ai3.fire, ai3.wait, ai3.duration}),
                 (QStringList{"Außen-innen 3", "43", "0,20s", "0,40s", "1,70s"}));
        QVERIFY(ai3.inUse);
        QVERIFY(!ai.rows[3].inUse);
    }

    void missingModuleWord() {
        LanguageTable texts;
        const SheetData d = buildSheetData(BoxProgram::startValues(), texts, "c", "t");
        QCOMPARE(d.sections[0].rows[0].name, QStringLiteral("<prnt_str_Modul> 1"));
        QCOMPARE(d.boxLabel, QStringLiteral("box_nr_lbl"));
    }
};

QTEST_GUILESS_MAIN(TestProgramSheet)
#include "tst_program_sheet.moc"
