// O-C residuals per observation line with each motion model, on the full
// package (tools/make_package.sh build build/package): the work directory is
// ZELVO_PACKAGE_WORK, or ZELVO_SOURCE_DIR/build/package/work.
//
// The run happens in a scratch working directory with a copy of the
// package's "setpar", "omc.cfg" for the catalogue and 50 lines of "input.oc1":
// ten catalogued minor planets at five dates, from Greenwich (000).
// Items per second are observation lines (the whole call: settings, header,
// files and the lines).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "zelvomat/zelvomat.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLines = 50;

// Removes the scratch directory when the program ends.
struct Scratch {
    std::string dir;
    ~Scratch() {
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
};

// A scratch working directory for the runs; empty when there is no package.
std::string scratch() {
    static Scratch s{[] {
        const char* env = std::getenv("ZELVO_PACKAGE_WORK");
        const fs::path work = env != nullptr ? fs::path(env) : fs::path(ZELVO_SOURCE_DIR) / "build/package/work";
        if (!fs::exists(work / "setpar")) return std::string();
        const fs::path d = fs::temp_directory_path() / ("zelvo-bench-oc-" + std::to_string(::getpid()));
        fs::create_directories(d);
        fs::copy_file(work / "setpar", d / "setpar", fs::copy_options::overwrite_existing);
        std::ofstream(d / "omc.cfg", std::ios::binary) << "ZELV" << std::string(1414, ' ');
        std::ofstream in(d / "input.oc1", std::ios::binary);
        const int objects[] = {1, 2, 3, 4, 7, 10, 433, 1036, 1566, 4179};
        for (int i = 0; i < kLines; ++i) {
            char l[96];
            std::snprintf(l, sizeof l, "%05d         C2022 %02d %02d.%05d 10 20 30.12 +15 30 45.1%22s000\r\n",
                          objects[i % 10], 8 + i / 10 % 3, 1 + i % 28, 12345 + 37 * i, "");
            in << l;
        }
        return d.string();
    }()};
    return s.dir;
}

void BM_OcPerLine(benchmark::State& state) {
    const std::string dir = scratch();
    if (dir.empty()) {
        state.SkipWithError("no package (build it with tools/make_package.sh build build/package)");
        return;
    }
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    const int model = static_cast<int>(state.range(0));
    std::array<int, 12> perturbers{1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (auto _ : state) {
        int count = 0, first = 1, last = kLines;
        O_C(111, model, perturbers.data(), 1, &count, &first, &last, nullptr);
        if (errmsg(nullptr, 0) != 0 || count != kLines) {
            state.SkipWithError("O_C failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
    fs::current_path(old);
}
BENCHMARK(BM_OcPerLine)->Arg(0)->Arg(1)->Arg(2)->ArgName("model")->Unit(benchmark::kMillisecond);

}  // namespace
