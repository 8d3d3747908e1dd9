#include "panel/record_interpretation.h"

#include <cstring>

#include "panel/record_layout.h"
#include "panel/record_number.h"

namespace kelnf {
namespace {

enum class Change { Set, Clear };

// One keyword's change. The alarm and status keywords name points only; the trouble keywords
// name a trouble entry instead when the record carries the trouble marker.
struct KeywordRule {
    char keyword[kKeywordWidth + 1];
    Change change;
    bool takesTroubleMarker;
    uint16_t troubleBits;
    uint16_t monitorBits;
    uint16_t controlBits;
    uint16_t otherBits;
};

constexpr KeywordRule kRules[] = {
    {"ALARM:", Change::Set, false, 0, kPointMonitorAlarm, kPointAlarm, kPointAlarm},
    {"ACK AL", Change::Set, false, 0, kPointMonitorAlarmAcked, kPointAlarmAcked, kPointAlarmAcked},
    {"CLR AL", Change::Clear, false, 0, kPointMonitorAlarm, kPointAlarm, kPointAlarm},
    {"ACL AL", Change::Clear, false, 0, kPointMonitorAlarmAcked, kPointAlarmAcked, kPointAlarmAcked},
    {"TROUBL", Change::Set, true, kTroubleActive, kPointMonitorTrouble, kPointControlTrouble, kPointTrouble},
    {"ACK TB", Change::Set, true, kTroubleAcked, kPointMonitorTroubleAcked, kPointControlTroubleAcked,
     kPointTroubleAcked},
    {"CLR TB", Change::Clear, true, kTroubleActive, kPointMonitorTrouble, kPointControlTrouble, kPointTrouble},
    {"ACL TB", Change::Clear, true, kTroubleAcked, kPointMonitorTroubleAcked, kPointControlTroubleAcked,
     kPointTroubleAcked},
    {"STATUS", Change::Set, false, 0, kPointPreAlarm, kPointPreAlarm, kPointPreAlarm}, // "STATUS PRE"
};

bool FieldIs(const uint8_t *rx, int position, const char *text) {
    return std::memcmp(rx + position, text, std::strlen(text)) == 0;
}

uint16_t PointBits(const KeywordRule &rule, const uint8_t *rx) {
    if (FieldIs(rx, kDeviceKindAt, "MONITOR"))
        return rule.monitorBits;
    if (FieldIs(rx, kDeviceKindAt, "CONTROL"))
        return rule.controlBits;
    return rule.otherBits;
}

void ApplyRule(const KeywordRule &rule, StatusImage &image, const uint8_t *rx) {
    int32_t number = 0;
    if (rule.takesTroubleMarker && rx[kTroubleMarkerAt] == 'T') {
        if (!ReadRecordNumber(rx, kTroubleNumberAt, kTroubleNumberWidth, &number))
            return;
        if (rule.change == Change::Set)
            TroubleSet(image, number, rule.troubleBits);
        else
            TroubleClear(image, number, rule.troubleBits);
        return;
    }
    if (!ReadRecordNumber(rx, kPointNumberAt, kPointNumberWidth, &number))
        return;
    const uint16_t bits = PointBits(rule, rx);
    if (rule.change == Change::Set)
        PointSet(image, number, bits);
    else
        PointClear(image, number, bits);
}

} // namespace

void InterpretRecord(DriverInstance &instance) {
    const uint8_t *rx = instance.rx;
    StatusImage &image = instance.image;
    RegisterWrite(image.C, 1);
    for (const KeywordRule &rule : kRules) {
        if (std::memcmp(rx + kKeywordAt, rule.keyword, kKeywordWidth) == 0) {
            ApplyRule(rule, image, rx);
            break;
        }
    }
    if (FieldIs(rx, kNormalTextAt, "ALL SYSTEMS NORMAL"))
        ImageClear(image);
    if (FieldIs(rx, kResetTextAt, "SYSTEM RESET"))
        RegisterWrite(image.R, 1);
}

} // namespace kelnf
