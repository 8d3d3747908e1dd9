// The status image: bounded accessors, the clear, the G summary, and concurrent changes to the
// same word from a host thread and the receive thread.
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/record_builder.h"

namespace kelnf::testing {
namespace {

std::vector<unsigned char> BytesOf(const StatusImage &image) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(&image);
    return {bytes, bytes + sizeof image};
}

TEST(StatusImage, AccessorsStayWithinTheTables) {
    auto instance = ZeroedInstance();
    StatusImage &image = instance->image;
    PointSet(image, 1000, 0x0011);
    TroubleSet(image, 99, 0x0003);
    EXPECT_EQ(PointRead(image, 1000), 0x0011);
    EXPECT_EQ(TroubleRead(image, 99), 0x0003);

    std::memset(&image, 0x5A, sizeof image);
    const auto before = BytesOf(image);
    for (int32_t index : {1001, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(PointRead(image, index), 0) << index;
        PointSet(image, index, 0xFFFF);
        PointClear(image, index, 0xFFFF);
    }
    for (int32_t index : {100, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(TroubleRead(image, index), 0) << index;
        TroubleSet(image, index, 0xFFFF);
        TroubleClear(image, index, 0xFFFF);
    }
    EXPECT_EQ(BytesOf(image), before);
}

TEST(StatusImage, SetAndClearChangeOnlyTheirBits) {
    auto instance = ZeroedInstance();
    StatusImage &image = instance->image;
    PointSet(image, 17, 0x0042);
    PointClear(image, 17, 0x0002);
    EXPECT_EQ(PointRead(image, 17), 0x0040);
    TroubleSet(image, 7, 0x0003);
    TroubleClear(image, 7, 0x0001);
    EXPECT_EQ(TroubleRead(image, 7), 0x0002);
}

TEST(StatusImage, ClearZeroesPanelWordsEveryTroubleAndGOnly) {
    auto instance = ZeroedInstance();
    StatusImage &image = instance->image;
    std::memset(&image, 0xFF, sizeof image);
    image.G = 0xAB;
    image.R = 0x12;
    image.C = 0x34;
    ImageClear(image);
    for (int32_t index = 0; index < 1000; ++index)
        ASSERT_EQ(PointRead(image, index), 0) << index;
    for (int32_t index = 0; index < 100; ++index)
        ASSERT_EQ(TroubleRead(image, index), 0) << "T" << index;
    EXPECT_EQ(PointRead(image, 1000), 0xFFFF) << "no address or record reaches point word 1000";
    EXPECT_EQ(image.G, 0);
    EXPECT_EQ(image.R, 0x12);
    EXPECT_EQ(image.C, 0x34);
}

TEST(StatusImage, SummaryOfOneWord) {
    struct Case {
        bool trouble;
        int32_t index;
        uint16_t word;
        uint8_t G;
    };
    const Case cases[] = {
        {false, 42, 0x0001, 0x01}, {false, 42, 0x0002, 0x01}, {false, 42, 0x0004, 0x02},
        {false, 42, 0x0008, 0x02}, {false, 42, 0x0010, 0x02}, // an unacknowledged control trouble shows
        {false, 42, 0x0200, 0x03}, {false, 42, 0x0020, 0x00}, {false, 42, 0x0040, 0x00},
        {false, 42, 0x0080, 0x00}, {false, 42, 0x0100, 0x00}, {false, 42, 0x0400, 0x00},
        {false, 42, 0xF800, 0x00}, {false, 0, 0x0003, 0x01},  {false, 999, 0x0014, 0x02},
        {false, 1000, 0xFFFF, 0x00}, // point word 1000 is outside the panel's points
        {true, 0, 0x0001, 0x02},   {true, 98, 0x0001, 0x02},  {true, 99, 0x0001, 0x02},
        {true, 5, 0x0002, 0x00},   {true, 5, 0xFFFE, 0x00},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.trouble ? "T" : "P") << c.index << " = " << c.word);
        auto instance = ZeroedInstance();
        StatusImage &image = instance->image;
        image.G = 0xEE;
        if (c.trouble)
            TroubleSet(image, c.index, c.word);
        else
            PointSet(image, c.index, c.word);
        EXPECT_EQ(ImageSummary(image), c.G);
        EXPECT_EQ(image.G, c.G);
    }
}

TEST(StatusImage, SummaryCombinesWords) {
    auto instance = ZeroedInstance();
    StatusImage &image = instance->image;
    PointSet(image, 1, kPointMonitorAlarm);
    EXPECT_EQ(ImageSummary(image), kSummaryAlarm);
    TroubleSet(image, 50, kTroubleActive);
    EXPECT_EQ(ImageSummary(image), kSummaryAlarm | kSummaryTrouble);
    ImageClear(image);
    EXPECT_EQ(ImageSummary(image), 0);
}

// Sets and clears its own bit in one point word and one trouble word, checking each time that
// the change held. A plain read-modify-write by the other thread in between writes back a stale
// word and undoes it.
int CountLostChanges(StatusImage &image, uint16_t bit, std::atomic<int> &ready) {
    ready.fetch_add(1);
    while (ready.load() < 2) {
    }
    int lost = 0;
    for (int round = 0; round < 200000; ++round) {
        PointSet(image, 17, bit);
        lost += (PointRead(image, 17) & bit) == 0;
        PointClear(image, 17, bit);
        lost += (PointRead(image, 17) & bit) != 0;
        TroubleSet(image, 7, bit);
        lost += (TroubleRead(image, 7) & bit) == 0;
        TroubleClear(image, 7, bit);
        lost += (TroubleRead(image, 7) & bit) != 0;
    }
    return lost;
}

// The receive thread and a host thread change different bits of the same words at once.
TEST(StatusImage, ConcurrentChangesToOneWordKeepEachOthersBits) {
    auto instance = ZeroedInstance();
    StatusImage &image = instance->image;
    std::atomic<int> ready{0};
    int panelLost = -1;
    std::thread panel([&] { panelLost = CountLostChanges(image, kPointAlarm, ready); });
    const int hostLost = CountLostChanges(image, kPointTroubleAcked, ready);
    panel.join();
    EXPECT_EQ(panelLost, 0);
    EXPECT_EQ(hostLost, 0);
}

} // namespace
} // namespace kelnf::testing
