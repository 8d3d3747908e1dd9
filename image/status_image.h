// The status image: one word per panel point, one per numbered trouble entry, and the G
// (summary), R (system reset) and C (activity) registers.
//
// The host's threads and the instance's receive thread change the image at the same time
// without a lock. Every access is a single relaxed atomic operation on one word or byte, so a
// host write and a panel change to the same word never lose each other's bits.
#pragma once

#include <cstdint>

namespace kelnf {

constexpr int32_t kPointWords = 1001;  // index 0 to 1000; no address or record reaches 1000
constexpr int32_t kPanelPoints = 1000; // point words that addresses, records, clear and summary use
constexpr int32_t kTroubleWords = 100; // index 0 to 99

// Point word bits.
constexpr uint16_t kPointAlarm = 0x0001;             // alarm on a non-monitor point
constexpr uint16_t kPointMonitorAlarm = 0x0002;      // alarm on a monitor point
constexpr uint16_t kPointTrouble = 0x0004;           // trouble on a point that is neither kind
constexpr uint16_t kPointMonitorTrouble = 0x0008;    // trouble on a monitor point
constexpr uint16_t kPointControlTrouble = 0x0010;    // trouble on a control point
constexpr uint16_t kPointAlarmAcked = 0x0020;        // alarm acknowledged, non-monitor point
constexpr uint16_t kPointMonitorAlarmAcked = 0x0040; // alarm acknowledged, monitor point
constexpr uint16_t kPointTroubleAcked = 0x0080;      // trouble acknowledged, neither kind
constexpr uint16_t kPointMonitorTroubleAcked = 0x0100;
constexpr uint16_t kPointControlTroubleAcked = 0x0200;
constexpr uint16_t kPointPreAlarm = 0x0400; // pre-alarm status; only an image clear removes it

// Trouble word bits.
constexpr uint16_t kTroubleActive = 0x0001;
constexpr uint16_t kTroubleAcked = 0x0002;

// G register bits.
constexpr uint8_t kSummaryAlarm = 0x01;
constexpr uint8_t kSummaryTrouble = 0x02;

struct StatusImage {
    uint16_t points[kPointWords];
    uint16_t troubles[kTroubleWords];
    uint8_t G;
    uint8_t R;
    uint8_t C;
};

// Bounded accessors: an index outside the table reads 0 and changes nothing.
uint16_t PointRead(const StatusImage &image, int32_t index);
void PointSet(StatusImage &image, int32_t index, uint16_t bits);
void PointClear(StatusImage &image, int32_t index, uint16_t bits);
uint16_t TroubleRead(const StatusImage &image, int32_t index);
void TroubleSet(StatusImage &image, int32_t index, uint16_t bits);
void TroubleClear(StatusImage &image, int32_t index, uint16_t bits);

uint8_t RegisterRead(const uint8_t &reg);
void RegisterWrite(uint8_t &reg, uint8_t value);

// Zeroes point words 0 to 999, every trouble word and G; R, C and point word 1000 are kept.
void ImageClear(StatusImage &image);

// Recomputes G from point words 0 to 999 and every trouble word, stores it and returns it.
uint8_t ImageSummary(StatusImage &image);

} // namespace kelnf
