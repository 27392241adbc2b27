#include "PrintStateFilter.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <optional>
#include <vector>

namespace {

// One clip of the painter's clip stack, in the coordinates of the matrix
// that was in force when it was set.
struct SClip
{
    QPainterPath path;
    QTransform transform;
    std::optional<QRectF> rect; // set when the path is exactly this rectangle

    bool operator==(const SClip& other) const
    {
        if (rect.has_value() != other.rect.has_value() || transform != other.transform)
            return false;
        return rect ? *rect == *other.rect : path == other.path;
    }
};

std::optional<QRectF> RectOf(const QPainterPath& path)
{
    const QRectF box = path.boundingRect();
    QPainterPath rect;
    rect.addRect(box);
    if (path.elementCount() != rect.elementCount())
        return std::nullopt;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element a = path.elementAt(i), b = rect.elementAt(i);
        if (a.type != b.type || a.x != b.x || a.y != b.y)
            return std::nullopt;
    }
    return box;
}

SClip MakeClip(const QPainterPath& path, const QTransform& transform)
{
    return SClip{path, transform, RectOf(path)};
}

// The clip stack a drawing needs, with rectangles set under one matrix
// merged into their intersection.
struct SClipState
{
    bool enabled = false;
    std::vector<SClip> clips;

    bool operator==(const SClipState& other) const
    {
        return enabled == other.enabled && (!enabled || clips == other.clips);
    }
    bool operator!=(const SClipState& other) const { return !(*this == other); }

    SClipState Reduced() const
    {
        SClipState out;
        out.enabled = enabled;
        if (!enabled)
            return out;
        for (const SClip& clip : clips) {
            if (!out.clips.empty() && clip.rect && out.clips.back().rect &&
                clip.transform == out.clips.back().transform) {
                SClip& last = out.clips.back();
                last.rect = last.rect->intersected(*clip.rect);
                last.path = QPainterPath();
                last.path.addRect(*last.rect);
            } else {
                out.clips.push_back(clip);
            }
        }
        return out;
    }
};

// The target's state that the filter set last.
struct SSentState
{
    bool known = false;
    QPen pen;
    QBrush brush;
    QPointF brushOrigin;
    QBrush background;
    Qt::BGMode backgroundMode = Qt::TransparentMode;
    QTransform transform;
    QPainter::RenderHints hints;
    QPainter::CompositionMode composition = QPainter::CompositionMode_SourceOver;
    qreal opacity = 1;
    SClipState clip;
};

} // namespace

class CPrintStateFilter::CEngine : public QPaintEngine
{
public:
    explicit CEngine(QPainter& target) : QPaintEngine(QPaintEngine::AllFeatures), m_target(target)
    {}

    bool begin(QPaintDevice*) override
    {
        m_clip = SClipState();
        m_clipChanged = true;
        return m_target.isActive();
    }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    // Only the clip is followed here: a clip stack restored is replayed
    // clip by clip, each under its own matrix. The rest of the state is read
    // from the painter's when something is drawn.
    void updateState(const QPaintEngineState& s) override
    {
        const DirtyFlags dirty = s.state();
        if (dirty & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled))
            m_clipChanged = true;
        if (dirty & DirtyClipPath) {
            UpdateClip(s.clipOperation(), s.clipPath(), s.transform());
        } else if (dirty & DirtyClipRegion) {
            QPainterPath path;
            for (const QRect& rect : s.clipRegion())
                path.addRect(rect);
            UpdateClip(s.clipOperation(), path, s.transform());
        } else if (dirty & DirtyClipEnabled) {
            m_clip.enabled = s.isClipEnabled();
        }
    }

    void drawRects(const QRect* rects, int count) override
    {
        Sync();
        m_target.drawRects(rects, count);
    }
    void drawRects(const QRectF* rects, int count) override
    {
        Sync();
        m_target.drawRects(rects, count);
    }
    void drawLines(const QLine* lines, int count) override
    {
        Sync();
        m_target.drawLines(lines, count);
    }
    void drawLines(const QLineF* lines, int count) override
    {
        Sync();
        m_target.drawLines(lines, count);
    }
    void drawEllipse(const QRectF& rect) override
    {
        Sync();
        m_target.drawEllipse(rect);
    }
    void drawEllipse(const QRect& rect) override
    {
        Sync();
        m_target.drawEllipse(rect);
    }
    void drawPath(const QPainterPath& path) override
    {
        Sync();
        m_target.drawPath(path);
    }
    void drawPoints(const QPointF* points, int count) override
    {
        Sync();
        m_target.drawPoints(points, count);
    }
    void drawPoints(const QPoint* points, int count) override
    {
        Sync();
        m_target.drawPoints(points, count);
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        DrawPolygon(points, count, mode);
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        DrawPolygon(points, count, mode);
    }
    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override
    {
        Sync();
        m_target.drawPixmap(rect, pixmap, source);
    }
    void drawTiledPixmap(const QRectF& rect, const QPixmap& pixmap, const QPointF& offset) override
    {
        Sync();
        m_target.drawTiledPixmap(rect, pixmap, offset);
    }
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override
    {
        Sync();
        m_target.drawImage(rect, image, source, flags);
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        Sync();
        // The filtered painter has filled an opaque background already.
        const bool opaque = m_target.backgroundMode() == Qt::OpaqueMode;
        if (opaque)
            m_target.setBackgroundMode(Qt::TransparentMode);
        m_target.drawTextItem(p, item);
        if (opaque)
            m_target.setBackgroundMode(Qt::OpaqueMode);
    }

