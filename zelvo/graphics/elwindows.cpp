#include "zelvo/graphics/elwindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "framework/application.h"
#include "framework/cp1252.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "framework/waitcursor.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/tables.h"
#include "zelvo/graphics/elplotwindows.h"

namespace zelvo {

using namespace fw::ids;
using namespace elements;

namespace {

// The wait cursor for the life of the object.
using WaitCursor = fw::WaitCursor;

QString q(const std::string& bytes) { return fw::fromCp1252(bytes); }

const char kSettingsError[] = "Error in reading file 'setpar'.. \n \nReplace 'Setpar' file or reinstall ZELVO package";
const char kCacheError[] = "System error in reading data. \n \nCorrect 'Setpath' file or reinstall ZELVO package";
const char kPrintFile[] = "result.el4";

}  // namespace

// ---- Program-wide state -------------------------------------------------------------

namespace elements {

ElementTaskState& elementState(AppContext& ctx) {
    if (!ctx.Elements) ctx.Elements = std::make_shared<ElementTaskState>();
    return *ctx.Elements;
}

double catalogue_epoch_jd(const std::string& epochText, double settingsEpoch) {
    double jd = 0;
    if (epochText.size() >= 10) jd = leadingDecimal(std::string_view(epochText).substr(epochText.size() - 10, 9));
    return jd > 0 && std::isfinite(jd) ? jd : settingsEpoch;
}

std::vector<fw::ListColumn> elementColumns(int code) {
    using fw::Align;
    std::vector<fw::ListColumn> c = {
        {"  N", Align::Right, 50, "Catalogue number (none for an unnumbered object)"},
        {"   Name", Align::Left, 70, "Name, or the packed designation of an unnumbered object"},
        {"H  ", Align::Right, 50, "Absolute magnitude H"},
        {"G", Align::Center, 40, "Slope parameter G (X: none, counted as 0.15)"},
        {"M    ", Align::Right, 70, "Mean anomaly at the epoch, degrees"},
        {"Peri  ", Align::Right, 70, "Argument of perihelion, degrees (ecliptic J2000)"},
        {"Node   ", Align::Right, 70, "Longitude of the ascending node, degrees (ecliptic J2000)"},
        {"i    ", Align::Right, 70, "Inclination, degrees (ecliptic J2000)"},
        {"e    ", Align::Right, 70, "Eccentricity"},
        {"n    ", Align::Right, 70, "Mean motion, degrees per day"},
        {"a    ", Align::Right, 70, "Semi-major axis, AU"},
    };
    if (code > 0 && code < kDerivedCodeCount) {
        const std::string name = DerivedElementNames[code];
        int width = static_cast<int>(9 * name.size());
        if (code == kCodeCommensurability)
            width = 40;
        else if (code == 6)
            width = 85;
        else if (code >= 8 && code <= 10)
            width = 75;
        else if (code == kCodeDiameter || code >= kCodePerihelionTime)
            width = 80;
        c.push_back({name, code == kCodeCommensurability ? Align::Left : Align::Right, width,
                     std::string("Derived quantity ") + FunctionComboTexts[code]});
    }
    return c;
}

}  // namespace elements

// ---- "Select elements" -----------------------------------------------------------------

CElSelectDlg::CElSelectDlg(AppContext& ctx, Library& lib, QWidget* parent)
    : fw::Dialog(parent, help::kElementQuery),
      ctx_(ctx),
      model_(elementState(ctx).query, lib, ctx.WorkDir, ctx.ReopenElementsTask) {
    setWindowTitle(QStringLiteral("Select elements"));
    setFont(fw::fixed_font(11));
    auto* top = new QVBoxLayout(this);

    auto* functionRow = new QHBoxLayout;
    functionRow->addWidget(new QLabel(QStringLiteral("Function:")));
    combo_ = new QComboBox;
    combo_->setObjectName(QStringLiteral("ctl1294"));
    combo_->addItems({QStringLiteral("(template)")});  // replaced when the dialog opens
    functionRow->addWidget(combo_, 1);
    top->addLayout(functionRow);

    auto* middle = new QHBoxLayout;
    auto* select = new QGroupBox(QStringLiteral("Select"));
    auto* grid = new QGridLayout(select);
    static const char* const kLabels[12] = {"Number:( =", "Name:( =", "H:( =", "G:( =", "M:( =", "Peri:( =",
                                            "Node:( =",   "i:( =",    "e:( =", "n:( =", "a:( =", "Function:( ="};
    const auto digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (int k = 0; k < 12; ++k) {
        grid->addWidget(new QLabel(QString::fromLatin1(kLabels[k])), k, 0);
        static const int kFirstId[3] = {1258, 1270, 1282};
        static const char* const kJoins[3] = {nullptr, "OR >=", "OR/AND <="};
        for (int j = 0; j < 3; ++j) {
            if (kJoins[j] != nullptr) grid->addWidget(new QLabel(QString::fromLatin1(kJoins[j])), k, 2 * j);
            auto* e = new QLineEdit;
            e->setObjectName(QStringLiteral("ctl%1").arg(kFirstId[j] + k));
            e->setMaxLength(k == kName ? 18 : 30);
            e->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QLatin1Char('0')) * 12);
            if (k == kNumber) e->setValidator(digits);
            grid->addWidget(e, k, 2 * j + 1);
            edits_[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)] = e;
        }
        grid->addWidget(new QLabel(QStringLiteral(")AND")), k, 6);
    }
    middle->addWidget(select, 1);

    auto* side = new QVBoxLayout;
    static const int kLineIds[6] = {1239, 1240, 1241, 1242, 1243, 1245};
    static const char* const kLineTexts[6] = {"Calculating MOID", "relative to orbit", "of fixed object.",
                                              "Introduce its",    "number or name:",   "(takes some time)"};
    for (int k = 0; k < 6; ++k) {
        auto* l = new QLabel(QString::fromLatin1(kLineTexts[k]));
        l->setObjectName(QStringLiteral("ctl%1").arg(kLineIds[k]));
        lines_[static_cast<std::size_t>(k)] = l;
        side->addWidget(l);
        if (k == 4) {
            object_ = new QLineEdit;
            object_->setObjectName(QStringLiteral("ctl1238"));
            side->addWidget(object_);
        }
    }
    dateGroup_ = new QGroupBox(QStringLiteral("Date type"));
    dateGroup_->setObjectName(QStringLiteral("ctl1246"));
    auto* dates = new QVBoxLayout(dateGroup_);
    calendar_ = new QRadioButton(QStringLiteral("Calendar"));
    calendar_->setObjectName(QStringLiteral("ctl1247"));
    julian_ = new QRadioButton(QStringLiteral("Julian"));
    julian_->setObjectName(QStringLiteral("ctl1248"));
    dates->addWidget(calendar_);
    dates->addWidget(julian_);
    side->addWidget(dateGroup_);
    rangeLabel_ = new QLabel(QStringLiteral("Calculation range"));
    rangeLabel_->setObjectName(QStringLiteral("ctl1244"));
    side->addWidget(rangeLabel_);
    auto* rangeRow = new QHBoxLayout;
    range_ = new QLineEdit;
    range_->setObjectName(QStringLiteral("ctl1249"));
    rangeUnit_ = new QLabel(QStringLiteral("(\"/day)"));
    rangeUnit_->setObjectName(QStringLiteral("ctl1253"));
    rangeRow->addWidget(range_);
    rangeRow->addWidget(rangeUnit_);
    side->addLayout(rangeRow);
    side->addStretch(1);
    middle->addLayout(side);
    top->addLayout(middle);

    auto* listRow = new QHBoxLayout;
    listBox_ = new QCheckBox(QStringLiteral("From object list:"));
    listBox_->setObjectName(QStringLiteral("ctl1250"));
    listPath_ = new QLabel;
    listPath_->setObjectName(QStringLiteral("ctl1251"));
    listRow->addWidget(listBox_);
    listRow->addWidget(listPath_, 1);
    top->addLayout(listRow);

    auto* buttons = new QHBoxLayout;
    auto* erase = new QPushButton(QStringLiteral("Erase"));
    erase->setObjectName(QStringLiteral("ctl1131"));
    erase->setAutoDefault(false);
    buttons->addWidget(erase);
    buttons->addStretch(1);
    buttons->addWidget(fw::ok_cancel_buttons(this));
    top->addLayout(buttons);

    connect(combo_, &QComboBox::activated, this, [this](int) { OnSelchangeFunction(); });
    connect(erase, &QPushButton::clicked, this, [this] { OnErase(); });
    connect(listBox_, &QCheckBox::clicked, this, [this](bool) { OnFromObjectList(); });
}

