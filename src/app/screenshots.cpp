// Pictures of the main window and its dialogs in each shipped language, for looking at the
// layout after a change; run by hand (Linux: fire mode runs on a pseudo-terminal).
//
//     QT_QPA_PLATFORM=offscreen build/bin/vz_screenshots [OUTDIR]     (default: screens)

#include "app/gui_main.h"
#include "app/unit_language.h"
#include "base/prompts.h"
#include "base/unit_service.h"
#include "base/unit_service_gui.h"
#include "fire/fire_console.h"
#include "fire/fire_frames.h"
#include "fire/fire_log.h"
#include "fire/fire_panel.h"
#include "fire/gui_firebtn_hotkey.h"
#include "fire/gui_firelog.h"
#include "fire/gui_macropause.h"
#include "fire/gui_macroseq.h"
#include "output/gui_info.h"
#include "output/output_wiring.h"
#include "program/program_document.h"
#include "serial/com_select_form.h"
#include "serial/port_catalog.h"
#include "transfer/backend_transmit.h"
#include "transfer/gui_adv_settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace vz;

namespace {

constexpr int kCom = 9;

// Yes to every question, no file chosen; messages go to the terminal.
class AnsweringPrompts : public Prompts {
public:
    void error(QWidget*, const QString& text) override { say(text); }
    void information(QWidget*, const QString& text) override { say(text); }
    Answer confirm(QWidget*, const QString&, Answer) override { return Answer::Yes; }
    Answer warningYesNo(QWidget*, const QString&) override { return Answer::Yes; }
    Answer warningYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    bool printDialog(QWidget*, QPrinter*) override { return false; }

private:
    static void say(const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
    return true;
}

// A pseudo-terminal whose master side stays open (and unread) until closed; -1 on failure.
int openPty() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && (::grantpt(master) != 0 || ::unlockpt(master) != 0)) {
        ::close(master);
        return -1;
    }
    return master;
}

// A program folder with the shipped texts, a pseudo-terminal as COM kCom and another posing as
// a USB adapter in a stand-in of the system's serial folders (root/).
struct ProgramFolder {
    QTemporaryDir dir;
    int master = -1;
    int adapter = -1;

    bool create(const QString& binDir, const QString& language) {
        if (!dir.isValid() || !copyFolder(binDir + "/language", dir.filePath("language")) ||
            !copyFolder(binDir + "/help", dir.filePath("help")))
            return false;
        QFile settings(dir.filePath("settings.ini"));
        if (!settings.open(QIODevice::WriteOnly) ||
            settings.write(QStringLiteral("[languagefiles]\nactive=%1\n[com]\nport=%2\n")
                               .arg(language)
                               .arg(kCom)
                               .toUtf8()) < 0)
            return false;
        settings.close();
        master = openPty();
        adapter = openPty();
        if (master < 0 || adapter < 0 ||
            vz::ports::addStandInAdapter(dir.filePath("root"),
                                         QString::fromLocal8Bit(::ptsname(adapter)),
                                         {"FTDI", "FT232R USB UART", "A10K3XYZ"})
                .isEmpty())
            return false;
        QDir().mkpath(dir.filePath("ports"));
        return ::symlink(::ptsname(master),
                         QFile::encodeName(dir.filePath(QStringLiteral("ports/COM%1").arg(kCom)))
                             .constData()) == 0;
    }
    ~ProgramFolder() {
        for (int fd : {master, adapter})
            if (fd >= 0)
                ::close(fd);
    }
};

