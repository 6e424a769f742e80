#include "application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMdiArea>
#include <QStringList>

#include "childframe.h"
#include "document.h"
#include "ids.h"
#include "mainframe.h"
#include "messages.h"
#include "progress.h"
#include "view.h"

namespace fw {

namespace {
Application*& the_app() {
    static Application* a = nullptr;
    return a;
}
}  // namespace

Application::Application() {
    the_app() = this;
    onCommandId(ids::kFileNew, [this] { onFileNew(); });
    onCommandId(ids::kFileOpen, [this] { onFileOpen(); });
}

Application::~Application() {
    delete idleHook_;
    mainFrame_.reset();
    if (the_app() == this) the_app() = nullptr;
}

Application* Application::instance() { return the_app(); }

bool Application::onIdle(int) {
    if (mainFrame_) mainFrame_->updateCommandUI();
    return false;
}

void Application::runIdle() {
    static bool running = false;
    if (running) return;
    running = true;
    for (int count = 0; count < 16 && onIdle(count); ++count) {
    }
    running = false;
}

int Application::run() {
    if (!initInstance()) return 0;
    idleHook_ = new QObject;
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
        QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, idleHook_, [this] { runIdle(); });
    return QApplication::exec();
}

void Application::addDocTemplate(std::unique_ptr<DocTemplate> t) { templates_.push_back(std::move(t)); }

void Application::setMainFrame(std::unique_ptr<MainFrame> frame) { mainFrame_ = std::move(frame); }

void Application::destroyMainFrame() { mainFrame_.reset(); }

Document* Application::openDocumentFile(DocTemplate& t, const std::string& path) {
    if (!mainFrame_) return nullptr;
    std::unique_ptr<Document> doc = t.createDocument();
    if (!doc) return nullptr;
    doc->setDocTemplate(&t);
    if (path.empty()) {
        if (!doc->onNewDocument()) return nullptr;
        doc->setTitle(t.docString().fileNewName + std::to_string(t.nextUntitledNumber()));
    } else if (!doc->onOpenDocument(path)) {
        message(doc->loadError().empty() ? "Failed to open document.\n" + path : doc->loadError(), Buttons::Ok,
                Icon::Warning);
        return nullptr;
    }
    std::unique_ptr<View> view = t.createView();
    ChildFrame* frame = t.createFrame();
    if (!view || frame == nullptr) {
        delete frame;
        return nullptr;
    }
    Document* d = doc.get();
    t.addDocument(d);
    if (!frame->create(std::move(doc), std::move(view))) {
        delete frame;
        return nullptr;
    }
    mainFrame_->addChildFrame(frame);
    return d;
}

bool Application::routeCommand(int id) {
    if (library_busy() && isLibraryCommand(id)) return false;
    return router().dispatch(id);
}

CommandUI Application::queryCommand(int id) const {
    CommandUI ui = router().query(id);
    if (library_busy() && isLibraryCommand(id)) ui.enable(false);
    return ui;
}

CommandRouter Application::router() const {
    std::vector<CommandTarget*> chain;
    ChildFrame* f = mainFrame_ ? mainFrame_->activeChildFrame() : nullptr;
    if (f != nullptr) {
        chain.push_back(f->view());
        chain.push_back(f->document());
        chain.push_back(f);
    }
    chain.push_back(mainFrame_.get());
    chain.push_back(const_cast<Application*>(this));
    return CommandRouter(std::move(chain));
}

void Application::onFileNew() {
    if (templates_.empty()) return;
    DocTemplate* chosen = templates_.front().get();
    if (templates_.size() > 1) {
        QStringList names;
        for (const auto& t : templates_) names << QString::fromStdString(t->docString().fileNewName);
        bool ok = false;
        const QString pick = QInputDialog::getItem(mainFrame_.get(), QString::fromStdString(messageTitle()),
                                                   QStringLiteral("New"), names, 0, false, &ok);
        if (!ok) return;
        chosen = templates_[static_cast<std::size_t>(names.indexOf(pick))].get();
    }
    openDocumentFile(*chosen, {});
}

void Application::onFileOpen() {
    QStringList filters;
    for (const auto& t : templates_) {
        const DocString& s = t->docString();
        if (!s.filterName.empty() && !filters.contains(QString::fromStdString(s.filterName)))
            filters << QString::fromStdString(s.filterName);
    }
    filters << QStringLiteral("All Files (*)");
    const QString file = QFileDialog::getOpenFileName(mainFrame_.get(), QStringLiteral("Open"), QString(),
                                                      filters.join(QStringLiteral(";;")));
    if (file.isEmpty() || templates_.empty()) return;
    DocTemplate* chosen = templates_.front().get();
    for (const auto& t : templates_) {
        const std::string& ext = t->docString().filterExt;
        if (!ext.empty() && file.endsWith(QString::fromStdString(ext), Qt::CaseInsensitive)) {
            chosen = t.get();
            break;
        }
    }
    openDocumentFile(*chosen, file.toStdString());
}

}  // namespace fw
