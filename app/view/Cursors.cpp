#include "Cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap Blank()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QCursor MakeLinkCursor()
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Finger and fist of a pointing hand, outlined so it shows on any colour.
    QPainterPath hand;
    hand.addRoundedRect(QRectF(6, 1, 5, 14), 2.5, 2.5);
    hand.addRoundedRect(QRectF(4, 11, 16, 12), 4, 4);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(hand.simplified());
    p.setPen(QPen(QColor(0, 0, 200), 2));
    p.drawLine(3, 27, 22, 27);
    p.end();
    return QCursor(pixmap, 8, 1);
}

QCursor MakeSupplementCursor()
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF arrow;
    arrow << QPointF(1, 1) << QPointF(1, 16) << QPointF(5, 12) << QPointF(8, 19) << QPointF(10, 18)
          << QPointF(7, 11) << QPointF(12, 11);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
    // A note page with lines of text.
    p.setBrush(QColor(255, 250, 200));
    p.drawRect(QRectF(14, 12, 13, 16));
    p.setPen(QPen(QColor(200, 0, 0), 1));
    for (int y = 16; y <= 24; y += 4)
        p.drawLine(16, y, 25, y);
    p.end();
    return QCursor(pixmap, 1, 1);
}

} // namespace

const QCursor& CViewCursors::Link()
{
    static const QCursor cursor = MakeLinkCursor();
    return cursor;
}

const QCursor& CViewCursors::Supplement()
{
    static const QCursor cursor = MakeSupplementCursor();
    return cursor;
}
