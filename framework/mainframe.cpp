#include "mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "application.h"
#include "childframe.h"
#include "cp1252.h"
#include "doctemplate.h"
#include "document.h"
#include "ids.h"
#include "messages.h"
#include "progress.h"
#include "toolicons.h"
#include "view.h"

namespace fw {

namespace {
bool is_window_command(int id) {
    return id == ids::kWindowArrange || id == ids::kWindowCascade || id == ids::kWindowTileHorz ||
           id == ids::kWindowTileVert;
}

// The popup that holds the window commands ends with the window list.
bool holds_window_commands(const std::vector<MenuItem>& items) {
    return std::any_of(items.begin(), items.end(), [](const MenuItem& it) { return is_window_command(it.id); });
}
}  // namespace

MainFrame::MainFrame(Application& app) : app_(app), mdi_(new QMdiArea(this)), panes_(&app.resources().strings) {
    setCentralWidget(mdi_);
    mdi_->setViewMode(QMdiArea::SubWindowView);
    mdi_->setActivationOrder(QMdiArea::CreationOrder);
    QObject::connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        auto* f = dynamic_cast<ChildFrame*>(w);
        onActivateChild(f != nullptr && !f->closing() ? f : nullptr);
    });
    onCommandId(ids::kWindowCascade, [this] { cascadeWindows(); });
    onCommandId(ids::kWindowTileHorz, [this] { tileWindows(); });
    onCommandId(ids::kWindowTileVert, [this] { tileWindows(); });
    onCommandId(ids::kWindowArrange, [this] { arrangeIcons(); });
    // The keys of every multiple-document program for the next and the
    // previous document window.
    const std::pair<const char*, void (MainFrame::*)()> keys[] = {
        {"Ctrl+F6", &MainFrame::activateNextWindow}, {"Ctrl+Shift+F6", &MainFrame::activatePreviousWindow}};
    for (const auto& [key, go] : keys) {
        auto* a = new QAction(this);
        a->setShortcut(QKeySequence(QString::fromUtf8(key)));
        a->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(a, &QAction::triggered, this, [this, go = go] { (this->*go)(); });
        addAction(a);
    }
}

MainFrame::~MainFrame() {
    // Child frames hold documents that refer to the templates: close them
    // while everything is still there.
    for (ChildFrame* f : childFrames()) delete f;
}

bool MainFrame::loadFrame(int resourceId) {
    frameId_ = resourceId;
    if (!setMenuResource(resourceId)) return false;
    applyAccelerators();
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(true);
    if (!loadToolBar(resourceId)) return false;
    toolbar_->hide();
    if (!setIndicators({ids::kSeparator})) return false;
    return onCreate();
}

ChildFrame* MainFrame::activeChildFrame() const { return dynamic_cast<ChildFrame*>(mdi_->activeSubWindow()); }

std::vector<ChildFrame*> MainFrame::childFrames() const {
    std::vector<ChildFrame*> out;
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (auto* f = dynamic_cast<ChildFrame*>(w); f != nullptr && !f->closing()) out.push_back(f);
    return out;
}

void MainFrame::addChildFrame(ChildFrame* frame) {
    frame->setPaneIds(panes_.ids());
    mdi_->addSubWindow(frame);
    updateFrameTitles();
    frame->showMaximized();
    mdi_->setActiveSubWindow(frame);
}

void MainFrame::setAppTitle(const QString& title) {
    appTitle_ = title;
    updateFrameTitles();
}

void MainFrame::updateFrameTitles() {
    const std::vector<ChildFrame*> frames = childFrames();
    std::vector<std::string> base;
    for (ChildFrame* f : frames) base.push_back(f->baseTitle());
    const std::vector<std::string> titles = unique_titles(base);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QString t = QString::fromStdString(titles[i]);
        if (frames[i]->windowTitle() != t) frames[i]->setWindowTitle(t);
    }
    QString title = appTitle_;
    if (ChildFrame* active = activeChildFrame(); active != nullptr && !active->closing())
        title += QStringLiteral(" - [") + active->windowTitle() + QStringLiteral("]");
    if (!appTitle_.isEmpty() && windowTitle() != title) setWindowTitle(title);
}

