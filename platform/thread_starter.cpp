#include <atomic>

#include "platform/thread.h"

namespace kelnf::platform {
namespace {

std::atomic<ThreadStarter> gStarter{nullptr};

} // namespace

void UseThreadStarter(ThreadStarter starter) { gStarter.store(starter, std::memory_order_release); }

bool StartDetachedThread(ThreadEntry entry, void *argument, std::size_t stackBytes) {
    ThreadStarter starter = gStarter.load(std::memory_order_acquire);
    if (starter == nullptr)
        starter = SystemStartDetachedThread;
    return starter(entry, argument, stackBytes);
}

} // namespace kelnf::platform
