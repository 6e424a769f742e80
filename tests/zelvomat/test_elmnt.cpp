// Osculating elements of the yearly element files (elmnt), their writer, and
// the NElem export.
//
// The package of these tests spans 2020-2022: J1 = 2021-01-01 0h, J2 =
// 2022-01-01 0h (Julian dates from ERFA's eraCal2jd). Mean motion of the
// ordinary objects 0.25 degrees per day, so that half the synodic period with
// respect to the Earth (0.97 deg/day) is q = 360 / 0.72 / 2 = 250 days.
#include <erfa.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/catalog.h"
#include "core/elemcache.h"
#include "core/elmnt.h"
#include "core/setpar.h"
#include "io/bytes.h"
#include "support.h"
#include "tasks/libstate.h"
#include "yearly_fixture.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;
using zeltest::make_set;

namespace {

constexpr double kDegPerRadian = 57.29577951308232;
constexpr double kSlow = 0.25 / kDegPerRadian;  // rad/day, a main-belt object
constexpr double kFast = 4.57 / kDegPerRadian;  // rad/day: q = |360 / (0.97 - 4.57) / 2| = 50 days
constexpr double kCatalogueEpoch = 2459800.5;
constexpr std::int32_t kObjects = 20;
constexpr std::int32_t kAbsent = 19;

// Julian date of 0h of a Gregorian calendar date, from ERFA.
double jd_of(int y, int m, int d) {
    double djm0 = 0, djm = 0;
    if (eraCal2jd(y, m, d, &djm0, &djm) != 0) ADD_FAILURE() << "eraCal2jd refused " << y << "-" << m << "-" << d;
    return djm0 + djm;
}

const double J1 = jd_of(2021, 1, 1);
const double J2 = jd_of(2022, 1, 1);
const double E0 = jd_of(2021, 3, 1);   // object 3: sets at E0 + 0, 30, 60, 90 (places 40-43 of el2021)
const double F0 = jd_of(2021, 2, 1);   // object 4: sets at F0 + 0, 60, 120, 180, fast motion
const double G0 = jd_of(2021, 1, 16);  // objects 5-8, 10: sets at G0 + 0, 20, 40, 60
const double GQ = G0 + 60 + 230;       // 230 days after their last set: beyond q - w = 250 - 45
const double H0 = jd_of(2021, 10, 1);  // object 9: sets at H0 + 0, 20, 40, 60
const double K0 = jd_of(2021, 5, 1);   // object 14: sets at K0 + 0, 10, 20, 30

std::vector<ElementSet> series(double start, double step, int count, double mark, double n) {
    std::vector<ElementSet> v;
    for (int i = 0; i < count; ++i) v.push_back(make_set(start + step * i, mark + i, n));
    return v;
}

// The package: catalogue objects 1 .. 20 (19 absent), elements k x (0.1, 0.2,
// 0.3, 0.01, 0.05, 0.004); yearly files of 2020-2022.
void write_package(const std::string& dir) {
    std::vector<zeltest::CatObject> objs;
    for (std::int32_t k = 1; k <= kObjects; ++k) {
        if (k == kAbsent) continue;
        const double x = k;
        char name[32];
        std::snprintf(name, sizeof name, "Object %d", k);
        objs.push_back({k, name, name, " 9.00", {0.1 * x, 0.2 * x, 0.3 * x, 0.01 * x, 0.05 * x, 0.004 * x}});
    }
    for (auto& o : objs)
        for (auto& c : o.key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    zeltest::write_catalogue(dir, kObjects, kObjects, objs, {}, kCatalogueEpoch);
    zeltest::set_package_years(2020, 2022, {1000000, 1000000, 1000000, 1000000, 1000000});

    zeltest::write_year(dir, 2020, kObjects,
                        {{1, {make_set(J1 - 60, 1.0, kSlow)}},
                         {9, {make_set(jd_of(2020, 12, 25), 900.0, kSlow)}},
                         {11, series(jd_of(2020, 2, 1), 20, 4, 1100.0, kSlow)},
                         {15, {make_set(jd_of(2020, 12, 1), 1500.0, kSlow)}}});
    zeltest::write_year(dir, 2021, kObjects,
                        {{2, series(J1, 5, 39, 100.0, kSlow)},  // places 1-39 of record 1
                         {3, series(E0, 30, 4, 200.0, kSlow)},  // places 40 (record 1) to 43 (record 2)
                         {4, series(F0, 60, 4, 300.0, kFast)},
                         {5, series(G0, 20, 4, 500.0, kSlow)},
                         {6, series(G0, 20, 4, 600.0, kSlow)},
                         {7, series(G0, 20, 4, 700.0, kSlow)},
                         {8, series(G0, 20, 4, 800.0, kSlow)},
                         {9, series(H0, 20, 4, 910.0, kSlow)},
                         {14, series(K0, 10, 4, 1400.0, kSlow)}});
    zeltest::write_year(dir, 2022, kObjects,
                        {{1, {make_set(J2 + 60, 2.0, kSlow)}},
                         {4, {make_set(F0 + 180 + 26, 350.0, kFast)}},
                         {5, {make_set(GQ + 40, 550.0, kSlow)}},
                         {6, {make_set(GQ + 180, 650.0, kSlow)}},
                         {7, {make_set(GQ + 280, 750.0, kSlow)}},
                         {8, {make_set(GQ + 230, 850.0, kSlow)}},
                         {10, series(G0, 20, 4, 1000.0, kSlow)},
                         {11, {make_set(jd_of(2021, 2, 14) + 20, 1150.0, kSlow)}},
                         {12, {make_set(jd_of(2022, 1, 25), 1200.0, kSlow)}},
                         {15, {make_set(jd_of(2022, 1, 10), 1550.0, kSlow)}}});
}

class ElmntTest : public ::testing::Test {
protected:
    void SetUp() override {
        write_package(wd.dir_slash());
        const Status s = in_par(state_.core);
        ASSERT_TRUE(s.ok()) << s.message();
        ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    }
    Status run(std::int32_t n, double jd, std::int32_t year = 0) {
        elements.fill(-7.0);
        return elmnt(state_.core, n, jd, year, elements, flags, state_.core.data_paths.data_dir);
    }
    LibraryState state_;  // a fresh library, current on this thread while the test runs
    ScopedLibraryState current_{state_};
    zeltest::ScopedWorkDir wd;
    OrbitElementsArray elements{};
    ElementFlags flags;
};

// The set that a mark names, as make_set built it (mean motion given apart).
ElementSet set_of(double epoch, double mark, double n) { return make_set(epoch, mark, n); }

// elements must be the set's, M carried from the set's epoch to jd.
void expect_set(const OrbitElementsArray& el, const ElementSet& set, double jd) {
    EXPECT_NEAR(el[0], set[1] + set[6] * (jd - set[0]), 1e-12) << "M (rad)";  // M carried by the mean motion
    for (std::size_t i = 1; i < 6; ++i) EXPECT_EQ(el[i], set[i + 1]) << "element " << i;
}

void expect_catalogue(const OrbitElementsArray& el, std::int32_t k, double jd) {
    const double x = k;
    const ElementSet cat{kCatalogueEpoch, 0.1 * x, 0.2 * x, 0.3 * x, 0.01 * x, 0.05 * x, 0.004 * x};
    expect_set(el, cat, jd);
}

}  // namespace

TEST(ElmntDates, PackageSpanFromErfa) {
    zeltest::ScopedWorkDir wd;
    write_package(wd.dir_slash());
    CoreState core;
    ASSERT_TRUE(in_par(core).ok());
    EXPECT_EQ(core.package.j1, 2459215.5);  // 2021-01-01 0h, as eraCal2jd gives
    EXPECT_EQ(core.package.j1, J1);
    EXPECT_EQ(core.package.j2, J2);
}

// Dates at the ends of the package span widened by 70 days.
TEST_F(ElmntTest, SpanEdges) {
    struct Case {
        const char* what;
        double jd;
        bool from_catalogue;
        ElementSet set;  // when from the files
    } cases[] = {
        {"69 days before J1: the 2020 files", J1 - 69, false, set_of(J1 - 60, 1.0, kSlow)},
        {"70 days before J1: still the files", J1 - 70, false, set_of(J1 - 60, 1.0, kSlow)},
        {"70.5 days before J1: the catalogue", J1 - 70.5, true, {}},
        {"69 days after J2: the 2022 files", J2 + 69, false, set_of(J2 + 60, 2.0, kSlow)},
        {"69.99 days after J2: the 2022 files", J2 + 69.99, false, set_of(J2 + 60, 2.0, kSlow)},
        {"70 days after J2: the catalogue", J2 + 70, true, {}},
        {"2030: the catalogue", jd_of(2030, 6, 1), true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        state_.core.package.catalogue_epoch = 0;
        ASSERT_TRUE(run(1, c.jd).ok());
        EXPECT_FALSE(flags.bad_number);
        EXPECT_EQ(flags.from_catalogue, c.from_catalogue);
        if (c.from_catalogue) {
            EXPECT_FALSE(flags.accepted);
            expect_catalogue(elements, 1, c.jd);
            EXPECT_EQ(state_.core.package.catalogue_epoch, kCatalogueEpoch);  // stored on fallback
        } else {
            EXPECT_TRUE(flags.accepted);
            expect_set(elements, c.set, c.jd);
        }
    }
}

// Object 3's sets are places 40 (the last of el2021's record 1) to 43; count 4
// gives an acceptance window of 60 / 4 = 15 days.
TEST_F(ElmntTest, SetsAcrossARecordBoundary) {
    struct Case {
        const char* what;
        double jd;
        int set;  // 0 .. 3
        bool accepted;
    } cases[] = {
        {"before the first set", E0 - 5, 0, true},
        {"the carried set, last of record 1", E0 + 2, 0, true},
        {"15 days after the carried set", E0 + 15, 0, true},
        {"first set of record 2", E0 + 31, 1, true},
        {"last set", E0 + 89, 3, true},
        {"30 days after the last set", E0 + 120, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(run(3, c.jd).ok());
        EXPECT_FALSE(flags.from_catalogue);
        EXPECT_EQ(flags.accepted, c.accepted);
        expect_set(elements, set_of(E0 + 30 * c.set, 200.0 + c.set, kSlow), c.jd);
    }
}

// count = 4 accepts 15 days; at 16 days the neighbouring year is searched
// (object 4 moves fast: q - w = 50 - 45 = 5 days) and its set, 10 days away,
// is accepted there.
TEST_F(ElmntTest, AcceptanceWindowOfFourSets) {
    const double last = F0 + 180;
    ASSERT_TRUE(run(4, last + 15).ok());
    EXPECT_TRUE(flags.accepted);
    expect_set(elements, set_of(last, 303.0, kFast), last + 15);

    ASSERT_TRUE(run(4, last + 16).ok());
    EXPECT_TRUE(flags.accepted);
    EXPECT_FALSE(flags.from_catalogue);
    expect_set(elements, set_of(last + 26, 350.0, kFast), last + 16);
}

// Sets not accepted send the search to one neighbouring year.
TEST_F(ElmntTest, NeighbouringYear) {
    struct Case {
        const char* what;
        std::int32_t n;
        double jd;
        std::int32_t year;
        ElementSet set;
        bool accepted;
    } cases[] = {
        {"next year's set accepted", 5, GQ, 0, set_of(GQ + 40, 550.0, kSlow), true},
        {"next year's set nearer, not accepted", 6, GQ, 0, set_of(GQ + 180, 650.0, kSlow), false},
        {"next year's set farther: this year's", 7, GQ, 0, set_of(G0 + 60, 703.0, kSlow), false},
        {"a tie: next year's", 8, GQ, 0, set_of(GQ + 230, 850.0, kSlow), false},
        {"previous year's set accepted", 9, H0 - 230, 0, set_of(jd_of(2020, 12, 25), 900.0, kSlow), true},
        {"no year after the last package year", 10, GQ, 2022, set_of(G0 + 60, 1003.0, kSlow), false},
        {"the year after skips the date's year", 11, jd_of(2021, 2, 14), 0,
         set_of(jd_of(2021, 2, 14) + 20, 1150.0, kSlow), true},
        {"within q - w: no search", 14, K0 + 30 + 100, 0, set_of(K0 + 30, 1403.0, kSlow), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(run(c.n, c.jd, c.year).ok());
        EXPECT_FALSE(flags.from_catalogue);
        EXPECT_EQ(flags.accepted, c.accepted);
        expect_set(elements, c.set, c.jd);
    }
}

// Objects without a set in the date's year.
TEST_F(ElmntTest, YearsWithoutSets) {
    const ElementSet s12 = set_of(jd_of(2022, 1, 25), 1200.0, kSlow);
    const ElementSet s15a = set_of(jd_of(2020, 12, 1), 1500.0, kSlow);
    const ElementSet s15b = set_of(jd_of(2022, 1, 10), 1550.0, kSlow);
    struct Case {
        const char* what;
        std::int32_t n;
        double jd;
        std::int32_t year;
        bool from_catalogue;
        ElementSet set;  // when from the files
    } cases[] = {
        // From July on the next year first, before July the previous one.
        {"July 1: 2022", 15, jd_of(2021, 7, 1), 0, false, s15b},
        {"June 30: 2020", 15, jd_of(2021, 6, 30), 0, false, s15a},
        {"July: 2022 (none in 2020)", 12, jd_of(2021, 7, 1), 0, false, s12},
        // May: 2020 (none), then from 2020 the first of 2019, 2021, 2018, 2022
        // in the package and not 2021: 2022. 255 days before its set, the
        // year before it (2021) is skipped for 2020, which has none.
        {"May: 2020, then 2022", 12, jd_of(2021, 5, 15), 0, false, s12},
        {"no set in three years", 13, jd_of(2021, 7, 1), 0, true, {}},
        {"June 30, no set in three years", 13, jd_of(2021, 6, 30), 0, true, {}},
        {"a year outside the package", 12, jd_of(2021, 7, 1), 2030, true, {}},
        {"the smallest year", 12, jd_of(2021, 7, 1), INT32_MIN, true, {}},
        {"the largest year", 12, jd_of(2021, 7, 1), INT32_MAX, true, {}},
        {"the year before the package", 15, jd_of(2021, 7, 1), 2019, false, s15a},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(run(c.n, c.jd, c.year).ok());
        EXPECT_EQ(flags.from_catalogue, c.from_catalogue);
        EXPECT_FALSE(flags.accepted);
        if (c.from_catalogue)
            expect_catalogue(elements, c.n, c.jd);
        else
            expect_set(elements, c.set, c.jd);
    }
}

TEST_F(ElmntTest, BadNumbersLeaveTheElements) {
    for (std::int32_t n : {0, -5, kObjects + 1}) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(run(n, E0).ok());
        EXPECT_TRUE(flags.bad_number);
        EXPECT_FALSE(flags.from_catalogue);
        EXPECT_FALSE(flags.accepted);
        for (double v : elements) EXPECT_EQ(v, -7.0);
    }
}

// Settings record 8: a year's value below the object's first set index
// accepts the set whatever its distance.
TEST_F(ElmntTest, Record8ValueAcceptsFarSets) {
    // Object 14's first set index, read from ad2021 record 14 (first x 1000 + count).
    const auto ad = zeltest::read_bytes("ad2021");
    const std::int32_t word =
        static_cast<std::int32_t>(ad[52] | ad[53] << 8 | ad[54] << 16 | static_cast<std::uint32_t>(ad[55]) << 24);
    const std::int32_t first = word / 1000;
    ASSERT_EQ(word % 1000, 4);
    ASSERT_EQ(first, 39 + 4 + 4 + 16 + 4 + 1);
    const double jd = K0 + 30 + 100;
    state_.core.element_cache.values[1] = first;
    ASSERT_TRUE(run(14, jd).ok());
    EXPECT_FALSE(flags.accepted);
    state_.core.element_cache.values[1] = first - 1;
    ASSERT_TRUE(run(14, jd).ok());
    EXPECT_TRUE(flags.accepted);
    expect_set(elements, set_of(K0 + 30, 1403.0, kSlow), jd);
}

// A missing file makes its year one without sets; damaged files are errors.
TEST_F(ElmntTest, MissingAndDamagedFiles) {
    const std::string dir = wd.dir_slash();
    std::filesystem::remove(dir + "ad2022");
    ASSERT_TRUE(run(12, jd_of(2021, 7, 1)).ok());
    EXPECT_TRUE(flags.from_catalogue);
    EXPECT_FALSE(flags.accepted);
    expect_catalogue(elements, 12, jd_of(2021, 7, 1));

    std::filesystem::remove(dir + "el2021");
    close_element_files(state_.core.element_cache);
    ASSERT_TRUE(run(3, E0).ok());
    EXPECT_TRUE(flags.from_catalogue);

    struct Damage {
        const char* what;
        const char* file;
        std::vector<std::uint8_t> bytes;
    } damages[] = {
        {"ad2020 with two records", "ad2020", std::vector<std::uint8_t>(8, 0)},
        {"negative index word", "ad2020",
         [] {
             std::vector<std::uint8_t> b(4 * kObjects, 0);
             zeltest::put32(b, 8 * 4, -2001);
             return b;
         }()},
        {"el2020 shorter than its sets", "el2020", std::vector<std::uint8_t>(100, 0)},
    };
    // Object 9's set is set 2 of el2020, found through ad2020 record 9.
    const double jd9 = jd_of(2020, 12, 25);
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        write_package(dir);
        zeltest::write_bytes(dir + d.file, d.bytes);
        close_element_files(state_.core.element_cache);
        const Status s = run(9, jd9);
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find(d.file), std::string::npos) << s.message();
        for (double v : elements) EXPECT_EQ(v, -7.0);
    }
}

TEST_F(ElmntTest, CatalogueFailuresAreReported) {
    const Status absent = run(kAbsent, J2 + 100);
    EXPECT_FALSE(absent.ok());
    EXPECT_FALSE(flags.from_catalogue);
    for (double v : elements) EXPECT_EQ(v, -7.0);
    catclose(state_.core.catalogue);
    EXPECT_FALSE(run(1, J2 + 100).ok());
}

// The files are held between calls until Closlae or in_par drops them.
TEST_F(ElmntTest, HeldFilesAreDroppedByCloslaeAndInpar) {
    const std::string dir = wd.dir_slash();
    ASSERT_TRUE(run(1, J1 - 60).ok());
    expect_set(elements, set_of(J1 - 60, 1.0, kSlow), J1 - 60);
    zeltest::write_year(dir, 2020, kObjects, {{1, {make_set(J1 - 61, 5.0, kSlow)}}});
    ASSERT_TRUE(run(1, J1 - 60).ok());
    expect_set(elements, set_of(J1 - 60, 1.0, kSlow), J1 - 60);  // the file replaced: the one held
    Closlae();
    ASSERT_TRUE(run(1, J1 - 60).ok());
    expect_set(elements, set_of(J1 - 61, 5.0, kSlow), J1 - 60);
    zeltest::write_year(dir, 2020, kObjects, {{1, {make_set(J1 - 62, 6.0, kSlow)}}});
    ASSERT_TRUE(in_par(state_.core).ok());
    ASSERT_TRUE(run(1, J1 - 60).ok());
    expect_set(elements, set_of(J1 - 62, 6.0, kSlow), J1 - 60);
}

// ---- Writer -----------------------------------------------------------------------

// The bytes of the written files, decoded here from the layout: ad record n =
// first x 1000 + count; set s at record (s-1) div 40 + 1, place (s-1) mod 40.
TEST(YearlyElementsWriter, Layout) {
    zeltest::ScopedWorkDir wd;
    zeltest::write_year(wd.dir_slash(), 2021, 5,
                        {{4, series(2459000.5, 1, 39, 10.0, 0.01)}, {2, series(2459100.5, 2, 3, 70.0, 0.02)}});
    const auto ad = zeltest::read_bytes(wd.path() / "ad2021");
    const auto el = zeltest::read_bytes(wd.path() / "el2021");
    ASSERT_EQ(ad.size(), 5u * 4);
    ASSERT_EQ(el.size(), 2u * 2240);  // 42 sets fill two records, the rest zero
    auto i32 = [&](std::size_t off) {
        return static_cast<std::int32_t>(ad[off] | ad[off + 1] << 8 | ad[off + 2] << 16 |
                                         static_cast<std::uint32_t>(ad[off + 3]) << 24);
    };
    auto f64 = [&](std::size_t rec, std::size_t place, std::size_t word) {
        std::uint64_t u = 0;
        for (int b = 7; b >= 0; --b)
            u = u << 8 | el[(rec - 1) * 2240 + place * 56 + word * 8 + static_cast<std::size_t>(b)];
        double d;
        std::memcpy(&d, &u, 8);
        return d;
    };
    EXPECT_EQ(i32(0), 0);
    EXPECT_EQ(i32(4), 40 * 1000 + 3);  // object 2: sets 40 .. 42
    EXPECT_EQ(i32(8), 0);
    EXPECT_EQ(i32(12), 1 * 1000 + 39);  // object 4: sets 1 .. 39
    EXPECT_EQ(i32(16), 0);
    EXPECT_EQ(f64(1, 0, 0), 2459000.5);
    EXPECT_EQ(f64(1, 38, 1), 48.0);        // set 39: M
    EXPECT_EQ(f64(1, 39, 0), 2459100.5);   // set 40: last place of record 1
    EXPECT_EQ(f64(1, 39, 6), 0.02);        // its mean motion
    EXPECT_EQ(f64(2, 0, 0), 2459102.5);    // set 41: first place of record 2
    EXPECT_DOUBLE_EQ(f64(2, 1, 2), 72.1);  // set 42: argument of perihelion
    EXPECT_EQ(f64(2, 2, 0), 0.0);          // filling
    EXPECT_FALSE(std::filesystem::exists(wd.path() / "ad2021.new"));
}

TEST(YearlyElementsWriter, Refusals) {
    YearlyElementsWriter w(3);
    const auto two = series(2459000.5, 1, 2, 0.0, 0.01);
    EXPECT_FALSE(w.add(0, two).ok());
    EXPECT_FALSE(w.add(4, two).ok());
    EXPECT_TRUE(w.add(1, two).ok());
    EXPECT_FALSE(w.add(1, two).ok());  // given before
    auto backwards = two;
    std::swap(backwards[0], backwards[1]);
    EXPECT_FALSE(w.add(2, backwards).ok());
    auto same = two;
    same[1][0] = same[0][0];
    EXPECT_FALSE(w.add(2, same).ok());
    EXPECT_FALSE(w.add(2, series(2459000.5, 1, 1000, 0.0, 0.01)).ok());
    EXPECT_TRUE(w.add(2, series(2459000.5, 1, 999, 0.0, 0.01)).ok());
    EXPECT_EQ(w.set_count(), 1001);
    zeltest::ScopedWorkDir wd;
    EXPECT_FALSE(w.write(wd.dir_slash(), 10000).ok());
    EXPECT_FALSE(w.write(wd.dir_slash() + "missing/", 2021).ok());
}

// The wide index read as the 4-byte one: every year's "ad" rewritten in the
// wide layout by hand (header i32 -8, i32 0, then the same words in 64 bits)
// gives every object at dates through the three years what the 4-byte files
// gave.
TEST_F(ElmntTest, WideIndexReadAsTheNarrowOne) {
    struct Result {
        bool ok;
        OrbitElementsArray el;
        bool from_catalogue, accepted;
    };
    auto sweep = [&] {
        std::vector<Result> out;
        for (std::int32_t n = 1; n <= kObjects; ++n)
            for (double jd = J1 - 300; jd < J2 + 400; jd += 7.5) {
                const bool ok = run(n, jd).ok();
                out.push_back({ok, elements, flags.from_catalogue, flags.accepted});
            }
        return out;
    };
    const std::vector<Result> narrow = sweep();
    for (int year : {2020, 2021, 2022}) {
        const std::string name = "ad" + std::to_string(year);
        const auto ad = zeltest::read_bytes(wd.path() / name);
        std::vector<std::uint8_t> wide(8 + 2 * ad.size(), 0);
        io::put_i32(wide, 0, -8);
        for (std::size_t k = 0; k < ad.size() / 4; ++k)
            io::put_le<std::int64_t>(wide, 8 + 8 * k, io::get_i32(ad, 4 * k));
        zeltest::write_bytes(wd.path() / name, wide);
    }
    Closlae();
    ASSERT_TRUE(in_par(state_.core).ok());
    ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    const std::vector<Result> read = sweep();
    ASSERT_EQ(read.size(), narrow.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].ok, narrow[i].ok);
        EXPECT_EQ(read[i].el, narrow[i].el);
        EXPECT_EQ(read[i].from_catalogue, narrow[i].from_catalogue);
        EXPECT_EQ(read[i].accepted, narrow[i].accepted);
    }
    // A wide index too short for an object is refused as the narrow one is.
    zeltest::write_bytes(wd.path() / "ad2021", std::vector<std::uint8_t>{0xf8, 0xff, 0xff, 0xff, 0, 0, 0, 0});
    Closlae();
    ASSERT_TRUE(in_par(state_.core).ok());
    EXPECT_FALSE(run(2, J1 + 10).ok());
}

