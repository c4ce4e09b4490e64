#pragma once

#include <QByteArray>
#include <QString>

namespace vz {

// The log of every byte the transmit dialog hands to the port: two upper-case hex digits and
// a space per byte. Only the newest entries up to the limit are kept, so a long idle stream
// cannot grow it without bound; entries are dropped whole from the front.
class HexLog {
public:
    static constexpr int kEntryChars = 3;
    static constexpr int kDefaultLimit = 64 * 1024; // characters

    explicit HexLog(int limitChars = kDefaultLimit);

    // Appends the bytes; returns how many characters were dropped from the front.
    int append(const QByteArray& bytes);
    const QString& text() const { return m_text; }
    int limit() const { return m_limit; }

    // "57 00 5F " for the bytes 0x57 0x00 0x5F.
    static QString hex(const QByteArray& bytes);

private:
    QString m_text;
    int m_limit; // a whole number of entries
};

} // namespace vz
