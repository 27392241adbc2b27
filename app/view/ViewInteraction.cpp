#include "ViewInteraction.h"

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "DataCoord.h"
#include "HeaderKind.h"
#include "HeaderManager.h"
#include "ShiftJis.h"
#include "TableBase.h"
#include "TablePainter.h"
#include "YearEvent.h"

#include <algorithm>

const char* const CViewInteraction::kSupplementStatus = "クリックすると補足説明が表示されます";

int CViewInteraction::HitColumn(const CHeaderManager& columns, int64_t x)
{
    for (int i = 0; i < columns.GetCount(); ++i) {
        const int64_t left = columns.GetLeft(i);
        if (left <= x && x < left + columns.GetWidth(i))
            return i;
    }
    return -1;
}

SDatumHit CViewInteraction::HitDatum(CAnnaluxDoc& doc, CDataCoord& coord, int64_t x, int64_t dataY)
{
    SDatumHit hit;
    const CHeaderManager& columns = doc.GetColumns();
    hit.column = HitColumn(columns, x);
    if (hit.column < 0)
        return hit;
    hit.kind = columns.GetKind(hit.column);
    hit.table = columns.GetTable(hit.column);
    const int filter = doc.GetPriorityFilter();

    switch (hit.kind) {
    case CK_EVENT: {
        auto* table = static_cast<CYearEvent*>(hit.table);
        if (!table)
            break;
        // Without an event here, adding still needs the year of the row.
        hit.year = coord.YearAt(dataY, nullptr, nullptr, false);
        // Only an entry that holds the point counts: the year-row fallback
        // of YearAt would hand delete and move an event the user did not
        // point at.
        const CEventCoordTable& placed = coord.Table();
        const int index = placed.ColumnOfLibrary(table);
        if (index < 0)
            break;
        const CCoordColumn& entries = placed.Column(index);
        const size_t k = placed.LowerBottom(index, dataY + 1);
        if (k >= entries.size() || entries.Top(k) > dataY)
            break;
        const int32_t year = entries.Year(k);
        const int position = static_cast<int>(k - placed.LowerYear(index, year));
        const int first = table->GetIndexFromYear(year, filter);
        if (first < 0 || !table->GetAt(first + position, &hit.event, filter))
            break;
        hit.found = true;
        hit.year = year;
        hit.position = position;
        hit.eventIndex = first + position;
        hit.supplement = hit.event.supplement;
        MoveFlags(*table, year, position, filter, hit.canMoveUp, hit.canMoveDown);
        break;
    }
    case CK_GENGOU:
    case CK_ERA: {
        const auto* table = static_cast<const CGengouEra*>(hit.table);
        const int32_t year = coord.YearAt(dataY, nullptr, nullptr, false);
        if (!table || year == kNoYear)
            break;
        hit.year = year;
        int row = table->GetIndexFromYear(year);
        if (row < 0 && hit.kind == CK_GENGOU) {
            // The era cell of a row is looked up by the row's bucket.
            row = table->GetIndexFromYear(
                CDataCoord::BucketOf(year, std::max(1, doc.GetScaleYear())));
        }
        if (row < 0)
            break;
        hit.found = true;
        hit.eraRow = row;
        hit.eraData = table->GetAt(row);
        hit.supplement = hit.eraData.supplement;
        break;
    }
    case CK_BASEYEAR: {
        const auto* table = static_cast<const CBaseYear*>(hit.table);
        if (!table)
            break;
        // The base-year column stands for its whole library.
        hit.found = true;
        hit.year = coord.YearAt(dataY, nullptr, nullptr, false);
        hit.supplement = table->GetSupplement();
        break;
    }
    default:
        break;
    }
    return hit;
}

void CViewInteraction::MoveFlags(const CYearEvent& table, int32_t year, int position, int filter,
                                 bool& up, bool& down)
{
    up = down = false;
    std::vector<SEventData*> shown;
    table.GetData(year, shown, filter);
    const int n = static_cast<int>(shown.size());
    if (n <= 1 || position < 0 || position >= n)
        return;
    const auto undated = [&](int i) { return shown[static_cast<size_t>(i)]->month == -1; };
    if (position == 0) {
        down = undated(0) || undated(1);
    } else if (position == n - 1) {
        up = undated(position) || undated(position - 1);
    } else if (undated(position)) {
        up = down = true;
    } else {
        up = undated(position - 1);
        down = undated(position + 1);
    }
}

