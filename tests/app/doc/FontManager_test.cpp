#include "Archive.h"
#include "FontManager.h"
#include "LogFont.h"
#include "ScriptedHostServices.h"

#include "Sjis.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <stdexcept>

namespace {

SLogFont Font(int height, const std::string& faceUtf8, uint8_t outPrecision = 0)
{
    SLogFont f;
    f.lfHeight = height;
    f.lfWidth = 3;
    f.lfEscapement = -900;
    f.lfOrientation = 900;
    f.lfWeight = 700;
    f.lfItalic = 1;
    f.lfUnderline = 1;
    f.lfStrikeOut = 0;
    f.lfCharSet = 128;
    f.lfOutPrecision = outPrecision;
    f.lfClipPrecision = 2;
    f.lfQuality = 1;
    f.lfPitchAndFamily = 0x31;
    f.SetFaceName(Sjis(faceUtf8));
    return f;
}

std::string Le32(int32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

} // namespace

TEST(LogFont, ArchiveLayoutIsExact)
{
    const SLogFont f = Font(-16, "ab");
    CArchive out;
    f.Write(out);
    std::string expected = Le32(-16) + Le32(3) + Le32(-900) + Le32(900) + Le32(700);
    expected += std::string("\x01\x01\x00\x80\x00\x02\x01\x31", 8);
    expected += Le32(3) + std::string("ab\0", 3);
    EXPECT_EQ(out.GetBuffer(), expected);
}

TEST(LogFont, FaceNamesUpToThirtyOneBytesRoundTrip)
{
    for (const std::string& face :
         {std::string(), std::string("MS Mincho"), std::string(31, 'F'), Sjis("ＭＳ Ｐゴシック"),
          Sjis("あいうえおかきくけこさしすせそ") + "X"}) {
        SLogFont f = Font(-12, "");
        f.SetFaceName(face);
        ASSERT_EQ(f.GetFaceName(), face);
        CArchive out;
        f.Write(out);
        CArchive in(out.GetBuffer());
        SLogFont back;
        ASSERT_TRUE(back.Read(in));
        EXPECT_EQ(back, f);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(LogFont, SetFaceNameTruncatesWithoutSplittingACharacter)
{
    SLogFont f;
    f.SetFaceName(std::string(40, 'x'));
    EXPECT_EQ(f.GetFaceName(), std::string(31, 'x'));
    EXPECT_EQ(f.lfFaceName[31], '\0');
    // 15 double-byte characters = 30 bytes, a 16th would end at byte 32.
    const std::string kana = Sjis("あいうえおかきくけこさしすせそた");
    f.SetFaceName(kana);
    EXPECT_EQ(f.GetFaceName(), kana.substr(0, 30));
    f.SetFaceName(std::string("ab\0cd", 5));
    EXPECT_EQ(f.GetFaceName(), "ab");
}

// A face-name field longer than the record is consumed (the stream stays in
// step) but only 31 bytes are kept; counts that cannot be right fail.
TEST(LogFont, OversizedOrBrokenFaceFieldsNeverOverrunTheRecord)
{
    const std::string head =
        Le32(-12) + Le32(0) + Le32(0) + Le32(0) + Le32(400) + std::string(8, '\0');
    {
        CArchive in(head + Le32(41) + std::string(40, 'L') + std::string(1, '\0') + Le32(99));
        SLogFont f;
        ASSERT_TRUE(f.Read(in));
        EXPECT_EQ(f.GetFaceName(), std::string(31, 'L'));
        int32_t next = 0;
        EXPECT_TRUE(in.ReadInt32(next));
        EXPECT_EQ(next, 99);
    }
    {
        // No terminating zero inside the field.
        CArchive in(head + Le32(4) + "abcd");
        SLogFont f;
        ASSERT_TRUE(f.Read(in));
        EXPECT_EQ(f.GetFaceName(), "abcd");
    }
    {
        CArchive in(head + Le32(0));
        SLogFont f;
        ASSERT_TRUE(f.Read(in));
        EXPECT_EQ(f.GetFaceName(), "");
    }
    for (int32_t n : {-1, INT_MIN, INT_MAX, 1000}) {
        CArchive in(head + Le32(n) + "abc");
        SLogFont f = Font(5, "keep");
        EXPECT_FALSE(f.Read(in)) << n;
        EXPECT_TRUE(in.Failed());
        EXPECT_EQ(f, Font(5, "keep")) << "unchanged on failure";
    }
}

TEST(LogFont, BuiltInFonts)
{
    const SLogFont page = SLogFont::PageDefaultFont();
    EXPECT_EQ(page.lfHeight, -15);
    EXPECT_EQ(page.lfWeight, 400);
    EXPECT_EQ(page.lfCharSet, 128);
    EXPECT_EQ(page.lfPitchAndFamily, 2);
    EXPECT_EQ(page.GetFaceName(), Sjis("ＭＳ Ｐゴシック"));
    EXPECT_FALSE(SLogFont::SystemFont().GetFaceName().empty());
}

TEST(FontManager, StartsWithSystemFontsAndBlackText)
{
    CFontManager m;
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        EXPECT_EQ(m.GetFont(i), SLogFont::SystemFont());
        EXPECT_EQ(m.GetShownFont(i), SLogFont::SystemFont());
        EXPECT_EQ(m.GetColor(i), 0u);
    }
    EXPECT_EQ(m.GetZoom(), 100);
    EXPECT_THROW(m.GetFont(7), std::out_of_range);
    EXPECT_THROW(m.SetColor(-1, 0), std::out_of_range);
}

TEST(FontManager, KeysOfTheSevenSlots)
{
    const char* const fonts[] = {"Font",          "FontGengou",   "FontEra",
                                 "FontWestern",   "FontBaseYear", "FontBaseSupportYear",
                                 "FontBaseHeader"};
    const char* const colors[] = {"FontColor",        "FontGengouColor",   "FontEraColor",
                                  "FontWesternColor", "FontBaseYearColor", "FontSupportYearColor",
                                  "FontHeaderColor"};
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        EXPECT_STREQ(CFontManager::FontKey(i), fonts[i]);
        EXPECT_STREQ(CFontManager::ColorKey(i), colors[i]);
    }
}

TEST(FontManager, ZoomScalesShownFontsAndKeepsBases)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CFontManager m;
    m.SetFont(0, Font(-15, "a"));
    m.SetFont(1, Font(20, "b"));
    m.SetFont(6, Font(-7, "h"));
    EXPECT_FALSE(m.ApplyZoom(150));
    EXPECT_EQ(m.GetShownFont(0).lfHeight, -22); // truncation towards zero
    EXPECT_EQ(m.GetShownFont(1).lfHeight, 30);
    EXPECT_EQ(m.GetShownFont(6).lfHeight, -10);
    EXPECT_EQ(m.GetFont(0).lfHeight, -15);
    EXPECT_EQ(m.GetShownFont(0).GetFaceName(), "a");

