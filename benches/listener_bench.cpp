// The running receive thread as the panel sees it, on a pseudo-terminal: from a poll byte
// written to the answer read back, and from an event record written to its change seen in the
// image. The host library's wait tick sets the pace of the thread's passes, so each figure is
// given for the default tick (5 ms) and for a 1 ms tick.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "host/driver_instance.h"
#include "orbkit.h"
#include "support/panel_frames.h"
#include "support/pseudo_terminal.h"

namespace {

using namespace kelnf;
using kelnf::test::PseudoTerminal;
using kelnf::testing::PanelRecord;

// A channel started on a pseudo-terminal, its receive thread past its first pause.
struct RunningChannel {
    PseudoTerminal line;
    std::unique_ptr<DriverInstance> instance = std::make_unique<DriverInstance>();
    bool started = false;

    explicit RunningChannel(unsigned tickMs) {
        OrbKitSetTick(tickMs);
        StartArgs args{};
        std::memcpy(args.portName, line.portName().c_str(), line.portName().size() + 1);
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
        OrbKitSetTick(5);
    }
};

void BM_PollAnswered(benchmark::State &state) {
    RunningChannel channel(static_cast<unsigned>(state.range(0)));
    if (!channel.started) {
        state.SkipWithError("start failed");
        return;
    }
    const std::string poll(1, kelnf::testing::kPoll);
    for (auto _ : state) {
        channel.line.Send(poll);
        if (channel.line.Receive(2).size() != 2) {
            state.SkipWithError("no answer");
            break;
        }
    }
}
BENCHMARK(BM_PollAnswered)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecordReachesImage(benchmark::State &state) {
    RunningChannel channel(static_cast<unsigned>(state.range(0)));
    if (!channel.started) {
        state.SkipWithError("start failed");
        return;
    }
    const std::string alarm = PanelRecord().Keyword("ALARM:").Number("123").bytes();
    const std::string clear = PanelRecord().Keyword("CLR AL").Number("123").bytes();
    bool set = false;
    for (auto _ : state) {
        set = !set;
        const std::string &record = set ? alarm : clear;
        channel.line.Send(record);
        const uint16_t wanted = set ? kPointAlarm : 0;
        while (PointRead(channel.instance->image, 123) != wanted)
            std::this_thread::yield();
    }
}
BENCHMARK(BM_RecordReachesImage)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
