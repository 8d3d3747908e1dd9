// Channel operations facing failures no real system produces on demand: a thread that cannot
// be created, and a close the system refuses. The driver's code is linked in, and the thread
// start or the comm service is replaced for the test.
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/driver_instance.h"
#include "orbkit.h"
#include "panel/listener.h"
#include "platform/thread.h"
#include "support/fault_comm.h"
#include "support/pseudo_terminal.h"
#include "support/record_builder.h"

namespace kelnf::test {
namespace {

std::atomic<std::size_t> stackAsked{0};

bool RefuseThread(platform::ThreadEntry, void *, std::size_t stackBytes) {
    stackAsked = stackBytes;
    return false;
}

bool NoteStackAndStart(platform::ThreadEntry entry, void *argument, std::size_t stackBytes) {
    stackAsked = stackBytes;
    return platform::SystemStartDetachedThread(entry, argument, stackBytes);
}

// Puts a thread starter in place for one test.
class ThreadStarterInUse {
  public:
    explicit ThreadStarterInUse(platform::ThreadStarter starter) { platform::UseThreadStarter(starter); }
    ~ThreadStarterInUse() { platform::UseThreadStarter(nullptr); }
};

class LogLines {
  public:
    LogLines() { OrbKitSetLogSink(&Keep, &lines_); }
    ~LogLines() { OrbKitSetLogSink(nullptr, nullptr); }
    const std::vector<std::string> &lines() const { return lines_; }

  private:
    static void Keep(int level, const char *line, void *lines) {
        static_cast<std::vector<std::string> *>(lines)->push_back(std::to_string(level) + " " + line);
    }
    std::vector<std::string> lines_;
};

int32_t Call(int32_t operation, DriverInstance &instance, void *args = nullptr, int32_t instanceNumber = 0) {
    DriverRequest request{};
    request.instance = &instance;
    request.operation = operation;
    request.instanceNumber = instanceNumber;
    request.args = args;
    return KelMain(&request);
}

StartArgs StartRecord(const std::string &portName) {
    StartArgs args{};
    portName.copy(args.portName, sizeof args.portName - 1);
    args.enable = 1;
    args.readTimeout = 10;
    args.line = {9600, 8, 0, 0};
    return args;
}

bool Registered(const char *client) { return OrbKitWaitRemoved(client, 0) != 0; }

TEST(ChannelFaults, ThreadThatCannotBeCreatedFailsTheStartAndKeepsPortAndClient) {
    ThreadStarterInUse refusing(RefuseThread);
    LogLines log;
    PseudoTerminal line, other;
    auto instance = testing::ZeroedInstance();
    PointSet(instance->image, 321, kPointMonitorAlarm);

    StartArgs args = StartRecord(line.portName());
    EXPECT_EQ(Call(KEL_OP_START, *instance, &args, 3), KEL_RESULT_FAILED);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"32 KelNF : Can Not open Unsolicetd thread !!!"});
    EXPECT_EQ(stackAsked, kListenerStackBytes);
    EXPECT_EQ(kListenerStackBytes, 32768u);
    EXPECT_TRUE(Registered("KelNF No_03")) << "the client stays registered";
    EXPECT_TRUE(line.Exclusive()) << "the port stays open";
    EXPECT_EQ(PointRead(instance->image, 321), 0);

    // No thread holds the instance, so a later start gets past that check; it stops at the
    // client that is still registered.
    PointSet(instance->image, 321, kPointMonitorAlarm);
    args = StartRecord(other.portName());
    EXPECT_EQ(Call(KEL_OP_START, *instance, &args, 3), KEL_RESULT_REFUSED);
    EXPECT_EQ(PointRead(instance->image, 321), 0) << "this start went as far as clearing the image";

    Orb5RmClient(instance->clientId);
    EXPECT_EQ(Call(KEL_OP_CLOSE_PORT, *instance), KEL_RESULT_DONE);
}

TEST(ChannelFaults, ListenerAsksForItsStack) {
    ThreadStarterInUse noting(NoteStackAndStart);
    auto instance = testing::ZeroedInstance();
    StartArgs args = StartRecord("NUL");
    ASSERT_EQ(Call(KEL_OP_START, *instance, &args, 4), KEL_RESULT_DONE);
    EXPECT_EQ(stackAsked, 32768u);
    ASSERT_EQ(OrbKitStopClient("KelNF No_04"), 0);
    ASSERT_EQ(OrbKitWaitRemoved("KelNF No_04", 20000), 0);
    EXPECT_EQ(Call(KEL_OP_CLOSE_PORT, *instance), KEL_RESULT_DONE);
}

TEST(ChannelFaults, CloseThatTheSystemRefusesKeepsTheHandle) {
    FaultyComm comm;
    PseudoTerminal line;
    auto instance = testing::ZeroedInstance();
    ReconfigureArgs args{};
    line.portName().copy(args.portName, sizeof args.portName - 1);
    args.line = {9600, 8, 0, 0};
    ASSERT_EQ(Call(KEL_OP_RECONFIGURE, *instance, &args), KEL_RESULT_DONE);
    const PortHandle open = CurrentPort(*instance);

    comm.faults.failClose = true;
    for (int32_t operation : {KEL_OP_CLOSE, KEL_OP_CLOSE_PORT}) {
        EXPECT_EQ(Call(operation, *instance), KEL_RESULT_FAILED) << operation;
        EXPECT_EQ(CurrentPort(*instance), open);
    }
    EXPECT_TRUE(line.Exclusive());

    comm.faults.failClose = false;
    EXPECT_EQ(Call(KEL_OP_CLOSE_PORT, *instance), KEL_RESULT_DONE);
    EXPECT_EQ(CurrentPort(*instance), nullptr);
    EXPECT_FALSE(line.Exclusive());
}

} // namespace
} // namespace kelnf::test
