// Painting through the print state filter draws what painting directly
// draws, while the target sees a state only when a drawing needs it.

#include "PrintStateFilter.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <climits>
#include <functional>

namespace {

// A scene with what the table painting does on paper: a window onto the
// viewport, cells clipped and restored, nested and intersected clips, fills
// that change pen and brush for a moment, text in an opaque background.
void Scene(QPainter& p)
{
    p.setWindow(0, 0, 200, 100);
    p.setViewport(10, 20, 400, 200);
    p.setClipRect(QRect(0, 0, 190, 95));
    p.fillRect(QRect(-10, -10, 300, 300), QColor(224, 224, 224));
    for (int col = 0; col < 3; ++col) {
        p.save();
        p.setClipRect(QRect(col * 60, 0, 55, 90), Qt::IntersectClip);
        for (int row = 0; row < 4; ++row) {
            p.setPen(row % 2 ? Qt::blue : Qt::black);
            p.drawText(col * 60 + 2, row * 20 + 15,
                       QStringLiteral("年表の行 %1 overflowing").arg(row));
            p.fillRect(QRect(col * 60, row * 20, 4, 4), Qt::red);
            p.drawLine(col * 60, row * 20 + 18, col * 60 + 80, row * 20 + 18);
        }
        p.restore();
        // A cell with nothing drawn in it.
        p.save();
        p.setClipRect(QRect(col * 60 + 10, 0, 5, 5));
        p.restore();
    }
    p.save();
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::yellow);
    p.setPen(Qt::darkGreen);
    p.drawText(5, 95, QStringLiteral("背景つき"));
    p.restore();
    QPainterPath round;
    round.addEllipse(QRectF(120, 40, 60, 50));
    p.setClipPath(round, Qt::IntersectClip);
    p.setBrush(Qt::green);
    p.drawRect(100, 30, 100, 70);
    p.setClipping(false);
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(0, 0, 199, 99);
}

QImage Paint(bool filtered)
{
    QImage image(440, 260, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter target(&image);
    if (!filtered) {
        Scene(target);
        return image;
    }
    target.setPen(Qt::magenta); // left as it was found
    target.save();
    {
        CPrintStateFilter filter(target);
        QPainter p(&filter);
        Scene(p);
    }
    target.restore();
    EXPECT_EQ(target.pen().color(), QColor(Qt::magenta));
    EXPECT_FALSE(target.hasClipping());
    return image;
}

TEST(PrintStateFilter, DrawsWhatPaintingDirectlyDraws)
{
    TestApp();
    const QImage direct = Paint(false);
    const QImage filtered = Paint(true);
    EXPECT_EQ(direct, filtered);
}

// A device whose engine counts the clips and draws it is given.
class CCountingDevice : public QPaintDevice
{
public:
    class CEngine : public QPaintEngine
    {
    public:
        CEngine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        Type type() const override { return User; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & (DirtyClipPath | DirtyClipRegion))
                ++clips;
        }
        void drawRects(const QRect*, int) override { ++draws; }
        void drawRects(const QRectF*, int) override { ++draws; }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        int clips = 0;
        int draws = 0;
    };
    QPaintEngine* paintEngine() const override { return &m_engine; }
    mutable CEngine m_engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 1000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 1200;
        case PdmWidthMM:
        case PdmHeightMM:
            return 21;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 1;
        }
    }
};

TEST(PrintStateFilter, HandsOnAClipOnlyWhenSomethingIsDrawnUnderIt)
{
    TestApp();
    auto count = [](bool filtered, const std::function<void(QPainter&)>& draw) {
        CCountingDevice device;
        QPainter target(&device);
        if (filtered) {
            CPrintStateFilter filter(target);
            QPainter p(&filter);
            draw(p);
        } else {
            draw(target);
        }
        return std::make_pair(device.m_engine.clips, device.m_engine.draws);
    };
    // Forty cells, one of them drawn in, each clipped and restored.
    auto cells = [](QPainter& p) {
        p.setClipRect(QRect(0, 0, 900, 900));
        for (int i = 0; i < 40; ++i) {
            p.save();
            p.setClipRect(QRect(i * 10, 0, 10, 10));
            if (i == 7)
                p.fillRect(QRect(i * 10, 0, 20, 20), Qt::red);
            p.restore();
        }
        // Clips set under one matrix reach the target as their intersection.
        p.setClipRect(QRect(0, 0, 50, 50), Qt::IntersectClip);
        p.setClipRect(QRect(10, 10, 50, 50), Qt::IntersectClip);
        p.fillRect(QRect(0, 0, 100, 100), Qt::blue);
        p.fillRect(QRect(5, 5, 100, 100), Qt::green);
    };
    const auto direct = count(false, cells);
    const auto filtered = count(true, cells);
    EXPECT_EQ(filtered.second, direct.second);
    EXPECT_GT(direct.first, 100);
    // The cell drawn in, then the intersection: nothing for the 39 others.
    EXPECT_EQ(filtered.first, 2);
}

} // namespace