// A year of more sets than the 32-bit index word addresses (first x 1000 +
// count above 2^31 - 1 from set 2,147,484 on): 2,152 objects of 999 fake
// sets. The writer gives it the wide index, whose words decoded here by hand
// address every set, and the library reads the sets of the objects past the
// 32-bit limit back as they were written.
TEST(YearlyElementsWriter, WideIndexForAYearPastTheWord) {
    constexpr std::int32_t kMany = 2152, kSets = 999;
    zeltest::ScopedWorkDir wd;
    YearlyElementsWriter w(kMany + 1);  // the last object has no sets
    auto sets_of = [](std::int32_t n) { return series(2459000.5 + n, 0.001, kSets, n, 0.004); };
    for (std::int32_t n = 1; n <= kMany; ++n) ASSERT_TRUE(w.add(n, sets_of(n)).ok());
    EXPECT_TRUE(w.wide());
    ASSERT_TRUE(w.write(wd.dir_slash(), 2031).ok());
    const auto ad = zeltest::read_bytes(wd.path() / "ad2031");
    ASSERT_EQ(ad.size(), 8u + 8u * (kMany + 1));
    EXPECT_EQ(io::get_i32(ad, 0), -8);
    EXPECT_EQ(io::get_i32(ad, 4), 0);
    auto word = [&](std::int32_t n) { return io::get_le<std::int64_t>(ad, 8 * static_cast<std::size_t>(n)); };
    EXPECT_EQ(word(1), 1 * 1000 + kSets);
    EXPECT_EQ(word(2150), (2149LL * kSets + 1) * 1000 + kSets);  // the last one 32 bits hold
    EXPECT_EQ(word(2151), (2150LL * kSets + 1) * 1000 + kSets);  // 2,147,851,999
    EXPECT_GT(word(2151), INT_MAX);
    EXPECT_EQ(word(kMany + 1), 0);
    EXPECT_EQ(std::filesystem::file_size(wd.path() / "el2031"),
              (kMany * kSets * 56u + 2239u) / 2240u * 2240u);  // whole 2240-byte records

    ElementCache cache;
    for (std::int32_t n : {1, 2150, 2151, kMany, kMany + 1}) {
        SCOPED_TRACE(n);
        auto got = yearly_sets(cache, n, 2031, wd.dir_slash());
        ASSERT_TRUE(got.ok()) << got.message();
        EXPECT_EQ(*got, n <= kMany ? sets_of(n) : std::vector<ElementSet>{});
    }
}

