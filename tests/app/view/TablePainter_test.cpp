// The painted table checked at known pixels: bands, range marks, supplement
// marks, links, the about colour, the column header and the overflow message.

#include "AnnaluxView.h"
#include "DataCoord.h"
#include "EventText.h"
#include "LogFontQt.h"
#include "ScriptedHostServices.h"
#include "Settings.h"
#include "TablePainter.h"
#include "TempDir.h"
#include "TestApplication.h"
#include "TextMeasurer.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

constexpr int R = 14;
constexpr int kYearWidth = 60;
constexpr int kEventLeft = kYearWidth;
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGrey(0x80, 0x80, 0x80);
const QColor kOdd(0xE0, 0xE0, 0xE0);

SEventData Event(int32_t year, const char* text, uint32_t flags = 0, const char* supplement = "")
{
    SEventData d;
    d.year = year;
    d.month = -1;
    d.day = -1;
    d.text = Sjis(text);
    d.rangeFlags = flags;
    d.supplement = Sjis(supplement);
    return d;
}

class TablePainterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        auto events = std::make_unique<CYearEvent>();
        events->SetData(Event(2000, "from", RANGE_FROM), true, -1, EP_EVERY);
        events->SetData(Event(2001, "note", 0, "more"), true, -1, EP_EVERY);
        events->SetData(Event(2002, "<A HREF=\"http://x\">LINKLINK</A> tail"), true, -1, EP_EVERY);
        events->SetData(Event(2003, "about", RANGE_ABOUT), true, -1, EP_EVERY);
        events->SetTableName(Sjis("出来事"));
        events->SetModified(false);
        viewtest::SetFonts(m_doc, R);
        m_doc.GetColumns().EnsureYearColumn(kYearWidth);
        m_table = m_doc.AddEventTable(std::move(events));
        m_doc.GetColumns().Insert(CK_EVENT, m_table, 1, 300);
        m_doc.SetScaleAccuracy(SLayoutSettings::NearlyExact);
    }

    QImage Render(CAnnaluxView& view)
    {
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.resize(500, 300);
        view.show();
        QApplication::processEvents();
        return view.RenderImage();
    }
    // Device y of a row of the data area, inside the rendered image.
    static int RowY(const CAnnaluxView& view, int row) { return view.HeaderHeight() + row * R; }

    static int CountColor(const QImage& image, const QRect& area, const QColor& color)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                n += QColor(image.pixel(x, y)) == color;
        }
        return n;
    }

    TempDir m_dir;
    CSettings m_settings{m_dir.File("settings.ini")};
    CSettingsScope m_settingsScope{m_settings};
    CScriptedHostServices m_host;
    CHostServicesScope m_hostScope{m_host};
    CAnnaluxDoc m_doc;
    CYearEvent* m_table = nullptr;
};

TEST_F(TablePainterTest, BandsAlternateByYearParity)
{
    CAnnaluxView view(&m_doc);
    const QImage image = Render(view);
    for (int row = 0; row < 4; ++row) {
        const QColor expected = (row % 2) ? kOdd : QColor(Qt::white);
        EXPECT_EQ(QColor(image.pixel(kYearWidth - 5, RowY(view, row) + R / 2)), expected) << row;
    }
    // Below the table: the plain background.
    EXPECT_EQ(QColor(image.pixel(kYearWidth - 5, RowY(view, 6))), QColor(Qt::white));
}

TEST_F(TablePainterTest, GridDrawsOneLineBetweenColumns)
{
    CAnnaluxView view(&m_doc);
    const QImage image = Render(view);
    const QColor grid(0xA0, 0xA0, 0xA0);
    const int y = RowY(view, 1) + R - 2; // below the supplement square of 2001
    EXPECT_EQ(QColor(image.pixel(0, y)), grid);
    EXPECT_EQ(QColor(image.pixel(kYearWidth - 1, y)), grid);
    EXPECT_NE(QColor(image.pixel(kYearWidth, y)), grid); // the event column's first pixel
    EXPECT_EQ(QColor(image.pixel(kYearWidth + 300 - 1, y)), grid);
}

