#include "platform/posix_line_settings.h"

#include <sys/ioctl.h>

namespace kelnf::platform {
namespace {

struct BaudSpeed {
    uint32_t baud;
    speed_t speed;
};

constexpr BaudSpeed kSpeeds[] = {
    {50, B50},         {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},       {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},     {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},   {115200, B115200},   {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000}, {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000},
#endif
};

bool SpeedOf(uint32_t baud, speed_t *speed) {
    for (const BaudSpeed &entry : kSpeeds) {
        if (entry.baud == baud) {
            *speed = entry.speed;
            return true;
        }
    }
    return false;
}

uint32_t BaudOf(speed_t speed) {
    for (const BaudSpeed &entry : kSpeeds) {
        if (entry.speed == speed)
            return entry.baud;
    }
    return 0;
}

bool CharacterSizeOf(uint8_t byteSize, tcflag_t *size) {
    switch (byteSize) {
    case 5: *size = CS5; return true;
    case 6: *size = CS6; return true;
    case 7: *size = CS7; return true;
    case 8: *size = CS8; return true;
    default: return false;
    }
}

uint8_t ByteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

// Mark and space parity are the stick-parity variants of odd and even.
bool ParityFlagsOf(uint8_t parity, tcflag_t *flags) {
    switch (parity) {
    case kParityNone: *flags = 0; return true;
    case kParityOdd: *flags = PARENB | PARODD; return true;
    case kParityEven: *flags = PARENB; return true;
    case kParityMark: *flags = PARENB | PARODD | CMSPAR; return true;
    case kParitySpace: *flags = PARENB | CMSPAR; return true;
    default: return false;
    }
}

uint8_t ParityOf(tcflag_t cflag) {
    if ((cflag & PARENB) == 0)
        return kParityNone;
    bool odd = (cflag & PARODD) != 0;
    if ((cflag & CMSPAR) != 0)
        return odd ? kParityMark : kParitySpace;
    return odd ? kParityOdd : kParityEven;
}

// CSTOPB means 1.5 stop bits with 5 data bits and 2 otherwise, the pairs the line can send.
bool StopFlagOf(uint8_t stopBits, uint8_t byteSize, tcflag_t *flag) {
    switch (stopBits) {
    case kStopBitsOne: *flag = 0; return true;
    case kStopBitsOneAndHalf: *flag = CSTOPB; return byteSize == 5;
    case kStopBitsTwo: *flag = CSTOPB; return byteSize != 5;
    default: return false;
    }
}

} // namespace

CommState FreshCommState() {
    CommState state{};
    state.length = 28;
    state.baudRate = 9600;
    state.binary = 1;
    state.dtrControl = kDtrEnable;
    state.rtsControl = kRtsEnable;
    state.xonLimit = 2048;
    state.xoffLimit = 512;
    state.byteSize = 8;
    state.xonChar = 0x11;
    state.xoffChar = 0x13;
    return state;
}

bool ApplyCommState(const CommState &state, termios *attributes, ModemLineChanges *lines) {
    speed_t speed = 0;
    tcflag_t characterSize = 0;
    tcflag_t parityFlags = 0;
    tcflag_t stopFlag = 0;
    if (!SpeedOf(state.baudRate, &speed) || !CharacterSizeOf(state.byteSize, &characterSize) ||
        !ParityFlagsOf(state.parity, &parityFlags) || !StopFlagOf(state.stopBits, state.byteSize, &stopFlag))
        return false;
    if (state.binary == 0 || state.outxDsrFlow != 0 || state.dtrControl > kDtrEnable ||
        state.rtsControl > kRtsHandshake)
        return false;

    termios &t = *attributes;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CREAD | CLOCAL | characterSize | parityFlags | stopFlag;
    if (state.parityCheck != 0 && state.parity != kParityNone)
        t.c_iflag |= INPCK;
    if (state.outX != 0)
        t.c_iflag |= IXON;
    if (state.inX != 0)
        t.c_iflag |= IXOFF;
    if (state.outxCtsFlow != 0 || state.rtsControl == kRtsHandshake)
        t.c_cflag |= CRTSCTS;
    t.c_cc[VSTART] = static_cast<cc_t>(state.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(state.xoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);

    lines->raise = 0;
    lines->drop = 0;
    (state.dtrControl == kDtrEnable ? lines->raise : lines->drop) |= TIOCM_DTR;
    if (state.rtsControl == kRtsEnable)
        lines->raise |= TIOCM_RTS;
    else if (state.rtsControl == kRtsDisable)
        lines->drop |= TIOCM_RTS;
    return true;
}

CommState CommStateOf(const termios &attributes, const CommState &kept) {
    CommState state = kept;
    state.baudRate = BaudOf(cfgetospeed(&attributes));
    state.byteSize = ByteSizeOf(attributes.c_cflag);
    state.parity = ParityOf(attributes.c_cflag);
    bool stopFlag = (attributes.c_cflag & CSTOPB) != 0;
    state.stopBits = !stopFlag ? kStopBitsOne : (state.byteSize == 5 ? kStopBitsOneAndHalf : kStopBitsTwo);
    state.parityCheck = (attributes.c_iflag & INPCK) != 0 ? 1 : kept.parityCheck;
    state.outX = (attributes.c_iflag & IXON) != 0 ? 1 : 0;
    state.inX = (attributes.c_iflag & IXOFF) != 0 ? 1 : 0;
    // Hardware flow is one flag here: keep which of the two fields asked for it.
    bool hardwareFlow = (attributes.c_cflag & CRTSCTS) != 0;
    bool keptHardwareFlow = kept.outxCtsFlow != 0 || kept.rtsControl == kRtsHandshake;
    if (hardwareFlow && !keptHardwareFlow)
        state.outxCtsFlow = 1;
    if (!hardwareFlow) {
        state.outxCtsFlow = 0;
        if (kept.rtsControl == kRtsHandshake)
            state.rtsControl = kRtsEnable;
    }
    state.xonChar = static_cast<char>(attributes.c_cc[VSTART]);
    state.xoffChar = static_cast<char>(attributes.c_cc[VSTOP]);
    return state;
}

} // namespace kelnf::platform
