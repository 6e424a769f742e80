// The resources of the main window and of the task windows' menus: the
// Tasks and Help menus, the toolbars and the accelerators.
#pragma once

#include "framework/resources.h"

namespace zelvo {

// The resource tables of the main window (menu, toolbar and accelerators
// 128, the strings of the status panes).
void addMainResources(fw::ResourceTables& r);

}  // namespace zelvo
