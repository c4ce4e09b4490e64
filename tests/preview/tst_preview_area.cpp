#include "preview/preview_area.h"
#include "preview/preview_popup.h"
#include "program/box_program.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <map>
#include <memory>

using namespace vz::preview;

namespace {

// How late a segment may go on screen on a busy test machine; the benchmark measures the
// real figures.
constexpr qint64 kLateMs = 15;

struct Shown {
    int depth;
    int index;
    qint64 ms;
    QString states; // slots 1..count as the pictures show them
};

// Stands in for the main window: the preview area, preview buttons that do what the click
// handlers do, the program, the active page and the module count.
class Harness : public QWidget {
public:
    Harness() : area(new PreviewArea(this)) {
        resize(700, 200);
        area->move(100, 0);
        area->popup()->setActivePageSource([this] { return activePage; });
        area->popup()->setProgramSource([this]() -> const vz::BoxProgram& { return program; });
        QObject::connect(area, &PreviewArea::segmentShown, area, [this](int depth, int index) {
            QString states;
            for (int slot = 1; slot <= count; ++slot) {
                states += QString::number(area->slotState(slot));
                if (!showsItsState(slot))
                    states += QLatin1Char('?');
            }
            shown.push_back({depth, index, clock.elapsed(), states});
        });
        QObject::connect(area, &PreviewArea::previewHintsChanged, area,
                         [this](bool on) { hints.push_back(on); });
        clock.start();
    }

    // A preview button of a program page, as the main window builds it.
    QPushButton* button(int page, int number) {
        const QString name = vz::names::previewButton(page, number);
        if (auto* existing = findChild<QPushButton*>(name))
            return existing;
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setProperty("tag", number);
        b->setGeometry(10 + 30 * int(buttons.size() % 20), 100, 25, 25);
        b->setToolTip(QStringLiteral("hint_preview_btn"));
        b->show();
        area->popup()->attach(b);
        QObject::connect(b, &QPushButton::clicked, b, [this, page, b] {
            area->previewRow(program, page, b->property("tag").toInt(), ball);
        });
        buttons.push_back(b);
        return b;
    }

    // The module count of the program, the flame row and the player.
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
    int activePage = 0;
    int count = 6;
    int ball = 5;
    std::vector<QPushButton*> buttons;
    std::vector<Shown> shown;
    std::vector<bool> hints;
    QElapsedTimer clock;
};

// A list of "a,b,c" numbers.
QList<qint64> numbers(const QString& text) {
    QList<qint64> out;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out << part.toLongLong();
    return out;
}

} // namespace

class TestPreviewArea : public QObject {
    Q_OBJECT
private slots:
    void initialLayout();
    void placeFlames_data();
    void placeFlames();
    void playsWithRealTimers_data();
    void playsWithRealTimers();
    void everySegmentWritesAllSlots();
    void replannedAfterAHoldUp();
    void previewInsideAPreview();
    void hintsOffWhilePlaying();
    void rightClickToClipboard_data();
    void rightClickToClipboard();
    void tagOfAnyMouseButton();
    void previewEntryPlaysTheRow();
    void destroyedWhilePlaying();
    // Leaves the application exiting: keep it last.
    void applicationExitStopsThePreview();
};

