#include "DataCoord.h"
#include "HostText.h"

#include "AnnaluxDoc.h"
#include "EventText.h"
#include "GengouEra.h"
#include "HeaderManager.h"
#include "ShiftJis.h"
#include "TableBase.h"
#include "TextMeasurer.h"
#include "YearEvent.h"
#include "YearEventTree.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace {

constexpr int32_t kNone = INT32_MIN;

// Smallest year of a bucket (the bucket of -1 reaches down to 1 - 2s).
int32_t BucketStart(int32_t bucket, int scale)
{
    if (bucket >= 0)
        return bucket;
    const int64_t start = bucket == -scale ? -(2 * static_cast<int64_t>(scale) - 1)
                                           : static_cast<int64_t>(bucket) - (scale - 1);
    return static_cast<int32_t>(std::max<int64_t>(start, INT32_MIN));
}

} // namespace

// A library's records year by year, for a pass that asks for ascending
// years: the answers of GetData(year, EP_EVERY) and GetNextYear. A library
// in year order is walked once from start to end when the pass goes through
// all of it, a block of records at a time (a list of them all would cost 8
// bytes a record while the layout runs); any other, or a pass over a few
// years, asks the library.
class CDataCoord::CYearCursor
{
public:
    CYearCursor(const CYearEvent* library, bool whole)
        : m_library(library), m_linear(whole && library && library->IsSortedByYear()),
          m_size(library ? static_cast<size_t>(library->GetLen()) : 0)
    {}

    bool Records(int32_t year, std::vector<SEventData*>& out)
    {
        if (!m_linear)
            return m_library->GetData(year, out, EP_EVERY);
        out.clear();
        while (m_at < m_size && At(m_at)->year < year)
            ++m_at;
        for (size_t k = m_at; k < m_size && At(k)->year == year; ++k)
            out.push_back(const_cast<SEventData*>(At(k)));
        return !out.empty();
    }

    int32_t NextYear(int32_t year, int filter)
    {
        if (!m_linear)
            return m_library->GetNextYear(year, filter);
        m_next = std::max(m_next, m_at);
        while (m_next < m_size &&
               (At(m_next)->year <= year || !CYearEventTree::Visible(*At(m_next), filter)))
            ++m_next;
        return m_next < m_size ? At(m_next)->year : kNoYear;
    }

private:
    static constexpr int kBlock = 4096;

    // The record at list position pos (< m_size); the window moves on to
    // it, letting go of what lies before m_at.
    const SEventData* At(size_t pos)
    {
        while (pos >= m_base + m_window.size()) {
            const size_t drop = std::min(m_at, m_base + m_window.size()) - m_base;
            m_window.erase(m_window.begin(), m_window.begin() + static_cast<ptrdiff_t>(drop));
            m_base += drop;
            if (m_library->AppendRecords(static_cast<int>(m_base + m_window.size()), kBlock,
                                         m_window) == 0)
                break;
        }
        return m_window[pos - m_base];
    }

    const CYearEvent* m_library;
    bool m_linear;
    size_t m_size;
    std::vector<const SEventData*> m_window; // the records from list position m_base on
    size_t m_base = 0;
    size_t m_at = 0;   // first record whose year is not below the last asked
    size_t m_next = 0; // where the search for the next visible year goes on
};

// ---- CCoordColumn -----------------------------------------------------------

namespace {

// The visible records of a year in list order: the records a run of that
// year was placed from.
void VisibleOfYear(const CYearEvent& library, int32_t year, int priority,
                   std::vector<const SEventData*>& out)
{
    thread_local std::vector<SEventData*> every;
    out.clear();
    if (!library.GetData(year, every, EP_EVERY))
        return;
    for (const SEventData* rec : every) {
        if (rec->IsVisible(priority))
            out.push_back(rec);
    }
}

} // namespace

size_t CCoordColumn::RunOf(size_t k) const
{
    const auto it = std::upper_bound(m_runs.begin(), m_runs.end(), k,
                                     [](size_t v, const SCoordRun& r) { return v < r.first; });
    return static_cast<size_t>(it - m_runs.begin()) - 1;
}

size_t CCoordColumn::LowerRun(int32_t year) const
{
    return static_cast<size_t>(
        std::lower_bound(m_runs.begin(), m_runs.end(), year,
                         [](const SCoordRun& r, int32_t y) { return r.year < y; }) -
        m_runs.begin());
}

int32_t CCoordColumn::Bottom(size_t k) const
{
    const size_t r = RunOf(k);
    return k + 1 < RunStart(r + 1) ? TopIn(r, k + 1) : m_runs[r].bottom;
}

size_t CCoordColumn::LowerTop(int64_t y) const
{
    if (m_varying)
        return static_cast<size_t>(
            std::lower_bound(m_tops.begin(), m_tops.end(), y,
                             [](int32_t top, int64_t v) { return top < v; }) -
            m_tops.begin());
    // The first run whose last top reaches y holds the entry.
    const int64_t R = m_rowHeight;
    const size_t r = static_cast<size_t>(
        std::lower_bound(m_runs.begin(), m_runs.end(), y,
                         [R](const SCoordRun& run, int64_t v) { return run.bottom - R < v; }) -
        m_runs.begin());
    if (r == m_runs.size())
        return m_count;
    const int64_t rows = y <= m_runs[r].top ? 0 : (y - m_runs[r].top + R - 1) / R;
    return m_runs[r].first + static_cast<size_t>(rows);
}

size_t CCoordColumn::LowerBottom(int64_t y) const
{
    // Bottoms ascend like the tops: the first run whose bottom reaches y
    // holds the entry, found among its bottoms (the next entries' tops).
    const size_t r = static_cast<size_t>(
        std::lower_bound(m_runs.begin(), m_runs.end(), y,
                         [](const SCoordRun& run, int64_t v) { return run.bottom < v; }) -
        m_runs.begin());
    if (r == m_runs.size())
        return m_count;
    if (!m_varying) {
        const int64_t R = m_rowHeight;
        const int64_t rows = y <= m_runs[r].top + R ? 0 : (y - m_runs[r].top + R - 1) / R - 1;
        return m_runs[r].first + static_cast<size_t>(rows);
    }
    const auto begin = m_tops.begin() + static_cast<ptrdiff_t>(m_runs[r].first) + 1;
    const auto end = m_tops.begin() + static_cast<ptrdiff_t>(RunStart(r + 1));
    // The first top reaching y is the bottom of the entry before it; none
    // leaves the run's last entry, whose bottom is the run's.
    const auto next =
        std::lower_bound(begin, end, y, [](int32_t top, int64_t v) { return top < v; });
    return static_cast<size_t>(next - m_tops.begin()) - 1;
}

void CCoordColumn::RunRecords(size_t r, std::vector<const SEventData*>& out) const
{
    out.clear();
    if (m_library && r < m_runs.size())
        VisibleOfYear(*m_library, m_runs[r].year, m_priority, out);
    const size_t count = RunStart(r + 1) - RunStart(r);
    if (out.size() > count)
        out.resize(count);
}

