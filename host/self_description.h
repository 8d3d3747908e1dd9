// Operation 14: what the driver tells the host about itself.
#pragma once

#include <cstdint>

#include "kelnf.h"

namespace kelnf {

constexpr int32_t kDriverType = 70;
constexpr uint32_t kDefaultReadTimeout = 4; // units of 10 ms
constexpr LineSettings kDefaultLine = {9600, 8, 0, 0};

void DescribeDriver(DriverInfo &info);

int32_t Describe(const DriverRequest &request);

} // namespace kelnf
