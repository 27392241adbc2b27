#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QString>

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
};

class CFontMeasurer : public ITextMeasurer
{
public:
    explicit CFontMeasurer(const QFont& font) : m_metrics(font), m_identity(font.key()) {}
    int Width(const QString& text) const override { return m_metrics.horizontalAdvance(text); }
    QString Identity() const override { return m_identity; }

private:
    QFontMetrics m_metrics;
    QString m_identity;
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

private:
    int m_charWidth;
};
