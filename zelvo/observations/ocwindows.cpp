#include "zelvo/observations/ocwindows.h"

#include <QApplication>
#include <QTreeView>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "framework/application.h"
#include "framework/binfile.h"
#include "framework/childframe.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "framework/waitcursor.h"
#include "zelvo/app/childframes.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/occonfig.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/orbitinput.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvomat/io/files.h"

namespace zelvo {

namespace files = zelvomat::files;
using namespace fw::ids;

namespace {

using WaitCursor = fw::WaitCursor;

constexpr std::size_t kHatRecord = 70;
const char kNoHead[] = "Warning: head file not found";
const char kNoFormat[] = "Output error!No format";

std::string ltrim(const std::string& t) {
    const std::size_t a = t.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : t.substr(a);
}

bool formatKnown(int key) {
    return std::any_of(RecordFormatTable.begin(), RecordFormatTable.end(),
                       [key](const RecordFormat& f) { return f.key == key; });
}

}  // namespace

std::string ocStatusText(const std::string& headerText, int model, const OcAccuracySettings& accuracy, bool withRelSun,
                         bool orbitIntroduced, bool orbitAsElements, bool singleOrbit,
                         const std::string& orbitListFile) {
    std::string t = headerText;
    const std::size_t at = t.find("Accuracy");
    if (at != std::string::npos && at > 0) t.erase(at);
    t += accuracy_text(model, accuracy, withRelSun);
    if (!orbitIntroduced) return t + "  Orbit: from data base of the package ";
    std::string file = orbitListFile;
    file.erase(file.find_last_not_of(' ') == std::string::npos ? 0 : file.find_last_not_of(' ') + 1);
    if (file.size() > 20) file = "..." + file.substr(file.size() - 20);
    if (orbitAsElements)
        return t + (singleOrbit ? "  Orbit: Introduced elements" : "  Orbit: Introduced elements file '" + file + "'");
    return t + (singleOrbit ? "  Orbit: Introduced coordinates&velocities"
                            : "  Orbit: Introduced coordinates&velocities file '" + file + "'");
}

// ---- Input window ---------------------------------------------------------------------

COCView::COCView(AppContext& ctx, Library& lib, TaskDialogs& dialogs, OcChoices choices)
    : LineEditorView(ctx, lib, dialogs, ocEditorFormat(std::clamp((ctx.ObservationTypeCode / 10) % 10, 1, 3))),
      typeCode_(ctx.ObservationTypeCode),
      choices_(std::move(choices)),
      headerText_(ctx.HeaderText) {
    if (mainPlane() < 1 || mainPlane() > 3) typeCode_ = 111;
    ctx_.CurrentRow = 0;
    ctx_.RowCount = 0;
    onCommandId(cmd::kOcDataType, [this] { onDataType(); });
    onCommandId(cmd::kOcAccuracy, [this] { onAccuracy(); });
    onCommandId(cmd::kOcOrbit, [this] { onOrbitParameters(); });
}

void COCView::showCaptions() {
    if (frame() == nullptr) return;
    const auto& rec = ColumnCaptionTable[static_cast<std::size_t>(16 + mainPlane())];
    frame()->setControlText(1074, std::string(rec[0]));
    frame()->setControlText(1059, std::string(rec[1]));
}

void COCView::showHeader() {
    // The header of the window last changed is the one a new window or a
    // result window takes.
    ctx_.HeaderText = headerText_;
    if (frame() != nullptr) frame()->setControlText(bars::kHeaderEdit, headerText_);
}

void COCView::onInitialUpdate() {
    LineEditorView::onInitialUpdate();
    showCaptions();
    updateStatusText(false);
}

void COCView::updateStatusText(bool withRelSun) {
    OcAccuracySettings& acc = choices_.accuracy;
    // An introduced orbit is never computed by nodes.
    if (choices_.orbitIntroduced && acc.model == 1) acc.model = acc.runModel = 0;
    headerText_ =
        ocStatusText(headerText_, acc.model, acc, withRelSun, choices_.orbitIntroduced, choices_.orbitAsElements,
                     IsSingleOrbitInput(choices_.taskRecord), choices_.orbitListFile);
    showHeader();
}

void COCView::onDataType() {
    ObsTypeModel m;
    m.start(typeCode_);
    if (!dialogs_.observationType(m)) return;
    headerText_ = obsTypeHeader(m.positions, m.mainPlane, m.equinox, choices_.accuracy);
    showHeader();
    std::optional<OcConfigRecord> rec = readOcConfig(ctx_.WorkDir);
    if (!rec) {
        fw::message("Error reading configuration file");
        return;
    }
    rec->code = m.typeCode;
    if (!writeOcConfig(ctx_.WorkDir, *rec)) return;
    ctx_.ObservationTypeCode = m.typeCode;
    typeCode_ = m.typeCode;
    // The lines stay as they are; their format, captions and check follow
    // the new main plane.
    setFormat(ocEditorFormat(mainPlane()));
    showCaptions();
}

void COCView::onAccuracy() {
    if (dialogs_.accuracy(ctx_, choices_.accuracy, choices_.orbitIntroduced)) updateStatusText(true);
}

void COCView::onOrbitParameters() {
    OrbitParamModel m(choices_);
    dialogs_.orbitParameters(m, [this](bool elements) {
        choices_.orbitAsElements = elements;
        ctx_.EphemerisMode = false;
        runOrbitInputDialog(ctx_, lib_, choices_.taskRecord, elements, choices_.orbitListFile, list());
    });
    updateStatusText(true);
    // The accuracy dialog opens on elliptic motion next time; the run keeps
    // its copy of the model.
    if (choices_.orbitIntroduced) choices_.accuracy.model = 0;
}

// ---- Result window --------------------------------------------------------------------

std::optional<std::vector<std::string>> readOcRecords(const std::string& path, int recordLength, std::size_t skip) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    if (recordLength <= 0) return lines;
    const auto n = static_cast<std::size_t>(recordLength);
    in.seekg(static_cast<std::streamoff>(skip * n));
    if (!in) return lines;
    std::string rec(n, '\0');
    while (in.read(rec.data(), static_cast<std::streamsize>(n)) && static_cast<std::size_t>(in.gcount()) == n)
        lines.push_back(rec.substr(0, rec.find('\0')));
    return lines;
}

