#include "zelvo/shell/mainmenus.h"

#include "framework/ids.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/graphics/plottoolbars.h"

namespace zelvo {

using namespace fw::ids;

void addMainResources(fw::ResourceTables& r) {
    const fw::MenuItem tasks{"Tasks",
                             0,
                             {{"Elements", cmd::kTasksElements, {}},
                              {"Ephemerides", cmd::kTasksEphemerides, {}},
                              {"O - C", cmd::kTasksOc, {}},
                              {"Identifications", cmd::kTasksIdentifications, {}},
                              {"Plates", cmd::kTasksPlates, {}},
                              {"Tracks", cmd::kTasksTracks, {}},
                              {"Orbits", cmd::kTasksOrbits, {}},
                              {"Observatories", cmd::kTasksObservatories, {}}}};
    const fw::MenuItem help{"&Help",
                            0,
                            {{"Help", cmd::kHelpHelp, {}},
                             {"User Guide", cmd::kHelpUserGuide, {}},
                             {},
                             {"&About ZELVO...", kAppAbout, {}}}};
    const fw::MenuItem window = window_menu();
    r.menus[cmd::kMainFrame] = {tasks, help};
    // The menus of the task windows: the Tasks menu, the window's own
    // commands, the windows and help.
    r.menus[167] = {tasks, {"&O-C", 0, {{"Ca&lculate O-C", cmd::kOcCalculate, {}}}}, window, help};
    r.menus[165] = {tasks, {"&O-C", 0, {{"&Separate", cmd::kOcSeparate, {}}}}, window, help};
    r.menus[168] = {tasks, {"&Identification", 0, {{"&Identify", cmd::kIdentificationIdentify, {}}}}, window, help};
    const fw::MenuItem plotFile{"&File",
                                0,
                                {{"Save &As...", kFileSaveAs, {}},
                                 {"&Print...\tCtrl+P", kFilePrint, {}},
                                 {"Print Pre&view", kFilePrintPreview, {}},
                                 {"P&rint Setup...", kFilePrintSetup, {}}}};
    r.menus[148] = {plotFile,
                    tasks,
                    {"Plate",
                     0,
                     {{"&Object list", cmd::kPlotObjectList, {}},
                      {"&Coordinate net", cmd::kPlateCoordinateNet, {}},
                      {"&Daily motion", cmd::kPlateDailyMotion, {}},
                      {"O&ptions...", cmd::kPlateOptions, {}}}},
                    window,
                    help};
    r.menus[129] = {tasks,
                    {"Observatories",
                     0,
                     {{"Select", cmd::kObservatoriesSelect, {}}, {"Calculate", cmd::kObservatoriesCalculate, {}}}},
                    window,
                    help};
    r.toolbars[cmd::kMainFrame] = {{kFileNew, "New"},     {kFileOpen, "Open"}, {kFileSave, "Save"},   {0, ""},
                                   {kEditCut, "Cut"},     {kEditCopy, "Copy"}, {kEditPaste, "Paste"}, {0, ""},
                                   {kFilePrint, "Print"}, {kAppAbout, "About"}};
    addPlotToolbars(r);
    r.accelerators[cmd::kMainFrame] = {
        {"Ctrl+N", kFileNew},  {"Ctrl+O", kFileOpen},        {"Ctrl+S", kFileSaveAs}, {"Ctrl+P", kFilePrint},
        {"Ctrl+Z", kEditUndo}, {"Alt+Backspace", kEditUndo}, {"Ctrl+X", kEditCut},    {"Shift+Del", kEditCut},
        {"Ctrl+C", kEditCopy}, {"Ctrl+Ins", kEditCopy},      {"Ctrl+V", kEditPaste},  {"Shift+Ins", kEditPaste},
        {"F6", kNextPane},     {"Shift+F6", kPrevPane},      {"F1", kHelp},
    };
    // The panes are as wide as these strings.
    r.strings[kIndicatorExt] = std::string(35, ' ');
    r.strings[kIndicatorCaps] = std::string(22, ' ');
    r.strings[kIndicatorNum] = std::string(35, ' ');
    r.strings[kIndicatorScrl] = "SCRL";
    r.strings[kIndicatorOvr] = std::string(122, ' ');
    r.strings[kIndicatorRec] = std::string(22, ' ');
}

}  // namespace zelvo
