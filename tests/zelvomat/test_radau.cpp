// Gauss-Radau integrator: accuracy against closed-form solutions (Kepler
// motion solved here by Newton's method, harmonic and damped oscillators),
// the step rules, and the failures it reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/radau.h"

using zelvomat::radau;
using zelvomat::radau_force;
using zelvomat::radau_spacings;

namespace {

constexpr double kGaussK = 0.01720209895;
constexpr long double kGm = static_cast<long double>(kGaussK) * kGaussK;  // AU^3/day^2

// ---- Two-body reference, independent of the library ----------------------

struct Kepler {
    long double a, e;                                  // AU, eccentricity
    long double inc = 0.4L, node = 1.0L, peri = 0.7L;  // orientation (rad)

    // Heliocentric state t days after perihelion.
    void state(long double t, double* x, double* v) const {
        const long double n = std::sqrt(kGm / (a * a * a));
        const long double m = n * t;
        long double ea = m + e * std::sin(m);
        for (int i = 0; i < 100; ++i) {
            const long double de = (ea - e * std::sin(ea) - m) / (1.0L - e * std::cos(ea));
            ea -= de;
            if (std::fabs(de) < 1e-19L) break;
        }
        const long double b = a * std::sqrt(1.0L - e * e);
        const long double ed = n / (1.0L - e * std::cos(ea));
        const long double p[3] = {a * (std::cos(ea) - e), b * std::sin(ea), 0.0L};
        const long double q[3] = {-a * std::sin(ea) * ed, b * std::cos(ea) * ed, 0.0L};
        rotate(p, x);
        rotate(q, v);
    }
    // Orbital plane to the reference frame: Rz(node) Rx(inc) Rz(peri).
    void rotate(const long double* in, double* out) const {
        const long double cw = std::cos(peri), sw = std::sin(peri);
        const long double ci = std::cos(inc), si = std::sin(inc);
        const long double cn = std::cos(node), sn = std::sin(node);
        const long double x1 = cw * in[0] - sw * in[1], y1 = sw * in[0] + cw * in[1];
        const long double y2 = ci * y1, z2 = si * y1;
        out[0] = static_cast<double>(cn * x1 - sn * y2);
        out[1] = static_cast<double>(sn * x1 + cn * y2);
        out[2] = static_cast<double>(z2);
    }
    long double period() const { return 2.0L * 3.14159265358979323846L * std::sqrt(a * a * a / kGm); }
};

// Acceleration of a body about the Sun (GM = k^2).
struct SunForce {
    void operator()(const double* x, const double*, double, double* a) const {
        const double gm = kGaussK * kGaussK;
        const double r2 = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
        const double f = -gm / (r2 * std::sqrt(r2));
        for (int i = 0; i < 3; ++i) a[i] = f * x[i];
    }
};

double energy(const double* x, const double* v) {
    const double r = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    return 0.5 * (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) - kGaussK * kGaussK / r;
}

double max_diff(const double* a, const double* b, int n) {
    double d = 0.0;
    for (int i = 0; i < n; ++i) d = std::max(d, std::abs(a[i] - b[i]));
    return d;
}

// Legendre polynomial P_n(x) and its derivative, long double.
void legendre(int n, long double x, long double& p, long double& dp) {
    long double p0 = 1.0L, p1 = x;
    if (n == 0) {
        p = 1.0L;
        dp = 0.0L;
        return;
    }
    for (int k = 2; k <= n; ++k) {
        const long double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
    }
    p = p1;
    dp = n * (x * p1 - p0) / (x * x - 1.0L);
}

}  // namespace

// ---- Spacings --------------------------------------------------------------

