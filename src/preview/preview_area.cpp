#include "preview/preview_area.h"

#include "base/ui_style.h"
#include "preview/preview_pictures.h"
#include "preview/preview_popup.h"
#include "program/program_document.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace vz {

using namespace vz::preview;

namespace {

QLabel* makeHolder(QWidget* parent, const char* name, const QPixmap& picture) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setPixmap(picture);
    label->setGeometry(0, 0, PreviewArea::kFlameWidth, PreviewArea::kFlameHeight);
    label->hide();
    return label;
}

} // namespace

PreviewArea::PreviewArea(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("preview_gb"));
    setTitle(objectName()); // the language file gives the caption
    resize(kWidth, kHeight);

    m_bg = new QWidget(this);
    m_bg->setObjectName(QStringLiteral("preview_bg"));
    ui::fillBackground(m_bg, Qt::black);
    m_bg->setGeometry(kBackgroundX, kBackgroundY, kBackgroundWidth, kBackgroundHeight);

    m_imgAus = makeHolder(this, "preview_img_aus", offPicture());
    m_imgBall = makeHolder(this, "preview_img_ball", ballPicture());
    m_imgAn = makeHolder(this, "preview_img_an", flamePicture());

    for (int i = 1; i <= kSlots; ++i) {
        auto* slot = new QLabel(this);
        slot->setObjectName(QStringLiteral("preview_flm_%1").arg(i));
        slot->setGeometry(kBackgroundX + kFlameWidth * (i - 1), kBackgroundY, kFlameWidth,
                          kFlameHeight);
        slot->setPixmap(m_imgAus->pixmap());
        m_flames[size_t(i - 1)] = slot;
    }

    const QString warning = QStringLiteral("lbl_firemode_warning");
    m_firemodeWarning = ui::makeLabel(this, warning, warning, 0, true, Qt::red);
    m_firemodeWarning->setGeometry(kBackgroundX, kBackgroundY, kBackgroundWidth, kBackgroundHeight);
    m_firemodeWarning->setAlignment(Qt::AlignCenter);
    m_firemodeWarning->setWordWrap(true);
    m_firemodeWarning->hide();

    m_preview_timer = new QTimer(this);
    m_preview_timer->setObjectName(QStringLiteral("preview_timer"));
    // The default coarse timer may be 5 % late, which a 5 s segment would show.
    m_preview_timer->setTimerType(Qt::PreciseTimer);
    connect(m_preview_timer, &QTimer::timeout, this, &PreviewArea::preview_timerTimer);

    m_popup = new PreviewPopup(this);

    m_boxTimer = new QTimer(this);
    m_boxTimer->setTimerType(Qt::PreciseTimer);
    m_boxTimer->setSingleShot(true);
    connect(m_boxTimer, &QTimer::timeout, this, &PreviewArea::showBoxRowDue);
}

PreviewArea::~PreviewArea() {
    // A preview waiting on the stack must not wait for a timer that is gone.
    for (QEventLoop* loop : std::as_const(m_waits))
        loop->quit();
}

QLabel* PreviewArea::flame(int slot) const {
    if (slot < 1 || slot > kSlots)
        return nullptr;
    return m_flames[size_t(slot - 1)];
}

void PreviewArea::placeFlames(int count) {
    count = std::clamp(count, 1, kSlots);
    fitBackground(); // a box resized while hidden has had no resize event yet
    const int pitch = (m_bg->width() + kFlameWidth) / (count + 1);
    for (int n = 1; n <= kSlots; ++n) {
        QLabel* slot = m_flames[size_t(n - 1)];
        if (n <= count) {
            slot->move(pitch * n - 4, kBackgroundY);
            slot->show();
        } else {
            slot->hide();
        }
    }
    m_firemodeWarning->raise();
}

void PreviewArea::setHintsHandler(std::function<void(bool)> handler) {
    m_hintsHandler = std::move(handler);
}

quint8 PreviewArea::slotState(int slot) const {
    if (slot < 1 || slot > kSlots)
        return SlotOff;
    return m_states[size_t(slot - 1)];
}

void PreviewArea::showState(int slot, quint8 state) {
    const QLabel* holder = nullptr;
    switch (state) {
    case SlotOff:
        holder = m_imgAus;
        break;
    case SlotBall:
        holder = m_imgBall;
        break;
    case SlotFlame:
        holder = m_imgAn;
        break;
    default:
        return; // unknown states leave the picture as it was
    }
    QLabel* label = m_flames[size_t(slot - 1)];
    m_states[size_t(slot - 1)] = state;
    label->setPixmap(holder->pixmap());
    label->repaint();
}

