// A chronology of a million events (bench::MillionProject): every piece of
// work whose cost grows with the table, from opening the project to one
// edit. The targets at this size, on a 2-core desktop:
//
//   --render-png 1920x1080, whole process        <= 1.0 s (wrapping <= 1.5 s)
//   its peak memory against the library files    <= 2x
//   one event added through the editor, repaint  <= 50 ms (wrapping <= 100 ms)
//   relayout after a setting change              <= 100 ms (wrapping <= 300 ms)
//   one search step that finds nothing           <= 50 ms
//   one full paint at 1920x1080                  <= 8 ms
//   reading a large event file                   >= 200 MB/s

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BenchSupport.h"
#include "DataCoord.h"
#include "DialogMakeEvent.h"
#include "TextMeasurer.h"
#include "YearEvent.h"

#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

void Env()
{
    static bench::SQtEnvironment env("/tmp/annalux-million-settings.ini", true);
}

// One run of `annalux --render-png` on the project: wall time, and the
// child's peak resident memory in counters.
void BM_RenderPngProcess(benchmark::State& state)
{
    const bool wrap = state.range(0) != 0;
    const std::string project = bench::MillionProject(1, 2, wrap);
    const double files = static_cast<double>(bench::MillionLibraryBytes());
    const std::string out = bench::MillionFolder() + "/render.png";
    std::vector<std::string> words = {ANNALUX_BINARY, "--render-png", out,    "--size",
                                      "1920x1080",    "--year",       "1500", project};
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    double peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start annalux");
            break;
        }
        int status = 0;
        rusage usage {};
        wait4(pid, &status, 0, &usage);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("annalux --render-png failed");
        peak = std::max(peak, usage.ru_maxrss * 1024.0);
        cpu += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    // The processor time does not depend on how busy the machine is.
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    state.counters["peakMB"] = peak / 1e6;
    state.counters["filesMB"] = files / 1e6;
    state.counters["peak/files"] = peak / files;
    state.SetLabel(wrap ? "wrapping" : "no wrapping");
}
BENCHMARK(BM_RenderPngProcess)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The project open in a 1920x1080 view.
struct SOpenView
{
    CAnnaluxDoc doc;
    std::unique_ptr<CAnnaluxView> view;
    QImage image{1920, 1080, QImage::Format_RGB32};

    explicit SOpenView(const std::string& project)
    {
        if (!doc.OnOpenDocument(project))
            std::abort();
        view = std::make_unique<CAnnaluxView>(&doc);
        view->resize(1920, 1080);
        view->ScrollToYear(1500);
        Paint();
    }
    void Paint()
    {
        view->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
};

SOpenView& OpenView(bool wrap)
{
    Env();
    static std::unique_ptr<SOpenView> views[2];
    auto& slot = views[wrap ? 1 : 0];
    if (!slot)
        slot = std::make_unique<SOpenView>(bench::MillionProject(1, 2, wrap));
    return *slot;
}

// What adding an event through the view's "add" command does: the editor
// opens on a blank form in the first event column, the year and text are
// typed, OK stores them and the table takes the editor's result, then the
// view lays out the years the editor touched again and is painted.
void BM_EditorAddEvent(benchmark::State& state)
{
    SOpenView& v = OpenView(state.range(0) != 0);
    CYearEvent* table = v.doc.GetEventTable(0);
    int n = 0;
    for (auto _ : state) {
        CDialogMakeEvent dialog(&v.doc, *table, kNoYear, 1500, true);
        dialog.findChild<QLineEdit*>("editYear")->setText(QString::number(1500 + n % 20));
        dialog.findChild<QPlainTextEdit*>("editEvent")
            ->setPlainText(QStringLiteral("追加した出来事 %1").arg(++n));
        dialog.accept();
        if (dialog.result() != QDialog::Accepted) {
            state.SkipWithError("the editor did not take the event");
            break;
        }
        *table = dialog.GetTable();
        v.doc.NotifyEventsEdited({{table, dialog.GetTouchedYears()}});
        v.Paint();
    }
    state.SetLabel(state.range(0) ? "wrapping" : "no wrapping");
}
BENCHMARK(BM_EditorAddEvent)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// A setting change: the scale goes to 10 years and back, or the mode from
// packed to nearly exact and back; one relayout per step.
void BM_RelayoutAfterSetting(benchmark::State& state)
{
    SOpenView& v = OpenView(state.range(0) != 0);
    const bool mode = state.range(1) != 0;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        if (mode)
            v.doc.SetScaleAccuracy(flip ? 1 : 2);
        else
            v.doc.SetScaleYear(flip ? 10 : 1);
    }
    v.doc.SetScaleAccuracy(2);
    v.doc.SetScaleYear(1);
    state.SetLabel(std::string(state.range(0) ? "wrapping, " : "no wrapping, ") +
                   (mode ? "mode" : "scale"));
}
BENCHMARK(BM_RelayoutAfterSetting)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4);

