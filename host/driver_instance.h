// The per-instance record. The host allocates it (operation 14 tells the size) and passes it
// back on every call; every piece of driver state lives here. Its layout is fixed: the host
// sizes its memory from it, and the offsets are checked at compile time.
#pragma once

#include <atomic>
#include <cstdint>

#include "image/status_image.h"
#include "serial/port_settings.h"

namespace kelnf {

constexpr int kReceiveBufferBytes = 1000;

struct DriverInstance {
    uint32_t readTimeout; // port read timeout, units of 10 ms, as given to start
    uint32_t enabled;     // start's enable value; 1 after reopen and reconfigure
    PortHandle port;      // null when closed; a fresh instance must come with null here
    PortSettings settings;
    uint8_t clientId;       // the host messaging client of the receive thread
    uint8_t instanceNumber; // low byte of the host's number, as given to start
    uint8_t rx[kReceiveBufferBytes]; // [0] frame byte, [1..85] the event record after it
    StatusImage image;
};

} // namespace kelnf

namespace kelnf {

// The instance a request works on. Only for operations whose instance was checked non-null.
inline DriverInstance &InstanceOf(const DriverRequest &request) {
    return *static_cast<DriverInstance *>(request.instance);
}

// The port field is shared by the host's threads and the receive thread: each reads it afresh
// and whole, and a new handle is stored whole.
inline PortHandle CurrentPort(DriverInstance &instance) {
    return std::atomic_ref<PortHandle>(instance.port).load(std::memory_order_acquire);
}

inline void StorePort(DriverInstance &instance, PortHandle port) {
    std::atomic_ref<PortHandle>(instance.port).store(port, std::memory_order_release);
}

} // namespace kelnf
