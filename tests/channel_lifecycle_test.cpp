// Bringing a channel up and down while its receive thread runs: stop through the host
// library, a start on a running instance, close, reopen and reconfigure, through the loaded
// driver on pseudo-terminals.
#include <dirent.h>
#include <termios.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/eventually.h"
#include "support/panel_frames.h"
#include "support/panel_link.h"

namespace kelnf::testing {
namespace {

const std::string kStartLine = "32 KelNF : Start Unsoliceted Thread";
const std::string kShutDownLine = "32 KelNF : ShutDown !";

ReconfigureArgs ReconfigureRecord(const std::string &portName, LineSettings line = {0, 0, 0, 0}) {
    ReconfigureArgs args{};
    portName.copy(args.portName, sizeof args.portName);
    args.line = line;
    return args;
}

int32_t Reconfigure(HostInstance &instance, const std::string &portName, LineSettings line = {0, 0, 0, 0}) {
    ReconfigureArgs args = ReconfigureRecord(portName, line);
    return Call(KEL_OP_RECONFIGURE, instance.get(), &args);
}

int32_t PortCall(HostInstance &instance, int32_t operation) {
    return Call(operation, instance.get(), nullptr);
}

speed_t SpeedOf(const test::PseudoTerminal &line) {
    const termios attributes = line.SlaveAttributes();
    return cfgetospeed(&attributes);
}

int OpenDescriptors() {
    int count = 0;
    DIR *fds = opendir("/proc/self/fd");
    while (dirent *entry = readdir(fds))
        count += entry->d_name[0] != '.';
    closedir(fds);
    return count;
}

TEST(ChannelLifecycle, StoppingTheClientEndsTheListenerWhichRemovesItOnce) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    ASSERT_TRUE(link.Stop());
    // The identifier just given back goes to the next client; removing the old one a second
    // time would remove this one.
    uint8_t probe = 0;
    ASSERT_EQ(Driver().mkClient("probe", 1, 0, &probe), 0);
    EXPECT_TRUE(link.log.WaitFor(kShutDownLine));
    EXPECT_EQ(link.log.Lines(), (std::vector<std::string>{kStartLine, kShutDownLine}));
    EXPECT_TRUE(ClientRegistered("probe"));
    Driver().rmClient(probe);

    EXPECT_TRUE(link.panel.Exclusive()) << "the Listener's end leaves the port open";
    link.panel.Send(std::string(1, kPoll));
    EXPECT_EQ(link.panel.Drain(std::chrono::milliseconds(300)), "") << "nothing reads the line any more";
}

TEST(ChannelLifecycle, InstanceStartsAgainOnceItsListenerHasEnded) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    ASSERT_TRUE(link.Stop());
    StartArgs args = StartRecord(link.panel.portName().c_str());
    EXPECT_EQ(Call(KEL_OP_START, link.instance.get(), &args, link.number), KEL_RESULT_FAILED)
        << "its port is still open, and a serial port has one user";
    const std::vector<std::string> failed = link.log.Lines();
    EXPECT_NE(std::find(failed.begin(), failed.end(),
                        "32 KELNF Fire Alarm System : Fail to open " + link.panel.portName()),
              failed.end());
    EXPECT_EQ(PortCall(link.instance, KEL_OP_CLOSE_PORT), KEL_RESULT_DONE);
    EXPECT_EQ(Call(KEL_OP_START, link.instance.get(), &args, link.number), KEL_RESULT_DONE);
    EXPECT_TRUE(link.SendAlarmAndSeeIt("200"));
    const std::vector<std::string> lines = link.log.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kStartLine), 2);
}

TEST(ChannelLifecycle, StartOnARunningInstanceIsRefusedAndChangesNothing) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    WriteAddress(link.instance, "321", 0x0002);
    test::PseudoTerminal other;
    const std::vector<unsigned char> before = link.Snapshot();
    const struct {
        const char *port;
        uint32_t enable;
        int32_t instanceNumber;
    } starts[] = {
        {other.portName().c_str(), 1, 4},
        {other.portName().c_str(), 0, 4},
        {link.panel.portName().c_str(), 1, link.number},
        {"NUL", 1, link.number},
    };
    for (const auto &start : starts) {
        SCOPED_TRACE(start.port);
        StartArgs args = StartRecord(start.port, start.enable);
        EXPECT_EQ(Call(KEL_OP_START, link.instance.get(), &args, start.instanceNumber), KEL_RESULT_REFUSED);
        EXPECT_EQ(link.Snapshot(), before);
    }
    EXPECT_FALSE(other.Exclusive()) << "no port was opened";
    EXPECT_FALSE(ClientRegistered(ClientName(4)));
    EXPECT_TRUE(link.log.WaitFor(kStartLine));
    EXPECT_EQ(link.log.Lines(), std::vector<std::string>{kStartLine});
    EXPECT_TRUE(link.SendAlarmAndSeeIt("200")) << "the one Listener goes on";
}

