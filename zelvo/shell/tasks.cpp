// The commands of the Tasks menu and the run commands of the task windows:
// plates, observatories, identifications and the O-C task.
#include <QApplication>
#include <QCursor>
#include <QMdiArea>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/binfile.h"
#include "framework/document.h"
#include "framework/filedialogs.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "framework/waitcursor.h"
#include "zelvo/app/childframes.h"
#include "zelvo/app/lineedit.h"
#include "zelvo/app/occonfig.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/observations/idwindows.h"
#include "zelvo/observations/lineview.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvo/observations/platelist.h"
#include "zelvo/shell/app.h"
#include "zelvomat/io/files.h"

namespace zelvo {

using namespace fw::ids;
namespace files = zelvomat::files;

namespace {

const std::vector<int> kPanesA{kSeparator, kIndicatorRec, kIndicatorCaps};
const std::vector<int> kPanesB{kSeparator, kIndicatorOvr, kIndicatorRec, kIndicatorCaps};
const std::vector<int> kPanesC{kSeparator, kIndicatorNum, kIndicatorExt, kIndicatorRec, kIndicatorCaps};

const char kEmptyInput[] = "Error: empty input file! Add strings or Save your file";

// The wait cursor for the life of the object.
using WaitCursor = fw::WaitCursor;

// Size of a file in bytes, -1 when it does not exist.
long long lengthOf(const std::string& path) {
    std::error_code ec;
    const auto n = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(n);
}

// An input file must exist and hold something; false after the message.
bool inputHasLines(const std::string& path) {
    const long long n = lengthOf(path);
    if (n < 0) {
        fw::message("Cannot open the input file " + path, fw::Buttons::Ok, fw::Icon::Warning);
        return false;
    }
    if (n == 0) {
        fw::message(kEmptyInput);
        return false;
    }
    return true;
}

// Creates the file empty when it does not exist; false (and the reason
// shown) when it cannot be made.
bool createIfMissing(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return true;
    return fw::write_file_or_warn(path, std::string_view());
}

// Empties a work file; false (and the reason shown) when it cannot be written.
bool createEmpty(const std::string& path) { return fw::write_file_or_warn(path, std::string_view()); }

// The value of a number typed in a dialog (C convention; leading blanks
// and a plus sign allowed); 0 for a text that is not a number.
double text_value(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

std::string leftField(const std::string& text, std::size_t width) {
    std::string f = text.substr(0, width);
    f.resize(width, ' ');
    return f;
}

// Text of a header record: up to its first zero byte.
std::string upToZero(const std::string& record) { return record.substr(0, record.find('\0')); }

// The active task window, its lines and its list.
struct ActiveList {
    TaskChildFrame* frame = nullptr;
    fw::LineListView* view = nullptr;
    LineWindow lines;
};

std::optional<ActiveList> active_list(fw::MainFrame* mf) {
    if (mf == nullptr) return std::nullopt;
    auto* frame = dynamic_cast<TaskChildFrame*>(mf->activeChildFrame());
    if (frame == nullptr) return std::nullopt;
    auto* doc = dynamic_cast<fw::LineDocument*>(frame->document());
    auto* view = dynamic_cast<fw::LineListView*>(frame->view());
    if (doc == nullptr || view == nullptr) return std::nullopt;
    // The window's own record format (the O-C window's follows its data type).
    const auto* editor = dynamic_cast<LineEditorView*>(view);
    ActiveList a{
        frame,
        view,
        {&doc->lines, doc, editor != nullptr ? editor->formatKey() : frame->formatKey(), view->selectedRows()}};
    return a;
}

}  // namespace

bool TaskApp::setPanes(const std::vector<int>& ids) { return frame() != nullptr && frame()->setIndicators(ids); }

fw::Document* TaskApp::openIn(const char* docName, const std::string& path) {
    fw::DocTemplate* t = findTemplate(docName);
    if (t == nullptr) return nullptr;
    return openDocumentFile(*t, path);
}

void TaskApp::restoreWorkDir() { restore_work_dir(ctx_.WorkDir); }

int TaskApp::checkAndWriteInput(const std::string& file, int task, int system, int key, BatchCheck& batch) {
    std::optional<ActiveList> a = active_list(mainFrame());
    if (!a) {
        fw::message("Fail:No Activate View");
        return -1;
    }
    std::vector<int> rows = a->lines.selected;
    if (rows.empty())
        for (int i = 0; i < static_cast<int>(a->lines.lines->size()); ++i) rows.push_back(i);
    std::ostringstream out;
    int written = 0;
    bool cancelled = false;
    for (int i : rows) {
        LineEditSession session;
        const BatchLine checked = checkBatchLine(session, lib_, dialogs(), a->lines, i, task, system, key, batch);
        if (checked == BatchLine::Cancelled) {
            cancelled = true;
            break;
        }
        if (checked == BatchLine::Skipped) continue;
        WriteListLine(*a->view, i, key, &out);
        ++written;
    }
    if (a->lines.document->isModified()) a->view->onUpdate();
    if (!cancelled && written == 0 && batch.skipped > 0) {
        fw::message("Every line was skipped: nothing to calculate. " + batch.summary());
        return -1;
    }
    // The lines checked before a cancel are written too; they count as
    // written once the whole file is.
    const bool stored = fw::write_file_or_warn(file, out.view());
    return cancelled || !stored ? -1 : written;
}

void TaskApp::reportSkippedLines(const BatchCheck& batch, std::string& header) {
    if (batch.skipped == 0) return;
    header += "  " + batch.summary();
    if (mainFrame() != nullptr) mainFrame()->setMessageText(batch.summary());
}

// Tasks|Plates: the plate list file in the plate list window.
void TaskApp::OnTasksPlates() {
    if (!setPanes(kPanesA)) return;
    fw::FileDialogRequest desc;
    desc.defaultExt = "plt";
    desc.filter = "Plate files (*.plt)|*.plt|All files (*.*)|*.*||";
    desc.promptCreate = true;
    const std::optional<std::string> path = fw::fileDialogs().ask(desc);
    if (!path) return;
    ctx_.PlateFilePath = *path;
    if (!createIfMissing(*path)) return;
    restoreWorkDir();
    ctx_.TaskCode = kTaskPlates;
    openIn("UltPla", ctx_.PlateFilePath);
}

void TaskApp::plateSearch(bool objectList) {
    if (objectList && !setPanes(kPanesA)) return;
    std::optional<ActiveList> a = active_list(mainFrame());
    if (!a) {
        fw::message("Fail:No Activate View");
        return;
    }
    // The search takes its line from the window: a line added there counts
    // before the file is saved.
    if (a->lines.lines == nullptr || a->lines.lines->empty()) {
        fw::message(kEmptyInput);
        return;
    }
    if (a->lines.selected.empty()) {
        fw::message("No string selected");
        return;
    }
    const int row = a->lines.selected.front();
    LineEditSession session;
    const bool accepted = CheckLine(session, lib_, dialogs(), a->lines, row, 1, 1, 1);
    if (a->lines.document->isModified()) a->view->onUpdate();
    if (!accepted) return;
    const std::optional<std::string> mag = dialogs().magnitude("25.0", lib_);
    if (!mag) return;
    const double magLimit = text_value(*mag);
    // The line as it is now (with the geocentre put in when the user chose
    // it): what the search gets is what the object list and the plot show.
    std::string line = (*a->lines.lines)[static_cast<std::size_t>(row)].substr(0, 80);
    line.resize(80, ' ');
    line += "\r\n";
    plateLine_ = line;
    {
        fw::BusyGuard busy;
        if (!busy.acquired()) return;
        const std::string result = ctx_.WorkDir + std::string(files::kPlateResult);
        if (!createEmpty(result)) return;
        WaitCursor wait;
        int found = 0;
        noteLibraryTaskRun(ctx_);
        lib_.PltCalc(line.data(), static_cast<int>(line.size()), magLimit, found);
    }
    WaitCursor wait;
    if (objectList) {
        ctx_.HeaderText.clear();
        std::ifstream hat(ctx_.WorkDir + std::string(files::kPlateHeader), std::ios::binary);
        if (hat) {
            for (int k = 0; k < 2; ++k) {
                std::string rec(82, '\0');
                hat.read(rec.data(), 82);
                rec.resize(static_cast<std::size_t>(hat.gcount()));
                ctx_.HeaderText += upToZero(rec) + "\r\n";
            }
        } else {
            fw::message("Warning: header file not found");
        }
        ctx_.TaskCode = kTaskPlateList;
        openIn("PlaLT", ctx_.WorkDir + std::string(files::kPlateResult));
    } else if (openIn("Pict", ctx_.WorkDir + std::string(files::kPlateResult)) != nullptr) {
        // The plate list window the search came from holds back its Plot
        // of plate while this plot is open.
        if (auto* plates = dynamic_cast<CUltPlateView*>(a->view)) plates->setPlot(mainFrame()->activeChildFrame());
    }
}

void TaskApp::OnPlateObjectList() { plateSearch(true); }
void TaskApp::OnPlatePlot() { plateSearch(false); }

void TaskApp::OnResultPlatePlot() {
    // A plate object list has one plot: while it is open the command brings
    // it to the front instead of opening a second.
    fw::ChildFrame* active = mainFrame() != nullptr ? mainFrame()->activeChildFrame() : nullptr;
    auto* list = active != nullptr ? dynamic_cast<CPlateResultView*>(active->view()) : nullptr;
    if (list != nullptr && list->plot() != nullptr) {
        mainFrame()->mdiArea()->setActiveSubWindow(list->plot());
        return;
    }
    WaitCursor wait;
    if (openIn("Pict", ctx_.WorkDir + std::string(files::kPlateResult)) == nullptr) return;
    if (list != nullptr) list->setPlot(mainFrame()->activeChildFrame());
}

void TaskApp::OnPlotObjectList() {
    ctx_.TaskCode = kTaskPlateList;
    openIn("PlaLT", ctx_.WorkDir + std::string(files::kPlateResult));
}

// Tasks|Observatories: both lists are backed up, then the text list opens.
void TaskApp::OnTasksObservatories() {
    if (!setPanes(kPanesB)) return;
    {
        fw::BusyGuard busy;
        if (!busy.acquired()) return;
        ctx_.ObservatoryFilePath = lib_.obspat();
        if (ctx_.ObservatoryFilePath.empty()) {
            const std::string e = lib_.lastError();
            fw::message(e.empty() ? "Cannot find the observatory list." : e, fw::Buttons::Ok, fw::Icon::Warning);
            return;
        }
        // The list opens for editing only once both backups are made (a
        // failed one has shown its message).
        lib_.obsbak();
        if (!lib_.lastError().empty()) return;
        lib_.obsba1();
        if (!lib_.lastError().empty()) return;
    }
    ctx_.SelectionText.clear();
    ctx_.TaskCode = kTaskObservatories;
    openIn("Observ1", ctx_.ObservatoryFilePath);
}

void TaskApp::OnObservatoriesSelect() {
    ctx_.SelectionText = "Selection by ";
    const std::optional<ObsChoice> choice = dialogs().observatoryChoice();
    if (!choice) return;
    int mode = 0;
    std::string text;
    if (choice->choice == 1) {
        mode = 2;
        text = choice->fragment;
        ctx_.SelectionText += "fragment '" + text + "'";
    } else if (choice->choice == 0) {
        mode = 1;
        text = choice->number;
        ctx_.SelectionText += "number " + text;
    } else {
        return;
    }
    // The search text has room for 32 characters.
    text = text.substr(0, 32);
    const std::string result = ctx_.WorkDir + std::string(files::kObservatorySelection);
    std::error_code ec;
    std::filesystem::remove(result, ec);
    int found = 0;
    {
        fw::BusyGuard busy;
        if (!busy.acquired()) return;
        WaitCursor wait;
        lib_.sea_ob1(mode, text.data(), static_cast<int>(text.size()), found);
    }
    // The search reads the list as it was last saved: lines edited in an
    // open list window count once it is closed. The selection says so.
    if (mainFrame() != nullptr)
        for (fw::ChildFrame* f : mainFrame()->childFrames()) {
            const auto* v = dynamic_cast<const CIndentView*>(f->view());
            if (v != nullptr && v->observatoryMode() && v->doc() != nullptr && v->doc()->isModified() &&
                v->doc()->pathName() != result) {
                ctx_.SelectionText += " (not searched: the unsaved edits of the open list)";
                break;
            }
        }
    if (found == 0) {
        fw::message("Fragment not found");
        return;
    }
    WaitCursor wait;
    ctx_.EditCommandEnabled = 0;
    ctx_.TaskCode = kTaskObservatories;
    openingSelection_ = true;
    openIn("Observ1", result);
    openingSelection_ = false;
}

// Observatories|Calculate: the parallax calculation, starting from the
// first selected record of the active observatory window.
void TaskApp::OnObservatoriesCalculate() {
    std::string record;
    fw::ChildFrame* f = mainFrame() != nullptr ? mainFrame()->activeChildFrame() : nullptr;
    if (auto* v = f != nullptr ? dynamic_cast<CIndentView*>(f->view()) : nullptr;
        v != nullptr && v->observatoryMode()) {
        const std::vector<int> sel = v->selectedRows();
        const LineListDocument* d = v->doc();
        if (!sel.empty() && d != nullptr && sel.front() < static_cast<int>(d->lines.size()))
            record = d->lines[static_cast<std::size_t>(sel.front())];
    }
    dialogs().parallax(record);
}

void TaskApp::OnTasksIdentifications() {
    if (!setPanes(kPanesC)) return;
    restoreWorkDir();
    fw::FileDialogRequest desc;
    desc.defaultExt = "idn";
    desc.filter = "Ident files (*.idn)|*.idn|All files (*.*)|*.*||";
    desc.promptCreate = true;
    const std::optional<std::string> path = fw::fileDialogs().ask(desc);
    if (!path) return;
    ctx_.IdentFilePath = *path;
    ctx_.IdRun.status = 0;
    if (!createIfMissing(*path)) return;
    restoreWorkDir();
    ctx_.TaskCode = kTaskIdInput;
    openIn("Indent", ctx_.IdentFilePath);
}

void TaskApp::OnIdentificationIdentify() {
    if (!inputHasLines(ctx_.IdentFilePath)) return;
    RunCounters& run = ctx_.IdRun;
    run.first = 1;
    run.last = 0;
    BatchCheck batch;
    const int written = checkAndWriteInput(ctx_.WorkDir + std::string(files::kIdInput), 2, 1, 10, batch);
    if (written < 0) return;
    run.last = written;
    const auto tol = dialogs().tolerance("  30.0", "  30.0");
    if (!tol) return;
    const double ra = text_value(tol->first), decl = text_value(tol->second);
    idTolerance_ = {decl, ra};
    WaitCursor wait;
    if (!createEmpty(ctx_.WorkDir + std::string(files::kIdResult))) return;
    run.status = 0;
    noteLibraryTaskRun(ctx_);
    ++ctx_.IdRunSerial;
    if (!runWithProgress(1, run.last, run.first, 1,
                         [&] { lib_.IdCalc(run.status, run.first, run.last, ra, decl, ProgressStep); })) {
        fw::message("A calculation is in progress.");
        return;
    }
    ctx_.OcResultFromRun = 1;
    ctx_.CalcInterrupted = run.status < 0 ? 1 : 0;
    ctx_.TaskCode = kTaskIdResult;
    reportSkippedLines(batch, ctx_.HeaderText);
    openIn("IndRes", ctx_.WorkDir + std::string(files::kIdResult));
}

// Tasks|O - C: a usable OC1.cfg, then the observation file in the O-C input
// window.
void TaskApp::OnTasksOc() {
    if (!setPanes(kPanesA)) return;
    std::optional<OcConfigRecord> rec = readOcConfig(ctx_.WorkDir);
    if (!rec || !ocConfigUsable(*rec)) {
        if (fw::message("No configuration file or it's wrong.Create new?", fw::Buttons::YesNo, fw::Icon::Question) !=
            fw::Answer::Yes) {
            fw::message("Copy configuration file from another folder\nor repeate call and create new configuration");
            return;
        }
        rec = OcConfigRecord{};
        if (!writeOcConfig(ctx_.WorkDir, *rec)) return;
    }
    fw::FileDialogRequest desc;
    desc.defaultExt = "oc";
    desc.filter = "O-C files (*.oc)|*.oc|All files (*.*)|*.*||";
    desc.promptCreate = true;
    const std::optional<std::string> path = fw::fileDialogs().ask(desc);
    if (!path) return;
    ctx_.OcFilePath = *path;
    ctx_.OcRun.status = 0;
    ctx_.ObservationTypeCode = rec->code;
    if (!createIfMissing(*path)) return;
    ctx_.HeaderText = ocHeaderText(rec->code);
    restoreWorkDir();
    ctx_.EphemerisMode = false;
    ctx_.TaskCode = kTaskOcInput;
    openIn("OC", ctx_.OcFilePath);
}

namespace {
// The active O-C input window; null (after the message) when the active
// window is not one.
COCView* activeOcView(fw::MainFrame* mf) {
    fw::ChildFrame* f = mf != nullptr ? mf->activeChildFrame() : nullptr;
    auto* v = f != nullptr ? dynamic_cast<COCView*>(f->view()) : nullptr;
    if (v == nullptr) fw::message("Fail:No Activate View");
    return v;
}
}  // namespace

void TaskApp::OnOcCalculate() {
    if (!setPanes(kPanesA)) return;
    WaitCursor wait;
    restoreWorkDir();
    COCView* view = activeOcView(mainFrame());
    if (view == nullptr) return;
    // The window's own data type, whatever another window set since.
    const int code = view->typeCode(), plane = view->mainPlane();
    const auto* doc = dynamic_cast<fw::LineDocument*>(view->document());
    if (doc == nullptr || doc->lines.empty()) {
        fw::message(kEmptyInput);
        return;
    }
    RunCounters run;
    run.first = 1;
    run.last = 0;
    BatchCheck batch;
    const int written = checkAndWriteInput(ctx_.WorkDir + std::string(files::kOcInput), 3, plane, plane, batch);
    if (written < 0) return;
    run.last = written;
    // The window's own task record, accuracy and orbit, whatever another
    // window chose since.
    OcChoices& choices = view->choices();
    if (choices.taskRecord.size() != 1418) choices.taskRecord = LoadOrbitTaskRecord(ctx_.WorkDir);
    if (!fw::write_file_or_warn(ctx_.WorkDir + std::string(files::kOcTask), choices.taskRecord)) return;
    if (!createEmpty(ctx_.WorkDir + std::string(files::kOcResult))) return;
    run.status = 0;
    OcAccuracySettings& acc = choices.accuracy;
    // An introduced orbit has no nodes: elliptic motion.
    OcRunSetup setup{code, choices.orbitIntroduced && acc.runModel == 1 ? 0 : acc.runModel, acc.perturbers, acc.relSun};
    if (choices.orbitIntroduced && acc.runModel == 1) acc.model = acc.runModel = 0;
    // The result's header: the window's own, the accuracy of this run in
    // place of the window's accuracy and orbit (never the title of a
    // separation made since).
    std::string header = view->headerText();
    const std::size_t at = header.find("Accuracy");
    if (at != std::string::npos && at > 0) header.erase(at);
    header += ocAccuracyText(acc);
    // From here on the work files belong to this run.
    ++ctx_.OcRunSerial;
    noteLibraryTaskRun(ctx_);
    if (!runWithProgress(1, run.last, run.first, 10, [&] {
            lib_.O_C(setup.code, setup.model, setup.perturbers.data(), setup.relSun, run.status, run.first, run.last,
                     ProgressStep);
        })) {
        fw::message("A calculation is in progress.");
        return;
    }
    ctx_.OcRun = run;
    ctx_.OcLastRun = setup;
    ctx_.OcResultFromRun = 1;
    ctx_.ObservationTypeCode = code;
    ctx_.TaskCode = kTaskOcResult + plane;
    ctx_.CalcInterrupted = run.status < 0 ? 1 : 0;
    reportSkippedLines(batch, header);
    ctx_.HeaderText = header;
    openIn("OCRes", ctx_.WorkDir + std::string(files::kOcResult));
}

void TaskApp::OnOcSeparate() {
    if (!setPanes(kPanesA)) return;
    std::optional<OcConfigRecord> rec = readOcConfig(ctx_.WorkDir);
    if (!rec) {
        fw::message("Error reading configuration file");
        return;
    }
    SeparationChoice start;
    start.separation = rec->separation;
    start.oneObservatory = rec->oneObservatory;
    start.limits = rec->limitsOn;
    start.code = rec->observatory;
    start.lower = rec->lowerLimit;
    start.upper = rec->upperLimit;
    const int interruptedBefore = ctx_.CalcInterrupted;
    const std::optional<SeparationChoice> sep = dialogs().separation(start, ctx_, lib_);
    if (!sep) return;
    const int observatory = IsBlankText(sep->code) ? -1 : sep->observatory;
    // A limit that stands for none is neither passed on nor shown.
    const bool upperMissing = IsBlankText(sep->upper) || SeparationModel::isNoUpperLimit(sep->upper);
    const bool lowerMissing = IsBlankText(sep->lower) || SeparationModel::isNoLowerLimit(sep->lower);
    const double upper = upperMissing ? 1.0e26 : text_value(sep->upper);
    const double lower = lowerMissing ? -1.0 : text_value(sep->lower);
    if (sep->separation == 0) {
        // Nothing was separated: a stopped run can still be continued.
        ctx_.OcResultFromRun = 1;
        ctx_.CalcInterrupted = interruptedBefore;
        return;
    }
    rec->separation = sep->separation;
    rec->oneObservatory = sep->oneObservatory;
    rec->lowerLimitOn = rec->limitsOn = sep->limits;
    // A text longer than its field keeps its first characters.
    rec->observatory = leftField(sep->code, 3);
    rec->lowerLimit = leftField(sep->lower, 9);
    rec->upperLimit = leftField(sep->upper, 9);
    if (!writeOcConfig(ctx_.WorkDir, *rec)) return;

    WaitCursor wait;
    restoreWorkDir();
    // The selection works on the records of the run the window shows. The
    // work file holds them while no later run has replaced it; a window of
    // an earlier run puts its records back first, after which no stopped
    // run can be continued from files that are no longer its own. A
    // selection window never writes: it selects from the run's file.
    fw::ChildFrame* f = mainFrame() != nullptr ? mainFrame()->activeChildFrame() : nullptr;
    if (auto* v = f != nullptr ? dynamic_cast<COCResView*>(f->view()) : nullptr;
        v != nullptr && v->fromRun() && v->run().serial != ctx_.OcRunSerial && f->document() != nullptr) {
        const auto* d = dynamic_cast<const fw::LineDocument*>(f->document());
        std::string records;
        for (const std::string& l : d->lines) {
            std::string r = l.substr(0, 70);
            r.resize(70, ' ');
            records += r;
        }
        if (!fw::write_file_or_warn(ctx_.WorkDir + std::string(files::kOcResult), records)) return;
        ++ctx_.OcRunSerial;
    }
    if (!createEmpty(ctx_.WorkDir + std::string(files::kOcSelection))) return;
    int count = 0;
    {
        fw::BusyGuard busy;
        if (!busy.acquired()) return;
        lib_.Separate(lower, upper, observatory, count);
    }
    if (count == 0) {
        fw::message("No string meets the requirements");
        ctx_.OcResultFromRun = 1;
        return;
    }
    ctx_.HeaderText.clear();
    selectionTitle_.clear();
    if (ctx_.OcResultFromRun == 0) {
        selectionTitle_ = "  ";
        if (sep->oneObservatory != 0 && observatory != -1) selectionTitle_ += "Observatory number " + sep->code;
        if (sep->limits != 0) {
            if (!lowerMissing) selectionTitle_ += "  abs(O-C)>=" + sep->lower;
            if (!upperMissing) selectionTitle_ += "  abs(O-C)<=" + sep->upper;
        }
    }
    std::ifstream hat(ctx_.WorkDir + std::string(files::kOcHeader), std::ios::binary);
    if (hat) {
        std::string rec70(70, ' ');
        hat.read(rec70.data(), 70);
        rec70.resize(static_cast<std::size_t>(hat.gcount()));
        ctx_.HeaderText += rec70.substr(0, 68) + "\r\n" + selectionTitle_;
    } else {
        fw::message("Warning: head file not found");
    }
    openIn("OCRes", ctx_.WorkDir + std::string(files::kOcSelection));
}

}  // namespace zelvo
