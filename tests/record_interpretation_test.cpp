// Event records from the panel turned into status image changes: keywords by device kind,
// trouble entries, number reading, "ALL SYSTEMS NORMAL" and "SYSTEM RESET".
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/record_builder.h"

namespace kelnf::testing {
namespace {

std::vector<unsigned char> WordsOf(const StatusImage &image) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(&image);
    return {bytes, bytes + offsetof(StatusImage, G)};
}

struct KeywordCase {
    const char *keyword;
    const char *kind;
    uint16_t before;
    uint16_t after;
};

TEST(RecordInterpretation, KeywordsChangeThePointWordByDeviceKind) {
    const KeywordCase cases[] = {
        {"ALARM:", "MONITOR", 0x0000, 0x0002}, {"ALARM:", "CONTROL", 0x0000, 0x0001},
        {"ALARM:", "DETECTR", 0x0000, 0x0001}, {"ACK AL", "MONITOR", 0x0000, 0x0040},
        {"ACK AL", "CONTROL", 0x0000, 0x0020}, {"ACK AL", "PULL ST", 0x0000, 0x0020},
        {"CLR AL", "MONITOR", 0x0042, 0x0040}, {"CLR AL", "CONTROL", 0xFFFF, 0xFFFE},
        {"CLR AL", "       ", 0xFFFF, 0xFFFE}, {"ACL AL", "MONITOR", 0xFFFF, 0xFFBF},
        {"ACL AL", "CONTROL", 0xFFFF, 0xFFDF}, {"ACL AL", "SMOKE  ", 0xFFFF, 0xFFDF},
        {"TROUBL", "MONITOR", 0x0000, 0x0008}, {"TROUBL", "CONTROL", 0x0000, 0x0010},
        {"TROUBL", "SMOKE  ", 0x0000, 0x0004}, {"ACK TB", "MONITOR", 0x0000, 0x0100},
        {"ACK TB", "CONTROL", 0x0000, 0x0200}, {"ACK TB", "HEAT   ", 0x0000, 0x0080},
        {"CLR TB", "MONITOR", 0xFFFF, 0xFFF7}, {"CLR TB", "CONTROL", 0x0610, 0x0600},
        {"CLR TB", "HEAT   ", 0xFFFF, 0xFFFB}, {"ACL TB", "MONITOR", 0xFFFF, 0xFEFF},
        {"ACL TB", "CONTROL", 0x0610, 0x0410}, {"ACL TB", "HEAT   ", 0xFFFF, 0xFF7F},
        {"STATUS", "MONITOR", 0x0000, 0x0400}, {"STATUS", "CONTROL", 0x0001, 0x0401},
        {"STATUS", "HEAT   ", 0x0000, 0x0400}, {"alarm:", "MONITOR", 0x0000, 0x0000},
        {"ALARM:", "monitor", 0x0000, 0x0001}, {"ALARM ", "MONITOR", 0x0000, 0x0000},
        {"TROUBLE", "MONITOR", 0x0000, 0x0008}, // only the first six characters are the keyword
        {"STATUS PRE", "CONTROL", 0x0000, 0x0400},
    };
    for (const KeywordCase &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.keyword << " " << c.kind);
        auto instance = ZeroedInstance();
        PointSet(instance->image, 17, c.before);
        RecordBuilder(*instance).Keyword(c.keyword).Kind(c.kind).Number("017").Interpret();
        EXPECT_EQ(PointRead(instance->image, 17), c.after);
        EXPECT_EQ(instance->image.C, 1);
    }
}

