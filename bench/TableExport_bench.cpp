// The exports of the displayed table at the size of a large chronology:
// 100,000 and 1,000,000 events in four event columns beside year, era-name
// and period columns. Writing the HTML page or the displayed table as CSV
// from the window's layout must stay within 1 s at 100,000 events and 5 s at
// 1,000,000. The peak memory of the process is reported beside each.

#include "AnnaluxDoc.h"
#include "EventProject.h"
#include "ExportHTML.h"
#include "ExportImageCSV.h"
#include "LayoutQueries.h"
#include "YearEvent.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

void Env()
{
    static bench::SQtEnvironment env("/tmp/annalux-tableexport-settings.ini", true);
}

// Peak resident memory of the process in MiB.
double PeakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

struct SChronology
{
    CAnnaluxDoc doc;
    std::unique_ptr<CLayoutQueries> layout; // as the window holds it
};

SChronology& Chronology(int events)
{
    static std::map<int, std::unique_ptr<SChronology>> made;
    auto& slot = made[events];
    if (slot)
        return *slot;
    slot = std::make_unique<SChronology>();
    CAnnaluxDoc& doc = slot->doc;
    bench::AddYearAndEraColumns(doc);
    bench::AddEventColumns(doc, events, 11, false);
    // Scale 10 and packed rows, as such a table is read on screen.
    doc.SetScaleYear(10);
    doc.SetScaleAccuracy(2);
    slot->layout = std::make_unique<CLayoutQueries>(doc);
    return *slot;
}

void Report(benchmark::State& state, const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    char label[96];
    std::snprintf(label, sizeof label, "%d events, %.1f MiB written, peak %.0f MiB",
                  static_cast<int>(state.range(0)), static_cast<double>(file.tellg()) / 1048576.0,
                  PeakMiB());
    state.SetLabel(label);
    ::unlink(path.c_str());
}

void BM_HtmlPage(benchmark::State& state)
{
    Env();
    SChronology& c = Chronology(static_cast<int>(state.range(0)));
    const std::string path = "/tmp/annalux-bench-table.html";
    CExportHTML exporter(c.doc);
    exporter.SetOutputPath(path);
    for (auto _ : state) {
        if (!exporter.Generate(*c.layout))
            state.SkipWithError("not written");
    }
    Report(state, path);
}
BENCHMARK(BM_HtmlPage)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TableCsv(benchmark::State& state)
{
    Env();
    SChronology& c = Chronology(static_cast<int>(state.range(0)));
    const std::string path = "/tmp/annalux-bench-table.csv";
    for (auto _ : state) {
        CExportImageCSV writer(c.doc, *c.layout);
        if (!writer.Export(path))
            state.SkipWithError("not written");
    }
    Report(state, path);
}
BENCHMARK(BM_TableCsv)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The layout the batch forms make before writing (the window has it already).
void BM_LayoutForExport(benchmark::State& state)
{
    Env();
    SChronology& c = Chronology(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CLayoutQueries layout(c.doc);
        benchmark::DoNotOptimize(layout.TopYear());
    }
    state.SetLabel(std::to_string(state.range(0)) + " events");
}
BENCHMARK(BM_LayoutForExport)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

BENCHMARK_MAIN();
