// Editing the box program on the nine pages through the real controls: arrow clicks, the
// Ctrl step, the for-all pop-ups, the check boxes, the channel lists and the module count.

#include "gui/main_window_fixture.h"

#include "program/program_document.h"
#include "program/program_pages.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

using namespace vz;

namespace {

// The up-down of a time field: "single 6", "all 2", "odd 1", "LR 3 fire", "AI 3 wait".
QString upDownName(const QString& field) {
    const QStringList parts = field.split(QLatin1Char(' '));
    const int number = parts[1].toInt();
    if (parts[0] == QLatin1String("single"))
        return names::single(number, QStringLiteral("_ud"));
    const int page = pageIndexFromCode(parts[0]);
    if (page >= 1 && page <= 3)
        return names::group(page - 1, number, QStringLiteral("_ud"));
    return names::seq(page - 4, number, QLatin1Char('_') + parts[2] + QStringLiteral("_ud"));
}

QString editName(const QString& udName) {
    return udName.chopped(2) + QStringLiteral("edit");
}

void showPageOf(Tfrm_gui_main& w, QWidget* control) {
    for (int p = 0; p < kProgramPages; ++p)
        if (w.programPages()->page(p)->isAncestorOf(control))
            w.pageControl()->setCurrentIndex(p);
    QCoreApplication::processEvents();
}

// Right-clicks a time box and chooses the for-all entry of the pop-up that opens.
void forAllFrom(Tfrm_gui_main& w, const QString& editName, const QString& popupName) {
    auto* edit = w.findChild<QLineEdit*>(editName);
    showPageOf(w, edit);
    QTest::mouseClick(edit, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    auto* popup = w.findChild<QMenu*>(popupName);
    QVERIFY(popup);
    QTRY_VERIFY(popup->isVisible());
    QAction* entry = popup->actions().constFirst();
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, popup->actionGeometry(entry).center());
    QTRY_VERIFY(!popup->isVisible());
}

} // namespace

class TestProgramPages : public QObject {
    Q_OBJECT
private slots:
    void namesAndTags();
    void arrowClicks_data();
    void arrowClicks();
    void ctrlStep_data();
    void ctrlStep();
    void ctrlStepNotOnFirePage();
    void passOn();
    void forAll_data();
    void forAll();
    void leftClickSetsSourceOnly();
    void checkBox();
    void channelLists();
    void moduleCount_data();
    void moduleCount();
    void hiddenModulesTakeLastShownTime();
    void boxNumberFollowsCount();
};

void TestProgramPages::namesAndTags() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start({}, false);
    int upDowns = 0;
    auto checkTime = [&](const QString& ud, int tag, int minimum) {
        auto* u = w.findChild<UpDown*>(ud);
        auto* e = w.findChild<QLineEdit*>(editName(ud));
        QVERIFY2(u && e, qPrintable(ud));
        QCOMPARE(u->property("tag").toInt(), tag);
        QCOMPARE(e->property("tag").toInt(), tag);
        QCOMPARE(u->minimum(), minimum);
        QCOMPARE(u->maximum(), 255);
        QVERIFY(e->isReadOnly());
        ++upDowns;
    };
    auto checkTag = [&](const QString& name, int tag) {
        auto* o = w.findChild<QWidget*>(name);
        QVERIFY2(o, qPrintable(name));
        QCOMPARE(o->property("tag").toInt(), tag);
    };
    for (int n = 1; n <= kModules; ++n) {
        checkTime(names::single(n, "_ud"), n, 1);
        checkTag(names::single(n, "_cb"), n);
        checkTag(names::singlePreview(n), n);
        QCOMPARE(w.findChild<QLabel*>(names::single(n, "_lbl"))->text(), QString::number(n));
    }
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v) {
            checkTime(names::group(k, v, "_ud"), v, 1);
            checkTag(names::group(k, v, "_cb"), v);
            checkTag(names::groupPreview(k, v), v);
        }
    for (int f2 = 0; f2 < kSeqFamilies; ++f2)
        for (int v = 1; v <= kSeqVariants; ++v) {
            checkTime(names::seq(f2, v, "_fire_ud"), v, 1);
            checkTime(names::seq(f2, v, "_wait_ud"), 10 + v, 2);
            checkTag(names::seq(f2, v, "_checkbox"), v);
            checkTag(names::seq(f2, v, "_cb"), v);
            checkTag(names::seqPreview(f2, v), v);
        }
    QCOMPARE(upDowns, 75);
    QCOMPARE(w.programPages()->timeUpDowns().size(), 75);
    QCOMPARE(w.programPages()->previewButtons().size(), 50);
    for (QPushButton* b : w.programPages()->previewButtons()) {
        QVERIFY(b->text().isEmpty());
        QVERIFY(!b->icon().isNull());
        QCOMPARE(b->size(), QSize(25, 25));
    }
    auto* list = w.findChild<QComboBox*>(names::seq(4, 5, "_cb"));
    QCOMPARE(list->count(), 70);
    QCOMPARE(list->itemText(69), QStringLiteral("70"));
    QCOMPARE(list->currentText(), QStringLiteral("55"));
}

