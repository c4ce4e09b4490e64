#include "program/box_program.h"

#include <QTest>

#include <clocale>

class TestBoxProgram : public QObject {
    Q_OBJECT
private slots:
    void programNumbers_data();
    void programNumbers();
    void names_data();
    void names();
    void fireButtonNames_data();
    void fireButtonNames();
    void durations_data();
    void durations();
    void timeTexts();
    void timeTextsIgnoreTheCLocale();
};

void TestBoxProgram::programNumbers_data() {
    using namespace vz;
    const BoxProgram p = BoxProgram::startValues();
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("startChannel");
    QTest::newRow("single 16") << singleProgramNumber(16) << 16 << p.singleAt(16).ch;
    QTest::newRow("all 1") << groupProgramNumber(0, 1) << 21 << p.groupAt(0, 1).ch;
    QTest::newRow("odd 2") << groupProgramNumber(1, 2) << 25 << p.groupAt(1, 2).ch;
    QTest::newRow("evn 3") << groupProgramNumber(2, 3) << 29 << p.groupAt(2, 3).ch;
    QTest::newRow("LR 1") << seqProgramNumber(0, 1) << 31 << p.seqAt(0, 1).ch;
    QTest::newRow("AI 3") << seqProgramNumber(2, 3) << 43 << p.seqAt(2, 3).ch;
    QTest::newRow("X 5") << seqProgramNumber(4, 5) << 55 << p.seqAt(4, 5).ch;
}

void TestBoxProgram::programNumbers() {
    QFETCH(int, number);
    QFETCH(int, expected);
    QFETCH(int, startChannel);
    QCOMPARE(number, expected);
    QCOMPARE(startChannel, expected - 1); // every channel starts at its program number
}

void TestBoxProgram::names_data() {
    using namespace vz::names;
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    QTest::newRow("sequence wait") << seq(2, 3, "_wait_ud") << "tab_seqAI_var_3_wait_ud";
    QTest::newRow("single duration") << single(12, "_dur_lbl") << "tab_single_modnr_12_dur_lbl";
    QTest::newRow("group list") << group(1, 2, "_cb") << "tab_odd_var_2_cb";
    QTest::newRow("preview") << previewButton(5, 1) << "tab_seqRL_preview_1_btn";
    QTest::newRow("caption") << caption(0, 3, 'B') << "tab_single_caption3_B";
}

void TestBoxProgram::names() {
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

void TestBoxProgram::fireButtonNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("family"); // -1: no fire button
    QTest::addColumn<int>("number");
    QTest::newRow("single 12") << "btn_firemode_sgl12" << 0 << 12;
    QTest::newRow("odd 3") << "btn_firemode_odd3" << 2 << 3;
    QTest::newRow("AI 4") << "btn_firemode_seqAI4" << 6 << 4;
    QTest::newRow("macro 10") << "btn_firemode_macro10" << 9 << 10;
    QTest::newRow("single 17") << "btn_firemode_sgl17" << -1 << 0;
    QTest::newRow("leading zero") << "btn_firemode_sgl01" << -1 << 0;
    QTest::newRow("LR 6") << "btn_firemode_seqLR6" << -1 << 0;
    QTest::newRow("sequence without seq") << "btn_firemode_LR1" << -1 << 0;
    QTest::newRow("trailing text") << "btn_firemode_sgl1x" << -1 << 0;
}

void TestBoxProgram::fireButtonNames() {
    QFETCH(QString, name);
    QFETCH(int, family);
    QFETCH(int, number);
    int f = -7;
    int n = -7;
    QCOMPARE(vz::parseFireButtonName(name, &f, &n), family >= 0);
    QCOMPARE(f, family >= 0 ? family : -7);
    QCOMPARE(n, family >= 0 ? number : -7);
    if (family >= 0)
        QCOMPARE(vz::names::fireButton(family, number), name);
}

void TestBoxProgram::durations_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("single 255") << vz::singleDuration(255) << "5.40s";
    QTest::newRow("LR 6 modules") << vz::seqDuration(0, 6, 5, 5) << "0.90s";
    QTest::newRow("AI 6 modules") << vz::seqDuration(2, 6, 5, 5) << "0.60s";
    QTest::newRow("LR 16, 255/255") << vz::seqDuration(0, 16, 255, 255) << "81.90s";
    QTest::newRow("IA 16: 7 steps") << vz::seqDuration(3, 16, 5, 100) << "14.40s";
    QTest::newRow("RL 1 module: no steps") << vz::seqDuration(1, 1, 7, 255) << "0.44s";
    QTest::newRow("AI 2 modules: no steps") << vz::seqDuration(2, 2, 7, 255) << "0.44s";
    QTest::newRow("X 2 modules: one step") << vz::seqDuration(4, 2, 7, 255) << "5.54s";
}

void TestBoxProgram::durations() {
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(vz::formatSeconds(seconds, QLocale(QLocale::English)), text);
}

void TestBoxProgram::timeTexts() {
    const QLocale de(QLocale::German);
    const QLocale en(QLocale::English);
    QCOMPARE(vz::formatTime(5, de), QStringLiteral("0,10s"));
    QCOMPARE(vz::formatTime(5, en), QStringLiteral("0.10s"));
    QCOMPARE(vz::formatTime(255, de), QStringLiteral("5,10s"));
    QCOMPARE(vz::formatTime(61725, en), QStringLiteral("1234.50s")); // no group separator
}

void TestBoxProgram::timeTextsIgnoreTheCLocale() {
    const char* set = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
        if ((set = std::setlocale(LC_ALL, name)))
            break;
    if (!set)
        QSKIP("no German C locale on this system");
    char probe[16];
    std::snprintf(probe, sizeof probe, "%4.2f", 0.1);
    const QString english = vz::formatTime(5, QLocale(QLocale::English));
    const QString german = vz::formatTime(5, QLocale(QLocale::German));
    std::setlocale(LC_ALL, "C");
    QCOMPARE(QString::fromLatin1(probe), QStringLiteral("0,10")); // the C library did switch
    QCOMPARE(english, QStringLiteral("0.10s"));
    QCOMPARE(german, QStringLiteral("0,10s"));
}

QTEST_GUILESS_MAIN(TestBoxProgram)
#include "tst_box_program.moc"
