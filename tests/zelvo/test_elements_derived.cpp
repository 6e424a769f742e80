// Quantities derived from catalogue elements: the closed formulas on
// records of known values, the dates of the passages against Kepler's
// equation and ERFA's calendar, and, on a built data package, the MOID, the
// Tisserand parameter, the perihelion times and the commensurabilities of
// the whole catalogue against JPL's small-body data
// (tests/data/element_references.txt, from tests/data/make_element_references.py).
#include <erfa.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "element_fixture.h"
#include "shell_support.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/elcache.h"
#include "zelvo/graphics/elderived.h"
#include "zelvo/graphics/ellist.h"
#include "zelvomat/small_package.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo::elements;

ElementRecord record(double a, double e, double M = 0, double peri = 0, double node = 0, double i = 0, double H = 10) {
    ElementRecord r;
    r.H = H;
    r.M = M;
    r.Peri = peri;
    r.Node = node;
    r.i = i;
    r.e = e;
    r.a = a;
    r.n = zeltest::motion_of(a) * kDegreesPerRadian;
    return r;
}

TEST(DerivedElements, ClosedFormulas) {
    zeltest::FakeLibrary lib;
    const DerivedCalculator calc(lib, {});
    struct Case {
        const char* what;
        int code;
        ElementRecord rec;
        double value;  // NaN: no value
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"perihelion distance", 1, record(2.5, 0.2), 2.0},
        {"aphelion distance", 2, record(2.5, 0.2), 3.0},
        {"semi-latus rectum", 3, record(2, 0.5), 1.5},
        {"period in years", 4, record(4, 0.1), 8.0},
        {"Peri+Node of exactly 360", 5, record(2, 0.1, 0, 200, 160), 360.0},
        {"Peri+Node beyond 360", 5, record(2, 0.1, 0, 200, 170), 10.0},
        {"n in arcseconds a day", 6, record(1, 0), zeltest::motion_of(1) * kDegreesPerRadian * 3600},
        {"H+5lg near perihelion", 7, record(2.5, 0.2, 0, 0, 0, 0, 10), 10 + 5 * std::log10(1.5 * 2.5)},
        {"H+5lg: perihelion at 1 AU takes the aphelion", 7, record(2, 0.5, 0, 0, 0, 0, 10),
         10 + 5 * std::log10((9.0 - 1.0) * 0.25)},
        {"H+5lg of an orbit inside the Earth's: no value", 7, record(0.5, 0.2), nan},
        {"M+Peri+Node of exactly 720", 8, record(2, 0.1, 300, 200, 220), 360.0},
        {"M+Peri+Node beyond 720", 8, record(2, 0.1, 300, 210, 220), 10.0},
        {"M+Peri+Node beyond 360", 8, record(2, 0.1, 100, 200, 100), 40.0},
        {"ascending node distance", 9, record(2, 0.5, 0, 60), 1.2},
        {"descending node distance", 10, record(2, 0.5, 0, 60), 2.0},
        {"commensurability: no value of its own", 14, record(2, 0.1), 0.0},
        {"code out of range", 18, record(2, 0.1), 0.0},
        {"no motion: no period", 4, record(2, 0.1), 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ElementRecord rec = c.rec;
        double expected = c.value;
        if (std::string(c.what) == "no motion: no period") {
            rec.n = 0;
            rec.a = inf;
            expected = inf;
        }
        const double v = calc.value(0, rec, c.code);
        if (std::isnan(expected))
            EXPECT_TRUE(std::isnan(v)) << v;
        else if (std::isinf(expected))
            EXPECT_EQ(v, expected);
        else
            EXPECT_NEAR(v, expected, 1e-12 * std::max(1.0, std::fabs(expected)));
    }
    // Without a fixed object MOID, CT and NC have no value.
    EXPECT_TRUE(std::isnan(calc.value(0, record(2, 0.1), kCodeMoid)));
    EXPECT_EQ(calc.commensurabilityText(record(2, 0.1)), std::string(14, ' '));
    EXPECT_EQ(calc.listText(0, record(0.5, 0.2), 7), "*****");
    EXPECT_EQ(calc.listText(0, record(2, 0.1), 0), "");
}

// The mean anomaly (degrees) at which an orbit passes true anomaly nu.
double mean_anomaly_at(double nu_deg, double e) {
    const double nu = nu_deg / kDegreesPerRadian;
    const double E = 2 * std::atan2(std::sqrt(1 - e) * std::sin(nu / 2), std::sqrt(1 + e) * std::cos(nu / 2));
    return (E - e * std::sin(E)) * kDegreesPerRadian;
}