void TestProgramPages::arrowClicks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("duration"); // name of the duration label that follows

    QTest::newRow("single up") << "single 2" << 5 << true << 6 << names::single(2, "_dur_lbl");
    QTest::newRow("single down") << "single 2" << 5 << false << 4 << names::single(2, "_dur_lbl");
    QTest::newRow("single 255 up refused") << "single 4" << 255 << true << 255 << QString();
    QTest::newRow("single 1 down refused") << "single 4" << 1 << false << 1 << QString();
    QTest::newRow("group 255 up refused") << "odd 2" << 255 << true << 255 << QString();
    QTest::newRow("group up") << "evn 3" << 9 << true << 10 << names::group(2, 3, "_dur_lbl");
    QTest::newRow("fire 1 down refused") << "IA 4 fire" << 1 << false << 1 << QString();
    QTest::newRow("wait 2 down refused") << "IA 4 wait" << 2 << false << 2 << QString();
    QTest::newRow("wait 3 down") << "RL 1 wait" << 3 << false << 2 << names::seq(1, 1, "_dur_lbl");
    QTest::newRow("seq fire up") << "X 5 fire" << 7 << true << 8 << names::seq(4, 5, "_dur_lbl");
}

void TestProgramPages::arrowClicks() {
    QFETCH(QString, field);
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(int, expected);
    QFETCH(QString, duration);

    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    auto* ud = w.findChild<UpDown*>(upDownName(field));
    auto* edit = w.findChild<QLineEdit*>(editName(upDownName(field)));
    showPageOf(w, ud);
    // Bring the field to its start value through the arrows themselves.
    while (ud->position() < start)
        clickUpArrow(ud);
    while (ud->position() > start)
        clickDownArrow(ud);
    QCOMPARE(ud->position(), start);
    w.document().setModified(false);

    if (up)
        clickUpArrow(ud);
    else
        clickDownArrow(ud);
    QCOMPARE(ud->position(), expected);
    QCOMPARE(edit->text(), formatTime(expected));
    // Refused or not, an edit was attempted.
    QVERIFY(w.document().isModified());
    QVERIFY(w.findChild<QAction*>("menu_file_save")->isEnabled());
    if (!duration.isEmpty()) {
        const BoxProgram& p = w.document().program();
        QString expectedDuration;
        if (field.startsWith("single") || field.split(' ').size() == 2)
            expectedDuration = formatSeconds(singleDuration(expected));
        else {
            const int fam = pageIndexFromCode(field.split(' ')[0]) - 4;
            const int v = field.split(' ')[1].toInt();
            expectedDuration = formatSeconds(
                seqDuration(fam, p.moduleCount(), p.seqAt(fam, v).fire, p.seqAt(fam, v).wait));
        }
        QCOMPARE(w.findChild<QLabel*>(duration)->text(), expectedDuration);
    }
}

void TestProgramPages::ctrlStep_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");

    QTest::newRow("253 up refused") << "single 1" << 253 << true << 253;
    QTest::newRow("250 up") << "single 1" << 250 << true << 255;
    QTest::newRow("fire 5 down refused") << "all 1" << 5 << false << 5;
    QTest::newRow("fire 6 down") << "all 1" << 6 << false << 1;
    QTest::newRow("wait 4 down refused") << "LR 2 wait" << 4 << false << 4;
    QTest::newRow("wait 7 down") << "LR 2 wait" << 7 << false << 2;
    QTest::newRow("wait 5 up") << "AI 1 wait" << 5 << true << 10;
}

