// What the panel sends, byte for byte: its poll byte, and its event records as the escape
// byte followed by 85 bytes of fixed-position text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelnf::testing {

constexpr char kPoll = 0x05;
constexpr char kEscape = 0x1B;

class PanelRecord {
  public:
    PanelRecord() : bytes_(86, ' ') { bytes_[0] = kEscape; }

    // Positions count the escape byte as 0.
    PanelRecord &At(std::size_t position, std::string_view text) {
        bytes_.replace(position, text.size(), text);
        return *this;
    }
    PanelRecord &Keyword(std::string_view keyword) { return At(4, keyword); }
    PanelRecord &Kind(std::string_view kind) { return At(11, kind); }
    PanelRecord &Number(std::string_view number) { return At(81, number); }

    const std::string &bytes() const { return bytes_; }
    // The first `count` bytes, as a record cut short on the line.
    std::string Cut(std::size_t count) const { return bytes_.substr(0, count); }

  private:
    std::string bytes_;
};

// An alarm on a point that is neither a monitor nor a control point: sets bit 0x0001.
inline std::string AlarmOn(std::string_view point) {
    return PanelRecord().Keyword("ALARM:").Number(point).bytes();
}

} // namespace kelnf::testing
