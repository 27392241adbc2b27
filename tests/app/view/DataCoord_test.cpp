// Year-axis layout in numbers, measured with fixed metrics (10 px a character).

#include "DataCoord.h"

#include "AnnaluxDoc.h"
#include "GengouEra.h"
#include "Sjis.h"
#include "TextMeasurer.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int R = 20;

struct SEv
{
    int32_t year;
    const char* text = "x";
    int priority = 0;
    uint32_t flags = 0;
    const char* supplement = "";
};

std::unique_ptr<CYearEvent> Library(const std::vector<SEv>& events)
{
    auto table = std::make_unique<CYearEvent>();
    for (const SEv& e : events) {
        SEventData d;
        d.year = e.year;
        d.text = Sjis(e.text);
        d.priority = e.priority;
        d.rangeFlags = e.flags;
        d.supplement = Sjis(e.supplement);
        d.month = -1;
        d.day = -1;
        table->SetData(d, true, -1, EP_EVERY);
    }
    return table;
}

class DataCoordTest : public ::testing::Test
{
protected:
    CYearEvent* Add(const std::vector<SEv>& events, int width = 200)
    {
        m_tables.push_back(Library(events));
        m_settings.libraries.push_back(m_tables.back().get());
        m_settings.widths.push_back(width);
        return m_tables.back().get();
    }
    int64_t Layout(int mode, int scale = 1)
    {
        m_settings.mode = mode;
        m_settings.scale = scale;
        m_settings.rowHeight = R;
        m_coord.SetMeasurer(&m_measurer);
        return m_coord.Layout(m_settings, m_overflow);
    }
    // Top of the first entry of year in column c.
    int32_t Top(int32_t year, int c = 0)
    {
        for (const CoordEntry& e : m_coord.Table().Column(c)) {
            if (e.Year() == year)
                return e.top;
        }
        ADD_FAILURE() << "no entry of " << year;
        return -1;
    }

    std::vector<std::unique_ptr<CYearEvent>> m_tables;
    SLayoutSettings m_settings;
    CFixedMeasurer m_measurer{10};
    CDataCoord m_coord;
    bool m_overflow = false;
};

TEST(DataCoordBucket, BucketsTruncateAndNegativeYearsAvoidZero)
{
    struct
    {
        int32_t year;
        int scale;
        int32_t bucket;
    } cases[] = {{1995, 1, 1995}, {-1, 1, -1},       {1, 10, 0},
                 {9, 10, 0},      {10, 10, 10},      {19, 10, 10},
                 {-1, 10, -10},   {-19, 10, -10},    {-20, 10, -20},
                 {-5, 100, -100}, {1999, 100, 1900}, {INT32_MIN, 100, INT32_MIN / 100 * 100}};
    for (const auto& c : cases)
        EXPECT_EQ(CDataCoord::BucketOf(c.year, c.scale), c.bucket) << c.year << "/" << c.scale;
    // Bucket indexes leave no gap where year 0 would be.
    EXPECT_EQ(CDataCoord::BucketIndex(1, 1) - CDataCoord::BucketIndex(-1, 1), 1);
    EXPECT_EQ(CDataCoord::BucketIndex(5, 10) - CDataCoord::BucketIndex(-5, 10), 1);
}

TEST_F(DataCoordTest, NearlyExactLeavesOneRowPerEmptyYear)
{
    Add({{1990}, {1993}});
    EXPECT_EQ(Layout(SLayoutSettings::NearlyExact), 4 * R);
    EXPECT_EQ(Top(1993) - (Top(1990) + R), 2 * R);
}

TEST_F(DataCoordTest, NearlyExactLeavesNoRowForYearZero)
{
    Add({{-1}, {1}});
    Layout(SLayoutSettings::NearlyExact);
    EXPECT_EQ(Top(1), R);
}

TEST_F(DataCoordTest, NearlyExactKeepsAnEmptyBucketBetweenNegativeAndPositiveDecades)
{
    // Scale 10: buckets -10 (years -19..-1), 0 (1..9) and 10. Bucket 0 is
    // empty and keeps its row.
    Add({{-15}, {15}});
    Layout(SLayoutSettings::NearlyExact, 10);
    EXPECT_EQ(Top(15), 2 * R);
}

