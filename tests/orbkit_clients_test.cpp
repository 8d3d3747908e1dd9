// The host kernel library's messaging clients: unique names, identifiers reused only after
// removal, wait calls that go on until the host stops the client, and waiting for removal.
#include <chrono>
#include <future>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "orbkit.h"

namespace {

// Generous bound for "returns promptly": only a hang exceeds it.
constexpr auto kLiveness = std::chrono::seconds(30);

TEST(OrbKitClients, NamesAreUniqueAndIdentifiersComeBackOnlyAfterRemoval) {
    uint8_t first = 0;
    uint8_t second = 0;
    ASSERT_EQ(Orb5MkClient("KelNF No_01", 1, 0, &first), 0);
    ASSERT_EQ(Orb5MkClient("KelNF No_02", 1, 0, &second), 0);
    EXPECT_NE(first, second);

    uint8_t duplicate = 0xEE;
    EXPECT_NE(Orb5MkClient("KelNF No_01", 1, 0, &duplicate), 0);
    EXPECT_EQ(duplicate, 0xEE) << "a refused client writes no identifier";

    EXPECT_EQ(Orb5RmClient(first), 0);
    EXPECT_NE(Orb5RmClient(first), 0) << "removed once only";
    uint8_t again = 0;
    ASSERT_EQ(Orb5MkClient("KelNF No_01", 1, 0, &again), 0) << "the name is free after removal";
    EXPECT_NE(again, second);
    EXPECT_EQ(Orb5RmClient(again), 0);
    EXPECT_EQ(Orb5RmClient(second), 0);
}

TEST(OrbKitClients, RefusesBadArgumentsAndATableThatIsFull) {
    uint8_t id = 0;
    EXPECT_NE(Orb5MkClient(nullptr, 1, 0, &id), 0);
    EXPECT_NE(Orb5MkClient("no identifier", 1, 0, nullptr), 0);
    EXPECT_NE(Orb5MkClient(std::string(64, 'x').c_str(), 1, 0, &id), 0);

    std::vector<uint8_t> ids;
    std::set<uint8_t> distinct;
    for (int n = 0;; ++n) {
        const std::string name = "filler " + std::to_string(n);
        if (Orb5MkClient(name.c_str(), 1, 0, &id) != 0)
            break;
        ids.push_back(id);
        distinct.insert(id);
        ASSERT_LT(n, 1000) << "the table never fills";
    }
    EXPECT_EQ(ids.size(), 255u);
    EXPECT_EQ(distinct.size(), ids.size());
    EXPECT_EQ(distinct.count(0), 0u) << "0 names no client";
    for (uint8_t used : ids)
        EXPECT_EQ(Orb5RmClient(used), 0);
    EXPECT_EQ(Orb5WaitMsg(0, nullptr, 1), 0) << "no client has identifier 0";
}

TEST(OrbKitClients, WaitGoesOnUntilTheHostStopsTheClient) {
    OrbKitSetTick(1);
    uint8_t id = 0;
    ASSERT_EQ(Orb5MkClient("waiter", 1, 0, &id), 0);
    unsigned char message[ORBKIT_MESSAGE_BYTES + 4];
    std::fill(std::begin(message), std::end(message), 0xAB);
    EXPECT_NE(Orb5WaitMsg(id, message, 1), 0);
    EXPECT_EQ(message[0], 0);
    EXPECT_EQ(message[ORBKIT_MESSAGE_BYTES - 1], 0);
    EXPECT_EQ(message[ORBKIT_MESSAGE_BYTES], 0xAB) << "exactly the message buffer is written";

    EXPECT_NE(OrbKitStopClient("nobody"), 0);
    ASSERT_EQ(OrbKitStopClient("waiter"), 0);
    EXPECT_EQ(Orb5WaitMsg(id, message, 1), 0);
    EXPECT_EQ(Orb5WaitMsg(id, message, 1), 0) << "a stopped client stays stopped";
    EXPECT_EQ(Orb5RmClient(id), 0);
    EXPECT_EQ(Orb5WaitMsg(id, message, 1), 0) << "a removed client has nothing to wait for";
    OrbKitSetTick(5);
}

TEST(OrbKitClients, StoppingWakesABlockedWait) {
    OrbKitSetTick(600000); // a wait that would otherwise block for ten minutes
    uint8_t id = 0;
    ASSERT_EQ(Orb5MkClient("blocked", 1, 0, &id), 0);
    auto wait = std::async(std::launch::async, [id] { return Orb5WaitMsg(id, nullptr, 1); });
    ASSERT_EQ(OrbKitStopClient("blocked"), 0);
    ASSERT_EQ(wait.wait_for(kLiveness), std::future_status::ready);
    EXPECT_EQ(wait.get(), 0);
    EXPECT_EQ(Orb5RmClient(id), 0);
    OrbKitSetTick(5);
}

TEST(OrbKitClients, WaitRemovedReturnsOnceTheClientIsRemoved) {
    uint8_t id = 0;
    ASSERT_EQ(Orb5MkClient("leaving", 1, 0, &id), 0);
    EXPECT_NE(OrbKitWaitRemoved("leaving", 1), 0) << "still registered: times out";

    auto removed = std::async(std::launch::async, [] { return OrbKitWaitRemoved("leaving", 600000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(10)); // let it block; not needed for correctness
    EXPECT_EQ(Orb5RmClient(id), 0);
    ASSERT_EQ(removed.wait_for(kLiveness), std::future_status::ready);
    EXPECT_EQ(removed.get(), 0);
    EXPECT_EQ(OrbKitWaitRemoved("never registered", 0), 0);
}

} // namespace
