// The page settings of printing: how they are read and stored, and what
// each header and footer item prints.

#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "PageLayout.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

class PageLayoutTest : public AppTest
{
protected:
    CSettings Ini(const std::string& text)
    {
        const std::string path = m_dir.File("page.ini");
        TempDir::Write(path, text);
        return CSettings(path);
    }
};

TEST_F(PageLayoutTest, SlotsAreTakenOnlyAsACompleteSetOfKnownItems)
{
    const SPageLayout defaults;
    EXPECT_EQ(std::vector<int>(defaults.items, defaults.items + 6),
              (std::vector<int>{0, 5, 1, 5, 4, 5}));

    struct SCase
    {
        const char* ini;
        std::vector<int> items;
    } cases[] = {
        {"[PageLayout]\nPageLayout0=4\nPageLayout1=3\nPageLayout2=2\nPageLayout3=1\n"
         "PageLayout4=0\nPageLayout5=5\n",
         {4, 3, 2, 1, 0, 5}},
        // One slot missing (or stored as -1): the defaults stay for all.
        {"[PageLayout]\nPageLayout0=4\nPageLayout1=3\nPageLayout2=2\nPageLayout4=0\n"
         "PageLayout5=5\n",
         {0, 5, 1, 5, 4, 5}},
        {"[PageLayout]\nPageLayout0=4\nPageLayout1=3\nPageLayout2=2\nPageLayout3=-1\n"
         "PageLayout4=0\nPageLayout5=5\n",
         {0, 5, 1, 5, 4, 5}},
        // A code no list has.
        {"[PageLayout]\nPageLayout0=9\nPageLayout1=3\nPageLayout2=2\nPageLayout3=1\n"
         "PageLayout4=0\nPageLayout5=5\n",
         {0, 5, 1, 5, 4, 5}},
    };
    for (const SCase& c : cases) {
        const SPageLayout layout = SPageLayout::Load(Ini(c.ini));
        EXPECT_EQ(std::vector<int>(layout.items, layout.items + 6), c.items) << c.ini;
    }
}

TEST_F(PageLayoutTest, PageSetupIsStoredAndEveryNewChronologyReadsIt)
{
    CAnnaluxDoc doc;
    EXPECT_EQ(doc.GetPageLayout(), SPageLayout());
    EXPECT_EQ(doc.GetHeaderFont(), SLogFont::PageDefaultFont());

    SPageLayout layout;
    layout.items[0] = SPageLayout::ItemNone;
    layout.items[5] = SPageLayout::ItemTime;
    layout.fitToRight = false;
    layout.linkMarks = false;
    layout.marginTop = 12;
    layout.marginRight = 7;
    layout.rightEdgeYears = false;
    SLogFont footer = SLogFont::PageDefaultFont();
    footer.lfHeight = -22;
    doc.SetPageSettings(layout, SLogFont::PageDefaultFont(), 0x0000FF, footer, 0x00FF00);
    EXPECT_FALSE(doc.IsModified());

    CSettings stored(m_settings.FileName().toStdString());
    EXPECT_EQ(SPageLayout::Load(stored), layout);
    EXPECT_EQ(stored.GetHeaderColor(), 0x0000FFu);
    EXPECT_EQ(stored.GetFooterColor(), 0x00FF00u);
    SLogFont read;
    ASSERT_TRUE(stored.GetFont(CSettings::kPageFontFooter, read));
    EXPECT_EQ(read.lfHeight, -22);

    CAnnaluxDoc second;
    EXPECT_EQ(second.GetPageLayout(), layout);
    EXPECT_EQ(second.GetFooterFont(), footer);
    EXPECT_EQ(second.GetFooterColor(), 0x00FF00u);
}

TEST(PageLayoutItemTest, PrintedTexts)
{
    const std::time_t now = 1700000000;
    EXPECT_EQ(SPageLayout::ItemText(0, "sample.anx", 1, now), "sample");
    EXPECT_EQ(SPageLayout::ItemText(0, "日本史.v2.anx", 1, now), "日本史.v2");
    EXPECT_EQ(SPageLayout::ItemText(0, "Annalux", 1, now), "");
    EXPECT_EQ(SPageLayout::ItemText(4, "x.anx", 12, now), "- 12 -");
    EXPECT_EQ(SPageLayout::ItemText(5, "x.anx", 1, now), "");
    const std::string both = SPageLayout::ItemText(1, "", 1, now);
    const std::string date = SPageLayout::ItemText(2, "", 1, now);
    const std::string time = SPageLayout::ItemText(3, "", 1, now);
    EXPECT_FALSE(date.empty());
    EXPECT_FALSE(time.empty());
    EXPECT_NE(date, time);
    EXPECT_GT(both.size(), time.size());
}

} // namespace
