// Force models of minor planets and comets.
//
// Reference values come from outside the library:
//  - planet positions: tests/data/de405_excerpt_states.txt (numpy's
//    Chebyshev evaluation of the DE405 excerpt, see
//    test_ephemeris_reader.cpp);
//  - masses: the GM constants in the header of the DE405 excerpt itself
//    (GM1 .. GM9, GMB, GMS, EMRAT, as JPL published them with DE405); the
//    masses of Ceres, Pallas and Vesta of the force model (4.7e-10, 1e-10,
//    1.3e-10 solar masses) are older values than DE405's and are taken as
//    given;
//  - the speed of light and the AU: CLIGHT and AU of the same header;
//  - the relativistic term: the PPN one-body acceleration with beta = gamma
//    = 1 and Einstein's perihelion advance 6 pi GM/(c^2 a (1 - e^2)) per
//    revolution;
//  - the comet law: Marsden, Sekanina and Yeomans (1973, AJ 78, 211) with
//    alpha = 0.1112620426 (JPL's normalisation g(1 AU) = 1), r0 = 2.808 AU,
//    m = 2.15, n = 5.093, k = 4.6142.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/corestate.h"
#include "core/destate.h"
#include "core/force.h"
#include "core/radau.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/recfile.h"

using namespace zelvomat;

namespace {

const std::string kExcerpt = std::string(ZELVO_TEST_DATA) + "/coorbp_de405_excerpt";
constexpr double kFirst = 2451536.5;
constexpr double kLast = 2451632.5;
constexpr double kEpoch = 2451545.0;  // catalogue epoch of the tests

using Vec3 = std::array<double, 3>;

// ---- Independent references ---------------------------------------------------

// The header constants of the excerpt: names (6 characters each) from byte
// 252 of record 1, their count at byte 2676, values from record 2.
std::map<std::string, double> header_constants() {
    std::map<std::string, double> out;
    auto f = io::RecordFile::open(kExcerpt, kDeRecordBytes, io::OpenMode::Read);
    if (!f) return out;
    auto r1 = f->read(1);
    auto r2 = f->read(2);
    if (!r1 || !r2) return out;
    const int n = io::get_i32(*r1, 2676);
    for (int i = 0; i < n; ++i) {
        std::string name = io::get_text(*r1, 252 + 6 * static_cast<std::size_t>(i), 6);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        out[name] = io::get_f64(*r2, 8 * static_cast<std::size_t>(i));
    }
    return out;
}

// Heliocentric positions (JPL numbering: 1-9 planets, 3 Earth, 10 Moon, 13
// Earth-Moon barycentre) of the reference file at one of its dates.
std::map<int, Vec3> reference_positions(double jd) {
    std::ifstream in(std::string(ZELVO_TEST_DATA) + "/de405_excerpt_states.txt");
    std::map<int, Vec3> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        ls.imbue(std::locale::classic());
        double t = 0;
        int target = 0, centre = 0;
        Vec3 p{};
        ls >> t >> target >> centre >> p[0] >> p[1] >> p[2];
        if (ls && t == jd && centre == 11) out[target] = p;
    }
    return out;
}

std::vector<double> reference_dates() {
    return {2451536.5, 2451540.5, 2451545.0, 2451550.123456789, 2451568.5, 2451583.999, 2451600.75, 2451632.5};
}

struct Masses {
    double sun, planet[10], emb, earth, moon, minor[3];  // planet[1..9], JPL numbering
};

Masses de405_masses() {
    auto c = header_constants();
    Masses m{};
    m.sun = c["GMS"];
    for (int i = 1; i <= 9; ++i) m.planet[i] = c["GM" + std::to_string(i)];
    m.emb = c["GMB"];
    m.earth = m.emb * c["EMRAT"] / (1.0 + c["EMRAT"]);
    m.moon = m.emb / (1.0 + c["EMRAT"]);
    for (int i = 0; i < 3; ++i)
        m.minor[i] = m.sun * std::array<double, 3>{4.7e-10, 1e-10, 1.3e-10}[static_cast<std::size_t>(i)];
    return m;
}

Vec3 at(const double* x, int body) { return {x[3 * body], x[3 * body + 1], x[3 * body + 2]}; }

// a += -GM ((x - p)/|x - p|^3 + p/|p|^3); a body closer than 1e-8 AU is left
// out when skip_self.
void point_mass(const Vec3& x, const Vec3& p, double gm, Vec3& a, bool skip_self) {
    const Vec3 d{x[0] - p[0], x[1] - p[1], x[2] - p[2]};
    const double dn = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (skip_self && dn < 1e-8) return;
    const double pn = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    for (int i = 0; i < 3; ++i) a[i] -= gm * (d[i] / (dn * dn * dn) + p[i] / (pn * pn * pn));
}

