// Operation 1 as far as the host can see it before a port opens: the enable switch, and the
// open-failure line reaching the host's log sink from the loaded driver.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "support/driver_library.h"

namespace kelnf::testing {
namespace {

StartArgs StartRecord(const char *portName, uint32_t enable) {
    StartArgs args{};
    std::strncpy(args.portName, portName, sizeof args.portName);
    args.enable = enable;
    args.readTimeout = 4;
    args.line = {9600, 8, 0, 0};
    return args;
}

TEST(ChannelStart, DisabledChannelIsDoneAndTouchesNothingElse) {
    LogCapture log;
    HostInstance instance;
    WriteAddress(instance, "321", 0x02);
    StartArgs args = StartRecord("nosuchtty9", 0);
    EXPECT_EQ(Call(KEL_OP_START, instance.get(), &args, 3), KEL_RESULT_DONE);
    EXPECT_EQ(ReadAddress(instance, "321"), 0x02) << "the image is not cleared";
    EXPECT_TRUE(log.Lines().empty());
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
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"32 KELNF Fire Alarm System : Fail to open ABCDEFGHIJKL"});
}

} // namespace
} // namespace kelnf::testing
