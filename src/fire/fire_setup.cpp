#include "fire/fire_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace vz {

FireSetupPage::FireSetupPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tab_fire_setup"));

    m_portGb = new QGroupBox(QStringLiteral("COM-Port"), this);
    m_portGb->setObjectName(QStringLiteral("firesetup_comport_gb"));
    m_portBtn = new QPushButton(QStringLiteral("COM-Port..."), m_portGb);
    m_portBtn->setObjectName(QStringLiteral("firesetup_comport_btn"));
    m_portBtn->setGeometry(12, 24, 120, 27);
    m_portLbl = new QLabel(m_portGb);
    m_portLbl->setObjectName(QStringLiteral("firemode_comport_lbl"));
    QFont bold = m_portLbl->font();
    bold.setBold(true);
    m_portLbl->setFont(bold);
    m_portLbl->setGeometry(144, 29, 200, 17);

    m_macroGb = new QGroupBox(QStringLiteral("Makros"), this);
    m_macroGb->setObjectName(QStringLiteral("firesetup_macro_gb"));
    m_select = new QComboBox(m_macroGb);
    m_select->setObjectName(QStringLiteral("firesetup_macro_select_cb"));
    m_select->setGeometry(12, 24, 130, 24);
    m_active = new QCheckBox(QStringLiteral("aktiv"), m_macroGb);
    m_active->setObjectName(QStringLiteral("firesetup_macro_active_cb"));
    m_active->setGeometry(156, 26, 140, 20);

    // Two rows: the running time and the step; the row headings stay in view while the
    // steps scroll.
    m_editor = new QTableWidget(2, 1, m_macroGb);
    m_editor->setObjectName(QStringLiteral("firesetup_macro_editor"));
    m_editor->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_editor->setSelectionMode(QAbstractItemView::NoSelection);
    m_editor->setFocusPolicy(Qt::NoFocus);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setVerticalHeaderLabels({QStringLiteral("Zeit"), QStringLiteral("Aktion")});
    m_editor->horizontalHeader()->hide();
    m_editor->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_editor->verticalHeader()->setMinimumSectionSize(10);
    m_editor->setRowHeight(0, 17);
    m_editor->setRowHeight(1, 44);
    m_editor->horizontalHeader()->setDefaultSectionSize(110);
    m_editor->setWordWrap(false);

    m_add = new QPushButton(QStringLiteral("Sequenz hinzufügen"), m_macroGb);
    m_add->setObjectName(QStringLiteral("firesetup_macro_add"));
    m_addPause = new QPushButton(QStringLiteral("Pause hinzufügen"), m_macroGb);
    m_addPause->setObjectName(QStringLiteral("firesetup_macro_addpause"));
    m_del = new QPushButton(QStringLiteral("Letzten Schritt löschen"), m_macroGb);
    m_del->setObjectName(QStringLiteral("firesetup_macro_del"));

    m_logLbl = new QLabel(QStringLiteral("Feuerprotokoll:"), this);
    m_logLbl->setObjectName(QStringLiteral("firesetup_log_lbl"));
    m_logPath = new QLabel(this);
    m_logPath->setObjectName(QStringLiteral("firesetup_log_path"));
    m_logPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_priorityLbl = new QLabel(QStringLiteral("Feuer-Thread:"), this);
    m_priorityLbl->setObjectName(QStringLiteral("firesetup_priority_lbl"));
    m_priority = new QLabel(this);
    m_priority->setObjectName(QStringLiteral("firesetup_priority"));
}

void FireSetupPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit shown();
}

void FireSetupPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    m_portGb->setGeometry(8, 8, w - 16, 62);
    m_macroGb->setGeometry(8, 78, w - 16, 184);
    const int gw = m_macroGb->width();
    // The grid: 2 rows of 17 and 44 pixels, the header line and the scroll bar.
    m_editor->setGeometry(12, 56, gw - 24, 17 + 44 + 4 + 18);
    const int bw = (gw - 24 - 16) / 3;
    m_add->setGeometry(12, 56 + 83 + 8, bw, 27);
    m_addPause->setGeometry(12 + bw + 8, 56 + 83 + 8, bw, 27);
    m_del->setGeometry(12 + 2 * (bw + 8), 56 + 83 + 8, bw, 27);
    // A fixed caption box: the caption comes from the language file after the layout.
    m_logLbl->setGeometry(16, 268, 110, 17);
    m_logPath->setGeometry(130, 268, w - 16 - 130, 17);
    m_priorityLbl->setGeometry(16, 286, 110, 17);
    m_priority->setGeometry(130, 286, w - 16 - 130, 17);
}

} // namespace vz
