#include "zelvo/observations/resultview.h"

#include <QItemSelectionModel>
#include <QTreeView>

#include "framework/help.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "framework/waitcursor.h"
#include "zelvo/app/listprint.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/observations/ocwindows.h"

namespace zelvo {

namespace {
const char kNoFormat[] = "Output error!No format";
}

bool RunResultDoc::load(const std::string& path) {
    lines.clear();
    const int length = GetRecordLength(key_);
    if (length == 0) return true;
    fw::WaitCursor wait;
    auto records = readOcRecords(path, length);
    if (!records) return false;
    lines = std::move(*records);
    return true;
}

bool RunResultDoc::save(const std::string&) const { return false; }

void RunResultView::addResultCommands(int previewCommand, int continueCommand, unsigned helpContext) {
    using namespace fw::ids;
    onCommandId(kFileSaveAs, [this] { OnFileSaveAs(); });
    onCommandId(kFileSave, [this] { OnFileSaveAs(); });
    onCommandId(kFilePrint, [this] { fw::printWithDialog(*this); });
    onCommandId(kFilePrintPreview, [this] { fw::printPreview(*this, list()); });
    onCommandId(previewCommand, [this] { fw::printPreview(*this, list()); });
    onCommandId(continueCommand, [this] { OnContinue(); });
    onUpdateId(continueCommand, [this](fw::CommandUI& ui) { ui.enable(interrupted() && !running_); });
    onCommandId(kHelp, [this, helpContext] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), helpContext); });
}

bool RunResultView::onPreparePrinting(fw::PrintInfo& info) {
    info.minPage = 1;
    info.maxPage = page_count(static_cast<int>(lines().size()), lines_per_page(true, PaperKind::A4));
    return true;
}

bool RunResultView::continueAllowed(bool report, bool stopped, int serial, int latestSerial,
                                    const ContinueRefusals& why) const {
    auto refuse = [report](const std::string& text) {
        if (report) fw::message(text);
        return false;
    };
    if (!stopped) return refuse(why.notStopped);
    if (running_ || fw::library_busy()) return refuse("A calculation is in progress.");
    if (serial != latestSerial) return refuse(why.ranAgain);
    return true;
}

bool RunResultView::runContinuation(const RunCounters& c, int step, const std::function<void()>& call) {
    bool ran = false;
    {
        fw::WaitCursor wait;
        running_ = true;
        noteLibraryTaskRun(ctx_);
        ran = runWithProgress(1, c.last, c.first, step, call);
        running_ = false;
    }
    if (!ran) fw::message("A calculation is in progress.");
    return ran;
}

void RunResultView::showRecords(int key) {
    model().setWidth(80);
    SetupFormatColumn(*this, key);
    if (list() != nullptr) list()->setSelectionMode(QAbstractItemView::SingleSelection);
    fw::WaitCursor wait;
    model().setItemCount(static_cast<int>(lines().size()));
    if (list() != nullptr)
        QObject::connect(list()->selectionModel(), &QItemSelectionModel::currentChanged, list(),
                         [this](const QModelIndex& i) {
                             if (i.isValid()) ctx_.CurrentRow = i.row();
                         });
}

bool RunResultView::beginRecordPrinting(fw::PrintInfo& info, int key, bool narrowA4) {
    linesPerPage_ = beginListPrinting(info, model().itemCount());
    if (FindRecordFormat(key) < 0) {
        fw::message(kNoFormat);
        info.maxPage = 0;
        return false;
    }
    if (info.maxPage == 0) return false;
    if (const std::string w = printWarning(info.paper, info.portrait, info.pageRect.width(), narrowA4); !w.empty())
        fw::message(w);
    return true;
}

const std::vector<std::string>& RunResultView::lines() const {
    static const std::vector<std::string> none;
    const auto* l = documentLines();
    return l != nullptr ? *l : none;
}

}  // namespace zelvo