bool save(QWidget* widget, const QString& outDir, const QString& name) {
    const QString path = QDir(outDir).filePath(name + ".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// A show's fire log of the given day in the log's own format: buttons, hotkeys, a macro, a
// failed, a refused and dropped frames, vzctl, a rehearsal, and a line that cannot be read.
bool writeSampleLog(const QString& path, const QDate& day) {
    QDateTime t(day, QTime(21, 0, 0));
    QStringList lines{vz::FireLog::header()};
    auto add = [&](int afterMs, const QString& event, const QString& route, int channel,
                   const QString& source, const QString& outcome) {
        t = t.addMSecs(afterMs);
        const bool macro = source.startsWith(QLatin1String("macro"));
        vz::FireLogLine line{
            event, route,  QStringLiteral("COM9"), channel > 0 ? 1 : -1, channel, source,
            {},    outcome};
        if (event == QLatin1String("frame") && outcome != QLatin1String("dropped"))
            line.frame = macro ? vz::macroCallFrame(1, channel) : vz::masterModuleFrame(1, channel);
        lines << vz::FireLog::format(t, line);
    };
    // Both copies of a frame, 20 ms apart.
    auto shot = [&](int afterMs, int channel, const QString& source, const QString& route = "mm",
                    const QString& outcome = "written") {
        add(afterMs, "frame", route, channel, source, outcome);
        add(vz::kFireRepeatMs, "frame", route, channel, source, outcome);
    };
    add(0, "fire mode on", "mm", -1, {}, {});
    for (int i = 0; i < 6; ++i)
        shot(14000, 1 + i % 3, "button");
    for (int i = 0; i < 5; ++i)
        shot(9000, 21 + i % 2, QStringLiteral("hotkey %1").arg(QChar('a' + i % 2)));
    add(30000, "macro start", "mm", -1, "macro 3", {});
    for (int step = 1; step <= 4; ++step)
        shot(step == 1 ? 20 : 1500, 30 + step, QStringLiteral("macro 3 step %1").arg(step));
    add(1500, "macro end", "mm", -1, "macro 3", {});
    shot(40000, 5, "button", "mm", "failed");
    add(1000, "port error", "mm", -1, {}, "failed");
    add(0, "fire mode off", "mm", -1, {}, {});
    add(9000, "fire mode on", "mm", -1, {}, {});
    add(8000, "frame", "mm", 24, "hotkey q", "refused");
    add(15000, "macro start", "mm", -1, "macro 4", {});
    shot(20, 6, "macro 4 step 1");
    add(3000, "macro abort", "mm", -1, "macro 4", {});
    add(0, "frame", "mm", 7, "macro 4 step 2", "dropped");
    add(20, "frame", "mm", 8, "macro 4 step 3", "dropped");
    shot(20000, 22, "hotkey b");
    add(30000, "fire mode off", "mm", -1, {}, {});
    shot(50000, 10, "vzctl");
    lines << QStringLiteral("2026-13-45 25:61:00.000 +01:00,frame,mm,COM9,1,21,button,,written");
    add(40000, "fire mode on", "rehearsal", -1, {}, {});
    for (int i = 0; i < 8; ++i)
        shot(4000, 31 + i % 4, "button", "rehearsal");
    add(20000, "fire mode off", "rehearsal", -1, {}, {});

    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write((lines.join('\n') + '\n').toUtf8()) > 0;
}

bool shootFireLog(Tfrm_gui_main& w, const QString& outDir, const QString& language) {
    vz::FireLog* log = w.fireConsole()->controller().log();
    const QDate today = QDate::currentDate();
    if (!log || !log->drain(2000) ||
        !writeSampleLog(QDir(log->folder()).filePath(vz::fireLogFileName(today)), today)) {
        std::fprintf(stderr, "cannot write a sample fire log\n");
        return false;
    }
    w.findChild<QAction*>(QStringLiteral("menu_fire_log"))->trigger();
    auto* window = w.findChild<Tfrm_gui_firelog*>();
    window->resize(window->width(), 560); // every row in view
    wait(50);
    bool ok = save(window, outDir, "main_frm_gui_firelog_day_" + language);
    // Ten minutes around the show, a mark pointed at.
    auto* zoom = window->findChild<QComboBox*>(QStringLiteral("firelog_zoom_cb"));
    zoom->setCurrentIndex(2);
    window->firelog_zoom_cbChange(2);
    vz::FireLogTimeline* timeline = window->timeline();
    auto mouse = [timeline](QEvent::Type type, int ms, int channel) {
        const QPointF at(timeline->xOf(ms), timeline->rowTop(channel) + 8);
        QMouseEvent event(type, at, timeline->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(timeline, &event);
    };
    mouse(QEvent::MouseButtonPress, (21 * 3600 + 4 * 60 + 30) * 1000, 10);
    const vz::FireLogMark& mark = window->day().marks.at(26);
    mouse(QEvent::MouseMove, mark.ms, mark.channel);
    wait(50);
    ok = save(window, outDir, "main_frm_gui_firelog_" + language) && ok;
    window->close();
    return ok;
}

bool shootLanguage(const QString& language, const QString& outDir) {
    ProgramFolder folder;
    if (!folder.create(QCoreApplication::applicationDirPath(), language)) {
        std::fprintf(stderr, "cannot set up a program folder\n");
        return false;
    }
    languageTable().clear();
    AnsweringPrompts prompts;
    Tfrm_gui_main w(folder.dir.path(), {}, prompts);
    w.show();
    wait(50);
    bool ok = save(&w, outDir, "main_" + language);

    // Every program page, with 16 modules so the single page's right block is filled.
    vz::ProgramDocument& doc = w.document();
    doc.setModuleCountPosition(15);
    for (int page = 0; page < vz::kProgramPages; ++page) {
        w.pageControl()->setCurrentIndex(page);
        wait(20);
        ok = save(&w, outDir, QStringLiteral("page%1_%2").arg(page).arg(language)) && ok;
    }
    doc.setModuleCountPosition(5);
    w.pageControl()->setCurrentIndex(vz::kPageSingle);

    // A macro of calls and a pause, some active macros and one sequence switched off.
    vz::ProgramDocument& d = w.document();
    d.setMacroSlot(2, 0, vz::MacroCall, 21);
    d.setMacroSlot(2, 1, vz::MacroPause, 150);
    d.setMacroSlot(2, 2, vz::MacroCall, 31);
    d.setMacroSlot(2, 3, vz::MacroPause, 50);
    d.setMacroSlot(2, 4, vz::MacroCall, 22);
    d.setMacroSlot(2, 5, vz::MacroPause, 100);
    d.setMacroSlot(2, 6, vz::MacroCall, 40);
    d.setMacroActive(0, true);
    d.setMacroActive(2, true);
    d.setMacroActive(9, true);
    d.setSeqInUse(3, 4, false);
    vz::FireConsole& console = *w.fireConsole();
    w.pageControl()->setCurrentIndex(vz::kPageFireSetup);
    w.findChild<QComboBox*>(QStringLiteral("firesetup_macro_select_cb"))->setCurrentIndex(2);
    wait(20);
    ok = save(&w, outDir, "main_fire_setup_" + language) && ok;

    // The Edit menu open, with a step to undo and one to redo; it is a window of its own,
    // drawn onto the main window's picture where it stands.
    w.pageControl()->setCurrentIndex(vz::kPageSingle);
    d.setSingleFire(3, 7);
    d.undo();
    auto* edit = w.findChild<QMenu*>(QStringLiteral("menu_edit"));
    w.menuBar()->setActiveAction(edit->menuAction());
    wait(50);
    QImage picture = w.grab().toImage();
    QPainter painter(&picture);
    painter.drawPixmap(edit->mapToGlobal(QPoint()) - w.mapToGlobal(QPoint()), edit->grab());
    painter.end();
    edit->hide();
    const QString editPath = QDir(outDir).filePath("main_edit_menu_" + language + ".png");
    if (picture.save(editPath)) {
        std::printf("%s\n", qPrintable(editPath));
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(editPath));
        ok = false;
    }
    d.redo();

    w.findChild<QAction*>(QStringLiteral("menu_fire_mastermodul"))->trigger();
    if (!console.controller().isArmed()) {
        std::fprintf(stderr, "fire mode did not start on COM%d\n", kCom);
        return false;
    }
    // The fire page at the smallest window and a large one: armed, and with a macro running
    // (its second call just sent).
    const QSize normal = w.size();
    for (const auto& [name, size] : {std::pair{QStringLiteral("small"), w.minimumSize()},
                                     std::pair{QStringLiteral("large"), QSize(1400, 900)}}) {
        w.resize(size);
        wait(50);
        console.firePage()->fireButton(1, 2)->click();
        wait(50);
        ok = save(&w, outDir, "main_fire_armed_" + name + "_" + language) && ok;
        console.firePage()->fireButton(9, 3)->click();
        wait(1600);
        ok = save(&w, outDir, "main_fire_macro_" + name + "_" + language) && ok;
        console.stopMacro();
    }
    w.findChild<QAction*>(QStringLiteral("menu_fire_mastermodul"))->trigger();
    w.findChild<QAction*>(QStringLiteral("menu_fire_rk40"))->trigger();
    w.resize(w.minimumSize());
    wait(50);
    ok = save(&w, outDir, "main_fire_rk40_small_" + language) && ok;
    w.findChild<QAction*>(QStringLiteral("menu_fire_rk40"))->trigger();

    // The rehearsal: a button's flames on the row, then macro 3 with its sequence under way
    // (LR 1 overlapping: two flames at once).
    d.setGroupFire(1, 1, 40);
    d.setSeqFire(0, 1, 12);
    d.setSeqWait(0, 1, 6);
    w.findChild<QAction*>(QStringLiteral("menu_fire_rehearsal"))->trigger();
    if (!console.controller().isArmed()) {
        std::fprintf(stderr, "the rehearsal did not start\n");
        return false;
    }
    wait(50);
    console.firePage()->fireButton(2, 1)->click();
    wait(200);
    ok = save(&w, outDir, "main_fire_rehearsal_small_" + language) && ok;
    console.firePage()->fireButton(9, 3)->click();
    wait(1800);
    ok = save(&w, outDir, "main_fire_rehearsal_macro_small_" + language) && ok;
    console.stopMacro();
    w.findChild<QAction*>(QStringLiteral("menu_fire_rehearsal"))->trigger();
    w.resize(normal);
    ok = shootFireLog(w, outDir, language) && ok;

    console.sequenceDialog()->FormShow();
    console.pauseDialog()->FormShow();
    // What their showing does, without showing them.
    w.output()->infoDialog()->FormShow(w.windowTitle());
    w.advSettingsDialog()->FormShow();
    console.hotkeyWindow()->FormShow();
    for (QWidget* dialog :
         {static_cast<QWidget*>(w.languageDialog()), static_cast<QWidget*>(w.transmitDialog())})
        apply_texts(dialog);
    for (QWidget* dialog :
         {static_cast<QWidget*>(console.sequenceDialog()),
          static_cast<QWidget*>(console.pauseDialog()),
          static_cast<QWidget*>(w.advSettingsDialog()), static_cast<QWidget*>(w.languageDialog()),
          static_cast<QWidget*>(w.transmitDialog()), static_cast<QWidget*>(console.hotkeyWindow()),
          static_cast<QWidget*>(w.output()->infoDialog())})
        ok = save(dialog, outDir, "main_" + dialog->objectName() + "_" + language) && ok;

    // The port chooser: the virtual module, the stand-in adapter, and a second adapter as a
    // user outside the serial ports' group would see it.
    QList<vz::ports::PortEntry> entries = vz::ports::catalog(
        folder.dir.path(), vz::ports::SerialSystem::at(folder.dir.filePath("root")),
        vz::ports::kFirstOffered, vz::ports::kLastOffered);
    vz::ports::PortEntry locked;
    locked.number = 18;
    locked.device = QStringLiteral("/dev/ttyUSB1");
    locked.stableName = QStringLiteral("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
    locked.usb = {QStringLiteral("QinHeng Electronics"), QStringLiteral("USB Serial"), QString()};
    locked.linkOnChoice = true;
    locked.deniedGroup = QStringLiteral("dialout");
    entries << locked;
    TComSelectForm chooser(folder.dir.path(), entries);
    auto* list = chooser.findChild<QComboBox*>(QStringLiteral("PortsComboBox"));
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).linkOnChoice || !entries.at(i).link.isEmpty()) {
            list->setCurrentIndex(i);
            ok = save(&chooser, outDir,
                      QStringLiteral("port_chooser_com%1_%2")
                          .arg(entries.at(i).number)
                          .arg(language)) &&
                 ok;
        }
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screens");
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        return 2;
    }
    bool ok = true;
    for (const QString& language : {QStringLiteral("english"), QStringLiteral("deutsch")})
        ok = shootLanguage(language, outDir) && ok;
    return ok ? 0 : 1;
}