TEST_F(DataCoordTest, ExactModeStacksYearsOfOneBucketAndSpacesBucketsLinearly)
{
    Add({{1991}, {1995}, {2001}});
    Layout(SLayoutSettings::Exact, 10);
    EXPECT_EQ(m_coord.RowsPerBucket(), 2);
    EXPECT_EQ(Top(1991), 0);
    EXPECT_EQ(Top(1995), R);
    EXPECT_EQ(Top(2001), (2000 - 1990) / 10 * 2 * R);
}

TEST_F(DataCoordTest, ExactModeAtScaleOneSkipsYearZero)
{
    Add({{-2}, {3}});
    Layout(SLayoutSettings::Exact);
    EXPECT_EQ(m_coord.RowsPerBucket(), 1);
    EXPECT_EQ(Top(3), 4 * R); // -2, -1, 1, 2 come before
}

TEST_F(DataCoordTest, ExactModeNegativeYearsOfOneBucketDoNotOverlapTheNext)
{
    // -15 and -5 share bucket -10 and stack; bucket 0 must start below both.
    Add({{-15}, {-5}, {5}});
    Layout(SLayoutSettings::Exact, 10);
    EXPECT_EQ(m_coord.RowsPerBucket(), 2);
    EXPECT_EQ(Top(-5), R);
    EXPECT_GE(Top(5), Top(-5) + R);
}

TEST_F(DataCoordTest, PackedModeHasNoGapsAndNoGapLabels)
{
    Add({{1000}, {1500}, {2000}});
    Layout(SLayoutSettings::Packed);
    EXPECT_EQ(m_coord.RowsPerBucket(), -1);
    EXPECT_EQ(Top(1500), R);
    EXPECT_EQ(Top(2000), 2 * R);
    EXPECT_TRUE(m_coord.GapLabels(1000, 1500, R).empty());
}

TEST_F(DataCoordTest, TallestColumnOfAYearDecidesWhereTheNextYearStarts)
{
    Add({{1600}, {1600}, {1600}, {1601}});
    Add({{1600}, {1601}});
    EXPECT_EQ(Layout(SLayoutSettings::NearlyExact), 4 * R);
    EXPECT_EQ(Top(1601, 0), 3 * R);
    EXPECT_EQ(Top(1601, 1), 3 * R);
    // Exact mode: every year owns the rows of the fullest one.
    Layout(SLayoutSettings::Exact);
    EXPECT_EQ(m_coord.RowsPerBucket(), 3);
    EXPECT_EQ(Top(1601, 1), 3 * R);
}

TEST_F(DataCoordTest, PriorityFilterHidesEventsAndTheirYears)
{
    Add({{1000, "a", 0}, {1001, "b", 1}, {1002, "c", 2}, {1003, "d", 0}});
    m_settings.priority = EP_HIGH;
    Layout(SLayoutSettings::Packed);
    ASSERT_EQ(m_coord.Table().Column(0).size(), 2u);
    EXPECT_EQ(Top(1003), R);
    Layout(SLayoutSettings::NearlyExact);
    EXPECT_EQ(Top(1003), 3 * R); // hidden years are empty years, one row each
}

TEST_F(DataCoordTest, DisplayRangeLimitsThePlacedYears)
{
    Add({{100}, {200}, {300}});
    m_settings.rangeEnabled = true;
    m_settings.rangeFrom = 150;
    m_settings.rangeTo = 250;
    Layout(SLayoutSettings::Exact);
    ASSERT_EQ(m_coord.Table().Column(0).size(), 1u);
    EXPECT_EQ(Top(200), 0);
    m_settings.rangeTo = 350;
    Layout(SLayoutSettings::Exact);
    EXPECT_EQ(Top(300) - Top(200), 100 * R); // a century apart, whatever the range start
    m_settings.rangeFrom = 400;
    m_settings.rangeTo = 500;
    EXPECT_EQ(Layout(SLayoutSettings::NearlyExact), 0);
    EXPECT_EQ(m_coord.Table().EntryCount(), 0u);
}

TEST_F(DataCoordTest, EmptyLibraryDoesNotMoveTheFirstYear)
{
    Add({});
    Add({{1500}, {1501}});
    Layout(SLayoutSettings::Exact);
    EXPECT_EQ(m_coord.FirstDisplayYear(), 1500);
    EXPECT_EQ(Top(1500, 1), 0);
}

TEST_F(DataCoordTest, NoLibrariesGiveAnEmptyTable)
{
    EXPECT_EQ(Layout(SLayoutSettings::Exact), 0);
    EXPECT_EQ(m_coord.YearTop(0), kNoYear);
    EXPECT_EQ(m_coord.FirstYearAt(0), INT32_MIN);
}

