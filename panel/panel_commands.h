// The four two-byte commands the driver sends to the panel. No terminator or checksum follows.
#pragma once

#include "host/driver_instance.h"

namespace kelnf {

enum class PanelCommand {
    PollReply,   // "~~": answers the panel's poll byte
    Acknowledge, // "~L": host wrote 1 to !A
    Reset,       // "~N": host wrote 1 to !R
    Silence,     // "~M": host wrote 1 to !S
};

constexpr int kCommandBytes = 2;

// The command's bytes on the line.
const uint8_t *PanelCommandBytes(PanelCommand command);

// Discards pending input, then writes the command. True only if both bytes went out; callers
// do not retry, since the panel repeats its poll and the host repeats its command write.
bool SendPanelCommand(DriverInstance &instance, PanelCommand command);

} // namespace kelnf
