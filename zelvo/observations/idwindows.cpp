#include "zelvo/observations/idwindows.h"

#include <QApplication>
#include <QTreeView>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "framework/application.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/waitcursor.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/observations/obsdialogs.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvomat/io/files.h"

namespace zelvo {

using namespace fw::ids;
namespace files = zelvomat::files;

namespace {

using WaitCursor = fw::WaitCursor;

const char kNoHead[] = "Warning: head file not found";
const char kNoFormat[] = "Output error!No format";

bool formatKnown(int key) { return FindRecordFormat(key) >= 0; }

EditorFormat shapeFor(bool observatory) {
    return observatory ? observatoryEditorFormat() : identificationEditorFormat();
}

}  // namespace

// ---- Identification and observatory lists ---------------------------------------------

std::string observatoryExportText(const std::string& selectionText, bool selection,
                                  const std::optional<std::vector<std::string>>& head,
                                  const std::vector<std::string>& records) {
    std::string out;
    if (selection) out += selectionText;
    out += "\r\n";
    if (head)
        for (const std::string& h : *head) out += h.substr(0, 80) + "\r\n";
    for (const std::string& r : records) {
        const std::size_t end = r.find_last_of("\r\n");
        out += (end == std::string::npos ? r : r.substr(0, end)) + "\r\n";
    }
    return out;
}

CIndentView::CIndentView(AppContext& ctx, Library& lib, TaskDialogs& dialogs, IndentMode mode)
    : LineEditorView(ctx, lib, dialogs, shapeFor(mode != IndentMode::Identification)),
      mode_(mode),
      selectionText_(ctx.SelectionText) {
    ctx_.CurrentRow = 0;
    if (mode_ == IndentMode::Identification) {
        ctx_.RowCount = 0;
        ctx_.ObservationTypeCode = 111;
    }
    const int edit = shape().commands.edit;
    if (observatoryMode()) {
        // The list's level of the row counts: 0 for the list, the next free
        // one for a selection.
        level_ = mode_ == IndentMode::ObservatoryList ? takeRowCountLevel(ctx_, 0) : takeRowCountLevel(ctx_);
        set_row_count(ctx_, level_, 0);
        // Only the whole list is edited; a selection never blocks it.
        onUpdateId(edit, [this](fw::CommandUI& ui) { ui.enable(editable()); });
        onCommandId(edit, [this] {
            if (editable()) editor().edit();
        });
        // One selection at a time.
        onUpdateId(cmd::kObservatoriesSelect,
                   [this](fw::CommandUI& ui) { ui.enable(ctx_.ObservatorySelections == 0); });
        if (mode_ == IndentMode::ObservatorySelection) ++ctx_.ObservatorySelections;
    }
    onCommandId(kFileSaveAs, [this] { OnFileSaveAs(); });
}

CIndentView::~CIndentView() {
    if (observatoryMode()) releaseRowCountLevel(ctx_, level_);
    if (mode_ == IndentMode::ObservatorySelection && --ctx_.ObservatorySelections <= 0) {
        ctx_.ObservatorySelections = 0;
        ctx_.EditCommandEnabled = 1;
    }
}

void CIndentView::onInitialUpdate() {
    if (LineListDocument* d = doc()) d->setRowCountLevel(level_);
    LineEditorView::onInitialUpdate();
    if (observatoryMode() && list() != nullptr) list()->setSelectionMode(QAbstractItemView::SingleSelection);
}

std::string CIndentView::printPrefix() const {
    return mode_ == IndentMode::ObservatorySelection ? selectionText_ : std::string();
}

void CIndentView::OnFileSaveAs() {
    const int key = observatoryMode() ? 200 : 10;
    if (!formatKnown(key)) {
        fw::message(kNoFormat);
        return;
    }
    LineListDocument* d = doc();
    if (d == nullptr) return;
    WaitCursor wait;
    if (observatoryMode()) {
        const auto path = askSavePath("obs", "Observatory files (*.obs)|*.obs|All files (*.*)|*.*||");
        if (!path) return;
        const auto head = readHeadFile(ctx_.ObservatoryDir + "obs.hd1", 0, 3);
        if (!head) fw::message(kNoHead);
        saveTextFile(*path,
                     observatoryExportText(selectionText_, mode_ == IndentMode::ObservatorySelection, head, d->lines));
        return;
    }
    const auto path = askSavePath("idn", "Ident files (*.idn)|*.idn|All files (*.*)|*.*||");
    if (!path) return;
    const std::string own = d->pathName();
    if (!d->onSaveDocument(*path)) {
        d->reportSaveFailure(*path);
        return;
    }
    if (!own.empty()) d->setPathName(own);
}

// ---- Identification result ------------------------------------------------------------

std::string idExportText(const std::optional<std::vector<std::string>>& head, const std::vector<std::string>& lines) {
    std::string out = "              IDENTIFICATION LIST\r\n";
    if (head)
        for (const std::string& h : *head) out += h.substr(0, 80) + "\r\n";
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

PrintPage layoutIdResultPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                             const std::optional<std::vector<std::string>>& head,
                             const std::vector<std::string>& lines) {
    EditorPrintFormat shape;
    shape.headLines = 7;
    shape.lineOffset = 1.1;
    shape.rows = head ? static_cast<int>(head->size()) : 0;
    shape.rowsWithoutHead = 0;
    shape.lineChars = 80;
    return layoutEditorPage(page, pageWidth, pageHeight, linesPerPage, head, shape, lines,
                            static_cast<int>(lines.size()));
}

CIndentResultView::CIndentResultView(AppContext& ctx, Library& lib, std::array<double, 2> tolerance)
    : RunResultView(ctx, lib) {
    run_.counters = ctx.IdRun;
    run_.tolDecl = tolerance[0];
    run_.tolRA = tolerance[1];
    run_.serial = ctx.IdRunSerial;
    ctx_.CurrentRow = 0;
    addResultCommands(cmd::kIdPrintPreview, cmd::kIdContinue, help::kIdResult);
    onUpdateId(kIndicatorCaps, [this](fw::CommandUI& ui) { ui.setText("Num " + std::to_string(rowCount_)); });
    onUpdateId(kIndicatorRec, [this](fw::CommandUI& ui) { ui.setText("Cur " + std::to_string(ctx_.CurrentRow + 1)); });
    onUpdateId(kIndicatorNum, [this](fw::CommandUI& ui) { ui.setText("R.A.<" + tolerancePaneText(run_.tolRA)); });
    onUpdateId(kIndicatorExt, [this](fw::CommandUI& ui) { ui.setText("Decl.<" + tolerancePaneText(run_.tolDecl)); });
}

CPlateObjectListView::CPlateObjectListView(AppContext& ctx) {
    onCommandId(kHelp, [&ctx] { fw::show_help(AppDirectory(ctx) + HelpFileName(ctx), help::kPlateObjectList); });
}

CIndentResultView::~CIndentResultView() {
    ctx_.OcResultFromRun = 1;
    // The program-wide run is cleared only when it is this window's.
    if (ctx_.IdRunSerial == run_.serial) {
        ctx_.CalcInterrupted = ctx_.IdRun.status < 0 ? 1 : 0;
        ctx_.IdRun.status = 0;
    }
    ctx_.TaskCode = kTaskIdInput;
}

void CIndentResultView::onInitialUpdate() {
    fw::LineListView::onInitialUpdate();
    showRecords(40);
    rowCount_ = static_cast<int>(lines().size());
}

bool CIndentResultView::continueAllowed(bool report) const {
    return RunResultView::continueAllowed(report, interrupted(), run_.serial, ctx_.IdRunSerial,
                                          {"This identification has no stopped run to continue.",
                                           "Identify has been run again since this identification was stopped;\n"
                                           "it cannot be continued. Identify again."});
}

void CIndentResultView::OnContinue() {
    if (!continueAllowed(true)) return;
    auto* d = dynamic_cast<CIndentResultDoc*>(document());
    if (d == nullptr) return;
    RunCounters c = run_.counters;
    if (!runContinuation(c, 1, [&] { lib_.IdCalc(c.status, c.first, c.last, run_.tolRA, run_.tolDecl, ProgressStep); }))
        return;
    run_.counters = c;
    ctx_.IdRun = c;
    ctx_.OcResultFromRun = 1;
    ctx_.CalcInterrupted = c.status < 0 ? 1 : 0;
    WaitCursor wait;
    const int length = GetRecordLength(40);
    if (length == 0) return;
    appendContinuedRecords(d->lines, ctx_.WorkDir + std::string(files::kIdResult), length, c.status);
    rowCount_ = static_cast<int>(d->lines.size());
    model().setItemCount(rowCount_);
}

void CIndentResultView::OnFileSaveAs() {
    if (!formatKnown(40)) {
        fw::message(kNoFormat);
        return;
    }
    WaitCursor wait;
    const auto path = askSavePath("idr", "Ident result files (*.idr)|*.idr|All files (*.*)|*.*||");
    if (!path) return;
    const auto head = readHeadFile(ctx_.WorkDir + std::string(files::kIdentificationHeader), 0, 7);
    if (!head) fw::message(kNoHead);
    saveTextFile(*path, idExportText(head, lines()));
}

void CIndentResultView::onBeginPrinting(fw::PrintInfo& info) {
    if (!beginRecordPrinting(info, 40, true)) return;
    head_ = readHeadFile(ctx_.WorkDir + std::string(files::kIdentificationHeader), 0, 7);
    if (!head_) fw::message(kNoHead);
}

PrintPage CIndentResultView::layoutPage(const fw::PrintInfo& info) const {
    return layoutIdResultPage(info.currentPage, info.pageRect.width(), info.pageRect.height(), linesPerPage_, head_,
                              lines());
}

void CIndentResultView::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    drawPrintPage(painter, layoutPage(info));
}

