// Tag addresses: "000".."999" name a point word, "T00".."T99" a trouble word, "!G", "!R" and
// "!C" a register, "!A", "!R" and "!S" a panel command. Checking an address turns it into the
// type code and index that reads and writes take.
#pragma once

#include <cstdint>

#include "kelnf.h"

namespace kelnf {

// Fills the out fields of `address` from its text and returns KEL_RESULT_DONE, or returns
// KEL_RESULT_REFUSED and writes nothing when the text is null or not a valid address.
int32_t ParseAddress(TagAddress &address);

// Operation 3.
int32_t CheckTagAddress(const DriverRequest &request);

} // namespace kelnf
