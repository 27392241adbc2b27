#include "GlyphCache.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>

#include "TextMeasurer.h"

#include <algorithm>
#include <cmath>

namespace {

// text laid out in one line as drawText lays it out.
QTextLine LayOut(QTextLayout& layout, const QPainter& painter)
{
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(painter.layoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e6);
    layout.endLayout();
    return line;
}

} // namespace

QString CGlyphCache::FontKey(const QPainter& painter, const QFont& font)
{
    const QPaintDevice* device = painter.device();
    const int dpiX = device ? device->logicalDpiX() : 0;
    const int dpiY = device ? device->logicalDpiY() : 0;
    return QString::number(dpiX) + QLatin1Char('x') + QString::number(dpiY) + QLatin1Char(':') +
           font.key();
}

bool CGlyphCache::Cacheable(const QFont& font, const QString& text)
{
    // drawText draws decorations from the text item's width, a glyph run
    // from its glyphs: keep such fonts on the one path.
    if (font.underline() || font.overline() || font.strikeOut())
        return false;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        // Controls and bidirectional text are laid out differently by a
        // text layout than by drawText.
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x0590 && c < 0x0900) ||
            (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
            (c >= 0x2060 && c <= 0x206F) || (c >= 0xD800 && c < 0xE000) ||
            (c >= 0xFB1D && c < 0xFE00) || (c >= 0xFE70 && c <= 0xFEFF) || c >= 0xFFF9)
            return false;
    }
    return true;
}

void CGlyphCache::DrawText(QPainter& painter, const QFont& font, const QString& fontKey, int x,
                           int baseline, const QString& text)
{
    if (m_print) {
        const QGlyphRun run = text.isEmpty() || painter.layoutDirection() == Qt::RightToLeft
                                  ? QGlyphRun()
                                  : DirectRun(painter, font, fontKey, text);
        if (run.isEmpty())
            painter.drawText(x, baseline, text);
        else
            painter.drawGlyphRun(QPointF(x, baseline), run);
        return;
    }
    const QPaintEngine* engine = painter.paintEngine();
    if (text.isEmpty() || !engine || engine->type() != QPaintEngine::Raster ||
        painter.layoutDirection() == Qt::RightToLeft || !Cacheable(font, text)) {
        painter.drawText(x, baseline, text);
        return;
    }
    int fontId = m_fonts.value(fontKey, -1);
    if (fontId < 0) {
        fontId = static_cast<int>(m_fonts.size());
        m_fonts.insert(fontKey, fontId);
    }
    const std::pair<int, QString> key(fontId, text);
    auto found = m_texts.constFind(key);
    if (found == m_texts.constEnd()) {
        if (m_texts.size() >= m_limit)
            m_texts.clear();
        SShaped shaped;
        QTextLayout layout(text, font, painter.device());
        const QTextLine line = LayOut(layout, painter);
        if (line.isValid()) {
            shaped.runs = line.glyphRuns();
            shaped.ascent = line.ascent();
        }
        found = m_texts.insert(key, std::move(shaped));
    }
    // The runs place their glyphs on the line's baseline; that is where
    // drawText puts the baseline it is given.
    const QPointF origin(x, baseline - found->ascent);
    for (const QGlyphRun& run : found->runs)
        painter.drawGlyphRun(origin, run);
}

bool CGlyphCache::ShapeOne(const QPainter& painter, const QFont& font, SDirectFont& direct,
                           char16_t c)
{
    std::pair<quint32, int32_t>& glyph = direct.glyphs[c];
    glyph = {0, -2};
    // A combining mark (the kana voicing marks) is placed on the character
    // before it, not after it.
    if (QChar::isMark(c))
        return false;
    // The character twice: the second glyph stands at the first's advance.
    QTextLayout layout(QString(2, QChar(c)), font, painter.device());
    const QTextLine line = LayOut(layout, painter);
    if (!line.isValid())
        return false;
    const QList<QGlyphRun> runs = line.glyphRuns();
    if (runs.size() != 1 || runs[0].rawFont() != direct.raw)
        return false;
    const QList<quint32> indexes = runs[0].glyphIndexes();
    const QList<QPointF> positions = runs[0].positions();
    if (indexes.size() != 2 || positions.size() != 2 || indexes[0] != indexes[1] ||
        positions[0].x() != 0 || positions[0].y() != line.ascent() ||
        positions[1].y() != line.ascent())
        return false;
    const double advance = positions[1].x() * 64;
    if (advance < 0 || advance > 1e6 || advance != std::floor(advance))
        return false;
    glyph = {indexes[0], static_cast<int32_t>(advance)};
    return true;
}

