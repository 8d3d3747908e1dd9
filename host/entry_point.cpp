// KelMain: the driver's one exported function. It checks what the chosen handler will rely on,
// so no request a host can build makes the driver read or write through a bad pointer it could
// have recognised, and returns the handler's result unchanged.
#include <cstdint>

#include "host/driver_instance.h"
#include "host/operation_table.h"
#include "kelnf.h"

namespace {

// The image is changed with atomic operations, which need its words aligned.
bool IsAligned(const void *instance) {
    return reinterpret_cast<std::uintptr_t>(instance) % alignof(kelnf::DriverInstance) == 0;
}

} // namespace

extern "C" KELNF_API int32_t KELNF_CALL KelMain(DriverRequest *request) {
    if (request == nullptr)
        return KEL_RESULT_REFUSED;
    const kelnf::Operation *operation = kelnf::FindOperation(request->operation);
    if (operation == nullptr || operation->handler == nullptr)
        return KEL_RESULT_REFUSED;
    if (operation->usesInstance && (request->instance == nullptr || !IsAligned(request->instance)))
        return KEL_RESULT_REFUSED;
    if (operation->usesArgs && request->args == nullptr)
        return KEL_RESULT_REFUSED;
    return operation->handler(*request);
}