CoordEntry CCoordColumn::operator[](size_t k) const
{
    const size_t r = RunOf(k);
    CoordEntry e;
    e.top = TopIn(r, k);
    e.bottom = k + 1 < RunStart(r + 1) ? TopIn(r, k + 1) : m_runs[r].bottom;
    e.year = m_runs[r].year;
    e.searchResult = static_cast<int64_t>(k) == m_hit ? m_hitResult : 0;
    std::vector<const SEventData*> records;
    RunRecords(r, records);
    const size_t j = k - m_runs[r].first;
    e.event = j < records.size() ? records[j] : nullptr;
    return e;
}

CoordEntry CCoordColumn::at(size_t k) const
{
    if (k >= size())
        throw std::out_of_range("CCoordColumn::at");
    return (*this)[k];
}

void CCoordColumn::Append(int32_t year, int32_t top, int32_t bottom)
{
    if (m_runs.empty() || m_runs.back().year != year) {
        SCoordRun run;
        run.year = year;
        run.first = static_cast<uint32_t>(m_count);
        run.top = top;
        m_runs.push_back(run);
    }
    if (m_varying)
        m_tops.push_back(top);
    ++m_count;
    m_runs.back().bottom = bottom;
}

void CCoordColumn::Clear()
{
    m_count = 0;
    m_tops.clear();
    m_runs.clear();
}

void CCoordColumn::SetHeights(bool varying, int rowHeight)
{
    m_varying = varying;
    m_rowHeight = std::max(rowHeight, 1);
}

// ---- CEventCoordTable ------------------------------------------------------

CEventCoordTable::~CEventCoordTable() = default;

void CEventCoordTable::Init(int columns, int rowHeight, const std::vector<CYearEvent*>& libraries,
                            int priority, bool varyingHeights)
{
    const size_t n = static_cast<size_t>(std::max(columns, 0));
    m_columns.assign(n, {});
    m_cursors.assign(n, 0);
    m_libraries = libraries;
    m_libraries.resize(n, nullptr);
    for (size_t i = 0; i < n; ++i) {
        m_columns[i].m_library = m_libraries[i];
        m_columns[i].m_priority = priority;
        m_columns[i].SetHeights(varyingHeights, rowHeight);
    }
    m_rowHeight = rowHeight;
    m_searchColumn = -1;
    m_searchIndex = -1;
}

int CEventCoordTable::ColumnOfLibrary(const CYearEvent* library) const
{
    for (size_t i = 0; i < m_libraries.size(); ++i) {
        if (m_libraries[i] == library)
            return static_cast<int>(i);
    }
    return -1;
}

size_t CEventCoordTable::EntryCount() const
{
    size_t n = 0;
    for (const auto& column : m_columns)
        n += column.size();
    return n;
}

size_t CEventCoordTable::LowerYear(int column, int32_t year) const
{
    const CCoordColumn& c = Column(column);
    return c.RunStart(c.LowerRun(year));
}

size_t CEventCoordTable::LowerTop(int column, int64_t y) const
{
    return Column(column).LowerTop(y);
}

size_t CEventCoordTable::LowerBottom(int column, int64_t y) const
{
    return Column(column).LowerBottom(y);
}

void CEventCoordTable::ResetCursors()
{
    std::fill(m_cursors.begin(), m_cursors.end(), 0);
}

// ---- SLayoutSettings ---------------------------------------------------------

SLayoutSettings SLayoutSettings::FromDocument(const CAnnaluxDoc& doc)
{
    SLayoutSettings s;
    s.scale = doc.GetScaleYear();
    if (s.scale != 10 && s.scale != 100)
        s.scale = 1;
    s.mode = doc.GetScaleAccuracy();
    if (s.mode < Exact || s.mode > Packed)
        s.mode = Exact;
    s.rangeEnabled = doc.GetRangeEnabled();
    s.rangeFrom = doc.GetRangeFrom();
    s.rangeTo = doc.GetRangeTo();
    s.priority = doc.GetPriorityFilter();
    s.wrap = doc.GetWrapLines();
    s.supplementMarks = doc.GetShowSupplementMark();
    s.spacing = std::max(0, doc.GetTextMargin());
    // A zero row height would stack every event on one line.
    s.rowHeight = std::max(1, doc.GetRowHeight());
    const CHeaderManager& columns = doc.GetColumns();
    for (int i = 0; i < doc.GetEventTableCount(); ++i) {
        CYearEvent* table = doc.GetEventTable(i);
        s.libraries.push_back(table);
        const int column = columns.IndexOfTable(table);
        s.widths.push_back(column >= 0 ? columns.GetWidth(column)
                                       : doc.GetRowInfo().GetWidth(CK_EVENT));
    }
    return s;
}

bool SLayoutSettings::SameLayout(const SLayoutSettings& o) const
{
    return scale == o.scale && mode == o.mode && rangeEnabled == o.rangeEnabled &&
           rangeFrom == o.rangeFrom && rangeTo == o.rangeTo && priority == o.priority &&
           wrap == o.wrap && supplementMarks == o.supplementMarks && rowHeight == o.rowHeight &&
           spacing == o.spacing && libraries == o.libraries && widths == o.widths;
}

// ---- CDataCoord: placement ------------------------------------------------

CDataCoord::~CDataCoord() = default;

void CDataCoord::SetMeasurer(const ITextMeasurer* measurer)
{
    m_measurer = measurer;
}

int32_t CDataCoord::BucketOf(int32_t year, int scale)
{
    if (scale <= 1)
        return year;
    const int32_t bucket = scale * (year / scale);
    return (year < 0 && bucket == 0) ? -scale : bucket;
}

int64_t CDataCoord::BucketIndex(int32_t year, int scale)
{
    if (scale <= 1)
        return year < 0 ? static_cast<int64_t>(year) + 1 : year;
    return BucketOf(year, scale) / scale;
}

SLayoutSettings CDataCoord::Normalized(SLayoutSettings settings)
{
    if (settings.rowHeight < 1)
        settings.rowHeight = 1;
    settings.widths.resize(settings.libraries.size(), 0);
    return settings;
}

void CDataCoord::Init(const SLayoutSettings& settings)
{
    m_settings = Normalized(settings);
    m_table.Init(0, m_settings.rowHeight, {});
    m_lastY = kNone;
    m_lastIndex = kNone;
    m_lastYear = kNone;
    m_marks.clear();
    m_anchorYear = kNone;
    m_bottom = INT64_MIN;
    m_overflowed = false;
    m_allSorted = false;
}

int64_t CDataCoord::Layout(const SLayoutSettings& settings, bool& overflow)
{
    Init(settings);
    m_layoutFont = m_measurer ? m_measurer->Identity() : QString();
    m_rowsPerBucket = m_settings.mode == SLayoutSettings::Packed ? -1 : 1;
    int32_t height = Build(overflow);
    if (m_settings.mode == SLayoutSettings::Exact) {
        m_rowsPerBucket = ComputeRowsPerBucket();
        height = Build(overflow);
    }
    return height > 0 ? height : 0;
}

