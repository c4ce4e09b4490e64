#include "fire/gui_firelog.h"

#include "base/prompts.h"
#include "base/unit_service.h"
#include "fire/fire_texts.h"
#include "program/box_program.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTime>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace vz {

namespace {

constexpr int kMarkWidth = 3;
constexpr int kHoverPx = 4;
const QColor kRed(214, 32, 32);

// Tick steps of the axis in seconds; the first that leaves room for its label is taken.
constexpr int kTickSeconds[] = {1,   2,   5,    10,   15,   30,    60,    120,  300,
                                600, 900, 1800, 3600, 7200, 10800, 21600, 43200};

} // namespace

FireLogTimeline::FireLogTimeline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("firelog_timeline"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

QColor FireLogTimeline::sourceColor(FireLogSource source) {
    switch (source) {
    case FireLogSource::Button:
        return QColor(31, 104, 201);
    case FireLogSource::Hotkey:
        return QColor(30, 150, 70);
    case FireLogSource::Macro:
        return QColor(138, 63, 199);
    case FireLogSource::Vzctl:
        return QColor(122, 92, 46);
    case FireLogSource::Rehearsal:
        return QColor(20, 165, 185);
    case FireLogSource::Other:
        break;
    }
    return QColor(140, 140, 140);
}

QColor FireLogTimeline::bandColor(bool rehearsal) {
    return rehearsal ? QColor(20, 165, 185, 50) : QColor(255, 200, 80, 90);
}

void FireLogTimeline::paintMark(QPainter& painter, const QRect& rect, FireLogSource source,
                                FireLogOutcome outcome) {
    switch (outcome) {
    case FireLogOutcome::Written:
        painter.fillRect(rect, sourceColor(source));
        break;
    case FireLogOutcome::Failed:
        painter.fillRect(rect, kRed);
        break;
    case FireLogOutcome::Refused: // a cross: nothing went out
        painter.setPen(QPen(kRed, 1.5));
        painter.drawLine(rect.topLeft(), rect.bottomRight());
        painter.drawLine(rect.bottomLeft(), rect.topRight());
        break;
    case FireLogOutcome::Dropped: // an outline: planned, never sent
        painter.setPen(QPen(kRed, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        break;
    case FireLogOutcome::Other:
        painter.fillRect(rect, QColor(140, 140, 140));
        break;
    }
}

void FireLogTimeline::setDay(const FireLogDay* day) {
    m_day = day;
    m_rows.clear();
    m_rowOfChannel.fill(-1, kChannels + 1);
    m_hovered = -1;
    m_focus = -1;
    if (day) {
        for (int channel : day->channels) {
            m_rowOfChannel[channel] = int(m_rows.size());
            m_rows.append(QVector<int>());
        }
        for (int i = 0; i < day->marks.size(); ++i)
            m_rows[m_rowOfChannel[day->marks[i].channel]].append(i);
        // A clock set back during the day leaves the file out of time order.
        for (QVector<int>& row : m_rows)
            std::stable_sort(row.begin(), row.end(),
                             [day](int a, int b) { return day->marks[a].ms < day->marks[b].ms; });
        if (!day->marks.isEmpty())
            m_focus = day->marks.first().ms;
        else if (!day->bands.isEmpty())
            m_focus = day->bands.first().fromMs;
    }
    updateGeometry();
    update();
}

void FireLogTimeline::setRowTexts(const QString& channelFormat, const QString& events) {
    m_channelFormat = channelFormat;
    m_events = events;
    update();
}

void FireLogTimeline::setView(int startMs, int spanMs) {
    m_span = std::clamp(spanMs, 1000, FireLogDay::kDayMs);
    m_start = std::clamp(startMs, 0, FireLogDay::kDayMs - m_span);
    update();
}

int FireLogTimeline::xOf(int ms) const {
    const int w = std::max(1, width() - kLabelWidth - kRightMargin);
    return kLabelWidth + int(qint64(ms - m_start) * w / m_span);
}

int FireLogTimeline::msAt(int x) const {
    const int w = std::max(1, width() - kLabelWidth - kRightMargin);
    return std::clamp(m_start + int(qint64(x - kLabelWidth) * m_span / w), 0,
                      FireLogDay::kDayMs - 1);
}

int FireLogTimeline::rowTop(int channel) const {
    if (channel < 0 || channel >= m_rowOfChannel.size() || m_rowOfChannel[channel] < 0)
        return -1;
    return kAxisHeight + m_rowOfChannel[channel] * kRowHeight;
}

int FireLogTimeline::markAt(const QPoint& pos) const {
    const int row = pos.y() < kAxisHeight ? -1 : (pos.y() - kAxisHeight) / kRowHeight;
    if (!m_day || row < 0 || row >= m_rows.size() || pos.x() < kLabelWidth)
        return -1;
    const QVector<int>& marks = m_rows[row];
    // The marks within reach, by time; the nearest wins.
    const int from = msAt(pos.x() - kHoverPx);
    auto it = std::lower_bound(marks.begin(), marks.end(), from,
                               [this](int mark, int ms) { return m_day->marks[mark].ms < ms; });
    int best = -1;
    int bestDistance = kHoverPx + 1;
    for (; it != marks.end(); ++it) {
        const int distance = std::abs(xOf(m_day->marks[*it].ms) - pos.x());
        if (xOf(m_day->marks[*it].ms) > pos.x() + kHoverPx)
            break;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = *it;
        }
    }
    return best;
}

QSize FireLogTimeline::sizeHint() const {
    return {600, kAxisHeight + std::max(1, int(m_rows.size())) * kRowHeight + 4};
}

QSize FireLogTimeline::minimumSizeHint() const {
    return {kLabelWidth + 200, sizeHint().height()};
}

void FireLogTimeline::paintAxis(QPainter& painter) {
    const QFontMetrics metrics(font());
    const bool seconds = m_span <= 600 * 1000;
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 16;
    const int right = width() - kRightMargin;
    const int w = std::max(1, right - kLabelWidth);
    int step = kTickSeconds[std::size(kTickSeconds) - 1];
    for (int s : kTickSeconds)
        if (qint64(s) * 1000 * w / m_span >= labelWidth) {
            step = s;
            break;
        }
    const int stepMs = step * 1000;
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(kLabelWidth, kAxisHeight - 1, right, kAxisHeight - 1);
    int lastRight = 0;
    for (int ms = (m_start + stepMs - 1) / stepMs * stepMs; ms <= m_start + m_span; ms += stepMs) {
        const int x = xOf(ms);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(x, kAxisHeight, x, height());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawLine(x, kAxisHeight - 5, x, kAxisHeight - 1);
        // Kept inside the axis at its ends, where it gives way to its neighbour.
        const int left = std::clamp(x - labelWidth / 2, kLabelWidth, right - labelWidth);
        if (ms == FireLogDay::kDayMs || left < lastRight)
            continue;
        lastRight = left + labelWidth;
        const QString text = QTime(0, 0).addMSecs(ms).toString(seconds ? QStringLiteral("HH:mm:ss")
                                                                       : QStringLiteral("HH:mm"));
        painter.drawText(QRect(left, 0, labelWidth, kAxisHeight - 5),
                         Qt::AlignHCenter | Qt::AlignBottom, text);
    }
}

void FireLogTimeline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int right = width() - kRightMargin;
    // Every other row shaded, so a mark can be followed to its label.
    for (int row = 0; row < m_rows.size(); ++row)
        if (row % 2)
            painter.fillRect(0, kAxisHeight + row * kRowHeight, width(), kRowHeight,
                             palette().color(QPalette::AlternateBase));
    painter.save();
    painter.setClipRect(kLabelWidth, 0, right - kLabelWidth + 1, height());
    if (m_day)
        for (const FireLogBand& band : m_day->bands) {
            if (band.toMs < m_start || band.fromMs > m_start + m_span)
                continue;
            const int x0 = xOf(band.fromMs);
            const int x1 = std::max(x0 + 1, xOf(band.toMs));
            painter.fillRect(x0, kAxisHeight, x1 - x0, height() - kAxisHeight,
                             bandColor(band.rehearsal));
        }
    paintAxis(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < m_rows.size(); ++row) {
        const int top = kAxisHeight + row * kRowHeight;
        for (int i : m_rows[row]) {
            const FireLogMark& mark = m_day->marks[i];
            if (mark.ms < m_start - m_span / 100 || mark.ms > m_start + m_span + m_span / 100)
                continue;
            const QRect rect(xOf(mark.ms) - kMarkWidth / 2, top + 3, kMarkWidth, kRowHeight - 6);
            paintMark(painter, rect, mark.source, mark.outcome);
        }
    }
    if (m_hovered >= 0) {
        const FireLogMark& mark = m_day->marks[m_hovered];
        painter.setPen(QPen(palette().color(QPalette::Text), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(xOf(mark.ms) - kMarkWidth / 2 - 2, rowTop(mark.channel) + 1,
                               kMarkWidth + 3, kRowHeight - 3));
    }
    painter.restore();
    painter.setPen(palette().color(QPalette::Text));
    for (int channel = 0; channel < m_rowOfChannel.size(); ++channel)
        if (m_rowOfChannel[channel] >= 0)
            painter.drawText(QRect(4, rowTop(channel), kLabelWidth - 8, kRowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             channel == 0 ? m_events : m_channelFormat.arg(channel));
}

void FireLogTimeline::mouseMoveEvent(QMouseEvent* event) {
    const int mark = markAt(event->position().toPoint());
    if (mark == m_hovered)
        return;
    m_hovered = mark;
    update();
    const QString line = mark >= 0 ? m_day->lineText(m_day->marks[mark]) : QString();
    if (line.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), line, this);
    emit hovered(line);
}

void FireLogTimeline::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || event->position().x() < kLabelWidth)
        return;
    // A mark clicked is kept in view exactly, whatever a pixel of the day stands for.
    const int mark = markAt(event->position().toPoint());
    m_focus = mark >= 0 ? m_day->marks[mark].ms : msAt(event->position().toPoint().x());
    emit focused(m_focus);
}