void appendContinuedRecords(std::vector<std::string>& lines, const std::string& path, int recordLength, int status) {
    auto more = readOcRecords(path, recordLength, lines.size());
    if (!more) return;
    const auto want = static_cast<std::size_t>(std::abs(status));
    for (std::string& l : *more) {
        if (lines.size() >= want) break;
        lines.push_back(std::move(l));
    }
}

std::optional<std::string> askSavePath(const char* ext, const char* filter) {
    fw::FileDialogRequest desc;
    desc.open = false;
    desc.defaultExt = ext;
    desc.filter = filter;
    desc.overwritePrompt = true;
    return fw::fileDialogs().ask(desc);
}

bool saveTextFile(const std::string& path, const std::string& text) { return fw::write_file_or_warn(path, text); }

fw::MenuItem lineWindowFileMenu() {
    return {"&File",
            0,
            {{"Save &As...", kFileSaveAs, {}},
             {},
             {"&Print...\tCtrl+P", kFilePrint, {}},
             {"Print Pre&view", kFilePrintPreview, {}},
             {"P&rint Setup...", kFilePrintSetup, {}}}};
}

std::optional<std::vector<std::string>> readOcHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> out;
    for (int k = 0; k < 6; ++k) {
        std::string rec(kHatRecord, ' ');
        in.read(rec.data(), static_cast<std::streamsize>(kHatRecord));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        rec.resize(got);
        out.push_back(rec.substr(0, rec.find('\0')));
    }
    return out;
}

