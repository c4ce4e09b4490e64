#include "app/unit_language.h"

#include "base/data_folder.h"
#include "base/ui_style.h"
#include "base/unit_service_gui.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>

namespace vz {

Tfrm_language::Tfrm_language(const DataFolder& folder, Loader loader, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_loader(std::move(loader)) {
    setObjectName(QStringLiteral("frm_language"));
    setWindowTitle(objectName());
    setFont(vz::ui::windowFont());
    setModal(true);
    setFixedSize(196, 72);

    m_drop = new QComboBox(this);
    m_drop->setObjectName(QStringLiteral("language_drop"));
    m_drop->setEditable(false);
    m_drop->setGeometry(8, 8, 180, 21);

    m_ok = new QPushButton(QStringLiteral("btn_ok"), this);
    m_ok->setObjectName(QStringLiteral("btn_ok"));
    m_ok->setGeometry(8, 40, 86, 25);
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);

    m_cancel = new QPushButton(QStringLiteral("btn_cancel"), this);
    m_cancel->setObjectName(QStringLiteral("btn_cancel"));
    m_cancel->setGeometry(102, 40, 86, 25);
    m_cancel->setAutoDefault(false);

    connect(m_ok, &QPushButton::clicked, this, &Tfrm_language::btn_okClick);
    connect(m_cancel, &QPushButton::clicked, this, &Tfrm_language::btn_cancelClick);

    // The list is read once: languages added while the program runs appear at the next start.
    m_drop->addItems(folder.languageNames());
    if (m_drop->count() > 0)
        m_drop->setCurrentIndex(0);
}

void Tfrm_language::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        const QRect frame = parentWidget()->window()->geometry();
        move(frame.center() - rect().center());
    }
    FormShow();
}

void Tfrm_language::FormShow() {
    apply_texts(this);
    m_drop->setFocus();
}

void Tfrm_language::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        btn_okClick();
        return;
    case Qt::Key_Escape:
        btn_cancelClick();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Tfrm_language::btn_okClick() {
    if (m_drop->currentIndex() >= 0 && m_loader)
        m_loader(m_drop->currentText());
    accept();
}

void Tfrm_language::btn_cancelClick() {
    reject();
}

} // namespace vz
