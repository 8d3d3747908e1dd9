// KelMain's dispatch: codes without a handler, and requests a host got wrong, are refused
// with 1 and change nothing.
#include <climits>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "support/driver_library.h"

namespace kelnf::testing {
namespace {

std::vector<unsigned char> BytesOf(const void *record, std::size_t size) {
    const auto *bytes = static_cast<const unsigned char *>(record);
    return {bytes, bytes + size};
}

TEST(Dispatch, CodesWithoutAHandlerAreRefusedAndChangeNothing) {
    for (int32_t code : {0, 4, 6, 8, 9, 10, 16, 255, -1, -14, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(code);
        HostInstance instance;
        WriteAddress(instance, "123", 0x42);
        unsigned char args[64];
        std::memset(args, 0x5A, sizeof args);
        const auto instanceBefore = instance.Bytes();

        EXPECT_EQ(Call(code, instance.get(), args), KEL_RESULT_REFUSED);
        EXPECT_EQ(instance.Bytes(), instanceBefore);
        EXPECT_EQ(BytesOf(args, sizeof args), std::vector<unsigned char>(sizeof args, 0x5A));
    }
}

TEST(Dispatch, NullRequestIsRefused) { EXPECT_EQ(Driver().kelMain(nullptr), KEL_RESULT_REFUSED); }

TEST(Dispatch, OperationsRefuseAMissingInstanceOrArgumentRecord) {
    LogCapture log;
    for (int32_t code : {KEL_OP_START, KEL_OP_READ, KEL_OP_WRITE, KEL_OP_RECONFIGURE}) {
        SCOPED_TRACE(code);
        unsigned char args[64];
        std::memset(args, 0, sizeof args);
        std::memcpy(args, "ttyS0", 6); // a start record would name a port
        const auto argsBefore = BytesOf(args, sizeof args);
        EXPECT_EQ(Call(code, nullptr, args), KEL_RESULT_REFUSED);
        EXPECT_EQ(BytesOf(args, sizeof args), argsBefore);

        HostInstance instance;
        const auto instanceBefore = instance.Bytes();
        EXPECT_EQ(Call(code, instance.get(), nullptr), KEL_RESULT_REFUSED);
        EXPECT_EQ(instance.Bytes(), instanceBefore);
    }
    for (int32_t code : {KEL_OP_CHECK_ADDRESS, KEL_OP_DESCRIBE}) {
        SCOPED_TRACE(code);
        HostInstance instance;
        EXPECT_EQ(Call(code, instance.get(), nullptr), KEL_RESULT_REFUSED);
    }
    // The port operations take no argument record, but they all work on an instance.
    for (int32_t code : {KEL_OP_DISCARD_INPUT, KEL_OP_CLOSE, KEL_OP_CLOSE_PORT, KEL_OP_REOPEN}) {
        SCOPED_TRACE(code);
        unsigned char args[8] = {};
        EXPECT_EQ(Call(code, nullptr, args), KEL_RESULT_REFUSED);
    }
    EXPECT_TRUE(log.Lines().empty()) << "a refused request logs nothing";
}

TEST(Dispatch, ReadAndWriteRefuseAMissingValue) {
    HostInstance instance;
    WriteAddress(instance, "!C", 0);
    for (int32_t code : {KEL_OP_READ, KEL_OP_WRITE}) {
        TagAccess access{};
        access.type = KEL_TAG_REGISTER_C;
        access.value = nullptr;
        const auto before = instance.Bytes();
        EXPECT_EQ(Call(code, instance.get(), &access), KEL_RESULT_REFUSED) << code;
        EXPECT_EQ(instance.Bytes(), before);
    }
}

TEST(Dispatch, MisalignedInstanceIsRefused) {
    HostInstance instance;
    auto *shifted = static_cast<unsigned char *>(instance.get()) + 1;
    TagValue value{0, 1};
    TagAccess access{};
    access.type = KEL_TAG_REGISTER_C;
    access.value = &value;
    const auto before = instance.Bytes();
    EXPECT_EQ(Call(KEL_OP_WRITE, shifted, &access), KEL_RESULT_REFUSED);
    EXPECT_EQ(instance.Bytes(), before);
}

} // namespace
} // namespace kelnf::testing
