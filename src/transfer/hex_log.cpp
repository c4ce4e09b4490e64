#include "transfer/hex_log.h"

#include <algorithm>

namespace vz {

HexLog::HexLog(int limitChars)
    : m_limit(std::max(kEntryChars, limitChars - limitChars % kEntryChars)) {
    m_buf.reserve(2 * m_limit + kEntryChars);
}

QString HexLog::hex(const QByteArray& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size() * kEntryChars);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 0x0F]);
        out += QLatin1Char(' ');
    }
    return out;
}

int HexLog::append(const QByteArray& bytes) {
    // A single append larger than the limit only keeps its own tail.
    const int keepBytes = m_limit / kEntryChars;
    const QByteArray tail = bytes.size() > keepBytes ? bytes.right(keepBytes) : bytes;
    const int skipped = static_cast<int>(bytes.size() - tail.size()) * kEntryChars;
    m_buf += hex(tail);
    const int excess = std::max(0, size() - m_limit);
    m_start += excess;
    if (m_start >= m_limit) {
        m_buf.remove(0, m_start);
        m_start = 0;
    }
    return skipped + excess;
}

} // namespace vz
