// Force models of minor planets and comets: force1, force1c, force2,
// force2c, relsun, forcemp, and the file "ngr.eff". See force.h for the
// model, units and frames.
#include "core/force.h"

#include <cmath>

#include "core/corestate.h"
#include "core/destate.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "io/bytes.h"
#include "io/files.h"
#include "io/recfile.h"

namespace zelvomat {

MotionModel& motion_model() { return core_state().motion; }

IntegratedBodies& integrated_bodies() { return core_state().integrated_bodies; }

CometNongrav& comet_nongrav() { return core_state().comet_nongrav; }

int nongrav_slot(int own_body) {
    // With a minor-object centre and a major-body object the centre is the
    // only own body; it keeps its own parameters (slot 2).
    if (own_body == 0 && motion_model().minor_centre != 0 && integrated_bodies().count == 1) return 1;
    return own_body;
}

namespace {

// A perturber as the point-mass formula needs it: position, GM and the
// indirect term GM x_i / r_i^3.
struct Source {
    double p[3];
    double gm;
    double ind[3];
};

Source make_source(const double* p, double gm) {
    Source s{};
    const double r2 = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
    const double f = r2 > 0.0 ? gm / (r2 * std::sqrt(r2)) : 0.0;
    for (int i = 0; i < 3; ++i) {
        s.p[i] = p[i];
        s.ind[i] = f * p[i];
    }
    s.gm = gm;
    return s;
}

// Below this distance (1e-8 AU) a perturber is taken for the body itself.
constexpr double kSelfDistance2 = 1e-16;

// a -= GM ((x - x_i)/d^3 + x_i/r_i^3); with skip_self a perturber closer than
// 1e-8 AU is left out.
inline void add_point_mass(const double* x, const Source& s, double* a, bool skip_self) {
    const double d0 = x[0] - s.p[0], d1 = x[1] - s.p[1], d2 = x[2] - s.p[2];
    const double dd = d0 * d0 + d1 * d1 + d2 * d2;
    if (skip_self && dd < kSelfDistance2) return;
    const double f = s.gm / (dd * std::sqrt(dd));
    a[0] -= f * d0 + s.ind[0];
    a[1] -= f * d1 + s.ind[1];
    a[2] -= f * d2 + s.ind[2];
}

inline void sun_term(const double* x, double k2, double* a) {
    const double r2 = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
    const double f = -k2 / (r2 * std::sqrt(r2));
    a[0] = f * x[0];
    a[1] = f * x[1];
    a[2] = f * x[2];
}

const double* table_position(BodyCode b) { return body_table().state[static_cast<std::size_t>(b) - 1].data(); }

// Body code of planet perturber i (0 .. 8) with the Earth at the barycentre.
constexpr BodyCode kPlanetBody[kPlanetPerturbers] = {
    BodyCode::Mercury, BodyCode::Venus,   BodyCode::EarthMoonBarycentre,
    BodyCode::Mars,    BodyCode::Jupiter, BodyCode::Saturn,
    BodyCode::Uranus,  BodyCode::Neptune, BodyCode::Pluto,
};

// The table of the planets at Julian date jd: the reader's request is made to
// serve at least the positions the routines read (heliocentric, of the
// planets, the Earth-Moon barycentre, and the Earth and the Moon apart when
// asked).
Status load_planets(double jd, bool earth_and_moon) {
    DeState& de = de_state();
    if (de.force_centre != BodyCode::Sun) {
        de.force_centre = BodyCode::Sun;
        de.record_held_force = 0;  // the table is rebuilt for the new centre
    }
    auto need = [&](BodyCode b) {
        StateLevel& f = de.force_flags[static_cast<std::size_t>(b) - 1];
        if (f == StateLevel::None) f = StateLevel::Position;
    };
    for (BodyCode b : kPlanetBody) need(b);
    if (earth_and_moon) {
        need(BodyCode::Earth);
        need(BodyCode::Moon);
    }
    return read403b(jd);
}

// The nine planets without switches, the Earth at the barycentre.
int all_planet_sources(const MotionModel& m, Source* out) {
    for (int i = 0; i < kPlanetPerturbers; ++i)
        out[i] = make_source(table_position(kPlanetBody[i]), m.perturber_gm[static_cast<std::size_t>(i)]);
    return kPlanetPerturbers;
}

// The switched planets of own bodies in the main integration, taken from
// the nine of all_planet_sources.
int switched_planet_sources(const MotionModel& m, const Source* planets, Source* out) {
    int n = 0;
    for (int i = 0; i < kPlanetPerturbers; ++i) {
        const std::int32_t sw = m.perturber_switch[static_cast<std::size_t>(i)];
        if (sw == 0) continue;
        if (i == static_cast<int>(Perturber::Earth) && sw == kEarthAndMoon) {
            out[n++] = make_source(table_position(BodyCode::Earth), m.gm_earth);
            out[n++] = make_source(table_position(BodyCode::Moon), m.gm_moon);
        } else {
            out[n++] = planets[i];
        }
    }
    return n;
}

int minor_count(const MotionModel& m) {
    return m.minor_perturbers < 0
               ? 0
               : (m.minor_perturbers > kMaxMinorPerturbers ? kMaxMinorPerturbers : m.minor_perturbers);
}

int own_count() {
    const int own = integrated_bodies().count;
    return own < 0 ? 0 : (own > kMaxIntegratedBodies ? kMaxIntegratedBodies : own);
}

inline void add3(double* a, const double* b) {
    a[0] += b[0];
    a[1] += b[1];
    a[2] += b[2];
}

Status outside(double jd, const Status& why) {
    return error_status("The planets' positions cannot be had at JD " + std::to_string(jd) +
                        " for the force model: " + why.message());
}

// force1 and force1c.
Status first_integration(const double* x, const double* v, double jd, double* a, bool comet) {
    const MotionModel& m = motion_model();
    if (Status s = load_planets(jd, false); !s) return outside(jd, s);
    const int centre = m.minor_centre != 0 ? 1 : 0;
    const int nmp = minor_count(m);
    Source src[kPerturbers];
    int n = all_planet_sources(m, src);
    for (int k = 0; k < nmp; ++k)
        src[n++] = make_source(x + 3 * (centre + k), m.perturber_gm[static_cast<std::size_t>(kPlanetPerturbers + k)]);
    for (int b = 0; b < centre + nmp; ++b) {
        const double* xb = x + 3 * b;
        double* ab = a + 3 * b;
        sun_term(xb, m.k2, ab);
        for (int i = 0; i < n; ++i) add_point_mass(xb, src[i], ab, true);
    }
    if (comet && centre == 1) {
        double ng[3];
        nongrav_acceleration(x, v, comet_nongrav().slot[1], ng);
        add3(a, ng);
    }
    return ok_status();
}

// force2 and force2c.
Status main_integration(const double* x, const double* v, double t, double* a, bool comet) {
    const MotionModel& m = motion_model();
    const double jd = t + m.catalogue_epoch;
    const bool split = m.perturber_switch[perturber_index(Perturber::Earth)] == kEarthAndMoon;
    if (Status s = load_planets(jd, split); !s) return outside(jd, s);
    const int own = own_count();
    const int nmp = minor_count(m);

    // Own bodies: the Sun and the switched perturbers.
    Source planets[kPlanetPerturbers];
    all_planet_sources(m, planets);
    Source minors[kMaxMinorPerturbers];
    for (int k = 0; k < nmp; ++k)
        minors[k] = make_source(x + 3 * (own + k), m.perturber_gm[static_cast<std::size_t>(kPlanetPerturbers + k)]);
    Source src[kPerturbers + 1];
    int n = switched_planet_sources(m, planets, src);
    for (int k = 0; k < nmp; ++k)
        if (m.perturber_switch[static_cast<std::size_t>(kPlanetPerturbers + k)] != 0) src[n++] = minors[k];
    for (int b = 0; b < own; ++b) {
        const double* xb = x + 3 * b;
        double* ab = a + 3 * b;
        sun_term(xb, m.k2, ab);
        for (int i = 0; i < n; ++i) add_point_mass(xb, src[i], ab, true);
        if (m.relativity != 0) {
            double rel[3];
            relsun(3 * b, x, v, rel);
            add3(ab, rel);
        }
        if (comet) {
            double ng[3];
            nongrav_acceleration(xb, v + 3 * b, comet_nongrav().slot[static_cast<std::size_t>(nongrav_slot(b))], ng);
            add3(ab, ng);
        }
    }

    // Perturbing minor planets: the Sun, the nine planets, each other.
    if (nmp > 0) {
        for (int k = 0; k < nmp; ++k) {
            const int b = own + k;
            const double* xb = x + 3 * b;
            double* ab = a + 3 * b;
            sun_term(xb, m.k2, ab);
            for (const Source& s : planets) add_point_mass(xb, s, ab, false);
            for (int j = 0; j < nmp; ++j) add_point_mass(xb, minors[j], ab, true);  // as forcemp
            if (m.relativity != 0 && !comet) {
                double rel[3];
                relsun(3 * b, x, v, rel);
                add3(ab, rel);
            }
        }
    }
    return ok_status();
}

bool report(void* ctx, Status s) {
    if (s) return true;
    if (ctx != nullptr) static_cast<ForceContext*>(ctx)->failure = std::move(s);
    return false;
}

}  // namespace

void relsun(int offset, const double* x, const double* v, double* rel) {
    const double* p = x + offset;
    const double* w = v + offset;
    const double k2 = motion_model().k2;
    const double r2 = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
    const double r = std::sqrt(r2);
    const double v2 = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    const double xv = p[0] * w[0] + p[1] * w[1] + p[2] * w[2];
    const double f = k2 * kLightDaysPerAu * kLightDaysPerAu / (r2 * r);
    const double cx = 4.0 * k2 / r - v2;
    const double cv = 4.0 * xv;
    for (int i = 0; i < 3; ++i) rel[i] = f * (cx * p[i] + cv * w[i]);
}

void forcemp(int k, int first, int count, const double* x, double* a) {
    const MotionModel& m = motion_model();
    const double* xk = x + 3 * (first + k);
    double* ak = a + 3 * (first + k);
    for (int j = 0; j < count; ++j) {
        const Source s =
            make_source(x + 3 * (first + j), m.perturber_gm[static_cast<std::size_t>(kPlanetPerturbers + j)]);
        add_point_mass(xk, s, ak, true);
    }
}

double nongrav_g(double r_au) {
    constexpr double kAlpha = 0.111262;
    constexpr double kR0 = 2.808;
    // The exponent as the single-precision value 2.15f.
    constexpr double kM = 2.1500000953674316;
    constexpr double kN = 5.093;
    constexpr double kK = 4.6142;
    const double q = r_au / kR0;
    return kAlpha * std::pow(1.0 / q, kM) / std::pow(1.0 + std::pow(q, kN), kK);
}

void nongrav_acceleration(const double* x, const double* v, const NongravParams& p, double* out) {
    out[0] = out[1] = out[2] = 0.0;
    if (p.a1 == 0.0 && p.a2 == 0.0 && p.a3 == 0.0) return;
    const double r = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    if (!(r > 0.0)) return;
    const double h[3] = {x[1] * v[2] - x[2] * v[1], x[2] * v[0] - x[0] * v[2], x[0] * v[1] - x[1] * v[0]};
    const double hn = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    const double xv = x[0] * v[0] + x[1] * v[1] + x[2] * v[2];
    const double g = 1e-8 * nongrav_g(r);
    for (int i = 0; i < 3; ++i) {
        const double rad = x[i] / r;
        double acc = p.a1 * rad;
        if (hn > 0.0) {
            const double tr = (v[i] * r - x[i] * xv / r) / hn;
            const double nr = h[i] / hn;
            acc += p.a2 * tr + p.a3 * nr;
        }
        out[i] = g * acc;
    }
}

std::int32_t force1_components() {
    const MotionModel& m = motion_model();
    return 3 * ((m.minor_centre != 0 ? 1 : 0) + minor_count(m));
}

std::int32_t force2_components() { return 3 * (own_count() + minor_count(motion_model())); }

Status force1_eval(const double* x, const double* v, double t, double* a) {
    return first_integration(x, v, t, a, false);
}
Status force1c_eval(const double* x, const double* v, double t, double* a) {
    return first_integration(x, v, t, a, true);
}
Status force2_eval(const double* x, const double* v, double t, double* a) {
    return main_integration(x, v, t, a, false);
}
Status force2c_eval(const double* x, const double* v, double t, double* a) {
    return main_integration(x, v, t, a, true);
}

bool force1(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force1_eval(x, v, t, a));
}
bool force1c(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force1c_eval(x, v, t, a));
}
bool force2(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force2_eval(x, v, t, a));
}
bool force2c(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force2c_eval(x, v, t, a));
}