TEST(DerivedElements, PassageDates) {
    zeltest::FakeLibrary lib;  // the library's own t_per and t_as_ds
    const double epoch = 2461000.5;
    struct Case {
        double M, peri, e, a;
    };
    const Case cases[] = {
        {10, 73.3, 0.08, 2.77}, {200, 151.2, 0.09, 2.36}, {359.9, 300, 0.6, 1.9}, {90, 0.1, 0.2, 5.2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.M);
        const ElementRecord rec = record(c.a, c.e, c.M, c.peri, 80, 5);
        const double n = rec.n;
        for (bool calendar : {true, false}) {
            DerivedInputs in;
            in.catalogueEpochJd = epoch;
            in.calendarDateForm = calendar;
            const DerivedCalculator calc(lib, in);
            const double tp = calc.value(0, rec, kCodePerihelionTime);
            const double asc = calc.value(0, rec, kCodeAscendingNodeTime);
            const double dsc = calc.value(0, rec, kCodeDescendingNodeTime);
            if (!calendar) {
                // The perihelion nearest the epoch; the nodes where the true
                // anomaly is -Peri and 180-Peri (Kepler's equation), within
                // a period of the epoch.
                const double expectTp = c.M < 180 ? epoch - c.M / n : epoch + (360 - c.M) / n;
                EXPECT_NEAR(tp, expectTp, 1e-6);
                const double period = 360 / n;
                for (auto [t, nu] : {std::pair{asc, -c.peri}, std::pair{dsc, 180 - c.peri}}) {
                    double m = std::fmod(c.M + (t - epoch) * n - mean_anomaly_at(nu, c.e), 360.0);
                    if (m > 180) m -= 360;
                    if (m < -180) m += 360;
                    EXPECT_NEAR(m, 0, 1e-6);
                    EXPECT_LT(std::fabs(t - epoch), period);
                }
                continue;
            }
            // Packed calendar dates: the Julian dates in ERFA's calendar.
            DerivedInputs jdIn;
            jdIn.catalogueEpochJd = epoch;
            jdIn.calendarDateForm = false;
            const DerivedCalculator jdCalc(lib, jdIn);
            for (int code : {kCodePerihelionTime, kCodeAscendingNodeTime, kCodeDescendingNodeTime}) {
                const double jd = jdCalc.value(0, rec, code);
                int y = 0, m = 0, d = 0;
                double fd = 0;
                ASSERT_EQ(eraJd2cal(jd, 0, &y, &m, &d, &fd), 0);
                const double packed = y * 10000.0 + m * 100 + d + fd;
                EXPECT_NEAR(calc.value(0, rec, code), packed, 1e-5) << code;
            }
        }
    }
}

// The full data package of the build (tools/make_package.sh BUILD
// BUILD/package), or the small one of the tests.
fs::path package_dir(bool* full) {
    const fs::path built = fs::path(ZELVO_BINARY_DIR) / "package";
    *full = fs::exists(built / "work" / "setpar") && fs::exists(built / "el" / "elitel");
    if (*full) return built;
    return zeltest::small_package();
}

struct References {
    struct Object {
        double a, e, i, node, peri, M;  // JPL's elements at JD 2459800.5
        double moid, tj, tp, period;
        std::string cls;
    };
    std::array<double, 5> earth{};  // a e i node peri
    std::map<int, Object> objects;
    std::vector<int> trojans, hildas;
};

References read_references() {
    References r;
    std::ifstream in(std::string(ZELVO_SOURCE_DIR) + "/tests/data/element_references.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string tag;
        s >> tag;
        if (tag == "earth") {
            for (double& v : r.earth) s >> v;
        } else if (tag == "trojans" || tag == "hildas") {
            for (int n; s >> n;) (tag == "trojans" ? r.trojans : r.hildas).push_back(n);
        } else if (tag == "object") {
            int n = 0;
            References::Object o;
            s >> n >> o.a >> o.e >> o.i >> o.node >> o.peri >> o.M >> o.moid >> o.tj >> o.tp >> o.period >> o.cls;
            r.objects[n] = o;
        }
    }
    return r;
}

// A fixed planet's element set from its orbit (a, e, i, node, peri in AU and
// degrees), with the mean motion of its mass.
std::array<double, 7> planet_set(int planet, double a, double e, double i, double node, double peri) {
    const double d = 1 / kDegreesPerRadian;
    const double n = kGaussK * std::sqrt(1 + 1 / PlanetInverseMass[planet]) / std::pow(a, 1.5);
    return {2459800.5, 0, peri * d, node * d, i * d, e, n};
}

