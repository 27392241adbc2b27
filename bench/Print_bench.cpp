// Printing a large chronology: the 100,000-event benchmark project into an
// A4 PDF at fit-to-right. The target is 200 pages a second or more, and a
// peak memory that does not grow with the number of pages: a job prints
// page by page and keeps nothing of a page once it is written. The first
// 100 pages are printed before the whole job, so that what the whole job
// adds to the peak shows in its print_growth_MB.

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BenchSupport.h"
#include "EventProject.h"
#include "ViewPrinter.h"

#include <QPageSize>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

double PeakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The project opened and laid out once for both jobs.
CAnnaluxView& View(int events)
{
    static bench::SQtEnvironment env("/tmp/annalux-print-settings.ini", true);
    static std::unique_ptr<CAnnaluxDoc> doc;
    static std::unique_ptr<CAnnaluxView> view;
    if (!view) {
        doc = std::make_unique<CAnnaluxDoc>();
        doc->OnOpenDocument(bench::MakeEventProject(
            "/tmp/annalux-viewpaint-" + std::to_string(events), events));
        view = std::make_unique<CAnnaluxView>(doc.get());
    }
    return *view;
}

// Pages 1..lastPage (0: all) into a PDF file, once per iteration.
void PrintPages(benchmark::State& state, int64_t lastPage)
{
    CAnnaluxView& view = View(static_cast<int>(state.range(0)));
    int64_t pages = 0;
    const double before = PeakMb();
    for (auto _ : state) {
        CViewPrinter print(view);
        SPageLayout layout = view.GetDocument()->GetPageLayout();
        layout.fitToRight = true;
        print.SetPageLayout(layout);
        QPdfWriter writer(QStringLiteral("/tmp/annalux-print-bench.pdf"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        if (!print.PrintAll(writer, 1, lastPage))
            state.SkipWithError("print failed");
        const int64_t count = print.Geometry().PageCount();
        pages += lastPage > 0 ? std::min(lastPage, count) : count;
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    state.counters["pages"] = static_cast<double>(pages) / static_cast<double>(state.iterations());
    state.counters["peak_MB"] = PeakMb();
    state.counters["print_growth_MB"] = PeakMb() - before;
}

void BM_PrintFirstPages(benchmark::State& state)
{
    PrintPages(state, 100);
}

void BM_PrintAllPages(benchmark::State& state)
{
    PrintPages(state, 0);
}

} // namespace

BENCHMARK(BM_PrintFirstPages)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PrintAllPages)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
