// The toolbars that the plot windows load into the main frame: 151 of the
// orbit view and 158 of the track view (the plate plot, the histogram and
// the distribution load the main window's 128), with button pictures drawn
// by the program.
#pragma once

#include "framework/resources.h"

namespace zelvo {

namespace cmd {
inline constexpr int kOrbitToolbar = 151;  // toolbar (and menu) of the orbit view
inline constexpr int kTraceToolbar = 158;  // toolbar (and menu) of the track view
// Buttons of the orbit view's toolbar.
inline constexpr int kOrbitBackMotion = 32822;
inline constexpr int kOrbitVelocityMinus = 32811;
inline constexpr int kOrbitVelocityPlus = 32812;
inline constexpr int kOrbitLongitudeMinus = 32813;
inline constexpr int kOrbitLongitudePlus = 32814;
inline constexpr int kOrbitLatitudeMinus = 32815;
inline constexpr int kOrbitLatitudePlus = 32816;
inline constexpr int kOrbitScaleMinus = 32787;
inline constexpr int kOrbitScalePlus = 32818;
inline constexpr int kOrbitStop = 32819;
// Buttons of the track view's toolbar.
inline constexpr int kTraceChangeScale = 32828;
inline constexpr int kTraceShowSun = 32829;
inline constexpr int kTraceShowMoon = 32830;
inline constexpr int kTraceTimeBackward = 32831;
inline constexpr int kTraceTimeForward = 32832;
}  // namespace cmd

// Adds toolbars 151 and 158 to the program's resources and registers the
// pictures of their buttons.
void addPlotToolbars(fw::ResourceTables& r);

}  // namespace zelvo