void TestProgramPages::ctrlStep() {
    QFETCH(QString, field);
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(int, expected);

    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    auto* ud = w.findChild<UpDown*>(upDownName(field));
    showPageOf(w, ud);
    while (ud->position() < start)
        clickUpArrow(ud);
    while (ud->position() > start)
        clickDownArrow(ud);

    QTest::keyPress(&w, Qt::Key_Control);
    QCOMPARE(ud->increment(), 5);
    if (up)
        clickUpArrow(ud);
    else
        clickDownArrow(ud);
    QCOMPARE(ud->position(), expected);
    QTest::keyRelease(&w, Qt::Key_Control);
    QCOMPARE(ud->increment(), 1);
    for (UpDown* any : w.programPages()->timeUpDowns())
        QCOMPARE(any->increment(), 1);
}

void TestProgramPages::ctrlStepNotOnFirePage() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    // A key that reaches a control of the window counts too.
    auto* edit = w.findChild<QLineEdit*>("tab_single_modnr_1_edit");
    QTest::keyPress(edit, Qt::Key_Control);
    QCOMPARE(w.programPages()->step(), 5);
    QTest::keyRelease(edit, Qt::Key_Control);
    QCOMPARE(w.programPages()->step(), 1);

    w.pageControl()->setTabVisible(kPageFireMode, true);
    w.pageControl()->setCurrentIndex(kPageFireMode);
    QTest::keyPress(&w, Qt::Key_Control);
    QCOMPARE(w.programPages()->step(), 1);
    QTest::keyRelease(&w, Qt::Key_Control);
}

void TestProgramPages::passOn() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    // Count 6: module 6 is the last shown; its change runs on to every module after it.
    auto* ud6 = w.findChild<UpDown*>("tab_single_modnr_6_ud");
    for (int i = 0; i < 7; ++i)
        clickUpArrow(ud6);
    for (int n = 1; n <= kModules; ++n) {
        const int expected = n < 6 ? 5 : 12;
        QCOMPARE(w.findChild<UpDown*>(names::single(n, "_ud"))->position(), expected);
        QCOMPARE(w.findChild<QLineEdit*>(names::single(n, "_edit"))->text(), formatTime(expected));
    }
    // A module before the last shown one changes alone.
    clickUpArrow(w.findChild<UpDown*>("tab_single_modnr_3_ud"));
    QCOMPARE(w.document().program().singleAt(3).fire, 6);
    QCOMPARE(w.document().program().singleAt(4).fire, 5);
    QCOMPARE(w.document().program().singleAt(7).fire, 12);
}

void TestProgramPages::forAll_data() {
    QTest::addColumn<QString>("source"); // field whose time box is right-clicked
    QTest::addColumn<QString>("popup");
    QTest::addColumn<QStringList>("targets"); // fields that take the source's time

    QStringList singles;
    for (int n = 1; n <= kModules; ++n)
        singles << QStringLiteral("single %1").arg(n);
    QTest::newRow("single") << "single 3"
                            << "tab_single_popup" << singles;
    QTest::newRow("group") << "odd 2"
                           << "tab_grp_popup" << QStringList{"odd 1", "odd 2", "odd 3"};
    QTest::newRow("sequence wait")
        << "IA 2 wait"
        << "tab_seq_popup"
        << QStringList{"IA 1 wait", "IA 2 wait", "IA 3 wait", "IA 4 wait", "IA 5 wait"};
    QTest::newRow("sequence fire")
        << "LR 5 fire"
        << "tab_seq_popup"
        << QStringList{"LR 1 fire", "LR 2 fire", "LR 3 fire", "LR 4 fire", "LR 5 fire"};
}

void TestProgramPages::forAll() {
    QFETCH(QString, source);
    QFETCH(QString, popup);
    QFETCH(QStringList, targets);

    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    auto* ud = w.findChild<UpDown*>(upDownName(source));
    showPageOf(w, ud);
    for (int i = 0; i < 4; ++i)
        clickUpArrow(ud); // 9
    // A variant not in use takes the time like the others.
    if (source.startsWith("IA"))
        QTest::mouseClick(w.findChild<QCheckBox*>(names::seq(3, 4, "_checkbox")), Qt::LeftButton);

    forAllFrom(w, editName(upDownName(source)), popup);
    for (const QString& t : targets) {
        QCOMPARE(w.findChild<UpDown*>(upDownName(t))->position(), 9);
        QCOMPARE(w.findChild<QLineEdit*>(editName(upDownName(t)))->text(), formatTime(9));
    }
    // The other field of the sequence rows and the other pages keep theirs.
    if (source.startsWith("IA"))
        QCOMPARE(w.document().program().seqAt(3, 1).fire, 5);
    if (source.startsWith("odd"))
        QCOMPARE(w.document().program().groupAt(0, 1).fire, 5);
}

