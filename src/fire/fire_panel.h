#pragma once

#include <QHash>
#include <QWidget>

class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QTimer;

namespace vz {

class MacroRunView;

// The fire page: the black panel with one button per program and macro, the port labels,
// and behind the panel the labels of a running macro with its stop button.
// The page only shows and places; what a click does is the console's.
class FireModePage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kArmedBorder = 3;
    static constexpr int kSentFlashMs = 400;

    explicit FireModePage(QWidget* parent = nullptr);

    QWidget* panel() const { return m_panel; }
    // Fire button (family 0..9, number), nullptr when there is none.
    QPushButton* fireButton(int family, int number) const;
    QList<QPushButton*> fireButtons() const { return m_buttons; }
    QLabel* portLabel() const { return m_port; }
    QLabel* macroRunningLabel() const { return m_macroRunning; }
    QLabel* macroNrLabel() const { return m_macroNr; }
    QLabel* sentLabel() const { return m_sent; }
    // Across the top of the page, large: what is armed (route, speed, port, box).
    QLabel* armedLabel() const { return m_armedLbl; }
    // In the panel's place while a macro runs.
    MacroRunView* runView() const { return m_runView; }
    // Hidden while the fire log works; says once that it is off and why.
    QLabel* logOffLabel() const { return m_logOff; }
    QPushButton* stopButton() const { return m_stop; }
    QMenu* popup() const { return m_popup; }
    QAction* popupHotkey() const { return m_popupHotkey; }

    // The armed look: a red frame around the panel and what is armed above it (empty text
    // when nothing is). A rehearsal is framed in teal and shows its box's counts.
    void setArmed(bool armed, const QString& what = QString(), bool rehearsal = false);
    // What the rehearsal's box played and rejected.
    QLabel* rehearsalLabel() const { return m_rehearsal; }
    // Macro button captions from the language table ("M3").
    void applyMacroCaptions();
    bool isArmed() const { return m_armed; }
    // A macro runs: panel hidden, running labels and stop button in view.
    void setMacroRunning(bool running);
    // Visible feedback that a frame for this channel left the port: the buttons calling
    // it light up briefly and the panel says so.
    void showSent(int channel, bool macroCall);

public slots:
    // Places every button that is shown for the panel's current size.
    void firemode_panelResize();

signals:
    void shown();
    // A fire button was pressed with any mouse button (family, number).
    void buttonPressed(int family, int number);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeFixed();
    void clearFlash();

    QWidget* m_panel = nullptr;
    QList<QPushButton*> m_buttons;
    QHash<QString, QPushButton*> m_byName;
    QLabel* m_comPortLbl = nullptr;
    QLabel* m_port = nullptr;
    QLabel* m_sent = nullptr;
    QLabel* m_logOff = nullptr;
    QLabel* m_rehearsal = nullptr;
    QLabel* m_armedLbl = nullptr;
    MacroRunView* m_runView = nullptr;
    QLabel* m_macroRunning = nullptr;
    QLabel* m_macroNr = nullptr;
    QPushButton* m_stop = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_popupHotkey = nullptr;
    QTimer* m_flashTimer = nullptr;
    QList<QPushButton*> m_flashed;
    bool m_armed = false;
    QColor m_normalColor;
};

} // namespace vz
