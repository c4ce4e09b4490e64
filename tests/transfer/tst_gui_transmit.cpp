#include "app/settings.h"
#include "app/unit_service.h"
#include "core/pty_pair.h"
#include "device/device_decoder.h"
#include "gui/scripted_prompts.h"
#include "transfer/backend_transmit.h"
#include "transfer/gui_adv_settings.h"
#include "transfer/transfer_image.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <termios.h>
#include <unistd.h>

#include <functional>
#include <memory>

using namespace vz;

namespace {

const char kXoff = 0x13;
const char kXon = 0x11;
constexpr int kPort = 7;

// Reads the far end of the line on the window thread, so it keeps reading while the dialog
// waits inside its click handler; onData runs after every read.
class FarEnd : public QObject {
public:
    explicit FarEnd(PtyPair& pty) : m_pty(pty) {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, &FarEnd::drain);
        m_timer.start();
        m_clock.start();
    }

    void drain() {
        const int fd = m_pty.masterFd();
        if (fd < 0)
            return;
        char buf[4096];
        ssize_t n;
        bool got = false;
        while ((n = ::read(fd, buf, sizeof buf)) > 0) {
            m_decoder.feed(QByteArray(buf, static_cast<int>(n)), m_clock.elapsed());
            bytes.append(buf, static_cast<int>(n));
            got = true;
        }
        if (got && onData)
            onData();
    }

    bool waitFor(int count, int timeoutMs = 3000) {
        QElapsedTimer t;
        t.start();
        while (bytes.size() < count && t.elapsed() < timeoutMs)
            QTest::qWait(5);
        return bytes.size() >= count;
    }

    QVector<DeviceEvent> events() {
        m_decoder.finish();
        return m_decoder.takeEvents();
    }

    void stop() { m_timer.stop(); }

    QByteArray bytes;
    std::function<void()> onData;

private:
    PtyPair& m_pty;
    QTimer m_timer;
    QElapsedTimer m_clock;
    DeviceDecoder m_decoder;
};

// The far end may stop the line with XOFF, as a device with software handshake would: the
// bytes the port wrote then stay in its output queue.
void allowStop(PtyPair& pty) {
    termios t{};
    ::tcgetattr(pty.slaveFd(), &t);
    t.c_iflag |= IXON;
    ::tcsetattr(pty.slaveFd(), TCSANOW, &t);
}

int leadingIdle(const QByteArray& bytes) {
    int n = 0;
    while (n < bytes.size() && bytes.at(n) == '_')
        ++n;
    return n;
}

RecordTable distinctRecords() {
    RecordTable t{};
    for (int p = 1; p <= kTransferRecords; ++p)
        t[p - 1] = {static_cast<quint8>(p), static_cast<quint8>((p * 7) % 256),
                    static_cast<quint8>((p * 11) % 256)};
    return t;
}

int queuedAtPort(Tfrm_gui_transmit& dlg) {
    return dlg.com_port().OutSize() - dlg.com_port().OutputFree();
}

} // namespace

class TstGuiTransmit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void transfer_data();
    void transfer();
    void secondTransmitNeedsNewPortChoice();
    void showing_data();
    void showing();
    void portChoice_data();
    void portChoice();
    void transferErrors_data();
    void transferErrors();
    void lineLostWhileReady();
    void closeStopsEverything();
    void dataPreview_data();
    void dataPreview();
    void hexLogOnF12();
    void languageFiles_data();
    void languageFiles();

private:
    std::unique_ptr<Tfrm_gui_transmit> makeDialog(int savedPort, int block = 4);
    QPushButton* button(const char* name) { return m_dlg->findChild<QPushButton*>(name); }
    QStringList statusLines() const;
    QString label() const { return m_dlg->findChild<QLabel*>("lbl_comport_nr")->text(); }
    QTimer* timer1() const { return m_dlg->findChild<QTimer*>("Timer1"); }
    QString settingsPath() const { return SettingsFile::pathIn(m_dir->path()); }
    int filePort() const { return SettingsFile::load(settingsPath()).settings.port; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<FarEnd> m_far;
    std::unique_ptr<Tfrm_gui_transmit> m_dlg;
    ScriptedPrompts m_prompts;
    int m_savedPort = 0;
};

