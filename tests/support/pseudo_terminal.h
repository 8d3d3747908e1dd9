// A pseudo-terminal pair for tests: the driver opens the slave by name, the test plays the
// panel on the master.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <termios.h>

namespace kelnf::test {

class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // The slave as a port name ("pts/7") and as a path ("/dev/pts/7").
    const std::string &portName() const { return portName_; }
    const std::string &path() const { return path_; }

    // The panel's side: bytes sent towards the driver, and bytes the driver sent.
    void Send(const std::string &bytes);
    // Whatever the driver sent until `expected` bytes have come or `limit` has passed.
    std::string Receive(std::size_t expected, std::chrono::milliseconds limit = std::chrono::seconds(5));
    // Everything the driver sent so far, waiting at most a short while for the first byte.
    std::string Drain(std::chrono::milliseconds quiet = std::chrono::milliseconds(50));

    // The slave's line settings, as the kernel holds them.
    termios SlaveAttributes() const;
    // Whether the line is marked for exclusive use (TIOCEXCL).
    bool Exclusive() const;
    // Bytes sent towards the driver that it has not read yet.
    int PendingTowardsDriver() const;

    // Hangs the line up, as an unplugged adapter does.
    void CloseMaster();

  private:
    int master_ = -1;
    int slave_ = -1; // held so the line stays up between the driver's opens
    std::string portName_;
    std::string path_;
};

std::string Bytes(std::initializer_list<uint8_t> bytes);

} // namespace kelnf::test
