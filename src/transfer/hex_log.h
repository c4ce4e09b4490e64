#pragma once

#include <QByteArray>
#include <QString>

namespace vz {

// The log of every byte the transmit dialog hands to the port: two upper-case hex digits and
// a space per byte. Only the newest entries up to the limit are kept, so a long idle stream
// cannot grow it without bound; entries are dropped whole from the front. Dropping only moves
// a start mark; the dropped text is cut off once it has grown as long as the limit, so an
// append costs about what it adds, also when the log is full.
class HexLog {
public:
    static constexpr int kEntryChars = 3;
    static constexpr int kDefaultLimit = 64 * 1024; // characters

    explicit HexLog(int limitChars = kDefaultLimit);

    // Appends the bytes; returns how many characters were dropped from the front.
    int append(const QByteArray& bytes);
    QString text() const { return m_buf.mid(m_start); }
    int size() const { return static_cast<int>(m_buf.size()) - m_start; }
    int limit() const { return m_limit; }
    // What the log holds, the dropped front not cut off yet included: below twice the limit.
    int heldChars() const { return static_cast<int>(m_buf.size()); }

    // "57 00 5F " for the bytes 0x57 0x00 0x5F.
    static QString hex(const QByteArray& bytes);

private:
    QString m_buf;
    int m_start = 0; // text() begins here
    int m_limit;     // a whole number of entries
};

} // namespace vz
