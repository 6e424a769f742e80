// Ephemeris task driver: runs the task of the ephemeris set-up dialog.
//
// The task record "eph.cfg" (tasks/ephrecord.h) chooses the objects, the
// dates, the frame, the centre and observer, the output layout and the
// restrictions. The driver
//   1. reads the settings and the package files at every call (setpar,
//      orb.elm, moon.xyz, ephcorr, the planetary ephemeris file, the
//      catalogue, ngr.eff in the comets edition, empeph);
//   2. on a new run reads "eph.cfg" (and "minor" for a minor-object centre)
//      and derives the observer; a continuation keeps what the new run read;
//   3. walks the objects:
//        NUMB  catalogue numbers first .. last
//        NAME  one object by name (catalogue, then the major bodies)
//        OPPO  the objects of the yearly opposition files whose opposition
//              falls between two dates, in date order
//        LIST  the objects named by the lines of a list file
//        EELM, XXYZ  one typed orbit (elements, or position and velocity)
//        FELM, FXYZ  the typed orbits of a list file
//   4. computes every object at the dates of its blocks: one arbitrary
//      interval (ARBT: first date, last date, step), or a window of W days
//      around each opposition of a year (NOPP), through the position routine
//      (core/ephem.h), tests the restrictions (Conds) and writes the lines
//      (Outform) with the object headings and messages into "result.ep4";
//      the header "eph.hat" (task description and column headings) is
//      written by a new run;
//   5. reports progress as whole-percent increments and stops when the
//      caller's callback asks for it; called again as a continuation it walks
//      the same objects and dates, skips the dates already done and appends.
//
// Dates are Julian dates on the dynamical time scale (TT); steps in days.
//
// Progress. Each date has the share s = 100 / C / K of the run (C objects,
// K dates per block; for near-opposition blocks s = (100 / C) / (K + 8.5)
// and each block adds 11 s at its start; an object without dates adds K s).
// After the first date and after every 100th date of the call the share
// accumulated since the last report, plus the remainder kept below one,
// is sent in whole percent; a first share below one is sent as 1 and taken
// back from the next increment that reaches one. The sum sent stays at most
// 99 until the run ends; the end sends the rest to 100.
//
// Working state: EphRunState, one area (not re-entrant, one thread).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/observer.h"
#include "io/status.h"
#include "tasks/ephrecord.h"
#include "tasks/restr.h"

namespace zelvomat {

struct LibraryState;
struct CatalogueState;

// The observer of a topocentric task, as derived by a new run.
struct TaskObserver {
    bool topocentric = false;
    int mode = 0;                   // 1 code, 2 code and place, 3 lon/dxy/dz, 4 lon/lat/height
    std::int32_t observatory = -1;  // number of the code (modes 1 and 2), else -1
    std::string observatory_name;   // 50 characters (modes 1 and 2)
    double longitude_deg = 0.0;     // east
    double latitude_deg = 0.0;      // geodetic
    double height_m = 0.0;          // above the ellipsoid
    double rho_cos_phi = 0.0;       // Earth radii
    double rho_sin_phi = 0.0;       // Earth radii
    ObserverSite site;              // as the position routine reads it
};

// The state of the last ephemeris run, kept between calls for a
// continuation.
struct EphRunState {
    bool has_run = false;            // a new run has read its task record
    bool stopped = false;            // the last run was stopped by the callback: it can be continued
    std::int64_t next_record = 0;    // records of "result.ep4" written so far
    std::int64_t saved_dates = 0;    // dates done when the run was stopped
    double last_percent = 0.0;       // accumulated percentage at the last report
    std::int32_t sent = 0;           // sum of the increments sent
    std::int32_t last_callback = 0;  // the callback's last result
    std::int32_t cont = 0;
    std::int32_t interrupted = 0;
    bool heading_written = false;  // the current block's heading is written

    // What the new run read and derived.
    EphTaskRecord record;
    std::int32_t minor_centre = 0;  // catalogue number from "minor" (centre 13)
    RestrictionBlock restrictions;
    TaskObserver observer;
};

// Whole-percent progress reports (the rule above). One per call; the sent sum
// and the last percentage live in EphRunState so that a continuation goes on
// from them.
struct ProgressMeter {
    double remainder = 0.0;
    bool first_step = false;
    // The increment to report after date n (counted in this call) with the
    // accumulated percentage p, or nothing when no report is due. Updates
    // last_percent and sent.
    std::optional<int> after_date(std::int64_t n, double p, double& last_percent, std::int32_t& sent);
};

// The two description records of "eph.hat": the frame, the kind of positions
// and the motion model; the centre or the observer.
std::vector<std::string> ephemeris_description(const CatalogueState& cat, const EphTaskRecord& rec,
                                               std::int32_t minor_centre, const TaskObserver& observer);

// The observer of a task record (observer kind, mode and its fields); modes 1
// and 2 read the observatory's record of "observat.dat" in the data
// directory. Fails for a code that is not an observatory code, an observatory
// the list does not hold, or a typed value that is not a number.
Result<TaskObserver> task_observer(const EphTaskRecord& rec);

// Outcome of one call.
struct ProgrCounters {
    std::int32_t cont = 0;         // in: 0 new run, 1 continuation (low byte); out: 1 when stopped
    std::int32_t interrupted = 0;  // out: 1 stopped by the callback, 0 ended
    std::int32_t percent = 0;      // out: the sum sent, 100 after a run that ended
};

// The body of the progr export. step receives each increment; a non-zero
// result stops the run. A run that fails (a file that cannot be read or
// written, a task record that does not read, a date the position routine
// cannot compute) ends with its message: interrupted 0, no final report, and a
// new run's failed set-up leaves the state of the previous run as it was.
// Only a stopped run can be continued: a continuation of a run that ended or
// failed once it had begun is refused with a message, and writes nothing.
Status progr(LibraryState& lib, ProgrCounters& counters, const std::function<int(int)>& step);

}  // namespace zelvomat
