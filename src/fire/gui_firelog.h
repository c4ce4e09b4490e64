#pragma once

#include "fire/fire_log_reader.h"

#include <QDialog>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QScrollBar;

namespace vz {

class Prompts;

// The day's marks on a time axis: one row per channel (the row of channel 0 holds the lines
// without one), fire mode as bands behind them, the time from viewStart over viewSpan.
class FireLogTimeline : public QWidget {
    Q_OBJECT
public:
    static constexpr int kAxisHeight = 22;
    static constexpr int kRowHeight = 18;
    static constexpr int kLabelWidth = 78;
    static constexpr int kRightMargin = 10;

    explicit FireLogTimeline(QWidget* parent = nullptr);

    // Lays the day out in rows; the day must outlive the view or be set again.
    void setDay(const FireLogDay* day);
    void setRowTexts(const QString& channelFormat, const QString& events);
    void setView(int startMs, int spanMs);
    int viewStart() const { return m_start; }
    int viewSpan() const { return m_span; }
    int focusMs() const { return m_focus; }

    int xOf(int ms) const;
    int msAt(int x) const;
    // Top of a channel's row, -1 when it has none.
    int rowTop(int channel) const;
    // The mark under a point (index into the day's marks), or -1.
    int markAt(const QPoint& pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static QColor sourceColor(FireLogSource source);
    static void paintMark(QPainter& painter, const QRect& rect, FireLogSource source,
                          FireLogOutcome outcome);
    static QColor bandColor(bool rehearsal);

signals:
    // The line of the mark under the mouse; empty when it left the marks.
    void hovered(const QString& line);
    // A click on the time axis or the rows, for the zoom to keep that moment in view.
    void focused(int ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void paintAxis(QPainter& painter);

    const FireLogDay* m_day = nullptr;
    QVector<QVector<int>> m_rows; // mark indices of each row, by time
    QVector<int> m_rowOfChannel;  // channel 0..kChannels -> row, -1
    QString m_channelFormat = QStringLiteral("%1");
    QString m_events;
    int m_start = 0;
    int m_span = FireLogDay::kDayMs;
    int m_focus = -1;
    int m_hovered = -1;
};

// The fire log of a day as a picture: the day chooser, the zoom, the timeline with its legend,
// the line of the mark under the mouse, and the export of the picture as PNG.
class Tfrm_gui_firelog : public QDialog {
    Q_OBJECT
public:
    // The zoom choices, in seconds shown.
    static constexpr int kZoomSeconds[] = {24 * 3600, 3600, 600, 60};
    static constexpr int kZoomDay = 0;
    static constexpr int kZoomMinute = 3;

    Tfrm_gui_firelog(Prompts& prompts, QWidget* parent = nullptr);

    // Shows the log of today in folder, its earlier days in the chooser; reads the file afresh.
    void showFolder(const QString& folder, QDate today = QDate::currentDate());
    // The picture the export writes.
    QImage picture();

    const vz::FireLogDay& day() const { return m_day; }
    vz::FireLogTimeline* timeline() const { return m_timeline; }

public slots:
    void FormShow();
    void firelog_day_cbChange(int index);
    void firelog_zoom_cbChange(int index);
    void firelog_time_sbChange(int seconds);
    void firelog_export_btnClick();

private:
    void loadDay(QDate day);
    void showInfo(const QString& error);
    QWidget* createLegend();

    Prompts& m_prompts;
    QString m_folder;
    QDate m_today;
    vz::FireLogDay m_day;
    QLabel* m_dayLbl = nullptr;
    QComboBox* m_dayCb = nullptr;
    QLabel* m_zoomLbl = nullptr;
    QComboBox* m_zoomCb = nullptr;
    QPushButton* m_export = nullptr;
    QLabel* m_info = nullptr;
    QScrollArea* m_scroll = nullptr;
    vz::FireLogTimeline* m_timeline = nullptr;
    QScrollBar* m_time = nullptr;
    QWidget* m_legend = nullptr;
    QLabel* m_line = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace vz
