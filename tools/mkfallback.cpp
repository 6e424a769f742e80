// Writes the data files of the fallback planetary theory from the planetary
// ephemeris file (JPL DE405 in the DE403 binary layout):
//
//   mkfallback COORBP FIRST_JD LAST_JD EPOCH OUT_DIR [REPORT.txt]
//
// FIRST_JD and LAST_JD are the file's span (settings record 6), EPOCH the
// catalogue epoch (Julian date) at which "orb.elm" gives the elements.
//
// "orb.elm": for each planet Mercury .. Pluto (the Earth-Moon barycentre for
// the third) the six elements of an unperturbed heliocentric orbit fitted by
// least squares (Gauss-Newton) to the planet's heliocentric positions of the
// file over the file's whole span, the residuals weighted by 1/r so that the
// fit minimises the heliocentric angle. The fit works in the non-singular
// variables mean longitude, mean motion, e cos/sin (longitude of
// perihelion), sin(i/2) cos/sin (node) and starts from the osculating elements
// at the epoch, fitting first a window of a few years about the epoch and
// widening it to the whole span. The mass factor of each orbit is the one the
// library uses with it (the barycentre's for the third planet).
//
// "moon.xyz": the geocentric Moon of the file in the ecliptic and equinox of
// J2000, sampled every half day over the file's span, fitted coordinate by
// coordinate by a sum of terms A cos(B + C T) (T Julian millennia from
// J2000.0): 46 terms for X, 47 for Y, 21 for Z. The frequencies C are
// combinations of the Delaunay arguments (Chapront et al. 2002, A&A 387, 700:
// mean longitude of the Moon L, elongation D, the anomalies l' of the Sun and
// l of the Moon, argument of latitude F): L + i D + j l' + k l + m F for X and
// Y, F + i D + j l' + k l + m F for Z, chosen one at a time (orthogonal
// matching pursuit: each step adds the combination that best matches what the
// terms chosen so far leave, then all amplitudes and phases are fitted again
// by linear least squares).
//
// The accuracy of both files against the ephemeris file, as the library
// evaluates them (fbstate, eaa, moonhel), is printed on standard output and
// written to REPORT.txt when given.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/destate.h"
#include "core/fallback.h"
#include "core/frames.h"
#include "core/reade403.h"
#include "core/twobody.h"
#include "core/utils.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/libstate.h"

using namespace zelvomat;

namespace {

constexpr double kArcsecPerRad = 206264.80624709636;
constexpr double kDaysPerMillennium = 365250.0;

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "mkfallback: %s\n", why.c_str());
    std::exit(1);
}

// State of DE file body target relative to file body centre.
Vec3 de_position(CoreState& core, double t, int target, int centre) {
    State9 s{};
    const Status st = bodystate(core.de, core.de_copies, core.data_paths, DeReader::Position, t, target, centre, s);
    if (!st) die(st.message());
    return {s[0], s[1], s[2]};
}

