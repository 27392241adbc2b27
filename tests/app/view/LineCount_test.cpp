// Wrapped layout counts the lines of Japanese texts from the font's
// character advances; painting breaks them with the font measuring whole
// texts. The two must agree exactly, or wrapped events would be drawn into
// rows that were not reserved for them.

#include "DataCoord.h"

#include "EventText.h"
#include "LogFontQt.h"
#include "Sjis.h"
#include "TestApplication.h"
#include "TextMeasurer.h"
#include "ViewTestSupport.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The real font, counting the texts it has to shape whole.
class CCountingFontMeasurer : public CFontMeasurer
{
public:
    using CFontMeasurer::CFontMeasurer;
    int Width(const QString& text) const override
    {
        ++calls;
        return CFontMeasurer::Width(text);
    }
    mutable int calls = 0;
};

// The lines the display text takes in the width left beside the marks, as
// the font measures them whole.
int DrawnLines(const ITextMeasurer& measurer, const CDataCoord& coord, const SEventData& e,
               int width)
{
    const int available = std::max(1, width - coord.TextIndent(e));
    const SDisplayText text = CEventText::Make(CDataCoord::DisplayString(e));
    return static_cast<int>(
        CEventText::MeasuredWrapLines(measurer, text.visible, available, available).size());
}

std::vector<SEventData> SampleEvents()
{
    std::vector<SEventData> events;
    for (const char* name : {"/nihonshi.lev", "/sekaishi.lev"}) {
        CYearEvent table;
        EXPECT_TRUE(table.ReadFile((std::string(ANNALUX_SAMPLES_DIR) + name).c_str(), false));
        for (int i = 0; i < table.GetLen(); ++i)
            events.push_back(table.GetRecord(i));
    }
    return events;
}

