#pragma once

#include "EventData.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class CAnnaluxDoc;
class CYearEvent;
class ITextMeasurer;
struct SEventEdit;

// One placed event as the table gives it. top and bottom count pixels from
// the top of the data area (just below the column header); the record is the
// library's own.
struct CoordEntry
{
    int32_t top = 0;
    int32_t bottom = 0;
    const SEventData* event = nullptr;
    int32_t searchResult = 0; // SEventData::Search result of the current hit, else 0
    int32_t year = 0;         // the record's year

    int32_t Year() const { return year; }
};

// The entries of one column that place a year: they follow each other
// without a gap, so that each bottom but the last is the next one's top.
struct SCoordRun
{
    int32_t year = 0;
    uint32_t first = 0; // index of the run's first entry in its column
    int32_t top = 0;    // top of the run's first entry
    int32_t bottom = 0; // bottom of the run's last entry
};

// The placed events of one event column, ascending by year and by top. The
// entries are kept as runs: the year and the last bottom come from the run,
// and the records of a run are the visible records of its year in the
// column's library, in list order, looked up when asked for. Entries of
// varying height (wrapped lines) keep their tops, 4 bytes each; otherwise
// every entry takes one row and its top follows from its run's. Between a
// change of the library and the layout that follows, a run may stand for
// records the library no longer has: their entries then have no record (a
// null event) rather than a stale one.
class CCoordColumn
{
public:
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    int32_t Top(size_t k) const { return TopIn(RunOf(k), k); }
    int32_t Bottom(size_t k) const;
    int32_t Year(size_t k) const { return m_runs[RunOf(k)].year; }
    // Entry k whole; its record costs a look-up in the library.
    CoordEntry operator[](size_t k) const;
    CoordEntry at(size_t k) const;
    CoordEntry front() const { return (*this)[0]; }
    CoordEntry back() const { return (*this)[size() - 1]; }

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CoordEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = CoordEntry;
        const_iterator(const CCoordColumn* column, size_t k) : m_column(column), m_k(k) {}
        CoordEntry operator*() const { return (*m_column)[m_k]; }
        const_iterator& operator++()
        {
            ++m_k;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return m_k == o.m_k; }
        bool operator!=(const const_iterator& o) const { return m_k != o.m_k; }

    private:
        const CCoordColumn* m_column;
        size_t m_k;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    const std::vector<SCoordRun>& Runs() const { return m_runs; }
    // The run holding entry k (k < size()).
    size_t RunOf(size_t k) const;
    // The first run whose year is >= year.
    size_t LowerRun(int32_t year) const;
    // Index of the first entry of run r (size() past the last run).
    size_t RunStart(size_t r) const { return r < m_runs.size() ? m_runs[r].first : size(); }
    // The records of run r, one per entry as far as the library still has them.
    void RunRecords(size_t r, std::vector<const SEventData*>& out) const;
    // Top of entry k of run r.
    int32_t TopIn(size_t r, size_t k) const
    {
        return m_varying
                   ? m_tops[k]
                   : static_cast<int32_t>(m_runs[r].top +
                                          static_cast<int64_t>(k - m_runs[r].first) * m_rowHeight);
    }
    // First entry whose top (bottom) is >= y.
    size_t LowerTop(int64_t y) const;
    size_t LowerBottom(int64_t y) const;
    const CYearEvent* Library() const { return m_library; }
    int Priority() const { return m_priority; }

private:
    friend class CEventCoordTable;
    friend class CDataCoord;

    // Places an entry after the last one; a year other than the last
    // entry's starts a run.
    void Append(int32_t year, int32_t top, int32_t bottom);
    void Clear();
    // Heights vary (tops kept), or are all rowHeight.
    void SetHeights(bool varying, int rowHeight);

    size_t m_count = 0;
    bool m_varying = false;
    int32_t m_rowHeight = 1;
    std::vector<int32_t> m_tops; // when heights vary
    std::vector<SCoordRun> m_runs;
    const CYearEvent* m_library = nullptr;
    int m_priority = EP_ALL;
    // The search hit when it lies in this column.
    int64_t m_hit = -1;
    int32_t m_hitResult = 0;
};

// Placed events per event column, in the order of the document's event
// libraries; each column's entries ascend by year and by top.
class CEventCoordTable
{
public:
    CEventCoordTable() = default;
    virtual ~CEventCoordTable();

    // Frees every column and makes n empty ones, whose records are those of
    // the libraries visible under priority; entries of varying height, or
    // each of rowHeight.
    void Init(int columns, int rowHeight, const std::vector<CYearEvent*>& libraries,
              int priority = EP_ALL, bool varyingHeights = false);
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    const CCoordColumn& Column(int i) const { return m_columns[static_cast<size_t>(i)]; }
    CYearEvent* Library(int i) const { return m_libraries[static_cast<size_t>(i)]; }
    int ColumnOfLibrary(const CYearEvent* library) const;
    int GetRowHeight() const { return m_rowHeight; }
    size_t EntryCount() const;

