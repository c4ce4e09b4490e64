#pragma once

#include "output/program_sheet.h"

#include <QFont>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace vz {

class Prompts;

// The sheet canvas on a painter: a printer or a PDF writer. Fonts are "Arial" at the
// device's resolution, so 10 pt is 10 pt on paper whatever the dots per inch.
class PainterSheetCanvas : public SheetCanvas {
public:
    // painter is active on device.
    PainterSheetCanvas(QPainter& painter, QPagedPaintDevice& device);

    void setFont(int pointSize, bool bold) override;
    int textHeight(const QString& text) override;
    int textWidth(const QString& text) override;
    void drawText(int x, int y, const QString& text) override;
    void newPage() override;
    int pageWidth() const override;
    int pageHeight() const override;

private:
    QPainter& m_painter;
    QPagedPaintDevice& m_device;
    QFont m_font;
};

// The print menu entry: the print dialog through prompts; on confirmation one sheet with the
// caption as the job's title and the copies chosen in the dialog. printer: the printer to use
// (tests pass a PDF printer); null uses a new high-resolution printer. Returns false when the
// dialog was cancelled or the job could not begin; a printer fault is the printing system's
// to report.
bool printSheet(QWidget* parent, Prompts& prompts, const SheetData& data,
                QPrinter* printer = nullptr);

// The sheet as a PDF file on A4. False when the file cannot be written. pages, when given,
// receives the number of pages written.
bool exportSheetPdf(const QString& path, const SheetData& data, int* pages = nullptr);

// The sheet on any printer set up by the caller (title and copies as it stands). pages, when
// given, receives the number of pages of one sheet.
bool printSheetOn(QPrinter& printer, const SheetData& data, int* pages = nullptr);

} // namespace vz
