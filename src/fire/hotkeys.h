#pragma once

#include <QString>

#include <array>

namespace vz {

// The hotkey table: key codes 48 ("0") .. 122 ("z"), each bound to one fire button
// (family index 0..9, number) or free (-1, -1).
class HotkeyTable {
public:
    static constexpr int kFirstCode = 48;
    static constexpr int kLastCode = 122;
    static constexpr int kCodes = kLastCode - kFirstCode + 1; // 75

    struct Entry {
        int family = -1;
        int number = -1;
        bool isFree() const { return family < 0; }
        bool operator==(const Entry& o) const { return family == o.family && number == o.number; }
    };

    static QString defaultPath() { return QStringLiteral("./hotkeys.ini"); }

    HotkeyTable() = default;

    // Every entry free, then read from the file; a missing file or key gives -1.
    // An entry with number -1, a family outside 0..9 or a number that names no fire button
    // is free.
    void load(const QString& path);
    // All 75 sections in ascending order with both keys. Returns false when the file could
    // not be written.
    bool save(const QString& path) const;

    Entry entry(int code) const; // free for codes outside 48..122
    // Ignored for codes outside 48..122; an entry that names no fire button is stored free.
    void setEntry(int code, const Entry& e);
    void clearAll();

    // The key the capture window starts from: the highest code bound to (f, n), or -1.
    int keyOf(int family, int number) const;
    // Binding: frees every entry equal to (f, n), then binds code to it. Ignored for a code
    // outside 48..122 or an (f, n) that names no fire button.
    void bind(int code, int family, int number);
    // The hint tail of a button: "\n\rHotkey: " + character for every code bound to (f, n),
    // in ascending order.
    QString hotkeyLines(int family, int number) const;

private:
    std::array<Entry, kCodes> m_entries{};
};

} // namespace vz
