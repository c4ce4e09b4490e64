// Times writing and reading a full project file (4183 keys): median of many runs.
#include "base/ini_file.h"
#include "program/program_document.h"
#include "program/project_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace vz;

namespace {

// A project with non-default values everywhere and full macros, so the reader has real
// work on every key.
vz::BoxProgram busyProgram() {
    vz::BoxProgram p = vz::BoxProgram::startValues();
    p.boxNr = 12;
    p.gasmodCount = 9;
    p.activeTab = 6;
    for (int n = 1; n <= vz::kModules; ++n)
        p.singleAt(n) = {10 + n, 69 - n};
    for (int k = 0; k < vz::kGroupKinds; ++k)
        for (int v = 1; v <= vz::kGroupVariants; ++v)
            p.groupAt(k, v) = {100 + 3 * k + v, 40 + 3 * k + v};
    for (int f = 0; f < vz::kSeqFamilies; ++f)
        for (int v = 1; v <= vz::kSeqVariants; ++v)
            p.seqAt(f, v) = {20 + f * 5 + v, 200 + f + v, f * 5 + v, v % 2 == 0};
    for (int m = 0; m < vz::kMacros; ++m) {
        p.macros[m].active = m % 2 == 1;
        for (int k = 0; k < vz::kMacroMaxSteps; ++k)
            p.macros[m].steps[k] = {k % 2, k % 2 ? 1 + k % 70 : 150};
    }
    return p;
}

double medianMs(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 51;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.kvx"));
    const vz::BoxProgram program = busyProgram();

    std::vector<double> build, write, read;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        t.start();
        const IniFile ini = vz::ProjectFile::toIni(program);
        build.push_back(t.nsecsElapsed() / 1e6);
        if (ini.lines().isEmpty())
            return 1;

        t.start();
        if (!vz::ProjectFile::write(path, program))
            return 1;
        write.push_back(t.nsecsElapsed() / 1e6);

        vz::ProgramDocument doc;
        doc.setBoxMode(1);
        t.start();
        vz::ProjectFile::read(path, doc);
        read.push_back(t.nsecsElapsed() / 1e6);
        if (doc.program() != program)
            return 2;
    }
    QTextStream out(stdout);
    out << "runs: " << runs << "\n"
        << "build in memory (toIni): median " << medianMs(build) << " ms\n"
        << "write to disk (toIni + save): median " << medianMs(write) << " ms\n"
        << "read into a document: median " << medianMs(read) << " ms\n";
    return 0;
}
