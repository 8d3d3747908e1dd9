// The commands the driver sends the panel, as bytes on a real line.
#include <gtest/gtest.h>

#include <thread>

#include "image/tag_access.h"
#include "panel/panel_commands.h"
#include "serial/instance_port.h"
#include "support/fault_comm.h"
#include "support/port_fixture.h"
#include "support/pseudo_terminal.h"
#include "support/record_builder.h"

namespace kelnf::test {
namespace {

using namespace std::chrono_literals;

class PanelCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(port.status(), kPortOk);
        StorePort(*instance, port.handle());
    }
    PseudoTerminal line;
    OpenPort port{SettingsFor(line.portName())};
    std::unique_ptr<DriverInstance> instance = testing::ZeroedInstance();
};

TEST_F(PanelCommands, EachCommandIsItsTwoBytesAndNothingMore) {
    struct Case {
        PanelCommand command;
        const char *bytes;
    };
    const Case cases[] = {
        {PanelCommand::PollReply, "~~"},
        {PanelCommand::Acknowledge, "~L"},
        {PanelCommand::Reset, "~N"},
        {PanelCommand::Silence, "~M"},
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(SendPanelCommand(*instance, c.command)) << c.bytes;
        EXPECT_EQ(line.Receive(2), c.bytes);
    }
    EXPECT_EQ(line.Drain(), "");
}

TEST_F(PanelCommands, CommandWritesSendOnlyForTheValueOne) {
    struct Case {
        int32_t type;
        uint16_t value;
        const char *bytes;
    };
    const Case cases[] = {
        {KEL_TAG_COMMAND_ACK, 1, "~L"},
        {KEL_TAG_REGISTER_R, 1, "~N"},
        {KEL_TAG_COMMAND_SILENCE, 1, "~M"},
        {KEL_TAG_COMMAND_ACK, 0, ""},
        {KEL_TAG_COMMAND_ACK, 2, ""},
        {KEL_TAG_COMMAND_ACK, 0x0101, ""},
        {KEL_TAG_REGISTER_R, 0, ""},
        {KEL_TAG_COMMAND_SILENCE, 0xFFFF, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(WriteTagValue(*instance, c.type, 0, c.value), KEL_RESULT_DONE);
        EXPECT_EQ(line.Drain(), c.bytes) << c.type << " " << c.value;
    }
}

TEST_F(PanelCommands, PendingInputIsDiscardedBeforeTheCommand) {
    line.Send("unread record bytes");
    while (line.PendingTowardsDriver() < 19)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(SendPanelCommand(*instance, PanelCommand::PollReply));
    EXPECT_EQ(line.PendingTowardsDriver(), 0);
    EXPECT_EQ(line.Receive(2), "~~");
}

TEST_F(PanelCommands, ClosedPortSendsNothingAndStillStoresR) {
    StorePort(*instance, nullptr);
    EXPECT_FALSE(SendPanelCommand(*instance, PanelCommand::Acknowledge));
    EXPECT_EQ(WriteTagValue(*instance, KEL_TAG_REGISTER_R, 0, 1), KEL_RESULT_DONE);
    EXPECT_EQ(RegisterRead(instance->image.R), 1);
    EXPECT_EQ(line.Drain(), "");
}

TEST_F(PanelCommands, ShortOrFailedWriteIsANo) {
    FaultyComm comm;
    comm.faults.writeAtMost = 1;
    EXPECT_FALSE(SendPanelCommand(*instance, PanelCommand::Silence));
    EXPECT_EQ(line.Receive(1), "~");
    comm.faults.writeAtMost = -1;
    comm.faults.failWrite = true;
    EXPECT_FALSE(SendPanelCommand(*instance, PanelCommand::Silence));
    EXPECT_EQ(line.Drain(), "");
}

TEST_F(PanelCommands, ReceiveExactAnswersYesOnlyForEveryByte) {
    PortSetReadTimeout(port.handle(), 10);
    line.Send("0123456789");
    uint8_t buffer[10];
    EXPECT_EQ(ReceiveExact(*instance, buffer, 4), 1);
    EXPECT_EQ(ReceiveExact(*instance, buffer, 10), 0); // six came, then silence
    StorePort(*instance, nullptr);
    EXPECT_EQ(ReceiveExact(*instance, buffer, 1), 0);
}

} // namespace
} // namespace kelnf::test