// MOID, Tisserand parameter and perihelion time of JPL's own elements and
// JPL's Earth at JD 2459800.5: the MOIDs as JPL published them (to 1e-4 AU,
// their rounding included), the Tisserand parameters of Jupiter's mean J2000
// orbit (Standish) and the perihelion times computed in Python from the same
// elements (make_element_references.py).
// Passages before year 1, year 0 and before it (orbits of thousands of
// years): the list's calendar text is ERFA's calendar date of the passage's
// Julian date, the year with its sign before month and day.
TEST(DerivedElements, CalendarTextsOfPassagesBeforeYearOne) {
    zeltest::FakeLibrary lib;
    DerivedInputs cd, jd;
    cd.catalogueEpochJd = jd.catalogueEpochJd = 2461000.5;
    jd.calendarDateForm = false;
    const DerivedCalculator calendar(lib, cd), julian(lib, jd);
    struct Case {
        double a, M;
    };
    // Periods of 1,000 to 5,200 years, the perihelion nearly half of one back.
    const Case cases[] = {{100, 160}, {200, 170}, {270, 175}, {300, 165}};
    int beforeOne = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        const ElementRecord rec = record(c.a, 0.9, c.M, 40, 80, 5);
        const double t = julian.value(0, rec, kCodePerihelionTime);
        int y = 0, m = 0, d = 0;
        double fd = 0;
        ASSERT_EQ(eraJd2cal(t, 0, &y, &m, &d, &fd), 0);
        beforeOne += y < 1 ? 1 : 0;
        char expect[40];
        std::snprintf(expect, sizeof expect, "%d%02d%02d.%05d", y, m, d, static_cast<int>(std::lround(fd * 1e5)));
        const std::string text = calendar.listText(0, rec, kCodePerihelionTime, nullptr);
        const std::string trimmed = text.substr(text.find_first_not_of(' '));
        EXPECT_LE(text.size(), 14u);
        // The fraction of the day may differ in its last decimal by rounding.
        EXPECT_EQ(trimmed.substr(0, trimmed.size() - 1), std::string(expect).substr(0, std::strlen(expect) - 1));
    }
    EXPECT_GE(beforeOne, 2);
    EXPECT_EQ(derivedValueText(kCodePerihelionTime, 305.5, true), "00305.50000");
    EXPECT_EQ(derivedValueText(kCodePerihelionTime, -100 * 10000.0 + 305.5, true), "-1000305.50000");
    EXPECT_EQ(derivedValueText(kCodePerihelionTime, -1 * 10000.0 + 1231.25, true), "-11231.25000");
    // A year of four digits before 0 leaves no room in the list's 14
    // characters: asterisks, not a cut text.
    EXPECT_EQ(derivedValueText(kCodePerihelionTime, -3254 * 10000.0 + 128.87, true), "********");
}

TEST(DerivedElements, AgainstJplAtItsOwnEpoch) {
    const References ref = read_references();
    ASSERT_GT(ref.objects.size(), 200u);
    zeltest::FakeLibrary lib;
    DerivedInputs earth;
    earth.fixedObjectNumber = -3;
    earth.fixedObjectElements = planet_set(3, ref.earth[0], ref.earth[1], ref.earth[2], ref.earth[3], ref.earth[4]);
    DerivedInputs jupiter;
    jupiter.fixedObjectNumber = -5;
    jupiter.fixedObjectElements = planet_set(5, 5.20288700, 0.04838624, 1.30439695, 100.47390909, -85.74542926);
    DerivedInputs dates;
    dates.catalogueEpochJd = 2459800.5;
    dates.calendarDateForm = false;
    const DerivedCalculator moid(lib, earth), tisserand(lib, jupiter), perihelion(lib, dates);
    for (const auto& [number, o] : ref.objects) {
        SCOPED_TRACE(number);
        const ElementRecord rec = record(o.a, o.e, o.M, o.peri, o.node, o.i);
        EXPECT_NEAR(moid.value(number - 1, rec, kCodeMoid), o.moid, 1e-4);
        EXPECT_NEAR(tisserand.value(number - 1, rec, kCodeTisserand), o.tj, 1e-6);
        EXPECT_NEAR(perihelion.value(number - 1, rec, kCodePerihelionTime), o.tp, 1e-4);
    }
}

// The list of the whole catalogue with a derived code relative to planet.
struct PackageList {
    zelvo::ZelvomatLibrary lib;
    std::shared_ptr<CatalogueCache> cache = std::make_shared<CatalogueCache>();
    CatalogueSettings settings;

