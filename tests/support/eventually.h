// Waiting for something another thread does, without betting on how long it takes: the limit
// is far beyond any normal delay and only ends a test that would otherwise hang.
#pragma once

#include <chrono>
#include <thread>

namespace kelnf::testing {

constexpr std::chrono::milliseconds kPatience{20000};

template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace kelnf::testing
