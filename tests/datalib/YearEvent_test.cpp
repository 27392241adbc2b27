#include "YearEvent.h"

#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TableContents.h"
#include "TextFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

SEventData Rec(int32_t year, int month = -1, int day = -1, bool leap = false, int priority = 0,
               const std::string& text = "")
{
    SEventData r;
    r.year = year;
    r.month = static_cast<int16_t>(month);
    r.day = static_cast<int16_t>(day);
    r.leapMonth = leap;
    r.priority = priority;
    r.text = text;
    return r;
}

std::vector<std::string> Texts(const CYearEvent& t)
{
    std::vector<std::string> out;
    for (const SEventData& r : Records(t))
        out.push_back(r.text);
    return out;
}

// Appends in the given order, whatever the dates.
void Fill(CYearEvent& t, const std::vector<SEventData>& recs)
{
    for (const SEventData& r : recs)
        t.SetData(r, false, -1, EP_EVERY);
}

std::string MoveMessage()
{
    return "表示優先度の設定によって、表示されていないデータがあるため、移動ができません。\r\n"
           "「表示」→「表示優先度」で「すべて表示する」を選択して操作をやり直してください。";
}

} // namespace

// ---------------------------------------------------------------- ordering

TEST(YearEvent, SortedInsertKeepsDateOrderAndArrivalOrderOfTies)
{
    CYearEvent t;
    t.SetData(Rec(1600, -1, -1, false, 0, "a"), true, -1, EP_EVERY);
    t.SetData(Rec(1600, 3, 5, false, 0, "b"), true, -1, EP_EVERY);
    t.SetData(Rec(1600, 3, 1, true, 0, "c"), true, -1, EP_EVERY);
    t.SetData(Rec(1599, -1, -1, false, 0, "d"), true, -1, EP_EVERY);
    t.SetData(Rec(1600, -1, -1, false, 0, "e"), true, -1, EP_EVERY);
    EXPECT_EQ((std::vector<std::string>{"d", "a", "e", "b", "c"}), Texts(t));
    EXPECT_TRUE(t.GetModified());
}

TEST(YearEvent, InsertAtDateRefusesARecordThatBelongsAtTheEnd)
{
    CYearEvent t;
    SEventData first = Rec(1500);
    EXPECT_FALSE(t.InsertAtDate(&first)); // empty table: the end
    Fill(t, {Rec(1500, 1, 1, false, 0, "a"), Rec(1600, -1, -1, false, 0, "b")});
    t.SetModified(false);

    SEventData late = Rec(1600, -1, -1, false, 0, "late");
    EXPECT_FALSE(t.InsertAtDate(&late));
    EXPECT_EQ("late", late.text); // not taken
    EXPECT_EQ(2, t.GetLen());
    EXPECT_FALSE(t.GetModified());
    EXPECT_FALSE(t.InsertAtDate(nullptr));

    t.SetData(late, true, -1, EP_EVERY);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "late"}), Texts(t));

    SEventData mid = Rec(1550, -1, -1, false, 0, "mid");
    EXPECT_TRUE(t.InsertAtDate(&mid));
    EXPECT_EQ((std::vector<std::string>{"a", "mid", "b", "late"}), Texts(t));
    EXPECT_TRUE(t.GetModified());
}

// ---------------------------------------------------------------- filters and indexes

TEST(YearEvent, VisibleIndexesCountOnlyWhatTheFilterShows)
{
    CYearEvent t;
    Fill(t, {Rec(1, -1, -1, false, 0, "h1"), Rec(2, -1, -1, false, 2, "low"),
             Rec(3, -1, -1, false, 0, "h2")});
    SEventData out;
    ASSERT_TRUE(t.GetAt(1, &out, EP_HIGH));
    EXPECT_EQ("h2", out.text);
    ASSERT_TRUE(t.GetAt(1, &out, EP_ALL));
    EXPECT_EQ("low", out.text);
    EXPECT_FALSE(t.GetAt(2, &out, EP_HIGH));
    EXPECT_FALSE(t.GetAt(-1, &out, EP_ALL));
    EXPECT_FALSE(t.GetAt(3, &out, EP_EVERY));
    EXPECT_FALSE(t.GetAt(0, &out, -1)); // a negative filter shows nothing
    EXPECT_TRUE(t.GetAt(2, &out, 7));   // above 3: every record
    EXPECT_EQ(1, t.GetIndexFromEventData(t.GetRecord(2), EP_HIGH));
    EXPECT_EQ(2, t.GetIndexFromEventData(t.GetRecord(2), EP_ALL));
    EXPECT_EQ(-1, t.GetIndexFromEventData(t.GetRecord(1), EP_MIDDLE));
    EXPECT_EQ(-1, t.GetIndexFromEventData(Rec(9), EP_ALL));
}

TEST(YearEvent, PerYearQueries)
{
    CYearEvent t;
    Fill(t, {Rec(1999), Rec(2000, -1, -1, false, 1, "m"), Rec(2000, -1, -1, false, 0, "h"),
             Rec(2005, -1, -1, false, 2)});
    EXPECT_EQ(2005, t.GetNextYear(2000, EP_ALL));
    EXPECT_EQ(2000, t.GetNextYear(1999, EP_ALL));
    EXPECT_EQ(kNoYear, t.GetNextYear(2000, EP_MIDDLE));
    EXPECT_EQ(1, t.GetIndexFromYear(2000, EP_ALL));
    EXPECT_EQ(1, t.GetIndexFromYear(2000, EP_HIGH)); // "h" is visible index 1
    EXPECT_EQ(-1, t.GetIndexFromYear(2001, EP_ALL));
    EXPECT_EQ(2, t.GetNumOfYear(2000, EP_MIDDLE));
    EXPECT_EQ(1, t.GetNumOfYear(2000, EP_HIGH));
    EXPECT_EQ(0, t.GetNumOfYear(2005, EP_MIDDLE));
    EXPECT_EQ(3, t.GetNearestYear(2001, EP_ALL));
    EXPECT_EQ(-1, t.GetNearestYear(2001, EP_MIDDLE));

    std::vector<SEventData*> out{nullptr};
    ASSERT_TRUE(t.GetData(2000, out, EP_ALL));
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ("m", out[0]->text);
    EXPECT_EQ("h", out[1]->text);
    ASSERT_TRUE(t.GetData(2000, out, EP_HIGH));
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ("h", out[0]->text);
    EXPECT_FALSE(t.GetData(2005, out, EP_HIGH));
    EXPECT_TRUE(out.empty());

    CYearEvent one;
    Fill(one, {Rec(1999)});
    EXPECT_EQ(kNoYear, one.GetNextYear(2000, EP_ALL));
    CYearEvent two;
    Fill(two, {Rec(1400), Rec(1600)});
    EXPECT_EQ(1, two.GetNearestYear(1500, EP_ALL));
    CYearEvent single;
    Fill(single, {Rec(1400)});
    EXPECT_EQ(-1, single.GetNearestYear(1500, EP_ALL));
}

