// Geocentric direction of a body by number (ephem2) and the export MoonSun.
// See ephem2.h for the numbering, the result, the frame and the method.
#include "core/ephem2.h"

#include <cmath>
#include <string>

#include "core/apparent.h"
#include "core/catalog.h"
#include "core/corestate.h"
#include "core/datajd.h"
#include "core/elmnt.h"
#include "core/ephem.h"
#include "core/fallback.h"
#include "core/magn.h"
#include "core/radau.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

bool in_ephemeris_span(const DeState& de, double jd) {
    return de.first_jd < de.last_jd && jd >= de.first_jd && jd <= de.last_jd;
}

Status major_state(CoreState& core, BodyCode body, BodyCode centre, double jd, StateVector& state) {
    if (!in_ephemeris_span(core.de, jd)) return rppl(core.data_paths, core.package, centre, body, jd, state);
    DeState& de = core.de;
    const int b = static_cast<int>(body);
    if (b < 1 || b > kBodyCodes)
        return error_status("internal error: body " + std::to_string(b) + " asked of the planetary ephemeris");
    const auto flag = static_cast<std::size_t>(b - 1);
    // The request of this call only: the flag is cleared whatever the reader
    // returns.
    de.centre = centre;
    de.flags[flag] = StateLevel::Velocity;
    const double day = std::trunc(jd);
    const Status s = reade403(core.de, core.de_copies, core.data_paths, day, (jd - day) * 86400.0);
    de.flags[flag] = StateLevel::None;
    ZEL_TRY(s);
    for (std::size_t i = 0; i < 6; ++i) state[i] = de.result[i];
    return ok_status();
}

// ---- Integrated orbits -------------------------------------------------------------

namespace {

// The whole day (toward zero) and fraction of a date of the calendar's range.
void split_day(double jd, std::int32_t& day, double& fraction) {
    const double d = std::trunc(jd);
    day = day_number(d);
    fraction = jd - d;
}

// Two-body state at jd of the elements el at epoch_jd.
Status two_body_state(const OrbitElements& el, double epoch_jd, double jd, StateVector& state) {
    std::int32_t d0 = 0, d1 = 0;
    double f0 = 0.0, f1 = 0.0;
    split_day(epoch_jd, d0, f0);
    split_day(jd, d1, f1);
    return twobody(0.0, d0, f0, el, d1, f1, kObliquityJ2000, state);
}

// The motion model of the integrated orbits: every perturber on, the Earth
// and the Moon apart, the Sun's relativistic term.
MotionConfig integrated_model(const CoreState& core, double epoch) {
    MotionConfig m;
    m.model = MotionCode::Integration;
    m.catalogue_epoch = epoch;
    m.comet_mode = core.catalogue.comet_mode != 0 ? 1 : 0;
    m.relativity = 1;
    m.minor_perturbers = kMaxMinorPerturbers;
    m.perturber_switch.fill(1);
    m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
    return m;
}

// The working area for the settings loaded now: kept when they are those it
// was made for, else made afresh (records 11-13 read from "setpar").
Status prepare(CoreState& core, Ephem2Integration& w) {
    const DeState& de = core.de;
    if (w.loaded && w.epoch == core.package.catalogue_epoch && w.ephemeris_path == core.data_paths.ephemeris_path &&
        w.first_jd == de.first_jd && w.last_jd == de.last_jd)
        return ok_status();
    MinorPerturberElements mp;
    ZEL_TRY(load_minor_perturbers(mp));
    Ephem2Integration fresh;
    fresh.perturbers = mp.planet;
    fresh.epoch = core.package.catalogue_epoch;
    fresh.ephemeris_path = core.data_paths.ephemeris_path;
    fresh.first_jd = de.first_jd;
    fresh.last_jd = de.last_jd;
    fresh.loaded = true;
    w = std::move(fresh);
    return ok_status();
}

void put_body(Ephem2Checkpoint& c, int body, const StateVector& s) {
    const auto o = static_cast<std::size_t>(3 * body);
    for (std::size_t i = 0; i < 3; ++i) {
        c.x[o + i] = s[i];
        c.v[o + i] = s[3 + i];
    }
}

// The slot of the object integrated from `set`: its own, or the one used
// least recently, started afresh at the catalogue epoch.
Result<Ephem2Orbit*> orbit_of(CoreState& core, Ephem2Integration& w, std::int32_t number, const ElementSet& set) {
    Ephem2Orbit* slot = &w.orbits[0];
    for (Ephem2Orbit& o : w.orbits) {
        if (o.number == number && o.elements == set) {
            o.last_use = ++w.uses;
            return &o;
        }
        if (o.last_use < slot->last_use) slot = &o;
    }
    Ephem2Orbit o;
    o.number = number;
    o.elements = set;
    if (core.catalogue.comet_mode != 0 && number <= core.catalogue.counts.numbered) {
        auto ng = read_ngr(core.data_paths, number);
        ZEL_TRY(ng);
        o.nongrav = *ng;
    }
    Ephem2Checkpoint start;
    StateVector s{};
    ZEL_TRY(two_body_state(OrbitElements::from(set.data() + 1), set[0], w.epoch, s));
    put_body(start, 0, s);
    for (int k = 0; k < kMaxMinorPerturbers; ++k) {
        ZEL_TRY(two_body_state(w.perturbers[static_cast<std::size_t>(k)], w.epoch, w.epoch, s));
        put_body(start, 1 + k, s);
    }
    o.forward.push_back(start);
    o.backward.push_back(start);
    o.last_use = ++w.uses;
    *slot = std::move(o);
    return slot;
}

// Carries c from t0 to t1 (days from the catalogue epoch).
Status leg(CoreState& core, const Ephem2Integration& w, const Ephem2Orbit& o, Ephem2Checkpoint& c, double t0,
           double t1) {
    const MotionConfig m = integrated_model(core, w.epoch);
    const IntegratedBodies bodies{1};
    CometNongrav nongrav;
    nongrav.slot[0] = o.nongrav;
    ForceContext ctx{m, bodies, nongrav, core.de, core.de_copies, core.body_table, core.data_paths};
    constexpr std::int32_t nv = 3 * kEphem2Bodies;
    static_assert(nv <= kRadauMaxComponents);
    std::int32_t nf = 0, ns = 0;
    std::int32_t nclass = kRadauSecondOrderVelocity;  // the relativistic term needs the velocities
    double next = c.next_size;
    RadauOptions options;
    options.first_size = c.next_size;
    options.next_size = &next;
    core.de.forget_records();
    force_reader_setup(core.de);
    const Status s =
        radau(c.x, c.v, t0, t1, kIntegrationFixedStep, kIntegrationAccuracy, nv, kIntegrationIterations, nf, ns, nclass,
              kIntegrationOrder, radau_force_of(m.comet_mode != 0 ? force2c : force2, ctx), options);
    core.de.forget_records();
    if (!s.ok())
        return error_status("The integration of the orbit of object " + std::to_string(o.number) +
                            " failed: " + (ctx.failure.ok() ? s.message() : ctx.failure.message()));
    c.next_size = next;
    return ok_status();
}

}  // namespace

