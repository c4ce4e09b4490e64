#include "program/box_header.h"

#include "base/ui_style.h"
#include "program/program_document.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace vz {

namespace {

QLabel* caption(QWidget* parent, const QString& name, int x, int y) {
    return ui::placeLabel(parent, name, name, x, y);
}

QComboBox* list(QWidget* parent, const QString& name, int y) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(false);
    box->setMaxVisibleItems(16);
    box->setGeometry(120, y, 49, 21);
    return box;
}

} // namespace

BoxHeader::BoxHeader(QWidget* client, ProgramDocument& document)
    : QObject(client), m_document(document) {
    caption(client, QStringLiteral("box_nr_lbl"), 4, 16);
    m_boxNrCb = list(client, QStringLiteral("box_nr_cb"), 12);
    connect(m_boxNrCb, &QComboBox::activated, this, &BoxHeader::box_nr_cbChange);

    m_boxNrCblbl = new QLabel(client);
    m_boxNrCblbl->setObjectName(QStringLiteral("box_nr_cblbl"));
    QFont big = client->font();
    big.setBold(true);
    big.setPointSize(12);
    m_boxNrCblbl->setFont(big);
    m_boxNrCblbl->setGeometry(121, 12, 48, 20);

    caption(client, QStringLiteral("gasmod_count_lbl"), 4, 44);
    m_gasmodCountCb = list(client, QStringLiteral("gasmod_count_cb"), 40);
    connect(m_gasmodCountCb, &QComboBox::activated, this, &BoxHeader::gasmod_count_cbChange);

    connect(&m_document, &ProgramDocument::moduleCountChanged, this,
            [this](int, int) { showModuleCount(); });
    connect(&m_document, &ProgramDocument::boxNrChanged, this, [this](int) { showBoxNumber(); });
}

void BoxHeader::fillLists() {
    QStringList counts;
    for (int c = 1; c <= kModules; ++c)
        counts << QString::number(c);
    m_gasmodCountCb->addItems(counts);
    QStringList boxes;
    for (int b = 1; b <= m_document.maxBox(); ++b)
        boxes << QString::number(b);
    m_boxNrCb->addItems(boxes);
}

void BoxHeader::setArmed(bool armed) {
    m_gasmodCountCb->setEnabled(!armed);
    m_boxNrCb->setEnabled(!armed);
}

void BoxHeader::gasmod_count_cbChange(int position) {
    if (!m_document.setModuleCountPosition(position))
        showModuleCount();
}

void BoxHeader::box_nr_cbChange(int position) {
    if (!m_document.setBoxNr(position))
        showBoxNumber();
}

void BoxHeader::showModuleCount() {
    const int position = m_document.program().gasmodCount;
    if (m_gasmodCountCb->currentIndex() != position) {
        const QSignalBlocker block(m_gasmodCountCb);
        m_gasmodCountCb->setCurrentIndex(position);
    }
    showBoxNumber();
}

void BoxHeader::showBoxNumber() {
    const BoxProgram& p = m_document.program();
    const int position = p.boxNr < m_boxNrCb->count() ? p.boxNr : -1;
    if (m_boxNrCb->currentIndex() != position) {
        const QSignalBlocker block(m_boxNrCb);
        m_boxNrCb->setCurrentIndex(position);
    }
    if (m_document.boxMode() != 1)
        m_boxNrCblbl->setText(QString::number(30 + p.moduleCount()));
}

void BoxHeader::apply_boxmode() {
    const bool showList = m_document.boxMode() == 1 || m_boxListForced;
    m_boxNrCb->setVisible(showList);
    m_boxNrCblbl->setVisible(!showList);
    showBoxNumber();
}

void BoxHeader::setBoxListForced(bool forced) {
    m_boxListForced = forced;
    apply_boxmode();
}

} // namespace vz
