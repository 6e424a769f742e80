// The working state of the library's core: every file it holds open, every
// table it has loaded, the motion model and the live integration, and the
// caches of the position routines. One CoreState is part of each
// LibraryState (tasks/libstate.h); core_state() reaches the one current on
// the calling thread.
#pragma once

#include "core/catalog.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/elemcache.h"
#include "core/ephem.h"
#include "core/ephem2.h"
#include "core/fallback.h"
#include "core/force.h"
#include "core/observer.h"
#include "core/setpar.h"
#include "core/track.h"

namespace zelvomat {

struct CoreState {
    DeState de;                               // the planetary ephemeris file, its span and the requests of its readers
    DeCopies de_copies;                       // the two readers' own records and states
    BodyTable body_table;                     // the states the force models read
    DataPaths data_paths;                     // paths of the settings: data directory, ephemeris file
    PackageInfo package;                      // the package settings: span, epoch, edition
    DeltaTTable delta_t;                      // the Delta T table of "ephcorr"
    CatalogueState catalogue;                 // the open catalogue files and their counts
    ElementCache element_cache;               // the yearly element files and the sets read from them
    MotionConfig motion;                      // the motion model: model, perturbers, switches, typed orbit
    LiveIntegration integration;              // the running integration: time, accuracy flag, positions, velocities
    IntegratedBodies integrated_bodies;       // bodies at the head of the integration vector
    CometNongrav comet_nongrav;               // nongravitational parameters of a comet
    MinorPerturberElements minor_perturbers;  // elements of the perturbing minor planets
    TaskOptions task_options;                 // the frame, output and centre of the task
    CentreObject centre_object;               // a minor object as the centre
    EphemState ephem;                         // per-object and per-date caches of the position routine
    ObserverSite observer_site;               // the observer of the task or observation line
    PlanetElements planet_elements;           // the fallback theory's planet elements
    MoonSeries moon_series;                   // the Moon series of "moon.xyz"
    TrackStorage track;                       // the fitted tracks of the track view
    Ephem2Integration ephem2_integration;     // the integrated orbits of the directions by number
};

// The core state of the LibraryState current on this thread.
CoreState& core_state();

}  // namespace zelvomat
