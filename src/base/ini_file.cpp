#include "base/ini_file.h"

#include "base/text_decoding.h"

#include <QFile>
#include <QSaveFile>

#include <limits>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace vz {

namespace {

bool syncToDisk(QSaveFile& file) {
    const int fd = file.handle();
    if (fd < 0)
        return false;
#ifdef Q_OS_WIN
    return _commit(fd) == 0;
#else
    if (::fsync(fd) == 0)
        return true;
    // A file system that cannot sync has the bytes all the same; one that ran out of room or
    // failed to write them has not.
    return errno != EIO && errno != ENOSPC && errno != EDQUOT;
#endif
}

// "[name]" -> name, else a null string.
QString sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')))
        return QString();
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return QString();
    return t.mid(1, close - 1).trimmed();
}

// Key of a "key=value" line, or a null string.
QString keyOf(const QString& line) {
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return QString();
    const QString key = line.left(eq).trimmed();
    return key.isEmpty() ? QString() : key;
}

QString valueOf(const QString& line) {
    QString v = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    // The classic routines drop one pair of enclosing quotes.
    if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                          (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
        v = v.mid(1, v.size() - 2);
    return v;
}

QString fold(const QString& s) {
    return s.toCaseFolded();
}

// Section names cannot hold "]", so it separates the two parts unambiguously.
QString keyId(const QString& foldedSection, const QString& key) {
    return foldedSection + QLatin1Char(']') + fold(key);
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path) {}

bool IniFile::load() {
    m_lines.clear();
    m_indexed = false;
    QByteArray bytes;
    if (!readFileBytes(m_path, &bytes))
        return false;
    QString text = decodeFileText(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_lines = text.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.constLast().isEmpty())
        m_lines.removeLast();
    return true;
}

bool IniFile::save() const {
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray out;
    for (const QString& line : m_lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    // The last buffer reaches the file only at the flush, and a full disk may refuse it only
    // then or at the sync: a commit that renamed a short file over the old one would report
    // success with the file emptied.
    if (file.write(out) != out.size() || !file.flush() || !syncToDisk(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Lookups go through an index of the first occurrence of every section and of every key in
// that section's block: a project file has thousands of keys, and scanning the lines for each
// one made reading and writing it quadratic.
void IniFile::buildIndex() const {
    m_sections.clear();
    m_keys.clear();
    m_sectionEnds.clear();
    QString current; // folded name of the block being read, null when it is not a first one
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i);
        const QString name = sectionName(line);
        if (!name.isNull()) {
            const QString folded = fold(name);
            if (m_sections.contains(folded)) {
                current = QString();
            } else {
                current = folded;
                m_sections.insert(folded);
                m_sectionEnds.insert(folded, i + 1);
            }
            continue;
        }
        if (current.isNull())
            continue;
        if (!line.trimmed().isEmpty())
            m_sectionEnds[current] = i + 1;
        const QString k = keyOf(line);
        if (!k.isNull()) {
            const QString id = keyId(current, k);
            if (!m_keys.contains(id))
                m_keys.insert(id, i);
        }
    }
    m_indexed = true;
}

bool IniFile::findSection(const QString& section) const {
    if (!m_indexed)
        buildIndex();
    return m_sections.contains(fold(section));
}

int IniFile::findKey(const QString& section, const QString& key) const {
    if (!m_indexed)
        buildIndex();
    return m_keys.value(keyId(fold(section), key), -1);
}

void IniFile::clear() {
    m_lines.clear();
    m_indexed = false;
}

bool IniFile::hasSection(const QString& section) const {
    return findSection(section);
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return findKey(section, key) >= 0;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const int k = findKey(section, key);
    if (k < 0)
        return def;
    return valueOf(m_lines.at(k));
}

bool IniFile::parseInt(const QString& text, int* out) {
    const QString t = text.trimmed();
    int pos = 0;
    bool negative = false;
    if (pos < t.size() && (t.at(pos) == QLatin1Char('-') || t.at(pos) == QLatin1Char('+'))) {
        negative = t.at(pos) == QLatin1Char('-');
        ++pos;
    }
    int base = 10;
    if (pos + 1 < t.size() && t.at(pos) == QLatin1Char('0') &&
        (t.at(pos + 1) == QLatin1Char('x') || t.at(pos + 1) == QLatin1Char('X'))) {
        base = 16;
        pos += 2;
    }
    // Leading digits count, the rest of the value is ignored ("12abc" is 12).
    qint64 value = 0;
    int digits = 0;
    for (; pos < t.size(); ++pos) {
        const int d = t.at(pos).isDigit() && t.at(pos).unicode() < 128
                          ? t.at(pos).unicode() - '0'
                          : (base == 16 && t.at(pos).toLower() >= QLatin1Char('a') &&
                                     t.at(pos).toLower() <= QLatin1Char('f')
                                 ? t.at(pos).toLower().unicode() - 'a' + 10
                                 : -1);
        if (d < 0)
            break;
        value = value * base + d;
        ++digits;
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return false; // outside 32 bits: not a usable number
    }
    if (digits == 0)
        return false;
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return false;
    if (out)
        *out = int(value);
    return true;
}

int IniFile::readInt(const QString& section, const QString& key, int def) const {
    const int k = findKey(section, key);
    if (k < 0)
        return def;
    int value = 0;
    return parseInt(valueOf(m_lines.at(k)), &value) ? value : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInt(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A line break in a value would start new lines that read back as other keys or sections.
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString line = key + QLatin1Char('=') + flat;

    const int k = findKey(section, key); // builds the index when needed
    if (k >= 0) {
        m_lines[k] = line;
        return;
    }
    const QString folded = fold(section);
    if (!m_sections.contains(folded)) {
        m_sections.insert(folded);
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_keys.insert(keyId(folded, key), m_lines.size());
        m_lines.append(line);
        m_sectionEnds.insert(folded, m_lines.size());
        return;
    }
    // After the last non-blank line of the section (blank lines before the next section stay
    // there).
    const int insertAt = m_sectionEnds.value(folded);
    m_lines.insert(insertAt, line);
    if (insertAt < m_lines.size() - 1) {
        for (auto* index : {&m_keys, &m_sectionEnds})
            for (auto it = index->begin(); it != index->end(); ++it)
                if (it.value() >= insertAt)
                    ++it.value();
    }
    m_keys.insert(keyId(folded, key), insertAt);
    m_sectionEnds[folded] = insertAt + 1;
}

void IniFile::writeInt(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeInt(section, key, value ? 1 : 0);
}

bool IniFile::writeKey(const QString& path, const QString& section, const QString& key,
                       const QString& value) {
    IniFile ini(path);
    if (!ini.load() && QFile::exists(path))
        return false; // unreadable: do not replace it with a file of one key
    ini.writeString(section, key, value);
    return ini.save();
}

bool IniFile::writeKey(const QString& path, const QString& section, const QString& key, int value) {
    return writeKey(path, section, key, QString::number(value));
}

} // namespace vz
