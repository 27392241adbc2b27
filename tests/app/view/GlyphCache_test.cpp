// Texts drawn from shapes kept between paints must be the very pixels that
// drawing them directly gives: the table is compared pixel by pixel across
// builds, and a glyph one pixel off is a fault.

#include "GlyphCache.h"

#include "DataCoord.h"
#include "LogFontQt.h"
#include "Sjis.h"
#include "TablePainter.h"
#include "TestApplication.h"
#include "TextMeasurer.h"
#include "ViewTestSupport.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QColor kBack(0xF0, 0xF4, 0xE8);
const QColor kInk(0x20, 0x30, 0x90);

QFont FontOf(int height, bool bold = false)
{
    SLogFont f = viewtest::Font(height);
    if (bold)
        f.lfWeight = 700;
    return CLogFontQt::ToQFont(f);
}

// text drawn at x on a fresh image, directly or through cache.
QImage Draw(const QFont& font, const QString& text, int x, CGlyphCache* cache, int dotsPerMeter = 0)
{
    QImage image(260, 40, QImage::Format_RGB32);
    if (dotsPerMeter > 0) {
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
    }
    image.fill(kBack);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(kInk);
    const int baseline = 8 + QFontMetrics(font, &image).ascent();
    if (cache)
        cache->DrawText(painter, font, CGlyphCache::FontKey(painter, font), x, baseline, text);
    else
        painter.drawText(x, baseline, text);
    return image;
}

// The sample with its event columns narrowed to width, so that wrapping
// breaks most texts.
void NarrowEventColumns(CAnnaluxDoc& doc, int width)
{
    for (int col = 0; col < doc.GetColumns().GetCount(); ++col) {
        if (doc.GetColumns().GetKind(col) == CK_EVENT)
            doc.GetColumns().SetWidth(col, width);
    }
}

// The document laid out with or without wrapping, and the first hit of what
// made the search hit (its text is drawn highlighted in three runs); the
// hit's top.
int32_t LayOutWithHit(CDataCoord& coord, const CAnnaluxDoc& doc, const CFontMeasurer& measurer,
                      bool wrap, const std::string& what)
{
    coord.SetMeasurer(&measurer);
    SLayoutSettings settings = SLayoutSettings::FromDocument(doc);
    settings.wrap = wrap;
    bool overflow = false;
    coord.Layout(settings, overflow);
    int32_t hitTop = 0;
    int hitColumn = 0;
    EXPECT_TRUE(coord.SearchForward(what, false, false, hitTop, hitColumn));
    return hitTop;
}

TEST(GlyphCache, CachedTextsAreDrawnPixelForPixelAsDrawTextDrawsThem)
{
    TestApp();
    // Japanese with kana, full- and half-width forms; Latin pairs that fonts
    // kern; characters taken from fallback fonts; texts the cache leaves to
    // drawText (a tab, right-to-left script, a surrogate pair); nothing.
    const QStringList texts = {
        QString::fromUtf8("1600年9月15日 関ヶ原の戦い（徳川家康）"),
        QString::fromUtf8("ｱｲｳｴｵﾞ　「江戸」・ー、。１２Ａ"),
        QStringLiteral("AVATAR To fi Wa 1234.5"),
        QString::fromUtf8("…※①Ⅲ€ß"),
        QStringLiteral("tab\there"),
        QString::fromUtf8("ABC \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A"),
        QString::fromUtf8("\xF0\xA0\x80\x8B\xE6\x9C\xA8"),
        QString::fromUtf8("\xE3\x81\x8B\xE3\x82\x99\xE3\x81\x8D"), // か, combining voicing mark, き
        QString()};
    CGlyphCache cache;
    // Printing lays Japanese texts out from the advances of their characters
    // instead of shaping them: the glyphs must land where shaping puts them.
    CGlyphCache print;
    print.SetPrintMode(true);
    for (const QFont& font : {FontOf(11), FontOf(14), FontOf(17, true)}) {
        for (const QString& text : texts) {
            for (int x : {0, 3, -5}) {
                const QImage expected = Draw(font, text, x, nullptr);
                // Shaped on the first drawing, taken from the cache on the second.
                EXPECT_EQ(Draw(font, text, x, &cache), expected)
                    << text.toStdString() << " at " << x << " in " << font.key().toStdString();
                EXPECT_EQ(Draw(font, text, x, &cache), expected)
                    << text.toStdString() << " again, at " << x;
                EXPECT_EQ(Draw(font, text, x, &print), expected)
                    << text.toStdString() << " laid out for print, at " << x;
            }
        }
        // The Japanese texts are laid out so, the rest left to drawText.
        QImage image(10, 10, QImage::Format_RGB32);
        QPainter painter(&image);
        const QString key = CGlyphCache::FontKey(painter, font);
        EXPECT_EQ(print.DirectRun(painter, font, key, texts[0]).glyphIndexes().size(),
                  texts[0].size())
            << font.key().toStdString();
        EXPECT_FALSE(print.DirectRun(painter, font, key, texts[1]).isEmpty());
        for (int i = 2; i < texts.size(); ++i)
            EXPECT_TRUE(print.DirectRun(painter, font, key, texts[i]).isEmpty()) << i;
    }
    EXPECT_GT(cache.Size(), 0);
    EXPECT_FALSE(CGlyphCache::Cacheable(FontOf(14), texts[4]));
    EXPECT_FALSE(CGlyphCache::Cacheable(FontOf(14), texts[5]));
    QFont underlined = FontOf(14);
    underlined.setUnderline(true);
    EXPECT_FALSE(CGlyphCache::Cacheable(underlined, texts[0]));
}

