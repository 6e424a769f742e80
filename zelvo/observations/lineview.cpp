#include "zelvo/observations/lineview.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>
#include <algorithm>

#include "framework/application.h"
#include "framework/childframe.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/waitcursor.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/lineedit.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/tables.h"

namespace zelvo {

using namespace fw::ids;

namespace {

using WaitCursor = fw::WaitCursor;

const char kNoInsertRow[] = "No string selected to insert before";
const char kNoDeleteRow[] = "No string selected to delete";

// Rows chosen by the mouse or the navigation keys, after the list has
// handled the press; a double-click edits without passing it to the list.
class RowFilter final : public QObject {
public:
    explicit RowFilter(LineEditorView& view) : view_(view) {}
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonDblClick:
                if (view_.shape().commands.edit != 0) {
                    view_.onCommand(view_.shape().commands.edit);
                    return true;
                }
                return false;
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) view_.onRowChosen(true);
                return false;
            case QEvent::KeyRelease:
                switch (static_cast<QKeyEvent*>(e)->key()) {
                    case Qt::Key_Home:
                    case Qt::Key_Up:
                    case Qt::Key_PageUp:
                    case Qt::Key_End:
                    case Qt::Key_Down:
                    case Qt::Key_PageDown:
                        view_.onRowChosen(false);
                        break;
                    default:
                        break;
                }
                return false;
            default:
                return false;
        }
    }

private:
    LineEditorView& view_;
};

EditorPrintFormat printFormat(int headLines, double f, int rows, int rowsMissing, int chars) {
    EditorPrintFormat p;
    p.headLines = headLines;
    p.lineOffset = f;
    p.rows = rows;
    p.rowsWithoutHead = rowsMissing;
    p.lineChars = chars;
    return p;
}

}  // namespace

// ---- Formats ------------------------------------------------------------------------

EditorFormat ocEditorFormat(int C) {
    EditorFormat s;
    s.newLineKey = s.editKey = s.displayKey = s.printKey = C;
    s.checkTask = 3;
    s.checkSystem = C;
    s.deleteFailure = "Fail: OCView, Delete Item ";
    s.setsRowCountOnActivation = true;
    s.helpContext = help::kOcInput;
    s.commands = {32840, 32838, 32884, 32883, 40023, 40024};
    s.headFile = "omc.hd1";
    s.headSkip = 7 * (C - 1);
    s.print = printFormat(7, 1.1, 7, 7 * (C - 1), 80);
    return s;
}

EditorFormat identificationEditorFormat() {
    EditorFormat s;
    s.newLineKey = s.displayKey = 10;
    s.editKey = 10;
    s.printKey = 10;
    s.checkTask = 2;
    s.checkSystem = 1;
    s.deleteFailure = "Fail: IdentView, Delete Item ";
    s.helpContext = help::kIdInput;
    s.commands = {32835, 32882, 32886, 32885, 40025, 40026};
    s.headFile = "ide.hd1";
    s.print = printFormat(7, -0.1, 8, 1, 80);
    return s;
}

EditorFormat observatoryEditorFormat() {
    EditorFormat s;
    s.newLineKey = s.editKey = s.displayKey = s.printKey = 200;
    s.displayChars = 77;
    s.checkTask = 0;
    s.deleteFailure = "Fail: IdentView, Delete Item ";
    s.helpContext = help::kObservatoryList;
    s.commands = {32835, 0, 0, 0, 0, 0};
    s.headFile = "obs.hd1";
    s.print = printFormat(3, 0.2, 4, 1, 77);
    return s;
}

EditorFormat plateEditorFormat() {
    EditorFormat s;
    s.newLineKey = s.editKey = s.displayKey = s.printKey = 100;
    s.checkTask = 1;
    s.checkSystem = 1;
    s.deleteFailure = "Fail: PlateView, Delete Item ";
    s.copyMovesSelection = false;
    s.helpContext = help::kPlateList;
    s.commands = {32880, 32820, 40013, 40014, 40027, 40028};
    s.headFile = "plt.hd1";
    s.print = printFormat(7, 1.3, 7, 0, 80);
    return s;
}

// ---- Editing rules --------------------------------------------------------------------

LineEditor::LineEditor(AppContext& ctx, Library& lib, TaskDialogs& dialogs, LineListDocument& doc, ListControl& list,
                       const EditorFormat& shape)
    : ctx_(ctx), lib_(lib), dialogs_(dialogs), doc_(doc), list_(list), shape_(shape) {}