TEST(RadauSpacings, AreTheGaussRadauNodesOfEachOrder) {
    for (int nor : {7, 11, 15, 19, 23, 27}) {
        SCOPED_TRACE("order " + std::to_string(nor));
        const auto h = radau_spacings(nor);
        const int n = (nor + 1) / 2;  // nodes with the node 0
        ASSERT_EQ(static_cast<int>(h.size()), n - 1);
        for (std::size_t j = 0; j < h.size(); ++j) {
            EXPECT_GT(h[j], j == 0 ? 0.0 : h[j - 1]);
            EXPECT_LT(h[j], 1.0);
            // Root of P_{n-1}(2h - 1) + P_n(2h - 1): the Newton correction
            // (in h) must be below 1e-16.
            long double pa, da, pb, db;
            const long double xx = 2.0L * h[j] - 1.0L;
            legendre(n - 1, xx, pa, da);
            legendre(n, xx, pb, db);
            EXPECT_LT(std::fabs((pa + pb) / (2.0L * (da + db))), 1e-16L);
        }
    }
    // Published values (Everhart 1985, to the digits printed there).
    const double order11[] = {0.0985350857988264, 0.3045357266463639, 0.562025189752614, 0.8019865821263918,
                              0.9601901429485313};
    for (int j = 0; j < 5; ++j) EXPECT_NEAR(radau_spacings(11)[j], order11[j], 1e-15);
    EXPECT_NEAR(radau_spacings(7)[0], 0.212340538239152, 1e-15);
    EXPECT_NEAR(radau_spacings(27)[0], 0.0186103650109879, 1e-16);
    EXPECT_NEAR(radau_spacings(15)[6], .97752061356128750, 1e-16);  // RA15's table
    EXPECT_TRUE(radau_spacings(13).empty());
}

// ---- Two-body motion -------------------------------------------------------

TEST(RadauTwoBody, MatchesKeplerMotion) {
    // a = 1 AU, two revolutions and 17.3 days from perihelion, LL = 10.
    // Tolerance 1e-12 AU in position, 1e-13 AU/day in velocity (the
    // round-off of some thousand sequences of order 7 at e = 0.9 is the
    // largest, near 8e-13 AU).
    for (int nor : {7, 11, 15, 27}) {
        for (double e : {0.0, 0.1, 0.5, 0.9}) {
            SCOPED_TRACE("order " + std::to_string(nor) + " e " + std::to_string(e));
            const Kepler k{1.0L, e};
            double x[3], v[3], xr[3], vr[3];
            k.state(0.0L, x, v);
            const double t1 = static_cast<double>(2.0L * k.period()) + 17.3;
            std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
            SunForce f;
            auto st = radau(x, v, 0.0, t1, 0.0, 10, 3, 2, nf, ns, ncl, nor, radau_force(f));
            ASSERT_TRUE(st.ok()) << st.message();
            EXPECT_EQ(ncl, 2);  // returned as its absolute value
            EXPECT_GT(ns, 10);
            k.state(t1, xr, vr);
            EXPECT_LT(max_diff(x, xr, 3), 1e-12);
            EXPECT_LT(max_diff(v, vr, 3), 1e-13);
        }
    }
}

TEST(RadauTwoBody, ConservesEnergyOverManyRevolutions) {
    // Twenty revolutions of a = 2.7 AU, order 15, LL = 10. Tolerance: relative
    // energy change 1e-12 (measured some 1e-14).
    for (double e : {0.0, 0.5, 0.9}) {
        SCOPED_TRACE("e " + std::to_string(e));
        const Kepler k{2.7L, e};
        double x[3], v[3];
        k.state(0.0L, x, v);
        const double e0 = energy(x, v);
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
        SunForce f;
        auto st =
            radau(x, v, 0.0, static_cast<double>(20.0L * k.period()), 0.0, 10, 3, 2, nf, ns, ncl, 15, radau_force(f));
        ASSERT_TRUE(st.ok()) << st.message();
        EXPECT_LT(std::abs((energy(x, v) - e0) / e0), 1e-12);
    }
}

