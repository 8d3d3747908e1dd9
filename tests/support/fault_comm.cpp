#include "support/fault_comm.h"

#include <chrono>
#include <thread>

namespace kelnf::test {
namespace {

using namespace platform;

FaultyComm *gActive = nullptr;

const CommBackend &System() { return SystemCommBackend(); }

CommHandle Open(const char *name) {
    ++gActive->calls.open;
    return System().open(name);
}

// A refused close still releases the device, so a test that injects it leaks nothing.
bool Close(CommHandle h) {
    ++gActive->calls.close;
    // A refused close leaves the handle open and usable.
    return !gActive->faults.failClose && System().close(h);
}

bool GetState(CommHandle h, CommState *s) {
    ++gActive->calls.getState;
    return !gActive->faults.failGetState && System().getState(h, s);
}

bool SetState(CommHandle h, const CommState *s) {
    ++gActive->calls.setState;
    gActive->lastStateWritten = *s;
    return !gActive->faults.failSetState && System().setState(h, s);
}

bool GetTimeouts(CommHandle h, CommTimeouts *t) {
    ++gActive->calls.getTimeouts;
    return !gActive->faults.failGetTimeouts && System().getTimeouts(h, t);
}

bool SetTimeouts(CommHandle h, const CommTimeouts *t) {
    ++gActive->calls.setTimeouts;
    return !gActive->faults.failSetTimeouts && System().setTimeouts(h, t);
}

bool SetQueueSizes(CommHandle h, uint32_t in, uint32_t out) {
    ++gActive->calls.setQueueSizes;
    return !gActive->faults.failSetQueueSizes && System().setQueueSizes(h, in, out);
}

bool ClearError(CommHandle h, CommStatus *s) {
    ++gActive->calls.clearError;
    return !gActive->faults.failClearError && System().clearError(h, s);
}

uint32_t Limited(uint32_t count, int32_t atMost) {
    return atMost >= 0 && count > static_cast<uint32_t>(atMost) ? static_cast<uint32_t>(atMost) : count;
}

bool Read(CommHandle h, void *b, uint32_t n, uint32_t *moved) {
    ++gActive->calls.read;
    if (n > gActive->calls.largestReadRequest)
        gActive->calls.largestReadRequest = n;
    if (int32_t delay = gActive->faults.readDelayMs; delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    *moved = 0;
    return !gActive->faults.failRead && System().read(h, b, Limited(n, gActive->faults.readAtMost), moved);
}

bool Write(CommHandle h, const void *b, uint32_t n, uint32_t *moved) {
    ++gActive->calls.write;
    *moved = 0;
    return !gActive->faults.failWrite && System().write(h, b, Limited(n, gActive->faults.writeAtMost), moved);
}

bool Lock(CommHandle h) {
    ++gActive->calls.lock;
    return System().lock(h);
}

void Unlock(CommHandle h) {
    ++gActive->calls.unlock;
    System().unlock(h);
}

constexpr CommBackend kFaultyBackend = {Open,          Close,      GetState, SetState, GetTimeouts, SetTimeouts,
                                        SetQueueSizes, ClearError, Read,     Write,    Lock,        Unlock};

} // namespace

FaultyComm::FaultyComm() {
    gActive = this;
    UseCommBackend(&kFaultyBackend);
}

FaultyComm::~FaultyComm() {
    UseCommBackend(nullptr);
    gActive = nullptr;
}

} // namespace kelnf::test
