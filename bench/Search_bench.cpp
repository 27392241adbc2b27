// One search step over a placed chronology of 100,000 events in four event
// columns. The worst step looks at every entry: the only match is the last
// entry of the last column (forward from the top) or the first entry of the
// first column (backward, wrapping). Each step must stay within 50 ms.

#include "BenchSupport.h"
#include "DataCoord.h"
#include "TextMeasurer.h"
#include "YearEvent.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kEvents = 100000;
constexpr int kColumns = 4;

using bench::Kana;

struct SFixture
{
    std::vector<std::unique_ptr<CYearEvent>> tables;
    CFixedMeasurer measurer{10};
    CDataCoord coord;

    SFixture()
    {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> year(bench::kFirstYear, bench::kLastYear);
        SLayoutSettings settings;
        settings.mode = SLayoutSettings::Packed;
        settings.rowHeight = 16;
        for (int c = 0; c < kColumns; ++c) {
            auto table = std::make_unique<CYearEvent>();
            for (int i = 0; i < kEvents / kColumns; ++i) {
                SEventData d;
                d.year = year(rng);
                if (d.year == 0)
                    d.year = 1;
                d.text = Kana(rng, 12) + "Event text";
                d.supplement = i % 4 == 0 ? Kana(rng, 40) : std::string();
                d.priority = 0;
                d.month = -1;
                d.day = -1;
                d.rangeFlags = 0;
                table->SetData(d, true, -1, EP_EVERY);
            }
            settings.libraries.push_back(table.get());
            settings.widths.push_back(300);
            tables.push_back(std::move(table));
        }
        coord.SetMeasurer(&measurer);
        bool overflow = false;
        coord.Layout(settings, overflow);
        // The one match, at the far ends of the table.
        const auto& last = coord.Table().Column(kColumns - 1);
        const_cast<SEventData*>(last.back().event)->text += "needle";
        const_cast<SEventData*>(coord.Table().Column(0).front().event)->supplement += "NEEDLE";
    }
};

SFixture& Fixture()
{
    static SFixture fixture;
    return fixture;
}

void BM_SearchStepForwardThroughEverything(benchmark::State& state)
{
    SFixture& f = Fixture();
    const std::string what = "needle";
    for (auto _ : state) {
        f.coord.ClearSearchHit();
        int32_t top = 0;
        int column = 0;
        const bool found = f.coord.SearchForward(what, false, false, top, column);
        benchmark::DoNotOptimize(found);
        if (!found || column != kColumns - 1)
            state.SkipWithError("the match was not found");
    }
    state.counters["entries"] = static_cast<double>(f.coord.Table().EntryCount());
}
BENCHMARK(BM_SearchStepForwardThroughEverything)->Unit(benchmark::kMillisecond);

// Backward from no hit starts at the end; the match in a supplement (case
// differs) lies at the very start, so every entry is looked at, texts and
// supplements both.
void BM_SearchStepBackwardWithSupplements(benchmark::State& state)
{
    SFixture& f = Fixture();
    const std::string what = "needle";
    for (auto _ : state) {
        f.coord.ClearSearchHit();
        int32_t top = 0;
        int column = 0;
        // The last entry matches too; step past it first.
        f.coord.SearchBackward(what, true, false, top, column);
        const bool found = f.coord.SearchBackward(what, true, false, top, column);
        benchmark::DoNotOptimize(found);
        if (!found || column != 0)
            state.SkipWithError("the match was not found");
    }
}
BENCHMARK(BM_SearchStepBackwardWithSupplements)->Unit(benchmark::kMillisecond);

// A step that finds nothing (the "not found" case) with case respected.
void BM_SearchStepNoMatchCaseSensitive(benchmark::State& state)
{
    SFixture& f = Fixture();
    const std::string what = "Missing";
    for (auto _ : state) {
        f.coord.ClearSearchHit();
        int32_t top = 0;
        int column = 0;
        benchmark::DoNotOptimize(f.coord.SearchForward(what, true, true, top, column));
    }
}
BENCHMARK(BM_SearchStepNoMatchCaseSensitive)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
