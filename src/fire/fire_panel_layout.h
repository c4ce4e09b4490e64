#pragma once

#include <QRect>

// Where the fire buttons sit on the black panel, as a pure function of the panel's size.
namespace vz {

constexpr int kFireGapX = 11;
constexpr int kFireGapY = 8;
constexpr int kFireColumns = 10;
constexpr int kFireRows = 9;

struct FirePanelCell {
    int width = 0;  // bw
    int height = 0; // bh
};

// Button width and height for a panel of w x h pixels (never negative).
FirePanelCell firePanelCell(int w, int h);
// Left edge of column c (0..9): 0 and 1 singles, 2 all, 3 odd, 4 evn, 5 LR .. 9 X.
int firePanelColumnLeft(int column, int buttonWidth);
// Top edge of row r.
int firePanelRowTop(int row, int buttonHeight);
// Rectangle of fire button (family 0..9, number) on a panel of w x h pixels;
// a null rectangle when (family, number) names no fire button.
QRect fireButtonRect(int family, int number, int w, int h);
// Where Stop stands while a macro runs (the panel then hidden): a place on which no fire
// button ever lies, so it stays clear of every button at every panel size.
QRect fireStopRect(int w, int h);

} // namespace vz
