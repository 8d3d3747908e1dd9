// Threads and delays.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelnf::platform {

using ThreadEntry = void (*)(void *argument);

// Runs entry(argument) on a new thread that nobody joins, with at least stackBytes of stack
// (the system may round up; sanitizer builds ask for more). False if no thread was created.
bool StartDetachedThread(ThreadEntry entry, void *argument, std::size_t stackBytes);

void SleepMilliseconds(uint32_t milliseconds);

} // namespace kelnf::platform
