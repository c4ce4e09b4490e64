#include "base/settings.h"
#include "base/unit_service.h"
#include "core/pty_pair.h"
#include "gui/scripted_prompts.h"
#include "transfer/backend_transmit.h"
#include "transfer/hex_log_view.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <termios.h>
#include <unistd.h>

#include <memory>

using namespace vz;

namespace {

constexpr int kPort = 7;

// The far end, read on the window thread every millisecond: also while the dialog waits
// inside its click handler.
struct FarEnd {
    explicit FarEnd(PtyPair& p) : pty(p) {
        timer.callOnTimeout([this] { drain(); });
        timer.start(1);
    }
    void drain() {
        char buf[4096];
        ssize_t n;
        while (pty.masterFd() >= 0 && (n = ::read(pty.masterFd(), buf, sizeof buf)) > 0) {
            bytes.append(buf, static_cast<int>(n));
            if (onData)
                onData();
        }
    }
    bool waitFor(qsizetype count, int ms = 3000) {
        return QTest::qWaitFor([&] { return bytes.size() >= count; }, ms);
    }
    PtyPair& pty;
    QTimer timer;
    QByteArray bytes;
    std::function<void()> onData;
};

// XOFF from the far end stops the line as a device with software handshake would: what the
// port writes stays in its queue until XON.
void stopLine(PtyPair& pty, bool stop) {
    termios t{};
    ::tcgetattr(pty.slaveFd(), &t);
    t.c_iflag |= IXON;
    ::tcsetattr(pty.slaveFd(), TCSANOW, &t);
    pty.writeFar(QByteArray(1, stop ? 0x13 : 0x11));
}

int leadingIdle(const QByteArray& bytes) {
    int n = 0;
    while (n < bytes.size() && bytes.at(n) == '_')
        ++n;
    return n;
}

RecordTable distinctRecords() {
    RecordTable t = buildRecordTable(BoxProgram::startValues(), 1);
    for (int p = 1; p <= 69; ++p)
        t[p - 1] = {quint8(p), quint8(p * 7 % 256), quint8(p * 11 % 256)};
    return t;
}

} // namespace

class TstGuiTransmit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void transfer_data();
    void transfer();
    void showing_data();
    void showing();
    void portChoice_data();
    void portChoice();
    void transferErrors_data();
    void transferErrors();
    void hexLog();

private:
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
    std::unique_ptr<FarEnd> m_far;
    std::unique_ptr<Tfrm_gui_transmit> m_dlg;
    ScriptedPrompts m_prompts;
    int m_savedPort = 0;
};

void TstGuiTransmit::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(languageTable().load(VZ_SOURCE_DIR "/resources", "english"));
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->linkAs(m_dir->path(), kPort));
    m_far = std::make_unique<FarEnd>(*m_pty);
    m_prompts.clear();
}

