#include "EventData.h"

#include "Sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

SEventData Dated(int month, int day, bool leap = false)
{
    SEventData r;
    r.month = static_cast<int16_t>(month);
    r.day = static_cast<int16_t>(day);
    r.leapMonth = leap;
    return r;
}

} // namespace

TEST(EventData, InitializeRestoresEveryDefault)
{
    SEventData r;
    r.year = 1999;
    r.text = "t";
    r.supplement = "s";
    r.priority = 2;
    r.month = -1;
    r.leapMonth = true;
    r.day = -1;
    r.rangeFlags = RANGE_FROM | RANGE_ABOUT;
    r.otherYear = 2001;
    r.Initialize();
    EXPECT_EQ(r, SEventData());
    EXPECT_EQ(0, r.year);
    EXPECT_EQ(0, r.month); // not -1: the editors set "no month" themselves
    EXPECT_EQ(0, r.day);
    EXPECT_TRUE(r.text.empty() && r.supplement.empty());
    EXPECT_EQ(0u, r.rangeFlags);
}

TEST(EventData, EqualityLooksAtEveryField)
{
    const std::vector<std::function<void(SEventData&)>> changes = {
        [](SEventData& r) { r.year = 1; },
        [](SEventData& r) { r.text = "a"; },
        [](SEventData& r) { r.supplement = "a"; },
        [](SEventData& r) { r.priority = 1; },
        [](SEventData& r) { r.month = 1; },
        [](SEventData& r) { r.leapMonth = true; },
        [](SEventData& r) { r.day = 1; },
        [](SEventData& r) { r.rangeFlags = RANGE_UNTIL; },
        [](SEventData& r) { r.otherYear = 5; },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        SEventData a, b;
        changes[i](b);
        EXPECT_FALSE(a == b) << "field " << i;
        EXPECT_TRUE(a != b) << "field " << i;
        changes[i](a);
        EXPECT_TRUE(a == b) << "field " << i;
    }
}

TEST(EventData, DateKeyOrdersLeapMonthAfterItsOrdinaryMonth)
{
    EXPECT_EQ(3031, Dated(3, 31).DateKey());
    EXPECT_EQ(3105, Dated(3, 5, true).DateKey());
    EXPECT_EQ(4001, Dated(4, 1).DateKey());
    EXPECT_LT(Dated(3, 31).DateKey(), Dated(3, 5, true).DateKey());
    EXPECT_LT(Dated(3, 5, true).DateKey(), Dated(4, 1).DateKey());
    // -1 counts as 0, so an undated record comes first in its year.
    EXPECT_EQ(0, Dated(-1, -1).DateKey());
    EXPECT_EQ(5000, Dated(5, -1).DateKey());
    EXPECT_EQ(100, Dated(-1, -1, true).DateKey());
}

TEST(EventData, MakeDateTexts)
{
    struct Case
    {
        int month, day;
        bool leap;
        const char* expected; // UTF-8
    };
    const Case cases[] = {
        {3, 15, false, "3月15日 "}, {3, -1, false, "3月 "},
        {4, 2, true, "閏4月2日 "},  {-1, -1, false, ""},
        {-1, 5, true, ""},          {12, -1, true, "閏12月 "},
        {1, 1, false, "1月1日 "},   {11, 30, false, "11月30日 "},
        // Whatever a damaged file holds, written in full.
        {0, 0, false, "0月0日 "},   {-32768, -32768, true, "閏-32768月-32768日 "},
        {32767, -2, false, "32767月-2日 "},
    };
    for (const Case& c : cases) {
        const SEventData r = Dated(c.month, c.day, c.leap);
        EXPECT_EQ(Sjis(c.expected), r.MakeDate()) << c.month << "/" << c.day;
        std::string out = "stale";
        r.MakeDate(out);
        EXPECT_EQ(Sjis(c.expected), out);
        char buf[SEventData::kMaxDateText];
        EXPECT_EQ(Sjis(c.expected), std::string(buf, r.FormatDate(buf)));
    }
}

TEST(EventData, SearchReportsEveryPlace)
{
    SEventData r = Dated(3, 15);
    r.text = Sjis("江戸に幕府を開く");
    r.supplement = Sjis("幕府の始まり");

    EXPECT_EQ(EDS_DATE, r.Search(Sjis("3月"), false, true));
    EXPECT_EQ(EDS_TEXT, r.Search(Sjis("幕府"), false, true));
    EXPECT_EQ(EDS_TEXT | EDS_SUPPLEMENT, r.Search(Sjis("幕府"), true, true));
    EXPECT_EQ(EDS_SUPPLEMENT, r.Search(Sjis("始まり"), true, true));
    EXPECT_EQ(0, r.Search(Sjis("始まり"), false, true));
    EXPECT_EQ(0, r.Search(Sjis("京都"), true, true));

    r.month = -1;
    EXPECT_EQ(0, r.Search(Sjis("3月"), true, true));
}

