#include "FontManager.h"
#include "RowInfoAll.h"
#include "Settings.h"

#include "Sjis.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QString>
#include <stdexcept>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    std::string Ini() const { return m_dir.File("annalux.ini"); }
    // Writes the INI file by hand, as a user or an older version left it.
    void WriteIni(const std::string& text) { TempDir::Write(Ini(), text); }

    TempDir m_dir;
};

} // namespace

TEST_F(SettingsTest, EmptyStoreGivesEveryDefault)
{
    CSettings s(Ini());
    EXPECT_TRUE(s.GetAssistantDisp());
    SWindowRect rect{1, 2, 3, 4};
    EXPECT_FALSE(s.GetLastPos(rect));
    EXPECT_EQ(rect, (SWindowRect{1, 2, 3, 4}));
    EXPECT_FALSE(s.GetLastSupplePos(rect));

    EXPECT_EQ(s.GetBackColor(), 0xFFFFFFu);
    EXPECT_EQ(s.GetBackColorEven(), 0xFFFFFFu);
    EXPECT_EQ(s.GetBackColorOdd(), 0xE0E0E0u);
    EXPECT_EQ(s.GetLinkColor(), 0xFF0000u);
    EXPECT_EQ(s.GetSupplementColor(), 0x0000FFu);
    EXPECT_EQ(s.GetAboutColor(), 0x808080u);
    EXPECT_EQ(s.GetEventMarkColor(), 0xFF0000u);
    for (int i = 0; i < CSettings::kCustomColorCount; ++i)
        EXPECT_EQ(s.GetCustColor(i), 0xFFFFFFu);
    EXPECT_EQ(s.GetHeaderColor(), 0u);
    EXPECT_EQ(s.GetFooterColor(), 0u);
    for (int i = 0; i < CFontManager::kSlotCount; ++i)
        EXPECT_EQ(s.GetFontColor(i), 0u);

    SLogFont font = SLogFont::PageDefaultFont();
    EXPECT_FALSE(s.GetFont("Font", font));
    EXPECT_FALSE(s.GetFont(CSettings::kPageFontHeader, font));
    EXPECT_EQ(font, SLogFont::PageDefaultFont());

    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        EXPECT_EQ(s.GetInitWidth(kind, 123), 123);
        EXPECT_FALSE(s.GetSameWidth(kind));
    }
    EXPECT_TRUE(s.GetDisplaySupplementMark());
    EXPECT_EQ(s.GetTextMargin(), 0);
    EXPECT_FALSE(s.GetCapital());
    EXPECT_TRUE(s.GetFitToRight());
    EXPECT_TRUE(s.GetSupplMark());
    EXPECT_TRUE(s.GetLinkMark());
    EXPECT_TRUE(s.GetDisplayYear());
    EXPECT_EQ(s.GetMarginTop(), 0);
    EXPECT_EQ(s.GetMarginBottom(), 0);
    EXPECT_EQ(s.GetMarginLeft(), 0);
    EXPECT_EQ(s.GetMarginRight(), 0);
    int code = 42;
    EXPECT_FALSE(s.GetPageLayoutItem(0, code));
    EXPECT_EQ(code, 42);
}

// A stored -1, or text that is no number, is the same as no value.
TEST_F(SettingsTest, MinusOneAndGarbageCountAsAbsent)
{
    WriteIni("[Colors]\nBackColor=-1\nBackColorOdd=oops\nLinkColor=255\nFontColor=-1\n"
             "[Assistant]\nDisp=-1\n"
             "[Supplement]\nDisplaySupplementMark=-1\n"
             "[PageLayout]\nFitToRight=-1\nMarginTop=-1\nPageLayout0=-1\nPageLayout1=3\n"
             "[LastPos]\nleft=10\ntop=20\nright=-1\nbottom=40\n"
             "[Font]\nlfHeight=-1\nlfWeight=700\n"
             "[Width]\nInitWidth_event=-1\nSameWidth_event=-1\n");
    CSettings s(Ini());
    EXPECT_EQ(s.GetBackColor(), 0xFFFFFFu);
    EXPECT_EQ(s.GetBackColorOdd(), 0xE0E0E0u);
    EXPECT_EQ(s.GetLinkColor(), 255u);
    EXPECT_EQ(s.GetFontColor(0), 0u);
    EXPECT_TRUE(s.GetAssistantDisp());
    EXPECT_TRUE(s.GetDisplaySupplementMark());
    EXPECT_TRUE(s.GetFitToRight());
    EXPECT_EQ(s.GetMarginTop(), 0);
    int code = 9;
    EXPECT_FALSE(s.GetPageLayoutItem(0, code));
    EXPECT_TRUE(s.GetPageLayoutItem(1, code));
    EXPECT_EQ(code, 3);
    SWindowRect rect;
    EXPECT_FALSE(s.GetLastPos(rect)); // one of the four is missing
    SLogFont font;
    EXPECT_FALSE(s.GetFont("Font", font));
    EXPECT_EQ(s.GetInitWidth(CK_EVENT, 500), 500);
    EXPECT_FALSE(s.GetSameWidth(CK_EVENT));
    EXPECT_FALSE(s.HasInt("Colors", "BackColor"));
    EXPECT_TRUE(s.Contains("Colors", "BackColor"));
}

