// One step of the track view's drawing: a step pass of three objects (at
// most ten trial positions each) on the window's picture, with the positions
// of a scripted sky (the library's own cost is measured in bench_track), and
// a whole picture of three tracks over a year into a metafile; and the whole
// picture of one object's track over a year outside the package years with
// the real library, from a library that has computed nothing for it yet (run
// in the working directory of a built data package, or give it in
// ZELVO_PACKAGE_WORK).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cmath>
#include <cstdlib>

#include "framework/emfdc.h"
#include "framework/qtdc.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/trackplot.h"

namespace {

void ensure_app() {
    static int argc = 1;
    static char name[] = "bench_trackview";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

// Three objects moving across the sky at different speeds.
class Sky final : public zelvo::Library {
public:
    void MoonSun(int n, double jd, double* out) override {
        const double t = jd - 2460676.5;
        const double rate = 0.004 * n;
        out[0] = std::fmod(1.0 + n + rate * t + 0.05 * std::sin(t / 40.0), 2 * M_PI);
        out[1] = 0.3 * std::sin(t / 90.0 + n);
        out[2] = rate + 0.05 / 40.0 * std::cos(t / 40.0);
        out[3] = 0.3 / 90.0 * std::cos(t / 90.0 + n);
        out[4] = 9.0;
    }
    void DateT(short, double v, double& r) override { r = v; }
    std::string setpat() override { return {}; }
    std::string obspat() override { return {}; }
    void obswri() override {}
    std::string inpo() override { return {}; }
    void obsbak() override {}
    void obsba1() override {}
    void sea_ob1(int, const char*, int, int&) override {}
    void cntl(int, int, int&, int&, int&, int&, const char*, int) override {}
    void O_C(int, int, const int*, int, int&, int&, int&, zelvo::ProgressCallback) override {}
    void IdCalc(int&, int&, int&, double, double, zelvo::ProgressCallback) override {}
    void PltCalc(const char*, int, double, int&) override {}
    void Separate(double, double, int, int&) override {}
    void progr(int&, int&, int&, zelvo::ProgressStepCallback) override {}
    void contreph(int, char*, int, int&, double&, int&) override {}
    void restr(const std::string&, const std::string&, const std::string&, int*, int*, int&) override {}
    void contr_vv(int, char*, int, int&, double&) override {}
    void confl(int&, int*) override {}
    void sea_obs(const char*, int, int&, std::string&) override {}
    std::string lastError() override { return {}; }
    void cnto(int, const char*, int, int&, int&) override {}
    void obscl(int, const char*, int, const char*, int, char*, int, char*, int) override {}
    void Control(int, char*, int, int&, double&, int&) override {}
    void namn1(char*, unsigned, int&) override {}
    void NamePl(short, int&) override {}
    void NElem(int, double*) override {}
    void TXYZ(const double*, double, double&, double&, double&, double) override {}
    void Track(const int*, double, double, double&, double&, double&, double&, double&) override {}
    void Moid(const double*, double, const double*, double, double&) override {}
    void CT(const double*, double, const double*, double, double&) override {}
    void dphot(int, int, double, double&) override {}
    void t_per(double, double, double, double&, double&) override {}
    void t_as_ds(double, double, double, double, double, double&, double&, double&, double&) override {}
    void soizm(double, double, int, int, int, int&, int&) override {}
    void Closlae() override {}
};

void setUp(zelvo::track::TrackPicture& pic) {
    pic.ObjectNumber = {1, 2, 3};
    pic.ObjectName = {"1", "2", "3"};
    pic.StartJd = pic.ShownJd = 2460676.5;
    pic.EndJd = pic.StartJd + 365.0;
    pic.updateScales();
    pic.GridOn = true;
    pic.FrameOnly = false;
}

void BM_TraceStep(benchmark::State& state) {
    ensure_app();
    Sky sky;
    zelvo::track::TrackPicture pic(sky);
    setUp(pic);
    fw::MemoryDc work(1200, 800);
    long long steps = 0;
    for (auto _ : state) {
        if (!pic.tracksRunning()) {
            state.PauseTiming();
            pic.render(zelvo::track::Pass::Frame, work.dc(), 1200, 800, true);
            pic.render(zelvo::track::Pass::Start, work.dc(), 1200, 800, false);
            state.ResumeTiming();
        }
        pic.render(zelvo::track::Pass::Step, work.dc(), 1200, 800, false);
        ++steps;
    }
    state.SetItemsProcessed(steps);
    state.counters["positions"] =
        benchmark::Counter(static_cast<double>(pic.positionCalls()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TraceStep);

void BM_WholePictureToMetafile(benchmark::State& state) {
    ensure_app();
    Sky sky;
    for (auto _ : state) {
        zelvo::track::TrackPicture pic(sky);
        setUp(pic);
        pic.MetafileMode = true;
        fw::EmfDc emf({1200, 800, 96, 96});
        pic.render(zelvo::track::Pass::Whole, emf, 1200, 800, true);
        benchmark::DoNotOptimize(emf.bytes().size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WholePictureToMetafile);

// Arguments: the object's number and the year.
void BM_WholeTrackOfTheLibrary(benchmark::State& state) {
    ensure_app();
    if (const char* dir = std::getenv("ZELVO_PACKAGE_WORK"); dir != nullptr && ::chdir(dir) != 0) {
        state.SkipWithError("ZELVO_PACKAGE_WORK cannot be entered");
        return;
    }
    zelvo::ZelvomatLibrary lib;
    const int number = static_cast<int>(state.range(0));
    const double year = static_cast<double>(state.range(1));
    long long positions = 0;
    for (auto _ : state) {
        // The settings loaded again: the library starts from nothing.
        if (!lib.inpo().empty()) {
            state.SkipWithError("no data package here (set ZELVO_PACKAGE_WORK to a package's work directory)");
            return;
        }
        zelvo::track::TrackPicture pic(lib);
        pic.ObjectNumber = {number, 0, 0};
        pic.ObjectName = {std::to_string(number), "", ""};
        double step = 0, w[4] = {};
        lib.Track(pic.ObjectNumber.data(), year * 10000.0 + 101.0, (year + 1.0) * 10000.0 + 101.0, step, w[0], w[1],
                  w[2], w[3]);
        lib.DateT(1, year * 10000.0 + 101.0, pic.StartJd);
        lib.DateT(1, (year + 1.0) * 10000.0 + 101.0, pic.EndJd);
        pic.ShownJd = pic.StartJd;
        pic.updateScales();
        pic.GridOn = true;
        pic.FrameOnly = false;
        fw::EmfDc emf({1200, 800, 96, 96});
        pic.render(zelvo::track::Pass::Whole, emf, 1200, 800, true);
        benchmark::DoNotOptimize(emf.bytes().size());
        positions += pic.positionCalls();
    }
    if (!lib.lastError().empty()) state.SkipWithError("the library failed");
    state.counters["positions"] =
        benchmark::Counter(static_cast<double>(positions) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_WholeTrackOfTheLibrary)->Args({1, 2000})->Args({4, 2040})->Unit(benchmark::kMillisecond);

}  // namespace