bool ephem2_integrable(const CoreState& core, double jd) {
    return in_ephemeris_span(core.de, jd) && in_ephemeris_span(core.de, core.package.catalogue_epoch);
}

Status ephem2_integrated_state(CoreState& core, std::int32_t number, const ElementSet& set, double jd,
                               StateVector& state) {
    if (!ephem2_integrable(core, jd))
        return error_status("internal error: the integration of object " + std::to_string(number) +
                            " asked beyond the planetary ephemeris file");
    Ephem2Integration& w = core.ephem2_integration;
    ZEL_TRY(prepare(core, w));
    auto slot = orbit_of(core, w, number, set);
    ZEL_TRY(slot);
    Ephem2Orbit& o = **slot;

    // The checkpoint nearest the date on its side of the epoch, inside the
    // file's span (the date is, so the one before it is).
    constexpr double h = kEphem2CheckpointDays;
    const double t = jd - w.epoch;
    const double dir = t >= 0.0 ? 1.0 : -1.0;
    std::vector<Ephem2Checkpoint>& side = t >= 0.0 ? o.forward : o.backward;
    double kd = std::round(std::fabs(t) / h);
    if (kd > 0.0 && !in_ephemeris_span(core.de, w.epoch + dir * kd * h)) kd -= 1.0;
    const auto k = static_cast<std::size_t>(kd);

    // The checkpoints out to it, leg after leg.
    while (side.size() <= k) {
        Ephem2Checkpoint c = side.back();
        const double t0 = dir * h * static_cast<double>(side.size() - 1);
        ZEL_TRY(leg(core, w, o, c, t0, t0 + dir * h));
        side.push_back(c);
    }
    Ephem2Checkpoint c = side[k];
    const double tk = dir * h * static_cast<double>(k);
    if (t != tk) ZEL_TRY(leg(core, w, o, c, tk, t));
    state = {c.x[0], c.x[1], c.x[2], c.v[0], c.v[1], c.v[2]};
    return ok_status();
}