void CElSelectDlg::doDataExchange(fw::DataExchange& dx) {
    // The condition fields are fixed-width: a text kept padded (as the last
    // query file holds it) shows trimmed and leaves room for typing.
    for (std::size_t k = 0; k < 11; ++k)
        for (std::size_t j = 0; j < 3; ++j) fw::ddx_fixed(dx, edits_[k][j], model_.rows[k][j]);
    for (std::size_t j = 0; j < 3; ++j) fw::ddx_fixed(dx, edits_[kFunction][j], model_.function[j]);
    fw::ddx_text(dx, object_, model_.objectText);
    fw::ddx_text(dx, range_, model_.rangeText);
    if (dx.saving()) {
        model_.functionIndex = std::max(0, combo_->currentIndex());
        model_.calendar = calendar_->isChecked();
    }
}

void CElSelectDlg::showLayout() {
    const FunctionLayout& l = model_.layout;
    combo_->setCurrentIndex(model_.functionIndex);
    for (QLineEdit* e : edits_[kFunction]) e->setEnabled(l.functionRowEnabled);
    for (std::size_t k = 0; k < 3; ++k) {
        lines_[k]->setVisible(l.explanationShown);
        lines_[k]->setText(QString::fromLatin1(l.explanation[k].c_str()));
    }
    for (std::size_t k = 3; k < 6; ++k) lines_[k]->setVisible(l.objectShown);
    object_->setVisible(l.objectShown);
    dateGroup_->setVisible(l.dateShown);
    for (QWidget* w :
         {static_cast<QWidget*>(rangeLabel_), static_cast<QWidget*>(range_), static_cast<QWidget*>(rangeUnit_)})
        w->setVisible(l.rangeShown);
    calendar_->setChecked(model_.calendar);
    julian_->setChecked(!model_.calendar);
    listBox_->setChecked(model_.objectListChecked);
    listPath_->setText(q(model_.objectListLabel));
}

