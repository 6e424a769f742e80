// The library's whole working state in one object.
//
// The exported functions work on one process-wide LibraryState, so that they
// keep their state between calls (a stopped task is continued from it). A
// test or a tool makes its own instance and makes it current on its thread
// with ScopedLibraryState: every routine called on that thread then reads and
// changes that instance only, and reset() returns it to a fresh library in one
// call. Configuration (the motion model, the perturbers, the package settings)
// and live state (the integrated positions and velocities, the open files,
// the caches) are members of the core part (core/corestate.h).
#pragma once

#include "core/corestate.h"
#include "tasks/idenew.h"
#include "tasks/linecheck.h"
#include "tasks/obsfiles.h"
#include "tasks/obsline.h"
#include "tasks/progr.h"

namespace zelvomat {

struct LibraryState {
    CoreState core;
    EphRunState eph_run;                       // the ephemeris run kept for a continuation
    IdRunState id_run;                         // the identification run
    LineCheckState line_check;                 // the line check's state between lines
    ObservatoryListWrites observatory_writes;  // pending writes of the observatory lists
    ParsedObservation parsed_observation;      // the observation line parsed last
    CachedObservatory cached_observatory;      // the observatory of the last line

    // A fresh library: files closed, tables and caches dropped, the motion
    // model and the runs at their defaults.
    void reset();
};

// The process-wide instance of the exported functions.
LibraryState& process_library_state();
// The instance current on this thread (the process-wide one unless a
// ScopedLibraryState says otherwise).
LibraryState& library_state();

// Makes `state` current on this thread for the life of the object.
class ScopedLibraryState {
public:
    explicit ScopedLibraryState(LibraryState& state);
    ~ScopedLibraryState();
    ScopedLibraryState(const ScopedLibraryState&) = delete;
    ScopedLibraryState& operator=(const ScopedLibraryState&) = delete;

private:
    LibraryState* previous_;
};

}  // namespace zelvomat
