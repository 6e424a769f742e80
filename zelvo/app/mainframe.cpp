#include "zelvo/app/mainframe.h"

#include <QEvent>
#include <filesystem>

#include "framework/application.h"
#include "framework/childframe.h"
#include "framework/document.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/tables.h"
#include "zelvomat/io/files.h"

namespace zelvo {

MainFrame* main_frame() {
    fw::Application* app = fw::Application::instance();
    return app != nullptr ? dynamic_cast<MainFrame*>(app->mainFrame()) : nullptr;
}

using namespace fw::ids;

fw::MenuItem window_menu() {
    return {"&Window",
            0,
            {{"&Cascade", kWindowCascade, {}}, {"&Tile", kWindowTileHorz, {}}, {"&Arrange Icons", kWindowArrange, {}}}};
}

// The main window's menu is Tasks, then Help.
std::optional<fw::MenuItem> mainHelpMenu(const fw::ResourceTables& r) {
    const auto main = r.menus.find(cmd::kMainFrame);
    if (main == r.menus.end() || main->second.size() < 2) return std::nullopt;
    return main->second.back();
}

fw::MenuLayout taskWindowMenu(const fw::ResourceTables& r, fw::MenuItem file, fw::MenuItem own) {
    return taskWindowMenu(r, std::move(file), std::vector<fw::MenuItem>{std::move(own)});
}

fw::MenuLayout taskWindowMenu(const fw::ResourceTables& r, fw::MenuItem file, std::vector<fw::MenuItem> own) {
    fw::MenuLayout menu{std::move(file)};
    const auto main = r.menus.find(cmd::kMainFrame);
    if (main != r.menus.end() && !main->second.empty()) menu.push_back(main->second.front());
    for (fw::MenuItem& m : own) menu.push_back(std::move(m));
    menu.push_back(window_menu());
    if (auto help = mainHelpMenu(r)) menu.push_back(std::move(*help));
    return menu;
}

void deleteWorkFiles(const std::string& dir) {
    for (std::string_view name : zelvomat::files::kTaskWorkFiles) {
        std::error_code ec;
        std::filesystem::remove(dir + std::string(name), ec);
    }
}

MainFrame::MainFrame(fw::Application& app, AppContext& ctx) : fw::MainFrame(app), ctx_(ctx) {
    onCommandId(kViewStatusBar, [this] { ResetStatusPanes(); });
    onCommandId(cmd::kHelpUserGuide, [this] { OnHelpUserGuide(); });
    // F1 gives the main window's help while no document window is active;
    // in a document window nothing handles it.
    onUpdateId(kHelp, [this](fw::CommandUI& ui) { ui.enable(activeChildFrame() == nullptr); });
    onCommandId(kHelp, [this] {
        if (activeChildFrame() == nullptr) OnHelpInfo();
    });
}

// The Status Bar command and the closing task windows: the single separator
// pane, unless a document window is still active, whose list keeps showing
// its "Cur" and "Num".
void MainFrame::ResetStatusPanes() { resetStatusPanes(); }

void MainFrame::OnHelpInfo() { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), help::kMainFrame, this); }

void MainFrame::OnHelpUserGuide() {
    fw::show_help(AppDirectory(ctx_) + (ctx_.CometMode ? "HTMLHelp/UserGuide/UserGidCom21/index.html"
                                                       : "HTMLHelp/UserGuide/UserGuid21/index.html"));
}

bool MainFrame::onClose() {
    // Closing the result windows during shutdown reopens no dialog.
    ctx_.EphemerisMode = false;
    ctx_.ReopenElementsTask = false;
    return fw::MainFrame::onClose();
}

void MainFrame::onDestroyWindow() {
    deleteWorkFiles(ctx_.WorkDir);
    ctx_.LineClipboard.clear();
    if (QWidget* help = fw::help_window()) help->close();
}

void MainFrame::changeEvent(QEvent* event) {
    // Taking the focus makes the main toolbar current again (without
    // reloading it).
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) ctx_.CurrentToolbarId = cmd::kMainFrame;
    fw::MainFrame::changeEvent(event);
}

}  // namespace zelvo
