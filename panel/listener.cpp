#include "panel/listener.h"

#include "image/status_image.h"
#include "orbkit.h"
#include "panel/panel_commands.h"
#include "panel/record_interpretation.h"
#include "panel/record_layout.h"
#include "platform/thread.h"
#include "serial/instance_port.h"

namespace kelnf {
namespace {

// Inbound frame bytes. Anything else is read and dropped on its own.
constexpr uint8_t kPollByte = 0x05;
constexpr uint8_t kEscapeByte = 0x1B;

// A record with this at kVariantMarkerAt is followed by four more bytes and not interpreted.
constexpr uint8_t kVariantMarker = 0x07;
constexpr uint32_t kVariantTrailerBytes = 4;

// The pause after starting and before ending.
constexpr uint32_t kSettleMilliseconds = 1000;

// Handles one frame: its first byte, and whatever that byte says follows. Nothing here keeps
// state between frames, so a frame cut short is dropped and the search goes on with the next
// byte.
void ReceiveFrame(DriverInstance &instance) {
    uint8_t *rx = instance.rx;
    rx[0] = 0;
    ReceiveExact(instance, rx, 1);
    if (rx[0] == kPollByte) {
        RegisterWrite(instance.image.C, 1);
        SendPanelCommand(instance, PanelCommand::PollReply);
        return;
    }
    if (rx[0] != kEscapeByte)
        return;
    if (!ReceiveExact(instance, rx + 1, kRecordBytes))
        return;
    if (rx[kVariantMarkerAt] == kVariantMarker) {
        ReceiveExact(instance, rx, kVariantTrailerBytes);
        return;
    }
    InterpretRecord(instance);
}

void Listen(void *argument) {
    DriverInstance &instance = *static_cast<DriverInstance *>(argument);
    err(ORBKIT_LEVEL_DRIVER, "KelNF : Start Unsoliceted Thread");
    platform::SleepMilliseconds(kSettleMilliseconds);

    const uint8_t clientId = instance.clientId;
    uint8_t message[ORBKIT_MESSAGE_BYTES];
    while (Orb5WaitMsg(clientId, message, 1) != 0) {
        if (InputWaiting(instance))
            ReceiveFrame(instance);
    }

    platform::SleepMilliseconds(kSettleMilliseconds);
    // The last use of the instance: once the client is gone the host may start the instance
    // again or free it.
    ReleaseListener(instance);
    Orb5RmClient(clientId);
    err(ORBKIT_LEVEL_DRIVER, "KelNF : ShutDown !");
}

} // namespace

bool StartListener(DriverInstance &instance) {
    return platform::StartDetachedThread(Listen, &instance, kListenerStackBytes);
}

} // namespace kelnf
