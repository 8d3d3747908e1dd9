// Opening a port: the device, its line settings, its timeouts and every failure on the way.
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "platform/comm.h"
#include "serial/port_state.h"
#include "support/fault_comm.h"
#include "support/port_fixture.h"
#include "support/pseudo_terminal.h"

namespace kelnf::test {
namespace {

using platform::CommTimeouts;

LineSettings Line(uint16_t baud, uint16_t dataBits, uint16_t stopBits, uint16_t parity) {
    return LineSettings{baud, dataBits, stopBits, parity};
}

struct LineCase {
    LineSettings line;
    speed_t speed;
    uint8_t byteSize, parity, stopBits; // as the port state asks for them
    tcflag_t oddAndStick;               // PARODD and CMSPAR on the line
    bool stopFlag;
};

// The kernel holds a pseudo-terminal at 8 data bits without parity whatever it is asked, so the
// character size and the parity switch are checked in the state the driver wrote; the speed,
// the stop bits and the odd and stick parity flags are read back from the line itself.
TEST(PortOpen, LineSettingsReachTheLine) {
    const LineCase cases[] = {
        {Line(9600, 8, 0, 0), B9600, 8, 0, 0, 0, false},
        {Line(19200, 7, 0, 2), B19200, 7, 2, 0, 0, false},
        {Line(1200, 7, 2, 1), B1200, 7, 1, 2, PARODD, true},
        {Line(38400, 8, 0, 3), B38400, 8, 3, 0, PARODD | CMSPAR, false},
        {Line(4800, 6, 2, 4), B4800, 6, 4, 2, CMSPAR, true},
        {Line(2400, 5, 1, 0), B2400, 5, 0, 1, 0, true}, // 1.5 stop bits exist with 5 data bits
        {Line(57600, 0x0108, 0x0100, 0x0200), B57600, 8, 0, 0, 0, false}, // the low byte counts
    };
    for (const LineCase &c : cases) {
        SCOPED_TRACE(c.line.baud);
        PseudoTerminal line;
        FaultyComm comm;
        OpenPort port(SettingsFor(line.portName(), c.line));
        ASSERT_EQ(port.status(), kPortOk);
        EXPECT_EQ(comm.lastStateWritten.baudRate, c.line.baud);
        EXPECT_EQ(comm.lastStateWritten.byteSize, c.byteSize);
        EXPECT_EQ(comm.lastStateWritten.parity, c.parity);
        EXPECT_EQ(comm.lastStateWritten.stopBits, c.stopBits);

        termios t = line.SlaveAttributes();
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR), c.oddAndStick);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.stopFlag);
        EXPECT_EQ(t.c_cflag & (HUPCL | CRTSCTS), 0u);
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
        EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_cc[VMIN], 0);
        EXPECT_EQ(t.c_cc[VTIME], 0);

        CommTimeouts timeouts{};
        ASSERT_TRUE(platform::CommGetTimeouts(port.handle(), &timeouts));
        EXPECT_EQ(timeouts.readInterval, 0u);
        EXPECT_EQ(timeouts.readTotalMultiplier, 0u);
        EXPECT_EQ(timeouts.readTotalConstant, 1000u);
        EXPECT_EQ(timeouts.writeTotalMultiplier, 0u);
        EXPECT_EQ(timeouts.writeTotalConstant, 0u);
    }
}

TEST(PortOpen, StateWriteChangesOnlyItsFields) {
    PseudoTerminal line;
    FaultyComm comm;
    OpenPort port(SettingsFor(line.portName(), {9600, 8, 0, 0}));
    ASSERT_EQ(port.status(), kPortOk);
    const platform::CommState &written = comm.lastStateWritten;
    EXPECT_EQ(written.length, 28u);
    EXPECT_EQ(written.binary, 1);
    EXPECT_EQ(written.parityCheck, 1);
    EXPECT_EQ(written.dtrControl, platform::kDtrDisable); // the driver's flags hold both lines off
    EXPECT_EQ(written.rtsControl, platform::kRtsDisable);
    EXPECT_EQ(written.errorChar, static_cast<char>(0xFC));
    EXPECT_EQ(written.errorCharEnabled, 0);
    // As the device reported them.
    EXPECT_EQ(written.xonLimit, 2048);
    EXPECT_EQ(written.xoffLimit, 512);
    EXPECT_EQ(written.xonChar, 0x11);
    EXPECT_EQ(written.xoffChar, 0x13);
    EXPECT_EQ(comm.calls.setQueueSizes, 1);
}

