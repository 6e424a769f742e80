// Commensurability, perihelion and node passages, position on an orbit, and
// the exports of the orbit properties (Moid, CT, soizm, t_per, t_as_ds,
// TXYZ). See orbprop.h.
#include "core/orbprop.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/datajd.h"
#include "core/utils.h"
#include "io/errchan.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

Commensurability soizm(double n1_deg, double n2_deg, int max_term, int max_order, int tolerance_arcsec) {
    const double tol = static_cast<double>(tolerance_arcsec) / 3600.0;  // degrees per day
    const double r = n1_deg / n2_deg;
    const double limit = tol / n2_deg;
    Commensurability c;
    // Every match overwrites the one before: the last one standing has the
    // smallest p and, for it, the smallest q. A ratio or limit that is not a
    // number (n2 = 0) matches nothing.
    for (int a = max_term; a >= 1; --a)
        for (int b = max_term; b >= 1; --b)
            if (std::fabs(static_cast<double>(a) / b - r) < limit) {
                c.p = a;
                c.q = b;
            }
    if (std::abs(c.p - c.q) > max_order) c = {};
    return c;
}

Result<PassageDate> passage_date(double jd) {
    if (!is_calendar_jd(jd)) return error_status("date out of range");
    const double whole = std::floor(jd);
    int y = 0, m = 0, d = 0;
    double df = 0.0;
    jdcal(day_number(whole), jd - whole, y, m, d, df);
    PassageDate out;
    out.jd = jd;
    out.packed = static_cast<double>(static_cast<long long>(y) * 10000 + m * 100 + d) + df;
    return out;
}

Result<PassageDate> t_per(double epoch, double M, double n) {
    if (!(n > 0.0) || !std::isfinite(n)) return error_status("mean motion is not positive");
    if (!std::isfinite(M) || !std::isfinite(epoch)) return error_status("orbit elements are not numbers");
    M = norm2pi(M);
    // The last passage for M below pi, the next one otherwise.
    const double T = M < kPi ? epoch - M / n : epoch + (kTwoPi - M) / n;
    return passage_date(T);
}

Result<NodePassages> t_as_ds(double epoch, double M, double w, double e, double n) {
    if (!(n > 0.0) || !std::isfinite(n)) return error_status("mean motion is not positive");
    if (!(e >= 0.0 && e < 1.0)) return error_status("orbit is not elliptic");
    if (!std::isfinite(M) || !std::isfinite(w) || !std::isfinite(epoch))
        return error_status("orbit elements are not numbers");
    // Mean anomaly of the true anomaly v, in (-pi, pi].
    const double k = std::sqrt((1.0 - e) / (1.0 + e));
    const auto mean_of_true = [e, k](double v) {
        const double E = 2.0 * std::atan(k * std::tan(v / 2.0));
        return E - e * std::sin(E);
    };
    // At the ascending node the argument of latitude w + v is 0, at the
    // descending node pi.
    const double ma = mean_of_true(-w);
    const double md = mean_of_true(kPi - w);
    M = norm2pi(M);
    const double m0 = M < kPi ? M : M - kTwoPi;
    NodePassages out;
    auto asc = passage_date(epoch + (ma - m0) / n);
    ZEL_TRY(asc);
    auto desc = passage_date(epoch + (md - m0) / n);
    ZEL_TRY(desc);
    out.ascending = *asc;
    out.descending = *desc;
    return out;
}

OrbitPoint vxyz(const ElementSet& set, double v, double mass) {
    const double w = set[2], node = set[3], incl = set[4], e = set[5], n = set[6];
    const double a = semiaxis(n, mass);
    OrbitPoint p;
    p.r = a * (1.0 - e * e) / (1.0 + e * std::cos(v));
    const double u = w + v;  // argument of latitude
    const double cu = std::cos(u), su = std::sin(u);
    const double cn = std::cos(node), sn = std::sin(node);
    const double ci = std::cos(incl), si = std::sin(incl);
    p.x = {p.r * (cn * cu - ci * sn * su), p.r * (sn * cu + ci * cn * su), p.r * si * su};
    return p;
}

