#include <cerrno>
#include <climits>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

#include "platform/thread.h"

namespace kelnf::platform {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t kSanitizerStack = std::size_t{1} << 20; // sanitizer frames are many times larger
#else
constexpr std::size_t kSanitizerStack = 0;
#endif

// The smallest stack this system gives a thread.
std::size_t StackFloor() {
    long systemMinimum = sysconf(_SC_THREAD_STACK_MIN);
    std::size_t floor = systemMinimum > 0 ? static_cast<std::size_t>(systemMinimum) : 16384;
    return floor > kSanitizerStack ? floor : kSanitizerStack;
}

// The entry and its argument, on the starting thread's stack until the new thread has taken
// them, so starting a thread allocates nothing.
struct Handoff {
    ThreadEntry entry;
    void *argument;
    pthread_mutex_t lock;
    pthread_cond_t taken;
    bool done;
};

void *RunThread(void *raw) {
    Handoff &handoff = *static_cast<Handoff *>(raw);
    ThreadEntry entry = handoff.entry;
    void *argument = handoff.argument;
    pthread_mutex_lock(&handoff.lock);
    handoff.done = true;
    pthread_cond_signal(&handoff.taken);
    pthread_mutex_unlock(&handoff.lock);
    entry(argument);
    return nullptr;
}

} // namespace

bool SystemStartDetachedThread(ThreadEntry entry, void *argument, std::size_t stackBytes) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    std::size_t floor = StackFloor();
    std::size_t stack = stackBytes < floor ? floor : stackBytes;
    Handoff handoff{entry, argument, PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, false};
    pthread_t thread;
    bool started = pthread_attr_setstacksize(&attributes, stack) == 0 &&
                   pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
                   pthread_create(&thread, &attributes, RunThread, &handoff) == 0;
    pthread_attr_destroy(&attributes);
    if (started) {
        pthread_mutex_lock(&handoff.lock);
        while (!handoff.done)
            pthread_cond_wait(&handoff.taken, &handoff.lock);
        pthread_mutex_unlock(&handoff.lock);
    }
    pthread_cond_destroy(&handoff.taken);
    pthread_mutex_destroy(&handoff.lock);
    return started;
}

void SleepMilliseconds(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace kelnf::platform
