// Threads and delays.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelnf::platform {

using ThreadEntry = void (*)(void *argument);

// Runs entry(argument) on a new thread that nobody joins, with at least stackBytes of stack
// (the system may round up; sanitizer builds ask for more). False if no thread was created.
bool StartDetachedThread(ThreadEntry entry, void *argument, std::size_t stackBytes);

// How StartDetachedThread creates threads: the system's way unless a replacement is in use.
// Tests put one in place to see the stack asked for and to make the start fail, which no
// real system does on demand.
using ThreadStarter = bool (*)(ThreadEntry entry, void *argument, std::size_t stackBytes);
bool SystemStartDetachedThread(ThreadEntry entry, void *argument, std::size_t stackBytes);
void UseThreadStarter(ThreadStarter starter); // null puts the system's back

void SleepMilliseconds(uint32_t milliseconds);

} // namespace kelnf::platform