TEST(RecordInterpretation, TroubleMarkerNamesATroubleEntry) {
    const KeywordCase cases[] = {
        {"TROUBL", "MONITOR", 0x0000, 0x0001}, {"ACK TB", "CONTROL", 0x0000, 0x0002},
        {"CLR TB", "SMOKE  ", 0xFFFF, 0xFFFE}, {"ACL TB", "MONITOR", 0xFFFF, 0xFFFD},
        // The alarm and status keywords do not look for the marker: "T07" is then no number.
        {"ALARM:", "MONITOR", 0x0000, 0x0000}, {"ACK AL", "MONITOR", 0x0000, 0x0000},
        {"STATUS", "MONITOR", 0x0000, 0x0000}, {"CLR AL", "MONITOR", 0xFFFF, 0xFFFF},
    };
    for (const KeywordCase &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.keyword << " " << c.kind);
        auto instance = ZeroedInstance();
        TroubleSet(instance->image, 7, c.before);
        PointSet(instance->image, 7, 0x00F0);
        const auto pointsBefore = PointRead(instance->image, 7);
        RecordBuilder(*instance).Keyword(c.keyword).Kind(c.kind).Number("T07").Interpret();
        EXPECT_EQ(TroubleRead(instance->image, 7), c.after);
        EXPECT_EQ(PointRead(instance->image, 7), pointsBefore) << "point words are left alone";
        EXPECT_EQ(instance->image.C, 1);
    }
}

struct NumberCase {
    std::string field; // from position 81 to at most 85
    int32_t index;     // -1: no word changes
};

TEST(RecordInterpretation, PointNumbersAreReadLikeABoundedDecimalConversion) {
    const NumberCase cases[] = {
        {" 17x", 17},           {" 175", 175},           {"123", 123},      {"1234", 123},
        {"007", 7},             {"9", 9},                {"  5  ", 5},      {"\t 42", 42},
        {"\n\v\f\r9", 9},       {"    9", 9},            {"+12", 12},       {"+1", 1},
        {"-0", 0},              {"-00", 0},              {"-05", -1},       {"-1", -1},
        {"abc", -1},            {"-", -1},               {"+x", -1},        {"- 1", -1},
        {"", -1},               {"x12", -1},             {"1 2", 1},
    };
    for (const NumberCase &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.field));
        auto instance = ZeroedInstance();
        RecordBuilder(*instance).Keyword("ALARM:").Kind("CONTROL").Number(c.field).Interpret();
        auto expected = ZeroedInstance();
        if (c.index >= 0)
            PointSet(expected->image, c.index, kPointAlarm);
        EXPECT_EQ(WordsOf(instance->image), WordsOf(expected->image));
        EXPECT_EQ(instance->image.C, 1) << "any record counts as activity";
    }
}

TEST(RecordInterpretation, TroubleNumbersTakeTwoCharacters) {
    const NumberCase cases[] = {
        {"T07", 7}, {"T99", 99}, {"T00", 0}, {"T123", 12}, {"T 7", 7}, {"T  12", 12},
        {"T5", 5},  {"T-1", -1}, {"T+3", 3}, {"Tab", -1},  {"T", -1},
    };
    for (const NumberCase &c : cases) {
        SCOPED_TRACE(c.field);
        auto instance = ZeroedInstance();
        RecordBuilder(*instance).Keyword("TROUBL").Kind("MONITOR").Number(c.field).Interpret();
        auto expected = ZeroedInstance();
        if (c.index >= 0)
            TroubleSet(expected->image, c.index, kTroubleActive);
        EXPECT_EQ(WordsOf(instance->image), WordsOf(expected->image));
    }
}

TEST(RecordInterpretation, NeverReadsBeyondTheRecord) {
    auto instance = ZeroedInstance();
    std::memset(instance->rx, '7', sizeof instance->rx); // digits everywhere after the record
    RecordBuilder(*instance).Keyword("ALARM:").Kind("MONITOR").Number("     ").Interpret();
    auto expected = ZeroedInstance();
    EXPECT_EQ(WordsOf(instance->image), WordsOf(expected->image));
}

TEST(RecordInterpretation, AllSystemsNormalClearsTheImageAfterTheKeywordsChange) {
    for (const char *number : {"017", "T99", "T05"}) {
        SCOPED_TRACE(number);
        auto instance = ZeroedInstance();
        StatusImage &image = instance->image;
        std::memset(&image, 0xFF, sizeof image);
        image.R = 0x05;
        image.C = 0x00;
        RecordBuilder(*instance).Keyword("TROUBL").Kind("MONITOR").Number(number).AllNormal().Interpret();
        for (int32_t index = 0; index < 1000; ++index)
            ASSERT_EQ(PointRead(image, index), 0) << index;
        for (int32_t index = 0; index < 100; ++index)
            ASSERT_EQ(TroubleRead(image, index), 0) << "T" << index;
        EXPECT_EQ(PointRead(image, 1000), 0xFFFF);
        EXPECT_EQ(image.G, 0);
        EXPECT_EQ(image.R, 0x05);
        EXPECT_EQ(image.C, 1);
    }
}

