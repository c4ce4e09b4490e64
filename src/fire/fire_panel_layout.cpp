#include "fire/fire_panel_layout.h"

#include "program/box_program.h"

#include <algorithm>

namespace vz {

FirePanelCell firePanelCell(int w, int h) {
    // Integer division truncating toward zero, as the grid was designed; a panel too small
    // for the gaps gives empty buttons rather than negative sizes.
    FirePanelCell cell;
    cell.width = std::max(0, (w - 22 * kFireGapX) / 10);
    cell.height = std::max(0, (h - 10 * kFireGapY) / 9);
    return cell;
}

int firePanelColumnLeft(int column, int buttonWidth) {
    if (column <= 0)
        return 3 * kFireGapX;
    if (column == 1)
        return 4 * kFireGapX + buttonWidth;
    return (2 * column + 2) * kFireGapX + column * buttonWidth;
}

int firePanelRowTop(int row, int buttonHeight) {
    return kFireGapY + row * (kFireGapY + buttonHeight);
}

QRect fireButtonRect(int family, int number, int w, int h) {
    if (!isFireButton(family, number))
        return QRect();
    const FirePanelCell cell = firePanelCell(w, h);
    int left = 0;
    int row = 0;
    if (family == 0) {
        left = firePanelColumnLeft(number <= 8 ? 0 : 1, cell.width);
        row = (number - 1) % 8;
    } else if (family <= 8) {
        left = firePanelColumnLeft(family + 1, cell.width);
        row = number - 1;
    } else {
        // Macros run along row 6, one gap apart, from the left edge of column 2 to the right
        // edge of column 9: ten buttons a little narrower than the columns, all on the panel.
        const int from = firePanelColumnLeft(2, cell.width);
        const int span = firePanelColumnLeft(9, cell.width) + cell.width - from;
        const int width = std::max(0, (span - 9 * kFireGapX) / 10);
        return QRect(from + (number - 1) * (width + kFireGapX), firePanelRowTop(6, cell.height),
                     width, cell.height);
    }
    return QRect(left, firePanelRowTop(row, cell.height), cell.width, cell.height);
}

QRect fireStopRect(int w, int h) {
    // Rows 7 and 8 under columns 2..9 hold no button (singles 8 and 16 stand in columns 0
    // and 1, row 8 only the port labels), so a click meant for Stop that comes just after
    // the panel is back lands on no button.
    const FirePanelCell cell = firePanelCell(w, h);
    const int left = firePanelColumnLeft(2, cell.width);
    const int right = firePanelColumnLeft(9, cell.width) + cell.width;
    const int top = firePanelRowTop(7, cell.height);
    const int bottom = h - kFireGapY;
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

} // namespace vz
