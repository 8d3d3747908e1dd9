// Reads, writes, timeouts and discards on an open port, with the panel played from the master.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/comm.h"
#include "support/fault_comm.h"
#include "support/port_fixture.h"
#include "support/pseudo_terminal.h"

namespace kelnf::test {
namespace {

using namespace std::chrono_literals;
using platform::CommTimeouts;

uint32_t ReadTimeoutMs(PortHandle handle) {
    CommTimeouts timeouts{};
    EXPECT_TRUE(platform::CommGetTimeouts(handle, &timeouts));
    return timeouts.readTotalConstant;
}

void SetReadTimeoutMs(PortHandle handle, uint32_t milliseconds) {
    CommTimeouts timeouts{};
    ASSERT_TRUE(platform::CommGetTimeouts(handle, &timeouts));
    timeouts.readTotalConstant = milliseconds;
    ASSERT_TRUE(platform::CommSetTimeouts(handle, &timeouts));
}

std::string Pattern(std::size_t length, char first = 'a') {
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(static_cast<char>(first + static_cast<char>(i % 26)));
    return text;
}

class PortTransfer : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(port.status(), kPortOk); }
    PseudoTerminal line;
    OpenPort port{SettingsFor(line.portName())};
};

TEST_F(PortTransfer, ExactReadGathersBursts) {
    // Each burst comes well within the 1000 ms read timeout.
    std::thread panel([&] {
        line.Send(Pattern(30));
        std::this_thread::sleep_for(100ms);
        line.Send(Pattern(30, 'A'));
        std::this_thread::sleep_for(100ms);
        line.Send(Pattern(25, '0'));
    });
    uint8_t buffer[85] = {};
    uint32_t received = 0;
    int status = PortRead(port.handle(), buffer, sizeof buffer, &received);
    panel.join();
    EXPECT_EQ(status, kPortOk);
    EXPECT_EQ(received, 85u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 85), Pattern(30) + Pattern(30, 'A') + Pattern(25, '0'));
}

TEST_F(PortTransfer, ExactReadInSmallPiecesKeepsItsRunningTotal) {
    FaultyComm comm;
    comm.faults.readAtMost = 7;
    line.Send(Pattern(85));
    uint8_t buffer[85] = {};
    uint32_t received = 0;
    EXPECT_EQ(PortRead(port.handle(), buffer, sizeof buffer, &received), kPortOk);
    EXPECT_EQ(received, 85u);
    EXPECT_EQ(comm.calls.read, 13); // 12 reads of 7 and one of 1
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 85), Pattern(85));
}

TEST_F(PortTransfer, ReadsOfNothingAndOfMoreThanOneRequestHolds) {
    FaultyComm comm;
    uint8_t none[1];
    uint32_t received = 99;
    EXPECT_EQ(PortRead(port.handle(), none, 0, &received), kPortOk); // already complete
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(comm.calls.read, 0);

    // A single read request holds at most 65535 bytes; a longer read is made of several.
    const std::size_t length = 70000;
    std::thread panel([&] { line.Send(Pattern(length)); });
    std::vector<uint8_t> buffer(length);
    EXPECT_EQ(PortRead(port.handle(), buffer.data(), static_cast<uint32_t>(length), &received), kPortOk);
    panel.join();
    EXPECT_EQ(received, length);
    EXPECT_EQ(comm.calls.largestReadRequest, 65535u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), Pattern(length));
}

TEST_F(PortTransfer, LineFallingSilentEndsTheReadWithWhatCame) {
    PortSetReadTimeout(port.handle(), 10); // 100 ms
    line.Send(Pattern(40));
    uint8_t buffer[85] = {};
    uint32_t received = 0;
    EXPECT_EQ(PortRead(port.handle(), buffer, sizeof buffer, &received), kPortIoFailed);
    EXPECT_EQ(received, 40u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 40), Pattern(40));
    // Nothing at all: the count stays 0, and a missing count is fine.
    EXPECT_EQ(PortRead(port.handle(), buffer, 1, &received), kPortIoFailed);
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(PortRead(port.handle(), buffer, 1, nullptr), kPortIoFailed);
}

