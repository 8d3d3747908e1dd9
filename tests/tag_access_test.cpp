// Operations 5 and 7 by type code and index, against host-owned instance memory.
#include <cstring>
#include <initializer_list>

#include <gtest/gtest.h>

#include "support/driver_library.h"

namespace kelnf::testing {
namespace {

TEST(TagAccess, PointAndTroubleWritesOrInTheLowByteOnly) {
    HostInstance instance;
    WriteAddress(instance, "123", 0x1242);
    EXPECT_EQ(ReadAddress(instance, "123"), 0x0042);
    WriteAddress(instance, "123", 0x0001);
    EXPECT_EQ(ReadAddress(instance, "123"), 0x0043) << "bits accumulate";
    WriteAddress(instance, "123", 0x0000);
    EXPECT_EQ(ReadAddress(instance, "123"), 0x0043) << "a write never clears";

    WriteAddress(instance, "T05", 0xFF03);
    EXPECT_EQ(ReadAddress(instance, "T05"), 0x0003);
    WriteAddress(instance, "T99", 0x0001);
    EXPECT_EQ(ReadAddress(instance, "T99"), 0x0001);
    EXPECT_EQ(ReadAddress(instance, "124"), 0) << "neighbours untouched";
    EXPECT_EQ(ReadAddress(instance, "T04"), 0);
}

TEST(TagAccess, IndexesOutsideTheTablesReadZeroAndWriteNothing) {
    HostInstance instance;
    // Point word 1000 has no address but a TagAccess may carry its index.
    ASSERT_EQ(WriteValue(instance, KEL_TAG_POINT, 1000, 0x11), KEL_RESULT_DONE);
    uint16_t value = 0xFFFF;
    ASSERT_EQ(ReadValue(instance, KEL_TAG_POINT, 1000, &value), KEL_RESULT_DONE);
    EXPECT_EQ(value, 0x11);

    const struct {
        int32_t type;
        int32_t index;
    } outside[] = {{KEL_TAG_POINT, 1001}, {KEL_TAG_POINT, -1}, {KEL_TAG_POINT, INT32_MIN},
                   {KEL_TAG_TROUBLE, 100}, {KEL_TAG_TROUBLE, -1}, {KEL_TAG_TROUBLE, INT32_MAX}};
    for (const auto &tag : outside) {
        SCOPED_TRACE(::testing::Message() << tag.type << "/" << tag.index);
        const auto before = instance.Bytes();
        EXPECT_EQ(WriteValue(instance, tag.type, tag.index, 0xFF), KEL_RESULT_DONE);
        EXPECT_EQ(instance.Bytes(), before);
        value = 0xFFFF;
        EXPECT_EQ(ReadValue(instance, tag.type, tag.index, &value), KEL_RESULT_DONE);
        EXPECT_EQ(value, 0);
    }
}

TEST(TagAccess, RegistersTakeTheLowByte) {
    HostInstance instance;
    struct {
        const char *address;
        uint16_t written;
        uint16_t read;
    } const cases[] = {
        {"!C", 0x0107, 0x07}, {"!C", 0x0000, 0x00}, {"!R", 0x0002, 0x02}, {"!R", 0x0101, 0x01},
        {"!R", 0x01FF, 0xFF}, {"!R", 0x0001, 0x01}, {"!R", 0x0000, 0x00},
    };
    for (const auto &write : cases) {
        SCOPED_TRACE(::testing::Message() << write.address << " " << write.written);
        WriteAddress(instance, write.address, write.written);
        EXPECT_EQ(ReadAddress(instance, write.address), write.read);
    }
}

TEST(TagAccess, ReadingGRecomputesTheSummary) {
    HostInstance instance;
    WriteAddress(instance, "!G", 0x00FF);
    EXPECT_EQ(ReadAddress(instance, "!G"), 0) << "a written G lasts until the next read";
    WriteAddress(instance, "500", 0x0002);
    EXPECT_EQ(ReadAddress(instance, "!G"), 0x01);
    WriteAddress(instance, "T98", 0x0001);
    EXPECT_EQ(ReadAddress(instance, "!G"), 0x03);
}

TEST(TagAccess, LetterTypesIgnoreTheIndex) {
    HostInstance instance;
    ASSERT_EQ(WriteValue(instance, KEL_TAG_REGISTER_C, 123456, 0x09), KEL_RESULT_DONE);
    uint16_t value = 0;
    ASSERT_EQ(ReadValue(instance, KEL_TAG_REGISTER_C, -7, &value), KEL_RESULT_DONE);
    EXPECT_EQ(value, 0x09);
}

TEST(TagAccess, CommandLettersAndUnknownTypesCannotBeRead) {
    HostInstance instance;
    for (int32_t type : std::initializer_list<int32_t>{KEL_TAG_COMMAND_ACK, KEL_TAG_COMMAND_SILENCE, 2, 'X', 'g', -1, 1000}) {
        SCOPED_TRACE(type);
        uint16_t value = 0xABCD;
        EXPECT_EQ(ReadValue(instance, type, 0, &value), KEL_RESULT_REFUSED);
        EXPECT_EQ(value, 0xABCD);
    }
}

TEST(TagAccess, CommandAndUnknownWritesChangeNoImageAndSucceed) {
    HostInstance instance;
    WriteAddress(instance, "001", 0x04);
    const auto before = instance.Bytes();
    for (int32_t type : std::initializer_list<int32_t>{KEL_TAG_COMMAND_ACK, KEL_TAG_COMMAND_SILENCE, 2, 'X', -1}) {
        for (uint16_t written : {uint16_t{0}, uint16_t{1}, uint16_t{2}, uint16_t{0x0101}}) {
            SCOPED_TRACE(::testing::Message() << type << " " << written);
            EXPECT_EQ(WriteValue(instance, type, 0, written), KEL_RESULT_DONE);
            EXPECT_EQ(instance.Bytes(), before);
        }
    }
}

} // namespace
} // namespace kelnf::testing
