#include "preview/preview_area.h"
#include "preview/preview_popup.h"
#include "program/box_program.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vz;

using namespace vz::preview;

namespace {

// Timing is checked from the first segment on: a segment never goes on screen before its
// planned time (a little slack for the start itself), and a busy machine may show it late
// by this much. A wrong step time or a skipped wait is off by far more.
constexpr qint64 kEarlyMs = 10;
constexpr qint64 kLateMs = 60;

struct Shown {
    qint64 ms;
    QString states; // slots 1..count as the pictures show them
};

// Stands in for the main window: the preview area, preview buttons that do what the click
// handlers do, the program, the active page and the module count.
class Harness : public QWidget {
public:
    Harness() : area(new PreviewArea(this)) {
        resize(700, 200);
        area->popup()->setActivePageSource([] { return 0; });
        area->popup()->setProgramSource([this]() -> const vz::BoxProgram& { return program; });
        QObject::connect(area, &PreviewArea::segmentShown, area, [this] {
            QString states;
            for (int slot = 1; slot <= count; ++slot) {
                states += QString::number(area->slotState(slot));
                if (!showsItsState(slot))
                    states += QLatin1Char('?');
            }
            shown.push_back({clock.elapsed(), states});
        });
        QObject::connect(area, &PreviewArea::previewHintsChanged, area,
                         [this](bool on) { hints.push_back(on); });
        clock.start();
    }

    // A preview button of a program page, as the main window builds it.
    QPushButton* button(int page, int number) {
        auto* b = new QPushButton(this);
        b->setObjectName(vz::names::previewButton(page, number));
        b->setProperty("tag", number);
        b->setGeometry(10 + 30 * number, 100, 25, 25);
        b->show();
        area->popup()->attach(b);
        QObject::connect(b, &QPushButton::clicked, b,
                         [this, page, number] { area->previewRow(program, page, number, 5); });
        return b;
    }

    void setCount(int c) {
        count = c;
        program.gasmodCount = c - 1;
        area->placeFlames(c);
    }

    bool showsItsState(int slot) const {
        const char* holder[] = {"preview_img_aus", "preview_img_ball", "preview_img_an"};
        const auto* picture = area->findChild<QLabel*>(holder[area->slotState(slot)]);
        return picture->pixmap().cacheKey() == area->flame(slot)->pixmap().cacheKey();
    }

    PreviewArea* area;
    vz::BoxProgram program = vz::BoxProgram::startValues();
    int count = 6;
    std::vector<Shown> shown;
    std::vector<bool> hints;
    QElapsedTimer clock;
};

// Checks that event i of shown is on screen at planned ms after event `from`.
void checkStart(const Harness& h, size_t i, size_t from, qint64 planned) {
    const qint64 late = h.shown[i].ms - h.shown[from].ms - planned;
    QVERIFY2(late >= -kEarlyMs && late <= kLateMs,
             qPrintable(QStringLiteral("event %1 late by %2 ms").arg(i).arg(late)));
}

} // namespace

class TestPreviewArea : public QObject {
    Q_OBJECT
private slots:
    void playsWithRealTimers_data();
    void playsWithRealTimers();
    void everySegmentWritesAllSlots();
    void replannedAfterAHoldUp();
    void popupEntries();
};

void TestPreviewArea::playsWithRealTimers_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("starts"); // planned start of every segment, ms
    QTest::addColumn<QStringList>("states");
    QTest::newRow("single 1 at the ball time")
        << 0 << 6 << QList<int>{0, 100} << QStringList{"100000", "000000"};
    QTest::newRow("LR, fire 6, wait 10") << 4 << 3 << QList<int>{0, 120, 200, 320, 400, 520}
                                         << QStringList{"200", "000", "020", "000", "002", "000"};
}

void TestPreviewArea::playsWithRealTimers() {
    QFETCH(int, page);
    QFETCH(int, count);
    QFETCH(QList<int>, starts);
    QFETCH(QStringList, states);
    Harness h;
    h.setCount(count);
    h.program.seqAt(0, 1) = {6, 10, 30, true};
    h.show();
    QPushButton* b = h.button(page, 1);
    QTest::mouseClick(b, Qt::LeftButton);
    const qint64 returned = h.clock.elapsed();

    QCOMPARE(int(h.shown.size()), starts.size());
    for (int i = 0; i < starts.size(); ++i) {
        QCOMPARE(h.shown[size_t(i)].states, states[i]);
        checkStart(h, size_t(i), 0, starts[i]);
    }
    // The preview returns with its last segment on screen, without waiting for it.
    QVERIFY(returned - h.shown.back().ms <= kLateMs);
    QVERIFY(!h.area->isPlaying());
    QVERIFY(!h.area->previewTimer()->isActive());
    QCOMPARE(h.hints, (std::vector<bool>{false, true})); // hints off while playing
}

// Every segment writes all 16 slots: a count lowered while the group burns and raised after
// the preview shows no flame left over from it.
void TestPreviewArea::everySegmentWritesAllSlots() {
    Harness h;
    h.program.groupAt(0, 1).fire = 3;
    QObject::connect(h.area, &PreviewArea::segmentShown, h.area, [&h](int, int index) {
        if (index == 0)
            h.setCount(2);
    });
    QTest::mouseClick(h.button(1, 1), Qt::LeftButton);
    h.setCount(16);
    for (int slot = 1; slot <= 16; ++slot) {
        QCOMPARE(int(h.area->slotState(slot)), int(SlotOff));
        QVERIFY(h.showsItsState(slot));
    }
}

// A modal window that holds the wait up past a segment's end: the rest plays at its own
// timing from then on instead of flashing the overdue segments.
void TestPreviewArea::replannedAfterAHoldUp() {
    Harness h;
    h.setCount(3);
    h.program.seqAt(0, 1) = {2, 3, 30, true}; // LR: segments of 40, 20, 40, 20, 40 ms
    h.show();
    QObject::connect(h.area, &PreviewArea::segmentShown, h.area, [](int, int index) {
        if (index == 0)
            QTimer::singleShot(10, [] {
                QEventLoop modal;
                QTimer::singleShot(150, &modal, &QEventLoop::quit);
                modal.exec();
            });
    });
    QTest::mouseClick(h.button(4, 1), Qt::LeftButton);
    QCOMPARE(int(h.shown.size()), 6);
    checkStart(h, 1, 0, 150);
    // Planned again from segment 1 on: 20, 40, 20 and 40 ms after one another.
    const qint64 starts[] = {20, 60, 80, 120};
    for (size_t i = 0; i < std::size(starts); ++i)
        checkStart(h, i + 2, 1, starts[i]);
}

// The right button opens the menu for the button pressed last: its entries copy the
// program's line to the clipboard or play it, on a program page only.
void TestPreviewArea::popupEntries() {
    Harness h;
    h.setCount(16);
    h.program.singleAt(12) = {9, 39};
    h.show();
    QPushButton* other = h.button(0, 1);
    QPushButton* b = h.button(0, 12);
    PreviewPopup* menu = h.area->popup();
    auto choose = [&](QPushButton* button, int downs) {
        QTest::mousePress(button, Qt::RightButton);
        QTRY_VERIFY(menu->isVisible());
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    };
    QTest::mousePress(other, Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    choose(b, 2);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ZDSeqStart 0 12 40 9 ZDSeqEnd"));
    choose(b, 1);
    QCOMPARE(int(h.shown.size()), 2);
    QCOMPARE(h.shown[0].states, QStringLiteral("0000000000020000"));
    checkStart(h, 1, 0, 180);
}

QTEST_MAIN(TestPreviewArea)
#include "tst_preview_area.moc"
