#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vz {

class Prompts;
class TApdComPort;

// What a caller adds to the shared port choice.
struct ChoosePortHooks {
    std::function<void()> opened; // right after the chosen port opened
    std::function<void()> failed; // after the error box of a failed choice
};

// Lets the operator pick a port: closes the port, asks the chooser (ComNumber 0) and opens
// the choice. On failure the port is closed, "msg_comport_error" is shown and the number
// falls back to 0. Then the label shows "COM<n>" or "msg_selectcomport", savedPort follows,
// and savedPort is written to the settings file. Returns whether a port is open.
bool choose_port(TApdComPort& port, const std::function<void(const QString&)>& setPortLabel,
                 int& savedPort, const QString& settingsPath, Prompts& prompts, QWidget* parent,
                 const ChoosePortHooks& hooks = {});

} // namespace vz
