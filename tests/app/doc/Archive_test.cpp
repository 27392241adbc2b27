#include "Archive.h"

#include "Sjis.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::string Bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

} // namespace

TEST(Archive, IntegersAreLittleEndianAndRoundTrip)
{
    CArchive out;
    out.WriteByte(0xAB);
    out.WriteInt16(-2);
    out.WriteUInt16(0x1234);
    out.WriteInt32(std::numeric_limits<int32_t>::min());
    out.WriteUInt32(0xDEADBEEF);
    out.WriteBool(true);
    out.WriteBool32(true);
    EXPECT_EQ(out.GetBuffer(), Bytes({0xAB, 0xFE, 0xFF, 0x34, 0x12, 0x00, 0x00, 0x00, 0x80, 0xEF,
                                      0xBE, 0xAD, 0xDE, 0x01, 0x01, 0x00, 0x00, 0x00}));

    CArchive in(out.GetBuffer());
    uint8_t b = 0;
    int16_t s = 0;
    uint16_t us = 0;
    int32_t i = 0;
    uint32_t u = 0;
    bool f1 = false, f2 = false;
    EXPECT_TRUE(in.ReadByte(b) && in.ReadInt16(s) && in.ReadUInt16(us) && in.ReadInt32(i) &&
                in.ReadUInt32(u) && in.ReadBool(f1) && in.ReadBool32(f2));
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(s, -2);
    EXPECT_EQ(us, 0x1234);
    EXPECT_EQ(i, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(u, 0xDEADBEEF);
    EXPECT_TRUE(f1);
    EXPECT_TRUE(f2);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_FALSE(in.Failed());
}

TEST(Archive, BooleansReadAnyNonZeroAsTrue)
{
    CArchive in(Bytes({0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00}));
    bool a = true, b = false, c = true, d = false;
    EXPECT_TRUE(in.ReadBool(a) && in.ReadBool(b));
    EXPECT_FALSE(a);
    EXPECT_TRUE(b);
    EXPECT_TRUE(in.ReadBool32(c));
    EXPECT_FALSE(c);
    EXPECT_FALSE(in.ReadBool32(d)); // only three bytes left
    EXPECT_EQ(in.GetError(), CArchive::AE_END_OF_DATA);
}

// Each length form is chosen by the thresholds 255, 0xFFFE and 0xFFFFFFFF.
TEST(Archive, StringLengthPrefixForms)
{
    struct Case
    {
        size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
        {0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {0x12345, Bytes({0xFF, 0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'x');
        CArchive out;
        out.WriteString(text);
        ASSERT_EQ(out.GetBuffer().size(), c.prefix.size() + c.length);
        EXPECT_EQ(out.GetBuffer().substr(0, c.prefix.size()), c.prefix);

        CArchive in(out.GetBuffer());
        std::string back;
        EXPECT_TRUE(in.ReadString(back));
        EXPECT_EQ(back, text);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(Archive, StringsKeepShiftJisBytesAndEmbeddedZeros)
{
    const std::string jp = Sjis("ここにこの年表の説明文を入れて下さい");
    const std::string withZero("a\0b", 3);
    CArchive out;
    out.WriteString(jp);
    out.WriteString(withZero);
    out.WriteString("");
    CArchive in(out.GetBuffer());
    std::string a, b, c = "junk";
    EXPECT_TRUE(in.ReadString(a) && in.ReadString(b) && in.ReadString(c));
    EXPECT_EQ(a, jp);
    EXPECT_EQ(b, withZero);
    EXPECT_EQ(c, "");
}

TEST(Archive, SixtyFourBitLengthIsReadAndChecked)
{
    // 0xFF 0xFFFF 0xFFFFFFFF then a 64-bit length of 3.
    CArchive in(
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c'}));
    std::string s;
    EXPECT_TRUE(in.ReadString(s));
    EXPECT_EQ(s, "abc");

    // A huge 64-bit length must fail without trying to allocate it.
    CArchive huge(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                         0xFF, 0xFF, 0x7F, 'a'}));
    EXPECT_FALSE(huge.ReadString(s));
    EXPECT_TRUE(huge.Failed());
    EXPECT_EQ(s, "");
}

TEST(Archive, WideStringsAreConvertedToShiftJis)
{
    struct Case
    {
        std::u16string wide;
        std::string expected;
    };
    const Case cases[] = {
        {u"", ""},
        {u"abc", "abc"},
        {u"元号と時代", Sjis("元号と時代")},
        {u"ＭＳ Ｐゴシック", Sjis("ＭＳ Ｐゴシック")},
        // No Shift-JIS form: only that character becomes '?'.
        {u"a\u00E9b", "a?b"},
        {u"x\U0001F600y", "x?y"},
        // A lone surrogate is not text either.
        {std::u16string(u"a") + char16_t(0xD800) + u"b", "a?b"},
        {std::u16string(300, u'漢'),
         [] {
             std::string s;
             for (int i = 0; i < 300; ++i)
                 s += Sjis("漢");
             return s;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.expected));
        CArchive out;
        out.WriteWideString(c.wide);
        out.WriteInt32(77); // the stream goes on correctly after the string
        CArchive in(out.GetBuffer());
        std::string back;
        int32_t after = 0;
        EXPECT_TRUE(in.ReadString(back));
        EXPECT_EQ(back, c.expected);
        EXPECT_TRUE(in.ReadInt32(after));
        EXPECT_EQ(after, 77);
    }
}

TEST(Archive, WideMarkerLayout)
{
    CArchive out;
    out.WriteWideString(u"A");
    EXPECT_EQ(out.GetBuffer(), Bytes({0xFF, 0xFE, 0xFF, 0x01, 0x41, 0x00}));
    CArchive longOut;
    longOut.WriteWideString(std::u16string(300, u'A'));
    EXPECT_EQ(longOut.GetBuffer().substr(0, 6), Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}));
    EXPECT_EQ(longOut.GetBuffer().size(), 6u + 600u);
}

// Cutting a valid stream at every offset must fail cleanly, never read past
// the end, and leave the failed archive failing.
TEST(Archive, TruncationAtEveryOffsetFailsCleanly)
{
    CArchive out;
    out.WriteInt32(10);
    out.WriteString(std::string(300, 'q'));
    out.WriteWideString(u"年表");
    out.WriteString(std::string(70000, 'z'));
    out.WriteInt16(5);
    const std::string full = out.GetBuffer();

    for (size_t cut = 0; cut < full.size(); ++cut) {
        // A heap copy of exactly cut bytes, so a sanitizer would see overreads.
        CArchive in(full.substr(0, cut));
        int32_t v = 0;
        std::string a, b, c;
        int16_t w = 0;
        const bool ok = in.ReadInt32(v) && in.ReadString(a) && in.ReadString(b) &&
                        in.ReadString(c) && in.ReadInt16(w);
        ASSERT_FALSE(ok) << "cut at " << cut;
        ASSERT_TRUE(in.Failed());
        ASSERT_LE(in.GetPosition(), cut);
        int32_t later = 1;
        ASSERT_FALSE(in.ReadInt32(later));
        ASSERT_EQ(later, 0);
    }
    CArchive whole(full);
    int32_t v = 0;
    std::string a, b, c;
    int16_t w = 0;
    EXPECT_TRUE(whole.ReadInt32(v) && whole.ReadString(a) && whole.ReadString(b) &&
                whole.ReadString(c) && whole.ReadInt16(w));
    EXPECT_EQ(b, Sjis("年表"));
    EXPECT_EQ(c.size(), 70000u);
}

TEST(Archive, LengthsLargerThanTheRestAreRejected)
{
    const std::string inputs[] = {
        Bytes({0x05, 'a', 'b'}),
        Bytes({0xFF, 0x00, 0x01}),
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
        Bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0x00, 'b'}), // wide: needs 4 bytes
        Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
    };
    for (const std::string& input : inputs) {
        CArchive in(input);
        std::string s = "junk";
        EXPECT_FALSE(in.ReadString(s));
        EXPECT_EQ(s, "");
        EXPECT_TRUE(in.Failed());
    }
}

TEST(Archive, ModeMisuseIsAnErrorNotACorruption)
{
    CArchive out;
    int32_t v = 5;
    EXPECT_FALSE(out.ReadInt32(v));
    EXPECT_EQ(out.GetError(), CArchive::AE_WRONG_MODE);

    CArchive in(Bytes({1, 0, 0, 0}));
    in.WriteInt32(9);
    EXPECT_EQ(in.GetBuffer(), Bytes({1, 0, 0, 0}));
    EXPECT_TRUE(in.Failed());
}

TEST(Archive, SetErrorKeepsTheFirstError)
{
    CArchive in(Bytes({1}));
    in.SetError(CArchive::AE_INVALID_DATA);
    in.SetError(CArchive::AE_END_OF_DATA);
    EXPECT_EQ(in.GetError(), CArchive::AE_INVALID_DATA);
    uint8_t b = 9;
    EXPECT_FALSE(in.ReadByte(b));
}
