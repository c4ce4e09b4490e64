#include "app/ini_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <limits>

namespace {

QString decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
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

bool isSection(const QString& line) { return !sectionName(line).isNull(); }

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

} // namespace

IniFile::IniFile(const QString& path) : m_path(path) {}

bool IniFile::load() {
    m_lines.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    QString text = decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
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
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int IniFile::findSection(const QString& section) const {
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString name = sectionName(m_lines.at(i));
        if (!name.isNull() && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const {
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i);
        if (isSection(line))
            break;
        const QString k = keyOf(line);
        if (!k.isNull() && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool IniFile::hasSection(const QString& section) const { return findSection(section) >= 0; }

bool IniFile::hasKey(const QString& section, const QString& key) const {
    const int s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& def) const {
    const int s = findSection(section);
    if (s < 0)
        return def;
    const int k = findKey(s, key);
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
    const int s = findSection(section);
    if (s < 0)
        return def;
    const int k = findKey(s, key);
    if (k < 0)
        return def;
    int value = 0;
    return parseInt(valueOf(m_lines.at(k)), &value) ? value : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInt(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString line = key + QLatin1Char('=') + value;
    int s = findSection(section);
    if (s < 0) {
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(line);
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        m_lines[k] = line;
        return;
    }
    // After the last key line of the section (blank lines before the next section stay there).
    int insertAt = s + 1;
    for (int i = s + 1; i < m_lines.size() && !isSection(m_lines.at(i)); ++i)
        if (!m_lines.at(i).trimmed().isEmpty())
            insertAt = i + 1;
    m_lines.insert(insertAt, line);
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

bool IniFile::writeKey(const QString& path, const QString& section, const QString& key,
                       int value) {
    return writeKey(path, section, key, QString::number(value));
}

QHash<QString, QString> IniFile::sectionValues(const QString& section) const {
    QHash<QString, QString> values;
    const int s = findSection(section);
    if (s < 0)
        return values;
    for (int i = s + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i);
        if (isSection(line))
            break;
        const QString k = keyOf(line);
        if (k.isNull())
            continue;
        const QString folded = k.toCaseFolded();
        if (!values.contains(folded))
            values.insert(folded, valueOf(line));
    }
    return values;
}
