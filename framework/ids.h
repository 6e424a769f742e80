// Command and control ids shared by the whole program.
//
// A menu item, a toolbar button, an accelerator and an update handler meet on
// one id; the standard commands have fixed numbers that the menus, toolbars
// and accelerator tables of every window share.
#pragma once

namespace fw::ids {

inline constexpr int kSeparator = 0;  // the stretching pane of a status bar

// File
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintPreview = 57609;
// Edit
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
// Window
inline constexpr int kWindowArrange = 57649;
inline constexpr int kWindowCascade = 57650;
inline constexpr int kWindowTileHorz = 57651;
inline constexpr int kWindowTileVert = 57652;
// Application
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kHelp = 57670;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
// Status bar panes (indicators)
inline constexpr int kIndicatorExt = 59137;
inline constexpr int kIndicatorCaps = 59138;
inline constexpr int kIndicatorNum = 59139;
inline constexpr int kIndicatorScrl = 59140;
inline constexpr int kIndicatorOvr = 59141;
inline constexpr int kIndicatorRec = 59142;
// View
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;

}  // namespace fw::ids