void TstGuiTransmit::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir(m_dir->path()).mkpath("language");
    for (const char* name : {"english", "deutsch"})
        QVERIFY(QFile::copy(QStringLiteral(VZ_SOURCE_DIR "/resources/language/%1.lng").arg(name),
                            m_dir->filePath(QStringLiteral("language/%1.lng").arg(name))));
    QVERIFY(languageTable().load(m_dir->path(), "english", settingsPath()));
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    QVERIFY(m_pty->linkAs(m_dir->path(), kPort));
    m_far = std::make_unique<FarEnd>(*m_pty);
    m_prompts.clear();
}

void TstGuiTransmit::cleanup() {
    m_dlg.reset();
    m_far.reset();
    m_pty.reset();
    m_dir.reset();
}

std::unique_ptr<Tfrm_gui_transmit> TstGuiTransmit::makeDialog(int savedPort, int block) {
    m_savedPort = savedPort;
    auto dlg = std::make_unique<Tfrm_gui_transmit>(m_dir->path(), m_prompts, m_savedPort);
    dlg->setRecords(buildRecordTable(BoxProgram::startValues(), 0));
    dlg->setBlockSize(block);
    return dlg;
}

QStringList TstGuiTransmit::statusLines() const {
    QStringList out;
    auto* list = m_dlg->findChild<QListWidget*>("listbox");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void TstGuiTransmit::transfer_data() {
    QTest::addColumn<int>("block");
    QTest::addColumn<int>("waited");
    QTest::addColumn<int>("tail");
    QTest::newRow("4: 107 waited blocks and 2") << 4 << 107 << 2;
    QTest::newRow("5: 86 waited blocks") << 5 << 86 << 0;
    QTest::newRow("430: one waited block") << 430 << 1 << 0;
    QTest::newRow("1000: one part, no wait") << 1000 << 0 << 430;
    QTest::newRow("0 from the file: as 4") << 0 << 107 << 2;
    QTest::newRow("-3 from the file: as 4") << -3 << 107 << 2;
}

// The far end sees idle bytes, then exactly the image; the line is stopped before the press
// so that idle bytes are still queued, and stopped again and again during the transfer: each
// time at most one block is in the port, and the progress bar shows that block.
void TstGuiTransmit::transfer() {
    QFETCH(int, block);
    QFETCH(int, waited);
    QFETCH(int, tail);
    const int size = block < 1 ? 4 : block;
    m_dlg = makeDialog(kPort, block);
    m_dlg->setRecords(distinctRecords());
    m_dlg->show();
    QVERIFY(m_dlg->com_port().Open());
    QCOMPARE(m_dlg->com_port().Baud(), 1200);
    QVERIFY(m_far->waitFor(3));
    QCOMPARE(m_far->bytes, QByteArray(m_far->bytes.size(), '_'));

    allowStop(*m_pty);
    m_pty->writeFar(QByteArray(1, kXoff));
    QTRY_VERIFY(queuedAtPort(*m_dlg) >= 2); // idle bytes pile up in the port
    const int idleOnLine = static_cast<int>(m_far->bytes.size());

    struct Sample {
        int queued, progress, maximum, farImage;
        bool barVisible, enabled;
    };
    QVector<Sample> samples;
    auto* bar = m_dlg->findChild<QProgressBar*>("transmit_progress");
    // Each tick looks at the stopped line, then lets the port write what it holds and stops
    // the line again.
    QTimer gate;
    gate.setInterval(3);
    connect(&gate, &QTimer::timeout, [&] {
        if (!m_dlg->isSending())
            return;
        m_far->drain();
        samples.append({queuedAtPort(*m_dlg), bar->value(), bar->maximum(),
                        static_cast<int>(m_far->bytes.size()) - idleOnLine, bar->isVisible(),
                        m_dlg->isEnabled()});
        const qsizetype had = m_far->bytes.size();
        m_pty->writeFar(QByteArray(1, kXon));
        QElapsedTimer spin;
        spin.start();
        while (m_far->bytes.size() == had && spin.elapsed() < 200) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            m_far->drain();
        }
        m_pty->writeFar(QByteArray(1, kXoff));
        QThread::usleep(1000);
    });
    gate.start();
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    gate.stop();

    if (waited == 0) // nothing waited: the whole image is still in the port
        QCOMPARE(queuedAtPort(*m_dlg), kTransferImageSize);
    m_pty->writeFar(QByteArray(1, kXon));
    QVERIFY(m_far->waitFor(idleOnLine + kTransferImageSize));
    QTest::qWait(150);

    const QByteArray image = build_transfer_image(distinctRecords());
    QCOMPARE(m_far->bytes.size(), qsizetype(idleOnLine + kTransferImageSize));
    QCOMPARE(leadingIdle(m_far->bytes), idleOnLine);
    QCOMPARE(m_far->bytes.mid(idleOnLine), image);

    const QVector<DeviceEvent> events = m_far->events();
    QVERIFY(events.size() >= 2);
    QCOMPARE(events.last().kind, DeviceEvent::Kind::Image);
    QVERIFY2(events.last().valid, qPrintable(events.last().fault));
    QVERIFY(events.last().records == distinctRecords());
    for (int i = 0; i + 1 < events.size(); ++i)
        QCOMPARE(events[i].kind, DeviceEvent::Kind::Idle);

    QCOMPARE(m_dlg->lastTransfer().blocks, waited);
    QCOMPARE(m_dlg->lastTransfer().tailBytes, tail);
    QCOMPARE(samples.isEmpty(), waited == 0);
    if (!samples.isEmpty()) {
        QCOMPARE(samples.first().queued, size); // the first block, alone
        QCOMPARE(samples.first().farImage, 0);
    }
    int caught = 0;
    for (const Sample& s : samples) {
        QVERIFY2(s.queued == 0 || s.queued == size, qPrintable(QString::number(s.queued)));
        QVERIFY(!s.enabled);
        QVERIFY(s.barVisible);
        QCOMPARE(s.maximum, waited);
        if (s.queued == size) {
            ++caught;
            QCOMPARE(s.progress, s.farImage / size + 1);
        }
    }
    QVERIFY2(caught >= waited - waited / 10,
             qPrintable(QString("%1 of %2").arg(caught).arg(waited)));

    // The log has every byte handed over, the dropped idle bytes too.
    const QString log = m_dlg->hexLog();
    QVERIFY(log.endsWith(HexLog::hex(image)));
    const QString idleLog = log.left(log.size() - image.size() * 3);
    QCOMPARE(idleLog, QString("5F ").repeated(idleLog.size() / 3));
    QVERIFY(idleLog.size() / 3 > idleOnLine);

    const QStringList lines{get_text("msg_transmit_comopen"), get_text("msg_transmit_powermm"),
                            get_text("msg_transmit_ledonqm"), get_text("msg_transmit_calcstr"),
                            get_text("msg_transmit_sending"), get_text("msg_transmit_end")};
    QCOMPARE(statusLines(), lines);
    QCOMPARE(m_dlg->findChild<QListWidget*>("listbox")->currentRow(), lines.size() - 1);
    QVERIFY(m_dlg->isEnabled());
    QVERIFY(!bar->isVisible());
    QVERIFY(!button("btn_transmit")->isEnabled());
    QVERIFY(!timer1()->isActive());
    QVERIFY(m_dlg->com_port().Open()); // sent: the port stays open, the idle stream off
    QVERIFY(m_prompts.records.isEmpty());
}

