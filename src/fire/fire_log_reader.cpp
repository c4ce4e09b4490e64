#include "fire/fire_log_reader.h"

#include "program/box_program.h"

#include <QDir>
#include <QFile>
#include <QVarLengthArray>

#include <algorithm>

namespace vz {

namespace {

using Fields = QVarLengthArray<QByteArray, 12>;

// Where the columns stand, as the last header named them; -1 for one the file lacks.
struct Columns {
    int time = 0;
    int event = 1;
    int route = 2;
    int channel = 5;
    int source = 6;
    int outcome = 8;
    int needed = 9; // fields a line must have
    bool usable = true;

    static Columns fromHeader(const Fields& fields) {
        Columns c;
        auto at = [&fields](const char* name) {
            for (int i = 0; i < fields.size(); ++i)
                if (fields[i] == name)
                    return i;
            return -1;
        };
        c.time = at("time");
        c.event = at("event");
        c.route = at("route");
        c.channel = at("channel");
        c.source = at("source");
        c.outcome = at("outcome");
        c.needed = 1 + std::max({c.time, c.event, c.route, c.channel, c.source, c.outcome});
        c.usable = c.time >= 0 && c.event >= 0;
        return c;
    }
    QByteArray field(const Fields& fields, int column) const {
        return column >= 0 ? fields[column] : QByteArray();
    }
};

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Splits the record that starts at pos into its fields (quoted fields may hold commas, quotes
// doubled and line ends). False for anything the log does not write: an open quote, text
// after a closing quote, a quote inside a bare field, a record longer than kMaxLineBytes.
bool splitRecord(const QByteArray& text, qsizetype pos, Fields* fields, qsizetype* end) {
    const qsizetype n = text.size();
    const qsizetype limit = std::min(n, pos + FireLogDay::kMaxLineBytes);
    const char* d = text.constData();
    qsizetype i = pos;
    fields->clear();
    for (;;) {
        if (i < n && d[i] == '"') {
            QByteArray field;
            for (++i;; ++i) {
                if (i >= limit)
                    return false;
                if (d[i] == '"') {
                    if (i + 1 < n && d[i + 1] == '"') {
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                }
                field.append(d[i]);
            }
            fields->append(field);
        } else {
            const qsizetype start = i;
            for (; i < n && d[i] != ',' && !isLineEnd(d[i]); ++i)
                if (d[i] == '"' || i >= limit)
                    return false;
            fields->append(QByteArray::fromRawData(d + start, i - start));
        }
        if (i < n && d[i] == ',') {
            ++i;
            continue;
        }
        if (i < n && !isLineEnd(d[i]))
            return false;
        break;
    }
    if (i < n && d[i] == '\r')
        ++i;
    if (i < n && d[i] == '\n')
        ++i;
    *end = i;
    return true;
}

qsizetype nextLine(const QByteArray& text, qsizetype pos) {
    const qsizetype at = text.indexOf('\n', pos);
    return at < 0 ? text.size() : at + 1;
}

bool readDigits(const char*& p, const char* end, int count, int* value) {
    if (end - p < count)
        return false;
    int v = 0;
    for (int i = 0; i < count; ++i, ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
    }
    *value = v;
    return true;
}

bool expect(const char*& p, const char* end, char c) {
    if (p == end || *p != c)
        return false;
    ++p;
    return true;
}

// "yyyy-MM-dd HH:mm:ss.zzz +hh:mm", the milliseconds and the offset optional; every part in
// range.
bool parseTime(const QByteArray& field, QDate* date, int* ms) {
    const char* p = field.constData();
    const char* end = p + field.size();
    int y, mo, d, h, mi, s, z = 0;
    if (!readDigits(p, end, 4, &y) || !expect(p, end, '-') || !readDigits(p, end, 2, &mo) ||
        !expect(p, end, '-') || !readDigits(p, end, 2, &d) ||
        !(expect(p, end, ' ') || expect(p, end, 'T')) || !readDigits(p, end, 2, &h) ||
        !expect(p, end, ':') || !readDigits(p, end, 2, &mi) || !expect(p, end, ':') ||
        !readDigits(p, end, 2, &s))
        return false;
    if (expect(p, end, '.') && !readDigits(p, end, 3, &z))
        return false;
    if (expect(p, end, ' ')) {
        int oh, om;
        if (!(expect(p, end, '+') || expect(p, end, '-')) || !readDigits(p, end, 2, &oh) ||
            !expect(p, end, ':') || !readDigits(p, end, 2, &om) || oh > 14 || om > 59)
            return false;
    }
    if (p != end || h > 23 || mi > 59 || s > 59 || !QDate::isValid(y, mo, d))
        return false;
    *date = QDate(y, mo, d);
    *ms = ((h * 60 + mi) * 60 + s) * 1000 + z;
    return true;
}

// 1..kChannels written as plain digits; 0 for an empty field.
bool parseChannel(const QByteArray& field, int* channel) {
    *channel = 0;
    if (field.isEmpty())
        return true;
    if (field.size() > 2)
        return false;
    const char* p = field.constData();
    return readDigits(p, p + field.size(), int(field.size()), channel) && *channel >= 1 &&
           *channel <= kChannels;
}

FireLogSource sourceOf(const QByteArray& source, const QByteArray& route) {
    if (route == "rehearsal" || source.startsWith("rehearsal"))
        return FireLogSource::Rehearsal;
    if (source == "button")
        return FireLogSource::Button;
    if (source.startsWith("hotkey"))
        return FireLogSource::Hotkey;
    if (source.startsWith("macro"))
        return FireLogSource::Macro;
    if (source.startsWith("vzctl"))
        return FireLogSource::Vzctl;
    return FireLogSource::Other;
}

FireLogOutcome outcomeOf(const QByteArray& event, const QByteArray& outcome) {
    if (event == "port error" || event == "lines lost" || outcome.startsWith("failed"))
        return FireLogOutcome::Failed;
    if (event == "refused" || outcome.startsWith("refused"))
        return FireLogOutcome::Refused;
    if (event == "dropped" || outcome.startsWith("dropped"))
        return FireLogOutcome::Dropped;
    // An event line without an outcome went as it should.
    if (outcome == "written" || outcome.isEmpty())
        return FireLogOutcome::Written;
    return FireLogOutcome::Other;
}

} // namespace

QString FireLogDay::lineText(const FireLogMark& mark) const {
    QString line = QString::fromUtf8(text.constData() + mark.offset, mark.length);
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

FireLogDay parseFireLog(QByteArray text, QDate day) {
    FireLogDay out;
    out.day = day;
    out.text = std::move(text);
    const QByteArray& t = out.text;
    Columns columns;
    bool seen[kChannels + 1] = {};
    int bandStart = -1;
    bool bandRehearsal = false;
    int lastMs = 0;
    Fields fields;
    for (qsizetype pos = 0; pos < t.size();) {
        qsizetype end = pos;
        if (!splitRecord(t, pos, &fields, &end)) {
            ++out.lines;
            ++out.skipped;
            pos = nextLine(t, pos);
            continue;
        }
        if (fields.size() == 1 && fields[0].isEmpty()) { // blank line
            pos = end;
            continue;
        }
        if (fields[0] == "time") {
            columns = Columns::fromHeader(fields);
            pos = end;
            continue;
        }
        ++out.lines;
        QDate date;
        int ms = 0;
        int channel = 0;
        const QByteArray event = columns.field(fields, columns.event);
        if (!columns.usable || fields.size() < columns.needed ||
            !parseTime(fields[columns.time], &date, &ms) ||
            (out.day.isValid() && date != out.day) || event.isEmpty() ||
            !parseChannel(columns.field(fields, columns.channel), &channel) ||
            (event == "frame" && channel == 0)) {
            ++out.skipped;
            // A record that ran over line ends may have swallowed good lines: go on with the
            // next one.
            pos = nextLine(t, pos);
            continue;
        }
        if (!out.day.isValid())
            out.day = date;
        lastMs = std::max(lastMs, ms);
        const bool rehearsal = columns.field(fields, columns.route) == "rehearsal";
        if (event == "fire mode on") {
            if (bandStart < 0) {
                bandStart = ms;
                bandRehearsal = rehearsal;
            }
        } else if (event == "fire mode off") {
            // A day that starts armed was switched on before midnight.
            const int from = bandStart < 0 ? 0 : bandStart;
            out.bands.append({std::min(from, ms), std::max(from, ms),
                              bandStart < 0 ? rehearsal : bandRehearsal});
            bandStart = -1;
        } else {
            FireLogMark mark;
            mark.ms = ms;
            mark.channel = channel;
            mark.source = sourceOf(columns.field(fields, columns.source),
                                   columns.field(fields, columns.route));
            mark.outcome = outcomeOf(event, columns.field(fields, columns.outcome));
            mark.offset = int(pos);
            mark.length = int(end - pos);
            out.marks.append(mark);
            seen[channel] = true;
        }
        pos = end;
    }
    // Still armed when the log ends (or the program ended without switching off).
    if (bandStart >= 0)
        out.bands.append({bandStart, std::max(bandStart, lastMs), bandRehearsal});
    for (int c = 0; c <= kChannels; ++c)
        if (seen[c])
            out.channels.append(c);
    return out;
}

bool readFireLogFile(const QString& path, QDate day, FireLogDay* out, QString* error) {
    QFile file(path);
    if (!file.exists()) {
        *out = parseFireLog({}, day);
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
        return false;
    }
    QByteArray text = file.read(FireLogDay::kMaxBytes);
    const bool truncated = !file.atEnd();
    // Not a half line at the cut.
    if (truncated)
        text.truncate(text.lastIndexOf('\n') + 1);
    *out = parseFireLog(std::move(text), day);
    out->truncated = truncated;
    return true;
}

QString fireLogFileName(QDate day) {
    return QStringLiteral("fire-") + day.toString(Qt::ISODate) + QStringLiteral(".csv");
}

QDate fireLogFileDay(const QString& fileName) {
    static const int size = int(fireLogFileName(QDate(2000, 1, 1)).size());
    if (fileName.size() != size || !fileName.startsWith(QLatin1String("fire-")) ||
        !fileName.endsWith(QLatin1String(".csv")))
        return {};
    return QDate::fromString(fileName.mid(5, 10), Qt::ISODate);
}

QList<QDate> fireLogDays(const QString& folder) {
    QList<QDate> days;
    const QStringList names = QDir(folder).entryList({QStringLiteral("fire-*.csv")}, QDir::Files);
    for (const QString& name : names) {
        const QDate day = fireLogFileDay(name);
        if (day.isValid())
            days.append(day);
    }
    std::sort(days.begin(), days.end(), [](QDate a, QDate b) { return a > b; });
    return days;
}

} // namespace vz
