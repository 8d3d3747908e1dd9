// A comm service that passes every call to the system's and injects the faults a real device
// cannot produce on demand. While a FaultyComm lives, it is the active service.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/comm.h"

namespace kelnf::test {

struct CommFaults {
    std::atomic<bool> failGetState{false};
    std::atomic<bool> failSetState{false};
    std::atomic<bool> failGetTimeouts{false};
    std::atomic<bool> failSetTimeouts{false};
    std::atomic<bool> failClearError{false};
    std::atomic<bool> failSetQueueSizes{false};
    std::atomic<bool> failClose{false};
    std::atomic<bool> failRead{false};
    std::atomic<bool> failWrite{false};
    std::atomic<int32_t> writeAtMost{-1}; // a write moves at most this many bytes; -1: no limit
    std::atomic<int32_t> readAtMost{-1};  // each read call moves at most this many bytes
    std::atomic<int32_t> readDelayMs{0};  // each read call starts this much later
};

// How often each call was made, whatever its outcome.
struct CommCalls {
    std::atomic<int> open{0}, close{0}, getState{0}, setState{0}, getTimeouts{0}, setTimeouts{0},
        setQueueSizes{0}, clearError{0}, read{0}, write{0}, lock{0}, unlock{0};
    std::atomic<uint32_t> largestReadRequest{0};
};

class FaultyComm {
  public:
    FaultyComm();
    ~FaultyComm();
    FaultyComm(const FaultyComm &) = delete;
    FaultyComm &operator=(const FaultyComm &) = delete;

    CommFaults faults;
    CommCalls calls;
    platform::CommState lastStateWritten{};
};

} // namespace kelnf::test
