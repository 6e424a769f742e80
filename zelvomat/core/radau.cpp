// Gauss-Radau integrator of Everhart (RADAU), orders 7 to 27.
//
// Notation (Everhart 1985): over a sequence of size T starting at time TM the
// derivative is F(h) = F1 + B1 h + ... + B_NB h^NB, h the time fraction. The
// same polynomial in Newton form over the spacings h_1 .. h_NB is
//     F(h) = F1 + G1 h + G2 h (h - h_1) + G3 h (h - h_1)(h - h_2) + ...,
// and the force at spacing h_j gives G_j by divided differences. The
// conversions between the G- and B-values use three triangular tables:
//     R  row l, place p: 1/(h_l - h_p)                (divided differences)
//     C  row l, place p: coefficient of G_l in B_p    (G -> B)
//     D  row l, place p: coefficient of B_l in G_p    (B -> G)
// Row l (l = 2 .. NB) holds places p = 1 .. l-1, starting after (l-1)(l-2)/2
// entries. Integrating the series term by term gives the positions and
// velocities at any fraction, with the factors W_l = 1/((l+1)(l+2)) (1/(l+1)
// for first-order equations) and U_l = 1/(l+1).
#include "core/radau.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace zelvomat {

namespace {

constexpr int kMaxB = 13;                         // B-values per component, order 27
constexpr int kMaxTri = kMaxB * (kMaxB - 1) / 2;  // 78 entries in each of C, D, R
constexpr int kMaxNv = kRadauMaxComponents;

// Gauss-Radau spacings on (0, 1), order after order (7, 11, 15, 19, 23, 27):
// the roots h of (P_{n-1} + P_n)(2h - 1) other than h = 0, P_n the Legendre
// polynomials and n = (order + 1)/2 the number of spacings with 0.
constexpr std::array<double, 48> kSpacings = {
    // order 7
    0.21234053823915294397,
    0.59053313555926528914,
    0.91141204048729605260,
    // order 11
    0.09853508579882642612,
    0.30453572664636390549,
    0.56202518975261385599,
    0.80198658212639182746,
    0.96019014294853125766,
    // order 15
    0.05626256053692214647,
    0.18024069173689236499,
    0.35262471711316963737,
    0.54715362633055538300,
    0.73421017721541053152,
    0.88532094683909576809,
    0.97752061356128750189,
    // order 19
    0.03625781288320946094,
    0.11807897878999870019,
    0.23717698481496038532,
    0.38188276530470597536,
    0.53802959891898906512,
    0.69033242007236218294,
    0.82388334383700471814,
    0.92561261029080395536,
    0.98558759035112345137,
    // order 23
    0.02527362039752034975,
    0.08304161344740514671,
    0.16917510037718142597,
    0.27779671510903207444,
    0.40150272023286081677,
    0.53186238691041595792,
    0.65999184208533481177,
    0.77715939295616214449,
    0.87538077485555692626,
    0.94796454887281944742,
    0.98998171953831959416,
    // order 27
    0.01861036501098785144,
    0.06147554089926898760,
    0.12630517869331058063,
    0.20984297172656251445,
    0.30789899828039834310,
    0.41555603597865954450,
    0.52741561399588227482,
    0.63786860271776119959,
    0.74137645929423748341,
    0.83274898860844226850,
    0.90740477530099736472,
    0.96160186126032164962,
    0.99263534897391067835,
};

// Binomial coefficients binom(l, k), l, k = 0 .. 13: the B-values of the next
// sequence, of size q times the last, are predicted as
// E_k = q^k sum_{l >= k} binom(l, k) B_l.
constexpr auto kBinomial = [] {
    std::array<std::array<double, kMaxB + 1>, kMaxB + 1> c{};
    for (int l = 0; l <= kMaxB; ++l) {
        c[l][0] = 1.0;
        for (int k = 1; k <= l; ++k) c[l][k] = c[l - 1][k - 1] + (k < l ? c[l - 1][k] : 0.0);
    }
    return c;
}();

// First entry (0-based) of row l (1-based, l >= 2) of the triangular tables.
constexpr int tri(int l) { return (l - 1) * (l - 2) / 2; }

bool valid_order(std::int32_t nor) { return nor >= 7 && nor <= 27 && (nor - 7) % 4 == 0; }

std::string fmt_time(double t) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, t, std::chars_format::general, 12);
    return std::string(buf, r.ptr);
}