void TestPreviewArea::initialLayout() {
    Harness h;
    h.show();
    PreviewArea* a = h.area;
    QCOMPARE(a->size(), QSize(555, 70));
    QCOMPARE(a->background()->geometry(), QRect(8, 13, 539, 51));
    QCOMPARE(a->background()->palette().color(QPalette::Window), QColor(Qt::black));
    // The pictures by their pixels (every shown slot carries one of them, see Harness): off
    // is dark above the nozzle, a ball burns in the middle only, a flame reaches the top.
    auto brightness = [a](const char* holder, int y) {
        const QImage img = a->findChild<QLabel*>(holder)->pixmap().toImage();
        int best = 0;
        for (int x = 0; x < img.width(); ++x)
            best = std::max(best, img.pixelColor(x, y).red() + img.pixelColor(x, y).green());
        return best;
    };
    for (const char* holder : {"preview_img_aus", "preview_img_ball", "preview_img_an"}) {
        const QLabel* label = a->findChild<QLabel*>(holder);
        QVERIFY2(label && label->isHidden() && label->pixmap().size() == QSize(20, 50), holder);
    }
    QVERIFY(brightness("preview_img_aus", 1) < 100 && brightness("preview_img_aus", 10) < 300);
    QVERIFY(brightness("preview_img_ball", 1) < 100);
    QVERIFY(brightness("preview_img_ball", 13) > 300);
    QVERIFY(brightness("preview_img_an", 10) > 300 && brightness("preview_img_an", 2) > 150);
    const qint64 off = a->findChild<QLabel*>("preview_img_aus")->pixmap().cacheKey();
    for (int i = 1; i <= 16; ++i) {
        QCOMPARE(a->flame(i)->geometry(), QRect(8 + 20 * (i - 1), 13, 20, 50));
        QCOMPARE(a->flame(i)->pixmap().cacheKey(), off);
    }
    QVERIFY(a->firemodeWarning()->isHidden());
    QVERIFY(!a->previewTimer()->isActive());

    // The background stretches with the box.
    a->resize(655, 70);
    QCOMPARE(a->background()->geometry(), QRect(8, 13, 639, 51));
}

void TestPreviewArea::placeFlames_data() {
    QTest::addColumn<int>("boxWidth");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("lefts");
    QTest::newRow("1") << 555 << 1 << "275";
    QTest::newRow("6") << 555 << 6 << "75,154,233,312,391,470";
    QTest::newRow("16") << 555 << 16
                        << "28,60,92,124,156,188,220,252,284,316,348,380,412,444,476,508";
    QTest::newRow("4 in a wider box") << 655 << 4 << "127,258,389,520";
}

void TestPreviewArea::placeFlames() {
    QFETCH(int, boxWidth);
    QFETCH(int, count);
    QFETCH(QString, lefts);
    Harness h;
    h.show();
    h.area->resize(boxWidth, 70);
    h.area->placeFlames(16);
    h.area->placeFlames(count);
    const QList<qint64> expected = numbers(lefts);
    for (int i = 1; i <= 16; ++i) {
        QLabel* slot = h.area->flame(i);
        QCOMPARE(slot->isVisible(), i <= count);
        if (i <= count) {
            QCOMPARE(slot->x(), int(expected[i - 1]));
            QCOMPARE(slot->y(), 13);
        }
    }
}

void TestPreviewArea::playsWithRealTimers_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("starts"); // planned start of every segment, ms
    QTest::addColumn<QStringList>("states");
    QTest::newRow("single 2") << 0 << 2 << 6 << "0,100" << QStringList{"010000", "000000"};
    QTest::newRow("evn with 1 module") << 3 << 1 << 1 << "0,100" << QStringList{"0", "0"};
    QTest::newRow("LR, fire 2, wait 3") << 4 << 1 << 3 << "0,40,60,100,120,160"
                                        << QStringList{"100", "000", "010", "000", "001", "000"};
    QTest::newRow("AI 5, above the ball time")
        << 6 << 1 << 5 << "0,120,240,360" << QStringList{"20002", "02020", "00200", "00000"};
}

void TestPreviewArea::playsWithRealTimers() {
    QFETCH(int, page);
    QFETCH(int, number);
    QFETCH(int, count);
    QFETCH(QString, starts);
    QFETCH(QStringList, states);
    Harness h;
    h.setCount(count);
    h.program.seqAt(0, 1) = {2, 3, 30, true};
    h.program.seqAt(2, 1) = {6, 6, 40, true};
    h.show();

    QPushButton* b = h.button(page, number);
    h.clock.restart();
    QTest::mouseClick(b, Qt::LeftButton);
    const qint64 returned = h.clock.elapsed();

    const QList<qint64> planned = numbers(starts);
    QCOMPARE(int(h.shown.size()), planned.size());
    for (int i = 0; i < planned.size(); ++i) {
        const Shown& s = h.shown[size_t(i)];
        QCOMPARE(s.index, i);
        QCOMPARE(s.states, states[i]);
        const qint64 late = s.ms - planned[i];
        QVERIFY2(late >= -2 && late <= kLateMs,
                 qPrintable(QStringLiteral("segment %1 late by %2 ms").arg(i).arg(late)));
    }
    // The preview returns with its last segment on screen, without waiting for it.
    QVERIFY(returned - h.shown.back().ms <= kLateMs);
    QVERIFY(!h.area->isPlaying());
    QVERIFY(!h.area->previewTimer()->isActive());
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
    QPushButton* b = h.button(4, 1);
    h.clock.restart();
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(int(h.shown.size()), 6);
    QVERIFY(h.shown[1].ms >= 150);
    // Planned again from segment 1 on: 20, 40, 20 and 40 ms after one another.
    const QList<qint64> starts = {20, 60, 80, 120};
    for (int i = 0; i < starts.size(); ++i) {
        const qint64 late = h.shown[size_t(i + 2)].ms - h.shown[1].ms - starts[i];
        QVERIFY2(late >= -2 && late <= kLateMs,
                 qPrintable(QStringLiteral("segment %1 late by %2 ms").arg(i + 2).arg(late)));
    }
}

