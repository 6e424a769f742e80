#include "mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "application.h"
#include "childframe.h"
#include "cp1252.h"
#include "doctemplate.h"
#include "document.h"
#include "ids.h"
#include "messages.h"
#include "progress.h"
#include "toolicons.h"

namespace fw {

MainFrame::MainFrame(Application& app) : app_(app), mdi_(new QMdiArea(this)), panes_(&app.resources().strings) {
    setCentralWidget(mdi_);
    mdi_->setViewMode(QMdiArea::SubWindowView);
    QObject::connect(mdi_, &QMdiArea::subWindowActivated, this,
                     [this](QMdiSubWindow* w) { onActivateChild(dynamic_cast<ChildFrame*>(w)); });
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
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (auto* f = dynamic_cast<ChildFrame*>(w)) out.push_back(f);
    return out;
}

QAction* MainFrame::commandAction(int id, const QString& text) {
    auto* a = new QAction(text, this);
    a->setData(id);
    QObject::connect(a, &QAction::triggered, this, [this, id] {
        if (app_.queryCommand(id).enabled) app_.routeCommand(id);
    });
    return a;
}

void MainFrame::buildMenu(QMenu* into, const std::vector<MenuItem>& items) {
    for (const MenuItem& it : items) {
        if (it.isSeparator()) {
            into->addSeparator();
        } else if (it.isPopup()) {
            QMenu* sub = into->addMenu(QString::fromStdString(it.text));
            QObject::connect(sub, &QMenu::aboutToShow, this, [this] { updateMenuUI(); });
            buildMenu(sub, it.items);
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
    for (const MenuItem& top : it->second) {
        QMenu* m = bar->addMenu(QString::fromStdString(top.text));
        QObject::connect(m, &QMenu::aboutToShow, this, [this] { updateMenuUI(); });
        buildMenu(m, top.items);
    }
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

void MainFrame::onActivateChild(ChildFrame* frame) {
    int menu = frameId_;
    if (frame != nullptr && frame->document() != nullptr && frame->document()->docTemplate() != nullptr) {
        const int t = frame->document()->docTemplate()->resourceId();
        if (app_.resources().menus.count(t) != 0) menu = t;
    }
    setMenuResource(menu);
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
