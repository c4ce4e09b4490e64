#include "base/text_decoding.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace vz {

QString decodeFileText(QByteArray bytes) {
    // Dropped before the encoding is chosen: in a file that falls back to Latin-1 the mark
    // would otherwise turn into three characters in front of the first section or key.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

bool readFileBytes(const QString& path, QByteArray* bytes) {
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace vz
