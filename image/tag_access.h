// Reading and writing the status image by tag type and index (operations 5 and 7), and the
// command writes that send a panel command.
#pragma once

#include <cstdint>

#include "host/driver_instance.h"
#include "kelnf.h"

namespace kelnf {

// KEL_RESULT_DONE with `*value` filled for points, trouble entries, G, R and C;
// KEL_RESULT_REFUSED with `*value` untouched for any other type.
int32_t ReadTagValue(DriverInstance &instance, int32_t type, int32_t index, uint16_t *value);

// Points and trouble entries take the low byte ORed in; G, C and R take the low byte; a value
// of exactly 1 to !R, !A or !S sends the reset, acknowledge or silence command. Always done.
int32_t WriteTagValue(DriverInstance &instance, int32_t type, int32_t index, uint16_t value);

// Operations 5 and 7: a null value pointer is refused.
int32_t ReadTag(const DriverRequest &request);
int32_t WriteTag(const DriverRequest &request);

} // namespace kelnf
