// The MDI main frame: a QMainWindow around a QMdiArea, with the menu of the
// active document's template (the frame's own menu while no document window
// is active), a toolbar loaded from the resource tables, accelerators, and a
// status bar whose panes follow a StatusPanes set. Commands from menus,
// toolbar and accelerators go to the application's router.
//
// The document windows behave as in every multiple-document program: their
// titles are made unique with ":1", ":2", the menu that holds the window
// commands ends with the numbered list of the open windows (a check at the
// active one), Cascade, Tile and Arrange Icons fill the area, Ctrl+F6 and
// Ctrl+Shift+F6 go to the next and the previous window, and the title bar
// shows the program's title with the active window's.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <map>
#include <vector>

#include "command.h"
#include "mdiwindows.h"
#include "resources.h"
#include "statuspanes.h"

class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class QAction;
class QMenu;

namespace fw {

class Application;
class ChildFrame;

class MainFrame : public QMainWindow, public CommandTarget {
public:
    explicit MainFrame(Application& app);
    ~MainFrame() override;

    // Builds the frame from the resources of id: menu, accelerators, the
    // toolbar (hidden until shown) and the status bar with the single
    // separator pane; then onCreate(). False when something is missing.
    bool loadFrame(int resourceId);

    Application& app() const { return app_; }
    QMdiArea* mdiArea() const { return mdi_; }
    // The active document window; null when the main frame is its own
    // active frame.
    ChildFrame* activeChildFrame() const;
    // The open document windows in opening order (windows that are closing
    // no longer count).
    std::vector<ChildFrame*> childFrames() const;
    // Shows a new document window, maximised and active; it keeps the
    // status panes in force now as its own.
    void addChildFrame(ChildFrame* frame);

    // The program's title; the window's title adds the active document
    // window's title: "title - [result.ep4:2]".
    void setAppTitle(const QString& title);
    const QString& appTitle() const { return appTitle_; }
    // Renumbers the document windows' titles and updates the main title.
    void updateFrameTitles();

    // The window commands (also reached through the command ids).
    void cascadeWindows();
    void tileWindows();
    void arrangeIcons();
    void activateNextWindow();
    void activatePreviousWindow();
    // The menu that holds the window commands (null when the menu shown has
    // none), and the window list it ends with now.
    QMenu* windowMenu() const { return windowMenu_; }
    std::vector<WindowMenuEntry> windowMenuEntries() const;

    // Puts the menu of resource id in the menu bar (no change when it is
    // already there); false when there is no such menu.
    bool setMenuResource(int id);
    int menuResource() const { return menuId_; }
    QAction* action(int commandId) const;
    const std::vector<QAction*>& menuActions() const { return menuActions_; }

    // Loads toolbar id into the frame's toolbar; false when there is none.
    bool loadToolBar(int id);
    int toolBarResource() const { return toolbarId_; }
    QToolBar* toolBar() const { return toolbar_; }

    // Replaces the status panes (see StatusPanes::setIndicators).
    bool setIndicators(const std::vector<int>& ids);
    // The panes of the active document window, or the single separator
    // pane while none is active.
    void resetStatusPanes();
    const StatusPanes& statusPanes() const { return panes_; }
    // The text a pane shows; empty when absent.
    QString paneText(int id) const;
    // Puts a text (Windows-1252 bytes) in the first pane, the stretching
    // one, where it stays until the next text.
    void setMessageText(const std::string& text);

    // Asks the router for the state of the toolbar buttons and status panes
    // and shows it (idle time), and of the menu's items (before it opens).
    void updateCommandUI();
    void updateMenuUI();

    // Closes every document window; false when one refused.
    bool closeAllDocuments();
    // A document window is being destroyed (its view still exists).
    void childFrameGoing(ChildFrame* frame);

protected:
    // After the frame's resources are loaded; false fails loadFrame.
    virtual bool onCreate() { return true; }
    // The user closes the main window: the default closes the documents;
    // false keeps the window open.
    virtual bool onClose();
    // The user closes the main window while a library run is in progress:
    // the default asks whether to stop the run; the window stays open either
    // way (it can be closed once the run has ended).
    virtual void onCloseWhileBusy();
    // The window is going (after onClose accepted): last clean-up.
    virtual void onDestroyWindow() {}
    // A document window became active (null: none is).
    virtual void onActivateChild(ChildFrame* frame);

    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu(QMenu* into, const std::vector<MenuItem>& items);
    QAction* commandAction(int id, const QString& text);
    void rebuildPaneWidgets();
    void applyAccelerators();
    void fillWindowList();
    void chooseMoreWindows();
    // The document windows that are not minimised, and the area they share
    // (above a row of minimised windows).
    std::vector<ChildFrame*> arrangeableFrames() const;
    QRect arrangeArea();

    Application& app_;
    QMdiArea* mdi_;
    QToolBar* toolbar_ = nullptr;
    int frameId_ = 0;
    int menuId_ = 0;
    int toolbarId_ = 0;
    std::vector<QAction*> menuActions_;
    std::vector<QAction*> toolActions_;
    std::vector<QAction*> accelActions_;
    StatusPanes panes_;
    QPointer<ChildFrame> activeChild_;
    std::vector<std::pair<int, QLabel*>> paneLabels_;
    bool destroyed_ = false;
    QString appTitle_;
    QMenu* windowMenu_ = nullptr;
    std::vector<QAction*> windowListActions_;
};

}  // namespace fw
