#include "panel/panel_commands.h"

#include "serial/instance_port.h"

namespace kelnf {

const uint8_t *PanelCommandBytes(PanelCommand command) {
    static constexpr uint8_t kBytes[][kCommandBytes] = {
        {'~', '~'}, // PollReply
        {'~', 'L'}, // Acknowledge
        {'~', 'N'}, // Reset
        {'~', 'M'}, // Silence
    };
    return kBytes[static_cast<int>(command)];
}

bool SendPanelCommand(DriverInstance &instance, PanelCommand command) {
    return SendBytes(instance, PanelCommandBytes(command), kCommandBytes) == 1;
}

} // namespace kelnf