TEST(PortState, ControlFlagsChooseTheLineControl) {
    struct Case {
        uint16_t flags;
        uint8_t dtr, rts;
    };
    using namespace platform;
    const Case cases[] = {
        {0x0008, kDtrDisable, kRtsDisable}, {0x0001, kDtrEnable, kRtsDisable},
        {0x0100, kDtrEnable, kRtsDisable},  {0x8101, kDtrEnable, kRtsDisable},
        {0x8000, kDtrHandshake, kRtsDisable}, {0x0002, kDtrDisable, kRtsEnable},
        {0x0200, kDtrDisable, kRtsEnable},  {0x3202, kDtrDisable, kRtsEnable},
        {0x3000, kDtrDisable, kRtsHandshake}, {0x2000, kDtrDisable, kRtsToggle},
        {0xFFFF, kDtrEnable, kRtsEnable},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DtrControlOf(c.flags), c.dtr) << std::hex << c.flags;
        EXPECT_EQ(RtsControlOf(c.flags), c.rts) << std::hex << c.flags;
    }
}

TEST(PortOpen, ALineHasOneUser) {
    PseudoTerminal line;
    OpenPort first(SettingsFor(line.portName()));
    ASSERT_EQ(first.status(), kPortOk);
    OpenPort second(SettingsFor(line.portName()));
    EXPECT_EQ(second.status(), kPortOpenFailed);
    EXPECT_EQ(second.handle(), nullptr);

    // Another process is refused too.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PortHandle handle = nullptr;
        _exit(PortOpen(SettingsFor(line.portName()), &handle));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kPortOpenFailed);

    EXPECT_TRUE(line.Exclusive());
    ASSERT_EQ(first.Close(), kPortOk);
    EXPECT_FALSE(line.Exclusive()) << "users without root could not open the line again";
    OpenPort again(SettingsFor(line.portName()));
    EXPECT_EQ(again.status(), kPortOk);
}

TEST(PortOpen, NullDeviceOpensWithoutSettingsAndNeverReads) {
    FaultyComm comm;
    OpenPort first(SettingsFor("NUL", Line(0, 9, 1, 7))); // settings it never looks at
    OpenPort second(SettingsFor("NUL"));              // a null device has many users
    ASSERT_EQ(first.status(), kPortOk);
    ASSERT_EQ(second.status(), kPortOk);
    EXPECT_EQ(comm.calls.getState, 0);
    EXPECT_EQ(comm.calls.setState, 0);
    EXPECT_EQ(comm.calls.setTimeouts, 0);
    EXPECT_EQ(comm.calls.setQueueSizes, 0);

    uint8_t buffer[4];
    uint32_t received = 99;
    EXPECT_EQ(PortRead(first.handle(), buffer, sizeof buffer, &received), kPortIoFailed);
    EXPECT_EQ(received, 0u);
    uint32_t written = 0;
    EXPECT_EQ(PortWrite(first.handle(), buffer, sizeof buffer, &written), kPortOk);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(PortSetReadTimeout(first.handle(), 4), 0); // not a comm device: no timeouts
    EXPECT_EQ(PortDiscardInput(first.handle()), 1);       // its status query and read both fail
}