bool CElSelectDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    model_.open();
    combo_->clear();
    for (const char* t : FunctionComboTexts) combo_->addItem(QString::fromLatin1(t));
    updateData(false);
    showLayout();
    return true;
}

void CElSelectDlg::OnSelchangeFunction() {
    updateData(true);
    model_.selectFunction(combo_->currentIndex());
    updateData(false);
    showLayout();
}

void CElSelectDlg::OnErase() {
    updateData(true);
    model_.erase();
    updateData(false);
    showLayout();
}

void CElSelectDlg::OnFromObjectList() {
    model_.objectListClicked(listBox_->isChecked());
    ctx_.ElementObjectListChosen = model_.objectListChecked;
    listBox_->setChecked(model_.objectListChecked);
    listPath_->setText(q(model_.objectListLabel));
}

void CElSelectDlg::onOK() {
    if (!updateData(true)) return;
    if (model_.ok()) {
        endDialog(fw::kIdOk);
        return;
    }
    using Focus = ElementQueryDialogModel::Focus;
    QLineEdit* target = nullptr;
    switch (model_.focus()) {
        case Focus::Object:
            target = object_;
            break;
        case Focus::NumberEqual:
        case Focus::NumberLower:
        case Focus::NumberUpper:
            target = edits_[kNumber][static_cast<std::size_t>(static_cast<int>(model_.focus()) -
                                                              static_cast<int>(Focus::NumberEqual))];
            break;
        case Focus::None:
            break;
    }
    if (target != nullptr) {
        target->setCursorPosition(0);
        target->setFocus();
    }
}

void CElSelectDlg::onCancel() {
    model_.cancel();
    endDialog(fw::kIdCancel);
}

// ---- The document ----------------------------------------------------------------------

CElDoc::CElDoc(AppContext& ctx) : ctx_(ctx) {
    onUpdateId(kIndicatorOvr, [this](fw::CommandUI& ui) { ui.setText(ctx_.EpochText); });
}

// ---- The list window -----------------------------------------------------------------

