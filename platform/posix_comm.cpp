// The comm service on a POSIX terminal device. Every wait is a poll on the device and on the
// handle's wake pipe against a monotonic deadline, so closing a handle ends waits at once; the
// kernel's own read timers stay off (VMIN = VTIME = 0), because a timed-out kernel read returns
// 0 bytes just as a hung-up line does.
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include "platform/comm.h"
#include "platform/posix_device_path.h"
#include "platform/posix_device_table.h"
#include "platform/posix_line_settings.h"

namespace kelnf::platform {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// Holds a handle's device for the length of one call.
class DeviceHold {
  public:
    explicit DeviceHold(CommHandle handle) : handle_(handle), held_(HoldDevice(handle, &device_)) {}
    ~DeviceHold() {
        if (held_)
            ReleaseDevice(handle_);
    }
    DeviceHold(const DeviceHold &) = delete;
    DeviceHold &operator=(const DeviceHold &) = delete;

    bool held() const { return held_; }
    const OpenDevice &device() const { return device_; }

  private:
    CommHandle handle_;
    OpenDevice device_{};
    bool held_;
};

// How long a wait may last: until `deadline`, or for ever when there is none.
struct Deadline {
    bool bounded;
    Clock::time_point at;
};

Deadline DeadlineAfter(Clock::time_point start, uint64_t milliseconds) {
    if (milliseconds == 0)
        return Deadline{false, {}};
    return Deadline{true, start + Milliseconds(milliseconds)};
}

Deadline Earlier(Deadline a, Deadline b) {
    if (!a.bounded)
        return b;
    if (!b.bounded)
        return a;
    return a.at <= b.at ? a : b;
}

// Milliseconds left for poll, rounded up so a wait never ends just short of its deadline;
// -1 waits without limit. 0 once the deadline has passed.
int PollTimeoutUntil(Deadline deadline) {
    if (!deadline.bounded)
        return -1;
    Clock::time_point now = Clock::now();
    if (now >= deadline.at)
        return 0;
    auto left = std::chrono::ceil<Milliseconds>(deadline.at - now).count();
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

enum class Readiness { Ready, TimedOut, Ended };

// Waits until the device is ready for `events`, the deadline passes, the handle is closed or
// the line hangs up. Retries after signals with the time that is left.
Readiness WaitFor(const OpenDevice &device, short events, Deadline deadline, bool atOnce) {
    for (;;) {
        pollfd fds[2] = {{device.fd, events, 0}, {device.wakeFd, POLLIN, 0}};
        int timeout = atOnce ? 0 : PollTimeoutUntil(deadline);
        int ready = poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Readiness::Ended;
        }
        if (fds[1].revents != 0)
            return Readiness::Ended; // closed under this call
        if ((fds[0].revents & events) != 0)
            return Readiness::Ready;
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return Readiness::Ended;
        if (ready == 0 && (atOnce || timeout == 0))
            return Readiness::TimedOut;
    }
}

bool IsTolerableModemError(int error) { return error == EINVAL || error == ENOTTY; }

// Raises or drops modem lines. Pseudo-terminals have none: that is not a failure.
bool ChangeModemLines(int fd, const ModemLineChanges &lines) {
    const int bits[] = {TIOCM_DTR, TIOCM_RTS};
    for (int bit : bits) {
        if ((lines.raise & bit) != 0 && ioctl(fd, TIOCMBIS, &bit) != 0 && !IsTolerableModemError(errno))
            return false;
        if ((lines.drop & bit) != 0 && ioctl(fd, TIOCMBIC, &bit) != 0 && !IsTolerableModemError(errno))
            return false;
    }
    return true;
}

// The kernel's error counters of a serial line; false where the driver keeps none, as for
// pseudo-terminals and USB adapters without them.
bool ReadErrorCounts(int fd, LineErrorCounts *counts) {
#ifdef TIOCGICOUNT
    serial_icounter_struct counters{};
    if (ioctl(fd, TIOCGICOUNT, &counters) != 0)
        return false;
    *counts = LineErrorCounts{counters.buf_overrun, counters.overrun, counters.parity, counters.frame, counters.brk};
    return true;
#else
    (void)fd;
    (void)counts;
    return false;
#endif
}

// Error bits for the counters that moved since the last query.
uint32_t NewErrors(const LineErrorCounts &before, const LineErrorCounts &now) {
    uint32_t errors = 0;
    if (now.queueOverflow != before.queueOverflow)
        errors |= kCommErrorQueueOverflow;
    if (now.overrun != before.overrun)
        errors |= kCommErrorOverrun;
    if (now.parity != before.parity)
        errors |= kCommErrorParity;
    if (now.framing != before.framing)
        errors |= kCommErrorFraming;
    if (now.breaks != before.breaks)
        errors |= kCommErrorBreak;
    return errors;
}

// Gives a line back that an open could not finish with, for the next user to take.
CommHandle AbandonOpen(int fd, bool exclusive) {
    if (exclusive)
        ioctl(fd, TIOCNXCL);
    close(fd);
    return nullptr;
}

CommHandle PosixOpen(const char *name) {
    char path[kDevicePathBytes];
    if (!DevicePathOf(name, path))
        return nullptr;
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    bool isTerminal = isatty(fd) == 1;
    // A line has one user. TIOCEXCL does not bind root, so the lock comes first; both before
    // the line's settings are touched.
    if (isTerminal && flock(fd, LOCK_EX | LOCK_NB) != 0)
        return AbandonOpen(fd, false);
    if (isTerminal && ioctl(fd, TIOCEXCL) != 0)
        return AbandonOpen(fd, false);
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return AbandonOpen(fd, isTerminal);
    CommHandle handle = InsertDevice(fd, wake[0], wake[1], isTerminal);
    if (handle == nullptr) {
        close(wake[0]);
        close(wake[1]);
        return AbandonOpen(fd, isTerminal);
    }
    LineErrorCounts counts{}, ignored{};
    if (isTerminal && ReadErrorCounts(fd, &counts))
        ExchangeErrorCounts(handle, counts, &ignored); // errors from before this open are not ours
    return handle;
}

bool PosixClose(CommHandle handle) { return CloseDevice(handle); }

bool PosixGetState(CommHandle handle, CommState *state) {
    DeviceHold hold(handle);
    CommState kept{};
    termios attributes{};
    if (!hold.held() || !hold.device().isTerminal || !LoadKeptState(handle, &kept) ||
        tcgetattr(hold.device().fd, &attributes) != 0)
        return false;
    *state = CommStateOf(attributes, kept);
    state->length = kept.length;
    return true;
}

bool PosixSetState(CommHandle handle, const CommState *state) {
    DeviceHold hold(handle);
    termios attributes{};
    ModemLineChanges lines{};
    if (!hold.held() || !hold.device().isTerminal || tcgetattr(hold.device().fd, &attributes) != 0)
        return false;
    if (!ApplyCommState(*state, &attributes, &lines))
        return false;
    if (tcsetattr(hold.device().fd, TCSANOW, &attributes) != 0 || !ChangeModemLines(hold.device().fd, lines))
        return false;
    return StoreKeptState(handle, *state);
}

// Timeouts and queues belong to comm devices: other files, the null device among them, have none.
bool PosixGetTimeouts(CommHandle handle, CommTimeouts *timeouts) {
    DeviceHold hold(handle);
    return hold.held() && hold.device().isTerminal && LoadTimeouts(handle, timeouts);
}

bool PosixSetTimeouts(CommHandle handle, const CommTimeouts *timeouts) {
    DeviceHold hold(handle);
    return hold.held() && hold.device().isTerminal && StoreTimeouts(handle, *timeouts);
}

// The kernel's queues have fixed sizes; the call only checks the handle.
bool PosixSetQueueSizes(CommHandle handle, uint32_t, uint32_t) {
    DeviceHold hold(handle);
    return hold.held() && hold.device().isTerminal;
}

// A hung-up line with nothing left to read fails the query.
bool PosixClearError(CommHandle handle, CommStatus *status) {
    DeviceHold hold(handle);
    if (!hold.held() || !hold.device().isTerminal)
        return false;
    int waiting = 0;
    if (ioctl(hold.device().fd, FIONREAD, &waiting) != 0 || waiting < 0)
        return false;
    if (waiting == 0) {
        pollfd fd = {hold.device().fd, POLLIN, 0};
        if (poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return false;
    }
    status->errors = 0;
    LineErrorCounts now{}, before{};
    if (ReadErrorCounts(hold.device().fd, &now) && ExchangeErrorCounts(handle, now, &before))
        status->errors = NewErrors(before, now);
    status->bytesWaiting = static_cast<uint32_t>(waiting);
    return true;
}

// Bytes already received stay delivered when the line fails or the handle closes mid-read:
// the call reports them as a short read, and the next call reports the failure.
bool PosixRead(CommHandle handle, void *buffer, uint32_t count, uint32_t *moved) {
    *moved = 0;
    DeviceHold hold(handle);
    CommTimeouts timeouts{};
    if (!hold.held() || !LoadTimeouts(handle, &timeouts))
        return false;
    if (count == 0)
        return true;

    Clock::time_point start = Clock::now();
    bool atOnce = timeouts.readInterval == kReadReturnAtOnce && timeouts.readTotalMultiplier == 0 &&
                  timeouts.readTotalConstant == 0;
    uint64_t totalLimit = uint64_t{timeouts.readTotalMultiplier} * count + timeouts.readTotalConstant;
    Deadline total = DeadlineAfter(start, totalLimit);
    bool intervalBounded = timeouts.readInterval != 0 && timeouts.readInterval != kReadReturnAtOnce;

    uint8_t *bytes = static_cast<uint8_t *>(buffer);
    uint32_t received = 0;
    Clock::time_point lastByte = start;
    while (received < count) {
        Deadline deadline = total;
        if (intervalBounded && received > 0)
            deadline = Earlier(total, DeadlineAfter(lastByte, timeouts.readInterval));
        Readiness readiness = WaitFor(hold.device(), POLLIN, deadline, atOnce);
        if (readiness == Readiness::TimedOut)
            break;
        if (readiness == Readiness::Ended)
            return received > 0;
        ssize_t got = read(hold.device().fd, bytes + received, count - received);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0) // an error, or nothing from a descriptor that said it was readable: hung up
            return received > 0;
        received += static_cast<uint32_t>(got);
        *moved = received;
        lastByte = Clock::now();
        if (atOnce)
            break;
    }
    return true;
}

bool PosixWrite(CommHandle handle, const void *buffer, uint32_t count, uint32_t *moved) {
    *moved = 0;
    DeviceHold hold(handle);
    CommTimeouts timeouts{};
    if (!hold.held() || !LoadTimeouts(handle, &timeouts))
        return false;

    uint64_t totalLimit = uint64_t{timeouts.writeTotalMultiplier} * count + timeouts.writeTotalConstant;
    Deadline deadline = DeadlineAfter(Clock::now(), totalLimit);
    const uint8_t *bytes = static_cast<const uint8_t *>(buffer);
    uint32_t sent = 0;
    while (sent < count) {
        ssize_t put = write(hold.device().fd, bytes + sent, count - sent);
        if (put > 0) {
            sent += static_cast<uint32_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put == 0 || errno != EAGAIN)
            return false;
        Readiness readiness = WaitFor(hold.device(), POLLOUT, deadline, false);
        if (readiness == Readiness::TimedOut)
            break;
        if (readiness == Readiness::Ended)
            return false;
    }
    *moved = sent;
    return true;
}

constexpr CommBackend kPosixBackend = {
    PosixOpen,          PosixClose,      PosixGetState, PosixSetState,  PosixGetTimeouts, PosixSetTimeouts,
    PosixSetQueueSizes, PosixClearError, PosixRead,     PosixWrite,     LockDevice,       UnlockDevice,
};

} // namespace

const CommBackend &SystemCommBackend() { return kPosixBackend; }

} // namespace kelnf::platform
