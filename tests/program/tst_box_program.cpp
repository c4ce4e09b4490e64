#include "program/box_program.h"

#include <QTest>

#include <clocale>

namespace {

// Program number of "single N", "group K V" or "seq F V".
int programNumber(const QString& which) {
    const QStringList w = which.split(' ');
    if (w[0] == "single")
        return vz::singleProgramNumber(w[1].toInt());
    if (w[0] == "group")
        return vz::groupProgramNumber(w[1].toInt(), w[2].toInt());
    return vz::seqProgramNumber(w[1].toInt(), w[2].toInt());
}

int startChannel(const vz::BoxProgram& p, const QString& which) {
    const QStringList w = which.split(' ');
    if (w[0] == "single")
        return p.singleAt(w[1].toInt()).ch;
    if (w[0] == "group")
        return p.groupAt(w[1].toInt(), w[2].toInt()).ch;
    return p.seqAt(w[1].toInt(), w[2].toInt()).ch;
}

} // namespace

class TestBoxProgram : public QObject {
    Q_OBJECT
private slots:
    void programNumbers_data();
    void programNumbers();
    void controlNames_data();
    void controlNames();
    void fireButtonNames_data();
    void fireButtonNames();
    void durations_data();
    void durations();
    void timeTexts_data();
    void timeTexts();
    void timeTextsIgnoreTheCLocale();
};

void TestBoxProgram::programNumbers_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("number");
    QTest::newRow("single 1") << "single 1" << 1;
    QTest::newRow("single 16") << "single 16" << 16;
    QTest::newRow("all 1") << "group 0 1" << 21;
    QTest::newRow("all 3") << "group 0 3" << 27;
    QTest::newRow("odd 2") << "group 1 2" << 25;
    QTest::newRow("evn 1") << "group 2 1" << 23;
    QTest::newRow("evn 3") << "group 2 3" << 29;
    QTest::newRow("LR 1") << "seq 0 1" << 31;
    QTest::newRow("RL 1") << "seq 1 1" << 36;
    QTest::newRow("AI 3") << "seq 2 3" << 43;
    QTest::newRow("IA 5") << "seq 3 5" << 50;
    QTest::newRow("X 5") << "seq 4 5" << 55;
}

void TestBoxProgram::programNumbers() {
    QFETCH(QString, which);
    QFETCH(int, number);
    QCOMPARE(programNumber(which), number);
    // Every channel starts equal to its program number.
    QCOMPARE(startChannel(vz::BoxProgram::startValues(), which), number - 1);
}

void TestBoxProgram::controlNames_data() {
    using namespace vz::names;
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("name");
    QTest::newRow("sequence wait") << seq(2, 3, "_wait_ud") << "tab_seqAI_var_3_wait_ud";
    QTest::newRow("sequence check box") << seq(4, 5, "_checkbox") << "tab_seqX_var_5_checkbox";
    QTest::newRow("single duration") << single(12, "_dur_lbl") << "tab_single_modnr_12_dur_lbl";
    QTest::newRow("group list") << group(1, 2, "_cb") << "tab_odd_var_2_cb";
    QTest::newRow("group preview") << groupPreview(2, 3) << "tab_evn_preview_3_btn";
    QTest::newRow("sequence preview") << previewButton(5, 1) << "tab_seqRL_preview_1_btn";
    QTest::newRow("single preview") << previewButton(0, 16) << "tab_single_preview_16_btn";
    QTest::newRow("caption") << caption(0, 3, 'B') << "tab_single_caption3_B";
    QTest::newRow("sequence caption") << caption(7, 0, 'A') << "tab_seqIA_caption0_A";
    QTest::newRow("page 10") << vz::pageName(10) << "tab_fire_setup";
    QTest::newRow("no page 11") << vz::pageName(11) << "";
}

void TestBoxProgram::controlNames() {
    QFETCH(QString, built);
    QFETCH(QString, name);
    QCOMPARE(built, name);
}