TEST_F(TablePainterTest, GridLinesRunFromTheTopToTheClosingLineInclusive)
{
    CAnnaluxView view(&m_doc);
    const QImage image = Render(view);
    const QColor grid(0xA0, 0xA0, 0xA0);
    // The closing line under the last of the four rows spans the table.
    const int closing = RowY(view, 4);
    EXPECT_EQ(CountColor(image, QRect(0, closing, kYearWidth + 300, 1), grid), kYearWidth + 300);
    // Every edge is one unbroken line from the data top down to it, and
    // none reaches below it.
    for (const int x : {0, kYearWidth - 1, kYearWidth + 300 - 1}) {
        const int height = closing - view.HeaderHeight() + 1;
        EXPECT_EQ(CountColor(image, QRect(x, view.HeaderHeight(), 1, height), grid), height) << x;
        EXPECT_NE(QColor(image.pixel(x, closing + 1)), grid) << x;
    }
}

TEST_F(TablePainterTest, RangeMarkAboutColourAndSupplementSquare)
{
    CAnnaluxView view(&m_doc);
    const QImage image = Render(view);
    // から: the filled lower triangle, left of the centre line, in the mark colour.
    const int cy = RowY(view, 0) + R / 2;
    EXPECT_EQ(QColor(image.pixel(kEventLeft + 3, cy + 2)), kBlue);
    EXPECT_NE(QColor(image.pixel(kEventLeft + 3, RowY(view, 0) + 1)), kBlue); // upper half empty
    // The 5x5 supplement square in the row of 2001.
    EXPECT_EQ(CountColor(image, QRect(kEventLeft + 1, RowY(view, 1), 4, 5), kRed), 20);
    // 頃: hatched mark and grey text.
    EXPECT_EQ(QColor(image.pixel(kEventLeft + 1, RowY(view, 3))), kBlue);
    EXPECT_GT(CountColor(image, QRect(kEventLeft + 10, RowY(view, 3), 100, R), kGrey), 0);
}

TEST_F(TablePainterTest, LinksAreUnderlinedInTheLinkColourAndListedOnce)
{
    CAnnaluxView view(&m_doc);
    Render(view);
    view.viewport()->repaint();
    const QImage image = Render(view);
    if (const char* out = std::getenv("ANNALUX_VIEW_PNG"))
        image.save(QString::fromUtf8(out));
    ASSERT_EQ(view.GetLinkHits().Items().size(), 1u);
    const SViewHit& link = view.GetLinkHits().Items().front();
    EXPECT_EQ(link.target, "http://x");
    EXPECT_EQ(link.left, kEventLeft);
    EXPECT_EQ(link.top, RowY(view, 2));
    EXPECT_EQ(link.bottom, RowY(view, 3));
    EXPECT_GT(link.right, link.left + 20);
    // The underline: a run of link-coloured pixels on one line of the row.
    int longest = 0;
    for (int y = RowY(view, 2); y < RowY(view, 3); ++y) {
        longest = std::max(
            longest,
            CountColor(image, QRect(kEventLeft, y, int(link.right - link.left), 1), kBlue));
    }
    EXPECT_GT(longest, int(link.right - link.left) * 3 / 4);
    // " tail" is not a link.
    EXPECT_EQ(CountColor(image, QRect(int(link.right) + 2, RowY(view, 2), 60, R), kBlue), 0);
    ASSERT_EQ(view.GetSupplementHits().Items().size(), 1u);
    EXPECT_EQ(view.GetSupplementHits().Items().front().top, RowY(view, 1));
}

