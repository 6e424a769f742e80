// The field check of the set-up dialogs: one call per field the user leaves.
// A text field (kind 7, longitude), a date (kind 5, with the calendar round
// trip) and an observatory code (kind 6, which opens "setpar" and
// "observat.dat" at each call).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "zelvomat/zelvomat.h"

namespace fs = std::filesystem;

namespace {

void run_kind(benchmark::State& state, int kind, const std::string& typed, int len) {
    std::string buf = typed;
    buf.resize(static_cast<std::size_t>(len), ' ');
    int err = 0, aux = 0;
    double value = 0.0;
    for (auto _ : state) {
        std::string field = buf;
        contreph(kind, field.data(), len, &err, &value, &aux);
        benchmark::DoNotOptimize(value);
    }
    if (err != 0) state.SkipWithError("the field was refused");
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

static void BM_ContrephLongitude(benchmark::State& state) { run_kind(state, 7, " 204.527801", 9); }
BENCHMARK(BM_ContrephLongitude);

static void BM_ContrephDate(benchmark::State& state) { run_kind(state, 5, "20240229.75", 14); }
BENCHMARK(BM_ContrephDate);

static void BM_ContrephObservatory(benchmark::State& state) {
    const fs::path home = fs::current_path();
    std::string dir = (fs::temp_directory_path() / "bench-contreph-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) {
        state.SkipWithError("mkdtemp");
        return;
    }
    fs::current_path(dir);
    // setpar: record 4 the data directory; observat.dat: 600 records of 78
    // bytes (number, three doubles, name), the record of 568 with values.
    std::vector<char> setpar(14 * 80, ' ');
    const std::string data_dir = dir + "/";
    std::memcpy(setpar.data() + 3 * 80, data_dir.data(), data_dir.size());
    std::vector<char> list(78 * 600, ' ');
    for (int n = 0; n < 600; ++n) {
        char* r = list.data() + 78 * n;
        r[0] = static_cast<char>(n & 0xFF);
        r[1] = static_cast<char>(n >> 8);
        const double v[3] = {n == 568 ? 204.5278 : 0.0, n == 568 ? 0.94171 : 0.0, n == 568 ? 0.33725 : 0.0};
        std::memcpy(r + 2, v, sizeof v);  // little-endian host
    }
    {
        FILE* f = std::fopen("setpar", "wb");
        std::fwrite(setpar.data(), 1, setpar.size(), f);
        std::fclose(f);
        f = std::fopen("observat.dat", "wb");
        std::fwrite(list.data(), 1, list.size(), f);
        std::fclose(f);
    }
    run_kind(state, 6, "568", 3);
    fs::current_path(home);
    fs::remove_all(dir);
}
BENCHMARK(BM_ContrephObservatory);
