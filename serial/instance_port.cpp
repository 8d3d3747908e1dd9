#include "serial/instance_port.h"

#include "host/driver_instance.h"
#include "platform/comm.h"
#include "serial/port_access.h"

namespace kelnf {

int ReceiveExact(DriverInstance &instance, uint8_t *buffer, uint32_t count) {
    uint32_t received = 0;
    int status = PortRead(CurrentPort(instance), buffer, count, &received);
    return status == kPortOk && received == count ? 1 : 0;
}

void ReplacePort(DriverInstance &instance, PortHandle opened) {
    PortHandle displaced = ExchangePort(instance, opened);
    if (displaced != nullptr && displaced != opened)
        PortClose(displaced);
}

bool InputWaiting(DriverInstance &instance) {
    platform::CommStatus status{};
    return platform::CommClearError(CurrentPort(instance), &status) && status.bytesWaiting > 0;
}

int SendBytes(DriverInstance &instance, const uint8_t *bytes, uint32_t count) {
    PortDiscardInput(CurrentPort(instance));
    uint32_t written = 0;
    int status = PortWrite(CurrentPort(instance), bytes, count, &written);
    return status == kPortOk && written == count ? 1 : 0;
}

} // namespace kelnf