TEST_F(SettingsTest, ZeroTurnsDefaultOnFlagsOff)
{
    WriteIni("[Assistant]\nDisp=0\n[Supplement]\nDisplaySupplementMark=0\n"
             "[PageLayout]\nFitToRight=0\nSupplMark=0\nLinkMark=2\nDisplayYear=0\n"
             "[Search]\nCapital=5\n");
    CSettings s(Ini());
    EXPECT_FALSE(s.GetAssistantDisp());
    EXPECT_FALSE(s.GetDisplaySupplementMark());
    EXPECT_FALSE(s.GetFitToRight());
    EXPECT_FALSE(s.GetSupplMark());
    EXPECT_TRUE(s.GetLinkMark());
    EXPECT_FALSE(s.GetDisplayYear());
    EXPECT_TRUE(s.GetCapital());
}

TEST_F(SettingsTest, ValuesRoundTripThroughTheFile)
{
    {
        CSettings s(Ini());
        s.SetAssistantDisp(false);
        s.SetLastPos({-5, 0, 800, 600}); // a window partly off screen
        s.SetLastSupplePos({1, 2, 3, 4});
        s.SetBackColor(0x010203);
        s.SetBackColorEven(0);
        s.SetBackColorOdd(0x0A0B0C);
        s.SetLinkColor(0x111111);
        s.SetSupplementColor(0x222222);
        s.SetAboutColor(0x333333);
        s.SetEventMarkColor(0x444444);
        for (int i = 0; i < CSettings::kCustomColorCount; ++i)
            s.SetCustColor(i, 0x100 * i);
        s.SetHeaderColor(0x55);
        s.SetFooterColor(0x66);
        for (int i = 0; i < CFontManager::kSlotCount; ++i)
            s.SetFontColor(i, 0x70 + i);
        s.SetInitWidth(CK_ERA, 77);
        s.SetSameWidth(CK_ERA, true);
        s.SetDisplaySupplementMark(false);
        s.SetTextMargin(4);
        s.SetCapital(true);
        s.SetFitToRight(false);
        s.SetSupplMark(false);
        s.SetLinkMark(false);
        s.SetDisplayYear(false);
        s.SetMarginTop(1);
        s.SetMarginBottom(2);
        s.SetMarginLeft(3);
        s.SetMarginRight(4);
        for (int i = 0; i < CSettings::kPageLayoutSlots; ++i)
            s.SetPageLayoutItem(i, 5 - i);
        s.SetBinary("Misc", "Blob", QByteArray("\x00\xFF\x01", 3));
        s.SetString("Misc", "Text", "年表");
        ASSERT_TRUE(s.Sync());
    }
    CSettings s(Ini());
    EXPECT_FALSE(s.GetAssistantDisp());
    SWindowRect rect;
    ASSERT_TRUE(s.GetLastPos(rect));
    EXPECT_EQ(rect, (SWindowRect{-5, 0, 800, 600}));
    ASSERT_TRUE(s.GetLastSupplePos(rect));
    EXPECT_EQ(rect, (SWindowRect{1, 2, 3, 4}));
    EXPECT_EQ(s.GetBackColor(), 0x010203u);
    EXPECT_EQ(s.GetBackColorEven(), 0u);
    EXPECT_EQ(s.GetBackColorOdd(), 0x0A0B0Cu);
    EXPECT_EQ(s.GetLinkColor(), 0x111111u);
    EXPECT_EQ(s.GetSupplementColor(), 0x222222u);
    EXPECT_EQ(s.GetAboutColor(), 0x333333u);
    EXPECT_EQ(s.GetEventMarkColor(), 0x444444u);
    for (int i = 0; i < CSettings::kCustomColorCount; ++i)
        EXPECT_EQ(s.GetCustColor(i), 0x100u * i);
    EXPECT_EQ(s.GetHeaderColor(), 0x55u);
    EXPECT_EQ(s.GetFooterColor(), 0x66u);
    for (int i = 0; i < CFontManager::kSlotCount; ++i)
        EXPECT_EQ(s.GetFontColor(i), 0x70u + i);
    EXPECT_EQ(s.GetInitWidth(CK_ERA, 50), 77);
    EXPECT_TRUE(s.GetSameWidth(CK_ERA));
    EXPECT_FALSE(s.GetDisplaySupplementMark());
    EXPECT_EQ(s.GetTextMargin(), 4);
    EXPECT_TRUE(s.GetCapital());
    EXPECT_FALSE(s.GetFitToRight());
    EXPECT_FALSE(s.GetSupplMark());
    EXPECT_FALSE(s.GetLinkMark());
    EXPECT_FALSE(s.GetDisplayYear());
    EXPECT_EQ(s.GetMarginTop(), 1);
    EXPECT_EQ(s.GetMarginBottom(), 2);
    EXPECT_EQ(s.GetMarginLeft(), 3);
    EXPECT_EQ(s.GetMarginRight(), 4);
    for (int i = 0; i < CSettings::kPageLayoutSlots; ++i) {
        int code = -7;
        EXPECT_TRUE(s.GetPageLayoutItem(i, code));
        EXPECT_EQ(code, 5 - i);
    }
    EXPECT_EQ(s.GetBinary("Misc", "Blob"), QByteArray("\x00\xFF\x01", 3));
    EXPECT_EQ(s.GetString("Misc", "Text"), "年表");
}

