// The program-wide values of the main program, in one object owned by the
// application. Each group names its owner: the one that writes the values
// (the start-up, the Tasks command that opens a window, a task's commands).
// A window's own task state lives with the window (the O-C choices in
// COCView, a line edit in its LineEditSession), never here; a window that
// must not follow later changes keeps its own copy when it is created.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zelvomat/tasks/ephrecord.h"

namespace zelvo {

namespace elements {
struct ElementTaskState;
}
namespace orbit {
struct OrbitTaskState;
}

// The kind of the task window being opened (AppContext::TaskCode): it picks
// the window's caption lines (ColumnCaptionTable) and the record format of
// its lines. The ephemeris results take their kind by output and main plane
// (0 equator, 1 ecliptic, 2 horizon), the O-C results by main plane (1-3).
enum TaskCode : int {
    kTaskEphPositions = 0,         // + main plane
    kTaskEphPositionsLong = 3,     // + main plane: positions on two lines
    kTaskEphRectangular = 6,       // rectangular coordinates
    kTaskEphRates = 7,             // + main plane (0, 1): positions and their rates
    kTaskEphRectangularRates = 9,  // rectangular coordinates and velocities
    kTaskOcInput = 7,
    kTaskOcResult = 9,  // + main plane
    kTaskIdInput = 13,
    kTaskIdResult = 14,
    kTaskPlates = 15,
    kTaskPlateList = 16,
    kTaskObservatories = 17,
};

// The motion model of the O-C task and its perturbing bodies.
struct OcAccuracySettings {
    int model = 0;     // 0 elliptic motion, 1 nodes, 2 integration: the accuracy dialog's and the header's
    int runModel = 0;  // its copy, which the O-C run uses (the accuracy dialog sets both)
    // Mercury, Venus, Earth (0 off, 1 "E+M" one body, 2 "E,M" two bodies),
    // Mars, Jupiter, Saturn, Uranus, Neptune, Pluto, Ceres, Pallas, Vesta.
    std::array<int, 12> perturbers{};
    int relSun = 0;  // relativistic term of the Sun
};

// Counters of a library run that a continuation passes back unchanged:
// status (O-C: records written; negative after a stop), first and last
// input record.
struct RunCounters {
    int status = 0;
    int first = 1;
    int last = 0;
};

// The settings an O-C run was made with, which its continuation uses again.
struct OcRunSetup {
    int code = 111;  // P C E of the observations
    int model = 0;   // the motion model passed to the library
    std::array<int, 12> perturbers{};
    int relSun = 0;
};

// The counters that the ephemeris driver keeps between a stopped run and its
// continuation: continuation flag, interrupted status (1 after a stop) and
// the percentage done.
struct EphRunCounters {
    int cont = 0;
    int interrupted = 0;
    int percent = 0;
};

struct AppContext {
    // Owner: the start-up (runStartupCheck); read by every task.
    std::string ProgramDir;  // directory of the program, ending with "/"
    std::string WorkDir;     // working directory at start, ending with "/"
    std::string DataDir;     // data directory of the installation, ending with "/"
    bool CometMode = false;  // the comets edition
    std::string AppTitle = "ZELVO-21";
    std::string EpochText;       // epoch and equinox of the catalogue elements
    std::string ObservatoryDir;  // directory of the observatory list, ending with "/"
    // Owner: the element query window (cleared at start-up): the object
    // list choice carries over to the next query.
    bool ElementObjectListChosen = false;

    // Owner: the command that opens a task window; the window takes them
    // when it is made (its frame's caption bars, its record format).
    int TaskCode = 0;             // kind of task document being opened (enum TaskCode)
    std::string HeaderText;       // description of the result being opened ("\r\n" between lines)
    int ObservationTypeCode = 0;  // P x 100 + C x 10 + E of the O-C window being opened
    std::string PlateFilePath, OcFilePath, IdentFilePath, ObservatoryFilePath;
    bool EphemerisMode = false;       // the ephemeris task is current
    bool ReopenElementsTask = false;  // the element query was accepted
    // The element task: its query, the catalogue settings and the open
    // caches (made on first use).
    std::shared_ptr<elements::ElementTaskState> Elements;
    // The orbit windows: their shared scene (made on first use).
    std::shared_ptr<orbit::OrbitTaskState> Orbits;
    // Owner: the line lists' Copy and Cut (Paste empties it, the main frame
    // clears it): lines copied from one line list window to another.
    std::vector<std::string> LineClipboard;

