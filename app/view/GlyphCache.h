#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

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
    // drawText itself (but see SetPrintMode).
    void DrawText(QPainter& painter, const QFont& font, const QString& fontKey, int x, int baseline,
                  const QString& text);

    // Whether a text is drawn from the cache: left-to-right text without
    // control characters, in a font without drawn decorations.
    static bool Cacheable(const QFont& font, const QString& text);

    // For a painter whose device takes glyph runs as text (a PDF writer or
    // printer; a preview records only texts it has the characters of), on
    // any paint engine. There a text is rarely drawn twice, so nothing is
    // kept of it: a text of characters the font draws one by one (see
    // DirectRun) becomes one run of glyphs without shaping, and so one text
    // object where drawText makes one per script; any other is drawn by
    // drawText.
    void SetPrintMode(bool print) { m_print = print; }
    bool PrintMode() const { return m_print; }

    // The glyph run drawText draws text in, made from the advances of its
    // characters: for characters that fonts do not kern or join (digits,
    // space, kana, kanji, full-width forms), when the font draws each of
    // them itself and a sample of their pairs shapes to exactly the sums of
    // their advances. Empty when text is not such a text.
    QGlyphRun DirectRun(const QPainter& painter, const QFont& font, const QString& fontKey,
                        const QString& text);

    void Clear() { m_texts.clear(); }
    int Size() const { return static_cast<int>(m_texts.size()); }

private:
    struct SShaped
    {
        QList<QGlyphRun> runs;
        qreal ascent = 0; // of the line the run positions are given in
    };
    // A font's glyph and advance (1/64 pixel) of each character, found by
    // shaping it once: glyph 0 and advance -1 when not yet shaped, advance
    // -2 when the character is drawn from another font or shaped in pairs.
    struct SDirectFont
    {
        int state = 0; // 0 not checked, 1 additive, -1 shapes its texts
        QRawFont raw;
        std::vector<std::pair<quint32, int32_t>> glyphs;
    };
    SDirectFont& DirectFont(const QPainter& painter, const QFont& font, const QString& fontKey);
    static bool ShapeOne(const QPainter& painter, const QFont& font, SDirectFont& direct,
                         char16_t c);

    int m_limit;
    bool m_print = false;
    QHash<QString, int> m_fonts;
    QHash<QString, SDirectFont> m_direct;
    QHash<std::pair<int, QString>, SShaped> m_texts;
};