TEST_F(DataCoordTest, OverflowStopsPlacingBeforeThirtyTwoBitsRunOut)
{
    Add({{-2000000000}, {-1999999999}, {2000000000}});
    Layout(SLayoutSettings::Exact);
    EXPECT_TRUE(m_overflow);
    const auto& column = m_coord.Table().Column(0);
    ASSERT_EQ(column.size(), 2u);
    for (const CoordEntry& e : column)
        EXPECT_GE(e.bottom, e.top);
    // Packed needs only a few rows: no overflow.
    Layout(SLayoutSettings::Packed);
    EXPECT_FALSE(m_overflow);
    EXPECT_EQ(m_coord.Table().Column(0).size(), 3u);
}

TEST_F(DataCoordTest, WrappedEventsTakeTheRowsTheirTextNeeds)
{
    m_settings.wrap = true;
    // 100 px column, 10 px per character.
    Add({{1, "0123456789"},                    // exactly one line
         {2, "0123456789a"},                   // two
         {3, "0123456789", 0, RANGE_FROM},     // the mark takes 10 px: two
         {4, "012345678", 0, 0, "note"},       // supplement mark 5 px: 9 chars fit in 95
         {5, "<A HREF=\"u\">0123456789</A>"}}, // tags take no room
        100);
    Layout(SLayoutSettings::Packed);
    const auto& c = m_coord.Table().Column(0);
    ASSERT_EQ(c.size(), 5u);
    const int lines[] = {1, 2, 2, 1, 1};
    for (size_t i = 0; i < c.size(); ++i)
        EXPECT_EQ(c[i].bottom - c[i].top, lines[i] * R) << i;
    // Without supplement marks the 5 px come back.
    m_settings.supplementMarks = false;
    m_settings.widths[0] = 90;
    Layout(SLayoutSettings::Packed);
    EXPECT_EQ(m_coord.Table().Column(0)[3].bottom - m_coord.Table().Column(0)[3].top, R);
    EXPECT_EQ(m_coord.Table().Column(0)[0].bottom - m_coord.Table().Column(0)[0].top, 2 * R);
}

TEST_F(DataCoordTest, HitTestsAndYearQueries)
{
    CYearEvent* a = Add({{1600}, {1600}, {1603}});
    CYearEvent* b = Add({{1601}, {1610}});
    Layout(SLayoutSettings::Packed);
    // a: 1600 @0, 1600 @R, 1603 @3R; b: 1601 @2R, 1610 @4R
    EXPECT_EQ(m_coord.YearTop(1600), 0);
    int32_t found = 0;
    EXPECT_EQ(m_coord.YearTop(1602, &found), 3 * R);
    EXPECT_EQ(found, 1603);
    EXPECT_EQ(m_coord.YearTop(1611), kNoYear);
    EXPECT_EQ(m_coord.MinYear(), 1600);
    EXPECT_EQ(m_coord.MaxYear(), 1610);
    EXPECT_EQ(m_coord.MaxBottom(), 5 * R);

    int index = -1;
    EXPECT_EQ(m_coord.YearAt(R + 5, a, &index, false), 1600);
    EXPECT_EQ(index, 1); // second event of the year
    EXPECT_EQ(m_coord.YearAt(R + 5, a, &index, true), 1600);
    EXPECT_EQ(index, 1); // from the cache
    // The pixel the two 1600 events share belongs to the lower one.
    EXPECT_EQ(m_coord.YearAt(R, a, &index, false), 1600);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(m_coord.YearAt(2 * R + 5, b, &index, false), 1601);
    EXPECT_EQ(index, 0);
    // Nothing of b at 0..2R: without the cache, the row's year over all columns.
    EXPECT_EQ(m_coord.YearAt(5, b, &index, false), 1600);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(m_coord.YearAt(6, b, &index, true), kNoYear);
    EXPECT_EQ(m_coord.YearAt(3 * R + 1, nullptr, nullptr, false), 1603);
    EXPECT_EQ(m_coord.YearAt(99 * R, nullptr, nullptr, false), kNoYear);

    EXPECT_EQ(m_coord.FirstYearAt(-100), 1600);
    EXPECT_EQ(m_coord.FirstYearAt(3 * R), 1600); // a step back from the first at 3R
    EXPECT_EQ(m_coord.FirstYearAt(1000 * R), 1610);

    int32_t top = 0;
    ASSERT_TRUE(m_coord.NearestYearTop(1603, top));
    EXPECT_EQ(top, 3 * R);
    ASSERT_TRUE(m_coord.NearestYearTop(1602, top)); // 1601 is nearer than 1600
    EXPECT_EQ(top, 2 * R);
    ASSERT_TRUE(m_coord.NearestYearTop(3000, top)); // past the end: the last
    EXPECT_EQ(top, 4 * R);
}