Status ephem2_minor_state(CoreState& core, std::int32_t number, double jd, StateVector& state, std::int16_t& kind) {
    // The catalogue may have been closed by Closlae since Inpo opened it.
    if (!core.catalogue.open) {
        ZEL_TRY(catopen(core.catalogue));
    }
    if (number > core.catalogue.counts.total())
        return error_status("Object " + std::to_string(number) + " is not in the catalogue.");
    if (ephem2_integrable(core, jd)) {
        auto catalogue_set = catelem(core.catalogue, number);
        ZEL_TRY(catalogue_set);
        ZEL_TRY(ephem2_integrated_state(core, number, *catalogue_set, jd, state));
        kind = kEphem2Integrated;
        return ok_status();
    }
    ElementSet set{};
    ElementFlags flags;
    ZEL_TRY(elmnt_set(core, number, jd, 0, set, flags, core.data_paths.data_dir));
    if (flags.bad_number) return error_status("Object " + std::to_string(number) + " is not in the catalogue.");
    // The elements hold at jd itself: no time difference.
    const OrbitElementsArray el = elements_at(set, jd);
    const double day = std::trunc(jd);
    const std::int32_t d = day_number(day);
    const Status s = twobody(0.0, d, jd - day, OrbitElements::from(el.data()), d, jd - day, kObliquityJ2000, state);
    if (!s) return error_status("Object " + std::to_string(number) + ": " + s.message());
    kind = flags.from_catalogue ? kEphem2Catalogue : (flags.accepted ? 1 : 0);
    return ok_status();
}

Status ephem2(CoreState& core, std::int32_t number, double jd, BodyDirection& out, std::int16_t& status) {
    out.fill(0.0);
    status = 0;
    if (number == 0 || number < -kBodyCodes) return ok_status();
    // The Earth is the observer: it has no direction.
    if (number == -static_cast<std::int32_t>(BodyCode::Earth)) return ok_status();
    if (!is_calendar_jd(jd))
        return error_status("The date JD " + io::number_text(jd) + " is not a date of the calendar.");
    core.de.flags = {};

    // Step 1: the object's heliocentric state.
    StateVector object{};
    std::int16_t kind = kEphem2MajorBody;
    if (number < 0) {
        ZEL_TRY(major_state(core, static_cast<BodyCode>(-number), BodyCode::Sun, jd, object));
    } else {
        ZEL_TRY(ephem2_minor_state(core, number, jd, object, kind));
    }

    // Step 2: the Sun relative to the Earth.
    StateVector sun{};
    ZEL_TRY(major_state(core, BodyCode::Sun, BodyCode::Earth, jd, sun));

    // Step 3: astrometric direction from the geocentre, with its rates.
    const StateVector geocentre{};
    SkyDirection dir;
    lightt(object, sun, geocentre, dir, LightTimeRates::Computed);
    BodyDirection r{};
    r[0] = dir.ra;
    r[1] = dir.dec;
    r[2] = dir.ra_rate;
    r[3] = dir.dec_rate;

    // Step 4: elongation of the Moon, magnitude of a minor object.
    const bool moon = number == -static_cast<std::int32_t>(BodyCode::Moon);
    if (moon || number > 0) {
        const Vec3 a{object[0], object[1], object[2]};
        const PhaseElongation pe = elongph(a, Vec3{sun[0], sun[1], sun[2]});
        if (moon) {
            r[4] = (pe.side == 'W' && pe.elong > 0.0) ? kTwoPi - pe.elong : pe.elong;
        } else {
            auto ph = catphot(core.catalogue, number);
            ZEL_TRY(ph);
            const double dist_sun = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
            r[4] = magn(core.motion, dist_sun, dir.dist, pe.phase, ph->h, ph->g);
        }
    }
    // A value that is not a number comes from package data that cannot be
    // what they say: no direction.
    for (double v : r)
        if (!std::isfinite(v))
            return error_status("The direction of body " + std::to_string(number) + " at JD " + io::number_text(jd) +
                                " cannot be computed: a value is not a number.");
    out = r;
    status = kind;
    return ok_status();
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void MoonSun(int number, double jd, double* out) {
    zelvomat::export_guard([&] {
        if (out == nullptr) return zelvomat::error_status("MoonSun: no array for the result.");
        zelvomat::BodyDirection r{};
        std::int16_t status = 0;
        zelvomat::CoreState& core = zelvomat::core_state();
        const zelvomat::Status s = zelvomat::ephem2(core, number, jd, r, status);
        // The result is written also on failure: zeros, as the caller's
        // array would hold for a body without a result.
        for (std::size_t i = 0; i < r.size(); ++i) out[i] = r[i];
        return s;
    });
}
