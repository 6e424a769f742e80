// The fallback planetary theory (eaa, moonhel, fbstate, rppl, moonxyz) and
// its data files.
//
// References:
//  - ERFA's eraEpv00 (the Earth's heliocentric position and velocity, a few
//    km) for eaa, and eraPlan94 (the planets, Simon et al. 1994) for the
//    planets outside the span of the fit;
//  - JPL DE405 through the excerpt tests/data/coorbp_de405_excerpt
//    (JD 2451536.5-2451632.5), read by the library's own reader (itself
//    checked against an independent reader, test_ephemeris_reader.cpp), for
//    the planets, the Sun and the Moon.
// Fixtures: tests/data/fallback/orb.elm and moon.xyz, written by
// tools/mkfallback from the whole of DE405 (tests/data/fallback/make_fixtures.sh)
// with the elements at JD 2459800.5.
//
// Tolerances: what a two-body orbit from mean elements and the 114-term Moon
// series can reach; the fit over 1960-2060 gives (accuracy.txt there) as
// seen from the Sun Mercury 131", Venus 41", Earth 34", Mars 219", Jupiter
// 423", Saturn 599", Uranus 175", Neptune 130", Pluto 111", the Moon from the
// Earth 66" (8e-7 AU).
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/destate.h"
#include "core/fallback.h"
#include "core/frames.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/twobody.h"
#include "io/files.h"
#include "support.h"
#include "tasks/libstate.h"

using namespace zelvomat;

