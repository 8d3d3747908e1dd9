// Helpers for tests that open ports with the driver's own port module.
#pragma once

#include <cstring>
#include <string>

#include "serial/port_access.h"

namespace kelnf::test {

inline PortSettings SettingsFor(const std::string &name, LineSettings line = {9600, 8, 0, 0},
                                uint16_t controlFlags = kControlFlagsLinesOff) {
    PortSettings settings{};
    std::strncpy(settings.name, name.c_str(), sizeof settings.name - 1);
    settings.line = line;
    settings.controlFlags = controlFlags;
    return settings;
}

// A port opened for one test and closed at its end if still open.
class OpenPort {
  public:
    explicit OpenPort(const PortSettings &settings) : status_(PortOpen(settings, &handle_)) {}
    ~OpenPort() {
        if (handle_ != nullptr)
            PortClose(handle_);
    }
    OpenPort(const OpenPort &) = delete;
    OpenPort &operator=(const OpenPort &) = delete;

    int status() const { return status_; }
    PortHandle handle() const { return handle_; }
    int Close() {
        int result = PortClose(handle_);
        handle_ = nullptr;
        return result;
    }

  private:
    PortHandle handle_ = nullptr;
    int status_;
};

} // namespace kelnf::test
