// Geodetic conversions and the frame of a track plot.
#include <benchmark/benchmark.h>

#include <cmath>

#include "core/tframe.h"
#include "tasks/frob.h"
#include "tasks/geodesy.h"

namespace {

// Rectangular to geodetic (the iterated conversion), sites over all latitudes.
void BM_RectangularToGeodetic(benchmark::State& state) {
    double lat = -89.0;
    for (auto _ : state) {
        double x = 0, y = 0, z = 0, h = 0, phi = 0, lon = 0;
        zelvomat::GEODESY(1500.0, lat * 3600.0, 3600.0, zelvomat::PointForm::Geodetic, zelvomat::PointForm::Rectangular,
                          x, y, z);
        zelvomat::GEODESY(x, y, z, zelvomat::PointForm::Rectangular, zelvomat::PointForm::Geodetic, h, phi, lon);
        benchmark::DoNotOptimize(h);
        lat = lat > 89.0 ? -89.0 : lat + 0.7;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RectangularToGeodetic);

void BM_Frob(benchmark::State& state) {
    char out[12];
    for (auto _ : state) {
        zelvomat::Frob(1, 1, "0.94171  ", "+0.33725 ", 19.82137, out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Frob);

// The frame computation itself, over a cheap direction (the real direction
// costs a two-body solution and a planetary-ephemeris read per grid date).
void BM_TframeGrid(benchmark::State& state) {
    const zelvomat::DirectionAt dir = [](double jd) -> zelvomat::Result<zelvomat::TrackDirection> {
        return zelvomat::TrackDirection{std::fmod(jd * 0.01, 6.283185307179586), 0.3};
    };
    for (auto _ : state) {
        auto g = zelvomat::tframe(2451545.0, 2451945.0, dir);
        benchmark::DoNotOptimize(g);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TframeGrid);

}  // namespace
