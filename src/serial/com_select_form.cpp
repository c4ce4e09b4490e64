#include "serial/com_select_form.h"

#include "serial/port_names.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 132;

} // namespace

TComSelectForm::TComSelectForm(const QString& programDir, QWidget* parent)
    : QDialog(parent), m_programDir(programDir) {
    const QSet<QString> system = vz::ports::systemPorts();
    build([programDir, system](int n) { return vz::ports::isPresent(programDir, n, system); });
}

TComSelectForm::TComSelectForm(const QString& programDir, const PresentTest& isPresent,
                               QWidget* parent)
    : QDialog(parent), m_programDir(programDir) {
    build(isPresent);
}

void TComSelectForm::build(const PresentTest& isPresent) {
    setObjectName(QStringLiteral("ComSelectForm"));
    setWindowTitle(QStringLiteral("Select Port"));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    m_line1 = new QLabel(QStringLiteral("The configured serial port is not valid."), this);
    m_line1->setObjectName(QStringLiteral("Label1"));
    m_line1->setGeometry(12, 10, kWidth - 24, 18);
    m_line2 = new QLabel(QStringLiteral("Please choose another port."), this);
    m_line2->setObjectName(QStringLiteral("Label2"));
    m_line2->setGeometry(12, 28, kWidth - 24, 18);

    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("PortsComboBox"));
    m_ports->setGeometry(12, 56, 110, 24);
    for (int n = vz::ports::kFirstOffered; n <= vz::ports::kLastOffered; ++n)
        if (isPresent(n))
            m_ports->addItem(QString::asprintf("COM%d", n));

    m_device = new QLabel(this);
    m_device->setObjectName(QStringLiteral("DeviceLbl"));
    m_device->setGeometry(132, 56, kWidth - 144, 24);
    m_device->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OkBtn"));
    m_ok->setGeometry(kWidth - 182, 94, 80, 26);
    m_ok->setDefault(true);
    m_abort = new QPushButton(QStringLiteral("Cancel"), this);
    m_abort->setObjectName(QStringLiteral("AbortBtn"));
    m_abort->setGeometry(kWidth - 92, 94, 80, 26);

    connect(m_ports, &QComboBox::currentIndexChanged, this, &TComSelectForm::PortsComboBoxChange);
    connect(m_ok, &QPushButton::clicked, this, &TComSelectForm::OkBtnClick);
    connect(m_abort, &QPushButton::clicked, this, &TComSelectForm::AbortBtnClick);

    if (m_ports->count() > 0)
        m_ports->setCurrentIndex(0);
    PortsComboBoxChange();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TComSelectForm::PortsComboBoxChange() {
    const std::optional<int> n = chosenNumber();
    if (!n) {
        m_device->setText(QStringLiteral("(no serial port found)"));
        return;
    }
    const QString device = vz::ports::deviceFor(m_programDir, *n);
    if (device.isEmpty()) {
        m_device->setText(QStringLiteral("(no device)"));
        return;
    }
    // A ports/ link: show what it leads to, the link itself in the tip.
    QString text = device;
    QString tip = device;
    const QFileInfo info(device);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        text = QStringLiteral("%1 (ports/%2)").arg(target, info.fileName());
        tip = QStringLiteral("%1 -> %2").arg(device, target);
    }
    m_device->setText(m_device->fontMetrics().elidedText(text, Qt::ElideMiddle, m_device->width()));
    m_device->setToolTip(tip);
}

void TComSelectForm::OkBtnClick() {
    accept();
}

void TComSelectForm::AbortBtnClick() {
    reject();
}

std::optional<int> TComSelectForm::parseEntry(const QString& text) {
    bool ok = false;
    const int n = text.mid(3).toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return n;
}

std::optional<int> TComSelectForm::chosenNumber() const {
    if (m_ports->currentIndex() < 0)
        return std::nullopt;
    return parseEntry(m_ports->currentText());
}

std::optional<int> TComSelectForm::answer() const {
    if (result() != QDialog::Accepted)
        return std::nullopt;
    return chosenNumber();
}

TApdComPort::PortChooser TComSelectForm::modalChooser(const QString& programDir, QWidget* parent) {
    return [programDir, parent]() -> std::optional<int> {
        TComSelectForm form(programDir, parent);
        form.exec();
        return form.answer();
    };
}
