#include "base/settings.h"
#include "base/unit_service.h"
#include "core/pty_pair.h"
#include "device/device_decoder.h"
#include "gui/scripted_prompts.h"
#include "transfer/backend_transmit.h"
#include "transfer/hex_log_view.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
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
void allowStop(PtyPair& pty) {
    termios t{};
    ::tcgetattr(pty.slaveFd(), &t);
    t.c_iflag |= IXON;
    ::tcsetattr(pty.slaveFd(), TCSANOW, &t);
}
void stopLine(PtyPair& pty, bool stop) {
    pty.writeFar(QByteArray(1, stop ? 0x13 : 0x11));
}

int leadingIdle(const QByteArray& bytes) {
    int n = 0;
    while (n < bytes.size() && bytes.at(n) == '_')
        ++n;
    return n;
}

RecordTable distinctRecords() {
    RecordTable t = buildRecordTable(BoxProgram::startValues(), 1); // record 70: count 6
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
    void dataPreview_data();
    void dataPreview();
    void hexLogOnF12();
    void hexLogViewFollowsAFullLog();

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
    QDir(m_dir->path()).mkpath("language");
    for (QString name : {"english", "deutsch"})
        QVERIFY(QFile::copy(VZ_SOURCE_DIR "/resources/language/" + name + ".lng",
                            m_dir->filePath("language/" + name + ".lng")));
    QVERIFY(languageTable().load(m_dir->path(), "english"));
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
    QTest::newRow("5: 86 blocks") << 5 << 86 << 0;
    QTest::newRow("430: one block") << 430 << 1 << 0;
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
    QCOMPARE(m_dlg->com_port().Baud(), 1200);
    QVERIFY(m_far->waitFor(3));
    allowStop(*m_pty);
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
        ++looks;
        const int q = queued();
        QVERIFY2(q == 0 || q == size || q == tail, qPrintable(QString::number(q)));
        QVERIFY(!m_dlg->isEnabled() && bar->isVisible() && bar->maximum() == waited);
        QVERIFY(!statusLines().contains(get_text("msg_transmit_end")));
        if (q > 0)
            ++caught;
        if (q == size)
            QCOMPARE(bar->value(), farImage / size + 1);
        if (looks == 1) {
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
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton); // disabled: sends nothing
    QTest::qWait(150);
    QCOMPARE(leadingIdle(m_far->bytes), idleOnLine);
    QCOMPARE(m_far->bytes.mid(idleOnLine), image);
    DeviceDecoder decoder;
    decoder.feed(m_far->bytes, 0);
    decoder.finish();
    const QVector<DeviceEvent> events = decoder.takeEvents();
    QCOMPARE(events.last().kind, DeviceEvent::Kind::Image);
    QVERIFY2(events.last().valid, qPrintable(events.last().fault));
    QVERIFY(events.last().records == distinctRecords());

    QCOMPARE(m_dlg->lastTransfer().blocks, waited);
    QCOMPARE(m_dlg->lastTransfer().tailBytes, tail);
    const int parts = waited + (tail > 0 ? 1 : 0);
    QVERIFY2(caught >= parts - parts / 10, qPrintable(QString::number(caught)));
    QVERIFY(closeRefused);

    // The log holds every byte handed over, the dropped idle bytes too.
    const QString log = m_dlg->hexLog();
    QVERIFY(log.endsWith(HexLog::hex(image)));
    const int idleLogged = static_cast<int>(log.size() / 3) - kTransferImageSize;
    QCOMPARE(log.left(idleLogged * 3), QString("5F ").repeated(idleLogged));
    QVERIFY(idleLogged > idleOnLine);

    const QStringList sent{get_text("msg_transmit_calcstr"), get_text("msg_transmit_sending"),
                           get_text("msg_transmit_end")};
    QCOMPARE(statusLines(), openedLines() + sent);
    QCOMPARE(m_dlg->findChild<QListWidget*>("listbox")->currentRow(), 5);
    QVERIFY(m_dlg->isEnabled() && !bar->isVisible() && !button("btn_transmit")->isEnabled());
    QVERIFY(!idleTimerOn());
    QVERIFY(m_dlg->com_port().Open());
    QVERIFY(m_prompts.records.isEmpty());
}

