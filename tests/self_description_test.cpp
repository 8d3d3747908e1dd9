// Operation 14 through the loaded library: the values a host sizes and configures with, and
// the banner byte for byte in code page 437.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "support/driver_library.h"

namespace kelnf::testing {
namespace {

std::string Repeat(char byte, int count) { return std::string(static_cast<std::size_t>(count), byte); }

// Code page 437.
const char kTopLeft = '\xC9', kTopRight = '\xBB', kBottomLeft = '\xC8', kBottomRight = '\xBC';
const char kHorizontal = '\xCD', kVertical = '\xBA';
const char kFull = '\xDB', kDark = '\xB2', kMedium = '\xB1', kLight = '\xB0';

std::string ExpectedBannerWithoutNotice() {
    const std::string bar(1, kVertical);
    return "\n"
           " " + std::string(1, kTopLeft) + Repeat(kHorizontal, 59) + std::string(1, kTopRight) + "\n" +
           " " + bar + " " + Repeat(kFull, 5) + Repeat(kDark, 6) + Repeat(kMedium, 6) + Repeat(kLight, 6) +
           " K E L N F " + Repeat(kLight, 6) + Repeat(kMedium, 6) + Repeat(kDark, 6) + Repeat(kFull, 5) +
           " " + bar + "\n" +
           " " + bar + Repeat(' ', 10) + "NF Fire Alarm System, Driver installed." + Repeat(' ', 10) + bar + "\n" +
           " " + bar + Repeat(' ', 11) + "Addressable FACP , NF serial protocol" + Repeat(' ', 11) + bar + "\n";
}

std::string ExpectedBottom() {
    return " " + std::string(1, kBottomLeft) + Repeat(kHorizontal, 59) + std::string(1, kBottomRight) + "\n";
}

TEST(SelfDescription, ReportsTheDriversValues) {
    DriverInfo info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(Call(KEL_OP_DESCRIBE, nullptr, &info), KEL_RESULT_DONE);

    EXPECT_EQ(info.driverType, 70);
    EXPECT_STREQ(info.name, "NF Fire Alarm System");
    ASSERT_NE(info.banner, nullptr);
    EXPECT_EQ(info.instanceSize, sizeof(void *) == 4 ? 3244u : 3248u);
    EXPECT_EQ(info.defaultReadTimeout, 4u);
    EXPECT_EQ(info.defaultLine.baud, 9600);
    EXPECT_EQ(info.defaultLine.dataBits, 8);
    EXPECT_EQ(info.defaultLine.stopBits, 0);
    EXPECT_EQ(info.defaultLine.parity, 0);
    EXPECT_EQ(info.controlFlags, 8u);
}

TEST(SelfDescription, BannerIsTheFramedCodePage437Text) {
    const std::string banner = Describe().banner;
    ASSERT_EQ(banner.size(), 379u);

    const std::string head = ExpectedBannerWithoutNotice();
    EXPECT_EQ(banner.substr(0, head.size()), head);
    EXPECT_EQ(banner.substr(379 - 63), ExpectedBottom());

    // The notice line: framed, 62 characters, the version centred in it.
    const std::string notice = banner.substr(head.size(), 63);
    ASSERT_EQ(notice.substr(0, 2), " " + std::string(1, kVertical));
    ASSERT_EQ(notice.substr(61), std::string(1, kVertical) + "\n");
    const std::string inner = notice.substr(2, 59);
    const std::size_t first = inner.find_first_not_of(' ');
    const std::size_t last = inner.find_last_not_of(' ');
    ASSERT_NE(first, std::string::npos);
    const std::size_t right = 58 - last;
    EXPECT_TRUE(first == right || first + 1 == right) << "left " << first << ", right " << right;
    EXPECT_NE(inner.find("KelNF " KELNF_VERSION), std::string::npos) << inner;
    for (char byte : inner)
        EXPECT_TRUE(byte >= 0x20 && byte < 0x7F) << "notice is plain text";
}

TEST(SelfDescription, IsIdenticalOnEveryCallWithOrWithoutAnInstance) {
    HostInstance instance;
    DriverInfo first;
    DriverInfo second;
    std::memset(&first, 0x11, sizeof first);
    std::memset(&second, 0x77, sizeof second);
    ASSERT_EQ(Call(KEL_OP_DESCRIBE, nullptr, &first), KEL_RESULT_DONE);
    const auto instanceBefore = instance.Bytes();
    ASSERT_EQ(Call(KEL_OP_DESCRIBE, instance.get(), &second), KEL_RESULT_DONE);

    EXPECT_EQ(instance.Bytes(), instanceBefore) << "describing touches no instance";
    EXPECT_EQ(first.name, second.name) << "the texts are static";
    EXPECT_EQ(first.banner, second.banner);
    EXPECT_EQ(first.driverType, second.driverType);
    EXPECT_EQ(first.instanceSize, second.instanceSize);
    EXPECT_EQ(first.defaultReadTimeout, second.defaultReadTimeout);
    EXPECT_EQ(std::memcmp(&first.defaultLine, &second.defaultLine, sizeof(LineSettings)), 0);
    EXPECT_EQ(first.controlFlags, second.controlFlags);
}

} // namespace
} // namespace kelnf::testing
