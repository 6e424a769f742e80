// Force models of minor planets and comets: force1, force1c, force2,
// force2c, relsun, forcemp, and the file "ngr.eff". See force.h for the
// model, units and frames.
#include "core/force.h"

#include <array>
#include <cmath>
#include <cstring>

#include "core/corestate.h"
#include "core/destate.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/simd.h"
#include "io/bytes.h"
#include "io/files.h"
#include "io/recfile.h"

namespace zelvomat {

ForceContext force_context(CoreState& core) {
    return ForceContext{core.motion,    core.integrated_bodies, core.comet_nongrav, core.de,
                        core.de_copies, core.body_table,        core.data_paths};
}

int nongrav_slot(const MotionConfig& config, const IntegratedBodies& bodies, int own_body) {
    // With a minor-object centre and a major-body object the centre is the
    // only own body; it keeps its own parameters (slot 2).
    if (own_body == 0 && config.minor_centre != 0 && bodies.count == 1) return 1;
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

const double* table_position(const BodyTable& table, BodyCode b) {
    return table.state[static_cast<std::size_t>(b) - 1].data();
}

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
Status load_planets(ForceContext& ctx, double jd, bool earth_and_moon) {
    DeState& de = ctx.de;
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
    return read403b(de, ctx.copies, ctx.table, ctx.paths, jd);
}

int minor_count(const MotionConfig& m) {
    return m.minor_perturbers < 0
               ? 0
               : (m.minor_perturbers > kMaxMinorPerturbers ? kMaxMinorPerturbers : m.minor_perturbers);
}

int own_count(const IntegratedBodies& bodies) {
    const int own = bodies.count;
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

// The point-mass attractions of one evaluation: the Sun on every body, and
// sources (planets, the Earth and the Moon apart, perturbing minor planets),
// each felt by some of the bodies.
constexpr int kMaxBodies = kMaxIntegratedBodies + kMaxMinorPerturbers;
static_assert(kMaxBodies <= 8, "felt and skip hold one bit per body");
constexpr int kMaxSources = 16;  // 9 planets, the Earth and the Moon, 3 minor planets; a multiple of 4
struct PointMasses {
    int bodies = 0;
    int sources = 0;
    // Positions (heliocentric, component by component) and GM of the
    // sources; entries past the last source are zero up to a multiple of 4
    // (pad()).
    double gm[kMaxSources];
    double p[3][kMaxSources];
    // Bit b: body b feels source s; bit b of skip: it leaves the source out
    // when closer than 1e-8 AU (itself).
    std::uint8_t felt[kMaxSources];
    std::uint8_t skip[kMaxSources];

    int add(const double* pos, double g) {
        const int s = sources++;
        for (int i = 0; i < 3; ++i) p[i][s] = pos[i];
        gm[s] = g;
        felt[s] = skip[s] = 0;
        return s;
    }
    void feel(int s, int b, bool skip_self) {
        felt[s] = static_cast<std::uint8_t>(felt[s] | (1u << b));
        if (skip_self) skip[s] = static_cast<std::uint8_t>(skip[s] | (1u << b));
    }
    void pad() {
        for (int s = sources; s % 4 != 0; ++s) {
            for (int i = 0; i < 3; ++i) p[i][s] = 0.0;
            gm[s] = 0.0;
        }
    }
};

// Lane masks of the 16 patterns of four bits.
constexpr auto kLaneMasks = [] {
    std::array<std::array<long long, 4>, 16> m{};
    for (int k = 0; k < 16; ++k)
        for (int l = 0; l < 4; ++l) m[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)] = (k >> l) & 1 ? -1 : 0;
    return m;
}();

// Always inlined: a 32-byte vector passed between a function of the x86-64
// version and one of the x86-64-v3 version would cross two calling
// conventions (memory against a ymm register).
[[gnu::always_inline]] inline simd::V4Mask lane_mask(unsigned bits) {
    simd::V4Mask m;
    std::memcpy(&m, kLaneMasks[bits & 15u].data(), sizeof m);
    return m;
}

// a of the bodies (3 components each, x and a body by body) from the Sun
// (k2) and the sources: for each body, in this order,
//   a = -k2 x / r^3, then for each source felt, a -= GM ((x - x_s)/d^3 + x_s/r_s^3).
// Four bodies side by side; each lane does what add_point_mass does for its
// body, bit for bit where no multiply-add is fused.
ZELVO_SIMD_CLONES void point_masses(const PointMasses& pm, const double* x, double k2, double* a) {
    using simd::V4;
    using simd::V4Mask;
    // Indirect terms GM x_s / r_s^3 (0 for a source at the Sun).
    double ind[3][kMaxSources];
    for (int s = 0; s < pm.sources; s += 4) {
        const V4 p0 = simd::load4(pm.p[0] + s), p1 = simd::load4(pm.p[1] + s), p2 = simd::load4(pm.p[2] + s);
        const V4 r2 = p0 * p0 + p1 * p1 + p2 * p2;
        const V4 f = r2 > 0.0 ? simd::load4(pm.gm + s) / (r2 * simd::sqrt4(r2)) : V4{};
        const V4 i0 = f * p0, i1 = f * p1, i2 = f * p2;
        std::memcpy(ind[0] + s, &i0, sizeof i0);
        std::memcpy(ind[1] + s, &i1, sizeof i1);
        std::memcpy(ind[2] + s, &i2, sizeof i2);
    }
    for (int first = 0; first < pm.bodies; first += 4) {
        const int lanes = pm.bodies - first < 4 ? pm.bodies - first : 4;
        V4 x0 = simd::splat4(1.0), x1{}, x2{};
        for (int l = 0; l < lanes; ++l) {
            const double* xb = x + 3 * (first + l);
            x0[l] = xb[0];
            x1[l] = xb[1];
            x2[l] = xb[2];
        }
        const V4 r2 = x0 * x0 + x1 * x1 + x2 * x2;
        const V4 fs = -k2 / (r2 * simd::sqrt4(r2));
        V4 a0 = fs * x0, a1 = fs * x1, a2 = fs * x2;
        for (int s = 0; s < pm.sources; ++s) {
            const V4Mask felt = lane_mask(static_cast<unsigned>(pm.felt[s]) >> first);
            const V4Mask skip = lane_mask(static_cast<unsigned>(pm.skip[s]) >> first);
            const V4 d0 = x0 - pm.p[0][s], d1 = x1 - pm.p[1][s], d2 = x2 - pm.p[2][s];
            const V4 dd = d0 * d0 + d1 * d1 + d2 * d2;
            const V4Mask on = felt & ~(skip & (dd < kSelfDistance2));
            const V4 f = on ? pm.gm[s] / (dd * simd::sqrt4(dd)) : V4{};
            a0 -= f * d0 + (on ? simd::splat4(ind[0][s]) : V4{});
            a1 -= f * d1 + (on ? simd::splat4(ind[1][s]) : V4{});
            a2 -= f * d2 + (on ? simd::splat4(ind[2][s]) : V4{});
        }
        for (int l = 0; l < lanes; ++l) {
            double* ab = a + 3 * (first + l);
            ab[0] = a0[l];
            ab[1] = a1[l];
            ab[2] = a2[l];
        }
    }
}

// force1 and force1c.
Status first_integration(ForceContext& ctx, const double* x, const double* v, double jd, double* a, bool comet) {
    const MotionConfig& m = ctx.config;
    if (Status s = load_planets(ctx, jd, false); !s) return outside(jd, s);
    const int centre = m.minor_centre != 0 ? 1 : 0;
    const int nmp = minor_count(m);
    PointMasses pm;
    pm.bodies = centre + nmp;
    auto felt_by_all = [&](int s) {
        for (int b = 0; b < pm.bodies; ++b) pm.feel(s, b, true);
    };
    for (int i = 0; i < kPlanetPerturbers; ++i)
        felt_by_all(pm.add(table_position(ctx.table, kPlanetBody[i]), m.perturber_gm[static_cast<std::size_t>(i)]));
    for (int k = 0; k < nmp; ++k)
        felt_by_all(pm.add(x + 3 * (centre + k), m.perturber_gm[static_cast<std::size_t>(kPlanetPerturbers + k)]));
    pm.pad();
    point_masses(pm, x, m.k2, a);
    if (comet && centre == 1) {
        double ng[3];
        nongrav_acceleration(x, v, ctx.nongrav.slot[1], ng);
        add3(a, ng);
    }
    return ok_status();
}

// force2 and force2c.
Status main_integration(ForceContext& ctx, const double* x, const double* v, double t, double* a, bool comet) {
    const MotionConfig& m = ctx.config;
    const double jd = t + m.catalogue_epoch;
    const bool split = m.perturber_switch[perturber_index(Perturber::Earth)] == kEarthAndMoon;
    if (Status s = load_planets(ctx, jd, split); !s) return outside(jd, s);
    const int own = own_count(ctx.bodies);
    const int nmp = minor_count(m);

    // Own bodies feel the Sun and the switched perturbers (the Earth and the
    // Moon apart when so switched); the perturbing minor planets the Sun, the
    // nine planets (the Earth at the barycentre) and each other.
    PointMasses pm;
    pm.bodies = own + nmp;
    for (int i = 0; i < kPlanetPerturbers; ++i) {
        const std::int32_t sw = m.perturber_switch[static_cast<std::size_t>(i)];
        const bool apart = i == static_cast<int>(Perturber::Earth) && sw == kEarthAndMoon;
        const int s = pm.add(table_position(ctx.table, kPlanetBody[i]), m.perturber_gm[static_cast<std::size_t>(i)]);
        for (int k = 0; k < nmp; ++k) pm.feel(s, own + k, false);
        if (sw == 0) continue;
        if (apart) {
            const int e = pm.add(table_position(ctx.table, BodyCode::Earth), m.gm_earth);
            const int l = pm.add(table_position(ctx.table, BodyCode::Moon), m.gm_moon);
            for (int b = 0; b < own; ++b) {
                pm.feel(e, b, true);
                pm.feel(l, b, true);
            }
        } else {
            for (int b = 0; b < own; ++b) pm.feel(s, b, true);
        }
    }
    for (int k = 0; k < nmp; ++k) {
        const int s = pm.add(x + 3 * (own + k), m.perturber_gm[static_cast<std::size_t>(kPlanetPerturbers + k)]);
        if (m.perturber_switch[static_cast<std::size_t>(kPlanetPerturbers + k)] != 0)
            for (int b = 0; b < own; ++b) pm.feel(s, b, true);
        for (int j = 0; j < nmp; ++j) pm.feel(s, own + j, true);  // as forcemp
    }
    pm.pad();
    point_masses(pm, x, m.k2, a);

    for (int b = 0; b < own + nmp; ++b) {
        double* ab = a + 3 * b;
        if (m.relativity != 0 && (b < own || !comet)) {
            double rel[3];
            relsun(m, 3 * b, x, v, rel);
            add3(ab, rel);
        }
        if (comet && b < own) {
            double ng[3];
            nongrav_acceleration(x + 3 * b, v + 3 * b,
                                 ctx.nongrav.slot[static_cast<std::size_t>(nongrav_slot(m, ctx.bodies, b))], ng);
            add3(ab, ng);
        }
    }
    return ok_status();
}

bool report(void* ctx, Status s) {
    if (s) return true;
    static_cast<ForceContext*>(ctx)->failure = std::move(s);
    return false;
}

}  // namespace

void relsun(const MotionConfig& config, int offset, const double* x, const double* v, double* rel) {
    const double* p = x + offset;
    const double* w = v + offset;
    const double k2 = config.k2;
    const double r2 = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
    const double r = std::sqrt(r2);
    const double v2 = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    const double xv = p[0] * w[0] + p[1] * w[1] + p[2] * w[2];
    const double f = k2 * kLightDaysPerAu * kLightDaysPerAu / (r2 * r);
    const double cx = 4.0 * k2 / r - v2;
    const double cv = 4.0 * xv;
    for (int i = 0; i < 3; ++i) rel[i] = f * (cx * p[i] + cv * w[i]);
}

void forcemp(const MotionConfig& config, int k, int first, int count, const double* x, double* a) {
    const MotionConfig& m = config;
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

std::int32_t force1_components(const MotionConfig& config) {
    const MotionConfig& m = config;
    return 3 * ((m.minor_centre != 0 ? 1 : 0) + minor_count(m));
}

std::int32_t force2_components(const MotionConfig& config, const IntegratedBodies& bodies) {
    return 3 * (own_count(bodies) + minor_count(config));
}

Status force1_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a) {
    return first_integration(ctx, x, v, t, a, false);
}
Status force1c_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a) {
    return first_integration(ctx, x, v, t, a, true);
}
Status force2_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a) {
    return main_integration(ctx, x, v, t, a, false);
}
Status force2c_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a) {
    return main_integration(ctx, x, v, t, a, true);
}

bool force1(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force1_eval(*static_cast<ForceContext*>(ctx), x, v, t, a));
}
bool force1c(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force1c_eval(*static_cast<ForceContext*>(ctx), x, v, t, a));
}
bool force2(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force2_eval(*static_cast<ForceContext*>(ctx), x, v, t, a));
}
bool force2c(void* ctx, const double* x, const double* v, double t, double* a) {
    return report(ctx, force2c_eval(*static_cast<ForceContext*>(ctx), x, v, t, a));
}

void force_reader_setup(DeState& de) {
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

Result<NongravParams> read_ngr(const DataPaths& paths, std::int32_t n) {
    return read_ngr(io::find_file(paths.data_dir, files::kNongrav), n);
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
