// What the line costs the driver on a pseudo-terminal: a command send (the status query, no
// discard needed, the write), an 85-byte record already waiting, and how soon a close ends a
// read blocked on another thread.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>

#include "host/driver_instance.h"
#include "panel/panel_commands.h"
#include "serial/port_access.h"

namespace {

using namespace kelnf;

struct Line {
    int master = -1, slave = -1;
    PortSettings settings{};
    Line() {
        char name[64];
        openpty(&master, &slave, name, nullptr, nullptr);
        std::string port = std::string(name).substr(5);
        std::memcpy(settings.name, port.c_str(), port.size() + 1);
        settings.line = {9600, 8, 0, 0};
        settings.controlFlags = kControlFlagsLinesOff;
    }
    ~Line() {
        close(master);
        close(slave);
    }
};

void DrainMaster(int master) {
    char sink[256];
    while (read(master, sink, sizeof sink) > 0) {
    }
}

void BM_SendCommandOnQuietLine(benchmark::State &state) {
    Line line;
    fcntl(line.master, F_SETFL, O_NONBLOCK);
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
        DrainMaster(line.master);
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
        if (write(line.master, record.data(), record.size()) != 85)
            state.SkipWithError("write failed");
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