void TestPreviewArea::previewInsideAPreview() {
    Harness h;
    h.setCount(3);
    h.program.seqAt(0, 1) = {5, 10, 30, true}; // LR: 100 ms on, 100 ms dark, ...
    h.program.singleAt(2).fire = 2;
    std::vector<bool> handler;
    h.area->setHintsHandler([&handler](bool on) { handler.push_back(on); });
    h.show();
    QPushButton* outer = h.button(4, 1);
    QPushButton* inner = h.button(0, 2);
    qint64 innerClickedAt = -1;
    QTimer::singleShot(30, inner, [&] {
        innerClickedAt = h.clock.elapsed();
        QTest::mouseClick(inner, Qt::LeftButton);
    });
    h.clock.restart();
    QTest::mouseClick(outer, Qt::LeftButton);

    // depth, index, planned start relative to the click inside.
    struct Expected {
        int depth;
        int index;
        qint64 at;
        const char* states;
    };
    const Expected expected[] = {
        {1, 0, -30, "100"}, {2, 0, 0, "010"},   {2, 1, 40, "000"},  {1, 1, 40, "000"},
        {1, 2, 140, "010"}, {1, 3, 240, "000"}, {1, 4, 340, "001"}, {1, 5, 440, "000"},
    };
    QVERIFY(innerClickedAt >= 30);
    QCOMPARE(int(h.shown.size()), int(std::size(expected)));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Shown& s = h.shown[i];
        const QByteArray where = "event " + QByteArray::number(qulonglong(i));
        QVERIFY2(s.depth == expected[i].depth && s.index == expected[i].index, where);
        QCOMPARE(s.states, QString::fromLatin1(expected[i].states));
        const qint64 planned = i == 0 ? 0 : innerClickedAt + expected[i].at;
        const qint64 late = s.ms - planned;
        QVERIFY2(late >= -2 && late <= kLateMs,
                 where + " late by " + QByteArray::number(late) + " ms");
    }
    // Each preview switches the hints off at its start and on at its end.
    QCOMPARE(handler, (std::vector<bool>{false, false, true, true}));
    QCOMPARE(h.hints, handler);
    QVERIFY(!h.area->isPlaying());
}

void TestPreviewArea::hintsOffWhilePlaying() {
    Harness h;
    h.show();
    QPushButton* b = h.button(0, 1);
    auto askForHint = [b] {
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), b->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(b, &help);
        return QToolTip::isVisible() && QToolTip::text() == QStringLiteral("hint_preview_btn");
    };
    QVERIFY(askForHint());
    bool shownWhilePlaying = true;
    bool hintsFlag = true;
    QObject::connect(h.area, &PreviewArea::segmentShown, h.area, [&](int, int index) {
        if (index == 0) {
            shownWhilePlaying = askForHint();
            hintsFlag = h.area->popup()->hintsOn();
        }
    });
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(!shownWhilePlaying);
    QVERIFY(!hintsFlag);
    QVERIFY(h.area->popup()->hintsOn());
    QVERIFY(askForHint());
    QToolTip::hideText();
}

void TestPreviewArea::rightClickToClipboard_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("line");
    QTest::newRow("single 12, edited") << 0 << 12 << "ZDSeqStart 0 12 40 9 ZDSeqEnd";
    QTest::newRow("odd variant 3") << 2 << 3 << "ZDSeqStart 2 3 28 17 ZDSeqEnd";
    QTest::newRow("X variant 5, largest") << 8 << 5 << "ZDSeqStart 8 5 70 255 255 ZDSeqEnd";
}

