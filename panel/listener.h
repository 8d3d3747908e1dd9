// The receive thread: one per started instance. It takes what the panel sends of its own
// accord, answers its poll byte and interprets its event records, until the host's wait call
// tells it to end.
#pragma once

#include "host/driver_instance.h"

namespace kelnf {

// The stack the receive thread asks for.
constexpr unsigned kListenerStackBytes = 32768;

// Starts the receive thread on the instance, which the caller has claimed (ClaimListener) and
// whose client exists. The thread gives the claim back as it ends. False if no thread was
// created; the claim is then still the caller's.
bool StartListener(DriverInstance &instance);

} // namespace kelnf