void TstGuiTransmit::secondTransmitNeedsNewPortChoice() {
    m_dlg = makeDialog(kPort, 1000);
    m_dlg->com_port().setPortChooser([] { return std::optional<int>(kPort); });
    m_dlg->show();
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    const QByteArray image = build_transfer_image(m_dlg->records());
    QVERIFY(m_far->waitFor(kTransferImageSize));
    QTest::qWait(100);
    const qsizetype afterFirst = m_far->bytes.size();
    QVERIFY(m_far->bytes.endsWith(image));

    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    m_dlg->btn_transmitClick(); // not even from code while the button is disabled
    QTest::qWait(150);
    QCOMPARE(m_far->bytes.size(), afterFirst);

    QTest::mouseClick(button("btn_selectcomport"), Qt::LeftButton);
    QVERIFY(button("btn_transmit")->isEnabled());
    QVERIFY(timer1()->isActive());
    QVERIFY(m_far->waitFor(afterFirst + 2)); // the idle stream again
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    QVERIFY(m_far->waitFor(afterFirst + 2 + kTransferImageSize));
    QTest::qWait(100);
    const QByteArray second = m_far->bytes.mid(afterFirst);
    QCOMPARE(second.mid(leadingIdle(second)), image);
}

void TstGuiTransmit::showing_data() {
    QTest::addColumn<int>("saved");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("errorBox");
    QTest::newRow("saved port 0: no port, nothing sent") << 0 << false << false;
    QTest::newRow("saved port -1") << -1 << false << false;
    QTest::newRow("saved port with a device") << kPort << true << false;
    QTest::newRow("saved port without a device") << 49 << false << true;
    QTest::newRow("saved port above 50 without a device") << 51 << false << true;
}

