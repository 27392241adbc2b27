#pragma once

#include <cstdint>
#include <vector>

class CYearEvent;
struct SEventData;

// What the exports of the displayed table read from the view's year-axis
// layout: which years and buckets the view shows and the events it placed
// in each. The view layer answers it from its layout; the exports need no
// widgets and can be driven by any layout a test makes.
class IDisplayedLayout
{
public:
    virtual ~IDisplayedLayout() = default;

    // The year the table starts with (2147483647 when nothing is shown).
    virtual int32_t FirstDisplayYear() const = 0;
    // The smallest year above year that holds a placed event; 2147483647
    // when none.
    virtual int32_t NextEntryYear(int32_t year) const = 0;
    // The year of the first placed event (the top of the table); 2147483647
    // when nothing was placed.
    virtual int32_t TopYear() = 0;

    // The placed events of the library's column whose years fall in the
    // bucket of year at scale (years per bucket), in their order. Empty when
    // the library has no column in the layout.
    virtual void CollectBucket(int32_t year, int scale, const CYearEvent* library,
                               std::vector<const SEventData*>& out) = 0;
    // The first placed event's year in a bucket later than the bucket of
    // year; 2147483647 when none.
    virtual int32_t NextBucketEntryYear(int32_t year, int scale) const = 0;
    // Rows of the bucket whose first placed event has that year.
    virtual int BucketRows(int32_t firstYear, int scale) const = 0;
    // The bucket a year falls in at scale, as the view counts buckets.
    virtual int32_t BucketOf(int32_t year, int scale) const = 0;
};