Vec3 sun(const Vec3& x, double gm) {
    const double r = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    return {-gm * x[0] / (r * r * r), -gm * x[1] / (r * r * r), -gm * x[2] / (r * r * r)};
}

// ---- Fixture ------------------------------------------------------------------

class ForceModel : public ::testing::Test {
protected:
    void SetUp() override {
        core_.de.first_jd = kFirst;
        core_.de.last_jd = kLast;
        ASSERT_TRUE(de_open(core_.de, core_.de_copies, kExcerpt).ok());
        force_reader_setup(core_.de);
        core_.motion.catalogue_epoch = kEpoch;
    }
    void TearDown() override { de_close(core_.de, core_.de_copies); }

    // A force context of the test's state, made afresh for each evaluation.
    ForceContext& fresh_context() {
        ctx_.emplace(force_context(core_));
        return *ctx_;
    }

    CoreState core_;  // the state of this test alone
    std::optional<ForceContext> ctx_;
};

// Object, minor-object centre, Ceres, Pallas, Vesta: heliocentric positions
// (AU) and velocities (AU/day) of the tests, the second body close to the
// Earth-Moon system at the first dates so that the Earth's switch matters.
constexpr double kX[15] = {2.1, 1.3, 0.4, -0.12, 0.96, 0.41, -2.55, 0.9, -0.3, 1.9, -1.7, 1.1, 0.4, 2.3, 0.2};
constexpr double kV[15] = {-0.005, 0.008, 0.002, -0.016, -0.002, 0.001, -0.003, -0.009,
                           0.001,  0.006, 0.007, -0.002, -0.010, 0.002, 0.001};

}  // namespace

// ---- Point masses -------------------------------------------------------------

// force2 against the point-mass sum of the Sun, the planets at the reference
// positions and the perturbing minor planets, with the DE405 masses: own
// bodies feel the switched perturbers, the perturbing minor planets always
// the nine planets (the Earth at the barycentre) and each other.
TEST_F(ForceModel, Force2IsThePointMassSumWithDe405Masses) {
    const Masses gm = de405_masses();
    ASSERT_GT(gm.sun, 0.0);
    struct Case {
        const char* what;
        int own;
        std::array<std::int32_t, 12> sw;
    } cases[] = {
        {"all on, Earth at the barycentre", 1, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"all on, Earth and Moon apart, two own bodies", 2, {1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"Jupiter and Vesta only", 1, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}},
        {"none", 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        for (double jd : reference_dates()) {
            SCOPED_TRACE(std::string(c.what) + ", JD " + std::to_string(jd));
            MotionConfig& m = core_.motion;
            m.perturber_switch = c.sw;
            core_.integrated_bodies.count = c.own;
            const int nb = c.own + 3;
            ASSERT_EQ(force2_components(core_.motion, core_.integrated_bodies), 3 * nb);
            double a[15] = {};
            ASSERT_TRUE(force2_eval(fresh_context(), kX, kV, jd - kEpoch, a).ok());

            auto ref = reference_positions(jd);
            for (int body : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13}) ASSERT_EQ(ref.count(body), 1u) << body;
            for (int b = 0; b < nb; ++b) {
                const Vec3 x = at(kX, b);
                Vec3 want = sun(x, gm.sun);
                if (b < c.own) {
                    for (int i = 1; i <= 9; ++i) {
                        const std::int32_t s = c.sw[static_cast<std::size_t>(i - 1)];
                        if (s == 0) continue;
                        if (i == 3 && s == 2) {
                            point_mass(x, ref[3], gm.earth, want, true);
                            point_mass(x, ref[10], gm.moon, want, true);
                        } else {
                            point_mass(x, ref[i == 3 ? 13 : i], i == 3 ? gm.emb : gm.planet[i], want, true);
                        }
                    }
                    for (int k = 0; k < 3; ++k)
                        if (c.sw[static_cast<std::size_t>(9 + k)] != 0)
                            point_mass(x, at(kX, c.own + k), gm.minor[k], want, true);
                } else {
                    for (int i = 1; i <= 9; ++i)
                        point_mass(x, ref[i == 3 ? 13 : i], i == 3 ? gm.emb : gm.planet[i], want, false);
                    for (int k = 0; k < 3; ++k) point_mass(x, at(kX, c.own + k), gm.minor[k], want, true);
                }
                // Positions of the two readers agree to 1e-12 AU, the masses
                // to 1e-15: the perturbations (1e-9 .. 1e-4 AU/day^2) agree
                // to 1e-9 of themselves, the whole to 1e-17 AU/day^2.
                const Vec3 s0 = sun(x, gm.sun);
                for (int i = 0; i < 3; ++i) {
                    const double got = a[3 * b + i], w = want[static_cast<std::size_t>(i)];
                    EXPECT_NEAR(got, w, 1e-17 + 1e-9 * std::abs(w - s0[static_cast<std::size_t>(i)]))
                        << "body " << b << " component " << i;
                }
            }
        }
    }
}

