// Orbit properties: the MOID against the Earth MOIDs that JPL publishes for
// real minor planets, the Tisserand parameter against the textbook formula,
// commensurabilities, perihelion and node passages and positions on an orbit
// against hand computations from their definitions (dates through ERFA).
#include <erfa.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/orbprop.h"
#include "core/twobody.h"
#include "core/utils.h"
#include "support.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {

constexpr double kDeg = kPi / 180.0;

double num(std::string_view s) {
    double v = 0.0;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc()) ADD_FAILURE() << "not a number: " << s;
    return v;
}

// Orbit from a, e and the angles in degrees (ecliptic J2000), as the exports
// take it: six doubles with the mean motion of a (AU), and a apart.
struct Orbit {
    double el[6]{};
    double a = 0.0;
};

Orbit orbit(double a, double e, double i_deg, double node_deg, double peri_deg, double m_deg = 0.0) {
    Orbit o;
    o.a = a;
    o.el[0] = m_deg * kDeg;
    o.el[1] = peri_deg * kDeg;
    o.el[2] = node_deg * kDeg;
    o.el[3] = i_deg * kDeg;
    o.el[4] = e;
    o.el[5] = meanmot(a, 0.0);
    return o;
}

double call_moid(const Orbit& o1, const Orbit& o2) {
    double m = -99.0;
    Moid(o1.el, o1.a, o2.el, o2.a, &m);
    return m;
}

// The fixture written by tests/data/make_moid_fixture.py: the Earth's
// osculating orbit at JD 2459800.5 (JPL DE405) and objects of JPL's
// small-body database with their published Earth MOIDs.
struct Published {
    Orbit orb;
    double moid_au = 0.0;
    std::string cls, name;
};

struct MoidFixture {
    Orbit earth;
    std::vector<Published> objects;
};

MoidFixture read_fixture() {
    MoidFixture f;
    std::ifstream in(std::string(ZELVO_TEST_DATA) + "/moid_objects.txt");
    EXPECT_TRUE(in.good()) << "tests/data/moid_objects.txt missing";
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        std::vector<std::string> w;
        std::string t;
        while (ls >> t) w.push_back(t);
        if (w[0] == "earth") {
            f.earth = orbit(num(w[1]), num(w[2]), num(w[3]), num(w[4]), num(w[5]));
            continue;
        }
        Published p;
        p.orb = orbit(num(w[0]), num(w[1]), num(w[2]), num(w[3]), num(w[4]), num(w[5]));
        p.moid_au = num(w[6]);
        p.cls = w[7];
        for (std::size_t k = 8; k < w.size(); ++k) p.name += (k > 8 ? " " : "") + w[k];
        f.objects.push_back(p);
    }
    return f;
}

// The rows of KStars' asteroids.dat (JSON: {"fields":[...], "data":[[...],
// ...]}, every value a string or null), each row as its texts ("" for null).
struct SmallBodyTable {
    std::vector<std::string> fields;
    std::vector<std::vector<std::string>> rows;
    int column(std::string_view name) const {
        for (std::size_t k = 0; k < fields.size(); ++k)
            if (fields[k] == name) return static_cast<int>(k);
        return -1;
    }
};

class JsonArrays {
public:
    explicit JsonArrays(std::string text) : s_(std::move(text)) {}
    // Moves past the key "name": and returns false when it is absent.
    bool seek(std::string_view key) {
        const auto p = s_.find("\"" + std::string(key) + "\"");
        if (p == std::string::npos) return false;
        i_ = s_.find(':', p) + 1;
        return true;
    }
    // An array of strings, nulls and bare numbers.
    bool flat(std::vector<std::string>& out) {
        out.clear();
        if (!take('[')) return false;
        if (take(']')) return true;
        for (;;) {
            skip();
            if (i_ >= s_.size()) return false;
            if (s_[i_] == '"') {
                std::string v;
                for (++i_; i_ < s_.size() && s_[i_] != '"'; ++i_) {
                    if (s_[i_] == '\\') ++i_;
                    if (i_ < s_.size()) v += s_[i_];
                }
                ++i_;
                out.push_back(v);
            } else {
                const auto e = s_.find_first_of(",]", i_);
                if (e == std::string::npos) return false;
                std::string v = s_.substr(i_, e - i_);
                out.push_back(v == "null" ? "" : v);
                i_ = e;
            }
            if (take(']')) return true;
            if (!take(',')) return false;
        }
    }
    bool take(char c) {
        skip();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }

private:
    void skip() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    std::string s_;
    std::size_t i_ = 0;
};

