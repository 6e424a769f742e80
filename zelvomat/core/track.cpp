// Set-up of a track plot (inp2) and the export Track. See track.h.
#include "core/track.h"

#include <cmath>
#include <string>

#include "core/apparent.h"
#include "core/catalog.h"
#include "core/corestate.h"
#include "core/datajd.h"
#include "core/elmnt.h"
#include "core/ephem2.h"
#include "core/fallback.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/twobody.h"
#include "io/errchan.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

double track_step(double span_days) {
    if (span_days > 200.0) return 30.0;
    if (span_days > 20.0) return 10.0;
    return 1.0;
}

namespace {

// Whole day (toward zero, as the Julian dates here are positive) and fraction.
void split(double jd, std::int32_t& day, double& fraction) {
    const double d = std::trunc(jd);
    day = day_number(d);
    fraction = jd - d;
}

// Planets whose path is fitted from their own heliocentric orbit.
bool has_own_orbit(BodyCode b) {
    const int k = static_cast<int>(b);
    return k >= 1 && k <= 9 && b != BodyCode::Earth;
}

// The object's osculating elements at jd1 (their epoch). False when the
// object has no orbit to fit (the frame is then the whole sky).
Result<bool> elements_at(CoreState& core, std::int32_t obj, double jd1, OrbitElements& el) {
    if (obj < 0) {
        const auto body = static_cast<BodyCode>(-obj);
        if (obj < -kBodyCodes || !has_own_orbit(body)) return false;
        StateVector state{};
        ZEL_TRY(major_state(core, body, BodyCode::Sun, jd1, state));
        const double mass = 1.0 / kInverseMass[static_cast<std::size_t>(-obj - 1)];
        const Status s = stateel(mass, state, el, kObliquityJ2000);
        if (!s) return error_status("The orbit of body " + std::to_string(-obj) + " cannot be fitted: " + s.message());
        return true;
    }
    if (ephem2_integrable(core, jd1)) {
        // The elements osculating at jd1 of the integrated orbit that the
        // view will draw.
        StateVector state{};
        std::int16_t kind = 0;
        ZEL_TRY(ephem2_minor_state(core, obj, jd1, state, kind));
        const Status s = stateel(0.0, state, el, kObliquityJ2000);
        if (!s) return error_status("The orbit of object " + std::to_string(obj) + " cannot be fitted: " + s.message());
        return true;
    }
    OrbitElementsArray e{};
    ElementFlags flags;
    ZEL_TRY(elmnt(core, obj, jd1, 0, e, flags, core.data_paths.data_dir));
    if (flags.bad_number) return error_status("Object " + std::to_string(obj) + " is not in the catalogue.");
    el = OrbitElements::from(e.data());
    return true;
}

// Geocentric astrometric direction at jd of the object moving on the
// two-body orbit of el (epoch epoch_jd), as tframe asks for it (see
// tframe.h).
Result<TrackDirection> direction_at(CoreState& core, const OrbitElements& el, double epoch_jd, double jd) {
    std::int32_t d0 = 0, d1 = 0;
    double f0 = 0.0, f1 = 0.0;
    split(epoch_jd, d0, f0);
    split(jd, d1, f1);
    StateVector object{};
    ZEL_TRY(twobody(0.0, d0, f0, el, d1, f1, kObliquityJ2000, object));
    StateVector sun{};
    ZEL_TRY(major_state(core, BodyCode::Sun, BodyCode::Earth, jd, sun));
    const StateVector geocentre{};
    SkyDirection dir;
    lightt(object, sun, geocentre, dir, LightTimeRates::Kept);
    return TrackDirection{dir.ra, dir.dec};
}

Status fit_frame(CoreState& core, TrackStorage& t) {
    std::int32_t count = 0, obj = 0;
    for (std::int32_t n : t.objects) {
        if (n == 0) continue;
        ++count;
        obj = n;
    }
    const double span = std::fabs(t.jd2 - t.jd1);
    if (count != 1 || span > kTrackLongestFit || span < kTrackShortestFit) return ok_status();

    OrbitElements el;
    auto own = elements_at(core, obj, t.jd1, el);
    ZEL_TRY(own);
    if (!*own) return ok_status();

    // The reader serves the Sun relative to the Earth from here on.
    DeState& de = core.de;
    de.flags = {};
    de.centre = BodyCode::Earth;
    const double epoch = t.jd1;
    auto grid = tframe(t.jd1, t.jd2, [&core, &el, epoch](double jd) { return direction_at(core, el, epoch, jd); });
    ZEL_TRY(grid);
    t.frame = grid->frame;
    t.points = grid->points;
    t.wraps = grid->wraps;
    return ok_status();
}

}  // namespace

Status inp2(CoreState& core) {
    TrackStorage& t = core.track;
    t.set_up = false;
    t.frame = whole_sky_frame();
    t.step_days = 1.0;
    t.points = 0;
    t.wraps = 0;

    // The ephemeris file, opened afresh for the position requests of the view.
    ZEL_TRY(de_open(core.de, core.de_copies, core.data_paths));
    // The catalogue may have been closed by Closlae since Inpo opened it.
    for (std::int32_t n : t.objects)
        if (n > 0 && !core.catalogue.open) {
            ZEL_TRY(catopen(core.catalogue));
        }
    DeState& de = core.de;
    de.flags = {};
    de.centre = BodyCode::Sun;

    ZEL_TRY(fit_frame(core, t));
    t.step_days = track_step(t.jd2 - t.jd1);
    t.set_up = true;
    return ok_status();
}

Status track(CoreState& core, const std::array<std::int32_t, kTrackObjects>& objects, double date1, double date2) {
    TrackStorage& t = core.track;
    t.objects = objects;
    // Packed civil dates, 5 decimals of the day (the civil-day rule).
    t.jd1 = packed_to_jd(date1);
    t.jd2 = packed_to_jd(date2);
    if (std::isnan(t.jd1) || std::isnan(t.jd2)) {
        t.set_up = false;
        return error_status("The dates of the track plot are not dates of the calendar.");
    }
    return inp2(core);
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void Track(const int* objects, double date1, double date2, double* step, double* raFrom,
                                   double* raTo, double* declFrom, double* declTo) {
    zelvomat::export_guard([&] {
        if (objects == nullptr) return zelvomat::error_status("Track: no object numbers.");
        std::array<std::int32_t, zelvomat::kTrackObjects> obj{};
        for (std::size_t i = 0; i < obj.size(); ++i) obj[i] = objects[i];
        zelvomat::CoreState& core = zelvomat::core_state();
        ZEL_TRY(zelvomat::track(core, obj, date1, date2));
        const zelvomat::TrackStorage& t = core.track;
        if (step != nullptr) *step = t.step_days;
        if (raFrom != nullptr) *raFrom = t.frame.ra_from_rad;
        if (raTo != nullptr) *raTo = t.frame.ra_to_rad;
        if (declFrom != nullptr) *declFrom = t.frame.decl_from_rad;
        if (declTo != nullptr) *declTo = t.frame.decl_to_rad;
        return zelvomat::ok_status();
    });
}
