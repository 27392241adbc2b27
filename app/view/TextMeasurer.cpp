#include "TextMeasurer.h"

#include <QFontMetricsF>

#include <atomic>
#include <cmath>
#include <map>
#include <mutex>

// Measuring a text with Qt shapes it, which costs microseconds; a wrapped
// table of a million events measures every text several times. Japanese
// text (kana, kanji, full-width forms, digits) is not kerned or joined by
// the fonts in use, so its width is the sum of its characters' advances.
// Each font's advances are taken from Qt once per character, and the font
// is checked once: if any pair of typical characters measures differently
// as a pair, the font shapes them and every text is measured whole.
struct CFontMeasurer::SAdvances
{
    QFontMetricsF metrics;
    bool additive = true;
    // -2 not yet measured, -1 measured whole, else 1/64 pixels. Read
    // without a lock: a character is measured at most a few times, always
    // to the same value.
    std::unique_ptr<std::atomic<int32_t>[]> table{new std::atomic<int32_t>[65536]};
    mutable std::mutex lock;

    explicit SAdvances(const QFont& font) : metrics(font)
    {
        for (int i = 0; i < 65536; ++i)
            table[i].store(-2, std::memory_order_relaxed);
    }

    int32_t Measure(char16_t c) const
    {
        if (!Unkerned(c))
            return -1;
        std::lock_guard<std::mutex> guard(lock);
        const qreal w = metrics.horizontalAdvance(QString(QChar(c)));
        return w < 0 ? -1 : static_cast<int32_t>(std::lround(w * 64));
    }

    int32_t Get(char16_t c) const
    {
        int32_t a = table[c].load(std::memory_order_relaxed);
        if (a == -2) {
            a = additive ? Measure(c) : -1;
            table[c].store(a, std::memory_order_relaxed);
        }
        return a;
    }

    // Every pair of a sample of the trusted characters, as Qt measures it
    // whole, against the sum of the two advances.
    void Check(const QFontMetrics& whole)
    {
        const QString sample = PairSample();
        for (const QChar a : sample) {
            for (const QChar b : sample) {
                const QString pair = QString(a) + b;
                const int64_t sum = Measure(a.unicode()) + Measure(b.unicode());
                if (whole.horizontalAdvance(pair) != static_cast<int>((sum + 32) >> 6)) {
                    additive = false;
                    return;
                }
            }
        }
    }
};

bool CFontMeasurer::Unkerned(char16_t c)
{
    return (c >= u'0' && c <= u'9') || c == u' ' ||
           (c >= 0x3000 && c <= 0x30FF) ||                                  // CJK punctuation, kana
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || // kanji
           (c >= 0xF900 && c <= 0xFAFF) ||                                  // compatibility kanji
           (c >= 0xFF01 && c <= 0xFF9F); // full-width forms, half-width kana
}

QString CFontMeasurer::PairSample()
{
    return QStringLiteral(
        "0123456789 \u3000\u3001\u3002\u300C\u300D\u30FB\u3042\u3044\u3046\u3063\u3083\u30A2"
        "\u30A4\u30C3\u30E3\u30FC\u5E74\u6708\u65E5\u4E00\u4EBA\u5927\u6C5F\u6238\u9589\uFF08"
        "\uFF09\uFF11\uFF21\uFF41\uFF0C\uFF0E\uFF71\uFF9E");
}

CFontMeasurer::CFontMeasurer(const QFont& font)
    : m_font(font), m_metrics(font), m_identity(font.key())
{
    // One check and one table per font for the whole run.
    static std::mutex lock;
    static std::map<QString, std::shared_ptr<SAdvances>> fonts;
    std::lock_guard<std::mutex> guard(lock);
    std::shared_ptr<SAdvances>& shared = fonts[m_identity];
    if (!shared) {
        shared = std::make_shared<SAdvances>(font);
        shared->Check(m_metrics);
    }
    m_advances = shared;
}

CFontMeasurer::~CFontMeasurer() = default;

int32_t CFontMeasurer::Advance64(char16_t c) const
{
    return m_advances->Get(c);
}