std::string ocExportText(const std::optional<std::vector<std::string>>& header, const std::string& title,
                         const std::vector<std::string>& lines) {
    std::string out = "                       O-C RESULT\r\n";
    if (header) {
        auto rec = [&](std::size_t i) { return i < header->size() ? (*header)[i].substr(0, 69) : std::string(); };
        out += rec(0) + "\r\n" + title + "\r\n";
        for (std::size_t i = 1; i < 6; ++i) out += rec(i) + "\r\n";
    }
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

PrintPage layoutOcResultPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                             const std::optional<std::vector<std::string>>& header, const std::string& title,
                             const std::vector<std::string>& lines, int lineChars) {
    PrintPage out;
    const int h = pageHeight / std::max(1, linesPerPage + 7 + 4);
    const int m = pageWidth / 85 >= 28 ? pageWidth / 85 : 0;
    out.lineHeight = h;
    out.charWidth = m;
    if (header) {
        std::size_t next = 0;
        for (int j = 0; j <= 6; ++j) {
            std::string text;
            if (j == 1)
                text = ltrim(title);
            else if (next < header->size())
                // The head's column captions keep their leading blanks:
                // they stand over the columns of the lines printed below.
                text = (*header)[next++];
            out.items.push_back({4 * m, h * j + h, text});
        }
    }
    const int r = header ? 7 : 0;
    for (int l = 0; l < linesPerPage; ++l) {
        const long long i = static_cast<long long>(page - 1) * linesPerPage + l;
        if (i < 0 || i >= static_cast<long long>(lines.size())) break;
        const std::string& line = lines[static_cast<std::size_t>(i)];
        out.items.push_back({4 * m, h * l + static_cast<int>(std::trunc(2.1 * h)) + h * r,
                             line.substr(0, std::min(line.size(), static_cast<std::size_t>(lineChars)))});
    }
    out.items.push_back({pageWidth / 2 - 3 * m, pageHeight - 2 * h, std::to_string(page)});
    return out;
}

COCResView::COCResView(AppContext& ctx, Library& lib, std::string selectionTitle)
    : RunResultView(ctx, lib),
      key_(ctx.TaskCode > kTaskOcResult && ctx.TaskCode <= kTaskOcResult + 3
               ? ctx.TaskCode - 6
               : std::clamp((ctx.ObservationTypeCode / 10) % 10, 1, 3) + 3),
      fromRun_(ctx.OcResultFromRun != 0),
      title_(ctx.OcResultFromRun != 0 ? std::string("  ") : std::move(selectionTitle)),
      level_(takeRowCountLevel(ctx)) {
    if (fromRun_) run_ = {ctx.OcRun, ctx.OcLastRun, ctx.OcRunSerial};
    ctx_.CurrentRow = 0;
    ctx_.RowCount = 0;
    // Save exports too: never over the work files that Continue and Separate
    // read.
    addResultCommands(cmd::kOcPrintPreview, cmd::kOcContinue, help::kOcResult);
    // Separate selects from a run's records: offered in the window of a run
    // (also while a selection window is open) and not in a selection's.
    onUpdateId(cmd::kOcSeparate, [this](fw::CommandUI& ui) { ui.enable(fromRun_ && !running_); });
    onUpdateId(kIndicatorCaps, [this](fw::CommandUI& ui) {
        ui.setText("Num " + std::to_string(level_ >= 0 ? ctx_.RowCountStack[static_cast<std::size_t>(level_)]
                                                       : static_cast<int>(lines().size())));
    });
    onUpdateId(kIndicatorRec, [this](fw::CommandUI& ui) { ui.setText("Cur " + std::to_string(ctx_.CurrentRow + 1)); });
}

COCResView::~COCResView() {
    releaseRowCountLevel(ctx_, level_);
    ctx_.OcResultFromRun = 1;
    ctx_.CalcInterrupted = ctx_.OcRun.status < 0 ? 1 : 0;
    if (ctx_.RowCountDepth == 0) ctx_.TaskCode = kTaskOcInput;
    if (MainFrame* mf = main_frame()) mf->ResetStatusPanes();
}

void COCResView::storeRowCount() { set_row_count(ctx_, level_, static_cast<int>(lines().size())); }

void COCResView::onInitialUpdate() {
    fw::LineListView::onInitialUpdate();
    showRecords(key_);
    storeRowCount();
}