TEST(YearEvent, YearsAtTheInt32Limits)
{
    CYearEvent t;
    const int32_t lo = INT32_MIN, hi = INT32_MAX;
    t.SetData(Rec(hi, 12, 31), true, -1, EP_EVERY);
    t.SetData(Rec(lo, -1, -1), true, -1, EP_EVERY);
    t.SetData(Rec(lo, 1, 1, false, 2), true, -1, EP_EVERY);
    t.SetData(Rec(hi - 1), true, -1, EP_EVERY);
    ASSERT_EQ(4, t.GetLen());
    EXPECT_EQ(lo, t.GetRecord(0).year);
    EXPECT_EQ(1, t.GetRecord(1).month);
    EXPECT_EQ(hi, t.GetRecord(3).year);
    EXPECT_EQ(lo, t.GetMinYear());
    EXPECT_EQ(hi, t.GetMaxYear());

    EXPECT_EQ(0, t.GetNearestYear(lo, EP_ALL));
    EXPECT_EQ(0, t.GetIndexFromYear(lo, EP_HIGH));
    EXPECT_EQ(2, t.GetNumOfYear(lo, EP_ALL));
    EXPECT_EQ(1, t.GetNumOfYear(lo, EP_HIGH));
    EXPECT_EQ(hi - 1, t.GetNextYear(lo, EP_ALL));
    EXPECT_EQ(hi, t.GetNextYear(hi - 1, EP_ALL));
    EXPECT_EQ(kNoYear, t.GetNextYear(hi, EP_ALL));
    EXPECT_EQ(2, t.GetNearestYear(hi, EP_HIGH));
    EXPECT_EQ(1, t.GetNumOfYear(hi, EP_HIGH));

    // Only a hidden record at the lowest year: nothing there under filter 0.
    CYearEvent h;
    Fill(h, {Rec(lo, -1, -1, false, 2)});
    EXPECT_EQ(-1, h.GetNearestYear(lo, EP_HIGH));
    EXPECT_EQ(-1, h.GetIndexFromYear(lo, EP_HIGH));
    EXPECT_EQ(0, h.GetNumOfYear(lo, EP_HIGH));
    EXPECT_EQ(kNoYear, h.GetNextYear(lo, EP_HIGH));

    CYearEvent empty;
    EXPECT_EQ(kNoneYear, empty.GetMinYear());
    EXPECT_EQ(kNoneYear, empty.GetMaxYear());
    EXPECT_EQ(-1, empty.GetNearestYear(lo, EP_EVERY));
}

// ---------------------------------------------------------------- changes

TEST(YearEvent, SetDataReplaces)
{
    CYearEvent t;
    Fill(t, {Rec(1600, 1, 1, false, 0, "a"), Rec(1700, 5, 5, false, 0, "b"),
             Rec(1800, -1, -1, false, 0, "c")});
    t.SetModified(false);

    // Identical: true, nothing marked.
    EXPECT_TRUE(t.SetData(t.GetRecord(1), true, 1, EP_ALL));
    EXPECT_FALSE(t.GetModified());

    // Same year and date: in place.
    SEventData r = t.GetRecord(1);
    r.text = "b2";
    EXPECT_TRUE(t.SetData(r, true, 1, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"a", "b2", "c"}), Texts(t));
    EXPECT_TRUE(t.GetModified());

    // A new year moves the record to its place.
    r.year = 1900;
    EXPECT_TRUE(t.SetData(r, true, 1, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"a", "c", "b2"}), Texts(t));
    r.year = 1500;
    EXPECT_TRUE(t.SetData(r, true, 2, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"b2", "a", "c"}), Texts(t));

    // Missing index: false, nothing changed.
    t.SetModified(false);
    EXPECT_FALSE(t.SetData(r, true, 3, EP_ALL));
    EXPECT_FALSE(t.SetData(r, true, -2, EP_ALL));
    EXPECT_FALSE(t.SetData(r, true, 0, -1));
    EXPECT_EQ(3, t.GetLen());
    EXPECT_FALSE(t.GetModified());
}

TEST(YearEvent, SetDataKeepsTheListPlaceWhenTheDateIsCleared)
{
    CYearEvent t;
    Fill(t, {Rec(1600, 1, 1, false, 0, "a"), Rec(1600, 5, 5, false, 0, "b")});
    SEventData r = t.GetRecord(1);
    r.month = -1;
    r.day = -1;
    EXPECT_TRUE(t.SetData(r, true, 1, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Texts(t));
    EXPECT_EQ(-1, t.GetRecord(1).month);

    // A changed date within the year re-sorts.
    r = t.GetRecord(0);
    r.month = 12;
    EXPECT_TRUE(t.SetData(r, true, 0, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"b", "a"}), Texts(t));
}