void FireLogTimeline::leaveEvent(QEvent*) {
    if (m_hovered < 0)
        return;
    m_hovered = -1;
    update();
    emit hovered(QString());
}

using vz::FireLogTimeline;

Tfrm_gui_firelog::Tfrm_gui_firelog(Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts) {
    setObjectName(QStringLiteral("frm_gui_firelog"));
    setWindowTitle(QStringLiteral("Fire log"));
    resize(780, 480);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    m_dayLbl = new QLabel(QStringLiteral("firelog_day_lbl"), this);
    m_dayLbl->setObjectName(QStringLiteral("firelog_day_lbl"));
    m_dayCb = new QComboBox(this);
    m_dayCb->setObjectName(QStringLiteral("firelog_day_cb"));
    m_dayCb->setMinimumContentsLength(16);
    m_zoomLbl = new QLabel(QStringLiteral("firelog_zoom_lbl"), this);
    m_zoomLbl->setObjectName(QStringLiteral("firelog_zoom_lbl"));
    m_zoomCb = new QComboBox(this);
    m_zoomCb->setObjectName(QStringLiteral("firelog_zoom_cb"));
    m_zoomCb->setMinimumContentsLength(12);
    m_export = new QPushButton(QStringLiteral("firelog_export_btn"), this);
    m_export->setObjectName(QStringLiteral("firelog_export_btn"));
    top->addWidget(m_dayLbl);
    top->addWidget(m_dayCb);
    top->addSpacing(16);
    top->addWidget(m_zoomLbl);
    top->addWidget(m_zoomCb);
    top->addStretch(1);
    top->addWidget(m_export);
    layout->addLayout(top);

    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("firelog_info"));
    m_info->setWordWrap(true);
    layout->addWidget(m_info);

    m_timeline = new FireLogTimeline(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("firelog_scroll"));
    m_scroll->setWidget(m_timeline);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_scroll, 1);

    m_time = new QScrollBar(Qt::Horizontal, this);
    m_time->setObjectName(QStringLiteral("firelog_time_sb"));
    layout->addWidget(m_time);

    m_legend = createLegend();
    layout->addWidget(m_legend);

    m_line = new QLabel(this);
    m_line->setObjectName(QStringLiteral("firelog_line"));
    m_line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSizeF(font().pointSizeF());
    m_line->setFont(mono);
    m_line->setMinimumHeight(m_line->fontMetrics().height() + 4);
    layout->addWidget(m_line);

    auto* bottom = new QHBoxLayout;
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("btn_close"));
    bottom->addStretch(1);
    bottom->addWidget(m_close);
    layout->addLayout(bottom);

    connect(m_dayCb, &QComboBox::activated, this, &Tfrm_gui_firelog::firelog_day_cbChange);
    connect(m_zoomCb, &QComboBox::activated, this, &Tfrm_gui_firelog::firelog_zoom_cbChange);
    connect(m_time, &QScrollBar::valueChanged, this, &Tfrm_gui_firelog::firelog_time_sbChange);
    connect(m_export, &QPushButton::clicked, this, &Tfrm_gui_firelog::firelog_export_btnClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_timeline, &FireLogTimeline::hovered, m_line, &QLabel::setText);
    // A click chooses the moment the next zoom keeps in view.
    connect(m_timeline, &FireLogTimeline::focused, this,
            [this] { firelog_zoom_cbChange(m_zoomCb->currentIndex()); });
}

