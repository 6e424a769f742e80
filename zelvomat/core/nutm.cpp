// IAU 1980 nutation and the nutation matrix.
//
// The series (106 terms) is that of the IAU 1980 theory of nutation
// (J. M. Wahr 1981; P. K. Seidelmann 1982, Celest. Mech. 27, 79; Explanatory
// Supplement to the Astronomical Almanac 1992, table 3.222.1), in its
// published order: terms 1-30 form the long-period group, terms 31-106 the
// short-period group. Coefficients are in units of 0.0001" (and 0.0001" per
// Julian century for their rates, which only terms 1-39 have).
//
// Each term's argument is held as a phase A (turns at J2000.0) and a rate
// N + B (turns per Julian century) with N a whole number: the argument is
// frac(N T) + A + B T turns. N, A and B come from the constant and linear
// terms of the five fundamental arguments l, l', F, D, Omega of the 1980
// theory; the whole turns N T are reduced in double precision so that the
// short-period terms (some hundred turns a year) keep their phase, while A,
// B, the coefficients and the sums are single precision. The node's quadratic
// term (7.455" T^2) is put back into term 1 as a second-order correction;
// the other quadratic terms are left out.
//
// Accuracy against the full double-precision series: a few 1e-5" over
// 1900-2100 (single-precision phases and sums; see the tests).
#include <cmath>

#include "core/frames.h"
#include "core/utils.h"

