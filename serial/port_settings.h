// What a port is opened with: the device name and line settings that the host gave, plus the
// line-control flags that decide DTR and RTS.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kelnf.h"

namespace kelnf {

// The stored device name holds at most 11 characters and its terminator.
constexpr std::size_t kPortNameBytes = 12;

// DTR and RTS held off: matches none of the control bits, so both lines stay disabled.
constexpr uint16_t kControlFlagsLinesOff = 8;

// An open device, or null when the port is closed.
using PortHandle = void *;

struct PortSettings {
    char name[kPortNameBytes];
    LineSettings line;
    uint16_t controlFlags;
};

} // namespace kelnf