TEST(ChannelLifecycle, ClientThatCannotBeCreatedLeavesThePortOpenAndALaterStartClosesIt) {
    LogCapture log;
    test::PseudoTerminal first, second;
    HostInstance instance;
    const std::string name = ClientName(5);
    uint8_t blocker = 0;
    ASSERT_EQ(Driver().mkClient(name.c_str(), 1, 0, &blocker), 0);

    WriteAddress(instance, "321", 0x0002);
    StartArgs args = StartRecord(first.portName().c_str());
    EXPECT_EQ(Call(KEL_OP_START, instance.get(), &args, 5), KEL_RESULT_REFUSED);
    EXPECT_EQ(ReadAddress(instance, "321"), 0) << "the image was cleared before the client step";
    EXPECT_EQ(ReadAddress(instance, "!C"), 1);
    EXPECT_TRUE(first.Exclusive()) << "the port stays open";
    EXPECT_TRUE(log.Lines().empty()) << "no Listener started";

    Driver().rmClient(blocker);
    args = StartRecord(second.portName().c_str());
    ASSERT_EQ(Call(KEL_OP_START, instance.get(), &args, 5), KEL_RESULT_DONE);
    EXPECT_FALSE(first.Exclusive()) << "the handle the new one replaced is closed";
    ASSERT_EQ(Driver().stopClient(name.c_str()), 0);
    ASSERT_EQ(Driver().waitRemoved(name.c_str(), static_cast<unsigned>(kPatience.count())), 0);
    EXPECT_EQ(PortCall(instance, KEL_OP_CLOSE_PORT), KEL_RESULT_DONE);
}

TEST(ChannelLifecycle, CloseUnderARunningListenerThenReopenResumesReading) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    EXPECT_EQ(PortCall(link.instance, KEL_OP_CLOSE_PORT), KEL_RESULT_DONE);
    EXPECT_FALSE(link.panel.Exclusive());
    EXPECT_EQ(PortCall(link.instance, KEL_OP_CLOSE), KEL_RESULT_DONE) << "closing a closed port is done";
    EXPECT_EQ(PortCall(link.instance, KEL_OP_DISCARD_INPUT), KEL_RESULT_DONE) << "so is discarding on it";

    EXPECT_EQ(PortCall(link.instance, KEL_OP_REOPEN), KEL_RESULT_DONE);
    EXPECT_TRUE(link.panel.Exclusive());
    EXPECT_TRUE(link.SendAlarmAndSeeIt("200"));

    EXPECT_EQ(PortCall(link.instance, KEL_OP_REOPEN), KEL_RESULT_FAILED) << "the open port has its one user";
    EXPECT_TRUE(link.SendAlarmAndSeeIt("201")) << "and is kept";
}

TEST(ChannelLifecycle, ReconfigureMovesTheListenerToAnotherLine) {
    PanelLink link; // started at 9600 baud
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    test::PseudoTerminal other;

    EXPECT_EQ(Reconfigure(link.instance, other.portName()), KEL_RESULT_DONE);
    EXPECT_FALSE(link.panel.Exclusive()) << "a new name closes the old port";
    EXPECT_TRUE(other.Exclusive());
    EXPECT_EQ(SpeedOf(other), B9600) << "baud 0 keeps the line settings";
    other.Send(AlarmOn("200"));
    EXPECT_TRUE(link.WaitUntil("200", 0x0001));

    EXPECT_EQ(Reconfigure(link.instance, link.panel.portName(), {19200, 8, 0, 0}), KEL_RESULT_DONE);
    EXPECT_FALSE(other.Exclusive());
    EXPECT_EQ(SpeedOf(link.panel), B19200);
    EXPECT_TRUE(link.SendAlarmAndSeeIt("201"));

    EXPECT_EQ(Reconfigure(link.instance, link.panel.portName()), KEL_RESULT_FAILED)
        << "the same name is opened a second time without closing first";
    EXPECT_TRUE(link.SendAlarmAndSeeIt("202")) << "the open port is kept";
}

