// Builds an event record in an instance's receive buffer the way the panel sends it: the
// escape byte, then 85 bytes of fixed-position text, blank where no field is given.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

#include <gtest/gtest.h>

#include "host/driver_instance.h"
#include "panel/record_interpretation.h"
#include "panel/record_layout.h"

namespace kelnf::testing {

inline std::unique_ptr<DriverInstance> ZeroedInstance() { return std::make_unique<DriverInstance>(); }

class RecordBuilder {
  public:
    explicit RecordBuilder(DriverInstance &instance) : instance_(instance) {
        instance_.rx[0] = 0x1B;
        std::memset(instance_.rx + 1, ' ', kRecordBytes);
    }

    RecordBuilder &At(int position, std::string_view text) {
        EXPECT_GE(position, 1);
        EXPECT_LE(position + static_cast<int>(text.size()) - 1, kRecordLast) << "record is 85 bytes";
        std::memcpy(instance_.rx + position, text.data(), text.size());
        return *this;
    }
    RecordBuilder &Keyword(std::string_view keyword) { return At(kKeywordAt, keyword); }
    RecordBuilder &Kind(std::string_view kind) { return At(kDeviceKindAt, kind); }
    RecordBuilder &Number(std::string_view field) { return At(kPointNumberAt, field); }
    RecordBuilder &AllNormal() { return At(kNormalTextAt, "ALL SYSTEMS NORMAL"); }
    RecordBuilder &SystemReset() { return At(kResetTextAt, "SYSTEM RESET"); }

    void Interpret() { InterpretRecord(instance_); }

  private:
    DriverInstance &instance_;
};

} // namespace kelnf::testing
