// The program pages wired to the document; the rules are tst_program_document's.

#include "gui/main_window_fixture.h"

#include "program/program_document.h"
#include "program/program_pages.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>

using namespace vz;

namespace {

QLineEdit* editOf(Tfrm_gui_main& w, const QString& udName) {
    return w.findChild<QLineEdit*>(udName.chopped(2) + QStringLiteral("edit"));
}

UpDown* showUpDown(Tfrm_gui_main& w, int page, const QString& name) {
    w.pageControl()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    return w.findChild<UpDown*>(name);
}

} // namespace

class TestProgramPages : public QObject {
    Q_OBJECT
private slots:
    void arrowClickReachesDocument_data();
    void arrowClickReachesDocument();
    void pagesMirrorDocument();
    void forAll_data();
    void forAll();
};

void TestProgramPages::arrowClickReachesDocument_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("upDown");
    QTest::addColumn<QString>("duration");
    QTest::newRow("single") << 0 << "tab_single_modnr_2_ud" << formatSeconds(0.42);
    QTest::newRow("sequence wait") << 5 << "tab_seqRL_var_1_wait_ud" << formatSeconds(1.00);
}

void TestProgramPages::arrowClickReachesDocument() {
    QFETCH(int, page);
    QFETCH(QString, upDown);
    QFETCH(QString, duration);
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    UpDown* ud = showUpDown(w, page, upDown);
    w.document().setModified(false);
    clickUpArrow(ud);
    const BoxProgram& p = w.document().program();
    QCOMPARE(page == 0   ? p.singleAt(2).fire
             : page == 3 ? p.groupAt(2, 3).fire
                         : p.seqAt(1, 1).wait,
             6);
    QCOMPARE(editOf(w, upDown)->text(), formatTime(6));
    QCOMPARE(
        w.findChild<QLabel*>(upDown.replace(QRegularExpression("(wait_)?ud$"), "dur_lbl"))->text(),
        duration);
    QVERIFY(w.findChild<QAction*>("menu_file_save")->isEnabled());
}

// A change made in the document, with the pass-on it brings, and its undo show on the page.
void TestProgramPages::pagesMirrorDocument() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    w.document().setSingleFire(6, 12);
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 1; n <= kModules; ++n) {
            const int expected = n < 6 || pass == 1 ? 5 : 12;
            QCOMPARE(w.findChild<UpDown*>(names::single(n, "_ud"))->position(), expected);
            QCOMPARE(w.findChild<QLineEdit*>(names::single(n, "_edit"))->text(),
                     formatTime(expected));
        }
        QVERIFY(w.document().undo());
    }
}

// Right-click on a time box, then the for-all entry: the other rows take its time.
void TestProgramPages::forAll_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("popup");
    QTest::addColumn<QString>("target");
    QTest::newRow("single") << 0 << "tab_single_modnr_3_ud"
                            << "tab_single_popup"
                            << "tab_single_modnr_16_ud";
    QTest::newRow("group") << 2 << "tab_odd_var_2_ud"
                           << "tab_grp_popup"
                           << "tab_odd_var_3_ud";
    QTest::newRow("sequence wait") << 7 << "tab_seqIA_var_2_wait_ud"
                                   << "tab_seq_popup"
                                   << "tab_seqIA_var_5_wait_ud";
}

void TestProgramPages::forAll() {
    QFETCH(int, page);
    QFETCH(QString, source);
    QFETCH(QString, popup);
    QFETCH(QString, target);
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    UpDown* ud = showUpDown(w, page, source);
    for (int i = 0; i < 4; ++i)
        clickUpArrow(ud);
    QTest::mouseClick(editOf(w, source), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    auto* menu = w.findChild<QMenu*>(popup);
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QAction* entry = menu->actions().constFirst();
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(entry).center());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(w.findChild<UpDown*>(target)->position(), 9);
    QCOMPARE(editOf(w, target)->text(), formatTime(9));
}

QTEST_MAIN(TestProgramPages)
#include "tst_program_pages.moc"
