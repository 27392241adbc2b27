#pragma once

// What the benchmarks over a large chronology build alike: random Shift-JIS
// text, the year range the events fall in, the era-name and period columns
// beside the event columns, and one QApplication for the whole run.

#include "AnnaluxDoc.h"
#include "GengouEra.h"
#include "ScriptedHostServices.h"
#include "Settings.h"

#include "HeaderManager.h"
#include "RandomKana.h"
#include "YearEvent.h"
#include "YearEventTree.h"

#include <QApplication>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace bench {

constexpr int32_t kFirstYear = -660;
constexpr int32_t kLastYear = 2020;

// characters random hiragana, two bytes each.
inline std::string Kana(std::mt19937& rng, int characters)
{
    return RandomKana(rng, characters);
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

// The million-event chronology: four event columns of 250,000 events each
// over -3000..2025 with 15-character texts, a tenth with a supplement, beside
// the sample era-name and period libraries. Written once into dir as
// "million.anx" and its libraries; variants of the project with another
// scale, mode or line wrapping are written beside it by WriteVariant. Returns
// the project's path.
constexpr int kMillionEvents = 1000000;
constexpr int32_t kMillionFirstYear = -3000;
constexpr int32_t kMillionLastYear = 2025;

inline std::string MillionFolder()
{
    const char* dir = std::getenv("ANNALUX_MILLION_DIR");
    return dir && *dir ? dir : "/tmp/annalux-million";
}

// Fills doc with the million-event chronology (the libraries marked for
// saving into dir).
inline void BuildMillionDoc(CAnnaluxDoc& doc, const std::string& dir, int events = kMillionEvents)
{
    doc.GetFonts().SetAllFonts(Font());
    CHeaderManager& columns = doc.GetColumns();
    columns.EnsureYearColumn(60);
    const std::string samples = ANNALUX_SOURCE_DIR "/samples";
    auto eras = std::make_unique<CGengouEra>();
    auto periods = std::make_unique<CGengouEra>();
    if (!eras->ReadFile((samples + "/gengou.lgn").c_str(), HT_GENGOU, false) ||
        !periods->ReadFile((samples + "/jidai.ler").c_str(), HT_PERIOD, false))
        std::abort();
    eras->SetFileName(dir + "/gengou.lgn");
    periods->SetFileName(dir + "/jidai.ler");
    eras->SetModified(true);
    periods->SetModified(true);
    columns.Insert(CK_GENGOU, doc.AddEraNameTable(std::move(eras)), 1, 80);
    columns.Insert(CK_ERA, doc.AddPeriodTable(std::move(periods)), 2, 90);
    std::mt19937 rng(13);
    std::uniform_int_distribution<int32_t> year(kMillionFirstYear, kMillionLastYear - 1);
    std::uniform_int_distribution<int> month(-1, 12);
    std::uniform_int_distribution<int> day(1, 28);
    std::uniform_int_distribution<int> odds(0, 9);
    for (int c = 0; c < 4; ++c) {
        std::vector<SEventData> records(static_cast<size_t>(events / 4));
        for (SEventData& d : records) {
            d.year = year(rng);
            if (d.year >= 0)
                ++d.year; // no year 0
            d.month = static_cast<int16_t>(month(rng));
            if (d.month == 0)
                d.month = -1;
            d.day = static_cast<int16_t>(d.month > 0 && odds(rng) < 5 ? day(rng) : -1);
            d.text = Kana(rng, 15);
            if (odds(rng) == 0)
                d.supplement = Kana(rng, 30);
            d.priority = odds(rng) % 3;
            d.rangeFlags = odds(rng) == 1 ? 0x101u : 0u;
        }
        std::stable_sort(records.begin(), records.end(),
                         [](const SEventData& a, const SEventData& b) {
                             return CYearEventTree::SortKey(a) < CYearEventTree::SortKey(b);
                         });
        auto table = std::make_unique<CYearEvent>();
        for (SEventData& d : records)
            table->SetData(std::move(d), false, -1, EP_EVERY);
        table->SetTableName("events" + std::to_string(c));
        table->SetFileName(dir + "/events" + std::to_string(c) + ".lev");
        table->SetModified(true);
        columns.Insert(CK_EVENT, doc.AddEventTable(std::move(table)), columns.GetCount(), 300);
    }
}

// The project with scale (1, 10, 100), mode (0 exact, 1 nearly exact,
// 2 packed) and wrapping set, written beside the million chronology's
// libraries (made first when missing). Returns its path.
inline std::string MillionProject(int scale = 1, int mode = 2, bool wrap = false)
{
    const std::string dir = MillionFolder();
    const std::string base = dir + "/million.anx";
    if (!std::filesystem::exists(base)) {
        std::filesystem::create_directories(dir);
        CAnnaluxDoc doc;
        BuildMillionDoc(doc, dir);
        doc.SetScaleAccuracy(2);
        if (!doc.OnSaveDocument(base))
            std::abort();
    }
    if (scale == 1 && mode == 2 && !wrap)
        return base;
    const std::string path = dir + "/million-s" + std::to_string(scale) + "-m" +
                             std::to_string(mode) + (wrap ? "-wrap" : "") + ".anx";
    if (!std::filesystem::exists(path)) {
        CAnnaluxDoc doc;
        if (!doc.OnOpenDocument(base))
            std::abort();
        doc.SetScaleYear(scale);
        doc.SetScaleAccuracy(mode);
        if (wrap != doc.GetWrapLines())
            doc.ToggleWrapLines();
        if (!doc.OnSaveDocument(path))
            std::abort();
    }
    return path;
}

// Total size of the library files a project in the million folder uses.
inline uintmax_t MillionLibraryBytes()
{
    uintmax_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MillionFolder())) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".lev" || ext == ".lgn" || ext == ".ler")
            total += entry.file_size();
    }
    return total;
}

} // namespace bench