    // A font set while zoomed follows the zoom at once.
    m.SetFont(2, Font(10, "c"));
    EXPECT_EQ(m.GetShownFont(2).lfHeight, 15);
    m.ApplyZoom(100);
    for (int i = 0; i < CFontManager::kSlotCount; ++i)
        EXPECT_EQ(m.GetShownFont(i), m.GetFont(i));
    EXPECT_FALSE(m.ApplyZoom(0));
    EXPECT_EQ(m.GetZoom(), 100);
    EXPECT_TRUE(host.Messages().empty());
}

TEST(FontManager, ZoomOfHugeHeightsSaturates)
{
    CFontManager m;
    m.SetFont(0, Font(INT_MAX, "a"));
    m.SetFont(1, Font(INT_MIN, "b"));
    m.ApplyZoom(300);
    EXPECT_EQ(m.GetShownFont(0).lfHeight, INT_MAX);
    EXPECT_EQ(m.GetShownFont(1).lfHeight, INT_MIN);
    EXPECT_EQ(m.GetRowHeight(), INT_MAX);
}

TEST(FontManager, BitmapFontWarnsOnceWhenZoomedAwayFrom100)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CFontManager m;
    m.SetFont(0, Font(-12, "raster", SLogFont::kOutStringPrecis));
    m.SetFont(3, Font(-12, "raster", SLogFont::kOutStringPrecis));
    EXPECT_FALSE(m.ApplyZoom(100));
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_TRUE(m.ApplyZoom(150));
    ASSERT_EQ(host.Messages().size(), 1u); // once, though two fonts are raster
    EXPECT_EQ(host.Messages()[0],
              "ビットマップフォントが指定されているため、ズーム指定しても文字の大き"
              "さは変わりません。\r\nズーム時に文字の大きさを連動させるには、MS明"
              "朝などのスケーラブルフォントを選択してください。");
}