QWidget* Tfrm_gui_firelog::createLegend() {
    using Source = vz::FireLogSource;
    using Outcome = vz::FireLogOutcome;
    struct Entry {
        const char* name;
        Source source;
        Outcome outcome;
        int band; // 0: a mark, 1: fire mode, 2: rehearsal
    };
    static const Entry entries[] = {
        {"firelog_legend_button", Source::Button, Outcome::Written, 0},
        {"firelog_legend_hotkey", Source::Hotkey, Outcome::Written, 0},
        {"firelog_legend_macro", Source::Macro, Outcome::Written, 0},
        {"firelog_legend_vzctl", Source::Vzctl, Outcome::Written, 0},
        {"firelog_legend_rehearsal", Source::Rehearsal, Outcome::Written, 0},
        {"firelog_legend_failed", Source::Other, Outcome::Failed, 0},
        {"firelog_legend_refused", Source::Other, Outcome::Refused, 0},
        {"firelog_legend_dropped", Source::Other, Outcome::Dropped, 0},
        {"firelog_legend_firemode", Source::Other, Outcome::Other, 1},
        {"firelog_legend_rehearsalmode", Source::Other, Outcome::Other, 2},
    };
    auto* legend = new QWidget(this);
    legend->setObjectName(QStringLiteral("firelog_legend"));
    auto* grid = new QGridLayout(legend);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    constexpr int kPerRow = 5;
    int i = 0;
    for (const Entry& e : entries) {
        QPixmap swatch(14, FireLogTimeline::kRowHeight);
        swatch.fill(Qt::transparent);
        {
            QPainter painter(&swatch);
            painter.setRenderHint(QPainter::Antialiasing);
            if (e.band > 0)
                painter.fillRect(swatch.rect(), FireLogTimeline::bandColor(e.band == 2));
            else
                FireLogTimeline::paintMark(painter, QRect(5, 3, 4, swatch.height() - 6), e.source,
                                           e.outcome);
        }
        auto* picture = new QLabel(legend);
        picture->setPixmap(swatch);
        auto* text = new QLabel(QString::fromLatin1(e.name), legend);
        text->setObjectName(QString::fromLatin1(e.name));
        grid->addWidget(picture, i / kPerRow, 2 * (i % kPerRow));
        grid->addWidget(text, i / kPerRow, 2 * (i % kPerRow) + 1);
        ++i;
    }
    grid->setColumnStretch(2 * kPerRow, 1);
    return legend;
}

