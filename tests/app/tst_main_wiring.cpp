// The main window's entries into the preview, the programming sheet, the help menu, the
// advanced settings, the transfer and the fire log, driven through the real buttons and menu
// entries.

#include "core/far_end_recorder.h"
#include "core/pty_pair.h"
#include "gui/main_window_fixture.h"

#include "device/device_decoder.h"
#include "fire/gui_firelog.h"
#include "output/output_wiring.h"
#include "output/program_sheet.h"
#include "preview/preview_area.h"
#include "program/program_document.h"
#include "program/project_file.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace vz;

namespace {

// Runs action on the next modal window to come up, then presses its button named button
// (none when empty).
void answerModal(QObject* context, const QString& button,
                 std::function<void(QWidget*)> action = {}) {
    QTimer::singleShot(50, context, [=] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        if (action)
            action(box);
        if (auto* b = button.isEmpty() ? nullptr : box->findChild<QPushButton*>(button))
            QTest::mouseClick(b, Qt::LeftButton);
    });
    QTimer::singleShot(5000, context, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close(); // keeps a failing test from hanging
    });
}

void chooseBoxMode(Tfrm_gui_main& w, int mode) {
    answerModal(&w, QStringLiteral("btn_ok"), [mode](QWidget* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("boxmode_cb"))->setCurrentIndex(mode);
    });
    w.findChild<QAction*>(QStringLiteral("menu_settings_advanced"))->trigger();
}

} // namespace

class TestMainWiring : public QObject {
    Q_OBJECT
private slots:
    void previewButtonPlaysItsRow();
    void sheetPrintAndPdf();
    void helpInfo();
    void transmitRefusesSharedChannels();
    void transferThroughTheMenu_data();
    void transferThroughTheMenu();
    void fireLogWindow();
};

// Outside in, variant 3, on 6 modules whose times are all the ball time: balls (1), pair by
// pair.
void TestMainWiring::previewButtonPlaysItsRow() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    w.pageControl()->setCurrentIndex(6);
    PreviewArea* area = w.previewArea();
    QList<QVector<int>> shown;
    connect(area, &PreviewArea::segmentShown, area, [&](int, int) {
        QVector<int> states;
        for (int slot = 1; slot <= 6; ++slot)
            states << area->slotState(slot);
        shown << states;
    });
    QTest::mouseClick(f.find<QPushButton>("tab_seqAI_preview_3_btn"), Qt::LeftButton);
    QCOMPARE(shown,
             (QList<QVector<int>>{
                 {1, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 1, 0}, {0, 0, 1, 1, 0, 0}, {0, 0, 0, 0, 0, 0}}));
    QVERIFY(!area->isPlaying());
}

