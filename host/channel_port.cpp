#include "host/channel_port.h"

#include <cstring>

#include "host/driver_instance.h"
#include "serial/instance_port.h"
#include "serial/port_access.h"

namespace kelnf {
namespace {

int32_t CloseInstancePort(DriverInstance &instance) {
    PortHandle handle = CurrentPort(instance);
    if (handle == nullptr)
        return KEL_RESULT_DONE;
    if (PortClose(handle) != kPortOk)
        return KEL_RESULT_FAILED;
    ForgetPort(instance, handle);
    return KEL_RESULT_DONE;
}

} // namespace

int32_t DiscardPendingInput(const DriverRequest &request) {
    PortHandle handle = CurrentPort(InstanceOf(request));
    if (handle != nullptr)
        PortDiscardInput(handle);
    return KEL_RESULT_DONE;
}

int32_t ClosePort(const DriverRequest &request) { return CloseInstancePort(InstanceOf(request)); }

int32_t ReopenPort(const DriverRequest &request) {
    DriverInstance &instance = InstanceOf(request);
    PortHandle handle = nullptr;
    if (PortOpen(instance.settings, &handle) != kPortOk)
        return KEL_RESULT_FAILED;
    instance.enabled = 1;
    ReplacePort(instance, handle);
    return KEL_RESULT_DONE;
}

int32_t ReconfigurePort(const DriverRequest &request) {
    DriverInstance &instance = InstanceOf(request);
    const ReconfigureArgs &args = *static_cast<const ReconfigureArgs *>(request.args);

    const std::size_t nameLength = strnlen(args.portName, sizeof args.portName);
    if (nameLength >= kPortNameBytes)
        return KEL_RESULT_FAILED;

    PortSettings &stored = instance.settings;
    if (std::strncmp(args.portName, stored.name, kPortNameBytes) != 0)
        CloseInstancePort(instance);
    std::memset(stored.name, 0, kPortNameBytes);
    std::memcpy(stored.name, args.portName, nameLength);
    if (args.line.baud != 0)
        stored.line = args.line;

    PortHandle handle = nullptr;
    if (PortOpen(stored, &handle) != kPortOk)
        return KEL_RESULT_FAILED;
    ReplacePort(instance, handle);
    instance.enabled = 1;
    PortSetReadTimeout(handle, static_cast<int32_t>(instance.readTimeout));
    return KEL_RESULT_DONE;
}

} // namespace kelnf