bool COCResView::continueAllowed(bool report) const {
    return RunResultView::continueAllowed(report, interrupted(), run_.serial, ctx_.OcRunSerial,
                                          {"These residuals have no stopped run to continue.",
                                           "O-C has been calculated again since these residuals were stopped;\n"
                                           "they cannot be continued. Calculate O-C again."});
}

void COCResView::OnContinue() {
    if (!continueAllowed(true)) return;
    auto* doc = dynamic_cast<COCResDoc*>(document());
    if (doc == nullptr) return;
    RunCounters c = run_.counters;
    const OcRunSetup& s = run_.setup;
    if (!runContinuation(c, 10, [&] {
            lib_.O_C(s.code, s.model, s.perturbers.data(), s.relSun, c.status, c.first, c.last, ProgressStep);
        }))
        return;
    run_.counters = c;
    ctx_.OcRun = c;
    ctx_.OcResultFromRun = 1;
    ctx_.CalcInterrupted = c.status < 0 ? 1 : 0;
    WaitCursor wait;
    const int length = GetRecordLength(key_);
    if (length == 0) return;
    appendContinuedRecords(doc->lines, ctx_.WorkDir + std::string(files::kOcResult), length, c.status);
    model().setItemCount(static_cast<int>(doc->lines.size()));
    storeRowCount();
}

void COCResView::OnFileSaveAs() {
    if (!formatKnown(key_)) {
        fw::message(kNoFormat);
        return;
    }
    WaitCursor wait;
    const auto path = askSavePath("ocr", "O-C result files (*.ocr)|*.ocr|All files (*.*)|*.*||");
    if (!path) return;
    const auto header = readOcHeader(ctx_.WorkDir + std::string(files::kOcHeader));
    if (!header) fw::message(kNoHead);
    saveTextFile(*path, ocExportText(header, title_, lines()));
}

void COCResView::onBeginPrinting(fw::PrintInfo& info) {
    if (!beginRecordPrinting(info, key_, false)) return;
    head_ = readOcHeader(ctx_.WorkDir + std::string(files::kOcHeader));
    if (!head_) fw::message(kNoHead);
}

PrintPage COCResView::layoutPage(const fw::PrintInfo& info) const {
    return layoutOcResultPage(info.currentPage, info.pageRect.width(), info.pageRect.height(), linesPerPage_, head_,
                              title_, lines(), GetRecordLength(key_) - 2);
}

void COCResView::onPrint(QPainter& painter, const fw::PrintInfo& info) { drawPrintPage(painter, layoutPage(info)); }

// ---- Menus --------------------------------------------------------------------------------

void addOcResources(fw::ResourceTables& r) {
    const fw::MenuItem inputFile = lineWindowFileMenu();
    const fw::MenuItem oc{"&O-C",
                          0,
                          {{"&Edit", 32840, {}},
                           {"&Add string", 32838, {}},
                           {"&Insert string", 32884, {}},
                           {"&Delete block", 32883, {}},
                           {},
                           {"&Copy", 40023, {}},
                           {"&Paste", 40024, {}},
                           {},
                           {"Data &type", cmd::kOcDataType, {}},
                           {"Calculation accuracy", cmd::kOcAccuracy, {}},
                           {"&Orbit parameters", cmd::kOcOrbit, {}},
                           {},
                           {"Ca&lculate O-C", 32841, {}}}};
    r.menus[cmd::kOcInputMenu] = taskWindowMenu(r, inputFile, oc);
    const fw::MenuItem resultFile{"&File",
                                  0,
                                  {{"Save &As...", kFileSaveAs, {}},
                                   {},
                                   {"&Print...\tCtrl+P", kFilePrint, {}},
                                   {"Print preview", cmd::kOcPrintPreview, {}},
                                   {"P&rint Setup...", kFilePrintSetup, {}}}};
    const fw::MenuItem res{
        "&O-C", 0, {{"&Separate", cmd::kOcSeparate, {}}, {"&Continue calculate", cmd::kOcContinue, {}}}};
    r.menus[cmd::kOcResultMenu] = taskWindowMenu(r, resultFile, res);
}

}  // namespace zelvo