bool read_small_bodies(const std::string& path, SmallBodyTable& t) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    JsonArrays j(ss.str());
    if (!j.seek("fields") || !j.flat(t.fields)) return false;
    if (!j.seek("data") || !j.take('[')) return false;
    std::vector<std::string> row;
    while (j.flat(row)) {
        t.rows.push_back(row);
        if (!j.take(',')) break;
    }
    return !t.rows.empty();
}

}  // namespace

// ---- Moid -------------------------------------------------------------------------

// JPL's Earth MOIDs (6 significant digits: the TNO values are rounded to
// 1e-4 AU, so up to 5e-5 of the difference is JPL's rounding). Tolerance
// 1e-4 AU for every object of the fixture.
TEST(Moid, PublishedEarthMoidsOfRealObjects) {
    const MoidFixture f = read_fixture();
    ASSERT_GE(f.objects.size(), 30u);
    double worst = 0.0;
    for (const Published& p : f.objects) {
        SCOPED_TRACE(p.name + " (" + p.cls + ")");
        const double m = call_moid(f.earth, p.orb);
        EXPECT_EQ(errmsg(nullptr, 0), 0);
        EXPECT_NEAR(m, p.moid_au, 1e-4);
        worst = std::max(worst, std::fabs(m - p.moid_au));
    }
    std::cout << "largest difference from JPL over " << f.objects.size() << " objects: " << worst << " AU\n";
}

// The earth as the scanned orbit and as orbit 2: the two choices of step and
// orbit find the same distance (within 1e-4 AU, the scan's accuracy).
TEST(Moid, OrderOfTheOrbitsDoesNotMatter) {
    const MoidFixture f = read_fixture();
    for (const Published& p : f.objects) {
        SCOPED_TRACE(p.name);
        EXPECT_NEAR(call_moid(p.orb, f.earth), call_moid(f.earth, p.orb), 1e-4);
    }
}

