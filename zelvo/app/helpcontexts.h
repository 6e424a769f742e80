// Help contexts of the program's windows and dialogs. A window or dialog
// answers F1 by opening the program's help book at 0x20000 plus its resource
// id: a view at the id of its document template, a page of a paged dialog at
// its own page id, the orbit input dialog at the Object(s) page's context.
// The book holds a page "ctx<context in hex>.html" for every context listed
// in kHelpContexts (the help tests check both editions' books against it).
#pragma once

namespace zelvo::help {

inline constexpr unsigned kBase = 0x20000;
constexpr unsigned context(unsigned resourceId) { return kBase + resourceId; }

inline constexpr unsigned kElementList = context(104);        // element list window (template "Elements")
inline constexpr unsigned kElementQuery = context(107);       // "Select elements"
inline constexpr unsigned kObservatorySearch = context(124);  // "Search of observatory"
inline constexpr unsigned kTaskInfo = context(126);           // "Task Info" of the ephemeris window
inline constexpr unsigned kMainFrame = context(128);          // the main window (no task window active)
inline constexpr unsigned kObjectPage = context(132);         // "Object(s)" page and the orbit input dialog
inline constexpr unsigned kCoordinatesPage = context(133);    // "Coordinates" page
inline constexpr unsigned kPlanePage = context(134);          // "Main plane" page
inline constexpr unsigned kCentrePage = context(135);         // "Center (observer)" page
inline constexpr unsigned kIntervalPage = context(137);       // "Interval" page
inline constexpr unsigned kOutputPage = context(139);         // "Output format" page
inline constexpr unsigned kRestrictionsPage = context(140);   // "Restrictions" page
inline constexpr unsigned kEphemerisSetup = context(141);     // "Ephemerides" set-up dialog (its tree)
inline constexpr unsigned kDescriptionPage = context(142);    // "Task description" page
inline constexpr unsigned kEphemerisView = context(147);      // ephemeris result window (template "Eph")
inline constexpr unsigned kStringEditor = context(156);       // "String Editor"
inline constexpr unsigned kAccuracyPage = context(181);       // accuracy page (set-up dialog and accuracy dialog)
inline constexpr unsigned kAccuracyDialog = context(182);     // "Calculation accuracy" dialog (its tree)
inline constexpr unsigned kHistElement = context(109);        // "Select element" of the histogram
inline constexpr unsigned kHistLimits = context(111);         // "Limits" of the histogram
inline constexpr unsigned kHistogramView = context(112);      // histogram window (template "Histogram")
inline constexpr unsigned kDistAxes = context(113);           // "Distribution: select elements."
inline constexpr unsigned kDistributionView = context(115);   // distribution window (template "Distribution")
inline constexpr unsigned kDistLimits = context(116);         // "Distribution: set Min/Max"
inline constexpr unsigned kOrbitScale = context(102);         // "Select scale" of the orbit window
inline constexpr unsigned kOrbitView = context(151);          // orbit window (template "Orb")
inline constexpr unsigned kOrbitInput = context(154);         // "Input Data" of the orbit window
inline constexpr unsigned kTrackView = context(158);          // track window (template "Trace")
inline constexpr unsigned kTrackInput = context(155);         // "Input Data (Track task)"
inline constexpr unsigned kTrackScale = context(157);         // "Scale Change"
inline constexpr unsigned kTrackStep = context(121);          // "Step Change" (the page of the track's colours)
// The observation tasks.
inline constexpr unsigned kObservationType = context(101);    // "Observation type"
inline constexpr unsigned kPlateMagnitude = context(108);     // "Magnitude" of a plate search
inline constexpr unsigned kPlateObjectList = context(110);    // plate object list (template "PlaLT")
inline constexpr unsigned kObservatoryList = context(129);    // observatory list window (template "Observ1")
inline constexpr unsigned kObservatoryChoice = context(131);  // "Data retrieval from Observatory list"
inline constexpr unsigned kParallaxCalc = context(136);       // "Calculation" of parallax constants
inline constexpr unsigned kPlateReport = context(145);        // plate object report (template "PlaLi")
inline constexpr unsigned kPlateList = context(146);          // plate list window (template "UltPla")
inline constexpr unsigned kPlatePlot = context(148);          // plate plot (template "Pict")
inline constexpr unsigned kObjectInfo = context(150);         // "Object Info" of the plate plot
inline constexpr unsigned kTolerance = context(163);          // "Tolerance" of an identification
inline constexpr unsigned kIdResult = context(164);           // identification result window (template "IndRes")
inline constexpr unsigned kOcResult = context(165);           // O-C result window (template "OCRes")
inline constexpr unsigned kSeparation = context(166);         // "Separation Dialogue"
inline constexpr unsigned kOcInput = context(167);            // O-C input window (template "OC")
inline constexpr unsigned kIdInput = context(168);            // identification input window (template "Indent")
inline constexpr unsigned kOrbitParameters = context(183);    // "Orbit parameters" of the O-C task
// The colours and fonts of the plots (the track's shares the Step Change page).
inline constexpr unsigned kPlateColors = context(122);  // "Plate: Colors and Fonts"
inline constexpr unsigned kOrbitColors = context(123);  // "Orbit: Colors and Fonts"
inline constexpr unsigned kTraceColors = kTrackStep;    // "Trace: Colors and Fonts"
inline constexpr unsigned kHistColors = context(179);   // "Histogram: Colors and Fonts"
inline constexpr unsigned kDistColors = context(180);   // "Distribution: Colors and Fonts"

// Every context the program asks for.
inline constexpr unsigned kHelpContexts[] = {
    kElementList,     kElementQuery,    kObservatorySearch, kTaskInfo,        kMainFrame,        kObjectPage,
    kCoordinatesPage, kPlanePage,       kCentrePage,        kIntervalPage,    kOutputPage,       kRestrictionsPage,
    kEphemerisSetup,  kDescriptionPage, kEphemerisView,     kStringEditor,    kAccuracyPage,     kAccuracyDialog,
    kHistElement,     kHistLimits,      kHistogramView,     kDistAxes,        kDistributionView, kDistLimits,
    kOrbitScale,      kOrbitView,       kOrbitInput,        kTrackView,       kTrackInput,       kTrackScale,
    kTrackStep,       kObservationType, kPlateMagnitude,    kPlateObjectList, kObservatoryList,  kObservatoryChoice,
    kParallaxCalc,    kPlateReport,     kPlateList,         kPlatePlot,       kObjectInfo,       kTolerance,
    kIdResult,        kOcResult,        kSeparation,        kOcInput,         kIdInput,          kOrbitParameters,
    kPlateColors,     kOrbitColors,     kHistColors,        kDistColors,
};

}  // namespace zelvo::help
