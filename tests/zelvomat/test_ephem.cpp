// The position routine: objects, centres, observers, frames and reductions.
//
// References from outside the library:
//  - planetary states: tests/data/de405_excerpt_states.txt (the independent
//    numpy reader of tests/data/make_de405_reference.py);
//  - frames: ERFA's IAU 1976 precession (eraPmat76), IAU 1980 nutation
//    (eraNut80, eraNutm80), mean obliquity (eraObl80), the FK5 -> FK4
//    conversion (eraFk524), sidereal time (eraGmst82, eraEqeq94) and the
//    horizon (eraHd2ae);
//  - light time: iterated in the test from the reader's heliocentric states;
//  - magnitudes: the H, G formula of Bowell et al. (1989) written out here.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/apparent.h"
#include "core/catalog.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/elemcache.h"
#include "core/elmnt.h"
#include "core/ephem.h"
#include "core/fallback.h"
#include "core/force.h"
#include "core/observer.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "support.h"
#include "tasks/libstate.h"
#include "yearly_fixture.h"

using namespace zelvomat;

namespace {

const std::string kExcerpt = std::string(ZELVO_TEST_DATA) + "/coorbp_de405_excerpt";
const std::string kFallbackDir = std::string(ZELVO_TEST_DATA) + "/fallback/";
constexpr double kFirst = 2451536.5;
constexpr double kLast = 2451632.5;
constexpr double kEpoch = 2451545.0;  // catalogue epoch of these tests
constexpr double kArcsec = 4.84813681109536e-6;
constexpr double kDeg = 0.017453292519943295;
constexpr double kPi = 3.14159265358979323846;

using V3 = std::array<double, 3>;

// Elements [M, peri, node, incl, e, n] (radians, rad/day, ecliptic J2000) of
// three objects at JD 2451545.0, near those of Ceres, Eros and Vesta.
std::array<double, 6> elements_deg(double m, double w, double node, double i, double e, double a) {
    return {m * kDeg, w * kDeg, node * kDeg, i * kDeg, e, 0.01720209895 / std::pow(a, 1.5)};
}
const std::array<double, 6> kCeres = elements_deg(6.07, 73.92, 80.49, 10.58, 0.0780, 2.7665);
const std::array<double, 6> kEros = elements_deg(108.2, 178.64, 304.40, 10.83, 0.2229, 1.4580);
const std::array<double, 6> kVesta = elements_deg(305.9, 150.2, 103.95, 7.13, 0.0896, 2.3613);

std::vector<zeltest::CatObject> objects() {
    return {{1, "Ceres", "CERES", " 3.34", kCeres},
            {2, "Eros", "EROS", "11.16", kEros},
            {3, "Zero", "ZERO", " 0.00", kVesta},
            {4, "Vesta", "VESTA", " 3.20", kVesta}};
}

// Heliocentric (centre 11) or Earth-centred (centre 3) positions of the
// reference file: JPL numbering.
std::map<int, V3> reference(double jd, int centre) {
    std::ifstream in(std::string(ZELVO_TEST_DATA) + "/de405_excerpt_states.txt");
    std::map<int, V3> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        ls.imbue(std::locale::classic());
        double t = 0;
        int target = 0, c = 0;
        V3 p{};
        ls >> t >> target >> c >> p[0] >> p[1] >> p[2];
        if (ls && t == jd && c == centre) out[target] = p;
    }
    return out;
}

// ERFA's vector routines take non-const pointers: copies.
double pm(V3 a) { return eraPm(a.data()); }
double pdp(V3 a, V3 b) { return eraPdp(a.data(), b.data()); }

double angle_between(V3 a, V3 b) {
    double c[3];
    eraPxp(a.data(), b.data(), c);
    return std::atan2(eraPm(c), eraPdp(a.data(), b.data()));
}

V3 unit_of(double ra, double dec) {
    V3 u;
    eraS2c(ra, dec, u.data());
    return u;
}

V3 mat_vec(double m[3][3], V3 v) {
    V3 r;
    eraRxp(m, v.data(), r.data());
    return r;
}

V3 mat_t_vec(double m[3][3], V3 v) {
    V3 r;
    eraTrxp(m, v.data(), r.data());
    return r;
}

// ERFA's NP matrix of the date: IAU 1980 nutation times IAU 1976 precession.
void erfa_np(double jd, double np[3][3]) {
    double p[3][3], n[3][3];
    eraPmat76(2400000.5, jd - 2400000.5, p);
    eraNutm80(2400000.5, jd - 2400000.5, n);
    eraRxr(n, p, np);
}

// Observer to geocentre vector (AU) in the true equator of date, from
// ERFA's apparent sidereal time, for the site s.
V3 erfa_observer_tod(const ObserverSite& s, double jd, double ut_jd) {
    const double gast = eraGmst82(2400000.5, ut_jd - 2400000.5) + eraEqeq94(2400000.5, jd - 2400000.5);
    const double th = gast + s.longitude;
    return {s.rho_cos_phi * std::cos(th), s.rho_cos_phi * std::sin(th), s.rho_sin_phi};
}

