#include "zelvo/ephemeris/ephresult.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QMdiArea>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "framework/application.h"
#include "framework/binfile.h"
#include "framework/childframe.h"
#include "framework/doctemplate.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/mainframe.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "framework/waitcursor.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephdialog.h"
#include "zelvomat/io/files.h"

namespace zelvo {

namespace files = zelvomat::files;
using namespace fw::ids;

namespace {

constexpr std::size_t kHeaderRecord = 82;  // record length of "eph.hat"
constexpr std::size_t kTextWidth = 80;
constexpr int kHeaderRecords = 7;
constexpr unsigned kHelpContext = help::kEphemerisView;

const char kNoHeaderSave[] = "Warning: head file not found";
const char kNoHeaderPrint[] = "Warning: header file not found";
const char kNoFormat[] = "Output error!No format";
const char kRunning[] = "A calculation is in progress.";

using WaitCursor = fw::WaitCursor;

std::string upToZero(std::string_view record, std::size_t width) {
    record = record.substr(0, std::min(record.size(), width));
    return std::string(record.substr(0, record.find('\0')));
}

std::string_view ltrim(std::string_view t) {
    const std::size_t a = t.find_first_not_of(' ');
    return a == std::string_view::npos ? std::string_view() : t.substr(a);
}

std::string_view rtrim(std::string_view t) {
    const std::size_t b = t.find_last_not_of(' ');
    return b == std::string_view::npos ? std::string_view() : t.substr(0, b + 1);
}

std::string padded(std::string_view t, std::size_t n) {
    std::string s(t.substr(0, std::min(t.size(), n)));
    s.resize(n, ' ');
    return s;
}

const std::string& recordAt(const std::vector<std::string>& header, std::size_t i) {
    static const std::string none;
    return i < header.size() ? header[i] : none;
}

bool formatKnown(int key) {
    return std::any_of(RecordFormatTable.begin(), RecordFormatTable.end(),
                       [key](const RecordFormat& f) { return f.key == key; });
}

int formatLineLength(int key) {
    for (const RecordFormat& f : RecordFormatTable)
        if (f.key == key) return f.lineLength;
    return 0;
}

std::string workFile(const AppContext& ctx, std::string_view name) { return ctx.WorkDir + std::string(name); }

}  // namespace

// ---- Texts ----------------------------------------------------------------

std::optional<std::vector<std::string>> readEphHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> records;
    for (int r = 0; r < kHeaderRecords; ++r) {
        std::string rec(kHeaderRecord, '\0');
        in.read(rec.data(), static_cast<std::streamsize>(rec.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        records.push_back(upToZero(std::string_view(rec).substr(0, got), kTextWidth));
        if (got < kHeaderRecord) break;
    }
    return records;
}

std::string ephemerisHeaderText(const std::vector<std::string>& header, const std::string& selectionText) {
    std::string text(ltrim(recordAt(header, 0)));
    text += "\r\n";
    text += rtrim(recordAt(header, 1));
    if (selectionText != " ") text += "  See Task Info for imposed restrictions";
    return text;
}

std::vector<std::string> selectionLines(std::string_view text) {
    std::vector<std::string> out;
    std::size_t p = 0;
    while (p < text.size()) {
        if (text.size() - p > kTextWidth) {
            // The last blank at offsets 1..78 from p; a blank at offset 0
            // (where the previous line was cut) would not move on.
            std::size_t k = 78;
            for (std::size_t j = 78; j >= 1; --j)
                if (text[p + j] == ' ') {
                    k = j;
                    break;
                }
            out.emplace_back(text.substr(p, k));
            p += k;
        } else {
            out.emplace_back(text.substr(p));
            break;
        }
    }
    return out;
}

std::string ephemerisExportText(const std::optional<std::vector<std::string>>& header, const std::string& selectionText,
                                const std::vector<std::string>& lines) {
    std::string out = "                      EPHEMERIDES\r\n";
    if (header) {
        // The observer's record keeps its full width (an observatory's name
        // reaches column 55).
        out += padded(recordAt(*header, 0), kTextWidth) + "\r\n";
        out += padded(recordAt(*header, 1), kTextWidth) + "\r\n";
        for (const std::string& l : selectionLines(selectionText)) out += l + "\r\n";
        for (std::size_t r = 2; r < kHeaderRecords; ++r) out += padded(recordAt(*header, r), kTextWidth) + "\r\n";
    }
    for (const std::string& l : lines) out += padded(l, kTextWidth) + "\r\n";
    return out;
}

std::optional<std::vector<std::string>> readEphemerisRecords(const std::string& path, int recordLength,
                                                             std::size_t skip) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    if (recordLength <= 2) return lines;
    const auto n = static_cast<std::size_t>(recordLength);
    in.seekg(static_cast<std::streamoff>(skip * n));
    if (!in) return lines;
    std::string rec(n, '\0');
    while (in.read(rec.data(), static_cast<std::streamsize>(n)) && static_cast<std::size_t>(in.gcount()) == n)
        lines.push_back(upToZero(rec, n - 2));
    return lines;
}

// ---- Printing -----------------------------------------------------------------

PrintPage layoutPrintPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                          const std::optional<std::vector<std::string>>& header, const std::string& selectionText,
                          const std::vector<std::string>& lines, int lineChars) {
    PrintPage out;
    out.lineHeight = pageHeight / (linesPerPage + 16);
    out.charWidth = pageWidth / 85 >= 28 ? pageWidth / 85 : 0;
    const int lh = out.lineHeight, cw = out.charWidth;
    // Without a header the lines begin one row below the top.
    int last = -1;
    if (header) {
        int row = 0;
        for (std::size_t r = 0; r < 2; ++r)
            out.items.push_back({4 * cw, (row++ + 1) * lh, std::string(ltrim(recordAt(*header, r)))});
        for (const std::string& l : selectionLines(selectionText))
            out.items.push_back({4 * cw, (row++ + 1) * lh, std::string(ltrim(l))});
        for (std::size_t r = 2; r < kHeaderRecords; ++r)
            out.items.push_back({2 * cw, (row++ + 1) * lh, recordAt(*header, r)});
        last = row - 1;
    }
    for (int k = 0; k < linesPerPage; ++k) {
        const long long n = static_cast<long long>(page - 1) * linesPerPage + k;
        if (n < 0 || n >= static_cast<long long>(lines.size())) break;
        const std::string& l = lines[static_cast<std::size_t>(n)];
        out.items.push_back(
            {2 * cw, (k + last + 3) * lh, l.substr(0, std::min(l.size(), static_cast<std::size_t>(lineChars)))});
    }
    out.items.push_back({pageWidth / 2 - 3 * cw, pageHeight - 2 * lh, std::to_string(page)});
    return out;
}