// ---- NElem ----------------------------------------------------------------------------

namespace {

// orb.elm: record k of 48 bytes, 6 doubles; planet k's element i is k + i / 10.
void write_orb_elm(const std::string& dir) {
    std::vector<std::uint8_t> b(9 * 48, 0);
    for (std::size_t k = 1; k <= 9; ++k)
        for (std::size_t i = 0; i < 6; ++i)
            zeltest::put64(b, (k - 1) * 48 + 8 * i, static_cast<double>(k) + static_cast<double>(i) / 10);
    zeltest::write_bytes(dir + "orb.elm", b);
}

}  // namespace

TEST_F(ElmntTest, NElemPlanetsAndObjects) {
    write_orb_elm(wd.dir_slash());
    struct Case {
        const char* what;
        int n;
        int record;  // of orb.elm; 0 for a catalogue object
    } cases[] = {
        {"Mercury", -99, 1}, {"the Earth (-97 = 3 - 100)", -97, 3}, {"Mars", -96, 4}, {"Pluto", -91, 9},
        {"object 5", 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double e[7];
        std::fill(e, e + 7, -7.0);
        NElem(c.n, e);
        EXPECT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
        EXPECT_EQ(e[0], kCatalogueEpoch);
        if (c.record > 0) {
            for (int i = 0; i < 6; ++i) EXPECT_EQ(e[i + 1], c.record + i / 10.0) << i;
        } else {
            auto cat = catelem(state_.core.catalogue, c.n);
            ASSERT_TRUE(cat.ok());
            for (int i = 0; i < 7; ++i) EXPECT_EQ(e[i], (*cat)[static_cast<std::size_t>(i)]);
            EXPECT_DOUBLE_EQ(e[1], 0.5);   // 0.1 x 5
            EXPECT_DOUBLE_EQ(e[6], 0.02);  // 0.004 x 5
        }
    }
}

TEST_F(ElmntTest, NElemWritesNothingOnFailure) {
    write_orb_elm(wd.dir_slash());
    struct Case {
        const char* what;
        int n;
        bool error;
    } cases[] = {
        {"zero", 0, false},
        {"beyond the catalogue", kObjects + 1, true},
        {"absent object", kAbsent, true},
        {"no planet (-90)", -90, true},
        {"no planet (-100)", -100, true},
        {"no planet (-1)", -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double e[7];
        std::fill(e, e + 7, -7.0);
        NElem(c.n, e);
        EXPECT_EQ(errmsg(nullptr, 0) != 0, c.error);
        for (double v : e) EXPECT_EQ(v, -7.0);
    }
    std::filesystem::remove(wd.path() / "orb.elm");
    double e[7] = {-7, -7, -7, -7, -7, -7, -7};
    NElem(-96, e);
    EXPECT_NE(zeltest::last_message().find("orb.elm"), std::string::npos) << zeltest::last_message();
    for (double v : e) EXPECT_EQ(v, -7.0);
    write_orb_elm(wd.dir_slash());
    std::filesystem::remove(wd.path() / "setpar");
    NElem(-96, e);
    EXPECT_NE(zeltest::last_message().find("setpar"), std::string::npos) << zeltest::last_message();
    for (double v : e) EXPECT_EQ(v, -7.0);
}

// The dates over which elmnt_set_span says the same set is taken: at dates
// spread through each span, elmnt_set takes the set and flags of the date
// asked, for every object (the plain ones, those sent to a neighbouring year,
// the fast one, the bad numbers), with and without a year given,
// across the package span's edges and the calendar months.
TEST_F(ElmntTest, SpanOfTheSameSetHoldsThatSet) {
    const std::string dir = state_.core.data_paths.data_dir;
    int spans = 0, long_spans = 0, short_spans = 0;
    for (std::int32_t n = 0; n <= kObjects + 1; ++n) {
        if (n == kAbsent) continue;  // its catalogue record fails (CatalogueFailuresAreReported)
        for (std::int32_t year : {0, 2020, 2021, 2022}) {
            for (double jd = J1 - 120.0; jd < J2 + 120.0; jd += 1.37) {
                SCOPED_TRACE("object " + std::to_string(n) + ", year " + std::to_string(year) + ", JD " +
                             std::to_string(jd));
                ElementSet set{}, other{};
                ElementFlags f, g;
                JdSpan span;
                ASSERT_TRUE(elmnt_set_span(state_.core, n, jd, year, set, f, span, dir).ok());
                ASSERT_LE(span.lo, jd);
                ASSERT_GE(span.hi, jd);
                ++spans;
                const double lo = std::max(span.lo, jd - 400.0), hi = std::min(span.hi, jd + 400.0);
                if (hi - lo >= 1.0) ++long_spans;
                if (span.hi - span.lo < 400.0) ++short_spans;
                for (int k = 0; k <= 16; ++k) {
                    const double at = lo + (hi - lo) * k / 16.0;
                    ASSERT_TRUE(elmnt_set(state_.core, n, at, year, other, g, dir).ok());
                    EXPECT_EQ(g.bad_number, f.bad_number) << "at " << at;
                    if (f.bad_number) continue;
                    EXPECT_EQ(g.from_catalogue, f.from_catalogue) << "at " << at;
                    EXPECT_EQ(g.accepted, f.accepted) << "at " << at;
                    EXPECT_EQ(other, set) << "at " << at;
                }
            }
        }
    }
    // Spans that serve a night and more, and spans cut by the sets' epochs.
    EXPECT_GT(long_spans, spans / 2);
    EXPECT_GT(short_spans, spans / 4);
}