void TestPreviewArea::rightClickToClipboard() {
    QFETCH(int, page);
    QFETCH(int, number);
    QFETCH(QString, line);
    Harness h;
    h.program.singleAt(12) = {9, 39};
    h.program.groupAt(1, 3).fire = 17;
    h.program.seqAt(4, 5) = {255, 255, 69, true};
    h.activePage = page;
    h.show();
    // Another row first, so the menu has to take the tag of the button pressed last.
    QPushButton* other = h.button(page, 1);
    QPushButton* b = h.button(page, number);
    QTest::mousePress(other, Qt::RightButton);
    QTRY_VERIFY(h.area->popup()->isVisible());
    h.area->popup()->hide();

    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    QTest::mousePress(b, Qt::RightButton);
    QTRY_VERIFY(h.area->popup()->isVisible());
    QCOMPARE(h.area->popup()->tag(), number);
    QMenu* menu = h.area->popup();
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Down);
    QCOMPARE(menu->activeAction(), h.area->popup()->clipboardAction());
    QTest::keyClick(menu, Qt::Key_Return);
    QCOMPARE(QGuiApplication::clipboard()->text(), line);
    QVERIFY(h.shown.empty()); // copying plays nothing
}

// Any mouse button sets the tag the menu entries use; only the right one opens the menu.
void TestPreviewArea::tagOfAnyMouseButton() {
    Harness h;
    h.setCount(1);
    h.program.seqAt(1, 4).fire = 1; // the left click plays it
    h.show();
    QPushButton* b = h.button(5, 4);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton}) {
        h.area->popup()->setTag(1);
        QTest::mousePress(b, button);
        QCOMPARE(h.area->popup()->tag(), 4);
        QCOMPARE(h.area->popup()->isVisible(), button == Qt::RightButton);
        QTest::mouseRelease(b, button);
        h.area->popup()->hide();
    }
}

// The right button alone on single program 12's button, then the preview entry: program
// 12 plays although its button was never left-clicked. On a page that is no program page
// the entry does nothing.
void TestPreviewArea::previewEntryPlaysTheRow() {
    Harness h;
    h.setCount(16);
    h.program.singleAt(12).fire = 9;
    h.show();
    h.button(0, 1);
    QPushButton* b = h.button(0, 12);
    PreviewPopup* menu = h.area->popup();
    QCOMPARE(menu->defaultAction(), menu->previewAction());
    QVERIFY(menu->previewAction()->font().bold());
    QVERIFY(!menu->clipboardAction()->font().bold());

    h.activePage = 9;
    QTest::mousePress(b, Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    QVERIFY(h.shown.empty());

    h.activePage = 0;
    QTest::mousePress(b, Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, Qt::Key_Down);
    QCOMPARE(menu->activeAction(), menu->previewAction());
    h.clock.restart();
    QTest::keyClick(menu, Qt::Key_Return);
    QCOMPARE(int(h.shown.size()), 2);
    QCOMPARE(h.shown[0].states, QStringLiteral("0000000000020000"));
    QVERIFY(h.shown[1].ms >= 178);
}

// Deleting the area while it waits returns from the preview instead of waiting for a timer
// that no longer exists.
void TestPreviewArea::destroyedWhilePlaying() {
    Harness h;
    h.program.singleAt(1).fire = 250; // five seconds
    QPushButton* b = h.button(0, 1);
    QPointer<PreviewArea> area = h.area;
    QTimer::singleShot(50, b, [&] { delete area.data(); });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(area.isNull());
    QVERIFY(clock.elapsed() < 1000);
}

// A window closed in the middle of a long preview lets the program end at once.
void TestPreviewArea::applicationExitStopsThePreview() {
    Harness h;
    h.program.singleAt(1).fire = 250;
    h.show();
    QPushButton* b = h.button(0, 1);
    QTimer::singleShot(50, b, [] { QCoreApplication::exit(0); });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(int(h.shown.size()), 1);
    QVERIFY(!h.area->isPlaying());
    QVERIFY(!h.area->previewTimer()->isActive());
    QCOMPARE(h.hints, (std::vector<bool>{false, true}));
}

QTEST_MAIN(TestPreviewArea)
#include "tst_preview_area.moc"
