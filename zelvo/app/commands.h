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
// Help menu
inline constexpr int kHelpHelp = 32797;
inline constexpr int kHelpUserGuide = 32825;
// Resources
inline constexpr int kMainFrame = 128;  // menu, toolbar and accelerators of the main window
inline constexpr unsigned kHelpContextBase = 0x20000;  // context of a window: base + its resource id

}  // namespace zelvo::cmd
