#include "zelvo/shell/app.h"

#include <QApplication>
#include <QToolBar>

#include "framework/document.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "framework/printing.h"
#include "framework/progress.h"
#include "zelvo/app/childframes.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/icons.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/ephemeris/ephwindows.h"
#include "zelvo/graphics/elplotwindows.h"
#include "zelvo/graphics/elwindows.h"
#include "zelvo/graphics/orbitview.h"
#include "zelvo/graphics/trackview.h"
#include "zelvo/observations/idwindows.h"
#include "zelvo/observations/linedoc.h"
#include "zelvo/observations/lineview.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvo/observations/platedata.h"
#include "zelvo/observations/platelist.h"
#include "zelvo/observations/plateplot.h"
#include "zelvo/shell/mainmenus.h"
#include "zelvo/shell/startup.h"

namespace zelvo {

using F = FrameClass;

const TemplateInfo kTemplates[15] = {
    {129, "Observ1", "Observ2", "Observatory Files (*.obs)", ".obs", "Zelvo.Document", "Zelvo Document",
     int(F::CChildFrame)},
    {147, "Eph", "Eph2", "Ephemerides files (*.eph)", ".eph", "Eph.Document", "Eph Document", int(F::CChildFrm7)},
    {146, "UltPla", "UltPla2", "Plate files (*.plt)", ".plt", "UltPlate.Document", "Plate Document",
     int(F::CChildFrm6)},
    {145, "PlaLi", "PlaLi2", "", "", "PlateList.Document", "PlateList Document", int(F::CChildFrame)},
    {110, "PlaLT", "PlaLT2", "", "", "PlateList.Document", "PlateList Document", int(F::CChildFrm3)},
    {148, "Pict", "Pict2", "", "", "Picture.Document", "Picture Document", int(F::CChildFrame)},
    {151, "Orb", "Orb2", "", "", "Orbit.Document", "Orbit Document", int(F::CChildFrame)},
    {158, "Trace", "Trace2", "", "", "Trace.Document", "Trace Document", int(F::CChildFrame)},
    {167, "OC", "OC", "O-C files (*.oc)", ".oc", "OC.Document", "O-C Document", int(F::CChildOC)},
    {165, "OCRes", "OCRes", "OCRes Files(*.oc2)", ".oc2", "OCRes.Document", "OCRes Document", int(F::CChildFrm2)},
    {168, "Indent", "Indent", "Identification files (*.idn)", ".idn", "Indent.Document", "Indent Document",
     int(F::CChildFrm4)},
    {164, "IndRes", "IndRes", "Identification result files(*.id*)", ".idn", "IndRes.Document", "IndRes Document",
     int(F::CChildFrm5)},
    {104, "Elements", "Elements", "", "", "Zelvo.Document", "Zelvo Document", int(F::CChildFrame)},
    {112, "Histogram", "Histogram", "", "", "Zelvo.Document", "Zelvo Document", int(F::CChildFrame)},
    {115, "Distribution", "Distribution", "", "", "Zelvo.Document", "Zelvo Document", int(F::CChildFrame)},
};

std::string documentString(const TemplateInfo& t) {
    return std::string("\n") + t.docName + "\n" + t.fileNewName + "\n" + t.filterName + "\n" + t.filterExt + "\n" +
           t.fileTypeId + "\n" + t.fileTypeName;
}

TaskApp::TaskApp(Library& lib, std::string programDir)
    : lib_(lib), ephWindows_(std::make_unique<ProgramEphemerisWindows>(ctx_, lib)) {
    ctx_.ProgramDir = std::move(programDir);
    orbitInput_ = ephWindows_.get();
    observatorySearch_ = ephWindows_.get();
    // Closing an ephemeris result window while the task is current brings
    // the set-up back.
    setEphemerisReopenHandler(ctx_, [this] { OnTasksEphemerides(); });
    qtDialogs_.setLibrary(&lib_);
    addMainResources(resources());
    addEphemerisResources(resources());
    addOcResources(resources());
    addIdResources(resources());
    addPlateResources(resources());
    // File|Print Setup: the one printer's paper and orientation for every
    // later print.
    onCommandId(fw::ids::kFilePrintSetup, [] { fw::printSetup(); });
    addElementsResources(resources());
    addOrbitResources(resources());
    addPlotResources(resources());
    // Closing an element list while the task is current brings the query
    // back.
    elements::elementState(ctx_).reopen = [this] { OnTasksElements(); };
    onCommandId(fw::ids::kAppAbout, [this] { OnAppAbout(); });
    onCommandId(cmd::kHelpHelp, [this] { OnHelpHelp(); });
    // The track and orbit windows come with their own set-up dialogs and
    // views.
    onCommandId(cmd::kTasksElements, [this] { OnTasksElements(); });
    addTraceResources(resources());
    onCommandId(cmd::kTasksTracks, [this] { OnTasksTracks(); });
    onCommandId(cmd::kTasksOrbits, [this] { OnTasksOrbits(); });
    onCommandId(cmd::kObservatoriesCalculate, [this] { OnObservatoriesCalculate(); });

    onCommandId(cmd::kTasksEphemerides, [this] { OnTasksEphemerides(); });
    onCommandId(cmd::kTasksOc, [this] { OnTasksOc(); });
    onCommandId(cmd::kOcCalculate, [this] { OnOcCalculate(); });
    onCommandId(cmd::kOcSeparate, [this] { OnOcSeparate(); });
    onCommandId(cmd::kTasksIdentifications, [this] { OnTasksIdentifications(); });
    onCommandId(cmd::kIdentificationIdentify, [this] { OnIdentificationIdentify(); });
    onCommandId(cmd::kTasksPlates, [this] { OnTasksPlates(); });
    onCommandId(cmd::kPlateObjectList, [this] { OnPlateObjectList(); });
    onCommandId(cmd::kPlatePlot, [this] { OnPlatePlot(); });
    onCommandId(cmd::kResultPlatePlot, [this] { OnResultPlatePlot(); });
    onCommandId(cmd::kPlotObjectList, [this] { OnPlotObjectList(); });
    onCommandId(cmd::kTasksObservatories, [this] { OnTasksObservatories(); });
    onCommandId(cmd::kObservatoriesSelect, [this] { OnObservatoriesSelect(); });

    // Commands that call the library are refused while a run is in
    // progress (the progress callback lets other commands run).
    for (int id :
         {cmd::kTasksElements, cmd::kTasksEphemerides, cmd::kTasksTracks, cmd::kTasksOrbits, cmd::kTasksObservatories,
          cmd::kObservatoriesSelect, cmd::kObservatoriesCalculate, cmd::kOcCalculate, cmd::kOcSeparate,
          cmd::kIdentificationIdentify, cmd::kPlateObjectList, cmd::kPlatePlot, cmd::kEphContinue})
        addLibraryCommand(id);
}

void TaskApp::setOrbitInputLauncher(OrbitInputLauncher* l) { orbitInput_ = l != nullptr ? l : ephWindows_.get(); }

void TaskApp::setObservatorySearchLauncher(ObservatorySearchLauncher* l) {
    observatorySearch_ = l != nullptr ? l : ephWindows_.get();
}

TaskApp::~TaskApp() {
    if (fw::progress().window() == progressDlg_.get()) fw::progress().setWindow(nullptr);
    progressDlg_.reset();
    // The windows go while the program-wide values they use are still there.
    destroyMainFrame();
}

void TaskApp::registerTemplates() {
    for (const TemplateInfo& t : kTemplates) {
        const auto frameClass = static_cast<FrameClass>(t.frameClass);
        if (std::string_view(t.docName) == "Eph") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [this] { return makeEphemerisDocument(ctx_); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this] { return makeEphemerisView(ctx_, lib_); }));
            continue;
        }
        const std::string_view name(t.docName);
        if (name == "OC" || name == "Indent" || name == "Observ1" || name == "UltPla") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [this, name] { return makeLineDocument(name); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this, name] { return makeLineView(name); }));
            continue;
        }
        if (name == "IndRes") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [] { return std::make_unique<CIndentResultDoc>(); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this] { return std::make_unique<CIndentResultView>(ctx_, lib_, idTolerance_); }));
            continue;
        }
        if (name == "PlaLT") {
            // The identification results and the plate object list: fixed
            // records (their windows come with the identification and plate
            // tasks).
            const int key = name == "IndRes" ? 40 : 400;
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [key] { return std::make_unique<RecordResultDocument>(key); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this] { return std::make_unique<CPlateResultView>(ctx_); }));
            continue;
        }
        if (name == "OCRes") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [] { return std::make_unique<COCResDoc>(); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this] { return std::make_unique<COCResView>(ctx_, lib_, selectionTitle_); }));
            continue;
        }
        if (name == "Pict" || name == "PlaLi") {
            // The plate's objects: the plot and the object report, each on
            // the plate of the search that made them.
            const bool plot = name == "Pict";
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [this] { return std::make_unique<CPlateListDoc>(plateLine_); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this, plot]() -> std::unique_ptr<fw::View> {
                    if (plot) return std::make_unique<CPlatePict>(ctx_, lib_);
                    return std::make_unique<CPlateListView>(ctx_);
                }));
            continue;
        }
        if (std::string_view(t.docName) == "Elements") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [this] { return makeElementsDocument(ctx_); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this] { return makeElementsView(ctx_, lib_); }));
            continue;
        }
        if (name == "Orb") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [] { return makeOrbitDocument(); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this] { return makeOrbitView(ctx_, lib_); }));
            continue;
        }
        if (name == "Histogram" || name == "Distribution") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [this] { return makeElementsDocument(ctx_); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this, name] { return name == "Histogram" ? makeHistogramView(ctx_) : makeDistributionView(ctx_); }));
            continue;
        }
        if (name == "Trace") {
            addDocTemplate(std::make_unique<fw::DocTemplate>(
                t.id, documentString(t), [] { return makeTraceDocument(); },
                [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
                [this] { return makeTraceView(ctx_, lib_); }));
            continue;
        }
        // The task documents and views of each template take the place of
        // these line lists as the tasks are added.
        addDocTemplate(std::make_unique<fw::DocTemplate>(
            t.id, documentString(t), [] { return std::make_unique<fw::LineDocument>(); },
            [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
            [] { return std::make_unique<fw::LineListView>(); }));
    }
}