CGlyphCache::SDirectFont& CGlyphCache::DirectFont(const QPainter& painter, const QFont& font,
                                                  const QString& fontKey)
{
    SDirectFont& direct = m_direct[fontKey];
    if (direct.state != 0)
        return direct;
    direct.state = -1;
    if (font.underline() || font.overline() || font.strikeOut() ||
        font.letterSpacing() != 0 || font.wordSpacing() != 0)
        return direct;
    // Every pair of the sample, shaped whole, must put each glyph exactly
    // where the sum of the advances before it puts it, all in one font.
    const QString sample = CFontMeasurer::PairSample();
    QString pairs;
    for (const QChar a : sample) {
        for (const QChar b : sample)
            pairs += QString(a) + b;
    }
    QTextLayout layout(pairs, font, painter.device());
    const QTextLine line = LayOut(layout, painter);
    if (!line.isValid())
        return direct;
    const QList<QGlyphRun> runs = line.glyphRuns();
    if (runs.isEmpty())
        return direct;
    direct.raw = runs[0].rawFont();
    std::vector<std::pair<qreal, quint32>> shaped;
    for (const QGlyphRun& run : runs) {
        if (run.rawFont() != direct.raw)
            return direct;
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        if (indexes.size() != positions.size())
            return direct;
        for (int i = 0; i < indexes.size(); ++i) {
            if (positions[i].y() != line.ascent())
                return direct;
            shaped.emplace_back(positions[i].x(), indexes[i]);
        }
    }
    std::stable_sort(shaped.begin(), shaped.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (shaped.size() != static_cast<size_t>(pairs.size()))
        return direct;
    direct.glyphs.assign(65536, {0, -1});
    int64_t x = 0;
    for (int i = 0; i < pairs.size(); ++i) {
        const char16_t c = pairs[i].unicode();
        if (direct.glyphs[c].second == -1 && !ShapeOne(painter, font, direct, c))
            break;
        if (shaped[static_cast<size_t>(i)].second != direct.glyphs[c].first ||
            shaped[static_cast<size_t>(i)].first != static_cast<qreal>(x) / 64)
            break;
        x += direct.glyphs[c].second;
        if (i + 1 == pairs.size())
            direct.state = 1;
    }
    if (direct.state != 1)
        direct.glyphs.clear();
    return direct;
}

QGlyphRun CGlyphCache::DirectRun(const QPainter& painter, const QFont& font,
                                 const QString& fontKey, const QString& text)
{
    SDirectFont& direct = DirectFont(painter, font, fontKey);
    if (direct.state != 1 || text.isEmpty())
        return QGlyphRun();
    const int count = static_cast<int>(text.size());
    QList<quint32> indexes(count);
    QList<QPointF> positions(count);
    int64_t x = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[i].unicode();
        if (!CFontMeasurer::Unkerned(c))
            return QGlyphRun();
        if (direct.glyphs[c].second == -1)
            ShapeOne(painter, font, direct, c);
        const std::pair<quint32, int32_t>& glyph = direct.glyphs[c];
        if (glyph.second < 0)
            return QGlyphRun();
        indexes[i] = glyph.first;
        positions[i] = QPointF(static_cast<qreal>(x) / 64, 0);
        x += glyph.second;
    }
    QGlyphRun run;
    run.setRawFont(direct.raw);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    return run;
}
