#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <cstdint>
#include <memory>

// Text widths for layout and painting. The view measures with the real
// font; layout tests use fixed metrics so that their numbers do not depend
// on the installed fonts.
class ITextMeasurer
{
public:
    virtual ~ITextMeasurer() = default;
    // Advance width of text in pixels.
    virtual int Width(const QString& text) const = 0;
    // Names the font and metrics; cached measurements are only valid for the
    // identity they were made with.
    virtual QString Identity() const = 0;
    // The advance of the character c in 1/64 pixel, when the width of every
    // text made of such characters is the sum of their advances rounded to
    // whole pixels (no kerning or other shaping between them); -1 when a
    // text holding c must be measured whole with Width.
    virtual int32_t Advance64(char16_t c) const
    {
        (void)c;
        return -1;
    }
};

class CFontMeasurer : public ITextMeasurer
{
public:
    explicit CFontMeasurer(const QFont& font);
    ~CFontMeasurer() override;
    int Width(const QString& text) const override { return m_metrics.horizontalAdvance(text); }
    QString Identity() const override { return m_identity; }
    int32_t Advance64(char16_t c) const override;

    // Whether c is of the characters that the fonts in use neither kern nor
    // join (digits, space, kana, kanji, full-width forms), and a sample of
    // them in pairs to check a font with.
    static bool Unkerned(char16_t c);
    static QString PairSample();

    // The advances of one font, shared by every measurer of it.
    struct SAdvances;

private:
    QFont m_font;
    QFontMetrics m_metrics;
    QString m_identity;
    std::shared_ptr<SAdvances> m_advances;
};

// Every character (code point) is charWidth wide.
class CFixedMeasurer : public ITextMeasurer
{
public:
    explicit CFixedMeasurer(int charWidth) : m_charWidth(charWidth) {}
    int Width(const QString& text) const override
    {
        int count = 0;
        for (int i = 0; i < text.size(); ++i) {
            if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
                ++count;
        }
        return count * m_charWidth;
    }
    QString Identity() const override { return QStringLiteral("fixed:%1").arg(m_charWidth); }
    int32_t Advance64(char16_t c) const override
    {
        return QChar::isSurrogate(c) ? -1 : m_charWidth * 64;
    }

private:
    int m_charWidth;
};
