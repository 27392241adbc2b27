#include "CsvLineBreakPass.h"

#include "Sjis.h"

#include <gtest/gtest.h>

namespace {

struct SPassCase
{
    const char* name;
    std::string csv;
    std::string expected;
};

class CsvLineBreakPassTest : public ::testing::TestWithParam<SPassCase>
{
};

TEST_P(CsvLineBreakPassTest, ConvertsWholeBuffer)
{
    EXPECT_EQ(CCsvLineBreakPass::Convert(GetParam().csv), GetParam().expected);
}

// The result must not depend on where the blocks of the input end: a CR, a
// lead byte or a quote may be the last byte of a block.
TEST_P(CsvLineBreakPassTest, SameResultFedByteByByte)
{
    const std::string& csv = GetParam().csv;
    CCsvLineBreakPass pass;
    std::string out;
    for (char c : csv)
        pass.Feed(&c, 1, out);
    pass.Finish(out);
    EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvLineBreakPassTest,
    ::testing::Values(
        SPassCase{"PlainLinesUnchanged", "a,b\r\nc,d\r\n", "a,b\r\nc,d\r\n"},
        SPassCase{"LfInQuotesEscaped", "1,\"x\ny\",2\n", "1,\"x\\r\\ny\",2\n"},
        SPassCase{"CrLfInQuotesIsOneEscape", "1,\"x\r\ny\"\r\n2\r\n", "1,\"x\\r\\ny\"\r\n2\r\n"},
        SPassCase{"LoneCrInQuotesKept", "\"a\rb\"\r\n", "\"a\rb\"\r\n"},
        SPassCase{"CrAtEndOfInputInQuotesKept", "\"a\r", "\"a\r"},
        SPassCase{"DoubledQuoteAtTextEndLeavesQuotes", "1,\"say \"\"hi\"\"\",x\r\n2,y\r\n",
                  "1,\"say \"\"hi\"\"\",x\r\n2,y\r\n"},
        SPassCase{"EmptyQuotedFieldAtLineEnd", "1,\"\"\r\n2,\"\"\r\n", "1,\"\"\r\n2,\"\"\r\n"},
        SPassCase{"SeveralBreaksInOneField", "\"a\r\n\r\nb\"\r\n", "\"a\\r\\n\\r\\nb\"\r\n"},
        // 表 is 0x95 0x5C: its trail byte is a backslash.
        SPassCase{"TrailByteBackslashSurvives", Sjis("\"表\n示\"\r\n"),
                  Sjis("\"表") + "\\r\\n" + Sjis("示\"\r\n")},
        // A lead byte before a quote (a broken or foreign encoding) must not
        // swallow the quote and turn the rest of the file into one field.
        SPassCase{"LeadByteBeforeQuoteDoesNotSwallowIt", "\"\x81\"\r\nx\r\n", "\"\x81\"\r\nx\r\n"}),
    [](const ::testing::TestParamInfo<SPassCase>& info) { return std::string(info.param.name); });

TEST(CsvLineBreakPass, QuotedStateCarriesAcrossBlocks)
{
    CCsvLineBreakPass pass;
    std::string out;
    pass.Feed("1,\"ab", 5, out);
    EXPECT_TRUE(pass.InQuotes());
    pass.Feed("\r", 1, out);
    pass.Feed("\ncd\"\r\n", 6, out);
    pass.Finish(out);
    EXPECT_FALSE(pass.InQuotes());
    EXPECT_EQ(out, "1,\"ab\\r\\ncd\"\r\n");
}

} // namespace
