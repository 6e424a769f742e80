// Drawing a distribution of the whole catalogue: 620,000 points in one
// batch onto the distribution's picture (635 x 500 pixels), in MM_TEXT as
// the view draws it and under an isotropic mapping as a printed page has it;
// and the same batch into a metafile.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <random>

#include "framework/emfdc.h"
#include "framework/qtdc.h"

namespace {

constexpr int kCatalogue = 620000;

std::vector<fw::Point> catalogue_points() {
    // Points of the 350 x 350 field, clustered as elements are.
    std::mt19937 rng(42);
    std::normal_distribution<double> x(200.0, 60.0), y(300.0, 50.0);
    std::vector<fw::Point> pts(kCatalogue);
    for (fw::Point& p : pts) p = {static_cast<int>(x(rng)), static_cast<int>(y(rng))};
    return pts;
}

void ensure_app() {
    static int argc = 1;
    static char name[] = "bench_drawing";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

void BM_PointsOnPicture(benchmark::State& state) {
    ensure_app();
    const std::vector<fw::Point> pts = catalogue_points();
    QImage picture(635, 500, QImage::Format_RGB32);
    fw::QtDc dc(&picture);
    for (auto _ : state) {
        dc.setPixels(pts, fw::rgb(0, 100, 100));
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCatalogue);
}
BENCHMARK(BM_PointsOnPicture)->Unit(benchmark::kMillisecond);

void BM_PointsOnPictureMapped(benchmark::State& state) {
    ensure_app();
    const std::vector<fw::Point> pts = catalogue_points();
    QImage page(1600, 1200, QImage::Format_RGB32);
    fw::QtDc dc(&page);
    dc.setMapMode(fw::MapMode::Isotropic);
    dc.setWindowExt(800, 600);
    dc.setViewportExt(1600, 1200);
    dc.setViewportOrg(20, 20);
    for (auto _ : state) {
        dc.setPixels(pts, fw::rgb(0, 0, 0));
        benchmark::DoNotOptimize(page.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCatalogue);
}
BENCHMARK(BM_PointsOnPictureMapped)->Unit(benchmark::kMillisecond);

void BM_PointsIntoMetafile(benchmark::State& state) {
    ensure_app();
    const std::vector<fw::Point> pts = catalogue_points();
    for (auto _ : state) {
        fw::EmfDc emf({800, 600, 96.0, 96.0});
        emf.setPixels(pts, fw::rgb(0, 100, 100));
        benchmark::DoNotOptimize(emf.bytes().size());
    }
    state.SetItemsProcessed(state.iterations() * kCatalogue);
}
BENCHMARK(BM_PointsIntoMetafile)->Unit(benchmark::kMillisecond);

}  // namespace
