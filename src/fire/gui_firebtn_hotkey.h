#pragma once

#include <QDialog>

class QLabel;

namespace vz {

// The small black window that captures one key for a fire button.
class Tfrm_firebtn_hotkey : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHoldMs = 1500;

    explicit Tfrm_firebtn_hotkey(QWidget* parent = nullptr);

    // The key to start from (the button's current key), -1 for none.
    void setKey(int key) { m_key = key; }
    int key() const { return m_key; }
    // How long the result stays on screen before the window closes.
    void setHoldMs(int ms) { m_holdMs = ms; }

    // Shows the window modally; returns the captured key, -1 for none.
    int capture(int currentKey);

public slots:
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormKeyPress(const QString& text);

    QLabel* m_label = nullptr;
    int m_key = -1;
    int m_holdMs = kHoldMs;
    bool m_done = false;
};

} // namespace vz
