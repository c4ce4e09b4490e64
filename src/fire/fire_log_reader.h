#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QVector>

namespace vz {

enum class FireLogSource : quint8 { Button, Hotkey, Macro, Vzctl, Rehearsal, Other };
enum class FireLogOutcome : quint8 { Written, Failed, Refused, Dropped, Other };

// One line of a day's fire log placed on the day: a frame on its channel's row, or an event
// without a channel (macro start, port error, ...) on the row of channel 0.
struct FireLogMark {
    int ms = 0;      // since the local midnight of the day, as the line's clock read
    int channel = 0; // 1..kChannels, 0 for a line without a channel
    FireLogSource source = FireLogSource::Other;
    FireLogOutcome outcome = FireLogOutcome::Other;
    int offset = 0; // of the line's text in FireLogDay::text
    int length = 0;
};

// A stretch of the day in fire mode.
struct FireLogBand {
    int fromMs = 0;
    int toMs = 0;
    bool rehearsal = false; // on the rehearsal route: nothing reached a box
};

// What a day's log file holds, as far as it can be read. Every field of the file is
// untrusted: a line that cannot be read (broken time, unknown channel, too few fields, another
// day) is skipped and counted, never guessed at.
struct FireLogDay {
    static constexpr int kDayMs = 24 * 60 * 60 * 1000;
    // A file beyond this is read up to it (truncated is set); a day of heavy firing is a few MB.
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    // A line (or quoted record) longer than this is not one the log writes.
    static constexpr int kMaxLineBytes = 4096;

    QDate day;
    QVector<FireLogMark> marks; // in the order of the file
    QVector<FireLogBand> bands;
    QVector<int> channels; // the channels with marks, ascending; 0 first when present
    int lines = 0;         // lines read, header lines not counted
    int skipped = 0;       // of those, lines that could not be read
    bool truncated = false;
    QByteArray text; // the file as read

    QString lineText(const FireLogMark& mark) const;
};

// Reads a log's text for the given day (an invalid day: the day of the first line read).
// Columns are found by the header, so files with added or reordered columns read too; a file
// without a header reads in the order the log has always written.
FireLogDay parseFireLog(QByteArray text, QDate day);
// Reads the file; false with the reason when it cannot be opened (a missing file is an
// empty day).
bool readFireLogFile(const QString& path, QDate day, FireLogDay* out, QString* error);

// The file name of a day's log and back (an invalid date for any other name).
QString fireLogFileName(QDate day);
QDate fireLogFileDay(const QString& fileName);
// The days that have a log in folder, newest first.
QList<QDate> fireLogDays(const QString& folder);

} // namespace vz