namespace {

const std::string kExcerpt = std::string(ZELVO_TEST_DATA) + "/coorbp_de405_excerpt";
const std::string kFixtureDir = std::string(ZELVO_TEST_DATA) + "/fallback/";
constexpr double kFirst = 2451536.5;
constexpr double kLast = 2451632.5;
constexpr double kEpoch = 2459800.5;  // of the fixture's elements
constexpr double kArcsecPerRad = 206264.80624709636;

double dist(const StateVector& a, const State9& b, std::size_t from) {
    double s = 0.0;
    for (std::size_t i = from; i < from + 3; ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(s);
}
double length(const State9& b, std::size_t from) {
    return std::sqrt(b[from] * b[from] + b[from + 1] * b[from + 1] + b[from + 2] * b[from + 2]);
}

class Fallback : public ::testing::Test {
protected:
    void SetUp() override {
        state_.core.de.first_jd = kFirst;
        state_.core.de.last_jd = kLast;
        ASSERT_TRUE(de_open(state_.core.de, state_.core.de_copies, kExcerpt).ok());
        state_.core.data_paths.data_dir = kFixtureDir;
        state_.core.package.catalogue_epoch = kEpoch;
        ASSERT_TRUE(load_planet_elements(state_.core).ok());
        ASSERT_TRUE(load_moon_series(state_.core.moon_series, state_.core.data_paths).ok());
    }
    LibraryState state_;  // a fresh library for each test

    State9 de(double t, int target, int centre) {
        State9 s{};
        EXPECT_TRUE(bodystate(state_.core.de, state_.core.de_copies, state_.core.data_paths, DeReader::Position, t,
                              target, centre, s)
                        .ok());
        return s;
    }
};

// ---- The Earth of eaa against ERFA -------------------------------------------

TEST(FallbackEarth, AgreesWithErfaOverTwoCenturies) {
    // 1900-2100 every 7.3 days. The tolerances hold the unperturbed mean orbit
    // of the Earth-Moon barycentre (the Moon's pull moves the Earth 4670 km at
    // 1070 km a day, the planets' a few 1e-5 AU): 40" as seen from the Sun,
    // 2e-4 AU; velocity 1.1e-5 AU/day. An Earth left in the equinox of date
    // would be 50" a year away from the J2000 frame, 5000" at the ends.
    double max_ang = 0.0, max_pos = 0.0, max_vel = 0.0;
    for (double jd = 2415020.5; jd <= 2488070.5; jd += 7.3) {
        double pvh[2][3], pvb[2][3];
        eraEpv00(jd, 0.0, pvh, pvb);
        StateVector s{};
        ASSERT_TRUE(eaa(jd, s).ok());
        double dp = 0.0, dv = 0.0, r = 0.0;
        for (std::size_t i = 0; i < 3; ++i) {
            dp += (s[i] - pvh[0][i]) * (s[i] - pvh[0][i]);
            dv += (s[i + 3] - pvh[1][i]) * (s[i + 3] - pvh[1][i]);
            r += pvh[0][i] * pvh[0][i];
        }
        max_pos = std::max(max_pos, std::sqrt(dp));
        max_vel = std::max(max_vel, std::sqrt(dv));
        max_ang = std::max(max_ang, std::sqrt(dp / r) * kArcsecPerRad);
    }
    EXPECT_LT(max_ang, 40.0);    // arcseconds
    EXPECT_LT(max_pos, 2e-4);    // AU
    EXPECT_LT(max_vel, 1.1e-5);  // AU/day
}

TEST(FallbackEarth, ElementsAtJ2000) {
    // At J2000 the equinox of date is that of J2000, so the osculating
    // elements of the state are the published ones: L = 100d27'59.215",
    // perihelion 102d56'14.453", e = 0.016708617 (to 1e-10 rad, 1e-12).
    StateVector s{};
    ASSERT_TRUE(eaa(2451545.0, s).ok());
    OrbitElements el;
    ASSERT_TRUE(stateel(1.0 / 332946.038, s, el, kObliquityJ2000).ok());
    const double L = (100.0 + 27.0 / 60 + 59.215 / 3600) / 57.29577951308232;
    const double w = (102.0 + 56.0 / 60 + 14.453 / 3600) / 57.29577951308232;
    EXPECT_NEAR(el.ecc, 0.016708617, 1e-12);
    EXPECT_NEAR(el.incl, 0.0, 1e-10);
    EXPECT_NEAR(el.arg_perihelion + el.node, w, 1e-10);
    EXPECT_NEAR(std::remainder(el.mean_anomaly - (L - w), 2.0 * 3.14159265358979323846), 0.0, 1e-10);
    EXPECT_NEAR(el.mean_motion, 3548.19280675 / 206264.80624709636, 1e-15);
}

// ---- Against DE405 ---------------------------------------------------------------

struct BodyCase {
    const char* name;
    BodyCode body, centre;
    int de_target, de_centre;
    double max_arcsec;  // position, as seen from the centre
    double max_au;      // position
    double max_vel;     // AU/day
};

// Tolerances over the excerpt (near J2000, 22 years from the elements'
// epoch): positions, the figures of the fit over 1960-2060 plus a margin;
// velocities, the heliocentric ones carry the Sun's own motion about the
// barycentre (up to 7.5e-6 AU/day, mostly Jupiter's pull) and the Earth's
// its motion about the Earth-Moon barycentre (7.2e-6 AU/day).
constexpr BodyCase kBodies[] = {
    {"Mercury", BodyCode::Mercury, BodyCode::Sun, 1, 11, 140.0, 3e-4, 4e-6},
    {"Venus", BodyCode::Venus, BodyCode::Sun, 2, 11, 45.0, 1.6e-4, 3e-6},
    {"Earth", BodyCode::Earth, BodyCode::Sun, 3, 11, 40.0, 2e-4, 1.2e-5},
    {"Mars", BodyCode::Mars, BodyCode::Sun, 4, 11, 230.0, 1.6e-3, 4e-6},
    {"Jupiter", BodyCode::Jupiter, BodyCode::Sun, 5, 11, 450.0, 1.1e-2, 1.2e-5},
    {"Saturn", BodyCode::Saturn, BodyCode::Sun, 6, 11, 620.0, 2.8e-2, 1.2e-5},
    {"Uranus", BodyCode::Uranus, BodyCode::Sun, 7, 11, 190.0, 1.7e-2, 1.2e-5},
    {"Neptune", BodyCode::Neptune, BodyCode::Sun, 8, 11, 140.0, 2e-2, 1.2e-5},
    {"Pluto", BodyCode::Pluto, BodyCode::Sun, 9, 11, 120.0, 2.5e-2, 1.2e-5},
    {"Sun from the Earth", BodyCode::Sun, BodyCode::Earth, 11, 3, 40.0, 2e-4, 1.2e-5},
    {"Moon from the Earth", BodyCode::Moon, BodyCode::Earth, 10, 3, 70.0, 9e-7, 3e-7},
    {"Moon", BodyCode::Moon, BodyCode::Sun, 10, 11, 40.0, 2e-4, 1.2e-5},
    {"Earth-Moon barycentre", BodyCode::EarthMoonBarycentre, BodyCode::Sun, 13, 11, 40.0, 2e-4, 1.2e-5},
    // The barycentre relative to the Earth: the Moon's pull on the Earth,
    // 4670 km, here to 1.2% (the Moon series' 66").
    {"Earth-Moon barycentre from the Earth", BodyCode::EarthMoonBarycentre, BodyCode::Earth, 13, 3, 1000.0, 2e-7, 1e-8},
    // The Sun about the barycentre (up to 0.01 AU): two-body planets give it
    // to a few 1e-5 AU.
    {"Barycentre", BodyCode::Barycentre, BodyCode::Sun, 12, 11, 1e9, 1e-5, 1e-7},
};

TEST_F(Fallback, FbstateAgreesWithDe405) {
    for (const BodyCase& c : kBodies) {
        SCOPED_TRACE(c.name);
        double max_ang = 0.0, max_pos = 0.0, max_vel = 0.0;
        for (double t = kFirst; t <= kLast; t += 1.5) {
            StateVector s{};
            ASSERT_TRUE(fbstate(state_.core.planet_elements, state_.core.moon_series, c.body, c.centre, t, s).ok());
            const State9 want = de(t, c.de_target, c.de_centre);
            max_pos = std::max(max_pos, dist(s, want, 0));
            max_vel = std::max(max_vel, dist(s, want, 3));
            max_ang = std::max(max_ang, dist(s, want, 0) / length(want, 0) * kArcsecPerRad);
        }
        EXPECT_LT(max_ang, c.max_arcsec);
        EXPECT_LT(max_pos, c.max_au);
        EXPECT_LT(max_vel, c.max_vel);
    }
}

TEST_F(Fallback, RpplAgreesWithDe405) {
    // rppl reads the same files; its Earth is the third record (the Earth-Moon
    // barycentre's orbit), 4670 km from the Earth, and its Moon that plus the
    // series.
    const BodyCase cases[] = {
        {"Mars", BodyCode::Mars, BodyCode::Sun, 4, 11, 230.0, 1.6e-3, 4e-6},
        {"Earth", BodyCode::Earth, BodyCode::Sun, 3, 11, 60.0, 2.5e-4, 1.2e-5},
        {"Sun from the Earth", BodyCode::Sun, BodyCode::Earth, 11, 3, 60.0, 2.5e-4, 1.2e-5},
        {"Moon from the Earth", BodyCode::Moon, BodyCode::Earth, 10, 3, 70.0, 9e-7, 3e-7},
        {"Moon", BodyCode::Moon, BodyCode::Sun, 10, 11, 60.0, 2.5e-4, 1.2e-5},
        {"Earth-Moon barycentre", BodyCode::EarthMoonBarycentre, BodyCode::Sun, 13, 11, 60.0, 2.5e-4, 1.2e-5},
        {"Barycentre", BodyCode::Barycentre, BodyCode::Sun, 12, 11, 1e9, 1e-5, 1e-7},
        {"Jupiter from Mars", BodyCode::Jupiter, BodyCode::Mars, 5, 4, 600.0, 1.2e-2, 1.2e-5},
    };
    for (const BodyCase& c : cases) {
        SCOPED_TRACE(c.name);
        double max_ang = 0.0, max_pos = 0.0, max_vel = 0.0;
        for (double t = kFirst; t <= kLast; t += 4.0) {
            StateVector s{};
            ASSERT_TRUE(rppl(state_.core.data_paths, state_.core.package, c.centre, c.body, t, s).ok());
            const State9 want = de(t, c.de_target, c.de_centre);
            max_pos = std::max(max_pos, dist(s, want, 0));
            max_vel = std::max(max_vel, dist(s, want, 3));
            max_ang = std::max(max_ang, dist(s, want, 0) / length(want, 0) * kArcsecPerRad);
        }
        EXPECT_LT(max_ang, c.max_arcsec);
        EXPECT_LT(max_pos, c.max_au);
        EXPECT_LT(max_vel, c.max_vel);
    }
}

TEST_F(Fallback, PlanetsAgreeWithErfaPlan94OutsideTheFit) {
    // 1900-2100, beyond the fitted 1960-2060 on both sides, against ERFA's
    // eraPlan94 (Simon et al. 1994 mean elements with periodic terms; good to
    // 4" (Mercury) .. 86" (Uranus) over 1000-3000). The tolerances are the
    // largest differences over these two centuries, rounded up: unperturbed
    // orbits drift away from the planets as the dates leave the fit.
    struct Case {
        int planet;  // ERFA's number: 1 Mercury .. 8 Neptune, 3 the Earth-Moon barycentre
        BodyCode body;
        double max_arcsec;
    };
    constexpr Case cases[] = {
        {1, BodyCode::Mercury, 300.0}, {2, BodyCode::Venus, 90.0},    {3, BodyCode::EarthMoonBarycentre, 90.0},
        {4, BodyCode::Mars, 400.0},    {5, BodyCode::Jupiter, 560.0}, {6, BodyCode::Saturn, 770.0},
        {7, BodyCode::Uranus, 320.0},  {8, BodyCode::Neptune, 800.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.planet);
        double max_ang = 0.0;
        for (double jd = 2415020.5; jd <= 2488070.5; jd += 11.3) {
            double pv[2][3];
            ASSERT_EQ(eraPlan94(jd, 0.0, c.planet, pv), 0);
            StateVector s{};
            ASSERT_TRUE(
                fbstate(state_.core.planet_elements, state_.core.moon_series, c.body, BodyCode::Sun, jd, s).ok());
            double d = 0.0, r = 0.0;
            for (std::size_t i = 0; i < 3; ++i) {
                d += (s[i] - pv[0][i]) * (s[i] - pv[0][i]);
                r += pv[0][i] * pv[0][i];
            }
            max_ang = std::max(max_ang, std::sqrt(d / r) * kArcsecPerRad);
        }
        EXPECT_LT(max_ang, c.max_arcsec);
    }
}

// ---- Edge cases ---------------------------------------------------------------------

TEST_F(Fallback, SunFromEarthIsMinusEaa) {
    StateVector sun{}, earth{};
    ASSERT_TRUE(
        fbstate(state_.core.planet_elements, state_.core.moon_series, BodyCode::Sun, BodyCode::Earth, 2451600.25, sun)
            .ok());
    ASSERT_TRUE(eaa(2451600.25, earth).ok());
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(sun[i], -earth[i]) << i;
}

TEST_F(Fallback, SameBodyAndCentreGiveZero) {
    for (BodyCode b : {BodyCode::Barycentre, BodyCode::Jupiter, BodyCode::Moon}) {
        StateVector s{1, 2, 3, 4, 5, 6};
        ASSERT_TRUE(fbstate(state_.core.planet_elements, state_.core.moon_series, b, b, 2451600.0, s).ok());
        EXPECT_EQ(s, StateVector{});
        s = {1, 2, 3, 4, 5, 6};
        ASSERT_TRUE(rppl(state_.core.data_paths, state_.core.package, b, b, 2451600.0, s).ok());
        EXPECT_EQ(s, StateVector{});
    }
}

TEST_F(Fallback, MoonHasItsOwnVelocity) {
    // The Moon's geocentric velocity (about 6e-4 AU/day) from the series'
    // derivative, in both families: to 3e-7 AU/day of DE405.
    for (double t : {kFirst + 3.3, kFirst + 40.0, kLast - 1.0}) {
        SCOPED_TRACE(t);
        const State9 want = de(t, 10, 3);
        StateVector f{}, r{}, g{};
        ASSERT_TRUE(
            fbstate(state_.core.planet_elements, state_.core.moon_series, BodyCode::Moon, BodyCode::Earth, t, f).ok());
        ASSERT_TRUE(rppl(state_.core.data_paths, state_.core.package, BodyCode::Earth, BodyCode::Moon, t, r).ok());
        ASSERT_TRUE(moonxyz(kFixtureDir + std::string(files::kMoonSeries) + "   ", t, g).ok());
        EXPECT_LT(dist(f, want, 3), 3e-7);
        EXPECT_LT(dist(r, want, 3), 3e-7);
        // rppl's Moon from the Earth is moonxyz's, apart from the two masses
        // rppl gives the Earth's orbit as body and as centre (1e-8 AU, 2e-10 AU/day).
        for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(r[i], g[i], i < 3 ? 2e-8 : 5e-10) << i;
    }
}

TEST_F(Fallback, BodyCodesOutsideTheTableFail) {
    StateVector s{};
    EXPECT_FALSE(fbstate(state_.core.planet_elements, state_.core.moon_series, static_cast<BodyCode>(13), BodyCode::Sun,
                         2451600.0, s)
                     .ok());
    EXPECT_FALSE(fbstate(state_.core.planet_elements, state_.core.moon_series, BodyCode::Mars,
                         static_cast<BodyCode>(-1), 2451600.0, s)
                     .ok());
    EXPECT_FALSE(
        rppl(state_.core.data_paths, state_.core.package, BodyCode::Sun, static_cast<BodyCode>(-12), 2451600.0, s)
            .ok());
}

TEST(FallbackStorage, NotLoadedIsAnError) {
    const CoreState core;  // nothing loaded
    StateVector s{};
    // The Earth and the Sun need no file; the planets and the Moon do.
    EXPECT_TRUE(fbstate(core.planet_elements, core.moon_series, BodyCode::Earth, BodyCode::Sun, 2451545.0, s).ok());
    const auto e1 = fbstate(core.planet_elements, core.moon_series, BodyCode::Mars, BodyCode::Sun, 2451545.0, s);
    EXPECT_FALSE(e1.ok());
    EXPECT_NE(e1.message().find("orb.elm"), std::string::npos) << e1.message();
    EXPECT_FALSE(
        fbstate(core.planet_elements, core.moon_series, BodyCode::Sun, BodyCode::Barycentre, 2451545.0, s).ok());
    const auto e2 = moonhel(core.moon_series, 2451545.0, s);
    EXPECT_FALSE(e2.ok());
    EXPECT_NE(e2.message().find("moon.xyz"), std::string::npos) << e2.message();
    EXPECT_FALSE(
        fbstate(core.planet_elements, core.moon_series, BodyCode::EarthMoonBarycentre, BodyCode::Sun, 2451545.0, s)
            .ok());
}

// ---- Files ------------------------------------------------------------------------

TEST(FallbackFiles, RoundTripAtTheirOffsets) {
    std::array<OrbitElements, orbelm::kPlanets> planets{};
    for (std::size_t k = 0; k < planets.size(); ++k)
        planets[k] = {0.1 * double(k), 0.2, 0.3, 0.04, 0.05 + 0.01 * double(k), 0.001 * double(k + 1)};
    const auto bytes = encode_planet_elements(planets);
    ASSERT_EQ(bytes.size(), 432u);
    // Planet 4 (Mars), eccentricity: record 4 at byte 144, fifth double.
    EXPECT_EQ(io::get_f64(bytes, 3 * 48 + 4 * 8), 0.08);
    auto back = decode_planet_elements(bytes);
    ASSERT_TRUE(back.ok());
    for (std::size_t k = 0; k < planets.size(); ++k) EXPECT_EQ((*back)[k].mean_motion, planets[k].mean_motion);

    MoonSeries m;
    for (std::size_t j = 0; j < 114; ++j) {
        m.a[j] = double(j);
        m.b[j] = -double(j);
        m.c[j] = 0.5 * double(j);
    }
    const auto mb = encode_moon_series(m);
    ASSERT_EQ(mb.size(), 2736u);
    // Term 47 (the first of Y): bytes 1104-1127, A B C.
    EXPECT_EQ(io::get_f64(mb, 46 * 24), 46.0);
    EXPECT_EQ(io::get_f64(mb, 46 * 24 + 8), -46.0);
    EXPECT_EQ(io::get_f64(mb, 46 * 24 + 16), 23.0);
    auto mback = decode_moon_series(mb);
    ASSERT_TRUE(mback.ok());
    EXPECT_EQ(mback->c, m.c);
    EXPECT_TRUE(mback->loaded);
}

TEST(FallbackFiles, BadFilesAreReportedAndKeepTheStorage) {
    CoreState core;
    zeltest::ScopedWorkDir dir;
    core.data_paths.data_dir = dir.dir_slash();
    const auto good_orb = zeltest::read_bytes(kFixtureDir + "orb.elm");
    const auto good_moon = zeltest::read_bytes(kFixtureDir + "moon.xyz");
    ASSERT_EQ(good_orb.size(), 432u);
    ASSERT_EQ(good_moon.size(), 2736u);
    StateVector s{};

    // Missing files.
    EXPECT_FALSE(load_planet_elements(core).ok());
    EXPECT_FALSE(load_moon_series(core.moon_series, core.data_paths).ok());
    EXPECT_FALSE(rppl(core.data_paths, core.package, BodyCode::Sun, BodyCode::Mars, 2451545.0, s).ok());
    EXPECT_FALSE(moonxyz(dir.dir_slash() + "moon.xyz", 2451545.0, s).ok());
    EXPECT_FALSE(core.planet_elements.loaded);
    EXPECT_FALSE(core.moon_series.loaded);

    // Good files, found whatever the case of their names.
    zeltest::write_bytes(dir.path() / "ORB.ELM", good_orb);
    zeltest::write_bytes(dir.path() / "Moon.Xyz", good_moon);
    core.package.catalogue_epoch = kEpoch;
    ASSERT_TRUE(load_planet_elements(core).ok());
    ASSERT_TRUE(load_moon_series(core.moon_series, core.data_paths).ok());
    EXPECT_EQ(core.planet_elements.epoch, kEpoch);
    EXPECT_TRUE(rppl(core.data_paths, core.package, BodyCode::Earth, BodyCode::Moon, 2451545.0, s).ok());
    const PlanetElements kept = core.planet_elements;

    // One byte short: loaders fail and leave the storage; rppl fails for
    // Pluto (record 9 not whole) but serves Mars.
    std::vector<std::uint8_t> short_orb(good_orb.begin(), good_orb.end() - 1);
    zeltest::write_bytes(dir.path() / "ORB.ELM", short_orb);
    std::vector<std::uint8_t> short_moon(good_moon.begin(), good_moon.end() - 1);
    zeltest::write_bytes(dir.path() / "Moon.Xyz", short_moon);
    EXPECT_FALSE(load_planet_elements(core).ok());
    EXPECT_FALSE(load_moon_series(core.moon_series, core.data_paths).ok());
    EXPECT_EQ(core.planet_elements.planet[4].mean_motion, kept.planet[4].mean_motion);
    EXPECT_TRUE(core.moon_series.loaded);
    EXPECT_FALSE(rppl(core.data_paths, core.package, BodyCode::Sun, BodyCode::Pluto, 2451545.0, s).ok());
    EXPECT_TRUE(rppl(core.data_paths, core.package, BodyCode::Sun, BodyCode::Mars, 2451545.0, s).ok());
    EXPECT_FALSE(rppl(core.data_paths, core.package, BodyCode::Sun, BodyCode::Moon, 2451545.0, s).ok());

    // A value that is not a number.
    auto nan_orb = good_orb;
    io::put_f64(nan_orb, 5 * 48 + 8, std::nan(""));
    zeltest::write_bytes(dir.path() / "ORB.ELM", nan_orb);
    EXPECT_FALSE(load_planet_elements(core).ok());

    // Elements that are no elliptic orbit reach the caller as an error.
    auto bad_orb = good_orb;
    io::put_f64(bad_orb, 3 * 48 + 4 * 8, 1.5);  // Mars, e = 1.5
    zeltest::write_bytes(dir.path() / "ORB.ELM", bad_orb);
    ASSERT_TRUE(load_planet_elements(core).ok());
    EXPECT_FALSE(fbstate(core.planet_elements, core.moon_series, BodyCode::Mars, BodyCode::Sun, 2451545.0, s).ok());
    EXPECT_FALSE(rppl(core.data_paths, core.package, BodyCode::Sun, BodyCode::Mars, 2451545.0, s).ok());
}

}  // namespace
