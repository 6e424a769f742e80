#include "zelvo/observations/platelist.h"

#include <QItemSelectionModel>
#include <QTreeView>
#include <cstdio>

#include "framework/application.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/mainframe.h"
#include "framework/messages.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/tables.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvomat/io/files.h"

namespace zelvo {

void deletePlateString(AppContext& ctx, LineListDocument& doc, ListControl& list, const std::string& failure) {
    const std::vector<int> sel = list.selectedRows();
    if (sel.empty()) {
        fw::message(kNoStringToDelete);
        return;
    }
    const int r = sel.front();
    if (r >= static_cast<int>(doc.lines.size())) return;
    doc.setModified();
    if (!list.deleteItem(r)) {
        fw::message(failure);
        return;
    }
    doc.lines.erase(doc.lines.begin() + r);
    ctx.RowCount -= 1;
    ctx.CurrentRow = r;
}

void choosePlateRow(AppContext& ctx, ListControl& list, int& keptRow) {
    ctx.EditCommandEnabled = 1;
    const std::vector<int> sel = list.selectedRows();
    if (!sel.empty()) ctx.CurrentRow = sel.back();
    if (sel.size() < 2) {
        keptRow = ctx.CurrentRow;
        return;
    }
    for (int r : sel)
        if (r != keptRow) list.deselect(r);
    // The row that stays selected is the current one.
    ctx.CurrentRow = keptRow;
    fw::message(kTooManyStrings);
}

CUltPlateView::CUltPlateView(AppContext& ctx, Library& lib, TaskDialogs& dialogs)
    : LineEditorView(ctx, lib, dialogs, plateEditorFormat()) {
    ctx_.EditCommandEnabled = 1;
    ctx_.RowCount = 0;
    ctx_.CurrentRow = 0;
    ctx_.ObservationTypeCode = 111;
    onCommandId(40014, [this] {
        if (LineListDocument* d = doc()) {
            deletePlateString(ctx_, *d, *this, shape().deleteFailure);
            setItemCount(static_cast<int>(d->lines.size()));
        }
    });
    onUpdateId(cmd::kPlatePlot, [this](fw::CommandUI& ui) { ui.enable(plotAllowed()); });
    onUpdateId(cmd::kPlateObjectList, [](fw::CommandUI& ui) { ui.enable(true); });
}

void CUltPlateView::onRowChosen(bool click) {
    if (!click) {
        LineEditorView::onRowChosen(false);
        return;
    }
    plot_ = nullptr;
    choosePlateRow(ctx_, *this, keptRow_);
}

// ---- The plate object list of a search -------------------------------------------------

std::string plateObjectExportText(const std::optional<std::vector<std::string>>& head,
                                  const std::vector<std::string>& lines) {
    std::string out = "                  LIST OF OBJECTS\r\n";
    if (head)
        for (const std::string& h : *head) out += h.substr(0, 80) + "\r\n";
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

CPlateResultView::CPlateResultView(AppContext& ctx) : ctx_(ctx) {
    ctx_.CurrentRow = 0;
    onCommandId(fw::ids::kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), 0x20000u + 110u); });
    onCommandId(fw::ids::kFileSaveAs, [this] { OnFileSaveAs(); });
    onCommandId(fw::ids::kFilePrint, [this] { fw::printWithDialog(*this); });
    onCommandId(fw::ids::kFilePrintPreview, [this] { fw::printPreview(*this, list()); });
    // The list's panes: its number of objects and the row last chosen.
    onUpdateId(fw::ids::kIndicatorCaps, [this](fw::CommandUI& ui) {
        ui.setText("Num " + std::to_string(static_cast<int>(objectLines().size())));
    });
    onUpdateId(fw::ids::kIndicatorRec,
               [this](fw::CommandUI& ui) { ui.setText("Cur " + std::to_string(ctx_.CurrentRow + 1)); });
    // One plot of the plate at a time: while it is open, Plot of plate is
    // not offered here (the Window menu brings the plot back).
    onUpdateId(cmd::kResultPlatePlot, [this](fw::CommandUI& ui) { ui.enable(plot_.isNull()); });
}

QWidget* CPlateResultView::createWidget(QWidget* parent) {
    QWidget* w = fw::LineListView::createWidget(parent);
    // The row chosen by the mouse or the keys is the "Cur " row.
    QObject::connect(list()->selectionModel(), &QItemSelectionModel::currentRowChanged, list(),
                     [this](const QModelIndex& current, const QModelIndex&) {
                         if (current.isValid()) ctx_.CurrentRow = current.row();
                     });
    return w;
}

const std::vector<std::string>& CPlateResultView::objectLines() const {
    static const std::vector<std::string> none;
    const std::vector<std::string>* lines = documentLines();
    return lines != nullptr ? *lines : none;
}

void CPlateResultView::OnFileSaveAs() {
    if (GetRecordLength(400) == 0) return;  // after "Output error!No format"
    const auto path = askSavePath("plr", "Plate result files (*.plr)|*.plr|All files (*.*)|*.*||");
    if (!path) return;
    const auto head = readHeadFile(ctx_.WorkDir + std::string(zelvomat::files::kPlateHeader), 0, 8);
    if (!head) fw::message("Warning: head file not found");
    saveTextFile(*path, plateObjectExportText(head, objectLines()));
}

bool CPlateResultView::onPreparePrinting(fw::PrintInfo& info) {
    info.minPage = 1;
    return true;
}

