#pragma once

class QWidget;

namespace vz {

// Captions of a fire console window or page from the language table. The one place where
// the console applies texts.
void applyFireTexts(QWidget* window);

} // namespace vz
