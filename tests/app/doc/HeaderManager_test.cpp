#include "HeaderManager.h"
#include "RowInfoAll.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <vector>

namespace {

// Fake table addresses: the manager only stores and compares them.
CTableBase* Table(int n)
{
    return reinterpret_cast<CTableBase*>(static_cast<uintptr_t>(0x1000 * n));
}

std::vector<int> Lefts(const CHeaderManager& m)
{
    std::vector<int> v;
    for (int i = 0; i < m.GetCount(); ++i)
        v.push_back(m.GetLeft(i));
    return v;
}

std::vector<int> Widths(const CHeaderManager& m)
{
    std::vector<int> v;
    for (int i = 0; i < m.GetCount(); ++i)
        v.push_back(m.GetWidth(i));
    return v;
}

void ExpectAbutting(const CHeaderManager& m)
{
    int x = 0;
    for (int i = 0; i < m.GetCount(); ++i) {
        EXPECT_EQ(m.GetLeft(i), x) << "column " << i;
        x += m.GetWidth(i);
    }
}

// year 50 | event 500 | era 50 | event 500
void MakeFour(CHeaderManager& m)
{
    m.EnsureYearColumn(50);
    m.Insert(CK_EVENT, Table(1), 1, 500);
    m.Insert(CK_ERA, Table(2), 2, 50);
    m.Insert(CK_EVENT, Table(3), 3, 500);
}

} // namespace

TEST(HeaderManager, FirstLibraryColumnComesAfterTheYearColumn)
{
    CHeaderManager m;
    CRowInfoAll info;
    EXPECT_TRUE(m.EnsureYearColumn(info.GetWidth(CK_YEAR)));
    EXPECT_FALSE(m.EnsureYearColumn(99)); // only into an empty set
    ASSERT_TRUE(m.Insert(CK_EVENT, Table(1), 1, info.GetWidth(CK_EVENT)));
    ASSERT_EQ(m.GetCount(), 2);
    EXPECT_EQ(m.GetKind(0), CK_YEAR);
    EXPECT_EQ(m.GetTable(0), nullptr);
    EXPECT_EQ(m.GetTable(1), Table(1));
    EXPECT_EQ(m.GetLeft(1), 50);
    EXPECT_EQ(m.GetWidth(1), 500);
    EXPECT_EQ(m.GetTotalWidth(), 550);
}

TEST(HeaderManager, InsertPositionsAndRejects)
{
    CHeaderManager m;
    MakeFour(m);
    ASSERT_TRUE(m.Insert(CK_GENGOU, Table(9), 0, 30));              // at the front
    ASSERT_TRUE(m.Insert(CK_BASEYEAR, Table(8), m.GetCount(), 40)); // at the end
    EXPECT_EQ(m.GetKind(0), CK_GENGOU);
    EXPECT_EQ(m.GetKind(5), CK_BASEYEAR);
    ExpectAbutting(m);

    const std::vector<int> before = Lefts(m);
    EXPECT_FALSE(m.Insert(CK_EVENT, Table(7), -1, 10));
    EXPECT_FALSE(m.Insert(CK_EVENT, Table(7), m.GetCount() + 1, 10));
    EXPECT_FALSE(m.Insert(5, Table(7), 0, 10));
    EXPECT_FALSE(m.Insert(-1, Table(7), 0, 10));
    EXPECT_EQ(m.GetCount(), 6);
    EXPECT_EQ(Lefts(m), before);
}

TEST(HeaderManager, AppendKeepsGivenEdgesOrPlacesAtTheRightEdge)
{
    CHeaderManager m;
    EXPECT_EQ(m.Append(CK_YEAR, nullptr, -1, 50), 0);
    EXPECT_EQ(m.GetLeft(0), 0);
    EXPECT_EQ(m.Append(CK_EVENT, Table(1), 120, 300), 1); // stored edges stand as read
    EXPECT_EQ(m.GetLeft(1), 120);
    EXPECT_EQ(m.Append(CK_ERA, Table(2), -1, 40), 2);
    EXPECT_EQ(m.GetLeft(2), 420);
    // The right edge is the largest one, not that of the last column.
    EXPECT_EQ(m.Append(CK_ERA, Table(3), 0, 10), 3);
    EXPECT_EQ(m.Append(CK_ERA, Table(4), -1, 10), 4);
    EXPECT_EQ(m.GetLeft(4), 460);
    EXPECT_EQ(m.Append(7, Table(5), 0, 10), -1);
    EXPECT_EQ(m.GetCount(), 5);
}

TEST(HeaderManager, MoveReordersAndRecomputesUpToTheFartherIndex)
{
    CHeaderManager m;
    MakeFour(m);
    // Column 3 to position 0: it starts at 0, the others shift by its width.
    ASSERT_TRUE(m.Move(3, 0));
    EXPECT_EQ(m.GetTable(0), Table(3));
    EXPECT_EQ(m.GetKind(1), CK_YEAR);
    EXPECT_EQ(Lefts(m), (std::vector<int>{0, 500, 550, 1050}));

    ASSERT_TRUE(m.Move(0, 3)); // and back
    EXPECT_EQ(m.GetTable(3), Table(3));
    EXPECT_EQ(Lefts(m), (std::vector<int>{0, 50, 550, 600}));

    ASSERT_TRUE(m.Move(2, 2)); // no-op move
    ExpectAbutting(m);
}

