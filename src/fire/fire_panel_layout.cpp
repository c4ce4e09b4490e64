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
        // Macros run along row 6 from column 2, one gap apart.
        left = 6 * kFireGapX + 2 * cell.width + (number - 1) * (kFireGapX + cell.width);
        row = 6;
    }
    return QRect(left, firePanelRowTop(row, cell.height), cell.width, cell.height);
}

} // namespace vz
