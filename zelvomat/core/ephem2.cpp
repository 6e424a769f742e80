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
#include "core/fallback.h"
#include "core/magn.h"
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
        // The catalogue may have been closed by Closlae since Inpo opened it.
        if (!core.catalogue.open) {
            ZEL_TRY(catopen(core.catalogue));
        }
        OrbitElementsArray el{};
        ElementFlags flags;
        ZEL_TRY(elmnt(core, number, jd, 0, el, flags, core.data_paths.data_dir));
        if (flags.bad_number) return error_status("Object " + std::to_string(number) + " is not in the catalogue.");
        // The elements hold at jd itself: no time difference.
        const double day = std::trunc(jd);
        const std::int32_t d = day_number(day);
        const Status s =
            twobody(0.0, d, jd - day, OrbitElements::from(el.data()), d, jd - day, kObliquityJ2000, object);
        if (!s) return error_status("Object " + std::to_string(number) + ": " + s.message());
        kind = flags.from_catalogue ? kEphem2Catalogue : (flags.accepted ? 1 : 0);
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
