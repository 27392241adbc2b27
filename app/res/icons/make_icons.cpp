// Draws the program's toolbar icons and its window icon as PNG files at 1x
// and 2x, and the program's and its project files' icons in the sizes of
// the desktop's icon theme (hicolor/). The PNGs beside this file are its output; rebuild them after a
// change with:
//   g++ -std=c++17 -fPIC make_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_icons
//   QT_QPA_PLATFORM=offscreen /tmp/make_icons .
//
// Every toolbar icon is drawn on a 24-unit grid with one stroke weight and
// one palette, so the set reads as one family at any scale.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

const QColor kInk(0x2F, 0x3B, 0x6E);   // outlines
const QColor kPaper(0xFF, 0xFF, 0xFF); // pages
const QColor kPaperShade(0xE4, 0xE9, 0xF5);
const QColor kAccent(0xD2, 0x45, 0x2A); // vermilion: what the button adds or does
const QColor kGold(0xE9, 0xB0, 0x3A);   // folders, books
const QColor kGoldDark(0xB9, 0x80, 0x1C);
const QColor kSky(0x5B, 0x8D, 0xD6);

QPen Stroke(const QColor& c, qreal w = 1.0)
{
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Page(QPainter& p, QRectF r, qreal fold)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Stroke(kInk));
    p.setBrush(kPaper);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(kPaperShade);
    p.drawPath(corner);
}

void TextLines(QPainter& p, qreal x, qreal y, qreal w, int n)
{
    p.setPen(Stroke(kSky));
    for (int i = 0; i < n; ++i)
        p.drawLine(QPointF(x, y + i * 3), QPointF(x + w - (i % 2) * 3, y + i * 3));
}

void Badge(QPainter& p, QPointF c, bool plus)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(c, 5, 5);
    p.setPen(Stroke(kPaper, 1.6));
    p.drawLine(QPointF(c.x() - 2.5, c.y()), QPointF(c.x() + 2.5, c.y()));
    if (plus)
        p.drawLine(QPointF(c.x(), c.y() - 2.5), QPointF(c.x(), c.y() + 2.5));
}

void Book(QPainter& p, QRectF r)
{
    p.setPen(Stroke(kGoldDark));
    p.setBrush(kGold);
    p.drawRoundedRect(r, 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + 2, r.bottom() - 3, r.width() - 2, 3));
    p.setPen(Stroke(kGoldDark));
    p.drawLine(QPointF(r.left() + 2, r.top()), QPointF(r.left() + 2, r.bottom() - 3));
    // a column of years on the cover
    p.setPen(Stroke(kPaper));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(r.left() + 4.5, r.top() + 3 + i * 3),
                   QPointF(r.right() - 2.5, r.top() + 3 + i * 3));
}

void DrawNew(QPainter& p)
{
    Page(p, QRectF(4.5, 2.5, 13, 18), 4);
    TextLines(p, 7.5, 9.5, 7, 3);
    Badge(p, QPointF(17.5, 17.5), true);
}

void DrawOpen(QPainter& p)
{
    p.setPen(Stroke(kGoldDark));
    p.setBrush(kGoldDark.lighter(130));
    QPainterPath back;
    back.moveTo(2.5, 19.5);
    back.lineTo(2.5, 5.5);
    back.lineTo(8.5, 5.5);
    back.lineTo(10.5, 7.5);
    back.lineTo(18.5, 7.5);
    back.lineTo(18.5, 10.5);
    p.drawPath(back);
    Page(p, QRectF(6.5, 3.5, 11, 10), 3);
    QPainterPath front;
    front.moveTo(2.5, 19.5);
    front.lineTo(6.5, 10.5);
    front.lineTo(21.5, 10.5);
    front.lineTo(17.5, 19.5);
    front.closeSubpath();
    p.setPen(Stroke(kGoldDark));
    p.setBrush(kGold);
    p.drawPath(front);
}

void DrawSave(QPainter& p)
{
    p.setPen(Stroke(kInk));
    p.setBrush(kSky);
    QPainterPath disk;
    disk.moveTo(3.5, 3.5);
    disk.lineTo(17.5, 3.5);
    disk.lineTo(20.5, 6.5);
    disk.lineTo(20.5, 20.5);
    disk.lineTo(3.5, 20.5);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setBrush(kPaper);
    p.drawRect(QRectF(6.5, 3.5, 10, 6));
    p.setBrush(kInk);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(13, 4.5, 2, 4));
    p.setPen(Stroke(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(6.5, 13.5, 11, 7));
    p.setPen(Stroke(kAccent));
    p.drawLine(QPointF(8.5, 16.5), QPointF(15.5, 16.5));
}

void DrawPrint(QPainter& p)
{
    Page(p, QRectF(6.5, 2.5, 11, 8), 0.01);
    p.setPen(Stroke(kInk));
    p.setBrush(kSky);
    p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(18, 12.5), 1, 1);
    Page(p, QRectF(6.5, 14.5, 11, 7), 0.01);
    TextLines(p, 8.5, 17.5, 7, 2);
}