void Tfrm_gui_firelog::FormShow() {
    vz::applyFireTexts(this);
    const int zoom = std::max(0, m_zoomCb->currentIndex());
    m_zoomCb->clear();
    for (const char* key :
         {"firelog_zoom_day", "firelog_zoom_hour", "firelog_zoom_10min", "firelog_zoom_minute"})
        m_zoomCb->addItem(get_text(QString::fromLatin1(key)));
    m_zoomCb->setCurrentIndex(zoom);
    m_timeline->setRowTexts(get_text(QStringLiteral("firelog_row_channel")),
                            get_text(QStringLiteral("firelog_row_events")));
    m_line->setText(QString());
}

void Tfrm_gui_firelog::showFolder(const QString& folder, QDate today) {
    m_folder = folder;
    m_today = today;
    FormShow();
    QList<QDate> days = vz::fireLogDays(folder);
    if (!days.contains(today))
        days.prepend(today);
    m_dayCb->clear();
    for (QDate day : days)
        m_dayCb->addItem(
            day == today ? get_text(QStringLiteral("firelog_today")).arg(day.toString(Qt::ISODate))
                         : day.toString(Qt::ISODate),
            day);
    m_dayCb->setCurrentIndex(int(days.indexOf(today)));
    loadDay(today);
    show();
    raise();
    activateWindow();
}