TEST(PortOpen, MissingDeviceFails) {
    for (const char *name : {"nosuchtty9", "COM250", "/dev/nonexist", ""}) {
        OpenPort port(SettingsFor(name));
        EXPECT_EQ(port.status(), kPortOpenFailed) << name;
        EXPECT_EQ(port.handle(), nullptr) << name;
    }
    PortSettings unterminated = SettingsFor("");
    std::memcpy(unterminated.name, "NULNULNULNUL", sizeof unterminated.name);
    OpenPort port(unterminated);
    EXPECT_EQ(port.status(), kPortOpenFailed);
}

TEST(PortOpen, DeviceThatIsNotALineFailsItsStateRead) {
    char path[] = "/tmp/XXXXXX"; // a name the 11-character field holds
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    FaultyComm comm;
    OpenPort port(SettingsFor(path));
    EXPECT_EQ(port.status(), kPortStateUnread);
    EXPECT_EQ(port.handle(), nullptr);
    EXPECT_EQ(comm.calls.close, 1);
    unlink(path);
}

TEST(PortOpen, LineSettingsTheLineCannotTakeAreRefusedAndReleaseIt) {
    const LineSettings refused[] = {
        Line(0, 8, 0, 0),            // zero baud
        Line(9601, 8, 0, 0),         // no such rate
        Line(0x8000 | 300, 8, 0, 0), // an unsigned 33068, not a rate
        Line(9600, 9, 0, 0),         // 9 data bits
        Line(9600, 4, 0, 0),
        Line(9600, 8, 0, 7),         // parity code 7
        Line(9600, 8, 0, 5),
        Line(9600, 8, 1, 0),         // 1.5 stop bits with 8 data bits
        Line(9600, 5, 2, 0),         // 2 stop bits with 5 data bits
        Line(9600, 8, 3, 0),
    };
    PseudoTerminal line;
    termios before = line.SlaveAttributes();
    for (const LineSettings &settings : refused) {
        SCOPED_TRACE(testing::Message() << settings.baud << " baud, " << settings.dataBits << " data, stop code "
                                        << settings.stopBits << ", parity code " << settings.parity);
        OpenPort port(SettingsFor(line.portName(), settings));
        EXPECT_EQ(port.status(), kPortStateRefused);
        EXPECT_EQ(port.handle(), nullptr);
        termios after = line.SlaveAttributes();
        EXPECT_EQ(after.c_cflag, before.c_cflag);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
    }
    OpenPort usable(SettingsFor(line.portName()));
    EXPECT_EQ(usable.status(), kPortOk);
}

TEST(PortOpen, EachFailingStepClosesTheDevice) {
    struct Case {
        const char *what;
        std::atomic<bool> CommFaults::*fault;
        int status;
    };
    const Case cases[] = {
        {"state read", &CommFaults::failGetState, kPortStateUnread},
        {"timeouts write", &CommFaults::failSetTimeouts, kPortOpenFailed},
        {"state write", &CommFaults::failSetState, kPortStateRefused},
    };
    PseudoTerminal line;
    for (const Case &c : cases) {
        FaultyComm comm;
        (comm.faults.*c.fault) = true;
        OpenPort port(SettingsFor(line.portName()));
        EXPECT_EQ(port.status(), c.status) << c.what;
        EXPECT_EQ(port.handle(), nullptr) << c.what;
        EXPECT_EQ(comm.calls.close, 1) << c.what;
        (comm.faults.*c.fault) = false;
        OpenPort usable(SettingsFor(line.portName()));
        EXPECT_EQ(usable.status(), kPortOk) << c.what;
    }
}

TEST(PortOpen, QueueSizesAreOnlyAHint) {
    PseudoTerminal line;
    FaultyComm comm;
    comm.faults.failSetQueueSizes = true;
    OpenPort port(SettingsFor(line.portName()));
    ASSERT_EQ(port.status(), kPortOk);
    EXPECT_EQ(comm.calls.setQueueSizes, 1);
    EXPECT_EQ(PortSetReadTimeout(port.handle(), 4), 100); // opened with its 1000 ms read timeout
}

} // namespace
} // namespace kelnf::test
