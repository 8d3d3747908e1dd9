#include <atomic>

#include "platform/comm.h"

namespace kelnf::platform {
namespace {

std::atomic<const CommBackend *> gActive{nullptr};

} // namespace

void UseCommBackend(const CommBackend *backend) { gActive.store(backend, std::memory_order_release); }

const CommBackend &ActiveCommBackend() {
    const CommBackend *backend = gActive.load(std::memory_order_acquire);
    return backend != nullptr ? *backend : SystemCommBackend();
}

} // namespace kelnf::platform