void TstGuiTransmit::showing() {
    QFETCH(int, saved);
    QFETCH(bool, opens);
    QFETCH(bool, errorBox);
    SettingsFile::writePort(settingsPath(), saved);
    m_dlg = makeDialog(saved);
    m_dlg->show();
    QTest::qWait(150);

    QCOMPARE(m_dlg->com_port().Open(), opens);
    QCOMPARE(button("btn_transmit")->isEnabled(), opens);
    QVERIFY(button("btn_info")->isEnabled());
    QCOMPARE(m_dlg->height(), Tfrm_gui_transmit::kPanelHeight);
    QCOMPARE(m_dlg->width(), Tfrm_gui_transmit::kClientWidth);
    QCOMPARE(filePort(), saved); // a failed opening does not touch the file
    if (opens) {
        QCOMPARE(label(), QString("COM%1").arg(saved));
        QCOMPARE(statusLines(),
                 QStringList({get_text("msg_transmit_comopen"), get_text("msg_transmit_powermm"),
                              get_text("msg_transmit_ledonqm")}));
        QVERIFY(m_far->bytes.size() >= 2);
        QCOMPARE(m_far->bytes, QByteArray(m_far->bytes.size(), '_'));
        QCOMPARE(m_savedPort, saved);
        QVERIFY(m_prompts.records.isEmpty());
        return;
    }
    QCOMPARE(label(), get_text("msg_selectcomport"));
    QCOMPARE(m_savedPort, errorBox ? 0 : saved);
    QCOMPARE(m_dlg->com_port().ComNumber(), quint16(0));
    QVERIFY(m_far->bytes.isEmpty());
    QVERIFY(timer1()->isActive()); // runs, sends nothing
    if (errorBox) {
        QCOMPARE(statusLines(), QStringList{get_text("msg_comport_error")});
        QCOMPARE(m_prompts.kinds(), QStringList{"error"});
        QCOMPARE(m_prompts.texts(), QStringList{get_text("msg_comport_error")});
    } else {
        QVERIFY(statusLines().isEmpty());
        QVERIFY(m_prompts.records.isEmpty());
    }
}

void TstGuiTransmit::portChoice_data() {
    QTest::addColumn<int>("startPort");
    QTest::addColumn<int>("chosen"); // -1: cancelled
    QTest::addColumn<bool>("opens");
    QTest::newRow("from no port to a device") << 0 << kPort << true;
    QTest::newRow("from a port, again the same") << kPort << kPort << true;
    QTest::newRow("cancelled") << kPort << -1 << false;
    QTest::newRow("chosen port without a device") << 0 << 50 << false;
}

