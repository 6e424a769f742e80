// Command ids of the main program's menus.
#pragma once

namespace zelvo::cmd {

// Tasks menu
inline constexpr int kTasksElements = 40005;
inline constexpr int kTasksEphemerides = 32772;
inline constexpr int kTasksOc = 40003;
inline constexpr int kTasksIdentifications = 40004;
inline constexpr int kTasksPlates = 32773;
inline constexpr int kTasksTracks = 40001;
inline constexpr int kTasksOrbits = 32799;
inline constexpr int kTasksObservatories = 32823;
// Menus of the task windows
inline constexpr int kOcCalculate = 32841;             // "Ca&lculate O-C" of "&O-C" (O-C input)
inline constexpr int kOcSeparate = 40002;              // "&Separate" of "&O-C" (O-C results)
inline constexpr int kIdentificationIdentify = 32837;  // "&Identify" of "&Identification"
inline constexpr int kPlateObjectList = 32791;         // "&Object list" of "&Plate" (plate list)
inline constexpr int kPlatePlot = 32792;               // "Plot &of plate" of "&Plate" (plate list)
inline constexpr int kResultPlatePlot = 32793;         // "&Plot of plate" of "Plate" (object list, plot)
inline constexpr int kPlotObjectList = 32798;          // "&Object list" of "Plate" (plate plot)
inline constexpr int kPlateCoordinateNet = 32794;      // "&Coordinate net" of "Plate" (plate plot)
inline constexpr int kPlateDailyMotion = 32824;        // "&Daily motion" of "Plate" (plate plot)
inline constexpr int kPlateOptions = 40022;            // "O&ptions..." of "Plate" (plate plot)
inline constexpr int kObservatoriesSelect = 32771;     // "Select" of "Observatories"
inline constexpr int kObservatoriesCalculate = 32774;  // "Calculate" of "Observatories"
// Help menu
inline constexpr int kHelpHelp = 32797;
inline constexpr int kHelpUserGuide = 32825;
// Resources
inline constexpr int kMainFrame = 128;  // menu, toolbar and accelerators of the main window

}  // namespace zelvo::cmd
