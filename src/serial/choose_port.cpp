#include "serial/choose_port.h"

#include "base/prompts.h"
#include "base/settings.h"
#include "base/unit_service.h"
#include "serial/com_port.h"
#include "serial/port_names.h"

namespace vz {

bool choose_port(TApdComPort& port, const std::function<void(const QString&)>& setPortLabel,
                 int& savedPort, const QString& settingsPath, Prompts& prompts, QWidget* parent,
                 const ChoosePortHooks& hooks) {
    port.setOpen(false);
    port.setComNumber(0);
    try {
        port.setOpen(true); // number 0: the chooser asks
        if (hooks.opened)
            hooks.opened();
    } catch (const ComPortError&) {
        port.setOpen(false);
        prompts.error(parent, get_text(QStringLiteral("msg_comport_error")));
        port.setComNumber(0);
        savedPort = 0;
        setPortLabel(get_text(QStringLiteral("msg_selectcomport")));
        if (hooks.failed)
            hooks.failed();
    }
    if (port.ComNumber() == 0) {
        setPortLabel(get_text(QStringLiteral("msg_selectcomport")));
        savedPort = 0;
    } else {
        setPortLabel(vz::ports::comName(port.ComNumber()));
        savedPort = port.ComNumber();
    }
    SettingsFile::writePort(settingsPath, savedPort);
    return port.Open();
}

} // namespace vz