std::unique_ptr<fw::Document> TaskApp::makeLineDocument(std::string_view docName) {
    if (docName == "OC")
        return std::make_unique<LineListDocument>(LineDocKind::Observations,
                                                  std::clamp((ctx_.ObservationTypeCode / 10) % 10, 1, 3), ctx_);
    if (docName == "Indent") return std::make_unique<LineListDocument>(LineDocKind::Identifications, 10, ctx_);
    if (docName == "UltPla") return std::make_unique<LineListDocument>(LineDocKind::Plates, 100, ctx_);
    return std::make_unique<LineListDocument>(LineDocKind::Observatories, 200, ctx_, !openingSelection_);
}

std::unique_ptr<fw::View> TaskApp::makeLineView(std::string_view docName) {
    if (docName == "OC") {
        // Every new O-C window starts with the catalogue orbit, nodes, every
        // perturbing body, no relativistic term and the task record of the
        // working directory; the older windows keep theirs.
        OcChoices choices;
        choices.taskRecord = LoadOrbitTaskRecord(ctx_.WorkDir);
        return std::make_unique<COCView>(ctx_, lib_, dialogs(), std::move(choices));
    }
    if (docName == "Indent") return std::make_unique<CIndentView>(ctx_, lib_, dialogs(), IndentMode::Identification);
    if (docName == "UltPla") return std::make_unique<CUltPlateView>(ctx_, lib_, dialogs());
    return std::make_unique<CIndentView>(
        ctx_, lib_, dialogs(), openingSelection_ ? IndentMode::ObservatorySelection : IndentMode::ObservatoryList);
}

