// The open comm devices of this process. A handle names a slot and the slot's generation, so
// a handle that was closed never reaches a descriptor that a later open got. A call holds its
// slot for as long as it runs; closing wakes the holders and the descriptor is released when
// the last of them leaves.
#pragma once

#include <cstdint>

#include "platform/comm.h"

namespace kelnf::platform {

struct OpenDevice {
    int fd;
    int wakeFd; // readable once the device is closing
    bool isTerminal;
};

// Enters an open device. `wakeRead`/`wakeWrite` are the two ends of a pipe that close writes
// to. Null if every slot is taken; the caller then still owns the descriptors.
CommHandle InsertDevice(int fd, int wakeRead, int wakeWrite, bool isTerminal);

// Holds the device for one call: false for a handle that is unknown, stale or closing.
bool HoldDevice(CommHandle handle, OpenDevice *device);
void ReleaseDevice(CommHandle handle);

// A device's lock for callers that must not overlap. LockDevice holds the device as
// HoldDevice does, then waits for the lock; UnlockDevice gives both back.
bool LockDevice(CommHandle handle);
void UnlockDevice(CommHandle handle);

// Marks the device closing, wakes every call inside it, and releases its descriptors now or
// when the last call leaves. False for a handle that is unknown, stale or already closing.
bool CloseDevice(CommHandle handle);

// The device's timeouts and the state fields the terminal has no place for, read and written
// as a whole under the table's lock. False for a handle that is not held open.
bool LoadTimeouts(CommHandle handle, CommTimeouts *timeouts);
bool StoreTimeouts(CommHandle handle, const CommTimeouts &timeouts);
bool LoadKeptState(CommHandle handle, CommState *state);
bool StoreKeptState(CommHandle handle, const CommState &state);

// The line's error counters as the kernel last reported them, so a status query can tell
// which errors are new. Replaces the kept counts with `now` and gives back the previous ones.
struct LineErrorCounts {
    int queueOverflow, overrun, parity, framing, breaks;
};
bool ExchangeErrorCounts(CommHandle handle, const LineErrorCounts &now, LineErrorCounts *before);

} // namespace kelnf::platform