class Ephem : public ::testing::Test {
protected:
    void SetUp() override {
        zeltest::write_catalogue(wd.dir_slash(), 4, 4, objects(), {{1, " 0.12"}, {3, " 0.00"}}, kEpoch);
        ASSERT_TRUE(catopen(state_.core.catalogue).ok());
        state_.core.package.objects = 4;
        state_.core.package.numbered = 4;
        state_.core.package.catalogue_epoch = kEpoch;
        state_.core.de.first_jd = kFirst;
        state_.core.de.last_jd = kLast;
        ASSERT_TRUE(de_open(state_.core.de, state_.core.de_copies, kExcerpt).ok());
        state_.core.motion.catalogue_epoch = kEpoch;
        // Ceres, Pallas, Vesta as the perturbing minor planets.
        state_.core.minor_perturbers.planet = {
            OrbitElements::from(kCeres.data()),
            OrbitElements::from(elements_deg(352.9, 310.3, 173.2, 34.84, 0.2300, 2.7716).data()),
            OrbitElements::from(kVesta.data())};
    }
    void options(const char* form, const char* kind, const char* plane, const char* equinox, int centre,
                 const char* observer) {
        auto t = task_options_from_texts(form, kind, plane, equinox, centre, observer);
        ASSERT_TRUE(t.ok()) << t.message();
        state_.core.task_options = *t;
    }
    // A site: longitude, latitude (degrees), parallax constants (Earth radii).
    void site(double lon_deg, double lat_deg, double rc, double rs) {
        state_.core.observer_site = {lon_deg * kDeg, lat_deg * kDeg, rc * kParallaxScale, rs * kParallaxScale};
    }
    EphResultValues run(std::int32_t number, double jd, std::int32_t index = 1, double step = 0.0) {
        EphResultValues v;
        const Status s =
            ephem(state_.core, number, EphemDate{jd - (index - 1) * step, step, index}, 0, wd.dir_slash(), v, acc);
        last = s;
        EXPECT_TRUE(s.ok()) << s.message();
        return v;
    }
    LibraryState state_;  // a fresh library for each test
    zeltest::ScopedWorkDir wd;
    std::int16_t acc = -1;
    Status last;
};

// ---- Major bodies ---------------------------------------------------------------

// Mars from the Earth, geometric: the reference reader's Earth-centred Mars.
TEST_F(Ephem, MarsGeometricAgainstTheReferenceReader) {
    options("SPH", "GMT", "EQT", "2000", 3, "GEO");
    for (double jd : {2451536.5, 2451545.0, 2451583.999, 2451632.5}) {
        SCOPED_TRACE(jd);
        const auto ref = reference(jd, 3);
        ASSERT_TRUE(ref.count(4));
        const EphResultValues v = run(-4, jd);
        EXPECT_EQ(acc, 1);
        // 1e-11 rad and 1e-12 AU: the two readers' rounding.
        EXPECT_LT(angle_between(unit_of(v(1), v(2)), ref.at(4)), 1e-11);
        EXPECT_NEAR(v(3), pm(ref.at(4)), 1e-12);
        const auto helio = reference(jd, 11);
        EXPECT_NEAR(v(7), pm(helio.at(4)), 1e-12);
        EXPECT_EQ(v(9), 0.0);  // no magnitude for a major body
    }
}

// Astrometric Mars: the light time iterated here with the reader's
// heliocentric Mars at the retarded date and the Sun at the date.
TEST_F(Ephem, MarsAstrometricWithLightTime) {
    options("SPH", "AST", "EQT", "2000", 3, "GEO");
    const double jd = 2451560.25;
    State9 sun_earth{}, mars{};
    ASSERT_TRUE(bodystate(state_.core.de, state_.core.de_copies, state_.core.data_paths, DeReader::Position, jd, 11, 3,
                          sun_earth)
                    .ok());
    double tau = 0.0;
    V3 rel{};
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(bodystate(state_.core.de, state_.core.de_copies, state_.core.data_paths, DeReader::Position,
                              jd - tau, 4, 11, mars)
                        .ok());
        for (std::size_t k = 0; k < 3; ++k) rel[k] = mars[k] + sun_earth[k];
        tau = pm(rel) * 0.00577551831;
    }
    const EphResultValues v = run(-4, jd);
    // The routine moves Mars back along its velocity (a straight line over
    // the ~10 minutes of light time): within 1e-3".
    EXPECT_LT(angle_between(unit_of(v(1), v(2)), rel), 1e-3 * kArcsec);
    // Light time matters: the geometric direction is more than 1" away.
    options("SPH", "GMT", "EQT", "2000", 3, "GEO");
    const EphResultValues g = run(-4, jd);
    EXPECT_GT(angle_between(unit_of(g(1), g(2)), rel), 1.0 * kArcsec);
}