int32_t CDataCoord::FirstDisplayYear() const
{
    int32_t first = kNoYear;
    for (CYearEvent* library : m_settings.libraries) {
        if (library && library->GetLen() > 0)
            first = std::min(first, library->GetRecord(0).year);
    }
    if (first != kNoYear && m_settings.rangeEnabled && m_settings.rangeFrom >= first)
        first = m_settings.rangeFrom;
    return first;
}

int32_t CDataCoord::Build(bool& overflow)
{
    overflow = false;
    const int n = static_cast<int>(m_settings.libraries.size());
    m_table.Init(n, m_settings.rowHeight, m_settings.libraries, m_settings.priority,
                 m_settings.wrap);
    m_marks.clear();
    m_anchorYear = kNone;
    m_bottom = INT64_MIN;
    m_firstYear = kNoYear;
    if (n == 0)
        return 0;
    const int32_t year = FirstDisplayYear();
    m_firstYear = year;
    if (year == kNoYear)
        return kNone;
    std::vector<CYearCursor> cursors;
    cursors.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        CYearEvent* library = m_settings.libraries[static_cast<size_t>(i)];
        cursors.emplace_back(library, true);
        if (library && m_settings.wrap)
            m_table.MutableColumn(i).m_tops.reserve(static_cast<size_t>(library->GetLen()));
    }
    // Exact positions count from the bucket of the first year that places
    // something: a range start before it must not shift later years apart
    // from it.
    SPass pass;
    pass.firstBucket = BucketOf(year, m_settings.scale);
    Place(cursors, year, pass, &m_table.MutableColumn(0), m_marks, {});
    overflow = pass.overflow;
    m_overflowed = m_overflowed || pass.overflow;
    m_firstBucket = pass.firstBucket;
    m_allSorted = AllSortedByYear();
    m_bottom = pass.max;
    if (pass.max == INT64_MIN)
        return kNone;
    return static_cast<int32_t>(std::min<int64_t>(pass.max, INT32_MAX));
}

int32_t CDataCoord::Place(std::vector<CYearCursor>& cursors, int32_t year, SPass& p,
                          CCoordColumn* out, std::vector<SYearMark>& marks, const StopBefore& stop)
{
    const int n = static_cast<int>(cursors.size());
    const int64_t R = m_settings.rowHeight;
    const int s = m_settings.scale;
    const int mode = m_settings.mode;
    const int64_t rows = m_rowsPerBucket;
    std::vector<SEventData*> records;
    for (;;) {
        if (stop && stop(year, p))
            return year;
        SYearMark mark;
        mark.year = year;
        mark.pos = p.pos;
        mark.maxBefore = p.max;
        int64_t most = 0;
        int32_t next = kNoYear;
        const bool inRange = !m_settings.rangeEnabled ||
                             (year >= m_settings.rangeFrom && year <= m_settings.rangeTo);
        for (int i = 0; i < n && !p.overflow; ++i) {
            if (!m_settings.libraries[static_cast<size_t>(i)])
                continue;
            CYearCursor& cursor = cursors[static_cast<size_t>(i)];
            if (inRange && cursor.Records(year, records)) {
                int64_t cur = p.pos;
                auto& column = out[i];
                for (const SEventData* rec : records) {
                    if (!rec->IsVisible(m_settings.priority))
                        continue;
                    const int64_t h = m_settings.wrap ? R * EventLines(*rec, i) : R;
                    // Positions are 32-bit: what has no room is not placed.
                    if (cur < 0 || cur + h > INT32_MAX) {
                        p.overflow = true;
                        break;
                    }
                    column.Append(rec->year, static_cast<int32_t>(cur),
                                  static_cast<int32_t>(cur + h));
                    cur += h;
                }
                most = std::max(most, (cur - p.pos) / R);
                if (cur != p.pos && cur >= p.max)
                    p.max = cur;
                if (cur != p.pos && !p.anchored) {
                    p.anchored = true;
                    p.firstBucket = BucketOf(year, s);
                    m_anchorYear = year;
                }
            }
            if (!p.overflow)
                next = std::min(next, cursor.NextYear(year, m_settings.priority));
        }
        mark.rows = static_cast<int32_t>(std::min<int64_t>(most, INT32_MAX));
        marks.push_back(mark);
        if (next == kNoYear || p.overflow)
            break;
        // Nothing after the range end can be placed.
        if (m_settings.rangeEnabled && next > m_settings.rangeTo)
            break;
        if (p.max != INT64_MIN) {
            const int64_t d = BucketOf(year, s);
            const int64_t f = BucketOf(next, s);
            const int64_t F = p.firstBucket;
            if (d == f || mode == SLayoutSettings::Packed) {
                p.pos = p.max;
            } else if (mode == SLayoutSettings::Exact) {
                p.pos = (f - F) * rows * R / s;
                if (s == 1 && F < 0 && next > 0)
                    p.pos -= rows * R; // there is no year 0
            } else {
                p.pos = ((f - d) / s - 1) * R + p.max;
                if (s == 1 && d < 0 && f > 0)
                    p.pos -= R; // there is no year 0
            }
        }
        year = next;
    }
    return kNoYear;
}

int CDataCoord::RowsFromMarks() const
{
    const int64_t R = m_settings.rowHeight;
    const int s = m_settings.scale;
    int64_t total = 0;
    int64_t result = 1;
    for (size_t k = 0; k < m_marks.size(); ++k) {
        total += m_marks[k].rows;
        // Years of one bucket share its rows, negative years included.
        if (k + 1 == m_marks.size() ||
            BucketOf(m_marks[k + 1].year, s) != BucketOf(m_marks[k].year, s)) {
            result = std::max(result, total);
            total = 0;
        }
    }
    return static_cast<int>(std::min<int64_t>(result, INT32_MAX / std::max<int64_t>(R, 1)));
}

