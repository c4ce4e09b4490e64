// Time from process start to the main window on screen (offscreen), median of several runs.
// Usage: bench_startup [runs]   (default 9)
// The program runs from a copy of the program folder with a settings file, so no start-up
// message waits for an answer.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

bool copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QDir source(from);
    for (const QString& file : source.entryList(QDir::Files))
        if (!QFile::copy(source.filePath(file), QDir(to).filePath(file)))
            return false;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const QString binDir = QStringLiteral(VZ_BIN_DIR);

    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("vestro-zandor"));
    if (!QFile::copy(binDir + QStringLiteral("/vestro-zandor"), program) ||
        !copyFolder(binDir + QStringLiteral("/language"), folder.filePath("language"))) {
        std::fprintf(stderr, "cannot copy the program folder from %s\n", qPrintable(binDir));
        return 1;
    }
    QFile settings(folder.filePath(QStringLiteral("settings.ini")));
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write("[languagefiles]\nactive=english\n") < 0)
        return 1;
    settings.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VZ_EXIT_WHEN_SHOWN"), QStringLiteral("1"));

    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(folder.path());
        QElapsedTimer clock;
        clock.start();
        process.start(program, {});
        QByteArray out;
        while (!out.contains("shown\n") && process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
        const double ms = clock.nsecsElapsed() / 1e6;
        process.waitForFinished(10000);
        if (!out.contains("shown\n")) {
            std::fprintf(stderr, "run %d: the window was not shown\n%s\n", i + 1,
                         process.readAllStandardError().constData());
            return 1;
        }
        times << ms;
        std::printf("run %d: %.1f ms\n", i + 1, ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("median of %d runs: %.1f ms\n", runs, times[runs / 2]);
    return 0;
}
