#include "serial/port_state.h"

namespace kelnf {

using namespace platform;

uint8_t DtrControlOf(uint16_t controlFlags) {
    if ((controlFlags & 0x0101) != 0)
        return kDtrEnable;
    if ((controlFlags & 0x8000) != 0)
        return kDtrHandshake;
    return kDtrDisable;
}

uint8_t RtsControlOf(uint16_t controlFlags) {
    if ((controlFlags & 0x0202) != 0)
        return kRtsEnable;
    if ((controlFlags & 0x1000) != 0)
        return kRtsHandshake;
    if ((controlFlags & 0x2000) != 0)
        return kRtsToggle;
    return kRtsDisable;
}

void ApplyPortSettings(const LineSettings &line, uint16_t controlFlags, CommState *state) {
    state->baudRate = line.baud;
    state->byteSize = static_cast<uint8_t>(line.dataBits & 0xFF);
    state->parity = static_cast<uint8_t>(line.parity & 0xFF);
    state->stopBits = static_cast<uint8_t>(line.stopBits & 0xFF);
    state->binary = 1;
    state->parityCheck = 1;
    state->outxCtsFlow = 0;
    state->outxDsrFlow = 0;
    state->dsrSensitivity = 0;
    state->dtrControl = DtrControlOf(controlFlags);
    state->rtsControl = RtsControlOf(controlFlags);
    state->outX = 0;
    state->inX = 0;
    state->errorCharEnabled = 0;
    state->discardNull = 0;
    state->abortOnError = 0;
    state->errorChar = static_cast<char>(0xFC);
}

} // namespace kelnf