std::vector<WindowMenuEntry> MainFrame::windowMenuEntries() const {
    const std::vector<ChildFrame*> frames = childFrames();
    std::vector<std::string> titles;
    int active = -1;
    for (ChildFrame* f : frames) {
        if (f == activeChildFrame()) active = static_cast<int>(titles.size());
        titles.push_back(f->windowTitle().toStdString());
    }
    return window_menu_entries(titles, active);
}

void MainFrame::fillWindowList() {
    if (windowMenu_ == nullptr) return;
    updateFrameTitles();
    for (QAction* a : windowListActions_) {
        windowMenu_->removeAction(a);
        delete a;
    }
    windowListActions_.clear();
    const std::vector<ChildFrame*> frames = childFrames();
    const std::vector<WindowMenuEntry> entries = windowMenuEntries();
    if (entries.empty()) return;
    windowListActions_.push_back(windowMenu_->addSeparator());
    for (const WindowMenuEntry& e : entries) {
        QAction* a = windowMenu_->addAction(QString::fromStdString(e.text));
        a->setCheckable(e.checked);
        a->setChecked(e.checked);
        if (e.window < 0) {
            QObject::connect(a, &QAction::triggered, this, [this] { chooseMoreWindows(); });
        } else {
            QPointer<ChildFrame> f = frames[static_cast<std::size_t>(e.window)];
            QObject::connect(a, &QAction::triggered, this, [this, f] {
                if (f.isNull()) return;
                if (f->isMinimized()) f->showNormal();
                mdi_->setActiveSubWindow(f.data());
            });
        }
        windowListActions_.push_back(a);
    }
}

void MainFrame::chooseMoreWindows() {
    const std::vector<ChildFrame*> frames = childFrames();
    QStringList titles;
    int active = 0;
    for (ChildFrame* f : frames) {
        if (f == activeChildFrame()) active = static_cast<int>(titles.size());
        titles << f->windowTitle();
    }
    bool ok = false;
    const QString pick = QInputDialog::getItem(this, QStringLiteral("Select Window"), QStringLiteral("Select &window:"),
                                               titles, active, false, &ok);
    const auto i = titles.indexOf(pick);
    if (!ok || i < 0) return;
    ChildFrame* f = frames[static_cast<std::size_t>(i)];
    if (f->isMinimized()) f->showNormal();
    mdi_->setActiveSubWindow(f);
}

std::vector<ChildFrame*> MainFrame::arrangeableFrames() const {
    std::vector<ChildFrame*> out;
    for (ChildFrame* f : childFrames())
        if (f->isVisible() && !f->isMinimized()) out.push_back(f);
    return out;
}

QRect MainFrame::arrangeArea() {
    // The minimised windows go to the bottom row first; the others share
    // the area above them.
    arrangeIcons();
    QRect area = mdi_->viewport()->rect();
    int top = area.bottom() + 1;
    for (ChildFrame* f : childFrames())
        if (f->isMinimized()) top = std::min(top, f->geometry().top());
    area.setBottom(top - 1);
    return area;
}

void MainFrame::cascadeWindows() {
    std::vector<ChildFrame*> frames = arrangeableFrames();
    // The active window ends in front.
    ChildFrame* active = activeChildFrame();
    if (auto it = std::find(frames.begin(), frames.end(), active); it != frames.end()) {
        frames.erase(it);
        frames.push_back(active);
    }
    const QRect area = arrangeArea();
    int step = 0;
    if (!frames.empty())
        step = frames.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frames.front());
    const std::vector<QRect> places = cascade_layout(static_cast<int>(frames.size()), area, std::max(step, 18));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i]->showNormal();
        frames[i]->setGeometry(places[i]);
        frames[i]->raise();
    }
    if (active != nullptr) mdi_->setActiveSubWindow(active);
}

void MainFrame::tileWindows() {
    const std::vector<ChildFrame*> frames = arrangeableFrames();
    ChildFrame* active = activeChildFrame();
    const std::vector<QRect> places = tile_layout(static_cast<int>(frames.size()), arrangeArea());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i]->showNormal();
        frames[i]->setGeometry(places[i]);
    }
    if (active != nullptr) mdi_->setActiveSubWindow(active);
}