void TstGuiTransmit::showing_data() {
    QTest::addColumn<int>("saved");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("errorBox");
    QTest::newRow("saved port 0: nothing sent") << 0 << false << false;
    QTest::newRow("saved port -1") << -1 << false << false;
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
    QVERIFY(button("btn_info")->isEnabled());
    QCOMPARE(m_dlg->size(), QSize(750, 89));
    QVERIFY(idleTimerOn()); // without a port it runs and sends nothing
    QCOMPARE(SettingsFile::load(settingsPath()).settings.port, saved); // never written here
    QCOMPARE(m_savedPort, errorBox ? 0 : saved);
    QCOMPARE(label(), opens ? QString("COM%1").arg(saved) : get_text("msg_selectcomport"));
    QCOMPARE(m_far->bytes, QByteArray(opens ? m_far->bytes.size() : 0, '_'));
    QCOMPARE(m_far->bytes.size() >= 2, opens);
    QCOMPARE(statusLines(), opens      ? openedLines()
                            : errorBox ? QStringList{get_text("msg_comport_error")}
                                       : QStringList());
    QCOMPARE(m_prompts.texts(),
             errorBox ? QStringList{get_text("msg_comport_error")} : QStringList());
}

void TstGuiTransmit::portChoice_data() {
    QTest::addColumn<int>("startPort");
    QTest::addColumn<int>("chosen"); // -1: cancelled
    QTest::newRow("from no port to a device") << 0 << kPort;
    QTest::newRow("after a transfer, the same port again") << kPort << kPort;
    QTest::newRow("cancelled") << kPort << -1;
    QTest::newRow("chosen port without a device") << 0 << 50;
}

void TstGuiTransmit::portChoice() {
    QFETCH(int, startPort);
    QFETCH(int, chosen);
    const bool opens = chosen == kPort;
    makeDialog(startPort, 1000);
    m_dlg->com_port().setPortChooser(
        [chosen] { return chosen < 0 ? std::nullopt : std::optional<int>(chosen); });
    m_dlg->show();
    if (startPort) {
        QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
        QVERIFY(m_far->waitFor(kTransferImageSize));
    }
    QTest::mouseClick(button("btn_selectcomport"), Qt::LeftButton);

    QCOMPARE(m_dlg->com_port().Open(), opens);
    QCOMPARE(button("btn_transmit")->isEnabled(), opens);
    QCOMPARE(m_savedPort, opens ? chosen : 0);
    QCOMPARE(SettingsFile::load(settingsPath()).settings.port, opens ? chosen : 0);
    QCOMPARE(label(), opens ? QString("COM%1").arg(chosen) : get_text("msg_selectcomport"));
    QCOMPARE(statusLines(), opens ? openedLines() : QStringList{get_text("msg_comport_error")});
    QCOMPARE(m_prompts.texts(), opens ? QStringList() : QStringList{get_text("msg_comport_error")});
    if (!opens)
        return;
    // Ready again: idle stream, and a transfer goes out.
    QVERIFY(idleTimerOn());
    m_far->bytes.clear();
    QVERIFY(m_far->waitFor(2));
    QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
    QVERIFY(m_far->waitFor(kTransferImageSize + 2));
    QTest::qWait(50);
    QCOMPARE(m_far->bytes.mid(leadingIdle(m_far->bytes)), build_transfer_image(m_dlg->records()));
}

void TstGuiTransmit::transferErrors_data() {
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("fault");
    QTest::newRow("line lost while waiting for the operator") << 4 << "idle";
    QTest::newRow("far end closed mid-transfer") << 4 << "hang-up";
    QTest::newRow("line stopped: time-out") << 4 << "stop";
    QTest::newRow("line stopped, then hung up, small blocks") << 4 << "stop, hang-up";
    QTest::newRow("line stopped, then hung up, one large part") << 1000 << "stop, hang-up";
}

// A dead line ends in the error status line and one error box, the port closed, the label
// back to "no port" and the dialog usable; never in the end line.
void TstGuiTransmit::transferErrors() {
    QFETCH(int, block);
    QFETCH(QString, fault);
    makeDialog(kPort, block);
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
            allowStop(*m_pty);
            stopLine(*m_pty, true);
            QTest::qWait(30);
            if (fault.endsWith("hang-up"))
                QTimer::singleShot(300, m_dlg.get(), [this] { m_pty->hangUp(); });
        }
        QTest::mouseClick(button("btn_transmit"), Qt::LeftButton);
        lines << get_text("msg_transmit_calcstr") << get_text("msg_transmit_sending");
        const int limit = outputSentTimeoutMs(qMin(block, kTransferImageSize), 1200);
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
    QCOMPARE(m_dlg->com_port().ComNumber(), 0);
    QCOMPARE(label(), get_text("msg_selectcomport"));
    if (fault != "hang-up") // nothing of the image reached the far end
        QCOMPARE(m_far->bytes, QByteArray(m_far->bytes.size(), '_'));

    QTest::mouseClick(button("btn_close"), Qt::LeftButton); // never frozen
    QVERIFY(!m_dlg->isVisible() && !idleTimerOn());
}