CElView::CElView(AppContext& ctx, Library& lib) : ctx_(ctx), lib_(lib) {
    onCommandId(kFileSaveAs, [this] { OnFileSaveAs(); });
    onCommandId(cmd::kElTaskInfo, [this] { OnTaskInfo(); });
    onCommandId(cmd::kElHistogram, [this] {
        if (list_) OnHistogram(ctx_, *list_, widget_);
    });
    onCommandId(cmd::kElDistribution, [this] {
        if (list_) OnDistribution(ctx_, *list_, widget_);
    });
    onCommandId(kFilePrint, [this] { onFilePrint(); });
    onCommandId(kFilePrintPreview, [this] { OnFilePrintPreview(); });
    onCommandId(cmd::kFilePrintDirect, [this] { onFilePrintDirect(); });
    onCommandId(kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), help::kElementList); });
    onUpdateId(kIndicatorRec, [this](fw::CommandUI& ui) { ui.setText("Cur " + std::to_string(currentRow_ + 1)); });
    onUpdateId(kIndicatorCaps, [this](fw::CommandUI& ui) { ui.setText("Num " + std::to_string(rowCount())); });
    choosePopup = [this](int, QPoint where) {
        QMenu menu(widget_);
        QAction* up = menu.addAction(QStringLiteral("Sort &Up"));
        QAction* down = menu.addAction(QStringLiteral("Sort &Down"));
        QAction* chosen = menu.exec(where);
        return chosen == up ? cmd::kSortUp : chosen == down ? cmd::kSortDown : 0;
    };
    showTaskInfo = [this](const std::array<std::string, 3>& lines) {
        CFieldErrorDlg dlg(widget_);
        dlg.message = lines[0];
        dlg.hint1 = lines[1];
        dlg.hint2 = lines[2];
        dlg.doModal();
    };
}

CElView::~CElView() {
    list_.reset();
    cache_.reset();
    MainFrame* mf = main_frame();
    if (mf == nullptr) return;  // the program is ending
    mf->ResetStatusPanes();
    if (!ctx_.ReopenElementsTask) return;
    // The query comes back once this window is gone, from the event loop.
    AppContext* ctx = &ctx_;
    QTimer::singleShot(0, mf, [ctx] {
        if (ctx->ReopenElementsTask && ctx->Elements && ctx->Elements->reopen) ctx->Elements->reopen();
    });
}

std::unique_ptr<elements::ElementList> CElView::buildList(elements::ElementListSetup setup) {
    const int code = setup.query.QueryFunctionCode;
    fw::Progress& progress = fw::progress();
    // A costly derived column (MOID, CT) is computed under the progress
    // dialog, whose Cancel stops it; the others take no time worth showing.
    if (!costlyDerivedCode(code) || !progress.begin(0, 100, 0, 0))
        return std::make_unique<ElementList>(cache_, std::move(setup), lib_);
    int shown = 0;
    auto list = std::make_unique<ElementList>(cache_, std::move(setup), lib_, [&](long long done, long long total) {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        const int cancel = progress.stepBy(std::max(0, percent - shown));
        shown = std::max(shown, percent);
        return cancel == 0;
    });
    progress.end();
    if (list->cancelled()) return nullptr;
    return list;
}

QWidget* CElView::createWidget(QWidget* parent) {
    ElementTaskState& st = elementState(ctx_);
    ElementQuery& query = st.query;

    DerivedInputs in;
    in.fixedObjectNumber = query.FixedObjectNumber;
    if (query.FixedObjectNumber > 0)
        lib_.NElem(query.FixedObjectNumber, in.fixedObjectElements.data());
    else if (query.FixedObjectNumber < 0)
        lib_.NElem(-query.FixedObjectNumber - 100, in.fixedObjectElements.data());
    in.calendarDateForm = query.CalendarDateForm;
    in.ncRange = query.NcRange;
    in.cometMode = ctx_.CometMode;

    WaitCursor wait;
    if (!st.settings) {
        restore_work_dir(ctx_.WorkDir);
        st.settings = ReadCatalogueSettings(ctx_.WorkDir + "setpar");
        if (!st.settings) {
            fw::message(kSettingsError, fw::Buttons::Ok, fw::Icon::Error);
            return nullptr;
        }
    }
    cache_ = st.cache.lock();
    if (!cache_) {
        auto cache = std::make_shared<CatalogueCache>();
        if (!cache->openOrBuild(*st.settings)) {
            fw::message(kCacheError, fw::Buttons::Ok, fw::Icon::Error);
            return nullptr;
        }
        cache_ = cache;
        st.cache = cache;
    }
    in.catalogueEpochJd = catalogue_epoch_jd(ctx_.EpochText, st.settings->epochJd);

    ElementListSetup setup;
    setup.query = query;
    setup.derived = in;
    setup.numbered = st.settings->numbered;
    query.QueryText.clear();
    list_ = buildList(std::move(setup));
    if (!list_) return nullptr;  // cancelled

    widget_ = new fw::MultiColumnList(parent);
    widget_->setColumns(elementColumns(list_->derivedCode()));
    widget_->setSource(this);
    widget_->onHeaderClicked = [this](int column, QPoint where) { OnColumnclick(column, where); };
    widget_->onCurrentRowChanged = [this](int row) {
        if (row >= 0) currentRow_ = row;
    };
    return widget_;
}