TEST(YearEvent, SetAtRemoveAtAndRemoveAll)
{
    CYearEvent t;
    Fill(t, {Rec(1, -1, -1, false, 0, "a"), Rec(2, -1, -1, false, 2, "b"),
             Rec(3, -1, -1, false, 0, "c"), Rec(4, -1, -1, false, 1, "d")});
    t.SetModified(false);

    const SEventData x = Rec(9, -1, -1, false, 0, "x");
    EXPECT_TRUE(t.SetAt(1, &x, EP_HIGH));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "x", "d"}), Texts(t));
    EXPECT_FALSE(t.GetModified());
    EXPECT_FALSE(t.SetAt(2, &x, EP_HIGH));
    EXPECT_FALSE(t.SetAt(0, nullptr, EP_HIGH));
    EXPECT_FALSE(t.SetAt(-1, &x, EP_ALL));

    SEventData removed;
    EXPECT_FALSE(t.RemoveAt(2, EP_HIGH, &removed));
    EXPECT_FALSE(t.GetModified());
    // The last visible record, also the last of the list under filter 1.
    EXPECT_TRUE(t.RemoveAt(2, EP_MIDDLE, &removed));
    EXPECT_EQ("d", removed.text);
    EXPECT_TRUE(t.GetModified());
    EXPECT_TRUE(t.RemoveAt(1, EP_HIGH, nullptr));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Texts(t));

    t.SetModified(false);
    t.RemoveAll();
    EXPECT_EQ(0, t.GetLen());
    EXPECT_FALSE(t.GetModified());
    EXPECT_FALSE(t.RemoveAt(0, EP_EVERY, nullptr));
}

// ---------------------------------------------------------------- moves

TEST(YearEvent, MovesExchangeNeighboursOfOneYear)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent t;
    Fill(t, {Rec(1500, -1, -1, false, 0, "z"), Rec(1600, -1, -1, false, 0, "a"),
             Rec(1600, -1, -1, false, 0, "b"), Rec(1600, -1, -1, false, 0, "c"),
             Rec(1700, -1, -1, false, 0, "y")});
    t.SetModified(false);

    EXPECT_TRUE(t.MoveToAfter(1600, 0, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"z", "b", "a", "c", "y"}), Texts(t));
    EXPECT_TRUE(t.GetModified());
    EXPECT_TRUE(t.MoveToBefore(1600, 2, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"z", "b", "c", "a", "y"}), Texts(t));
    EXPECT_TRUE(t.MoveToBefore(1600, 0, EP_ALL)); // as n = 1
    EXPECT_EQ((std::vector<std::string>{"z", "c", "b", "a", "y"}), Texts(t));

    // The last record of the year is not moved past the next year, nor the
    // first before the previous one; a missing position is refused.
    const auto before = Texts(t);
    EXPECT_FALSE(t.MoveToAfter(1600, 2, EP_ALL));
    EXPECT_FALSE(t.MoveToAfter(1600, 5, EP_ALL));
    EXPECT_FALSE(t.MoveToBefore(1600, 3, EP_ALL));
    EXPECT_FALSE(t.MoveToAfter(1700, 0, EP_ALL)); // end of the list
    EXPECT_EQ(before, Texts(t));

    // A year without records: nothing to do, and that is fine.
    t.SetModified(false);
    EXPECT_TRUE(t.MoveToAfter(1650, 0, EP_ALL));
    EXPECT_TRUE(t.MoveToBefore(1650, 1, EP_ALL));
    EXPECT_FALSE(t.GetModified());
    EXPECT_TRUE(host.Messages().empty());
}

TEST(YearEvent, MovesAcrossHiddenRecordsAreRefusedWithAMessage)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent t;
    Fill(t, {Rec(1600, -1, -1, false, 0, "a"), Rec(1600, -1, -1, false, 1, "m"),
             Rec(1600, -1, -1, false, 0, "b")});
    t.SetModified(false);

    EXPECT_FALSE(t.MoveToBefore(1600, 1, EP_HIGH));
    EXPECT_FALSE(t.MoveToAfter(1600, 0, EP_HIGH));
    EXPECT_EQ((std::vector<std::string>{"a", "m", "b"}), Texts(t));
    EXPECT_FALSE(t.GetModified());
    ASSERT_EQ(2u, host.Messages().size());
    EXPECT_EQ(MoveMessage(), host.Messages()[0]);
    EXPECT_EQ(std::string(CYearEvent::MoveRefusedMessage()), MoveMessage());

    // Position 1 under filter 0 is "b" (the hidden "m" is passed over).
    EXPECT_FALSE(t.MoveToAfter(1600, 1, EP_HIGH)); // nothing after "b" in the year
    EXPECT_EQ(2u, host.Messages().size());

    EXPECT_TRUE(t.MoveToBefore(1600, 1, EP_ALL));
    EXPECT_EQ((std::vector<std::string>{"m", "a", "b"}), Texts(t));

    // Position 0 is the first record of the year even when it is hidden.
    EXPECT_TRUE(t.MoveToAfter(1600, 0, EP_HIGH));
    EXPECT_EQ((std::vector<std::string>{"a", "m", "b"}), Texts(t));
}

// ---------------------------------------------------------------- iteration, copies, merge

TEST(YearEvent, CursorIteration)
{
    CYearEvent t;
    SEventData out;
    EXPECT_FALSE(t.GetFirstData(&out));
    EXPECT_FALSE(t.GetNextData(&out));
    EXPECT_FALSE(t.GetTailData(&out));

    Fill(t, {Rec(1, -1, -1, false, 0, "a"), Rec(2, -1, -1, false, 2, "b"),
             Rec(3, -1, -1, false, 0, "c")});
    std::vector<std::string> seen;
    for (bool more = t.GetFirstData(&out); more; more = t.GetNextData(&out))
        seen.push_back(out.text);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), seen);
    EXPECT_EQ(3, t.GetCurPos());

    ASSERT_TRUE(t.GetFirstData(&out));
    EXPECT_EQ(1, t.GetCurPos());
    ASSERT_TRUE(t.GetTailData(&out));
    EXPECT_EQ("c", out.text);
    EXPECT_FALSE(t.GetNextData(&out));

    // A removal behind the cursor shortens the list; the cursor stays safe.
    t.GetFirstData(&out);
    t.GetNextData(&out);
    t.GetNextData(&out);
    t.RemoveAt(0, EP_EVERY, nullptr);
    t.RemoveAt(0, EP_EVERY, nullptr);
    EXPECT_FALSE(t.GetNextData(&out));
    EXPECT_EQ("c", t.GetRecord(0).text);
    EXPECT_EQ(0, t.GetRecord(5).year); // out of range: an empty record, no crash
    EXPECT_EQ(0, t.GetRecord(-1).year);
}

