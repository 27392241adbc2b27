#pragma once

// The large chronology the view and print benchmarks share.

#include "BenchSupport.h"
#include "YearEvent.h"

#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace bench {

// Four event columns of events / 4 random records each, Kana texts of 8..30
// characters, a tenth of them links. With extras, a tenth carry a
// supplement and some a range; with a folder, the libraries are named into
// it and marked for saving.
inline void AddEventColumns(CAnnaluxDoc& doc, int events, unsigned seed, bool extras,
                            const std::string& dir = std::string())
{
    CHeaderManager& columns = doc.GetColumns();
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> year(kFirstYear, kLastYear);
    std::uniform_int_distribution<int> length(8, 30);
    std::uniform_int_distribution<int> month(-1, 12);
    std::uniform_int_distribution<int> odds(0, 9);
    for (int c = 0; c < 4; ++c) {
        auto table = std::make_unique<CYearEvent>();
        for (int i = 0; i < events / 4; ++i) {
            SEventData d;
            d.year = year(rng);
            d.month = static_cast<int16_t>(month(rng));
            d.day = -1;
            d.text = Kana(rng, length(rng));
            if (odds(rng) == 0)
                d.text = "<A HREF=\"http://example.com/\">" + d.text + "</A>";
            if (extras && odds(rng) == 0)
                d.supplement = Kana(rng, 20);
            d.priority = odds(rng) % 3;
            if (extras)
                d.rangeFlags = odds(rng) == 1 ? 0x101u : 0u;
            table->SetData(d, true, -1, EP_EVERY);
        }
        if (!dir.empty()) {
            table->SetFileName(dir + "/events" + std::to_string(c) + ".lev");
            table->SetModified(true);
        }
        columns.Insert(CK_EVENT, doc.AddEventTable(std::move(table)), columns.GetCount(), 300);
    }
}

// A project of events in four event columns beside the year, era-name and
// period columns, written with its libraries into dir once (an existing
// project there is reused). Returns the project's path.
inline std::string MakeEventProject(const std::string& dir, int events)
{
    const std::string project = dir + "/big.anx";
    if (std::filesystem::exists(project))
        return project;
    std::filesystem::create_directories(dir);
    CAnnaluxDoc doc;
    AddYearAndEraColumns(doc, dir);
    AddEventColumns(doc, events, 7, true, dir);
    if (!doc.OnSaveDocument(project))
        std::abort();
    return project;
}

} // namespace bench
