#include "transfer/backend_transmit.h"

#include "base/prompts.h"
#include "base/settings.h"
#include "base/unit_service.h"
#include "base/unit_service_gui.h"
#include "serial/choose_port.h"
#include "serial/com_select_form.h"
#include "serial/port_names.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace vz {

namespace {

QString text(const char* key) {
    return get_text(QLatin1String(key));
}

} // namespace

Tfrm_gui_transmit::Tfrm_gui_transmit(const QString& dataDir, Prompts& prompts, int& savedPort,
                                     QWidget* parent)
    : QDialog(parent), m_dataDir(dataDir), m_settingsPath(SettingsFile::pathIn(dataDir)),
      m_prompts(prompts), m_savedPort(savedPort), m_comPort(dataDir) {
    setObjectName(QStringLiteral("frm_gui_transmit"));
    setWindowTitle(objectName());
    buildControls();
    setClientHeight(kPanelHeight);

    m_comPort.setPortChooser(TComSelectForm::modalChooser(dataDir, this));
    connect(&m_comPort, &TApdComPort::PortFailed, this, &Tfrm_gui_transmit::com_portFailed);
    // Connected after the dialog's own handler of a failed port, which leaves a failure during
    // a transfer to the transfer.
    m_transfer = new vz::BlockTransfer(m_comPort, this);
    connect(m_transfer, &vz::BlockTransfer::progress, this, &Tfrm_gui_transmit::transferProgress);
    connect(m_transfer, &vz::BlockTransfer::finished, this, &Tfrm_gui_transmit::transferFinished);
    connect(m_transfer, &vz::BlockTransfer::failed, this, &Tfrm_gui_transmit::transferFailed);
}

Tfrm_gui_transmit::~Tfrm_gui_transmit() = default;

void Tfrm_gui_transmit::buildControls() {
    pnl_background = new QWidget(this);
    pnl_background->setObjectName(QStringLiteral("pnl_background"));
    pnl_background->setGeometry(0, 0, kClientWidth, kPanelHeight);

    // Built-in captions are the controls' own names; the language file replaces them.
    auto label = [this](const char* name, const QRect& r) {
        auto* l = new QLabel(QLatin1String(name), pnl_background);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(r);
        return l;
    };
    auto button = [this](const char* name, const QRect& r) {
        auto* b = new QPushButton(QLatin1String(name), pnl_background);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };

    lbl_selected_comport = label("lbl_selected_comport", QRect(8, 8, 150, 16));
    lbl_comport_nr = label("lbl_comport_nr", QRect(8, 27, 150, 18));
    QFont bold = lbl_comport_nr->font();
    bold.setBold(true);
    lbl_comport_nr->setFont(bold);
    btn_selectcomport = button("btn_selectcomport", QRect(8, 57, 150, 25));

    N1 = new QFrame(pnl_background);
    N1->setObjectName(QStringLiteral("N1"));
    N1->setFrameShape(QFrame::VLine);
    N1->setFrameShadow(QFrame::Sunken);
    N1->setGeometry(166, 4, 2, kPanelHeight - 8);

    listbox = new QListWidget(pnl_background);
    listbox->setObjectName(QStringLiteral("listbox"));
    listbox->setFrameShape(QFrame::NoFrame);
    listbox->setGeometry(176, 4, 402, 62);
    QPalette listPalette = listbox->palette();
    listPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    listbox->setPalette(listPalette);
    listbox->setFocusPolicy(Qt::NoFocus);
    // A long message wraps instead of hiding its end behind a scroll bar.
    listbox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listbox->setWordWrap(true);

    transmit_progress = new QProgressBar(pnl_background);
    transmit_progress->setObjectName(QStringLiteral("transmit_progress"));
    transmit_progress->setGeometry(176, 69, 402, 14);
    transmit_progress->setTextVisible(false);
    transmit_progress->hide();

    btn_transmit = button("btn_transmit", QRect(590, 4, 152, 25));
    btn_transmit->setEnabled(false);
    btn_info = button("btn_info", QRect(590, 32, 152, 25));
    btn_close = button("btn_close", QRect(590, 60, 152, 25));

    img_data_preview = new QLabel(this);
    img_data_preview->setObjectName(QStringLiteral("img_data_preview"));
    img_data_preview->setGeometry(0, kPanelHeight, kClientWidth, kPreviewHeight);
    m_preview = QImage(kClientWidth, kPreviewHeight, QImage::Format_RGB32);
    m_preview.fill(palette().color(QPalette::Button));
    img_data_preview->setPixmap(QPixmap::fromImage(m_preview));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, kPanelHeight, kClientWidth, kPreviewHeight);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->hide();
    m_hexView = std::make_unique<vz::HexLogView>(Memo1);

    m_idle = new vz::IdleStream(m_comPort, this);
    Timer1 = m_idle->timer();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(m_idle, &vz::IdleStream::sent, this, &Tfrm_gui_transmit::appendHexLog);
    connect(m_idle, &vz::IdleStream::failed, this, [this] { portLost(); });

    connect(btn_selectcomport, &QPushButton::clicked, this,
            &Tfrm_gui_transmit::btn_selectcomportClick);
    connect(btn_transmit, &QPushButton::clicked, this, &Tfrm_gui_transmit::btn_transmitClick);
    connect(btn_info, &QPushButton::clicked, this, &Tfrm_gui_transmit::btn_infoClick);
    connect(btn_close, &QPushButton::clicked, this, &Tfrm_gui_transmit::btn_closeClick);

    // The dialog sees keys before its controls.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void Tfrm_gui_transmit::setClientHeight(int height) {
    setFixedSize(kClientWidth, height);
}