// ---- Document -----------------------------------------------------------------

bool CEphDoc::load(const std::string& path) {
    lines.clear();
    const int r = GetRecordLength(formatKey_);
    if (r == 0) return true;
    WaitCursor wait;
    auto records = readEphemerisRecords(path, r);
    if (!records) return false;
    lines = std::move(*records);
    return true;
}

bool CEphDoc::save(const std::string&) const { return false; }

// ---- View ------------------------------------------------------------------------

int ephemerisRulerIndex(int taskCode) {
    static const int kIndex[10] = {0, 1, 1, 2, 3, 3, 4, 5, 6, 19};
    return taskCode >= 0 && taskCode <= 9 ? kIndex[taskCode] : 0;
}

CEphView::CEphView(AppContext& ctx, Library& lib)
    : ctx_(ctx),
      lib_(lib),
      taskCode_(ctx.TaskCode),
      selectionText_(ctx.SelectionText),
      taskInfoText_(ctx.TaskInfoText) {
    onCommandId(kFileSaveAs, [this] { OnFileSaveAs(); });
    // Save never writes over the work file that Continue reads: it exports
    // the text like Save As.
    onCommandId(kFileSave, [this] { OnFileSaveAs(); });
    onCommandId(cmd::kEphContinue, [this] { OnContinue(); });
    onUpdateId(cmd::kEphContinue, [this](fw::CommandUI& ui) { ui.enable(continueAllowed(false)); });
    onCommandId(cmd::kEphTaskInfo, [this] { OnTaskInfo(); });
    onCommandId(kFilePrint, [this] { onFilePrint(); });
    onCommandId(cmd::kFilePrintDirect, [this] { onFilePrint(); });
    onCommandId(kFilePrintPreview, [this] { OnFilePrintPreview(); });
    onCommandId(kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), kHelpContext, list()); });
    onUpdateId(kIndicatorCaps, [this](fw::CommandUI& ui) {
        const auto* l = documentLines();
        ui.setText("Num " + std::to_string(l != nullptr ? l->size() : 0));
    });
    onUpdateId(kIndicatorRec,
               [this](fw::CommandUI& ui) { ui.setText("Cur " + std::to_string(std::max(0, currentRow()) + 1)); });
    onUpdateId(kIndicatorOvr, [](fw::CommandUI& ui) { ui.setText(""); });
    showTaskInfo = [this](const std::string& text) {
        CTaskInfoDlg dlg(list());
        dlg.text = text;
        dlg.doModal();
    };
}