TEST(HeaderManager, MoveLeavesColumnsBeyondBothIndexesAlone)
{
    CHeaderManager m;
    m.Append(CK_YEAR, nullptr, 0, 50);
    m.Append(CK_EVENT, Table(1), 50, 100);
    m.Append(CK_EVENT, Table(2), 777, 100); // a gap, as a project file may hold
    ASSERT_TRUE(m.Move(1, 0));
    EXPECT_EQ(Lefts(m), (std::vector<int>{0, 100, 777}));
}

TEST(HeaderManager, MoveRejectsIndexesOutsideTheColumns)
{
    CHeaderManager m;
    MakeFour(m);
    const std::vector<int> lefts = Lefts(m);
    for (auto [from, to] :
         std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {4, 0}, {0, 4}, {100, 2}}) {
        EXPECT_FALSE(m.Move(from, to)) << from << "->" << to;
    }
    EXPECT_EQ(m.GetCount(), 4);
    EXPECT_EQ(m.GetTable(1), Table(1));
    EXPECT_EQ(Lefts(m), lefts);
}

TEST(HeaderManager, CellsStayPutAndAreFreedWithTheirColumn)
{
    CHeaderManager m;
    MakeFour(m);
    int* cell = m.GetAt(3).width;
    // Many inserts before it make the column array move its elements.
    for (int i = 0; i < 100; ++i)
        m.Insert(CK_GENGOU, Table(100 + i), 0, 1);
    EXPECT_EQ(m.GetAt(103).width, cell);
    EXPECT_EQ(*cell, 500);
    EXPECT_EQ(m.CellCount(CK_GENGOU), 200u);
    EXPECT_EQ(m.CellCount(CK_EVENT), 4u);

    ASSERT_TRUE(m.Remove(103));
    EXPECT_EQ(m.CellCount(CK_EVENT), 2u);
    EXPECT_FALSE(m.Remove(-1));
    EXPECT_FALSE(m.Remove(m.GetCount()));
    m.RecomputeLefts();
    ExpectAbutting(m);

    m.Clear();
    EXPECT_TRUE(m.IsEmpty());
    for (int kind = 0; kind < kColumnKindCount; ++kind)
        EXPECT_EQ(m.CellCount(kind), 0u);
}

TEST(HeaderManager, RemoveLeavesEdgesToTheCaller)
{
    CHeaderManager m;
    MakeFour(m);
    ASSERT_TRUE(m.Remove(1));
    EXPECT_EQ(Lefts(m), (std::vector<int>{0, 550, 600}));
    m.RecomputeLefts();
    EXPECT_EQ(Lefts(m), (std::vector<int>{0, 50, 100}));
}

TEST(HeaderManager, CountOfKindAndIndexOfTable)
{
    CHeaderManager m;
    MakeFour(m);
    EXPECT_EQ(m.CountOfKind(CK_EVENT), 2);
    EXPECT_EQ(m.CountOfKind(CK_YEAR), 1);
    EXPECT_EQ(m.CountOfKind(CK_GENGOU), 0);
    EXPECT_EQ(m.IndexOfTable(Table(2)), 2);
    EXPECT_EQ(m.IndexOfTable(Table(42)), -1);
}

TEST(HeaderManager, HitTestCountsBothEdgesAndTheLeftColumnWins)
{
    CHeaderManager m;
    MakeFour(m); // 0-50, 50-550, 550-600, 600-1100
    struct Case
    {
        int x;
        int index;
    };
    for (const Case& c :
         {Case{0, 0}, Case{49, 0}, Case{50, 0}, Case{51, 1}, Case{550, 1}, Case{551, 2},
          Case{1100, 3}, Case{1101, -1}, Case{-1, -1}, Case{INT_MAX, -1}, Case{INT_MIN, -1}}) {
        EXPECT_EQ(m.HitTest(c.x), c.index) << "x=" << c.x;
    }
    int left = -7, right = -7;
    EXPECT_TRUE(m.HitTest(600, left, right));
    EXPECT_EQ(left, 550);
    EXPECT_EQ(right, 600);
    EXPECT_FALSE(m.HitTest(5000, left, right));

    CHeaderManager empty;
    EXPECT_EQ(empty.HitTest(0), -1);
}

TEST(HeaderManager, ResizeWithSameWidthResizesTheWholeKind)
{
    CHeaderManager m;
    MakeFour(m);
    CRowInfoAll info;
    info.SetSameWidth(CK_EVENT, true);
    const auto r = m.Resize(3, 300, info);
    EXPECT_TRUE(r.done);
    EXPECT_TRUE(r.sameWidth);
    EXPECT_EQ(Widths(m), (std::vector<int>{50, 300, 50, 300}));
    ExpectAbutting(m);
}

