// Operation 1: starting an instance's channel to the panel.
#pragma once

#include <cstdint>

#include "kelnf.h"

namespace kelnf {

int32_t StartChannel(const DriverRequest &request);

} // namespace kelnf