TEST(ChannelLifecycle, ReconfigureThatCannotOpenKeepsTheNewNameAndLeavesThePortClosed) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    EXPECT_EQ(Reconfigure(link.instance, "nosuchtty9"), KEL_RESULT_FAILED);
    EXPECT_FALSE(link.panel.Exclusive());
    EXPECT_EQ(PortCall(link.instance, KEL_OP_REOPEN), KEL_RESULT_FAILED) << "reopen uses the stored new name";
    EXPECT_EQ(Reconfigure(link.instance, link.panel.portName()), KEL_RESULT_DONE);
    EXPECT_TRUE(link.SendAlarmAndSeeIt("200"));
}

TEST(ChannelLifecycle, ReconfigureToANameThatDoesNotFitChangesNothing) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    const std::vector<unsigned char> before = link.Snapshot();
    ReconfigureArgs unterminated = ReconfigureRecord("", {19200, 8, 0, 0});
    std::memset(unterminated.portName, 'X', sizeof unterminated.portName);
    ReconfigureArgs twelve = ReconfigureRecord("ABCDEFGHIJKL", {19200, 8, 0, 0});
    ReconfigureArgs fifteen = ReconfigureRecord("ABCDEFGHIJKLMNO", {19200, 8, 0, 0});
    for (ReconfigureArgs *args : {&twelve, &fifteen, &unterminated}) {
        EXPECT_EQ(Call(KEL_OP_RECONFIGURE, link.instance.get(), args), KEL_RESULT_FAILED);
        EXPECT_EQ(link.Snapshot(), before);
    }
    EXPECT_TRUE(link.panel.Exclusive());
    EXPECT_TRUE(link.SendAlarmAndSeeIt("200"));
}

TEST(ChannelLifecycle, PortOperationsWorkWithoutAListener) {
    test::PseudoTerminal first, second;
    HostInstance instance;
    EXPECT_EQ(PortCall(instance, KEL_OP_REOPEN), KEL_RESULT_FAILED) << "a fresh instance names no port";
    EXPECT_EQ(Reconfigure(instance, first.portName(), {9600, 8, 0, 0}), KEL_RESULT_DONE);
    EXPECT_TRUE(first.Exclusive());

    first.Send("stale bytes");
    ASSERT_TRUE(Eventually([&] { return first.PendingTowardsDriver() == 11; }));
    EXPECT_EQ(PortCall(instance, KEL_OP_DISCARD_INPUT), KEL_RESULT_DONE);
    EXPECT_EQ(first.PendingTowardsDriver(), 0);

    // A start that is not enabled opens nothing; a reopen then uses what is stored.
    EXPECT_EQ(PortCall(instance, KEL_OP_CLOSE_PORT), KEL_RESULT_DONE);
    StartArgs disabled = StartRecord(second.portName().c_str(), 0);
    EXPECT_EQ(Call(KEL_OP_START, instance.get(), &disabled), KEL_RESULT_DONE);
    EXPECT_FALSE(second.Exclusive());
    EXPECT_EQ(PortCall(instance, KEL_OP_REOPEN), KEL_RESULT_DONE);
    EXPECT_TRUE(first.Exclusive());
    EXPECT_EQ(PortCall(instance, KEL_OP_CLOSE_PORT), KEL_RESULT_DONE);
}

TEST(ChannelLifecycle, OpeningADeviceThatIsAlreadyOpenLeaksNoDescriptor) {
    HostInstance instance;
    ASSERT_EQ(Reconfigure(instance, "NUL"), KEL_RESULT_DONE);
    const int held = OpenDescriptors();
    EXPECT_EQ(PortCall(instance, KEL_OP_REOPEN), KEL_RESULT_DONE) << "the null device has many users";
    EXPECT_EQ(OpenDescriptors(), held);
    EXPECT_EQ(Reconfigure(instance, "NUL"), KEL_RESULT_DONE);
    EXPECT_EQ(OpenDescriptors(), held);

    LogCapture log;
    StartArgs args = StartRecord("NUL");
    ASSERT_EQ(Call(KEL_OP_START, instance.get(), &args, 6), KEL_RESULT_DONE);
    EXPECT_EQ(OpenDescriptors(), held);
    const std::string name = ClientName(6);
    ASSERT_EQ(Driver().stopClient(name.c_str()), 0);
    ASSERT_EQ(Driver().waitRemoved(name.c_str(), static_cast<unsigned>(kPatience.count())), 0);
    EXPECT_EQ(PortCall(instance, KEL_OP_CLOSE_PORT), KEL_RESULT_DONE);
    EXPECT_EQ(OpenDescriptors(), held - 3) << "the device and its wake pipe's two ends are gone";
}

} // namespace
} // namespace kelnf::testing
