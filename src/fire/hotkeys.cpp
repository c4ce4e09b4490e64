#include "fire/hotkeys.h"

#include "base/ini_file.h"
#include "program/box_program.h"

namespace vz {

namespace {

bool inRange(int code) {
    return code >= HotkeyTable::kFirstCode && code <= HotkeyTable::kLastCode;
}

const QString kFamilyKey = QStringLiteral("1");
const QString kNumberKey = QStringLiteral("2");

} // namespace

void HotkeyTable::clearAll() {
    m_entries.fill(Entry{});
}

HotkeyTable::Entry HotkeyTable::entry(int code) const {
    return inRange(code) ? m_entries[code - kFirstCode] : Entry{};
}

void HotkeyTable::setEntry(int code, const Entry& e) {
    if (!inRange(code))
        return;
    // Anything but a real button is stored as free: a key must never point at a button
    // that does not exist.
    m_entries[code - kFirstCode] = vz::isFireButton(e.family, e.number) ? e : Entry{};
}

void HotkeyTable::load(const QString& path) {
    clearAll();
    IniFile ini(path);
    if (!ini.load())
        return; // no file: every key free
    for (int c = kFirstCode; c <= kLastCode; ++c) {
        const QString section = QString::number(c);
        Entry e;
        e.family = ini.readInt(section, kFamilyKey, -1);
        e.number = ini.readInt(section, kNumberKey, -1);
        if (e.number == -1)
            e.family = -1;
        setEntry(c, e);
    }
}

bool HotkeyTable::save(const QString& path) const {
    // A complete new file, sections in ascending order, free entries as -1.
    IniFile ini(path);
    for (int c = kFirstCode; c <= kLastCode; ++c) {
        const QString section = QString::number(c);
        const Entry& e = m_entries[c - kFirstCode];
        ini.writeInt(section, kFamilyKey, e.family);
        ini.writeInt(section, kNumberKey, e.number);
    }
    return ini.save();
}

int HotkeyTable::keyOf(int family, int number) const {
    if (!vz::isFireButton(family, number))
        return -1;
    int key = -1;
    for (int c = kFirstCode; c <= kLastCode; ++c)
        if (m_entries[c - kFirstCode] == Entry{family, number})
            key = c;
    return key;
}

void HotkeyTable::bind(int code, int family, int number) {
    if (!inRange(code) || !vz::isFireButton(family, number))
        return;
    const Entry e{family, number};
    for (Entry& other : m_entries)
        if (other == e)
            other = Entry{};
    m_entries[code - kFirstCode] = e;
}

QString HotkeyTable::hotkeyLines(int family, int number) const {
    QString lines;
    if (!vz::isFireButton(family, number))
        return lines;
    for (int c = kFirstCode; c <= kLastCode; ++c)
        if (m_entries[c - kFirstCode] == Entry{family, number})
            lines += QStringLiteral("\n\rHotkey: ") + QChar(c);
    return lines;
}

} // namespace vz
