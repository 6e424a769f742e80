// Magnitudes (magn) and diameters (dphot, "M2C.K2C").
//
// Expected values are worked by hand from the IAU H, G system (Bowell et
// al. 1989, Asteroids II, p. 549: Phi_i = exp(-A_i tan(alpha/2)^B_i),
// A = 3.33, 1.87, B = 0.63, 1.22) and from the comet total-magnitude law
// m = M1 + 5 log Delta + K1 log r; the intermediate values are written beside
// each case.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/force.h"
#include "core/magn.h"
#include "core/utils.h"
#include "io/fields.h"
#include "support.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;
namespace fs = std::filesystem;

namespace {
constexpr double kDeg = kPi / 180.0;
}  // namespace

TEST(Magnitude, MinorPlanetsOnTheHGSystem) {
    struct Case {
        const char* what;
        double h, g, r, delta, phase, want, tol;
    } cases[] = {
        // tan 10 deg = 0.176327; x^0.63 = 0.335105, Phi1 = exp(-1.115899) =
        // 0.327620; x^1.22 = 0.120367, Phi2 = exp(-0.225087) = 0.798447;
        // 0.85 Phi1 + 0.15 Phi2 = 0.398244; -2.5 log = 0.999626;
        // 5 log(2.5 x 1.6) = 3.010300.
        {"H 10, G 0.15, 20 deg", 10.0, 0.15, 2.5, 1.6, 20.0 * kDeg, 14.009926, 1e-6},
        // Phase 0: Phi1 = Phi2 = 1, m = H + 5 log(r Delta) = 15 + 5 log 2.
        {"phase 0", 15.0, 0.15, 2.0, 1.0, 0.0, 16.50515, 1e-5},
        {"phase 0, G 0.5", 15.0, 0.5, 2.0, 1.0, 0.0, 16.50515, 1e-5},
        // G 0: Phi1 alone, -2.5 log 0.327620 = 1.211572.
        {"G 0", 10.0, 0.0, 2.5, 1.6, 20.0 * kDeg, 14.221872, 1e-6},
        // G 1: Phi2 alone, -2.5 log 0.798447 = 0.244385.
        {"G 1", 10.0, 1.0, 2.5, 1.6, 20.0 * kDeg, 13.254685, 1e-6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(magn(c.r, c.delta, c.phase, c.h, c.g, false), c.want, c.tol);
    }
}

TEST(Magnitude, CometTotalMagnitude) {
    // M1 8, K1 10, r 1.5, Delta 0.8: 8 + 5 log 0.8 + 10 log 1.5
    // = 8 - 0.484550 + 1.760913 = 9.276363.
    EXPECT_NEAR(magn(1.5, 0.8, 1.0, 8.0, 10.0, true), 9.276363, 1e-6);
    // The phase angle plays no part.
    EXPECT_EQ(magn(1.5, 0.8, 0.0, 8.0, 10.0, true), magn(1.5, 0.8, 2.0, 8.0, 10.0, true));
    // The law follows the comet mode of the motion model.
    MotionConfig m;
    m.comet_mode = 1;
    EXPECT_NEAR(magn(m, 1.5, 0.8, 0.3, 8.0, 10.0), 9.276363, 1e-6);
    m.comet_mode = 0;
    EXPECT_NEAR(magn(m, 2.0, 1.0, 0.0, 15.0, 0.15), 16.50515, 1e-5);
}

// Distances of zero or less, phase angles where the phase function vanishes
// or is undefined, a phase function below zero (G outside [0, 1]) and values
// that are not numbers give the unknown magnitude, never the logarithm of
// zero or of a negative number.
TEST(Magnitude, UncomputableMagnitudesAreUnknown) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        bool comet;
        double r, delta, phase, h, g;
    } cases[] = {
        {"r 0", false, 0.0, 1.0, 0.3, 10.0, 0.15},
        {"Delta 0", false, 1.5, 0.0, 0.3, 10.0, 0.15},
        {"Delta negative", false, 1.5, -0.5, 0.3, 10.0, 0.15},
        {"phase pi: Phi1 = Phi2 = 0", false, 1.5, 1.0, kPi, 10.0, 0.15},
        {"phase 179.99999 deg: Phi underflows", false, 1.5, 1.0, kPi - 1e-7, 10.0, 0.15},
        {"phase above pi", false, 1.5, 1.0, 3.5, 10.0, 0.15},
        {"phase negative", false, 1.5, 1.0, -0.1, 10.0, 0.15},
        {"G 2 at 150 deg: phase function negative", false, 1.5, 1.0, 150.0 * kDeg, 10.0, 2.0},
        {"H not a number", false, 1.5, 1.0, 0.3, nan, 0.15},
        {"r not a number", false, nan, 1.0, 0.3, 10.0, 0.15},
        {"comet r 0", true, 0.0, 1.0, 0.3, 8.0, 10.0},
        {"comet r 0, K1 0", true, 0.0, 1.0, 0.3, 8.0, 0.0},
        {"comet Delta 0", true, 1.0, 0.0, 0.3, 8.0, 10.0},
        {"comet r negative", true, -1.0, 1.0, 0.3, 8.0, 10.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double m = magn(c.r, c.delta, c.phase, c.h, c.g, c.comet);
        EXPECT_EQ(m, kMagnitudeUnknown);
        EXPECT_FALSE(magnitude_known(m));
    }
    // The unknown magnitude does not fit the ephemeris lines' magnitude field
    // (4 columns, 1 decimal), which therefore shows asterisks.
    EXPECT_EQ(io::fmt_f(kMagnitudeUnknown, 4, 1), "****");
    // Real magnitudes do fit it.
    EXPECT_EQ(io::fmt_f(magn(2.0, 1.0, 0.0, 15.0, 0.15, false), 4, 1), "16.5");
    EXPECT_TRUE(magnitude_known(magn(40.0, 39.0, 0.01, 7.0, 0.15, false)));
}

