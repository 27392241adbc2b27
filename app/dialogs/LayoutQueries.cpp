#include "LayoutQueries.h"

#include "AnnaluxDoc.h"
#include "DataCoord.h"
#include "LogFontQt.h"
#include "TextMeasurer.h"

#include <algorithm>

namespace {

constexpr int32_t kNoEntry = 2147483647;

} // namespace

CLayoutQueries::CLayoutQueries(CDataCoord& coord) : m_coord(coord) {}

CLayoutQueries::CLayoutQueries(const CAnnaluxDoc& doc)
    : m_measurer(std::make_unique<CFontMeasurer>(
          CLogFontQt::ToQFont(doc.GetFonts().GetShownFont(CFontManager::FS_EVENT)))),
      m_owned(std::make_unique<CDataCoord>()), m_coord(*m_owned)
{
    m_coord.SetMeasurer(m_measurer.get());
    bool overflow = false;
    m_coord.Layout(SLayoutSettings::FromDocument(doc), overflow);
}

CLayoutQueries::~CLayoutQueries() = default;

int32_t CLayoutQueries::FirstDisplayYear() const
{
    return m_coord.FirstDisplayYear();
}

int32_t CLayoutQueries::NextEntryYear(int32_t year) const
{
    return m_coord.NextYear(year);
}

int32_t CLayoutQueries::TopYear()
{
    return m_coord.YearAt(0, nullptr, nullptr, false);
}

void CLayoutQueries::CollectBucket(int32_t year, int scale, const CYearEvent* library,
                                   std::vector<const SEventData*>& out)
{
    out.clear();
    const int column = m_coord.Table().ColumnOfLibrary(library);
    if (column < 0)
        return;
    CDataCoord::SBucket bucket;
    m_coord.CollectBucket(year, scale, column, bucket);
    m_coord.Table().ResetCursors();
    out.reserve(bucket.entries.size());
    for (const CoordEntry& entry : bucket.entries)
        out.push_back(entry.event);
}

int32_t CLayoutQueries::NextBucketEntryYear(int32_t year, int scale) const
{
    // The first year of the next bucket is at least the year after the
    // bucket's last one; buckets only grow with the year, so the first entry
    // from there on whose bucket is later is found by a search per column.
    const CEventCoordTable& table = m_coord.Table();
    const int32_t bucket = CDataCoord::BucketOf(year, scale);
    int32_t best = kNoEntry;
    for (int i = 0; i < table.GetColumnCount(); ++i) {
        const auto& column = table.Column(i);
        size_t k = table.LowerYear(i, year);
        // Skip the rest of year's bucket: at most the years of one bucket.
        while (k < column.size() && CDataCoord::BucketOf(column.Year(k), scale) <= bucket) {
            const int32_t y = column.Year(k);
            k = y == kNoEntry ? column.size() : table.LowerYear(i, y + 1);
        }
        if (k < column.size())
            best = std::min(best, column.Year(k));
    }
    return best;
}

int CLayoutQueries::BucketRows(int32_t firstYear, int scale) const
{
    return m_coord.BucketRows(firstYear, scale);
}

int32_t CLayoutQueries::BucketOf(int32_t year, int scale) const
{
    return CDataCoord::BucketOf(year, scale);
}
