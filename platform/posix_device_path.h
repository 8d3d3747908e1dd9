// Where a port name points on a POSIX system.
#pragma once

#include <cstddef>

namespace kelnf::platform {

// Longest path a port name can turn into, terminator included.
constexpr std::size_t kDevicePathBytes = 64;

// A path ("/dev/ttyUSB0", or relative as "./link") is used as given; "NUL" is the null device;
// "COMn" (n from 1) is /dev/ttyS(n-1); any other name is taken under /dev/, so "ttyUSB0" and
// "pts/3" work. False, and
// nothing usable in path, for an empty name or one that does not fit.
bool DevicePathOf(const char *name, char (&path)[kDevicePathBytes]);

} // namespace kelnf::platform
