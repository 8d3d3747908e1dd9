// The driver as a host sees it: libkelnf.so and liborbkit.so loaded with dlopen, host-owned
// instance memory sized by operation 14, and the driver's log lines caught by a sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kelnf.h"
#include "orbkit.h"

namespace kelnf::testing {

struct DriverLibrary {
    int32_t (*kelMain)(DriverRequest *request);
    void (*setLogSink)(OrbKitLogSink sink, void *context);
    // The host's side of the messaging clients.
    uint16_t (*mkClient)(const char *name, int32_t mode, int32_t flags, uint8_t *clientId);
    uint16_t (*rmClient)(uint8_t clientId);
    int (*stopClient)(const char *name);
    int (*waitRemoved)(const char *name, unsigned timeoutMilliseconds);
};

// Loads both libraries once per process, the driver first, and aborts the test run if either
// cannot be loaded.
const DriverLibrary &Driver();

int32_t Call(int32_t operation, void *instance, void *args, int32_t instanceNumber = 0);

DriverInfo Describe();

// The client name a start registers for an instance number ("KelNF No_03").
std::string ClientName(int32_t instanceNumber);

// Whether a client of that name is registered.
bool ClientRegistered(const std::string &name);

// A start record for `portName` with 9600 8N1 and a read timeout of 100 ms.
StartArgs StartRecord(const char *portName, uint32_t enable = 1);

// A zeroed, suitably aligned instance block of the size the driver reports.
class HostInstance {
  public:
    HostInstance();
    void *get() { return storage_.get(); }
    std::size_t size() const { return size_; }
    std::vector<unsigned char> Bytes() const;

  private:
    std::size_t size_;
    std::unique_ptr<uint64_t[]> storage_; // 8-byte aligned, as the instance record needs
};

// Collects the driver's log lines while it exists.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    std::vector<std::string> Lines() const;
    // Waits until `line` has been logged; false if it does not come within a generous limit.
    bool WaitFor(const std::string &line) const;

  private:
    static void Sink(int level, const char *line, void *context);
    mutable std::mutex lock_;
    std::vector<std::string> lines_;
};

// Operation 3 on `text`; the TagAddress starts filled with 0xA5 so untouched bytes show.
struct CheckedAddress {
    int32_t result;
    TagAddress record;
};
CheckedAddress CheckAddress(const char *text);

// Operations 5 and 7 through a TagAccess built as a host builds it.
int32_t ReadValue(HostInstance &instance, int32_t type, int32_t index, uint16_t *value);
int32_t WriteValue(HostInstance &instance, int32_t type, int32_t index, uint16_t value);

// Reads an address's current value, failing the test if the address or the read is refused.
uint16_t ReadAddress(HostInstance &instance, const char *address);
void WriteAddress(HostInstance &instance, const char *address, uint16_t value);

} // namespace kelnf::testing
