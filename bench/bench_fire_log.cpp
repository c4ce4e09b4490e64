// Fire log window: a day of 10,000 lines (or as many as given) from the file to the first
// picture on screen: reading and parsing, laying out the rows, painting the window. Each run
// opens a new window on the file; the median and the slowest run are reported, with the
// three parts of one run.
// Usage: bench_fire_log [lines] [runs]
#include "base/unit_service.h"
#include "bench_prompts.h"
#include "fire/fire_frames.h"
#include "fire/fire_log.h"
#include "fire/fire_log_reader.h"
#include "fire/gui_firelog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vz;

namespace {

// A long evening of firing in the log's own format: fire mode on and off every half hour,
// frames of every source on all 70 channels in pairs of copies, a macro's start now and then.
bool writeDay(const QString& path, const QDate& day, int lines) {
    QRandomGenerator random(7);
    QDateTime t(day, QTime(14, 0));
    QStringList out{vz::FireLog::header()};
    const QStringList sources{"button", "hotkey a", "macro 3 step 2", "vzctl"};
    const QStringList outcomes{"written", "written", "written", "failed", "refused", "dropped"};
    while (out.size() <= lines) {
        if (out.size() % 400 == 1)
            out << vz::FireLog::format(t, {"fire mode on", "mm", "COM7", -1, -1, {}, {}, {}});
        const int channel = 1 + int(random.bounded(70));
        const vz::FireLogLine line{"frame",
                                   "mm",
                                   "COM7",
                                   1,
                                   channel,
                                   sources[int(random.bounded(4))],
                                   vz::masterModuleFrame(1, channel),
                                   outcomes[int(random.bounded(6))]};
        t = t.addMSecs(random.bounded(500, 5000));
        out << vz::FireLog::format(t, line) << vz::FireLog::format(t.addMSecs(20), line);
        if (out.size() % 400 == 0)
            out << vz::FireLog::format(t, {"fire mode off", "mm", "COM7", -1, -1, {}, {}, {}});
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write((out.mid(0, lines + 1).join('\n') + '\n').toUtf8()) > 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 11;
    // The window's texts, as the program shows them.
    if (!languageTable().load(QCoreApplication::applicationDirPath(), QStringLiteral("english")))
        std::fprintf(stderr, "no language file beside the bench: texts show as keys\n");
    QTemporaryDir dir;
    const QDate day(2026, 12, 7);
    const QString path = dir.filePath(vz::fireLogFileName(day));
    if (!dir.isValid() || !writeDay(path, day, lines)) {
        std::fprintf(stderr, "cannot write the log\n");
        return 2;
    }

    // The parts of one run, the day already in the file cache.
    QElapsedTimer clock;
    clock.start();
    vz::FireLogDay parsed;
    QString error;
    if (!vz::readFireLogFile(path, day, &parsed, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    const double readMs = clock.nsecsElapsed() / 1e6;
    BenchPrompts prompts;
    Tfrm_gui_firelog probe(prompts);
    probe.resize(1000, 700);
    clock.restart();
    probe.timeline()->setDay(&parsed);
    const double layoutMs = clock.nsecsElapsed() / 1e6;
    probe.show();
    clock.restart();
    probe.grab();
    const double paintMs = clock.nsecsElapsed() / 1e6;
    probe.close();

    std::vector<double> opened;
    for (int run = 0; run < runs; ++run) {
        Tfrm_gui_firelog window(prompts);
        window.resize(1000, 700);
        clock.restart();
        window.showFolder(dir.path(), day);
        window.grab(); // the first paint of the whole window
        opened.push_back(clock.nsecsElapsed() / 1e6);
        window.close();
    }
    std::sort(opened.begin(), opened.end());
    std::printf("fire log of %d lines: %d marks on %d rows, %d lines skipped\n", lines,
                int(parsed.marks.size()), int(parsed.channels.size()), parsed.skipped);
    std::printf("one run: read and parse %.1f ms, lay out %.1f ms, paint %.1f ms\n", readMs,
                layoutMs, paintMs);
    std::printf("opened (read, lay out, first paint) over %d runs: median %.1f ms, slowest %.1f "
                "ms (limit 300 ms)\n",
                runs, opened[opened.size() / 2], opened.back());
    return opened[opened.size() / 2] < 300 ? 0 : 1;
}
