#include "transfer/gui_adv_settings.h"

#include "base/settings.h"
#include "base/unit_service.h"
#include "base/unit_service_gui.h"
#include "program/box_program.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

namespace vz {

Tfrm_gui_adv_settings::Tfrm_gui_adv_settings(const QString& settingsPath, int& ball, int& boxMode,
                                             QWidget* parent)
    : QDialog(parent), m_settingsPath(settingsPath), m_ball(ball), m_boxMode(boxMode) {
    setObjectName(QStringLiteral("frm_gui_adv_settings"));
    setWindowTitle(objectName());
    setWindowFlag(Qt::Tool);
    setFixedSize(330, 160);

    adv_settings_ball_lbl = new QLabel(QStringLiteral("adv_settings_ball_lbl"), this);
    adv_settings_ball_lbl->setObjectName(QStringLiteral("adv_settings_ball_lbl"));
    adv_settings_ball_lbl->setGeometry(8, 8, 314, 16);

    ball_edit = new QLineEdit(this);
    ball_edit->setObjectName(QStringLiteral("ball_edit"));
    ball_edit->setReadOnly(true);
    ball_edit->setGeometry(8, 28, 80, 24);

    ball_ud = new QSpinBox(this);
    ball_ud->setObjectName(QStringLiteral("ball_ud"));
    ball_ud->setRange(kBallMin, kBallMax);
    ball_ud->setSingleStep(1);
    ball_ud->setValue(kBallStart);
    ball_ud->setGeometry(94, 28, 64, 24);

    adv_settings_boxmode_lbl = new QLabel(QStringLiteral("adv_settings_boxmode_lbl"), this);
    adv_settings_boxmode_lbl->setObjectName(QStringLiteral("adv_settings_boxmode_lbl"));
    adv_settings_boxmode_lbl->setWordWrap(true);
    adv_settings_boxmode_lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    adv_settings_boxmode_lbl->setGeometry(8, 62, 314, 32);

    boxmode_cb = new QComboBox(this);
    boxmode_cb->setObjectName(QStringLiteral("boxmode_cb"));
    boxmode_cb->setEditable(false);
    boxmode_cb->setGeometry(8, 96, 314, 24);

    btn_ok = new QPushButton(QStringLiteral("btn_ok"), this);
    btn_ok->setObjectName(QStringLiteral("btn_ok"));
    btn_ok->setGeometry(146, 128, 85, 25);
    btn_ok->setDefault(true);
    btn_cancel = new QPushButton(QStringLiteral("btn_cancel"), this);
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    btn_cancel->setGeometry(237, 128, 85, 25);

    ball_udChangingEx(ball_ud->value());
    // Operator changes never leave the range; the check shows the time.
    connect(ball_ud, qOverload<int>(&QSpinBox::valueChanged), this,
            &Tfrm_gui_adv_settings::ball_udChangingEx);
    connect(btn_ok, &QPushButton::clicked, this, &Tfrm_gui_adv_settings::btn_okClick);
    connect(btn_cancel, &QPushButton::clicked, this, &Tfrm_gui_adv_settings::btn_cancelClick);
}

bool Tfrm_gui_adv_settings::setBallPosition(int value) {
    if (value == ball_ud->value())
        return true;
    if (!ball_udChangingEx(value))
        return false;
    ball_ud->setValue(value);
    return true;
}

void Tfrm_gui_adv_settings::setBoxModeLocked(bool locked) {
    boxmode_cb->setEnabled(!locked);
}

int Tfrm_gui_adv_settings::ballPosition() const {
    return ball_ud->value();
}

bool Tfrm_gui_adv_settings::ball_udChangingEx(int newValue) {
    // QSpinBox would clamp; an out-of-range value is refused instead.
    if (newValue < kBallMin || newValue > kBallMax)
        return false;
    ball_edit->setText(vz::formatTime(newValue));
    return true;
}

void Tfrm_gui_adv_settings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tfrm_gui_adv_settings::FormShow() {
    apply_texts(this);
    boxmode_cb->clear();
    boxmode_cb->addItem(get_text(QStringLiteral("boxmode_cb_0")));
    boxmode_cb->addItem(get_text(QStringLiteral("boxmode_cb_1")));
    // Only 1 is box mode 1 anywhere in the program; every other value is box mode 0.
    boxmode_cb->setCurrentIndex(m_boxMode == 1 ? 1 : 0);
    const QString hint = get_text(QStringLiteral("hint_boxmode"));
    adv_settings_boxmode_lbl->setToolTip(hint);
    boxmode_cb->setToolTip(hint);
    ball_edit->setText(vz::formatTime(ball_ud->value()));
}

void Tfrm_gui_adv_settings::btn_okClick() {
    m_ball = ball_ud->value();
    m_boxMode = boxmode_cb->currentIndex() == 1 ? 1 : 0;
    SettingsFile::writeBall(m_settingsPath, m_ball);
    SettingsFile::writeBoxmode(m_settingsPath, m_boxMode);
    accept();
}

void Tfrm_gui_adv_settings::btn_cancelClick() {
    reject();
}

} // namespace vz
