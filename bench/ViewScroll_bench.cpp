// Scrolling through a 100,000-event chronology with the keys and the wheel:
// each step moves the window's pixels and paints only the uncovered strip
// (plus the period columns, whose names follow the window's bottom). One
// step, painting included, must stay within a frame (16 ms). The counter
// painted_px says how many pixel rows a step repainted on average.

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BenchSupport.h"
#include "YearEvent.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QWheelEvent>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

using bench::Kana;
using bench::kFirstYear;
using bench::kLastYear;

void FillDocument(CAnnaluxDoc& doc, int events)
{
    bench::AddYearAndEraColumns(doc);
    CHeaderManager& columns = doc.GetColumns();
    std::mt19937 rng(11);
    std::uniform_int_distribution<int32_t> year(kFirstYear, kLastYear);
    std::uniform_int_distribution<int> length(8, 30);
    std::uniform_int_distribution<int> odds(0, 9);
    for (int c = 0; c < 4; ++c) {
        auto table = std::make_unique<CYearEvent>();
        for (int i = 0; i < events / 4; ++i) {
            SEventData d;
            d.year = year(rng);
            d.text = Kana(rng, length(rng));
            if (odds(rng) == 0)
                d.supplement = Kana(rng, 20);
            d.rangeFlags = odds(rng) == 1 ? 0x101u : 0u;
            table->SetData(d, true, -1, EP_EVERY);
        }
        columns.Insert(CK_EVENT, doc.AddEventTable(std::move(table)), columns.GetCount(), 300);
    }
    doc.Notify(CAnnaluxDoc::VN_UPDATE);
}

// Adds up the rows of every paint of the viewport.
class CPaintCounter : public QObject
{
public:
    int64_t rows = 0;
    int64_t paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                rows += static_cast<int64_t>(r.height()) * r.width();
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

struct SEnvironment : bench::SQtEnvironment
{
    SEnvironment() : SQtEnvironment("/tmp/annalux-viewscroll-settings.ini", true)
    {
        FillDocument(doc, 100000);
        view = std::make_unique<CAnnaluxView>(&doc);
        view->resize(1920, 1080);
        view->show();
        view->viewport()->installEventFilter(&counter);
        QApplication::processEvents();
    }
    CAnnaluxDoc doc;
    std::unique_ptr<CAnnaluxView> view;
    CPaintCounter counter;
};

SEnvironment& Env()
{
    static SEnvironment env;
    return env;
}

// Repeats an input step from the middle of the table, painting after each.
template <typename Step> void RunSteps(benchmark::State& state, Step step)
{
    SEnvironment& env = Env();
    CAnnaluxView& view = *env.view;
    view.SetScrollY(view.ContentHeight() / 2);
    QApplication::processEvents();
    env.counter.rows = 0;
    int64_t steps = 0;
    bool down = true;
    for (auto _ : state) {
        // Turn back before either end so every step really scrolls.
        if (steps % 200 == 0)
            down = !down;
        step(view, down);
        QApplication::processEvents();
        ++steps;
    }
    const int width = view.viewport()->width();
    state.counters["painted_px"] = benchmark::Counter(static_cast<double>(env.counter.rows) /
                                                      width / std::max<int64_t>(1, steps));
    state.counters["viewport_px"] = view.viewport()->height();
}

void BM_ArrowKeyStep(benchmark::State& state)
{
    RunSteps(state, [](CAnnaluxView& view, bool down) {
        QKeyEvent press(QEvent::KeyPress, down ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
    });
}
BENCHMARK(BM_ArrowKeyStep)->Unit(benchmark::kMillisecond);

void BM_PageKeyStep(benchmark::State& state)
{
    RunSteps(state, [](CAnnaluxView& view, bool down) {
        QKeyEvent press(QEvent::KeyPress, down ? Qt::Key_PageDown : Qt::Key_PageUp, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
    });
}
BENCHMARK(BM_PageKeyStep)->Unit(benchmark::kMillisecond);

void BM_WheelStep(benchmark::State& state)
{
    RunSteps(state, [](CAnnaluxView& view, bool down) {
        const QPointF at(400, 400);
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(),
                          QPoint(0, down ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
    });
}
BENCHMARK(BM_WheelStep)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