LineWindow LineEditor::window() {
    LineWindow w;
    w.lines = &doc_.lines;
    w.document = &doc_;
    w.formatKey = shape_.editKey;
    w.selected = list_.selectedRows();
    return w;
}

std::string LineEditor::blankLine() const { return formatLine("", shape_.newLineKey); }

bool LineEditor::checkLine(bool& retry) {
    retry = false;
    auto& r = session_.check;
    r = {0, 0, 0, 0};
    const int i = session_.row;
    if (i < 0 || i >= static_cast<int>(doc_.lines.size())) return false;
    const int length = GetRecordLength(shape_.newLineKey);
    std::string buffer = formatLine(doc_.lines[static_cast<std::size_t>(i)], shape_.newLineKey);
    if (shape_.checkTask == 0) {
        lib_.cnto(i, buffer.data(), length, r[0], r[1]);
        r[2] = r[1];
    } else {
        lib_.cntl(shape_.checkTask, shape_.checkSystem, r[0], r[1], r[2], r[3], buffer.data(), length);
    }
    session_.newLine = 0;
    if (r[0] == 0) return true;
    if (ReportControlError(r[0], i) == 0) {
        LineWindow w = window();
        SetGeocentricCode(session_.row, w);
        doc_.setModified();
        r[0] = 0;
        return true;
    }
    retry = fw::message("Try to correct or cancel", fw::Buttons::RetryCancel, fw::Icon::Warning) == fw::Answer::Retry;
    return false;
}

void LineEditor::newLineLoop(int index, int oldCurrentRow, bool wasModified) {
    auto removeLine = [&] {
        doc_.lines.erase(doc_.lines.begin() + index);
        ctx_.RowCount -= 1;
        ctx_.CurrentRow = oldCurrentRow;
        // Nothing of the document changed.
        if (!wasModified) doc_.setModified(false);
    };
    for (;;) {
        list_.setItemCount(static_cast<int>(doc_.lines.size()));
        LineWindow w = window();
        if (EditTableLine(session_, dialogs_, w) == 0) {
            removeLine();
            break;
        }
        bool retry = false;
        if (checkLine(retry)) break;
        if (!retry) {
            removeLine();
            break;
        }
    }
    session_.check[0] = 0;
    session_.newLine = 0;
    list_.setItemCount(static_cast<int>(doc_.lines.size()));
    ctx_.EditCommandEnabled = 1;
}

void LineEditor::add() {
    const int n = static_cast<int>(doc_.lines.size());
    const int oldCurrent = ctx_.CurrentRow;
    const bool wasModified = doc_.isModified();
    ctx_.CurrentRow = n;
    ctx_.RowCount += 1;
    doc_.lines.push_back(blankLine());
    session_.newLine = 2;
    session_.row = n;
    newLineLoop(n, oldCurrent, wasModified);
    if (n < static_cast<int>(doc_.lines.size())) list_.ensureVisible(n);
    const std::vector<int> sel = list_.selectedRows();
    if (!sel.empty()) list_.deselect(sel.front());
}

void LineEditor::insert() {
    const std::vector<int> sel = list_.selectedRows();
    if (sel.empty()) {
        fw::message(kNoInsertRow);
        return;
    }
    const int p = sel.front();
    const int oldCurrent = ctx_.CurrentRow;
    const bool wasModified = doc_.isModified();
    session_.newLine = 1;
    ctx_.RowCount += 1;
    session_.row = p;
    doc_.lines.insert(doc_.lines.begin() + p, blankLine());
    newLineLoop(p, oldCurrent, wasModified);
    const std::vector<int> after = list_.selectedRows();
    if (!after.empty()) list_.deselect(after.front());
}

void LineEditor::edit() {
    session_.newLine = 0;
    const bool wasModified = doc_.isModified();
    bool savedBefore = false;
    for (;;) {
        LineWindow w = window();
        if (EditTableLine(session_, dialogs_, w) == 0) {
            if (savedBefore) {
                doc_.lines[static_cast<std::size_t>(session_.row)] = session_.savedText;
                if (!wasModified) doc_.setModified(false);
            }
            session_.check[0] = 0;
            break;
        }
        savedBefore = true;
        bool retry = false;
        if (checkLine(retry)) break;
        if (!retry) {
            doc_.lines[static_cast<std::size_t>(session_.row)] = session_.savedText;
            if (!wasModified) doc_.setModified(false);
            list_.deselect(session_.row);
            break;
        }
    }
    session_.check[0] = 0;
    list_.setItemCount(static_cast<int>(doc_.lines.size()));
    if (session_.row >= 0 && session_.row < list_.itemCount()) list_.deselect(session_.row);
}

