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
    uint8_t clientId;                // the host messaging client of the receive thread
    uint8_t instanceNumber;          // low byte of the host's number, as given to start
    uint8_t rx[kReceiveBufferBytes]; // [0] frame byte, [1..85] the event record after it
    StatusImage image;
    // Non-zero from a start that may create the receive thread until that thread has ended
    // its last use of the instance. Lies in what was the record's tail padding, so the size
    // and every other offset stay as they were.
    uint8_t listenerRunning;
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

// Stores a new handle and gives back the one it displaced.
inline PortHandle ExchangePort(DriverInstance &instance, PortHandle port) {
    return std::atomic_ref<PortHandle>(instance.port).exchange(port, std::memory_order_acq_rel);
}

// Sets the port field to null only if it still holds `port`, so a handle that another thread
// has stored meanwhile is kept.
inline void ForgetPort(DriverInstance &instance, PortHandle port) {
    std::atomic_ref<PortHandle>(instance.port)
        .compare_exchange_strong(port, nullptr, std::memory_order_acq_rel);
}

// One receive thread per instance: a start takes the mark before it changes anything and
// gives it back if it returns without a thread; the thread gives it back as it ends.
inline bool ClaimListener(DriverInstance &instance) {
    uint8_t idle = 0;
    return std::atomic_ref<uint8_t>(instance.listenerRunning)
        .compare_exchange_strong(idle, 1, std::memory_order_acquire);
}

inline void ReleaseListener(DriverInstance &instance) {
    std::atomic_ref<uint8_t>(instance.listenerRunning).store(0, std::memory_order_release);
}

} // namespace kelnf
