#pragma once

#include <QPixmap>

namespace vz::preview {

// The three 20 x 50 pictures of a flame slot, drawn on black.
QPixmap offPicture();   // unlit nozzle with a small blue pilot flame
QPixmap ballPicture();  // fireball over a thin stem of flame
QPixmap flamePicture(); // tall flame over the whole height

} // namespace vz::preview