// The Earth and the Moon apart weigh as much as the barycentre body: seen from
// afar they differ from it only by the pair's quadrupole in the indirect
// term (about 2e-16 AU/day^2: the Moon's GM x (0.0026 AU)^2 / (1 AU)^4),
// close by by the Moon's own pull.
TEST_F(ForceModel, EarthSwitchSplitsTheBarycentreByTheMassRatio) {
    MotionConfig& m = core_.motion;
    EXPECT_NEAR(m.gm_earth / m.gm_moon, 81.30056, 1e-9);  // DE405 EMRAT
    EXPECT_NEAR((m.gm_earth + m.gm_moon) / m.k2, 1.0 / 328900.5614, 1e-18);
    core_.integrated_bodies.count = 2;
    m.minor_perturbers = 0;
    const double jd = 2451545.0;
    auto ref = reference_positions(jd);
    // Far: 30 AU away; near: 0.01 AU from the Earth.
    double x[6] = {30.0, 1.0, 0.0, ref[3][0] + 0.01, ref[3][1], ref[3][2]};
    double v[6] = {};
    double a1[6], a2[6];
    m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAsBarycentre;
    ASSERT_TRUE(force2_eval(fresh_context(), x, v, jd - kEpoch, a1).ok());
    m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
    ASSERT_TRUE(force2_eval(fresh_context(), x, v, jd - kEpoch, a2).ok());
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a1[i], a2[i], 1e-15);
    // Close by the Moon's own pull (about 3.7e-9 AU/day^2 at 0.01 AU from the
    // Earth) shows.
    double diff = 0;
    for (int i = 3; i < 6; ++i) diff += (a1[i] - a2[i]) * (a1[i] - a2[i]);
    EXPECT_GT(std::sqrt(diff), 1e-10);
}

// A body does not attract itself: an object at Ceres' place with the Ceres
// switch on, and each perturbing minor planet in its own sum.
TEST_F(ForceModel, NoBodyAttractsItself) {
    MotionConfig& m = core_.motion;
    m.perturber_switch.fill(1);
    core_.integrated_bodies.count = 1;
    double x[12], v[12] = {};
    for (int i = 0; i < 12; ++i) x[i] = kX[3 + i];
    for (int i = 0; i < 3; ++i) x[i] = x[3 + i];  // the object is Ceres
    double a[12];
    ASSERT_TRUE(force2_eval(fresh_context(), x, v, 10.0, a).ok());
    for (double ai : a) EXPECT_TRUE(std::isfinite(ai));
    // The object then moves exactly as Ceres, which feels no switches but the
    // same bodies here (all on, the Earth at the barycentre).
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], a[3 + i], 1e-20);
}

// force1: the centre and the perturbing minor planets feel all twelve
// perturbers whatever the switches, at an absolute Julian date.
TEST_F(ForceModel, Force1TakesEveryPerturberAtAnAbsoluteDate) {
    const Masses gm = de405_masses();
    MotionConfig& m = core_.motion;
    m.perturber_switch.fill(0);
    m.relativity = 1;  // no relativistic term in the first integration
    for (int centre : {0, 1}) {
        m.minor_centre = centre;
        ASSERT_EQ(force1_components(core_.motion), 3 * (centre + 3));
        const double jd = 2451568.5;
        const double* x = kX + 3 * (1 - centre);  // the centre, then Ceres, Pallas, Vesta
        const double* v = kV + 3 * (1 - centre);
        double a[12] = {};
        ASSERT_TRUE(force1_eval(fresh_context(), x, v, jd, a).ok());
        auto ref = reference_positions(jd);
        for (int b = 0; b < centre + 3; ++b) {
            SCOPED_TRACE("centre " + std::to_string(centre) + " body " + std::to_string(b));
            const Vec3 xb = at(x, b);
            Vec3 want = sun(xb, gm.sun);
            for (int i = 1; i <= 9; ++i)
                point_mass(xb, ref[i == 3 ? 13 : i], i == 3 ? gm.emb : gm.planet[i], want, true);
            for (int k = 0; k < 3; ++k) point_mass(xb, at(x, centre + k), gm.minor[k], want, true);
            const Vec3 s0 = sun(xb, gm.sun);
            for (int i = 0; i < 3; ++i) {
                const auto u = static_cast<std::size_t>(i);
                EXPECT_NEAR(a[3 * b + i], want[u], 1e-17 + 1e-9 * std::abs(want[u] - s0[u]));  // as above
            }
        }
    }
}

