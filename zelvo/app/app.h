// The application object of the main program: the document templates, the
// start-up check, the main window and the commands of the Tasks and Help
// menus.
#pragma once

#include <memory>
#include <string>

#include "context.h"
#include "framework/application.h"
#include "library.h"
#include "mainframe.h"

namespace zelvo {

// The document templates, in registration order.
struct TemplateInfo {
    int id;
    const char* docName;
    const char* fileNewName;
    const char* filterName;  // empty: no filter
    const char* filterExt;
    const char* fileTypeId;
    const char* fileTypeName;
    int frameClass;  // FrameClass
};
extern const TemplateInfo kTemplates[15];
// The document string of a template ("\n" between the seven fields).
std::string document_string(const TemplateInfo& t);

class TaskApp : public fw::Application {
public:
    // programDir: the directory of the program (ending with "/").
    TaskApp(Library& lib, std::string programDir);

    bool initInstance() override;
    bool onIdle(int count) override;

    AppContext& context() { return ctx_; }
    Library& library() { return lib_; }
    MainFrame* frame() const { return static_cast<MainFrame*>(mainFrame()); }

    void OnAppAbout();
    void OnHelpHelp();

private:
    void registerTemplates();
    void taskNotAvailable(const char* task);

    AppContext ctx_;
    Library& lib_;
};

}  // namespace zelvo
