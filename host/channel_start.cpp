#include "host/channel_start.h"

#include <cstdio>
#include <cstring>

#include "host/banner.h"
#include "host/driver_instance.h"
#include "orbkit.h"
#include "panel/listener.h"
#include "serial/instance_port.h"
#include "serial/port_access.h"

namespace kelnf {
namespace {

// The name as given, cut to the 12 bytes of the start record so a name without a terminator
// is never read past the record.
struct PrintableName {
    char text[kPortNameBytes + 1];
};

PrintableName PrintableNameOf(const char (&portName)[kPortNameBytes]) {
    PrintableName printable{};
    std::memcpy(printable.text, portName, kPortNameBytes);
    printable.text[kPortNameBytes] = '\0';
    return printable;
}

bool HasTerminator(const char (&portName)[kPortNameBytes]) {
    return std::memchr(portName, '\0', kPortNameBytes) != nullptr;
}

// An enabled start on an instance that no receive thread uses. Done only when the thread runs.
int32_t OpenAndListen(DriverInstance &instance, const DriverRequest &request, const StartArgs &args) {
    PortSettings settings{};
    std::memcpy(settings.name, args.portName, kPortNameBytes);
    settings.line = args.line;
    settings.controlFlags = kControlFlagsLinesOff;

    PortHandle handle = nullptr;
    if (!HasTerminator(args.portName) || PortOpen(settings, &handle) != kPortOk) {
        err(ORBKIT_LEVEL_DRIVER, "KEL%s : Fail to open %s", kDriverName, PrintableNameOf(args.portName).text);
        return KEL_RESULT_FAILED;
    }

    ReplacePort(instance, handle);
    ImageClear(instance.image);
    RegisterWrite(instance.image.R, 0);
    RegisterWrite(instance.image.C, 1);
    PortSetReadTimeout(handle, static_cast<int32_t>(args.readTimeout));
    instance.settings = settings;
    instance.readTimeout = args.readTimeout;
    instance.instanceNumber = static_cast<uint8_t>(request.instanceNumber & 0xFF);

    char clientName[32];
    std::snprintf(clientName, sizeof clientName, "KelNF No_%.2d", request.instanceNumber);
    if (Orb5MkClient(clientName, 1, 0, &instance.clientId) != 0)
        return KEL_RESULT_REFUSED;

    if (!StartListener(instance)) {
        err(ORBKIT_LEVEL_DRIVER, "KelNF : Can Not open Unsolicetd thread !!!");
        return KEL_RESULT_FAILED;
    }
    return KEL_RESULT_DONE;
}

} // namespace

int32_t StartChannel(const DriverRequest &request) {
    DriverInstance &instance = InstanceOf(request);
    const StartArgs &args = *static_cast<const StartArgs *>(request.args);

    // A second receive thread would share the receive buffer with the first.
    if (!ClaimListener(instance))
        return KEL_RESULT_REFUSED;
    instance.enabled = args.enable;
    const int32_t result = args.enable != 0 ? OpenAndListen(instance, request, args) : KEL_RESULT_DONE;
    if (args.enable == 0 || result != KEL_RESULT_DONE)
        ReleaseListener(instance);
    return result;
}

} // namespace kelnf