// Texts of the characters event texts are made of, and of some that the
// advances may not be trusted with (Latin letters, which fonts kern,
// symbols), links, long and empty ones, dates of every kind.
std::vector<SEventData> RandomEvents(int count)
{
    const std::vector<std::string> japanese = {
        Sjis("あ"), Sjis("ぃ"), Sjis("ッ"), Sjis("ー"), Sjis("ャ"), Sjis("年"), Sjis("表"),
        Sjis("能"), Sjis("ソ"), Sjis("戦"), Sjis("鬱"), Sjis("（"), Sjis("）"), Sjis("「"),
        Sjis("」"), Sjis("、"), Sjis("。"), Sjis("・"), Sjis("　"), Sjis("１"), Sjis("Ａ"),
        Sjis("ｱ"),  Sjis("ﾞ"),  "0",        "7",        " "};
    const std::vector<std::string> other = {Sjis("…"), Sjis("※"), Sjis("①"), Sjis("Ⅲ"),
                                            "A",        "V",        "To",       "fi",
                                            "-",        ".",        "\"",     "\\",
                                            "~",        "<b>",      "W"};
    std::mt19937 rng(2024);
    std::uniform_int_distribution<size_t> pickJapanese(0, japanese.size() - 1);
    std::uniform_int_distribution<size_t> pickOther(0, other.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    std::uniform_int_distribution<int> month(-1, 12);
    std::uniform_int_distribution<int> odds(0, 9);
    std::vector<SEventData> events(static_cast<size_t>(count));
    for (SEventData& e : events) {
        e.year = 1000;
        // Most texts keep to Japanese, as most event texts do.
        const bool mixed = odds(rng) == 0;
        for (int n = length(rng); n > 0; --n)
            e.text += mixed && odds(rng) < 3 ? other[pickOther(rng)] : japanese[pickJapanese(rng)];
        if (odds(rng) == 0)
            e.text = "<A HREF=\"x.html\">" + e.text + "</A>" + Sjis("注");
        e.month = static_cast<int16_t>(month(rng));
        e.day = static_cast<int16_t>(e.month > 0 && odds(rng) < 5 ? 1 + odds(rng) * 3 : -1);
        e.leapMonth = e.month > 0 && odds(rng) == 0;
        e.rangeFlags = odds(rng) == 0 ? RANGE_FROM : 0;
        if (odds(rng) == 0)
            e.supplement = Sjis("補");
    }
    return events;
}

// The samples' events, then count random ones.
std::vector<SEventData> SampleAndRandomEvents(int count)
{
    std::vector<SEventData> events = SampleEvents();
    const std::vector<SEventData> random = RandomEvents(count);
    events.insert(events.end(), random.begin(), random.end());
    return events;
}

TEST(LineCount, AdvancesGiveTheLinesThatPaintingDraws)
{
    TestApp();
    CCountingFontMeasurer measurer(CLogFontQt::ToQFont(viewtest::Font(14)));
    const std::vector<SEventData> events = SampleAndRandomEvents(1000);
    ASSERT_GT(events.size(), 1300u);

    SLayoutSettings settings;
    settings.wrap = true;
    // Widths from narrower than one character to wider than most texts.
    settings.widths = {7, 37, 151, 380};
    settings.libraries.assign(settings.widths.size(), nullptr);
    CDataCoord coord;
    coord.SetMeasurer(&measurer);
    coord.Init(settings);

    int wrapped = 0;
    int whole = 0;
    for (const SEventData& e : events) {
        for (size_t c = 0; c < settings.widths.size(); ++c) {
            const int before = measurer.calls;
            const int lines = coord.EventLines(e, static_cast<int>(c));
            whole += measurer.calls > before ? 1 : 0;
            ASSERT_EQ(lines, DrawnLines(measurer, coord, e, settings.widths[c]))
                << "width " << settings.widths[c] << ": " << e.MakeDate() << e.text;
            wrapped += lines > 1 ? 1 : 0;
        }
    }
    // Both ways were taken: most texts from the advances, the mixed ones whole.
    const int counted = static_cast<int>(events.size() * settings.widths.size());
    EXPECT_GT(wrapped, counted / 3);
    EXPECT_GT(whole, counted / 50);
    EXPECT_LT(whole, counted / 5);
}

// Painting breaks lines from the advances too: every line must start and end
// where measuring whole texts puts it, the first narrower than the rest.
TEST(LineCount, LinesBrokenFromAdvancesAreTheMeasuredLines)
{
    TestApp();
    CCountingFontMeasurer measurer(CLogFontQt::ToQFont(viewtest::Font(14)));
    const std::vector<SEventData> events = SampleAndRandomEvents(300);
    int fromAdvances = 0;
    for (const SEventData& e : events) {
        const QString text = CEventText::Make(CDataCoord::DisplayString(e)).visible;
        for (const auto& [first, width] : {std::pair{7, 7}, {20, 37}, {151, 151}, {0, 380}}) {
            const auto measured = CEventText::MeasuredWrapLines(measurer, text, first, width);
            const int before = measurer.calls;
            ASSERT_EQ(CEventText::WrapLines(measurer, text, first, width), measured)
                << first << "/" << width << ": " << text.toStdString();
            fromAdvances += measurer.calls == before ? 1 : 0;
        }
    }
    EXPECT_GT(fromAdvances, static_cast<int>(events.size()) * 3);
}

TEST(LineCount, AdvancesAddUpToTheWidthOfTheWholeText)
{
    TestApp();
    const CFontMeasurer measurer(CLogFontQt::ToQFont(viewtest::Font(17)));
    const QString pool = QString::fromUtf8("あいうえおっゃー年月日表能戦鬱（）「」、。　１２Ａｱﾞ0123 ");
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(pool.size()) - 1);
    for (int i = 0; i < 3000; ++i) {
        QString text;
        int64_t sum = 0;
        for (int n = 1 + i % 40; n > 0; --n) {
            const QChar c = pool.at(pick(rng));
            text += c;
            const int32_t advance = measurer.Advance64(c.unicode());
            ASSERT_GE(advance, 0) << QString(c).toStdString();
            sum += advance;
        }
        ASSERT_EQ(measurer.Width(text), static_cast<int>((sum + 32) >> 6)) << text.toStdString();
    }
    // Letters are kerned by many fonts: such texts are measured whole.
    EXPECT_EQ(measurer.Advance64(u'A'), -1);
    EXPECT_EQ(measurer.Advance64(u'\x2026'), -1); // …
}

} // namespace
