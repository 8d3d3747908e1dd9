// Every record that crosses the entry point, and the instance record whose size the host
// allocates, has a fixed layout. A 32-bit build must match it exactly; a 64-bit build keeps
// the field order with natural alignment, so pointers widen and the records holding them grow.
#include <cstddef>
#include <type_traits>

#include "host/driver_instance.h"
#include "kelnf.h"

namespace kelnf {
namespace {

constexpr bool k32Bit = sizeof(void *) == 4;

// The expected offset on 32-bit and 64-bit targets.
constexpr std::size_t At(std::size_t on32, std::size_t on64) { return k32Bit ? on32 : on64; }

#define KELNF_CHECK_OFFSET(type, field, on32, on64)                                            \
    static_assert(offsetof(type, field) == At(on32, on64), #type "." #field " offset")
#define KELNF_CHECK_SIZE(type, on32, on64)                                                     \
    static_assert(std::is_standard_layout_v<type>, #type " standard layout");                 \
    static_assert(sizeof(type) == At(on32, on64), #type " size")

static_assert(sizeof(void *) == 4 || sizeof(void *) == 8, "32-bit or 64-bit target");

KELNF_CHECK_SIZE(LineSettings, 8, 8);
KELNF_CHECK_OFFSET(LineSettings, baud, 0, 0);
KELNF_CHECK_OFFSET(LineSettings, dataBits, 2, 2);
KELNF_CHECK_OFFSET(LineSettings, stopBits, 4, 4);
KELNF_CHECK_OFFSET(LineSettings, parity, 6, 6);

KELNF_CHECK_SIZE(DriverRequest, 20, 32);
KELNF_CHECK_OFFSET(DriverRequest, instance, 0, 0);
KELNF_CHECK_OFFSET(DriverRequest, operation, 4, 8);
KELNF_CHECK_OFFSET(DriverRequest, instanceNumber, 8, 12);
KELNF_CHECK_OFFSET(DriverRequest, reserved, 12, 16);
KELNF_CHECK_OFFSET(DriverRequest, args, 16, 24);

KELNF_CHECK_SIZE(DriverInfo, 32, 48);
KELNF_CHECK_OFFSET(DriverInfo, driverType, 0, 0);
KELNF_CHECK_OFFSET(DriverInfo, name, 4, 8);
KELNF_CHECK_OFFSET(DriverInfo, banner, 8, 16);
KELNF_CHECK_OFFSET(DriverInfo, instanceSize, 12, 24);
KELNF_CHECK_OFFSET(DriverInfo, defaultReadTimeout, 16, 28);
KELNF_CHECK_OFFSET(DriverInfo, defaultLine, 20, 32);
KELNF_CHECK_OFFSET(DriverInfo, controlFlags, 28, 40);

KELNF_CHECK_SIZE(StartArgs, 28, 28);
KELNF_CHECK_OFFSET(StartArgs, portName, 0, 0);
KELNF_CHECK_OFFSET(StartArgs, enable, 12, 12);
KELNF_CHECK_OFFSET(StartArgs, readTimeout, 16, 16);
KELNF_CHECK_OFFSET(StartArgs, line, 20, 20);

KELNF_CHECK_SIZE(ReconfigureArgs, 24, 24);
KELNF_CHECK_OFFSET(ReconfigureArgs, portName, 0, 0);
KELNF_CHECK_OFFSET(ReconfigureArgs, line, 16, 16);

KELNF_CHECK_SIZE(TagAddress, 36, 40);
KELNF_CHECK_OFFSET(TagAddress, text, 0, 0);
KELNF_CHECK_OFFSET(TagAddress, status, 16, 16);
KELNF_CHECK_OFFSET(TagAddress, type, 20, 20);
KELNF_CHECK_OFFSET(TagAddress, index, 24, 24);
KELNF_CHECK_OFFSET(TagAddress, maxValue, 28, 28);
KELNF_CHECK_OFFSET(TagAddress, valueBits, 32, 32);

KELNF_CHECK_SIZE(TagValue, 4, 4);
KELNF_CHECK_OFFSET(TagValue, value, 2, 2);

KELNF_CHECK_SIZE(TagAccess, 44, 48);
KELNF_CHECK_OFFSET(TagAccess, type, 12, 12);
KELNF_CHECK_OFFSET(TagAccess, index, 16, 16);
KELNF_CHECK_OFFSET(TagAccess, value, 40, 40);

KELNF_CHECK_SIZE(PortSettings, 22, 22);
KELNF_CHECK_OFFSET(PortSettings, line, 12, 12);
KELNF_CHECK_OFFSET(PortSettings, controlFlags, 20, 20);

KELNF_CHECK_SIZE(DriverInstance, 3244, 3248);
KELNF_CHECK_OFFSET(DriverInstance, readTimeout, 0, 0);
KELNF_CHECK_OFFSET(DriverInstance, enabled, 4, 4);
KELNF_CHECK_OFFSET(DriverInstance, port, 8, 8);
KELNF_CHECK_OFFSET(DriverInstance, settings, 12, 16);
KELNF_CHECK_OFFSET(DriverInstance, clientId, 34, 38);
KELNF_CHECK_OFFSET(DriverInstance, instanceNumber, 35, 39);
KELNF_CHECK_OFFSET(DriverInstance, rx, 36, 40);
KELNF_CHECK_OFFSET(DriverInstance, image.points, 1036, 1040);
KELNF_CHECK_OFFSET(DriverInstance, image.troubles, 3038, 3042);
KELNF_CHECK_OFFSET(DriverInstance, image.G, 3238, 3242);
KELNF_CHECK_OFFSET(DriverInstance, image.R, 3239, 3243);
KELNF_CHECK_OFFSET(DriverInstance, image.C, 3240, 3244);
KELNF_CHECK_OFFSET(DriverInstance, listenerRunning, 3242, 3246);

#undef KELNF_CHECK_OFFSET
#undef KELNF_CHECK_SIZE

} // namespace
} // namespace kelnf
