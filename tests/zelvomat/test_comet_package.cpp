// The small data package of the comets edition (tools/make_package.sh
// --small --comets, built once into BUILD/package-small-comets) read through
// the library: names and numbers of comets, their elements, the comet
// magnitude law with "M2C.K2C", and a position of 2P/Encke against a
// two-body orbit computed here from JPL's elements (q, e, tp) of the
// source, KStars' comets.dat.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/ephem.h"
#include "core/force.h"
#include "core/magn.h"
#include "core/names.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "io/files.h"
#include "io/recfile.h"
#include "small_package.h"
#include "support.h"
#include "zelvomat.h"

using namespace zelvomat;

namespace {

constexpr double kGauss = 0.01720209895;
constexpr double kDeg = 3.14159265358979323846 / 180.0;

// 2P/Encke in comets.dat (JPL orbit K204/19): epoch MJD 57296, perihelion
// distance q (AU), eccentricity, inclination, argument of perihelion,
// ascending node (degrees, ecliptic J2000), time of perihelion (JD TDB).
struct SourceOrbit {
    double epoch_jd, q, e, incl, peri, node, tp;
};
constexpr SourceOrbit kEncke{57296.0 + 2400000.5, 0.335949506931661, 0.8483394575302023,  11.78141839678284,
                             186.5472789415125,   334.5677847501931, 2457822.536683651896};

// Heliocentric position (AU, mean equator and equinox J2000) on the two-body
// orbit at jd: Kepler's equation M = E - e sin E by Newton's method, the
// ecliptic vector turned by ERFA's mean obliquity of J2000.
std::array<double, 3> two_body(const SourceOrbit& o, double jd) {
    const double a = o.q / (1.0 - o.e);
    const double n = kGauss / (a * std::sqrt(a));
    const double M = std::remainder(n * (jd - o.tp), 2.0 * 3.14159265358979323846);
    double E = M + o.e * std::sin(M);
    for (int i = 0; i < 50; ++i) E -= (E - o.e * std::sin(E) - M) / (1.0 - o.e * std::cos(E));
    const double xp = a * (std::cos(E) - o.e), yp = a * std::sqrt(1.0 - o.e * o.e) * std::sin(E);
    const double w = o.peri * kDeg, om = o.node * kDeg, inc = o.incl * kDeg;
    const double nu = std::atan2(yp, xp), r = std::hypot(xp, yp);
    double ecl[3] = {r * (std::cos(om) * std::cos(w + nu) - std::sin(om) * std::sin(w + nu) * std::cos(inc)),
                     r * (std::sin(om) * std::cos(w + nu) + std::cos(om) * std::sin(w + nu) * std::cos(inc)),
                     r * std::sin(w + nu) * std::sin(inc)};
    double m[3][3], eq[3];
    eraIr(m);
    eraRx(-eraObl80(2451545.0, 0.0), m);
    eraRxp(m, ecl, eq);
    return {eq[0], eq[1], eq[2]};
}

std::string padded(const char* t, std::size_t width) {
    std::string s(t);
    s.resize(width, ' ');
    return s;
}

class CometPackage : public ::testing::Test {
protected:
    void SetUp() override {
        pkg_ = zeltest::small_comet_package();
        if (pkg_.empty())
            GTEST_SKIP() << "the small comets package cannot be built here (see package-small-comets/build.log)";
        ASSERT_TRUE(zeltest::load_small_package(pkg_.string(), state_.core));
        ASSERT_EQ(state_.core.catalogue.comet_mode, 1);
        ASSERT_TRUE(de_open(state_.core.de, state_.core.de_copies, state_.core.data_paths).ok());
    }
    // The force model with which the package was integrated (tools/mkyearly
    // in the comets edition): every planet, the Earth and the Moon apart,
    // Ceres, Pallas and Vesta, the Sun's relativistic term, comet mode with
    // the object's "ngr.eff" parameters.
    void integration_model(std::int32_t n) {
        MotionConfig& m = state_.core.motion;
        m = {};
        m.comet_mode = 1;
        m.catalogue_epoch = state_.core.catalogue.epoch_jd;
        m.model = MotionCode::Integration;
        m.relativity = 1;
        m.minor_perturbers = kStandardMinorPerturbers;
        m.perturber_switch.fill(1);
        m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
        ASSERT_TRUE(load_minor_perturbers(state_.core.minor_perturbers).ok());
        state_.core.comet_nongrav = {};
        auto a = read_ngr(state_.core.data_paths, n);
        ASSERT_TRUE(a.ok()) << a.message();
        state_.core.comet_nongrav.slot[0] = *a;
        state_.core.ephem = {};
    }
    EphResultValues position(std::int32_t n, double jd, const char* form) {
        auto t = task_options_from_texts(form, "GMT", "EQT", "2000", 10, "GEO");  // heliocentric, geometric
        EXPECT_TRUE(t.ok()) << t.message();
        state_.core.task_options = *t;
        EphResultValues v;
        std::int16_t acc = 0;
        const Status s = ephem(state_.core, n, EphemDate{jd, 0.0, 1}, 0, "", v, acc);
        EXPECT_TRUE(s.ok()) << s.message();
        return v;
    }
    LibraryState state_;  // current on this thread while the test runs
    ScopedLibraryState current_{state_};
    std::filesystem::path pkg_;
    zeltest::ScopedWorkDir wd_;
};

// namn1 (name or number in, catalogue number and name out): periodic comets
// under their numbers and names (a name longer than the 18 characters of the
// catalogue is found by its first 18), fragments and other comets by their
// designations; the settings say comet edition and every object numbered.
TEST_F(CometPackage, NamesAndNumbers) {
    struct Case {
        const char* typed;
        int n;              // 0: not found
        const char* shown;  // the name namn1 gives back
    } cases[] = {
        {"1P/Halley", 1, "1P/Halley"},
        {"2p/encke", 2, "2P/Encke"},
        {"2", 2, "2P/Encke"},
        {"4P/Faye", 4, "4P/Faye"},
        {"29P/Schwassmann-Wachmann 1", 29, "29P/Schwassmann-Wa"},
        {"51P-A/Harrington", 30, "51P-A/Harrington"},
        {"C/1680 V1", 32, "C/1680 V1"},
        {"d/1770 l1", 35, "D/1770 L1"},
        {"Halley", 0, "Halley"},  // a name alone is not a catalogue name
        {"1P", 0, "1P"},          // nor the number with its type letter
        {"Mars", 0, "Mars"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string name = padded(c.typed, 30);
        int n = -1;
        namn1(name.data(), static_cast<unsigned>(name.size()), &n);
        EXPECT_EQ(n, c.n);
        EXPECT_EQ(name.substr(0, 18), padded(c.shown, 18));
    }
    EXPECT_EQ(state_.core.package.numbered, state_.core.package.objects);
    // An observation line's designation field: the number of a periodic comet.
    EXPECT_EQ(obr_nam(state_.core.catalogue, "29P          "), 29);
}

// NElem: the catalogue elements at the package epoch (JD 2461000.5), moved
// there by integration from the source epoch of 2015. A decade of planetary
// perturbations on 2P/Encke (close approaches to the Earth and Mercury)
// moves its osculating e by about 1e-3, q by a few 1e-3 AU and its angles by
// up to a degree (JPL's elements of 2023 give i 11.35 degrees, node 334.0,
// argument of perihelion 187.3, e 0.847): the tolerances allow that much.
TEST_F(CometPackage, NElemGivesTheCatalogueElements) {
    double el[7] = {};
    NElem(2, el);
    EXPECT_EQ(el[0], 2461000.5);
    const double a = std::pow(kGauss / el[6], 2.0 / 3.0);
    EXPECT_NEAR(el[5], kEncke.e, 3e-3);
    EXPECT_NEAR(a * (1.0 - el[5]), kEncke.q, 1e-2);
    EXPECT_NEAR(el[4] / kDeg, kEncke.incl, 1.0);
    EXPECT_NEAR(el[3] / kDeg, kEncke.node, 1.0);
    EXPECT_NEAR(el[2] / kDeg, kEncke.peri, 1.0);
    // Object 3 (3D/Biela) is not in the small package: nothing to give.
    auto e3 = catelem(state_.core.catalogue, 3);
    EXPECT_FALSE(e3.ok());
}

// Magnitudes in comet mode: the catalogue's H is the total magnitude M1 and
// its G the factor of log10 r (10, the usual law, as the source gives no
// K1); dphot takes the nuclear magnitude M2 from "M2C.K2C" (13.6 for
// 1P/Halley; none for 2P/Encke, which then counts as 15.7). The source has
// no nongravitational parameters: "ngr.eff" holds zeros.
TEST_F(CometPackage, MagnitudesAndDiameters) {
    auto ph = catphot(state_.core.catalogue, 1);
    ASSERT_TRUE(ph.ok()) << ph.message();
    EXPECT_EQ(ph->h, 5.5);
    EXPECT_EQ(ph->g, 10.0);
    auto dir = settings_data_dir();
    ASSERT_TRUE(dir.ok()) << dir.message();
    auto m2 = read_m2c(io::find_file(*dir, files::kAbsMagnitudes), 1);
    ASSERT_TRUE(m2.ok()) << m2.message();
    EXPECT_EQ(*m2, 13.6);
    double d = 0;
    dphot(1, 1, 0.0, &d);
    EXPECT_NEAR(d, 2.0 * std::pow(10.0, 3.25 - 0.2 * 13.6), 1e-12);  // rounding only
    dphot(1, 2, 0.0, &d);
    EXPECT_NEAR(d, 2.0 * std::pow(10.0, 3.25 - 0.2 * 15.7), 1e-12);
    for (std::int32_t n : {1, 2, 29}) {
        auto a = read_ngr(state_.core.data_paths, n);
        ASSERT_TRUE(a.ok()) << a.message();
        EXPECT_EQ(a->a1, 0.0);
        EXPECT_EQ(a->a2, 0.0);
        EXPECT_EQ(a->a3, 0.0);
    }
    // ephem's magnitude of 2P/Encke (elliptic motion): M1 + 5 log10 Delta +
    // 10 log10 r with its own distances.
    state_.core.motion.comet_mode = 1;
    state_.core.motion.catalogue_epoch = state_.core.catalogue.epoch_jd;
    state_.core.motion.model = MotionCode::Elliptic;
    const EphResultValues v = position(2, 2461100.5, "SPH");
    auto encke = catphot(state_.core.catalogue, 2);
    ASSERT_TRUE(encke.ok());
    EXPECT_EQ(encke->h, 15.4);
    EXPECT_NEAR(v(SphQuantity::Magnitude),
                15.4 + 5.0 * std::log10(v(SphQuantity::Distance)) + 10.0 * std::log10(v(SphQuantity::SunDistance)),
                1e-9);  // rounding only
}

// The position of 2P/Encke at the epoch of its source elements (JD
// 2457296.5), integrated by the library from the package's elements at JD
// 2461000.5 back to that date, against the two-body orbit of the source's
// q, e, tp there: the package carried the comet forward from that state with
// the same force model, so the two integrations must return to it within
// their own error. The source gives q to 15 digits and tp to 1e-12 day
// (about 1e-14 AU along the orbit): the tolerance, 1e-9 AU, is that of the
// two integrations over ten years each way.
TEST_F(CometPackage, EnckeAgainstTheSourceOrbit) {
    integration_model(2);
    const EphResultValues v = position(2, kEncke.epoch_jd, "REC");
    const auto want = two_body(kEncke, kEncke.epoch_jd);
    double d2 = 0;
    for (int i = 0; i < 3; ++i) d2 += std::pow(v(i + 1) - want[static_cast<std::size_t>(i)], 2);
    EXPECT_LT(std::sqrt(d2), 1e-9) << "x " << v(1) << " y " << v(2) << " z " << v(3);
    std::printf("2P/Encke at JD %.1f: |library - two-body| = %.3e AU\n", kEncke.epoch_jd, std::sqrt(d2));
    // The elliptic model from the package epoch is not that orbit: ten years
    // of perturbations put it more than 1e-4 AU away.
    state_.core.motion.model = MotionCode::Elliptic;
    state_.core.ephem = {};
    const EphResultValues k = position(2, kEncke.epoch_jd, "REC");
    double k2 = 0;
    for (int i = 0; i < 3; ++i) k2 += std::pow(k(i + 1) - want[static_cast<std::size_t>(i)], 2);
    EXPECT_GT(std::sqrt(k2), 1e-4);
}

}  // namespace
