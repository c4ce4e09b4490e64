#pragma once

#include <QByteArray>
#include <QString>

namespace vz {

// The text of a file the program reads (settings, projects, hotkeys, language files):
// UTF-8 when the bytes are valid UTF-8, else Latin-1 (files written by older editors). A
// UTF-8 byte-order mark at the start is dropped either way.
QString decodeFileText(QByteArray bytes);

// Every byte of the regular file at path. False for anything else (a FIFO would block the
// open, a device would be read without end) and for a read that broke off: half a file is
// never taken for the whole.
bool readFileBytes(const QString& path, QByteArray* bytes);

} // namespace vz