void Tfrm_gui_firelog::loadDay(QDate day) {
    QString error;
    if (!vz::readFireLogFile(QDir(m_folder).filePath(vz::fireLogFileName(day)), day, &m_day,
                             &error))
        m_day = vz::parseFireLog({}, day);
    m_timeline->setDay(&m_day);
    m_line->setText(QString());
    showInfo(error);
    firelog_zoom_cbChange(m_zoomCb->currentIndex());
}

void Tfrm_gui_firelog::showInfo(const QString& error) {
    QStringList parts;
    if (!error.isEmpty())
        parts << get_text(QStringLiteral("firelog_read_error")) + QLatin1Char(' ') + error;
    else if (m_day.lines == 0)
        parts << get_text(QStringLiteral("firelog_empty"));
    else
        parts << get_text(QStringLiteral("firelog_lines"))
                     .arg(m_day.lines - m_day.skipped)
                     .arg(m_day.marks.size());
    if (m_day.skipped > 0)
        parts << get_text(QStringLiteral("firelog_skipped")).arg(m_day.skipped);
    if (m_day.truncated)
        parts << get_text(QStringLiteral("firelog_truncated"));
    m_info->setText(parts.join(QLatin1Char(' ')));
}

void Tfrm_gui_firelog::firelog_day_cbChange(int index) {
    const QDate day = m_dayCb->itemData(index).toDate();
    if (day.isValid())
        loadDay(day);
}

void Tfrm_gui_firelog::firelog_zoom_cbChange(int index) {
    const int seconds = kZoomSeconds[std::clamp(index, 0, int(std::size(kZoomSeconds)) - 1)];
    const int dayS = vz::FireLogDay::kDayMs / 1000;
    // The moment last clicked (or the first mark) stays in view, in the middle.
    const int focus = m_timeline->focusMs() < 0 ? 0 : m_timeline->focusMs() / 1000;
    const QSignalBlocker block(m_time);
    m_time->setRange(0, dayS - seconds);
    m_time->setPageStep(seconds);
    m_time->setSingleStep(std::max(1, seconds / 10));
    m_time->setValue(std::clamp(focus - seconds / 2, 0, dayS - seconds));
    m_time->setEnabled(seconds < dayS);
    m_timeline->setView(m_time->value() * 1000, seconds * 1000);
}

void Tfrm_gui_firelog::firelog_time_sbChange(int seconds) {
    m_timeline->setView(seconds * 1000, m_timeline->viewSpan());
}

QImage Tfrm_gui_firelog::picture() {
    const QString title = windowTitle() + QStringLiteral("  ") + m_day.day.toString(Qt::ISODate);
    const int titleHeight = m_timeline->fontMetrics().height() + 8;
    // All rows, also those scrolled out of view.
    const QSize timeline(m_timeline->width(), m_timeline->sizeHint().height());
    const int width = std::max(timeline.width(), m_legend->width());
    QImage image(width, titleHeight + timeline.height() + m_legend->height() + 6,
                 QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(6, 0, width - 12, titleHeight), Qt::AlignLeft | Qt::AlignVCenter, title);
    m_timeline->render(&painter, QPoint(0, titleHeight), QRegion(QRect(QPoint(), timeline)));
    m_legend->render(&painter, QPoint(0, titleHeight + timeline.height() + 4));
    return image;
}

void Tfrm_gui_firelog::firelog_export_btnClick() {
    QString path =
        m_prompts.saveFileName(this, get_text(QStringLiteral("png_filter")), QStringLiteral("png"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    if (QFileInfo::exists(path) &&
        m_prompts.confirm(this, get_text(QStringLiteral("msg_overwrite"))) != Prompts::Answer::Yes)
        return;
    if (!picture().save(path, "PNG"))
        m_prompts.error(this, get_text(QStringLiteral("msg_errorexportpng")) +
                                  QStringLiteral("\n\r") + QDir::toNativeSeparators(path));
}

} // namespace vz
