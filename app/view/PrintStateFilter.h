#pragma once

#include <QPaintDevice>

#include <memory>

class QPainter;

// A paint device in front of a printer's or PDF writer's painter that hands
// on only the painter state a drawing needs.
//
// A print paint engine writes every state change into the page: each clip
// set, saved or restored costs a graphics-state record with the clip path,
// the matrix and the pen, even when nothing is drawn under it. The table
// painting sets a clip per cell and restores it after, so on paper most of
// a page's state records would be for nothing. Painting through the filter
// draws the same, but the target sees a state only when something is drawn
// with it, and only where it differs from what it has; rectangular clips
// reach it intersected into one.
//
// The target painter must be active, and its device must not change while
// the filter paints on it; the filter leaves the target's state as the last
// drawing needed it.
class CPrintStateFilter : public QPaintDevice
{
public:
    explicit CPrintStateFilter(QPainter& target);
    ~CPrintStateFilter() override;

    QPaintEngine* paintEngine() const override;

    // Whether text in the fonts used can be printed through the filter: a
    // font that draws lines of its own (underline, overline, strike-out)
    // gets them from both painters, so it is drawn on the target directly.
    static bool CanFilter(const QFont& font);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class CEngine;
    QPainter& m_target;
    std::unique_ptr<CEngine> m_engine;
};