namespace zelvomat {
namespace {

// One term: multipliers of l, l', F, D, Omega; longitude sine coefficient and
// its rate; obliquity cosine coefficient and its rate.
struct NutationTerm {
    int nl, nlp, nf, nd, nom;
    double sp, spt, ce, cet;
};

constexpr NutationTerm kSeries[106] = {
    // 1-10
    {0, 0, 0, 0, 1, -171996, -174.2, 92025, 8.9},
    {0, 0, 0, 0, 2, 2062, 0.2, -895, 0.5},
    {-2, 0, 2, 0, 1, 46, 0, -24, 0},
    {2, 0, -2, 0, 0, 11, 0, 0, 0},
    {-2, 0, 2, 0, 2, -3, 0, 1, 0},
    {1, -1, 0, -1, 0, -3, 0, 0, 0},
    {0, -2, 2, -2, 1, -2, 0, 1, 0},
    {2, 0, -2, 0, 1, 1, 0, 0, 0},
    {0, 0, 2, -2, 2, -13187, -1.6, 5736, -3.1},
    {0, 1, 0, 0, 0, 1426, -3.4, 54, -0.1},
    // 11-20
    {0, 1, 2, -2, 2, -517, 1.2, 224, -0.6},
    {0, -1, 2, -2, 2, 217, -0.5, -95, 0.3},
    {0, 0, 2, -2, 1, 129, 0.1, -70, 0},
    {2, 0, 0, -2, 0, 48, 0, 1, 0},
    {0, 0, 2, -2, 0, -22, 0, 0, 0},
    {0, 2, 0, 0, 0, 17, -0.1, 0, 0},
    {0, 1, 0, 0, 1, -15, 0, 9, 0},
    {0, 2, 2, -2, 2, -16, 0.1, 7, 0},
    {0, -1, 0, 0, 1, -12, 0, 6, 0},
    {-2, 0, 0, 2, 1, -6, 0, 3, 0},
    // 21-30
    {0, -1, 2, -2, 1, -5, 0, 3, 0},
    {2, 0, 0, -2, 1, 4, 0, -2, 0},
    {0, 1, 2, -2, 1, 4, 0, -2, 0},
    {1, 0, 0, -1, 0, -4, 0, 0, 0},
    {2, 1, 0, -2, 0, 1, 0, 0, 0},
    {0, 0, -2, 2, 1, 1, 0, 0, 0},
    {0, 1, -2, 2, 0, -1, 0, 0, 0},
    {0, 1, 0, 0, 2, 1, 0, 0, 0},
    {-1, 0, 0, 1, 1, 1, 0, 0, 0},
    {0, 1, 2, -2, 0, -1, 0, 0, 0},
    // 31-40
    {0, 0, 2, 0, 2, -2274, -0.2, 977, -0.5},
    {1, 0, 0, 0, 0, 712, 0.1, -7, 0},
    {0, 0, 2, 0, 1, -386, -0.4, 200, 0},
    {1, 0, 2, 0, 2, -301, 0, 129, -0.1},
    {1, 0, 0, -2, 0, -158, 0, -1, 0},
    {-1, 0, 2, 0, 2, 123, 0, -53, 0},
    {0, 0, 0, 2, 0, 63, 0, -2, 0},
    {1, 0, 0, 0, 1, 63, 0.1, -33, 0},
    {-1, 0, 0, 0, 1, -58, -0.1, 32, 0},
    {-1, 0, 2, 2, 2, -59, 0, 26, 0},
    // 41-50
    {1, 0, 2, 0, 1, -51, 0, 27, 0},
    {0, 0, 2, 2, 2, -38, 0, 16, 0},
    {2, 0, 0, 0, 0, 29, 0, -1, 0},
    {1, 0, 2, -2, 2, 29, 0, -12, 0},
    {2, 0, 2, 0, 2, -31, 0, 13, 0},
    {0, 0, 2, 0, 0, 26, 0, -1, 0},
    {-1, 0, 2, 0, 1, 21, 0, -10, 0},
    {-1, 0, 0, 2, 1, 16, 0, -8, 0},
    {1, 0, 0, -2, 1, -13, 0, 7, 0},
    {-1, 0, 2, 2, 1, -10, 0, 5, 0},
    // 51-60
    {1, 1, 0, -2, 0, -7, 0, 0, 0},
    {0, 1, 2, 0, 2, 7, 0, -3, 0},
    {0, -1, 2, 0, 2, -7, 0, 3, 0},
    {1, 0, 2, 2, 2, -8, 0, 3, 0},
    {1, 0, 0, 2, 0, 6, 0, 0, 0},
    {2, 0, 2, -2, 2, 6, 0, -3, 0},
    {0, 0, 0, 2, 1, -6, 0, 3, 0},
    {0, 0, 2, 2, 1, -7, 0, 3, 0},
    {1, 0, 2, -2, 1, 6, 0, -3, 0},
    {0, 0, 0, -2, 1, -5, 0, 3, 0},
    // 61-70
    {1, -1, 0, 0, 0, 5, 0, 0, 0},
    {2, 0, 2, 0, 1, -5, 0, 3, 0},
    {0, 1, 0, -2, 0, -4, 0, 0, 0},
    {1, 0, -2, 0, 0, 4, 0, 0, 0},
    {0, 0, 0, 1, 0, -4, 0, 0, 0},
    {1, 1, 0, 0, 0, -3, 0, 0, 0},
    {1, 0, 2, 0, 0, 3, 0, 0, 0},
    {1, -1, 2, 0, 2, -3, 0, 1, 0},
    {-1, -1, 2, 2, 2, -3, 0, 1, 0},
    {-2, 0, 0, 0, 1, -2, 0, 1, 0},
    // 71-80
    {3, 0, 2, 0, 2, -3, 0, 1, 0},
    {0, -1, 2, 2, 2, -3, 0, 1, 0},
    {1, 1, 2, 0, 2, 2, 0, -1, 0},
    {-1, 0, 2, -2, 1, -2, 0, 1, 0},
    {2, 0, 0, 0, 1, 2, 0, -1, 0},
    {1, 0, 0, 0, 2, -2, 0, 1, 0},
    {3, 0, 0, 0, 0, 2, 0, 0, 0},
    {0, 0, 2, 1, 2, 2, 0, -1, 0},
    {-1, 0, 0, 0, 2, 1, 0, -1, 0},
    {1, 0, 0, -4, 0, -1, 0, 0, 0},
    // 81-90
    {-2, 0, 2, 2, 2, 1, 0, -1, 0},
    {-1, 0, 2, 4, 2, -2, 0, 1, 0},
    {2, 0, 0, -4, 0, -1, 0, 0, 0},
    {1, 1, 2, -2, 2, 1, 0, -1, 0},
    {1, 0, 2, 2, 1, -1, 0, 1, 0},
    {-2, 0, 2, 4, 2, -1, 0, 1, 0},
    {-1, 0, 4, 0, 2, 1, 0, 0, 0},
    {1, -1, 0, -2, 0, 1, 0, 0, 0},
    {2, 0, 2, -2, 1, 1, 0, -1, 0},
    {2, 0, 2, 2, 2, -1, 0, 0, 0},
    // 91-100
    {1, 0, 0, 2, 1, -1, 0, 0, 0},
    {0, 0, 4, -2, 2, 1, 0, 0, 0},
    {3, 0, 2, -2, 2, 1, 0, 0, 0},
    {1, 0, 2, -2, 0, -1, 0, 0, 0},
    {0, 1, 2, 0, 1, 1, 0, 0, 0},
    {-1, -1, 0, 2, 1, 1, 0, 0, 0},
    {0, 0, -2, 0, 1, -1, 0, 0, 0},
    {0, 0, 2, -1, 2, -1, 0, 0, 0},
    {0, 1, 0, 2, 0, -1, 0, 0, 0},
    {1, 0, -2, -2, 0, -1, 0, 0, 0},
    // 101-106
    {0, -1, 2, 0, 1, -1, 0, 0, 0},
    {1, 1, 0, -2, 1, -1, 0, 0, 0},
    {1, 0, -2, 2, 0, -1, 0, 0, 0},
    {2, 0, 0, 2, 0, 1, 0, 0, 0},
    {0, 0, 2, 4, 2, -1, 0, 0, 0},
    {0, 1, 0, 1, 0, 1, 0, 0, 0},
};

// Constant and linear terms of the fundamental arguments (IAU 1980):
// value at J2000.0 in arcseconds; rate as whole turns plus arcseconds per
// Julian century.
struct FundamentalArgument {
    double at_j2000_arcsec;
    int turns_per_century;
    double arcsec_per_century;
};
constexpr FundamentalArgument kArgs[5] = {
    {485866.733, 1325, 715922.633},    // l: Moon's mean anomaly
    {1287099.804, 99, 1292581.224},    // l': Sun's mean anomaly
    {335778.877, 1342, 295263.137},    // F: Moon's argument of latitude
    {1072261.307, 1236, 1105601.328},  // D: Moon's elongation from the Sun
    {450160.280, -5, -482890.539},     // Omega: longitude of the Moon's node
};

constexpr double floor_c(double x) {
    auto i = static_cast<long long>(x);
    if (static_cast<double>(i) > x) --i;
    return static_cast<double>(i);
}

// The table as the routine uses it: single-precision coefficients, phase and
// fractional rate, 32-bit whole-turn rate.
struct TableTerm {
    float sa, sb, ca, cb;  // 0.0001", and per century
    std::int32_t n;        // whole turns per century
    float a, b;            // turns, turns per century
};

constexpr TableTerm make_term(const NutationTerm& t) {
    const int mult[5] = {t.nl, t.nlp, t.nf, t.nd, t.nom};
    double phase = 0.0, rate = 0.0;
    int whole = 0;
    for (int i = 0; i < 5; ++i) {
        phase += mult[i] * kArgs[i].at_j2000_arcsec;
        rate += mult[i] * kArgs[i].arcsec_per_century;
        whole += mult[i] * kArgs[i].turns_per_century;
    }
    phase /= kArcsecPerTurn;
    rate /= kArcsecPerTurn;
    phase -= floor_c(phase);  // into [0, 1)
    // Whole turns of the rate go to the exact integer part; b stays in
    // [-0.5, 0.5) where single precision is finest.
    const double shift = floor_c(rate + 0.5);
    rate -= shift;
    whole += static_cast<int>(shift);
    return TableTerm{static_cast<float>(t.sp),
                     static_cast<float>(t.spt),
                     static_cast<float>(t.ce),
                     static_cast<float>(t.cet),
                     whole,
                     static_cast<float>(phase),
                     static_cast<float>(rate)};
}

struct Table {
    TableTerm t[106];
};
constexpr Table make_table() {
    Table tab{};
    for (int k = 0; k < 106; ++k) tab.t[k] = make_term(kSeries[k]);
    return tab;
}
constexpr Table kTable = make_table();

// Sums of one group in single precision, as the table's precision warrants.
struct Sums {
    float dpsi = 0, deps = 0, dpsi_rate = 0, deps_rate = 0;
};

// Adds term k (0-based) at T (double) / ts (single); returns its argument.
double add_term(Sums& s, int k, double T, float ts, bool rates) {
    const TableTerm& e = kTable.t[k];
    const float S = e.sa + e.sb * ts;
    const float C = e.ca + e.cb * ts;
    const double phi = std::fmod(e.n * T, 1.0);
    const double arg = (static_cast<double>(e.a + e.b * ts) + phi) * kTwoPi;
    const double sn = std::sin(arg), cs = std::cos(arg);
    s.dpsi = static_cast<float>(s.dpsi + S * sn);
    s.deps = static_cast<float>(s.deps + C * cs);
    if (rates) {
        const double rate = (e.n + static_cast<double>(e.b)) * kTwoPi;
        s.dpsi_rate = static_cast<float>(s.dpsi_rate + rate * S * cs + e.sb * sn);
        s.deps_rate = static_cast<float>(s.deps_rate + e.cb * cs - rate * C * sn);
    }
    return arg;
}

}  // namespace

Nutation nutm(int mode, int rate_switch, double jd, double fr) {
    const double T = (jd - 2451545.0 + fr) / 36525.0;
    const auto ts = static_cast<float>(T);
    const bool rates = rate_switch != 0;
    Sums s;
    if (mode <= 1) {
        // Long-period group, smallest terms first.
        double arg1 = 0.0;
        for (int k = 29; k >= 0; --k) arg1 = add_term(s, k, T, ts, rates);
        // The node's quadratic term, left out of term 1's argument, as a
        // second-order correction (7.455" T^2 in radians).
        const double x = 3.6142861063126475e-05 * T * T;
        const double y = -x * x / 2.0;
        const TableTerm& e = kTable.t[0];
        const float S = e.sa + e.sb * ts;
        const float C = e.ca + e.cb * ts;
        s.dpsi = static_cast<float>(s.dpsi + (x * std::cos(arg1) + y * std::sin(arg1)) * S);
        s.deps = static_cast<float>(s.deps + (-x * std::sin(arg1) + y * std::cos(arg1)) * C);
    }
    if (mode <= 0 || mode >= 2) {
        for (int k = 105; k >= 30; --k) add_term(s, k, T, ts, rates);
    }
    constexpr double kRadPerUnit = 4.848136811e-10;  // radians per 0.0001"
    Nutation n;
    n.dpsi = s.dpsi * kRadPerUnit;
    n.deps = s.deps * kRadPerUnit;
    if (rates) {
        n.dpsi_rate = s.dpsi_rate * kRadPerUnit / 36525.0;
        n.deps_rate = s.deps_rate * kRadPerUnit / 36525.0;
    }
    return n;
}

Mat3 nutmat(double dpsi, double deps, double eps) {
    // R1(-(eps + deps)) R3(-dpsi) R1(eps), as ERFA's eraNumat composes it.
    return matmul(rotx(-(eps + deps)), matmul(rotz(-dpsi), rotx(eps)));
}

}  // namespace zelvomat