TEST(YearEvent, CopiesAreDeepAndCarryTheHeader)
{
    CYearEvent t;
    t.SetTableName(Sjis("日本史"));
    t.SetExplanation("notes");
    t.SetTodayDate(true);
    t.SetFileName("A.LEV");
    Fill(t, {Rec(1, -1, -1, false, 0, "a"), Rec(2, -1, -1, false, 1, "b")});
    SEventData out;
    t.GetFirstData(&out);

    CYearEvent copy(t);
    EXPECT_EQ(Records(t), Records(copy));
    EXPECT_EQ(t.GetTableName(), copy.GetTableName());
    EXPECT_EQ("A.LEV", copy.GetFileName());
    EXPECT_TRUE(copy.GetTodayDate());
    EXPECT_EQ(0, copy.GetCurPos());

    CYearEvent assigned;
    Fill(assigned, {Rec(99)});
    assigned = t;
    EXPECT_EQ(Records(t), Records(assigned));
    EXPECT_EQ("notes", assigned.GetExplanation());
    assigned = assigned;
    EXPECT_EQ(2, assigned.GetLen());

    assigned.RemoveAt(0, EP_EVERY, nullptr);
    copy.SetData(Rec(0), true, -1, EP_EVERY);
    EXPECT_EQ(2, t.GetLen());
    EXPECT_EQ("a", t.GetRecord(0).text);
    EXPECT_EQ(1, t.GetNumOfYear(1, EP_ALL));
}

// Copies share their records until one changes; then each must see only its
// own changes, whichever changes first, in every kind of change, and the
// records of an unchanged copy must stay where they are.
TEST(YearEvent, CopiesSharingRecordsSeeOnlyTheirOwnChanges)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> year(1, 60);
    CYearEvent original;
    for (int i = 0; i < 2000; ++i)
        original.SetData(Rec(year(rng), -1, -1, false, i % 3, "r" + std::to_string(i)), true, -1,
                         EP_EVERY);
    const std::string originalBytes = original.MakeFileContent();
    std::vector<const SEventData*> pointers;
    original.GetRecords(pointers);

    // Each step is done to a sharing copy and to an unshared table alike.
    auto change = [](CYearEvent& t, int step) {
        std::mt19937 local(static_cast<unsigned>(step));
        const int n = t.GetLen();
        std::uniform_int_distribution<int> at(0, n - 1);
        switch (step % 5) {
        case 0:
            t.SetData(Rec(static_cast<int32_t>(local() % 70), -1, -1, false, 0, "new"), true, -1,
                      EP_EVERY);
            break;
        case 1:
            t.RemoveAt(at(local), EP_EVERY, nullptr);
            break;
        case 2: {
            SEventData r = Rec(static_cast<int32_t>(local() % 70), 3, 1, false, 1, "moved");
            t.SetData(r, true, at(local), EP_ALL);
            break;
        }
        case 3: {
            const SEventData r = Rec(5, -1, -1, false, 2, "set");
            t.SetAt(at(local), &r, EP_EVERY);
            break;
        }
        default:
            t.MoveToAfter(static_cast<int32_t>(local() % 60), 0, EP_EVERY);
            break;
        }
    };

    CYearEvent copy(original);
    CYearEvent model; // the same records, shared with nothing
    for (const SEventData* r : pointers)
        model.SetData(*r, false, -1, EP_EVERY);
    for (int step = 0; step < 300; ++step) {
        change(copy, step);
        change(model, step);
    }
    EXPECT_EQ(copy.MakeFileContent(), model.MakeFileContent());
    EXPECT_EQ(original.MakeFileContent(), originalBytes);
    std::vector<const SEventData*> now;
    original.GetRecords(now);
    EXPECT_EQ(now, pointers);

    // The original changes too, and the copy made of the changed copy.
    const std::vector<SEventData> unchanged = Records(original);
    CYearEvent second(copy);
    for (int step = 300; step < 400; ++step) {
        change(original, step);
        change(second, step + 1000);
    }
    EXPECT_EQ(copy.MakeFileContent(), model.MakeFileContent());
    for (int step = 300; step < 400; ++step)
        change(model, step + 1000);
    EXPECT_EQ(second.MakeFileContent(), model.MakeFileContent());

    // Taking a copy's records, as an editor's OK does, then dropping the copy.
    {
        CYearEvent editor(original);
        change(editor, 7);
        original = editor;
    }
    CYearEvent check;
    for (const SEventData& r : unchanged)
        check.SetData(r, false, -1, EP_EVERY);
    for (int step = 300; step < 400; ++step)
        change(check, step);
    change(check, 7);
    EXPECT_EQ(original.MakeFileContent(), check.MakeFileContent());
    for (int32_t y = 0; y <= 70; ++y)
        EXPECT_EQ(original.GetNumOfYear(y, EP_ALL), check.GetNumOfYear(y, EP_ALL)) << y;
}

TEST(YearEvent, RecordsHeldByManyCopiesLiveUntilTheLastLetsGo)
{
    // Each copy that changes a record copies its leaf, so the records beside
    // it gain a holder per copy: counts well past the few a table usually
    // sees, dropped in any order, must free a record only after its last
    // holder, and a freed place is soon reused by a new record.
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent original;
    for (int i = 0; i < 40; ++i)
        original.SetData(Rec(100 + i, -1, -1, false, 0, "r" + std::to_string(i)), false, -1,
                         EP_EVERY);
    const SEventData* shared = &original.GetRecord(6);
    std::vector<std::unique_ptr<CYearEvent>> copies;
    for (int k = 0; k < 12; ++k) {
        copies.push_back(std::make_unique<CYearEvent>(original));
        SEventData r = copies.back()->GetRecord(5);
        r.text = "copy " + std::to_string(k);
        ASSERT_TRUE(copies.back()->SetAt(5, &r, EP_EVERY));
    }
    auto expectIntact = [&](const CYearEvent& t, const std::string& what) {
        ASSERT_EQ(40, t.GetLen()) << what;
        EXPECT_EQ(shared, &t.GetRecord(6)) << what;
        EXPECT_EQ("r6", t.GetRecord(6).text) << what;
        EXPECT_EQ("r7", t.GetRecord(7).text) << what;
    };
    for (int k = 0; k < 12; ++k) {
        expectIntact(*copies[static_cast<size_t>(k)], "copy " + std::to_string(k));
        EXPECT_EQ("copy " + std::to_string(k), copies[static_cast<size_t>(k)]->GetRecord(5).text);
    }

    // Half the copies go, the original and some others lose record 6, and new
    // records take whatever places were freed.
    for (int k = 1; k < 12; k += 2)
        copies[static_cast<size_t>(k)].reset();
    SEventData removed;
    ASSERT_TRUE(original.RemoveAt(6, EP_EVERY, &removed));
    EXPECT_EQ("r6", removed.text);
    for (int k : {0, 4})
        ASSERT_TRUE(copies[static_cast<size_t>(k)]->RemoveAt(6, EP_EVERY, nullptr));
    for (int i = 0; i < 80; ++i)
        original.SetData(Rec(500 + i, -1, -1, false, 0, "late"), false, -1, EP_EVERY);
    for (int k : {2, 6, 8, 10})
        expectIntact(*copies[static_cast<size_t>(k)], "copy " + std::to_string(k));
    EXPECT_EQ("r7", copies[0]->GetRecord(6).text);

    // The last holder takes the record out whole.
    for (int k : {2, 6, 8})
        copies[static_cast<size_t>(k)].reset();
    ASSERT_TRUE(copies[10]->RemoveAt(6, EP_EVERY, &removed));
    EXPECT_EQ("r6", removed.text);
    EXPECT_EQ("r7", copies[10]->GetRecord(6).text);
    EXPECT_EQ("copy 10", copies[10]->GetRecord(5).text);
    EXPECT_EQ("r5", original.GetRecord(5).text);
}

