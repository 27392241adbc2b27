// Opening the million-event chronology (bench::MillionProject) as the window
// opens it, with and without the progress of a long load: what the reports,
// the dialog and the events it lets through cost. Processor time counts
// this process only (MeasureProcessCPUTime), since other work shares the
// machine.

#include "AnnaluxDoc.h"
#include "BenchSupport.h"
#include "LoadProgress.h"

#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void Env()
{
    static bench::SQtEnvironment env("/tmp/annalux-million-settings.ini", true);
}

// Arg 0: no progress (batch commands, the start-up open); 1: the window's
// progress with its dialog up from the first report.
void BM_OpenMillionProject(benchmark::State& state)
{
    Env();
    const std::string project = bench::MillionProject();
    const bool withProgress = state.range(0) != 0;
    QWidget window;
    window.resize(800, 600);
    window.show();
    CLoadProgress::SetShowRule(0, 0);
    for (auto _ : state) {
        CAnnaluxDoc doc;
        std::unique_ptr<CLoadProgress> progress;
        if (withProgress)
            progress = std::make_unique<CLoadProgress>(&window, CLoadProgress::kProjectHeading);
        if (!doc.OnOpenDocument(project))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(doc.GetEventTableCount());
        state.PauseTiming();
        progress.reset();
        doc.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(bench::MillionLibraryBytes()));
    state.SetLabel(withProgress ? "progress shown" : "no progress");
}
BENCHMARK(BM_OpenMillionProject)
    ->Arg(0)
    ->Arg(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
