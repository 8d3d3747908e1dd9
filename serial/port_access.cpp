#include "serial/port_access.h"

#include <cstring>

#include "platform/comm.h"
#include "serial/port_state.h"

namespace kelnf {

using namespace platform;

namespace {

// The system's single read call takes a 16-bit count.
constexpr uint32_t kLargestReadRequest = 0xFFFF;

int FailAfterOpen(CommHandle device, int status) {
    CommClose(device);
    return status;
}

// Reads 512-byte chunks with a 50 ms timeout until one comes back short, if the status query
// fails or shows input, then puts the previous timeout back.
int DiscardPendingInput(PortHandle handle) {
    CommStatus status{};
    bool queryFailed = !CommClearError(handle, &status);
    if (!queryFailed && status.errors == 0 && status.bytesWaiting == 0)
        return 0;

    int32_t previousTimeout = PortSetReadTimeout(handle, kDiscardReadTimeout);
    uint8_t scratch[kDiscardChunkBytes];
    bool lastReadFailed = false;
    for (;;) {
        uint32_t got = 0;
        lastReadFailed = !CommRead(handle, scratch, kDiscardChunkBytes, &got);
        if (lastReadFailed || got < kDiscardChunkBytes)
            break;
    }
    if (previousTimeout != 0)
        PortSetReadTimeout(handle, previousTimeout);
    return lastReadFailed ? 1 : 0;
}

} // namespace

int PortOpen(const PortSettings &settings, PortHandle *handle) {
    *handle = nullptr;
    if (std::memchr(settings.name, '\0', kPortNameBytes) == nullptr)
        return kPortOpenFailed; // a name without its end is no name
    CommHandle device = CommOpen(settings.name);
    if (device == nullptr)
        return kPortOpenFailed;
    if (std::strcmp(settings.name, "NUL") == 0) {
        *handle = device;
        return kPortOk;
    }

    CommState state{};
    state.length = 28;
    if (!CommGetState(device, &state))
        return FailAfterOpen(device, kPortStateUnread);

    const CommTimeouts timeouts = {0, 0, kOpenReadTimeoutMs, 0, 0};
    if (!CommSetTimeouts(device, &timeouts))
        return FailAfterOpen(device, kPortOpenFailed);

    ApplyPortSettings(settings.line, settings.controlFlags, &state);
    if (!CommSetState(device, &state))
        return FailAfterOpen(device, kPortStateRefused);

    CommSetQueueSizes(device, kPortQueueBytes, kPortQueueBytes); // a hint; its outcome changes nothing
    *handle = device;
    return kPortOk;
}

int PortClose(PortHandle handle) { return CommClose(handle) ? kPortOk : kPortIoFailed; }

int32_t PortSetReadTimeout(PortHandle handle, int32_t units) {
    CommTimeouts timeouts{};
    if (!CommGetTimeouts(handle, &timeouts))
        return 0;
    uint32_t previous = timeouts.readTotalConstant;
    uint32_t wanted = static_cast<uint32_t>(units) * 10u; // 32-bit, as the system stores it
    if (previous != wanted) {
        timeouts.readTotalConstant = wanted;
        if (!CommSetTimeouts(handle, &timeouts))
            return 0;
    }
    return static_cast<int32_t>(previous) / 10;
}

int PortDiscardInput(PortHandle handle) {
    // The receive thread's poll reply and the host's commands both discard on one port. One at
    // a time: the second would otherwise note the first's temporary 50 ms as the timeout to
    // put back, and leave it in force.
    bool locked = CommLock(handle);
    int result = DiscardPendingInput(handle);
    if (locked)
        CommUnlock(handle);
    return result;
}

int PortRead(PortHandle handle, uint8_t *buffer, uint32_t count, uint32_t *received) {
    uint32_t total = 0;
    if (received != nullptr)
        *received = 0;
    while (total < count) {
        uint32_t want = count - total;
        if (want > kLargestReadRequest)
            want = kLargestReadRequest;
        uint32_t got = 0;
        if (!CommRead(handle, buffer + total, want, &got) || got == 0)
            return kPortIoFailed;
        total += got;
        if (received != nullptr)
            *received = total;
    }
    return kPortOk;
}

int PortWrite(PortHandle handle, const uint8_t *buffer, uint32_t count, uint32_t *written) {
    uint32_t sent = 0;
    if (!CommWrite(handle, buffer, count, &sent))
        return kPortIoFailed;
    if (written != nullptr)
        *written = sent;
    return sent == count ? kPortOk : kPortShortWrite;
}

} // namespace kelnf
