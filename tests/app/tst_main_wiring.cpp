// The main window's entries into the preview, the programming sheet, the about box and the
// transfer, driven through the real buttons and menu entries.

#include "core/pty_pair.h"
#include "gui/main_window_fixture.h"

#include "device/device_decoder.h"
#include "output/output_wiring.h"
#include "output/program_sheet.h"
#include "preview/preview_area.h"
#include "program/program_document.h"
#include "program/project_file.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <functional>

#include <unistd.h>

using namespace vz;

namespace {

// States of slots 1..count for every segment the preview put on screen.
struct ShownSegments {
    QList<QVector<int>> frames;
    void watch(PreviewArea* area, int count) {
        QObject::connect(area, &PreviewArea::segmentShown, area, [this, area, count](int, int) {
            QVector<int> states;
            for (int slot = 1; slot <= count; ++slot)
                states << area->slotState(slot);
            frames << states;
        });
    }
};

} // namespace

static void answerModal(const QString& button, std::function<void(QWidget*)> action = {});

class TestMainWiring : public QObject {
    Q_OBJECT
private slots:
    void previewButtonPlaysItsRow_data();
    void previewButtonPlaysItsRow();
    void exportPdfThroughTheMenu();
    void printCancelledPrintsNothing();
    void printSheetOfTheWindow();
    void aboutBoxClosesOnEscape();
    void transmitRefusesSharedChannels();
    void transferThroughTheMenu_data();
    void transferThroughTheMenu();
    void advancedSettingsSwitchBoxMode();
};

void TestMainWiring::previewButtonPlaysItsRow_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("ball"); // ball time set in the advanced settings, 5 unchanged
    QTest::addColumn<QList<QVector<int>>>("expected");
    // Start values: 6 modules, every time 5 = the ball time, so every flame is a ball (1).
    // One row per page: the seven click handlers, the group one on each of its pages.
    const QVector<int> off{0, 0, 0, 0, 0, 0};
    QTest::newRow("single 3") << 0 << "tab_single_preview_3_btn" << 5
                              << QList<QVector<int>>{{0, 0, 1, 0, 0, 0}, off};
    QTest::newRow("all 1") << 1 << "tab_all_preview_1_btn" << 5
                           << QList<QVector<int>>{{1, 1, 1, 1, 1, 1}, off};
    QTest::newRow("odd 2") << 2 << "tab_odd_preview_2_btn" << 5
                           << QList<QVector<int>>{{1, 0, 1, 0, 1, 0}, off};
    QTest::newRow("evn 3") << 3 << "tab_evn_preview_3_btn" << 5
                           << QList<QVector<int>>{{0, 1, 0, 1, 0, 1}, off};
    QTest::newRow("left to right 1") << 4 << "tab_seqLR_preview_1_btn" << 5
                                     << QList<QVector<int>>{{1, 0, 0, 0, 0, 0},
                                                            {0, 1, 0, 0, 0, 0},
                                                            {0, 0, 1, 0, 0, 0},
                                                            {0, 0, 0, 1, 0, 0},
                                                            {0, 0, 0, 0, 1, 0},
                                                            {0, 0, 0, 0, 0, 1},
                                                            off};
    QTest::newRow("right to left 2") << 5 << "tab_seqRL_preview_2_btn" << 5
                                     << QList<QVector<int>>{{0, 0, 0, 0, 0, 1},
                                                            {0, 0, 0, 0, 1, 0},
                                                            {0, 0, 0, 1, 0, 0},
                                                            {0, 0, 1, 0, 0, 0},
                                                            {0, 1, 0, 0, 0, 0},
                                                            {1, 0, 0, 0, 0, 0},
                                                            off};
    QTest::newRow("outside in 3") << 6 << "tab_seqAI_preview_3_btn" << 5
                                  << QList<QVector<int>>{{1, 0, 0, 0, 0, 1},
                                                         {0, 1, 0, 0, 1, 0},
                                                         {0, 0, 1, 1, 0, 0},
                                                         off};
    QTest::newRow("inside out 1") << 7 << "tab_seqIA_preview_1_btn" << 5
                                  << QList<QVector<int>>{{0, 0, 1, 1, 0, 0},
                                                         {0, 1, 0, 0, 1, 0},
                                                         {1, 0, 0, 0, 0, 1},
                                                         off};
    // The middle pair fires at steps 3 and 4: one run.
    QTest::newRow("crossing 5") << 8 << "tab_seqX_preview_5_btn" << 5
                                << QList<QVector<int>>{{1, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 1, 0},
                                                       {0, 0, 1, 1, 0, 0}, {0, 1, 0, 0, 1, 0},
                                                       {1, 0, 0, 0, 0, 1}, off};
    QTest::newRow("single 3, ball time 4: a flame")
        << 0 << "tab_single_preview_3_btn" << 4 << QList<QVector<int>>{{0, 0, 2, 0, 0, 0}, off};
}

