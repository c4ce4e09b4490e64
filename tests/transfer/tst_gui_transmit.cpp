#include "base/settings.h"
#include "base/unit_service.h"
#include "core/pty_pair.h"
#include "gui/scripted_prompts.h"
#include "transfer/backend_transmit.h"
#include "transfer/hex_log.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <termios.h>
#include <unistd.h>

#include <memory>

using namespace vz;

namespace {

constexpr int kPort = 7;

RecordTable distinctRecords() {
    RecordTable t = buildRecordTable(BoxProgram::startValues(), 1);
    for (int p = 1; p <= 69; ++p)
        t[p - 1] = {quint8(p), quint8(p * 7 % 256), quint8(p * 11 % 256)};
    return t;
}

} // namespace

class TstGuiTransmit : public QObject {
    Q_OBJECT
public:
    TstGuiTransmit() { m_reader.callOnTimeout(this, &TstGuiTransmit::drain); }

private slots:
    void init();
    void cleanup();
    void transfer_data();
    void transfer();
    void ports_data();
    void ports();
    void transferErrors_data();
    void transferErrors();
    void hexLog();

private:
    // The far end, read on the window thread every millisecond.
    void drain();
    bool waitFor(qsizetype count, int ms = 3000) {
        return QTest::qWaitFor([&] { return m_bytes.size() >= count; }, ms);
    }
    void stopLine(bool stop);
    void makeDialog(int savedPort, int block = 4);
    QPushButton* button(const char* name) { return m_dlg->findChild<QPushButton*>(name); }
    QStringList statusLines() const;
    QString label() const { return m_dlg->findChild<QLabel*>("lbl_comport_nr")->text(); }
    bool idleTimerOn() const { return m_dlg->findChild<QTimer*>("Timer1")->isActive(); }
    int queued() { return m_dlg->com_port().OutSize() - m_dlg->com_port().OutputFree(); }
    QString settingsPath() const { return SettingsFile::pathIn(m_dir->path()); }
    QStringList openedLines() const {
        return {get_text("msg_transmit_comopen"), get_text("msg_transmit_powermm"),
                get_text("msg_transmit_ledonqm")};
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<Tfrm_gui_transmit> m_dlg;
    QTimer m_reader;
    QByteArray m_bytes;
    ScriptedPrompts m_prompts;
    int m_savedPort = 0;
};

void TstGuiTransmit::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(languageTable().load(VZ_SOURCE_DIR "/resources", "english"));
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->linkAs(m_dir->path(), kPort));
    m_bytes.clear();
    m_prompts.clear();
    m_reader.start(1);
}

void TstGuiTransmit::cleanup() {
    m_reader.stop();
    m_dlg.reset();
    m_pty.reset();
}

void TstGuiTransmit::drain() {
    char buf[4096];
    ssize_t n;
    while (m_pty && m_pty->masterFd() >= 0 &&
           (n = ::read(m_pty->masterFd(), buf, sizeof buf)) > 0) {
        m_bytes.append(buf, static_cast<int>(n));
    }
}

// XOFF from the far end stops the line as a device with software handshake would: what the
// port writes stays in its queue until XON.
void TstGuiTransmit::stopLine(bool stop) {
    termios t{};
    ::tcgetattr(m_pty->slaveFd(), &t);
    t.c_iflag |= IXON;
    ::tcsetattr(m_pty->slaveFd(), TCSANOW, &t);
    m_pty->writeFar(QByteArray(1, stop ? 0x13 : 0x11));
}

void TstGuiTransmit::makeDialog(int savedPort, int block) {
    m_savedPort = savedPort;
    m_dlg = std::make_unique<Tfrm_gui_transmit>(m_dir->path(), m_prompts, m_savedPort);
    m_dlg->setRecords(distinctRecords());
    m_dlg->setBlockSize(block);
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
    QTest::newRow("4: 107 blocks and 2") << 4 << 107 << 2;
    QTest::newRow("1000: one part") << 1000 << 0 << 430;
    QTest::newRow("0 from the file: as 4") << 0 << 107 << 2;
}