TEST(YearEvent, MergeAddsEveryRecordInDateOrder)
{
    CYearEvent a, b;
    a.SetData(Rec(1600, -1, -1, false, 0, "a1"), true, -1, EP_EVERY);
    a.SetData(Rec(1800, -1, -1, false, 0, "a2"), true, -1, EP_EVERY);
    Fill(b, {Rec(1900, -1, -1, false, 2, "b1"), Rec(1700, -1, -1, false, 0, "b2"),
             Rec(1500, -1, -1, false, 4, "b3")});
    a.SetModified(false);
    EXPECT_TRUE(a.Merge(b));
    EXPECT_EQ((std::vector<std::string>{"b3", "a1", "b2", "a2", "b1"}), Texts(a));
    EXPECT_TRUE(a.GetModified());
    EXPECT_EQ(3, b.GetLen());
    EXPECT_EQ(3, b.GetCurPos()); // iterated with its own cursor

    CYearEvent empty;
    EXPECT_TRUE(a.Merge(empty));
    EXPECT_EQ(5, a.GetLen());
}

TEST(YearEvent, MergingATableIntoItselfDoublesItOnce)
{
    CYearEvent t;
    Fill(t, {Rec(1600, -1, -1, false, 0, "a"), Rec(1700, -1, -1, false, 0, "b")});
    EXPECT_TRUE(t.Merge(t));
    EXPECT_EQ((std::vector<std::string>{"a", "a", "b", "b"}), Texts(t));
}

// ---------------------------------------------------------------- search

TEST(YearEvent, SearchStrWalksFromStartWithinYearsAndFilter)
{
    CYearEvent t;
    Fill(t, {Rec(1600, -1, -1, false, 0, Sjis("関ヶ原の戦い")),
             Rec(1615, -1, -1, false, 2, Sjis("大坂の陣の戦い")),
             Rec(1637, -1, -1, false, 0, Sjis("島原の乱")),
             Rec(1868, -1, -1, false, 0, Sjis("戊辰の戦い"))});
    int32_t year = 5;
    const std::string war = Sjis("戦い");
    EXPECT_EQ(0, t.SearchStr(war, year, INT32_MIN, INT32_MAX, EP_ALL, -1));
    EXPECT_EQ(kNoYear, year);
    EXPECT_EQ(1, t.SearchStr(war, year, INT32_MIN, INT32_MAX, EP_ALL, 1));
    EXPECT_EQ(3, t.SearchStr(war, year, INT32_MIN, INT32_MAX, EP_HIGH, 1));
    EXPECT_EQ(1, t.SearchStr(war, year, 1601, 1700, EP_ALL, -1));
    EXPECT_EQ(-1, t.SearchStr(war, year, 1601, 1700, EP_HIGH, -1));

    year = 5;
    EXPECT_EQ(-1, t.SearchStr(war, year, 1601, 1600, EP_ALL, -1)); // empty range
    EXPECT_EQ(-1, t.SearchStr(war, year, INT32_MIN, INT32_MAX, EP_ALL, 4));
    EXPECT_EQ(-1, t.SearchStr(war, year, INT32_MIN, INT32_MAX, EP_ALL, -2));
    EXPECT_EQ(-1, t.SearchStr(Sjis("鎌倉"), year, INT32_MIN, INT32_MAX, EP_ALL, -1));
    EXPECT_EQ(5, year); // untouched without a match

    CYearEvent empty;
    EXPECT_EQ(-1, empty.SearchStr(war, year, INT32_MIN, INT32_MAX, EP_ALL, -1));
}

TEST(YearEvent, SearchStrIgnoresMarkupAndMatchesWholeCharacters)
{
    CYearEvent t;
    Fill(t, {Rec(1, -1, -1, false, 0, "<A HREF=\"kyoto.htm\">Heian</A> capital"),
             Rec(2, -1, -1, false, 0, Sjis("ャA")), Rec(3, -1, -1, false, 0, "Kyoto")});
    int32_t year = 0;
    EXPECT_EQ(0, t.SearchStr("Heian capital", year, INT32_MIN, INT32_MAX, EP_ALL, -1));
    EXPECT_EQ(2, t.SearchStr("Kyoto", year, INT32_MIN, INT32_MAX, EP_ALL, -1));
    EXPECT_EQ(-1, t.SearchStr("kyoto", year, INT32_MIN, INT32_MAX, EP_ALL, -1));
    EXPECT_EQ(-1, t.SearchStr(Sjis("ア"), year, INT32_MIN, INT32_MAX, EP_ALL, -1));
}

// ---------------------------------------------------------------- against a plain model

namespace {

// The list as a vector with the obvious linear algorithms.
struct Model
{
    std::vector<SEventData> v;

