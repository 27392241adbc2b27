// Reading and writing a large event library (.lev): a million events, about
// 60 MB, years -10000..3000, Japanese texts of realistic length and some
// supplements with line breaks. Compare the figures with `wc -l` on the same
// file, which is the floor for touching every byte once.

#include "Document.h"
#include "ShiftJis.h"
#include "YearEvent.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const kFolder = "/tmp/annalux-bench-lev";
const int kEvents = 1000000;

class CBenchDocument : public CDocument
{
public:
    std::string GetPathName() const override { return std::string(kFolder) + "/bench.anx"; }
};

std::string Path(const char* name)
{
    return std::string(kFolder) + "/" + name;
}

// Kanji and kana as they occur in event texts, 表 能 ソ among them (their
// second byte is 0x5C).
std::vector<std::string> CharacterPool()
{
    const std::string utf8 =
        "年月日天皇将軍幕府戦乱条約締結開始終了成立設立表能ソ改革新政令発布即位退位崩御誕生死去"
        "建立寺社城落焼失地震大火飢饉一揆反乱鎮圧遷都遣唐使朝廷院政武士藩主大名国守護地頭学問"
        "文化美術工芸茶道華道和歌俳諧物語日記随筆絵巻のがをにはでとしたからまで、。「」・（）";
    std::vector<std::string> pool;
    std::string sjis;
    CShiftJis::FromUtf8(utf8, sjis);
    for (size_t i = 0; i + 1 < sjis.size(); i += 2)
        pool.push_back(sjis.substr(i, 2));
    return pool;
}

std::vector<SEventData> MakeEvents(bool shuffled)
{
    std::mt19937 rng(20240401);
    const std::vector<std::string> pool = CharacterPool();
    std::uniform_int_distribution<int> year(-10000, 3000);
    std::uniform_int_distribution<int> month(-1, 12);
    std::uniform_int_distribution<int> day(1, 30);
    std::uniform_int_distribution<int> textLength(5, 20);
    std::uniform_int_distribution<int> supplementLength(20, 60);
    std::uniform_int_distribution<size_t> character(0, pool.size() - 1);
    std::uniform_int_distribution<int> percent(0, 99);

    std::vector<SEventData> events(kEvents);
    for (SEventData& e : events) {
        int y = year(rng);
        e.year = y == 0 ? 1 : y;
        e.month = static_cast<int16_t>(month(rng));
        e.day = static_cast<int16_t>(e.month <= 0 ? -1 : day(rng));
        if (e.month == 0)
            e.month = -1;
        for (int n = textLength(rng); n > 0; --n)
            e.text += pool[character(rng)];
        if (percent(rng) < 10) {
            for (int n = supplementLength(rng); n > 0; --n) {
                e.supplement += pool[character(rng)];
                if (n == 25)
                    e.supplement += "\r\n";
            }
        }
        if (percent(rng) < 5)
            e.text += "\"引用\"";
        e.priority = percent(rng) % 3;
        e.leapMonth = percent(rng) == 0 && e.month > 0;
        int r = percent(rng);
        if (r < 5) {
            e.rangeFlags = RANGE_FROM;
            e.otherYear = e.year + 10;
        } else if (r < 8) {
            e.rangeFlags = RANGE_UNTIL | RANGE_ABOUT;
            e.otherYear = e.year - 3;
        }
    }
    if (shuffled)
        return events;
    std::stable_sort(events.begin(), events.end(), [](const SEventData& a, const SEventData& b) {
        return a.year != b.year ? a.year < b.year : a.DateKey() < b.DateKey();
    });
    return events;
}

// The table and its files, made once for all benchmarks.
struct SFixture
{
    CYearEvent table;
    bool ready = false;

    void Prepare()
    {
        if (ready)
            return;
        ::mkdir(kFolder, 0755);
        CBenchDocument doc;
        for (bool shuffled : {true, false}) {
            CYearEvent t;
            t.SetTableName("bench");
            for (SEventData& e : MakeEvents(shuffled))
                t.SetData(std::move(e), false, -1, EP_EVERY);
            t.SetFileName(Path(shuffled ? "shuffled.lev" : "events.lev"));
            t.WriteFile(false, &doc, HT_EVENT);
            if (!shuffled)
                table = t;
        }
        ready = true;
    }
};

SFixture& Fixture()
{
    static SFixture f;
    f.Prepare();
    return f;
}

// Reads the file into a fresh table; freeing a million records afterwards is
// not part of reading and is left out of the timing.
void ReadLoop(benchmark::State& state, const char* name, bool sorted)
{
    Fixture();
    const std::string path = Path(name);
    for (auto _ : state) {
        auto t = std::make_unique<CYearEvent>();
        if (!t->ReadFile(path.c_str(), sorted) || t->GetLen() != kEvents)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(t->GetLen());
        state.PauseTiming();
        t.reset();
        state.ResumeTiming();
    }
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * st.st_size);
}

void BM_ReadSorted(benchmark::State& state)
{
    ReadLoop(state, "events.lev", true);
}

// A file in no order at all, placed record by record.
void BM_ReadSortedShuffledFile(benchmark::State& state)
{
    ReadLoop(state, "shuffled.lev", true);
}

void BM_ReadUnsorted(benchmark::State& state)
{
    ReadLoop(state, "events.lev", false);
}

void BM_Write(benchmark::State& state)
{
    SFixture& f = Fixture();
    CBenchDocument doc;
    f.table.SetFileName(Path("written.lev"));
    for (auto _ : state) {
        f.table.SetModified(true);
        if (!f.table.WriteFile(false, &doc, HT_EVENT))
            state.SkipWithError("write failed");
    }
}

void BM_MakeFileContent(benchmark::State& state)
{
    SFixture& f = Fixture();
    for (auto _ : state) {
        std::string bytes = f.table.MakeFileContent();
        benchmark::DoNotOptimize(bytes.data());
    }
}

} // namespace

BENCHMARK(BM_ReadSorted)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadSortedShuffledFile)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReadUnsorted)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MakeFileContent)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
