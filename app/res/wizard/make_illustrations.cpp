// Draws the pictures of the CSV export wizard as PNG files at 1x and 2x:
// what each kind of export produces. The PNGs beside this file are its
// output; rebuild them after a change with:
//   g++ -std=c++17 -fPIC make_illustrations.cpp $(pkg-config --cflags --libs Qt6Gui) \
//       -o /tmp/make_illustrations
//   QT_QPA_PLATFORM=offscreen /tmp/make_illustrations .
//
// The palette is the toolbar icons' one, so the wizard and the window match.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace {

const QColor kInk(0x2F, 0x3B, 0x6E);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kPaperShade(0xE4, 0xE9, 0xF5);
const QColor kAccent(0xD2, 0x45, 0x2A);
const QColor kGold(0xE9, 0xB0, 0x3A);
const QColor kGrid(0xB4, 0xBE, 0xD6);
const QColor kSheetHead(0xDD, 0xEE, 0xDD);
const QColor kSheetInk(0x2E, 0x6B, 0x3A);

constexpr int kWidth = 160;
constexpr int kHeight = 112;

QPen Stroke(const QColor& c, qreal w = 1.0)
{
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QFont SmallFont(qreal px, bool bold = false)
{
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(static_cast<int>(px));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void Arrow(QPainter& p, QPointF from, QPointF to)
{
    p.setPen(Stroke(kAccent, 2.5));
    p.drawLine(from, to - QPointF(5, 0));
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(to + QPointF(-8, -5));
    head.lineTo(to + QPointF(-8, 5));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPath(head);
}

// A spreadsheet: a green title bar, a grid, and the given cells.
void Sheet(QPainter& p, QRectF r, const QList<QStringList>& rows, const QList<qreal>& widths,
           int highlightColumn = -1)
{
    p.setPen(Stroke(kInk));
    p.setBrush(kPaper);
    p.drawRoundedRect(r, 2, 2);
    const QRectF bar(r.left(), r.top(), r.width(), 9);
    p.setPen(Qt::NoPen);
    p.setBrush(kSheetInk);
    p.drawRect(bar.adjusted(0.5, 0.5, -0.5, 0));
    p.setBrush(kPaper);
    p.drawRect(QRectF(bar.left() + 3, bar.top() + 3, 14, 3));
    const qreal rowH = 13;
    qreal y = bar.bottom() + 1;
    p.setFont(SmallFont(8.5));
    for (int i = 0; i < rows.size(); ++i) {
        qreal x = r.left() + 1;
        for (int c = 0; c < widths.size() && x < r.right() - 1; ++c) {
            const QRectF cell(x, y, std::min(widths[c], r.right() - 1 - x), rowH);
            if (c == highlightColumn && !rows[i].value(c).isEmpty()) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(0xFC, 0xE8, 0xE2));
                p.drawRect(cell);
            }
            p.setPen(Stroke(kGrid, 0.8));
            p.setBrush(Qt::NoBrush);
            p.drawRect(cell);
            p.setPen(c == highlightColumn ? kAccent : kInk);
            p.drawText(cell.adjusted(2, 0, -1, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       rows[i].value(c));
            x += widths[c];
        }
        y += rowH;
        if (y > r.bottom() - rowH)
            break;
    }
}

// A library file: a page with a folded corner and text lines.
void LibraryFile(QPainter& p, QRectF r)
{
    const qreal fold = 9;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(Stroke(kInk));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.setBrush(kPaperShade);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.drawPath(corner);
    p.setPen(kAccent);
    p.setFont(SmallFont(8, true));
    p.drawText(QRectF(r.left() + 3, r.top() + 10, r.width(), 10), Qt::AlignLeft,
               QStringLiteral("[出来事]"));
    p.setPen(Stroke(kInk, 1.2));
    for (int i = 0; i < 5; ++i) {
        const qreal y = r.top() + 27 + i * 7;
        p.drawLine(QPointF(r.left() + 5, y), QPointF(r.right() - 6 - (i % 2) * 8, y));
    }
}

// The chronology window in miniature: a header and three columns.
void Timeline(QPainter& p, QRectF r)
{
    p.setPen(Stroke(kInk));
    p.setBrush(kPaper);
    p.drawRoundedRect(r, 2, 2);
    const QRectF header(r.left(), r.top(), r.width(), 11);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaperShade);
    p.drawRect(header.adjusted(0.5, 0.5, -0.5, 0));
    const qreal col1 = r.left() + 21, col2 = r.left() + 39;
    p.setPen(Stroke(kGrid, 0.8));
    p.drawLine(QPointF(col1, r.top()), QPointF(col1, r.bottom()));
    p.drawLine(QPointF(col2, r.top()), QPointF(col2, r.bottom()));
    p.drawLine(QPointF(r.left(), header.bottom()), QPointF(r.right(), header.bottom()));
    p.setFont(SmallFont(7));
    p.setPen(kInk);
    p.drawText(QRectF(r.left(), r.top(), 21, 11), Qt::AlignCenter, QStringLiteral("西暦"));
    p.drawText(QRectF(col1, r.top(), col2 - col1, 11), Qt::AlignCenter, QStringLiteral("元号"));
    p.drawText(QRectF(col2, r.top(), r.right() - col2, 11), Qt::AlignCenter,
               QStringLiteral("出来事"));
    p.setFont(SmallFont(7));
    const char* years[] = {"1600", "1603", "1615"};
    for (int i = 0; i < 3; ++i) {
        const qreal y = header.bottom() + 4 + i * 14;
        p.setPen(kInk);
        p.drawText(QRectF(r.left() + 2, y, 19, 9), Qt::AlignLeft, QString::fromLatin1(years[i]));
        p.setPen(Stroke(kGold, 2.5));
        p.drawLine(QPointF(col1 + 3, y + 5), QPointF(col2 - 4, y + 5));
        p.setPen(Stroke(kInk, 1.2));
        p.drawLine(QPointF(col2 + 3, y + 5), QPointF(r.right() - 5 - (i % 2) * 6, y + 5));
    }
}