void TstGuiTransmit::portChoice() {
    QFETCH(int, startPort);
    QFETCH(int, chosen);
    QFETCH(bool, opens);
    m_dlg = makeDialog(startPort);
    m_dlg->com_port().setPortChooser(
        [chosen] { return chosen < 0 ? std::nullopt : std::optional<int>(chosen); });
    m_dlg->show();
    m_prompts.clear();
    QTest::mouseClick(button("btn_selectcomport"), Qt::LeftButton);

    QCOMPARE(m_dlg->com_port().Open(), opens);
    QCOMPARE(button("btn_transmit")->isEnabled(), opens);
    QCOMPARE(m_savedPort, opens ? chosen : 0);
    QCOMPARE(filePort(), opens ? chosen : 0);
    if (opens) {
        QCOMPARE(label(), QString("COM%1").arg(chosen));
        QCOMPARE(statusLines(),
                 QStringList({get_text("msg_transmit_comopen"), get_text("msg_transmit_powermm"),
                              get_text("msg_transmit_ledonqm")}));
        QVERIFY(timer1()->isActive());
        QVERIFY(m_prompts.records.isEmpty());
        const qsizetype before = m_far->bytes.size();
        QVERIFY(m_far->waitFor(static_cast<int>(before) + 2));
    } else {
        QCOMPARE(label(), get_text("msg_selectcomport"));
        QCOMPARE(statusLines(), QStringList{get_text("msg_comport_error")});
        QCOMPARE(m_prompts.texts(), QStringList{get_text("msg_comport_error")});
    }
}

void TstGuiTransmit::transferErrors_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("far end closed mid-transfer") << "hangup";
    QTest::newRow("line stopped: time-out") << "stopped";
}

// A dead line ends the transfer with the error, the port closed and the dialog usable.
void TstGuiTransmit::transferErrors() {
    QFETCH(QString, fault);
    m_dlg = makeDialog(kPort, 4);
    m_dlg->show();
    QVERIFY(m_far->waitFor(2));
    const int idle = static_cast<int>(m_far->bytes.size());
    if (fault == "hangup") {
        m_far->onData = [this, idle] {
            if (m_far->bytes.size() >= idle + 40) {
                m_far->stop();
                m_pty->hangUp();
            }
        };
    } else {
        allowStop(*m_pty);
        m_pty->writeFar(QByteArray(1, kXoff));
        QTest::qWait(30);
    }
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    QVERIFY2(clock.elapsed() < outputSentTimeoutMs(4 + 4, 1200) + 1500,
             qPrintable(QString::number(clock.elapsed())));
    if (fault == "stopped")
        QVERIFY(clock.elapsed() >= outputSentTimeoutMs(4, 1200) - 5);

    QVERIFY(!m_dlg->isSending());
    QVERIFY(m_dlg->isEnabled());
    QVERIFY(!m_dlg->com_port().Open());
    QVERIFY(!button("btn_transmit")->isEnabled());
    QVERIFY(!m_dlg->findChild<QProgressBar*>("transmit_progress")->isVisible());
    QCOMPARE(statusLines().last(), get_text("msg_comport_error"));
    QVERIFY(!statusLines().contains(get_text("msg_transmit_end")));
    QCOMPARE(m_prompts.kinds(), QStringList{"error"});
    QCOMPARE(m_prompts.texts(), QStringList{get_text("msg_comport_error")});
    QVERIFY(m_dlg->lastTransfer().blocks < 107);

    QTest::mouseClick(button("btn_close"), Qt::LeftButton); // never frozen
    QVERIFY(!m_dlg->isVisible());
}

void TstGuiTransmit::lineLostWhileReady() {
    m_dlg = makeDialog(kPort);
    m_dlg->show();
    QVERIFY(m_far->waitFor(1));
    m_far->stop();
    m_pty->hangUp();
    QTRY_VERIFY(!m_dlg->com_port().Open());
    QTRY_COMPARE(statusLines().size(), 4);
    QCOMPARE(statusLines().last(), get_text("msg_comport_error"));
    QVERIFY(!button("btn_transmit")->isEnabled());
}