TEST_F(DataCoordTest, BucketsCollectAndCountRows)
{
    Add({{1991}, {1991}, {1995}, {2003}});
    Add({{1992}});
    Layout(SLayoutSettings::NearlyExact, 10);
    m_coord.Table().ResetCursors();
    CDataCoord::SBucket bucket;
    m_coord.CollectBucket(1991, 10, 0, bucket);
    EXPECT_EQ(bucket.entries.size(), 3u);
    EXPECT_EQ(bucket.nextYear, 2003);
    m_coord.CollectBucket(1991, 10, 1, bucket);
    EXPECT_EQ(bucket.entries.size(), 1u);
    EXPECT_EQ(bucket.nextYear, kNoYear);
    EXPECT_EQ(m_coord.BucketRows(1991, 10), 4); // 1991: 2, 1992: 1, 1995: 1
    EXPECT_EQ(m_coord.BucketRows(1991, 1), 2);
    EXPECT_EQ(m_coord.BucketRows(1993, 1), 0);
    EXPECT_EQ(m_coord.DrawnRows(2003), 1);
}

TEST_F(DataCoordTest, GapLabelsStandAtTheirYearsInTheEmptyStretch)
{
    Add({{1875}, {1932}});
    Layout(SLayoutSettings::Exact);
    const int32_t topB = Top(1932);
    const auto labels = m_coord.GapLabels(1875, 1932, topB);
    ASSERT_EQ(labels.size(), 6u); // 1880 .. 1930
    EXPECT_EQ(labels.front().first, 1880);
    EXPECT_EQ(labels.front().second, (1880 - 1875) * R);
    EXPECT_EQ(labels.back().first, 1930);
    EXPECT_EQ(labels.back().second, (1930 - 1875) * R);
    // A row at a multiple of ten labels itself; the gap below it does not repeat it.
    EXPECT_EQ(m_coord.GapLabels(1880, 1890, 15 * R).size(), 0u);
    // Never a label 0, and at most 1000.
    Add({{-25}, {25}});
    Layout(SLayoutSettings::NearlyExact);
    for (const auto& l : m_coord.GapLabels(-25, 25, 1000))
        EXPECT_NE(l.first, 0);
    EXPECT_EQ(m_coord.GapLabels(-2000000000, 2000000000, 0).size(), 1000u);
}

TEST_F(DataCoordTest, SearchStepsForwardWithoutWrapAndBackwardAcrossColumns)
{
    Add({{1, "apple"}, {2, "pear"}, {3, "apple pie"}});
    Add({{1, "crab apple"}});
    Layout(SLayoutSettings::Packed);
    const std::string what = Sjis("apple");
    int32_t top = 0;
    int column = -1;
    ASSERT_TRUE(m_coord.SearchForward(what, false, false, top, column));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(top, 0);
    ASSERT_TRUE(m_coord.SearchForward(what, false, false, top, column));
    EXPECT_EQ(top, 2 * R);
    ASSERT_TRUE(m_coord.SearchForward(what, false, false, top, column));
    EXPECT_EQ(column, 1);
    // Only one entry carries a result at a time.
    int marked = 0;
    for (int c = 0; c < 2; ++c) {
        for (const CoordEntry& e : m_coord.Table().Column(c))
            marked += e.searchResult != 0;
    }
    EXPECT_EQ(marked, 1);
    EXPECT_FALSE(m_coord.SearchForward(what, false, false, top, column)); // no wrap
    EXPECT_EQ(m_coord.SearchHit(), nullptr);

    // Backward from nothing: the last entry of the last column first.
    ASSERT_TRUE(m_coord.SearchBackward(what, false, false, top, column));
    EXPECT_EQ(column, 1);
    ASSERT_TRUE(m_coord.SearchBackward(what, false, false, top, column));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(top, 2 * R);
    ASSERT_TRUE(m_coord.SearchBackward(what, false, false, top, column));
    EXPECT_EQ(top, 0);
    // Back from column 0's first entry: on at the last column.
    ASSERT_TRUE(m_coord.SearchBackward(what, false, false, top, column));
    EXPECT_EQ(column, 1);
    // Nothing matching: the backward walk ends.
    EXPECT_FALSE(m_coord.SearchBackward(Sjis("melon"), false, false, top, column));
}