TEST_F(SettingsTest, KeysAreStoredUnderTheirSections)
{
    {
        CSettings s(Ini());
        s.SetBackColorOdd(1);
        s.SetCustColor(15, 2);
        s.SetInitWidth(CK_BASEYEAR, 3);
        s.SetSameWidth(CK_YEAR, true);
        s.SetTextMargin(6);
        s.SetPageLayoutItem(5, 4);
        s.SetLastPos({7, 8, 9, 10});
        s.SetFont("FontBaseSupportYear", SLogFont::PageDefaultFont());
        ASSERT_TRUE(s.Sync());
    }
    const std::string ini = TempDir::Read(Ini());
    for (const char* needle :
         {"[Colors]", "BackColorOdd=1", "CustColor15=2", "[Width]", "InitWidth_baseyear=3",
          "SameWidth_year=1", "[Display]", "TextMargin=6", "[PageLayout]", "PageLayout5=4",
          "[LastPos]", "left=7", "bottom=10", "[FontBaseSupportYear]", "lfHeight=-15",
          "lfPitchAndFamily=2"}) {
        EXPECT_NE(ini.find(needle), std::string::npos) << needle << "\n" << ini;
    }
}

TEST_F(SettingsTest, FontsRoundTripWithTheirFaceNames)
{
    SLogFont f = SLogFont::PageDefaultFont();
    f.lfItalic = 1;
    f.lfEscapement = -900;
    f.lfQuality = 5;
    {
        CSettings s(Ini());
        s.SetFont("FontGengou", f);
        SLogFont longName;
        longName.lfHeight = 12;
        longName.SetFaceName(std::string(31, 'N'));
        s.SetFont("FontEra", longName);
        ASSERT_TRUE(s.Sync());
    }
    CSettings s(Ini());
    SLogFont back;
    ASSERT_TRUE(s.GetFont("FontGengou", back));
    EXPECT_EQ(back, f);
    EXPECT_EQ(s.GetString("FontGengou", "lfFaceName"), "ＭＳ Ｐゴシック");
    ASSERT_TRUE(s.GetFont("FontEra", back));
    EXPECT_EQ(back.GetFaceName(), std::string(31, 'N'));
}

TEST_F(SettingsTest, OverlongOrOddFontValuesAreCutToTheRecord)
{
    WriteIni("[Font]\nlfHeight=-20\nlfItalic=257\nlfFaceName=" + std::string(40, 'W') +
             "\n[FontEra]\nlfHeight=11\nlfFaceName=\xE6\xBC\xA2\xE5\xAD\x97\xF0\x9F\x98\x80\n");
    CSettings s(Ini());
    SLogFont f;
    ASSERT_TRUE(s.GetFont("Font", f));
    EXPECT_EQ(f.lfHeight, -20);
    EXPECT_EQ(f.lfWidth, 0);
    EXPECT_EQ(f.lfItalic, 1); // the byte field keeps the low byte
    EXPECT_EQ(f.GetFaceName(), std::string(31, 'W'));
    // A name Shift-JIS cannot hold leaves the face empty instead of failing.
    ASSERT_TRUE(s.GetFont("FontEra", f));
    EXPECT_EQ(f.lfHeight, 11);
    EXPECT_EQ(f.GetFaceName(), "");
}

