#include "image/tag_access.h"

#include "panel/panel_commands.h"

namespace kelnf {

int32_t ReadTagValue(DriverInstance &instance, int32_t type, int32_t index, uint16_t *value) {
    StatusImage &image = instance.image;
    switch (type) {
    case KEL_TAG_POINT:
        *value = PointRead(image, index);
        return KEL_RESULT_DONE;
    case KEL_TAG_TROUBLE:
        *value = TroubleRead(image, index);
        return KEL_RESULT_DONE;
    case KEL_TAG_REGISTER_G:
        *value = ImageSummary(image);
        return KEL_RESULT_DONE;
    case KEL_TAG_REGISTER_R:
        *value = RegisterRead(image.R);
        return KEL_RESULT_DONE;
    case KEL_TAG_REGISTER_C:
        *value = RegisterRead(image.C);
        return KEL_RESULT_DONE;
    default: // the command letters have nothing to read
        return KEL_RESULT_REFUSED;
    }
}

int32_t WriteTagValue(DriverInstance &instance, int32_t type, int32_t index, uint16_t value) {
    StatusImage &image = instance.image;
    const auto lowByte = static_cast<uint8_t>(value & 0xFF);
    const bool commandValue = value == 1;
    switch (type) {
    case KEL_TAG_POINT:
        PointSet(image, index, lowByte);
        break;
    case KEL_TAG_TROUBLE:
        TroubleSet(image, index, lowByte);
        break;
    case KEL_TAG_REGISTER_G:
        RegisterWrite(image.G, lowByte);
        break;
    case KEL_TAG_REGISTER_C:
        RegisterWrite(image.C, lowByte);
        break;
    case KEL_TAG_REGISTER_R:
        if (commandValue)
            SendPanelCommand(instance, PanelCommand::Reset);
        RegisterWrite(image.R, lowByte);
        break;
    case KEL_TAG_COMMAND_ACK:
        if (commandValue)
            SendPanelCommand(instance, PanelCommand::Acknowledge);
        break;
    case KEL_TAG_COMMAND_SILENCE:
        if (commandValue)
            SendPanelCommand(instance, PanelCommand::Silence);
        break;
    default:
        break;
    }
    return KEL_RESULT_DONE;
}

namespace {

const TagAccess &AccessOf(const DriverRequest &request) {
    return *static_cast<const TagAccess *>(request.args);
}

} // namespace

int32_t ReadTag(const DriverRequest &request) {
    const TagAccess &access = AccessOf(request);
    if (access.value == nullptr)
        return KEL_RESULT_REFUSED;
    return ReadTagValue(InstanceOf(request), access.type, access.index, &access.value->value);
}

int32_t WriteTag(const DriverRequest &request) {
    const TagAccess &access = AccessOf(request);
    if (access.value == nullptr)
        return KEL_RESULT_REFUSED;
    return WriteTagValue(InstanceOf(request), access.type, access.index, access.value->value);
}

} // namespace kelnf
