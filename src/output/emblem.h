#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace vz {

// The tool's emblem: flames over a row of gas modules, drawn in code so it scales cleanly.
// Draws modules along the bottom of area and their flames above them.
void paintFlameRow(QPainter& painter, const QRectF& area, int modules);

// The 300 x 300 picture of the about box: a night sky with the flame row, dark at the top
// where the name and the version stand.
QPixmap aboutPicture();

// The program icon at the given size (square).
QImage iconImage(int size);
QIcon programIcon();

} // namespace vz