// A date the planetary ephemeris file does not serve makes the evaluation
// fail with its reason, and the integrator report the failure.
TEST_F(ForceModel, DateOutsideTheFileFails) {
    double a[15];
    ForceContext ctx = force_context(core_);
    EXPECT_FALSE(force2(&ctx, kX, kV, kLast + 1.0 - kEpoch, a));
    EXPECT_FALSE(ctx.failure.ok());
    EXPECT_NE(ctx.failure.message().find("force model"), std::string::npos) << ctx.failure.message();
    EXPECT_FALSE(force1(&ctx, kX, kV, kFirst - 1.0, a));
    EXPECT_TRUE(force2(&ctx, kX, kV, kLast - kEpoch, a));  // the last date is served

    core_.integrated_bodies.count = 1;
    double x[12], v[12];
    std::copy(kX, kX + 12, x);
    std::copy(kV, kV + 12, v);
    std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrder;
    const Status st = radau(std::span<double>(x, 12), std::span<double>(v, 12), 60.0, 120.0, 0.0, 10, 12, 2, nf, ns,
                            ncl, 11, radau_force_of(force2, ctx));
    EXPECT_FALSE(st.ok());
    EXPECT_FALSE(ctx.failure.ok());
    EXPECT_EQ(x[0], kX[0]);  // the integrator gives back the start state
}

// ---- Relativity ---------------------------------------------------------------

// relsun against the PPN one-body acceleration
//   a = GM/(c^2 r^3) [(2 (beta + gamma) GM/r - gamma v^2) x + 2 (1 + gamma) (x.v) v]
// with beta = gamma = 1 and c from DE405's CLIGHT and AU, for states of
// Mercury-like orbits.
TEST_F(ForceModel, RelsunIsTheSchwarzschildTerm) {
    auto c = header_constants();
    const double inv_c = c["AU"] / (c["CLIGHT"] * 86400.0);  // days per AU
    const double gm = c["GMS"], beta = 1.0, gamma = 1.0;
    struct Case {
        double x[3], v[3];
    } cases[] = {
        {{0.3075, 0.0, 0.0}, {0.0, 0.0340, 0.0}},       // Mercury at perihelion
        {{-0.4667, 0.0, 0.02}, {0.0, -0.0224, 0.002}},  // at aphelion, tilted
        {{0.2, -0.3, 0.05}, {0.021, 0.012, -0.003}},    // in between, x.v nonzero
    };
    for (const Case& k : cases) {
        double rel[3];
        relsun(core_.motion, 0, k.x, k.v, rel);
        const double r = std::sqrt(k.x[0] * k.x[0] + k.x[1] * k.x[1] + k.x[2] * k.x[2]);
        const double v2 = k.v[0] * k.v[0] + k.v[1] * k.v[1] + k.v[2] * k.v[2];
        const double xv = k.x[0] * k.v[0] + k.x[1] * k.v[1] + k.x[2] * k.v[2];
        const double f = gm * inv_c * inv_c / (r * r * r);
        double norm = 0;
        for (int i = 0; i < 3; ++i) {
            const double want =
                f * ((2.0 * (beta + gamma) * gm / r - gamma * v2) * k.x[i] + 2.0 * (1.0 + gamma) * xv * k.v[i]);
            norm = std::max(norm, std::abs(want));
            // 1/c of the force model (0.005775518333...) and of CLIGHT differ
            // by 4e-10 of themselves: 1e-9 of the term.
            EXPECT_NEAR(rel[i], want, 1e-9 * norm + 1e-25);
        }
    }
    // The body offset picks the body.
    double x6[6] = {9, 9, 9, 0.2, -0.3, 0.05}, v6[6] = {1, 1, 1, 0.021, 0.012, -0.003};
    double r1[3], r2[3];
    relsun(core_.motion, 3, x6, v6, r1);
    relsun(core_.motion, 0, cases[2].x, cases[2].v, r2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r1[i], r2[i]);
}

