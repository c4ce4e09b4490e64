#pragma once

#include <QString>

class QPlainTextEdit;

namespace vz {

class HexLog;

// Mirrors a HexLog in a text box, a line per kEntriesPerLine entries. The text box is only
// ever edited at its ends: an append touches the last line, a drop the first, so a full log
// costs about the bytes appended, not a layout of the whole text.
class HexLogView {
public:
    static constexpr int kEntriesPerLine = 32;

    explicit HexLogView(QPlainTextEdit* edit) : m_edit(edit) {}

    // Fills the box with the whole log.
    void showAll(const HexLog& log);
    // Mirrors one HexLog::append: added is the hex text of the appended bytes, dropped what
    // the append returned.
    void append(const QString& added, int dropped);

private:
    QPlainTextEdit* m_edit;
    int m_lastLineEntries = 0;
};

} // namespace vz