// Centres: body code c gives the Sun relative to c (reference file), for the
// barycentre, the Earth-Moon barycentre and the Moon.
TEST_F(Ephem, CentresOfTheEphemeris) {
    const double jd = 2451545.0;
    const auto helio = reference(jd, 11);
    struct Case {
        int centre;
        V3 centre_pos;  // heliocentric position of the centre
    };
    const auto bary = reference(jd, 12);  // 11 12: the Sun from the barycentre
    V3 ssb{-bary.at(11)[0], -bary.at(11)[1], -bary.at(11)[2]};
    const Case cases[] = {{0, ssb}, {3, helio.at(3)}, {12, helio.at(13)}, {10, {0, 0, 0}}, {5, helio.at(5)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.centre);
        options("REC", "GMT", "EQT", "2000", c.centre, "GEO");
        const EphResultValues v = run(-4, jd);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(v(i + 1), helio.at(4)[static_cast<std::size_t>(i)] - c.centre_pos[static_cast<std::size_t>(i)],
                        1e-12);
        EXPECT_NEAR(v(9), pm(helio.at(4)), 1e-12);
    }
    // Object 0: the solar-system barycentre, heliocentric.
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const EphResultValues b = run(0, jd);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(b(i + 1), ssb[static_cast<std::size_t>(i)], 1e-12);
}

// The ends of the file's span use the file; beyond it the fallback theory
// gives the body with the flag 0.
TEST_F(Ephem, SpanEndsAndFallback) {
    state_.core.data_paths.data_dir = kFallbackDir;
    ASSERT_TRUE(load_planet_elements(state_.core.planet_elements, kFallbackDir + "orb.elm", 2459800.5).ok());
    ASSERT_TRUE(load_moon_series(state_.core.moon_series, kFallbackDir + "moon.xyz").ok());
    options("SPH", "GMT", "EQT", "2000", 3, "GEO");
    for (double jd : {kFirst, kLast}) {
        const auto ref = reference(jd, 3);
        const EphResultValues v = run(-4, jd);
        EXPECT_EQ(acc, 1) << jd;
        EXPECT_LT(angle_between(unit_of(v(1), v(2)), ref.at(4)), 1e-11) << jd;
    }
    const EphResultValues late = run(-4, kLast + 0.5);
    EXPECT_EQ(acc, 0);
    // Half a day after the end: the fallback Mars and Earth (a few arcminutes
    // at most, fallback.h) against the file's Mars at the end, moved on by
    // half a day of its geocentric motion (about 0.3 degrees a day).
    const auto ref = reference(kLast, 3);
    EXPECT_LT(angle_between(unit_of(late(1), late(2)), ref.at(4)), 0.5 * kDeg);
    EXPECT_GT(late(3), 0.5);
}

// The Earth in spherical form: all ten values 0; in rectangular form from the
// Earth: zero position, distance 0 ends the call.
TEST_F(Ephem, EarthAsObject) {
    for (const char* kind : {"GMT", "AST", "APP"}) {
        options("SPH", kind, "EQT", "2000", 3, "GEO");
        const EphResultValues v = run(-3, 2451550.5);
        EXPECT_EQ(v, EphResultValues{}) << kind;
    }
    options("REC", "GMT", "EQT", "2000", 3, "GEO");
    const EphResultValues r = run(-3, 2451545.0);
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(r(i), 0.0) << i;
    EXPECT_EQ(r(10), 0.0);
    EXPECT_NEAR(r(9), eraPm(reference(2451545.0, 11).at(3).data()), 1e-12);
}

// ---- Frames -------------------------------------------------------------------------

// Equinox of date: NP = N P of ERFA turns the J2000 vector; the ecliptic of
// date by the true obliquity.
TEST_F(Ephem, FramesOfDateAgainstErfa) {
    const double jd = 2451600.75;
    options("REC", "GMT", "EQT", "2000", 3, "GEO");
    const EphResultValues j = run(-5, jd);
    const V3 x{j(1), j(2), j(3)};
    double np[3][3];
    erfa_np(jd, np);
    const V3 want = mat_vec(np, x);
    options("REC", "GMT", "EQT", "INST", 3, "GEO");
    const EphResultValues d = run(-5, jd);
    // The library's nutation sums single-precision coefficients: 1e-4".
    EXPECT_LT(angle_between({d(1), d(2), d(3)}, want), 1e-4 * kArcsec);
    EXPECT_NEAR(eraPm(V3{d(1), d(2), d(3)}.data()), pm(x), 1e-14);

    double dpsi = 0, deps = 0;
    eraNut80(2400000.5, jd - 2400000.5, &dpsi, &deps);
    const double eps = eraObl80(2400000.5, jd - 2400000.5) + deps;
    double ecl[3][3];
    eraIr(ecl);
    eraRx(eps, ecl);
    const V3 want_ecl = mat_vec(ecl, want);
    options("SPH", "GMT", "ECL", "INST", 3, "GEO");
    const EphResultValues e = run(-5, jd);
    EXPECT_LT(angle_between(unit_of(e(1), e(2)), want_ecl), 1e-4 * kArcsec);
}

