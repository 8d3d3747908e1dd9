// Operation 3: which texts are addresses, what they turn into, and that a refused text leaves
// the host's record as it was.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "support/driver_library.h"

namespace kelnf::testing {
namespace {

struct ValidCase {
    const char *text;
    int32_t type;
    int32_t index;
};

TEST(TagAddress, ValidAddressesGiveTypeAndIndex) {
    const ValidCase cases[] = {
        {"123", KEL_TAG_POINT, 123},
        {"007", KEL_TAG_POINT, 7},
        {"000", KEL_TAG_POINT, 0},
        {"999", KEL_TAG_POINT, 999},
        {"T05", KEL_TAG_TROUBLE, 5},
        {"t05", KEL_TAG_TROUBLE, 5},
        {"T00", KEL_TAG_TROUBLE, 0},
        {"T99", KEL_TAG_TROUBLE, 99},
        {"!G", 'G', 0},
        {"!g", 'G', 0},
        {"!R", 'R', 0},
        {"!C", 'C', 0},
        {"!A", 'A', 0},
        {"!s", 'S', 0},
        {"!C      ", 'C', 0},     // trailing spaces up to eight characters
        {"123     ", KEL_TAG_POINT, 123},
        {"123     junk", KEL_TAG_POINT, 123}, // only the first eight characters count
        {"T12     9", KEL_TAG_TROUBLE, 12},
    };
    for (const ValidCase &valid : cases) {
        SCOPED_TRACE(valid.text);
        const CheckedAddress checked = CheckAddress(valid.text);
        ASSERT_EQ(checked.result, KEL_RESULT_DONE);
        EXPECT_EQ(checked.record.type, valid.type);
        EXPECT_EQ(checked.record.index, valid.index);
        EXPECT_EQ(checked.record.status, 0);
        EXPECT_EQ(checked.record.maxValue, 255);
        EXPECT_EQ(checked.record.valueBits, 16);
        EXPECT_EQ(checked.record.text, valid.text);
        for (unsigned char byte : checked.record.untouched)
            EXPECT_EQ(byte, 0xA5) << "bytes between the text pointer and offset 16 are the host's";
    }
}

TEST(TagAddress, InvalidTextsAreRefusedAndWriteNothing) {
    const char *const cases[] = {
        "", "1", "12", "1234", "12345678", "T5", "T123", "T", "TT1", "!", "!X", "!GX", "!G1", "! G",
        " 123", "12 3", "123 4", "12a", "-12", "+12", "!!", "T-1", "\t123", "123\t",
        "{23", // '{' normalises to '[', not a digit
        "\xE4" "12",
    };
    for (const char *text : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(text)));
        const CheckedAddress checked = CheckAddress(text);
        EXPECT_EQ(checked.result, KEL_RESULT_REFUSED);
        TagAddress untouched;
        std::memset(&untouched, 0xA5, sizeof untouched);
        untouched.text = text;
        EXPECT_EQ(std::memcmp(&checked.record, &untouched, sizeof untouched), 0);
    }
}

TEST(TagAddress, NullTextIsRefused) {
    const CheckedAddress checked = CheckAddress(nullptr);
    EXPECT_EQ(checked.result, KEL_RESULT_REFUSED);
    EXPECT_EQ(checked.record.type, static_cast<int32_t>(0xA5A5A5A5));
}

TEST(TagAddress, NeverReadsPastTheTerminatorOrTheEighthCharacter) {
    // Texts that end where their buffer ends: a read past the terminator, or past the eighth
    // character of an unterminated text, would leave the buffer (the sanitizer build sees it).
    char tail[16];
    std::memset(tail, 'x', sizeof tail);
    std::memcpy(tail + sizeof tail - 3, "!a", 3);
    EXPECT_EQ(CheckAddress(tail + sizeof tail - 3).result, KEL_RESULT_DONE);

    char eight[8];
    std::memcpy(eight, "T07     ", 8); // no terminator at all
    const CheckedAddress checked = CheckAddress(eight);
    EXPECT_EQ(checked.result, KEL_RESULT_DONE);
    EXPECT_EQ(checked.record.index, 7);
}

} // namespace
} // namespace kelnf::testing
