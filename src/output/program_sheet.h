#pragma once

#include "program/box_program.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVector>

namespace vz {

class LanguageTable;

// Where the programming sheet is drawn: a printer page, a PDF page or, in tests, a recorder.
// Coordinates and sizes are device units; texts are placed by their top left corner.
// The font family is always "Arial" (the canvas picks its stand-in); its resolution is the
// device's, so point sizes come out true to size.
class SheetCanvas {
public:
    virtual ~SheetCanvas() = default;

    virtual void setFont(int pointSize, bool bold) = 0;
    virtual int textHeight(const QString& text) = 0;
    virtual int textWidth(const QString& text) = 0;
    virtual void drawText(int x, int y, const QString& text) = 0;
    virtual void newPage() = 0;
    virtual int pageWidth() const = 0;  // printable width
    virtual int pageHeight() const = 0; // printable height
};

// One program row, its texts exactly as the main window shows them.
struct SheetRow {
    QString name;      // "Modul 3", or the variant label
    QString channel;   // "1".."70"
    QString fire;      // "0,10s"
    QString wait;      // sequences only
    QString duration;  // "0,40s"
    bool inUse = true; // a sequence variant not in use leaves no row
};

// A section: a bold heading row and its program rows.
struct SheetSection {
    QString title; // page caption, or "Sequenzen: " and the family symbol
    QString channelHeading;
    QString fireHeading;
    QString waitHeading; // sequences only
    QString durationHeading;
    bool hasWait = false; // sequences: the wait column is printed
    QVector<SheetRow> rows;
};

// Everything the sheet prints, already in text form, so the layout computes nothing.
struct SheetData {
    QString caption;  // main window caption, also the print job's title
    QString dateTime; // head line, left
    QString boxLabel;
    int boxNumber = 1;
    QString countLabel;
    int moduleCount = 6;
    QVector<SheetSection> sections; // single, all, odd, evn, LR, RL, AI, IA, X
};

// Where the layout put things; what a test or a caller may want to know afterwards.
struct SheetGeometry {
    int lineUnit = 0; // L: height of "X" in 10 pt
    int x0 = 0;
    int c40 = 0;
    int c55 = 0;
    int c70 = 0;
    int c85 = 0;
    int pages = 1;
};

// Round half to even of value * num / den, exactly (no floating point on the way).
int roundScaled(int value, int num, int den);

// Column positions for a printable width; lineUnit is left 0.
SheetGeometry sheetColumns(int pageWidth);

// Draws the whole sheet on the canvas, starting on the canvas's current (first) page.
// A page that would stay empty (the last advance passing the break line) is never started.
SheetGeometry layoutSheet(SheetCanvas& canvas, const SheetData& data);

// The head line's date and time: the locale's short date and long time, without a time zone.
QString sheetDateTimeText(const QDateTime& when, const QLocale& locale = QLocale());

// Fills the sheet from the record as the main window shows it: captions are the language
// text of the control's name, or the name itself when the text is empty; times and durations
// in the window's text form.
SheetData buildSheetData(const BoxProgram& program, const LanguageTable& texts,
                         const QString& caption, const QString& dateTime,
                         const QLocale& locale = QLocale());

} // namespace vz