TEST(RadauTwoBody, BackwardIntegrationAndReturn) {
    // Backward from perihelion to -1.3 revolutions against Kepler, then
    // forward again to the start. The force sees only times inside the span.
    // Tolerance 1e-12 AU, 1e-13 AU/day (1e-14 AU/day back at the start).
    for (int nor : {11, 15}) {
        SCOPED_TRACE("order " + std::to_string(nor));
        const Kepler k{1.5L, 0.5L};
        const double t0 = 1000.0;
        const double t1 = t0 - static_cast<double>(1.3L * k.period());
        double x[3], v[3], xs[3], vs[3], xr[3], vr[3];
        k.state(0.0L, xs, vs);
        std::copy_n(xs, 3, x);
        std::copy_n(vs, 3, v);
        double tmin = t0, tmax = t0;
        auto f = [&](const double* px, const double* pv, double t, double* a) {
            tmin = std::min(tmin, t);
            tmax = std::max(tmax, t);
            SunForce{}(px, pv, t, a);
        };
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
        auto st = radau(x, v, t0, t1, 0.0, 10, 3, 2, nf, ns, ncl, nor, radau_force(f));
        ASSERT_TRUE(st.ok()) << st.message();
        EXPECT_GE(tmin, t1);
        EXPECT_LE(tmax, t0);
        k.state(static_cast<long double>(t1) - t0, xr, vr);
        EXPECT_LT(max_diff(x, xr, 3), 1e-12);
        EXPECT_LT(max_diff(v, vr, 3), 1e-13);

        ncl = zelvomat::kRadauSecondOrder;
        st = radau(x, v, t1, t0, 0.0, 10, 3, 2, nf, ns, ncl, nor, radau_force(f));
        ASSERT_TRUE(st.ok()) << st.message();
        EXPECT_LT(max_diff(x, xs, 3), 1e-12);
        EXPECT_LT(max_diff(v, vs, 3), 1e-14);
    }
}

// ---- Other equations -------------------------------------------------------

TEST(RadauOscillators, HarmonicOscillatorAsSecondAndFirstOrderSystem) {
    // y'' = -y, y(0) = 1, y'(0) = 0 to t = 50: y = cos t, y' = -sin t.
    // As one second-order equation (NV = 1) and as the first-order system
    // y1' = y2, y2' = -y1 (class 1). Tolerance 1e-12 at LL = 12.
    for (int nor : {7, 15, 27}) {
        const double t1 = 50.0;
        {
            SCOPED_TRACE("second order, order " + std::to_string(nor));
            double x[1] = {1.0}, v[1] = {0.0};
            auto f = [](const double* px, const double*, double, double* a) { a[0] = -px[0]; };
            std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
            auto st = radau(x, v, 0.0, t1, 0.0, 12, 1, 2, nf, ns, ncl, nor, radau_force(f));
            ASSERT_TRUE(st.ok()) << st.message();
            EXPECT_NEAR(x[0], std::cos(t1), 1e-12);
            EXPECT_NEAR(v[0], -std::sin(t1), 1e-12);
        }
        {
            SCOPED_TRACE("first order, order " + std::to_string(nor));
            double y[2] = {1.0, 0.0}, unused[2] = {7.0, 7.0};
            bool velocities_zero = true;
            auto f = [&](const double* py, const double* pv, double, double* d) {
                velocities_zero = velocities_zero && pv[0] == 0.0 && pv[1] == 0.0;
                d[0] = py[1];
                d[1] = -py[0];
            };
            std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauFirstOrder;
            auto st = radau(y, unused, 0.0, t1, 0.0, 12, 2, 2, nf, ns, ncl, nor, radau_force(f));
            ASSERT_TRUE(st.ok()) << st.message();
            EXPECT_TRUE(velocities_zero);
            EXPECT_NEAR(y[0], std::cos(t1), 1e-12);
            EXPECT_NEAR(y[1], -std::sin(t1), 1e-12);
        }
    }
}

TEST(RadauOscillators, DampedOscillatorNeedsTheVelocityClass) {
    // y'' = -2 g y' - w^2 y, g = 0.1, w = 1, y(0) = 1, y'(0) = 0:
    // y = exp(-g t) (cos(wd t) + g/wd sin(wd t)), wd = sqrt(w^2 - g^2),
    // y' = -exp(-g t) (w^2/wd) sin(wd t). Class 2 to 1e-12; class -2 (the
    // force sees the velocities of the sequence start only) is far off.
    const double g = 0.1, wd = std::sqrt(1.0 - g * g), t1 = 30.0;
    const double y_ref = std::exp(-g * t1) * (std::cos(wd * t1) + g / wd * std::sin(wd * t1));
    const double v_ref = -std::exp(-g * t1) / wd * std::sin(wd * t1);
    auto f = [&](const double* px, const double* pv, double, double* a) { a[0] = -2.0 * g * pv[0] - px[0]; };
    for (int nor : {7, 15, 27}) {
        SCOPED_TRACE("order " + std::to_string(nor));
        double x[1] = {1.0}, v[1] = {0.0};
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrderVelocity;
        auto st = radau(x, v, 0.0, t1, 0.0, 12, 1, 2, nf, ns, ncl, nor, radau_force(f));
        ASSERT_TRUE(st.ok()) << st.message();
        EXPECT_NEAR(x[0], y_ref, 1e-12);
        EXPECT_NEAR(v[0], v_ref, 1e-12);
    }
    double x[1] = {1.0}, v[1] = {0.0};
    std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
    ASSERT_TRUE(radau(x, v, 0.0, t1, 0.0, 12, 1, 2, nf, ns, ncl, 15, radau_force(f)).ok());
    EXPECT_GT(std::abs(x[0] - y_ref), 1e-6);
}