// ---- dphot ------------------------------------------------------------------------

namespace {

// A working directory whose "setpar" names the data directory "<work>/el/".
class Diameters : public ::testing::Test {
protected:
    zeltest::ScopedWorkDir work;
    std::string data_dir;
    void SetUp() override {
        data_dir = work.dir_slash() + "el/";
        fs::create_directory(data_dir);
        std::vector<std::uint8_t> b(14 * 80, 0);
        std::string r4 = data_dir;
        r4.resize(80, ' ');
        std::memcpy(b.data() + 3 * 80, r4.data(), 80);
        zeltest::write_bytes("setpar", b);
    }
    static double call(int flag, int n, double h) {
        double d = -1.0;
        dphot(flag, n, h, &d);
        EXPECT_EQ(errmsg(nullptr, 0), 0);  // dphot reports nothing
        return d;
    }
};

// 2 x 10^(3.25 - 0.2 H): H 15.7 -> 2 x 10^0.11 = 2.576499 km; H 3.34 (Ceres)
// -> 2 x 10^2.582 = 763.8885 km; H 0 -> 3556.559 km.
constexpr double kD157 = 2.576499;

}  // namespace

TEST_F(Diameters, FromTheGivenAbsoluteMagnitude) {
    EXPECT_NEAR(call(0, 1, 15.7), kD157, 1e-6);
    EXPECT_NEAR(call(0, 1, 3.34), 763.8885, 1e-4);
    EXPECT_NEAR(call(0, 0, 0.0), 3556.559, 1e-3);
    // An H that is not a number gives 0 (unknown).
    EXPECT_EQ(call(0, 1, std::numeric_limits<double>::quiet_NaN()), 0.0);
    EXPECT_EQ(call(0, 1, -std::numeric_limits<double>::infinity()), 0.0);
}

TEST_F(Diameters, FromM2cK2c) {
    // Records 1 .. 3: Ceres' H, no value (0), Vesta's H; the name in other
    // letter case is found too.
    ASSERT_TRUE(write_m2c(data_dir + "m2c.k2c", {3.34, 0.0, 3.20}).ok());
    auto bytes = zeltest::read_bytes(data_dir + "m2c.k2c");
    ASSERT_EQ(bytes.size(), 48u);  // 16-byte records
    struct Case {
        const char* what;
        int n;
        double h_given, want;
    } cases[] = {
        {"record 1", 1, 10.0, 763.8885},
        {"a record holding 0", 2, 10.0, kD157},
        {"record 3", 3, 99.0, 2.0 * std::pow(10.0, 3.25 - 0.64)},
        {"beyond the end", 4, 10.0, kD157},
        {"number 0", 0, 10.0, kD157},
        {"negative number", -7, 10.0, kD157},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(call(1, c.n, c.h_given), c.want, 1e-4);
    }
    // A file that is not there: 15.7, as for flag 0 with H 15.7.
    fs::remove(data_dir + "m2c.k2c");
    EXPECT_NEAR(call(1, 1, 3.34), call(0, 1, 15.7), 1e-12);
    // No settings file either.
    fs::remove("setpar");
    EXPECT_NEAR(call(1, 1, 3.34), kD157, 1e-6);
}

TEST(M2cFile, RecordsOf16Bytes) {
    const std::string path = ::testing::TempDir() + "M2C.K2C";
    ASSERT_TRUE(write_m2c(path, {12.5, 7.25}).ok());
    auto bytes = zeltest::read_bytes(path);
    ASSERT_EQ(bytes.size(), 32u);
    double h2 = 0;
    std::memcpy(&h2, bytes.data() + 16, 8);  // little-endian host
    EXPECT_EQ(h2, 7.25);
    for (std::size_t i = 24; i < 32; ++i) EXPECT_EQ(bytes[i], 0);
    auto r = read_m2c(path, 1);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r, 12.5);
    EXPECT_FALSE(read_m2c(path, 3).ok());
}
