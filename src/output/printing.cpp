#include "output/printing.h"

#include "base/prompts.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <memory>

namespace vz {

PainterSheetCanvas::PainterSheetCanvas(QPainter& painter, QPagedPaintDevice& device)
    : m_painter(painter), m_device(device), m_font(QStringLiteral("Arial")) {
    m_painter.setPen(Qt::black);
    setFont(10, false);
}

void PainterSheetCanvas::setFont(int pointSize, bool bold) {
    m_font.setPointSize(pointSize);
    m_font.setBold(bold);
    m_painter.setFont(m_font);
}

int PainterSheetCanvas::textHeight(const QString&) {
    // The line height of the font, as a printer canvas reports it for any text.
    return QFontMetrics(m_font, &m_device).height();
}

int PainterSheetCanvas::textWidth(const QString& text) {
    return QFontMetrics(m_font, &m_device).horizontalAdvance(text);
}

void PainterSheetCanvas::drawText(int x, int y, const QString& text) {
    m_painter.drawText(x, y + QFontMetrics(m_font, &m_device).ascent(), text);
}

void PainterSheetCanvas::newPage() {
    m_device.newPage();
}

int PainterSheetCanvas::pageWidth() const {
    return m_device.width();
}

int PainterSheetCanvas::pageHeight() const {
    return m_device.height();
}

bool printSheetOn(QPrinter& printer, const SheetData& data, int* pages) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    PainterSheetCanvas canvas(painter, printer);
    // Where the print system cannot make copies itself, the job carries them one after another.
    const int copies = printer.supportsMultipleCopies() ? 1 : qMax(1, printer.copyCount());
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0)
            printer.newPage();
        const SheetGeometry g = layoutSheet(canvas, data);
        if (pages)
            *pages = g.pages;
    }
    return painter.end();
}

bool printSheet(QWidget* parent, Prompts& prompts, const SheetData& data, QPrinter* printer) {
    std::unique_ptr<QPrinter> own;
    if (!printer) {
        own = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer = own.get();
    }
    // The dialog sets the printer and the number of copies on the printer itself.
    if (!prompts.printDialog(parent, printer))
        return false;
    printer->setDocName(data.caption);
    return printSheetOn(*printer, data);
}

bool exportSheetPdf(const QString& path, const SheetData& data, int* pages) {
    // Written through a temporary file: a failed export leaves an older file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        // About what a printer cannot reach at the paper's edges.
        writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        writer.setTitle(data.caption);
        writer.setCreator(QStringLiteral("Vestro Zandor"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return false;
        }
        PainterSheetCanvas canvas(painter, writer);
        const SheetGeometry g = layoutSheet(canvas, data);
        if (pages)
            *pages = g.pages;
        if (!painter.end()) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

} // namespace vz
