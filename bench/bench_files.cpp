// Timing of the small text files: loading a full language file, and reading and writing an
// INI file the size of a project with all macros (~4200 keys). Prints the median of many runs.

#include "base/ini_file.h"
#include "base/unit_service.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vz;

namespace {

struct Key {
    QString section;
    QString key;
    int value;
};

// Sections and keys shaped like a project file: the program pages plus ten macros of 201
// steps with two keys each.
std::vector<Key> projectKeys() {
    std::vector<Key> keys;
    for (int i = 0; i < 10; ++i)
        keys.push_back({QStringLiteral("misc"), QStringLiteral("k%1").arg(i), i});
    for (int v = 1; v <= 16; ++v)
        for (const char* kind : {"fire", "ch"})
            keys.push_back({QStringLiteral("sgl"), QStringLiteral("%1_%2").arg(kind).arg(v), v});
    for (const char* page : {"all", "odd", "evn"})
        for (int v = 1; v <= 3; ++v)
            for (const char* kind : {"fire", "ch"})
                keys.push_back(
                    {QString::fromLatin1(page), QStringLiteral("%1_%2").arg(kind).arg(v), v * 2});
    for (const char* page : {"seqLR", "seqRL", "seqAI", "seqIA", "seqX"})
        for (int v = 1; v <= 5; ++v)
            for (const char* kind : {"fire", "ch", "wait", "chk"})
                keys.push_back(
                    {QString::fromLatin1(page), QStringLiteral("%1_%2").arg(kind).arg(v), v * 3});
    for (int m = 0; m < 10; ++m) {
        const QString section = QStringLiteral("macro%1").arg(m);
        keys.push_back({section, QStringLiteral("active"), m % 2});
        for (int s = 0; s < 201; ++s) {
            keys.push_back({section, QStringLiteral("type_%1").arg(s), s % 2});
            keys.push_back({section, QStringLiteral("value_%1").arg(s), s * 7});
        }
    }
    return keys;
}

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    // A language file of 511 lines of typical length, with umlauts.
    QDir(dir.path()).mkpath(QStringLiteral("language"));
    {
        QFile f(LanguageTable::filePath(dir.path(), QStringLiteral("bench")));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        for (int i = 0; i < LanguageTable::kMaxLines; ++i)
            f.write(QStringLiteral("msg_bench_key_%1=Übertragung läuft, Schritt %1 von 511\r\n")
                        .arg(i)
                        .toUtf8());
    }
    LanguageTable table;
    int found = 0;
    const double langMs = medianMs(200, [&] {
        table.load(dir.path(), QStringLiteral("bench"));
        found += table.findText(QStringLiteral("msg_bench_key_510")).isEmpty() ? 0 : 1;
    });

    const std::vector<Key> keys = projectKeys();
    const QString iniPath = QDir(dir.path()).filePath(QStringLiteral("bench.ini"));
    const double writeMs = medianMs(21, [&] {
        IniFile ini(iniPath);
        for (const Key& k : keys)
            ini.writeInt(k.section, k.key, k.value);
        ini.save();
    });
    long long sum = 0;
    const double readMs = medianMs(21, [&] {
        IniFile ini(iniPath);
        ini.load();
        for (const Key& k : keys)
            sum += ini.readInt(k.section, k.key, 0);
    });
    const double writeKeyMs = medianMs(21, [&] {
        IniFile::writeKey(iniPath, QStringLiteral("macro9"), QStringLiteral("value_200"), 1);
    });

    long long expected = 0;
    for (const Key& k : keys)
        expected += k.value;
    std::printf("language file, 511 lines:        %8.3f ms (median of 200, %d found)\n", langMs,
                found);
    std::printf("INI write, %zu keys + save:    %8.3f ms (median of 21)\n", keys.size(), writeMs);
    std::printf("INI load + read, %zu keys:     %8.3f ms (median of 21, sums %s)\n", keys.size(),
                readMs, sum == expected * 21 ? "match" : "DIFFER");
    std::printf("INI one key in that file:        %8.3f ms (median of 21)\n", writeKeyMs);
    return 0;
}
