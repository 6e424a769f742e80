// The main window of the program: its menu, hidden toolbar and status bar,
// the help commands, and the shutdown that deletes the task work files.
#pragma once

#include <optional>
#include <string>

#include "framework/mainframe.h"
#include "zelvo/app/context.h"

namespace zelvo {

// The Window menu of the main window and of every task window.
fw::MenuItem window_menu();
// The main window's Help menu; none before addMainResources has run.
std::optional<fw::MenuItem> mainHelpMenu(const fw::ResourceTables& r);
// A task window's menu: its File menu, the main window's Tasks menu, its
// own menu, Window and the main window's Help.
fw::MenuLayout taskWindowMenu(const fw::ResourceTables& r, fw::MenuItem file, fw::MenuItem own);
// The same with more menus of the window's own between Tasks and Window.
fw::MenuLayout taskWindowMenu(const fw::ResourceTables& r, fw::MenuItem file, std::vector<fw::MenuItem> own);

// Deletes the task work files from dir (ending with "/"); missing files are
// skipped silently.
void deleteWorkFiles(const std::string& dir);

class MainFrame;
// The program's main frame: null without an application or before its
// frame is made (tests that show a window by itself).
MainFrame* main_frame();

class MainFrame : public fw::MainFrame {
public:
    MainFrame(fw::Application& app, AppContext& ctx);

    // The status bar gets the single separator pane again, or the panes of
    // the document window that is still active.
    void ResetStatusPanes();
    // Help of the main window (context 0x20080).
    void OnHelpInfo();
    void OnHelpUserGuide();

protected:
    bool onClose() override;
    void onDestroyWindow() override;
    void changeEvent(QEvent* event) override;

private:
    AppContext& ctx_;
};

}  // namespace zelvo