// Working storage of one call.
struct RadauWork {
    std::array<double, kMaxB + 1> h{};  // spacings, h[0] = 0
    std::array<double, kMaxB + 1> w{};  // w[l], l = 1 .. NB
    std::array<double, kMaxB + 1> u{};
    std::array<double, kMaxTri> c{}, d{}, r{};
    std::array<double, kMaxNv> f1{}, fj{}, y{}, z{};
    // B-values, G-values, predicted B-values and the corrections of the last
    // prediction, component after component (index l - 1 for B_l).
    std::array<std::array<double, kMaxB>, kMaxNv> b{}, g{}, e{}, bd{};
};

}  // namespace

std::span<const double> radau_spacings(std::int32_t nor) {
    if (!valid_order(nor)) return {};
    const int ks = (nor - 3) / 2;
    const int first = (ks / 2) * (ks / 2) - 1;
    return std::span<const double>(kSpacings).subspan(static_cast<std::size_t>(first),
                                                      static_cast<std::size_t>(ks + 1));
}

Status radau(std::span<double> x, std::span<double> v, double t0, double t1, double xl, std::int32_t ll,
             std::int32_t nv, std::int32_t ni, std::int32_t& nf, std::int32_t& ns, std::int32_t& nclass,
             std::int32_t nor, RadauForce force, const RadauOptions& options) {
    nf = 0;
    ns = 0;
    if (!valid_order(nor))
        return error_status("integrator: order " + std::to_string(nor) + " is not one of 7, 11, 15, 19, 23, 27");
    if (nv < 1 || nv > kMaxNv)
        return error_status("integrator: " + std::to_string(nv) + " components, allowed 1 to " +
                            std::to_string(kMaxNv));
    if (x.size() < static_cast<std::size_t>(nv) || v.size() < static_cast<std::size_t>(nv))
        return error_status("integrator: state arrays shorter than the number of components");
    if (nclass != kRadauFirstOrder && nclass != kRadauSecondOrder && nclass != kRadauSecondOrderVelocity)
        return error_status("integrator: equation class " + std::to_string(nclass) + " is not one of 1, -2, 2");
    if (ni < 1) return error_status("integrator: at least one iteration per sequence needed");
    if (force.fn == nullptr) return error_status("integrator: no force routine");
    if (!std::isfinite(t0) || !std::isfinite(t1) || t1 == t0)
        return error_status("integrator: the end time must differ from the start time");

    const int n = nv;
    // Start state, restored when the integration fails.
    std::array<double, kMaxNv> x0{}, v0{};
    std::copy_n(x.begin(), n, x0.begin());
    std::copy_n(v.begin(), n, v0.begin());
    auto fail = [&](std::string message) {
        std::copy_n(x0.begin(), n, x.begin());
        std::copy_n(v0.begin(), n, v.begin());
        return error_status("integration failed: " + std::move(message));
    };
    for (int k = 0; k < n; ++k)
        if (!std::isfinite(x[k]) || !std::isfinite(v[k])) return error_status("integrator: non-finite start state");

    // Set-up.
    const int ks = (nor - 3) / 2;
    const int nb = ks + 1;  // B-values per component
    const int nh = ks + 2;  // spacings with 0
    const double pw = 1.0 / (ks + 3);
    const bool ncl = nclass == kRadauFirstOrder;
    const bool npq = nclass < 2;  // no velocity predictors needed
    const double sr = nv == 1 ? static_cast<double>(1.2f) : 1.5;
    const bool nes = ll < 0;
    const double span = t1 - t0;
    const double dir = span / std::abs(span);
    if (nes) xl = std::abs(xl) * dir;
    nclass = std::abs(nclass);
    const double min_step = 1e-12 * std::abs(span);

    RadauWork wk;
    auto& h = wk.h;
    {
        const auto sp = radau_spacings(nor);
        h[0] = 0.0;
        std::copy(sp.begin(), sp.end(), h.begin() + 1);
    }
    for (int m = 2; m <= nh; ++m) {
        const double dm = m;
        wk.w[m - 1] = 1.0 / ((nclass - 1) * dm * dm + dm);
        wk.u[m - 1] = 1.0 / dm;
    }
    const double w1 = ncl ? 1.0 : 0.5;
    if (ncl) std::fill_n(v.begin(), n, 0.0);

    // Triangular tables (rows 2 .. NB), h_p = h[p].
    auto& c = wk.c;
    auto& d = wk.d;
    auto& r = wk.r;
    c[0] = -h[1];
    d[0] = h[1];
    r[0] = 1.0 / (h[2] - h[1]);
    for (int l = 3; l <= nb; ++l) {
        const int row = tri(l), prev = tri(l - 1);
        c[row] = -h[l - 1] * c[prev];
        d[row] = h[1] * d[prev];
        r[row] = 1.0 / (h[l] - h[1]);
        for (int p = 2; p <= l - 2; ++p) {
            c[row + p - 1] = c[prev + p - 2] - h[l - 1] * c[prev + p - 1];
            d[row + p - 1] = d[prev + p - 2] + h[p] * d[prev + p - 1];
            r[row + p - 1] = 1.0 / (h[l] - h[p]);
        }
        c[row + l - 2] = c[prev + l - 3] - h[l - 1];
        d[row + l - 2] = -c[row + l - 2];
        r[row + l - 2] = 1.0 / (h[l] - h[l - 1]);
    }

    const double ss = std::pow(10.0, -static_cast<double>(ll));
    double tp = std::pow(0.5, 0.4 * ll) * (nor / 11.0) * dir * 0.5;
    if (nes)
        tp = xl;
    else if (options.first_size != 0.0 && std::isfinite(options.first_size))
        tp = std::abs(options.first_size) * dir;
    if (tp / span > 0.5) tp = 0.5 * span;

    auto call_force = [&](const double* px, const double* pv, double t, double* a) {
        ++nf;
        return force.fn(force.ctx, px, pv, t, a);
    };

    // G-values from the (predicted) B-values at the start of a sequence.
    auto g_from_b = [&]() {
        for (int k = 0; k < n; ++k) {
            const auto& bk = wk.b[k];
            auto& gk = wk.g[k];
            for (int j = 1; j <= nb; ++j) {
                double s = bk[j - 1];
                for (int l = j + 1; l <= nb; ++l) s += d[tri(l) + j - 1] * bk[l - 1];
                gk[j - 1] = s;
            }
        }
    };

    // One predictor-corrector iteration over the substeps of a sequence of
    // size t starting at tm; false when the force routine gives up.
    auto iterate = [&](double tm, double t) -> bool {
        const double t2 = ncl ? t : t * t;
        for (int j = 1; j <= nb; ++j) {
            const double s = h[j];
            const double q = ncl ? 1.0 : s;
            // Predicted positions (and velocities) at the fraction s.
            for (int k = 0; k < n; ++k) {
                const auto& bk = wk.b[k];
                double a = wk.w[nb] * bk[nb - 1];
                for (int l = nb - 1; l >= 1; --l) a = wk.w[l] * bk[l - 1] + s * a;
                wk.y[k] = x[k] + q * (t * v[k] + t2 * s * (wk.f1[k] * w1 + s * a));
                if (!npq) {
                    double av = wk.u[nb] * bk[nb - 1];
                    for (int l = nb - 1; l >= 1; --l) av = wk.u[l] * bk[l - 1] + s * av;
                    wk.z[k] = v[k] + s * t * (wk.f1[k] + s * av);
                }
            }
            const double* zp = npq ? v.data() : wk.z.data();
            if (!call_force(wk.y.data(), zp, tm + s * t, wk.fj.data())) return false;
            // New G_j by divided differences, and the B-values that follow
            // from its change.
            const int rj = j >= 2 ? tri(j) : 0;
            for (int k = 0; k < n; ++k) {
                auto& gk = wk.g[k];
                auto& bk = wk.b[k];
                double val = (wk.fj[k] - wk.f1[k]) / s;
                for (int p = 1; p < j; ++p) val = (val - gk[p - 1]) * r[rj + p - 1];
                const double delta = val - gk[j - 1];
                gk[j - 1] = val;
                bk[j - 1] += delta;
                for (int p = 1; p < j; ++p) bk[p - 1] += c[rj + p - 1] * delta;
            }
        }
        return true;
    };

    auto size_measure = [&](double t) {
        double sum = 0.0;
        for (int k = 0; k < n; ++k) sum += wk.b[k][nb - 1] * wk.b[k][nb - 1];
        return std::sqrt(sum) * std::pow(std::abs(t), -static_cast<double>(nb));
    };

    auto state_finite = [&]() {
        for (int k = 0; k < n; ++k)
            if (!std::isfinite(x[k]) || !std::isfinite(v[k]) || !std::isfinite(wk.f1[k])) return false;
        return true;
    };

    auto step_too_small = [&](double tm, double t) { return !(std::abs(t) >= min_step) || tm + t == tm; };

    // First sequence, repeated with a smaller size when the size it finds
    // is smaller than the one it was made with.
    int ncount = 0;
    double tm = t0;
    double t = 0.0;
    double hv = 0.0;
    for (;;) {
        ns = 0;
        tm = t0;
        double hv_prev = 10000.0;
        if (!call_force(x.data(), v.data(), tm, wk.f1.data()))
            return fail("force evaluation failed at t = " + fmt_time(tm));
        g_from_b();
        t = tp;
        if (step_too_small(tm, t))
            return fail("sequence size " + fmt_time(t) + " below the minimum at t = " + fmt_time(tm));
        for (int m = 1; m <= ni + 30; ++m) {
            if (!iterate(tm, t)) return fail("force evaluation failed near t = " + fmt_time(tm));
            if (m < ni) continue;
            hv = size_measure(t);
            if (std::isnan(hv)) return fail("non-finite force or state near t = " + fmt_time(tm));
            if (hv == hv_prev || std::abs((hv - hv_prev) / hv) < 0.01) break;
            hv_prev = hv;
        }
        tp = nes ? xl : std::pow(ss / hv, pw) * dir;
        if (nes || tp / t > 1.0) break;
        tp = 0.8 * tp;
        ++ncount;
        if (ncount > 10) return fail("the first sequence was rejected " + std::to_string(ncount) + " times");
    }

    // Every sequence after acceptance.
    bool last = false;
    double proposed = tp;  // the size the next sequence would take, before the cut at t1
    for (;;) {
        for (int k = 0; k < n; ++k) {
            const auto& bk = wk.b[k];
            double sx = wk.f1[k] * w1;
            double sv = wk.f1[k];
            for (int l = 1; l <= nb; ++l) {
                sx += bk[l - 1] * wk.w[l];
                sv += bk[l - 1] * wk.u[l];
            }
            x[k] = x[k] + v[k] * t + (ncl ? t : t * t) * sx;
            if (!ncl) v[k] = v[k] + t * sv;
        }
        tm += t;
        ++ns;
        if (last) {
            if (!state_finite()) return fail("non-finite state at t = " + fmt_time(tm));
            if (options.next_size != nullptr) *options.next_size = proposed;
            return ok_status();
        }
        if (ns >= options.max_sequences)
            return fail("more than " + std::to_string(options.max_sequences) + " sequences before t = " + fmt_time(t1));

        if (!call_force(x.data(), v.data(), tm, wk.f1.data()))
            return fail("force evaluation failed at t = " + fmt_time(tm));
        if (!state_finite()) return fail("non-finite force or state at t = " + fmt_time(tm));

        if (nes) {
            tp = xl;
        } else {
            tp = std::pow(ss / hv, pw) * dir;
            if (tp / t > sr) tp = sr * t;
        }
        if (step_too_small(tm, tp))
            return fail("sequence size " + fmt_time(tp) + " below the minimum at t = " + fmt_time(tm));
        proposed = tp;
        if (dir * tp * 1.001 >= dir * (t1 - tm)) {
            tp = t1 - tm;
            last = true;
        }

        // Predicted B-values of the next sequence, with the corrections that
        // the last prediction needed.
        const double q = tp / t;
        for (int k = 0; k < n; ++k) {
            auto& bk = wk.b[k];
            auto& ek = wk.e[k];
            auto& bdk = wk.bd[k];
            if (ns != 1)
                for (int l = 0; l < nb; ++l) bdk[l] = bk[l] - ek[l];
            double qk = 1.0;
            for (int j = 1; j <= nb; ++j) {
                qk *= q;
                double s = 0.0;
                for (int l = j; l <= nb; ++l) s += kBinomial[l][j] * bk[l - 1];
                ek[j - 1] = qk * s;
            }
            for (int l = 0; l < nb; ++l) bk[l] = ek[l] + bdk[l];
        }
        t = tp;

        g_from_b();
        for (int m = 1; m <= ni; ++m)
            if (!iterate(tm, t)) return fail("force evaluation failed near t = " + fmt_time(tm));
        hv = size_measure(t);
        if (std::isnan(hv)) return fail("non-finite force or state near t = " + fmt_time(tm));
    }
}

}  // namespace zelvomat