void LineEditor::deleteBlock() {
    const std::vector<int> sel = list_.selectedRows();
    if (sel.empty()) {
        fw::message(kNoDeleteRow);
        return;
    }
    const int f = sel.front();
    int block = 1;
    while (block < static_cast<int>(sel.size()) && sel[static_cast<std::size_t>(block)] == f + block) ++block;
    for (int k = 0; k < block; ++k) {
        if (!list_.deleteItem(f)) {
            fw::message(shape_.deleteFailure);
            break;
        }
        doc_.lines.erase(doc_.lines.begin() + f);
        doc_.setModified();
        ctx_.RowCount -= 1;
    }
    const int n = static_cast<int>(doc_.lines.size());
    list_.setItemCount(n);
    list_.clearSelection();
    list_.setFocusRow(std::min(f, n - 1));
    ctx_.CurrentRow = f == n ? f - 1 : f;
}

void LineEditor::copy() {
    ctx_.LineClipboard.clear();
    const std::vector<int> sel = list_.selectedRows();
    for (int r : sel)
        if (r < static_cast<int>(doc_.lines.size()))
            ctx_.LineClipboard.push_back(doc_.lines[static_cast<std::size_t>(r)]);
    if (!shape_.copyMovesSelection) return;
    list_.clearSelection();
    list_.setFocusRow(sel.empty() ? 0 : sel.back());
}

void LineEditor::paste() {
    const std::vector<int> sel = list_.selectedRows();
    // An empty document has no row to choose: the lines go in as its first.
    if (sel.empty() && !doc_.lines.empty()) {
        fw::message(kNoInsertRow);
        return;
    }
    const int p = sel.empty() ? 0 : sel.front();
    std::vector<std::string> moved;
    moved.reserve(ctx_.LineClipboard.size());
    // Each line takes this document's record format.
    for (const std::string& l : ctx_.LineClipboard) moved.push_back(formatLine(l, shape_.newLineKey));
    ctx_.LineClipboard.clear();
    if (!moved.empty()) {
        doc_.lines.insert(doc_.lines.begin() + p, moved.begin(), moved.end());
        doc_.setModified();
    }
    ctx_.RowCount = static_cast<int>(doc_.lines.size());
    list_.setItemCount(ctx_.RowCount);
    if (shape_.copyMovesSelection && !sel.empty()) {
        list_.deselect(p);
        list_.setFocusRow(p);
    }
}

// ---- The view ------------------------------------------------------------------------------

LineEditorView::LineEditorView(AppContext& ctx, Library& lib, TaskDialogs& dialogs, const EditorFormat& shape)
    : ctx_(ctx), lib_(lib), dialogs_(dialogs), shape_(shape) {
    ctx_.EditCommandEnabled = 1;
    const EditorCommands& c = shape_.commands;
    auto withEditor = [this](void (LineEditor::*f)()) {
        return [this, f] {
            if (editor_) ((*editor_).*f)();
        };
    };
    auto byEnabling = [this](fw::CommandUI& ui) { ui.enable(ctx_.EditCommandEnabled != 0); };
    if (c.edit != 0) {
        onCommandId(c.edit, withEditor(&LineEditor::edit));
        onUpdateId(c.edit, byEnabling);
    }
    for (auto [id, f] : {std::pair{c.add, &LineEditor::add}, std::pair{c.insert, &LineEditor::insert}})
        if (id != 0) onCommandId(id, withEditor(f));
    for (auto [id, f] : {std::pair{c.deleteBlock, &LineEditor::deleteBlock}, std::pair{c.copy, &LineEditor::copy},
                         std::pair{c.paste, &LineEditor::paste}})
        if (id != 0) {
            onCommandId(id, withEditor(f));
            onUpdateId(id, byEnabling);
        }
    onCommandId(kFilePrint, [this] { fw::printWithDialog(*this); });
    onCommandId(kFilePrintPreview, [this] { fw::printPreview(*this, list()); });
    onCommandId(kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), shape_.helpContext); });
}

LineEditorView::~LineEditorView() {
    WaitCursor wait;
    ctx_.LineClipboard.clear();
    if (MainFrame* mf = main_frame()) mf->ResetStatusPanes();
}