void Pencil(QPainter& p)
{
    p.save();
    p.translate(15, 14);
    p.rotate(45);
    p.setPen(Stroke(kInk));
    p.setBrush(kAccent);
    p.drawRect(QRectF(-2, -9, 4, 10));
    p.setBrush(kGold);
    QPainterPath tip;
    tip.moveTo(-2, 1);
    tip.lineTo(2, 1);
    tip.lineTo(0, 5);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
}

void DrawModify(QPainter& p)
{
    Page(p, QRectF(3.5, 2.5, 13, 18), 4);
    TextLines(p, 6.5, 9.5, 7, 3);
    Pencil(p);
}

void DrawLibraryNew(QPainter& p)
{
    Book(p, QRectF(4.5, 3.5, 12, 17));
    Badge(p, QPointF(17.5, 17.5), true);
}

void DrawLibraryLoad(QPainter& p)
{
    Book(p, QRectF(7.5, 3.5, 12, 17));
    // an arrow into the book
    p.setPen(Stroke(kAccent, 2));
    p.drawLine(QPointF(2, 12), QPointF(9, 12));
    p.drawLine(QPointF(6, 9), QPointF(9, 12));
    p.drawLine(QPointF(6, 15), QPointF(9, 12));
}

void DrawSearch(QPainter& p)
{
    p.setPen(Stroke(kInk, 2));
    p.drawLine(QPointF(14, 14), QPointF(20, 20));
    p.setPen(Stroke(kInk, 1.5));
    p.setBrush(kPaperShade);
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.setPen(Stroke(kSky));
    p.drawLine(QPointF(7, 8.5), QPointF(13, 8.5));
    p.drawLine(QPointF(7, 11.5), QPointF(11, 11.5));
}

// The window icon: a chronology table, columns on one year axis.
void DrawApp(QPainter& p)
{
    p.setPen(Stroke(kInk));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(QRectF(2, 2, 20, 4));
    // alternating year bands
    p.setBrush(kPaperShade);
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(2, 8 + i * 4, 20, 2));
    // the year column and two libraries
    p.setPen(Stroke(kInk, 0.8));
    p.drawLine(QPointF(7.5, 6), QPointF(7.5, 22));
    p.drawLine(QPointF(13.5, 6), QPointF(13.5, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRect(QRectF(8.5, 8, 4, 7));
    p.setBrush(kGold);
    p.drawRect(QRectF(8.5, 16, 4, 5));
    p.setBrush(kSky);
    p.drawRect(QRectF(14.5, 10, 6, 2));
    p.drawRect(QRectF(14.5, 14, 4, 2));
    p.drawRect(QRectF(14.5, 18, 5, 2));
}

// The document icon of project files: a page carrying the chronology motif.
void DrawDocument(QPainter& p)
{
    Page(p, QRectF(4.5, 1.5, 15, 21), 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaperShade);
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(5, 8 + i * 3.5, 14, 1.75));
    p.setPen(Stroke(kInk, 0.8));
    p.drawLine(QPointF(8.5, 6.5), QPointF(8.5, 21.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRect(QRectF(9.5, 7.5, 3, 6));
    p.setBrush(kGold);
    p.drawRect(QRectF(9.5, 14.5, 3, 5));
    p.setBrush(kSky);
    p.drawRect(QRectF(13.5, 9, 4, 1.5));
    p.drawRect(QRectF(13.5, 12.5, 3, 1.5));
    p.drawRect(QRectF(13.5, 16, 3.5, 1.5));
}

bool Render(const QString& folder, const QString& name, int size,
            const std::function<void(QPainter&)>& draw)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    draw(p);
    p.end();
    return image.save(folder + QLatin1Char('/') + name);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const struct
    {
        const char* name;
        void (*draw)(QPainter&);
    } icons[] = {
        {"new", DrawNew},
        {"open", DrawOpen},
        {"save", DrawSave},
        {"print", DrawPrint},
        {"modify", DrawModify},
        {"library-new", DrawLibraryNew},
        {"library-load", DrawLibraryLoad},
        {"search", DrawSearch},
    };
    bool ok = true;
    for (const auto& icon : icons) {
        ok &= Render(folder, QString::fromLatin1(icon.name) + ".png", 24, icon.draw);
        ok &= Render(folder, QString::fromLatin1(icon.name) + "@2x.png", 48, icon.draw);
    }
    ok &= Render(folder, "annalux.png", 64, DrawApp);
    ok &= Render(folder, "annalux@2x.png", 128, DrawApp);
    // The desktop's icon theme: the program and its project files.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2").arg(folder).arg(size);
        QDir().mkpath(dir + "/apps");
        QDir().mkpath(dir + "/mimetypes");
        ok &= Render(dir + "/apps", "annalux.png", size, DrawApp);
        ok &= Render(dir + "/mimetypes", "application-x-annalux.document.png", size, DrawDocument);
    }
    return ok ? 0 : 1;
}
