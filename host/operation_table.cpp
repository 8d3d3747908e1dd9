#include "host/operation_table.h"

#include "host/channel_port.h"
#include "host/channel_start.h"
#include "host/self_description.h"
#include "image/tag_access.h"
#include "image/tag_address.h"

namespace kelnf {
namespace {

constexpr Operation kNotSupported = {nullptr, false, false};

// Indexed by operation code; entry 0 stands for no code.
constexpr Operation kOperations[kLastOperation + 1] = {
    kNotSupported,                      // 0
    {StartChannel, true, true},         // 1  start the channel
    {DiscardPendingInput, true, false}, // 2  discard pending input
    {CheckTagAddress, false, true},     // 3  check a tag address; the instance is not used
    kNotSupported,                      // 4
    {ReadTag, true, true},              // 5  read a value
    kNotSupported,                      // 6
    {WriteTag, true, true},             // 7  write a value
    kNotSupported,                      // 8
    kNotSupported,                      // 9
    kNotSupported,                      // 10
    {ClosePort, true, false},           // 11 close the port
    {ClosePort, true, false},           // 12 close the port
    {ReopenPort, true, false},          // 13 reopen the port
    {Describe, false, true},            // 14 self-description; needs no instance
    {ReconfigurePort, true, true},      // 15 reconfigure the port
};

} // namespace

const Operation *FindOperation(int32_t code) {
    if (code < 0 || code > kLastOperation)
        return nullptr;
    return &kOperations[code];
}

} // namespace kelnf