void CPlateResultView::onBeginPrinting(fw::PrintInfo& info) {
    linesPerPage_ = beginListPrinting(info, static_cast<int>(objectLines().size()));
    if (GetRecordLength(400) == 0) {
        info.maxPage = 0;
        return;
    }
    if (info.maxPage == 0) return;
    if (const std::string w = printWarning(info.paper, info.portrait, info.pageRect.width()); !w.empty())
        fw::message(w);
    head_ = readHeadFile(ctx_.WorkDir + std::string(zelvomat::files::kPlateHeader), 0, 8);
    if (!head_) fw::message("Warning: head file not found");
}

PrintPage CPlateResultView::layoutPage(const fw::PrintInfo& info) const {
    EditorPrintFormat shape;
    shape.headLines = 8;
    shape.lineOffset = 1.1;
    shape.rows = head_ ? static_cast<int>(head_->size()) : 0;
    shape.rowsWithoutHead = 0;
    shape.lineChars = 80;
    const std::vector<std::string>& lines = objectLines();
    return layoutEditorPage(info.currentPage, info.pageRect.width(), info.pageRect.height(), linesPerPage_, head_,
                            shape, lines, static_cast<int>(lines.size()));
}

void CPlateResultView::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    drawPrintPage(painter, layoutPage(info));
}

// ---- The object report ----------------------------------------------------------------

std::string FormatSexagesimalColumn(int a, int b, double v) {
    std::string s;
    if (std::abs(a) <= 9) s += ' ';
    s += std::to_string(a) + "  ";
    if (b <= 9) s += '0';
    s += std::to_string(b) + "  ";
    if (v < 10) s += '0';
    s += fixedText("%4.2f", v);
    return s;
}

std::string FormatObjectNameColumn(const std::string& text) {
    // The last two characters go, and the blanks before them.
    std::string cut;
    const int n = static_cast<int>(text.size());
    for (int i = n - 3; i >= 0; --i)
        if (text[static_cast<std::size_t>(i)] != ' ') {
            cut = text.substr(0, static_cast<std::size_t>(i) + 1);
            break;
        }
    std::string out;
    if (!text.empty() && text[0] == '0') {
        out = std::string(10, ' ');
    } else {
        const int v = fieldInt(text);
        out = std::string(v < 10 ? 6 : v < 100 ? 4 : v < 1000 ? 2 : 0, ' ') + std::to_string(v) + "  ";
    }
    if (cut.size() > 5) out += cut.substr(5);
    return out;
}

std::array<std::string, 4> plateObjectColumns(const PlateObjectRecord& r) {
    std::string decl = FormatSexagesimalColumn(std::abs(r.declDegrees), r.declMinutes, r.declSeconds);
    if (r.declSign == '-') decl = "-" + decl;
    return {FormatObjectNameColumn(r.nameText()), FormatSexagesimalColumn(r.raHours, r.raMinutes, r.raSeconds), decl,
            fixedText("%4.2f", r.magnitude)};
}

std::string plateObjectCountText(int count) { return "Total number of objects: " + std::to_string(count); }

CPlateListView::CPlateListView(AppContext& ctx) : ctx_(ctx) {
    onCommandId(fw::ids::kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), help::kPlateReport); });
}

CPlateListView::~CPlateListView() {
    if (fw::MainFrame* mf = main_frame()) mf->setMessageText("");
}

QWidget* CPlateListView::createWidget(QWidget* parent) {
    list_ = new fw::MultiColumnList(parent);
    list_->setColumns({{"Object", fw::Align::Center, 150, "Help content"},
                       {"R.A.", fw::Align::Right, 80, ""},
                       {"Decl.", fw::Align::Right, 80, ""},
                       {"Mag.", fw::Align::Right, 80, ""}});
    list_->setSource(this);
    list_->setShowGrid(true);
    return list_;
}

void CPlateListView::onInitialUpdate() {
    rows_.clear();
    if (auto* d = dynamic_cast<CPlateListDoc*>(document()))
        for (const PlateObjectRecord& r : d->records()) rows_.push_back(plateObjectColumns(r));
    if (list_ != nullptr) {
        list_->refresh();
        list_->fitColumns({0, 1, 2, 3});
    }
}

void CPlateListView::onActivateView(bool active) {
    if (list_ != nullptr) list_->fitColumns({0, 1, 2, 3});
    if (fw::MainFrame* mf = main_frame())
        mf->setMessageText(active ? plateObjectCountText(static_cast<int>(rows_.size())) : std::string());
}

int CPlateListView::rowCount() const { return static_cast<int>(rows_.size()); }

std::string CPlateListView::cellText(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column > 3) return {};
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace zelvo

namespace zelvo {

void addPlateResources(fw::ResourceTables& r) {
    using namespace fw::ids;
    const fw::MenuItem plate{"&Plate",
                             0,
                             {{"&Edit", 32880, {}},
                              {"&Add string", 32820, {}},
                              {"&Insert string", 40013, {}},
                              {"&Delete string", 40014, {}},
                              {},
                              {"&Copy", 40027, {}},
                              {"&Paste", 40028, {}},
                              {},
                              {"&Object list", cmd::kPlateObjectList, {}},
                              {"Plot &of plate", cmd::kPlatePlot, {}}}};
    r.menus[146] = taskWindowMenu(r, lineWindowFileMenu(), plate);
    const fw::MenuItem file{"File",
                            0,
                            {{"Save &As...", kFileSaveAs, {}},
                             {"&Print...\tCtrl+P", kFilePrint, {}},
                             {"Print Preview", kFilePrintPreview, {}},
                             {"P&rint Setup...", kFilePrintSetup, {}}}};
    r.menus[110] = taskWindowMenu(r, file, {"Plate", 0, {{"&Plot of plate", cmd::kResultPlatePlot, {}}}});
}

}  // namespace zelvo
