// Operation 1 as far as the host can see it before a port opens: the enable switch, and the
// open-failure line reaching the host's log sink from the loaded driver.
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/driver_library.h"
#include "support/pseudo_terminal.h"

namespace kelnf::testing {
namespace {

TEST(ChannelStart, DisabledChannelIsDoneAndTouchesNothingElse) {
    LogCapture log;
    HostInstance instance;
    WriteAddress(instance, "321", 0x02);
    StartArgs args = StartRecord("nosuchtty9", 0);
    EXPECT_EQ(Call(KEL_OP_START, instance.get(), &args, 3), KEL_RESULT_DONE);
    EXPECT_EQ(ReadAddress(instance, "321"), 0x02) << "the image is not cleared";
    EXPECT_TRUE(log.Lines().empty());

    args = StartRecord("NUL", 1);
    ASSERT_EQ(Call(KEL_OP_START, instance.get(), &args, 3), KEL_RESULT_DONE) << "nothing holds the instance";
    ASSERT_EQ(Driver().stopClient("KelNF No_03"), 0);
    ASSERT_EQ(Driver().waitRemoved("KelNF No_03", 20000), 0);
    EXPECT_EQ(Call(KEL_OP_CLOSE_PORT, instance.get(), nullptr), KEL_RESULT_DONE);
}

TEST(ChannelStart, PortThatCannotBeOpenedFailsWithItsLogLine) {
    LogCapture log;
    HostInstance instance;
    WriteAddress(instance, "321", 0x02);
    StartArgs args = StartRecord("nosuchtty9", 1);
    EXPECT_EQ(Call(KEL_OP_START, instance.get(), &args, 3), KEL_RESULT_FAILED);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"32 KELNF Fire Alarm System : Fail to open nosuchtty9"});
    EXPECT_EQ(ReadAddress(instance, "321"), 0x02) << "a failed start leaves the image";
}

TEST(ChannelStart, UnterminatedPortNameIsRefusedWithoutReadingPastTheRecord) {
    LogCapture log;
    HostInstance instance;
    StartArgs args = StartRecord("", 1);
    std::memcpy(args.portName, "ABCDEFGHIJKL", 12); // no zero byte in the field
    EXPECT_EQ(Call(KEL_OP_START, instance.get(), &args), KEL_RESULT_FAILED);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"32 KELNF Fire Alarm System : Fail to open ABCDEFGHIJKL"});
}

// True if nobody holds the line: a second user could take it now.
bool LineIsFree(const std::string &path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
}

TEST(ChannelStart, LineSettingsTheLineCannotTakeFailTheOpen) {
    const LineSettings refused[] = {
        {0, 8, 0, 0},    // zero baud
        {9600, 9, 0, 0}, // 9 data bits
        {9600, 8, 0, 7}, // parity code 7
        {9600, 8, 1, 0}, // 1.5 stop bits with 8 data bits
    };
    for (const LineSettings &line : refused) {
        test::PseudoTerminal pty;
        LogCapture log;
        HostInstance instance;
        WriteAddress(instance, "321", 0x02);
        StartArgs args = StartRecord(pty.portName().c_str(), 1);
        args.line = line;
        EXPECT_EQ(Call(KEL_OP_START, instance.get(), &args, 3), KEL_RESULT_FAILED);
        EXPECT_EQ(log.Lines(),
                  std::vector<std::string>{"32 KELNF Fire Alarm System : Fail to open " + pty.portName()});
        EXPECT_EQ(ReadAddress(instance, "321"), 0x02) << "a failed start leaves the image";
        EXPECT_TRUE(LineIsFree(pty.path())) << "a failed open holds no device";
    }
}

} // namespace
} // namespace kelnf::testing