TEST_F(TablePainterTest, SupplementMarksOffLeaveNoSquareAndNoHitRectangle)
{
    CDataCoord coord;
    CFontMeasurer measurer(CLogFontQt::ToQFont(m_doc.GetFonts().GetShownFont(0)));
    coord.SetMeasurer(&measurer);
    SLayoutSettings settings = SLayoutSettings::FromDocument(m_doc);
    settings.supplementMarks = false;
    bool overflow = false;
    coord.Layout(settings, overflow);
    QImage image(400, 100, QImage::Format_RGB32);
    CHitList marks;
    {
        QPainter painter(&image);
        SPaintRequest request;
        request.doc = &m_doc;
        request.coord = &coord;
        request.clip = image.rect();
        request.supplementMarks = &marks;
        CTablePainter::Paint(painter, request);
    }
    EXPECT_EQ(CountColor(image, QRect(kEventLeft, R, 10, R), kRed), 0);
    EXPECT_TRUE(marks.Items().empty());
}

TEST_F(TablePainterTest, HeaderShowsTitlesAndMarksModifiedLibraries)
{
    CAnnaluxView view(&m_doc);
    QAbstractItemModel* model = view.HeaderWidget()->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("西暦"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("出来事"));
    EXPECT_EQ(view.HeaderWidget()->sectionSize(1), 300);
    m_table->SetModified(true);
    m_doc.Notify(CAnnaluxDoc::VN_REPAINT);
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("*出来事"));
}

