// Operations 2, 11, 12, 13 and 15: the port of an instance's channel, opened, closed, emptied
// and moved by the host. None of them starts or stops the receive thread; it takes the port
// afresh on every pass, so each change reaches it on its next pass.
#pragma once

#include <cstdint>

#include "kelnf.h"

namespace kelnf {

// 2: drops pending input if the port is open. Always done.
int32_t DiscardPendingInput(const DriverRequest &request);

// 11 and 12: closes the port if it is open. Failed if the system refuses, and the handle is
// kept.
int32_t ClosePort(const DriverRequest &request);

// 13: opens the port again with the stored settings; the read timeout stays at the open's.
int32_t ReopenPort(const DriverRequest &request);

// 15: takes a new port name and, if its baud is non-zero, new line settings, then opens the
// port with them. A name that does not fit the stored field is refused and changes nothing.
int32_t ReconfigurePort(const DriverRequest &request);

} // namespace kelnf