QString CViewInteraction::RangeDescription(uint32_t flags, int32_t otherYear)
{
    QString other;
    if (otherYear != 0) {
        other = QString::number(otherYear) + QStringLiteral("年");
        if (flags & RANGE_OTHER_YEAR_ABOUT)
            other += QStringLiteral("頃");
    }
    QString text;
    if ((flags & RANGE_UNTIL) && !other.isEmpty())
        text = other + QStringLiteral("から");
    switch (flags & ~uint32_t(RANGE_OTHER_YEAR_ABOUT)) {
    case RANGE_FROM:
        text += QStringLiteral("この年から");
        break;
    case RANGE_UNTIL:
        text += QStringLiteral("この年まで");
        break;
    case RANGE_ABOUT:
        text += QStringLiteral("この頃");
        break;
    case RANGE_ABOUT | RANGE_FROM:
        text += QStringLiteral("この頃から");
        break;
    case RANGE_ABOUT | RANGE_UNTIL:
        text += QStringLiteral("この頃まで");
        break;
    default:
        break;
    }
    if ((flags & RANGE_FROM) && !other.isEmpty())
        text += other + QStringLiteral("まで");
    return text;
}

std::string CViewInteraction::SupplementTip(const std::string& sjis)
{
    // '<', '>', CR and LF never occur as trail bytes, so a byte scan is safe.
    std::string plain;
    plain.reserve(std::min(sjis.size(), kTipBytes * 2));
    for (size_t i = 0; i < sjis.size(); ++i) {
        const char c = sjis[i];
        if (c == '<') {
            const size_t close = sjis.find('>', i + 1);
            if (close == std::string::npos)
                break;
            i = close;
            continue;
        }
        if (c == '\r' || c == '\n')
            continue;
        plain += c;
    }
    if (plain.size() <= kTipBytes)
        return plain;
    // A double-byte character across the limit is kept whole (one byte over).
    size_t end = 0;
    while (end < kTipBytes)
        end += std::max<size_t>(1, CShiftJis::CharLength(plain, end));
    return plain.substr(0, std::min(end, plain.size()));
}

namespace {

bool Inside(int64_t x, int64_t y, int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return x >= left && x <= right && y >= top && y <= bottom;
}

} // namespace

const SViewHit* CViewInteraction::FindLink(const CHitList& links, const CHeaderManager& columns,
                                           int rowHeight, int64_t x, int64_t y)
{
    const int column = HitColumn(columns, x);
    for (const SViewHit& link : links.Items()) {
        const int64_t height = link.bottom - link.top;
        if (rowHeight <= 0 || height <= rowHeight) {
            if (Inside(x, y, link.left, link.top, link.right, link.bottom))
                return &link;
            continue;
        }
        // A wrapped link: only inside the column it was drawn in.
        if (column < 0)
            continue;
        const int64_t colLeft = columns.GetLeft(column);
        const int64_t colRight = colLeft + columns.GetWidth(column);
        if (link.left < colLeft || link.right > colRight)
            continue;
        const int64_t rows = height / rowHeight;
        // The first line runs from the link's start to the column's edge.
        if (Inside(x, y, link.left, link.top, colRight, link.top + rowHeight))
            return &link;
        // Lines in between fill the column.
        if (rows > 2 && Inside(x, y, colLeft, link.top + rowHeight, colRight,
                               link.top + (rows - 1) * rowHeight))
            return &link;
        // The last line ends at the link's end.
        const int64_t lastTop = link.top + (rows - 1) * rowHeight;
        if (Inside(x, y, colLeft, lastTop, link.right, lastTop + rowHeight))
            return &link;
    }
    return nullptr;
}

const SViewHit* CViewInteraction::FindMark(const CHitList& marks, int64_t x, int64_t y)
{
    for (const SViewHit& mark : marks.Items())
        if (Inside(x, y, mark.left, mark.top, mark.right, mark.bottom))
            return &mark;
    return nullptr;
}
