#include "GlyphCache.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>

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
        QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setWrapMode(QTextOption::NoWrap);
        option.setTextDirection(painter.layoutDirection());
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setLineWidth(1e6);
        layout.endLayout();
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