TEST(FontManager, RowHeightIsTheLargestOfTheFirstFiveShownFonts)
{
    CFontManager m;
    m.SetAllFonts(Font(-10, "x"));
    m.SetFont(4, Font(-17, "y"));
    m.SetFont(5, Font(40, "margin")); // slots 5 and 6 do not count
    m.SetFont(6, Font(-50, "header"));
    EXPECT_EQ(m.GetRowHeight(), 17);
    m.ApplyZoom(200);
    EXPECT_EQ(m.GetRowHeight(), 34);
}

TEST(FontManager, MakeAllLikeEventCopiesFontAndColour)
{
    CFontManager m;
    m.SetFont(0, Font(-13, "ev"));
    m.SetColor(0, 0x123456);
    m.SetColor(3, 0xFF);
    m.MakeAllLikeEvent();
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        EXPECT_EQ(m.GetFont(i), Font(-13, "ev"));
        EXPECT_EQ(m.GetColor(i), 0x123456u);
    }
}

TEST(FontManager, ArchiveRoundTripWritesBaseFonts)
{
    CFontManager m;
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        m.SetFont(i, Font(-10 - i, std::string(31, static_cast<char>('a' + i))));
        m.SetColor(i, 0x010203u * (i + 1));
    }
    m.ApplyZoom(200);
    CArchive out;
    m.Write(out);

    CFontManager back;
    CArchive in(out.GetBuffer());
    ASSERT_TRUE(back.Read(in));
    EXPECT_TRUE(in.AtEnd());
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        EXPECT_EQ(back.GetFont(i), m.GetFont(i)); // unzoomed
        EXPECT_EQ(back.GetColor(i), m.GetColor(i));
    }
    EXPECT_EQ(back.GetShownFont(0).lfHeight, -10); // the reader's zoom is 100
}

TEST(FontManager, FailedReadLeavesTheManagerUnchanged)
{
    CFontManager m;
    for (int i = 0; i < CFontManager::kSlotCount; ++i)
        m.SetFont(i, Font(-20, "zz"));
    CArchive out;
    m.Write(out);
    const std::string full = out.GetBuffer();
    for (size_t cut = 0; cut < full.size(); cut += 7) {
        CFontManager target;
        target.SetColor(2, 0xABCDEF);
        const CFontManager before = target;
        CArchive in(full.substr(0, cut));
        ASSERT_FALSE(target.Read(in));
        ASSERT_TRUE(target == before) << "cut " << cut;
    }
}

TEST(FontManager, SingleRecordFormAppliesToEverySlot)
{
    CArchive out;
    Font(-14, "old").Write(out);
    out.WriteUInt32(0x00FF00);
    CFontManager m;
    CArchive in(out.GetBuffer());
    ASSERT_TRUE(m.ReadSingle(in));
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        EXPECT_EQ(m.GetFont(i), Font(-14, "old"));
        EXPECT_EQ(m.GetShownFont(i), Font(-14, "old"));
        EXPECT_EQ(m.GetColor(i), 0x00FF00u);
    }
    CArchive shortIn(out.GetBuffer().substr(0, out.GetBuffer().size() - 1));
    CFontManager untouched;
    EXPECT_FALSE(untouched.ReadSingle(shortIn));
    EXPECT_TRUE(untouched == CFontManager());
}
