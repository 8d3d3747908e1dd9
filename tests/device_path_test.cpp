// Which device a port name opens on this system.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix_device_path.h"

namespace kelnf::platform {
namespace {

struct NameCase {
    const char *name;
    const char *path; // null: refused
};

TEST(DevicePath, NamesMapToDevices) {
    const NameCase cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM10", "/dev/ttyS9"},
        {"NUL", "/dev/null"},
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"pts/3", "/dev/pts/3"},
        {"serial/by-id/x", "/dev/serial/by-id/x"},
        {"/dev/pts/3", "/dev/pts/3"},
        {"./ttyX", "./ttyX"},
        {"../ttyX", "../ttyX"},
        {"COM0", "/dev/COM0"},   // no port 0: an ordinary name
        {"COM01", "/dev/COM01"}, // leading zero: an ordinary name
        {"COMx", "/dev/COMx"},
        {"com1", "/dev/com1"}, // names are case-sensitive
        {"nul", "/dev/nul"},
        {"", nullptr},
    };
    for (const NameCase &c : cases) {
        char path[kDevicePathBytes];
        bool mapped = DevicePathOf(c.name, path);
        if (c.path == nullptr) {
            EXPECT_FALSE(mapped) << c.name;
        } else {
            EXPECT_TRUE(mapped) << c.name;
            EXPECT_STREQ(path, c.path) << c.name;
        }
    }
}

TEST(DevicePath, NameTooLongForAPathIsRefused) {
    char path[kDevicePathBytes];
    std::string longest(kDevicePathBytes - 5, 'x'); // "/dev/" plus this leaves no room for the end
    EXPECT_FALSE(DevicePathOf(longest.c_str(), path));
    EXPECT_STREQ(path, "");
    longest.pop_back();
    EXPECT_TRUE(DevicePathOf(longest.c_str(), path));
    EXPECT_FALSE(DevicePathOf(nullptr, path));
}

} // namespace
} // namespace kelnf::platform
