// What the line costs the driver on a pseudo-terminal: a command send (the status query, no
// discard needed, the write), an 85-byte record already waiting, and how soon a close ends a
// read blocked on another thread.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "host/driver_instance.h"
#include "panel/panel_commands.h"
#include "serial/port_access.h"
#include "support/pseudo_terminal.h"

namespace {

using namespace kelnf;

struct Line {
    kelnf::test::PseudoTerminal pty;
    PortSettings settings{};
    Line() {
        std::memcpy(settings.name, pty.portName().c_str(), pty.portName().size() + 1);
        settings.line = {9600, 8, 0, 0};
        settings.controlFlags = kControlFlagsLinesOff;
    }
};

void BM_SendCommandOnQuietLine(benchmark::State &state) {
    Line line;
    auto instance = std::make_unique<DriverInstance>();
    PortHandle handle = nullptr;
    if (PortOpen(line.settings, &handle) != kPortOk) {
        state.SkipWithError("open failed");
        return;
    }
    StorePort(*instance, handle);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SendPanelCommand(*instance, PanelCommand::PollReply));
        state.PauseTiming();
        line.pty.Drain(std::chrono::milliseconds(0));
        state.ResumeTiming();
    }
    PortClose(handle);
}
BENCHMARK(BM_SendCommandOnQuietLine);

void BM_ReadWaitingRecord(benchmark::State &state) {
    Line line;
    PortHandle handle = nullptr;
    if (PortOpen(line.settings, &handle) != kPortOk) {
        state.SkipWithError("open failed");
        return;
    }
    const std::string record(85, 'r');
    uint8_t buffer[85];
    for (auto _ : state) {
        state.PauseTiming();
        line.pty.Send(record);
        state.ResumeTiming();
        benchmark::DoNotOptimize(PortRead(handle, buffer, sizeof buffer, nullptr));
    }
    PortClose(handle);
}
BENCHMARK(BM_ReadWaitingRecord);

// From PortClose on one thread to the blocked PortRead returning on another.
void BM_CloseEndsBlockedRead(benchmark::State &state) {
    Line line;
    for (auto _ : state) {
        PortHandle handle = nullptr;
        if (PortOpen(line.settings, &handle) != kPortOk) {
            state.SkipWithError("open failed");
            return;
        }
        PortSetReadTimeout(handle, 0);
        std::chrono::steady_clock::time_point end;
        std::thread reader([&] {
            uint8_t buffer[85];
            PortRead(handle, buffer, sizeof buffer, nullptr);
            end = std::chrono::steady_clock::now();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        auto start = std::chrono::steady_clock::now();
        PortClose(handle);
        reader.join();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_CloseEndsBlockedRead)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