void TstGuiTransmit::cleanup() {
    m_dlg.reset();
    m_far.reset();
    m_pty.reset();
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

// The line is stopped before the press, so idle bytes are still queued, and after each look
// at the stopped line the port may write once: each time exactly one block (or the last
// part) waits in the port, the progress bar shows its number, and the end line is not there
// yet: it comes only after the last byte left.
void TstGuiTransmit::transfer() {
    QFETCH(int, block);
    QFETCH(int, waited);
    QFETCH(int, tail);
    const int size = block < 1 ? 4 : block;
    makeDialog(kPort, block);
    m_dlg->show();
    QVERIFY(m_far->waitFor(3));
    stopLine(*m_pty, true);
    QTRY_VERIFY(queued() >= 2);
    const int idleOnLine = static_cast<int>(m_far->bytes.size());

    auto* bar = m_dlg->findChild<QProgressBar*>("transmit_progress");
    int looks = 0, caught = 0;
    bool closeRefused = true;
    QTimer gate;
    gate.callOnTimeout([&] {
        if (!m_dlg->isSending())
            return;
        m_far->drain();
        const int farImage = static_cast<int>(m_far->bytes.size()) - idleOnLine;
        const int q = queued();
        QVERIFY2(q == 0 || q == size || q == tail, qPrintable(QString::number(q)));
        QVERIFY(!m_dlg->isEnabled() && bar->isVisible() && bar->maximum() == waited);
        QVERIFY(!statusLines().contains(get_text("msg_transmit_end")));
        caught += q > 0 ? 1 : 0;
        if (q == size)
            QCOMPARE(bar->value(), farImage / size + 1);
        if (++looks == 1) {
            QCOMPARE(farImage, 0);
            closeRefused = !m_dlg->close();
            m_dlg->reject();
            closeRefused = closeRefused && m_dlg->isVisible();
        }
        const qsizetype had = m_far->bytes.size();
        stopLine(*m_pty, false);
        QElapsedTimer spin;
        spin.start();
        while (m_far->bytes.size() == had && spin.elapsed() < 200) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            m_far->drain(); // timers do not fire inside this one
        }
        stopLine(*m_pty, true);
        QThread::usleep(1000); // the stop takes effect before the next block
    });
    gate.start(3);
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    gate.stop();
    QCOMPARE(queued(), 0);
    stopLine(*m_pty, false);

    const QByteArray image = build_transfer_image(distinctRecords());
    QVERIFY(m_far->waitFor(idleOnLine + kTransferImageSize));
    QCOMPARE(leadingIdle(m_far->bytes), idleOnLine);
    QCOMPARE(m_far->bytes.mid(idleOnLine), image);
    QCOMPARE(m_dlg->lastTransfer().blocks, waited);
    QCOMPARE(m_dlg->lastTransfer().tailBytes, tail);
    const int parts = waited + (tail > 0 ? 1 : 0);
    QVERIFY2(caught >= parts - parts / 10, qPrintable(QString::number(caught)));
    QVERIFY(closeRefused);
    // The log holds every byte handed over, the dropped idle bytes too.
    QVERIFY(m_dlg->hexLog().endsWith(HexLog::hex(image)));

    QCOMPARE(statusLines(), openedLines() << get_text("msg_transmit_calcstr")
                                          << get_text("msg_transmit_sending")
                                          << get_text("msg_transmit_end"));
    QVERIFY(m_dlg->isEnabled() && !bar->isVisible() && !button("btn_transmit")->isEnabled());
    QVERIFY(!idleTimerOn() && m_dlg->com_port().Open());
    QVERIFY(m_prompts.records.isEmpty());
}

void TstGuiTransmit::showing_data() {
    QTest::addColumn<int>("saved");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("errorBox");
    QTest::newRow("saved port 0: nothing sent") << 0 << false << false;
    QTest::newRow("saved port with a device") << kPort << true << false;
    QTest::newRow("saved port without a device") << 49 << false << true;
}

void TstGuiTransmit::showing() {
    QFETCH(int, saved);
    QFETCH(bool, opens);
    QFETCH(bool, errorBox);
    SettingsFile::writePort(settingsPath(), saved);
    makeDialog(saved);
    m_dlg->show();
    QTest::qWait(150);

    QCOMPARE(m_dlg->com_port().Open(), opens);
    QCOMPARE(button("btn_transmit")->isEnabled(), opens);
    QCOMPARE(SettingsFile::load(settingsPath()).settings.port, saved); // never written here
    QCOMPARE(m_savedPort, errorBox ? 0 : saved);
    QCOMPARE(label(), opens ? QString("COM%1").arg(saved) : get_text("msg_selectcomport"));
    QCOMPARE(m_far->bytes, QByteArray(opens ? m_far->bytes.size() : 0, '_'));
    const QStringList error{get_text("msg_comport_error")};
    QCOMPARE(statusLines(), opens ? openedLines() : errorBox ? error : QStringList());
    QCOMPARE(m_prompts.texts(), errorBox ? error : QStringList());
}

void TstGuiTransmit::portChoice_data() {
    QTest::addColumn<int>("chosen");
    QTest::newRow("a port with a device") << kPort;
    QTest::newRow("a port without a device") << 50;
}

void TstGuiTransmit::portChoice() {
    QFETCH(int, chosen);
    const bool opens = chosen == kPort;
    makeDialog(0);
    m_dlg->com_port().setPortChooser([chosen] { return std::optional<int>(chosen); });
    m_dlg->show();
    QTest::mouseClick(button("btn_selectcomport"), Qt::LeftButton);

    QCOMPARE(m_dlg->com_port().Open(), opens);
    QCOMPARE(button("btn_transmit")->isEnabled(), opens);
    QCOMPARE(m_savedPort, opens ? chosen : 0);
    QCOMPARE(SettingsFile::load(settingsPath()).settings.port, opens ? chosen : 0);
    QCOMPARE(label(), opens ? QString("COM%1").arg(chosen) : get_text("msg_selectcomport"));
    QCOMPARE(statusLines(), opens ? openedLines() : QStringList{get_text("msg_comport_error")});
    QCOMPARE(m_prompts.texts(), opens ? QStringList() : QStringList{get_text("msg_comport_error")});
    // Ready again: the idle stream runs.
    QCOMPARE(m_far->waitFor(2, 500), opens);
}

