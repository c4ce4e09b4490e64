#include "fire/macro_run_view.h"

#include "base/ui_style.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace vz {

namespace {

const QColor kCurrent(0xff, 0xd2, 0x1f);
const QColor kCell(0x2a, 0x2a, 0x2a);
const QColor kDone(0x8a, 0x8a, 0x8a);
constexpr int kCellGap = 6;

QLabel* makeLabel(QWidget* parent, const QString& name, int pointSize, const QColor& color) {
    QLabel* label = ui::makeLabel(parent, name, QString(), pointSize, true, color);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

MacroRunView::MacroRunView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("firemode_macro_monitor"));
    ui::fillBackground(this, Qt::black);
    m_next = makeLabel(this, QStringLiteral("firemode_monitor_next_lbl"), 15, kCurrent);
    m_called = makeLabel(this, QStringLiteral("firemode_monitor_called_lbl"), 10, Qt::white);
    m_countdown = new QTimer(this);
    m_countdown->setInterval(kCountdownMs);
    connect(m_countdown, &QTimer::timeout, this, &MacroRunView::showCountdown);
    m_clock.start();
}

void MacroRunView::setContentRect(const QRect& rect) {
    m_content = rect;
    placeContents();
}

void MacroRunView::placeContents() {
    // Everything grows with the room it has; the block stands in the middle of it.
    const QRect c = m_content.isValid() ? m_content : rect();
    auto sized = [](QLabel* l, int px) {
        QFont f = l->font();
        f.setPixelSize(px);
        l->setFont(f);
        return QFontMetrics(f).height() + 4;
    };
    const int nextH = sized(m_next, std::clamp(c.height() / 7, 16, 36));
    const int calledH = sized(m_called, std::clamp(c.height() / 14, 12, 22));
    const int stripH =
        std::clamp(c.height() - nextH - calledH - 2 * kCellGap, 0, std::max(96, c.height() / 3));
    const int top =
        c.top() + std::max(0, (c.height() - stripH - nextH - calledH - 2 * kCellGap) / 2);
    m_strip = QRect(c.left() + 2 * kCellGap, top, std::max(0, c.width() - 4 * kCellGap), stripH);
    m_next->setGeometry(c.left(), m_strip.bottom() + 1 + kCellGap, c.width(), nextH);
    m_called->setGeometry(m_strip.left(), m_next->geometry().bottom() + 1 + kCellGap,
                          m_strip.width(), calledH);
    measureCells();
    showCalled();
    update();
}

void MacroRunView::measureCells() {
    // Once per run and size, not per repaint.
    m_captionFont = font();
    m_captionFont.setBold(true);
    m_captionFont.setPixelSize(std::clamp(m_strip.height() / 5, 11, 26));
    const QFontMetrics fm(m_captionFont);
    m_cellWidth = 0;
    for (const QString& t : m_texts)
        m_cellWidth = std::max(m_cellWidth, fm.horizontalAdvance(t));
    m_cellWidth += 20;
}

void MacroRunView::runStarted(int macroNumber, const Macro& macro) {
    m_monitor.start(macroNumber, macro);
    m_texts.clear();
    for (int i = 0; i < m_monitor.steps().size(); ++i)
        m_texts << m_monitor.stepText(i);
    measureCells();
    showCalled();
    update();
}

void MacroRunView::stepRan(int step) {
    m_monitor.stepRan(step);
    showCalled();
    showCountdown();
    update(m_strip);
}

void MacroRunView::nextStepDue(qint64 inMs) {
    m_monitor.nextStepDue(m_clock.elapsed() + inMs);
    showCountdown();
    if (!m_countdown->isActive())
        m_countdown->start();
}

void MacroRunView::runEnded() {
    m_monitor.end();
    m_countdown->stop();
}

void MacroRunView::showCountdown() {
    // Only a changed text repaints, and never just before a step is due: the step's own
    // report brings the text up to date right after it.
    const qint64 now = m_clock.elapsed();
    if (sender() == m_countdown && m_monitor.nextStepDueMs() - now < kQuietMs)
        return;
    const QString text = m_monitor.nextCallText(now);
    if (m_next->text() != text)
        m_next->setText(text);
}

void MacroRunView::showCalled() {
    m_called->setText(m_called->fontMetrics().elidedText(m_monitor.calledText(), Qt::ElideMiddle,
                                                         m_called->width()));
}

void MacroRunView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeContents();
}

void MacroRunView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    const int count = int(m_texts.size());
    if (count == 0 || m_strip.height() < 8)
        return;
    QPainter p(this);
    p.setClipRect(m_strip);
    QFont number = font();
    number.setPixelSize(std::max(9, m_captionFont.pixelSize() * 2 / 3));
    const int pitch = m_cellWidth + kCellGap;
    // Whole cells from the left edge, the step that ran last a quarter of the way along;
    // a strip shorter than the room stands in the middle.
    const int visible = std::max(1, (m_strip.width() + kCellGap) / pitch);
    const int first =
        std::clamp(m_monitor.current() - visible / 4, 0, std::max(0, count - visible));
    const int left = count <= visible
                         ? m_strip.left() + (m_strip.width() - (count * pitch - kCellGap)) / 2
                         : m_strip.left() - first * pitch;
    const int current = m_monitor.current();
    for (int i = 0; i < count; ++i) {
        const QRect cell(left + i * pitch, m_strip.top(), m_cellWidth, m_strip.height());
        if (cell.right() < m_strip.left() || cell.left() > m_strip.right())
            continue;
        const bool isCurrent = i == current;
        p.setPen(isCurrent ? QPen(Qt::white, 2) : QPen(QColor(0x55, 0x55, 0x55), 1));
        p.setBrush(isCurrent ? kCurrent : kCell);
        p.drawRoundedRect(QRectF(cell).adjusted(1, 1, -1, -1), 4, 4);
        const QColor text = isCurrent ? Qt::black : i < current ? kDone : Qt::white;
        p.setPen(text);
        const QRect top(cell.left(), cell.top() + 2, cell.width(), cell.height() / 3);
        p.setFont(number);
        p.drawText(top, Qt::AlignCenter, QString::number(i + 1));
        p.setFont(m_captionFont);
        p.drawText(cell.adjusted(0, cell.height() / 3, 0, 0), Qt::AlignCenter, m_texts[i]);
    }
}

} // namespace vz
