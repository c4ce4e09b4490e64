#include "base/unit_service.h"

#include "base/text_decoding.h"

#include <QDir>

namespace vz {

namespace {

LanguageTable::Entry parseLine(const QString& line) {
    LanguageTable::Entry e;
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) {
        e.key = line;
        return e;
    }
    e.key = line.left(eq);
    // A text cannot hold "=": a second one cuts it off.
    const int second = line.indexOf(QLatin1Char('='), eq + 1);
    e.text = second < 0 ? line.mid(eq + 1) : line.mid(eq + 1, second - eq - 1);
    return e;
}

} // namespace

LanguageTable::LanguageTable() : m_entries(kEntries) {}

int LanguageTable::indexOf(const QString& key) const {
    for (int i = 0; i < m_entries.size(); ++i) {
        const QString& k = m_entries.at(i).key;
        // The first empty key ends the usable part of the table.
        if (k.isEmpty())
            return -1;
        if (k == key)
            return i;
    }
    return -1;
}

QString LanguageTable::findText(const QString& key) const {
    const int i = indexOf(key);
    return i < 0 ? QString() : m_entries.at(i).text;
}

QString LanguageTable::getText(const QString& key) const {
    const int i = indexOf(key);
    if (i < 0)
        return QLatin1Char('<') + key + QLatin1Char('>');
    return m_entries.at(i).text;
}

QString LanguageTable::caption(const QString& name) const {
    const QString text = findText(name);
    return text.isEmpty() ? name : text;
}

TextLookup LanguageTable::lookup() const {
    return [this](const QString& key) { return getText(key); };
}

QVector<LanguageTable::Entry> LanguageTable::parse(const QByteArray& content) {
    const QString text = decodeFileText(content);
    QVector<Entry> entries;
    entries.reserve(kMaxLines);
    int start = 0;
    while (start < text.size() && entries.size() < kMaxLines) {
        int end = text.indexOf(QLatin1Char('\n'), start);
        const int next = end < 0 ? text.size() : end + 1;
        if (end < 0)
            end = text.size();
        // CR LF and LF both end a line; the CR is never part of the text.
        int cut = end;
        while (cut > start && text.at(cut - 1) == QLatin1Char('\r'))
            --cut;
        entries.append(parseLine(text.mid(start, cut - start)));
        start = next;
    }
    return entries;
}

void LanguageTable::setEntries(const QVector<Entry>& entries) {
    // Entries past the new content are emptied, so texts of an earlier language never show.
    m_entries = entries.mid(0, kMaxLines);
    m_entries.resize(kEntries);
}

void LanguageTable::clear() {
    m_entries = QVector<Entry>(kEntries);
}

QString LanguageTable::filePath(const QString& programDir, const QString& name) {
    return QDir(programDir).filePath(QStringLiteral("language/") + name + QStringLiteral(".lng"));
}

bool LanguageTable::load(const QString& programDir, const QString& name) {
    return loadFile(filePath(programDir, name));
}

bool LanguageTable::loadFile(const QString& path) {
    QByteArray content;
    if (!readFileBytes(path, &content))
        return false; // the old table stays whole
    setEntries(parse(content));
    return true;
}

LanguageTable& languageTable() {
    static LanguageTable table;
    return table;
}

QString find_text(const QString& key) {
    return languageTable().findText(key);
}

QString get_text(const QString& key) {
    return languageTable().getText(key);
}

} // namespace vz