bool CDataCoord::Update(const SLayoutSettings& settings, const std::vector<SEventEdit>& edits,
                        int64_t& height)
{
    const QString font = m_measurer ? m_measurer->Identity() : QString();
    // A library out of year order is asked for the next year in list order,
    // so that a change in one year may change which years are visited
    // anywhere.
    if (m_overflowed || m_anchorYear == kNone || font != m_layoutFont || !m_allSorted ||
        !Normalized(settings).SameLayout(m_settings) || !AllSortedByYear())
        return false;
    std::vector<int32_t> years;
    for (const SEventEdit& edit : edits) {
        if (!edit.library || m_table.ColumnOfLibrary(edit.library) < 0)
            return false;
        years.insert(years.end(), edit.years.begin(), edit.years.end());
    }
    // A change at the first year may move where everything starts.
    if (FirstDisplayYear() != m_firstYear)
        return false;
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    // Years outside the range are never placed (the first display year is
    // not before the range start).
    if (m_settings.rangeEnabled)
        years.erase(std::remove_if(years.begin(), years.end(),
                                   [this](int32_t y) {
                                       return y < m_settings.rangeFrom || y > m_settings.rangeTo;
                                   }),
                    years.end());
    if (!years.empty() && years.front() <= m_anchorYear)
        return false;

    // Each place where years changed is placed anew from the last visited
    // year before it (whose pass state the marks keep) until the pass meets
    // an unchanged year in the state it had, give or take a shift that every
    // later entry then takes (never in exact mode, where positions count
    // from the first bucket).
    constexpr int kMostPlaces = 32;
    constexpr int kMostYearsAfter = 256; // a bucket of 100 years and the next
    const bool exact = m_settings.mode == SLayoutSettings::Exact;
    const int n = m_table.GetColumnCount();
    const auto markOf = [this](int32_t year) {
        return std::lower_bound(m_marks.begin(), m_marks.end(), year,
                                [](const SYearMark& m, int32_t y) { return m.year < y; });
    };
    ClearSearchHit();
    std::vector<CYearCursor> cursors;
    cursors.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        cursors.emplace_back(m_settings.libraries[static_cast<size_t>(i)], false);
    std::vector<CCoordColumn> fresh(static_cast<size_t>(n));
    for (CCoordColumn& column : fresh)
        column.SetHeights(m_settings.wrap, m_settings.rowHeight);
    std::vector<SYearMark> marks;
    // Entries of a column from done[c] on, and runs from doneRuns[c] on,
    // still owe shift.
    std::vector<size_t> done(static_cast<size_t>(n), 0);
    std::vector<size_t> doneRuns(static_cast<size_t>(n), 0);
    int64_t shift = 0;
    int64_t bottom = m_bottom;
    size_t t = 0;
    for (int places = 0; t < years.size(); ++places) {
        if (places == kMostPlaces)
            return false;
        const size_t m0 = static_cast<size_t>(markOf(years[t]) - m_marks.begin()) - 1;
        const int32_t from = m_marks[m0].year;
        SPass pass;
        pass.pos = m_marks[m0].pos;
        pass.max = m_marks[m0].maxBefore;
        pass.anchored = true;
        pass.firstBucket = m_firstBucket;
        for (auto& column : fresh)
            column.Clear();
        marks.clear();
        size_t m1 = m_marks.size();
        int64_t delta = 0;
        int yearsAfter = 0;
        bool gaveUp = false;
        const int32_t joined = Place(
            cursors, from, pass, fresh.data(), marks, [&](int32_t year, const SPass& p) {
                while (t < years.size() && years[t] < year)
                    ++t;
                if (year == from || (t < years.size() && years[t] == year))
                    return false;
                const auto old = markOf(year);
                if (old == m_marks.end() || old->year != year)
                    return false;
                const bool met = exact ? p.pos == old->pos && p.max == old->maxBefore
                                       : p.pos - old->pos == p.max - old->maxBefore;
                if (!met) {
                    gaveUp = ++yearsAfter > kMostYearsAfter;
                    return gaveUp;
                }
                m1 = static_cast<size_t>(old - m_marks.begin());
                delta = p.pos - old->pos;
                return true;
            });
        if (pass.overflow || gaveUp)
            return false;
        if (joined == kNoYear) {
            t = years.size();
            bottom = pass.max;
        } else {
            bottom += delta;
        }
        for (int c = 0; c < n; ++c) {
            CCoordColumn& column = m_table.MutableColumn(c);
            auto& tops = column.m_tops;
            auto& runs = column.m_runs;
            const size_t ra = column.LowerRun(from);
            const size_t rb = joined == kNoYear ? runs.size() : column.LowerRun(joined);
            const size_t a = column.RunStart(ra);
            const size_t b = column.RunStart(rb);
            const CCoordColumn& placed = fresh[static_cast<size_t>(c)];
            if (column.m_varying) {
                for (size_t k = done[static_cast<size_t>(c)]; k < a && shift != 0; ++k)
                    tops[k] = static_cast<int32_t>(tops[k] + shift);
                const size_t common = std::min(b - a, placed.size());
                std::copy(placed.m_tops.begin(),
                          placed.m_tops.begin() + static_cast<ptrdiff_t>(common),
                          tops.begin() + static_cast<ptrdiff_t>(a));
                // Room to grow by more than one entry: every record added
                // must not copy the whole column.
                if (tops.size() - (b - a) + placed.size() > tops.capacity())
                    tops.reserve(tops.size() + tops.size() / 16 + placed.size() + 64);
                if (placed.size() > common)
                    tops.insert(tops.begin() + static_cast<ptrdiff_t>(a + common),
                                placed.m_tops.begin() + static_cast<ptrdiff_t>(common),
                                placed.m_tops.end());
                else if (b - a > common)
                    tops.erase(tops.begin() + static_cast<ptrdiff_t>(a + common),
                               tops.begin() + static_cast<ptrdiff_t>(b));
            }
            for (size_t r = doneRuns[static_cast<size_t>(c)]; r < ra && shift != 0; ++r) {
                runs[r].top = static_cast<int32_t>(runs[r].top + shift);
                runs[r].bottom = static_cast<int32_t>(runs[r].bottom + shift);
            }
            column.m_count = column.m_count - (b - a) + placed.size();
            // The runs of the replayed years, then those after them, which
            // start as many entries later as the years gained.
            const auto moved = static_cast<int64_t>(placed.size()) - static_cast<int64_t>(b - a);
            runs.erase(runs.begin() + static_cast<ptrdiff_t>(ra),
                       runs.begin() + static_cast<ptrdiff_t>(rb));
            runs.insert(runs.begin() + static_cast<ptrdiff_t>(ra), placed.m_runs.begin(),
                        placed.m_runs.end());
            for (size_t r = ra; r < ra + placed.m_runs.size(); ++r)
                runs[r].first += static_cast<uint32_t>(a);
            for (size_t r = ra + placed.m_runs.size(); r < runs.size() && moved != 0; ++r)
                runs[r].first = static_cast<uint32_t>(runs[r].first + moved);
            done[static_cast<size_t>(c)] = a + placed.size();
            doneRuns[static_cast<size_t>(c)] = ra + placed.m_runs.size();
        }
        m_marks.erase(m_marks.begin() + static_cast<ptrdiff_t>(m0),
                      m_marks.begin() + static_cast<ptrdiff_t>(m1));
        m_marks.insert(m_marks.begin() + static_cast<ptrdiff_t>(m0), marks.begin(), marks.end());
        if (delta != 0) {
            for (size_t k = m0 + marks.size(); k < m_marks.size(); ++k) {
                m_marks[k].pos += delta;
                m_marks[k].maxBefore += delta;
            }
        }
        shift += delta;
    }
    if (bottom > INT32_MAX)
        return false; // the whole layout tells about the overflow
    if (exact && RowsFromMarks() != m_rowsPerBucket)
        return false;
    for (int c = 0; c < n && shift != 0; ++c) {
        CCoordColumn& column = m_table.MutableColumn(c);
        for (size_t k = done[static_cast<size_t>(c)]; k < column.m_tops.size(); ++k)
            column.m_tops[k] = static_cast<int32_t>(column.m_tops[k] + shift);
        for (size_t r = doneRuns[static_cast<size_t>(c)]; r < column.m_runs.size(); ++r) {
            column.m_runs[r].top = static_cast<int32_t>(column.m_runs[r].top + shift);
            column.m_runs[r].bottom = static_cast<int32_t>(column.m_runs[r].bottom + shift);
        }
    }
    // Entries outside the replayed years stand for the same records: those
    // of their years, which the edits did not touch.
    m_bottom = bottom;
    m_table.ResetCursors();
    m_lastY = kNone;
    m_lastIndex = kNone;
    m_lastYear = kNone;
    height = bottom == INT64_MIN ? 0 : std::max<int64_t>(0, bottom);
    return true;
}

