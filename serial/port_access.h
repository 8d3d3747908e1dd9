// Serial port access: opening a port from its settings, and sending bytes on an instance's
// port. Port routines return small status codes; SendBytes answers 1 (yes) or 0 (no).
#pragma once

#include <cstdint>

#include "serial/port_settings.h"

namespace kelnf {

struct DriverInstance;

enum PortStatus : int {
    kPortOk = 0,
    kPortOpenFailed = 1,   // opening the device, or setting its timeouts, failed
    kPortShortWrite = 2,   // fewer bytes written than asked
    kPortStateUnread = 4,  // reading the port state failed
    kPortStateRefused = 5, // setting the port state failed
    kPortIoFailed = 7,     // a read, write or close failed, or a read timed out empty
};

// Opens and configures the device; on kPortOk `*handle` holds the open port.
int PortOpen(const PortSettings &settings, PortHandle *handle);

// Discards pending input on the instance's port, then writes `count` bytes. 1 if all went out.
int SendBytes(DriverInstance &instance, const uint8_t *bytes, uint32_t count);

} // namespace kelnf
