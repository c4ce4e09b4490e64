#include "fire/gui_macropause.h"

#include "fire/fire_texts.h"
#include "fire/macro_checks.h"
#include "program/box_program.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace vz {

namespace {
constexpr int kWidth = 233;
constexpr int kMargin = 12;
} // namespace

namespace {

// Ctrl sets the step to 1 s itself; the style would multiply that step by ten once more.
class SingleStepStyle : public QProxyStyle {
public:
    explicit SingleStepStyle(QObject* owner) { setParent(owner); }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_SpinBox_StepModifier)
            return Qt::NoModifier;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

} // namespace

Tfrm_gui_macropause::Tfrm_gui_macropause(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_gui_macropause"));
    setWindowTitle(QStringLiteral("Pause"));
    setFixedSize(kWidth, 110);
    m_lbl = new QLabel(QStringLiteral("Pause:"), this);
    m_lbl->setObjectName(QStringLiteral("macropause_lbl"));
    m_lbl->setGeometry(12, 12, 209, 17);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("macropause_edit"));
    m_edit->setReadOnly(true);
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_edit->setGeometry(12, 33, 80, 24);
    // Only the arrows of the spin box show; the time is read in the text box beside it.
    m_ud = new QSpinBox(this);
    m_ud->setObjectName(QStringLiteral("macropause_ud"));
    m_ud->setRange(vz::kMacroMinPause, vz::kMacroMaxPause);
    m_ud->setSingleStep(kStep);
    m_ud->setStyle(new SingleStepStyle(m_ud));
    m_ud->setValue(kStart);
    m_ud->setGeometry(92, 33, 18, 24);
    m_lbl2 = new QLabel(QStringLiteral("(0,02 - 60,00 s)"), this);
    m_lbl2->setObjectName(QStringLiteral("macropause_lbl2"));
    m_lbl2->setGeometry(118, 37, 110, 17);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btn_ok"));
    m_ok->setGeometry(12, 73, 100, 27);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("btn_cancel"));
    m_cancel->setGeometry(121, 73, 100, 27);

    connect(m_ud, &QSpinBox::valueChanged, this, &Tfrm_gui_macropause::macropause_udChangingEx);
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_gui_macropause::btn_okClick);
    connect(m_cancel, &QPushButton::clicked, this, &Tfrm_gui_macropause::btn_cancelClick);
    // The dialog sees keys before its controls (the Ctrl step).
    for (QWidget* w : {static_cast<QWidget*>(m_ud), static_cast<QWidget*>(m_edit),
                       static_cast<QWidget*>(m_ok), static_cast<QWidget*>(m_cancel)})
        w->installEventFilter(this);
}

int Tfrm_gui_macropause::choose() {
    FormShow();
    exec();
    return m_result;
}

void Tfrm_gui_macropause::FormShow() {
    m_result = -1;
    vz::applyFireTexts(this);
    // A range text longer than its place (German) widens the dialog instead of running
    // off its edge.
    setFixedWidth(std::max(kWidth, m_lbl2->geometry().right() + 1 + kMargin));
    m_ud->setSingleStep(kStep);
    m_edit->setText(vz::formatFixed2(m_ud->value() / 100.0) + QLatin1Char('s'));
    m_ud->setFocus();
}

void Tfrm_gui_macropause::macropause_udChangingEx(int value) {
    if (value >= vz::kMacroMinPause && value <= vz::kMacroMaxPause)
        m_edit->setText(vz::formatFixed2(value / 100.0) + QLatin1Char('s'));
}

void Tfrm_gui_macropause::btn_okClick() {
    m_result = m_ud->value();
    accept();
}

void Tfrm_gui_macropause::btn_cancelClick() {
    m_result = -1;
    reject();
}

void Tfrm_gui_macropause::FormKeyDown(Qt::KeyboardModifiers modifiers) {
    if ((modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) ==
        Qt::ControlModifier)
        m_ud->setSingleStep(kCtrlStep);
}

void Tfrm_gui_macropause::FormKeyUp(Qt::KeyboardModifiers modifiers) {
    if ((modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) !=
        Qt::ControlModifier)
        m_ud->setSingleStep(kStep);
}

bool Tfrm_gui_macropause::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        FormKeyDown(static_cast<QKeyEvent*>(event)->modifiers());
    else if (event->type() == QEvent::KeyRelease)
        FormKeyUp(static_cast<QKeyEvent*>(event)->modifiers());
    return QDialog::eventFilter(watched, event);
}

void Tfrm_gui_macropause::keyPressEvent(QKeyEvent* event) {
    FormKeyDown(event->modifiers());
    QDialog::keyPressEvent(event);
}

void Tfrm_gui_macropause::keyReleaseEvent(QKeyEvent* event) {
    FormKeyUp(event->modifiers());
    QDialog::keyReleaseEvent(event);
}

} // namespace vz
