#include "output/program_sheet.h"

#include "base/unit_service.h"

#include <QtGlobal>

namespace vz {

int roundScaled(int value, int num, int den) {
    Q_ASSERT(den > 0);
    const qint64 n = qint64(value) * num;
    const bool negative = n < 0;
    const qint64 a = negative ? -n : n;
    qint64 q = a / den;
    const qint64 twiceRest = 2 * (a % den);
    if (twiceRest > den || (twiceRest == den && (q % 2) == 1))
        ++q;
    return int(negative ? -q : q);
}

SheetGeometry sheetColumns(int pageWidth) {
    SheetGeometry g;
    g.x0 = roundScaled(pageWidth, 5, 100);
    g.c40 = g.x0 + roundScaled(pageWidth, 40, 100);
    g.c55 = g.x0 + roundScaled(pageWidth, 55, 100);
    g.c70 = g.x0 + roundScaled(pageWidth, 70, 100);
    g.c85 = g.x0 + roundScaled(pageWidth, 85, 100);
    return g;
}

namespace {

// The cursor and the page breaks. A break only marks the next page as due; it is started
// by the next text, so a sheet never ends on an empty page.
class SheetWriter {
public:
    SheetWriter(SheetCanvas& canvas, SheetGeometry& geometry, int pageHeight)
        : m_canvas(canvas), m_g(geometry), m_pageHeight(pageHeight), m_y(geometry.lineUnit) {}

    void text(int x, const QString& text) {
        if (m_pageDue) {
            m_canvas.newPage();
            ++m_g.pages;
            m_pageDue = false;
        }
        m_canvas.drawText(x, m_y, text);
    }

    // Advance by lineUnit * num / den, then the page-break check.
    void advance(int num, int den) {
        m_y += roundScaled(m_g.lineUnit, num, den);
        if (qint64(m_y) * 100 > qint64(m_pageHeight) * 95) {
            m_pageDue = true;
            m_y = m_g.lineUnit;
        }
    }

private:
    SheetCanvas& m_canvas;
    SheetGeometry& m_g;
    int m_pageHeight;
    int m_y;
    bool m_pageDue = false;
};

} // namespace

SheetGeometry layoutSheet(SheetCanvas& canvas, const SheetData& data) {
    canvas.setFont(10, false);
    const int lineUnit = canvas.textHeight(QStringLiteral("X"));
    const int width = canvas.pageWidth();
    SheetGeometry g = sheetColumns(width);
    g.lineUnit = lineUnit;
    SheetWriter out(canvas, g, canvas.pageHeight());

    // Head line: date and time on the left, the caption ending at 95 % of the width.
    canvas.setFont(12, false);
    out.text(g.x0, data.dateTime);
    out.text(roundScaled(width, 95, 100) - canvas.textWidth(data.caption), data.caption);
    canvas.setFont(10, false);
    out.advance(24, 10);

    out.text(g.x0, data.boxLabel + QLatin1Char(' ') + QString::number(data.boxNumber));
    out.advance(16, 10);
    out.text(g.x0, data.countLabel + QLatin1Char(' ') + QString::number(data.moduleCount));
    out.advance(24, 10);

    for (const SheetSection& section : data.sections) {
        // A line of the section's columns, the wait column only where it has one.
        const auto line = [&](const QString& name, const QString& channel, const QString& fire,
                              const QString& wait, const QString& duration) {
            out.text(g.x0, name);
            out.text(g.c40, channel);
            out.text(g.c55, fire);
            if (section.hasWait)
                out.text(g.c70, wait);
            out.text(g.c85, duration);
            out.advance(16, 10);
        };
        canvas.setFont(10, true);
        line(section.title, section.channelHeading, section.fireHeading, section.waitHeading,
             section.durationHeading);
        canvas.setFont(10, false);
        for (const SheetRow& row : section.rows)
            if (row.inUse)
                line(row.name, row.channel, row.fire, row.wait, row.duration);
        out.advance(8, 10);
    }
    return g;
}

QString sheetDateTimeText(const QDateTime& when, const QLocale& locale) {
    // The long time format of many locales carries the time zone, which the sheet does not.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString timeFormat;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        timeFormat += c;
    }
    timeFormat = timeFormat.simplified();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), timeFormat);
}