void MainFrame::arrangeIcons() {
    std::vector<ChildFrame*> icons;
    QSize size;
    for (ChildFrame* f : childFrames())
        if (f->isMinimized()) {
            icons.push_back(f);
            size = size.expandedTo(f->size());
        }
    const std::vector<QPoint> places = icon_positions(static_cast<int>(icons.size()), mdi_->viewport()->rect(), size);
    for (std::size_t i = 0; i < icons.size(); ++i) icons[i]->move(places[i]);
}

void MainFrame::activateNextWindow() { mdi_->activateNextSubWindow(); }

void MainFrame::activatePreviousWindow() { mdi_->activatePreviousSubWindow(); }

QAction* MainFrame::commandAction(int id, const QString& text) {
    auto* a = new QAction(text, this);
    a->setData(id);
    QObject::connect(a, &QAction::triggered, this, [this, id] {
        if (app_.queryCommand(id).enabled) app_.routeCommand(id);
    });
    return a;
}

void MainFrame::buildMenu(QMenu* into, const std::vector<MenuItem>& items) {
    // into null: the popups of the menu bar.
    for (const MenuItem& it : items) {
        if (it.isSeparator()) {
            if (into != nullptr) into->addSeparator();
        } else if (into == nullptr && !it.isPopup() && it.id != 0) {
            // A command of its own on the menu bar ("&Options" of a plot).
            QAction* a = commandAction(it.id, QString::fromStdString(it.text));
            menuBar()->addAction(a);
            menuActions_.push_back(a);
        } else if (it.isPopup() || into == nullptr) {
            QMenu* sub = into != nullptr ? into->addMenu(QString::fromStdString(it.text))
                                         : menuBar()->addMenu(QString::fromStdString(it.text));
            QObject::connect(sub, &QMenu::aboutToShow, this, [this] { updateMenuUI(); });
            buildMenu(sub, it.items);
            if (holds_window_commands(it.items)) {
                windowMenu_ = sub;
                QObject::connect(sub, &QMenu::aboutToShow, this, [this] { fillWindowList(); });
            }
        } else {
            QAction* a = commandAction(it.id, QString::fromStdString(it.text));
            into->addAction(a);
            menuActions_.push_back(a);
        }
    }
}

bool MainFrame::setMenuResource(int id) {
    if (id == menuId_) return true;
    auto it = app_.resources().menus.find(id);
    if (it == app_.resources().menus.end()) return false;
    menuId_ = id;
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QAction* a : menuActions_) a->deleteLater();
    menuActions_.clear();
    windowMenu_ = nullptr;
    windowListActions_.clear();
    buildMenu(nullptr, it->second);
    return true;
}

QAction* MainFrame::action(int commandId) const {
    for (QAction* a : menuActions_)
        if (a->data().toInt() == commandId) return a;
    return nullptr;
}

void MainFrame::applyAccelerators() {
    auto it = app_.resources().accelerators.find(frameId_);
    if (it == app_.resources().accelerators.end()) return;
    std::map<int, QList<QKeySequence>> keys;
    for (const Accelerator& a : it->second)
        keys[a.id].append(QKeySequence::fromString(QString::fromStdString(a.keys), QKeySequence::PortableText));
    for (auto& [id, seqs] : keys) {
        QAction* a = commandAction(id, QString());
        a->setShortcuts(seqs);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        accelActions_.push_back(a);
    }
}

bool MainFrame::loadToolBar(int id) {
    auto it = app_.resources().toolbars.find(id);
    if (it == app_.resources().toolbars.end() || toolbar_ == nullptr) return false;
    toolbar_->clear();
    for (QAction* a : toolActions_) a->deleteLater();
    toolActions_.clear();
    for (const ToolButton& b : it->second) {
        if (b.id == 0) {
            toolbar_->addSeparator();
            continue;
        }
        QAction* a = commandAction(b.id, QString::fromStdString(b.tip));
        a->setIcon(tool_icon(b.id));
        a->setToolTip(QString::fromStdString(b.tip));
        toolbar_->addAction(a);
        toolActions_.push_back(a);
    }
    toolbarId_ = id;
    return true;
}

bool MainFrame::setIndicators(const std::vector<int>& ids) {
    if (!panes_.setIndicators(ids)) return false;
    rebuildPaneWidgets();
    return true;
}