    // Index of the first entry of the column whose year is >= year.
    size_t LowerYear(int column, int32_t year) const;
    // Index of the first entry whose top is >= y; of the first whose bottom is >= y.
    size_t LowerTop(int column, int64_t y) const;
    size_t LowerBottom(int column, int64_t y) const;

    void ResetCursors();
    size_t& Cursor(int column) { return m_cursors[static_cast<size_t>(column)]; }

    // The current search hit: column and entry index, or -1.
    int m_searchColumn = -1;
    int64_t m_searchIndex = -1;

private:
    friend class CDataCoord;
    CCoordColumn& MutableColumn(int i) { return m_columns[static_cast<size_t>(i)]; }

    std::vector<CCoordColumn> m_columns;
    std::vector<size_t> m_cursors;
    std::vector<CYearEvent*> m_libraries;
    int m_rowHeight = 0;
};

// The display settings that decide the layout, as the document holds them.
struct SLayoutSettings
{
    enum EMode
    {
        Exact = 0,
        NearlyExact = 1,
        Packed = 2
    };
    int scale = 1; // years per bucket: 1, 10 or 100
    int mode = Exact;
    bool rangeEnabled = false;
    int32_t rangeFrom = -9999;
    int32_t rangeTo = 9999;
    int priority = EP_ALL;
    bool wrap = false;
    bool supplementMarks = true;
    int rowHeight = 16; // pixels, the event spacing included
    int spacing = 0;
    // Event libraries in document order and the width of the column showing each.
    std::vector<CYearEvent*> libraries;
    std::vector<int> widths;

    static SLayoutSettings FromDocument(const CAnnaluxDoc& doc);
    // Whether both place every event at the same pixels.
    bool SameLayout(const SLayoutSettings& other) const;
};

// Vertical positions of everything the view shows: the events are placed in
// the coordinate table, every other column is drawn beside them at the
// positions the queries below give the years.
class CDataCoord
{
public:
    // Width of a range mark; a supplement mark takes 5 pixels.
    static constexpr int kMarkWidth = 10;
    static constexpr int kSupplementMarkWidth = 5;

    CDataCoord() = default;
    virtual ~CDataCoord();
    CDataCoord(const CDataCoord&) = delete;
    CDataCoord& operator=(const CDataCoord&) = delete;

    // The measurer of the event font (not owned); needed when wrapping.
    void SetMeasurer(const ITextMeasurer* measurer);

    // Whole relayout: takes the settings, places every event (twice in exact
    // mode) and returns the height of the placed table (0 when nothing was
    // placed). overflow tells whether some events had no room left.
    int64_t Layout(const SLayoutSettings& settings, bool& overflow);
    // The settings in force and the empty table (no columns).
    void Init(const SLayoutSettings& settings);
    // One placement pass; the largest bottom, or -2147483648 when nothing
    // was placed (0 without event libraries).
    int32_t Build(bool& overflow);
    // After the records of some event libraries changed in the given years
    // only (see SEventEdit): lays out those years again and moves the
    // entries after them, with the settings, the event font and everything
    // else as at the last layout, and gives the height Layout would give.
    // False when the change may reach further than that (other settings or
    // font, the first placed year, an overflow, other rows per bucket in
    // exact mode, a library out of year order, too many separate places):
    // the table is then in no useful state and Layout must follow.
    bool Update(const SLayoutSettings& settings, const std::vector<SEventEdit>& edits,
                int64_t& height);

    static int32_t BucketOf(int32_t year, int scale);
    // Buckets counted without a gap for the missing year 0.
    static int64_t BucketIndex(int32_t year, int scale);

    const SLayoutSettings& Settings() const { return m_settings; }
    CEventCoordTable& Table() { return m_table; }
    const CEventCoordTable& Table() const { return m_table; }
    int RowHeight() const { return m_settings.rowHeight; }
    int RowsPerBucket() const { return m_rowsPerBucket; }
    void SetRowsPerBucket(int rows) { m_rowsPerBucket = rows; }
    int32_t FirstDisplayYear() const;
    // From the entries of the last pass; 1 for an empty table.
    int ComputeRowsPerBucket();

    // Whether the date flags select a range mark (から, まで, 頃 and their pairs).
    static bool HasRangeMark(uint32_t flags);
    // Rows an event takes in its column.
    int EventLines(const SEventData& event, int column);
    // Where the text of an event starts (right of its marks) and how wide
    // it may run, relative to the column's left edge.
    int TextIndent(const SEventData& event) const;
    // The drawn string: date and text, Shift-JIS, tags included.
    static std::string DisplayString(const SEventData& event);

    // ---- queries --------------------------------------------------------
    // Smallest top over the columns of the first entry whose year is at
    // least year (kNoYear when none); foundYear gets that entry's year.
    int32_t YearTop(int32_t year, int32_t* foundYear = nullptr) const;
    // First year to draw for a band starting at data-area y.
    int32_t FirstYearAt(int64_t y) const;
    // Hit test. With a library: the year of the entry of its column that
    // contains y, and (index) the entry's position within its year; kNoYear
    // when none. Without: the smallest year of the first entry per column
    // whose bottom is at least y.
    int32_t YearAt(int64_t y, const CYearEvent* library, int* index, bool useCache);