TEST_F(TablePainterTest, ResizingAHeaderSectionResizesTheColumn)
{
    CAnnaluxView view(&m_doc);
    view.HeaderWidget()->resizeSection(0, 80);
    EXPECT_EQ(m_doc.GetColumns().GetWidth(0), 80);
    EXPECT_EQ(m_doc.GetColumns().GetLeft(1), 80);
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(TablePainterTest, OverflowIsReportedOnce)
{
    m_table->SetData(Event(-2000000000, "far"), true, -1, EP_EVERY);
    m_table->SetData(Event(2000000000, "far"), true, -1, EP_EVERY);
    m_doc.SetScaleAccuracy(SLayoutSettings::Exact);
    m_host.Clear();
    CAnnaluxView view(&m_doc);
    ASSERT_EQ(m_host.Messages().size(), 1u);
    EXPECT_EQ(m_host.Messages()[0].rfind("すべての項目を表示できません。\r\n", 0), 0u);
    EXPECT_NE(m_host.Records()[0].style & CHostServices::IconInformation, 0u);
    // What was placed stays drawable.
    EXPECT_GT(view.GetDataCoord().Table().EntryCount(), 0u);
}

TEST_F(TablePainterTest, ScrollingMapsTallTablesOntoTheScrollBar)
{
    // Exact mode over four billion years of buckets at scale 100: taller
    // than a scroll bar's int range.
    m_table->SetData(Event(-2000000000, "far"), true, -1, EP_EVERY);
    m_table->SetData(Event(2000000000, "far"), true, -1, EP_EVERY);
    m_doc.SetScaleYear(100);
    m_doc.SetScaleAccuracy(SLayoutSettings::NearlyExact);
    viewtest::SetFonts(m_doc, 40);
    m_host.Clear();
    CAnnaluxView view(&m_doc);
    Render(view);
    ASSERT_GT(view.ContentHeight(), int64_t{INT32_MAX} / 2);
    view.ScrollToYear(2000);
    EXPECT_EQ(view.TopYear(), 2000);
    view.ScrollToYear(2000000000);
    EXPECT_GT(view.ScrollY(), int64_t{1} << 24);
    EXPECT_LE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
}

TEST(TableLabelsTest, WesternAndEraLabels)
{
    EXPECT_EQ(CTablePainter::WesternLabel(1995, 10), QString::fromUtf8("1990代"));
    EXPECT_EQ(CTablePainter::WesternLabel(1995, 1), QStringLiteral("1995"));
    EXPECT_EQ(CTablePainter::WesternLabel(-5, 100), QString::fromUtf8("-100代"));
    // An era starting in -5: year -1 is its 5th, year 1 its 6th.
    EXPECT_EQ(CTablePainter::EraYear(-5, -1), 5);
    EXPECT_EQ(CTablePainter::EraYear(-5, 1), 6);
    EXPECT_EQ(CTablePainter::EraYear(1868, 1868), 1);
    EXPECT_EQ(CTablePainter::EraYear(INT32_MIN, INT32_MAX), 4294967295LL);
    // The era cell counts to the row's own year, not to its bucket's.
    const QString heisei = QString::fromUtf8("平成");
    EXPECT_EQ(CTablePainter::EraLabel(heisei, 1989, 1995, 10), QString::fromUtf8("平成7-"));
    EXPECT_EQ(CTablePainter::EraLabel(heisei, 1989, 1995, 1), QString::fromUtf8("平成7"));
    // Bucket -10 holds -15, which an era found for it may start after.
    EXPECT_EQ(CTablePainter::EraLabel(heisei, -12, -15, 10), QString::fromUtf8("平成1-"));
    EXPECT_EQ(CTablePainter::MarkOf(RANGE_FROM | RANGE_ABOUT | RANGE_OTHER_YEAR_ABOUT),
              CTablePainter::MarkFromAbout);
    EXPECT_EQ(CTablePainter::MarkOf(RANGE_FROM | RANGE_UNTIL), CTablePainter::MarkNone);
}

TEST(EventTextTest, LinkScannerKeepsVisibleTextAndPairsLinks)
{
    struct
    {
        const char* in;
        const char* visible;
        std::vector<std::tuple<size_t, size_t, std::string>> links;
    } cases[] = {
        {"plain", "plain", {}},
        {"a<A HREF=\"u\">bc</A>d", "abcd", {{1, 3, "u"}}},
        {"<a href=\"u\">x</a><b>y</b>", "xy", {{0, 1, "u"}}},
        {"<A HREF=\"u\">never closed", "never closed", {{0, 12, "u"}}},
        {"closing only</A>", "closing only", {}},
        {"<A HREF=\"u\">1<A HREF=\"v\">2</A>", "12", {{0, 1, "u"}, {1, 2, "v"}}},
        {"<A HREF=\"broken>text", "text", {}},
        {"<A HREF=\"u\"></A>empty", "empty", {}},
    };
    for (const auto& c : cases) {
        std::string visible;
        std::vector<CEventText::SByteLink> links;
        CEventText::ScanLinks(c.in, visible, links);
        EXPECT_EQ(visible, c.visible) << c.in;
        ASSERT_EQ(links.size(), c.links.size()) << c.in;
        for (size_t i = 0; i < links.size(); ++i) {
            EXPECT_EQ(links[i].start, std::get<0>(c.links[i])) << c.in;
            EXPECT_EQ(links[i].end, std::get<1>(c.links[i])) << c.in;
            EXPECT_EQ(links[i].target, std::get<2>(c.links[i])) << c.in;
        }
    }
    // Japanese text around a link: offsets in UTF-16 units after conversion.
    const SDisplayText text = CEventText::Make(Sjis("日本<A HREF=\"u\">史</A>表"));
    EXPECT_EQ(text.visible, QString::fromUtf8("日本史表"));
    ASSERT_EQ(text.links.size(), 1u);
    EXPECT_EQ(text.links[0].start, 2);
    EXPECT_EQ(text.links[0].end, 3);
}

TEST(EventTextTest, WrappingFitsWholeCharactersAndNeverLeavesALineEmpty)
{
    CFixedMeasurer m(10);
    const QString text = QStringLiteral("abcdefghij");
    auto lines = CEventText::WrapLines(m, text, 40, 40);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::make_pair(0, 4));
    EXPECT_EQ(lines[2], std::make_pair(8, 2));
    // Narrower than one character: one character a line.
    EXPECT_EQ(CEventText::WrapLines(m, text, 5, 5).size(), 11u); // first line empty
    EXPECT_EQ(CEventText::WrapLines(m, QString(), 40, 40).size(), 1u);
    // A surrogate pair is never split.
    const QString wide = QString::fromUtf8("a\xF0\xA0\x80\x8B"
                                           "b");
    EXPECT_EQ(CEventText::FitLength(m, wide, 0, 15), 1);
    EXPECT_EQ(CEventText::FitLength(m, wide, 1, 10), 2);
}

} // namespace
