// err formats a line and hands it to the host's sink, bounded in length.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orbkit.h"

namespace {

struct Captured {
    int level = -1;
    std::vector<std::string> lines;
};

void Capture(int level, const char *line, void *context) {
    auto *captured = static_cast<Captured *>(context);
    captured->level = level;
    captured->lines.emplace_back(line);
}

class OrbKitLog : public ::testing::Test {
  protected:
    void SetUp() override { OrbKitSetLogSink(&Capture, &captured); }
    void TearDown() override { OrbKitSetLogSink(nullptr, nullptr); }
    Captured captured;
};

TEST_F(OrbKitLog, FormatsTheLineForTheSink) {
    EXPECT_EQ(err(32, "KEL%s : Fail to open %s", "NF Fire Alarm System", "COM7"), 0);
    EXPECT_EQ(captured.level, 32);
    EXPECT_EQ(captured.lines, std::vector<std::string>{"KELNF Fire Alarm System : Fail to open COM7"});
}

TEST_F(OrbKitLog, LongLinesAreCutAndNullFormatsGiveEmptyLines) {
    const std::string longText(5000, 'x');
    err(32, "%s", longText.c_str());
    err(32, nullptr);
    ASSERT_EQ(captured.lines.size(), 2u);
    EXPECT_EQ(captured.lines[0], std::string(ORBKIT_LINE_BYTES - 1, 'x'));
    EXPECT_EQ(captured.lines[1], "");
}

TEST(OrbKitDefaultSink, WritesTimestampedLinesToStderr) {
    ::testing::internal::CaptureStderr();
    err(32, "KelNF : ShutDown !");
    const std::string written = ::testing::internal::GetCapturedStderr();
    // "YYYY-MM-DD HH:MM:SS.mmm [32] KelNF : ShutDown !\n"
    ASSERT_EQ(written.size(), 24u + 5u + 18u + 1u) << written;
    EXPECT_EQ(written.substr(4, 1), "-");
    EXPECT_EQ(written.substr(19, 1), ".");
    EXPECT_EQ(written.substr(23), " [32] KelNF : ShutDown !\n");
}

} // namespace
