// Position of an object at one date of a task: the routine through which the
// ephemeris and O-C drivers obtain every computed position.
//
// The object is a catalogue minor planet or comet, an orbit typed by the user
// (MotionConfig::typed_mode) or a major body. Its heliocentric state comes
// from the motion model of MotionConfig:
//   Elliptic     two-body motion from the catalogue elements;
//   Nodes        two-body motion from the osculating elements of the yearly
//                files nearest the date (elmnt);
//   Integration  numerical integration (Gauss-Radau, force models of
//                force.h) from the catalogue epoch, carried from date to date
//                in LiveIntegration: the first date of an object (index 1) starts
//                it, every later index continues from the previous date.
// Major bodies come from the planetary ephemeris file inside its span and
// from the fallback theory outside it.
//
// The centre of the task is a major body (BodyCode 0 .. 12) or a minor object
// (code 13, CentreObject, moved with the same motion model as the object);
// the observer is the geocentre or a place on the Earth (ObserverSite). The
// object, the Sun relative to the centre and the observer vector are turned
// together into the frame of the result (mean equator and equinox J2000 or
// B1950, or the true equator and equinox of date; equatorial or ecliptic),
// then reduced to a direction with rates (geometric, astrometric with light
// time, or apparent to first order), azimuth and altitude for the horizon,
// or a rectangular vector.
//
// Units: AU, AU/day, radians, radians per day; dates are Julian dates on the
// dynamical time scale (TT = TDB here).
//
// Working state (not re-entrant, one thread): TaskOptions, CentreObject and
// MinorPerturberElements are written by the drivers before a run;
// EphemState keeps what one call leaves for the next.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/catalog.h"
#include "core/ephvalues.h"
#include "core/frames.h"
#include "core/twobody.h"
#include "io/status.h"

