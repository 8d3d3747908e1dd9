// Serial port access: every call the driver makes to a comm device, apart from the receive
// thread's own status query. The routines return small status codes, except the read-timeout
// routine, which returns the previous timeout. Timeouts are in units of 10 ms here.
#pragma once

#include <cstdint>

#include "serial/port_settings.h"

namespace kelnf {

enum PortStatus : int {
    kPortOk = 0,
    kPortOpenFailed = 1,   // opening the device, or setting its timeouts, failed
    kPortShortWrite = 2,   // fewer bytes written than asked
    kPortStateUnread = 4,  // reading the port state failed
    kPortStateRefused = 5, // setting the port state failed
    kPortIoFailed = 7,     // a read, write or close failed, or a read timed out empty
};

// What a freshly opened port is set to: a read waits up to 1000 ms, writes do not time out,
// and each queue holds 1200 bytes.
constexpr uint32_t kOpenReadTimeoutMs = 1000;
constexpr uint32_t kPortQueueBytes = 1200;

// While input is discarded, each read waits at most this long (units of 10 ms).
constexpr int32_t kDiscardReadTimeout = 5;
constexpr uint32_t kDiscardChunkBytes = 512;

// Opens and configures the device. On kPortOk `*handle` holds the open port; on any failure
// no device is left held. "NUL" opens the null device and configures nothing.
int PortOpen(const PortSettings &settings, PortHandle *handle);

// 0, or kPortIoFailed if the system refuses to close the handle.
int PortClose(PortHandle handle);

// Sets the read timeout and returns the previous one, or 0 if the timeouts could not be read
// or written. Writes nothing when the timeout is already the one asked for.
int32_t PortSetReadTimeout(PortHandle handle, int32_t units);

// Drops pending input: if the status query fails or shows a waiting byte, reads 512-byte
// chunks with a 50 ms timeout until one comes back short, then puts the previous timeout back
// (a previous timeout under 10 ms is not restored). 1 if the last read failed, else 0.
int PortDiscardInput(PortHandle handle);

// Reads until `count` bytes have arrived. kPortIoFailed if a read fails or brings nothing in
// its timeout. `received`, if given, tells the running total.
int PortRead(PortHandle handle, uint8_t *buffer, uint32_t count, uint32_t *received);

// One write of `count` bytes. kPortShortWrite if fewer went out. `written`, if given, tells
// how many went, and only when the write call succeeded.
int PortWrite(PortHandle handle, const uint8_t *buffer, uint32_t count, uint32_t *written);

} // namespace kelnf
