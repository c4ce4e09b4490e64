#include "core/file_fixtures.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>

namespace vztest {

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList brokenCorpus(const QString& dataDir, const QString& outDir) {
    QStringList paths;
    const QDir broken(dataDir + QStringLiteral("/broken"));
    for (const QString& name : broken.entryList(QDir::Files, QDir::Name))
        paths << broken.filePath(name);

    // Deterministic junk, so a failure can be reproduced.
    QByteArray junk(256 * 1024, '\0');
    quint32 x = 2463534242u;
    for (char& c : junk) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x & 0xFF);
    }
    QByteArray longLine = "[com]\r\nport=";
    longLine += QByteArray(1024 * 1024, '7');
    longLine += "\r\n[97]\r\n1=" + QByteArray(1024 * 1024, '4') + "\r\n2=2\r\n";
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray wide =
        utf16.encode(QStringLiteral("[com]\r\nport=5\r\n[97]\r\n1=4\r\n2=2\r\n"));

    const QList<QPair<QString, QByteArray>> generated = {
        {QStringLiteral("junk.bin"), junk},
        {QStringLiteral("long_line.ini"), longLine},
        {QStringLiteral("utf16.ini"), wide},
    };
    for (const auto& g : generated) {
        const QString path = QDir(outDir).filePath(g.first);
        if (writeBytes(path, g.second))
            paths << path;
    }
    return paths;
}

} // namespace vztest