void DrawPerLibrary(QPainter& p)
{
    LibraryFile(p, QRectF(6, 22, 44, 58));
    Arrow(p, QPointF(54, 51), QPointF(72, 51));
    Sheet(p, QRectF(76, 14, 78, 80),
          {{QStringLiteral("[出来事]"), QStringLiteral("7")},
           {QStringLiteral("日本史")},
           {QStringLiteral("1600"), QStringLiteral("9"), QStringLiteral("15")},
           {QStringLiteral("1603"), QStringLiteral("2"), QStringLiteral("12")},
           {QStringLiteral("1615"), QStringLiteral("5"), QStringLiteral("")}},
          {34, 20, 24});
}

void DrawScreenImage(QPainter& p)
{
    Timeline(p, QRectF(6, 22, 62, 58));
    Arrow(p, QPointF(72, 51), QPointF(88, 51));
    Sheet(p, QRectF(92, 14, 62, 80),
          {{QStringLiteral("1600"), QStringLiteral("慶長5")},
           {QStringLiteral("1603"), QStringLiteral("慶長8")},
           {QStringLiteral("1615"), QStringLiteral("元和1")}},
          {25, 36});
}

void DrawYears(QPainter& p, bool everyRow)
{
    const QString year = QStringLiteral("1600代");
    const QString era = QStringLiteral("慶長5-");
    const QString blank;
    Sheet(p, QRectF(8, 10, 144, 92),
          {{year, era, QStringLiteral("関ヶ原の戦い")},
           {everyRow ? year : blank, everyRow ? era : blank, QStringLiteral("江戸幕府")},
           {everyRow ? year : blank, everyRow ? era : blank, QStringLiteral("大坂の陣")},
           {QStringLiteral("1610代"), QStringLiteral("慶長15-"), QStringLiteral("武家諸法度")},
           {everyRow ? QStringLiteral("1610代") : blank,
            everyRow ? QStringLiteral("慶長15-") : blank, QStringLiteral("日光東照宮")}},
          {34, 38, 70}, 0);
}

bool Render(const QString& folder, const QString& name, int scale, void (*draw)(QPainter&))
{
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
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
    } pictures[] = {
        {"export-per-library", DrawPerLibrary},
        {"export-screen-image", DrawScreenImage},
        {"year-first-row", [](QPainter& p) { DrawYears(p, false); }},
        {"year-every-row", [](QPainter& p) { DrawYears(p, true); }},
    };
    bool ok = true;
    for (const auto& picture : pictures) {
        ok &= Render(folder, QString::fromLatin1(picture.name) + ".png", 1, picture.draw);
        ok &= Render(folder, QString::fromLatin1(picture.name) + "@2x.png", 2, picture.draw);
    }
    return ok ? 0 : 1;
}