namespace zelvomat {

struct CoreState;

// ---- Choices of the task --------------------------------------------------------

enum class CoordinateForm { Spherical, Rectangular };
enum class PositionKind {
    Geometric,    // "GMT": the direction at the date, no light time
    Astrometric,  // "AST": light time iterated, no aberration
    Apparent,     // "APP": light time and aberration to first order
    Unset,        // another text: quantities 1-6 stay 0
};
enum class MainPlane { Equator, Ecliptic, Horizon };
enum class Equinox {
    J2000,   // "2000": mean equator and equinox of J2000.0
    B1950,   // "1950": mean equator and equinox of B1950.0 (FK4 rotation)
    OfDate,  // "INST": true equator and equinox of the date
    Unset,   // another text: vectors stay in J2000 equatorial coordinates
};
enum class ObserverKind { Geocentric, Topocentric };

// Centre code of a minor object (CentreObject); 0 .. 12 are BodyCodes.
inline constexpr std::int32_t kCentreMinorObject = 13;

// The current task's choice codes, as the drivers take them from the task
// record.
struct TaskOptions {
    CoordinateForm form = CoordinateForm::Spherical;
    PositionKind kind = PositionKind::Astrometric;
    MainPlane plane = MainPlane::Equator;
    Equinox equinox = Equinox::J2000;
    std::int32_t centre = 3;  // BodyCode 0 .. 12, or kCentreMinorObject
    ObserverKind observer = ObserverKind::Geocentric;
};

// TaskOptions from the texts of the task record, compared over their whole
// width: form "REC" rectangular, anything else spherical; kind "AST", "GMT",
// "APP" (anything else Unset); plane "EQT", "ECL", "HRZ"; equinox "2000",
// "1950", "INST" (anything else Unset); observer "TOP" topocentric, anything
// else geocentric. Fails for another plane text or a centre outside 0 .. 13.
Result<TaskOptions> task_options_from_texts(std::string_view form, std::string_view kind, std::string_view plane,
                                            std::string_view equinox, std::int32_t centre, std::string_view observer);

// A minor object used as the centre (centre code 13, MotionConfig::minor_centre
// = 1): catalogue number, the epoch and elements of its catalogue set and its
// state at that epoch (heliocentric, equatorial J2000; twobody of the
// elements). The drivers fill it from the catalogue (set_centre_object).
struct CentreObject {
    std::int32_t number = 0;
    double epoch = 0.0;
    OrbitElements elements;
    StateVector state{};
};

// Fills CentreObject with catalogue object n (the catalogue must be open) and
// sets MotionConfig::minor_centre.
Status set_centre_object(CoreState& core, std::int32_t n);

// Elements of the three perturbing minor planets (Ceres, Pallas, Vesta) at the
// catalogue epoch, settings records 11-13.
struct MinorPerturberElements {
    std::array<OrbitElements, 3> planet{};
};
// Loads records 11-13 of "setpar" (working directory).
Status load_minor_perturbers(MinorPerturberElements& out);

// ---- The position routine -----------------------------------------------------------

// Catalogue number of Pluto, whose own pull is switched off while it is the
// object of an integration.
inline constexpr std::int32_t kPlutoNumber = 134340;

// The date of one call: start + (index - 1) x step; index 1 starts an object.
struct EphemDate {
    double start_jd = 0.0;
    double step = 0.0;
    std::int32_t index = 1;
    double jd() const { return start_jd + (index - 1) * step; }
};

// Position of object `number` at one date in the frame, centre, observer,
// kind and form of TaskOptions.
//   number    > 0 a catalogue object (any positive number for a typed orbit);
//             <= 0 the major body BodyCode -number (0 the solar-system
//             barycentre, -3 the Earth, -11 the Moon)
//   year      package year for the yearly files (0: the year of the date)
//   data_dir  data directory for the yearly files (Nodes model)
//   out       the ten values (EphResultValues), all zero on failure
//   accuracy  1 when the position is of full accuracy: a major body from
//             the planetary ephemeris file (0 from the fallback theory); 0
//             for elliptic motion; the acceptance flag of elmnt for the
//             nodes model; 1 on the first date of an integration, unchanged
//             on its later dates; 0 when the call fails.
// Fails (accuracy 0, out zero) when the object has no elements, a file cannot
// be read, a date lies outside the ephemeris file where the integration needs
// it, or the integration fails; a failed integration leaves the integrated
// state at its last good date, so the next date can be tried again.
Status ephem(CoreState& core, std::int32_t number, const EphemDate& date, std::int32_t year, std::string_view data_dir,
             EphResultValues& out, std::int16_t& accuracy);

// ---- Working state ---------------------------------------------------------------

// What one call leaves for the next, and per-date work shared by the objects
// of one date.
struct EphemState {
    double jd = 0.0;         // date of the last call
    StateVector object{};    // heliocentric state of the object (J2000)
    StateVector sun{};       // the Sun relative to the centre (J2000)
    StateVector observer{};  // observer to geocentre (J2000)
    StateVector centre{};    // heliocentric state of a minor-object centre
    bool pluto_switched_off = false;

    // The object of the last first date: its catalogue elements and H, G are
    // read at index 1 when needed and kept for its later dates.
    std::int32_t object_number = 0;
    bool elements_valid = false;
    bool photometry_valid = false;
    ElementSet elements{};
    double h = 0.0, g = 0.0;
    // The object of the last call has H = G = 0: no magnitude is computed,
    // and the output leaves it blank.
    bool no_magnitude = false;

    // Per-date work (the Sun relative to the centre, the observer, the
    // matrices of the date), valid for one date, centre, observer and file.
    // The driver computes every object at the same dates, so the work of
    // recent dates is kept in a table of kDateSlots slots chosen by the date.
    static constexpr std::size_t kDateSlots = 1024;
    struct DateWork {
        bool valid = false;
        double jd = 0.0;
        std::int32_t centre = -1;
        bool topocentric = false;
        double site[3] = {0.0, 0.0, 0.0};
        const void* file = nullptr;
        double first_jd = 0.0, last_jd = 0.0;
        StateVector sun{};
        StateVector observer{};
        bool frames = false;  // the matrices below are set
        Mat3 np{};            // J2000 mean to true of date
        double dpsi = 0.0, deps = 0.0, eps = 0.0;
        double ut_fraction = 0.0;
    };
    std::vector<DateWork> dates;  // kDateSlots slots once used
};

// The fixed frame matrices (y = M x), column by column.
extern const Mat3 kJ2000ToB1950;
extern const Mat3 kB1950EquatorToEcliptic;
extern const Mat3 kJ2000EquatorToEcliptic;

}  // namespace zelvomat