void force_reader_setup() {
    DeState& de = de_state();
    de.force_centre = BodyCode::Sun;
    de.force_flags.fill(StateLevel::None);  // the routines ask for the bodies they read
    de.record_held_force = 0;
}

// ---- ngr.eff ----------------------------------------------------------------

namespace {
constexpr std::size_t kNgrA1 = 0;
constexpr std::size_t kNgrA2 = 8;
constexpr std::size_t kNgrA3 = 16;
}  // namespace

Result<NongravParams> read_ngr(std::int32_t n) {
    return read_ngr(data_file(core_state().data_paths, files::kNongrav), n);
}

Result<NongravParams> read_ngr(const std::string& path, std::int32_t n) {
    auto fail = [&](const std::string& why) {
        return error_status("The nongravitational parameters of object " + std::to_string(n) +
                            " cannot be read from \"" + path + "\" (" + why + ")");
    };
    if (n < 1) return fail("no such record");
    auto f = io::RecordFile::open(path, kNgrRecordBytes, io::OpenMode::Read);
    if (!f) return fail(f.message());
    std::array<std::uint8_t, kNgrRecordBytes> rec{};
    if (Status s = f->read(n, rec); !s) return fail(s.message());
    NongravParams p;
    p.a1 = io::get_f64(rec, kNgrA1);
    p.a2 = io::get_f64(rec, kNgrA2);
    p.a3 = io::get_f64(rec, kNgrA3);
    if (!std::isfinite(p.a1) || !std::isfinite(p.a2) || !std::isfinite(p.a3)) return fail("they are not numbers");
    return p;
}

Status write_ngr(const std::string& path, const std::vector<NongravParams>& params) {
    auto f = io::RecordFile::open(path, kNgrRecordBytes, io::OpenMode::Create);
    if (!f) return f.status();
    std::array<std::uint8_t, kNgrRecordBytes> rec{};
    for (std::size_t i = 0; i < params.size(); ++i) {
        io::put_f64(rec, kNgrA1, params[i].a1);
        io::put_f64(rec, kNgrA2, params[i].a2);
        io::put_f64(rec, kNgrA3, params[i].a3);
        ZEL_TRY(f->write(static_cast<std::int64_t>(i) + 1, rec));
    }
    return ok_status();
}

}  // namespace zelvomat
