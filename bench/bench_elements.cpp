// The element list on the bundled catalogue: building the two caches,
// listing the whole catalogue with and without a query (one with the Earth
// MOID of every object), sorting the list by a value column and by name, and
// exporting it.
//
// Run with ZELVO_PACKAGE_WORK set to the working directory of a built data
// package (tools/make_package.sh BUILD OUT: OUT/work). The package is not
// touched: the caches are built in a directory of their own beside links to
// the four catalogue files. The "Full" cases run on a catalogue of the same
// size in which every number holds an object (the present objects of the
// package repeated), the largest list a catalogue of this size can give;
// BM_MoidColumn1400k on one of 1.4 million objects made the same way.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zelvo/app/library.h"
#include "zelvo/graphics/elcache.h"
#include "zelvo/graphics/elexport.h"
#include "zelvo/graphics/ellist.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo::elements;

struct Catalogue {
    CatalogueSettings settings;
    std::shared_ptr<CatalogueCache> cache;
};

// A directory of the bench's own, removed when the program ends.
struct BenchDir {
    fs::path path = fs::temp_directory_path() / ("zelvo-bench-elements-" + std::to_string(::getpid()));
    BenchDir() { fs::create_directories(path); }
    ~BenchDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};
BenchDir the_dir;

const fs::path& bench_dir() { return the_dir.path; }

// The package's settings, or nothing (with the reason given to state).
std::optional<CatalogueSettings> package_settings(benchmark::State& state) {
    const char* work = std::getenv("ZELVO_PACKAGE_WORK");
    if (work == nullptr || ::chdir(work) != 0) {
        state.SkipWithError("set ZELVO_PACKAGE_WORK to the work directory of a built package");
        return std::nullopt;
    }
    auto s = ReadCatalogueSettings(std::string(work) + "/setpar");
    if (!s) state.SkipWithError("the package has no readable settings");
    return s;
}

// The bundled catalogue: links to its files in a directory of the bench.
const Catalogue* bundled(benchmark::State& state) {
    static std::unique_ptr<Catalogue> c;
    if (c) return c.get();
    auto s = package_settings(state);
    if (!s) return nullptr;
    const fs::path dir = bench_dir() / "bundled";
    fs::create_directories(dir);
    for (const char* f : {"elinm", "elih", "elig", "elitel"}) {
        std::error_code ec;
        fs::create_symlink(s->dataDir + f, dir / f, ec);
    }
    c = std::make_unique<Catalogue>();
    c->settings = *s;
    c->settings.dataDir = dir.string() + "/";
    c->cache = std::make_shared<CatalogueCache>();
    if (!c->cache->openOrBuild(c->settings)) {
        state.SkipWithError("the caches cannot be built");
        c.reset();
    }
    return c.get();
}

// A catalogue of objects records (the bundled one's size for 0) whose every
// number holds an object: the present objects of the bundled one in turn,
// under names of their own.
const Catalogue* repeated(benchmark::State& state, std::int32_t objects) {
    static std::map<std::int32_t, std::unique_ptr<Catalogue>> made;
    std::unique_ptr<Catalogue>& c = made[objects];
    if (c) return c.get();
    const Catalogue* b = bundled(state);
    if (b == nullptr) return nullptr;
    const std::int32_t total = objects > 0 ? objects : b->settings.objects;
    std::ifstream names(b->settings.dataDir + "elinm", std::ios::binary), mags(b->settings.dataDir + "elih"),
        elems(b->settings.dataDir + "elitel", std::ios::binary);
    std::vector<std::string> n, h, e;
    for (std::int32_t r = 0; r < b->settings.objects; ++r) {
        std::string nr(18, ' '), hr(5, ' '), er(48, '\0');
        names.read(nr.data(), 18);
        mags.read(hr.data(), 5);
        elems.read(er.data(), 48);
        if (!b->cache->record(r).absent()) {
            n.push_back(nr);
            h.push_back(hr);
            e.push_back(er);
        }
    }
    const fs::path dir = bench_dir() / ("full" + std::to_string(total));
    fs::create_directories(dir);
    std::ofstream on(dir / "elinm", std::ios::binary), oh(dir / "elih", std::ios::binary),
        oe(dir / "elitel", std::ios::binary), og(dir / "elig", std::ios::binary);
    for (std::int32_t r = 0; r < total; ++r) {
        const std::size_t k = static_cast<std::size_t>(r) % n.size();
        std::string name = n[k].substr(0, 10) + std::to_string(r);
        name.resize(18, ' ');
        on.write(name.data(), 18);
        oh.write(h[k].data(), 5);
        oe.write(e[k].data(), 48);
    }
    on.close();
    oh.close();
    oe.close();
    og.close();
    c = std::make_unique<Catalogue>();
    c->settings = b->settings;
    c->settings.dataDir = dir.string() + "/";
    c->settings.objects = total;
    c->settings.numbered = total;
    c->settings.slopeCount = 0;
    c->cache = std::make_shared<CatalogueCache>();
    if (!c->cache->openOrBuild(c->settings)) {
        state.SkipWithError("the full caches cannot be built");
        c.reset();
    }
    return c.get();
}

const Catalogue* full(benchmark::State& state) { return repeated(state, 0); }

zelvo::ZelvomatLibrary& library() {
    static zelvo::ZelvomatLibrary lib;
    return lib;
}

ElementListSetup plain_setup(const Catalogue& c) {
    ElementListSetup s;
    s.numbered = c.settings.numbered;
    s.derived.catalogueEpochJd = c.settings.epochJd;
    return s;
}