    // Owner: Observatories|Select and the selection windows (the last to
    // close resets them). One selection is open at a time, and while it is
    // open the Edit commands of every line list are held back.
    int ObservatorySelections = 0;  // observatory selection windows open (Select is offered at 0)
    int EditCommandEnabled = 1;     // the Edit commands of the line lists (also reset by a click in a list)
    // Owner: Observatories|Select and the ephemeris set-up, each for the
    // window it opens next (the selection's title, the ephemeris result's
    // restrictions line); the window copies it when it is made.
    std::string SelectionText;

    // Owner: the line list windows (the status panes of the active one).
    // Line lists: the row chosen last in the active list and the row count
    // of the active list (the "Cur " and "Num " panes); the stacked row
    // counts of the windows that take a level (O-C results, observatory
    // selections): RowCountStack[level] is the count of the window on that
    // level, RowCountDepth the highest level taken (see takeRowCountLevel).
    int CurrentRow = 0;
    int RowCount = 0;
    int RowCountDepth = 0;
    std::array<int, 3> RowCountStack{};
    std::array<bool, 3> RowCountLevelTaken{};

    // Owner: the run commands (Calculate O-C, Identify, Continue).
    // The O-C and the identification runs keep their own counters, so
    // that continuing one never takes the other's; an O-C result window
    // takes a copy of the run that made it. OcRunSerial counts the O-C runs:
    // the work files of a run ("input.oc1", "omc.cfg", "result.oc4") are
    // that run's only until the next one starts.
    RunCounters OcRun, IdRun;
    OcRunSetup OcLastRun;
    int OcRunSerial = 0;
    int IdRunSerial = 0;      // counts the identification runs (Identify)
    int CalcInterrupted = 0;  // the last run was stopped
    int OcResultFromRun = 0;  // 1 after a calculation

    // Owner: the ephemeris set-up. Its record (1418 blanks until one is loaded), the
    // frame codes of the set-up pages, the codes the restrictions were laid
    // out for, the record format of the result lines, the whole task
    // description (its other values are below, with the result window's).
    zelvomat::EphTaskRecord EphRecord;
    std::string CoordinateCode, PlaneCode, OutputCode;
    std::string EphCodeKey;
    int RestrictionMode = 0;

    // Owner: the main frame and the plot windows with their own toolbar
    // (orbit, track, plate plot) as they become active.
    int CurrentToolbarId = 128;  // toolbar held by the main frame's toolbar

    // Owner: the ephemeris set-up's typed orbit (the O-C windows keep their
    // own in OcChoices).
    bool OrbitAsElements = true;  // elements (true) or coordinates and velocities
    std::string OrbitListFile;    // the user's list of orbits, 80 characters

    // Owner: the ephemeris set-up; its result window takes them when it
    // opens.
    int EphFormatKey = 10;     // record format of the result lines
    std::string TaskInfoText;  // the task description ("\r\n" between lines)
    EphRunCounters EphRun;     // counters of the last ephemeris run
    // Bumped by every run of a task driver (ephemeris, O-C, identification,
    // plate search): a stopped ephemeris can be continued only while the
    // library still holds its run.
    int LibraryTaskSerial = 0;
    // Registered by the ephemeris set-up: reopens it after its result
    // window has gone (while EphemerisMode is set).
    std::function<void()> ReopenEphemerisTask;
};

// A new window takes the lowest free level 1 or 2 of the row-count stack
// (level 0 is the observatory list's, see takeRowCountLevel(ctx, 0));
// -1 when both are taken (the window then keeps its count to itself, and no
// other window's count is overwritten). RowCountDepth becomes the highest
// level taken.
int takeRowCountLevel(AppContext& ctx);
// Takes level (0..2) whether free or not: the observatory list's level 0.
int takeRowCountLevel(AppContext& ctx, int level);
// The window on level (-1: none) has closed.
void releaseRowCountLevel(AppContext& ctx, int level);
// Stores a window's count on its level (nothing for -1).
void set_row_count(AppContext& ctx, int level, int count);

}  // namespace zelvo
