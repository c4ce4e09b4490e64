#include "transfer/hex_log_view.h"

#include "transfer/hex_log.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace vz {

namespace {

constexpr int kLineChars = HexLogView::kEntriesPerLine * HexLog::kEntryChars;

} // namespace

void HexLogView::showAll(const HexLog& log) {
    const QString text = log.text();
    QString lines;
    lines.reserve(text.size() + text.size() / kLineChars + 1);
    for (qsizetype i = 0; i < text.size(); i += kLineChars) {
        if (i > 0)
            lines += QLatin1Char('\n');
        lines += QStringView(text).mid(i, kLineChars);
    }
    m_edit->setPlainText(lines);
    const qsizetype last = text.size() % kLineChars;
    m_lastLineEntries =
        static_cast<int>((last == 0 && !text.isEmpty() ? kLineChars : last) / HexLog::kEntryChars);
    m_edit->moveCursor(QTextCursor::End);
}

void HexLogView::append(const QString& added, int dropped) {
    QTextCursor end(m_edit->document());
    end.movePosition(QTextCursor::End);
    for (qsizetype pos = 0; pos < added.size();) {
        if (m_lastLineEntries == kEntriesPerLine) {
            end.insertBlock();
            m_lastLineEntries = 0;
        }
        const int entries =
            std::min<int>(kEntriesPerLine - m_lastLineEntries,
                          static_cast<int>((added.size() - pos) / HexLog::kEntryChars));
        end.insertText(added.mid(pos, entries * HexLog::kEntryChars));
        pos += entries * HexLog::kEntryChars;
        m_lastLineEntries += entries;
    }
    // Drop from the front: whole first lines, then the front of the next one.
    for (int left = dropped; left > 0;) {
        const QTextBlock first = m_edit->document()->firstBlock();
        const int length = first.length() - 1; // without the line break
        QTextCursor front(first);
        if (length <= left && first.next().isValid()) {
            front.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
            left -= length;
        } else {
            front.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, std::min(left, length));
            left = 0;
        }
        front.removeSelectedText();
    }
    m_edit->moveCursor(QTextCursor::End);
}

} // namespace vz
