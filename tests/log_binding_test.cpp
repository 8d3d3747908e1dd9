// The driver's log lines must reach the host library's err, never the C library's err(3),
// which prints and exits the process. Each case loads the libraries in its own child process,
// in a different order, so no earlier load decides the binding.
#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "kelnf.h"
#include "orbkit.h"

namespace {

std::string lastLine;

void KeepLine(int, const char *line, void *) { lastLine = line; }

enum class LoadOrder { DriverFirst, HostLibraryFirst, HostLibraryGlobalFirst };

[[noreturn]] void LogThroughLoadedDriver(LoadOrder order) {
    void *orbkit = nullptr;
    if (order == LoadOrder::HostLibraryFirst)
        orbkit = dlopen(KELNF_ORBKIT_PATH, RTLD_NOW | RTLD_LOCAL);
    if (order == LoadOrder::HostLibraryGlobalFirst)
        orbkit = dlopen(KELNF_ORBKIT_PATH, RTLD_NOW | RTLD_GLOBAL);
    void *driver = dlopen(KELNF_DRIVER_PATH, RTLD_NOW | RTLD_LOCAL);
    if (order == LoadOrder::DriverFirst)
        orbkit = dlopen(KELNF_ORBKIT_PATH, RTLD_NOW | RTLD_LOCAL);
    if (driver == nullptr || orbkit == nullptr)
        _exit(10);

    auto setSink = reinterpret_cast<void (*)(OrbKitLogSink, void *)>(dlsym(orbkit, "OrbKitSetLogSink"));
    auto kelMain = reinterpret_cast<int32_t (*)(DriverRequest *)>(dlsym(driver, "KelMain"));
    if (setSink == nullptr || kelMain == nullptr)
        _exit(11);
    setSink(&KeepLine, nullptr);

    alignas(16) static unsigned char instance[4096];
    StartArgs args{};
    std::strcpy(args.portName, "nosuchtty9");
    args.enable = 1;
    DriverRequest request{};
    request.instance = instance;
    request.operation = KEL_OP_START;
    request.args = &args;
    if (kelMain(&request) != KEL_RESULT_FAILED)
        _exit(12);
    _exit(lastLine == "KELNF Fire Alarm System : Fail to open nosuchtty9" ? 0 : 13);
}

TEST(LogBinding, DriverLinesReachTheHostSinkWhateverTheLoadOrder) {
    EXPECT_EXIT(LogThroughLoadedDriver(LoadOrder::DriverFirst), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(LogThroughLoadedDriver(LoadOrder::HostLibraryFirst), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(LogThroughLoadedDriver(LoadOrder::HostLibraryGlobalFirst), ::testing::ExitedWithCode(0), "");
}

} // namespace
