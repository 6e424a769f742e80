// One frame of the orbit window's animation as the window paints it: the
// background, the mapping of a 1600 x 900 picture and the whole picture of
// three planets (Earth, Jupiter, Pluto) and three objects (a main-belt
// asteroid, a near-Earth asteroid and a comet of Halley's kind) with the
// line of nodes, at the largest scale (100 AU, 34,616 points per object
// orbit) and at the default one (5.2 AU). The animation timer asks for a
// frame every 300 ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>

#include "framework/qtdc.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/orbitscene.h"

namespace {

using namespace zelvo::orbit;

void ensure_app() {
    static int argc = 1;
    static char name[] = "bench_orbit";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

ElementSet elements(double a, double e, double inclDeg, double nodeDeg, double periDeg, double mDeg) {
    const double d = M_PI / 180;
    return {2461000.5, mDeg * d, periDeg * d, nodeDeg * d, inclDeg * d, e, kGaussK / std::pow(a, 1.5)};
}

OrbitScene scene() {
    OrbitScene s;
    s.objects[0] = {1, "1  Ceres ", elements(2.7675, 0.0758, 10.59, 80.3, 73.6, 95.98)};
    s.objects[1] = {433, "433  Eros ", elements(1.458, 0.2229, 10.83, 304.3, 178.9, 310.55)};
    s.objects[2] = {1000, "Halley-like", elements(17.9, 0.967, 162.2, 58.4, 111.3, 1)};
    s.planets[0] = {3, "Earth", elements(1.0, 0.0167, 0.0, 0, 102.9, 358.6)};
    s.planets[1] = {5, "Jupiter", elements(5.2, 0.0489, 1.3, 100.5, 273.9, 20)};
    s.planets[2] = {9, "Pluto", elements(39.5, 0.2488, 17.1, 110.3, 113.8, 14.9)};
    s.date = 2461000.5;
    s.elementsLoaded = true;
    return s;
}

void frame(benchmark::State& state, double scale) {
    ensure_app();
    zelvo::ZelvomatLibrary lib;
    OrbitScene s = scene();
    OrbitViewState v;
    v.scale = scale;
    v.nodesShown = true;
    const OrbitColors colors;
    QImage picture(1600, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        fw::QtDc dc(&picture);
        dc.selectPen(fw::Pen::solid(1, colors.colors[0]));
        dc.selectBrush(fw::Brush::solid(colors.colors[0]));
        dc.patBlt(0, 0, 1600, 900);
        dc.setMapMode(fw::MapMode::Isotropic);
        dc.setWindowExt(1000, 1000);
        dc.setViewportExt(1600, -900);
        dc.setViewportOrg(800, 450);
        drawOrbitPicture(dc, s, v, colors, lib, PictureKind::Screen);
        s.date += 5;  // the next tick
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_OrbitFrameLargestScale(benchmark::State& state) { frame(state, kMaxScale); }
BENCHMARK(BM_OrbitFrameLargestScale)->Unit(benchmark::kMillisecond);

void BM_OrbitFrameDefaultScale(benchmark::State& state) { frame(state, 5.2); }
BENCHMARK(BM_OrbitFrameDefaultScale)->Unit(benchmark::kMillisecond);

}  // namespace
