#include "base/unit_service.h"
#include "output/program_sheet.h"

#include <QtTest>

using namespace vz;

// The sheet's data as the window shows it; tst_sheet_pdf checks how it is laid out.
class TestProgramSheet : public QObject {
    Q_OBJECT
private slots:
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
                          {"tab_seqAI_var_3_lbl", "Außen-innen 3"}});
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
        QCOMPARE(s.rows.size(), 7);
        QCOMPARE(
            (QStringList{s.rows[2].name, s.rows[2].channel, s.rows[2].fire, s.rows[2].duration}),
            (QStringList{"Modul 3", "69", "0,24s", "0,54s"}));
        // A control without a text shows its own name.
        QCOMPARE(d.sections[1].rows[0].name, QStringLiteral("tab_all_var_1_lbl"));
        const SheetRow& odd2 = d.sections[2].rows[1];
        QCOMPARE((QStringList{odd2.name, odd2.channel, odd2.fire, odd2.duration}),
                 (QStringList{"Ungerade 2", "25", "5,10s", "5,40s"}));

        const SheetSection& ai = d.sections[6];
        QCOMPARE(ai.title, QStringLiteral("Sequenzen: |==><==|"));
        QCOMPARE((QStringList{ai.channelHeading, ai.waitHeading}), (QStringList{"Kanal", "Pause"}));
        // 7 modules: AI runs (7 - 1) div 2 = 3 steps: 3 x 0.40 + 0.3 + 0.20 = 1.70 s.
        const SheetRow& ai3 = ai.rows[2];
        QCOMPARE((QStringList{ai3.name, ai3.channel, ai3.fire, ai3.wait, ai3.duration}),
                 (QStringList{"Außen-innen 3", "43", "0,20s", "0,40s", "1,70s"}));
        QVERIFY(ai3.inUse);
        QVERIFY(!ai.rows[3].inUse);
    }

    // Positions and advances: a half goes to the even neighbour, up or down.
    void roundsHalfToEven() {
        const int cases[][4] = {{4970, 5, 100, 248}, {4990, 5, 100, 250}, {9, 16, 10, 14}};
        for (const auto& c : cases)
            QCOMPARE(roundScaled(c[0], c[1], c[2]), c[3]);
    }
};

QTEST_GUILESS_MAIN(TestProgramSheet)
#include "tst_program_sheet.moc"
