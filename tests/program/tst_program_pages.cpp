// Editing the box program on the nine pages through the real controls. The rules themselves
// are the document's (tst_program_document); here: that each control reaches its rule and
// mirrors the result.

#include "gui/main_window_fixture.h"

#include "program/program_document.h"
#include "program/program_pages.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
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

// Brings a time field to a value through its own arrows.
void arrowTo(UpDown* ud, int value) {
    while (ud->position() < value)
        clickUpArrow(ud);
    while (ud->position() > value)
        clickDownArrow(ud);
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
    void boxNumberFollowsCount();
};

// The handlers find their fields by the tag: the fire and wait up-downs of a sequence
// variant carry V and 10 + V, and a wait cannot go below 2.
void TestProgramPages::namesAndTags() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start({}, false);
    QCOMPARE(w.programPages()->timeUpDowns().size(), 75);
    QCOMPARE(w.programPages()->previewButtons().size(), 50);
    const std::tuple<QString, int, int> rows[] = {
        {names::single(16, "_ud"), 16, 1},     {names::single(16, "_edit"), 16, 1},
        {names::group(2, 3, "_ud"), 3, 1},     {names::seq(4, 5, "_fire_ud"), 5, 1},
        {names::seq(4, 5, "_wait_ud"), 15, 2}, {names::seq(4, 5, "_wait_edit"), 15, 2},
        {names::seq(1, 2, "_checkbox"), 2, 0}, {names::seq(1, 2, "_cb"), 2, 0},
        {names::seqPreview(3, 4), 4, 0},       {names::singlePreview(9), 9, 0},
    };
    for (const auto& [name, tag, minimum] : rows) {
        auto* c = w.findChild<QWidget*>(name);
        QVERIFY2(c && c->property("tag").toInt() == tag, qPrintable(name));
        if (auto* ud = qobject_cast<UpDown*>(c))
            QVERIFY2(ud->minimum() == minimum && ud->maximum() == 255, qPrintable(name));
        if (auto* e = qobject_cast<QLineEdit*>(c))
            QVERIFY2(e->isReadOnly(), qPrintable(name));
    }
    auto* list = w.findChild<QComboBox*>(names::seq(4, 5, "_cb"));
    QCOMPARE(list->count(), 70);
    QCOMPARE(list->currentText(), QStringLiteral("55"));
}

void TestProgramPages::arrowClicks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("duration"); // the duration label, as it reads afterwards

    const QLocale l;
    QTest::newRow("single up") << "single 2" << 5 << true << 6 << formatSeconds(0.42, l);
    QTest::newRow("single 255 up refused") << "single 4" << 255 << true << 255 << QString();
    QTest::newRow("group up") << "evn 3" << 9 << true << 10 << formatSeconds(0.50, l);
    QTest::newRow("wait 2 down refused") << "IA 4 wait" << 2 << false << 2 << QString();
    QTest::newRow("seq wait down") << "RL 1 wait" << 3 << false << 2 << formatSeconds(0.60, l);
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
    showPageOf(w, ud);
    arrowTo(ud, start);
    QCOMPARE(ud->position(), start);
    w.document().setModified(false);

    up ? clickUpArrow(ud) : clickDownArrow(ud);
    QCOMPARE(ud->position(), expected);
    QCOMPARE(w.findChild<QLineEdit*>(editName(upDownName(field)))->text(), formatTime(expected));
    // Refused or not, an edit was attempted.
    QVERIFY(w.document().isModified());
    QVERIFY(w.findChild<QAction*>("menu_file_save")->isEnabled());
    if (!duration.isEmpty()) {
        QString label = upDownName(field);
        label.replace(QRegularExpression("_(fire_|wait_)?ud$"), "_dur_lbl");
        QCOMPARE(w.findChild<QLabel*>(label)->text(), duration);
    }
}

void TestProgramPages::ctrlStep_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");

    QTest::newRow("253 up refused") << "single 1" << 253 << true << 253;
    QTest::newRow("250 up") << "single 1" << 250 << true << 255;
    QTest::newRow("wait 4 down refused") << "LR 2 wait" << 4 << false << 4;
    QTest::newRow("wait 7 down") << "LR 2 wait" << 7 << false << 2;
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
    arrowTo(ud, start);

    QTest::keyPress(&w, Qt::Key_Control);
    QCOMPARE(ud->increment(), 5);
    up ? clickUpArrow(ud) : clickDownArrow(ud);
    QCOMPARE(ud->position(), expected);
    QTest::keyRelease(&w, Qt::Key_Control);
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

// The pass-on of the last shown module reaches the controls of the modules after it.
void TestProgramPages::passOn() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    arrowTo(w.findChild<UpDown*>("tab_single_modnr_6_ud"), 12);
    for (int n = 1; n <= kModules; ++n) {
        const int expected = n < 6 ? 5 : 12;
        QCOMPARE(w.findChild<UpDown*>(names::single(n, "_ud"))->position(), expected);
        QCOMPARE(w.findChild<QLineEdit*>(names::single(n, "_edit"))->text(), formatTime(expected));
    }
}

void TestProgramPages::forAll_data() {
    QTest::addColumn<QString>("source"); // field whose time box is right-clicked
    QTest::addColumn<QString>("popup");
    QTest::addColumn<QStringList>("targets"); // fields that take the source's time
    QTest::addColumn<QString>("untouched");

    QTest::newRow("single") << "single 3"
                            << "tab_single_popup" << QStringList{"single 1", "single 16"}
                            << "odd 1";
    QTest::newRow("group") << "odd 2"
                           << "tab_grp_popup" << QStringList{"odd 1", "odd 3"} << "all 1";
    // Variant 4 is not in use and takes the time all the same.
    QTest::newRow("sequence wait")
        << "IA 2 wait"
        << "tab_seq_popup" << QStringList{"IA 1 wait", "IA 4 wait", "IA 5 wait"} << "IA 1 fire";
}