// e from 0.1 to 0.3 and i at most 20 degrees.
ElementListSetup element_query(const Catalogue& c) {
    ElementListSetup s = plain_setup(c);
    QueryRow& e = s.query.rows[kE];
    e.flags = kLower | kUpper | kJoined;
    e.lower = 0.1;
    e.upper = 0.3;
    QueryRow& i = s.query.rows[kIncl];
    i.flags = kUpper;
    i.upper = 20;
    return s;
}

// The MOID with the Earth of every object.
ElementListSetup moid_column(const Catalogue& c) {
    ElementListSetup s = plain_setup(c);
    s.query.QueryFunctionCode = kCodeMoid;
    s.derived.fixedObjectNumber = -3;
    library().NElem(3 - 100, s.derived.fixedObjectElements.data());
    return s;
}

// MOID with the Earth at most 0.7 AU.
ElementListSetup moid_query(const Catalogue& c) {
    ElementListSetup s = plain_setup(c);
    s.query.QueryFunctionCode = kCodeMoid;
    s.derived.fixedObjectNumber = -3;
    library().NElem(3 - 100, s.derived.fixedObjectElements.data());
    QueryRow& f = s.query.rows[kFunction];
    f.flags = kUpper;
    f.upper = 0.7;
    return s;
}

void run_list(benchmark::State& state, const Catalogue* c, ElementListSetup (*setup)(const Catalogue&)) {
    if (c == nullptr) return;
    const ElementListSetup s = setup(*c);
    int listed = 0;
    for (auto _ : state) {
        ElementList list(c->cache, s, library());
        listed = list.count();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["listed"] = listed;
    state.SetItemsProcessed(state.iterations() * c->settings.objects);
}

void run_sort(benchmark::State& state, const Catalogue* c, int column) {
    if (c == nullptr) return;
    ElementList list(c->cache, plain_setup(*c), library());
    bool up = true;
    for (auto _ : state) {
        list.sort(column, up);
        up = !up;
    }
    state.counters["listed"] = list.count();
    state.SetItemsProcessed(state.iterations() * list.count());
}

void run_export(benchmark::State& state, const Catalogue* c) {
    if (c == nullptr) return;
    ElementList list(c->cache, plain_setup(*c), library());
    const std::string out = (bench_dir() / "export.elr").string();
    for (auto _ : state) benchmark::DoNotOptimize(writeExport(out, list, "Elements epoch"));
    state.counters["listed"] = list.count();
    state.SetItemsProcessed(state.iterations() * list.count());
}

}  // namespace

static void BM_BuildCaches(benchmark::State& state) {
    const Catalogue* c = bundled(state);
    if (c == nullptr) return;
    for (auto _ : state) benchmark::DoNotOptimize(CatalogueCache::build(c->settings));
    state.SetItemsProcessed(state.iterations() * c->settings.objects);
}
BENCHMARK(BM_BuildCaches)->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_ListWholeCatalogue(benchmark::State& state) { run_list(state, bundled(state), plain_setup); }
BENCHMARK(BM_ListWholeCatalogue)->Unit(benchmark::kMillisecond);
static void BM_ListElementQuery(benchmark::State& state) { run_list(state, bundled(state), element_query); }
BENCHMARK(BM_ListElementQuery)->Unit(benchmark::kMillisecond);
static void BM_ListEarthMoid(benchmark::State& state) { run_list(state, bundled(state), moid_query); }
BENCHMARK(BM_ListEarthMoid)->Unit(benchmark::kMillisecond);
static void BM_ListEarthMoidColumn(benchmark::State& state) { run_list(state, bundled(state), moid_column); }
BENCHMARK(BM_ListEarthMoidColumn)->Unit(benchmark::kMillisecond);
static void BM_SortBySemiMajorAxis(benchmark::State& state) { run_sort(state, bundled(state), 10); }
BENCHMARK(BM_SortBySemiMajorAxis)->Unit(benchmark::kMillisecond);
static void BM_SortByName(benchmark::State& state) { run_sort(state, bundled(state), kColumnName); }
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);
static void BM_Export(benchmark::State& state) { run_export(state, bundled(state)); }
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond);

static void BM_FullListWholeCatalogue(benchmark::State& state) { run_list(state, full(state), plain_setup); }
BENCHMARK(BM_FullListWholeCatalogue)->Unit(benchmark::kMillisecond);
static void BM_FullListElementQuery(benchmark::State& state) { run_list(state, full(state), element_query); }
BENCHMARK(BM_FullListElementQuery)->Unit(benchmark::kMillisecond);
static void BM_FullListEarthMoid(benchmark::State& state) { run_list(state, full(state), moid_query); }
BENCHMARK(BM_FullListEarthMoid)->Unit(benchmark::kMillisecond)->Iterations(1);
static void BM_FullSortBySemiMajorAxis(benchmark::State& state) { run_sort(state, full(state), 10); }
BENCHMARK(BM_FullSortBySemiMajorAxis)->Unit(benchmark::kMillisecond);
static void BM_FullSortByName(benchmark::State& state) { run_sort(state, full(state), kColumnName); }
BENCHMARK(BM_FullSortByName)->Unit(benchmark::kMillisecond);
static void BM_FullExport(benchmark::State& state) { run_export(state, full(state)); }
BENCHMARK(BM_FullExport)->Unit(benchmark::kMillisecond);

// The Earth MOID column of a catalogue of MPCORB.DAT's size, 1.4 million
// objects (wall time: the column is computed on every core).
static void BM_MoidColumn1400k(benchmark::State& state) { run_list(state, repeated(state, 1400000), moid_column); }
BENCHMARK(BM_MoidColumn1400k)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
