// A started channel as a host runs it: the driver's receive thread reading a pseudo-terminal
// whose other end the test plays as the panel. The receive thread is stopped, and its end
// awaited, before the instance memory goes away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/driver_library.h"
#include "support/pseudo_terminal.h"

namespace kelnf::testing {

class PanelLink {
  public:
    explicit PanelLink(int32_t instanceNumber = 3);
    ~PanelLink();
    PanelLink(const PanelLink &) = delete;
    PanelLink &operator=(const PanelLink &) = delete;

    // Tells the host library to stop the receive thread's client and waits until the thread
    // has removed it. False if that does not happen.
    bool Stop();

    // The instance block as it is now; only while the line is quiet, since the receive thread
    // writes the block as bytes arrive. Taking the host library's client lock afterwards
    // orders this read before the thread's next pass.
    std::vector<unsigned char> Snapshot();

    // Reads an address's value, as a host polls it.
    uint16_t Read(const char *address) { return ReadAddress(instance, address); }
    // Waits until an address holds `value`.
    bool WaitUntil(const char *address, uint16_t value);
    // Sends bytes that the driver takes in one go: the port is closed while they arrive and
    // opened again (same name, same settings) once all of them wait in its input queue. A
    // pseudo-terminal hands bytes over a moment after they are written, so without this the
    // test could not tell "not arrived yet" from "already read".
    bool SendAllAtOnce(const std::string &bytes);
    // Sends an alarm for `point` and waits until the driver has taken it in: everything the
    // panel sent before it has then been handled.
    bool SendAlarmAndSeeIt(const char *point);

    LogCapture log; // first, so it sees the start and outlives the receive thread's lines
    test::PseudoTerminal panel;
    HostInstance instance;
    const int32_t number;
    const std::string clientName;
    int32_t started; // the start's result
};

} // namespace kelnf::testing
