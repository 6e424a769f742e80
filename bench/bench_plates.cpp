// The repaint of the plate plot: a plate of 500 objects with their motions,
// with and without the coordinate net, drawn into a window-sized picture
// through the drawing interface (what every paint of the window does), and
// the net alone on the recording context.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>

#include "framework/qtdc.h"
#include "framework/recorddc.h"
#include "zelvo/observations/platedata.h"
#include "zelvo/observations/platenet.h"
#include "zelvo/observations/plateplot.h"

namespace {

constexpr double kPi = 3.141592653589793;

const char* kPlate = "BENCH          2025 09 21.50000 00 10 00.00 +01 00 00.0   040.0   06.0       500";

std::vector<zelvo::PlateObjectRecord> objects(int n) {
    std::vector<zelvo::PlateObjectRecord> out;
    for (int k = 0; k < n; ++k) {
        zelvo::PlateObjectRecord r;
        std::snprintf(r.name.data(), r.name.size(), "%5d Object", k + 1);
        const double ra = (24 - 0.5 + std::fmod(k * 0.618034, 1.0)) * 60;  // minutes of time around 0h10m
        r.raHours = static_cast<int>(ra / 60) % 24;
        r.raMinutes = static_cast<int>(std::fmod(ra, 60));
        r.raSeconds = std::fmod(k * 7.31, 60);
        r.declSign = k % 3 == 0 ? '-' : ' ';
        r.declDegrees = k % 5;
        r.declMinutes = (k * 13) % 60;
        r.declSeconds = std::fmod(k * 3.7, 60);
        r.magnitude = 12 + std::fmod(k * 0.37, 6);
        r.motionXi = 4e-3 * std::cos(k);
        r.motionEta = 2e-3 * std::sin(k);
        out.push_back(r);
    }
    return out;
}

QGuiApplication& app() {
    static int argc = 1;
    static char name[] = "bench_plates";
    static char* argv[] = {name, nullptr};
    static QGuiApplication a(argc, argv);
    return a;
}

void BM_PlateRepaint(benchmark::State& state) {
    app();
    zelvo::PlatePicture pic(kPlate, objects(500));
    pic.netOn = state.range(0) != 0;
    pic.motionOn = true;
    pic.layout(800, 600);
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state) {
        fw::QtDc dc(&image);
        pic.draw(dc);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(pic.netOn ? "with net" : "without net");
}
BENCHMARK(BM_PlateRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PlateNetRecorded(benchmark::State& state) {
    app();
    zelvo::PlatePicture pic(kPlate, {});
    pic.layout(800, 600);
    fw::RecordingDc probe;
    pic.draw(probe);
    const zelvo::PlateGeometry g = pic.geometry();
    for (auto _ : state) {
        fw::RecordingDc dc;
        zelvo::PlateNet net(g, zelvo::NetMode::Ordinary);
        net.draw(dc);
        benchmark::DoNotOptimize(net.stats().dots);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlateNetRecorded)->Unit(benchmark::kMicrosecond);

}  // namespace
