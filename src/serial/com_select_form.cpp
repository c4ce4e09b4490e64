#include "serial/com_select_form.h"

#include "base/unit_service.h"
#include "serial/port_names.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace vz {

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 262;
constexpr int kMargin = 12;

QString text(const char* key) {
    return get_text(QLatin1String(key));
}

} // namespace

TComSelectForm::TComSelectForm(const QString& dataDir, QWidget* parent)
    : TComSelectForm(dataDir,
                     vz::ports::catalog(dataDir, vz::ports::SerialSystem::fromEnvironment(),
                                        vz::ports::kFirstOffered, vz::ports::kLastOffered),
                     parent) {}

TComSelectForm::TComSelectForm(const QString& dataDir, const QList<vz::ports::PortEntry>& entries,
                               QWidget* parent)
    : QDialog(parent), m_dataDir(dataDir), m_entries(entries) {
    build();
}

void TComSelectForm::build() {
    setObjectName(QStringLiteral("ComSelectForm"));
    setWindowTitle(QStringLiteral("Select Port"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    const int inner = kWidth - 2 * kMargin;

    m_line1 = new QLabel(QStringLiteral("The configured serial port is not valid."), this);
    m_line1->setObjectName(QStringLiteral("Label1"));
    m_line1->setGeometry(kMargin, 10, inner, 18);
    m_line2 = new QLabel(QStringLiteral("Please choose another port."), this);
    m_line2->setObjectName(QStringLiteral("Label2"));
    m_line2->setGeometry(kMargin, 28, inner, 18);

    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("PortsComboBox"));
    m_ports->setGeometry(kMargin, 56, inner, 26);
    for (const vz::ports::PortEntry& e : std::as_const(m_entries)) {
        QString item = vz::ports::entryText(e, text("port_serial"));
        if (!e.permitted())
            item += QStringLiteral(" \u2014 ") + text("port_no_permission");
        m_ports->addItem(item);
    }

    m_device = new QLabel(this);
    m_device->setObjectName(QStringLiteral("DeviceLbl"));
    m_device->setGeometry(kMargin, 92, inner, kHeight - 92 - 48);
    m_device->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_device->setWordWrap(true);
    m_device->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OkBtn"));
    m_ok->setGeometry(kWidth - 182, kHeight - 38, 80, 26);
    m_ok->setDefault(true);
    m_abort = new QPushButton(QStringLiteral("Cancel"), this);
    m_abort->setObjectName(QStringLiteral("AbortBtn"));
    m_abort->setGeometry(kWidth - 92, kHeight - 38, 80, 26);

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
    const int index = m_ports->currentIndex();
    m_linkFailed = -1;
    if (index < 0 || index >= m_entries.size()) {
        m_device->setText(QStringLiteral("(no serial port found)"));
        return;
    }
    const vz::ports::PortEntry& e = m_entries.at(index);
    const QString com = vz::ports::comName(e.number);
    // Paths stay on one line, shortened in the middle; sentences wrap.
    auto path = [this](const QString& p) {
        return m_device->fontMetrics().elidedText(p, Qt::ElideMiddle, m_device->width());
    };
    // What stops the port from opening comes first.
    QStringList lines;
    if (!e.permitted())
        lines << text("port_permission_fix").arg(e.device, e.deniedGroup) << QString();
    if (!e.link.isEmpty()) {
        lines << path(QStringLiteral("ports/%1 \u2192 %2").arg(com, e.linkTarget));
        if (!e.stableName.isEmpty() && e.linkTarget != e.stableName)
            lines << text("port_link_by_position").arg(com);
    } else if (e.linkOnChoice && !e.stableName.isEmpty()) {
        lines << text("port_link_on_choice").arg(com) << path(e.stableName);
    } else if (e.linkOnChoice) {
        lines << text("port_link_device").arg(com, e.device);
    }
    m_device->setText(lines.join(QLatin1Char('\n')).trimmed());
    m_device->setToolTip(e.stableName.isEmpty() ? e.device : e.stableName);
}

void TComSelectForm::OkBtnClick() {
    // A USB adapter is linked by its stable name before the port opens it.
    const int index = m_ports->currentIndex();
    if (index < 0 || index >= m_entries.size()) {
        accept();
        return;
    }
    const vz::ports::PortEntry& e = m_entries.at(index);
    QString error;
    if (vz::ports::linkChoice(m_dataDir, e, &error)) {
        accept();
        return;
    }
    // A device the number reaches by its socket opens without the link, once the operator
    // has read that it is not kept by name.
    const bool bySocket =
        QFileInfo(vz::ports::fixedDevice(e.number)).canonicalFilePath() == e.device;
    if (bySocket && m_linkFailed == index) {
        accept();
        return;
    }
    m_linkFailed = index;
    QString message = text("port_link_failed").arg(error);
    if (bySocket)
        message += QLatin1Char('\n') + text("port_link_skip").arg(vz::ports::comName(e.number));
    m_device->setText(message);
}

void TComSelectForm::AbortBtnClick() {
    reject();
}

std::optional<int> TComSelectForm::parseEntry(const QString& entry) {
    // The number ends where the description begins.
    QString digits = entry.mid(3);
    const qsizetype end = digits.indexOf(QLatin1Char(' '));
    if (end >= 0)
        digits.truncate(end);
    bool ok = false;
    const int n = digits.toInt(&ok, 10);
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

TApdComPort::PortChooser TComSelectForm::modalChooser(const QString& dataDir, QWidget* parent) {
    return [dataDir, parent]() -> std::optional<int> {
        TComSelectForm form(dataDir, parent);
        form.exec();
        return form.answer();
    };
}

} // namespace vz
