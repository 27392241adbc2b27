#pragma once

// What the benchmarks over a large chronology build alike: random Shift-JIS
// text, the year range the events fall in, the era-name and period columns
// beside the event columns, and one QApplication for the whole run.

#include "AnnaluxDoc.h"
#include "GengouEra.h"
#include "ScriptedHostServices.h"
#include "Settings.h"

#include <QApplication>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

namespace bench {

constexpr int32_t kFirstYear = -660;
constexpr int32_t kLastYear = 2020;

// characters random hiragana, two bytes each.
inline std::string Kana(std::mt19937& rng, int characters)
{
    std::uniform_int_distribution<int> kana(0x829F, 0x82F1); // hiragana in Shift-JIS
    std::string s;
    for (int i = 0; i < characters; ++i) {
        const int c = kana(rng);
        s += static_cast<char>(c >> 8);
        s += static_cast<char>(c & 0xFF);
    }
    return s;
}

inline SLogFont Font()
{
    SLogFont f;
    f.lfHeight = -14;
    f.lfWeight = 400;
    f.lfCharSet = SLogFont::kShiftJisCharset;
    f.SetFaceName(
        "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"); // ＭＳ Ｐゴシック
    return f;
}

// Sets the fonts and puts the year column, an era-name column (a name every
// 7 years) and a period column (one every 150 years) first. With dir, the
// two libraries get files there and are marked for saving.
inline void AddYearAndEraColumns(CAnnaluxDoc& doc, const std::string& dir = std::string())
{
    doc.GetFonts().SetAllFonts(Font());
    CHeaderManager& columns = doc.GetColumns();
    columns.EnsureYearColumn(60);
    auto eras = std::make_unique<CGengouEra>();
    auto periods = std::make_unique<CGengouEra>();
    for (int32_t y = kFirstYear; y < kLastYear; y += 7)
        eras->SetData("\x8C\xB3" + std::to_string(y), y, y + 6, ""); // 元
    for (int32_t y = kFirstYear; y < kLastYear; y += 150)
        periods->SetData("\x8E\x9E" + std::to_string(y), y, y + 149, ""); // 時
    if (!dir.empty()) {
        eras->SetFileName(dir + "/eras.lgn");
        periods->SetFileName(dir + "/periods.ler");
        eras->SetModified(true);
        periods->SetModified(true);
    }
    columns.Insert(CK_GENGOU, doc.AddEraNameTable(std::move(eras)), 1, 90);
    columns.Insert(CK_ERA, doc.AddPeriodTable(std::move(periods)), 2, 90);
}

// The application, host services and settings every view benchmark needs.
// Without a display the views draw offscreen; forceOffscreen draws offscreen
// even with one (a benchmark that shows its window should not flash it).
struct SQtEnvironment
{
    SQtEnvironment(const char* settingsFile, bool forceOffscreen) : settings(settingsFile)
    {
        if (forceOffscreen || !std::getenv("DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "bench";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        CHostServices::Set(&host);
        CSettings::Set(&settings);
    }
    QApplication* app;
    CScriptedHostServices host;
    CSettings settings;
};

} // namespace bench
