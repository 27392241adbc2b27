#include "ShiftJis.h"

#include "Sjis.h"

#include <gtest/gtest.h>

namespace {

const size_t npos = CShiftJis::npos;

TEST(ShiftJisBytes, LeadByteRanges)
{
    const struct
    {
        unsigned char byte;
        bool lead;
    } cases[] = {
        {0x00, false}, {0x41, false}, {0x5C, false}, {0x7F, false}, {0x80, false},
        {0x81, true},  {0x9F, true},  {0xA0, false}, {0xB1, false}, {0xDF, false},
        {0xE0, true},  {0xFC, true},  {0xFD, false}, {0xFF, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lead, CShiftJis::IsLeadByte(c.byte)) << int(c.byte);
}

TEST(ShiftJisBytes, CharLengthAndBoundaries)
{
    const std::string s = Sjis("a表ｱソ"); // 61 | 95 5C | B1 | 83 5C
    ASSERT_EQ(6u, s.size());
    EXPECT_EQ(1u, CShiftJis::CharLength(s, 0));
    EXPECT_EQ(2u, CShiftJis::CharLength(s, 1));
    EXPECT_EQ(1u, CShiftJis::CharLength(s, 3)); // half-width katakana is one byte
    EXPECT_EQ(2u, CShiftJis::CharLength(s, 4));
    const bool boundary[] = {true, true, false, true, true, false, true};
    for (size_t i = 0; i <= s.size(); ++i)
        EXPECT_EQ(boundary[i], CShiftJis::IsCharBoundary(s, i)) << i;
    EXPECT_FALSE(CShiftJis::IsCharBoundary(s, 7));

    // A lead byte at the end, or before a byte that cannot be a trail byte,
    // stands alone.
    EXPECT_EQ(1u, CShiftJis::CharLength("a\x81", 1));
    EXPECT_EQ(1u, CShiftJis::CharLength("\x81<", 0));
    EXPECT_EQ(1u, CShiftJis::CharLength("\x81,", 0));
    EXPECT_EQ(1u, CShiftJis::CharLength("\x81\x7F", 0));
    EXPECT_EQ(1u, CShiftJis::CharLength("\x81\xFD", 0));
    EXPECT_EQ(2u, CShiftJis::CharLength("\x81\x40", 0));
    EXPECT_EQ(2u, CShiftJis::CharLength("\x81\x80", 0));
}

TEST(ShiftJisConversion, RoundTrip)
{
    // Kanji, kana, half-width kana, the wave dash and a circled number of
    // code page 932, and ASCII.
    const std::string utf8 = "日本語 ひらがな ｶﾀｶﾅ ～ ① ABC\\|";
    std::string sjis, back, error;
    ASSERT_TRUE(CShiftJis::FromUtf8(utf8, sjis, &error)) << error;
    EXPECT_EQ("\x93\xFA\x96\x7B\x8C\xEA", sjis.substr(0, 6));
    ASSERT_TRUE(CShiftJis::ToUtf8(sjis, back, &error)) << error;
    EXPECT_EQ(utf8, back);

    EXPECT_TRUE(CShiftJis::FromUtf8("", sjis));
    EXPECT_EQ("", sjis);
    EXPECT_TRUE(CShiftJis::ToUtf8("", back));
    EXPECT_EQ("", back);
}

TEST(ShiftJisConversion, NamesTheCharacterThatHasNoShiftJisForm)
{
    const struct
    {
        std::string utf8;
        std::string named;
    } cases[] = {
        {"吉田の𠮷", "「𠮷」 (U+20BB7)"},
        {"顔😀", "「😀」 (U+1F600)"},
        {"ok\xC3\xA9", "「é」 (U+00E9)"},
    };
    for (const auto& c : cases) {
        std::string out = "stale", error;
        EXPECT_FALSE(CShiftJis::FromUtf8(c.utf8, out, &error));
        EXPECT_EQ("", out);
        EXPECT_EQ(c.named, error);
        EXPECT_FALSE(CShiftJis::FromUtf8(c.utf8, out)); // no error text wanted
    }
}

TEST(ShiftJisConversion, InvalidShiftJis)
{
    std::string out = "stale", error;
    EXPECT_FALSE(CShiftJis::ToUtf8("ab\x81", out, &error)); // cut-off character
    EXPECT_EQ("", out);
    EXPECT_NE(std::string::npos, error.find("offset 2")) << error;

    EXPECT_EQ("ab\xEF\xBF\xBD", CShiftJis::ToUtf8Lossy("ab\x81"));
    EXPECT_EQ("\xE8\xA1\xA8", CShiftJis::ToUtf8Lossy("\x95\x5C")); // 表
    EXPECT_EQ("x\xEF\xBF\xBD"
              "y",
              CShiftJis::ToUtf8Lossy("x\xFFy"));
}

TEST(ShiftJisSearch, NeverMatchesOnATrailByte)
{
    const std::string ya = Sjis("ャA");               // 83 83 41
    EXPECT_EQ(npos, CShiftJis::Find(ya, Sjis("ア"))); // ア = 83 41
    EXPECT_EQ(2u, CShiftJis::Find(ya, "A"));
    EXPECT_EQ(npos, CShiftJis::Find(Sjis("ア"), "A"));

    const std::string path = Sjis("年表\\ソ\\x"); // 94 4E 95 5C 5C 83 5C 5C 78
    EXPECT_EQ(4u, CShiftJis::FindChar(path, '\\'));
    EXPECT_EQ(7u, CShiftJis::FindChar(path, '\\', 5));
    EXPECT_EQ(7u, CShiftJis::FindLastChar(path, '\\'));
    EXPECT_EQ(npos, CShiftJis::FindChar(Sjis("表ソ"), '\\'));
    EXPECT_EQ(npos, CShiftJis::FindLastChar(Sjis("表ソ"), '\\'));
    EXPECT_EQ(npos, CShiftJis::FindChar(Sjis("年"), 'N'));

    // A start inside a character moves on to the next character.
    EXPECT_EQ(4u, CShiftJis::FindChar(path, '\\', 3));
    EXPECT_EQ(npos, CShiftJis::Find(Sjis("表表"), "\x5C\x95", 0));
    EXPECT_EQ(2u, CShiftJis::Find(Sjis("表表"), Sjis("表"), 1));

    EXPECT_EQ(3u, CShiftJis::Find("abc", "", 3));
    EXPECT_EQ(npos, CShiftJis::Find("abc", "", 4));
    EXPECT_EQ(npos, CShiftJis::Find("ab", "abc"));
    EXPECT_EQ(npos, CShiftJis::FindChar("abc", 'a', 10));
}

TEST(ShiftJisSearch, ReplaceAll)
{
    EXPECT_EQ(Sjis("年表/ソ/x"), CShiftJis::ReplaceAll(Sjis("年表\\ソ\\x"), "\\", "/"));
    EXPECT_EQ(Sjis("ャB"), CShiftJis::ReplaceAll(Sjis("ャA"), "A", "B"));
    EXPECT_EQ("xx-xx-", CShiftJis::ReplaceAll("a-a-", "a", "xx"));
    EXPECT_EQ("aaa", CShiftJis::ReplaceAll("aaa", "", "x"));
    EXPECT_EQ("ba", CShiftJis::ReplaceAll("aaa", "aa", "b"));
}

TEST(ShiftJisCase, LeavesTrailBytesAlone)
{
    // ア = 83 41 ('A'), ッ = 83 62 ('b'), 年 = 94 4E ('N').
    const std::string text = Sjis("Aア b ッ 年Z");
    EXPECT_EQ(Sjis("aア b ッ 年z"), CShiftJis::ToLowerAscii(text));
    EXPECT_EQ(Sjis("Aア B ッ 年Z"), CShiftJis::ToUpperAscii(text));
    EXPECT_EQ("abc@[`{", CShiftJis::ToLowerAscii("ABC@[`{"));
    EXPECT_EQ("ABC@[`{", CShiftJis::ToUpperAscii("abc@[`{"));
    EXPECT_EQ(Sjis("ｱｲｳ"), CShiftJis::ToLowerAscii(Sjis("ｱｲｳ")));
}

TEST(ShiftJisTruncate, NeverSplitsACharacter)
{
    const std::string s = Sjis("aあいう"); // 1 + 2 + 2 + 2 bytes
    const struct
    {
        size_t max;
        std::string expected;
    } cases[] = {
        {0, ""},
        {1, "a"},
        {2, "a"},
        {3, Sjis("aあ")},
        {4, Sjis("aあ")},
        {6, Sjis("aあい")},
        {7, Sjis("aあいう")},
        {100, Sjis("aあいう")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CShiftJis::Truncate(s, c.max)) << c.max;
    EXPECT_EQ("a\x81", CShiftJis::Truncate("a\x81", 2));
}

TEST(ShiftJisEscape, LineBreaks)
{
    EXPECT_EQ("a\\r\\nb", CShiftJis::EscapeLineBreaks("a\r\nb"));
    EXPECT_EQ("\\r\\n\\r\\n", CShiftJis::EscapeLineBreaks("\r\n\r\n"));
    EXPECT_EQ("a\r\nb", CShiftJis::UnescapeLineBreaks("a\\r\\nb"));
    EXPECT_EQ("", CShiftJis::EscapeLineBreaks(""));

    // 表 and ソ end in 5C: followed by the letters "r\n" they must not become
    // a line break, and followed by a real line break they must survive.
    for (const char* word : {"表", "ソ"}) {
        const std::string lookalike = Sjis(word) + "r\\n";
        EXPECT_EQ(lookalike, CShiftJis::UnescapeLineBreaks(lookalike)) << word;
        const std::string broken = Sjis(word) + "\r\n" + Sjis(word);
        const std::string escaped = CShiftJis::EscapeLineBreaks(broken);
        EXPECT_EQ(Sjis(word) + "\\r\\n" + Sjis(word), escaped) << word;
        EXPECT_EQ(broken, CShiftJis::UnescapeLineBreaks(escaped)) << word;
    }
}

} // namespace
