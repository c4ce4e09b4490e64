#include "fire/gui_macroseq.h"

#include "fire/fire_texts.h"
#include "fire/macro_texts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace vz {

Tfrm_gui_macroseq::Tfrm_gui_macroseq(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_gui_macroseq"));
    setWindowTitle(QStringLiteral("Sequenz"));
    setFixedSize(233, 105);
    m_lbl = new QLabel(QStringLiteral("Kanal:"), this);
    m_lbl->setObjectName(QStringLiteral("macroseq_lbl"));
    m_lbl->setGeometry(12, 12, 209, 17);
    m_cb = new QComboBox(this);
    m_cb->setObjectName(QStringLiteral("macroseq_cb"));
    m_cb->setGeometry(12, 33, 209, 24);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btn_ok"));
    m_ok->setGeometry(12, 68, 100, 27);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("btn_cancel"));
    m_cancel->setGeometry(121, 68, 100, 27);
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_gui_macroseq::btn_okClick);
    connect(m_cancel, &QPushButton::clicked, this, &Tfrm_gui_macroseq::btn_cancelClick);
}

int Tfrm_gui_macroseq::choose(const vz::BoxProgram& program) {
    m_program = program;
    FormShow();
    exec();
    return m_result;
}

void Tfrm_gui_macroseq::FormShow() {
    vz::applyFireTexts(this);
    m_cb->clear();
    m_result = -1;
    for (int ch : vz::macroCallChoices(m_program))
        m_cb->addItem(QString::number(ch));
    m_cb->setCurrentIndex(0);
}

void Tfrm_gui_macroseq::btn_okClick() {
    bool ok = false;
    const int ch = m_cb->currentText().toInt(&ok);
    m_result = ok ? ch : -1;
    accept();
}

void Tfrm_gui_macroseq::btn_cancelClick() {
    m_result = -1;
    reject();
}

} // namespace vz
