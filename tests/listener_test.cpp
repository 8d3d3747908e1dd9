// The receive thread end to end: the loaded driver reads what a panel sends on a
// pseudo-terminal and answers it there, while the test reads the image as a host does.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/eventually.h"
#include "support/panel_frames.h"
#include "support/panel_link.h"

namespace kelnf::testing {
namespace {

using test::Bytes;

TEST(Listener, StartsWithItsLogLineAndRecordsReachTheImage) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    EXPECT_TRUE(link.log.WaitFor("32 KelNF : Start Unsoliceted Thread")) << "logged by the new thread";
    EXPECT_EQ(link.log.Lines(), std::vector<std::string>{"32 KelNF : Start Unsoliceted Thread"});

    link.panel.Send(PanelRecord().Keyword("ALARM:").Kind("MONITOR").Number("123").bytes() +
                    PanelRecord().Keyword("TROUBL").Number("T05").bytes());
    EXPECT_TRUE(link.WaitUntil("123", 0x0002));
    EXPECT_TRUE(link.WaitUntil("T05", 0x0001));
    EXPECT_EQ(link.Read("!G"), 0x03);
    EXPECT_EQ(link.panel.Drain(), "") << "records are not answered";
}

TEST(Listener, PollIsAnsweredWithExactlyTheReplyAndSetsC) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    WriteAddress(link.instance, "!C", 0);
    link.panel.Send(std::string(1, kPoll));
    EXPECT_EQ(link.panel.Receive(2), "~~");
    EXPECT_EQ(link.Read("!C"), 1);

    // Once a later record has been read, the poll has had its whole answer.
    ASSERT_TRUE(link.SendAlarmAndSeeIt("200"));
    EXPECT_EQ(link.panel.Drain(), "");
}

TEST(Listener, CommandWritesGoOutWhileItReads) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    const struct {
        const char *address;
        const char *sent;
    } commands[] = {{"!A", "~L"}, {"!R", "~N"}, {"!S", "~M"}};
    for (const auto &command : commands) {
        WriteAddress(link.instance, command.address, 1);
        EXPECT_EQ(link.panel.Receive(2), command.sent) << command.address;
    }
    ASSERT_TRUE(link.SendAlarmAndSeeIt("201"));
    EXPECT_EQ(link.panel.Drain(), "") << "each write sends its command once";
}

TEST(Listener, VariantRecordTakesFourMoreBytesAndChangesNothing) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    WriteAddress(link.instance, "!C", 0);
    // Would set point 123 if it were interpreted; the four bytes after it would be polls if
    // they were not taken with it.
    PanelRecord variant = PanelRecord().Keyword("ALARM:").Number("123");
    variant.At(4, "\x07");
    ASSERT_TRUE(link.SendAllAtOnce(variant.bytes() + std::string(4, kPoll)));
    ASSERT_TRUE(Eventually([&] { return link.panel.PendingTowardsDriver() == 0; }));
    EXPECT_EQ(link.Read("!C"), 0) << "a variant record is not activity";

    ASSERT_TRUE(link.SendAlarmAndSeeIt("200"));
    EXPECT_EQ(link.Read("123"), 0);
    EXPECT_EQ(link.panel.Drain(), "") << "the four bytes were consumed, not answered as polls";
}

TEST(Listener, RecordCutShortIsDroppedAndLaterFramesAreFound) {
    PanelLink link; // reads time out after 100 ms
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    ASSERT_TRUE(link.SendAllAtOnce(AlarmOn("123").substr(0, 40)));
    ASSERT_TRUE(Eventually([&] { return link.panel.PendingTowardsDriver() == 0; }));
    // Many times the two read timeouts the rest of the record waits for, so the record has
    // been given up before anything more arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    link.panel.Send(std::string(1, kPoll));
    EXPECT_EQ(link.panel.Receive(2), "~~");
    ASSERT_TRUE(link.SendAlarmAndSeeIt("200"));
    EXPECT_EQ(link.Read("123"), 0) << "the cut record is not interpreted";
}

TEST(Listener, StrayBytesChangeNothing) {
    PanelLink link;
    ASSERT_EQ(link.started, KEL_RESULT_DONE);
    WriteAddress(link.instance, "!C", 0);
    WriteAddress(link.instance, "300", 0x0004);
    ASSERT_TRUE(link.SendAllAtOnce(Bytes({0x00, 0x06, 0x1A, 0x1C, 0x7E, 0xFF}) + "ALARM: 123"));
    ASSERT_TRUE(Eventually([&] { return link.panel.PendingTowardsDriver() == 0; }));
    EXPECT_EQ(link.Read("!C"), 0);

    ASSERT_TRUE(link.SendAlarmAndSeeIt("200"));
    EXPECT_EQ(link.Read("123"), 0);
    EXPECT_EQ(link.Read("300"), 0x0004);
    EXPECT_EQ(link.panel.Drain(), "");
}

TEST(Listener, NullDeviceStartsAListenerThatReceivesNothing) {
    LogCapture log;
    HostInstance instance;
    WriteAddress(instance, "!C", 0);
    StartArgs args = StartRecord("NUL");
    ASSERT_EQ(Call(KEL_OP_START, instance.get(), &args, 9), KEL_RESULT_DONE);
    EXPECT_EQ(ReadAddress(instance, "!C"), 1) << "start sets C";
    const std::string name = ClientName(9);
    EXPECT_TRUE(ClientRegistered(name));
    ASSERT_EQ(Driver().stopClient(name.c_str()), 0);
    ASSERT_EQ(Driver().waitRemoved(name.c_str(), static_cast<unsigned>(kPatience.count())), 0);
    EXPECT_TRUE(log.WaitFor("32 KelNF : ShutDown !"));
    EXPECT_EQ(Call(KEL_OP_CLOSE_PORT, instance.get(), nullptr), KEL_RESULT_DONE);
}

} // namespace
} // namespace kelnf::testing