// ---- Sequence sizes --------------------------------------------------------

TEST(RadauSteps, FirstSequenceSize) {
    // The first substep lies at h1 T of the first sequence: T = 0.5^(0.4 LL)
    // (NOR/11) / 2 in the direction of integration, at most half the span.
    struct Case {
        const char* what;
        int nor, ll;
        double t0, t1, size;
    };
    const Case cases[] = {
        {"order 11, LL 10", 11, 10, 100.0, 500.0, 0.03125},
        {"order 15, LL 10", 15, 10, 100.0, 500.0, 0.03125 * 15.0 / 11.0},
        {"order 11, LL 5, backward", 11, 5, 100.0, -500.0, -0.125},
        {"span below the trial size", 11, 10, 100.0, 100.01, 0.005},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<double> times;
        auto f = [&](const double* px, const double*, double t, double* a) {
            times.push_back(t);
            a[0] = -px[0];
        };
        double x[1] = {1.0}, v[1] = {0.0};
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
        ASSERT_TRUE(radau(x, v, c.t0, c.t1, 0.0, c.ll, 1, 2, nf, ns, ncl, c.nor, radau_force(f)).ok());
        ASSERT_GE(times.size(), 2u);
        EXPECT_EQ(times[0], c.t0);
        EXPECT_NEAR(times[1], c.t0 + radau_spacings(c.nor)[0] * c.size, 1e-13);
        EXPECT_EQ(static_cast<std::int32_t>(times.size()), nf);
    }
}

TEST(RadauSteps, GivenFirstSizeAndProposedNextSize) {
    // A chain of stops (a = 2.7 AU, e = 0.3, every 15 days over a year) with
    // the first size of each call taken from the size the previous call
    // proposed: the same states as one call over the whole span to 1e-12 AU
    // (Kepler motion solved here), with fewer force evaluations than calls
    // that each start from the small trial size.
    const Kepler k{2.7L, 0.3L};
    SunForce f;
    auto chain = [&](bool carry, double* x, double* v, std::int32_t& evaluations) {
        k.state(0.0L, x, v);
        double size = 0.0, t = 0.0;
        evaluations = 0;
        for (int stop = 1; stop <= 24; ++stop) {
            zelvomat::RadauOptions opt;
            if (carry) {
                opt.first_size = size;
                opt.next_size = &size;
            }
            std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
            ASSERT_TRUE(radau(std::span<double>(x, 3), std::span<double>(v, 3), t, 15.0 * stop, 0.0, 10, 3, 2, nf, ns,
                              ncl, 11, radau_force(f), opt)
                            .ok());
            evaluations += nf;
            t = 15.0 * stop;
            if (carry) {
                EXPECT_GT(size, 1.0);  // proposed sizes are days, not the trial 0.03 days
            }
        }
    };
    double x1[3], v1[3], x2[3], v2[3], xr[3], vr[3];
    std::int32_t with = 0, without = 0;
    chain(true, x1, v1, with);
    chain(false, x2, v2, without);
    k.state(360.0L, xr, vr);
    EXPECT_LT(max_diff(x1, xr, 3), 1e-12);
    EXPECT_LT(max_diff(x2, xr, 3), 1e-12);
    EXPECT_LT(with * 2, without);

    // The trial size given is the first sequence's (the first substep lies
    // at h1 T), in the direction of integration whatever its sign.
    std::vector<double> times;
    auto g = [&](const double* px, const double*, double t, double* a) {
        times.push_back(t);
        a[0] = -px[0];
    };
    double x[1] = {1.0}, v[1] = {0.0};
    std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
    zelvomat::RadauOptions opt;
    opt.first_size = 0.2;
    ASSERT_TRUE(radau(x, v, 10.0, 5.0, 0.0, 10, 1, 2, nf, ns, ncl, 11, radau_force(g), opt).ok());
    ASSERT_GE(times.size(), 2u);
    EXPECT_NEAR(times[1], 10.0 - radau_spacings(11)[0] * 0.2, 1e-13);
}

