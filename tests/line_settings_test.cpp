// The port state record as termios flags and modem lines, and back.
#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include "platform/posix_line_settings.h"

namespace kelnf::platform {
namespace {

CommState StateWith(uint32_t baud, uint8_t byteSize, uint8_t parity, uint8_t stopBits) {
    CommState state = FreshCommState();
    state.baudRate = baud;
    state.byteSize = byteSize;
    state.parity = parity;
    state.stopBits = stopBits;
    return state;
}

// A terminal in cooked mode with every flag the raw mode must clear.
termios CookedTerminal() {
    termios t{};
    t.c_iflag = ICRNL | IXON | IXANY | BRKINT | ISTRIP | INLCR | IGNCR | PARMRK | INPCK;
    t.c_oflag = OPOST;
    t.c_lflag = ECHO | ECHONL | ICANON | ISIG | IEXTEN;
    t.c_cflag = HUPCL | CRTSCTS | CS7 | PARENB;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 5;
    return t;
}

struct FramingCase {
    uint32_t baud;
    uint8_t byteSize, parity, stopBits;
    speed_t speed;
    tcflag_t size, parityFlags;
    bool stopFlag;
};

TEST(LineSettings, FramingBecomesTermiosFlags) {
    const FramingCase cases[] = {
        {9600, 8, kParityNone, kStopBitsOne, B9600, CS8, 0, false},
        {19200, 7, kParityEven, kStopBitsOne, B19200, CS7, PARENB, false},
        {1200, 7, kParityOdd, kStopBitsTwo, B1200, CS7, PARENB | PARODD, true},
        {115200, 8, kParityMark, kStopBitsOne, B115200, CS8, PARENB | PARODD | CMSPAR, false},
        {300, 6, kParitySpace, kStopBitsTwo, B300, CS6, PARENB | CMSPAR, true},
        {2400, 5, kParityNone, kStopBitsOneAndHalf, B2400, CS5, 0, true},
        {50, 5, kParityOdd, kStopBitsOne, B50, CS5, PARENB | PARODD, false},
        {230400, 8, kParityNone, kStopBitsOne, B230400, CS8, 0, false},
    };
    for (const FramingCase &c : cases) {
        SCOPED_TRACE(c.baud);
        termios t = CookedTerminal();
        ModemLineChanges lines{};
        ASSERT_TRUE(ApplyCommState(StateWith(c.baud, c.byteSize, c.parity, c.stopBits), &t, &lines));
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(cfgetispeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & CSIZE, c.size);
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.stopFlag);
        // Reading the flags back gives the same framing.
        CommState back = CommStateOf(t, FreshCommState());
        EXPECT_EQ(back.baudRate, c.baud);
        EXPECT_EQ(back.byteSize, c.byteSize);
        EXPECT_EQ(back.parity, c.parity);
        EXPECT_EQ(back.stopBits, c.stopBits);
    }
}

TEST(LineSettings, RawBinaryModeWithControlLinesLeftAloneOnClose) {
    termios t = CookedTerminal();
    ModemLineChanges lines{};
    ASSERT_TRUE(ApplyCommState(StateWith(9600, 8, kParityNone, kStopBitsOne), &t, &lines));
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXANY | BRKINT | ISTRIP | INLCR | IGNCR | PARMRK | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ECHO | ECHONL | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cflag & (HUPCL | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(LineSettings, ParityCheckingOnlyWithAParity) {
    CommState state = StateWith(9600, 7, kParityEven, kStopBitsOne);
    state.parityCheck = 1;
    termios t = CookedTerminal();
    ModemLineChanges lines{};
    ASSERT_TRUE(ApplyCommState(state, &t, &lines));
    EXPECT_NE(t.c_iflag & INPCK, 0u);
    state.parity = kParityNone;
    ASSERT_TRUE(ApplyCommState(state, &t, &lines));
    EXPECT_EQ(t.c_iflag & INPCK, 0u);
}

TEST(LineSettings, FlowControlAndModemLines) {
    struct Case {
        uint8_t dtr, rts, outX, inX, cts;
        int raise, drop;
        bool hardwareFlow;
    };
    const Case cases[] = {
        {kDtrDisable, kRtsDisable, 0, 0, 0, 0, TIOCM_DTR | TIOCM_RTS, false},
        {kDtrEnable, kRtsEnable, 0, 0, 0, TIOCM_DTR | TIOCM_RTS, 0, false},
        {kDtrEnable, kRtsDisable, 1, 1, 0, TIOCM_DTR, TIOCM_RTS, false},
        {kDtrDisable, kRtsHandshake, 0, 0, 0, 0, TIOCM_DTR, true},
        {kDtrDisable, kRtsEnable, 0, 0, 1, TIOCM_RTS, TIOCM_DTR, true},
    };
    for (const Case &c : cases) {
        CommState state = StateWith(9600, 8, kParityNone, kStopBitsOne);
        state.dtrControl = c.dtr;
        state.rtsControl = c.rts;
        state.outX = c.outX;
        state.inX = c.inX;
        state.outxCtsFlow = c.cts;
        termios t = CookedTerminal();
        ModemLineChanges lines{};
        ASSERT_TRUE(ApplyCommState(state, &t, &lines));
        EXPECT_EQ(lines.raise, c.raise);
        EXPECT_EQ(lines.drop, c.drop);
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.hardwareFlow);
        EXPECT_EQ((t.c_iflag & IXON) != 0, c.outX != 0);
        EXPECT_EQ((t.c_iflag & IXOFF) != 0, c.inX != 0);
        CommState back = CommStateOf(t, state);
        EXPECT_EQ(back.rtsControl, c.rts);
        EXPECT_EQ(back.outxCtsFlow, c.cts);
    }
}

TEST(LineSettings, StatesTheLineCannotCarryAreRefused) {
    struct Case {
        const char *what;
        CommState state;
    };
    CommState dsrFlow = StateWith(9600, 8, 0, 0);
    dsrFlow.outxDsrFlow = 1;
    CommState dtrHandshake = StateWith(9600, 8, 0, 0);
    dtrHandshake.dtrControl = kDtrHandshake;
    CommState rtsToggle = StateWith(9600, 8, 0, 0);
    rtsToggle.rtsControl = kRtsToggle;
    CommState text = StateWith(9600, 8, 0, 0);
    text.binary = 0;
    const Case cases[] = {
        {"zero baud", StateWith(0, 8, 0, 0)},
        {"unsupported baud", StateWith(9601, 8, 0, 0)},
        {"baud with its 16-bit top bit set, not a rate", StateWith(0x8000 | 9600, 8, 0, 0)},
        {"9 data bits", StateWith(9600, 9, 0, 0)},
        {"4 data bits", StateWith(9600, 4, 0, 0)},
        {"parity code 5", StateWith(9600, 8, 5, 0)},
        {"parity code 7", StateWith(9600, 8, 7, 0)},
        {"stop-bit code 3", StateWith(9600, 8, 0, 3)},
        {"1.5 stop bits with 8 data bits", StateWith(9600, 8, 0, kStopBitsOneAndHalf)},
        {"1.5 stop bits with 6 data bits", StateWith(9600, 6, 0, kStopBitsOneAndHalf)},
        {"2 stop bits with 5 data bits", StateWith(9600, 5, 0, kStopBitsTwo)},
        {"DSR output flow", dsrFlow},
        {"DTR handshake", dtrHandshake},
        {"RTS toggle", rtsToggle},
        {"text mode", text},
    };
    for (const Case &c : cases) {
        termios t = CookedTerminal();
        ModemLineChanges lines{};
        EXPECT_FALSE(ApplyCommState(c.state, &t, &lines)) << c.what;
    }
}

TEST(LineSettings, FieldsTermiosCannotHoldComeFromTheKeptState) {
    CommState kept = StateWith(9600, 8, 0, 0);
    kept.xonLimit = 77;
    kept.xoffLimit = 88;
    kept.eofChar = 0x1A;
    kept.evtChar = 0x0D;
    kept.errorChar = static_cast<char>(0xFC);
    kept.txContinueOnXoff = 1;
    kept.dtrControl = kDtrDisable;
    termios t = CookedTerminal();
    ModemLineChanges lines{};
    ASSERT_TRUE(ApplyCommState(kept, &t, &lines));
    CommState back = CommStateOf(t, kept);
    EXPECT_EQ(back.xonLimit, 77);
    EXPECT_EQ(back.xoffLimit, 88);
    EXPECT_EQ(back.eofChar, 0x1A);
    EXPECT_EQ(back.evtChar, 0x0D);
    EXPECT_EQ(back.errorChar, static_cast<char>(0xFC));
    EXPECT_EQ(back.txContinueOnXoff, 1);
    EXPECT_EQ(back.dtrControl, kDtrDisable);
    EXPECT_EQ(back.xonChar, 0x11);
    EXPECT_EQ(back.xoffChar, 0x13);
}

} // namespace
} // namespace kelnf::platform
