// Where the fields of an event record lie in the receive buffer. Positions count the escape
// byte as position 0, so the record proper is positions 1 to 85. Fields overlap: the reset
// text covers the keyword's last two positions and the device kind.
#pragma once

namespace kelnf {

constexpr int kRecordBytes = 85;         // bytes after the escape byte
constexpr int kRecordLast = kRecordBytes; // last position of the record in the buffer

constexpr int kKeywordAt = 4;
constexpr int kKeywordWidth = 6;
constexpr int kVariantMarkerAt = 4; // 0x07 here: a variant record that is not interpreted
constexpr int kResetTextAt = 8;     // "SYSTEM RESET"
constexpr int kDeviceKindAt = 11;   // "MONITOR", "CONTROL" or anything else
constexpr int kNormalTextAt = 45;   // "ALL SYSTEMS NORMAL"
constexpr int kPointNumberAt = 81;
constexpr int kPointNumberWidth = 3;
constexpr int kTroubleMarkerAt = 81; // 'T' here: the record names a trouble entry
constexpr int kTroubleNumberAt = 82;
constexpr int kTroubleNumberWidth = 2;

} // namespace kelnf