CEphView::~CEphView() {
    WaitCursor wait;
    MainFrame* mf = main_frame();
    if (mf == nullptr) return;  // the program is ending
    mf->ResetStatusPanes();
    if (!ctx_.EphemerisMode) return;
    // The set-up opens again once this window is gone: from the event loop,
    // not from inside the window's destruction. Nothing runs when the main
    // window goes first.
    AppContext* ctx = &ctx_;
    QTimer::singleShot(0, mf, [ctx] {
        if (ctx->EphemerisMode && ctx->ReopenEphemerisTask) ctx->ReopenEphemerisTask();
    });
}

int CEphView::formatKey() const {
    const auto* d = dynamic_cast<const CEphDoc*>(document());
    return d != nullptr ? d->formatKey() : ctx_.EphFormatKey;
}

void CEphView::onInitialUpdate() {
    WaitCursor wait;
    fw::LineListView::onInitialUpdate();
    model().setRuler(fw::fromCp1252(FormatRulerTable[static_cast<std::size_t>(ephemerisRulerIndex(taskCode_))]));
    if (list() != nullptr) list()->setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnWidth(2000);
}

void CEphView::attachRun(const EphRunState& run) { run_ = run; }

bool CEphView::continueAllowed(bool report) const {
    auto refuse = [report](const std::string& why) {
        if (report) fw::message(why);
        return false;
    };
    if (!run_ || run_->counters.interrupted == 0) return refuse("This ephemeris has no stopped run to continue.");
    if (running_ || fw::library_busy()) return refuse(kRunning);
    if (run_->serial != ctx_.LibraryTaskSerial)
        return refuse(
            "The computing library has run another task since this ephemeris was stopped;\n"
            "it cannot be continued. Run the ephemeris again.");
    return true;
}

void CEphView::OnContinue() {
    if (!continueAllowed(true)) return;
    auto* doc = dynamic_cast<CEphDoc*>(document());
    if (doc == nullptr) return;
    const std::size_t held = doc->lines.size();
    EphRunCounters c = run_->counters;
    c.cont = 1;
    bool ran = false;
    {
        WaitCursor wait;
        running_ = true;
        ran = runWithProgress(1, 100, c.percent, 1,
                              [&] { lib_.progr(c.cont, c.interrupted, c.percent, ProgressStepBy); });
        running_ = false;
    }
    if (!ran) {
        fw::message(kRunning);
        return;
    }
    run_->counters = c;
    run_->serial = ctx_.LibraryTaskSerial;
    ctx_.EphRun = c;
    ctx_.CalcInterrupted = c.interrupted != 0 ? 1 : 0;
    WaitCursor wait;
    const int r = GetRecordLength(doc->formatKey());
    if (r == 0) return;
    if (auto more = readEphemerisRecords(workFile(ctx_, files::kEphemerisResult), r, held))
        doc->lines.insert(doc->lines.end(), more->begin(), more->end());
    onInitialUpdate();
    onUpdate();
}

void CEphView::OnFileSaveAs() {
    if (!formatKnown(formatKey())) {
        fw::message(kNoFormat);
        return;
    }
    fw::FileDialogRequest desc;
    desc.open = false;
    desc.defaultExt = "epr";
    desc.filter = "Ephemeris files (*.epr)|*.epr|All files (*.*)|*.*||";
    desc.overwritePrompt = true;
    const std::optional<std::string> path = fw::fileDialogs().ask(desc);
    if (!path) return;
    WaitCursor wait;
    const auto header = readEphHeader(workFile(ctx_, files::kEphemerisHeader));
    if (!header) fw::message(kNoHeaderSave);
    const auto* l = documentLines();
    const std::string text =
        ephemerisExportText(header, selectionText_, l != nullptr ? *l : std::vector<std::string>{});
    fw::write_file_or_warn(*path, text);
}

