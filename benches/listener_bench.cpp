// The running receive thread as the panel sees it, on a pseudo-terminal: from a poll byte
// written to the answer read back, and from an event record written to its change seen in the
// image. The host library's wait tick sets the pace of the thread's passes, so each figure is
// given for the default tick (5 ms) and for a 1 ms tick.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>

#include "host/driver_instance.h"
#include "orbkit.h"

namespace {

using namespace kelnf;

// A channel started on a pseudo-terminal, its receive thread past its first pause.
struct RunningChannel {
    int master = -1, slave = -1;
    std::unique_ptr<DriverInstance> instance = std::make_unique<DriverInstance>();
    bool started = false;

    explicit RunningChannel(unsigned tickMs) {
        OrbKitSetTick(tickMs);
        char name[64];
        openpty(&master, &slave, name, nullptr, nullptr);
        StartArgs args{};
        std::string port = std::string(name).substr(5);
        std::memcpy(args.portName, port.c_str(), port.size() + 1);
        args.enable = 1;
        args.readTimeout = 10;
        args.line = {9600, 8, 0, 0};
        DriverRequest request{instance.get(), KEL_OP_START, 1, 0, &args};
        started = KelMain(&request) == KEL_RESULT_DONE;
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    }
    ~RunningChannel() {
        if (started) {
            OrbKitStopClient("KelNF No_01");
            OrbKitWaitRemoved("KelNF No_01", 20000);
            DriverRequest request{instance.get(), KEL_OP_CLOSE_PORT, 1, 0, nullptr};
            KelMain(&request);
        }
        close(master);
        close(slave);
        OrbKitSetTick(5);
    }
};

bool ReadExactly(int fd, char *buffer, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        pollfd wait = {fd, POLLIN, 0};
        if (poll(&wait, 1, 5000) <= 0)
            return false;
        ssize_t n = read(fd, buffer + got, count - got);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

void BM_PollAnswered(benchmark::State &state) {
    RunningChannel channel(static_cast<unsigned>(state.range(0)));
    if (!channel.started) {
        state.SkipWithError("start failed");
        return;
    }
    const char poll = 0x05;
    char answer[2];
    for (auto _ : state) {
        if (write(channel.master, &poll, 1) != 1 || !ReadExactly(channel.master, answer, 2)) {
            state.SkipWithError("no answer");
            break;
        }
    }
}
BENCHMARK(BM_PollAnswered)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string Record(const char *keyword) {
    std::string record(86, ' ');
    record[0] = 0x1B;
    record.replace(4, 6, keyword);
    record.replace(81, 3, "123");
    return record;
}

void BM_RecordReachesImage(benchmark::State &state) {
    RunningChannel channel(static_cast<unsigned>(state.range(0)));
    if (!channel.started) {
        state.SkipWithError("start failed");
        return;
    }
    const std::string alarm = Record("ALARM:"), clear = Record("CLR AL");
    bool set = false;
    for (auto _ : state) {
        set = !set;
        const std::string &record = set ? alarm : clear;
        if (write(channel.master, record.data(), record.size()) != static_cast<ssize_t>(record.size())) {
            state.SkipWithError("write failed");
            break;
        }
        const uint16_t wanted = set ? kPointAlarm : 0;
        while (PointRead(channel.instance->image, 123) != wanted)
            std::this_thread::yield();
    }
}
BENCHMARK(BM_RecordReachesImage)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
