// Log lines: err formats into a bounded buffer on the caller's stack and hands the line to the
// host's sink. Drivers call it from receive threads with small stacks, so nothing here grows
// with the message.
#include "orbkit.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace {

struct SinkSetting {
    std::mutex lock; // serialises sink calls and sink changes
    OrbKitLogSink sink = nullptr;
    void *context = nullptr;
};

SinkSetting &Sink() {
    static SinkSetting setting;
    return setting;
}

void WriteToStderr(int level, const char *line, void *) {
    using std::chrono::system_clock;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const long millis = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    // Formatted here and written once: printf-style output straight onto unbuffered stderr
    // takes a BUFSIZ-sized buffer on the stack, too much for a receive thread's small stack.
    char text[sizeof stamp + 16 + ORBKIT_LINE_BYTES];
    int length = std::snprintf(text, sizeof text, "%s.%03ld [%d] %s\n", stamp, millis, level, line);
    if (length < 0)
        return;
    std::size_t size = static_cast<std::size_t>(length);
    if (size >= sizeof text) {
        size = sizeof text - 1;
        text[size - 1] = '\n';
    }
    std::fwrite(text, 1, size, stderr);
    std::fflush(stderr);
}

} // namespace

extern "C" ORBKIT_API int ORBKIT_CALL err(int level, const char *format, ...) {
    char line[ORBKIT_LINE_BYTES];
    line[0] = '\0';
    if (format != nullptr) {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(line, sizeof line, format, arguments);
        va_end(arguments);
    }
    SinkSetting &setting = Sink();
    std::lock_guard<std::mutex> hold(setting.lock);
    if (setting.sink != nullptr)
        setting.sink(level, line, setting.context);
    else
        WriteToStderr(level, line, nullptr);
    return 0;
}

extern "C" ORBKIT_API void ORBKIT_CALL OrbKitSetLogSink(OrbKitLogSink sink, void *context) {
    SinkSetting &setting = Sink();
    std::lock_guard<std::mutex> hold(setting.lock);
    setting.sink = sink;
    setting.context = sink != nullptr ? context : nullptr;
}
