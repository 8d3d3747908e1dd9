// The port state record on a terminal device: how its fields become termios flags and modem
// lines, and back. Pure functions, so a table of cases covers them without hardware.
#pragma once

#include <termios.h>

#include "platform/comm.h"

namespace kelnf::platform {

// Modem lines to raise and to drop after the attributes are set (TIOCM_DTR, TIOCM_RTS).
struct ModemLineChanges {
    int raise;
    int drop;
};

// Applies `state` to `attributes` in raw binary mode: no echo, no line editing, no signals,
// no output processing, receiver on, modem status ignored, control lines left alone on close,
// and reads that never wait in the kernel. False, with `attributes` unusable, for a state the
// line cannot carry: a baud rate without a termios speed, data bits outside 5 to 8, a parity
// or stop-bit code out of range, 1.5 stop bits with other than 5 data bits, 2 stop bits with 5,
// DSR output flow, DTR handshake, RTS toggle, or text (non-binary) mode.
bool ApplyCommState(const CommState &state, termios *attributes, ModemLineChanges *lines);

// The state that `attributes` carry. Fields termios has no place for come from `kept`: what
// was last written, or the defaults of a freshly opened device.
CommState CommStateOf(const termios &attributes, const CommState &kept);

// What a device reports before anyone has written its state.
CommState FreshCommState();

} // namespace kelnf::platform