bool TaskApp::initInstance() {
    // Every window and box of the program carries the program's icon.
    QApplication::setWindowIcon(program_icon());
    registerTemplates();
    if (!runStartupCheck(ctx_, lib_, ctx_.ProgramDir)) return false;
    auto frame = std::make_unique<MainFrame>(*this, ctx_);
    if (!frame->loadFrame(cmd::kMainFrame)) return false;
    frame->setAppTitle(QString::fromStdString(ctx_.AppTitle));
    frame->resize(1024, 720);
    setMainFrame(std::move(frame));
    progressDlg_ = std::make_unique<CCalcProgressDlg>(mainFrame());
    fw::progress().setWindow(progressDlg_.get());
    fw::Dialog::setHelpBook(AppDirectory(ctx_) + HelpFileName(ctx_));
    mainFrame()->showMaximized();
    SplashScreen::ShowSplashScreen(mainFrame());
    return true;
}

bool TaskApp::onIdle(int count) {
    MainFrame* mf = frame();
    // With no document window active, a plot's toolbar gives way to the
    // main one, hidden.
    if (mf != nullptr && mf->activeChildFrame() == nullptr && ctx_.CurrentToolbarId != cmd::kMainFrame) {
        mf->toolBar()->hide();
        if (!mf->loadToolBar(cmd::kMainFrame)) return true;
        mf->update();
        ctx_.CurrentToolbarId = cmd::kMainFrame;
    }
    return fw::Application::onIdle(count);
}

void TaskApp::OnTasksTracks() {
    if (fw::library_busy()) return;
    if (MainFrame* mf = frame()) mf->toolBar()->show();
    openIn("Trace", {});
}

void TaskApp::OnHelpHelp() { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_)); }

void TaskApp::OnAppAbout() {
    CAboutDlg dlg(mainFrame());
    dlg.doModal();
}

}  // namespace zelvo
