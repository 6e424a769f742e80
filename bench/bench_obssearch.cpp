// The observatory search over a full list of 3600 observatories (000 .. Z99),
// as the search dialog runs it at every change of its fragment.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "io/recfile.h"
#include "tasks/obsfiles.h"
#include "zelvomat/zelvomat.h"

namespace fs = std::filesystem;

namespace {

// A working directory with "setpar" and both lists; removed at the end.
class FullList {
public:
    FullList() : home_(fs::current_path()) {
        dir_ = (fs::temp_directory_path() / "bench-obssearch-XXXXXX").string();
        if (::mkdtemp(dir_.data()) == nullptr) return;
        fs::current_path(dir_);
        std::vector<std::uint8_t> setpar(14 * 80, ' ');
        const std::string data_dir = dir_ + "/";
        std::memcpy(setpar.data() + 3 * 80, data_dir.data(), data_dir.size());
        (void)zelvomat::io::write_file_bytes("setpar", setpar);
        std::string list;
        for (int n = 0; n <= zelvomat::kMaxObservatoryNumber; ++n) {
            // Every 100th observatory is a "Paranal" one.
            std::string line = zelvomat::n_obs(n) + " 289.595690.909943-0.414336" +
                               (n % 100 == 0 ? "Cerro Paranal" : "Mount Observatory " + std::to_string(n));
            line.resize(79, ' ');
            list += line;
        }
        (void)zelvomat::io::write_file_bytes("observa1.dat", std::vector<std::uint8_t>(list.begin(), list.end()));
        obswri();
        ok_ = errmsg(nullptr, 0) == 0;
    }
    ~FullList() {
        fs::current_path(home_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    bool ok() const { return ok_; }

private:
    fs::path home_;
    std::string dir_;
    bool ok_ = false;
};

void run_search(benchmark::State& state, const std::string& fragment) {
    FullList list;
    if (!list.ok()) {
        state.SkipWithError("no observatory list");
        return;
    }
    char name[16];
    int count = 0;
    for (auto _ : state) {
        sea_obs(fragment.data(), static_cast<int>(fragment.size()), &count, name, sizeof name);
        benchmark::DoNotOptimize(count);
    }
    state.counters["matches"] = count;
    state.SetItemsProcessed(state.iterations() * (zelvomat::kMaxObservatoryNumber + 1));
}

}  // namespace

// A fragment that 36 observatories contain.
static void BM_SeaObsFragment(benchmark::State& state) { run_search(state, "  PARANAL "); }
BENCHMARK(BM_SeaObsFragment)->Unit(benchmark::kMillisecond);

// The blank fragment: every observatory is written out.
static void BM_SeaObsAll(benchmark::State& state) { run_search(state, ""); }
BENCHMARK(BM_SeaObsAll)->Unit(benchmark::kMillisecond);

// sea_ob1 by code: one line read and written.
static void BM_SeaOb1Code(benchmark::State& state) {
    FullList list;
    if (!list.ok()) {
        state.SkipWithError("no observatory list");
        return;
    }
    int found = 0;
    for (auto _ : state) {
        sea_ob1(1, "E12", 3, &found);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_SeaOb1Code)->Unit(benchmark::kMicrosecond);