// Over one revolution of a Mercury-like orbit the relativistic term turns the
// perihelion by 6 pi GM/(c^2 a (1 - e^2)) (0.1035" for Mercury). force2 with
// every perturber off, run with and without the term over the same
// Keplerian period; the turn of the eccentricity vector is compared.
TEST_F(ForceModel, RelativityAdvancesMercurysPerihelion) {
    MotionConfig& m = core_.motion;
    m.minor_perturbers = 0;
    core_.integrated_bodies.count = 1;
    const double a = 0.387098, e = 0.205630, k2 = m.k2;
    const double q = a * (1.0 - e);
    const double period = 2.0 * kPi * std::sqrt(a * a * a / k2);  // 87.97 days
    auto perihelion_angle = [&](bool relativity) {
        m.relativity = relativity ? 1 : 0;
        const double ci = std::cos(0.12), si = std::sin(0.12);
        double x[3] = {q, 0.0, 0.0};
        double v[3] = {0.0, std::sqrt(k2 * (1.0 + e) / q) * ci, std::sqrt(k2 * (1.0 + e) / q) * si};
        std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrderVelocity;
        ForceContext ctx = force_context(core_);
        const double t0 = kFirst + 1.0 - kEpoch;
        const Status st = radau(x, v, t0, t0 + period, 0.0, 14, 3, 2, nf, ns, ncl, 15, radau_force_of(force2, ctx));
        EXPECT_TRUE(st.ok()) << st.message() << ctx.failure.message();
        // Eccentricity vector e = (v^2/k2 - 1/r) x - (x.v) v/k2, in the orbit
        // plane; its angle from the x axis there.
        const double r = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
        const double v2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
        const double xv = x[0] * v[0] + x[1] * v[1] + x[2] * v[2];
        double ev[3];
        for (int i = 0; i < 3; ++i) ev[i] = (v2 / k2 - 1.0 / r) * x[i] - xv * v[i] / k2;
        const double along_y = ev[1] * ci + ev[2] * si;  // the plane's second axis
        return std::atan2(along_y, ev[0]);
    };
    const double turn = perihelion_angle(true) - perihelion_angle(false);
    const double inv_c = kLightDaysPerAu;
    const double expected = 6.0 * kPi * k2 * inv_c * inv_c / (a * (1.0 - e * e));  // 5.02e-7 rad
    EXPECT_NEAR(expected * 206264.806, 0.1035, 0.0005);  // Mercury's 43"/century over 415 revolutions
    EXPECT_NEAR(turn, expected, 1e-3 * expected);        // periodic terms cancel to 1e-5 of it
}

// Relativity in minor-planet mode perturbs Ceres, Pallas and Vesta too; in
// comet mode only the own bodies.
TEST_F(ForceModel, RelativityReachesThePerturbingMinorPlanetsInMinorPlanetModeOnly) {
    MotionConfig& m = core_.motion;
    m.perturber_switch.fill(1);
    core_.integrated_bodies.count = 2;
    double off2[15], on2[15], off2c[15], on2c[15];
    m.relativity = 0;
    ASSERT_TRUE(force2_eval(fresh_context(), kX, kV, 0.0, off2).ok());
    ASSERT_TRUE(force2c_eval(fresh_context(), kX, kV, 0.0, off2c).ok());
    m.relativity = 1;
    ASSERT_TRUE(force2_eval(fresh_context(), kX, kV, 0.0, on2).ok());
    ASSERT_TRUE(force2c_eval(fresh_context(), kX, kV, 0.0, on2c).ok());
    for (int b = 0; b < 5; ++b) {
        double rel[3];
        relsun(core_.motion, 3 * b, kX, kV, rel);
        for (int i = 0; i < 3; ++i) {
            const int j = 3 * b + i;
            // Up to the rounding of the sums (1e-19 AU/day^2).
            EXPECT_NEAR(on2[j] - off2[j], rel[i], 1e-19) << "force2 body " << b;
            EXPECT_NEAR(on2c[j] - off2c[j], b < 2 ? rel[i] : 0.0, 1e-19) << "force2c body " << b;
        }
    }
}

// ---- Comets -------------------------------------------------------------------

TEST(CometNongrav, DistanceLawOfMarsdenSekaninaYeomans) {
    auto published = [](double r) {
        const double alpha = 0.1112620426, r0 = 2.808, m = 2.15, n = 5.093, k = 4.6142;
        return alpha * std::pow(r / r0, -m) * std::pow(1.0 + std::pow(r / r0, n), -k);
    };
    for (double r : {0.05, 0.1, 0.3, 0.5, 0.8, 1.0, 1.5, 2.0, 2.808, 4.0, 6.0, 10.0}) {
        SCOPED_TRACE(r);
        // alpha rounded to 0.111262 (3.8e-7) and the exponent held as 2.15f
        // (9.5e-8 x |ln(r0/r)|, 3.8e-7 at 0.05 AU): 1e-6 relative.
        EXPECT_NEAR(nongrav_g(r), published(r), 1e-6 * published(r));
    }
    EXPECT_NEAR(nongrav_g(1.0), 1.0, 1e-6);  // the law is normalised at 1 AU
    EXPECT_NEAR(nongrav_g(2.808), 0.111262 * std::pow(2.0, -4.6142), 1e-12);
    EXPECT_LT(nongrav_g(10.0), 1e-9 * nongrav_g(1.0));  // no outgassing far out
}