namespace {
const std::vector<int> kAllColumns = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
}  // namespace

void CElView::onInitialUpdate() {
    if (MainFrame* mf = main_frame()) {
        if (!mf->setIndicators({kSeparator, kIndicatorOvr, kIndicatorRec, kIndicatorCaps})) return;
    }
    if (widget_ == nullptr) return;
    widget_->refresh();
    // Widths that fit the captions and the texts on screen, once the window
    // shows them (the derived dates and seven-digit numbers too).
    QTimer::singleShot(0, widget_, [w = widget_] { w->fitColumns(kAllColumns); });
}

int CElView::rowCount() const { return list_ ? list_->count() : 0; }

std::string CElView::cellText(int row, int column) { return list_ ? list_->cellText(row, column) : std::string(); }

void CElView::cacheHint(int first, int last) {
    if (list_) list_->cacheHint(first, last);
}

void CElView::OnColumnclick(int column, QPoint where) {
    if (!list_ || list_->count() < 2 || !choosePopup) return;
    const int choice = choosePopup(column, where);
    if (choice != cmd::kSortUp && choice != cmd::kSortDown) return;
    sortColumn(column, choice == cmd::kSortUp);
}

void CElView::sortColumn(int column, bool ascending) {
    if (!list_) return;
    WaitCursor wait;
    list_->sort(column, ascending);
    if (widget_ != nullptr) {
        widget_->refresh();
        widget_->scrollToTop();
        // Fitted to the rows the sort brought on screen.
        widget_->fitColumns(kAllColumns);
        widget_->viewport()->update();
    }
}

void CElView::OnFileSaveAs() {
    if (!list_) return;
    fw::FileDialogRequest request;
    request.open = false;
    request.defaultExt = "elr";
    request.filter = "Elements result files (*.elr)|*.elr|All files (*.*)|*.*||";
    request.overwritePrompt = true;
    const std::optional<std::string> path = fw::fileDialogs().ask(request);
    restore_work_dir(ctx_.WorkDir);
    if (!path) return;
    WaitCursor wait;
    if (const fw::WriteStatus s = writeExport(*path, *list_, ctx_.EpochText); !s)
        fw::message("Can't create file " + *path + "\n" + s.reason, fw::Buttons::Ok, fw::Icon::Warning);
}

void CElView::OnTaskInfo() {
    if (list_ && showTaskInfo) showTaskInfo(list_->taskInfo());
}

bool CElView::writePrintFile() {
    if (!list_) return false;
    WaitCursor wait;
    if (const fw::WriteStatus s = write_print_file(ctx_.WorkDir + kPrintFile, *list_); !s) {
        fw::message("Can't create file result.el4\n" + s.reason, fw::Buttons::Ok, fw::Icon::Warning);
        return false;
    }
    return true;
}

void CElView::drawPage(QPainter& painter, const PrintPage& page) {
    // The 115 characters of the widest line fit the page, the lines their
    // height.
    const QRect area = painter.viewport();
    QFont font = fw::fixed_font(std::max(1, page.lineHeight * 4 / 5));
    const int advance = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
    const int room = std::max(1, area.width() / 116);
    if (advance > room && advance > 0) font.setPixelSize(std::max(1, font.pixelSize() * room / advance));
    painter.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    for (const PrintItem& item : page.items) painter.drawText(item.x, item.y + ascent, fw::fromCp1252(item.text));
}