void TstGuiTransmit::transferErrors_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("line lost while waiting for the operator") << "idle";
    QTest::newRow("far end closed mid-transfer") << "hang-up";
    QTest::newRow("line stopped: time-out") << "stop";
    QTest::newRow("line stopped, then hung up") << "stop, hang-up";
}

// A dead line ends in the error status line and one error box, the port closed, the label
// back to "no port" and the dialog usable; never in the end line.
void TstGuiTransmit::transferErrors() {
    QFETCH(QString, fault);
    makeDialog(kPort);
    m_dlg->show();
    QVERIFY(m_far->waitFor(2));
    const qsizetype idle = m_far->bytes.size();
    QStringList lines = openedLines();
    QElapsedTimer clock;
    clock.start();
    if (fault == "idle") {
        m_pty->hangUp();
        QTRY_VERIFY(!m_prompts.records.isEmpty());
        QTest::qWait(200); // the idle stream goes on ticking: still one box
    } else {
        if (fault == "hang-up") {
            m_far->onData = [this, idle] {
                if (m_far->bytes.size() >= idle + 40)
                    m_pty->hangUp();
            };
        } else {
            stopLine(*m_pty, true);
            QTest::qWait(30);
            if (fault.endsWith("hang-up"))
                QTimer::singleShot(300, m_dlg.get(), [this] { m_pty->hangUp(); });
        }
        QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
        lines << get_text("msg_transmit_calcstr") << get_text("msg_transmit_sending");
        const int limit = outputSentTimeoutMs(4, 1200);
        QVERIFY2(clock.elapsed() < limit + 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(clock.elapsed() >= limit, fault == "stop");
        QVERIFY(m_dlg->lastTransfer().blocks < (fault == "hang-up" ? 107 : 1));
        QVERIFY(!m_dlg->isSending() && m_dlg->isEnabled());
        QVERIFY(!m_dlg->findChild<QProgressBar*>("transmit_progress")->isVisible());
    }
    QCOMPARE(statusLines(), lines << get_text("msg_comport_error"));
    QCOMPARE(m_prompts.kinds(), QStringList{"error"});
    QCOMPARE(m_prompts.texts(), QStringList{get_text("msg_comport_error")});
    QVERIFY(!m_dlg->com_port().Open() && !button("btn_transmit")->isEnabled());
    QCOMPARE(label(), get_text("msg_selectcomport"));
    if (fault != "hang-up") // nothing of the image reached the far end
        QCOMPARE(m_far->bytes, QByteArray(m_far->bytes.size(), '_'));

    QTest::mouseClick(button("btn_close"), Qt::LeftButton); // never frozen
    QVERIFY(!m_dlg->isVisible() && !idleTimerOn());
}

// F12 shows the log below the cut-off window; the data button makes room for it.
void TstGuiTransmit::hexLog() {
    makeDialog(kPort);
    m_dlg->show();
    QVERIFY(m_far->waitFor(3));
    auto* memo = m_dlg->findChild<QPlainTextEdit*>("Memo1");
    QTest::keyClick(button("btn_close"), Qt::Key_F11);
    QVERIFY(!memo->isVisible());
    QTest::keyClick(button("btn_close"), Qt::Key_F12); // the dialog sees it before the button
    QVERIFY(memo->isVisible() && memo->geometry().top() >= m_dlg->height());
    QVERIFY(m_far->waitFor(m_far->bytes.size() + 2));
    QTest::qWait(30);
    QCOMPARE(memo->toPlainText().remove('\n'), m_dlg->hexLog());
    QVERIFY(m_dlg->hexLog().startsWith("5F 5F 5F "));
    QTest::mouseClick(button("btn_info"), Qt::LeftButton);
    QVERIFY(!button("btn_info")->isEnabled() && memo->geometry().bottom() < m_dlg->height());

    // At the cap the text box drops from the front as the log does.
    HexLog log(HexLogView::kEntriesPerLine * 3 + 5 * 3);
    QPlainTextEdit box;
    HexLogView view(&box);
    for (int i = 0; i < 60; ++i)
        view.append(HexLog::hex(QByteArray(1 + i % 7, char(i))),
                    log.append(QByteArray(1 + i % 7, char(i))));
    QCOMPARE(box.toPlainText().remove('\n'), log.text());
}

QTEST_MAIN(TstGuiTransmit)
#include "tst_gui_transmit.moc"
