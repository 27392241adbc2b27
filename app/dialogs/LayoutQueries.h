#pragma once

#include "DisplayedLayout.h"

#include <memory>

class CAnnaluxDoc;
class CDataCoord;
class ITextMeasurer;

// The displayed-table exports' view of the year-axis layout. Every question
// they ask of the layout is answered here, from the view's own layout or
// from one laid out for a document exactly as the view lays it out.
class CLayoutQueries : public IDisplayedLayout
{
public:
    // Reads a layout that lives elsewhere (the view's).
    explicit CLayoutQueries(CDataCoord& coord);
    // Lays the document out as its window would: its settings, its event
    // font, its column widths. Needs a GUI application for the font.
    explicit CLayoutQueries(const CAnnaluxDoc& doc);
    ~CLayoutQueries() override;
    CLayoutQueries(const CLayoutQueries&) = delete;
    CLayoutQueries& operator=(const CLayoutQueries&) = delete;

    int32_t FirstDisplayYear() const override;
    int32_t NextEntryYear(int32_t year) const override;
    int32_t TopYear() override;
    void CollectBucket(int32_t year, int scale, const CYearEvent* library,
                       std::vector<const SEventData*>& out) override;
    int32_t NextBucketEntryYear(int32_t year, int scale) const override;
    int BucketRows(int32_t firstYear, int scale) const override;
    int32_t BucketOf(int32_t year, int scale) const override;

private:
    std::unique_ptr<ITextMeasurer> m_measurer;
    std::unique_ptr<CDataCoord> m_owned;
    CDataCoord& m_coord;
};
