#include "platform/posix_device_table.h"

#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix_line_settings.h"

namespace kelnf::platform {
namespace {

// Slot numbers take the low byte of a handle, generations the bits above it.
constexpr uintptr_t kSlotBits = 8;
constexpr uintptr_t kSlotCount = (uintptr_t{1} << kSlotBits) - 1;
constexpr uintptr_t kGenerationMask = ~uintptr_t{0} >> kSlotBits;

struct DeviceSlot {
    uintptr_t generation;
    bool inUse;
    bool closing;
    int users;
    OpenDevice device;
    int wakeWrite;
    CommTimeouts timeouts;
    CommState kept;
    LineErrorCounts errorCounts;
    pthread_mutex_t turn = PTHREAD_MUTEX_INITIALIZER; // outlives every handle of the slot
};

pthread_mutex_t gLock = PTHREAD_MUTEX_INITIALIZER;
DeviceSlot gSlots[kSlotCount];

class TableLock {
  public:
    TableLock() { pthread_mutex_lock(&gLock); }
    ~TableLock() { pthread_mutex_unlock(&gLock); }
    TableLock(const TableLock &) = delete;
    TableLock &operator=(const TableLock &) = delete;
};

CommHandle HandleOf(uintptr_t index, uintptr_t generation) {
    return reinterpret_cast<CommHandle>((generation << kSlotBits) | (index + 1));
}

// The live slot a handle names, or null. Called under the lock.
DeviceSlot *SlotOf(CommHandle handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    uintptr_t number = value & kSlotCount;
    if (number == 0 || number > kSlotCount)
        return nullptr;
    DeviceSlot &slot = gSlots[number - 1];
    if (!slot.inUse || slot.closing || slot.generation != (value >> kSlotBits))
        return nullptr;
    return &slot;
}

// Runs `work` on the live slot of a handle under the lock; false if there is none.
template <typename Work> bool WithLiveSlot(CommHandle handle, Work work) {
    TableLock lock;
    DeviceSlot *slot = SlotOf(handle);
    if (slot == nullptr)
        return false;
    work(*slot);
    return true;
}

// Gives the descriptors back and retires the handle. Called under the lock.
void Retire(DeviceSlot &slot) {
    if (slot.device.isTerminal)
        ioctl(slot.device.fd, TIOCNXCL); // others may open the line again
    close(slot.device.fd);
    close(slot.device.wakeFd);
    close(slot.wakeWrite);
    slot.inUse = false;
    slot.closing = false;
    slot.generation = (slot.generation + 1) & kGenerationMask;
}

} // namespace

CommHandle InsertDevice(int fd, int wakeRead, int wakeWrite, bool isTerminal) {
    TableLock lock;
    for (uintptr_t index = 0; index < kSlotCount; ++index) {
        DeviceSlot &slot = gSlots[index];
        if (slot.inUse)
            continue;
        slot.inUse = true;
        slot.closing = false;
        slot.users = 0;
        slot.device = OpenDevice{fd, wakeRead, isTerminal};
        slot.wakeWrite = wakeWrite;
        slot.timeouts = CommTimeouts{};
        slot.kept = FreshCommState();
        slot.errorCounts = LineErrorCounts{};
        return HandleOf(index, slot.generation);
    }
    return nullptr;
}

bool HoldDevice(CommHandle handle, OpenDevice *device) {
    TableLock lock;
    DeviceSlot *slot = SlotOf(handle);
    if (slot == nullptr)
        return false;
    ++slot->users;
    *device = slot->device;
    return true;
}

// The slot of a handle that a caller holds, closing or not.
DeviceSlot *HeldSlotOf(CommHandle handle) {
    uintptr_t number = reinterpret_cast<uintptr_t>(handle) & kSlotCount;
    return number == 0 ? nullptr : &gSlots[number - 1];
}

bool LockDevice(CommHandle handle) {
    DeviceSlot *slot = nullptr;
    {
        TableLock lock;
        slot = SlotOf(handle);
        if (slot == nullptr)
            return false;
        ++slot->users; // the slot cannot be retired while this caller waits
    }
    pthread_mutex_lock(&slot->turn);
    return true;
}

void UnlockDevice(CommHandle handle) {
    DeviceSlot *slot = HeldSlotOf(handle);
    if (slot == nullptr)
        return;
    pthread_mutex_unlock(&slot->turn);
    ReleaseDevice(handle);
}

void ReleaseDevice(CommHandle handle) {
    TableLock lock;
    DeviceSlot *held = HeldSlotOf(handle);
    if (held == nullptr)
        return;
    DeviceSlot &slot = *held;
    if (!slot.inUse || slot.users == 0)
        return;
    if (--slot.users == 0 && slot.closing)
        Retire(slot);
}

bool CloseDevice(CommHandle handle) {
    TableLock lock;
    DeviceSlot *slot = SlotOf(handle);
    if (slot == nullptr)
        return false;
    slot->closing = true;
    if (slot->users == 0) {
        Retire(*slot);
        return true;
    }
    const char wake = 1;
    ssize_t ignored = write(slot->wakeWrite, &wake, 1);
    (void)ignored; // the pipe is empty until now, so one byte always fits
    return true;
}

bool LoadTimeouts(CommHandle handle, CommTimeouts *timeouts) {
    return WithLiveSlot(handle, [&](DeviceSlot &slot) { *timeouts = slot.timeouts; });
}

bool StoreTimeouts(CommHandle handle, const CommTimeouts &timeouts) {
    return WithLiveSlot(handle, [&](DeviceSlot &slot) { slot.timeouts = timeouts; });
}

bool LoadKeptState(CommHandle handle, CommState *state) {
    return WithLiveSlot(handle, [&](DeviceSlot &slot) { *state = slot.kept; });
}

bool StoreKeptState(CommHandle handle, const CommState &state) {
    return WithLiveSlot(handle, [&](DeviceSlot &slot) { slot.kept = state; });
}

bool ExchangeErrorCounts(CommHandle handle, const LineErrorCounts &now, LineErrorCounts *before) {
    return WithLiveSlot(handle, [&](DeviceSlot &slot) {
        *before = slot.errorCounts;
        slot.errorCounts = now;
    });
}

} // namespace kelnf::platform
