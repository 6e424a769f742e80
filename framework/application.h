// The application object: the document templates, the main frame, command
// routing, the idle hook and the standard New and Open commands. It lives
// beside the QApplication (created before it) for the life of the program.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "command.h"
#include "doctemplate.h"
#include "resources.h"

class QObject;

namespace fw {

class MainFrame;
class ChildFrame;
class Document;
class View;

class Application : public CommandTarget {
public:
    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one application object (null before it is constructed).
    static Application* instance();

    // Sets the program up: templates, main frame. False ends the program.
    virtual bool initInstance() = 0;
    // Idle time (no event waiting). count is 0 on the first call after an
    // event and grows while the function returns true. The default updates
    // the toolbar buttons and status panes and returns false.
    virtual bool onIdle(int count);
    // initInstance, then the event loop; the program's exit code.
    int run();
    // Runs the idle calls now (the event loop does it whenever it would wait).
    void runIdle();

    ResourceTables& resources() { return resources_; }
    const ResourceTables& resources() const { return resources_; }

    void addDocTemplate(std::unique_ptr<DocTemplate> t);
    const std::vector<std::unique_ptr<DocTemplate>>& templates() const { return templates_; }
    // The first template of that document name; null when none.
    DocTemplate* findTemplate(const std::string& docName) const { return find_template(templates_, docName); }

    // Opens path in the template (a new empty document when path is empty):
    // the document, its frame and view, shown maximised in the main frame.
    // Null (after a message) when the file cannot be read.
    Document* openDocumentFile(DocTemplate& t, const std::string& path);

    MainFrame* mainFrame() const { return mainFrame_.get(); }
    void setMainFrame(std::unique_ptr<MainFrame> frame);
    // Destroys the main frame window (after its closing work).
    void destroyMainFrame();

    // The routing chain: active view, its document, active child frame, main
    // frame, application.
    CommandRouter router() const;
    // While a library run is in progress, a library command is refused
    // (disabled, and not run when routed).
    bool routeCommand(int id);
    CommandUI queryCommand(int id) const;

    // Commands that call the computing library: refused during a run.
    void addLibraryCommand(int id) { libraryCommands_.insert(id); }
    bool isLibraryCommand(int id) const { return libraryCommands_.count(id) != 0; }

protected:
    // The framework's New: a chooser of the templates by new-file name.
    void onFileNew();
    // The framework's Open: a file dialog with the templates' filters; the
    // template whose extension matches opens the file.
    void onFileOpen();

private:
    ResourceTables resources_;
    std::vector<std::unique_ptr<DocTemplate>> templates_;
    std::unique_ptr<MainFrame> mainFrame_;
    QObject* idleHook_ = nullptr;
    std::set<int> libraryCommands_;
};

}  // namespace fw
