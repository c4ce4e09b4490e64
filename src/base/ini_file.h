#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace vz {

// INI text with the semantics of the classic private-profile routines, shared by the
// settings file, the hotkey file and project files:
// - sections and keys match without regard to letter case; the first occurrence wins;
// - integers read with a default: a value that is not a number reads as the default,
//   "0x" introduces hexadecimal, a value outside 32 bits reads as the default;
// - writing a key replaces its line in place, or adds it at the end of its section, or adds
//   the section at the end of the file; every other line is kept as it was. Line breaks in a
//   written value become spaces;
// - a UTF-8 byte-order mark at the start is dropped.
// The file is decoded as UTF-8 when it is valid UTF-8, else as Latin-1, and written as UTF-8.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QString& path);

    // Reads the file at path(). Returns false when it does not exist, is no regular file or
    // cannot be read; the content is then empty.
    bool load();
    // Writes the whole content atomically (QSaveFile) and replaces the old file only once every
    // byte is on the disk: a failed save (disk full, no room for the temporary file) leaves
    // the old file as it was and returns false.
    bool save() const;

    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;

    // Raw value text (trimmed), or def when the key is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& def = QString()) const;
    int readInt(const QString& section, const QString& key, int def) const;
    // True for any number other than 0; a missing or non-numeric value gives def.
    bool readBool(const QString& section, const QString& key, bool def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInt(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // The lines as they will be written (without line ends).
    QStringList lines() const { return m_lines; }
    void clear();

    // Parses an integer value the way readInt does; false when it is not a number.
    static bool parseInt(const QString& text, int* out);

    // Loads path, sets one key and saves; other keys and lines stay as they were.
    // Creates the file or the section when needed.
    static bool writeKey(const QString& path, const QString& section, const QString& key,
                         const QString& value);
    static bool writeKey(const QString& path, const QString& section, const QString& key,
                         int value);

private:
    void buildIndex() const;
    bool findSection(const QString& section) const;
    int findKey(const QString& section, const QString& key) const;

    QString m_path;
    QStringList m_lines;
    // The sections (case-folded), the line of the first occurrence of each key in the first
    // block of its section, and where a new key of a section goes; built on the first lookup.
    mutable bool m_indexed = false;
    mutable QSet<QString> m_sections;
    mutable QHash<QString, int> m_keys;
    mutable QHash<QString, int> m_sectionEnds;
};

} // namespace vz