void TestMainWiring::previewButtonPlaysItsRow() {
    QFETCH(int, page);
    QFETCH(QString, button);
    QFETCH(int, ball);
    QFETCH(QList<QVector<int>>, expected);
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    if (ball != 5) {
        answerModal(QStringLiteral("btn_ok"), [](QWidget* dialog) {
            auto* ud = dialog->findChild<QSpinBox*>(QStringLiteral("ball_ud"));
            QVERIFY(ud);
            QTest::keyClick(ud, Qt::Key_Down);
        });
        w.findChild<QAction*>(QStringLiteral("menu_settings_advanced"))->trigger();
        QVERIFY(f.folder.settingsText().contains("ball=" + QByteArray::number(ball)));
    }
    w.pageControl()->setCurrentIndex(page);
    ShownSegments shown;
    shown.watch(w.previewArea(), 6);
    auto* b = f.find<QPushButton>(button);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(shown.frames, expected);
    QVERIFY(!w.previewArea()->isPlaying());
}

// The sheet the window hands to the printer, and the printer it keeps between two prints.
void TestMainWiring::printSheetOfTheWindow() {
    MainWindowFixture f; // box mode 0
    const QString project = f.folder.filePath(QStringLiteral("show.kvx"));
    BoxProgram p = BoxProgram::startValues();
    p.gasmodCount = 7; // 8 modules: box 38
    QVERIFY(ProjectFile::write(project, p));
    Tfrm_gui_main& w = f.start({project});
    clickUpArrow(f.find<UpDown>(QStringLiteral("tab_single_modnr_2_ud")));

    const SheetData data = w.output()->sheetData();
    QCOMPARE(data.caption, QStringLiteral("Vestro Zandor - show.kvx"));
    QCOMPARE(data.boxNumber, 38);
    QCOMPARE(data.moduleCount, 8);
    QCOMPARE(data.sections[0].rows.size(), 8);
    QCOMPARE(data.sections[0].rows[1].fire, formatTime(6));

    // Each print dialog offers the printer (a PDF file here) chosen in the one before.
    const QString chosen = f.folder.filePath(QStringLiteral("sheet.pdf"));
    QStringList offered;
    f.prompts.onPrintDialog = [&](QPrinter* printer) {
        offered << printer->outputFileName();
        printer->setOutputFileName(chosen);
    };
    f.prompts.printAnswers << true << true;
    auto* print = w.findChild<QAction*>(QStringLiteral("menu_file_print"));
    print->trigger();
    QVERIFY(QFileInfo(chosen).size() > 1000);
    print->trigger();
    QCOMPARE(offered, (QStringList{QString(), chosen}));
    QCOMPARE(f.prompts.printers.constLast()->docName(), data.caption);
}