TEST_F(PortTransfer, HungUpLineFailsReadsAtOnce) {
    line.Send("xyz");
    PortSetReadTimeout(port.handle(), 0); // no limit: only the hang-up can end the read
    line.CloseMaster();
    uint8_t buffer[8] = {};
    uint32_t received = 0;
    EXPECT_EQ(PortRead(port.handle(), buffer, sizeof buffer, &received), kPortIoFailed);
    platform::CommStatus status{};
    EXPECT_FALSE(platform::CommClearError(port.handle(), &status));
}

TEST_F(PortTransfer, ReadTimeoutReportsThePreviousOne) {
    FaultyComm comm;
    EXPECT_EQ(PortSetReadTimeout(port.handle(), 100), 100); // 1000 ms already: nothing written
    EXPECT_EQ(comm.calls.setTimeouts, 0);
    EXPECT_EQ(PortSetReadTimeout(port.handle(), 4), 100);
    EXPECT_EQ(comm.calls.setTimeouts, 1);
    EXPECT_EQ(ReadTimeoutMs(port.handle()), 40u);
    EXPECT_EQ(PortSetReadTimeout(port.handle(), 4), 4);

    SetReadTimeoutMs(port.handle(), 45);
    EXPECT_EQ(PortSetReadTimeout(port.handle(), 1), 4); // rounded toward zero
    SetReadTimeoutMs(port.handle(), 0xFFFFFFF6u);       // -10 as a signed number
    EXPECT_EQ(PortSetReadTimeout(port.handle(), -1), -1);
    EXPECT_EQ(ReadTimeoutMs(port.handle()), 0xFFFFFFF6u); // -1 * 10 in 32 bits: the same value

    comm.faults.failGetTimeouts = true;
    EXPECT_EQ(PortSetReadTimeout(port.handle(), 7), 0);
    comm.faults.failGetTimeouts = false;
    comm.faults.failSetTimeouts = true;
    EXPECT_EQ(PortSetReadTimeout(port.handle(), 7), 0);
    EXPECT_EQ(PortSetReadTimeout(nullptr, 7), 0);
}

TEST_F(PortTransfer, WriteSendsAllBytesOrSaysHowManyWent) {
    uint32_t written = 0;
    const uint8_t bytes[] = {'~', 'L', 0, 0xFF};
    EXPECT_EQ(PortWrite(port.handle(), bytes, sizeof bytes, &written), kPortOk);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(line.Receive(4), Bytes({'~', 'L', 0, 0xFF}));

    FaultyComm comm;
    comm.faults.writeAtMost = 1;
    EXPECT_EQ(PortWrite(port.handle(), bytes, 2, &written), kPortShortWrite);
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(line.Receive(1), "~");

    comm.faults.writeAtMost = -1;
    comm.faults.failWrite = true;
    written = 99;
    EXPECT_EQ(PortWrite(port.handle(), bytes, 2, &written), kPortIoFailed);
    EXPECT_EQ(written, 99u); // no count from a failed write
}

TEST_F(PortTransfer, DiscardDropsPendingInputAndRestoresTheTimeout) {
    line.Send(Pattern(1100)); // more than two chunks
    while (line.PendingTowardsDriver() < 1100)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(PortDiscardInput(port.handle()), 0);
    EXPECT_EQ(line.PendingTowardsDriver(), 0);
    EXPECT_EQ(ReadTimeoutMs(port.handle()), 1000u);
}

TEST_F(PortTransfer, DiscardRestoresOnlyWholeTensOfMilliseconds) {
    struct Case {
        uint32_t before, after;
    };
    const Case cases[] = {{45, 40}, {0, 50}, {9, 50}, {10, 10}, {250, 250}};
    for (const Case &c : cases) {
        SetReadTimeoutMs(port.handle(), c.before);
        line.Send("x");
        while (line.PendingTowardsDriver() < 1)
            std::this_thread::sleep_for(1ms);
        EXPECT_EQ(PortDiscardInput(port.handle()), 0) << c.before;
        EXPECT_EQ(ReadTimeoutMs(port.handle()), c.after) << c.before;
    }
}