void TestBoxProgram::fireButtonNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("family"); // -1: no fire button
    QTest::addColumn<int>("number");
    QTest::newRow("single 12") << "btn_firemode_sgl12" << 0 << 12;
    QTest::newRow("odd 3") << "btn_firemode_odd3" << 2 << 3;
    QTest::newRow("AI 4") << "btn_firemode_seqAI4" << 6 << 4;
    QTest::newRow("X 1") << "btn_firemode_seqX1" << 8 << 1;
    QTest::newRow("macro 10") << "btn_firemode_macro10" << 9 << 10;
    QTest::newRow("single 17") << "btn_firemode_sgl17" << -1 << 0;
    QTest::newRow("single 0") << "btn_firemode_sgl0" << -1 << 0;
    QTest::newRow("leading zero") << "btn_firemode_sgl01" << -1 << 0;
    QTest::newRow("LR 6") << "btn_firemode_seqLR6" << -1 << 0;
    QTest::newRow("all 4") << "btn_firemode_all4" << -1 << 0;
    QTest::newRow("macro 11") << "btn_firemode_macro11" << -1 << 0;
    QTest::newRow("group without seq prefix") << "btn_firemode_LR1" << -1 << 0;
    QTest::newRow("no number") << "btn_firemode_evn" << -1 << 0;
    QTest::newRow("trailing text") << "btn_firemode_sgl1x" << -1 << 0;
    QTest::newRow("upper case") << "btn_firemode_SGL1" << -1 << 0;
}

void TestBoxProgram::fireButtonNames() {
    QFETCH(QString, name);
    QFETCH(int, family);
    QFETCH(int, number);
    int f = -7;
    int n = -7;
    QCOMPARE(vz::parseFireButtonName(name, &f, &n), family >= 0);
    if (family < 0) {
        QCOMPARE(f, -7); // untouched
        return;
    }
    QCOMPARE(f, family);
    QCOMPARE(n, number);
    QCOMPARE(vz::names::fireButton(family, number), name);
}

void TestBoxProgram::durations_data() {
    QTest::addColumn<int>("family"); // -1: single or group
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fire");
    QTest::addColumn<int>("wait");
    QTest::addColumn<QString>("text");
    QTest::newRow("single 5") << -1 << 6 << 5 << 0 << "0.40s";
    QTest::newRow("single 255") << -1 << 6 << 255 << 0 << "5.40s";
    QTest::newRow("LR 6 modules") << 0 << 6 << 5 << 5 << "0.90s";
    QTest::newRow("AI 6 modules") << 2 << 6 << 5 << 5 << "0.60s";
    QTest::newRow("LR 16 modules, 255/255") << 0 << 16 << 255 << 255 << "81.90s";
    QTest::newRow("X 16 modules, wait 2") << 4 << 16 << 1 << 2 << "0.92s";
    QTest::newRow("IA 16 modules") << 3 << 16 << 5 << 100 << "14.40s";
    QTest::newRow("RL 1 module: no steps") << 1 << 1 << 7 << 255 << "0.44s";
    QTest::newRow("AI 2 modules: no steps") << 2 << 2 << 7 << 255 << "0.44s";
    QTest::newRow("IA 3 modules: one step") << 3 << 3 << 7 << 10 << "0.64s";
    QTest::newRow("LR 2 modules: one step") << 0 << 2 << 7 << 255 << "5.54s";
}

void TestBoxProgram::durations() {
    QFETCH(int, family);
    QFETCH(int, count);
    QFETCH(int, fire);
    QFETCH(int, wait);
    QFETCH(QString, text);
    const double seconds =
        family < 0 ? vz::singleDuration(fire) : vz::seqDuration(family, count, fire, wait);
    QCOMPARE(vz::formatSeconds(seconds, QLocale(QLocale::English)), text);
}

void TestBoxProgram::timeTexts_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    QTest::newRow("5") << 5 << "0,10s"
                       << "0.10s";
    QTest::newRow("20") << 20 << "0,40s"
                        << "0.40s";
    QTest::newRow("255") << 255 << "5,10s"
                         << "5.10s";
    QTest::newRow("1") << 1 << "0,02s"
                       << "0.02s";
    QTest::newRow("0") << 0 << "0,00s"
                       << "0.00s";
    QTest::newRow("no group separator") << 61725 << "1234,50s"
                                        << "1234.50s";
}

void TestBoxProgram::timeTexts() {
    QFETCH(int, steps);
    QFETCH(QString, german);
    QFETCH(QString, english);
    QCOMPARE(vz::formatTime(steps, QLocale(QLocale::German)), german);
    QCOMPARE(vz::formatTime(steps, QLocale(QLocale::English)), english);
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
    QCOMPARE(QString::fromLatin1(probe), QStringLiteral("0,10")); // the C library did switch
    const QString english = vz::formatTime(5, QLocale(QLocale::English));
    const QString german = vz::formatTime(5, QLocale(QLocale::German));
    std::setlocale(LC_ALL, "C");
    QCOMPARE(english, QStringLiteral("0.10s"));
    QCOMPARE(german, QStringLiteral("0,10s"));
}

QTEST_GUILESS_MAIN(TestBoxProgram)
#include "tst_box_program.moc"
