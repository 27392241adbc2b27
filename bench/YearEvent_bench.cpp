// The event table at the size of a large library: a million events in random
// year order over -10000..3000, with texts of realistic length. The view asks
// the per-year questions once per displayed year and column, so GetData over
// every year and random GetAt under a filter must stay cheap.

#include "YearEvent.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const int kEvents = 1000000;
const int32_t kFirstYear = -10000;
const int32_t kLastYear = 3000;

std::vector<SEventData> MakeEvents(int count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> year(kFirstYear, kLastYear);
    std::uniform_int_distribution<int> month(-1, 12);
    std::uniform_int_distribution<int> day(1, 28);
    std::uniform_int_distribution<int> length(10, 40); // double-byte characters
    std::uniform_int_distribution<int> priority(0, 2);
    std::uniform_int_distribution<int> kana(0x829F, 0x82F1); // hiragana in Shift-JIS
    std::vector<SEventData> events(count);
    for (SEventData& r : events) {
        r.year = year(rng);
        r.month = static_cast<int16_t>(month(rng));
        r.day = static_cast<int16_t>(r.month == -1 ? -1 : day(rng));
        r.priority = priority(rng);
        const int n = length(rng);
        std::string text;
        for (int i = 0; i < n; ++i) {
            const int c = kana(rng);
            text += static_cast<char>(c >> 8);
            text += static_cast<char>(c & 0xFF);
        }
        r.text = text;
        if (rng() % 4 == 0)
            r.supplement = text + text;
    }
    return events;
}

// The sorted table the query benchmarks share, built once.
const CYearEvent& SharedTable()
{
    static const std::unique_ptr<CYearEvent> table = [] {
        auto t = std::make_unique<CYearEvent>();
        for (const SEventData& r : MakeEvents(kEvents, 7))
            t->SetData(r, true, -1, EP_EVERY);
        return t;
    }();
    return *table;
}

// The shared records with some of them given another year in place (SetAt
// does not re-sort): a nearly sorted list, which takes the slower path.
const CYearEvent& NearlySortedTable(int displaced)
{
    static std::unique_ptr<CYearEvent> table;
    static int made = -1;
    if (made != displaced) {
        table = std::make_unique<CYearEvent>(SharedTable());
        std::mt19937 rng(11);
        std::uniform_int_distribution<int> index(0, kEvents - 1);
        std::uniform_int_distribution<int32_t> year(kFirstYear, kLastYear);
        for (int i = 0; i < displaced; ++i) {
            SEventData r;
            const int k = index(rng);
            table->GetAt(k, &r, EP_EVERY);
            r.year = year(rng);
            table->SetAt(k, &r, EP_EVERY);
        }
        made = displaced;
    }
    return *table;
}

// The same records appended in arrival order: no year order at all, as in a
// library file put together by hand and read without sorting.
CYearEvent& UnsortedTable()
{
    static const std::unique_ptr<CYearEvent> table = [] {
        auto t = std::make_unique<CYearEvent>();
        for (const SEventData& r : MakeEvents(kEvents, 7))
            t->SetData(r, false, -1, EP_EVERY);
        return t;
    }();
    return *table;
}

void BM_InsertMillionSorted(benchmark::State& state)
{
    const std::vector<SEventData> events = MakeEvents(kEvents, 1);
    for (auto _ : state) {
        CYearEvent t;
        for (const SEventData& r : events)
            t.SetData(r, true, -1, EP_EVERY);
        benchmark::DoNotOptimize(t.GetLen());
        state.PauseTiming(); // freeing the table is not part of the figure
        t.RemoveAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}
BENCHMARK(BM_InsertMillionSorted)->Unit(benchmark::kMillisecond)->Iterations(1);

void GetDataEveryYear(benchmark::State& state, const CYearEvent& t)
{
    std::vector<SEventData*> out;
    for (auto _ : state) {
        size_t total = 0;
        for (int32_t y = kFirstYear; y <= kLastYear; ++y) {
            t.GetData(y, out, EP_ALL);
            total += out.size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * (kLastYear - kFirstYear + 1));
}

void BM_GetDataEveryYear(benchmark::State& state)
{
    GetDataEveryYear(state, SharedTable());
}
BENCHMARK(BM_GetDataEveryYear)->Unit(benchmark::kMillisecond);

void BM_GetDataEveryYearNearlySorted(benchmark::State& state)
{
    GetDataEveryYear(state, NearlySortedTable(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_GetDataEveryYearNearlySorted)->Unit(benchmark::kMillisecond)->Arg(100)->Arg(1000);

void BM_GetDataEveryYearUnsorted(benchmark::State& state)
{
    GetDataEveryYear(state, UnsortedTable());
}
BENCHMARK(BM_GetDataEveryYearUnsorted)->Unit(benchmark::kMillisecond);

// The layout pass after an edit: the first question rebuilds the year index.
void BM_EditThenGetDataEveryYearUnsorted(benchmark::State& state)
{
    CYearEvent& t = UnsortedTable();
    std::vector<SEventData*> out;
    for (auto _ : state) {
        SEventData r;
        t.GetAt(0, &r, EP_EVERY);
        r.text += "x";
        t.SetAt(0, &r, EP_EVERY);
        size_t total = 0;
        for (int32_t y = kFirstYear; y <= kLastYear; ++y) {
            t.GetData(y, out, EP_ALL);
            total += out.size();
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_EditThenGetDataEveryYearUnsorted)->Unit(benchmark::kMillisecond);

// What the layout asks for every year before it fetches the records.
void BM_YearQueriesEveryYearFilterHigh(benchmark::State& state)
{
    const CYearEvent& t = SharedTable();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int32_t y = kFirstYear; y <= kLastYear; ++y) {
            sum += t.GetIndexFromYear(y, EP_HIGH);
            sum += t.GetNumOfYear(y, EP_HIGH);
            sum += t.GetNearestYear(y, EP_HIGH);
            sum += t.GetNextYear(y, EP_HIGH);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * (kLastYear - kFirstYear + 1));
}
BENCHMARK(BM_YearQueriesEveryYearFilterHigh)->Unit(benchmark::kMillisecond);

void BM_GetAtRandomFilterHigh(benchmark::State& state)
{
    const CYearEvent& t = SharedTable();
    int visible = 0;
    for (int i = 0; i < t.GetLen(); i += 1)
        visible += t.GetRecord(i).priority == 0 ? 1 : 0;
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> index(0, visible - 1);
    std::vector<int> indexes(10000);
    for (int& i : indexes)
        i = index(rng);
    SEventData out;
    for (auto _ : state) {
        int found = 0;
        for (int i : indexes)
            found += t.GetAt(i, &out, EP_HIGH) ? 1 : 0;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_GetAtRandomFilterHigh)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
