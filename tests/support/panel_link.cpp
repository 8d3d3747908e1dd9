#include "support/panel_link.h"

#include "support/eventually.h"
#include "support/panel_frames.h"

namespace kelnf::testing {

PanelLink::PanelLink(int32_t instanceNumber)
    : number(instanceNumber), clientName(ClientName(instanceNumber)) {
    StartArgs args = StartRecord(panel.portName().c_str());
    started = Call(KEL_OP_START, instance.get(), &args, number);
}

PanelLink::~PanelLink() {
    if (ClientRegistered(clientName))
        Stop();
    Call(KEL_OP_CLOSE_PORT, instance.get(), nullptr);
}

bool PanelLink::Stop() {
    return Driver().stopClient(clientName.c_str()) == 0 &&
           Driver().waitRemoved(clientName.c_str(), static_cast<unsigned>(kPatience.count())) == 0;
}

std::vector<unsigned char> PanelLink::Snapshot() {
    std::vector<unsigned char> bytes = instance.Bytes();
    ClientRegistered(clientName);
    return bytes;
}

bool PanelLink::WaitUntil(const char *address, uint16_t value) {
    return Eventually([&] { return Read(address) == value; });
}

bool PanelLink::SendAllAtOnce(const std::string &bytes) {
    if (Call(KEL_OP_CLOSE_PORT, instance.get(), nullptr) != KEL_RESULT_DONE)
        return false;
    const int queuedBefore = panel.PendingTowardsDriver();
    panel.Send(bytes);
    if (!Eventually(
            [&] { return panel.PendingTowardsDriver() == queuedBefore + static_cast<int>(bytes.size()); }))
        return false;
    ReconfigureArgs sameLine{};
    panel.portName().copy(sameLine.portName, sizeof sameLine.portName - 1);
    return Call(KEL_OP_RECONFIGURE, instance.get(), &sameLine) == KEL_RESULT_DONE;
}

bool PanelLink::SendAlarmAndSeeIt(const char *point) {
    panel.Send(AlarmOn(point));
    return WaitUntil(point, 0x0001);
}

} // namespace kelnf::testing