    static bool Vis(const SEventData& r, int f) { return f >= 3 || (f >= 0 && r.priority <= f); }
    std::vector<int> Visible(int f) const
    {
        std::vector<int> idx;
        for (int i = 0; i < static_cast<int>(v.size()); ++i)
            if (Vis(v[i], f))
                idx.push_back(i);
        return idx;
    }
    int Pos(int index, int f) const
    {
        const auto idx = Visible(f);
        return index >= 0 && index < static_cast<int>(idx.size()) ? idx[index] : -1;
    }
    int FirstVisible(int f, const std::function<bool(const SEventData&)>& p) const
    {
        const auto idx = Visible(f);
        for (size_t k = 0; k < idx.size(); ++k)
            if (p(v[idx[k]]))
                return static_cast<int>(k);
        return -1;
    }
    bool InsertAtDate(const SEventData& r)
    {
        for (size_t i = 0; i < v.size(); ++i) {
            if (v[i].year > r.year || (v[i].year == r.year && v[i].DateKey() > r.DateKey())) {
                v.insert(v.begin() + i, r);
                return true;
            }
        }
        return false;
    }
    bool SetData(const SEventData& r, bool sorted, int index, int f)
    {
        if (index == -1) {
            if (!sorted || !InsertAtDate(r))
                v.push_back(r);
            return true;
        }
        const int p = Pos(index, f);
        if (p < 0)
            return false;
        const SEventData old = v[p];
        if (old == r)
            return true;
        if (old.year == r.year &&
            ((old.day == r.day && old.month == r.month && old.leapMonth == r.leapMonth) ||
             (r.day == -1 && r.month == -1))) {
            v[p] = r;
        } else {
            v.erase(v.begin() + p);
            if (!InsertAtDate(r))
                v.push_back(r);
        }
        return true;
    }
    // 1: moved, 0: refused, 2: refused with the message, 3: no such year.
    int Move(int32_t year, int n, int f, bool after)
    {
        int p = -1;
        for (size_t i = 0; i < v.size() && p < 0; ++i)
            if (v[i].year == year)
                p = static_cast<int>(i);
        if (p < 0)
            return 3;
        int steps = after ? std::max(n, 0) : std::max(n, 1) - 1;
        while (steps > 0 && p >= 0) {
            ++p;
            while (p < static_cast<int>(v.size()) && !Vis(v[p], f))
                ++p;
            if (p >= static_cast<int>(v.size()))
                p = -1;
            --steps;
        }
        if (p < 0 || v[p].year != year)
            return 0;
        if (p + 1 >= static_cast<int>(v.size()) || v[p + 1].year != year)
            return 0;
        if (!Vis(v[p + 1], f))
            return 2;
        std::swap(v[p], v[p + 1]);
        return 1;
    }
};

class Fuzz
{
public:
    explicit Fuzz(unsigned seed) : m_rng(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    int32_t Year()
    {
        static const int32_t years[] = {INT32_MIN, INT32_MIN + 1, -3,       -2, -1, 1, 2, 3,
                                        1600,      INT32_MAX - 1, INT32_MAX};
        return years[Int(0, 10)];
    }
    SEventData Record()
    {
        SEventData r;
        r.year = Year();
        r.month = static_cast<int16_t>(Int(-1, 3));
        r.day = static_cast<int16_t>(Int(-1, 2));
        r.leapMonth = Int(0, 3) == 0;
        static const int priorities[] = {0, 0, 1, 2, 2, -1, 4};
        r.priority = static_cast<int8_t>(priorities[Int(0, 6)]);
        r.text = "r" + std::to_string(m_serial++);
        return r;
    }

private:
    std::mt19937 m_rng;
    int m_serial = 0;
};

void ExpectSameAnswers(const CYearEvent& t, const Model& m, const std::string& where)
{
    ASSERT_EQ(static_cast<int>(m.v.size()), t.GetLen()) << where;
    for (size_t i = 0; i < m.v.size(); ++i)
        ASSERT_EQ(m.v[i], t.GetRecord(static_cast<int>(i))) << where << " at " << i;

    static const int32_t probes[] = {INT32_MIN, INT32_MIN + 1, -3,       -2, -1, 0, 1, 2, 3, 1600,
                                     1601,      INT32_MAX - 1, INT32_MAX};
    for (int f = -1; f <= 4; ++f) {
        const auto idx = m.Visible(f);
        for (int k = -1; k <= static_cast<int>(idx.size()); ++k) {
            SEventData out;
            const bool ok = t.GetAt(k, &out, f);
            ASSERT_EQ(k >= 0 && k < static_cast<int>(idx.size()), ok) << where;
            if (ok) {
                ASSERT_EQ(m.v[idx[k]], out) << where << " f=" << f << " k=" << k;
            }
        }
        for (size_t i = 0; i < m.v.size(); i += 3) {
            const SEventData& r = m.v[i];
            ASSERT_EQ(m.FirstVisible(f, [&r](const SEventData& x) { return x == r; }),
                      t.GetIndexFromEventData(r, f))
                << where << " f=" << f << " record " << i;
        }
        for (int32_t y : probes) {
            const std::string at = where + " f=" + std::to_string(f) + " y=" + std::to_string(y);
            ASSERT_EQ(m.FirstVisible(f, [y](const SEventData& r) { return r.year == y; }),
                      t.GetIndexFromYear(y, f))
                << at;
            ASSERT_EQ(m.FirstVisible(f, [y](const SEventData& r) { return r.year >= y; }),
                      t.GetNearestYear(y, f))
                << at;
            const int next = m.FirstVisible(f, [y](const SEventData& r) { return r.year > y; });
            ASSERT_EQ(next < 0 ? kNoYear : m.v[idx[next]].year, t.GetNextYear(y, f)) << at;

            std::vector<SEventData> expected;
            for (int i : idx)
                if (m.v[i].year == y)
                    expected.push_back(m.v[i]);
            ASSERT_EQ(static_cast<int>(expected.size()), t.GetNumOfYear(y, f)) << at;
            std::vector<SEventData*> got;
            ASSERT_EQ(!expected.empty(), t.GetData(y, got, f)) << at;
            ASSERT_EQ(expected.size(), got.size()) << at;
            for (size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(expected[i], *got[i]) << at;
        }
    }
    if (!m.v.empty()) {
        int32_t lo = INT32_MAX, hi = INT32_MIN;
        for (const SEventData& r : m.v) {
            lo = std::min(lo, r.year);
            hi = std::max(hi, r.year);
        }
        ASSERT_EQ(lo, t.GetMinYear()) << where;
        ASSERT_EQ(hi, t.GetMaxYear()) << where;
    }
}

void RunModel(unsigned seed, bool sortedOnly, int steps)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    Fuzz fz(seed);
    CYearEvent t;
    Model m;
    for (int step = 0; step < steps; ++step) {
        const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
        const int f = fz.Int(-1, 3);
        const int n = static_cast<int>(m.v.size());
        switch (fz.Int(0, sortedOnly ? 6 : 9)) {
        case 0:
        case 1:
        case 2: {
            const SEventData r = fz.Record();
            ASSERT_TRUE(t.SetData(r, true, -1, EP_EVERY));
            m.SetData(r, true, -1, EP_EVERY);
            break;
        }
        case 3: { // replace, often keeping the year
            const int k = fz.Int(-1, n);
            SEventData r = fz.Record();
            if (m.Pos(k, f) >= 0 && fz.Int(0, 1))
                r.year = m.v[m.Pos(k, f)].year;
            ASSERT_EQ(m.SetData(r, true, k, f), t.SetData(r, true, k, f)) << where;
            break;
        }
        case 4: {
            const int k = fz.Int(-1, n);
            SEventData removed, expected;
            const int p = m.Pos(k, f);
            if (p >= 0) {
                expected = m.v[p];
                m.v.erase(m.v.begin() + p);
            }
            ASSERT_EQ(p >= 0, t.RemoveAt(k, f, &removed)) << where;
            if (p >= 0) {
                ASSERT_EQ(expected, removed) << where;
            }
            break;
        }
        case 5:
        case 6: {
            const int32_t y = fz.Year();
            const int k = fz.Int(-1, 3);
            const bool after = fz.Int(0, 1) == 1;
            host.Clear();
            const int res = m.Move(y, k, f, after);
            const bool ok = after ? t.MoveToAfter(y, k, f) : t.MoveToBefore(y, k, f);
            ASSERT_EQ(res == 1 || res == 3, ok) << where;
            ASSERT_EQ(res == 2 ? 1u : 0u, host.Messages().size()) << where;
            break;
        }
        case 7: {
            const SEventData r = fz.Record();
            ASSERT_TRUE(t.SetData(r, false, -1, EP_EVERY));
            m.SetData(r, false, -1, EP_EVERY);
            break;
        }
        case 8: {
            const int k = fz.Int(-1, n);
            const SEventData r = fz.Record();
            const int p = m.Pos(k, f);
            if (p >= 0)
                m.v[p] = r;
            ASSERT_EQ(p >= 0, t.SetAt(k, &r, f)) << where;
            break;
        }
        case 9: {
            SEventData r = fz.Record();
            SEventData copy = r;
            const bool inserted = m.InsertAtDate(r);
            ASSERT_EQ(inserted, t.InsertAtDate(&copy)) << where;
            break;
        }
        }
        if (step % 5 == 0 || step == steps - 1)
            ExpectSameAnswers(t, m, where);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    // A copy answers the same, and the original survives its destruction.
    {
        CYearEvent copy(t);
        ExpectSameAnswers(copy, m, "copy");
    }
    ExpectSameAnswers(t, m, "after copy");
}

} // namespace

TEST(YearEventModel, SortedInsertsRemovalsAndMoves)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        RunModel(seed, true, 150);
        if (HasFatalFailure())
            return;
    }
}

