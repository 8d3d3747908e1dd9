// How a port's settings change the state record the system reports for it.
#pragma once

#include <cstdint>

#include "platform/comm.h"
#include "serial/port_settings.h"

namespace kelnf {

// Sets the line settings, binary mode with parity checking, no flow control or character
// replacement, and DTR and RTS from the control flags. Every other field keeps what the
// system reported.
void ApplyPortSettings(const LineSettings &line, uint16_t controlFlags, platform::CommState *state);

// DTR and RTS from the control flags: the first match wins within each line.
uint8_t DtrControlOf(uint16_t controlFlags);
uint8_t RtsControlOf(uint16_t controlFlags);

} // namespace kelnf
