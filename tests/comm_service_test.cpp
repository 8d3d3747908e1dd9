// The system comm service itself on a pseudo-terminal: what its timeouts mean, what its status
// query reports, and how it behaves under signals, hang-ups and many open handles.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "platform/comm.h"
#include "support/pseudo_terminal.h"

namespace kelnf::platform {
namespace {

using namespace std::chrono_literals;
using test::PseudoTerminal;

// A raw 9600 8N1 line on the slave, with the given timeouts.
CommHandle OpenLine(const PseudoTerminal &line, const CommTimeouts &timeouts) {
    CommHandle handle = CommOpen(line.portName().c_str());
    EXPECT_NE(handle, nullptr);
    CommState state{};
    EXPECT_TRUE(CommGetState(handle, &state));
    state.baudRate = 9600;
    state.byteSize = 8;
    state.parity = kParityNone;
    state.stopBits = kStopBitsOne;
    EXPECT_TRUE(CommSetState(handle, &state));
    EXPECT_TRUE(CommSetTimeouts(handle, &timeouts));
    return handle;
}

TEST(CommService, ReadTimeoutsEndReadsWithWhatCame) {
    struct Case {
        const char *what;
        CommTimeouts timeouts;
        uint32_t asked;
    };
    const Case cases[] = {
        {"total constant", {0, 0, 100, 0, 0}, 8},
        {"total per byte", {0, 10, 0, 0, 0}, 8},
        {"gap between bytes", {50, 0, 0, 0, 0}, 8},
        {"at once", {kReadReturnAtOnce, 0, 0, 0, 0}, 8},
    };
    for (const Case &c : cases) {
        PseudoTerminal line;
        CommHandle handle = OpenLine(line, c.timeouts);
        line.Send("abc");
        while (line.PendingTowardsDriver() < 3)
            std::this_thread::sleep_for(1ms);
        char buffer[8] = {};
        uint32_t moved = 0;
        EXPECT_TRUE(CommRead(handle, buffer, c.asked, &moved)) << c.what;
        EXPECT_EQ(moved, 3u) << c.what;
        EXPECT_EQ(std::string(buffer, moved), "abc") << c.what;
        // Nothing at all: a timed-out read succeeds with no byte.
        if (c.timeouts.readInterval != 50) { // a gap limit starts only with a first byte
            EXPECT_TRUE(CommRead(handle, buffer, c.asked, &moved)) << c.what;
            EXPECT_EQ(moved, 0u) << c.what;
        }
        EXPECT_TRUE(CommClose(handle));
    }
}

TEST(CommService, StatusQueryCountsWaitingBytes) {
    PseudoTerminal line;
    CommHandle handle = OpenLine(line, {0, 0, 100, 0, 0});
    CommStatus status{};
    ASSERT_TRUE(CommClearError(handle, &status));
    EXPECT_EQ(status.bytesWaiting, 0u);
    EXPECT_EQ(status.errors, 0u);
    line.Send("12345");
    while (line.PendingTowardsDriver() < 5)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(CommClearError(handle, &status));
    EXPECT_EQ(status.bytesWaiting, 5u);
    // A hung-up line fails every transfer and query; the handle still closes.
    line.CloseMaster();
    char buffer[5];
    uint32_t moved = 0;
    EXPECT_FALSE(CommClearError(handle, &status));
    EXPECT_FALSE(CommRead(handle, buffer, 1, &moved));
    EXPECT_FALSE(CommWrite(handle, "x", 1, &moved));
    EXPECT_TRUE(CommClose(handle));
}

extern "C" void IgnoreSignal(int) {}

TEST(CommService, SignalsDoNotEndAWait) {
    struct sigaction action{};
    action.sa_handler = IgnoreSignal; // no SA_RESTART: every signal interrupts the poll
    struct sigaction previous{};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    PseudoTerminal line;
    CommHandle handle = OpenLine(line, {0, 0, 0, 0, 0}); // no limit
    std::promise<pthread_t> started;
    std::future<std::string> got = std::async(std::launch::async, [&] {
        started.set_value(pthread_self());
        char buffer[4];
        uint32_t moved = 0;
        bool ok = CommRead(handle, buffer, 4, &moved);
        return ok ? std::string(buffer, moved) : std::string("failed");
    });
    pthread_t reader = started.get_future().get();
    for (int i = 0; i < 20; ++i) {
        pthread_kill(reader, SIGUSR1);
        std::this_thread::sleep_for(2ms);
    }
    line.Send("wxyz");
    ASSERT_EQ(got.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(got.get(), "wxyz");
    EXPECT_TRUE(CommClose(handle));
    sigaction(SIGUSR1, &previous, nullptr);
}

TEST(CommService, CloseEndsAWaitingWriteAndEveryLaterCall) {
    PseudoTerminal line;
    CommHandle handle = OpenLine(line, {0, 0, 0, 0, 0});
    // Fill the line until a write has to wait: nobody reads the master.
    std::future<bool> writer = std::async(std::launch::async, [&] {
        std::vector<char> block(1 << 20, 'w');
        uint32_t moved = 0;
        return CommWrite(handle, block.data(), static_cast<uint32_t>(block.size()), &moved);
    });
    EXPECT_EQ(writer.wait_for(100ms), std::future_status::timeout);
    EXPECT_TRUE(CommClose(handle));
    ASSERT_EQ(writer.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(writer.get());
    CommStatus status{};
    CommState state{};
    CommTimeouts timeouts{};
    EXPECT_FALSE(CommClearError(handle, &status));
    EXPECT_FALSE(CommGetState(handle, &state));
    EXPECT_FALSE(CommGetTimeouts(handle, &timeouts));
    EXPECT_FALSE(CommClose(handle));
}

TEST(CommService, OpenHandlesAreBoundedAndComeBack) {
    rlimit files{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &files), 0);
    if (files.rlim_cur < 1024 && files.rlim_max >= 1024) {
        files.rlim_cur = 1024;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    if (files.rlim_cur < 1024)
        GTEST_SKIP() << "needs 1024 open files; the limit is " << files.rlim_cur;

    std::vector<CommHandle> handles;
    for (;;) {
        CommHandle handle = CommOpen("NUL");
        if (handle == nullptr)
            break;
        handles.push_back(handle);
        ASSERT_LT(handles.size(), 1000u) << "no bound on open handles";
    }
    EXPECT_GE(handles.size(), 64u);
    EXPECT_TRUE(CommClose(handles.back()));
    handles.pop_back();
    CommHandle again = CommOpen("NUL");
    EXPECT_NE(again, nullptr);
    handles.push_back(again);
    for (CommHandle handle : handles)
        EXPECT_TRUE(CommClose(handle));
}

TEST(CommService, ManyReadersAndClosesNeverCrossHandles) {
    // Each round: a reader waits on one line while the line is closed and another opened;
    // the reader must fail, never read the new line's bytes.
    for (int round = 0; round < 50; ++round) {
        PseudoTerminal first, second;
        CommHandle handle = OpenLine(first, {0, 0, 0, 0, 0});
        std::future<uint32_t> reader = std::async(std::launch::async, [&] {
            char buffer[8];
            uint32_t moved = 0;
            return CommRead(handle, buffer, sizeof buffer, &moved) ? moved : 0xFFFFFFFFu;
        });
        EXPECT_TRUE(CommClose(handle));
        CommHandle next = OpenLine(second, {0, 0, 0, 0, 0});
        second.Send("12345678");
        ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(reader.get(), 0xFFFFFFFFu);
        char buffer[8];
        uint32_t moved = 0;
        EXPECT_TRUE(CommRead(next, buffer, sizeof buffer, &moved));
        EXPECT_EQ(moved, 8u);
        EXPECT_TRUE(CommClose(next));
    }
}

} // namespace
} // namespace kelnf::platform