private:
    template <typename Point> void DrawPolygon(const Point* points, int count, PolygonDrawMode mode)
    {
        Sync();
        switch (mode) {
        case PolylineMode:
            m_target.drawPolyline(points, count);
            break;
        case ConvexMode:
            m_target.drawConvexPolygon(points, count);
            break;
        case WindingMode:
            m_target.drawPolygon(points, count, Qt::WindingFill);
            break;
        default:
            m_target.drawPolygon(points, count, Qt::OddEvenFill);
            break;
        }
    }
    void UpdateClip(Qt::ClipOperation op, const QPainterPath& path, const QTransform& transform)
    {
        switch (op) {
        case Qt::NoClip:
            m_clip.enabled = false;
            m_clip.clips.clear();
            return;
        case Qt::ReplaceClip:
            m_clip.clips.assign(1, MakeClip(path, transform));
            break;
        case Qt::IntersectClip:
            m_clip.clips.push_back(MakeClip(path, transform));
            break;
        }
        m_clip.enabled = true;
    }

    // Hands the target what differs from what it has.
    void Sync()
    {
        SSentState& sent = m_sent;
        const bool all = !sent.known;
        if (m_clipChanged) {
            m_reduced = m_clip.Reduced();
            m_clipChanged = false;
        }
        const SClipState& clip = m_reduced;
        if (all || clip != sent.clip) {
            if (!clip.enabled || clip.clips.empty()) {
                m_target.setClipping(false);
            } else {
                for (size_t i = 0; i < clip.clips.size(); ++i) {
                    const SClip& c = clip.clips[i];
                    if (all || c.transform != sent.transform) {
                        m_target.setTransform(c.transform);
                        sent.transform = c.transform;
                    }
                    const Qt::ClipOperation op = i == 0 ? Qt::ReplaceClip : Qt::IntersectClip;
                    if (c.rect)
                        m_target.setClipRect(*c.rect, op);
                    else
                        m_target.setClipPath(c.path, op);
                }
            }
            sent.clip = clip;
        }
        // Each setting goes on only when it differs from what was last sent.
        const auto send = [all](const auto& now, auto& last, const auto& set) {
            if (all || now != last) {
                set(now);
                last = now;
            }
        };
        send(state->transform(), sent.transform,
             [this](const QTransform& t) { m_target.setTransform(t); });
        send(state->pen(), sent.pen, [this](const QPen& pen) { m_target.setPen(pen); });
        send(state->brush(), sent.brush, [this](const QBrush& b) { m_target.setBrush(b); });
        send(state->brushOrigin(), sent.brushOrigin,
             [this](const QPointF& o) { m_target.setBrushOrigin(o); });
        send(state->backgroundBrush(), sent.background,
             [this](const QBrush& b) { m_target.setBackground(b); });
        send(state->backgroundMode(), sent.backgroundMode,
             [this](Qt::BGMode mode) { m_target.setBackgroundMode(mode); });
        send(state->renderHints(), sent.hints, [this](QPainter::RenderHints hints) {
            m_target.setRenderHints(~hints, false);
            m_target.setRenderHints(hints, true);
        });
        send(state->compositionMode(), sent.composition,
             [this](QPainter::CompositionMode mode) { m_target.setCompositionMode(mode); });
        send(state->opacity(), sent.opacity, [this](qreal o) { m_target.setOpacity(o); });
        sent.known = true;
    }

    QPainter& m_target;
    SClipState m_clip;
    SClipState m_reduced;
    bool m_clipChanged = true;
    SSentState m_sent;
};

CPrintStateFilter::CPrintStateFilter(QPainter& target)
    : m_target(target), m_engine(std::make_unique<CEngine>(target))
{}

CPrintStateFilter::~CPrintStateFilter() = default;

QPaintEngine* CPrintStateFilter::paintEngine() const
{
    return m_engine.get();
}

bool CPrintStateFilter::CanFilter(const QFont& font)
{
    return !font.underline() && !font.overline() && !font.strikeOut();
}

int CPrintStateFilter::metric(PaintDeviceMetric metric) const
{
    const QPaintDevice& device = *m_target.device();
    switch (metric) {
    case PdmWidth:
        return device.width();
    case PdmHeight:
        return device.height();
    case PdmWidthMM:
        return device.widthMM();
    case PdmHeightMM:
        return device.heightMM();
    case PdmNumColors:
        return device.colorCount();
    case PdmDepth:
        return device.depth();
    case PdmDpiX:
        return device.logicalDpiX();
    case PdmDpiY:
        return device.logicalDpiY();
    case PdmPhysicalDpiX:
        return device.physicalDpiX();
    case PdmPhysicalDpiY:
        return device.physicalDpiY();
    case PdmDevicePixelRatio:
        return static_cast<int>(device.devicePixelRatio());
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(device.devicePixelRatio() * devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}