TEST(DataCoordYearText, WesternAndEraYears)
{
    CAnnaluxDoc doc;
    auto eras = std::make_unique<CGengouEra>();
    eras->SetData(Sjis("明治"), 1868, 1912, "");
    doc.AddEraNameTable(std::move(eras));
    struct
    {
        const char* text;
        int32_t year;
    } cases[] = {{"1868", 1868},  {"-5", -5},     {"１９９５", 1995},       {"－１２", -12},
                 {"明治3", 1870}, {"明治", 1868}, {"明治３", 1870},         {"大化2", kNoYear},
                 {"", kNoYear},   {"-", kNoYear}, {"99999999999", kNoYear}, {"明治99", kNoYear}};
    for (const auto& c : cases)
        EXPECT_EQ(CDataCoord::YearFromText(Sjis(c.text), &doc), c.year) << c.text;
}

TEST_F(DataCoordTest, LineCountsAreCachedByTextAndWidth)
{
    class CCountingMeasurer : public CFixedMeasurer
    {
    public:
        CCountingMeasurer() : CFixedMeasurer(10) {}
        int Width(const QString& t) const override
        {
            ++calls;
            return CFixedMeasurer::Width(t);
        }
        // Latin texts in a real font are measured whole.
        int32_t Advance64(char16_t) const override { return -1; }
        mutable int calls = 0;
    } counting;
    m_settings.wrap = true;
    std::vector<SEv> events;
    for (int i = 0; i < 200; ++i)
        events.push_back({1000 + i, "the same long text that wraps"});
    Add(events, 100);
    m_settings.mode = SLayoutSettings::Exact;
    m_settings.rowHeight = R;
    m_coord.SetMeasurer(&counting);
    m_coord.Layout(m_settings, m_overflow);
    const int first = counting.calls;
    EXPECT_LT(first, 100); // one text measured once, not per event and pass
    m_coord.Layout(m_settings, m_overflow);
    EXPECT_EQ(counting.calls, first);
}

TEST_F(DataCoordTest, SearchFindsEveryVisibleMatchOfALongTableInOrderBothWays)
{
    // Hundreds of years of one to four events, some filtered out; needles a
    // hundred years apart (a step reads on over many years), one of them
    // filtered out, and a few close together; a second library out of year
    // order.
    std::vector<SEv> events;
    std::vector<int32_t> expected; // years of the visible matches, in order
    int n = 0;
    for (int32_t year = -300; year <= 400; ++year) {
        if (year == 0)
            continue;
        for (int k = 0; k < 1 + (year & 3); ++k, ++n) {
            const bool far = k == 1 && year % 100 == 1;
            const bool close = n > 900 && n < 920 && n % 3 == 0;
            const bool hidden = k == 1 && year == 51;
            const bool match = far || close || hidden;
            const int priority = hidden || (!match && n % 7 == 3) ? 2 : 0;
            events.push_back({year, match ? "a needle" : "hay", priority});
            if (match && priority == 0)
                expected.push_back(year);
        }
    }
    Add(events);
    CYearEvent* unsorted = Add({});
    for (int32_t year : {30, 10, 20, 10}) {
        SEventData d;
        d.year = year;
        d.text = Sjis("needle");
        unsorted->SetData(d, false, -1, EP_EVERY);
    }
    ASSERT_FALSE(unsorted->IsSortedByYear());
    for (int32_t year : {10, 10, 20, 30})
        expected.push_back(year);
    m_settings.priority = 1;
    Layout(SLayoutSettings::Packed);

    const std::string what = Sjis("needle");
    std::vector<std::pair<int, int32_t>> forward;
    int32_t top = 0;
    int column = -1;
    while (m_coord.SearchForward(what, false, false, top, column)) {
        const CoordEntry* hit = m_coord.SearchHit();
        ASSERT_NE(hit, nullptr);
        EXPECT_EQ(hit->top, top);
        EXPECT_NE(hit->searchResult, 0);
        EXPECT_NE(hit->event->text.str().find("needle"), std::string::npos);
        EXPECT_EQ(hit->event->year, hit->Year());
        forward.emplace_back(column, hit->Year());
    }
    ASSERT_EQ(forward.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(forward[i].second, expected[i]) << i;
        EXPECT_EQ(forward[i].first, i + 4 < expected.size() ? 0 : 1) << i;
    }

    std::vector<std::pair<int, int32_t>> backward;
    while (m_coord.SearchBackward(what, false, false, top, column)) {
        backward.emplace_back(column, m_coord.SearchHit()->Year());
        if (backward.size() == forward.size())
            break; // the step backward goes round; once over is enough
    }
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);
}

