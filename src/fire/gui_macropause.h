#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vz {

// Picks the length of a macro pause, in hundredths of a second.
class Tfrm_gui_macropause : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStep = 2;
    static constexpr int kCtrlStep = 100;
    static constexpr int kStart = 20;

    explicit Tfrm_gui_macropause(QWidget* parent = nullptr);

    // Shows the dialog modally; the pause, or -1 when cancelled.
    int choose();
    int result() const { return m_result; }

public slots:
    void FormShow();
    void macropause_udChangingEx(int value);
    void btn_okClick();
    void btn_cancelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void FormKeyDown(Qt::KeyboardModifiers modifiers);
    void FormKeyUp(Qt::KeyboardModifiers modifiers);

    QLabel* m_lbl = nullptr;
    QLabel* m_lbl2 = nullptr;
    QLineEdit* m_edit = nullptr;
    QSpinBox* m_ud = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_result = -1;
};

} // namespace vz