TEST(YearEventModel, UnsortedAppendsReplacementsAndInserts)
{
    for (unsigned seed = 100; seed <= 112; ++seed) {
        RunModel(seed, false, 150);
        if (HasFatalFailure())
            return;
    }
}

TEST(YearEventModel, LargerTableStaysConsistent)
{
    RunModel(4242, false, 1500);
}

// ------------------------------------- copies sharing storage, and record addresses

namespace {

struct SCopy
{
    std::unique_ptr<CYearEvent> table;
    Model model;
};

std::vector<const SEventData*> Addresses(const CYearEvent& t)
{
    std::vector<const SEventData*> out;
    t.GetRecords(out);
    return out;
}

// How many of before's addresses after still holds.
size_t Kept(std::vector<const SEventData*> before, std::vector<const SEventData*> after)
{
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::vector<const SEventData*> common;
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(),
                          std::back_inserter(common));
    return common.size();
}

// A table read from a file (its texts kept by the storage), then changed
// through several copies at once: each copy must answer as its own model, a
// change must leave every other record of that copy where it was, and the
// other copies must not move at all.
void RunCopies(unsigned seed, int records, int steps)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    Fuzz fz(seed);
    std::vector<SCopy> copies(1);
    copies[0].table = std::make_unique<CYearEvent>();
    {
        CYearEvent source;
        for (int i = 0; i < records; ++i) {
            SEventData r = fz.Record();
            r.priority = static_cast<int8_t>(std::max(0, std::min(2, int(r.priority))));
            r.year = fz.Int(-40, 40);
            if (r.year == 0)
                r.year = 1;
            if (i % 7 == 0)
                r.supplement = "s" + std::to_string(i);
            source.SetData(r, true, -1, EP_EVERY);
        }
        CTextFileReader reader;
        reader.SetContent(source.MakeFileContent());
        ASSERT_EQ(0, copies[0].table->ReadContent(reader, true));
        for (int i = 0; i < source.GetLen(); ++i)
            copies[0].model.v.push_back(source.GetRecord(i));
    }
    ExpectSameAnswers(*copies[0].table, copies[0].model, "read");

    for (int step = 0; step < steps && !::testing::Test::HasFatalFailure(); ++step) {
        const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
        const int action = fz.Int(0, 11);
        if (action == 0 && copies.size() < 5) {
            SCopy c;
            const SCopy& from = copies[static_cast<size_t>(fz.Int(0, static_cast<int>(copies.size()) - 1))];
            if (fz.Int(0, 1)) {
                c.table = std::make_unique<CYearEvent>(*from.table);
            } else {
                c.table = std::make_unique<CYearEvent>();
                *c.table = *from.table;
            }
            ASSERT_EQ(Addresses(*from.table), Addresses(*c.table)) << where << ": a copy shares";
            c.model = from.model;
            copies.push_back(std::move(c));
            continue;
        }
        if (action == 1 && copies.size() > 1) {
            copies.erase(copies.begin() + fz.Int(0, static_cast<int>(copies.size()) - 1));
            continue;
        }
        const size_t who = static_cast<size_t>(fz.Int(0, static_cast<int>(copies.size()) - 1));
        std::vector<std::vector<const SEventData*>> before;
        for (const SCopy& c : copies)
            before.push_back(Addresses(*c.table));
        CYearEvent& t = *copies[who].table;
        Model& m = copies[who].model;
        const int n = static_cast<int>(m.v.size());
        const int f = fz.Int(0, 3);
        // The records of t this step may move: none, or the one changed.
        size_t mayMove = 0;
        if (action <= 4) {
            const SEventData r = fz.Record();
            ASSERT_TRUE(t.SetData(r, true, -1, EP_EVERY));
            m.SetData(r, true, -1, EP_EVERY);
        } else if (action <= 7) {
            const int k = fz.Int(0, n);
            SEventData removed;
            const int p = m.Pos(k, f);
            const SEventData expected = p >= 0 ? m.v[static_cast<size_t>(p)] : SEventData();
            if (p >= 0)
                m.v.erase(m.v.begin() + p);
            ASSERT_EQ(p >= 0, t.RemoveAt(k, f, &removed)) << where;
            if (p >= 0) {
                ASSERT_EQ(expected, removed) << where;
            }
            mayMove = 1;
        } else if (action <= 9) {
            const int k = fz.Int(0, n);
            SEventData r = fz.Record();
            if (m.Pos(k, f) >= 0 && fz.Int(0, 1))
                r.year = m.v[static_cast<size_t>(m.Pos(k, f))].year;
            ASSERT_EQ(m.SetData(r, true, k, f), t.SetData(r, true, k, f)) << where;
            mayMove = 1;
        } else {
            const int32_t y = fz.Int(-40, 40);
            const int k = fz.Int(0, 3);
            host.Clear();
            const int res = m.Move(y, k, f, true);
            ASSERT_EQ(res == 1 || res == 3, t.MoveToAfter(y, k, f)) << where;
        }
        for (size_t c = 0; c < copies.size(); ++c) {
            const std::vector<const SEventData*> after = Addresses(*copies[c].table);
            if (c != who) {
                ASSERT_EQ(before[c], after) << where << ": another copy's records moved";
                continue;
            }
            ASSERT_GE(Kept(before[c], after) + mayMove, before[c].size())
                << where << ": records the change did not touch moved";
        }
        if (step % 25 == 0)
            ExpectSameAnswers(t, m, where);
        else
            for (size_t i = 0; i < m.v.size(); ++i)
                ASSERT_EQ(m.v[i], t.GetRecord(static_cast<int>(i))) << where << " at " << i;
    }
    for (const SCopy& c : copies)
        ExpectSameAnswers(*c.table, c.model, "end");
}

} // namespace