namespace {

QString channelText(int position) {
    return QString::number(position + 1);
}

// A section's heading row. Its channel column's caption differs from page to page; fire and
// duration are the page's captions of those digits.
SheetSection sheetSection(const LanguageTable& texts, const QString& title, int page,
                          const QString& channelName, int fireDigit) {
    SheetSection section;
    section.title = title;
    section.channelHeading = texts.caption(channelName);
    section.fireHeading = texts.caption(names::caption(page, fireDigit, 'A'));
    section.durationHeading = texts.caption(names::caption(page, 3, 'A'));
    return section;
}

SheetRow sheetRow(const QString& name, int channel, int fire, double seconds,
                  const QLocale& locale) {
    SheetRow row;
    row.name = name;
    row.channel = channelText(channel);
    row.fire = formatTime(fire, locale);
    row.duration = formatSeconds(seconds, locale);
    return row;
}

} // namespace

SheetData buildSheetData(const BoxProgram& program, const LanguageTable& texts,
                         const QString& caption, const QString& dateTime, const QLocale& locale) {
    SheetData data;
    data.caption = caption;
    data.dateTime = dateTime;
    data.boxLabel = texts.caption(QStringLiteral("box_nr_lbl"));
    data.boxNumber = program.boxNumber();
    data.countLabel = texts.caption(QStringLiteral("gasmod_count_lbl"));
    const int count = program.moduleCount();
    data.moduleCount = count;

    SheetSection single = sheetSection(texts, texts.caption(pageName(kPageSingle)), kPageSingle,
                                       names::caption(kPageSingle, 0, 'A'), 2);
    const QString moduleWord = texts.getText(QStringLiteral("prnt_str_Modul"));
    for (int n = 1; n <= count; ++n) {
        const SingleProgram& p = program.singleAt(n);
        single.rows.append(sheetRow(moduleWord + QLatin1Char(' ') + QString::number(n), p.ch,
                                    p.fire, singleDuration(p.fire), locale));
    }
    data.sections.append(single);

    for (int k = 0; k < kGroupKinds; ++k) {
        const int page = k + 1;
        SheetSection group = sheetSection(texts, texts.caption(pageName(page)), page,
                                          names::caption(page, 1, 'A'), 2);
        for (int v = 1; v <= kGroupVariants; ++v) {
            const GroupProgram& p = program.groupAt(k, v);
            group.rows.append(sheetRow(texts.caption(names::group(k, v, QStringLiteral("_lbl"))),
                                       p.ch, p.fire, singleDuration(p.fire), locale));
        }
        data.sections.append(group);
    }

    for (int f = 0; f < kSeqFamilies; ++f) {
        const int page = f + 4;
        SheetSection seq = sheetSection(texts, QStringLiteral("Sequenzen: ") + familySymbol(f),
                                        page, names::caption(page, 0, 'B'), 1);
        seq.waitHeading = texts.caption(names::caption(page, 2, 'A'));
        seq.hasWait = true;
        for (int v = 1; v <= kSeqVariants; ++v) {
            const SequenceProgram& p = program.seqAt(f, v);
            SheetRow row = sheetRow(texts.caption(names::seq(f, v, QStringLiteral("_lbl"))), p.ch,
                                    p.fire, seqDuration(f, count, p.fire, p.wait), locale);
            row.wait = formatTime(p.wait, locale);
            row.inUse = p.chk;
            seq.rows.append(row);
        }
        data.sections.append(seq);
    }
    return data;
}

} // namespace vz