void Tfrm_gui_transmit::status_msg(const QString& line) {
    listbox->addItem(line);
    listbox->setCurrentRow(listbox->count() - 1);
    listbox->scrollToItem(listbox->currentItem());
}

void Tfrm_gui_transmit::addOpenedLines() {
    status_msg(text("msg_transmit_comopen"));
    status_msg(text("msg_transmit_powermm"));
    status_msg(text("msg_transmit_ledonqm"));
}

void Tfrm_gui_transmit::appendHexLog(const QByteArray& bytes) {
    const int dropped = m_hexLog.append(bytes);
    if (Memo1->isHidden())
        return; // filled when F12 shows it
    m_hexView->append(vz::HexLog::hex(bytes), dropped);
}

void Tfrm_gui_transmit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tfrm_gui_transmit::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormClose();
}

void Tfrm_gui_transmit::done(int result) {
    // Closing would close the port under the transfer: the dialog stays until it is over
    // (a close request, too, ends here and is refused).
    if (isSending())
        return;
    QDialog::done(result);
}

bool Tfrm_gui_transmit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        // A key not taken by a control travels on to its parents: handle it once.
        auto* key = static_cast<QKeyEvent*>(event);
        if (event != m_lastKeyEvent || key->timestamp() != m_lastKeyTime ||
            key->key() != m_lastKey) {
            m_lastKeyEvent = event;
            m_lastKeyTime = key->timestamp();
            m_lastKey = key->key();
            FormKeyDown(key);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_gui_transmit::FormShow() {
    Timer1->start();
    btn_transmit->setEnabled(true);
    setEnabled(true);
    setClientHeight(kPanelHeight);
    btn_info->setEnabled(true);
    apply_texts(this);
    listbox->clear();
    transmit_progress->hide();
    try {
        m_comPort.setBaud(vz::kTransferBaud);
        if (m_savedPort < 1) {
            lbl_comport_nr->setText(text("msg_selectcomport"));
            btn_transmit->setEnabled(false);
            m_comPort.setOpen(false);
            m_comPort.setComNumber(0);
            return;
        }
        lbl_comport_nr->setText(vz::ports::comName(m_savedPort));
        btn_transmit->setEnabled(true);
        m_comPort.setComNumber(static_cast<quint16>(qMin(m_savedPort, 0xFFFF)));
        m_comPort.setOpen(true);
        addOpenedLines();
    } catch (const ComPortError&) {
        // The saved number stays, here and in the settings file: once the adapter is plugged
        // in again, the next showing (or fire mode) reaches it without a new choice.
        closeAfterFailure();
        m_prompts.error(this, text("msg_comport_error"));
    }
}

void Tfrm_gui_transmit::Timer1Timer() {
    m_idle->tick();
}

void Tfrm_gui_transmit::btn_selectcomportClick() {
    listbox->clear();
    ChoosePortHooks hooks;
    hooks.opened = [this] { addOpenedLines(); };
    hooks.failed = [this] {
        status_msg(text("msg_comport_error"));
        btn_transmit->setEnabled(false);
    };
    const bool open = choose_port(
        m_comPort, [this](const QString& label) { lbl_comport_nr->setText(label); }, m_savedPort,
        m_settingsPath, m_prompts, this, hooks);
    btn_transmit->setEnabled(open);
    if (open)
        Timer1->start();
}

void Tfrm_gui_transmit::btn_transmitClick() {
    if (!btn_transmit->isEnabled())
        return;
    Timer1->stop();
    setEnabled(false);
    btn_transmit->setEnabled(false);
    try {
        m_comPort.FlushOutput(); // idle bytes still queued are dropped
    } catch (const ComPortError&) {
        transferFailed();
        return;
    }
    status_msg(text("msg_transmit_calcstr"));
    const QByteArray image = vz::build_transfer_image(m_records);
    status_msg(text("msg_transmit_sending"));
    const int block = effectiveBlockSize();
    transmit_progress->setRange(0, static_cast<int>(image.size()) / block);
    transmit_progress->setValue(0);
    transmit_progress->show();
    m_transfer->start(image, block);
}

void Tfrm_gui_transmit::transferProgress(int step, int steps, const QByteArray& written) {
    if (step <= steps)
        transmit_progress->setValue(step);
    appendHexLog(written);
}

// Every byte has left the port here, the last part too.
void Tfrm_gui_transmit::transferFinished() {
    transmit_progress->hide();
    status_msg(text("msg_transmit_end"));
    setEnabled(true);
}

void Tfrm_gui_transmit::com_portFailed(const QString&) {
    // During a transfer the transfer reports it.
    if (isSending())
        return;
    // The port also serves the fire console; only an open dialog reports here.
    if (isVisible())
        portLost();
}

// After a failure the port is closed and the dialog shows that no port is in use; the saved
// port number stays, so the next showing tries it again.
void Tfrm_gui_transmit::closeAfterFailure() {
    transmit_progress->hide();
    try {
        m_comPort.setOpen(false);
        m_comPort.setComNumber(0);
    } catch (const ComPortError&) {
    }
    lbl_comport_nr->setText(text("msg_selectcomport"));
    status_msg(text("msg_comport_error"));
    btn_transmit->setEnabled(false);
}

// A failed transfer ends with the dialog usable: the operator can choose the port again or
// close.
void Tfrm_gui_transmit::transferFailed() {
    closeAfterFailure();
    setEnabled(true);
    m_prompts.error(this, text("msg_comport_error"));
}

// The line died while the dialog waits for the operator. The port is closed first, so the
// same failure cannot come round again while the box is up.
void Tfrm_gui_transmit::portLost() {
    if (!m_comPort.Open() && m_comPort.ComNumber() == 0)
        return;
    closeAfterFailure();
    m_prompts.error(this, text("msg_comport_error"));
}

QFont Tfrm_gui_transmit::previewFont() const {
    QFont f = font();
    f.setPixelSize(11);
    return f;
}

void Tfrm_gui_transmit::btn_infoClick() {
    btn_info->setEnabled(false);
    setClientHeight(kPanelHeight + kPreviewHeight);

    const QColor face = palette().color(QPalette::Button);
    m_preview = QImage(kClientWidth, kPreviewHeight, QImage::Format_RGB32);
    m_preview.fill(face);
    QPainter p(&m_preview);
    p.setFont(previewFont());
    const QFontMetrics fm(p.font());
    for (int r = 0; r <= 6; ++r) {
        for (int c = 0; c <= 9; ++c) {
            const vz::TransferRecord& rec = m_records[static_cast<size_t>(10 * r + c)];
            const int values[3] = {rec.channel, rec.time, rec.wait};
            for (int k = 1; k <= 3; ++k) {
                const int x1 = 75 * c + 25 * (k - 1);
                const int y1 = 20 * (6 - r);
                // Right and bottom edges exclusive: neighbouring cells share their borders.
                const QRect cell(x1, y1, 75 * c + 25 * k + 1 - x1, 20 * (7 - r) + 1 - y1);
                p.fillRect(cell, k == 1 ? QColor(Qt::yellow) : QColor(Qt::white));
                p.setPen(QPen(Qt::black, 1));
                p.setBrush(Qt::NoBrush);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
                p.drawText(x1 + 3, y1 + 3 + fm.ascent(), QString::number(values[k - 1]));
            }
        }
    }
    // Record 70's wait is the box number, written below instead.
    p.fillRect(QRect(QPoint(726, 0), QPoint(749, 19)), face);
    const QString boxText =
        text("box_nr_lbl") + QLatin1Char(' ') + QString::number(m_records[69].wait);
    const int y = kPreviewHeight - 3 - fm.height();
    p.setPen(QPen(Qt::black, 1));
    p.drawText(8, y + fm.ascent(), boxText);
    p.end();
    img_data_preview->setPixmap(QPixmap::fromImage(m_preview));
}

void Tfrm_gui_transmit::btn_closeClick() {
    close();
}

void Tfrm_gui_transmit::FormClose() {
    try {
        m_comPort.setOpen(false);
    } catch (const ComPortError&) {
    }
    Timer1->stop();
}

void Tfrm_gui_transmit::FormKeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_F12)
        return;
    m_hexView->showAll(m_hexLog);
    Memo1->show();
    Memo1->raise();
}

} // namespace vz
