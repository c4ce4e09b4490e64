#include "fire/fire_texts.h"

#include "base/unit_service_gui.h"

namespace vz {

void applyFireTexts(QWidget* window) {
    // Same rule as every other window of the program.
    apply_texts(window);
}

} // namespace vz