// One search step forward over every entry without a match.
void BM_SearchStepNoMatch(benchmark::State& state)
{
    SOpenView& v = OpenView(false);
    CDataCoord& coord = v.view->GetDataCoord();
    const std::string what = "Missing";
    for (auto _ : state) {
        coord.ClearSearchHit();
        int32_t top = 0;
        int column = 0;
        benchmark::DoNotOptimize(coord.SearchForward(what, state.range(0) != 0, false, top, column));
    }
    state.counters["entries"] = static_cast<double>(coord.Table().EntryCount());
    state.SetLabel(state.range(0) ? "supplements too" : "texts");
}
BENCHMARK(BM_SearchStepNoMatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One full paint at a scroll position (per mille of the height).
void BM_FullPaint(benchmark::State& state)
{
    SOpenView& v = OpenView(state.range(1) != 0);
    v.view->SetScrollY(v.view->ContentHeight() * state.range(0) / 1000);
    v.Paint(); // fills the text cache
    for (auto _ : state)
        v.Paint();
    state.SetLabel(std::to_string(state.range(0) / 10.0) + "%" + (state.range(1) ? ", wrapping" : ""));
}
BENCHMARK(BM_FullPaint)->ArgsProduct({{0, 500, 990}, {0, 1}})->Unit(benchmark::kMillisecond);

// The table alone, as an update of the view repaints it: without the frame,
// header and scroll bars that a full paint draws around it.
void BM_TablePaint(benchmark::State& state)
{
    SOpenView& v = OpenView(state.range(1) != 0);
    v.view->SetScrollY(v.view->ContentHeight() * state.range(0) / 1000);
    QWidget* table = v.view->viewport();
    QImage image(table->size(), QImage::Format_RGB32);
    table->render(&image);
    for (auto _ : state) {
        table->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.SetLabel(std::to_string(state.range(0) / 10.0) + "%" + (state.range(1) ? ", wrapping" : ""));
}
BENCHMARK(BM_TablePaint)->ArgsProduct({{0, 500, 990}, {0, 1}})->Unit(benchmark::kMillisecond);

// Reading all million events from one event file.
void BM_ReadEventFile(benchmark::State& state)
{
    const std::string dir = bench::MillionFolder() + "/single";
    const std::string path = dir + "/all.lev";
    if (!std::filesystem::exists(path)) {
        bench::MillionProject();
        std::filesystem::create_directories(dir);
        CYearEvent all;
        for (int c = 0; c < 4; ++c) {
            CYearEvent part;
            part.ReadFile((bench::MillionFolder() + "/events" + std::to_string(c) + ".lev").c_str(),
                          true);
            all.Merge(part);
        }
        all.SetTableName("all");
        all.SetFileName(path);
        CAnnaluxDoc doc;
        if (!all.WriteFile(false, &doc, HT_EVENT))
            std::abort();
    }
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    for (auto _ : state) {
        auto table = std::make_unique<CYearEvent>();
        if (!table->ReadFile(path.c_str(), true))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(table->GetLen());
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ReadEventFile)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