// ---- Menus --------------------------------------------------------------------------------

void addIdResources(fw::ResourceTables& r) {
    const fw::MenuItem file = lineWindowFileMenu();
    const fw::MenuItem ident{"&Identification",
                             0,
                             {{"&Edit", 32835, {}},
                              {"&Add string", 32882, {}},
                              {"I&nsert string", 32886, {}},
                              {"&Delete block", 32885, {}},
                              {},
                              {"&Copy", 40025, {}},
                              {"&Paste", 40026, {}},
                              {},
                              {"&Identify", cmd::kIdentificationIdentify, {}}}};
    r.menus[cmd::kIdInputMenu] = taskWindowMenu(r, file, ident);
    const fw::MenuItem observatories{"Observatories",
                                     0,
                                     {{"&Edit", 32835, {}},
                                      {"Select", cmd::kObservatoriesSelect, {}},
                                      {"Calculate", cmd::kObservatoriesCalculate, {}}}};
    r.menus[cmd::kObservatoryMenu] = taskWindowMenu(r, file, observatories);
    const fw::MenuItem result{"&Indentification", 0, {{"&Continuation", cmd::kIdContinue, {}}}};
    r.menus[cmd::kIdResultMenu] = taskWindowMenu(r, file, result);
}

}  // namespace zelvo
