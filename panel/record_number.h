// Reading a decimal number from an event record field.
#pragma once

#include <cstdint>

namespace kelnf {

// Skips white space (which does not count toward `width`), then takes an optional sign and
// digits, at most `width` characters together; the first other character ends the number.
// Never reads past the record's last position. False when no digit was found.
bool ReadRecordNumber(const uint8_t *rx, int position, int width, int32_t *number);

} // namespace kelnf