double norm(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
Vec3 sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

// Solves the symmetric positive definite system G x = r (G n x n, row by
// row) by Cholesky's method; G and r are overwritten.
bool solve_spd(std::vector<double>& G, std::vector<double>& r, std::size_t n) {
    for (std::size_t j = 0; j < n; ++j) {
        double d = G[j * n + j];
        for (std::size_t k = 0; k < j; ++k) d -= G[j * n + k] * G[j * n + k];
        if (!(d > 0.0)) return false;
        d = std::sqrt(d);
        G[j * n + j] = d;
        for (std::size_t i = j + 1; i < n; ++i) {
            double s = G[i * n + j];
            for (std::size_t k = 0; k < j; ++k) s -= G[i * n + k] * G[j * n + k];
            G[i * n + j] = s / d;
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        double s = r[i];
        for (std::size_t k = 0; k < i; ++k) s -= G[i * n + k] * r[k];
        r[i] = s / G[i * n + i];
    }
    for (std::size_t i = n; i-- > 0;) {
        double s = r[i];
        for (std::size_t k = i + 1; k < n; ++k) s -= G[k * n + i] * r[k];
        r[i] = s / G[i * n + i];
    }
    return true;
}

// ---- Planets -----------------------------------------------------------------

// Non-singular variables: mean longitude at the epoch, mean motion, e cos pi,
// e sin pi, sin(i/2) cos node, sin(i/2) sin node.
using Vars = std::array<double, 6>;

OrbitElements elements_of(const Vars& x) {
    OrbitElements el;
    const double e = std::hypot(x[2], x[3]);
    const double peri_long = std::atan2(x[3], x[2]);
    const double s = std::min(1.0, std::hypot(x[4], x[5]));
    const double node = std::atan2(x[5], x[4]);
    el.ecc = e;
    el.incl = 2.0 * std::asin(s);
    el.node = norm2pi(node);
    el.arg_perihelion = norm2pi(peri_long - node);
    el.mean_anomaly = norm2pi(x[0] - peri_long);
    el.mean_motion = x[1];
    return el;
}

Vars vars_of(const OrbitElements& el) {
    const double peri_long = el.arg_perihelion + el.node;
    const double s = std::sin(el.incl / 2.0);
    return {el.mean_anomaly + peri_long,  el.mean_motion,        el.ecc * std::cos(peri_long),
            el.ecc * std::sin(peri_long), s * std::cos(el.node), s * std::sin(el.node)};
}

Vec3 twobody_position(const OrbitElements& el, double mass, double epoch, double t) {
    StateVector s{};
    const double e0 = std::floor(epoch), d = std::floor(t);
    const Status st = twobody(mass, static_cast<std::int32_t>(e0), epoch - e0, el, static_cast<std::int32_t>(d), t - d,
                              kObliquityJ2000, s);
    if (!st) die("two-body motion: " + st.message());
    return {s[0], s[1], s[2]};
}

struct Sample {
    double t;
    Vec3 pos;
    double r;
};

// Weighted residuals (3 per sample) of the orbit x against the samples.
void residuals(const Vars& x, double mass, double epoch, const std::vector<Sample>& samples, std::vector<double>& out) {
    const OrbitElements el = elements_of(x);
    out.resize(samples.size() * 3);
    for (std::size_t j = 0; j < samples.size(); ++j) {
        const Vec3 p = twobody_position(el, mass, epoch, samples[j].t);
        for (std::size_t c = 0; c < 3; ++c) out[3 * j + c] = (p[c] - samples[j].pos[c]) / samples[j].r;
    }
}

double sumsq(const std::vector<double>& v) {
    double s = 0.0;
    for (double x : v) s += x * x;
    return s;
}

// Gauss-Newton (with a Levenberg-Marquardt damping) fit of the orbit to the
// samples.
Vars fit_orbit(Vars x, double mass, double epoch, const std::vector<Sample>& samples) {
    std::vector<double> f, fp, fm;
    residuals(x, mass, epoch, samples, f);
    double cost = sumsq(f);
    double lambda = 1e-6;
    for (int iter = 0; iter < 40; ++iter) {
        const Vars step{1e-7, x[1] * 1e-8, 1e-7, 1e-7, 1e-7, 1e-7};
        std::vector<std::vector<double>> J(6);
        for (std::size_t i = 0; i < 6; ++i) {
            Vars a = x, b = x;
            a[i] += step[i];
            b[i] -= step[i];
            residuals(a, mass, epoch, samples, fp);
            residuals(b, mass, epoch, samples, fm);
            J[i].resize(f.size());
            for (std::size_t j = 0; j < f.size(); ++j) J[i][j] = (fp[j] - fm[j]) / (2.0 * step[i]);
        }
        std::vector<double> N(36), g(6);
        for (std::size_t i = 0; i < 6; ++i) {
            for (std::size_t k = 0; k <= i; ++k) {
                double s = 0.0;
                for (std::size_t j = 0; j < f.size(); ++j) s += J[i][j] * J[k][j];
                N[i * 6 + k] = N[k * 6 + i] = s;
            }
            double s = 0.0;
            for (std::size_t j = 0; j < f.size(); ++j) s -= J[i][j] * f[j];
            g[i] = s;
        }
        bool improved = false;
        for (int tries = 0; tries < 12 && !improved; ++tries) {
            std::vector<double> A = N, d = g;
            for (std::size_t i = 0; i < 6; ++i) A[i * 6 + i] *= 1.0 + lambda;
            if (!solve_spd(A, d, 6)) {
                lambda *= 10.0;
                continue;
            }
            Vars y = x;
            for (std::size_t i = 0; i < 6; ++i) y[i] += d[i];
            if (!(y[1] > 0.0) || std::hypot(y[2], y[3]) >= 1.0) {
                lambda *= 10.0;
                continue;
            }
            std::vector<double> fy;
            residuals(y, mass, epoch, samples, fy);
            const double cy = sumsq(fy);
            if (cy <= cost) {
                const bool done = cost - cy <= 1e-14 * cost;
                x = y;
                f = fy;
                cost = cy;
                lambda = std::max(lambda / 10.0, 1e-12);
                improved = true;
                if (done) return x;
            } else {
                lambda *= 10.0;
            }
        }
        if (!improved) break;
    }
    return x;
}

std::array<OrbitElements, orbelm::kPlanets> fit_planets(CoreState& core, double first, double last, double epoch) {
    std::array<OrbitElements, orbelm::kPlanets> out{};
    for (int k = 1; k <= orbelm::kPlanets; ++k) {
        const int target = k == 3 ? 13 : k;  // the Earth-Moon barycentre for the third
        const double mass = 1.0 / (k == 3 ? kInverseMassEmb : kInverseMass[static_cast<std::size_t>(k - 1)]);
        // Osculating elements at the epoch as the start.
        State9 s9{};
        const double t0 = std::clamp(epoch, first, last);
        if (!bodystate(core.de, core.de_copies, core.data_paths, DeReader::Position, t0, target, 11, s9))
            die("cannot read the ephemeris file");
        StateVector sv{s9[0], s9[1], s9[2], s9[3], s9[4], s9[5]};
        OrbitElements el;
        if (!stateel(mass, sv, el, kObliquityJ2000)) die("osculating elements of planet " + std::to_string(k));
        // Bring the osculating mean anomaly from t0 to the epoch.
        el.mean_anomaly = norm2pi(el.mean_anomaly + el.mean_motion * (epoch - t0));
        Vars x = vars_of(el);
        const double period = 2.0 * kPi / el.mean_motion;
        // Widening windows about the epoch, the last one the whole span.
        for (double half = std::max(2.0 * 365.25, period);; half *= 2.0) {
            const double a = std::max(first, t0 - half), b = std::min(last, t0 + half);
            const double step = std::min(period / 50.0, (b - a) / 3000.0);
            std::vector<Sample> samples;
            for (double t = a; t <= b; t += step) {
                const Vec3 p = de_position(core, t, target, 11);
                samples.push_back({t, p, norm(p)});
            }
            x = fit_orbit(x, mass, epoch, samples);
            if (a <= first && b >= last) break;
        }
        out[static_cast<std::size_t>(k - 1)] = elements_of(x);
    }
    return out;
}

// ---- The Moon ------------------------------------------------------------------

// Rates of the Delaunay arguments, arcseconds per Julian century (Chapront,
// Chapront-Touze, Francou 2002, fitted to lunar laser ranging and DE405;
// the mean longitude in the fixed ecliptic of J2000).
constexpr double kRateL = 1732559343.3328;
constexpr double kRateD = 1602961601.0312;
constexpr double kRateLs = 129596581.0733;   // l', the Sun's mean anomaly
constexpr double kRateLm = 1717915923.0024;  // l, the Moon's mean anomaly
constexpr double kRateF = 1739527262.8711;

// Radians per Julian millennium.
constexpr double per_millennium(double arcsec_per_century) { return arcsec_per_century * 10.0 / kArcsecPerRad; }

std::vector<double> candidates(double base, int f_min, int f_max) {
    std::vector<double> out;
    for (int i = -4; i <= 4; ++i)
        for (int j = -2; j <= 2; ++j)
            for (int k = -4; k <= 4; ++k)
                for (int m = f_min; m <= f_max; m += 2) {
                    const double w =
                        std::abs(base + per_millennium(i * kRateD + j * kRateLs + k * kRateLm + m * kRateF));
                    out.push_back(w);
                }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end(), [](double a, double b) { return std::abs(a - b) < 1e-6; }),
              out.end());
    return out;
}