// The fixed frames: J2000 ecliptic (ERFA's obliquity of J2000), B1950
// equator (ERFA's FK5 -> FK4 without proper motion, its E-terms removed) and
// the B1950 ecliptic (ERFA's obliquity at B1950.0).
TEST_F(Ephem, FixedFramesAgainstErfa) {
    const double jd = 2451545.0;
    options("REC", "GMT", "EQT", "2000", 3, "GEO");
    const EphResultValues j = run(-6, jd);
    V3 x{j(1), j(2), j(3)};
    double ra = 0, dec = 0;
    eraC2s(x.data(), &ra, &dec);

    double m[3][3];
    eraIr(m);
    eraRx(eraObl80(2451545.0, 0.0), m);
    options("SPH", "GMT", "ECL", "2000", 3, "GEO");
    const EphResultValues e = run(-6, jd);
    EXPECT_LT(angle_between(unit_of(e(1), e(2)), mat_vec(m, x)), 1e-3 * kArcsec);  // 10-digit matrix

    // FK4 B1950 from ERFA, then the E-terms taken away again.
    double r1950 = 0, d1950 = 0, dr = 0, dd = 0, px = 0, rv = 0;
    eraFk524(ra, dec, 0, 0, 0, 0, &r1950, &d1950, &dr, &dd, &px, &rv);
    V3 u = unit_of(r1950, d1950);
    const V3 a{-1.62557e-6, -0.31919e-6, -0.13843e-6};
    const double ua = pdp(u, a);
    V3 b1950;
    for (std::size_t i = 0; i < 3; ++i) b1950[i] = u[i] - a[i] + ua * u[i];
    options("SPH", "GMT", "EQT", "1950", 3, "GEO");
    const EphResultValues b = run(-6, jd);
    // eraFk524 moves the position by FK4's fictitious proper motion over the
    // half century to B1950 (a few 0.01"): 0.05".
    EXPECT_LT(angle_between(unit_of(b(1), b(2)), b1950), 0.05 * kArcsec);
    EXPECT_GT(angle_between(unit_of(b(1), b(2)), x), 600 * kArcsec);  // half a century of precession

    eraIr(m);
    eraRx(eraObl80(2433282.42345905, 0.0), m);  // B1950.0
    const V3 b_eq = unit_of(b(1), b(2));
    options("SPH", "GMT", "ECL", "1950", 3, "GEO");
    const EphResultValues be = run(-6, jd);
    // The matrix holds FK4's obliquity 23 26' 44.836", 0.012" from the IAU
    // 1976 value at B1950.0: 0.02".
    EXPECT_LT(angle_between(unit_of(be(1), be(2)), mat_vec(m, b_eq)), 0.02 * kArcsec);
}

// A topocentric observer is turned with the other vectors in every frame:
// the difference topocentric - geocentric is the observer's vector of date
// (ERFA's sidereal time) turned into the frame of the result.
TEST_F(Ephem, TopocentricObserverInEveryFrame) {
    site(-70.73, -29.26, 0.87, -0.49);  // a southern site
    const double jd = 2451570.3;
    // Delta T 0 (no table): UT = TT.
    double np[3][3];
    erfa_np(jd, np);
    const V3 tod = erfa_observer_tod(state_.core.observer_site, jd, jd);
    const V3 j2000 = mat_t_vec(np, tod);
    double eps2000[3][3];
    eraIr(eps2000);
    eraRx(eraObl80(2451545.0, 0.0), eps2000);
    struct Case {
        const char* plane;
        const char* equinox;
        V3 want;
    };
    double dpsi = 0, deps = 0;
    eraNut80(2400000.5, jd - 2400000.5, &dpsi, &deps);
    double ecl_date[3][3];
    eraIr(ecl_date);
    eraRx(eraObl80(2400000.5, jd - 2400000.5) + deps, ecl_date);
    // B1950: the library's matrix (checked against ERFA above) applied here
    // through a geocentric run of a vector along each axis is circular, so
    // the B1950 cases compare lengths and the angle to the J2000 vector.
    const Case cases[] = {
        {"EQT", "2000", j2000},
        {"ECL", "2000", mat_vec(eps2000, j2000)},
        {"EQT", "INST", tod},
        {"ECL", "INST", mat_vec(ecl_date, tod)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plane) + c.equinox);
        options("REC", "GMT", c.plane, c.equinox, 3, "GEO");
        const EphResultValues g = run(-4, jd);
        options("REC", "GMT", c.plane, c.equinox, 3, "TOP");
        const EphResultValues t = run(-4, jd);
        // 1e-12 AU = 0.15 m.
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(t(i + 1) - g(i + 1), c.want[static_cast<std::size_t>(i)], 1e-12);
    }
    // B1950: the observer vector moved by the same precession as the object.
    options("REC", "GMT", "EQT", "1950", 3, "GEO");
    const EphResultValues g = run(-4, jd);
    options("REC", "GMT", "EQT", "1950", 3, "TOP");
    const EphResultValues t = run(-4, jd);
    const V3 d{t(1) - g(1), t(2) - g(2), t(3) - g(3)};
    EXPECT_NEAR(pm(d), pm(j2000), 1e-15);
    // Precessed (not left in J2000): half a century of precession, 0.7
    // degree in longitude.
    EXPECT_GT(angle_between(d, j2000) / kDeg, 0.1);
    EXPECT_LT(angle_between(d, j2000) / kDeg, 1.0);
    // With the B1950 ecliptic: the B1950 obliquity turns it further.
    options("REC", "GMT", "ECL", "1950", 3, "TOP");
    const EphResultValues te = run(-4, jd);
    options("REC", "GMT", "ECL", "1950", 3, "GEO");
    const EphResultValues ge = run(-4, jd);
    double m[3][3];
    eraIr(m);
    eraRx(eraObl80(2433282.42345905, 0.0), m);
    const V3 de = mat_vec(m, d);
    // FK4's obliquity against IAU 1976 (0.012") on a 2.4e-5 AU vector: 5e-12 AU.
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(te(i + 1) - ge(i + 1), de[static_cast<std::size_t>(i)], 5e-12);
}