TEST(YearEventModel, CopiesShareStorageAndKeepRecordAddresses)
{
    RunCopies(7, 300, 400);
}

TEST(YearEventModel, DeepTableReadFromAFileThroughCopiesAndRemovals)
{
    // Enough records for three levels of nodes.
    RunCopies(11, 5000, 300);
}

TEST(YearEventModel, EmptyingATableThroughACopyLeavesTheOriginal)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent original;
    for (int i = 0; i < 3000; ++i)
        original.SetData(Rec(1 + i % 50, -1, -1, false, i % 3, "r" + std::to_string(i)), true, -1,
                         EP_EVERY);
    const std::string bytes = original.MakeFileContent();
    const std::vector<const SEventData*> addresses = Addresses(original);
    CYearEvent copy(original);
    Model m;
    for (int i = 0; i < original.GetLen(); ++i)
        m.v.push_back(original.GetRecord(i));
    // Taken from the middle, the records leave nodes too small to stand
    // alone, which are merged with their neighbours on the way.
    while (copy.GetLen() > 0) {
        SEventData removed;
        const int at = copy.GetLen() / 2;
        ASSERT_TRUE(copy.RemoveAt(at, EP_EVERY, &removed));
        ASSERT_EQ(m.v[static_cast<size_t>(at)], removed);
        m.v.erase(m.v.begin() + at);
        if (m.v.size() % 250 == 0)
            ExpectSameAnswers(copy, m, "emptying, " + std::to_string(m.v.size()) + " left");
    }
    EXPECT_EQ(bytes, original.MakeFileContent());
    EXPECT_EQ(addresses, Addresses(original));
    copy = original;
    copy.RemoveAll();
    EXPECT_EQ(bytes, original.MakeFileContent());
}

TEST(YearEventModel, RecordsTakenOutOfATableReadFromAFileOutliveIt)
{
    // Texts read from a file are kept by the table's storage: whatever leaves
    // the table must carry texts of its own.
    CYearEvent source;
    for (int i = 0; i < 500; ++i) {
        SEventData r = Rec(1 + i, -1, -1, false, 0, "text number " + std::to_string(i));
        r.supplement = "supplement number " + std::to_string(i);
        source.SetData(r, true, -1, EP_EVERY);
    }
    SEventData removed, read, assigned;
    std::vector<SEventData> moved;
    {
        auto table = std::make_unique<CYearEvent>();
        CTextFileReader reader;
        reader.SetContent(source.MakeFileContent());
        ASSERT_EQ(0, table->ReadContent(reader, true));
        ASSERT_TRUE(table->RemoveAt(10, EP_EVERY, &removed));
        ASSERT_TRUE(table->GetAt(20, &read, EP_EVERY));
        std::vector<SEventData*> year;
        ASSERT_TRUE(table->GetData(101, year, EP_EVERY));
        assigned.text = year[0]->text;
        moved.push_back(std::move(*year[0]));
        // The table still holds its own copy of what was moved out.
        EXPECT_EQ("text number 100", table->GetRecord(99).text);
    }
    EXPECT_EQ("text number 10", removed.text);
    EXPECT_EQ("supplement number 10", removed.supplement);
    EXPECT_EQ("text number 21", read.text);
    EXPECT_EQ("text number 100", assigned.text);
    EXPECT_EQ("supplement number 100", moved[0].supplement);
}
