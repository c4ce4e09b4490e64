// Undo history: time of one undo and one redo with 16 modules, the program pages mirroring
// the record; heap taken by 1,000 steps of time clicks and of macro edits.
#include "program/program_document.h"
#include "program/program_pages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTextStream>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace vz;

namespace {

// "median 0.05 ms, 99th percentile 0.1 ms, max 0.2 ms": the machine is shared, so the
// maximum alone says little.
QString spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return QStringLiteral("median %1 ms, 99th percentile %2 ms, max %3 ms")
        .arg(v[v.size() / 2], 0, 'f', 3)
        .arg(v[v.size() * 99 / 100], 0, 'f', 3)
        .arg(v.back(), 0, 'f', 3);
}

// CPU time of this thread: what the undo costs, without the time the shared machine gives
// to other processes meanwhile.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

// Heap growth of the history while `steps` edits are recorded.
template <class Edit> double historyMiB(int steps, Edit edit) {
    vz::ProgramDocument d;
    d.applyModuleCountPosition(vz::kModules - 1);
    d.setModified(false);
    const size_t before = heapInUse();
    for (int i = 0; i < steps; ++i)
        edit(d, i);
    const size_t after = heapInUse();
    if (d.history().count() != std::min(steps, vz::ProgramHistory::kDefaultLimit))
        qFatal("history holds %d steps", d.history().count());
    return double(after - before) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 201;
    QTextStream out(stdout);

    // Undo and redo through the pages: every step touches all 16 modules.
    QWidget window;
    auto* tabs = new QTabWidget(&window);
    vz::ProgramDocument d;
    ProgramPages pages(tabs, d, &window);
    d.applyModuleCountPosition(vz::kModules - 1);
    pages.showAll();
    window.show();
    struct Kind {
        const char* name;
        std::function<void(int)> edit;
    };
    const Kind kinds[] = {
        {"for all of 16 modules",
         [&](int i) {
             d.setSingleFire(1, 10 + i % 200);
             d.forAllSingle(1);
         }},
        {"module count 16 <-> 1",
         [&](int i) { d.setModuleCountPosition(i % 2 ? vz::kModules - 1 : 0); }},
    };
    for (const Kind& kind : kinds) {
        std::vector<double> undo, redo, undoCpu, redoCpu;
        QElapsedTimer t;
        for (int i = 0; i < runs; ++i) {
            kind.edit(i);
            double cpu = threadCpuMs();
            t.start();
            if (!d.undo())
                qFatal("nothing to undo");
            undo.push_back(t.nsecsElapsed() / 1e6);
            undoCpu.push_back(threadCpuMs() - cpu);
            cpu = threadCpuMs();
            t.start();
            if (!d.redo())
                qFatal("nothing to redo");
            redo.push_back(t.nsecsElapsed() / 1e6);
            redoCpu.push_back(threadCpuMs() - cpu);
            if (i % 16 == 0)
                QCoreApplication::processEvents();
        }
        out << kind.name << " (" << runs << " runs)\n  undo wall " << spread(undo)
            << "\n  undo cpu  " << spread(undoCpu) << "\n  redo wall " << spread(redo)
            << "\n  redo cpu  " << spread(redoCpu) << "\n";
    }

    const double clicks = historyMiB(1000, [](vz::ProgramDocument& doc, int i) {
        doc.setSingleFire(i % 2 ? 3 : 4, 10 + i % 200); // two fields in turn: no merging
    });
    const double macros = historyMiB(1000, [](vz::ProgramDocument& doc, int i) {
        if (!doc.appendMacroStep(i % vz::kMacros, vz::MacroCall, 1 + i % 70))
            qFatal("macro full");
    });
    out << "1000 steps of time clicks: " << clicks << " MiB\n";
    out << "1000 steps of macro edits: " << macros << " MiB\n";
    out << "sizeof(BoxProgram) " << sizeof(vz::BoxProgram) << " bytes, sizeof(ProgramState) "
        << sizeof(vz::ProgramState) << " bytes\n";
    return 0;
}