// Distances that follow from the geometry alone (exact up to rounding; the
// scan's interpolation error is zero or second order here: 1e-9 AU).
TEST(Moid, GeometricCases) {
    struct Case {
        const char* what;
        Orbit o1, o2;
        double moid_au, tol;
    } cases[] = {
        {"concentric coplanar circles 1 and 2 AU", orbit(1, 0, 0, 0, 0), orbit(2, 0, 0, 0, 0), 1.0, 1e-9},
        {"identical circles (F flat)", orbit(1, 0, 0, 0, 0), orbit(1, 0, 0, 0, 0), 0.0, 1e-7},
        {"circles 1 and 2 AU in perpendicular planes", orbit(1, 0, 0, 0, 0), orbit(2, 0, 90, 0, 0), 1.0, 1e-9},
        {"equal circles inclined 30 degrees cross at the nodes", orbit(1.5, 0, 0, 0, 0), orbit(1.5, 0, 30, 40, 0), 0.0,
         1e-6},
        // Coplanar, apsides aligned: q2 - Q1 along the apse line.
        {"nested coplanar ellipses", orbit(1, 0.1, 0, 0, 0), orbit(3, 0.3, 0, 0, 180), 3 * 0.7 - 1 * 1.1, 1e-6},
        // The same orbit seen twice: every point is on both.
        {"identical eccentric orbits", orbit(2.2, 0.35, 12, 80, 40), orbit(2.2, 0.35, 12, 80, 40), 0.0, 1e-6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(call_moid(c.o1, c.o2), c.moid_au, c.tol);
        EXPECT_EQ(errmsg(nullptr, 0), 0);
    }
}

TEST(Moid, StepAndScannedOrbit) {
    struct Case {
        double i_deg, e;
        bool second;
        double step;
    } cases[] = {
        {41.0, 0.1, true, 0.2}, {41.0, 0.0, true, 0.2}, {5.0, 0.41, true, 0.2},
        {0.0, 0.41, true, 0.2}, {8.1, 0.4, false, 1.0}, {8.1, 0.1, false, 1.0},
        {7.9, 0.4, false, 1.5}, {7.9, 0.0, false, 1.5}, {40.0, 0.4, false, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("i " + std::to_string(c.i_deg) + " e " + std::to_string(c.e));
        const Orbit o = orbit(2.5, c.e, c.i_deg, 0, 0);
        const MoidPlan plan = moid_plan(OrbitElements::from(o.el));
        EXPECT_EQ(plan.scan_second, c.second);
        EXPECT_DOUBLE_EQ(plan.step_deg, c.step);
    }
}

// Orbits the scan cannot treat are reported and give -1; the call ends.
TEST(Moid, OrbitsItCannotTreat) {
    const Orbit good = orbit(1, 0.0167, 0, 0, 100);
    Orbit parabola = orbit(2, 0.5, 10, 20, 30);
    parabola.el[4] = 1.0;
    Orbit hyperbola = parabola;
    hyperbola.el[4] = 1.3;
    Orbit still = orbit(2, 0.1, 10, 20, 30);
    still.el[5] = 0.0;
    Orbit no_axis = orbit(2, 0.1, 10, 20, 30);
    no_axis.a = 0.0;
    Orbit nan_angle = orbit(2, 0.1, 10, 20, 30);
    nan_angle.el[1] = std::nan("");
    struct Case {
        const char* what;
        Orbit o;
    } cases[] = {{"e = 1", parabola}, {"e > 1", hyperbola}, {"n = 0", still}, {"a = 0", no_axis}, {"NaN", nan_angle}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(call_moid(good, c.o), kMoidNone);
        EXPECT_FALSE(zeltest::last_message().empty());
        EXPECT_EQ(call_moid(c.o, good), kMoidNone);
        EXPECT_GT(errmsg(nullptr, 0), 0);
    }
    Moid(nullptr, 1.0, good.el, 1.0, nullptr);  // no arrays: reported, nothing written
    EXPECT_GT(errmsg(nullptr, 0), 0);
}

// A larger sample: every object of KStars' asteroids.dat with the epoch of
// the fixture's Earth orbit (JD 2459800.5) and a published MOID; reports the
// fraction within 1e-4 AU. Skipped when kstars-data is not installed.
TEST(Moid, SmallBodyDatabaseSample) {
    SmallBodyTable t;
    if (!read_small_bodies("/usr/share/kstars/asteroids.dat", t)) GTEST_SKIP() << "kstars-data not installed";
    const int ca = t.column("a"), ce = t.column("e"), ci = t.column("i"), cn = t.column("om"), cw = t.column("w"),
              cm = t.column("moid"), cep = t.column("epoch_mjd"), cname = t.column("full_name");
    ASSERT_TRUE(ca >= 0 && ce >= 0 && ci >= 0 && cn >= 0 && cw >= 0 && cm >= 0 && cep >= 0 && cname >= 0);
    const MoidFixture f = read_fixture();
    const auto col = [](const std::vector<std::string>& r, int c) { return r[static_cast<std::size_t>(c)]; };
    int total = 0, within = 0, refused = 0, scan_within = 0;
    double worst = 0.0;
    std::string worst_name;
    for (const auto& r : t.rows) {
        if (r.size() != t.fields.size() || col(r, cep) != "59800" || col(r, cm).empty()) continue;
        const Orbit o = orbit(num(col(r, ca)), num(col(r, ce)), num(col(r, ci)), num(col(r, cn)), num(col(r, cw)));
        if (!(o.el[4] < 1.0)) {
            ++refused;
            continue;
        }
        const double m = call_moid(f.earth, o);
        const double d = std::fabs(m - num(col(r, cm)));
        ++total;
        if (d <= 1e-4) ++within;
        // The scan's own candidate, before the polish.
        const auto search = moid(OrbitElements::from(f.earth.el), f.earth.a, OrbitElements::from(o.el), o.a);
        ASSERT_TRUE(search.ok());
        EXPECT_LE(search->moid_au, search->scan_au);
        if (std::fabs(search->scan_au - num(col(r, cm))) <= 1e-4) ++scan_within;
        if (d > worst) {
            worst = d;
            worst_name = col(r, cname);
        }
    }
    ASSERT_GT(total, 1000);
    const double fraction = static_cast<double>(within) / total;
    std::printf(
        "Earth MOID against JPL: %d of %d objects within 1e-4 AU (%.4f); largest difference %.3g AU (%s); "
        "%d not elliptic; the scan alone, before the polish: %d within 1e-4 AU\n",
        within, total, fraction, worst, worst_name.c_str(), refused, scan_within);
    RecordProperty("fraction_within_1e-4_au", std::to_string(fraction));
    EXPECT_GE(fraction, 0.99);
}

// ---- CT ---------------------------------------------------------------------------

TEST(Tisserand, IdenticalCircularOrbitsGiveThree) {
    const Orbit o = orbit(5.2, 0.0, 1.3, 100.5, 273.0);
    double t = 0.0;
    CT(o.el, o.a, o.el, o.a, &t);
    EXPECT_NEAR(t, 3.0, 1e-14);  // 1 + 2 cos 0 sqrt(1), rounding only
}

// T with respect to Jupiter of real objects: T = a_J/a + 2 cos I sqrt(a/a_J
// (1 - e^2)), I the mutual inclination from spherical trigonometry,
// cos I = cos i cos i_J + sin i sin i_J cos(node - node_J). Jupiter: the mean
// elements of E. M. Standish, "Keplerian elements for approximate positions
// of the major planets" (JPL), at J2000. Tolerance 1e-12 (rounding).
TEST(Tisserand, RealObjectsWithRespectToJupiter) {
    const double aj = 5.20288700, ij = 1.30439695, nodej = 100.47390909, varpij = 14.72847983;
    const Orbit jupiter = orbit(aj, 0.04838624, ij, nodej, varpij - nodej);
    const MoidFixture f = read_fixture();
    for (const Published& p : f.objects) {
        SCOPED_TRACE(p.name);
        const double i = p.orb.el[3], node = p.orb.el[2], e = p.orb.el[4], a = p.orb.a;
        const double cos_i =
            std::cos(i) * std::cos(ij * kDeg) + std::sin(i) * std::sin(ij * kDeg) * std::cos(node - nodej * kDeg);
        const double expected = aj / a + 2.0 * cos_i * std::sqrt(a / aj * (1.0 - e * e));
        double t = 0.0;
        CT(jupiter.el, jupiter.a, p.orb.el, p.orb.a, &t);
        EXPECT_NEAR(t, expected, 1e-12);
    }
    // Trojans of Jupiter have T close to 3 (Levison 1996: 2.6 < T_J < 3.1
    // for the Jupiter family and the Trojans of low inclination).
    for (const Published& p : f.objects) {
        if (p.cls != "TJN") continue;
        double t = 0.0;
        CT(jupiter.el, jupiter.a, p.orb.el, p.orb.a, &t);
        EXPECT_GT(t, 2.5) << p.name;
        EXPECT_LT(t, 3.1) << p.name;
    }
}

TEST(Tisserand, UntreatableOrbitsAreReported) {
    const Orbit o = orbit(5.2, 0.0, 1.3, 100.5, 273.0);
    Orbit h = o;
    h.el[4] = 1.2;
    double t = 7.0;
    CT(o.el, o.a, h.el, h.a, &t);
    EXPECT_EQ(t, 7.0);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    CT(o.el, 0.0, o.el, o.a, &t);
    EXPECT_EQ(t, 7.0);
    EXPECT_GT(errmsg(nullptr, 0), 0);
}

// ---- soizm ---------------------------------------------------------------------------

TEST(Commensurability, Cases) {
    const double nj = 0.0830853, ns = 0.0334597;  // Jupiter, Saturn: mean motions, degrees per day
    struct Case {
        const char* what;
        double n1, n2;
        int max_term, max_order, tol, p, q;
    } cases[] = {
        // 300"/day and 150"/day, tolerance 1"/day: 4:8, 3:6, 2:4 are overwritten by 1:2.
        {"exact half", 150.0 / 3600, 300.0 / 3600, 9, 5, 1, 1, 2},
        {"exact half, order 0", 150.0 / 3600, 300.0 / 3600, 9, 0, 1, 0, 0},
        // Jupiter : Saturn = 2.4832; |5/2 - 2.4832| = 0.0168 < (3/3600)/0.03346 = 0.0249; no other p/q
        // with p, q <= 9 lies that close.
        {"great inequality 5:2", nj, ns, 9, 5, 3, 5, 2},
        {"5:2 beyond order 2", nj, ns, 9, 2, 3, 0, 0},
        // 1"/day gives 0.0083: nothing.
        {"5:2 outside a tighter tolerance", nj, ns, 9, 5, 1, 0, 0},
        {"equal motions", 0.25, 0.25, 9, 5, 1, 1, 1},
        {"n2 zero", 0.25, 0.0, 9, 5, 1, 0, 0},
        {"no terms", 0.25, 0.5, 0, 5, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int p = -1, q = -1;
        ::soizm(c.n1, c.n2, c.max_term, c.max_order, c.tol, &p, &q);
        EXPECT_EQ(p, c.p);
        EXPECT_EQ(q, c.q);
    }
}

// ---- t_per, t_as_ds ---------------------------------------------------------------------

namespace {

// Packed civil date of a Julian date by ERFA (eraJd2cal: Gregorian calendar,
// fraction of the day from midnight).
double erfa_packed(double jd) {
    int y = 0, m = 0, d = 0;
    double fd = 0.0;
    EXPECT_EQ(eraJd2cal(jd, 0.0, &y, &m, &d, &fd), 0);
    return y * 10000.0 + m * 100.0 + d + fd;
}

// True anomaly at the mean anomaly M (Newton's method on Kepler's equation).
double true_anomaly(double e, double M) {
    double E = M;
    for (int k = 0; k < 60; ++k) E -= (E - e * std::sin(E) - M) / (1.0 - e * std::cos(E));
    return 2.0 * std::atan2(std::sqrt(1.0 + e) * std::sin(E / 2.0), std::sqrt(1.0 - e) * std::cos(E / 2.0));
}

}  // namespace

TEST(PerihelionPassage, LastOrNextPassage) {
    const double epoch = 2459800.5, n = 0.2141 * kDeg;
    struct Case {
        const char* what;
        double M, jd;
    } cases[] = {
        {"M below pi: the last passage", 1.0, epoch - 1.0 / n},
        {"M = pi: the next passage", kPi, epoch + kPi / n},
        {"M above pi: the next passage", 4.0, epoch + (kTwoPi - 4.0) / n},
        {"M = 0: the epoch itself", 0.0, epoch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double date = 0.0, jd = 0.0;
        t_per(epoch, c.M, n, &date, &jd);
        EXPECT_NEAR(jd, c.jd, 1e-7);                 // days: rounding of the division
        EXPECT_NEAR(date, erfa_packed(c.jd), 1e-8);  // days: ERFA's own rounding of the fraction
    }
    // 100 days before J2000.0 (2000 January 1.5): 1999 September 23.5.
    double date = 0.0, jd = 0.0;
    t_per(2451545.0, 1.0, 0.01, &date, &jd);
    EXPECT_DOUBLE_EQ(jd, 2451445.0);
    EXPECT_NEAR(date, 19990923.5, 1e-8);

    date = jd = 5.0;
    t_per(2451545.0, 1.0, 0.0, &date, &jd);  // no motion: reported, outputs unchanged
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_EQ(date, 5.0);
    EXPECT_EQ(jd, 5.0);
}

TEST(NodePassages, ArgumentOfLatitudeAtTheNodes) {
    struct Case {
        const char* what;
        double M, w, e, n;
    } cases[] = {
        {"Eros-like", 358.82 * kDeg, 178.93 * kDeg, 0.2227, meanmot(1.458, 0)},
        {"Ceres-like", 334.33 * kDeg, 73.53 * kDeg, 0.0786, meanmot(2.767, 0)},
        {"eccentric, w small", 30.0 * kDeg, 10.0 * kDeg, 0.7, meanmot(3.0, 0)},
        {"circular", 200.0 * kDeg, 300.0 * kDeg, 0.0, meanmot(1.0, 0)},
        {"w = 0", 100.0 * kDeg, 0.0, 0.5, meanmot(2.0, 0)},
    };
    const double epoch = 2459800.5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double da = 0, ja = 0, dd = 0, jdd = 0;
        t_as_ds(epoch, c.M, c.w, c.e, c.n, &da, &ja, &dd, &jdd);
        ASSERT_EQ(errmsg(nullptr, 0), 0);
        // At the ascending node w + v = 0, at the descending node w + v = pi
        // (1e-9 rad: the date's rounding times the angular rate).
        EXPECT_NEAR(std::remainder(c.w + true_anomaly(c.e, c.M + c.n * (ja - epoch)), kTwoPi), 0.0, 1e-9);
        EXPECT_NEAR(std::remainder(c.w + true_anomaly(c.e, c.M + c.n * (jdd - epoch)) - kPi, kTwoPi), 0.0, 1e-9);
        // Both within half a period of the perihelion nearest the epoch.
        const double period = kTwoPi / c.n;
        const double m0 = c.M < kPi ? c.M : c.M - kTwoPi;
        const double tp = epoch - m0 / c.n;
        EXPECT_LE(std::fabs(ja - tp), period / 2 + 1e-6);
        EXPECT_LE(std::fabs(jdd - tp), period / 2 + 1e-6);
        EXPECT_NEAR(da, erfa_packed(ja), 1e-8);
        EXPECT_NEAR(dd, erfa_packed(jdd), 1e-8);
    }
    // Circular orbit by hand: M = 0.2, w = 0.5, n = 0.01 -> the ascending node
    // 70 days before the epoch, the descending node (pi - 0.7) / 0.01 after it.
    double da = 0, ja = 0, dd = 0, jdd = 0;
    t_as_ds(2451545.0, 0.2, 0.5, 0.0, 0.01, &da, &ja, &dd, &jdd);
    EXPECT_NEAR(ja, 2451545.0 - 70.0, 1e-9);
    EXPECT_NEAR(jdd, 2451545.0 + (kPi - 0.7) / 0.01, 1e-9);
    EXPECT_NEAR(da, 19991023.5, 1e-8);

    ja = 3.0;
    t_as_ds(2451545.0, 0.2, 0.5, 1.0, 0.01, &da, &ja, &dd, &jdd);  // e = 1: reported
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_EQ(ja, 3.0);
}

// ---- TXYZ --------------------------------------------------------------------------------

TEST(PositionOnOrbit, HandComputedPositions) {
    // Circular orbit, all angles zero, at the epoch: (a, 0, 0).
    const double a = 2.5, n = meanmot(a, 0.0);
    double set0[7] = {2451545.0, 0, 0, 0, 0, 0, n};
    double x = 0, y = 0, z = 0;
    TXYZ(set0, 2451545.0, &x, &y, &z, 0.0);
    EXPECT_NEAR(x, a, 1e-14);
    EXPECT_NEAR(y, 0.0, 1e-14);
    EXPECT_NEAR(z, 0.0, 1e-14);
    // A quarter period later on a circle inclined 90 degrees with the node
    // on the x axis: (0, 0, a).
    double set1[7] = {2451545.0, 0, 0, 0, kPi / 2, 0, n};
    TXYZ(set1, 2451545.0 + (kPi / 2) / n, &x, &y, &z, 0.0);
    EXPECT_NEAR(x, 0.0, 1e-12);
    EXPECT_NEAR(y, 0.0, 1e-12);
    EXPECT_NEAR(z, a, 1e-12);

    // Eccentric orbit: from the definitions (independent Kepler solution,
    // then the rotation by w, i and W), tolerance 1e-9 AU (Kepler to 1e-10).
    const double e = 0.6, w = 0.7, node = 2.1, incl = 0.4, M0 = 0.3, mass = 1.0 / 1047.3486;
    const double nj = 0.0015;
    double set2[7] = {2459800.5, M0, w, node, incl, e, nj};
    const double jd = 2459800.5 + 321.0;
    const double aj = std::pow(kGaussK * std::sqrt(1.0 + mass) / nj, 2.0 / 3.0);
    const double v = true_anomaly(e, M0 + nj * 321.0);
    const double r = aj * (1 - e * e) / (1 + e * std::cos(v));
    const double u = w + v;
    TXYZ(set2, jd, &x, &y, &z, mass);
    EXPECT_NEAR(x, r * (std::cos(u) * std::cos(node) - std::sin(u) * std::sin(node) * std::cos(incl)), 1e-9);
    EXPECT_NEAR(y, r * (std::sin(u) * std::cos(node) * std::cos(incl) + std::cos(u) * std::sin(node)), 1e-9);
    EXPECT_NEAR(z, r * std::sin(u) * std::sin(incl), 1e-9);

    // Not an ellipse: reported, outputs unchanged.
    double set3[7] = {2451545.0, 0, 0, 0, 0, 1.5, n};
    x = 9.0;
    TXYZ(set3, 2451545.0, &x, &y, &z, 0.0);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_EQ(x, 9.0);
    set3[5] = 0.1;
    set3[6] = 0.0;
    TXYZ(set3, 2451545.0, &x, &y, &z, 0.0);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_EQ(x, 9.0);
}
