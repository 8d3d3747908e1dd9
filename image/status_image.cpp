#include "image/status_image.h"

#include <atomic>
#include <cstddef>

namespace kelnf {
namespace {

template <typename Word> Word Load(const Word &word) {
    return std::atomic_ref<Word>(const_cast<Word &>(word)).load(std::memory_order_relaxed);
}

template <typename Word> void Store(Word &word, Word value) {
    std::atomic_ref<Word>(word).store(value, std::memory_order_relaxed);
}

// One table of words, every index checked against its bound.
template <std::size_t Words> bool InTable(const uint16_t (&)[Words], int32_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < Words;
}

template <std::size_t Words> uint16_t WordRead(const uint16_t (&table)[Words], int32_t index) {
    return InTable(table, index) ? Load(table[index]) : 0;
}

template <std::size_t Words> void WordSet(uint16_t (&table)[Words], int32_t index, uint16_t bits) {
    if (InTable(table, index))
        std::atomic_ref<uint16_t>(table[index]).fetch_or(bits, std::memory_order_relaxed);
}

template <std::size_t Words> void WordClear(uint16_t (&table)[Words], int32_t index, uint16_t bits) {
    if (InTable(table, index))
        std::atomic_ref<uint16_t>(table[index]).fetch_and(static_cast<uint16_t>(~bits), std::memory_order_relaxed);
}

} // namespace

uint16_t PointRead(const StatusImage &image, int32_t index) { return WordRead(image.points, index); }
void PointSet(StatusImage &image, int32_t index, uint16_t bits) { WordSet(image.points, index, bits); }
void PointClear(StatusImage &image, int32_t index, uint16_t bits) { WordClear(image.points, index, bits); }

uint16_t TroubleRead(const StatusImage &image, int32_t index) { return WordRead(image.troubles, index); }
void TroubleSet(StatusImage &image, int32_t index, uint16_t bits) { WordSet(image.troubles, index, bits); }
void TroubleClear(StatusImage &image, int32_t index, uint16_t bits) { WordClear(image.troubles, index, bits); }

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
