// Transfers on an instance's port, answering yes (1) or no (0). The port is taken afresh from
// the instance on every call, since another thread may close or replace it at any time.
#pragma once

#include <cstdint>

#include "serial/port_settings.h"

namespace kelnf {

struct DriverInstance;

// 1 if exactly `count` bytes were read from the instance's port; 0 otherwise, a closed port
// included.
int ReceiveExact(DriverInstance &instance, uint8_t *buffer, uint32_t count);

// Stores a newly opened handle in the instance, then closes the handle it displaced, if any,
// so reopening a device that was already open leaks nothing.
void ReplacePort(DriverInstance &instance, PortHandle opened);

// The receive thread's status query: true if it succeeds on the instance's port and shows at
// least one byte waiting.
bool InputWaiting(DriverInstance &instance);

// Discards pending input on the instance's port, then writes `count` bytes in one write.
// 1 if all of them went out.
int SendBytes(DriverInstance &instance, const uint8_t *bytes, uint32_t count);

} // namespace kelnf