struct Term {
    double a, b, c;
};

// Fits `count` terms A cos(B + C T) to the values y at T = t0 + j dt.
std::vector<Term> fit_series(const std::vector<double>& y, double t0, double dt, const std::vector<double>& cand,
                             int count) {
    const std::size_t n = y.size();
    std::vector<std::vector<double>> cols;  // cos and sin columns of the chosen frequencies
    std::vector<double> freq;
    std::vector<bool> used(cand.size(), false);
    std::vector<double> coef;
    std::vector<double> r = y;
    const double ridge = 1e-12 * static_cast<double>(n);
    std::vector<double> gram;  // of the columns, row by row (size grows)
    for (int it = 0; it < count; ++it) {
        // The candidate whose sinusoid best matches the residual.
        double best = -1.0;
        std::size_t pick = 0;
        for (std::size_t q = 0; q < cand.size(); ++q) {
            if (used[q]) continue;
            const double w = cand[q];
            double zr = std::cos(w * t0), zi = std::sin(w * t0);
            const double cr = std::cos(w * dt), ci = std::sin(w * dt);
            double sc = 0.0, ss = 0.0;
            for (std::size_t j = 0; j < n; ++j) {
                sc += r[j] * zr;
                ss += r[j] * zi;
                const double nr = zr * cr - zi * ci;
                zi = zr * ci + zi * cr;
                zr = nr;
            }
            const double amp2 = (sc * sc + ss * ss) * (w == 0.0 ? 1.0 : 4.0);
            if (amp2 > best) {
                best = amp2;
                pick = q;
            }
        }
        used[pick] = true;
        const double w = cand[pick];
        freq.push_back(w);
        std::vector<double> cc(n), sn(n);
        for (std::size_t j = 0; j < n; ++j) {
            const double T = t0 + static_cast<double>(j) * dt;
            cc[j] = std::cos(w * T);
            sn[j] = std::sin(w * T);
        }
        cols.push_back(std::move(cc));
        cols.push_back(std::move(sn));
        // Normal equations of all columns.
        const std::size_t m = cols.size();
        std::vector<double> g(m * m), rhs(m);
        std::vector<double> old = gram;
        const std::size_t mo = m - 2;
        for (std::size_t i = 0; i < m; ++i)
            for (std::size_t k = 0; k <= i; ++k) {
                double s;
                if (i < mo && k < mo) {
                    s = old[i * mo + k];
                } else {
                    s = 0.0;
                    for (std::size_t j = 0; j < n; ++j) s += cols[i][j] * cols[k][j];
                }
                g[i * m + k] = g[k * m + i] = s;
            }
        gram = g;
        for (std::size_t i = 0; i < m; ++i) {
            double s = 0.0;
            for (std::size_t j = 0; j < n; ++j) s += cols[i][j] * y[j];
            rhs[i] = s;
            g[i * m + i] += ridge;
        }
        if (!solve_spd(g, rhs, m)) die("the Moon series: singular normal equations");
        coef = rhs;
        for (std::size_t j = 0; j < n; ++j) {
            double s = y[j];
            for (std::size_t i = 0; i < m; ++i) s -= coef[i] * cols[i][j];
            r[j] = s;
        }
    }
    std::vector<Term> out;
    for (std::size_t i = 0; i < freq.size(); ++i) {
        const double a = coef[2 * i], b = coef[2 * i + 1];
        // a cos CT + b sin CT = A cos(B + CT) with A cos B = a, A sin B = -b.
        out.push_back({std::hypot(a, b), std::atan2(-b, a), freq[i]});
    }
    return out;
}

