// Observatory codes and the rebuilding of the record list.
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

// obs_n and n_obs over every code 000 .. Z99 (the O-C and identification
// drivers read one code per observation line).
static void BM_ObsCodeRoundTrip(benchmark::State& state) {
    std::vector<std::string> codes;
    for (int n = 0; n <= zelvomat::kMaxObservatoryNumber; ++n) codes.push_back(zelvomat::n_obs(n));
    for (auto _ : state) {
        int sum = 0;
        for (const auto& c : codes) sum += *zelvomat::obs_n(c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(codes.size()));
}
BENCHMARK(BM_ObsCodeRoundTrip);

// obswri on a full list of 3600 lines (000 .. Z99).
static void BM_Obswri(benchmark::State& state) {
    const fs::path home = fs::current_path();
    std::string dir = (fs::temp_directory_path() / "bench-obs-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) {
        state.SkipWithError("mkdtemp");
        return;
    }
    fs::current_path(dir);
    std::vector<std::uint8_t> setpar(14 * 80, ' ');
    const std::string data_dir = dir + "/";
    std::memcpy(setpar.data() + 3 * 80, data_dir.data(), data_dir.size());
    (void)zelvomat::io::write_file_bytes("setpar", setpar);
    std::string list;
    for (int n = 0; n <= zelvomat::kMaxObservatoryNumber; ++n) {
        std::string line = zelvomat::n_obs(n) + " 289.595690.909943-0.414336Cerro Paranal";
        line.resize(79, ' ');
        list += line;
    }
    (void)zelvomat::io::write_file_bytes("observa1.dat", std::vector<std::uint8_t>(list.begin(), list.end()));
    for (auto _ : state) {
        obswri();
        if (errmsg(nullptr, 0) != 0) state.SkipWithError("obswri failed");
    }
    state.SetItemsProcessed(state.iterations() * (zelvomat::kMaxObservatoryNumber + 1));
    fs::current_path(home);
    fs::remove_all(dir);
}
BENCHMARK(BM_Obswri)->Unit(benchmark::kMillisecond);
