#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QString>

class QPainter;

// Texts shaped for drawing on screen: the glyphs and positions Qt makes of a
// text in a font, kept between paints. Shaping (script itemizing, font
// fallback, HarfBuzz) costs more than drawing the glyphs of a short text, and
// a screen of the table shows the same texts paint after paint.
class CGlyphCache
{
public:
    // More texts than several screens show; beyond limit the cache starts anew.
    static constexpr int kDefaultLimit = 20000;
    explicit CGlyphCache(int limit = kDefaultLimit) : m_limit(limit) {}

    // A name for font as it is drawn on the painter's device; texts are
    // cached under it.
    static QString FontKey(const QPainter& painter, const QFont& font);

    // Draws text as painter.drawText(x, baseline, text) draws it with the
    // painter's font, which must be font. Texts the cache does not take
    // (see Cacheable) and other devices than raster images are drawn by
    // drawText itself.
    void DrawText(QPainter& painter, const QFont& font, const QString& fontKey, int x, int baseline,
                  const QString& text);

    // Whether a text is drawn from the cache: left-to-right text without
    // control characters, in a font without drawn decorations.
    static bool Cacheable(const QFont& font, const QString& text);

    void Clear() { m_texts.clear(); }
    int Size() const { return static_cast<int>(m_texts.size()); }

private:
    struct SShaped
    {
        QList<QGlyphRun> runs;
        qreal ascent = 0; // of the line the run positions are given in
    };
    int m_limit;
    QHash<QString, int> m_fonts;
    QHash<std::pair<int, QString>, SShaped> m_texts;
};