    struct SBucket
    {
        std::vector<CoordEntry> entries;
        int32_t nextYear = 2147483647; // first later entry's year in the column
    };
    // The entries of the column in the bucket of year, from the column's
    // cursor on; moves the cursor past them.
    void CollectBucket(int32_t year, int scale, int column, SBucket& out);
    // Rows of the bucket that starts at year (the band height when drawing in
    // the nearly exact and packed modes).
    int BucketRows(int32_t year, int scale) const;
    // Rows of a drawn bucket row in the current mode.
    int DrawnRows(int32_t year) const;
    // The smallest following year over the columns (kNoYear when none).
    int32_t NextYear(int32_t year) const;

    int32_t MinYear() const;
    int32_t MaxYear() const;
    int32_t MinTop() const;
    int32_t MaxBottom() const;

    // Top of the entry of year, else of the nearest year's entry (see the
    // jump command); false when the table is empty.
    bool NearestYearTop(int32_t year, int32_t& top) const;
    // A year typed by the user: Western ("1868", "-5", full-width digits) or
    // an era name with an optional era year ("明治3"). kNoYear when not
    // understood.
    static int32_t YearFromText(const std::string& sjis, const CAnnaluxDoc* doc);

    // Year labels between two drawn rows a and b (b's row top given): the
    // multiples of 10 x scale that fall into the empty buckets between, with
    // their y. Nothing in packed mode. At most 1000, the last ones.
    std::vector<std::pair<int32_t, int64_t>> GapLabels(int32_t a, int32_t b, int64_t topOfB) const;

    // ---- search stepping --------------------------------------------------
    // The next (previous) entry matching what after (before) the current
    // hit; it becomes the hit. Its top and column are returned.
    bool SearchForward(const std::string& what, bool inSupplement, bool matchCase, int32_t& top,
                       int& column);
    bool SearchBackward(const std::string& what, bool inSupplement, bool matchCase, int32_t& top,
                        int& column);
    void ClearSearchHit();
    // The hit with its record; null without one, or when the library no
    // longer has its record.
    const CoordEntry* SearchHit() const;

private:
    class CYearCursor;
    // A placement pass between two years: where the next year starts, the
    // largest bottom so far and the bucket exact positions count from.
    struct SPass
    {
        int64_t pos = 0;
        int64_t max = INT64_MIN;
        bool anchored = false;
        int32_t firstBucket = 0;
        bool overflow = false;
    };
    // A year the pass visited: the pass as it reached the year, and the most
    // rows one column took in it.
    struct SYearMark
    {
        int32_t year = 0;
        int32_t rows = 0;
        int64_t pos = 0;
        int64_t maxBefore = INT64_MIN;
    };
    // Asked before each year; true stops the pass there.
    using StopBefore = std::function<bool(int32_t year, const SPass& pass)>;

    static SLayoutSettings Normalized(SLayoutSettings settings);
    // The placement loop from year on: appends to out (one array per
    // column) and to marks. Returns the year it stopped before, kNoYear
    // when it ran to the end.
    int32_t Place(std::vector<CYearCursor>& cursors, int32_t year, SPass& pass, CCoordColumn* out,
                  std::vector<SYearMark>& marks, const StopBefore& stop);
    // Rows per bucket in exact mode from the marks (what ComputeRowsPerBucket
    // finds in the entries).
    int RowsFromMarks() const;
    bool AllSortedByYear() const;
    int LinesOfText(const std::string& display, int width, int indent);
    int YearRowsInColumn(int column, int32_t year) const;

    SLayoutSettings m_settings;
    CEventCoordTable m_table;
    const ITextMeasurer* m_measurer = nullptr;
    int m_rowsPerBucket = 1;

    // What the last layout's final pass left for Update.
    std::vector<SYearMark> m_marks;
    int32_t m_firstYear = 0;             // FirstDisplayYear
    int32_t m_anchorYear = INT32_MIN;    // the first year that placed something
    int32_t m_firstBucket = 0;
    int64_t m_bottom = INT64_MIN;        // the largest bottom
    bool m_overflowed = false;           // in any pass
    bool m_allSorted = false;            // every library in year order
    QString m_layoutFont;                // the measurer's identity

    // What SearchHit gives.
    mutable CoordEntry m_hitEntry;

    // YearAt's one-entry cache.
    int64_t m_lastY = -2147483647 - 1;
    int m_lastIndex = -2147483647 - 1;
    int32_t m_lastYear = -2147483647 - 1;

    // Line counts by display text and width, valid for one font, of the
    // texts that are measured whole.
    QString m_measuredWith;
    std::unordered_map<std::string, int> m_lineCache;
    // EventLines' buffers.
    std::vector<int32_t> m_advances;
    std::string m_visible;
};