void TestMainWiring::exportPdfThroughTheMenu() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    const QString path = f.folder.filePath(QStringLiteral("sheet"));
    f.prompts.fileNames.enqueue(path);
    auto* entry = w.findChild<QAction*>(QStringLiteral("menu_file_exportpdf"));
    QVERIFY(entry);
    entry->trigger();
    QFile pdf(path + QStringLiteral(".pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    pdf.close();
    const qint64 size = pdf.size();

    // The same name again asks before it overwrites; No leaves the file alone.
    f.prompts.clear();
    f.prompts.fileNames.enqueue(path + QStringLiteral(".pdf"));
    f.prompts.answers.enqueue(Prompts::Answer::No);
    QFile::resize(path + QStringLiteral(".pdf"), 10);
    entry->trigger();
    QCOMPARE(f.prompts.kinds(), (QStringList{"save", "confirm"}));
    QCOMPARE(QFileInfo(path + QStringLiteral(".pdf")).size(), qint64(10));
    QVERIFY(size > 1000);
}

void TestMainWiring::printCancelledPrintsNothing() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    f.prompts.clear();
    w.findChild<QAction*>(QStringLiteral("menu_file_print"))->trigger();
    QCOMPARE(f.prompts.kinds(), QStringList{"print"});
}

void TestMainWiring::aboutBoxClosesOnEscape() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    QString shownCaption;
    QTimer::singleShot(50, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        if (auto* name = box->findChild<QLabel*>(QStringLiteral("app_name_lbl_main")))
            shownCaption = name->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QTimer::singleShot(3000, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close(); // keeps a failing test from hanging
    });
    w.findChild<QAction*>(QStringLiteral("menu_help_info"))->trigger();
    QCOMPARE(shownCaption, w.windowTitle());
}

// Runs action on the next modal window to come up, then presses its button named button.
static void answerModal(const QString& button, std::function<void(QWidget*)> action) {
    QTimer::singleShot(50, [=] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        if (action)
            action(box);
        if (auto* b = box->findChild<QPushButton*>(button))
            QTest::mouseClick(b, Qt::LeftButton);
    });
    QTimer::singleShot(5000, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close(); // keeps a failing test from hanging
    });
}

void TestMainWiring::transmitRefusesSharedChannels() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    w.document().setSingleChannel(2, 20); // channel 21, the one of all variant 1
    f.prompts.clear();
    w.findChild<QAction*>(QStringLiteral("menu_transmit_caption"))->trigger();
    QCOMPARE(f.prompts.kinds(), QStringList{"error"});
    QVERIFY(f.prompts.texts().constFirst().startsWith(get_text("msg_chk_dbl_errch") + " 21:"));
}

void TestMainWiring::transferThroughTheMenu_data() {
    QTest::addColumn<int>("startMode");
    QTest::addColumn<int>("mode"); // in force at the transfer
    QTest::newRow("box mode 0") << 0 << 0;
    QTest::newRow("box mode 1") << 1 << 1;
    QTest::newRow("box mode 1, then 0 through the advanced settings") << 1 << 0;
}