Result<Vec3> txyz(const ElementSet& set, double jd, double mass) {
    for (const double x : set)
        if (!std::isfinite(x)) return error_status("orbit elements are not numbers");
    const double e = set[5], n = set[6];
    if (!(e >= 0.0 && e < 1.0)) return error_status("orbit is not elliptic");
    if (!(n > 0.0)) return error_status("mean motion is not positive");
    if (!std::isfinite(jd) || !std::isfinite(mass) || !(mass > -1.0))
        return error_status("date or mass is not a number");
    const double M = set[1] + n * (jd - set[0]);
    const double E = kepler(e, M, 1e-10);
    if (!std::isfinite(E)) return error_status("mean anomaly is not a number");
    // True anomaly from the position in the orbit plane (the factor a drops out).
    const double X = std::cos(E) - e;
    const double Y = std::sqrt(1.0 - e * e) * std::sin(E);
    const double v = norm2pi(std::atan2(Y, X));
    const Vec3 x = vxyz(set, v, mass).x;
    if (!std::isfinite(x[0]) || !std::isfinite(x[1]) || !std::isfinite(x[2]))
        return error_status("the position is not a number: the mean motion gives no orbit that can be computed");
    return x;
}

}  // namespace zelvomat

namespace {

zelvomat::OrbitElements elements_of(const double* v) {
    return v != nullptr ? zelvomat::OrbitElements::from(v) : zelvomat::OrbitElements{};
}

zelvomat::Status no_array() { return zelvomat::error_status("no element array given"); }

}  // namespace

extern "C" ZELVOMAT_API void Moid(const double* elements1, double a1, const double* elements2, double a2,
                                  double* moid) {
    const bool ok = zelvomat::export_guard([&] {
        if (elements1 == nullptr || elements2 == nullptr) return no_array();
        auto r = zelvomat::moid(elements_of(elements1), a1, elements_of(elements2), a2);
        ZEL_TRY(r);
        if (moid != nullptr) *moid = r->moid_au;
        return zelvomat::ok_status();
    });
    if (!ok && moid != nullptr) *moid = zelvomat::kMoidNone;
}

extern "C" ZELVOMAT_API void CT(const double* elements1, double a1, const double* elements2, double a2, double* t) {
    zelvomat::export_guard([&] {
        if (elements1 == nullptr || elements2 == nullptr) return no_array();
        auto r = zelvomat::tisserand(elements_of(elements1), a1, elements_of(elements2), a2);
        ZEL_TRY(r);
        if (t != nullptr) *t = *r;
        return zelvomat::ok_status();
    });
}

extern "C" ZELVOMAT_API void soizm(double n1, double n2, int maxTerm, int maxOrder, int tolerance, int* p, int* q) {
    zelvomat::export_guard([&] {
        const auto c = zelvomat::soizm(n1, n2, maxTerm, maxOrder, tolerance);
        if (p != nullptr) *p = c.p;
        if (q != nullptr) *q = c.q;
        return zelvomat::ok_status();
    });
}

extern "C" ZELVOMAT_API void t_per(double epoch, double M, double n, double* date, double* jd) {
    zelvomat::export_guard([&] {
        auto r = zelvomat::t_per(epoch, M, n);
        ZEL_TRY(r);
        if (date != nullptr) *date = r->packed;
        if (jd != nullptr) *jd = r->jd;
        return zelvomat::ok_status();
    });
}

extern "C" ZELVOMAT_API void t_as_ds(double epoch, double M, double w, double e, double n, double* dateAsc,
                                     double* jdAsc, double* dateDesc, double* jdDesc) {
    zelvomat::export_guard([&] {
        auto r = zelvomat::t_as_ds(epoch, M, w, e, n);
        ZEL_TRY(r);
        if (dateAsc != nullptr) *dateAsc = r->ascending.packed;
        if (jdAsc != nullptr) *jdAsc = r->ascending.jd;
        if (dateDesc != nullptr) *dateDesc = r->descending.packed;
        if (jdDesc != nullptr) *jdDesc = r->descending.jd;
        return zelvomat::ok_status();
    });
}

extern "C" ZELVOMAT_API void TXYZ(const double* set, double jd, double* x, double* y, double* z, double mass) {
    zelvomat::export_guard([&] {
        if (set == nullptr) return no_array();
        zelvomat::ElementSet s{};
        for (std::size_t k = 0; k < s.size(); ++k) s[k] = set[k];
        auto r = zelvomat::txyz(s, jd, mass);
        ZEL_TRY(r);
        if (x != nullptr) *x = (*r)[0];
        if (y != nullptr) *y = (*r)[1];
        if (z != nullptr) *z = (*r)[2];
        return zelvomat::ok_status();
    });
}
