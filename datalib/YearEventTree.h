#pragma once

#include "EventData.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

// The record list of an event table as a B+-tree keyed by list position:
// the leaves, left to right, hold the list, and every node carries
// aggregates of its subtree so that positional, visible-index and per-year
// questions are answered by one descent instead of a walk over the list.
// Leaves hold up to 64 records and inner nodes up to 32 children, so the
// links and aggregates cost a few bytes per record, not a node each.
//
// Visibility classes: class 0 is priority <= 0, 1 and 2 are those priorities,
// 3 is anything above. Under filter f (0..3) classes 0..f are visible, so the
// aggregates are kept cumulatively per filter. A negative filter shows
// nothing.
//
// Per-year questions: while the list is sorted by year (no adjacent pair of
// decreasing years, counted in the aggregates) they are answered by rank; a
// list slightly out of order is searched by descents pruned by the per-filter
// year ranges; a list far out of order uses a year index built after each
// change.
//
// Record addresses: records live in slots of a storage that never moves them
// (the leaves hold slot numbers), so a record keeps its address until that
// record itself is changed or erased: across inserts, erases and moves of
// other records, and across copies. A copy shares every slot and node of the
// original (nothing is copied when it is made); a change in either copies
// the nodes on its path and gives only a changed record a new slot, so every
// other record keeps its address in both copies. A slot is freed when no
// copy holds it. Copies share their storage and must stay on one thread.
class CYearEventTree
{
public:
    CYearEventTree();
    ~CYearEventTree();
    CYearEventTree(const CYearEventTree& other);
    CYearEventTree& operator=(const CYearEventTree& other);

    static constexpr int kFilters = 4;
    // 0..3, or -1 for a filter under which nothing is visible.
    static int NormalizeFilter(int filter) { return filter < 0 ? -1 : (filter > 3 ? 3 : filter); }
    static int PriorityClass(int32_t priority)
    {
        return priority <= 0 ? 0 : (priority >= 3 ? 3 : priority);
    }
    static bool Visible(const SEventData& rec, int filter)
    {
        const int f = NormalizeFilter(filter);
        return f >= 0 && PriorityClass(rec.priority) <= f;
    }
    // (year, date key) as one number that orders like the pair.
    static int64_t SortKey(const SEventData& rec)
    {
        return static_cast<int64_t>(rec.year) * 4294967296LL +
               (static_cast<int64_t>(rec.DateKey()) + 2147483648LL);
    }

    int Size() const;
    // Records visible under filter.
    int CountVisible(int filter) const;
    void Clear();

    // The record at a list position (null when out of range).
    SEventData* At(int pos) const;
    // List position of the record with that visible index; -1 when none.
    int Select(int visibleIndex, int filter) const;
    // Number of records visible under filter in positions [0, pos).
    int Rank(int pos, int filter) const;

    void Insert(int pos, SEventData&& rec);
    void Append(SEventData&& rec) { Insert(Size(), std::move(rec)); }
    // Removes the record at pos (which must exist) and returns it.
    SEventData Erase(int pos);
    // Replaces the record at pos (which must exist).
    void Replace(int pos, SEventData&& rec);
    // Exchanges the records at pos and pos + 1 (both must exist).
    void SwapWithNext(int pos);

    // Appending many records: AppendToRun makes the node at once, and
    // EndAppendRun links every node of the run behind the list (a balanced
    // tree in one pass when the list was empty). Nothing else may be asked
    // or changed while a run is open.
    void AppendToRun(SEventData&& rec);
    // The same for a record read from a file, whose texts (rec's are
    // ignored) are kept in blocks of the storage rather than one each.
    void AppendToRun(SEventData&& rec, std::string_view text, std::string_view supplement);
    void EndAppendRun();
    // Whether InsertSorted would refuse rec, the open run counted: no record
    // sorts after it, so it belongs at the end.
    bool BelongsAtEnd(const SEventData& rec) const;

    // Inserts rec before the first record whose (year, date key) is greater
    // than its own and takes it; false (rec untouched) when there is none.
    bool InsertSorted(SEventData& rec);
    // First visible record whose year is >= year (> year when strict):
    // its list position and visible index, or -1 / -1.
    int FirstYearFrom(int32_t year, bool strict, int filter, int* visibleIndex) const;
    // First visible record of exactly that year: list position or -1.
    int FirstOfYear(int32_t year, int filter, int* visibleIndex) const;
    // First list position of a visible record of that year that match
    // accepts; -1 when none.
    int FirstMatchOfYear(int32_t year, int filter,
                         const std::function<bool(const SEventData&)>& match) const;
    int CountOfYear(int32_t year, int filter) const;
    void CollectYear(int32_t year, int filter, std::vector<SEventData*>& out) const;

    // Visits, in list order from position start, the records visible under
    // filter whose year lies in [lo, hi]; subtrees that hold none are
    // skipped. The visitor returns false to stop. Returns the position where
    // it stopped, or -1 when it ran to the end.
    int FindFrom(int start, int filter, int32_t lo, int32_t hi,
                 const std::function<bool(const SEventData&)>& accept) const;

    // Visits every record in list order.
    template <typename Visit> void ForEach(Visit visit) const
    {
        VisitRecords(
            [](void* context, const SEventData& rec) { (*static_cast<Visit*>(context))(rec); },
            &visit);
    }

    // Earliest / latest year of any record; false when empty.
    bool YearRange(int32_t& minYear, int32_t& maxYear) const;

    // Adjacent pairs whose years decrease; zero means sorted by year.
    int64_t Descents() const;

    struct SNode;
    struct SPool;

private:
    void VisitRecords(void (*visit)(void*, const SEventData&), void* context) const;

    // The records by year (ties in list order), for lists far from year
    // order; built when first needed after a change.
    struct SYearEntry
    {
        int32_t year;
        int32_t pos;
        SEventData* rec;
    };
    struct SYearSpan
    {
        const SYearEntry* first;
        const SYearEntry* last;
        const SYearEntry* begin() const { return first; }
        const SYearEntry* end() const { return last; }
    };
    bool UseYearIndex() const;
    SYearSpan YearSpan(int32_t year) const;
    // Every change of the list goes through here.
    void Changed();

    uint32_t SlotAt(int pos) const;
    void InsertSlot(int pos, uint32_t slot);
    void Swap(CYearEventTree& other) noexcept;

    std::vector<uint32_t> m_run;
    int64_t m_runMaxKey = INT64_MIN;
    SNode* m_root = nullptr;
    std::shared_ptr<SPool> m_pool;
    mutable std::vector<SYearEntry> m_yearIndex;
    mutable bool m_yearIndexValid = false;
};
