#pragma once

#include "program/box_program.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace vz {

// Picks the channel a macro step calls.
class Tfrm_gui_macroseq : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_gui_macroseq(QWidget* parent = nullptr);

    // Fills the list from the program and shows the dialog modally; the chosen channel,
    // or -1 when cancelled.
    int choose(const vz::BoxProgram& program);
    int result() const { return m_result; }

public slots:
    void FormShow();
    void btn_okClick();
    void btn_cancelClick();

private:
    QLabel* m_lbl = nullptr;
    QComboBox* m_cb = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    vz::BoxProgram m_program;
    int m_result = -1;
};

} // namespace vz
