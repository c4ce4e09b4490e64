#pragma once

#include "fire/fire_engine.h"

#include <QObject>

#include <memory>

namespace vz {

class PreviewArea;
struct Settings;

class FireConsole;
class ProgramDocument;
class SharedRehearsalBox;

// The rehearsal route joins two floors that do not know each other, so it is put together
// here: the console arms as on the master module, its fire thread writes to the rehearsal box
// of the virtual master module instead of a port, and the box's row plays on the preview's
// flame row. The box holds the project as it was when the rehearsal armed, as a box holds what
// was transferred to it.
class RehearsalWiring : public QObject {
    Q_OBJECT
public:
    RehearsalWiring(vz::FireConsole& console, const vz::ProgramDocument& document,
                    const Settings& settings, PreviewArea& preview, QObject* parent = nullptr);

    // The preview's title says that the row is the rehearsal's (after a language change too).
    void applyTexts();

private:
    vz::FireEngine::LineFactory arm();
    void armedChanged(bool armed);
    void copyWritten(qint64 atNs);

    vz::FireConsole& m_console;
    const vz::ProgramDocument& m_document;
    const Settings& m_settings;
    PreviewArea& m_preview;
    std::shared_ptr<vz::SharedRehearsalBox> m_box;
};

} // namespace vz