// Menu -> duplicate check -> records -> dialog -> bytes at the far end of the line. Shown
// again, the dialog is Ready: only the opening lines, transmit enabled, idling again.
void TestMainWiring::transferThroughTheMenu() {
    QFETCH(int, startMode);
    QFETCH(int, mode);
    MainWindowFixture f(QStringLiteral("[languagefiles]\nactive=english\n[misc]\nnew_boxmode=%1\n"
                                       "[com]\nport=7\n")
                            .arg(startMode)
                            .toLatin1());
    PtyPair pty;
    QVERIFY(pty.linkAs(f.folder.path(), 7));
    QByteArray far;
    QTimer reader;
    reader.callOnTimeout([&] {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(pty.masterFd(), buf, sizeof buf)) > 0)
            far.append(buf, static_cast<int>(n));
    });
    reader.start(1);
    Tfrm_gui_main& w = f.start();
    w.document().setModuleCountPosition(8); // 9 modules
    w.document().setBoxNr(11);              // box 12 where the list counts
    w.document().setSingleFire(3, 40);
    w.document().setSeqInUse(0, 1, false);
    if (mode != startMode) {
        answerModal(QStringLiteral("btn_ok"), [mode](QWidget* dialog) {
            dialog->findChild<QComboBox*>(QStringLiteral("boxmode_cb"))->setCurrentIndex(mode);
        });
        w.findChild<QAction*>(QStringLiteral("menu_settings_advanced"))->trigger();
    }

    struct Seen {
        QStringList lines;
        bool transmit = false;
        bool idling = false;
    };
    auto look = [&far](QWidget* dialog, Seen& seen) {
        const auto* list = dialog->findChild<QListWidget*>(QStringLiteral("listbox"));
        for (int i = 0; i < list->count(); ++i)
            seen.lines << list->item(i)->text();
        seen.transmit =
            dialog->findChild<QPushButton*>(QStringLiteral("btn_transmit"))->isEnabled();
        const qsizetype had = far.size();
        seen.idling = dialog->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive() &&
                      QTest::qWaitFor([&] { return far.size() >= had + 2; });
    };
    Seen first, again;
    answerModal(QStringLiteral("btn_close"), [&](QWidget* dialog) {
        look(dialog, first);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btn_transmit")),
                          Qt::LeftButton);
        first.lines.clear();
        look(dialog, first);
    });
    w.findChild<QAction*>(QStringLiteral("menu_transmit_caption"))->trigger();
    answerModal(QStringLiteral("btn_close"), [&](QWidget* dialog) { look(dialog, again); });
    w.findChild<QAction*>(QStringLiteral("menu_transmit_caption"))->trigger();
    QVERIFY(f.prompts.records.isEmpty());

    const QStringList opened{get_text("msg_transmit_comopen"), get_text("msg_transmit_powermm"),
                             get_text("msg_transmit_ledonqm")};
    const QStringList sent{get_text("msg_transmit_calcstr"), get_text("msg_transmit_sending"),
                           get_text("msg_transmit_end")};
    QCOMPARE(first.lines, opened + sent);
    QVERIFY(!first.transmit && !first.idling); // Sent
    QCOMPARE(again.lines, opened);
    QVERIFY(again.transmit && again.idling);

    DeviceDecoder decoder;
    decoder.feed(far, 0);
    decoder.finish();
    QVector<DeviceEvent> images;
    for (const DeviceEvent& e : decoder.takeEvents())
        if (e.kind == DeviceEvent::Kind::Image)
            images << e;
    QCOMPARE(images.size(), 1);
    QVERIFY2(images[0].valid, qPrintable(images[0].fault));
    const RecordTable& r = images[0].records;
    QCOMPARE(r[69], (TransferRecord{70, quint8(mode == 1 ? 9 : 0), quint8(mode == 1 ? 12 : 39)}));
    QCOMPARE(r[2].time, 40);
    QCOMPARE(r[30], (TransferRecord{41, 0, 0}));
    QCOMPARE(far.left(images[0].offset), QByteArray(images[0].offset, '_'));
    const QByteArray after = far.mid(images[0].offset + kTransferImageSize);
    QVERIFY(after.size() >= 2 && after == QByteArray(after.size(), '_'));
}

void TestMainWiring::advancedSettingsSwitchBoxMode() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    auto* list = f.find<QComboBox>(QStringLiteral("box_nr_cb"));
    auto* label = f.find<QLabel>(QStringLiteral("box_nr_cblbl"));
    QVERIFY(!list->isVisible() && label->isVisible());
    answerModal(QStringLiteral("btn_ok"), [](QWidget* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("boxmode_cb"))->setCurrentIndex(1);
    });
    w.findChild<QAction*>(QStringLiteral("menu_settings_advanced"))->trigger();
    QVERIFY(list->isVisible() && !label->isVisible());
    QCOMPARE(list->currentIndex(), 35); // box 36 stays selected
    QVERIFY(f.folder.settingsText().contains("new_boxmode=1"));

    // Cancel after choosing box mode 0 changes nothing.
    answerModal(QStringLiteral("btn_cancel"), [](QWidget* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("boxmode_cb"))->setCurrentIndex(0);
    });
    w.findChild<QAction*>(QStringLiteral("menu_settings_advanced"))->trigger();
    QVERIFY(list->isVisible() && !label->isVisible());
}

QTEST_MAIN(TestMainWiring)
#include "tst_main_wiring.moc"
