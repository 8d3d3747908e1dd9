// The driver's hot paths: the G summary runs on every host read of !G and walks the whole
// image; record interpretation runs for every record the panel sends; address checks run for
// every tag a host subscribes.
#include <cstring>
#include <memory>

#include <benchmark/benchmark.h>

#include "host/driver_instance.h"
#include "image/tag_address.h"
#include "panel/record_interpretation.h"

namespace kelnf {
namespace {

void ImageSummaryOfAQuietPanel(benchmark::State &state) {
    auto instance = std::make_unique<DriverInstance>();
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageSummary(instance->image));
}
BENCHMARK(ImageSummaryOfAQuietPanel);

void InterpretAlarmRecord(benchmark::State &state) {
    auto instance = std::make_unique<DriverInstance>();
    instance->rx[0] = 0x1B;
    std::memset(instance->rx + 1, ' ', 85);
    std::memcpy(instance->rx + 4, "ALARM:", 6);
    std::memcpy(instance->rx + 11, "MONITOR", 7);
    std::memcpy(instance->rx + 81, "123", 3);
    for (auto _ : state) {
        InterpretRecord(*instance);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(InterpretAlarmRecord);

void CheckAddresses(benchmark::State &state) {
    const char *const texts[] = {"123", "t05", "!G", "bad"};
    TagAddress address{};
    std::size_t next = 0;
    for (auto _ : state) {
        address.text = texts[next++ % 4];
        benchmark::DoNotOptimize(ParseAddress(address));
    }
}
BENCHMARK(CheckAddresses);

} // namespace
} // namespace kelnf