void PreviewArea::setHints(bool on) {
    if (m_hintsHandler)
        m_hintsHandler(on);
    else
        m_popup->set_preview_hints(on);
    emit previewHintsChanged(on);
}

void PreviewArea::preview_timerTimer() {
    m_preview_timer->stop();
    if (!m_waits.isEmpty())
        m_waits.last()->quit();
}

bool PreviewArea::waitForTimer(QPointer<PreviewArea>& self) {
    QEventLoop loop;
    m_waits.append(&loop);
    loop.exec();
    if (!self)
        return false;
    m_waits.removeAll(&loop);
    // Only the timer's handler or the end of a preview played inside this one end the wait
    // with the timer off; anything else is the application shutting down.
    return !m_preview_timer->isActive();
}

void PreviewArea::run_preview(SegmentList segments) {
    QPointer<PreviewArea> self(this);
    const int depth = ++m_depth;
    setHints(false);

    // Each segment ends at its planned time from the start of the preview, so the latency of
    // one wake-up does not add up over a long sequence.
    QElapsedTimer clock;
    clock.start();
    qint64 plannedStart = 0;
    bool aborted = false;
    for (size_t i = 0; i < segments.size(); ++i) {
        const Segment& segment = segments[i];
        // Every slot, also those above the count: a count raised later shows no stale flame.
        for (int slot = 1; slot <= kSlots; ++slot)
            showState(slot, segment.states[size_t(slot - 1)]);
        emit segmentShown(depth, int(i));
        if (i + 1 == segments.size())
            break;

        const qint64 plannedEnd = plannedStart + qint64(segment.duration) * kStepMs;
        // Rounded down to whole milliseconds: the event loop wakes up a fraction later.
        const qint64 interval =
            std::max<qint64>(0, (plannedEnd * 1000000 - clock.nsecsElapsed()) / 1000000);
        m_preview_timer->setInterval(int(std::min<qint64>(interval, INT_MAX)));
        m_preview_timer->start();
        const int runsBefore = m_runs;
        if (!waitForTimer(self)) {
            if (!self)
                return;
            m_preview_timer->stop();
            aborted = true;
            break;
        }
        const qint64 lateMs = clock.elapsed() - plannedEnd;
        if (m_runs != runsBefore || lateMs > kStepMs) {
            // A preview played inside this one and cut the segment short, or a modal window
            // held the wait up: go on from now rather than flash the overdue segments.
            clock.restart();
            plannedStart = 0;
        } else {
            plannedStart = plannedEnd;
        }
    }

    ++m_runs;
    --m_depth;
    setHints(true);
    // The preview this one ran inside waits for the timer, which is now off: let it go on.
    if (!aborted && !m_waits.isEmpty() && !m_preview_timer->isActive())
        m_waits.last()->quit();
}

void PreviewArea::previewRow(const vz::BoxProgram& program, int page, int number, int ballTime) {
    run_preview(segmentsForRow(program, page, number, ballTime));
}

void PreviewArea::previewRow(const vz::ProgramDocument& document, int page, int number,
                             int ballTime) {
    previewRow(document.program(), page, number, ballTime);
}

void PreviewArea::playBoxRow(std::vector<RowChange> changes) {
    m_boxRow = std::move(changes);
    m_boxNext = 0;
    showBoxRowDue();
}

void PreviewArea::stopBoxRow() {
    m_boxTimer->stop();
    m_boxRow.clear();
    m_boxNext = 0;
    for (int slot = 1; slot <= kSlots; ++slot)
        showState(slot, SlotOff);
}

void PreviewArea::showBoxRowDue() {
    using namespace std::chrono;
    const qint64 nowNs = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    size_t due = m_boxNext;
    while (due < m_boxRow.size() && m_boxRow[due].tMs * 1000000 <= nowNs)
        ++due;
    if (due > m_boxNext) {
        const RowChange& c = m_boxRow[due - 1];
        for (int slot = 1; slot <= kSlots; ++slot)
            showState(slot, c.states[size_t(slot - 1)]);
        m_boxNext = due;
        emit boxRowShown(c.tMs);
    }
    // Rounded down: a wake-up a fraction early only comes round once more.
    if (m_boxNext < m_boxRow.size())
        m_boxTimer->start(int(
            std::clamp<qint64>((m_boxRow[m_boxNext].tMs * 1000000 - nowNs) / 1000000, 0, INT_MAX)));
}

void PreviewArea::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    // The flames keep their places until the count rule places them again.
    fitBackground();
}

void PreviewArea::fitBackground() {
    const int bgWidth = std::max(0, width() - 2 * kBackgroundX);
    m_bg->resize(bgWidth, kBackgroundHeight);
    m_firemodeWarning->resize(bgWidth, kBackgroundHeight);
}

} // namespace vz