MoonSeries fit_moon(CoreState& core, double first, double last) {
    const double dt_days = 0.5;
    const double t0 = (first - 2451545.0) / kDaysPerMillennium;
    const double dt = dt_days / kDaysPerMillennium;
    std::array<std::vector<double>, 3> xyz;
    const Mat3 to_ecliptic = rotx(kObliquityJ2000);
    for (double t = first; t <= last; t += dt_days) {
        const Vec3 e = matmul(to_ecliptic, de_position(core, t, 10, 3));
        for (std::size_t c = 0; c < 3; ++c) xyz[c].push_back(e[c]);
    }
    const double wl = per_millennium(kRateL), wf = per_millennium(kRateF);
    const std::array<int, 3> counts{moonxyz_file::kTermsX, moonxyz_file::kTermsY, moonxyz_file::kTermsZ};
    MoonSeries s;
    std::size_t at = 0;
    for (std::size_t c = 0; c < 3; ++c) {
        const auto cand = c < 2 ? candidates(wl, -4, 4) : candidates(wf, -2, 2);
        const auto terms = fit_series(xyz[c], t0, dt, cand, counts[c]);
        for (const Term& tm : terms) {
            s.a[at] = tm.a;
            s.b[at] = tm.b;
            s.c[at] = tm.c;
            ++at;
        }
    }
    s.loaded = true;
    return s;
}

// ---- Accuracy ----------------------------------------------------------------------

