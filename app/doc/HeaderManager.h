#pragma once

#include "HeaderKind.h"

#include <memory>
#include <vector>

class CRowInfoAll;

// The ordered set of columns, left to right. Each column's left edge and
// width live in heap cells owned here, so pointers to them (held by the view
// and the header control) stay valid while columns are inserted or moved;
// a column's cells are freed when the column is removed.
//
// Index errors in the accessors are programming errors and throw
// std::out_of_range; the editing operations report bad arguments by their
// result instead and change nothing.
class CHeaderManager
{
public:
    CHeaderManager() = default;
    ~CHeaderManager() = default;
    CHeaderManager(const CHeaderManager&) = delete;
    CHeaderManager& operator=(const CHeaderManager&) = delete;

    int GetCount() const { return static_cast<int>(m_columns.size()); }
    bool IsEmpty() const { return m_columns.empty(); }
    const SHeaderKind& GetAt(int index) const;
    const SHeaderKind& operator[](int index) const { return GetAt(index); }
    int GetKind(int index) const { return GetAt(index).kind; }
    CTableBase* GetTable(int index) const { return GetAt(index).table; }
    int GetLeft(int index) const { return *GetAt(index).left; }
    int GetWidth(int index) const { return *GetAt(index).width; }
    // Right edge of the column (left + width, saturated).
    int GetRight(int index) const;
    void SetLeft(int index, int left);
    void SetWidth(int index, int width);
    // The right edge of the whole table: the largest left + width, 0 when empty.
    int GetTotalWidth() const;

    // Appends a column at the end with its own left edge; left -1 puts it
    // at the current right edge of the table. Returns the new index, or -1
    // (nothing added) for an invalid kind.
    int Append(int kind, CTableBase* table, int left, int width);
    // Inserts a column before position (at the end when position equals the
    // count) and recomputes every left edge. False (nothing changed) for an
    // invalid kind or position.
    bool Insert(int kind, CTableBase* table, int position, int width);
    // Takes the column at from out and puts it back at to (display order),
    // then recomputes the left edges of columns 0..max(from, to). False
    // without change when either index is outside the columns.
    bool Move(int from, int to);
    // Removes the column and frees its cells; the caller recomputes the left
    // edges. False for an invalid index.
    bool Remove(int index);
    // Left edge of column i := sum of the widths of columns 0..i-1.
    void RecomputeLefts();
    void Clear();

    int CountOfKind(int kind) const;
    // Index of the first column showing table, or -1.
    int IndexOfTable(const CTableBase* table) const;
    // The first column with left <= x <= left + width (a shared edge belongs
    // to the left column); -1 when none.
    int HitTest(int x) const;
    bool HitTest(int x, int& left, int& right) const;

    // When there are no columns, appends the year column (kind 0, no table)
    // with the given width and returns true; else does nothing.
    bool EnsureYearColumn(int width);

    struct SResizeResult
    {
        bool done = false;      // false: invalid index, nothing changed
        bool sameWidth = false; // every column of the kind was resized and the
                                // left edges recomputed: rebuild the layout
        int delta = 0;          // otherwise: how far the later columns moved
    };
    // A column's divider was dragged to newWidth (negative counts as 0).
    SResizeResult Resize(int index, int newWidth, const CRowInfoAll& rowInfo);

    // Zoom change: width := (width * 100 / oldPercent) * newPercent / 100 in
    // integer steps, then the left edges are recomputed. False for a
    // percentage not above 0.
    bool RescaleWidths(int oldPercent, int newPercent);

    // How many cells of a kind are held (for tests of the cell bookkeeping).
    size_t CellCount(int kind) const;

private:
    void FreeCells(const SHeaderKind& column);
    SHeaderKind MakeColumn(int kind, CTableBase* table);

    std::vector<SHeaderKind> m_columns;
    std::vector<std::unique_ptr<int>> m_leftCells[kColumnKindCount];
    std::vector<std::unique_ptr<int>> m_widthCells[kColumnKindCount];
};
