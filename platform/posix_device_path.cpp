#include "platform/posix_device_path.h"

#include <cstdio>
#include <cstring>

namespace kelnf::platform {
namespace {

// The n of "COMn": decimal digits only, no sign or leading zero, from 1.
bool ComPortNumber(const char *name, unsigned long *number) {
    if (std::strncmp(name, "COM", 3) != 0)
        return false;
    const char *digits = name + 3;
    std::size_t length = std::strlen(digits);
    if (length == 0 || length > 5 || digits[0] == '0')
        return false;
    unsigned long value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(digits[i] - '0');
    }
    *number = value;
    return true;
}

// Absolute paths, and paths that say they are relative, are used as given; "pts/3" is not one
// of them, so it opens /dev/pts/3 like every other bare name.
bool IsPath(const char *name) {
    return name[0] == '/' || std::strncmp(name, "./", 2) == 0 || std::strncmp(name, "../", 3) == 0;
}

bool Fits(int written) { return written > 0 && static_cast<std::size_t>(written) < kDevicePathBytes; }

} // namespace

bool DevicePathOf(const char *name, char (&path)[kDevicePathBytes]) {
    path[0] = '\0';
    if (name == nullptr || name[0] == '\0')
        return false;
    unsigned long comNumber = 0;
    int written = 0;
    if (IsPath(name))
        written = std::snprintf(path, kDevicePathBytes, "%s", name);
    else if (std::strcmp(name, "NUL") == 0)
        written = std::snprintf(path, kDevicePathBytes, "/dev/null");
    else if (ComPortNumber(name, &comNumber))
        written = std::snprintf(path, kDevicePathBytes, "/dev/ttyS%lu", comNumber - 1);
    else
        written = std::snprintf(path, kDevicePathBytes, "/dev/%s", name);
    if (!Fits(written)) {
        path[0] = '\0';
        return false;
    }
    return true;
}

} // namespace kelnf::platform
