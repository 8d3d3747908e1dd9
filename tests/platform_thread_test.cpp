// Detached threads with a requested stack.
#include <gtest/gtest.h>

#include <future>
#include <pthread.h>

#include "platform/thread.h"

namespace kelnf::platform {
namespace {

struct Seen {
    std::promise<std::size_t> stack;
};

void ReportStack(void *argument) {
    pthread_attr_t attributes;
    std::size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &size);
        pthread_attr_destroy(&attributes);
    }
    static_cast<Seen *>(argument)->stack.set_value(size);
}

TEST(PlatformThread, RunsTheEntryWithItsArgumentAndAtLeastTheStackAsked) {
    for (std::size_t asked : {std::size_t{32768}, std::size_t{1} << 21}) {
        Seen seen;
        std::future<std::size_t> stack = seen.stack.get_future();
        ASSERT_TRUE(StartDetachedThread(ReportStack, &seen, asked));
        ASSERT_EQ(stack.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_GE(stack.get(), asked);
    }
}

TEST(PlatformThread, ManyStartsInARowEachRunOnce) {
    std::atomic<int> runs{0};
    std::promise<void> all;
    struct Counter {
        std::atomic<int> *runs;
        std::promise<void> *all;
    } counter{&runs, &all};
    auto entry = [](void *argument) {
        auto &c = *static_cast<Counter *>(argument);
        if (c.runs->fetch_add(1) + 1 == 50)
            c.all->set_value();
    };
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(StartDetachedThread(entry, &counter, 32768));
    EXPECT_EQ(all.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(runs.load(), 50);
}

} // namespace
} // namespace kelnf::platform