// The horizon: azimuth and altitude of the apparent place against eraHd2ae
// (azimuth there from the north through the east; here from the south
// through the west); rates 4 and 5 are 0.
TEST_F(Ephem, HorizonAgainstErfa) {
    site(17.0, 48.5, 0.6640, 0.7455);
    for (double jd : {2451540.1, 2451560.6, 2451600.9}) {
        SCOPED_TRACE(jd);
        options("SPH", "APP", "EQT", "INST", 3, "TOP");
        const EphResultValues eq = run(-5, jd);
        options("SPH", "APP", "HRZ", "INST", 3, "TOP");
        const EphResultValues h = run(-5, jd);
        // Apparent sidereal time with the IAU 1982 equation of the equinoxes
        // (dpsi cos eps; eraEqeq94 adds the 1994 terms of up to 0.0026").
        double dpsi = 0, deps = 0;
        eraNut80(2400000.5, jd - 2400000.5, &dpsi, &deps);
        const double gast = eraGmst82(2400000.5, jd - 2400000.5) + dpsi * std::cos(eraObl80(2400000.5, jd - 2400000.5));
        double az = 0, el = 0;
        eraHd2ae(gast + 17.0 * kDeg - eq(1), eq(2), 48.5 * kDeg, &az, &el);
        const double want = eraAnp(az - kPi);
        double daz = std::remainder(h(1) - want, 2 * kPi);
        // Sidereal time and nutation: 1e-4".
        EXPECT_LT(std::abs(daz) * std::cos(el), 1e-4 * kArcsec);
        EXPECT_NEAR(h(2), el, 1e-4 * kArcsec);
        EXPECT_GE(h(1), 0.0);
        EXPECT_LT(h(1), 2 * kPi);
        EXPECT_EQ(h(4), 0.0);
        EXPECT_EQ(h(5), 0.0);
        EXPECT_EQ(h(3), eq(3));
    }
    // The horizon needs the true equator of date whatever the equinox asked.
    options("SPH", "APP", "HRZ", "2000", 3, "TOP");
    const EphResultValues h2000 = run(-5, 2451600.9);
    options("SPH", "APP", "HRZ", "INST", 3, "TOP");
    const EphResultValues hinst = run(-5, 2451600.9);
    EXPECT_EQ(h2000, hinst);
}

// ---- Minor planets: reductions ----------------------------------------------------

// The H, G magnitude written out (Bowell et al. 1989).
double hg(double r, double delta, double phase, double h, double g) {
    const double t = std::tan(phase / 2);
    const double p1 = std::exp(-3.33 * std::pow(t, 0.63)), p2 = std::exp(-1.87 * std::pow(t, 1.22));
    return h + 5 * std::log10(r * delta) - 2.5 * std::log10((1 - g) * p1 + g * p2);
}

TEST_F(Ephem, MagnitudesPhaseAndElongation) {
    options("SPH", "AST", "EQT", "2000", 3, "GEO");
    const double jd = 2451550.0;
    // Ceres: H 3.34, G 0.12 from "elig".
    EphResultValues v = run(1, jd);
    EXPECT_EQ(acc, 0);  // elliptic motion
    EXPECT_NEAR(v(9), hg(v(7), v(3), v(8), 3.34, 0.12), 1e-9);
    EXPECT_FALSE(state_.core.ephem.no_magnitude);
    // Phase and elongation from the three distances (law of cosines).
    const double r = v(7), d = v(3);
    State9 se{};
    ASSERT_TRUE(
        bodystate(state_.core.de, state_.core.de_copies, state_.core.data_paths, DeReader::Position, jd, 11, 3, se)
            .ok());
    const double R = std::sqrt(se[0] * se[0] + se[1] * se[1] + se[2] * se[2]);
    EXPECT_NEAR(std::cos(v(8)), (r * r + d * d - R * R) / (2 * r * d), 1e-6);
    EXPECT_NEAR(std::cos(std::abs(v(10))), (R * R + d * d - r * r) / (2 * R * d), 1e-6);
    // Side: east of the Sun when the object's right ascension exceeds the
    // Sun's by less than 12 hours.
    double sra = 0, sdec = 0;
    eraC2s(se.data(), &sra, &sdec);
    EXPECT_EQ(v(10) < 0, std::remainder(v(1) - sra, 2 * kPi) < 0);

    // H = G = 0: magnitude 0 and the no-magnitude flag.
    v = run(3, jd);
    EXPECT_EQ(v(9), 0.0);
    EXPECT_TRUE(state_.core.ephem.no_magnitude);
    EXPECT_GT(v(3), 0.0);
    v = run(2, jd);
    EXPECT_FALSE(state_.core.ephem.no_magnitude);
    EXPECT_NEAR(v(9), hg(v(7), v(3), v(8), 11.16, 0.15), 1e-9);
}