LineListDocument* LineEditorView::doc() const { return dynamic_cast<LineListDocument*>(document()); }

QWidget* LineEditorView::createWidget(QWidget* parent) {
    QWidget* w = fw::LineListView::createWidget(parent);
    filter_ = new RowFilter(*this);
    filter_->setParent(list());
    list()->viewport()->installEventFilter(filter_);
    list()->installEventFilter(filter_);
    return w;
}

void LineEditorView::setFormat(const EditorFormat& shape) {
    shape_ = shape;
    if (editor_) editor_->setFormat(shape);
    if (LineListDocument* d = doc()) d->setFormatKey(shape.newLineKey);
    SetupFormatColumn(*this, shape_.displayKey);
}

void LineEditorView::onInitialUpdate() {
    LineListDocument* d = doc();
    if (d != nullptr && !editor_) editor_ = std::make_unique<LineEditor>(ctx_, lib_, dialogs_, *d, *this, shape_);
    fw::LineListView::onInitialUpdate();
    model().setWidth(shape_.displayChars);
    SetupFormatColumn(*this, shape_.displayKey);
    WaitCursor wait;
    const int n = d != nullptr ? static_cast<int>(d->lines.size()) : 0;
    setItemCount(n);
    if (d != nullptr && d->rowCountLevel() >= 0)
        set_row_count(ctx_, d->rowCountLevel(), n);
    else
        ctx_.RowCount = n;
}

void LineEditorView::onActivateView(bool active) {
    if (active && shape_.setsRowCountOnActivation && doc() != nullptr)
        ctx_.RowCount = static_cast<int>(doc()->lines.size());
}

void LineEditorView::onRowChosen(bool click) {
    if (click) ctx_.EditCommandEnabled = 1;
    const std::vector<int> sel = selectedRows();
    if (!sel.empty()) ctx_.CurrentRow = sel.front();
}

int LineEditorView::itemCount() const { return const_cast<LineEditorView*>(this)->model().itemCount(); }

void LineEditorView::setItemCount(int count) { model().setItemCount(count); }

bool LineEditorView::deleteItem(int row) { return model().deleteItem(row); }

void LineEditorView::deselect(int row) {
    if (list() == nullptr) return;
    const QModelIndex i = model().index(row, 0);
    list()->selectionModel()->select(i, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    if (list()->selectionModel()->currentIndex() == i) list()->selectionModel()->clearCurrentIndex();
}

void LineEditorView::clearSelection() {
    if (list() == nullptr) return;
    list()->selectionModel()->clear();
}

void LineEditorView::setFocusRow(int row) {
    if (list() == nullptr || row < 0 || row >= itemCount()) return;
    list()->selectionModel()->setCurrentIndex(model().index(row, 0), QItemSelectionModel::NoUpdate);
}

void LineEditorView::ensureVisible(int row) {
    if (list() != nullptr && row >= 0 && row < itemCount()) list()->scrollTo(model().index(row, 0));
}

bool LineEditorView::onPreparePrinting(fw::PrintInfo& info) {
    info.minPage = 1;
    const LineListDocument* d = doc();
    info.maxPage =
        page_count(d != nullptr ? static_cast<int>(d->lines.size()) : 0, lines_per_page(true, PaperKind::A4));
    return true;
}

void LineEditorView::onBeginPrinting(fw::PrintInfo& info) {
    linesPerPage_ = beginListPrinting(info, itemCount());
    if (GetRecordLength(shape_.printKey) == 0) {  // after "Output error!No format"
        info.maxPage = 0;
        return;
    }
    if (info.maxPage == 0) return;
    if (const std::string w = printWarning(info.paper, info.portrait, info.pageRect.width()); !w.empty())
        fw::message(w);
    head_ = readHeadFile(ctx_.ObservatoryDir + shape_.headFile, shape_.headSkip, shape_.print.headLines);
    if (!head_) fw::message("Warning: head file not found");
}

PrintPage LineEditorView::layoutPage(const fw::PrintInfo& info) const {
    const LineListDocument* d = doc();
    static const std::vector<std::string> none;
    return layoutEditorPage(info.currentPage, info.pageRect.width(), info.pageRect.height(), linesPerPage_, head_,
                            shape_.print, d != nullptr ? d->lines : none, itemCount(), printPrefix());
}

void LineEditorView::onPrint(QPainter& painter, const fw::PrintInfo& info) { drawPrintPage(painter, layoutPage(info)); }

}  // namespace zelvo