TEST_F(DataCoordTest, EntriesOfRecordsRemovedBeforeTheRelayoutHaveNoRecord)
{
    // Between a change of the library and the layout that follows it the
    // view may still ask; what is gone must not be handed out.
    CYearEvent* library = Add({{1990, "one"}, {1991, "two"}, {1991, "three"}, {1992, "four"}});
    Layout(SLayoutSettings::Packed);
    int32_t top = 0;
    int column = -1;
    ASSERT_TRUE(m_coord.SearchForward(Sjis("three"), false, false, top, column));
    ASSERT_TRUE(library->RemoveAt(2, EP_ALL, nullptr));

    const CCoordColumn& c = m_coord.Table().Column(0);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[1].event->text.str(), "two");
    EXPECT_EQ(c[2].event, nullptr);
    EXPECT_EQ(c[3].event->text.str(), "four");
    EXPECT_EQ(m_coord.SearchHit(), nullptr);
    m_coord.Table().ResetCursors();
    CDataCoord::SBucket bucket;
    m_coord.CollectBucket(1991, 1, 0, bucket);
    ASSERT_EQ(bucket.entries.size(), 1u);
    EXPECT_EQ(bucket.entries[0].event->text.str(), "two");
    EXPECT_FALSE(m_coord.SearchForward(Sjis("three"), false, false, top, column));
    EXPECT_FALSE(m_coord.SearchBackward(Sjis("three"), false, false, top, column));
}

TEST_F(DataCoordTest, PositionQueriesMatchTheEntriesWrappedOrNot)
{
    // Entries of one, two and three lines (when wrapped) in years of one
    // and several events, two columns, exact mode leaving gaps between years.
    const char* texts[] = {"short", "a text of two lines here",
                           "a longer text that takes three lines"};
    std::vector<SEv> a, b;
    for (int32_t year = 1; year <= 40; ++year) {
        for (int k = 0; k <= year % 3; ++k)
            a.push_back({year, texts[(year + k) % 3]});
        if (year % 4 == 0)
            b.push_back({year, texts[year % 3]});
    }
    Add(a, 200);
    Add(b, 200);
    for (bool wrap : {false, true}) {
        SCOPED_TRACE(wrap ? "wrapped" : "one row each");
        m_settings.wrap = wrap;
        Layout(SLayoutSettings::Exact);
        const CEventCoordTable& table = m_coord.Table();
        for (int col = 0; col < 2; ++col) {
            const CCoordColumn& c = table.Column(col);
            std::vector<CoordEntry> entries(c.begin(), c.end());
            ASSERT_FALSE(entries.empty());
            bool tall = false;
            for (size_t k = 0; k < entries.size(); ++k) {
                tall = tall || entries[k].bottom - entries[k].top > R;
                EXPECT_EQ(entries[k].Year(), entries[k].event->year);
                EXPECT_EQ(entries[k].top, c.Top(k));
                EXPECT_EQ(entries[k].bottom, c.Bottom(k));
                if (k + 1 < entries.size() && entries[k + 1].Year() == entries[k].Year())
                    EXPECT_EQ(entries[k].bottom, entries[k + 1].top);
            }
            EXPECT_EQ(tall, wrap);
            const int64_t end = entries.back().bottom + R;
            for (int64_t y = -1; y <= end; ++y) {
                const auto firstBottom =
                    std::find_if(entries.begin(), entries.end(),
                                 [y](const CoordEntry& e) { return e.bottom >= y; });
                const auto firstTop = std::find_if(entries.begin(), entries.end(),
                                                   [y](const CoordEntry& e) { return e.top >= y; });
                ASSERT_EQ(table.LowerBottom(col, y),
                          static_cast<size_t>(firstBottom - entries.begin()))
                    << "column " << col << " y " << y;
                ASSERT_EQ(table.LowerTop(col, y), static_cast<size_t>(firstTop - entries.begin()))
                    << "column " << col << " y " << y;
            }
            for (int32_t year = 0; year <= 42; ++year) {
                const auto first =
                    std::find_if(entries.begin(), entries.end(),
                                 [year](const CoordEntry& e) { return e.Year() >= year; });
                EXPECT_EQ(table.LowerYear(col, year), static_cast<size_t>(first - entries.begin()));
            }
        }
    }
}

} // namespace
