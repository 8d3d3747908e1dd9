// The serial-communications service the driver runs on: what the operating system offers for a
// comm device, cut to what the port module needs. Every call goes through the active backend,
// a table of functions; the system backend is the default, and a test can put another in its
// place at run time.
#pragma once

#include <cstdint>

namespace kelnf::platform {

// An open comm device; null is never a valid handle.
using CommHandle = void *;

// Line control of DTR and RTS in the port state.
enum DtrControl : uint8_t { kDtrDisable = 0, kDtrEnable = 1, kDtrHandshake = 2 };
enum RtsControl : uint8_t { kRtsDisable = 0, kRtsEnable = 1, kRtsHandshake = 2, kRtsToggle = 3 };

// Parity and stop-bit codes of the port state.
enum CommParity : uint8_t { kParityNone = 0, kParityOdd = 1, kParityEven = 2, kParityMark = 3, kParitySpace = 4 };
enum CommStopBits : uint8_t { kStopBitsOne = 0, kStopBitsOneAndHalf = 1, kStopBitsTwo = 2 };

// The port state record, field for field. A caller reads it, changes what it means to change
// and writes it back, so fields it does not touch keep what the system reported.
struct CommState {
    uint32_t length; // size of the record as the caller declares it
    uint32_t baudRate;
    uint8_t binary;           // no end-of-file checking
    uint8_t parityCheck;      // check received parity
    uint8_t outxCtsFlow;      // CTS gates output
    uint8_t outxDsrFlow;      // DSR gates output
    uint8_t dtrControl;       // DtrControl
    uint8_t dsrSensitivity;   // ignore input while DSR is low
    uint8_t txContinueOnXoff; // keep sending after XOFF went out
    uint8_t outX;             // XON/XOFF on output
    uint8_t inX;              // XON/XOFF on input
    uint8_t errorCharEnabled; // replace bytes with parity errors by errorChar
    uint8_t discardNull;      // drop received zero bytes
    uint8_t rtsControl;       // RtsControl
    uint8_t abortOnError;     // stop transfers on an error until it is cleared
    uint16_t xonLimit;
    uint16_t xoffLimit;
    uint8_t byteSize; // data bits, 5 to 8
    uint8_t parity;   // CommParity
    uint8_t stopBits; // CommStopBits
    char xonChar;
    char xoffChar;
    char errorChar;
    char eofChar;
    char evtChar;
};

// Read and write timeouts of a device, in milliseconds. A read waits until every requested
// byte has arrived or readTotalMultiplier * count + readTotalConstant has passed since it
// began, and returns what it has; a total of 0 means no limit. A nonzero readInterval also
// ends a read when that long passes between two bytes. readInterval kReadReturnAtOnce with
// both totals 0 returns at once with whatever is waiting. Writes work alike.
struct CommTimeouts {
    uint32_t readInterval;
    uint32_t readTotalMultiplier;
    uint32_t readTotalConstant;
    uint32_t writeTotalMultiplier;
    uint32_t writeTotalConstant;
};

constexpr uint32_t kReadReturnAtOnce = 0xFFFFFFFFu;

// Line errors, as bits of CommStatus::errors.
enum CommError : uint32_t {
    kCommErrorQueueOverflow = 0x0001, // the input queue was full
    kCommErrorOverrun = 0x0002,       // a character was lost before it could be taken
    kCommErrorParity = 0x0004,
    kCommErrorFraming = 0x0008,
    kCommErrorBreak = 0x0010,
};

// What clearing a device's error state reports.
struct CommStatus {
    uint32_t errors;       // CommError bits for errors since the last clear
    uint32_t bytesWaiting; // bytes in the input queue
};

// A comm service. Every function but open reports success as true; on false, the out
// parameters hold nothing useful. A handle that is closed, or closing, fails every call.
struct CommBackend {
    // Opens the named device for exclusive reading and writing; null if it cannot.
    CommHandle (*open)(const char *name);
    // Releases the device. Calls in progress on other threads end promptly and fail.
    bool (*close)(CommHandle handle);
    bool (*getState)(CommHandle handle, CommState *state);
    bool (*setState)(CommHandle handle, const CommState *state);
    bool (*getTimeouts)(CommHandle handle, CommTimeouts *timeouts);
    bool (*setTimeouts)(CommHandle handle, const CommTimeouts *timeouts);
    bool (*setQueueSizes)(CommHandle handle, uint32_t inputBytes, uint32_t outputBytes);
    bool (*clearError)(CommHandle handle, CommStatus *status);
    // Synchronous transfers; *moved tells how many bytes went, also when a read timed out.
    bool (*read)(CommHandle handle, void *buffer, uint32_t count, uint32_t *moved);
    bool (*write)(CommHandle handle, const void *buffer, uint32_t count, uint32_t *moved);
    // One caller at a time for work that changes a handle's settings for a while and puts
    // them back: lock waits while another caller holds the handle. False, and nothing to
    // unlock, for a handle that is not open. A closing handle ends no lock early; its calls
    // just fail until the holder unlocks.
    bool (*lock)(CommHandle handle);
    void (*unlock)(CommHandle handle);
};

// The operating system's own comm service.
const CommBackend &SystemCommBackend();

// The service every call below goes to. Null puts the system's back.
void UseCommBackend(const CommBackend *backend);
const CommBackend &ActiveCommBackend();

inline CommHandle CommOpen(const char *name) { return ActiveCommBackend().open(name); }
inline bool CommClose(CommHandle h) { return ActiveCommBackend().close(h); }
inline bool CommGetState(CommHandle h, CommState *s) { return ActiveCommBackend().getState(h, s); }
inline bool CommSetState(CommHandle h, const CommState *s) { return ActiveCommBackend().setState(h, s); }
inline bool CommGetTimeouts(CommHandle h, CommTimeouts *t) { return ActiveCommBackend().getTimeouts(h, t); }
inline bool CommSetTimeouts(CommHandle h, const CommTimeouts *t) { return ActiveCommBackend().setTimeouts(h, t); }
inline bool CommSetQueueSizes(CommHandle h, uint32_t in, uint32_t out) {
    return ActiveCommBackend().setQueueSizes(h, in, out);
}
inline bool CommClearError(CommHandle h, CommStatus *s) { return ActiveCommBackend().clearError(h, s); }
inline bool CommRead(CommHandle h, void *b, uint32_t n, uint32_t *moved) { return ActiveCommBackend().read(h, b, n, moved); }
inline bool CommWrite(CommHandle h, const void *b, uint32_t n, uint32_t *moved) {
    return ActiveCommBackend().write(h, b, n, moved);
}
inline bool CommLock(CommHandle h) { return ActiveCommBackend().lock(h); }
inline void CommUnlock(CommHandle h) { ActiveCommBackend().unlock(h); }

} // namespace kelnf::platform
