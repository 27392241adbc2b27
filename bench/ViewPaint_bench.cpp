// The timeline at the size of a large chronology: 100,000 events in four
// event columns beside year, era-name and period columns. Opening the
// project and painting the first screen must stay within a second; one full
// 1920x1080 paint must stay within a frame (16 ms) wherever it is scrolled,
// whatever the size of the table.

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BenchSupport.h"
#include "EventProject.h"
#include "YearEvent.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace {

using bench::Kana;
using bench::kFirstYear;
using bench::kLastYear;

// Writes the project (and its libraries) once per size into /tmp.
std::string MakeProject(int events)
{
    return bench::MakeEventProject("/tmp/annalux-viewpaint-" + std::to_string(events), events);
}

void Env()
{
    static bench::SQtEnvironment env("/tmp/annalux-viewpaint-settings.ini", false);
}

// Open the project, lay it out and paint the first screen.
void BM_OpenAndFirstPaint(benchmark::State& state)
{
    Env();
    const std::string project = MakeProject(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CAnnaluxDoc doc;
        if (!doc.OnOpenDocument(project))
            state.SkipWithError("open failed");
        CAnnaluxView view(&doc);
        view.resize(1920, 1080);
        QImage image(1920, 1080, QImage::Format_RGB32);
        view.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.SetLabel(std::to_string(state.range(0)) + " events");
}
BENCHMARK(BM_OpenAndFirstPaint)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// One full paint at a scroll position (per mille of the height).
void BM_FullPaint(benchmark::State& state)
{
    Env();
    static std::unique_ptr<CAnnaluxDoc> docs[2];
    static std::unique_ptr<CAnnaluxView> views[2];
    const int events = static_cast<int>(state.range(0));
    const int slot = events == 100000 ? 1 : 0;
    if (!docs[slot]) {
        docs[slot] = std::make_unique<CAnnaluxDoc>();
        docs[slot]->OnOpenDocument(MakeProject(events));
        views[slot] = std::make_unique<CAnnaluxView>(docs[slot].get());
        views[slot]->resize(1920, 1080);
    }
    CAnnaluxView& view = *views[slot];
    view.SetScrollY(view.ContentHeight() * state.range(1) / 1000);
    QImage image(1920, 1080, QImage::Format_RGB32);
    view.render(&image); // the first paint fills the text cache
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    char label[64];
    std::snprintf(label, sizeof label, "%d events, at %.1f%%", events, state.range(1) / 10.0);
    state.SetLabel(label);
}
BENCHMARK(BM_FullPaint)
    ->ArgsProduct({{10000, 100000}, {0, 250, 500, 990}})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
