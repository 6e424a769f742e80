// Drawing the distribution of a whole catalogue as the distribution window
// does: the plot area, the field, ticks and legend, and every object's
// point in one batch onto the window's picture (635 x 500 pixels). The
// points are spread over a and i as the main belt spreads them; the
// catalogues are the bundled one (7,096 objects) and one the size of the
// Minor Planet Center's (1,400,000).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <random>

#include "framework/qtdc.h"
#include "zelvo/graphics/elplot.h"

namespace {

using namespace zelvo::elements;

void ensure_app() {
    static int argc = 1;
    static char name[] = "bench_elplot";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

DistributionRequest catalogue(int objects, bool threeD, bool projection) {
    std::mt19937 rng(7);
    std::normal_distribution<double> a(2.7, 0.35), i(8.0, 5.0), e(0.14, 0.07);
    DistributionRequest r;
    r.DistXElement = 10;
    r.DistYElement = 7;
    r.DistZElement = threeD ? 8 : 1;
    r.DistProjection = projection ? 1 : 0;
    r.limits = {1.5, 4.2, 0.0, 35.0, 0.0, threeD ? 0.4 : 0.0};
    r.DistPoints.resize(static_cast<std::size_t>(objects));
    for (DistPoint& p : r.DistPoints) p = {a(rng), std::fabs(i(rng)), threeD ? std::fabs(e(rng)) : 0.0};
    return r;
}

void run(benchmark::State& state, bool threeD, bool projection) {
    ensure_app();
    const int objects = static_cast<int>(state.range(0));
    const DistributionRequest r = catalogue(objects, threeD, projection);
    const fw::Size canvas = distributionMinimumCanvas();
    QImage picture(canvas.cx, canvas.cy, QImage::Format_RGB32);
    fw::QtDc dc(&picture);
    int drawn = 0;
    for (auto _ : state) {
        drawn = drawDistribution(dc, r, kDistDefaultColors, plotDefaultFont(), canvas);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["drawn"] = drawn;
    state.SetItemsProcessed(state.iterations() * objects);
}

void BM_DistributionPlane(benchmark::State& state) { run(state, false, false); }
void BM_DistributionBox(benchmark::State& state) { run(state, true, false); }
void BM_DistributionProjections(benchmark::State& state) { run(state, true, true); }

BENCHMARK(BM_DistributionPlane)->Arg(7096)->Arg(1400000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistributionBox)->Arg(1400000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistributionProjections)->Arg(1400000)->Unit(benchmark::kMillisecond);

}  // namespace
