#include "image/status_image.h"

#include <atomic>

namespace kelnf {
namespace {

template <typename Word> Word Load(const Word &word) {
    return std::atomic_ref<Word>(const_cast<Word &>(word)).load(std::memory_order_relaxed);
}

template <typename Word> void Store(Word &word, Word value) {
    std::atomic_ref<Word>(word).store(value, std::memory_order_relaxed);
}

bool IsPoint(int32_t index) { return index >= 0 && index < kPointWords; }
bool IsTrouble(int32_t index) { return index >= 0 && index < kTroubleWords; }

} // namespace

uint16_t PointRead(const StatusImage &image, int32_t index) {
    return IsPoint(index) ? Load(image.points[index]) : 0;
}

void PointSet(StatusImage &image, int32_t index, uint16_t bits) {
    if (IsPoint(index))
        std::atomic_ref<uint16_t>(image.points[index]).fetch_or(bits, std::memory_order_relaxed);
}

void PointClear(StatusImage &image, int32_t index, uint16_t bits) {
    if (IsPoint(index))
        std::atomic_ref<uint16_t>(image.points[index])
            .fetch_and(static_cast<uint16_t>(~bits), std::memory_order_relaxed);
}

uint16_t TroubleRead(const StatusImage &image, int32_t index) {
    return IsTrouble(index) ? Load(image.troubles[index]) : 0;
}

void TroubleSet(StatusImage &image, int32_t index, uint16_t bits) {
    if (IsTrouble(index))
        std::atomic_ref<uint16_t>(image.troubles[index]).fetch_or(bits, std::memory_order_relaxed);
}

void TroubleClear(StatusImage &image, int32_t index, uint16_t bits) {
    if (IsTrouble(index))
        std::atomic_ref<uint16_t>(image.troubles[index])
            .fetch_and(static_cast<uint16_t>(~bits), std::memory_order_relaxed);
}

uint8_t RegisterRead(const uint8_t &reg) { return Load(reg); }

void RegisterWrite(uint8_t &reg, uint8_t value) { Store(reg, value); }

void ImageClear(StatusImage &image) {
    for (int32_t index = 0; index < kPanelPoints; ++index)
        Store<uint16_t>(image.points[index], 0);
    for (int32_t index = 0; index < kTroubleWords; ++index)
        Store<uint16_t>(image.troubles[index], 0);
    Store<uint8_t>(image.G, 0);
}

uint8_t ImageSummary(StatusImage &image) {
    uint8_t summary = 0;
    for (int32_t index = 0; index < kPanelPoints; ++index) {
        const uint16_t word = Load(image.points[index]);
        if (word & (kPointAlarm | kPointMonitorAlarm))
            summary |= kSummaryAlarm;
        if (word & (kPointTrouble | kPointMonitorTrouble | kPointControlTrouble))
            summary |= kSummaryTrouble;
        // An acknowledged control trouble counts as both: hosts read it as alarm and trouble.
        if (word & kPointControlTroubleAcked)
            summary |= kSummaryAlarm | kSummaryTrouble;
    }
    for (int32_t index = 0; index < kTroubleWords; ++index) {
        if (Load(image.troubles[index]) & kTroubleActive)
            summary |= kSummaryTrouble;
    }
    Store(image.G, summary);
    return summary;
}

} // namespace kelnf
