#include "panel/record_number.h"

#include "panel/record_layout.h"

namespace kelnf {
namespace {

bool IsWhiteSpace(uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' || byte == '\r';
}

bool IsDigit(uint8_t byte) { return byte >= '0' && byte <= '9'; }

} // namespace

bool ReadRecordNumber(const uint8_t *rx, int position, int width, int32_t *number) {
    while (position <= kRecordLast && IsWhiteSpace(rx[position]))
        ++position;
    int taken = 0;
    bool negative = false;
    if (position <= kRecordLast && taken < width && (rx[position] == '-' || rx[position] == '+')) {
        negative = rx[position] == '-';
        ++position;
        ++taken;
    }
    int32_t value = 0;
    int digits = 0;
    while (position <= kRecordLast && taken < width && IsDigit(rx[position])) {
        value = value * 10 + (rx[position] - '0');
        ++position;
        ++taken;
        ++digits;
    }
    if (digits == 0)
        return false;
    *number = negative ? -value : value;
    return true;
}

} // namespace kelnf
