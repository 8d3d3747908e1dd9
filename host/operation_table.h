// The operation table: one entry per operation code, with the pointers the handler relies on.
#pragma once

#include <cstdint>

#include "kelnf.h"

namespace kelnf {

using OperationHandler = int32_t (*)(const DriverRequest &request);

struct Operation {
    OperationHandler handler; // null: not supported, refused
    bool usesInstance;        // the handler works on request.instance
    bool usesArgs;            // the handler reads or fills request.args
};

constexpr int32_t kLastOperation = 15;

// The entry for `code`, or null for a code outside the table.
const Operation *FindOperation(int32_t code);

} // namespace kelnf
