// The application object of the main program: the document templates, the
// start-up check, the main window and the commands of the Tasks and Help
// menus.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/application.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/shell/qttaskdialogs.h"

namespace zelvo {

struct BatchCheck;

class CCalcProgressDlg;
class OrbitInputLauncher;
class ObservatorySearchLauncher;
class EphemerisResultOpener;
class ProgramEphemerisWindows;

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
std::string documentString(const TemplateInfo& t);

class TaskApp : public fw::Application {
public:
    // programDir: the directory of the program (ending with "/").
    TaskApp(Library& lib, std::string programDir);
    ~TaskApp() override;

    bool initInstance() override;
    bool onIdle(int count) override;

    AppContext& context() { return ctx_; }
    Library& library() { return lib_; }
    MainFrame* frame() const { return static_cast<MainFrame*>(mainFrame()); }
    TaskDialogs& dialogs() { return *dialogs_; }
    // The progress dialog of the library runs (after initInstance).
    CCalcProgressDlg* progressDialog() const { return progressDlg_.get(); }
    // Puts other dialogs in place of the program's (null: the program's).
    void setDialogs(TaskDialogs* d) { dialogs_ = d != nullptr ? d : &qtDialogs_; }

    void OnAppAbout();
    void OnHelpHelp();

    // The windows of the ephemeris task, replaceable by tests (null: the
    // program's own: the orbit input dialog, the observatory search dialog,
    // and the result window of template "Eph" opened by OpenEphemerisResult,
    // which keeps the run for its Continue).
    void setOrbitInputLauncher(OrbitInputLauncher* l);
    void setObservatorySearchLauncher(ObservatorySearchLauncher* l);
    void setEphemerisResultOpener(EphemerisResultOpener* o) { resultOpener_ = o; }

    // Tasks and the run commands of the task windows.
    void OnTasksEphemerides();
    void OnTasksElements();
    void OnTasksOrbits();
    void OnTasksTracks();
    void OnTasksPlates();
    void OnPlateObjectList();
    void OnPlatePlot();
    void OnResultPlatePlot();
    void OnPlotObjectList();
    void OnTasksObservatories();
    void OnObservatoriesSelect();
    void OnObservatoriesCalculate();
    void OnTasksIdentifications();
    void OnIdentificationIdentify();
    void OnTasksOc();
    void OnOcCalculate();
    void OnOcSeparate();

private:
    void registerTemplates();
    // The line documents and views of the templates "OC", "Indent",
    // "Observ1" and "UltPla".
    std::unique_ptr<fw::Document> makeLineDocument(std::string_view docName);
    std::unique_ptr<fw::View> makeLineView(std::string_view docName);
    // Replaces the status panes; false when the bar refuses the set.
    bool setPanes(const std::vector<int>& ids);
    // Opens path (empty: a new document) in the first template named docName.
    fw::Document* openIn(const char* docName, const std::string& path);
    void restoreWorkDir();
    // The plate search shared by Object list and Plot of plate.
    void plateSearch(bool objectList);
    // Checks the selected lines of the active window (all of them when none
    // is selected) and writes them to the input file; the number written,
    // or -1 when the user cancelled or the window is missing.
    int checkAndWriteInput(const std::string& file, int task, int system, int key, BatchCheck& batch);
    // A run's lines left out by "Skip all": the count in the status bar and
    // at the end of header (the result window's head).
    void reportSkippedLines(const BatchCheck& batch, std::string& header);

    AppContext ctx_;
    Library& lib_;
    // The plate line of the last search (82 characters), which the plate
    // plot and object list documents are made with.
    std::string plateLine_;
    // Set while Observatories|Select opens its selection: the "Observ1"
    // document and view made then are the selection's (read-only), any
    // other is the whole list's.
    bool openingSelection_ = false;
    // The Decl. and R.A. tolerances (arcsec) of the last identification,
    // which its result window is made with.
    std::array<double, 2> idTolerance_{};
    // The second title line of the O-C selection that Separate opens.
    std::string selectionTitle_;
    QtTaskDialogs qtDialogs_;
    TaskDialogs* dialogs_ = &qtDialogs_;
    std::unique_ptr<CCalcProgressDlg> progressDlg_;
    std::unique_ptr<ProgramEphemerisWindows> ephWindows_;
    OrbitInputLauncher* orbitInput_ = nullptr;
    ObservatorySearchLauncher* observatorySearch_ = nullptr;
    EphemerisResultOpener* resultOpener_ = nullptr;
};

}  // namespace zelvo