    bool open() {
        auto s = ReadCatalogueSettings("setpar");
        if (!s) return false;
        settings = *s;
        return cache->openOrBuild(settings);
    }
    // Rows by official number (numbered objects only).
    std::map<int, int> rows(const ElementList& l) const {
        std::map<int, int> out;
        for (int row = 0; row < l.count(); ++row)
            if (l.record(row) < settings.numbered) out[l.record(row) + 1] = row;
        return out;
    }
    ElementList list(int code, int planet, bool calendar = false, int range = 50) {
        ElementListSetup s;
        s.numbered = settings.numbered;
        s.query.QueryFunctionCode = code;
        s.derived.fixedObjectNumber = -planet;
        lib.NElem(planet - 100, s.derived.fixedObjectElements.data());
        s.derived.calendarDateForm = calendar;
        s.derived.ncRange = range;
        s.derived.catalogueEpochJd = settings.epochJd;
        return ElementList(cache, s, lib);
    }
};

// The whole chain on the package: the catalogue's elements (integrated to
// the package epoch, 3.3 years after JPL's), the caches, the planets of the
// package (osculating, the Earth-Moon barycentre for the Earth) and the list.
// The objects that move inside Jupiter's orbit are compared, for which 3.3
// years of perturbations change the quantities little: the Earth MOID by up
// to 0.035 AU (the perihelion distance follows the eccentricity), the
// Tisserand parameter, which the perturbations of Jupiter keep, by 0.004, the
// perihelion time of an orbit with e of 0.1 or more by 1 % of a period. Far
// objects are left out: their heliocentric osculating elements swing with
// Jupiter's pull on the Sun.
TEST(DerivedElements, WholeCatalogueAgainstJpl) {
    bool full = false;
    const fs::path pkg = package_dir(&full);
    if (pkg.empty()) FAIL() << "the small data package cannot be built (see package-small/build.log)";
    zeltest::LinkedPackage linked(pkg);
    PackageList p;
    ASSERT_TRUE(p.open());
    const References ref = read_references();
    ElementList moid = p.list(kCodeMoid, 3);
    ElementList tisserand = p.list(kCodeTisserand, 5);
    ElementList perihelion = p.list(kCodePerihelionTime, 3);
    const auto rows = p.rows(moid);
    int compared = 0;
    double worstMoid = 0, worstTj = 0, worstTp = 0;
    for (const auto& [number, o] : ref.objects) {
        const auto it = rows.find(number);
        if (it == rows.end() || o.a > 5.5) continue;
        SCOPED_TRACE(number);
        ++compared;
        const int row = it->second;
        const double dMoid = std::fabs(moid.value(row, kColumnDerived) - o.moid);
        const double dTj = std::fabs(tisserand.value(row, kColumnDerived) - o.tj);
        EXPECT_LT(dMoid, 0.035);
        EXPECT_LT(dTj, 0.004);
        worstMoid = std::max(worstMoid, dMoid);
        worstTj = std::max(worstTj, dTj);
        if (o.e < 0.1) continue;
        const double t = perihelion.value(row, kColumnDerived);
        const double turns = std::round((t - o.tp) / o.period);
        const double dTp = std::fabs(t - o.tp - turns * o.period) / o.period;
        EXPECT_LT(dTp, 0.01);
        worstTp = std::max(worstTp, dTp);
    }
    EXPECT_GE(compared, full ? 100 : 22);
    std::printf("compared %d objects: MOID within %.4f AU, T_J within %.4f, T_per within %.4f of a period\n", compared,
                worstMoid, worstTj, worstTp);
    // The NEOs of the catalogue, which the MOID list is for.
    for (int n : {433, 1036}) {
        const auto it = rows.find(n);
        if (it == rows.end()) continue;
        EXPECT_NEAR(moid.value(it->second, kColumnDerived), ref.objects.at(n).moid, 0.002) << n;
    }
}

TEST(DerivedElements, HildasAndTrojansInCommensurabilityWithJupiter) {
    bool full = false;
    const fs::path pkg = package_dir(&full);
    if (!full) GTEST_SKIP() << "the full data package is not built (tools/make_package.sh build build/package)";
    zeltest::LinkedPackage linked(pkg);
    PackageList p;
    ASSERT_TRUE(p.open());
    const References ref = read_references();
    ElementList nc = p.list(kCodeCommensurability, 5);
    const auto rows = p.rows(nc);
    for (const auto& [group, numbers, text] :
         {std::tuple{"Trojans", ref.trojans, "1:1"}, std::tuple{"Hildas", ref.hildas, "3:2"}}) {
        SCOPED_TRACE(group);
        EXPECT_GE(numbers.size(), 80u);
        for (int n : numbers) {
            const auto it = rows.find(n);
            ASSERT_NE(it, rows.end()) << n;
            EXPECT_EQ(nc.cellText(it->second, kColumnDerived), text) << n;
        }
    }
}

}  // namespace