void TestProgramPages::leftClickSetsSourceOnly() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    auto* edit = w.findChild<QLineEdit*>("tab_single_modnr_7_edit");
    QTest::mouseClick(edit, Qt::LeftButton);
    auto* popup = w.findChild<QMenu*>("tab_single_popup");
    QVERIFY(!popup->isVisible());
    QCOMPARE(popup->actions().constFirst()->property("tag").toInt(), 7);
    // The up and down keys in a time box work its arrows.
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(w.document().program().singleAt(7).fire, 6);
}

void TestProgramPages::checkBox() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    w.pageControl()->setCurrentIndex(6);
    QCoreApplication::processEvents();
    auto* box = w.findChild<QCheckBox*>("tab_seqAI_var_3_checkbox");
    const QStringList six{"tab_seqAI_var_3_fire_edit", "tab_seqAI_var_3_fire_ud",
                          "tab_seqAI_var_3_wait_edit", "tab_seqAI_var_3_wait_ud",
                          "tab_seqAI_var_3_cb",        "tab_seqAI_preview_3_btn"};
    const QStringList stay{"tab_seqAI_var_3_lbl", "tab_seqAI_var_3_dur_lbl", "tab_seqAI_var_2_cb",
                           "tab_seqAI_var_4_fire_ud"};
    QVERIFY(box->isChecked());
    w.document().setModified(false);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    QVERIFY(!w.document().program().seqAt(2, 3).chk);
    QVERIFY(w.document().isModified());
    for (const QString& name : six)
        QVERIFY2(!w.findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
    for (const QString& name : stay)
        QVERIFY2(w.findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
    // A click on a disabled arrow does nothing.
    clickUpArrow(w.findChild<UpDown*>("tab_seqAI_var_3_fire_ud"));
    QCOMPARE(w.document().program().seqAt(2, 3).fire, 5);

    QTest::mouseClick(box, Qt::LeftButton);
    for (const QString& name : six)
        QVERIFY2(w.findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
}

void TestProgramPages::channelLists() {
    MainWindowFixture f("[languagefiles]\nactive=english\n[misc]\nnew_boxmode=1\n");
    Tfrm_gui_main& w = f.start();
    struct Row {
        const char* name;
        int page;
        int position;
    };
    const Row rows[] = {{"tab_single_modnr_2_cb", 0, 40},
                        {"tab_all_var_3_cb", 1, 0},
                        {"tab_seqIA_var_5_cb", 7, 69}};
    for (const Row& row : rows) {
        w.pageControl()->setCurrentIndex(row.page);
        w.document().setModified(false);
        chooseListEntry(w.findChild<QComboBox*>(row.name), row.position);
        QVERIFY2(w.document().isModified(), row.name);
    }
    QCOMPARE(w.document().program().singleAt(2).ch, 40);
    QCOMPARE(w.document().program().groupAt(0, 3).ch, 0);
    QCOMPARE(w.document().program().seqAt(3, 5).ch, 69);

    w.document().setModified(false);
    chooseListEntry(w.findChild<QComboBox*>("box_nr_cb"), 12);
    QCOMPARE(w.document().program().boxNr, 12);
    QVERIFY(w.document().isModified());
}

void TestProgramPages::moduleCount_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("rightHeadings");
    QTest::addColumn<QString>("lrDuration"); // LR and AI with every time 5
    QTest::addColumn<QString>("aiDuration");

    QTest::newRow("1") << 1 << false << formatSeconds(0.40) << formatSeconds(0.40);
    QTest::newRow("2") << 2 << false << formatSeconds(0.50) << formatSeconds(0.40);
    QTest::newRow("8") << 8 << false << formatSeconds(1.10) << formatSeconds(0.70);
    QTest::newRow("9") << 9 << true << formatSeconds(1.20) << formatSeconds(0.80);
    QTest::newRow("16") << 16 << true << formatSeconds(1.90) << formatSeconds(1.10);
}

void TestProgramPages::moduleCount() {
    QFETCH(int, count);
    QFETCH(bool, rightHeadings);
    QFETCH(QString, lrDuration);
    QFETCH(QString, aiDuration);

    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    w.document().setModified(false);
    chooseListEntry(w.findChild<QComboBox*>("gasmod_count_cb"), count - 1);
    QCOMPARE(w.document().program().moduleCount(), count);
    QVERIFY(w.document().isModified());

    QWidget* page = w.programPages()->page(0);
    for (int n = 1; n <= kModules; ++n)
        for (const char* suffix : {"_lbl", "_edit", "_ud", "_dur_lbl", "_cb"}) {
            auto* c = w.findChild<QWidget*>(names::single(n, QString::fromLatin1(suffix)));
            QVERIFY2(c->isVisibleTo(page) == (n <= count), qPrintable(c->objectName()));
        }
    for (int n = 1; n <= kModules; ++n)
        QCOMPARE(w.findChild<QWidget*>(names::singlePreview(n))->isVisibleTo(page), n <= count);
    for (int d = 0; d <= 3; ++d) {
        QCOMPARE(w.findChild<QLabel*>(names::caption(0, d, 'B'))->isVisibleTo(page), rightHeadings);
        QVERIFY(w.findChild<QLabel*>(names::caption(0, d, 'A'))->isVisibleTo(page));
    }
    auto* preview = w.findChild<QWidget*>("preview_gb");
    for (int n = 1; n <= kModules; ++n)
        QCOMPARE(
            w.findChild<QWidget*>(QStringLiteral("preview_flm_%1").arg(n))->isVisibleTo(preview),
            n <= count);
    // The group and sequence pages hide nothing.
    QVERIFY(w.findChild<QWidget*>("tab_evn_var_3_ud")->isVisibleTo(w.programPages()->page(3)));
    QCOMPARE(w.findChild<QLabel*>("tab_seqLR_var_1_dur_lbl")->text(), lrDuration);
    QCOMPARE(w.findChild<QLabel*>("tab_seqAI_var_5_dur_lbl")->text(), aiDuration);
    QCOMPARE(w.findChild<QLabel*>("tab_seqX_var_2_dur_lbl")->text(), lrDuration);
}

void TestProgramPages::hiddenModulesTakeLastShownTime() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    auto* count = w.findChild<QComboBox*>("gasmod_count_cb");
    auto time = [&](int n) { return w.findChild<UpDown*>(names::single(n, "_ud"))->position(); };
    // Count 9, module 9 at 20 (runs on to 16), module 7 at 8.
    chooseListEntry(count, 8);
    auto* ud9 = w.findChild<UpDown*>("tab_single_modnr_9_ud");
    for (int i = 0; i < 15; ++i)
        clickUpArrow(ud9);
    clickUpArrow(w.findChild<UpDown*>("tab_single_modnr_7_ud"));
    QCOMPARE(time(16), 20);
    // Down to 4: the modules that go out of view keep their own times.
    chooseListEntry(count, 3);
    QCOMPARE(time(4), 5);
    QCOMPARE(time(7), 6);
    QCOMPARE(time(9), 20);
    // Up to 8: the modules that come into view take the time of module 4.
    chooseListEntry(count, 7);
    for (int n = 5; n <= 16; ++n)
        QCOMPARE(time(n), 5);
    QCOMPARE(w.findChild<QLineEdit*>("tab_single_modnr_8_edit")->text(), formatTime(5));
}

void TestProgramPages::boxNumberFollowsCount() {
    MainWindowFixture f; // box mode 0
    Tfrm_gui_main& w = f.start();
    auto* label = w.findChild<QLabel*>("box_nr_cblbl");
    auto* list = w.findChild<QComboBox*>("box_nr_cb");
    QVERIFY(label->isVisible() && !list->isVisible());
    for (int count : {16, 1, 7}) {
        chooseListEntry(w.findChild<QComboBox*>("gasmod_count_cb"), count - 1);
        QCOMPARE(label->text(), QString::number(30 + count));
        QCOMPARE(list->currentIndex(), count + 29);
        QCOMPARE(w.document().program().boxNumber(), 30 + count);
    }
    // While the RK40 route asks for the list, the box number is chosen there.
    w.setBoxListForced(true);
    QVERIFY(list->isVisible() && !label->isVisible());
    w.setBoxListForced(false);
    QVERIFY(label->isVisible() && !list->isVisible());
}

QTEST_MAIN(TestProgramPages)
#include "tst_program_pages.moc"