void TestProgramPages::forAll() {
    QFETCH(QString, source);
    QFETCH(QString, popup);
    QFETCH(QStringList, targets);
    QFETCH(QString, untouched);

    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    auto* ud = w.findChild<UpDown*>(upDownName(source));
    showPageOf(w, ud);
    arrowTo(ud, 9);
    QTest::mouseClick(w.findChild<QCheckBox*>(names::seq(3, 4, "_checkbox")), Qt::LeftButton);

    forAllFrom(w, editName(upDownName(source)), popup);
    for (const QString& t : targets) {
        QCOMPARE(w.findChild<UpDown*>(upDownName(t))->position(), 9);
        QCOMPARE(w.findChild<QLineEdit*>(editName(upDownName(t)))->text(), formatTime(9));
    }
    QCOMPARE(w.findChild<UpDown*>(upDownName(untouched))->position(), 5);
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
    w.document().setModified(false);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!w.document().program().seqAt(2, 3).chk);
    QVERIFY(w.document().isModified());
    for (const QString& name : six)
        QVERIFY2(!w.findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
    QVERIFY(w.findChild<QWidget*>("tab_seqAI_var_3_dur_lbl")->isEnabled());
    QVERIFY(w.findChild<QWidget*>("tab_seqAI_var_4_fire_ud")->isEnabled());
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
    const std::tuple<const char*, int, int> rows[] = {{"tab_single_modnr_2_cb", 0, 40},
                                                      {"tab_all_var_3_cb", 1, 0},
                                                      {"tab_seqIA_var_5_cb", 7, 69},
                                                      {"box_nr_cb", 0, 12}};
    for (const auto& [name, page, position] : rows) {
        w.pageControl()->setCurrentIndex(page);
        w.document().setModified(false);
        chooseListEntry(w.findChild<QComboBox*>(name), position);
        QVERIFY2(w.document().isModified(), name);
    }
    QCOMPARE(w.document().program().singleAt(2).ch, 40);
    QCOMPARE(w.document().program().groupAt(0, 3).ch, 0);
    QCOMPARE(w.document().program().seqAt(3, 5).ch, 69);
    QCOMPARE(w.document().program().boxNr, 12);
}

void TestProgramPages::moduleCount_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("lrDuration"); // LR and AI with every time 5
    QTest::addColumn<QString>("aiDuration");

    QTest::newRow("1") << 1 << formatSeconds(0.40) << formatSeconds(0.40);
    QTest::newRow("8") << 8 << formatSeconds(1.10) << formatSeconds(0.70);
    QTest::newRow("9") << 9 << formatSeconds(1.20) << formatSeconds(0.80);
}

// Modules past the count, their preview slots and (up to 8) the right block's headings go
// out of view; the durations follow the count.
void TestProgramPages::moduleCount() {
    QFETCH(int, count);
    QFETCH(QString, lrDuration);
    QFETCH(QString, aiDuration);

    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    chooseListEntry(w.findChild<QComboBox*>("gasmod_count_cb"), count - 1);
    QCOMPARE(w.document().program().moduleCount(), count);

    QWidget* page = w.programPages()->page(0);
    auto* preview = w.findChild<QWidget*>("preview_gb");
    for (int n = 1; n <= kModules; ++n) {
        for (const char* suffix : {"_lbl", "_edit", "_ud", "_dur_lbl", "_cb"}) {
            auto* c = w.findChild<QWidget*>(names::single(n, QString::fromLatin1(suffix)));
            QVERIFY2(c->isVisibleTo(page) == (n <= count), qPrintable(c->objectName()));
        }
        QCOMPARE(w.findChild<QWidget*>(names::singlePreview(n))->isVisibleTo(page), n <= count);
        QCOMPARE(
            w.findChild<QWidget*>(QStringLiteral("preview_flm_%1").arg(n))->isVisibleTo(preview),
            n <= count);
    }
    for (int d = 0; d <= 3; ++d)
        QCOMPARE(w.findChild<QLabel*>(names::caption(0, d, 'B'))->isVisibleTo(page), count > 8);
    QCOMPARE(w.findChild<QLabel*>("tab_seqLR_var_1_dur_lbl")->text(), lrDuration);
    QCOMPARE(w.findChild<QLabel*>("tab_seqAI_var_5_dur_lbl")->text(), aiDuration);
}

void TestProgramPages::boxNumberFollowsCount() {
    MainWindowFixture f; // box mode 0
    Tfrm_gui_main& w = f.start();
    auto* label = w.findChild<QLabel*>("box_nr_cblbl");
    auto* list = w.findChild<QComboBox*>("box_nr_cb");
    chooseListEntry(w.findChild<QComboBox*>("gasmod_count_cb"), 15);
    QCOMPARE(label->text(), QStringLiteral("46"));
    QCOMPARE(list->currentIndex(), 45);
    // While the RK40 route asks for the list, the box number is chosen there.
    w.setBoxListForced(true);
    QVERIFY(list->isVisible() && !label->isVisible());
    w.setBoxListForced(false);
    QVERIFY(label->isVisible() && !list->isVisible());
}

QTEST_MAIN(TestProgramPages)
#include "tst_program_pages.moc"