TEST(HeaderManager, ResizeWithoutSameWidthShiftsLaterColumns)
{
    CHeaderManager m;
    m.EnsureYearColumn(50);
    m.Insert(CK_EVENT, Table(1), 1, 500);
    m.Insert(CK_EVENT, Table(2), 2, 500);
    CRowInfoAll info;
    auto r = m.Resize(0, 70, info);
    EXPECT_TRUE(r.done);
    EXPECT_FALSE(r.sameWidth);
    EXPECT_EQ(r.delta, 20);
    EXPECT_EQ(Widths(m), (std::vector<int>{70, 500, 500}));
    EXPECT_EQ(Lefts(m), (std::vector<int>{0, 70, 570}));

    r = m.Resize(1, 450, info); // shrinking
    EXPECT_EQ(r.delta, -50);
    EXPECT_EQ(Lefts(m), (std::vector<int>{0, 70, 520}));

    r = m.Resize(2, -30, info); // a negative width counts as 0
    EXPECT_EQ(m.GetWidth(2), 0);
    EXPECT_EQ(r.delta, -500);

    EXPECT_FALSE(m.Resize(3, 10, info).done);
    EXPECT_FALSE(m.Resize(-1, 10, info).done);
}

TEST(HeaderManager, RescaleWidthsForZoom)
{
    CHeaderManager m;
    MakeFour(m);
    ASSERT_TRUE(m.RescaleWidths(100, 150));
    EXPECT_EQ(Widths(m), (std::vector<int>{75, 750, 75, 750}));
    ExpectAbutting(m);
    ASSERT_TRUE(m.RescaleWidths(150, 30));
    // (75 * 100 / 150) * 30 / 100 = 15 ; (750 * 100 / 150) * 30 / 100 = 150
    EXPECT_EQ(Widths(m), (std::vector<int>{15, 150, 15, 150}));
    EXPECT_FALSE(m.RescaleWidths(0, 100));
    EXPECT_FALSE(m.RescaleWidths(100, -5));
}

TEST(HeaderManager, HugeWidthsSaturateInsteadOfWrapping)
{
    CHeaderManager m;
    m.Append(CK_EVENT, Table(1), 0, INT_MAX);
    m.Append(CK_EVENT, Table(2), -1, INT_MAX);
    EXPECT_EQ(m.GetLeft(1), INT_MAX);
    m.Append(CK_EVENT, Table(3), -1, 10);
    EXPECT_EQ(m.GetLeft(2), INT_MAX);
    m.RecomputeLefts();
    EXPECT_GE(m.GetLeft(2), 0);
    EXPECT_EQ(m.GetRight(1), INT_MAX);
    ASSERT_TRUE(m.RescaleWidths(100, 300));
    EXPECT_EQ(m.GetWidth(0), INT_MAX);
}

TEST(HeaderManager, AccessOutsideTheColumnsThrows)
{
    CHeaderManager m;
    MakeFour(m);
    EXPECT_THROW(m.GetAt(4), std::out_of_range);
    EXPECT_THROW(m.GetLeft(-1), std::out_of_range);
    EXPECT_THROW(m.SetWidth(10, 1), std::out_of_range);
    EXPECT_NO_THROW(m[3]);
}

TEST(RowInfoAll, BuiltInDefaultsAndAccess)
{
    CRowInfoAll info;
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        const int expected = kind == CK_EVENT ? 500 : kind == CK_GENGOU ? 64 : kind == CK_ERA ? 80 : 50;
        EXPECT_EQ(info.GetWidth(kind), expected);
        EXPECT_FALSE(info.GetSameWidth(kind));
    }
    info.Set(CK_ERA, 77, true);
    int width = 0;
    bool same = false;
    info.Get(CK_ERA, width, same);
    EXPECT_EQ(width, 77);
    EXPECT_TRUE(same);
    EXPECT_FALSE(info == CRowInfoAll());
    info.ResetToBuiltIn();
    EXPECT_TRUE(info == CRowInfoAll());
    EXPECT_THROW(info.GetWidth(5), std::out_of_range);
    EXPECT_THROW(info.SetSameWidth(-1, true), std::out_of_range);
}

TEST(RowInfoAll, SettingKeysNameEveryKind)
{
    const char* const expected[kColumnKindCount][2] = {
        {"InitWidth_year", "SameWidth_year"},         {"InitWidth_gengou", "SameWidth_gengou"},
        {"InitWidth_baseyear", "SameWidth_baseyear"}, {"InitWidth_era", "SameWidth_era"},
        {"InitWidth_event", "SameWidth_event"},
    };
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        EXPECT_EQ(CRowInfoAll::InitWidthKey(kind), expected[kind][0]);
        EXPECT_EQ(CRowInfoAll::SameWidthKey(kind), expected[kind][1]);
    }
    EXPECT_STREQ(ColumnKindLabel(CK_BASEYEAR), "基点年");
    EXPECT_EQ(ColumnKindWord(5), nullptr);
}
