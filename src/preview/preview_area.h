#pragma once

#include "preview/preview_engine.h"

#include <QGroupBox>
#include <QPointer>
#include <QVector>

#include <array>
#include <functional>

class QEventLoop;
class QLabel;
class QTimer;

namespace vz {

class PreviewPopup;

class ProgramDocument;

// The preview area at the top right of the main window: the flame row on its black
// background, the hidden holders of the three pictures, the fire mode warning and the
// player that shows a segment list at 20 ms per time step.
//
// Playing waits in a nested event loop, so the window stays usable and a preview started
// meanwhile plays inside the running one; the outer one then goes on at once with its next
// segment.
class PreviewArea : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kWidth = 555;
    static constexpr int kHeight = 70;
    static constexpr int kFlameWidth = 20;
    static constexpr int kFlameHeight = 50;
    static constexpr int kBackgroundX = 8;
    static constexpr int kBackgroundY = 13;
    static constexpr int kBackgroundWidth = 539;
    static constexpr int kBackgroundHeight = 51;

    explicit PreviewArea(QWidget* parent = nullptr);
    ~PreviewArea() override;

    QWidget* background() const { return m_bg; }
    QLabel* flame(int slot) const; // 1..16
    QLabel* firemodeWarning() const { return m_firemodeWarning; }
    QTimer* previewTimer() const { return m_preview_timer; }
    PreviewPopup* popup() const { return m_popup; }

    // The count rule for the flame row: spreads slots 1..count evenly over the background
    // and shows exactly those.
    void placeFlames(int count);

    // Called with false when a preview starts and true when it ends. Unset: the popup's
    // hint switch of the preview buttons.
    void setHintsHandler(std::function<void(bool)> handler);

    // Plays the list from first to last segment and returns with the last one on screen.
    void run_preview(vz::preview::SegmentList segments);
    // What a preview button does: the row's segments (page 0..8, tag N or V), then play.
    void previewRow(const vz::BoxProgram& program, int page, int number, int ballTime);
    void previewRow(const vz::ProgramDocument& document, int page, int number, int ballTime);

    // The row of a box under rehearsal: each change goes on screen at its time (steady clock,
    // ms since its epoch); of those already past, the latest shows at once. Replaces whatever
    // the row was showing. A timer paces it; nothing waits.
    void playBoxRow(std::vector<vz::preview::RowChange> changes);
    // The row dark; nothing more of the box shows.
    void stopBoxRow();
    bool isPlayingBoxRow() const { return m_boxNext < m_boxRow.size(); }

    bool isPlaying() const { return m_depth > 0; }
    int playingDepth() const { return m_depth; }
    // The state a slot shows (0 off, 1 ball, 2 flame).
    quint8 slotState(int slot) const;

public slots:
    void preview_timerTimer();

signals:
    // A segment went on screen: depth 1 for a preview, 2 for one started inside it, ...
    void segmentShown(int depth, int index);
    // A change of the box row went on screen; it was due at plannedMs (steady clock).
    void boxRowShown(qint64 plannedMs);
    void previewHintsChanged(bool on);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitBackground();
    void showState(int slot, quint8 state);
    void setHints(bool on);
    void showBoxRowDue();
    // False when the wait was ended from outside (application exit); the preview then stops.
    bool waitForTimer(QPointer<PreviewArea>& self);

    QWidget* m_bg = nullptr;
    std::array<QLabel*, vz::preview::kSlots> m_flames{};
    std::array<quint8, vz::preview::kSlots> m_states{};
    QLabel* m_imgAus = nullptr;
    QLabel* m_imgBall = nullptr;
    QLabel* m_imgAn = nullptr;
    QLabel* m_firemodeWarning = nullptr;
    QTimer* m_preview_timer = nullptr;
    PreviewPopup* m_popup = nullptr;

    std::function<void(bool)> m_hintsHandler;
    int m_depth = 0;
    int m_runs = 0;               // previews started so far
    QVector<QEventLoop*> m_waits; // innermost last

    std::vector<vz::preview::RowChange> m_boxRow;
    size_t m_boxNext = 0;
    QTimer* m_boxTimer = nullptr;
};

} // namespace vz
