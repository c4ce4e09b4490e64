#include "program/box_program.h"

#include <QTest>

using namespace vz;

class TestBoxProgram : public QObject {
    Q_OBJECT
private slots:
    void fireButtonNames_data();
    void fireButtonNames();
    void durations_data();
    void durations();
};

void TestBoxProgram::fireButtonNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("family"); // -1: no fire button
    QTest::addColumn<int>("number");
    QTest::newRow("single 12") << "btn_firemode_sgl12" << 0 << 12;
    QTest::newRow("macro 10") << "btn_firemode_macro10" << 9 << 10;
    QTest::newRow("single 17") << "btn_firemode_sgl17" << -1 << 0;
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
    QTest::newRow("AI 6 modules") << vz::seqDuration(2, 6, 5, 5) << "0.60s";
    QTest::newRow("IA 16: 7 steps") << vz::seqDuration(3, 16, 5, 100) << "14.40s";
    QTest::newRow("X 2 modules: one step") << vz::seqDuration(4, 2, 7, 255) << "5.54s";
    QTest::newRow("no group separator") << 61725 / 50.0 << "1234.50s";
}

void TestBoxProgram::durations() {
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(vz::formatSeconds(seconds, QLocale(QLocale::English)), text);
}

QTEST_GUILESS_MAIN(TestBoxProgram)
#include "tst_box_program.moc"