// The line is stopped before the press, and after each look the port may write once: exactly
// one block (or the last part) waits in the port, and the end line comes only after it left.
void TstGuiTransmit::transfer() {
    QFETCH(int, block);
    QFETCH(int, waited);
    QFETCH(int, tail);
    const int size = block < 1 ? 4 : block;
    makeDialog(kPort, block);
    m_dlg->show();
    QVERIFY(waitFor(3));
    stopLine(true);
    QTRY_VERIFY(queued() >= 2);
    const int idleOnLine = static_cast<int>(m_bytes.size());

    auto* bar = m_dlg->findChild<QProgressBar*>("transmit_progress");
    int looks = 0, caught = 0;
    bool closeRefused = true;
    QTimer gate;
    gate.callOnTimeout([&] {
        if (!m_dlg->isSending())
            return;
        drain();
        const int q = queued();
        QVERIFY2(q == 0 || q == size || q == tail, qPrintable(QString::number(q)));
        QVERIFY(!m_dlg->isEnabled() && bar->isVisible() && bar->maximum() == waited);
        QVERIFY(!statusLines().contains(get_text("msg_transmit_end")));
        caught += q > 0 ? 1 : 0;
        if (q == size)
            QCOMPARE(bar->value(), (static_cast<int>(m_bytes.size()) - idleOnLine) / size + 1);
        if (++looks == 1) {
            m_dlg->reject();
            closeRefused = !m_dlg->close() && m_dlg->isVisible();
        }
        if (q == 0)
            return; // the next part is not written yet: the line stays stopped for it
        const qsizetype had = m_bytes.size();
        stopLine(false);
        QElapsedTimer spin;
        spin.start();
        while (m_bytes.size() == had && spin.elapsed() < 200) {
            // Without timers, the port's output-sent check among them: the next part waits
            // until the line is stopped again.
            QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers, 1);
            drain();
        }
        stopLine(true);
        ::usleep(1000); // the stop takes effect before the next block
    });
    gate.start(3);
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([this] { return !m_dlg->isSending(); }, 60000));
    gate.stop();
    QCOMPARE(queued(), 0);
    stopLine(false);

    const QByteArray image = build_transfer_image(distinctRecords());
    QVERIFY(waitFor(idleOnLine + kTransferImageSize));
    QCOMPARE(m_bytes.left(idleOnLine), QByteArray(idleOnLine, '_'));
    QCOMPARE(m_bytes.mid(idleOnLine), image);
    const int parts = waited + (tail > 0 ? 1 : 0);
    QVERIFY2(caught >= parts - parts / 10, qPrintable(QString::number(caught)));
    QVERIFY(closeRefused && m_dlg->hexLog().endsWith(HexLog::hex(image)));
    QCOMPARE(statusLines(), openedLines() << get_text("msg_transmit_calcstr")
                                          << get_text("msg_transmit_sending")
                                          << get_text("msg_transmit_end"));
    QVERIFY(m_dlg->isEnabled() && !bar->isVisible() && !button("btn_transmit")->isEnabled());
    QVERIFY(!idleTimerOn() && m_dlg->com_port().Open() && m_prompts.records.isEmpty());
}

void TstGuiTransmit::ports_data() {
    QTest::addColumn<int>("saved");
    QTest::addColumn<int>("chosen");
    QTest::newRow("saved port with a device") << kPort << 0;
    QTest::newRow("saved port without a device: not forgotten") << 49 << 0;
    QTest::newRow("chosen port with a device") << 0 << kPort;
    QTest::newRow("chosen port without a device: 0 saved") << kPort << 50;
}

// The port opens on showing (the saved one) or by the port button (the chosen one, then saved).
void TstGuiTransmit::ports() {
    QFETCH(int, saved);
    QFETCH(int, chosen);
    const int port = chosen ? chosen : saved;
    const bool opens = port == kPort;
    SettingsFile::writePort(settingsPath(), saved);
    makeDialog(saved);
    m_dlg->com_port().setPortChooser([chosen] { return std::optional<int>(chosen); });
    m_dlg->show();
    if (chosen)
        QTest::mouseClick(button("btn_selectcomport"), Qt::LeftButton);
    QCOMPARE(waitFor(2, 300), opens); // ready: the idle stream runs

    QCOMPARE(m_dlg->com_port().Open(), opens);
    QCOMPARE(button("btn_transmit")->isEnabled(), opens);
    const int kept = opens ? port : chosen ? 0 : saved;
    QCOMPARE(SettingsFile::load(settingsPath()).settings.port, kept);
    QCOMPARE(m_savedPort, kept);
    QCOMPARE(label(), opens ? QString("COM%1").arg(port) : get_text("msg_selectcomport"));
    QCOMPARE(m_bytes, QByteArray(m_bytes.size(), '_'));
    const QStringList error{get_text("msg_comport_error")};
    QCOMPARE(statusLines(), opens ? openedLines() : port ? error : QStringList());
    QCOMPARE(m_prompts.texts(), !opens && port ? error : QStringList());
}