TEST(EventData, SearchCaseFolding)
{
    SEventData r;
    r.text = "Tokugawa IEYASU";
    r.supplement = "see <A HREF=\"x.htm\">More</A>";
    EXPECT_EQ(0, r.Search("ieyasu", false, true));
    EXPECT_EQ(EDS_TEXT, r.Search("ieyasu", false, false));
    EXPECT_EQ(EDS_TEXT, r.Search("tokuGAWA", false, false));
    // Markup is part of the searched text.
    EXPECT_EQ(EDS_SUPPLEMENT, r.Search("href", true, false));
    EXPECT_EQ(0, r.Search("href", true, true));
}

TEST(EventData, SearchNeverMatchesInsideADoubleByteCharacter)
{
    SEventData r;
    r.month = -1;
    // "ャA" is 83 83 41; "ア" is 83 41 and must not be found at offset 1.
    r.text = Sjis("ャA");
    EXPECT_EQ(0, r.Search(Sjis("ア"), false, true));
    EXPECT_EQ(0, r.Search(Sjis("ア"), false, false));
    EXPECT_EQ(EDS_TEXT, r.Search("A", false, true));

    // The trail byte of "ア" is 'A' (0x41): folding must leave it alone, or
    // "a" would be found in a text without any Latin letter.
    r.text = Sjis("アイ");
    EXPECT_EQ(0, r.Search("a", false, false));
    EXPECT_EQ(EDS_TEXT, r.Search(Sjis("ア"), false, false));
    // And a folded needle keeps its own trail bytes.
    r.text = Sjis("ソフト");
    EXPECT_EQ(EDS_TEXT, r.Search(Sjis("ソフト"), false, false));
}

TEST(RecordText, AssignsFromItsOwnBytesAndKeepsEveryByte)
{
    CRecordText t("abcdef");
    t = t.view().substr(2);
    EXPECT_EQ("cdef", t);
    t += t.view();
    EXPECT_EQ("cdefcdef", t);
    const CRecordText& same = t;
    t = same;
    EXPECT_EQ("cdefcdef", t);

    const std::string withNul("a\0b\x81\x40", 5);
    t = withNul;
    EXPECT_EQ(5u, t.size());
    EXPECT_EQ(withNul, std::string(t));

    CRecordText empty;
    t = "";
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(empty, t);
    EXPECT_EQ(0u, t.view().size());
    EXPECT_EQ("x", "x" + t);
}

TEST(RecordText, ALentTextLeavesItsBlockBehindWhenCopiedOrMoved)
{
    // A storage lends blocks to the texts it holds; whatever leaves it must
    // not point into them.
    char block[3][32];
    CRecordText moved, assigned, copied;
    {
        CRecordText lent[3] = {CRecordText::Lend(block[0], "lent text"),
                               CRecordText::Lend(block[1], "lent text"),
                               CRecordText::Lend(block[2], "lent text")};
        ASSERT_TRUE(lent[0].IsLent());
        CRecordText taken(std::move(lent[0]));
        moved = std::move(taken);
        assigned = std::move(lent[1]);
        copied = lent[2];
        // A lent text is left as it was: its storage still holds it.
        EXPECT_EQ("lent text", lent[0]);
    }
    // The storage reuses its blocks once the texts it lent them to are gone.
    for (char* b : block)
        std::fill(b, b + 32, 'x');
    for (const CRecordText* t : {&moved, &assigned, &copied}) {
        EXPECT_FALSE(t->IsLent());
        EXPECT_EQ("lent text", *t);
    }
}

TEST(RecordText, LengthsAroundTheHeaderFormsSurviveOwnAndLentBlocks)
{
    // The header is one byte up to kShortMax and four beyond, with the lent
    // mark in both: every length must come back with every byte, whichever
    // form its block took, and a block must end where BlockSize says.
    const size_t m = CRecordText::kShortMax;
    for (size_t n : {size_t(1), m - 1, m, m + 1, size_t(255), size_t(256), size_t(16383),
                     size_t(16384), size_t(1) << 20}) {
        std::string s(n, '\0');
        for (size_t i = 0; i < n; ++i)
            s[i] = static_cast<char>(0x81 + i * 7);
        const CRecordText own(s);
        EXPECT_EQ(n, own.size()) << n;
        EXPECT_EQ(s, own.str()) << n;
        EXPECT_FALSE(own.IsLent());

        const size_t block = CRecordText::BlockSize(n);
        EXPECT_EQ(n + (n <= m ? 1 : 4), block) << n;
        std::vector<char> place(block + 1, '#');
        {
            const CRecordText lent = CRecordText::Lend(place.data(), s);
            EXPECT_TRUE(lent.IsLent());
            EXPECT_EQ(n, lent.size()) << n;
            EXPECT_EQ(s, lent.str()) << n;
            EXPECT_EQ('#', place[block]) << "wrote past its block at " << n;
            const CRecordText copy = lent;
            EXPECT_FALSE(copy.IsLent());
            EXPECT_EQ(s, copy.str()) << n;
        }
    }
}