void CEphView::OnTaskInfo() {
    if (showTaskInfo) showTaskInfo(taskInfoText_);
}

bool CEphView::onPreparePrinting(fw::PrintInfo& info) {
    info.minPage = 1;
    const auto* l = documentLines();
    info.maxPage = page_count(l != nullptr ? static_cast<int>(l->size()) : 0, lines_per_page(true, PaperKind::A4));
    return true;
}

void CEphView::onBeginPrinting(fw::PrintInfo& info) {
    const auto* l = documentLines();
    linesPerPage_ = beginListPrinting(info, l != nullptr ? static_cast<int>(l->size()) : 0);
    if (!formatKnown(formatKey())) {
        fw::message(kNoFormat);
        info.maxPage = 0;
        return;
    }
    if (info.maxPage == 0) return;
    if (const std::string w = printWarning(info.paper, info.portrait, info.pageRect.width()); !w.empty())
        fw::message(w);
    printHeader_ = readEphHeader(workFile(ctx_, files::kEphemerisHeader));
    if (!printHeader_) fw::message(kNoHeaderPrint);
}

void CEphView::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    const auto* l = documentLines();
    const std::vector<std::string> none;
    drawPrintPage(painter, layoutPrintPage(info.currentPage, info.pageRect.width(), info.pageRect.height(),
                                           linesPerPage_, printHeader_, selectionText_, l != nullptr ? *l : none,
                                           formatLineLength(formatKey()) - 2));
}

int CEphView::printTo(QPrinter& printer) { return fw::printJob(*this, printer, fw::PrintInfo{}); }

void CEphView::onFilePrint() { fw::printWithDialog(*this); }

void CEphView::OnFilePrintPreview() { fw::printPreview(*this, list()); }

// ---- Program hooks ------------------------------------------------------------------

void addEphemerisResources(fw::ResourceTables& r) {
    const fw::MenuItem file{"&File",
                            0,
                            {{"Save &As...", kFileSaveAs, {}},
                             {},
                             {"&Print...", kFilePrint, {}},
                             {"Print Pre&view", kFilePrintPreview, {}},
                             {"P&rint Setup...", kFilePrintSetup, {}}}};
    const fw::MenuItem eph{
        "&Ephemerides", 0, {{"&Continue", cmd::kEphContinue, {}}, {"&Task Info", cmd::kEphTaskInfo, {}}}};
    r.menus[cmd::kEphMenu] = taskWindowMenu(r, file, eph);
}

std::unique_ptr<fw::Document> makeEphemerisDocument(AppContext& ctx) {
    return std::make_unique<CEphDoc>(ctx.EphFormatKey);
}

std::unique_ptr<fw::View> makeEphemerisView(AppContext& ctx, Library& lib) {
    return std::make_unique<CEphView>(ctx, lib);
}

void noteLibraryTaskRun(AppContext& ctx) { ++ctx.LibraryTaskSerial; }

void setEphemerisReopenHandler(AppContext& ctx, std::function<void()> handler) {
    ctx.ReopenEphemerisTask = std::move(handler);
}

fw::Document* OpenEphemerisResult(fw::Application& app, AppContext& ctx, const EphRunCounters& run) {
    // A new run replaced what the library held for any earlier window.
    noteLibraryTaskRun(ctx);
    ctx.EphRun = run;
    ctx.CalcInterrupted = run.interrupted != 0 ? 1 : 0;
    ctx.HeaderText.clear();
    if (const auto header = readEphHeader(workFile(ctx, files::kEphemerisHeader)))
        ctx.HeaderText = ephemerisHeaderText(*header, ctx.SelectionText);
    else
        fw::message(kNoHeaderPrint);
    ctx.EphemerisMode = true;
    fw::DocTemplate* t = app.findTemplate("Eph");
    if (t == nullptr) return nullptr;
    fw::Document* doc = app.openDocumentFile(*t, workFile(ctx, files::kEphemerisResult));
    if (doc == nullptr || app.mainFrame() == nullptr) return doc;
    for (fw::ChildFrame* f : app.mainFrame()->childFrames())
        if (f->document() == doc)
            if (auto* v = dynamic_cast<CEphView*>(f->view())) v->attachRun({run, ctx.LibraryTaskSerial});
    return doc;
}

}  // namespace zelvo