bool CDataCoord::AllSortedByYear() const
{
    return std::all_of(m_settings.libraries.begin(), m_settings.libraries.end(),
                       [](const CYearEvent* library) { return !library || library->IsSortedByYear(); });
}

int CDataCoord::ComputeRowsPerBucket()
{
    const int n = m_table.GetColumnCount();
    if (n == 0 || m_table.EntryCount() == 0)
        return 1;
    const int64_t R = m_settings.rowHeight;
    const int s = m_settings.scale;
    const int32_t start = m_settings.rangeEnabled ? m_settings.rangeFrom : FirstDisplayYear();
    const int32_t end = m_settings.rangeEnabled ? m_settings.rangeTo : INT32_MAX;
    // Rows of a year in a column: its run's height, every entry's height
    // being whole rows.
    std::vector<size_t> at(static_cast<size_t>(n));
    int32_t year = kNoYear;
    for (int i = 0; i < n; ++i) {
        const auto& runs = m_table.Column(i).Runs();
        at[static_cast<size_t>(i)] = m_table.Column(i).LowerRun(start);
        if (at[static_cast<size_t>(i)] < runs.size())
            year = std::min(year, runs[at[static_cast<size_t>(i)]].year);
    }
    int64_t total = 0;
    int64_t result = 1;
    while (year != kNoYear && year <= end) {
        int64_t most = 0;
        int32_t following = kNoYear;
        for (int i = 0; i < n; ++i) {
            const CCoordColumn& c = m_table.Column(i);
            const auto& runs = c.Runs();
            size_t& r = at[static_cast<size_t>(i)];
            if (r < runs.size() && runs[r].year == year) {
                most = std::max(most, (static_cast<int64_t>(runs[r].bottom) - runs[r].top) / R);
                ++r;
            }
            if (r < runs.size())
                following = std::min(following, runs[r].year);
        }
        total += most;
        // Years of one bucket share its rows, negative years included.
        if (following == kNoYear || BucketOf(following, s) != BucketOf(year, s)) {
            result = std::max(result, total);
            total = 0;
        }
        year = following;
    }
    m_table.ResetCursors();
    return static_cast<int>(std::min<int64_t>(result, INT32_MAX / std::max<int64_t>(R, 1)));
}

int CDataCoord::TextIndent(const SEventData& event) const
{
    int indent = 0;
    if (HasRangeMark(event.rangeFlags))
        indent += kMarkWidth;
    if (m_settings.supplementMarks && !event.supplement.empty())
        indent += kSupplementMarkWidth;
    return indent;
}

bool CDataCoord::HasRangeMark(uint32_t flags)
{
    switch (flags & ~static_cast<uint32_t>(RANGE_OTHER_YEAR_ABOUT)) {
    case RANGE_FROM:
    case RANGE_UNTIL:
    case RANGE_ABOUT:
    case RANGE_ABOUT | RANGE_FROM:
    case RANGE_ABOUT | RANGE_UNTIL:
        return true;
    default:
        return false;
    }
}

std::string CDataCoord::DisplayString(const SEventData& event)
{
    return event.MakeDate() + event.text;
}

namespace {

// The character a Shift-JIS code (one byte, or lead << 8 | trail) stands
// for, when it is a single valid character of the Basic Multilingual Plane
// that converts alone as it does inside a text; 0 otherwise. Filled as
// codes are met.
char16_t SjisChar(unsigned code)
{
    static std::vector<char16_t> table(65536, 1); // 1: not yet converted
    char16_t& c = table[code];
    if (c == 1) {
        c = 0;
        const bool single = code < 0x100;
        // Controls are left to the whole-text path.
        if (!single || (code >= 0x20 && code < 0x7F) || (code >= 0xA1 && code <= 0xDF)) {
            std::string bytes;
            if (!single)
                bytes += static_cast<char>(code >> 8);
            bytes += static_cast<char>(code & 0xFF);
            const QString q = CHostText::FromSjis(bytes);
            if (q.size() == 1 && !q.at(0).isSurrogate() && q.at(0) != QChar(0xFFFD) &&
                q.at(0).unicode() >= 0x20)
                c = q.at(0).unicode();
        }
    }
    return c;
}

// Appends the advances of the characters of sjis; false when one of them
// must be measured with its text.
bool AppendAdvances(const ITextMeasurer& measurer, const char* sjis, size_t n,
                    std::vector<int32_t>& out)
{
    for (size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        unsigned code = b;
        if (CShiftJis::IsLeadByte(b)) {
            if (i + 1 >= n)
                return false;
            code = (code << 8) | static_cast<unsigned char>(sjis[i + 1]);
            i += 2;
        } else {
            ++i;
        }
        const char16_t c = SjisChar(code);
        const int32_t advance = c ? measurer.Advance64(c) : -1;
        if (advance < 0)
            return false;
        out.push_back(advance);
    }
    return true;
}

// Lines of a text of those advances as CEventText::WrapLines breaks it: as
// many characters as fit on each line, at least one on every line after the
// first. A width is the sum of the advances rounded to whole pixels.
int LinesOfAdvances(const std::vector<int32_t>& advances, int available)
{
    const int64_t limit = static_cast<int64_t>(available) * 64 + 31;
    const size_t n = advances.size();
    int lines = 1;
    size_t pos = 0;
    bool first = true;
    while (pos < n) {
        int64_t sum = 0;
        size_t end = pos;
        while (end < n && sum + advances[end] <= limit)
            sum += advances[end++];
        if (end == pos && !first)
            end = pos + 1;
        if (!first)
            ++lines;
        first = false;
        pos = end;
    }
    return lines;
}

} // namespace

int CDataCoord::EventLines(const SEventData& event, int column)
{
    if (!m_settings.wrap || column < 0 || column >= static_cast<int>(m_settings.widths.size()))
        return 1;
    const int width = m_settings.widths[static_cast<size_t>(column)];
    const int indent = TextIndent(event);
    if (m_measurer) {
        // Japanese texts are measured from the font's character advances;
        // tags are removed first, as for drawing.
        char date[SEventData::kMaxDateText];
        m_advances.clear();
        bool simple = AppendAdvances(*m_measurer, date, event.FormatDate(date), m_advances);
        if (simple && event.text.find('<') == std::string::npos) {
            simple = AppendAdvances(*m_measurer, event.text.data(), event.text.size(), m_advances);
        } else if (simple) {
            std::vector<CEventText::SByteLink> links;
            CEventText::ScanLinks(event.text, m_visible, links);
            simple = AppendAdvances(*m_measurer, m_visible.data(), m_visible.size(), m_advances);
        }
        if (simple)
            return LinesOfAdvances(m_advances, std::max(1, width - indent));
    }
    return LinesOfText(DisplayString(event), width, indent);
}

