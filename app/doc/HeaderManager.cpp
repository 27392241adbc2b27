#include "HeaderManager.h"

#include "RowInfoAll.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {

// Edges are summed in 64 bits and held to the int range, so that widths read
// from a damaged file cannot wrap around into negative positions.
int Saturate(int64_t v)
{
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

void EraseCell(std::vector<std::unique_ptr<int>>& cells, const int* cell)
{
    auto it = std::find_if(cells.begin(), cells.end(),
                           [cell](const std::unique_ptr<int>& p) { return p.get() == cell; });
    if (it != cells.end())
        cells.erase(it);
}

} // namespace

const SHeaderKind& CHeaderManager::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        throw std::out_of_range("column index out of range");
    return m_columns[static_cast<size_t>(index)];
}

int CHeaderManager::GetRight(int index) const
{
    const SHeaderKind& c = GetAt(index);
    return Saturate(int64_t(*c.left) + *c.width);
}

void CHeaderManager::SetLeft(int index, int left)
{
    *GetAt(index).left = left;
}

void CHeaderManager::SetWidth(int index, int width)
{
    *GetAt(index).width = width;
}

int CHeaderManager::GetTotalWidth() const
{
    int64_t right = 0;
    for (const SHeaderKind& c : m_columns)
        right = std::max(right, int64_t(*c.left) + *c.width);
    return Saturate(right);
}

SHeaderKind CHeaderManager::MakeColumn(int kind, CTableBase* table)
{
    SHeaderKind column;
    column.kind = kind;
    column.table = table;
    m_leftCells[kind].push_back(std::make_unique<int>(0));
    column.left = m_leftCells[kind].back().get();
    m_widthCells[kind].push_back(std::make_unique<int>(0));
    column.width = m_widthCells[kind].back().get();
    return column;
}

void CHeaderManager::FreeCells(const SHeaderKind& column)
{
    if (!IsValidColumnKind(column.kind))
        return;
    EraseCell(m_leftCells[column.kind], column.left);
    EraseCell(m_widthCells[column.kind], column.width);
}

int CHeaderManager::Append(int kind, CTableBase* table, int left, int width)
{
    if (!IsValidColumnKind(kind))
        return -1;
    const int position = left == -1 ? GetTotalWidth() : left;
    SHeaderKind column = MakeColumn(kind, table);
    *column.left = position;
    *column.width = width;
    m_columns.push_back(column);
    return GetCount() - 1;
}

bool CHeaderManager::Insert(int kind, CTableBase* table, int position, int width)
{
    if (!IsValidColumnKind(kind) || position < 0 || position > GetCount())
        return false;
    SHeaderKind column = MakeColumn(kind, table);
    *column.width = width;
    m_columns.insert(m_columns.begin() + position, column);
    RecomputeLefts();
    return true;
}

bool CHeaderManager::Move(int from, int to)
{
    if (from < 0 || to < 0 || from >= GetCount() || to >= GetCount())
        return false;
    const SHeaderKind column = m_columns[static_cast<size_t>(from)];
    m_columns.erase(m_columns.begin() + from);
    m_columns.insert(m_columns.begin() + to, column);
    // Columns beyond both positions keep their places.
    const int last = std::max(from, to);
    int64_t x = 0;
    for (int i = 0; i <= last; ++i) {
        *m_columns[static_cast<size_t>(i)].left = Saturate(x);
        x += *m_columns[static_cast<size_t>(i)].width;
    }
    return true;
}

bool CHeaderManager::Remove(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    const SHeaderKind column = m_columns[static_cast<size_t>(index)];
    m_columns.erase(m_columns.begin() + index);
    FreeCells(column);
    return true;
}

void CHeaderManager::RecomputeLefts()
{
    int64_t x = 0;
    for (SHeaderKind& c : m_columns) {
        *c.left = Saturate(x);
        x += *c.width;
    }
}

void CHeaderManager::Clear()
{
    m_columns.clear();
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        m_leftCells[kind].clear();
        m_widthCells[kind].clear();
    }
}

int CHeaderManager::CountOfKind(int kind) const
{
    return static_cast<int>(std::count_if(m_columns.begin(), m_columns.end(),
                                          [kind](const SHeaderKind& c) { return c.kind == kind; }));
}

int CHeaderManager::IndexOfTable(const CTableBase* table) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].table == table)
            return static_cast<int>(i);
    return -1;
}

int CHeaderManager::HitTest(int x) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const SHeaderKind& c = m_columns[i];
        if (*c.left <= x && int64_t(x) <= int64_t(*c.left) + *c.width)
            return static_cast<int>(i);
    }
    return -1;
}

bool CHeaderManager::HitTest(int x, int& left, int& right) const
{
    const int index = HitTest(x);
    if (index < 0)
        return false;
    left = GetLeft(index);
    right = GetRight(index);
    return true;
}

bool CHeaderManager::EnsureYearColumn(int width)
{
    if (!m_columns.empty())
        return false;
    Append(CK_YEAR, nullptr, 0, width);
    return true;
}

CHeaderManager::SResizeResult CHeaderManager::Resize(int index, int newWidth,
                                                     const CRowInfoAll& rowInfo)
{
    SResizeResult result;
    if (index < 0 || index >= GetCount())
        return result;
    result.done = true;
    newWidth = std::max(newWidth, 0);
    SHeaderKind& column = m_columns[static_cast<size_t>(index)];
    const int oldWidth = *column.width;
    *column.width = newWidth;

    if (rowInfo.GetSameWidth(column.kind)) {
        for (SHeaderKind& c : m_columns)
            if (c.kind == column.kind)
                *c.width = newWidth;
        RecomputeLefts();
        result.sameWidth = true;
        return result;
    }
    const int64_t delta = int64_t(newWidth) - oldWidth;
    for (size_t i = static_cast<size_t>(index) + 1; i < m_columns.size(); ++i)
        *m_columns[i].left = Saturate(*m_columns[i].left + delta);
    result.delta = Saturate(delta);
    return result;
}

bool CHeaderManager::RescaleWidths(int oldPercent, int newPercent)
{
    if (oldPercent <= 0 || newPercent <= 0)
        return false;
    for (SHeaderKind& c : m_columns)
        *c.width = Saturate((int64_t(*c.width) * 100 / oldPercent) * newPercent / 100);
    RecomputeLefts();
    return true;
}

size_t CHeaderManager::CellCount(int kind) const
{
    if (!IsValidColumnKind(kind))
        return 0;
    return m_leftCells[kind].size() + m_widthCells[kind].size();
}