struct Stats {
    double max_angle = 0.0;  // arcseconds, seen from the centre
    double max_dist = 0.0;   // AU
    double sum_sq_angle = 0.0;
    int n = 0;
    void add(const Vec3& got, const Vec3& want) {
        const double d = norm(sub(got, want));
        const double ang = d / norm(want) * kArcsecPerRad;
        max_angle = std::max(max_angle, ang);
        max_dist = std::max(max_dist, d);
        sum_sq_angle += ang * ang;
        ++n;
    }
    double rms() const { return n ? std::sqrt(sum_sq_angle / n) : 0.0; }
};

std::string accuracy(CoreState& core, double first, double last, double epoch) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    const char* names[] = {"Mercury", "Venus",   "Earth", "Mars", "Jupiter", "Saturn",
                           "Uranus",  "Neptune", "Pluto", "Sun",  "Moon",    "EMB"};
    char line[200];
    std::snprintf(
        line, sizeof line,
        "# fallback theory against the ephemeris file, JD %.1f-%.1f (span) and JD %.1f-%.1f (epoch +-10 years)\n",
        first, last, std::max(first, epoch - 3652.5), std::min(last, epoch + 3652.5));
    out << line;
    out << "# body          centre  span: max\"   rms\"   max AU      +-10 y: max\"   rms\"   max AU\n";
    struct Row {
        int code, centre, de_target, de_centre;
    };
    const Row rows[] = {{1, 10, 1, 11},   {2, 10, 2, 11}, {3, 10, 3, 11}, {4, 10, 4, 11}, {5, 10, 5, 11},
                        {6, 10, 6, 11},   {7, 10, 7, 11}, {8, 10, 8, 11}, {9, 10, 9, 11}, {12, 10, 13, 11},
                        {11, 10, 10, 11}, {11, 3, 10, 3}, {10, 3, 11, 3}};
    for (const Row& r : rows) {
        Stats span, near;
        const double step = r.code == 11 || r.code == 12 || r.code == 1 ? 0.7 : 5.0;
        for (double t = first; t <= last; t += step) {
            StateVector s{};
            const Status st = fbstate(core.planet_elements, core.moon_series, static_cast<BodyCode>(r.code),
                                      static_cast<BodyCode>(r.centre), t, s);
            if (!st) die(st.message());
            const Vec3 want = de_position(core, t, r.de_target, r.de_centre);
            const Vec3 got{s[0], s[1], s[2]};
            span.add(got, want);
            if (std::abs(t - epoch) <= 3652.5) near.add(got, want);
        }
        std::snprintf(line, sizeof line, "%-8s (%2d)  %-6s %9.1f %7.1f %10.2e     %9.1f %7.1f %10.2e\n",
                      names[r.code - 1], r.code, r.centre == 10 ? "Sun" : "Earth", span.max_angle, span.rms(),
                      span.max_dist, near.max_angle, near.rms(), near.max_dist);
        out << line;
    }
    return out.str();
}

double number(const char* text, const char* what) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double v = 0.0;
    if (!(in >> v)) die(std::string("bad ") + what + ": " + text);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: mkfallback COORBP FIRST_JD LAST_JD EPOCH OUT_DIR [REPORT.txt]\n");
        return 2;
    }
    const double first = number(argv[2], "first date"), last = number(argv[3], "last date");
    const double epoch = number(argv[4], "epoch");
    std::string dir = argv[5];
    if (!dir.empty() && dir.back() != '/') dir += '/';
    LibraryState st;
    st.core.de.first_jd = first;
    st.core.de.last_jd = last;
    if (const Status s = de_open(st.core.de, st.core.de_copies, argv[1]); !s) die(s.message());

    const auto planets = fit_planets(st.core, first, last, epoch);
    const std::string orb = dir + std::string(files::kPlanetElements);
    if (const Status s = io::write_file_bytes(orb, encode_planet_elements(planets)); !s) die(s.message());

    const MoonSeries moon = fit_moon(st.core, first, last);
    const std::string mxyz = dir + std::string(files::kMoonSeries);
    if (const Status s = io::write_file_bytes(mxyz, encode_moon_series(moon)); !s) die(s.message());

    // Read back through the library and compare with the ephemeris file.
    if (const Status s = load_planet_elements(st.core.planet_elements, orb, epoch); !s) die(s.message());
    if (const Status s = load_moon_series(st.core.moon_series, mxyz); !s) die(s.message());
    const std::string report = accuracy(st.core, first, last, epoch);
    std::fputs(report.c_str(), stdout);
    if (argc > 6) {
        std::ofstream r(argv[6], std::ios::binary);
        r << report;
        if (!r) die(std::string("cannot write ") + argv[6]);
    }
    return 0;
}