TEST_F(Ephem, ElongationSignFollowsTheSide) {
    options("SPH", "GMT", "EQT", "2000", 3, "GEO");
    int west = 0, east = 0;
    for (int n : {1, 2, 4, -4, -5, -6}) {
        for (double jd = 2451540.0; jd < 2451630.0; jd += 10.0) {
            const EphResultValues v = run(n, jd);
            State9 se{};
            ASSERT_TRUE(bodystate(state_.core.de, state_.core.de_copies, state_.core.data_paths, DeReader::Position, jd,
                                  11, 3, se)
                            .ok());
            double sra = 0, sdec = 0;
            eraC2s(se.data(), &sra, &sdec);
            // West of the Sun: right ascension less than the Sun's (within
            // 12 hours).
            const bool is_west = std::remainder(v(1) - sra, 2 * kPi) < 0;
            EXPECT_EQ(v(10) < 0, is_west) << n << " " << jd;
            (is_west ? west : east)++;
        }
    }
    EXPECT_GT(west, 0);
    EXPECT_GT(east, 0);
}

// Rectangular form: the relative state, its distance and rate, the speed.
TEST_F(Ephem, RectangularValues) {
    options("REC", "GMT", "EQT", "2000", 3, "GEO");
    const EphResultValues v = run(2, 2451570.0);
    const V3 x{v(1), v(2), v(3)}, u{v(4), v(5), v(6)};
    EXPECT_NEAR(v(7), pm(x), 1e-15);
    EXPECT_NEAR(v(8), pdp(x, u) / pm(x), 1e-15);
    EXPECT_NEAR(v(10), pm(u) * 149597870.691 / 86400.0, 1e-9);
    options("SPH", "GMT", "EQT", "2000", 3, "GEO");
    const EphResultValues s = run(2, 2451570.0);
    EXPECT_NEAR(s(3), v(7), 1e-15);
    EXPECT_NEAR(s(6), v(8), 1e-15);
    EXPECT_NEAR(s(7), v(9), 1e-15);
}

// ---- Motion models ----------------------------------------------------------------

// Elliptic motion: Kepler's equation solved here, the ecliptic vector turned
// by ERFA's obliquity of J2000.
TEST_F(Ephem, EllipticMotionAgainstKepler) {
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const double jd = 2451600.0;
    const EphResultValues v = run(2, jd);
    const auto& e = kEros;
    const double M = e[0] + e[5] * (jd - kEpoch);
    double E = M;
    for (int i = 0; i < 50; ++i) E = M + e[4] * std::sin(E);
    const double a = std::pow(0.01720209895 / e[5], 2.0 / 3.0);
    const double xp = a * (std::cos(E) - e[4]), yp = a * std::sqrt(1 - e[4] * e[4]) * std::sin(E);
    const double nu = std::atan2(yp, xp), r = std::hypot(xp, yp);
    const double w = e[1], om = e[2], inc = e[3];
    const V3 ecl{r * (std::cos(om) * std::cos(w + nu) - std::sin(om) * std::sin(w + nu) * std::cos(inc)),
                 r * (std::sin(om) * std::cos(w + nu) + std::cos(om) * std::sin(w + nu) * std::cos(inc)),
                 r * std::sin(w + nu) * std::sin(inc)};
    double m[3][3];
    eraIr(m);
    eraRx(-eraObl80(2451545.0, 0.0), m);
    const V3 eq = mat_vec(m, ecl);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v(i + 1), eq[static_cast<std::size_t>(i)], 1e-12);
    EXPECT_EQ(acc, 0);
}

// Nodes: the yearly set nearest the date, with the acceptance flag; outside
// the package years the catalogue's elements (flag 0).
TEST_F(Ephem, NodesModelUsesTheYearlySets) {
    // Record 8 values above every set index: acceptance by distance only.
    zeltest::set_package_years(1999, 2001, {1000, 1000, 1000, 1000, 1000});
    ASSERT_TRUE(in_par(state_.core).ok());
    state_.core.de.first_jd = kFirst;  // the fixture's settings hold no span
    state_.core.de.last_jd = kLast;
    ASSERT_TRUE(de_open(state_.core.de, state_.core.de_copies, kExcerpt).ok());
    // Eros's elements, mean anomaly moved by 1 degree, at JD 2451560.5.
    const double set_epoch = 2451560.5;
    ElementSet s{set_epoch, kEros[0] + kEros[5] * (set_epoch - kEpoch) + kDeg, kEros[1], kEros[2], kEros[3], kEros[4],
                 kEros[5]};
    zeltest::write_year(wd.dir_slash(), 2000, 4, {{2, {s}}});
    state_.core.motion.model = MotionCode::Nodes;
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const EphResultValues near = run(2, set_epoch + 10.0);
    EXPECT_EQ(acc, 1);
    state_.core.motion.model = MotionCode::Elliptic;
    const EphResultValues kep = run(2, set_epoch + 10.0);
    // One degree of mean anomaly at 1.2-1.5 AU: 0.02 AU or more apart.
    const V3 d{near(1) - kep(1), near(2) - kep(2), near(3) - kep(3)};
    EXPECT_GT(pm(d), 0.015);
    // Far from the set (more than 60 days): not accepted.
    state_.core.motion.model = MotionCode::Nodes;
    run(2, set_epoch + 70.0);
    EXPECT_EQ(acc, 0);
}