TEST(RecordInterpretation, SystemResetSetsROnly) {
    auto instance = ZeroedInstance();
    PointSet(instance->image, 3, 0x0003);
    const auto before = WordsOf(instance->image);
    RecordBuilder(*instance).At(4, "TEST").SystemReset().Number("003").Interpret();
    EXPECT_EQ(instance->image.R, 1);
    EXPECT_EQ(instance->image.C, 1);
    EXPECT_EQ(WordsOf(instance->image), before);
}

TEST(RecordInterpretation, RecordMatchingNothingSetsOnlyC) {
    for (const char *keyword : {"      ", "SYSTEM", "ALARM!", "EVENT:"}) {
        SCOPED_TRACE(keyword);
        auto instance = ZeroedInstance();
        PointSet(instance->image, 17, 0x0001);
        instance->image.G = 0x03;
        const auto before = WordsOf(instance->image);
        RecordBuilder(*instance).Keyword(keyword).Kind("MONITOR").Number("017").Interpret();
        EXPECT_EQ(WordsOf(instance->image), before);
        EXPECT_EQ(instance->image.G, 0x03);
        EXPECT_EQ(instance->image.R, 0);
        EXPECT_EQ(instance->image.C, 1);
    }
}

// Whatever arrives on the line, a record changes at most one word (or clears the image) and
// leaves the receive buffer as it was. Records are drawn from the fields' own vocabulary so
// that keywords, kinds, markers and numbers meet in every combination.
TEST(RecordInterpretation, ArbitraryRecordsChangeAtMostOneWord) {
    const char *const keywords[] = {"ALARM:", "ACK AL", "CLR AL", "ACL AL", "TROUBL",
                                    "ACK TB", "CLR TB", "ACL TB", "STATUS", "XYZZY!"};
    const char *const kinds[] = {"MONITOR", "CONTROL", "SMOKE  ", "monitor"};
    const char numberBytes[] = {'0', '5', '9', 'T', ' ', '\t', '-', '+', 'x', '\0', '\xFF'};
    std::mt19937 random(20261211);
    for (int trial = 0; trial < 20000; ++trial) {
        auto instance = ZeroedInstance();
        std::memset(&instance->image, 0x55, sizeof instance->image);
        for (auto &byte : instance->rx)
            byte = static_cast<uint8_t>(random());
        RecordBuilder record(*instance);
        record.Keyword(keywords[random() % 10]).Kind(kinds[random() % 4]);
        for (int position = kPointNumberAt; position <= kRecordLast; ++position)
            instance->rx[position] = static_cast<uint8_t>(numberBytes[random() % sizeof numberBytes]);
        const bool normal = random() % 8 == 0;
        if (normal)
            record.AllNormal();
        const std::vector<uint8_t> rxBefore(std::begin(instance->rx), std::end(instance->rx));
        const std::vector<unsigned char> wordsBefore = WordsOf(instance->image);

        record.Interpret();

        ASSERT_EQ(std::vector<uint8_t>(std::begin(instance->rx), std::end(instance->rx)), rxBefore);
        ASSERT_EQ(instance->image.C, 1);
        if (normal)
            continue;
        const std::vector<unsigned char> wordsAfter = WordsOf(instance->image);
        int changedWords = 0;
        for (std::size_t at = 0; at < wordsAfter.size(); at += 2)
            changedWords += wordsAfter[at] != wordsBefore[at] || wordsAfter[at + 1] != wordsBefore[at + 1];
        ASSERT_LE(changedWords, 1) << "trial " << trial;
        ASSERT_EQ(PointRead(instance->image, 1000), 0x5555) << "no record reaches point word 1000";
    }
}

} // namespace
} // namespace kelnf::testing
