#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vztest {

bool writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

// Broken settings/hotkey files: the small ones kept in dataDir/broken, plus the large ones
// (binary junk, a 1 MB line, UTF-16) written into outDir. Returns every file's path.
QStringList brokenCorpus(const QString& dataDir, const QString& outDir);

} // namespace vztest