void TstGuiTransmit::closeStopsEverything() {
    m_dlg = makeDialog(kPort, 4);
    m_dlg->show();
    QVERIFY(m_far->waitFor(2));
    // While sending, neither the button (disabled) nor a close request ends the dialog.
    allowStop(*m_pty);
    m_pty->writeFar(QByteArray(1, kXoff));
    QTest::qWait(30);
    bool triedClose = false;
    QTimer::singleShot(50, m_dlg.get(), [&] {
        triedClose = true;
        m_pty->writeFar(QByteArray(1, kXon));
        QVERIFY(m_dlg->isSending());
        QVERIFY(!button("btn_close")->isEnabled());
        QVERIFY(!m_dlg->close());
        m_dlg->reject();
        QVERIFY(m_dlg->isVisible());
    });
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    QVERIFY(triedClose);
    QVERIFY(m_dlg->isVisible());

    QTest::qWait(20); // the last part leaves the program's queue, as before any real click
    QTest::mouseClick(button("btn_close"), Qt::LeftButton);
    QVERIFY(!m_dlg->isVisible());
    QVERIFY(!m_dlg->com_port().Open());
    QVERIFY(!timer1()->isActive());
    m_far->waitFor(static_cast<int>(m_far->bytes.size()) + 1, 200);
    const qsizetype after = m_far->bytes.size();
    QTest::qWait(100);
    QCOMPARE(m_far->bytes.size(), after);
    QVERIFY(m_far->bytes.endsWith(build_transfer_image(m_dlg->records())));
}

void TstGuiTransmit::dataPreview_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("part");
    QTest::newRow("record 1 channel, bottom left") << 1 << 1;
    QTest::newRow("record 1 wait") << 1 << 3;
    QTest::newRow("record 10 wait, bottom right") << 10 << 3;
    QTest::newRow("record 35 time") << 35 << 2;
    QTest::newRow("record 61 channel, top left") << 61 << 1;
    QTest::newRow("record 70 channel, top right") << 70 << 1;
    QTest::newRow("record 70 time") << 70 << 2;
}

void TstGuiTransmit::dataPreview() {
    QFETCH(int, record);
    QFETCH(int, part);
    m_dlg = makeDialog(kPort);
    BoxProgram program = BoxProgram::startValues();
    RecordTable records = buildRecordTable(program, 1); // box mode 1: count in record 70
    for (int p = 1; p <= 69; ++p)
        records[p - 1] = distinctRecords()[p - 1];
    m_dlg->setRecords(records);
    m_dlg->show();
    QTest::mouseClick(button("btn_info"), Qt::LeftButton);
    QVERIFY(!button("btn_info")->isEnabled());
    QCOMPARE(m_dlg->height(), 89 + 161);
    const QImage img = m_dlg->dataPreview().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(img.size(), QSize(750, 161));

    // The cell as it must look: fill, black border, the value 3 pixels in.
    const TransferRecord& rec = records[record - 1];
    const int value = part == 1 ? rec.channel : part == 2 ? rec.time : rec.wait;
    const int r = (record - 1) / 10, c = (record - 1) % 10;
    const int x1 = 75 * c + 25 * (part - 1), y1 = 20 * (6 - r);
    const QColor fill = part == 1 ? QColor(Qt::yellow) : QColor(Qt::white);
    QImage expected(26, 21, QImage::Format_RGB32);
    expected.fill(fill);
    {
        QPainter p(&expected);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(0, 0, 25, 20);
        p.setFont(m_dlg->previewFont());
        p.drawText(3, 3 + QFontMetrics(m_dlg->previewFont()).ascent(), QString::number(value));
    }
    QCOMPARE(img.copy(x1, y1, 26, 21), expected);
    QCOMPARE(QColor(img.pixel(x1 + 23, y1 + 18)), fill);
    QCOMPARE(QColor(img.pixel(x1, y1 + 10)), QColor(Qt::black));

    // The top-right cells: channel 70, the module count (box mode 1), the wait blanked.
    const QColor face = m_dlg->palette().color(QPalette::Button);
    QCOMPARE(int(records[69].channel), 70);
    QCOMPARE(int(records[69].time), 6);
    for (int y = 0; y < 20; ++y)
        for (int x = 726; x < 750; ++x)
            QCOMPARE(QColor(img.pixel(x, y)), face);
    QCOMPARE(QColor(img.pixel(725, 5)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(735, 20)), QColor(Qt::black));

    // The box number text ends 3 pixels above the bottom.
    QImage text(750, 19, QImage::Format_RGB32);
    text.fill(face);
    {
        QPainter p(&text);
        p.setFont(m_dlg->previewFont());
        const QFontMetrics fm(m_dlg->previewFont());
        p.drawText(8, 161 - 3 - fm.height() - 142 + fm.ascent(),
                   get_text("box_nr_lbl") + " " + QString::number(records[69].wait));
    }
    QCOMPARE(img.copy(0, 142, 750, 19), text);
    int inked = 0;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            inked += QColor(text.pixel(x, y)) != face;
    QVERIFY(inked > 20);

    if (record == 1) {
        const QString shot =
            QDir(QCoreApplication::applicationDirPath()).filePath("tst_gui_transmit_preview.png");
        QVERIFY(m_dlg->grab().save(shot));
    }
    m_dlg->hide();
    m_dlg->show();
    QVERIFY(button("btn_info")->isEnabled());
    QCOMPARE(m_dlg->height(), 89);
}