// The sheet the window hands on, printed through the print dialog and exported as PDF.
void TestMainWiring::sheetPrintAndPdf() {
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
    QCOMPARE(data.sections[0].rows.size(), 8);
    QCOMPARE(data.sections[0].rows[1].fire, formatTime(6));

    const QString printed = f.folder.filePath(QStringLiteral("printed.pdf"));
    f.prompts.onPrintDialog = [&](QPrinter* printer) { printer->setOutputFileName(printed); };
    f.prompts.printAnswers << true;
    w.findChild<QAction*>(QStringLiteral("menu_file_print"))->trigger();
    QVERIFY(QFileInfo(printed).size() > 1000);
    QCOMPARE(f.prompts.printers.constLast()->docName(), data.caption);

    f.prompts.fileNames.enqueue(f.folder.filePath(QStringLiteral("sheet")));
    w.findChild<QAction*>(QStringLiteral("menu_file_exportpdf"))->trigger();
    QFile pdf(f.folder.filePath(QStringLiteral("sheet.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
}

void TestMainWiring::helpInfo() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    QString shownCaption;
    answerModal(&w, QString(), [&](QWidget* box) {
        if (auto* name = box->findChild<QLabel*>(QStringLiteral("app_name_lbl_main")))
            shownCaption = name->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    w.findChild<QAction*>(QStringLiteral("menu_help_info"))->trigger();
    QCOMPARE(shownCaption, w.windowTitle());
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
    QTest::newRow("box mode 0, then 1 through the advanced settings") << 0 << 1;
}

// Menu -> duplicate check -> records -> dialog -> bytes at the far end of the line.
void TestMainWiring::transferThroughTheMenu() {
    QFETCH(int, startMode);
    QFETCH(int, mode);
    MainWindowFixture f(QStringLiteral("[languagefiles]\nactive=english\n[misc]\nnew_boxmode=%1\n"
                                       "[com]\nport=7\n")
                            .arg(startMode)
                            .toLatin1());
    PtyPair pty;
    QVERIFY(pty.linkAs(f.folder.path(), 7));
    FarEndRecorder far(pty.masterFd());
    Tfrm_gui_main& w = f.start();
    w.document().setModuleCountPosition(8); // 9 modules
    w.document().setBoxNr(11);              // box 12 where the list counts
    w.document().setSingleFire(3, 40);
    w.document().setSeqInUse(0, 1, false);
    if (mode != startMode)
        chooseBoxMode(w, mode);
    // The box list shows in box mode 1 only.
    QCOMPARE(f.find<QComboBox>(QStringLiteral("box_nr_cb"))->isVisible(), mode == 1);

    QStringList lines;
    answerModal(&w, QStringLiteral("btn_close"), [&](QWidget* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btn_transmit")),
                          Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([dialog] { return dialog->isEnabled(); }, 10000)); // sent
        const auto* list = dialog->findChild<QListWidget*>(QStringLiteral("listbox"));
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
    });
    w.findChild<QAction*>(QStringLiteral("menu_transmit_caption"))->trigger();
    QVERIFY(f.prompts.records.isEmpty());
    QCOMPARE(lines.constLast(), get_text("msg_transmit_end"));

    QVector<DeviceEvent> images;
    const auto imageArrived = [&] {
        DeviceDecoder decoder;
        decoder.feed(far.bytes(), 0);
        decoder.finish();
        images.clear();
        for (const DeviceEvent& e : decoder.takeEvents())
            if (e.kind == DeviceEvent::Kind::Image)
                images << e;
        return images.size() == 1 && images[0].valid;
    };
    QTRY_VERIFY2(imageArrived(), qPrintable(images.value(0).fault));
    const RecordTable& r = images[0].records;
    QCOMPARE(r[69], (TransferRecord{70, quint8(mode == 1 ? 9 : 0), quint8(mode == 1 ? 12 : 39)}));
    QCOMPARE(r[2].time, 40);
    QCOMPARE(r[30], (TransferRecord{41, 0, 0}));
}

// Opens on today's log, chooses an earlier day, zooms to the minute round a clicked mark,
// shows the line under the mouse and exports the picture (and says when it cannot).
void TestMainWiring::fireLogWindow() {
    MainWindowFixture f;
    const QDate today = QDate::currentDate();
    const QDate earlier = today.addDays(-3);
    const QString head = "time,event,route,port,box,channel,source,frame,outcome\n";
    const QString line = earlier.toString(Qt::ISODate) +
                         " 14:30:05.120 +01:00,frame,mm,COM7,1,"
                         "%1,hotkey a,5F 5F 73 32 65 15 A5 00,written";
    QVERIFY(QDir(f.folder.path()).mkpath("logs"));
    QVERIFY(f.folder.writeFile("logs/" + fireLogFileName(today), head.toUtf8()));
    QVERIFY(f.folder.writeFile("logs/" + fireLogFileName(earlier),
                               (head + line.arg(21) + "\n" + line.arg(99)).toUtf8()));
    Tfrm_gui_main& w = f.start();
    w.findChild<QAction*>(QStringLiteral("menu_fire_log"))->trigger();
    auto* window = w.findChild<Tfrm_gui_firelog*>();
    QVERIFY(window->isVisible() && QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->day().day, today);

    chooseListEntry(window->findChild<QComboBox*>("firelog_day_cb"), 1);
    QCOMPARE(window->day().day, earlier);
    QVERIFY(window->findChild<QLabel*>("firelog_info")
                ->text()
                .contains(get_text("firelog_skipped").arg(1)));
    FireLogTimeline* timeline = window->timeline();
    const int ms = (14 * 3600 + 30 * 60 + 5) * 1000 + 120;
    const QPoint mark(timeline->xOf(ms), timeline->rowTop(21) + 8);
    QTest::mouseClick(timeline, Qt::LeftButton, Qt::NoModifier, mark);
    chooseListEntry(window->findChild<QComboBox*>("firelog_zoom_cb"),
                    Tfrm_gui_firelog::kZoomMinute);
    QCOMPARE(timeline->viewSpan(), 60000);
    QVERIFY(timeline->viewStart() <= ms && ms < timeline->viewStart() + 60000);
    // Through the window: a move sent to a widget only sets the cursor.
    QTest::mouseMove(window->windowHandle(),
                     timeline->mapTo(window, QPoint(timeline->xOf(ms), mark.y())));
    QCOMPARE(window->findChild<QLabel*>("firelog_line")->text(), line.arg(21));

    auto* exportButton = window->findChild<QPushButton*>("firelog_export_btn");
    f.prompts.fileNames << f.folder.filePath("log") << f.folder.filePath("missing/log.png");
    QTest::mouseClick(exportButton, Qt::LeftButton);
    QImage picture(f.folder.filePath("log.png"));
    QVERIFY(picture.width() >= timeline->width() && picture.height() > timeline->rowTop(21));
    QTest::mouseClick(exportButton, Qt::LeftButton);
    QCOMPARE(f.prompts.kinds(), (QStringList{"save", "save", "error"}));
}

QTEST_MAIN(TestMainWiring)
#include "tst_main_wiring.moc"