// Integration: continuing from date to date equals one straight run; the
// first date sets the flag 1.
TEST_F(Ephem, IntegrationContinuesFromDateToDate) {
    MotionConfig& m = state_.core.motion;
    m.model = MotionCode::Integration;
    m.perturber_switch.fill(1);
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const double start = 2451550.0, step = 7.5;
    EphResultValues stepwise;
    for (int i = 1; i <= 8; ++i) {
        acc = 5;
        stepwise = run(2, start + (i - 1) * step, i, step);
        EXPECT_EQ(acc, 1);  // the integration's flag, at every date of the object
    }
    const EphResultValues straight = run(2, start + 7 * step);
    for (int i = 1; i <= 6; ++i) EXPECT_NEAR(stepwise(i), straight(i), 1e-11) << i;
    // Perturbations matter over the two months: more than 1e-7 AU from the
    // two-body orbit.
    m.model = MotionCode::Elliptic;
    const EphResultValues kep = run(2, start + 7 * step);
    const V3 d{kep(1) - straight(1), kep(2) - straight(2), kep(3) - straight(3)};
    EXPECT_GT(pm(d), 1e-7);
    EXPECT_LT(pm(d), 1e-3);
}

// A typed orbit whose epoch is the catalogue epoch: no first integration;
// at that date the typed state comes back unchanged.
TEST_F(Ephem, TypedOrbitAtTheCatalogueEpoch) {
    MotionConfig& m = state_.core.motion;
    m.model = MotionCode::Integration;
    m.perturber_switch.fill(1);
    m.typed_mode = TypedOrbitMode::Coordinates;
    m.typed_epoch = kEpoch;
    m.typed_state = {1.1, -0.6, 0.2, 0.004, 0.013, 0.002};
    m.typed_h = 15.0;
    m.typed_g = 0.15;
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const EphResultValues v = run(77, kEpoch);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(v(i + 1), m.typed_state[static_cast<std::size_t>(i)]);
    EXPECT_EQ(state_.core.integration.integration_time, kEpoch);
    // Ceres of the perturbers stays where its elements put it (no first
    // integration moved it).
    StateVector ceres{};
    ASSERT_TRUE(
        twobody(0.0, 2451545, 0.0, OrbitElements::from(kCeres.data()), 2451545, 0.0, kObliquityJ2000, ceres).ok());
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(state_.core.integration.x[3 + i], ceres[i]);

    // A typed epoch 20 days later: the perturbers are integrated to it first
    // and the typed state is the first body at that date.
    m.typed_epoch = kEpoch + 20.0;
    const EphResultValues w = run(77, kEpoch + 20.0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(w(i + 1), m.typed_state[static_cast<std::size_t>(i)]);
    EXPECT_GT(std::abs(state_.core.integration.x[3] - ceres[0]), 1e-4);
    // The magnitude of the typed orbit.
    options("SPH", "GMT", "EQT", "2000", 3, "GEO");
    const EphResultValues s = run(77, kEpoch + 30.0);
    EXPECT_NEAR(s(9), hg(s(7), s(3), s(8), 15.0, 0.15), 1e-9);
}

// A failed integration (the date beyond the planetary file) is an error with
// the flag 0, and the integrated state is not returned as a position.
TEST_F(Ephem, FailedIntegrationIsReported) {
    MotionConfig& m = state_.core.motion;
    m.model = MotionCode::Integration;
    m.perturber_switch.fill(1);
    options("SPH", "AST", "EQT", "2000", 3, "GEO");
    run(1, 2451600.0, 1);
    const double t = state_.core.integration.integration_time;
    EphResultValues v;
    acc = 1;
    const Status s = ephem(state_.core, 1, EphemDate{2451600.0, 60.0, 2}, 0, "", v, acc);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("integration"), std::string::npos) << s.message();
    EXPECT_EQ(acc, 0);
    EXPECT_EQ(v, EphResultValues{});
    EXPECT_EQ(state_.core.integration.integration_time, t);
    // The next date inside the span continues from the last good state.
    const Status s2 = ephem(state_.core, 1, EphemDate{2451600.0, 10.0, 2}, 0, "", v, acc);
    EXPECT_TRUE(s2.ok()) << s2.message();
}

// A minor-object centre with a major-body object: Jupiter seen from Eros
// equals Jupiter from the file minus the integrated Eros.
TEST_F(Ephem, MinorCentreWithMajorBody) {
    MotionConfig& m = state_.core.motion;
    m.model = MotionCode::Integration;
    m.perturber_switch.fill(1);
    const double jd = 2451590.0;
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const EphResultValues eros = run(2, jd);
    ASSERT_TRUE(set_centre_object(state_.core, 2).ok());
    options("REC", "GMT", "EQT", "2000", 13, "GEO");
    const EphResultValues v = run(-5, jd);
    EXPECT_EQ(state_.core.integrated_bodies.count, 1);
    EXPECT_EQ(acc, 1);
    State9 js{};
    ASSERT_TRUE(
        bodystate(state_.core.de, state_.core.de_copies, state_.core.data_paths, DeReader::Position, jd, 5, 11, js)
            .ok());
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v(i + 1), js[static_cast<std::size_t>(i)] - eros(i + 1), 1e-10);
    // A catalogue object with that centre: two own bodies; Ceres from Eros.
    options("REC", "GMT", "EQT", "2000", 13, "GEO");
    const EphResultValues c = run(1, jd);
    EXPECT_EQ(state_.core.integrated_bodies.count, 2);
    m.minor_centre = 0;
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const EphResultValues ceres = run(1, jd);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(c(i + 1), ceres(i + 1) - eros(i + 1), 1e-10);
}

