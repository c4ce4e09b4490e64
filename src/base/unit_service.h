#pragma once

#include <QString>
#include <QVector>

#include <functional>

namespace vz {

// A text by its key, from whatever table the caller reads.
using TextLookup = std::function<QString(const QString&)>;

// The program-wide language table: key/text lines of one language file.
// Keys compare exactly (case-sensitive); an entry with an empty key ends every lookup.
class LanguageTable {
public:
    static constexpr int kMaxLines = 511;
    static constexpr int kEntries = 512;

    struct Entry {
        QString key;
        QString text;
    };

    LanguageTable();

    QString findText(const QString& key) const;
    QString getText(const QString& key) const;
    // What a control named name shows: its text, or the name itself where the table has none.
    QString caption(const QString& name) const;
    // getText of this table, which must outlive the lookup.
    TextLookup lookup() const;

    // Reads language/<name>.lng in programDir. On success the whole table is replaced
    // (entries past the file's last line are emptied). A file that cannot be opened or read
    // leaves the table as it was and returns false.
    bool load(const QString& programDir, const QString& name);
    // The same with the file given (DataFolder::languageFile picks it).
    bool loadFile(const QString& path);

    // Parses file content into entries (at most kMaxLines lines, CR LF or LF line ends,
    // UTF-8 when valid, else Latin-1; a UTF-8 byte-order mark at the start is dropped).
    static QVector<Entry> parse(const QByteArray& content);

    void setEntries(const QVector<Entry>& entries);
    const QVector<Entry>& entries() const { return m_entries; }
    void clear();

    static QString filePath(const QString& programDir, const QString& name);

private:
    int indexOf(const QString& key) const; // -1 when the key is not in the usable part

    QVector<Entry> m_entries; // always kEntries long
};

// The one table the whole program shares.
LanguageTable& languageTable();

// Lookups on the shared table.
QString find_text(const QString& key);
QString get_text(const QString& key); // a missing key gives "<" + key + ">"

} // namespace vz