void TstGuiTransmit::transferErrors_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("line lost while waiting for the operator") << "idle";
    QTest::newRow("line stopped: time-out") << "stop";
    QTest::newRow("line stopped, then hung up mid-transfer") << "hang-up";
}

// A dead line ends in the error status line and one error box, the port closed, the label
// back to "no port" and the dialog usable; never in the end line nor with image bytes sent.
void TstGuiTransmit::transferErrors() {
    QFETCH(QString, fault);
    makeDialog(kPort);
    m_dlg->show();
    QVERIFY(waitFor(2));
    QStringList lines = openedLines();
    QElapsedTimer clock;
    clock.start();
    if (fault == "idle") {
        m_pty->hangUp();
        QTRY_VERIFY(!m_prompts.records.isEmpty());
        QTest::qWait(200); // the idle stream goes on ticking: still one box
    } else {
        stopLine(true);
        QTest::qWait(30);
        if (fault == "hang-up")
            QTimer::singleShot(300, m_dlg.get(), [this] { m_pty->hangUp(); });
        QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
        lines << get_text("msg_transmit_calcstr") << get_text("msg_transmit_sending");
        const int limit = outputSentTimeoutMs(4, 1200);
        QCOMPARE(limit, 34 + 17 + 1000); // line time, half of it again, and a second
        QVERIFY(QTest::qWaitFor([this] { return !m_dlg->isSending(); }, limit + 1000));
        QVERIFY2(clock.elapsed() < limit + 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(clock.elapsed() >= limit, fault == "stop");
        QVERIFY(m_dlg->lastTransfer().blocks == 0 && !m_dlg->isSending() && m_dlg->isEnabled());
        QVERIFY(!m_dlg->findChild<QProgressBar*>("transmit_progress")->isVisible());
    }
    QCOMPARE(statusLines(), lines << get_text("msg_comport_error"));
    QCOMPARE(m_prompts.kinds() + m_prompts.texts(),
             QStringList({"error", get_text("msg_comport_error")}));
    QVERIFY(!m_dlg->com_port().Open() && !button("btn_transmit")->isEnabled());
    QCOMPARE(label(), get_text("msg_selectcomport"));
    QCOMPARE(m_bytes, QByteArray(m_bytes.size(), '_'));
    QTest::mouseClick(button("btn_close"), Qt::LeftButton); // never frozen
    QVERIFY(!m_dlg->isVisible() && !idleTimerOn());
}

// F12 shows the log below the cut-off window; the data button makes room for it.
void TstGuiTransmit::hexLog() {
    makeDialog(kPort);
    m_dlg->show();
    QVERIFY(waitFor(3));
    auto* memo = m_dlg->findChild<QPlainTextEdit*>("Memo1");
    QTest::keyClick(button("btn_close"), Qt::Key_F12); // the dialog sees it before the button
    QVERIFY(memo->isVisible() && memo->geometry().top() >= m_dlg->height());
    QVERIFY(waitFor(m_bytes.size() + 2));
    QTRY_COMPARE(memo->toPlainText().remove('\n'), m_dlg->hexLog());
    QTest::mouseClick(button("btn_info"), Qt::LeftButton);
    QVERIFY(!button("btn_info")->isEnabled() && memo->geometry().bottom() < m_dlg->height());

    // At its cap the view drops the front with the log: whole lines and part of one.
    HexLog capped(240);
    QPlainTextEdit box;
    HexLogView view(&box);
    for (char c = 'a'; c <= 'z'; ++c)
        view.append(HexLog::hex(QByteArray(5, c)), capped.append(QByteArray(5, c)));
    QCOMPARE(box.toPlainText().remove('\n'), capped.text());
}

QTEST_MAIN(TstGuiTransmit)
#include "tst_gui_transmit.moc"