// The acceleration resolved along the radial, transverse and normal unit
// vectors (built here by cross products) gives back 1e-8 g(r) A1, A2, A3.
TEST(CometNongrav, AccelerationAlongRadialTransverseNormal) {
    const double x[3] = {0.7, -0.9, 0.25}, v[3] = {0.012, 0.009, -0.004};
    const NongravParams p{1.3, -0.04, 0.2};
    double a[3];
    nongrav_acceleration(x, v, p, a);
    const double r = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    Vec3 R{x[0] / r, x[1] / r, x[2] / r};
    Vec3 h{x[1] * v[2] - x[2] * v[1], x[2] * v[0] - x[0] * v[2], x[0] * v[1] - x[1] * v[0]};
    const double hn = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    Vec3 N{h[0] / hn, h[1] / hn, h[2] / hn};
    Vec3 T{N[1] * R[2] - N[2] * R[1], N[2] * R[0] - N[0] * R[2], N[0] * R[1] - N[1] * R[0]};
    auto dot = [&](const Vec3& u) { return a[0] * u[0] + a[1] * u[1] + a[2] * u[2]; };
    const double g = 1e-8 * nongrav_g(r);
    EXPECT_NEAR(dot(R), g * p.a1, 1e-15 * g);
    EXPECT_NEAR(dot(T), g * p.a2, 1e-15 * g);
    EXPECT_NEAR(dot(N), g * p.a3, 1e-15 * g);
    // Zero parameters: nothing; a body at the Sun: nothing either.
    nongrav_acceleration(x, v, NongravParams{}, a);
    EXPECT_EQ(a[0] * a[0] + a[1] * a[1] + a[2] * a[2], 0.0);
    const double zero[3] = {0, 0, 0};
    nongrav_acceleration(zero, v, p, a);
    EXPECT_TRUE(std::isfinite(a[0]) && a[0] == 0.0);
}

