// The line check and the parser of observation lines over a list of lines of
// one observatory (the O-C and identification inputs), and the line check
// over lines that change observatory at every line.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "io/recfile.h"
#include "tasks/libstate.h"
#include "tasks/linecheck.h"
#include "tasks/obsfiles.h"
#include "tasks/obsline.h"
#include "zelvomat/zelvomat.h"

namespace fs = std::filesystem;

namespace {

// A working directory with "setpar" (data directory, package 2023-2027) and a
// full observatory list 000 .. Z99 whose every line holds Cerro Paranal's
// values; removed when the object goes.
class Package {
public:
    Package() : home_(fs::current_path()) {
        std::string dir = (fs::temp_directory_path() / "bench-lines-XXXXXX").string();
        if (::mkdtemp(dir.data()) == nullptr) return;
        dir_ = dir;
        fs::current_path(dir_);
        std::vector<std::uint8_t> setpar(14 * 80, 0);
        const std::string data_dir = dir + "/";
        std::memset(setpar.data() + 3 * 80, ' ', 80);
        std::memcpy(setpar.data() + 3 * 80, data_dir.data(), data_dir.size());
        setpar[5 * 80 + 20] = 2023 & 0xff;
        setpar[5 * 80 + 21] = 2023 >> 8;
        setpar[5 * 80 + 22] = 2027 & 0xff;
        setpar[5 * 80 + 23] = 2027 >> 8;
        (void)zelvomat::io::write_file_bytes("setpar", setpar);
        std::string list;
        for (int n = 0; n <= zelvomat::kMaxObservatoryNumber; ++n) {
            std::string line = zelvomat::n_obs(n) + " 289.595690.909943-0.414336Cerro Paranal";
            line.resize(79, ' ');
            list += line;
        }
        (void)zelvomat::io::write_file_bytes("observa1.dat", std::vector<std::uint8_t>(list.begin(), list.end()));
        obswri();
        ok_ = errmsg(nullptr, 0) == 0;
    }
    ~Package() {
        fs::current_path(home_);
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    bool ok() const { return ok_; }
    std::string records() const { return dir_ + "/observat.dat"; }

private:
    fs::path home_;
    std::string dir_;
    bool ok_ = false;
};

// 1000 observation lines of one night, in the Minor Planet Center's format.
std::vector<std::string> night_lines(bool change_code) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) {
        char buf[96];
        std::snprintf(
            buf, sizeof buf, "     K25A00A  C2025 03 10.%05d 10 %02d %05.2f +15 30 45.1          18.5 R      %s",
            10000 + 50 * i, i % 60, (i * 7) % 6000 / 100.0, change_code ? zelvomat::n_obs(i % 3600).c_str() : "309");
        lines.emplace_back(buf);
    }
    return lines;
}

void BM_LineCheckOneObservatory(benchmark::State& state) {
    zelvomat::LibraryState lib;
    zelvomat::ScopedLibraryState current(lib);
    Package pkg;
    if (!pkg.ok()) return state.SkipWithError("package");
    const auto lines = night_lines(false);
    for (auto _ : state) {
        int bad = 0;
        for (const auto& l : lines) {
            int err = 0, first = 0, last = 0, layout = 0;
            cntl(3, 1, &err, &first, &last, &layout, l.data(), static_cast<int>(l.size()));
            bad += err != 0;
        }
        if (bad != 0) return state.SkipWithError("a line was refused");
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_LineCheckOneObservatory)->Unit(benchmark::kMicrosecond);

void BM_LineCheckChangingObservatory(benchmark::State& state) {
    zelvomat::LibraryState lib;
    zelvomat::ScopedLibraryState current(lib);
    Package pkg;
    if (!pkg.ok()) return state.SkipWithError("package");
    const auto lines = night_lines(true);
    for (auto _ : state) {
        for (const auto& l : lines) {
            int err = 0, first = 0, last = 0, layout = 0;
            cntl(3, 1, &err, &first, &last, &layout, l.data(), static_cast<int>(l.size()));
            benchmark::DoNotOptimize(err);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_LineCheckChangingObservatory)->Unit(benchmark::kMicrosecond);

void BM_ParseOneObservatory(benchmark::State& state) {
    zelvomat::LibraryState lib;
    zelvomat::ScopedLibraryState current(lib);
    Package pkg;
    if (!pkg.ok()) return state.SkipWithError("package");
    auto f = zelvomat::io::RecordFile::open(pkg.records(), 78, zelvomat::io::OpenMode::Read);
    if (!f) return state.SkipWithError("observat.dat");
    const auto lines = night_lines(false);
    for (auto _ : state) {
        for (const auto& l : lines)
            if (!zelvomat::contr_s1(lib, *f, l, zelvomat::kTaskOc, 1).ok()) return state.SkipWithError("parse");
        benchmark::DoNotOptimize(lib.parsed_observation.angle1_rad);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_ParseOneObservatory)->Unit(benchmark::kMicrosecond);

}  // namespace