int CDataCoord::LinesOfText(const std::string& display, int width, int indent)
{
    if (!m_measurer)
        return 1;
    const QString identity = m_measurer->Identity();
    if (identity != m_measuredWith) {
        m_lineCache.clear();
        m_measuredWith = identity;
    }
    const int available = std::max(1, width - indent);
    std::string key = display;
    key += '\0';
    key += std::to_string(available);
    auto found = m_lineCache.find(key);
    if (found != m_lineCache.end())
        return found->second;
    const SDisplayText text = CEventText::Make(display);
    const int lines = static_cast<int>(
        CEventText::WrapLines(*m_measurer, text.visible, available, available).size());
    // Full, the cache gives up one entry for each new one instead of
    // starting again empty, which would measure every text anew.
    if (m_lineCache.size() >= 1000000)
        m_lineCache.erase(m_lineCache.begin());
    m_lineCache.emplace(std::move(key), lines);
    return lines;
}

// ---- CDataCoord: queries ------------------------------------------------------

int32_t CDataCoord::YearTop(int32_t year, int32_t* foundYear) const
{
    int32_t best = kNoYear;
    int32_t bestYear = kNoYear;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        const CCoordColumn& c = m_table.Column(i);
        const size_t r = c.LowerRun(year);
        if (r < c.Runs().size() && c.Runs()[r].top < best) {
            best = c.Runs()[r].top;
            bestYear = c.Runs()[r].year;
        }
    }
    if (foundYear)
        *foundYear = bestYear;
    return best;
}

int32_t CDataCoord::FirstYearAt(int64_t y) const
{
    if (y < 0)
        y = 0;
    const CCoordColumn* best = nullptr;
    size_t bestIndex = 0;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        const CCoordColumn& c = m_table.Column(i);
        if (c.empty())
            continue;
        const size_t k = m_table.LowerTop(i, y);
        size_t candidate = c.size();
        if (k < c.size())
            candidate = k > 0 ? k - 1 : 0;
        else if (c.Runs().back().bottom > y)
            candidate = c.size() - 1; // a tall last entry reaching into the band
        if (candidate < c.size() && (!best || c.Top(candidate) < best->Top(bestIndex))) {
            best = &c;
            bestIndex = candidate;
        }
    }
    return best ? best->Year(bestIndex) : MaxYear();
}

int32_t CDataCoord::YearAt(int64_t y, const CYearEvent* library, int* index, bool useCache)
{
    if (useCache && index && y == m_lastY && m_lastIndex != kNone) {
        *index = m_lastIndex;
        return m_lastYear;
    }
    int32_t result = kNoYear;
    int position = kNone;
    bool anyColumn = library == nullptr;
    if (library) {
        const int column = m_table.ColumnOfLibrary(library);
        if (column >= 0) {
            const CCoordColumn& c = m_table.Column(column);
            size_t k = m_table.LowerBottom(column, y);
            // On the pixel two entries of one year share, the lower one is
            // meant: y is its first row.
            if (k + 1 < c.size() && c.Bottom(k) == y && c.Top(k + 1) <= y &&
                c.Year(k + 1) == c.Year(k))
                ++k;
            if (k < c.size() && c.Top(k) <= y) {
                result = c.Year(k);
                position = static_cast<int>(k - m_table.LowerYear(column, result));
            }
        }
        if (result == kNoYear && !useCache) {
            anyColumn = true;
            position = 0;
        }
    }
    if (anyColumn) {
        for (int i = 0; i < m_table.GetColumnCount(); ++i) {
            const CCoordColumn& c = m_table.Column(i);
            const size_t k = m_table.LowerBottom(i, y);
            if (k < c.size())
                result = std::min(result, c.Year(k));
        }
    }
    if (index) {
        *index = position;
        m_lastY = y;
        m_lastIndex = position;
        m_lastYear = result;
    } else {
        m_lastY = kNone;
        m_lastIndex = kNone;
        m_lastYear = kNone;
    }
    return result;
}

void CDataCoord::CollectBucket(int32_t year, int scale, int column, SBucket& out)
{
    out.entries.clear();
    out.nextYear = kNoYear;
    if (column < 0 || column >= m_table.GetColumnCount())
        return;
    const CCoordColumn& c = m_table.Column(column);
    const auto& runs = c.Runs();
    const int32_t bucket = BucketOf(year, scale);
    size_t r = c.LowerRun(BucketStart(bucket, scale));
    std::vector<const SEventData*> records;
    for (; r < runs.size() && BucketOf(runs[r].year, scale) == bucket; ++r) {
        c.RunRecords(r, records);
        const size_t first = runs[r].first;
        const size_t last = c.RunStart(r + 1);
        // Entries whose record the library no longer has (a change not
        // laid out yet) are left out.
        for (size_t k = first; k < last && k - first < records.size(); ++k) {
            CoordEntry e;
            e.top = c.TopIn(r, k);
            e.bottom = k + 1 < last ? c.TopIn(r, k + 1) : runs[r].bottom;
            e.event = records[k - first];
            e.year = runs[r].year;
            e.searchResult = static_cast<int64_t>(k) == c.m_hit ? c.m_hitResult : 0;
            out.entries.push_back(e);
        }
    }
    if (r < runs.size())
        out.nextYear = runs[r].year;
    m_table.Cursor(column) = c.RunStart(r);
}

int CDataCoord::YearRowsInColumn(int column, int32_t year) const
{
    const CCoordColumn& c = m_table.Column(column);
    const size_t r = c.LowerRun(year);
    if (r == c.Runs().size() || c.Runs()[r].year != year)
        return 0;
    const int64_t lines =
        (static_cast<int64_t>(c.Runs()[r].bottom) - c.Runs()[r].top) / m_settings.rowHeight;
    return static_cast<int>(std::min<int64_t>(lines, INT32_MAX));
}

int32_t CDataCoord::NextYear(int32_t year) const
{
    if (year == kNoYear)
        return kNoYear;
    int32_t next = kNoYear;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        const CCoordColumn& c = m_table.Column(i);
        const size_t r = c.LowerRun(year + 1);
        if (r < c.Runs().size())
            next = std::min(next, c.Runs()[r].year);
    }
    return next;
}

int CDataCoord::BucketRows(int32_t year, int scale) const
{
    const int32_t bucket = BucketOf(year, scale);
    int64_t rows = 0;
    int32_t y = year;
    // Only years that hold entries: step from one to the next.
    if (YearTop(y) == kNoYear)
        return 0;
    int32_t found = kNoYear;
    YearTop(y, &found);
    y = found;
    while (y != kNoYear && BucketOf(y, scale) == bucket) {
        int most = 0;
        for (int i = 0; i < m_table.GetColumnCount(); ++i)
            most = std::max(most, YearRowsInColumn(i, y));
        rows += most;
        y = NextYear(y);
    }
    return static_cast<int>(std::min<int64_t>(rows, INT32_MAX));
}

int CDataCoord::DrawnRows(int32_t year) const
{
    if (m_settings.mode == SLayoutSettings::Exact)
        return std::abs(m_rowsPerBucket);
    return BucketRows(year, m_settings.scale);
}

int32_t CDataCoord::MinYear() const
{
    int32_t y = kNoYear;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        if (!m_table.Column(i).empty())
            y = std::min(y, m_table.Column(i).Runs().front().year);
    }
    return y;
}