void TstGuiTransmit::dataPreview_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("part"); // 1 channel, 2 time, 3 wait
    QTest::newRow("record 1 channel, bottom left") << 1 << 1;
    QTest::newRow("record 10 wait, bottom right") << 10 << 3;
    QTest::newRow("record 70 time: the module count in box mode 1") << 70 << 2;
}

void TstGuiTransmit::dataPreview() {
    QFETCH(int, record);
    QFETCH(int, part);
    makeDialog(kPort);
    m_dlg->show();
    QTest::mouseClick(button("btn_info"), Qt::LeftButton);
    QVERIFY(!button("btn_info")->isEnabled());
    QCOMPARE(m_dlg->height(), 89 + 161);
    const QImage img = m_dlg->dataPreview().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(img.size(), QSize(750, 161));
    const QFont font = m_dlg->previewFont();
    const QFontMetrics fm(font);

    // The cell as it must look: yellow or white, black border, the value 3 pixels in.
    const TransferRecord rec = distinctRecords()[record - 1];
    const int value = part == 1 ? rec.channel : part == 2 ? rec.time : rec.wait;
    const int x1 = 75 * ((record - 1) % 10) + 25 * (part - 1), y1 = 20 * (6 - (record - 1) / 10);
    QImage cell(26, 21, QImage::Format_RGB32);
    cell.fill(part == 1 ? Qt::yellow : Qt::white);
    QPainter p(&cell);
    p.drawRect(0, 0, 25, 20);
    p.setFont(font);
    p.drawText(3, 3 + fm.ascent(), QString::number(value));
    p.end();
    QCOMPARE(img.copy(x1, y1, 26, 21), cell);

    // Record 70's wait is blanked; the box number stands at the bottom left instead.
    const QColor face = m_dlg->palette().color(QPalette::Button);
    QImage blank(24, 20, QImage::Format_RGB32);
    blank.fill(face);
    QCOMPARE(img.copy(726, 0, 24, 20), blank);
    QImage text(750, 19, QImage::Format_RGB32);
    text.fill(face);
    p.begin(&text);
    p.setFont(font);
    p.drawText(8, 161 - 3 - fm.height() - 142 + fm.ascent(),
               get_text("box_nr_lbl") + " " + QString::number(distinctRecords()[69].wait));
    p.end();
    QCOMPARE(img.copy(0, 142, 750, 19), text);

    m_dlg->hide();
    m_dlg->show();
    QVERIFY(button("btn_info")->isEnabled());
    QCOMPARE(m_dlg->height(), 89);
}

void TstGuiTransmit::hexLogOnF12() {
    makeDialog(kPort);
    m_dlg->show();
    QVERIFY(m_far->waitFor(3));
    auto* memo = m_dlg->findChild<QPlainTextEdit*>("Memo1");
    QTest::keyClick(button("btn_close"), Qt::Key_F11);
    QVERIFY(!memo->isVisible());
    QTest::keyClick(button("btn_close"), Qt::Key_F12); // the dialog sees it before the button
    QVERIFY(memo->isVisible());
    QVERIFY(memo->geometry().top() >= m_dlg->height()); // outside the cut-off window
    const qsizetype before = memo->toPlainText().size();
    QVERIFY(m_far->waitFor(m_far->bytes.size() + 2));
    QTest::qWait(30);
    QVERIFY(memo->toPlainText().size() > before);
    QCOMPARE(memo->toPlainText().remove('\n'), m_dlg->hexLog());
    QVERIFY(m_dlg->hexLog().startsWith("5F 5F 5F "));
    QTest::mouseClick(button("btn_info"), Qt::LeftButton);
    QVERIFY(memo->geometry().bottom() < m_dlg->height());
}

// At the cap every append drops from the front; the text box follows entry by entry, its
// lines never longer than a line's entries.
void TstGuiTransmit::hexLogViewFollowsAFullLog() {
    HexLog log(HexLogView::kEntriesPerLine * 3 * 3 + 5 * 3);
    QPlainTextEdit box;
    HexLogView view(&box);
    log.append("ab");
    view.showAll(log);
    for (int i = 0; i < 300; ++i) {
        const QByteArray part(1 + i % 7 * (i % 11 == 0 ? 30 : 1), static_cast<char>(i));
        view.append(HexLog::hex(part), log.append(part));
        const QString text = box.toPlainText();
        QCOMPARE(QString(text).remove('\n'), log.text());
        const QStringList lines = text.split('\n');
        QVERIFY(std::all_of(lines.cbegin(), lines.cend(), [](const QString& line) {
            return line.size() <= HexLogView::kEntriesPerLine * HexLog::kEntryChars;
        }));
    }
    QCOMPARE(log.size(), log.limit());
}

QTEST_MAIN(TstGuiTransmit)
#include "tst_gui_transmit.moc"
