// Osculating elements from the yearly element files: elmnt per call.
//
// The fixture is a package of realistic size written into a temporary
// directory: 1000 objects with 12 sets a year (one every 30 days) in each of
// five package years 2020-2024. Calls ask random objects at random dates of
// the span served by the files.
//
//   BM_Elmnt                 the files mapped once and kept between calls
//   BM_ElmntRemapEachCall    the mappings dropped before every call
//   BM_OpenReadClosePerCall  the I/O of opening both files, reading the
//                            index record and one el record, and closing
//                            them on every call (no search), for comparison
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/corestate.h"
#include "core/datajd.h"
#include "core/elemcache.h"
#include "core/elmnt.h"
#include "core/setpar.h"
#include "io/files.h"
#include "io/recfile.h"

namespace {

constexpr std::int32_t kObjects = 1000;
constexpr int kSetsPerYear = 12;
constexpr int kFirstYear = 2020;
constexpr int kLastYear = 2024;

double jd_of(int y, int m, int d) {
    std::int32_t j = 0;
    double f = 0;
    zelvomat::caljd(y, m, d, 0.0, j, f, zelvomat::DayStart::Civil);
    return j + f;
}

struct Fixture {
    std::string dir;  // ending with "/"
    std::vector<std::int32_t> numbers;
    std::vector<double> dates;
    std::unique_ptr<zelvomat::CoreState> core = std::make_unique<zelvomat::CoreState>();
    bool ok = false;
    Fixture() = default;
    Fixture(Fixture&& o) noexcept = default;
    ~Fixture() {
        std::error_code ec;
        if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
};

Fixture& fixture() {
    static Fixture f = [] {
        Fixture fx;
        std::string tmpl = (std::filesystem::temp_directory_path() / "zelvo-bench-elmnt-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) return fx;
        fx.dir = tmpl + "/";
        if (::chdir(tmpl.c_str()) != 0) return fx;

        zelvomat::PackageSettings s;
        s.data_dir = fx.dir;
        s.params.catalogue_epoch = jd_of(2022, 8, 1);
        s.params.objects = kObjects;
        s.params.numbered = kObjects;
        s.params.first_year = kFirstYear;
        s.params.last_year = kLastYear;
        s.element_values = {1000000, 1000000, 1000000, 1000000, 1000000};
        auto bytes = zelvomat::encode_settings(s);
        if (!bytes || !zelvomat::io::write_file_bytes(std::string(zelvomat::files::kSettings), *bytes).ok()) return fx;

        std::mt19937 rng(12345);
        std::uniform_real_distribution<double> phase(0.0, 30.0), angle(0.0, 6.283185307179586);
        const double n_rad = 0.25 / 57.29577951308232;
        for (int year = kFirstYear; year <= kLastYear; ++year) {
            zelvomat::YearlyElementsWriter w(kObjects);
            const double start = jd_of(year, 1, 1);
            for (std::int32_t n = 1; n <= kObjects; ++n) {
                std::vector<zelvomat::ElementSet> sets;
                const double p = phase(rng);
                for (int i = 0; i < kSetsPerYear; ++i)
                    sets.push_back({start + p + 30.0 * i, angle(rng), angle(rng), angle(rng), 0.2, 0.1, n_rad});
                if (!w.add(n, sets).ok()) return fx;
            }
            if (!w.write(fx.dir, year).ok()) return fx;
        }
        if (!zelvomat::in_par(*fx.core).ok()) return fx;

        const zelvomat::PackageInfo& info = fx.core->package;
        std::uniform_int_distribution<std::int32_t> object(1, kObjects);
        std::uniform_real_distribution<double> date(info.j1 - 70.0, info.j2 + 69.0);
        for (int i = 0; i < 4096; ++i) {
            fx.numbers.push_back(object(rng));
            fx.dates.push_back(date(rng));
        }
        fx.ok = true;
        return fx;
    }();
    return f;
}

}  // namespace

static void BM_Elmnt(benchmark::State& state) {
    Fixture& fx = fixture();
    if (!fx.ok) {
        state.SkipWithError("the fixture package could not be written");
        return;
    }
    zelvomat::OrbitElementsArray el{};
    zelvomat::ElementFlags flags;
    std::size_t i = 0, catalogue = 0;
    for (auto _ : state) {
        if (!zelvomat::elmnt(*fx.core, fx.numbers[i], fx.dates[i], 0, el, flags, fx.dir).ok()) {
            state.SkipWithError("elmnt failed");
            break;
        }
        catalogue += flags.from_catalogue;
        benchmark::DoNotOptimize(el);
        i = (i + 1) % fx.numbers.size();
    }
    state.counters["fallbacks"] = static_cast<double>(catalogue);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Elmnt);

static void BM_ElmntRemapEachCall(benchmark::State& state) {
    Fixture& fx = fixture();
    if (!fx.ok) {
        state.SkipWithError("the fixture package could not be written");
        return;
    }
    zelvomat::OrbitElementsArray el{};
    zelvomat::ElementFlags flags;
    std::size_t i = 0;
    for (auto _ : state) {
        zelvomat::close_element_files(fx.core->element_cache);
        if (!zelvomat::elmnt(*fx.core, fx.numbers[i], fx.dates[i], 0, el, flags, fx.dir).ok()) {
            state.SkipWithError("elmnt failed");
            break;
        }
        benchmark::DoNotOptimize(el);
        i = (i + 1) % fx.numbers.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ElmntRemapEachCall);

static void BM_OpenReadClosePerCall(benchmark::State& state) {
    Fixture& fx = fixture();
    if (!fx.ok) {
        state.SkipWithError("the fixture package could not be written");
        return;
    }
    using zelvomat::io::RecordFile;
    const std::string ad = fx.dir + zelvomat::files::yearly_index(2022);
    const std::string elf = fx.dir + zelvomat::files::yearly_elements(2022);
    std::uint8_t word[zelvomat::yearly::kIndexRecord];
    std::vector<std::uint8_t> rec(zelvomat::yearly::kSetsRecord);
    std::size_t i = 0;
    for (auto _ : state) {
        auto a = RecordFile::open(ad, zelvomat::yearly::kIndexRecord, zelvomat::io::OpenMode::Read);
        auto e = RecordFile::open(elf, zelvomat::yearly::kSetsRecord, zelvomat::io::OpenMode::Read);
        if (!a || !e || !a->read(fx.numbers[i], word).ok() ||
            !e->read((fx.numbers[i] - 1) * kSetsPerYear / 40 + 1, rec).ok()) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(rec.data());
        i = (i + 1) % fx.numbers.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenReadClosePerCall);
