// Position of an object at one date of a task (see ephem.h).
//
// Order of the work of one call:
//  1. the date, JD = start + (index - 1) step;
//  2. a minor-object centre at JD (two-body or yearly elements; integrated
//     together with the object under the integration model);
//  3. the object's heliocentric state (planetary ephemeris file or fallback
//     theory for a major body; catalogue, typed orbit, yearly elements);
//  4. the integration, from the catalogue epoch on the first date, else from
//     the previous date;
//  5. the Sun relative to the centre;
//  6. the observer (topocentric: obsvec_j2000, J2000 like everything else);
//  7. the frame: all three vectors are turned by the same matrices;
//  8. the reduction to a direction with rates, or a rectangular vector.
#include "core/ephem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/apparent.h"
#include "core/corestate.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/elmnt.h"
#include "core/fallback.h"
#include "core/force.h"
#include "core/magn.h"
#include "core/observer.h"
#include "core/radau.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"

namespace zelvomat {

// The fixed frame rotations of the output frames, stored column by column.
//   J2000 -> B1950: the rotation of the FK5 J2000.0 frame into FK4 B1950.0
//   (Standish 1982, A&A 115, 20; without the E-terms).
const Mat3 kJ2000ToB1950 = {0.9999256794956877, -0.0111814832204662, -0.0048590038153592,
                            0.0111814832391717, 0.9999374848933135,  -0.0000271625947142,
                            0.0048590037723143, -0.000027170293744,  0.9999881946023742};
//   Mean equator to ecliptic of B1950.0 (obliquity 23 26' 44.836").
const Mat3 kB1950EquatorToEcliptic = {1.0, 0.0, 0.0, 0.0, 0.9174369523, -0.3978811864, 0.0, 0.3978811864, 0.9174369523};
//   Mean equator to ecliptic of J2000.0 (obliquity 23 26' 21.448").
const Mat3 kJ2000EquatorToEcliptic = {1.0, 0.0, 0.0, 0.0, 0.917482062, -0.3977771559, 0.0, 0.3977771559, 0.917482062};

Result<TaskOptions> task_options_from_texts(std::string_view form, std::string_view kind, std::string_view plane,
                                            std::string_view equinox, std::int32_t centre, std::string_view observer) {
    TaskOptions t;
    t.form = form == "REC" ? CoordinateForm::Rectangular : CoordinateForm::Spherical;
    if (kind == "AST")
        t.kind = PositionKind::Astrometric;
    else if (kind == "GMT")
        t.kind = PositionKind::Geometric;
    else if (kind == "APP")
        t.kind = PositionKind::Apparent;
    else
        t.kind = PositionKind::Unset;
    if (plane == "EQT")
        t.plane = MainPlane::Equator;
    else if (plane == "ECL")
        t.plane = MainPlane::Ecliptic;
    else if (plane == "HRZ")
        t.plane = MainPlane::Horizon;
    else
        return error_status("Unknown main plane \"" + std::string(plane) + "\" in the task.");
    if (equinox == "2000")
        t.equinox = Equinox::J2000;
    else if (equinox == "1950")
        t.equinox = Equinox::B1950;
    else if (equinox == "INST")
        t.equinox = Equinox::OfDate;
    else
        t.equinox = Equinox::Unset;
    if (centre < 0 || centre > kCentreMinorObject)
        return error_status("Unknown centre " + std::to_string(centre) + " in the task.");
    t.centre = centre;
    t.observer = observer == "TOP" ? ObserverKind::Topocentric : ObserverKind::Geocentric;
    return t;
}

namespace {

constexpr std::size_t kPlutoSwitch = perturber_index(Perturber::Pluto);

// The whole day (toward zero) and fraction of a date of the calendar's range
// (ephem refuses others before it gets here).
void split(double jd, std::int32_t& day, double& fraction) {
    const double d = std::trunc(jd);
    day = day_number(d);
    fraction = jd - d;
}

Status two_body_at(const MotionConfig& m, const OrbitElements& el, double epoch, double jd, StateVector& state) {
    std::int32_t d0 = 0, d1 = 0;
    double f0 = 0.0, f1 = 0.0;
    split(epoch, d0, f0);
    split(jd, d1, f1);
    return twobody(0.0, d0, f0, el, d1, f1, kObliquityJ2000, state, kepler_tolerance(m.comet_mode));
}

bool in_file_span(const DeState& de, double jd) {
    return de.first_jd < de.last_jd && jd >= de.first_jd && jd <= de.last_jd;
}

StateVector head6(const State9& s) { return {s[0], s[1], s[2], s[3], s[4], s[5]}; }

// State of body relative to centre (BodyCodes) from the planetary ephemeris
// file inside its span, else from the fallback theory; inside tells which.
Status body_state(CoreState& core, BodyCode body, BodyCode centre, double jd, StateVector& out, bool& inside) {
    inside = in_file_span(core.de, jd);
    if (inside) {
        State9 s{};
        ZEL_TRY(bodystate(core.de, core.de_copies, core.data_paths, DeReader::Position, jd, de_file_body(body),
                          de_file_body(centre), s));
        out = head6(s);
        return ok_status();
    }
    return fbstate(core.planet_elements, core.moon_series, body, centre, jd, out);
}

StateVector negated(const StateVector& s) {
    StateVector r;
    for (std::size_t i = 0; i < 6; ++i) r[i] = -s[i];
    return r;
}

void turn(const Mat3& m, StateVector& s) {
    const Vec3 p = matmul(m, Vec3{s[0], s[1], s[2]});
    const Vec3 v = matmul(m, Vec3{s[3], s[4], s[5]});
    s = {p[0], p[1], p[2], v[0], v[1], v[2]};
}

double norm3(const StateVector& s, std::size_t off) {
    return std::sqrt(s[off] * s[off] + s[off + 1] * s[off + 1] + s[off + 2] * s[off + 2]);
}

// Puts body (0-based) of the integration vector.
void put_body(LiveIntegration& m, int body, const StateVector& s) {
    const auto o = static_cast<std::size_t>(3 * body);
    for (std::size_t i = 0; i < 3; ++i) {
        m.x[o + i] = s[i];
        m.v[o + i] = s[3 + i];
    }
}
StateVector get_body(const LiveIntegration& m, int body) {
    const auto o = static_cast<std::size_t>(3 * body);
    return {m.x[o], m.x[o + 1], m.x[o + 2], m.v[o], m.v[o + 1], m.v[o + 2]};
}

// The Pluto perturber switched off while Pluto itself is integrated, and on
// again whatever way the call ends.
class PlutoGuard {
public:
    PlutoGuard(MotionConfig& m, EphemState& st, bool active) : m_(m), st_(st) {
        if (active && m.perturber_switch[kPlutoSwitch] != 0) {
            saved_ = m.perturber_switch[kPlutoSwitch];
            m.perturber_switch[kPlutoSwitch] = 0;
            st_.pluto_switched_off = true;
        }
    }
    ~PlutoGuard() {
        if (saved_ != 0) {
            m_.perturber_switch[kPlutoSwitch] = saved_;
            st_.pluto_switched_off = false;
        }
    }
    PlutoGuard(const PlutoGuard&) = delete;
    PlutoGuard& operator=(const PlutoGuard&) = delete;

private:
    MotionConfig& m_;
    EphemState& st_;
    std::int32_t saved_ = 0;
};

// One radau run over the first nv components of the integration vector.
Status integrate(CoreState& core, std::int32_t nv, double t0, double t1, bool first_kind, std::int32_t nclass) {
    const MotionConfig& m = core.motion;
    LiveIntegration& live = core.integration;
    const bool comet = m.comet_mode != 0;
    ForceContext ctx = force_context(core);
    bool (*fn)(void*, const double*, const double*, double, double*) =
        first_kind ? (comet ? force1c : force1) : (comet ? force2c : force2);
    std::int32_t nf = 0, ns = 0;
    core.de.forget_records();
    force_reader_setup(core.de);
    const Status s = radau(std::span<double>(live.x.data(), static_cast<std::size_t>(nv)),
                           std::span<double>(live.v.data(), static_cast<std::size_t>(nv)), t0, t1,
                           kIntegrationFixedStep, kIntegrationAccuracy, nv, kIntegrationIterations, nf, ns, nclass,
                           kIntegrationOrder, radau_force_of(fn, ctx));
    core.de.forget_records();
    if (s.ok()) return s;
    std::string why = ctx.failure.ok() ? s.message() : ctx.failure.message();
    return error_status("The integration of the orbit failed: " + why);
}

// Step 4: the integration of the object (and of a minor-object centre).
Status run_integration(CoreState& core, std::int32_t number, bool major, bool typed, const EphemDate& date,
                       const ElementSet& elements, std::int16_t& accuracy, StateVector& object, StateVector& centre) {
    const MotionConfig& m = core.motion;
    LiveIntegration& live = core.integration;
    const bool minor_centre = m.minor_centre != 0;
    const double epoch = m.catalogue_epoch;
    const double jd = date.jd();
    const int nmp = m.minor_perturbers;
    if (nmp < 0 || nmp > kMaxMinorPerturbers)
        return error_status("The number of perturbing minor planets must be 0 to 3.");
    const std::int32_t nclass_main =
        (m.relativity != 0 || m.comet_mode != 0) ? kRadauSecondOrderVelocity : kRadauSecondOrder;

    if (date.index == 1) {
        core.integrated_bodies.count = (minor_centre && number > 0 && !major) ? 2 : 1;
        live.integration_time = epoch;
        live.integration_accuracy = 1;
        live.x.fill(0.0);
        live.v.fill(0.0);
        const MinorPerturberElements& mp = core.minor_perturbers;
        if (typed) {
            // The centre and the perturbing minor planets from the catalogue
            // epoch to the typed epoch, then the typed orbit at the head.
            int b = 0;
            if (minor_centre) put_body(live, b++, core.centre_object.state);
            for (int k = 0; k < nmp; ++k) {
                StateVector s{};
                ZEL_TRY(two_body_at(m, mp.planet[static_cast<std::size_t>(k)], epoch, epoch, s));
                put_body(live, b++, s);
            }
            if (m.typed_epoch != epoch && b > 0) {
                std::int32_t nclass = m.comet_mode != 0 ? kRadauSecondOrderVelocity : kRadauSecondOrder;
                const Status s = integrate(core, 3 * b, epoch, m.typed_epoch, true, nclass);
                if (!s.ok()) {
                    live.integration_accuracy = 0;
                    accuracy = 0;
                    return s;
                }
            }
            for (int i = 3 * b - 1; i >= 0; --i) {
                live.x[static_cast<std::size_t>(i + 3)] = live.x[static_cast<std::size_t>(i)];
                live.v[static_cast<std::size_t>(i + 3)] = live.v[static_cast<std::size_t>(i)];
            }
            StateVector t;
            for (std::size_t i = 0; i < 6; ++i) t[i] = m.typed_state[i];
            put_body(live, 0, t);
            live.integration_time = m.typed_epoch;
        } else {
            int b = 0;
            if (!major) {
                StateVector s{};
                ZEL_TRY(two_body_at(m, OrbitElements::from(elements.data() + 1), elements[0], epoch, s));
                put_body(live, b++, s);
            }
            if (minor_centre) put_body(live, b++, core.centre_object.state);
            for (int k = 0; k < nmp; ++k) {
                StateVector s{};
                ZEL_TRY(two_body_at(m, mp.planet[static_cast<std::size_t>(k)], epoch, epoch, s));
                put_body(live, b++, s);
            }
        }
    }

    if (live.integration_time == 0.0)
        return error_status(
            "The integration of the orbit has not been started: the first date of an object has the "
            "index 1.");
    PlutoGuard pluto(core.motion, core.ephem, number == kPlutoNumber);
    const std::int32_t nv = 3 * nmp + 3 * core.integrated_bodies.count;
    if (live.integration_time != jd) {
        std::int32_t nclass = nclass_main;
        const Status s = integrate(core, nv, live.integration_time - epoch, jd - epoch, false, nclass);
        if (!s.ok()) {
            live.integration_accuracy = 0;
            accuracy = 0;
            return s;
        }
        live.integration_time = jd;
    }
    // The flag belongs to the object's integration, not to the date: every
    // date of the object (and of a continuation) carries the one set when its
    // integration started.
    accuracy = live.integration_accuracy;

    if (!minor_centre) {
        object = get_body(live, 0);
    } else if (major) {
        centre = get_body(live, 0);
    } else {
        object = get_body(live, 0);
        centre = get_body(live, 1);
    }
    return ok_status();
}

// Slot of the per-date table: the date's bits, mixed.
std::size_t date_slot(double jd) {
    std::uint64_t u = 0;
    std::memcpy(&u, &jd, sizeof u);
    u ^= u >> 29;
    u *= 0xbf58476d1ce4e5b9ULL;
    u ^= u >> 32;
    return static_cast<std::size_t>(u % EphemState::kDateSlots);
}

// Per-date work: the Sun relative to a major-body centre, the observer, the
// matrices of the date. Kept for the next object of the same date.
Status date_work(CoreState& core, double jd, std::int32_t centre, bool topocentric, bool need_sun, bool need_frames,
                 EphemState::DateWork& w) {
    const DeState& de = core.de;
    const ObserverSite& site = core.observer_site;
    const bool same = w.valid && w.jd == jd && w.centre == centre && w.topocentric == topocentric &&
                      w.file == de.file.get() && w.first_jd == de.first_jd && w.last_jd == de.last_jd &&
                      w.site[0] == site.longitude && w.site[1] == site.rho_cos_phi && w.site[2] == site.rho_sin_phi;
    if (!same) {
        w = {};
        w.jd = jd;
        w.centre = centre;
        w.topocentric = topocentric;
        w.file = de.file.get();
        w.first_jd = de.first_jd;
        w.last_jd = de.last_jd;
        w.site[0] = site.longitude;
        w.site[1] = site.rho_cos_phi;
        w.site[2] = site.rho_sin_phi;
        std::int32_t day = 0;
        double fraction = 0.0;
        split(jd, day, fraction);
        double dt = 0.0, tt = 0.0;
        deltat(core.delta_t, day, fraction, DeltaTDirection::UtToTt, dt, tt);
        w.ut_fraction = fraction - dt / 86400.0;
        if (need_sun) {
            bool inside = false;
            ZEL_TRY(body_state(core, BodyCode::Sun, static_cast<BodyCode>(centre), jd, w.sun, inside));
        }
        if (topocentric)
            w.observer = obsvec_j2000(day, fraction, w.ut_fraction, site.longitude, site.rho_cos_phi, site.rho_sin_phi);
        w.valid = true;
    }
    if (need_frames && !w.frames) {
        std::int32_t day = 0;
        double fraction = 0.0;
        split(jd, day, fraction);
        const double d = static_cast<double>(day);
        const PrecessionAngles pa = prec(0, 2451545.0, 0.0, d, fraction);
        const Mat3 p = mapr(pa.zeta, pa.z, pa.theta);
        const Nutation nu = nutm(0, 0, d, fraction);
        w.dpsi = nu.dpsi;
        w.deps = nu.deps;
        w.eps = obliq(day, fraction);
        w.np = matmul(nutmat(nu.dpsi, nu.deps, w.eps), p);
        w.frames = true;
    }
    return ok_status();
}

Status ephem_body(CoreState& core, std::int32_t number, const EphemDate& date, std::int32_t year,
                  std::string_view data_dir, EphResultValues& out, std::int16_t& accuracy) {
    EphemState& st = core.ephem;
    MotionConfig& m = core.motion;
    const TaskOptions& opt = core.task_options;
    const CentreObject& co = core.centre_object;

    // Step 1: the date. The reader reads its record afresh.
    const double jd = date.jd();
    st.jd = jd;
    core.de.forget_records();
    const bool minor_centre = m.minor_centre != 0;
    const bool typed = m.typed_mode != TypedOrbitMode::Catalogue;
    const bool major = !typed && number <= 0;
    const MotionCode model = m.model;
    if (minor_centre && opt.centre != kCentreMinorObject)
        return error_status("A minor object is the centre, but the task's centre is a major body.");
    if (!minor_centre && opt.centre == kCentreMinorObject)
        return error_status("The task's centre is a minor object, but none has been given.");
    if (!minor_centre && (opt.centre < 0 || opt.centre > kBodyCodes))
        return error_status("Unknown centre " + std::to_string(opt.centre) + " in the task.");

    // Step 2: a minor-object centre.
    StateVector centre{};
    std::int16_t centre_accuracy = 0;
    if (minor_centre) {
        if (model == MotionCode::Elliptic) {
            ZEL_TRY(two_body_at(m, co.elements, co.epoch, jd, centre));
        } else if (model == MotionCode::Nodes) {
            OrbitElementsArray el{};
            ElementFlags flags;
            ZEL_TRY(elmnt(core, co.number, jd, 0, el, flags, data_dir));
            if (flags.bad_number)
                return error_status("The centre object " + std::to_string(co.number) + " is not in the catalogue.");
            ZEL_TRY(two_body_at(m, OrbitElements::from(el.data()), jd, jd, centre));
            centre_accuracy = flags.accepted ? 1 : 0;
        } else {
            centre = co.state;
        }
    }

    // Step 3: the object.
    StateVector object{};
    ElementSet elements{};
    if (major) {
        const std::int32_t b = -number;
        if (b < 0 || b > kBodyCodes)
            return error_status("Object " + std::to_string(number) + " is not a body of the planetary ephemeris.");
        bool inside = false;
        ZEL_TRY(body_state(core, static_cast<BodyCode>(b), BodyCode::Sun, jd, object, inside));
        accuracy = inside ? 1 : 0;
        if (minor_centre) {
            if (model == MotionCode::Elliptic)
                accuracy = 0;
            else if (model == MotionCode::Nodes)
                accuracy = centre_accuracy;
            else
                ZEL_TRY(run_integration(core, number, true, false, date, elements, accuracy, object, centre));
        }
    } else {
        if (!typed) {
            if (date.index == 1 || st.object_number != number) {
                st.elements_valid = false;
                st.photometry_valid = false;
                st.object_number = number;
            }
            // The nodes model reads its own elements; the catalogue's are
            // needed by the two others.
            if (model != MotionCode::Nodes && !st.elements_valid) {
                auto e = catelem(core.catalogue, number);
                if (!e) return e.status();
                st.elements = *e;
                st.elements_valid = true;
            }
            elements = st.elements;
        } else {
            // A typed orbit moves from its own state: two-body motion from its
            // elements unless it is integrated (the yearly files hold only
            // catalogue objects).
            OrbitElements el;
            StateVector ts;
            for (std::size_t i = 0; i < 6; ++i) ts[i] = m.typed_state[i];
            if (model != MotionCode::Integration) {
                ZEL_TRY(stateel(0.0, ts, el, kObliquityJ2000));
                elements[0] = m.typed_epoch;
                el.store(elements.data() + 1);
            }
        }
        if (model == MotionCode::Elliptic || (typed && model == MotionCode::Nodes)) {
            ZEL_TRY(two_body_at(m, OrbitElements::from(elements.data() + 1), elements[0], jd, object));
            accuracy = 0;
        } else if (model == MotionCode::Nodes) {
            OrbitElementsArray el{};
            ElementFlags flags;
            ZEL_TRY(elmnt(core, number, jd, year, el, flags, data_dir));
            if (flags.bad_number) return error_status("Object " + std::to_string(number) + " is not in the catalogue.");
            ZEL_TRY(two_body_at(m, OrbitElements::from(el.data()), jd, jd, object));
            accuracy = flags.accepted ? 1 : 0;
        } else {
            ZEL_TRY(run_integration(core, number, false, typed, date, elements, accuracy, object, centre));
        }
    }
    st.object = object;
    st.centre = centre;

    // Steps 5 and 6: the Sun relative to the centre, the observer; the
    // matrices of the date when the frame or the horizon needs them.
    const bool topo = opt.observer == ObserverKind::Topocentric;
    const bool horizon = opt.plane == MainPlane::Horizon;
    const bool of_date = opt.equinox == Equinox::OfDate || horizon;
    if (st.dates.size() != EphemState::kDateSlots) st.dates.assign(EphemState::kDateSlots, {});
    EphemState::DateWork& w = st.dates[date_slot(jd)];
    ZEL_TRY(date_work(core, jd, minor_centre ? -1 : opt.centre, topo, !minor_centre, of_date, w));
    StateVector sun = minor_centre ? negated(centre) : w.sun;
    StateVector obs = topo ? w.observer : StateVector{};

    // Step 7: the frame; the observer vector turns with the others. The
    // horizon needs the true equator of date whatever the equinox.
    auto turn_all = [&](const Mat3& mat) {
        turn(mat, object);
        turn(mat, sun);
        turn(mat, obs);
    };
    if (horizon) {
        turn_all(w.np);
    } else if (opt.equinox == Equinox::J2000) {
        if (opt.plane == MainPlane::Ecliptic) turn_all(kJ2000EquatorToEcliptic);
    } else if (opt.equinox == Equinox::B1950) {
        turn_all(kJ2000ToB1950);
        if (opt.plane == MainPlane::Ecliptic) turn_all(kB1950EquatorToEcliptic);
    } else if (opt.equinox == Equinox::OfDate) {
        turn_all(w.np);
        if (opt.plane == MainPlane::Ecliptic) turn_all(rotx(w.eps + w.deps));
    }
    st.sun = sun;
    st.observer = obs;

    // Step 8: the reduction.
    if (opt.form == CoordinateForm::Rectangular) {
        StateVector rel;
        for (std::size_t i = 0; i < 6; ++i) rel[i] = object[i] + sun[i] + obs[i];
        for (int i = 0; i < 6; ++i) out(i + 1) = rel[static_cast<std::size_t>(i)];
        out(RecQuantity::SunDistance) = norm3(object, 0);
        const double d = norm3(rel, 0);
        out(RecQuantity::ObserverDistance) = d;
        if (d == 0.0) return ok_status();
        out(RecQuantity::ObserverDistanceRate) = (rel[0] * rel[3] + rel[1] * rel[4] + rel[2] * rel[5]) / d;
        out(RecQuantity::Speed) = norm3(rel, 3) * kKmPerAu / 86400.0;
        return ok_status();
    }
    if (!typed && number == -static_cast<std::int32_t>(BodyCode::Earth)) return ok_status();

    SkyDirection dir;
    switch (opt.kind) {
        case PositionKind::Geometric: {
            std::array<double, 6> g{};
            geompos(object, sun, obs, g, "SPH", "YES");
            dir = {g[0], g[1], g[2], g[3], g[4], g[5]};
            break;
        }
        case PositionKind::Astrometric:
            lightt(object, sun, obs, dir, LightTimeRates::Computed);
            break;
        case PositionKind::Apparent:
            appfirst(object, sun, obs, dir);
            break;
        case PositionKind::Unset:
            break;
    }
    out(SphQuantity::Distance) = dir.dist;
    out(SphQuantity::DistanceRate) = dir.dist_rate;
    if (horizon) {
        // Hour angle from the apparent sidereal time; azimuth counted from
        // the south through the west, altitude above the horizon.
        const ObserverSite& site = core.observer_site;
        std::int32_t day = 0;
        double fraction = 0.0;
        split(jd, day, fraction);
        const double st_app = gmst(day, w.ut_fraction) + w.dpsi * std::cos(w.eps) + site.longitude;
        const double ha = st_app - dir.ra;
        double a1 = 0.0, zd = 0.0, a2 = 0.0;
        sphrot(kPi / 2.0 - dir.dec, ha, kPi / 2.0 - site.latitude, a1, zd, a2);
        double az = kPi - a1;
        if (az < 0.0) az += kTwoPi;
        out(SphQuantity::Angle1) = az;
        out(SphQuantity::Angle2) = kPi / 2.0 - zd;
    } else {
        out(SphQuantity::Angle1) = dir.ra;
        out(SphQuantity::Angle2) = dir.dec;
        out(SphQuantity::Rate1) = dir.ra_rate;
        out(SphQuantity::Rate2) = dir.dec_rate;
    }
    out(SphQuantity::SunDistance) = norm3(object, 0);

    // Phase and elongation: the Sun seen from the observer.
    const Vec3 sun_obs{sun[0] + obs[0], sun[1] + obs[1], sun[2] + obs[2]};
    const PhaseElongation pe = elongph(Vec3{object[0], object[1], object[2]}, sun_obs);
    out(SphQuantity::Phase) = pe.phase;
    out(SphQuantity::Elongation) = pe.side == 'W' ? -pe.elong : pe.elong;

    if (number > 0) {
        if (!typed && !st.photometry_valid) {
            auto ph = catphot(core.catalogue, number);
            if (!ph) return ph.status();
            st.h = ph->h;
            st.g = ph->g;
            st.photometry_valid = true;
        }
        const double h = typed ? m.typed_h : st.h;
        const double g = typed ? m.typed_g : st.g;
        if (h == 0.0 && g == 0.0) {
            st.no_magnitude = true;
        } else {
            st.no_magnitude = false;
            out(SphQuantity::Magnitude) = magn(m, out(SphQuantity::SunDistance), dir.dist, pe.phase, h, g);
        }
    }
    return ok_status();
}

}  // namespace

Status set_centre_object(CoreState& core, std::int32_t n) {
    auto e = catelem(core.catalogue, n);
    if (!e) return e.status();
    CentreObject c;
    c.number = n;
    c.epoch = (*e)[0];
    c.elements = OrbitElements::from(e->data() + 1);
    ZEL_TRY(two_body_at(core.motion, c.elements, c.epoch, c.epoch, c.state));
    core.centre_object = c;
    core.motion.minor_centre = 1;
    return ok_status();
}

Status load_minor_perturbers(MinorPerturberElements& out) {
    auto f = io::RecordFile::open(std::string(files::kSettings), setpar::kRecordLength, io::OpenMode::Read);
    if (!f) return error_status("The settings file \"setpar\" cannot be read: " + f.message());
    MinorPerturberElements mp;
    for (int k = 0; k < 3; ++k) {
        auto rec = f->read(setpar::kRecPerturber1 + k);
        if (!rec) return error_status("The settings file \"setpar\" cannot be read: " + rec.message());
        double v[6];
        for (std::size_t i = 0; i < 6; ++i) {
            v[i] = io::get_f64(*rec, 8 * i);
            if (!std::isfinite(v[i]))
                return error_status("The settings file \"setpar\" is damaged: record " +
                                    std::to_string(setpar::kRecPerturber1 + k) +
                                    " holds elements of a perturbing minor planet that are not numbers.");
        }
        mp.planet[static_cast<std::size_t>(k)] = OrbitElements::from(v);
    }
    out = mp;
    return ok_status();
}

Status ephem(CoreState& core, std::int32_t number, const EphemDate& date, std::int32_t year, std::string_view data_dir,
             EphResultValues& out, std::int16_t& accuracy) {
    out = {};
    const double jd = date.jd();
    Status s = is_calendar_jd(jd) ? ephem_body(core, number, date, year, data_dir, out, accuracy)
                                  : error_status("The date JD " + io::number_text(jd) + " cannot be computed.");
    // A value that is not a number comes from data that cannot be what they
    // say (or an orbit no computation can follow): never a result.
    for (int i = 1; s.ok() && i <= EphResultValues::kCount; ++i)
        if (!std::isfinite(out(i)))
            s = error_status("The position of object " + std::to_string(number) + " at JD " + io::number_text(jd) +
                             " cannot be computed: quantity " + std::to_string(i) + " is not a number.");
    if (!s.ok()) {
        out = {};
        accuracy = 0;
    }
    return s;
}

}  // namespace zelvomat
