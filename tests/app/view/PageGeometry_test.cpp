// The printed pages in numbers: an A4 page at 1200 dots per inch (the
// printable area a PDF writer reports) and a 96 dpi screen.

#include "PageGeometry.h"
#include "PageLayout.h"

#include <gtest/gtest.h>

namespace {

SPrinterMetrics A4()
{
    SPrinterMetrics m;
    m.widthPixels = 9583;
    m.heightPixels = 13699;
    m.widthMm = 203;
    m.heightMm = 290;
    m.dpiX = m.dpiY = 1200;
    m.screenDpiX = m.screenDpiY = 96;
    return m;
}

SPageLayout Layout(bool fit, int top = 0, int bottom = 0, int left = 0, int right = 0)
{
    SPageLayout layout;
    layout.fitToRight = fit;
    layout.marginTop = top;
    layout.marginBottom = bottom;
    layout.marginLeft = left;
    layout.marginRight = right;
    return layout;
}

struct SGeometryCase
{
    const char* name;
    SPageLayout layout;
    int table;
    int offsets[4]; // left, top, right, bottom
    int usableHeight;
    int stripWidth;
    int across;
    QRect window2; // the window of page 2
    QRect viewport;
};

TEST(PageGeometryTest, MappingsOfBothScalings)
{
    const SGeometryCase cases[] = {
        // Fit: 650 view units (600 of table, 50 of year labels) span the page.
        {"fit, no margins", Layout(true), 600, {0, 0, 0, 0}, 929, 650, 1,
         QRect(0, 0, 650, 929), QRect(0, 0, 9583, 13699)},
        // 47 pixels a millimetre each way.
        {"fit, margins", Layout(true, 10, 20, 15, 5), 600, {705, 470, 235, 940}, 924, 650, 1,
         QRect(0, 0, 650, 924), QRect(705, 470, 8643, 12289)},
        // Fixed: a screen pixel is 1/96 inch, 766 of them across the page.
        {"fixed, narrow table", Layout(false), 600, {0, 0, 0, 0}, 1095, 766, 1,
         QRect(0, 0, 96, 96), QRect(0, 0, 1200, 1200)},
        {"fixed, wider than the paper", Layout(false), 1200, {0, 0, 0, 0}, 1095, 766, 2,
         QRect(766, 0, 96, 96), QRect(0, 0, 1200, 1200)},
        // With margins a strip is what lies between them.
        {"fixed, margins", Layout(false, 10, 20, 15, 5), 1200, {705, 470, 235, 940}, 983, 691, 2,
         QRect(691, 0, 96, 96), QRect(705, 470, 1200, 1200)},
    };
    for (const SGeometryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CPageGeometry g(A4(), c.layout, c.table, 50);
        EXPECT_EQ(g.PixelsPerMmX(), 47);
        EXPECT_EQ(g.PixelsPerMmY(), 47);
        EXPECT_EQ(g.LeftOffset(), c.offsets[0]);
        EXPECT_EQ(g.TopOffset(), c.offsets[1]);
        EXPECT_EQ(g.RightOffset(), c.offsets[2]);
        EXPECT_EQ(g.BottomOffset(), c.offsets[3]);
        EXPECT_EQ(g.PrintedWidth(), c.table + 50);
        EXPECT_EQ(g.UsableHeight(), c.usableHeight);
        EXPECT_EQ(g.StripWidth(), c.stripWidth);
        EXPECT_EQ(g.PagesAcross(), c.across);
        EXPECT_EQ(g.Window(2), c.window2);
        EXPECT_EQ(g.Viewport(), c.viewport);
    }
}

TEST(PageGeometryTest, BodyHeightAndPagesOfBothScalings)
{
    // Fit: 929 - 40 - 40 - 45 leaves 44 rows of 18.
    CPageGeometry fit(A4(), Layout(true), 600, 50);
    fit.SetBands(40, 40, 45, 18, 10000);
    EXPECT_EQ(fit.BodyHeight(), 792);
    EXPECT_EQ(fit.PageCount(), 13);
    EXPECT_EQ(fit.PageNumber(13), 13);

    // Fixed and two pages across: 53 rows, 11 bands, 22 pages; the two
    // strips of a band carry one number.
    CPageGeometry wide(A4(), Layout(false), 1200, 50);
    wide.SetBands(40, 40, 45, 18, 10000);
    EXPECT_EQ(wide.BodyHeight(), 954);
    EXPECT_EQ(wide.PageCount(), 22);
    const int64_t pages[] = {1, 2, 3, 22};
    const int strips[] = {0, 1, 0, 1};
    const int64_t numbers[] = {1, 1, 2, 11};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(wide.Strip(pages[i]), strips[i]) << pages[i];
        EXPECT_EQ(wide.PageNumber(pages[i]), numbers[i]) << pages[i];
    }
    // The second strip prints only as far as the table reaches.
    EXPECT_EQ(wide.PageArea(2), QRect(766, 0, 1250 - 766, 1095));

    // Without a year label column the table alone is printed.
    EXPECT_EQ(CPageGeometry(A4(), Layout(true), 600, 0).PrintedWidth(), 600);
}

TEST(PageGeometryTest, PagesTooSmallForTheBandsStillPrintEveryRow)
{
    // 280 mm of top margin leave 36 view units: one row a page rather than
    // none (which would never end).
    CPageGeometry g(A4(), Layout(true, 280), 600, 50);
    g.SetBands(40, 40, 45, 18, 100);
    EXPECT_EQ(g.BodyHeight(), 18);
    EXPECT_EQ(g.PageCount(), 6);

    // An empty table still gets its page (headers and column titles).
    CPageGeometry empty(A4(), Layout(true), 600, 50);
    empty.SetBands(0, 0, 45, 18, 0);
    EXPECT_EQ(empty.PageCount(), 1);
}

} // namespace