TEST(GlyphCache, ShapesAreKeptApartByFontAndResolutionAndTheCacheStaysBounded)
{
    TestApp();
    CGlyphCache cache(50);
    const QString text = QString::fromUtf8("天下分け目の戦い AV");
    // The same text in another size, and on an image of another resolution
    // (printing to images at 300 dpi), is shaped anew.
    Draw(FontOf(12), text, 0, &cache);
    EXPECT_EQ(Draw(FontOf(20), text, 0, &cache), Draw(FontOf(20), text, 0, nullptr));
    const int dpm300 = 11811;
    EXPECT_EQ(Draw(FontOf(12), text, 0, &cache, dpm300),
              Draw(FontOf(12), text, 0, nullptr, dpm300));
    for (int i = 0; i < 120; ++i)
        Draw(FontOf(12), QString::number(i) + text, 0, &cache);
    EXPECT_LE(cache.Size(), 50);
    EXPECT_EQ(Draw(FontOf(12), text, 2, &cache), Draw(FontOf(12), text, 2, nullptr));
}

// The sample chronology painted with and without shapes kept: the texts of
// every column, range marks, links and wrapped lines land on the same pixels.
TEST(GlyphCache, TablePaintedWithTheCacheEqualsThePaintWithout)
{
    TestApp();
    CAnnaluxDoc doc;
    ASSERT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
    const CFontMeasurer measurer(CLogFontQt::ToQFont(doc.GetFonts().GetShownFont(0)));
    NarrowEventColumns(doc, 150);
    CGlyphCache cache;
    const std::string what = Sjis("戦");
    for (const bool wrap : {false, true}) {
        CDataCoord coord;
        const int32_t hitTop = LayOutWithHit(coord, doc, measurer, wrap, what);
        const int64_t tops[] = {0, std::max<int64_t>(0, hitTop - 100), coord.MaxBottom() / 2,
                                coord.MaxBottom() - 500};
        for (const int64_t top : tops) {
            auto paint = [&](CGlyphCache* glyphs) {
                QImage image(1000, 700, QImage::Format_RGB32);
                image.fill(Qt::black);
                QPainter painter(&image);
                SPaintRequest request;
                request.doc = &doc;
                request.coord = &coord;
                request.glyphs = glyphs;
                request.dataTop = top;
                request.searchText = what;
                request.clip = image.rect();
                CTablePainter::Paint(painter, request);
                return image;
            };
            const QImage expected = paint(nullptr);
            EXPECT_EQ(paint(&cache), expected) << "wrap " << wrap << ", top " << top;
            EXPECT_EQ(paint(&cache), expected) << "wrap " << wrap << ", top " << top << ", again";
        }
    }
    EXPECT_GT(cache.Size(), 100);
}

// On paper, texts of one font and colour that follow each other are drawn as
// one run of glyphs, and whatever else is drawn first draws what waits: the
// printed table, with its highlights, links, marks, wrapped lines and the
// page's cut, must be the very pixels of the table printed text by text.
TEST(GlyphCache, TablePrintedWithJoinedTextsEqualsThePrintTextByText)
{
    TestApp();
    CAnnaluxDoc doc;
    ASSERT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
    const CFontMeasurer measurer(CLogFontQt::ToQFont(doc.GetFonts().GetShownFont(0)));
    NarrowEventColumns(doc, 170);
    doc.SetColor(CAnnaluxDoc::AboutColor, 0x2020C0);
    const std::string what = Sjis("戦");
    for (const bool wrap : {false, true}) {
        CDataCoord coord;
        const int32_t hitTop = LayOutWithHit(coord, doc, measurer, wrap, what);
        for (const int64_t top :
             {int64_t{0}, std::max<int64_t>(0, hitTop - 300), int64_t{coord.MaxBottom() / 3}}) {
            for (const bool options : {true, false}) {
                auto paint = [&](CGlyphCache* glyphs) {
                    QImage image(1200, 900, QImage::Format_RGB32);
                    image.fill(Qt::white);
                    QPainter painter(&image);
                    SPaintRequest request;
                    request.doc = &doc;
                    request.coord = &coord;
                    request.glyphs = glyphs;
                    request.dataTop = top;
                    request.deviceTop = 40;
                    request.searchText = what;
                    request.clip = QRect(0, 40, 1200, 800);
                    request.printer = true;
                    request.pageBottom = top + 777;
                    request.visibleBottom = request.pageBottom;
                    request.printSupplementMarks = options;
                    request.printLinks = options;
                    request.printRightLabels = options;
                    CTablePainter::Paint(painter, request);
                    return image;
                };
                CGlyphCache print;
                print.SetPrintMode(true);
                EXPECT_EQ(paint(&print), paint(nullptr))
                    << "wrap " << wrap << ", top " << top << ", options " << options;
            }
        }
    }
}

} // namespace