TEST(RadauSteps, FixedSizeWhenLLIsNegative) {
    // |XL| = 0.5 in the direction of integration; a last sequence within 1.001
    // sizes of the end is stretched instead of adding a tiny one. Each later
    // sequence costs 1 + NI x 5 = 11 evaluations at order 11, NI = 2.
    struct Case {
        double t1, xl;
        int sequences;
    };
    const Case cases[] = {{5.0, 0.5, 10}, {5.0002, 0.5, 10}, {5.002, -0.5, 11}, {-5.0, 0.5, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE("t1 " + std::to_string(c.t1));
        double x[1] = {1.0}, v[1] = {0.0};
        std::vector<double> times;
        auto f = [&](const double* px, const double*, double t, double* a) {
            times.push_back(t);
            a[0] = -px[0];
        };
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
        ASSERT_TRUE(radau(x, v, 0.0, c.t1, c.xl, -1, 1, 2, nf, ns, ncl, 11, radau_force(f)).ok());
        EXPECT_EQ(ns, c.sequences);
        EXPECT_EQ(nf, static_cast<std::int32_t>(times.size()));
        // Calls of the first sequence: up to its end at 0.5 in the direction
        // of integration.
        const double first_end = c.t1 > 0 ? 0.5 : -0.5;
        const auto first = std::find(times.begin(), times.end(), first_end) - times.begin();
        EXPECT_EQ(nf - first, 11 * (ns - 1));
        EXPECT_NEAR(x[0], std::cos(c.t1), 1e-9);  // order 11, size 0.5: about 1e-11
    }
}

TEST(RadauSteps, GrowthLimitIsSmallerForOneEquation) {
    // With no force the last B-value stays 0 and every sequence grows by the
    // limit: 1.2 (single precision) for one component, 1.5 for more. The
    // motion is exact.
    for (int nv : {1, 3}) {
        SCOPED_TRACE("components " + std::to_string(nv));
        const double growth = nv == 1 ? static_cast<double>(1.2f) : 1.5;
        const double span = 100.0;
        // Expected count: first size 0.03125, then growth until a size within
        // 1.001 of the rest.
        double t = 0.03125, tm = t;
        int expected = 1;
        for (;;) {
            const double tp = t * growth;
            ++expected;
            if (tp * 1.001 >= span - tm) break;
            tm += tp;
            t = tp;
        }
        double x[3] = {1, 2, 3}, v[3] = {0.5, -0.25, 0.125};
        auto f = [](const double*, const double*, double, double* a) { a[0] = a[1] = a[2] = 0.0; };
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
        ASSERT_TRUE(radau(std::span<double>(x, 3), std::span<double>(v, 3), 0.0, span, 0.0, 10, nv, 2, nf, ns, ncl, 11,
                          radau_force(f))
                        .ok());
        EXPECT_EQ(ns, expected);
        EXPECT_NEAR(x[0], 1.0 + 0.5 * span, 1e-12);
    }
}

// ---- Failures --------------------------------------------------------------

TEST(RadauFailures, FailedIntegrationsAreReportedAndKeepTheStartState) {
    struct Case {
        const char* what;
        const char* message_part;
        double t1;
        int ll;
        std::int32_t max_sequences;
        // force kind: 0 NaN after t = 2, 1 refuses after t = 2, 2 fall into
        // the centre (y'' = -1/y^2 from rest at y = 1: impact at t = 1.11),
        // 3 the two-body force with a limit on the sequences
        int kind;
    };
    const Case cases[] = {
        {"non-finite force", "non-finite", 10.0, 10, 1000000, 0},
        {"force refuses", "force evaluation failed", 10.0, 10, 1000000, 1},
        {"collision", "below the minimum", 3.0, 10, 1000000, 2},
        {"too many sequences", "more than 5 sequences", 1000.0, 10, 5, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto f = [&](const double* px, const double*, double t, double* a) -> bool {
            switch (c.kind) {
                case 0:
                    a[0] = t > 2.0 ? std::nan("") : -px[0];
                    return true;
                case 1:
                    a[0] = -px[0];
                    return t <= 2.0;
                case 2:
                    a[0] = -1.0 / (px[0] * px[0]);
                    return true;
                default:
                    a[0] = -px[0];
                    return true;
            }
        };
        double x[1] = {1.0}, v[1] = {0.0};
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
        zelvomat::RadauOptions opt;
        opt.max_sequences = c.max_sequences;
        auto st = radau(x, v, 0.0, c.t1, 0.0, c.ll, 1, 2, nf, ns, ncl, 15, radau_force(f), opt);
        ASSERT_FALSE(st.ok());
        EXPECT_NE(st.message().find(c.message_part), std::string::npos) << st.message();
        EXPECT_EQ(x[0], 1.0);
        EXPECT_EQ(v[0], 0.0);
        EXPECT_GT(nf, 0);
    }
}

TEST(RadauFailures, FirstSequenceRejectedElevenTimes) {
    // A force built to make every first sequence ask for half its own size:
    // F = K (t - t0)^NB, whose last B-value gives HV = K, with K chosen from
    // the sequence size T read off the first substep. After ten restarts the
    // integration fails and the start state is kept.
    const int nor = 11, nb = 5;
    const double ss = 1e-10, t0 = 0.0, h1 = radau_spacings(nor)[0];
    double k = 0.0;
    int attempts = 0;
    auto f = [&](const double*, const double*, double t, double* a) {
        if (t == t0) {
            ++attempts;
            k = 0.0;
            a[0] = 0.0;
            return;
        }
        if (k == 0.0) k = ss / std::pow(0.5 * (t - t0) / h1, nb + 2);
        a[0] = k * std::pow(t - t0, nb);
    };
    double x[1] = {2.0}, v[1] = {3.0};
    std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
    auto st = radau(x, v, t0, 100.0, 0.0, 10, 1, 2, nf, ns, ncl, nor, radau_force(f));
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.message().find("rejected 11 times"), std::string::npos) << st.message();
    EXPECT_EQ(attempts, 11);
    EXPECT_EQ(x[0], 2.0);
    EXPECT_EQ(v[0], 3.0);
    EXPECT_EQ(ns, 0);
}

TEST(RadauFailures, RefusedArguments) {
    struct Case {
        const char* what;
        int nor, nv, ni;
        std::int32_t nclass;
        double t1, xl;
        int ll;
        bool with_force;
    };
    const Case cases[] = {
        {"order 13", 13, 1, 2, -2, 1.0, 0.0, 10, true},      {"order 29", 29, 1, 2, -2, 1.0, 0.0, 10, true},
        {"no components", 11, 0, 2, -2, 1.0, 0.0, 10, true}, {"17 components", 11, 17, 2, -2, 1.0, 0.0, 10, true},
        {"class -1", 11, 1, 2, -1, 1.0, 0.0, 10, true},      {"no iteration", 11, 1, 0, -2, 1.0, 0.0, 10, true},
        {"empty span", 11, 1, 2, -2, 0.0, 0.0, 10, true},    {"no force", 11, 1, 2, -2, 1.0, 0.0, 10, false},
        {"fixed size 0", 11, 1, 2, -2, 1.0, 0.0, -1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<double> x(17, 1.0), v(17, 0.0);
        auto f = [](const double* px, const double*, double, double* a) { a[0] = -px[0]; };
        std::int32_t nf = -1, ns = -1, ncl = c.nclass;
        auto st = radau(x, v, 0.0, c.t1, c.xl, c.ll, c.nv, c.ni, nf, ns, ncl, c.nor,
                        c.with_force ? radau_force(f) : zelvomat::RadauForce{});
        EXPECT_FALSE(st.ok());
        EXPECT_FALSE(st.message().empty());
        EXPECT_EQ(x[0], 1.0);
        EXPECT_EQ(v[0], 0.0);
    }
    // State arrays shorter than the count.
    double x[2] = {1, 1}, v[2] = {0, 0};
    std::int32_t nf = 0, ns = 0, ncl = -2;
    auto f = [](const double*, const double*, double, double* a) { a[0] = a[1] = a[2] = 0; };
    EXPECT_FALSE(radau(std::span<double>(x, 2), std::span<double>(v, 2), 0.0, 1.0, 0.0, 10, 3, 2, nf, ns, ncl, 11,
                       radau_force(f))
                     .ok());
}
