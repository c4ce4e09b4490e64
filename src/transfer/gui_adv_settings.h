#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vz {

// The advanced settings: the ball time of the preview and the box mode. Edits the main
// window's settings record (shared by reference) and writes both keys on OK; Cancel stores
// nothing. The main window applies the box mode to its box-number controls afterwards.
class Tfrm_gui_adv_settings : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBallMin = 1;
    static constexpr int kBallMax = 255;
    static constexpr int kBallStart = 5; // position before the first opening sets one

    // ball: [adv] ball, boxMode: [misc] new_boxmode, both the main window's.
    Tfrm_gui_adv_settings(const QString& settingsPath, int& ball, int& boxMode,
                          QWidget* parent = nullptr);

    // Sets ball_ud's position as the opening does: a value outside 1..255 is refused and the
    // position stays. Returns whether the position now is value.
    bool setBallPosition(int value);
    int ballPosition() const;
    // While the console is armed the box mode stays as it is: it decides the box of macro calls.
    void setBoxModeLocked(bool locked);

public slots:
    void FormShow();
    // The change check of ball_ud: true when the new value is allowed (ball_edit then shows
    // its time).
    bool ball_udChangingEx(int newValue);
    void btn_okClick();
    void btn_cancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_settingsPath;
    int& m_ball;
    int& m_boxMode;

    QLabel* adv_settings_ball_lbl = nullptr;
    QLineEdit* ball_edit = nullptr;
    QSpinBox* ball_ud = nullptr;
    QLabel* adv_settings_boxmode_lbl = nullptr;
    QComboBox* boxmode_cb = nullptr;
    QPushButton* btn_ok = nullptr;
    QPushButton* btn_cancel = nullptr;
};

} // namespace vz