int CElView::pageCount(PaperKind paper) const {
    if (!list_) return 0;
    const int perPage = printLinesPerPage(paper, list_->hasDerivedColumn());
    return (printLineCount(*list_) + perPage - 1) / perPage;
}

int CElView::beginPrinting(PaperKind paper) {
    if (!list_ || !writePrintFile()) return 0;
    printPaper_ = paper;
    missingShown_ = false;
    const int pages = pageCount(paper);
    if (pages > 0 && paper != PaperKind::A4) fw::message(kPaperWarning);
    return pages;
}

void CElView::printPage(QPainter& painter, int page, const QRect& area) {
    if (!list_) return;
    const int perPage = printLinesPerPage(printPaper_, list_->hasDerivedColumn());
    const auto lines = readPrintPage(ctx_.WorkDir + kPrintFile, page, perPage, printLineCount(*list_));
    if (!lines && !missingShown_) {
        fw::message("Warning: result file not found ore open by another program");
        missingShown_ = true;
    }
    drawPage(painter,
             layoutElementPage(page, area.width(), area.height(), perPage, listHead(*list_, ctx_.EpochText), lines));
}

bool CElView::onPreparePrinting(fw::PrintInfo& info) {
    info.minPage = 1;
    return list_ != nullptr;
}

void CElView::onPreparePrinter(QPrinter& printer) { printer.setPageOrientation(QPageLayout::Landscape); }

void CElView::onBeginPrinting(fw::PrintInfo& info) { info.maxPage = beginPrinting(info.paper); }

void CElView::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    printPage(painter, info.currentPage, info.pageRect);
}

int CElView::printTo(QPrinter& printer, int first, int last) {
    fw::PrintInfo info;
    if (!onPreparePrinting(info)) return 0;
    info.fromPage = std::max(1, first);
    info.toPage = std::max(0, last);
    return fw::printJob(*this, printer, info);
}

namespace {

// The orientation of the program's printer, given back when the element
// list's job (which turns it to landscape) has ended.
class KeepOrientation {
public:
    KeepOrientation() : orientation_(fw::sharedPrinter().pageLayout().orientation()) {}
    ~KeepOrientation() { fw::sharedPrinter().setPageOrientation(orientation_); }
    KeepOrientation(const KeepOrientation&) = delete;
    KeepOrientation& operator=(const KeepOrientation&) = delete;

private:
    QPageLayout::Orientation orientation_;
};

}  // namespace

int CElView::onFilePrint() {
    KeepOrientation keep;
    return fw::printWithDialog(*this);
}

int CElView::onFilePrintDirect() {
    KeepOrientation keep;
    fw::PrintInfo info;
    if (!onPreparePrinting(info)) return 0;
    return fw::printJob(*this, fw::sharedPrinter(), info);
}

void CElView::OnFilePrintPreview() {
    KeepOrientation keep;
    fw::printPreview(*this, widget_);
}

// ---- Program hooks ------------------------------------------------------------------

void addElementsResources(fw::ResourceTables& r) {
    const fw::MenuItem file{"&File",
                            0,
                            {{"Save &As...", kFileSaveAs, {}},
                             {"&Print...\tCtrl+P", kFilePrint, {}},
                             {"Print Pre&view", kFilePrintPreview, {}},
                             {"P&rint Setup...", kFilePrintSetup, {}}}};
    const fw::MenuItem elements{"Elements",
                                0,
                                {{"&Histogram", cmd::kElHistogram, {}},
                                 {"&Distribution", cmd::kElDistribution, {}},
                                 {"&Task Info", cmd::kElTaskInfo, {}}}};
    r.menus[cmd::kElementsMenu] = taskWindowMenu(r, file, elements);
    r.menus[cmd::kSortPopup] = {{"", 0, {{"Sort &Up", cmd::kSortUp, {}}, {"Sort &Down", cmd::kSortDown, {}}}}};
}

std::unique_ptr<fw::Document> makeElementsDocument(AppContext& ctx) { return std::make_unique<CElDoc>(ctx); }

std::unique_ptr<fw::View> makeElementsView(AppContext& ctx, Library& lib) {
    return std::make_unique<CElView>(ctx, lib);
}

}  // namespace zelvo