void MainFrame::resetStatusPanes() {
    ChildFrame* active = activeChildFrame();
    if (active != nullptr && !active->closing() && !active->paneIds().empty() && setIndicators(active->paneIds()))
        return;
    setIndicators({ids::kSeparator});
}

void MainFrame::rebuildPaneWidgets() {
    QStatusBar* bar = statusBar();
    for (auto& [id, label] : paneLabels_) {
        bar->removeWidget(label);
        delete label;
    }
    paneLabels_.clear();
    for (int id : panes_.ids()) {
        auto* label = new QLabel;
        label->setObjectName(QStringLiteral("pane%1").arg(id));
        if (id == ids::kSeparator) {
            label->setText(QStringLiteral("Ready"));
            bar->addWidget(label, 1);
        } else {
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            const int w = label->fontMetrics().horizontalAdvance(QString(panes_.widthChars(id), QLatin1Char(' ')));
            label->setFixedWidth(w + 6);
            bar->addPermanentWidget(label);
        }
        paneLabels_.emplace_back(id, label);
    }
}

QString MainFrame::paneText(int id) const {
    for (const auto& [pid, label] : paneLabels_)
        if (pid == id) return label->text();
    return {};
}

void MainFrame::setMessageText(const std::string& text) {
    for (const auto& [pid, label] : paneLabels_)
        if (pid == ids::kSeparator) label->setText(fromCp1252(text));
}

void MainFrame::updateCommandUI() {
    // A document may have been renamed (Save As) or a window closed.
    updateFrameTitles();
    for (QAction* a : toolActions_) {
        const CommandUI ui = app_.queryCommand(a->data().toInt());
        a->setEnabled(ui.enabled);
    }
    for (auto& [id, label] : paneLabels_) {
        if (id == ids::kSeparator) continue;
        const CommandUI ui = app_.queryCommand(id);
        const std::string text = ui.enabled && ui.text ? *ui.text : std::string();
        panes_.setText(id, text);
        const QString q = QString::fromStdString(text);
        if (label->text() != q) label->setText(q);
    }
}

void MainFrame::updateMenuUI() {
    for (QAction* a : menuActions_) {
        const CommandUI ui = app_.queryCommand(a->data().toInt());
        a->setEnabled(ui.enabled);
        a->setCheckable(ui.checked);
        a->setChecked(ui.checked);
    }
}

bool MainFrame::closeAllDocuments() {
    for (ChildFrame* f : childFrames())
        if (!f->close()) return false;
    return true;
}

bool MainFrame::onClose() { return closeAllDocuments(); }

void MainFrame::childFrameGoing(ChildFrame* frame) {
    if (frame == nullptr || frame != activeChild_) return;
    if (frame->view() != nullptr) frame->view()->onActivateView(false);
    activeChild_ = nullptr;
}

void MainFrame::onActivateChild(ChildFrame* frame) {
    if (frame != activeChild_) {
        if (activeChild_ && activeChild_->view() != nullptr) activeChild_->view()->onActivateView(false);
        activeChild_ = frame;
        if (frame != nullptr && frame->view() != nullptr) frame->view()->onActivateView(true);
    }
    int menu = frameId_;
    if (frame != nullptr && frame->document() != nullptr && frame->document()->docTemplate() != nullptr) {
        const int t = frame->document()->docTemplate()->resourceId();
        if (app_.resources().menus.count(t) != 0) menu = t;
    }
    setMenuResource(menu);
    // The status panes of the window that became active.
    if (frame != nullptr && !frame->paneIds().empty() && frame->paneIds() != panes_.ids())
        setIndicators(frame->paneIds());
    updateFrameTitles();
}

void MainFrame::onCloseWhileBusy() {
    if (message("A calculation is in progress.\nStop it before closing the program?", Buttons::YesNo, Icon::Question) ==
        Answer::Yes)
        progress().requestCancel();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (destroyed_) {
        event->accept();
        return;
    }
    if (library_busy()) {
        event->ignore();
        onCloseWhileBusy();
        return;
    }
    if (!onClose()) {
        event->ignore();
        return;
    }
    destroyed_ = true;
    onDestroyWindow();
    event->accept();
}

}  // namespace fw