// A comet as the centre keeps its own nongravitational parameters.
TEST_F(Ephem, CometCentreKeepsItsNongravitationalParameters) {
    MotionConfig& m = state_.core.motion;
    m.model = MotionCode::Integration;
    m.comet_mode = 1;
    m.perturber_switch.fill(1);
    const double jd = 2451620.0;
    const NongravParams object_p{0.0, 0.0, 0.0}, centre_p{2.0, -0.5, 0.1};
    // Eros as a comet with the centre's parameters, as the object.
    state_.core.comet_nongrav.slot = {centre_p, object_p};
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const EphResultValues as_object = run(2, jd);
    // The same body as the centre of Jupiter, the object's slot holding other
    // parameters.
    state_.core.comet_nongrav.slot = {object_p, centre_p};
    ASSERT_TRUE(set_centre_object(state_.core, 2).ok());
    options("REC", "GMT", "EQT", "2000", 13, "GEO");
    const EphResultValues v = run(-5, jd);
    State9 js{};
    ASSERT_TRUE(
        bodystate(state_.core.de, state_.core.de_copies, state_.core.data_paths, DeReader::Position, jd, 5, 11, js)
            .ok());
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v(i + 1), js[static_cast<std::size_t>(i)] - as_object(i + 1), 1e-10);
    // The parameters make a difference: without them Eros moves elsewhere.
    m.minor_centre = 0;
    state_.core.comet_nongrav.slot = {object_p, object_p};
    options("REC", "GMT", "EQT", "2000", 10, "GEO");
    const EphResultValues plain = run(2, jd);
    EXPECT_GT(std::abs(plain(1) - as_object(1)), 1e-8);
}

// Minor-centre and centre-code mismatches are refused.
TEST_F(Ephem, CentreMismatchIsAnError) {
    options("SPH", "AST", "EQT", "2000", 13, "GEO");
    EphResultValues v;
    EXPECT_FALSE(ephem(state_.core, 1, EphemDate{2451550.0, 0.0, 1}, 0, "", v, acc).ok());
    EXPECT_FALSE(task_options_from_texts("SPH", "AST", "XYZ", "2000", 3, "GEO").ok());
    EXPECT_FALSE(task_options_from_texts("SPH", "AST", "EQT", "2000", 14, "GEO").ok());
    // Absent object: an error, values zero.
    EXPECT_FALSE(ephem(state_.core, 9, EphemDate{2451550.0, 0.0, 1}, 0, "", v, acc).ok());
}

// Pluto: its own pull is off while it is integrated, and the switch is on
// again after the call.
TEST(EphemPluto, PlutoDoesNotAttractItself) {
    LibraryState state;  // a fresh library
    zeltest::ScopedWorkDir wd;
    // Pluto's osculating elements at the epoch from the file's heliocentric
    // state.
    state.core.de.first_jd = kFirst;
    state.core.de.last_jd = kLast;
    ASSERT_TRUE(de_open(state.core.de, state.core.de_copies, kExcerpt).ok());
    State9 p{};
    ASSERT_TRUE(
        bodystate(state.core.de, state.core.de_copies, state.core.data_paths, DeReader::Position, kEpoch, 9, 11, p)
            .ok());
    OrbitElements el;
    ASSERT_TRUE(stateel(0.0, StateVector{p[0], p[1], p[2], p[3], p[4], p[5]}, el, kObliquityJ2000).ok());
    std::array<double, 6> e{};
    el.store(e.data());
    // Moved 4e-6 AU along the orbit, out of the reach of the integrator's
    // 1e-8 AU self-distance test: were Pluto's pull on, it would dominate.
    e[0] += 1e-7;
    zeltest::write_catalogue(wd.dir_slash(), kPlutoNumber, kPlutoNumber, {{kPlutoNumber, "Pluto", "PLUTO", "-0.70", e}},
                             {}, kEpoch);
    ASSERT_TRUE(catopen(state.core.catalogue).ok());
    MotionConfig& m = state.core.motion;
    m.catalogue_epoch = kEpoch;
    m.model = MotionCode::Integration;
    m.minor_perturbers = 0;
    m.perturber_switch.fill(1);
    state.core.task_options = *task_options_from_texts("REC", "GMT", "EQT", "2000", 10, "GEO");
    EphResultValues on, off;
    std::int16_t acc = 0;
    ASSERT_TRUE(ephem(state.core, kPlutoNumber, EphemDate{kEpoch + 60.0, 0.0, 1}, 0, "", on, acc).ok());
    EXPECT_EQ(m.perturber_switch[8], 1);
    EXPECT_FALSE(state.core.ephem.pluto_switched_off);
    m.perturber_switch[8] = 0;
    ASSERT_TRUE(ephem(state.core, kPlutoNumber, EphemDate{kEpoch + 60.0, 0.0, 1}, 0, "", off, acc).ok());
    EXPECT_EQ(on, off);
}

}  // namespace