int32_t CDataCoord::MaxYear() const
{
    int32_t y = kNone;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        if (!m_table.Column(i).empty())
            y = std::max(y, m_table.Column(i).Runs().back().year);
    }
    return y;
}

int32_t CDataCoord::MinTop() const
{
    int32_t y = kNoYear;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        if (!m_table.Column(i).empty())
            y = std::min(y, m_table.Column(i).Runs().front().top);
    }
    return y;
}

int32_t CDataCoord::MaxBottom() const
{
    int32_t y = kNone;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        if (!m_table.Column(i).empty())
            y = std::max(y, m_table.Column(i).Runs().back().bottom);
    }
    return y;
}

bool CDataCoord::NearestYearTop(int32_t year, int32_t& top) const
{
    bool found = false;
    int32_t bestTop = 0;
    int64_t bestDistance = INT64_MAX;
    for (int i = 0; i < m_table.GetColumnCount(); ++i) {
        const CCoordColumn& c = m_table.Column(i);
        if (c.empty())
            continue;
        const size_t k = m_table.LowerYear(i, year);
        if (k < c.size() && c.Year(k) == year) {
            top = c.Top(k);
            return true;
        }
        // The entry before the first later one; past the end, the last one.
        const size_t candidate = k < c.size() ? (k > 0 ? k - 1 : 0) : c.size() - 1;
        const int64_t distance = std::llabs(static_cast<int64_t>(c.Year(candidate)) - year);
        if (distance < bestDistance) {
            bestDistance = distance;
            bestTop = c.Top(candidate);
            found = true;
        }
    }
    if (!found)
        return false;
    top = bestTop;
    return true;
}