void TstGuiTransmit::hexLogOnF12() {
    m_dlg = makeDialog(kPort);
    m_dlg->show();
    QVERIFY(m_far->waitFor(3));
    auto* memo = m_dlg->findChild<QPlainTextEdit*>("Memo1");
    QVERIFY(!memo->isVisible());
    QTest::keyClick(button("btn_close"), Qt::Key_F11);
    QVERIFY(!memo->isVisible());
    QTest::keyClick(button("btn_close"), Qt::Key_F12); // seen by the dialog before the button
    QVERIFY(memo->isVisible());
    QCOMPARE(memo->toPlainText(), m_dlg->hexLog());
    QVERIFY(memo->geometry().top() >= m_dlg->height()); // outside the cut-off window
    const QString before = memo->toPlainText();
    QVERIFY(m_far->waitFor(static_cast<int>(m_far->bytes.size()) + 2));
    QTest::qWait(30);
    QVERIFY(memo->toPlainText().size() > before.size());
    QCOMPARE(memo->toPlainText(), m_dlg->hexLog());
    QVERIFY(m_dlg->hexLog().startsWith("5F 5F 5F "));

    QTest::mouseClick(button("btn_info"), Qt::LeftButton);
    QVERIFY(memo->geometry().bottom() < m_dlg->height());
    QVERIFY(memo->isVisible());
    QVERIFY(m_dlg->grab().save(
        QDir(QCoreApplication::applicationDirPath()).filePath("tst_gui_transmit_log.png")));
}

void TstGuiTransmit::languageFiles_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("english") << "english";
    QTest::newRow("deutsch") << "deutsch";
}

// Every caption and text of both dialogs is in both shipped files.
void TstGuiTransmit::languageFiles() {
    QFETCH(QString, language);
    QVERIFY(languageTable().load(m_dir->path(), language, settingsPath()));
    for (const char* key :
         {"msg_transmit_comopen", "msg_transmit_powermm", "msg_transmit_ledonqm",
          "msg_transmit_calcstr", "msg_transmit_sending", "msg_transmit_end", "msg_selectcomport",
          "msg_comport_error", "box_nr_lbl", "boxmode_cb_0", "boxmode_cb_1", "hint_boxmode"})
        QVERIFY2(!find_text(key).isEmpty(), key);

    m_dlg = makeDialog(kPort);
    int ball = 5, boxMode = 0;
    Tfrm_gui_adv_settings adv(settingsPath(), ball, boxMode);
    m_dlg->show();
    adv.show();
    for (QDialog* dlg : {static_cast<QDialog*>(m_dlg.get()), static_cast<QDialog*>(&adv)}) {
        QVERIFY(!find_text(dlg->objectName()).isEmpty());
        QCOMPARE(dlg->windowTitle(), find_text(dlg->objectName()));
        for (QLabel* l : dlg->findChildren<QLabel*>())
            if (l->pixmap().isNull())
                QVERIFY2(l->text() != l->objectName() && !l->text().isEmpty(),
                         qPrintable(l->objectName()));
        for (QPushButton* b : dlg->findChildren<QPushButton*>())
            QVERIFY2(!find_text(b->objectName()).isEmpty(), qPrintable(b->objectName()));
    }
    QCOMPARE(label(), QString("COM7"));
    const QDir shots(QCoreApplication::applicationDirPath());
    QVERIFY(m_dlg->grab().save(shots.filePath("tst_gui_transmit_" + language + ".png")));
    QVERIFY(adv.grab().save(shots.filePath("tst_gui_adv_settings_" + language + ".png")));
}

QTEST_MAIN(TstGuiTransmit)
#include "tst_gui_transmit.moc"