TEST_F(SettingsTest, NegativeTextMarginIsTreatedAsNone)
{
    WriteIni("[Display]\nTextMargin=-30\n");
    CSettings s(Ini());
    EXPECT_EQ(s.GetTextMargin(), 0);
}

TEST_F(SettingsTest, IndexesOutsideTheirRangesThrow)
{
    CSettings s(Ini());
    EXPECT_THROW(s.GetCustColor(16), std::out_of_range);
    EXPECT_THROW(s.SetCustColor(-1, 0), std::out_of_range);
    int code = 0;
    EXPECT_THROW(s.GetPageLayoutItem(6, code), std::out_of_range);
    EXPECT_THROW(s.GetFontColor(7), std::out_of_range);
    EXPECT_THROW(s.GetInitWidth(5, 0), std::out_of_range);
}

TEST_F(SettingsTest, ScopeInstallsAndRestoresTheSettingsInForce)
{
    // Never asks for the user's own settings, so nothing outside the
    // temporary folder is touched.
    CSettings mine(Ini());
    CSettings other(m_dir.File("other.ini"));
    CSettingsScope outer(mine);
    EXPECT_EQ(&CSettings::Get(), &mine);
    {
        CSettingsScope inner(other);
        EXPECT_EQ(&CSettings::Get(), &other);
        CSettings::Get().SetTextMargin(3);
    }
    EXPECT_EQ(&CSettings::Get(), &mine);
    EXPECT_EQ(other.GetTextMargin(), 3);
    EXPECT_EQ(mine.GetTextMargin(), 0);
}

TEST_F(SettingsTest, ColumnDefaultsLoadAndSave)
{
    WriteIni("[Width]\nInitWidth_year=60\nInitWidth_gengou=-1\nInitWidth_baseyear=0\n"
             "InitWidth_era=20000\nInitWidth_event=640\nSameWidth_event=1\nSameWidth_era=0\n");
    CSettings s(Ini());
    CRowInfoAll info;
    info.Set(CK_GENGOU, 99, true); // overwritten by the load
    info.LoadFromSettings(s);
    EXPECT_EQ(info.GetWidth(CK_YEAR), 60);
    EXPECT_EQ(info.GetWidth(CK_GENGOU), 64);   // -1: absent
    EXPECT_EQ(info.GetWidth(CK_BASEYEAR), 50); // widths outside 1..10000 are not taken
    EXPECT_EQ(info.GetWidth(CK_ERA), 80);
    EXPECT_EQ(info.GetWidth(CK_EVENT), 640);
    EXPECT_FALSE(info.GetSameWidth(CK_GENGOU));
    EXPECT_TRUE(info.GetSameWidth(CK_EVENT));

    info.Set(CK_ERA, 10000, true);
    info.SaveToSettings(s);
    ASSERT_TRUE(s.Sync());
    CSettings again(Ini());
    CRowInfoAll back;
    back.LoadFromSettings(again);
    EXPECT_TRUE(back == info);
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        EXPECT_TRUE(again.HasInt("Width", CRowInfoAll::InitWidthKey(kind).c_str()));
        EXPECT_TRUE(again.HasInt("Width", CRowInfoAll::SameWidthKey(kind).c_str()));
    }
}

TEST_F(SettingsTest, FontDefaultsWithoutSectionsAreSystemFontsInBlack)
{
    WriteIni("[Colors]\nFontEraColor=255\n[FontWestern]\nlfHeight=-9\nlfFaceName=Serif\n");
    CSettings s(Ini());
    CFontManager m;
    m.SetAllColors(0x123456);
    m.ApplyZoom(200);
    m.LoadDefaults(s);
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        if (i == CFontManager::FS_WESTERN) {
            EXPECT_EQ(m.GetFont(i).lfHeight, -9);
            EXPECT_EQ(m.GetFont(i).GetFaceName(), "Serif");
            EXPECT_EQ(m.GetShownFont(i).lfHeight, -18); // the zoom stays
        } else {
            EXPECT_EQ(m.GetFont(i), SLogFont::SystemFont());
        }
        EXPECT_EQ(m.GetColor(i), i == CFontManager::FS_ERA ? 255u : 0u);
    }

    m.SetFont(CFontManager::FS_HEADER, SLogFont::PageDefaultFont());
    m.SetColor(CFontManager::FS_HEADER, 0xAA);
    m.SaveDefaults(s);
    ASSERT_TRUE(s.Sync());
    CSettings again(Ini());
    CFontManager back;
    back.LoadDefaults(again);
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        EXPECT_EQ(back.GetFont(i), m.GetFont(i));
        EXPECT_EQ(back.GetColor(i), m.GetColor(i));
    }
}