int32_t CDataCoord::YearFromText(const std::string& sjis, const CAnnaluxDoc* doc)
{
    // Full-width digits and minus signs typed with the input method on.
    std::string text;
    for (size_t i = 0; i < sjis.size();) {
        const unsigned char c = static_cast<unsigned char>(sjis[i]);
        if (c == 0x82 && i + 1 < sjis.size()) {
            const unsigned char t = static_cast<unsigned char>(sjis[i + 1]);
            if (t >= 0x4F && t <= 0x58) {
                text += static_cast<char>('0' + (t - 0x4F));
                i += 2;
                continue;
            }
        }
        if (c == 0x81 && i + 1 < sjis.size() && static_cast<unsigned char>(sjis[i + 1]) == 0x7C) {
            text += '-';
            i += 2;
            continue;
        }
        const size_t len = CShiftJis::CharLength(sjis, i);
        text.append(sjis, i, len == 0 ? 1 : len);
        i += len == 0 ? 1 : len;
    }
    size_t b = 0;
    while (b < text.size() && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    text.erase(0, b);
    if (text.empty())
        return kNoYear;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (isDigit(text[0]) || text[0] == '-') {
        char* end = nullptr;
        const long long value = std::strtoll(text.c_str(), &end, 10);
        if (end == text.c_str() || (text[0] == '-' && end == text.c_str() + 1))
            return kNoYear;
        // Out of the 32-bit range is not a year, not a wrapped one.
        if (value < INT32_MIN || value >= kNoYear)
            return kNoYear;
        return static_cast<int32_t>(value);
    }
    // Digits are never trail bytes, so the first one ends the era name.
    size_t d = 0;
    while (d < text.size() && !isDigit(text[d]))
        d += std::max<size_t>(1, CShiftJis::CharLength(text, d));
    std::string name = text.substr(0, std::min(d, text.size()));
    while (!name.empty() && (name.back() == ' '))
        name.pop_back();
    long long eraYear = 1;
    if (d < text.size()) {
        eraYear = std::strtoll(text.c_str() + d, nullptr, 10);
        if (eraYear > INT32_MAX)
            return kNoYear;
    }
    if (!doc || name.empty())
        return kNoYear;
    for (int i = 0; i < doc->GetEraNameTableCount(); ++i) {
        const int32_t year =
            doc->GetEraNameTable(i)->GetWesternYear(name, static_cast<int32_t>(eraYear));
        if (year != kNoYear)
            return year;
    }
    return kNoYear;
}

std::vector<std::pair<int32_t, int64_t>> CDataCoord::GapLabels(int32_t a, int32_t b,
                                                               int64_t topOfB) const
{
    std::vector<std::pair<int32_t, int64_t>> labels;
    if (m_rowsPerBucket < 0 || b <= a)
        return labels;
    const int s = m_settings.scale;
    const int64_t step = 10LL * s;
    const int64_t m = static_cast<int64_t>(m_settings.rowHeight) * std::abs(m_rowsPerBucket);
    const int64_t ia = BucketIndex(a, s);
    const int64_t ib = BucketIndex(b, s);
    // The largest multiple of step below b (floor division).
    int64_t bm1 = static_cast<int64_t>(b) - 1;
    int64_t label = (bm1 >= 0 ? bm1 / step : -((-bm1 + step - 1) / step)) * step;
    for (; label > a && labels.size() < 1000; label -= step) {
        if (label == 0)
            continue; // there is no year 0
        const int64_t il = BucketIndex(static_cast<int32_t>(label), s);
        if (il <= ia)
            break;
        if (il > ib)
            continue;
        labels.emplace_back(static_cast<int32_t>(label), topOfB - m * (ib - il));
    }
    std::reverse(labels.begin(), labels.end());
    return labels;
}

// ---- CDataCoord: search stepping ------------------------------------------------

namespace {

// A cheap test that lets the stepping skip entries SEventData::Search would
// refuse: a character-aligned match is also a byte match, and folding every
// byte of both sides (trail bytes too) only admits more. The search proper then decides.
// Without it a step over a large table spends its time copying and
// lower-casing every text.
class CSearchPrefilter
{
public:
    CSearchPrefilter(const std::string& what, bool inSupplement, bool matchCase)
        : m_inSupplement(inSupplement), m_matchCase(matchCase), m_needle(what)
    {
        // Folded byte by byte like the texts: "ア" (83 41) must still meet
        // itself, whatever the folding makes of its trail byte.
        if (!matchCase)
            std::transform(m_needle.begin(), m_needle.end(), m_needle.begin(), Fold);
        // A date text is made of digits, '-', ' ' and the bytes of 月, 日
        // and 閏: a needle with any other byte is never in one.
        const std::string dateBytes = "0123456789- \x8C\x8E\x93\xFA\x89\x5B";
        m_mayBeDate = m_needle.find_first_not_of(dateBytes) == std::string::npos;
    }

    bool MayMatch(const SEventData& event) const
    {
        if (Contains(event.text.view()) || (m_inSupplement && Contains(event.supplement.view())))
            return true;
        if (!m_mayBeDate)
            return false;
        char date[SEventData::kMaxDateText];
        const size_t n = event.FormatDate(date);
        return Contains(std::string_view(date, n));
    }

private:
    static char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

    bool Contains(std::string_view hay) const
    {
        if (m_matchCase)
            return hay.find(m_needle) != std::string_view::npos;
        return std::search(hay.begin(), hay.end(), m_needle.begin(), m_needle.end(),
                           [](char a, char b) { return Fold(a) == b; }) != hay.end();
    }

    bool m_inSupplement;
    bool m_matchCase;
    std::string m_needle;
    bool m_mayBeDate = true;
};

// The records of a column's runs, run after run in either direction. The
// first runs are asked of the library one by one; a step that goes on over
// many runs of a library in year order reads its list once and finds each
// run in it from where the last one was.
class CRunReader
{
public:
    explicit CRunReader(const CCoordColumn& column) : m_column(column) {}

    void Get(size_t r, std::vector<const SEventData*>& out)
    {
        const CYearEvent* library = m_column.Library();
        if (!m_listed && ++m_asked > kAskedBeforeListing && library && library->IsSortedByYear()) {
            library->GetRecords(m_list);
            m_listed = true;
        }
        if (!m_listed) {
            m_column.RunRecords(r, out);
            return;
        }
        out.clear();
        const int32_t year = m_column.Runs()[r].year;
        const size_t count = m_column.RunStart(r + 1) - m_column.RunStart(r);
        m_at = LowerBound(year);
        for (size_t k = m_at; k < m_list.size() && m_list[k]->year == year && out.size() < count;
             ++k) {
            if (m_list[k]->IsVisible(m_column.Priority()))
                out.push_back(m_list[k]);
        }
    }

private:
    static constexpr int kAskedBeforeListing = 64;

    // The first record whose year is >= year, searched outwards from the
    // last one found: the next run's records are mostly right there.
    size_t LowerBound(int32_t year) const
    {
        const size_t n = m_list.size();
        const auto below = [year](const SEventData* rec, int32_t) { return rec->year < year; };
        size_t lo = m_at;
        size_t hi = m_at;
        if (m_at < n && m_list[m_at]->year < year) {
            lo = m_at + 1;
            size_t step = 1;
            while (lo + step - 1 < n && m_list[lo + step - 1]->year < year) {
                lo += step;
                step *= 2;
            }
            hi = std::min(lo + step - 1, n);
        } else {
            size_t step = 1;
            while (hi >= step && m_list[hi - step]->year >= year) {
                hi -= step;
                step *= 2;
            }
            lo = hi >= step ? hi - step : 0;
        }
        return static_cast<size_t>(std::lower_bound(m_list.begin() + static_cast<ptrdiff_t>(lo),
                                                    m_list.begin() + static_cast<ptrdiff_t>(hi),
                                                    year, below) -
                                   m_list.begin());
    }

    const CCoordColumn& m_column;
    std::vector<const SEventData*> m_list;
    bool m_listed = false;
    int m_asked = 0;
    size_t m_at = 0;
};

// Whether the table's search hit names an entry it has.
bool HitInTable(const CEventCoordTable& table)
{
    const int c = table.m_searchColumn;
    const int64_t k = table.m_searchIndex;
    return c >= 0 && c < table.GetColumnCount() && k >= 0 &&
           k < static_cast<int64_t>(table.Column(c).size());
}

} // namespace

void CDataCoord::ClearSearchHit()
{
    if (HitInTable(m_table)) {
        CCoordColumn& column = m_table.MutableColumn(m_table.m_searchColumn);
        column.m_hit = -1;
        column.m_hitResult = 0;
    }
    m_table.m_searchColumn = -1;
    m_table.m_searchIndex = -1;
}

const CoordEntry* CDataCoord::SearchHit() const
{
    if (!HitInTable(m_table))
        return nullptr;
    m_hitEntry = m_table.Column(m_table.m_searchColumn)[static_cast<size_t>(m_table.m_searchIndex)];
    return m_hitEntry.event ? &m_hitEntry : nullptr;
}

bool CDataCoord::SearchForward(const std::string& what, bool inSupplement, bool matchCase,
                               int32_t& top, int& column)
{
    int c = 0;
    size_t k = 0;
    if (HitInTable(m_table)) {
        c = m_table.m_searchColumn;
        k = static_cast<size_t>(m_table.m_searchIndex) + 1;
    }
    ClearSearchHit();
    if (what.empty())
        return false;
    CSearchPrefilter prefilter(what, inSupplement, matchCase);
    std::vector<const SEventData*> records;
    for (; c < m_table.GetColumnCount(); ++c, k = 0) {
        CCoordColumn& entries = m_table.MutableColumn(c);
        if (k >= entries.size())
            continue;
        const auto& runs = entries.Runs();
        CRunReader reader(entries);
        for (size_t r = entries.RunOf(k); r < runs.size(); ++r) {
            reader.Get(r, records);
            const size_t first = runs[r].first;
            for (const size_t last = entries.RunStart(r + 1); k < last; ++k) {
                if (k - first >= records.size())
                    continue; // no longer in the library
                const SEventData& event = *records[k - first];
                if (!prefilter.MayMatch(event))
                    continue;
                const int result = event.Search(what, inSupplement, matchCase);
                if (result != 0) {
                    entries.m_hit = static_cast<int64_t>(k);
                    entries.m_hitResult = result;
                    m_table.m_searchColumn = c;
                    m_table.m_searchIndex = static_cast<int64_t>(k);
                    top = entries.Top(k);
                    column = c;
                    return true;
                }
            }
        }
    }
    return false;
}

bool CDataCoord::SearchBackward(const std::string& what, bool inSupplement, bool matchCase,
                                int32_t& top, int& column)
{
    const int n = m_table.GetColumnCount();
    int c = n - 1;
    int64_t k = -2; // the last entry of the column
    if (HitInTable(m_table)) {
        c = m_table.m_searchColumn;
        k = m_table.m_searchIndex - 1;
    }
    ClearSearchHit();
    if (what.empty() || n == 0)
        return false;
    // Every entry is looked at once at most: from the start position down to
    // column 0, then on from the last column, never past the start.
    size_t budget = m_table.EntryCount();
    CSearchPrefilter prefilter(what, inSupplement, matchCase);
    std::vector<const SEventData*> records;
    while (budget > 0) {
        CCoordColumn& entries = m_table.MutableColumn(c);
        if (k == -2)
            k = static_cast<int64_t>(entries.size()) - 1;
        if (k >= 0) {
            const auto& runs = entries.Runs();
            CRunReader reader(entries);
            size_t r = entries.RunOf(static_cast<size_t>(k));
            reader.Get(r, records);
            for (; k >= 0 && budget > 0; --k, --budget) {
                const auto at = static_cast<size_t>(k);
                if (at < runs[r].first)
                    reader.Get(--r, records);
                if (at - runs[r].first >= records.size())
                    continue; // no longer in the library
                const SEventData& event = *records[at - runs[r].first];
                if (!prefilter.MayMatch(event))
                    continue;
                const int result = event.Search(what, inSupplement, matchCase);
                if (result != 0) {
                    entries.m_hit = k;
                    entries.m_hitResult = result;
                    m_table.m_searchColumn = c;
                    m_table.m_searchIndex = k;
                    top = entries.Top(at);
                    column = c;
                    return true;
                }
            }
        }
        c = c > 0 ? c - 1 : n - 1;
        k = -2;
    }
    return false;
}
