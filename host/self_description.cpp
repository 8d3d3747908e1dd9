#include "host/self_description.h"

#include "host/banner.h"
#include "host/driver_instance.h"

namespace kelnf {

void DescribeDriver(DriverInfo &info) {
    info.driverType = kDriverType;
    info.name = kDriverName;
    info.banner = kBanner.data();
    info.instanceSize = sizeof(DriverInstance);
    info.defaultReadTimeout = kDefaultReadTimeout;
    info.defaultLine = kDefaultLine;
    info.controlFlags = kControlFlagsLinesOff;
}

int32_t Describe(const DriverRequest &request) {
    DescribeDriver(*static_cast<DriverInfo *>(request.args));
    return KEL_RESULT_DONE;
}

} // namespace kelnf
