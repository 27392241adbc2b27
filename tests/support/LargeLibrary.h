#pragma once

// Event libraries large enough for a load to report its progress many
// times, written by the program's own writer.

#include "RandomKana.h"
#include "ReadProgress.h"
#include "TestDocument.h"
#include "YearEvent.h"

#include <random>
#include <string>
#include <vector>

// events random events (years -660..2020, 15 hiragana each, a tenth with a
// supplement) saved at path under title; about 50 bytes an event.
inline bool WriteLargeEventLibrary(const std::string& path, int events, const std::string& title,
                                   unsigned seed = 13)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> year(-660, 2019);
    std::uniform_int_distribution<int> odds(0, 9);
    std::vector<SEventData> records(static_cast<size_t>(events));
    for (SEventData& d : records) {
        d.year = year(rng);
        if (d.year >= 0)
            ++d.year; // no year 0
        d.text = RandomKana(rng, 15);
        if (odds(rng) == 0)
            d.supplement = RandomKana(rng, 30);
        d.priority = odds(rng) % 3;
    }
    CYearEvent table;
    for (SEventData& d : records)
        table.SetData(std::move(d), true, -1, EP_EVERY);
    table.SetTableName(title);
    table.SetFileName(path);
    CTestDocument doc("");
    return table.WriteFile(false, &doc, HT_EVENT);
}

// A progress that records every report and stops the reading once
// stopAfter bytes are done (never with the default).
class CRecordingProgress : public CReadProgress
{
public:
    explicit CRecordingProgress(uint64_t stopAfter = ~uint64_t(0)) : m_stopAfter(stopAfter) {}
    std::vector<uint64_t> done;
    std::vector<uint64_t> totals;
    std::vector<std::string> files;

protected:
    bool Step() override
    {
        done.push_back(Done());
        totals.push_back(Total());
        if (files.empty() || files.back() != CurrentFile())
            files.push_back(CurrentFile());
        return Done() < m_stopAfter;
    }

private:
    uint64_t m_stopAfter;
};