// Each comet keeps its own A1, A2, A3: the object slot 1, the centre slot 2,
// also when the centre is integrated alone (a major-body object), and in the
// first integration of a typed orbit.
TEST_F(ForceModel, CometObjectAndCometCentreKeepTheirOwnParameters) {
    MotionConfig& m = core_.motion;
    m.comet_mode = 1;
    m.perturber_switch.fill(1);
    CometNongrav& ng = core_.comet_nongrav;
    ng.slot[0] = {2.0, 0.1, 0.01};   // the object
    ng.slot[1] = {0.5, -0.3, 0.02};  // the centre
    auto expect_extra = [](const double* with, const double* without, const double* x, const double* v,
                           const NongravParams& p) {
        double want[3];
        nongrav_acceleration(x, v, p, want);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(with[i] - without[i], want[i], 1e-19);  // rounding of the sums
    };
    struct Case {
        const char* what;
        int minor_centre, own;
        int slot_of_first;
    } cases[] = {
        {"object alone", 0, 1, 0},
        {"object and centre", 1, 2, 0},
        {"centre alone, the object a major body", 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m.minor_centre = c.minor_centre;
        core_.integrated_bodies.count = c.own;
        double with[15], without[15];
        ASSERT_TRUE(force2c_eval(fresh_context(), kX, kV, 5.0, with).ok());
        ASSERT_TRUE(force2_eval(fresh_context(), kX, kV, 5.0, without).ok());
        expect_extra(with, without, kX, kV, ng.slot[static_cast<std::size_t>(c.slot_of_first)]);
        if (c.own == 2) expect_extra(with + 3, without + 3, kX + 3, kV + 3, ng.slot[1]);
        for (int j = 3 * c.own; j < 3 * (c.own + 3); ++j) EXPECT_EQ(with[j], without[j]);  // minor planets: none
    }
    // force1c: the centre (first body) with slot 2; the minor planets none.
    m.minor_centre = 1;
    double with[12], without[12];
    ASSERT_TRUE(force1c_eval(fresh_context(), kX + 3, kV + 3, 2451550.0, with).ok());
    ASSERT_TRUE(force1_eval(fresh_context(), kX + 3, kV + 3, 2451550.0, without).ok());
    expect_extra(with, without, kX + 3, kV + 3, ng.slot[1]);
    for (int j = 3; j < 12; ++j) EXPECT_EQ(with[j], without[j]);
    // Without a centre force1c is force1.
    m.minor_centre = 0;
    ASSERT_TRUE(force1c_eval(fresh_context(), kX + 6, kV + 6, 2451550.0, with).ok());
    ASSERT_TRUE(force1_eval(fresh_context(), kX + 6, kV + 6, 2451550.0, without).ok());
    for (int j = 0; j < 9; ++j) EXPECT_EQ(with[j], without[j]);
}

// A comet with A1 = A2 = A3 = 0 moves as a minor planet.
TEST_F(ForceModel, CometWithoutParametersMovesAsAMinorPlanet) {
    MotionConfig& m = core_.motion;
    m.comet_mode = 1;
    m.perturber_switch.fill(1);
    core_.integrated_bodies.count = 2;
    m.minor_centre = 1;
    double a2[15], a2c[15];
    ASSERT_TRUE(force2_eval(fresh_context(), kX, kV, -3.0, a2).ok());
    ASSERT_TRUE(force2c_eval(fresh_context(), kX, kV, -3.0, a2c).ok());
    for (int j = 0; j < 15; ++j) EXPECT_EQ(a2[j], a2c[j]);
}

// ---- Integration ----------------------------------------------------------------

namespace {

// Classical fourth-order Runge-Kutta of the test's own point-mass model
// (Sun and the nine planets of the reader, DE405 masses from the header) for
// one body; fixed step h.
void rk4(CoreState& core, double* x, double* v, double t0, double t1, double h, bool planets, const Masses& gm) {
    auto acc = [&](const double* p, double jd, double* a) {
        const Vec3 xb{p[0], p[1], p[2]};
        Vec3 s = sun(xb, gm.sun);
        if (planets) {
            for (int i = 1; i <= 9; ++i) {
                State9 st;
                const int body = i == 3 ? 13 : i;
                ASSERT_TRUE(
                    bodystate(core.de, core.de_copies, core.data_paths, DeReader::Position, jd, body, 11, st).ok());
                point_mass(xb, {st[0], st[1], st[2]}, i == 3 ? gm.emb : gm.planet[i], s, false);
            }
        }
        for (int i = 0; i < 3; ++i) a[i] = s[static_cast<std::size_t>(i)];
    };
    const int n = static_cast<int>(std::lround((t1 - t0) / h));
    h = (t1 - t0) / n;
    for (int s = 0; s < n; ++s) {
        const double t = t0 + s * h;
        double k1x[3] = {}, k1v[3] = {}, k2x[3] = {}, k2v[3] = {}, k3x[3] = {}, k3v[3] = {}, k4x[3] = {}, k4v[3] = {},
               p[3] = {};
        for (int i = 0; i < 3; ++i) k1x[i] = v[i];
        acc(x, t, k1v);
        for (int i = 0; i < 3; ++i) p[i] = x[i] + 0.5 * h * k1x[i], k2x[i] = v[i] + 0.5 * h * k1v[i];
        acc(p, t + 0.5 * h, k2v);
        for (int i = 0; i < 3; ++i) p[i] = x[i] + 0.5 * h * k2x[i], k3x[i] = v[i] + 0.5 * h * k2v[i];
        acc(p, t + 0.5 * h, k3v);
        for (int i = 0; i < 3; ++i) p[i] = x[i] + h * k3x[i], k4x[i] = v[i] + h * k3v[i];
        acc(p, t + h, k4v);
        for (int i = 0; i < 3; ++i) {
            x[i] += h / 6.0 * (k1x[i] + 2 * k2x[i] + 2 * k3x[i] + k4x[i]);
            v[i] += h / 6.0 * (k1v[i] + 2 * k2v[i] + 2 * k3v[i] + k4v[i]);
        }
    }
}

// A typical main-belt orbit (a = 2.7 AU, e = 0.15), at perihelion at the
// start, inclined 0.2 rad about the x axis.
void belt_orbit(double k2, double* x, double* v) {
    const double a = 2.7, e = 0.15, q = a * (1 - e), vq = std::sqrt(k2 * (1 + e) / q);
    x[0] = -q * 0.6;
    x[1] = q * 0.8;
    x[2] = 0.0;
    v[0] = -vq * 0.8 * std::cos(0.2);
    v[1] = -vq * 0.6 * std::cos(0.2);
    v[2] = vq * std::sin(0.2);
}

}  // namespace

// radau with force2 over the span of the excerpt (JD 2451537 - 2451632) for a
// minor planet with the nine planets: agrees with the test's own fine-step
// Runge-Kutta integration of the DE405 point masses, departs from two-body
// motion by the planets' pull (Jupiter's differential pull of some 1e-8
// AU/day^2 gives 1e-5 .. 1e-4 AU in 95 days), and with the planets off keeps its energy and angular
// momentum.
TEST_F(ForceModel, MinorPlanetIntegratedOverTheExcerpt) {
    const Masses gm = de405_masses();
    MotionConfig& m = core_.motion;
    m.minor_perturbers = 0;
    core_.integrated_bodies.count = 1;
    const double t0 = 2451537.0, t1 = 2451632.0;
    double x0[3], v0[3];
    belt_orbit(m.k2, x0, v0);

    auto run = [&](bool planets, double* x, double* v) {
        m.perturber_switch.fill(0);
        if (planets) {
            for (int i = 0; i < 9; ++i) m.perturber_switch[static_cast<std::size_t>(i)] = 1;
        }
        std::copy(x0, x0 + 3, x);
        std::copy(v0, v0 + 3, v);
        std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrder;
        ForceContext ctx = force_context(core_);
        const Status st = radau(std::span<double>(x, 3), std::span<double>(v, 3), t0 - kEpoch, t1 - kEpoch, 0.0, 12, 3,
                                2, nf, ns, ncl, 15, radau_force_of(force2, ctx));
        EXPECT_TRUE(st.ok()) << st.message() << ctx.failure.message();
    };
    double xp[3], vp[3], xk[3], vk[3];
    run(true, xp, vp);
    run(false, xk, vk);

    double xr[3], vr[3], xs[3], vs[3];
    std::copy(x0, x0 + 3, xr);
    std::copy(v0, v0 + 3, vr);
    rk4(core_, xr, vr, t0, t1, 0.25, true, gm);
    std::copy(x0, x0 + 3, xs);
    std::copy(v0, v0 + 3, vs);
    rk4(core_, xs, vs, t0, t1, 0.25, false, gm);

    double dev = 0, dev_ref = 0, err = 0, err_kep = 0;
    for (int i = 0; i < 3; ++i) {
        dev += (xp[i] - xk[i]) * (xp[i] - xk[i]);
        dev_ref += (xr[i] - xs[i]) * (xr[i] - xs[i]);
        err += (xp[i] - xr[i]) * (xp[i] - xr[i]);
        err_kep += (xk[i] - xs[i]) * (xk[i] - xs[i]);
    }
    dev = std::sqrt(dev);
    // Runge-Kutta with 0.25-day steps is good to a few 1e-14 AU here; the
    // planets move the asteroid by 2.5e-5 AU.
    EXPECT_LT(std::sqrt(err), 1e-12);
    EXPECT_LT(std::sqrt(err_kep), 1e-12);
    EXPECT_NEAR(dev, std::sqrt(dev_ref), 1e-12);
    EXPECT_GT(dev, 1e-5);
    EXPECT_LT(dev, 1e-4);

    // Two-body motion: energy and angular momentum (relative 1e-12).
    auto energy = [&](const double* x, const double* v) {
        return 0.5 * (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) -
               m.k2 / std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    };
    auto hz = [](const double* x, const double* v) { return x[0] * v[1] - x[1] * v[0]; };
    EXPECT_NEAR(energy(xk, vk), energy(x0, v0), 1e-12 * std::abs(energy(x0, v0)));
    EXPECT_NEAR(hz(xk, vk), hz(x0, v0), 1e-12 * std::abs(hz(x0, v0)));
}

// The full main integration (object, Ceres, Pallas, Vesta, all switches,
// relativity) run forward and back again returns to its start.
TEST_F(ForceModel, MainIntegrationIsReversible) {
    MotionConfig& m = core_.motion;
    m.perturber_switch.fill(1);
    m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
    m.relativity = 1;
    core_.integrated_bodies.count = 1;
    double x[12], v[12];
    belt_orbit(m.k2, x, v);
    std::copy(kX + 6, kX + 15, x + 3);
    std::copy(kV + 6, kV + 15, v + 3);
    double xs[12], vs[12];
    std::copy(x, x + 12, xs);
    std::copy(v, v + 12, vs);
    ForceContext ctx = force_context(core_);
    for (auto [a, b] : {std::pair{-8.0, 87.0}, std::pair{87.0, -8.0}}) {
        std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrderVelocity;
        const Status st = radau(std::span<double>(x, 12), std::span<double>(v, 12), a, b, 0.0, 12, 12, 2, nf, ns, ncl,
                                15, radau_force_of(force2, ctx));
        ASSERT_TRUE(st.ok()) << st.message() << ctx.failure.message();
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_NEAR(x[i], xs[i], 1e-11) << i;  // AU
        EXPECT_NEAR(v[i], vs[i], 1e-13) << i;  // AU/day
    }
}

// ---- ngr.eff --------------------------------------------------------------------

TEST(NgrFile, RecordsOf24BytesRoundTrip) {
    const std::string path = ::testing::TempDir() + "ngr.eff";
    const std::vector<NongravParams> p = {{1.0, 2.0, 3.0}, {0.0, 0.0, 0.0}, {-0.25, 0.0125, 1e-3}};
    ASSERT_TRUE(write_ngr(path, p).ok());
    auto bytes = io::read_file_bytes(path);
    ASSERT_TRUE(bytes.ok());
    ASSERT_EQ(bytes->size(), 72u);
    EXPECT_EQ(io::get_f64(*bytes, 48), -0.25);   // record 3, A1
    EXPECT_EQ(io::get_f64(*bytes, 56), 0.0125);  // A2
    EXPECT_EQ(io::get_f64(*bytes, 64), 1e-3);    // A3
    for (std::int32_t n = 1; n <= 3; ++n) {
        auto r = read_ngr(path, n);
        ASSERT_TRUE(r.ok()) << r.message();
        EXPECT_EQ(r->a1, p[static_cast<std::size_t>(n - 1)].a1);
        EXPECT_EQ(r->a3, p[static_cast<std::size_t>(n - 1)].a3);
    }
    EXPECT_FALSE(read_ngr(path, 4).ok());
    EXPECT_FALSE(read_ngr(path, 0).ok());
    EXPECT_FALSE(read_ngr(path + ".none", 1).ok());
}