TEST_F(PortTransfer, DiscardOnAQuietLineReadsNothing) {
    FaultyComm comm;
    SetReadTimeoutMs(port.handle(), 45);
    EXPECT_EQ(PortDiscardInput(port.handle()), 0);
    EXPECT_EQ(comm.calls.read, 0);
    EXPECT_EQ(comm.calls.setTimeouts, 1); // only the test's own
    EXPECT_EQ(ReadTimeoutMs(port.handle()), 45u);
}

TEST_F(PortTransfer, DiscardResultFollowsItsLastRead) {
    FaultyComm comm;
    // The status query failed, but the read after it came back short: 0.
    comm.faults.failClearError = true;
    EXPECT_EQ(PortDiscardInput(port.handle()), 0);
    EXPECT_EQ(comm.calls.read, 1);
    EXPECT_EQ(ReadTimeoutMs(port.handle()), 1000u);
    // The read failed too: 1, and the timeout is still put back.
    comm.faults.failRead = true;
    EXPECT_EQ(PortDiscardInput(port.handle()), 1);
    EXPECT_EQ(ReadTimeoutMs(port.handle()), 1000u);
    // On a closed port everything fails.
    EXPECT_EQ(PortDiscardInput(nullptr), 1);
}

TEST_F(PortTransfer, OverlappingDiscardsPutTheTimeoutBack) {
    // Two threads discard at once, staggered across the first one's reads; a failing status
    // query sends both through their read loops.
    FaultyComm comm;
    comm.faults.failClearError = true;
    comm.faults.readDelayMs = 30;
    for (int stagger : {0, 5, 10, 20, 40, 60}) {
        SetReadTimeoutMs(port.handle(), 1000);
        std::thread other([&] { PortDiscardInput(port.handle()); });
        std::this_thread::sleep_for(std::chrono::milliseconds(stagger));
        PortDiscardInput(port.handle());
        other.join();
        EXPECT_EQ(ReadTimeoutMs(port.handle()), 1000u) << "second discard " << stagger << " ms later";
    }
    EXPECT_EQ(comm.calls.lock, comm.calls.unlock);
}

TEST_F(PortTransfer, CloseEndsABlockedReadOnAnotherThread) {
    PortSetReadTimeout(port.handle(), 0); // reads wait without limit
    PortHandle handle = port.handle();
    std::promise<int> reading;
    std::future<int> result = reading.get_future();
    std::thread reader([&] {
        uint8_t buffer[85];
        reading.set_value(PortRead(handle, buffer, sizeof buffer, nullptr));
    });
    std::this_thread::sleep_for(50ms); // let it block; the result does not depend on it
    EXPECT_EQ(port.Close(), kPortOk);
    EXPECT_EQ(result.wait_for(10s), std::future_status::ready);
    reader.join();
    EXPECT_EQ(result.get(), kPortIoFailed);
}

TEST_F(PortTransfer, ClosedHandleNeverReachesALaterDevice) {
    PortHandle stale = port.handle();
    ASSERT_EQ(port.Close(), kPortOk);
    // The next open may take the same slot and descriptor; the old handle must not reach it.
    PseudoTerminal other;
    OpenPort reopened(SettingsFor(other.portName()));
    ASSERT_EQ(reopened.status(), kPortOk);
    other.Send("secret");
    uint8_t buffer[6];
    EXPECT_EQ(PortRead(stale, buffer, sizeof buffer, nullptr), kPortIoFailed);
    EXPECT_EQ(PortWrite(stale, buffer, 1, nullptr), kPortIoFailed);
    EXPECT_EQ(PortSetReadTimeout(stale, 3), 0);
    EXPECT_EQ(PortClose(stale), kPortIoFailed);
    EXPECT_EQ(PortRead(reopened.handle(), buffer, sizeof buffer, nullptr), kPortOk);
    EXPECT_EQ(other.Drain(), ""); // the stale write went nowhere
}

TEST_F(PortTransfer, RefusedCloseIsReported) {
    FaultyComm comm;
    comm.faults.failClose = true;
    const PortHandle handle = port.handle();
    EXPECT_EQ(port.Close(), kPortIoFailed);
    comm.faults.failClose = false;
    EXPECT_EQ(PortClose(handle), kPortOk);
}

} // namespace
} // namespace kelnf::test
