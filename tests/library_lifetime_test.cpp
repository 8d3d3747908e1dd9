// A receive thread runs on after a host has seen its client removed: it logs its last line
// then. A host that unloads both libraries at that point must not pull the code from under it,
// and the host library's default log sink must fit the thread's small stack.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "kelnf.h"
#include "orbkit.h"

namespace {

// Reads at explicit offsets: the descriptor's own offset is shared with stderr's writes.
std::string ContentOf(int descriptor) {
    std::string content;
    char buffer[512];
    while (true) {
        const ssize_t got = pread(descriptor, buffer, sizeof buffer, static_cast<off_t>(content.size()));
        if (got <= 0)
            return content;
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

template <typename Function> Function Symbol(void *library, const char *name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

[[noreturn]] void UnloadWhileTheListenerEnds() {
    // Append mode: every line lands at the end, whatever the reader does.
    char logPath[] = "/tmp/kelnf-lifetime-XXXXXX";
    const int logFile = mkstemp(logPath);
    const int appender = logFile < 0 ? -1 : open(logPath, O_WRONLY | O_APPEND);
    if (appender < 0 || dup2(appender, STDERR_FILENO) < 0)
        _exit(10);
    unlink(logPath);
    void *driver = dlopen(KELNF_DRIVER_PATH, RTLD_NOW | RTLD_LOCAL);
    void *orbkit = dlopen(KELNF_ORBKIT_PATH, RTLD_NOW | RTLD_LOCAL);
    if (driver == nullptr || orbkit == nullptr)
        _exit(11);
    auto kelMain = Symbol<int32_t (*)(DriverRequest *)>(driver, "KelMain");
    auto stopClient = Symbol<int (*)(const char *)>(orbkit, "OrbKitStopClient");
    auto waitRemoved = Symbol<int (*)(const char *, unsigned)>(orbkit, "OrbKitWaitRemoved");

    alignas(16) static unsigned char instance[4096];
    StartArgs args{};
    std::strcpy(args.portName, "NUL");
    args.enable = 1;
    DriverRequest request{};
    request.instance = instance;
    request.operation = KEL_OP_START;
    request.instanceNumber = 1;
    request.args = &args;
    if (kelMain(&request) != KEL_RESULT_DONE)
        _exit(12);
    if (stopClient("KelNF No_01") != 0 || waitRemoved("KelNF No_01", 20000) != 0)
        _exit(13);

    dlclose(orbkit);
    dlclose(driver);
    if (dlopen(KELNF_DRIVER_PATH, RTLD_NOW | RTLD_NOLOAD) == nullptr)
        _exit(14);

    // The thread's last line, through the default sink, after the unload.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ContentOf(logFile).find("[32] KelNF : ShutDown !\n") == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            _exit(15);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    _exit(ContentOf(logFile).find("[32] KelNF : Start Unsoliceted Thread\n") != std::string::npos ? 0 : 16);
}

TEST(LibraryLifetime, UnloadingAfterTheClientIsRemovedLeavesTheReceiveThreadItsCode) {
    EXPECT_EXIT(UnloadWhileTheListenerEnds(), ::testing::ExitedWithCode(0), "");
}

} // namespace
