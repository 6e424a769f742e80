#include "zelvo/graphics/elplotwindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <cmath>
#include <filesystem>

#include "framework/application.h"
#include "framework/cp1252.h"
#include "framework/emfdc.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/plotsettings.h"
#include "framework/qtdc.h"
#include "framework/waitcursor.h"
#include "zelvo/app/colorsfonts.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/tables.h"
#include "zelvo/graphics/elwindows.h"

namespace zelvo {

using namespace elements;

namespace {

using WaitCursor = fw::WaitCursor;

const char* const kElementItems[] = {"H", "G", "M", "Peri", "Node", "i", "e", "n", "a"};

void fillElements(QComboBox* box, bool withNone) {
    if (withNone) box->addItem(QStringLiteral("None"));
    for (const char* item : kElementItems) box->addItem(QString::fromLatin1(item));
}

// The values of a list column, in list order.
std::vector<double> columnValues(const ElementList& list, int column) {
    std::vector<double> v(static_cast<std::size_t>(list.count()));
    for (int row = 0; row < list.count(); ++row) v[static_cast<std::size_t>(row)] = list.value(row, column);
    return v;
}

void openPlot(const char* docName) {
    fw::Application* app = fw::Application::instance();
    if (app == nullptr) return;
    if (fw::DocTemplate* t = app->findTemplate(docName)) app->openDocumentFile(*t, "");
}

QLineEdit* name_edit(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    e->setFrame(false);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

}  // namespace

// ---- The commands ----------------------------------------------------------------------

namespace elements {

std::optional<HistogramRequest> prepareHistogram(const ElementList& list, const HistogramDialogs& dialogs) {
    const int code = list.derivedCode();
    for (;;) {
        const std::optional<int> selection = dialogs.element(code);
        if (!selection) return std::nullopt;
        const int column = *selection + 2;
        const int index = elementIndex(column, code);
        std::vector<double> values;
        HistProposal p;
        {
            WaitCursor wait;
            values = columnValues(list, column);
            p = proposeHistogram(values, index);
        }
        HistLimitTexts texts = histLimitTexts(p.min, p.max, p.step, fieldName(index));
        const int answer = dialogs.limits(texts, fieldName(index));
        if (answer == fw::kIdCancel) return std::nullopt;
        if (answer != fw::kIdOk) continue;  // Prev: the element again
        const LimitCheck limits = checkHistLimits(texts);
        if (!limits.message.empty()) return std::nullopt;  // the dialog refuses these
        std::optional<HistogramRequest> r;
        {
            WaitCursor wait;
            r = computeHistogram(values, index, limits.min, limits.max, limits.step);
        }
        if (!r) {
            dialogs.message("Range is outside selected data");
            return std::nullopt;
        }
        r->FixedObjectNumber = list.setup().query.FixedObjectNumber;
        return r;
    }
}

std::optional<DistributionRequest> prepareDistribution(const ElementList& list, const DistributionDialogs& dialogs) {
    const int code = list.derivedCode();
    DistributionRequest r;
    for (;;) {
        const auto axes = dialogs.axes(code);
        if (!axes) return std::nullopt;
        const int columns[3] = {(*axes)[0] + 2, (*axes)[1] + 2, (*axes)[2] + 2};
        const bool hasZ = columns[2] > 1;
        {
            WaitCursor wait;
            r.DistPoints.assign(static_cast<std::size_t>(list.count()), DistPoint{});
            for (int row = 0; row < list.count(); ++row) {
                DistPoint& p = r.DistPoints[static_cast<std::size_t>(row)];
                p.x = plotValue(columns[0], list.value(row, columns[0]));
                p.y = plotValue(columns[1], list.value(row, columns[1]));
                if (hasZ) p.z = plotValue(columns[2], list.value(row, columns[2]));
            }
        }
        DistLimits limits = proposeDistribution(r.DistPoints, hasZ);
        int projection = 0;
        const std::array<std::string, 3> names = {fieldName(elementIndex(columns[0], code)),
                                                  fieldName(elementIndex(columns[1], code)),
                                                  hasZ ? fieldName(elementIndex(columns[2], code)) : std::string()};
        const int answer = dialogs.limits(limits, projection, hasZ, names);
        if (answer == fw::kIdCancel) return std::nullopt;
        if (answer != fw::kIdOk) continue;
        if (!hasZ) limits.zMin = limits.zMax = 0;
        r.DistXElement = elementIndex(columns[0], code);
        r.DistYElement = elementIndex(columns[1], code);
        r.DistZElement = hasZ ? elementIndex(columns[2], code) : 1;
        r.limits = limits;
        r.DistProjection = hasZ ? projection : 0;
        r.FixedObjectNumber = list.setup().query.FixedObjectNumber;
        return r;
    }
}

PlotRequests& plotRequests(AppContext& ctx) {
    ElementTaskState& st = elementState(ctx);
    if (!st.plots) st.plots = std::make_shared<PlotRequests>();
    return *st.plots;
}

void OnHistogram(AppContext& ctx, const ElementList& list, QWidget* parent) {
    HistogramDialogs d;
    d.element = [parent](int code) -> std::optional<int> {
        CElHistElementDlg dlg(code, parent);
        if (dlg.doModal() != fw::kIdOk) return std::nullopt;
        return dlg.selection;
    };
    d.limits = [parent](HistLimitTexts& texts, const std::string& name) {
        CElHistLimitsDlg dlg(0, 0, 0, name, parent);
        dlg.texts = texts;
        const int answer = dlg.doModal();
        texts = dlg.texts;
        return answer;
    };
    d.message = [](const std::string& text) { fw::message(text); };
    std::optional<HistogramRequest> r = prepareHistogram(list, d);
    if (!r) return;
    plotRequests(ctx).histogram = std::move(r);
    openPlot("Histogram");
    plotRequests(ctx).histogram.reset();
}

void OnDistribution(AppContext& ctx, const ElementList& list, QWidget* parent) {
    DistributionDialogs d;
    d.axes = [parent](int code) -> std::optional<std::array<int, 3>> {
        CElDistAxesDlg dlg(code, parent);
        if (dlg.doModal() != fw::kIdOk) return std::nullopt;
        return dlg.selection;
    };
    d.limits = [parent](DistLimits& limits, int& projection, bool hasZ, const std::array<std::string, 3>& names) {
        CElDistLimitsDlg dlg(hasZ, limits, names, parent);
        const int answer = dlg.doModal();
        limits = dlg.limits;
        projection = dlg.projection;
        return answer;
    };
    std::optional<DistributionRequest> r = prepareDistribution(list, d);
    if (!r) return;
    plotRequests(ctx).distribution = std::move(r);
    openPlot("Distribution");
    plotRequests(ctx).distribution.reset();
}

}  // namespace elements

// ---- Dialog 109 --------------------------------------------------------------------------

CElHistElementDlg::CElHistElementDlg(int derivedCode, QWidget* parent)
    : fw::Dialog(parent, help::kHistElement), derivedCode_(derivedCode), list_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("Select element"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Element:"), this), 0, 0);
    grid->addWidget(list_, 0, 1, 1, 2);
    fillElements(list_, false);
    auto* next = new QPushButton(QStringLiteral("Next"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    next->setDefault(true);
    grid->addWidget(next, 1, 0);
    grid->addWidget(cancel, 1, 2);
    connect(next, &QPushButton::clicked, this, [this] { onOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { onCancel(); });
}

bool CElHistElementDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    if (derivedCode_ >= 1 && derivedCode_ <= 13 && list_->count() == 9) list_->addItem(QStringLiteral("function"));
    list_->setCurrentIndex(0);
    return true;
}

void CElHistElementDlg::onOK() {
    selection = std::max(0, list_->currentIndex());
    fw::Dialog::onOK();
}

// ---- Dialog 111 --------------------------------------------------------------------------

CElHistLimitsDlg::CElHistLimitsDlg(double min, double max, double step, const std::string& element, QWidget* parent)
    : fw::Dialog(parent, help::kHistLimits),
      texts(histLimitTexts(min, max, step, element)),
      name(element),
      name_(name_edit(this)),
      min_(new QLineEdit(this)),
      max_(new QLineEdit(this)),
      step_(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Limits"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Element :"), this), 0, 0);
    grid->addWidget(name_, 0, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* prev = new QPushButton(QStringLiteral("Prev"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    const std::pair<const char*, QLineEdit*> rows[] = {{"Min:", min_}, {"Max:", max_}, {"Step:", step_}};
    QPushButton* buttons[] = {ok, prev, cancel};
    for (int k = 0; k < 3; ++k) {
        grid->addWidget(new QLabel(QString::fromLatin1(rows[k].first), this), k + 1, 0);
        grid->addWidget(rows[k].second, k + 1, 1);
        grid->addWidget(buttons[k], k + 1, 2);
        buttons[k]->setAutoDefault(false);
    }
    connect(ok, &QPushButton::clicked, this, [this] { onOK(); });
    connect(prev, &QPushButton::clicked, this, [this] { OnPrev(); });
    connect(cancel, &QPushButton::clicked, this, [this] { onCancel(); });
}

QLineEdit* CElHistLimitsDlg::edit(HistField f) const {
    switch (f) {
        case HistField::Min:
            return min_;
        case HistField::Max:
            return max_;
        case HistField::Step:
            return step_;
        case HistField::None:
            break;
    }
    return nullptr;
}

void CElHistLimitsDlg::doDataExchange(fw::DataExchange& dx) {
    fw::ddx_text(dx, name_, name);
    fw::ddx_text(dx, min_, texts.min);
    fw::ddx_text(dx, max_, texts.max);
    fw::ddx_text(dx, step_, texts.step);
}

void CElHistLimitsDlg::onOK() {
    if (!updateData(true)) return;
    const LimitCheck c = checkHistLimits(texts);
    if (!c.message.empty()) {
        fw::message(c.message);
        if (QLineEdit* e = edit(c.focus)) e->setFocus();
        return;
    }
    endDialog(fw::kIdOk);
}

void CElHistLimitsDlg::OnPrev() { endDialog(cmd::kHistPrev); }

// ---- Dialog 113 --------------------------------------------------------------------------

CElDistAxesDlg::CElDistAxesDlg(int derivedCode, QWidget* parent)
    : fw::Dialog(parent, help::kDistAxes), derivedCode_(derivedCode) {
    setWindowTitle(QStringLiteral("Distribution: select elements."));
    auto* grid = new QGridLayout(this);
    const char* labels[] = {"Axes X:", "Axes Y:", "Axes Z:"};
    for (int k = 0; k < 3; ++k) {
        lists_[static_cast<std::size_t>(k)] = new QComboBox(this);
        fillElements(lists_[static_cast<std::size_t>(k)], k == 2);
        grid->addWidget(new QLabel(QString::fromLatin1(labels[k]), this), k, 0);
        grid->addWidget(lists_[static_cast<std::size_t>(k)], k, 1);
    }
    auto* next = new QPushButton(QStringLiteral("Next"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    next->setDefault(true);
    grid->addWidget(next, 1, 2);
    grid->addWidget(cancel, 2, 2);
    connect(next, &QPushButton::clicked, this, [this] { onOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { onCancel(); });
}

bool CElDistAxesDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    if (derivedCode_ >= 1 && derivedCode_ <= 13 && lists_[0]->count() == 9)
        for (QComboBox* box : lists_) box->addItem(QStringLiteral("function"));
    for (QComboBox* box : lists_) box->setCurrentIndex(0);
    return true;
}

void CElDistAxesDlg::onOK() {
    selection = {std::max(0, lists_[0]->currentIndex()), std::max(0, lists_[1]->currentIndex()),
                 std::max(0, lists_[2]->currentIndex()) - 1};
    fw::Dialog::onOK();
}

// ---- Dialog 116 --------------------------------------------------------------------------

CElDistLimitsDlg::CElDistLimitsDlg(bool hasZ, const DistLimits& l, const std::array<std::string, 3>& names,
                                   QWidget* parent)
    : fw::Dialog(parent, help::kDistLimits), limits(l), hasZ_(hasZ), names_(names) {
    if (!hasZ_) limits.zMin = limits.zMax = 0;
    setWindowTitle(QStringLiteral("Distribution: set Min/Max"));
    auto* grid = new QGridLayout(this);
    const char* axes[] = {"X:", "Y:", "Z:"};
    for (int k = 0; k < 3; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        nameEdits_[kk] = name_edit(this);
        edits_[kk * 2] = new QLineEdit(this);
        edits_[kk * 2 + 1] = new QLineEdit(this);
        grid->addWidget(new QLabel(QString::fromLatin1(axes[k]), this), k * 2, 0);
        grid->addWidget(nameEdits_[kk], k * 2, 1, 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("Min:"), this), k * 2 + 1, 0);
        grid->addWidget(edits_[kk * 2], k * 2 + 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("Max:"), this), k * 2 + 1, 2);
        grid->addWidget(edits_[kk * 2 + 1], k * 2 + 1, 3);
    }
    projectionBox_ = new QCheckBox(QStringLiteral("Projection"), this);
    grid->addWidget(projectionBox_, 0, 4);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* prev = new QPushButton(QStringLiteral("Prev"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    grid->addWidget(ok, 1, 4);
    grid->addWidget(prev, 3, 4);
    grid->addWidget(cancel, 5, 4);
    for (QPushButton* b : {ok, prev, cancel}) b->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { onOK(); });
    connect(prev, &QPushButton::clicked, this, [this] { OnPrev(); });
    connect(cancel, &QPushButton::clicked, this, [this] { onCancel(); });
}

bool CElDistLimitsDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    const double values[6] = {limits.xMin, limits.xMax, limits.yMin, limits.yMax, limits.zMin, limits.zMax};
    for (int k = 0; k < 3; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        nameEdits_[kk]->setText(fw::fromCp1252(names_[kk]));
        for (int j = 0; j < 2; ++j) {
            QLineEdit* e = edits_[kk * 2 + static_cast<std::size_t>(j)];
            const double v = values[k * 2 + j];
            e->setText(k < 2 || hasZ_ ? QString::fromStdString(limit_text(names_[kk], v, j == 1))
                                      : QStringLiteral("0"));
            e->setEnabled(k < 2 || hasZ_);
        }
    }
    projectionBox_->setChecked(false);
    projectionBox_->setEnabled(hasZ_);
    projection = 0;
    return true;
}

void CElDistLimitsDlg::onOK() {
    double values[6] = {};
    for (int k = 0; k < 6; ++k) {
        if (k >= 4 && !hasZ_) continue;
        QLineEdit* e = edits_[static_cast<std::size_t>(k)];
        const auto v = number_field(fw::toCp1252(e->text()));
        if (!v) {
            fw::message("Please enter a number.");
            e->setFocus();
            return;
        }
        values[k] = *v;
    }
    const DistLimits taken{values[0], values[1], values[2], values[3], values[4], values[5]};
    const DistCheck c = checkDistLimits(taken, hasZ_);
    if (!c.message.empty()) {
        fw::message(c.message);
        const int at = c.focus == DistField::XMin ? 0 : c.focus == DistField::YMin ? 2 : 4;
        edits_[static_cast<std::size_t>(at)]->setFocus();
        return;
    }
    limits = taken;
    projection = projectionBox_->isChecked() ? 1 : 0;
    endDialog(fw::kIdOk);
}

void CElDistLimitsDlg::OnPrev() { endDialog(cmd::kDistPrev); }

// ---- The plot windows ----------------------------------------------------------------------

ElPlotView::ElPlotView(AppContext& ctx, const std::array<fw::Colorref, 5>& defaults,
                       const std::array<fw::Colorref, 5>& printColors, std::string settingsFile, int optionsCommand,
                       const char* defaultName, unsigned helpContext, fw::Size minimumCanvas)
    : colors(defaults),
      ctx_(ctx),
      canvas_(minimumCanvas),
      printColors_(printColors),
      settingsPath_(ctx.WorkDir + settingsFile),
      defaultName_(defaultName),
      minimumCanvas_(minimumCanvas) {
    fw::SettingsFile f;
    f.colors(colors).font(font);
    f.read(settingsPath_);
    onCommandId(optionsCommand, [this] { OnOptions(); });
    onCommandId(cmd::kPlotSaveAs, [this] { OnSaveAs(); });
    onCommandId(fw::ids::kFilePrint, [this] { fw::printWithDialog(*this); });
    onCommandId(fw::ids::kFilePrintPreview, [this] { fw::printPreview(*this, view_); });
    onCommandId(fw::ids::kHelp,
                [this, helpContext] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), helpContext); });
}

ElPlotView::~ElPlotView() { writeSettings(); }

bool ElPlotView::writeSettings() const {
    std::array<fw::Colorref, 5> c = colors;
    fw::LogFont f = font;
    fw::SettingsFile file;
    file.colors(c).font(f);
    return file.write(settingsPath_);
}

QWidget* ElPlotView::createWidget(QWidget* parent) {
    view_ = new fw::DrawingView(*this, parent);
    view_->setScrollSizes(minimumCanvas_);
    return view_;
}

void ElPlotView::paint(fw::Dc& dc) {
    canvas_ = elements::windowCanvas(view_ != nullptr ? view_->clientSize() : minimumCanvas_, minimumCanvas_);
    draw(dc);
}

void ElPlotView::eraseBackground(fw::Dc& dc, const fw::Rect& area) {
    dc.selectBrush(fw::Brush::solid(colors[0]));
    dc.patBlt(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void ElPlotView::OnOptions() {
    // Taken back only on OK; the window is repainted either way.
    colorsDialog();
    if (view_ != nullptr) view_->invalidate(true);
}

fw::WriteStatus ElPlotView::saveMetafile(const std::string& path) {
    const fw::Colorref background = colors[0];
    colors[0] = 0xFFFFFF;
    fw::DeviceInfo ref = view_ != nullptr ? view_->deviceInfo() : fw::DeviceInfo{800, 600, 96.0, 96.0};
    if (ref.width <= 0 || ref.height <= 0) ref = {800, 600, ref.dpiX, ref.dpiY};
    canvas_ = elements::windowCanvas({ref.width, ref.height}, minimumCanvas_);
    fw::WriteStatus ok = fw::write_emf(path, ref, [this](fw::EmfDc& dc) {
        dc.setMapMode(fw::MapMode::Text);
        draw(dc);
    });
    colors[0] = background;
    if (view_ != nullptr) view_->invalidate(true);
    return ok;
}

void ElPlotView::OnSaveAs() {
    fw::save_as_emf(defaultName_, [this](const std::string& path) { return saveMetafile(path); });
}

void ElPlotView::onBeginPrinting(fw::PrintInfo& info) {
    printing_ = true;
    info.maxPage = 1;
}

void ElPlotView::printPage(fw::Dc& dc, int width, int height) {
    const std::array<fw::Colorref, 5> screen = colors;
    colors = printColors_;
    canvas_ = elements::preparePlotPage(dc, width, height);
    draw(dc);
    colors = screen;
}

void ElPlotView::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    fw::QtDc dc(painter);
    printPage(dc, info.pageRect.width(), info.pageRect.height());
}

void ElPlotView::onEndPrinting(const fw::PrintInfo&) {
    printing_ = false;
    if (view_ != nullptr) view_->invalidate(true);
}

// Histogram.

CElHistView::CElHistView(AppContext& ctx)
    : ElPlotView(ctx, kHistDefaultColors, kHistPrintColors, "ElHist.cfg", cmd::kHistOptions, "Hist",
                 help::kHistogramView, histogramMinimumCanvas()) {}

QWidget* CElHistView::createWidget(QWidget* parent) {
    // The request of the command that opens this window becomes its own.
    PlotRequests& requests = plotRequests(ctx_);
    if (requests.histogram) {
        plot_.request = std::move(*requests.histogram);
        requests.histogram.reset();
    }
    plot_.layout = layoutHistogram(plot_.request);
    return ElPlotView::createWidget(parent);
}

void CElHistView::draw(fw::Dc& dc) { drawHistogram(dc, plot_, colors, font, printing_, canvas_); }

bool CElHistView::colorsDialog() {
    CElHistColorsDlg dlg(drawingView());
    dlg.model().resultColors.assign(colors.begin(), colors.end());
    dlg.model().resultColors.resize(static_cast<std::size_t>(dlg.model().shape().colorSlots), 0);
    dlg.model().resultFonts = {font};
    if (dlg.doModal() != fw::kIdOk) return false;
    for (std::size_t k = 0; k < colors.size(); ++k) colors[k] = dlg.model().resultColors[k];
    font = dlg.model().resultFonts[0];
    return true;
}

// Distribution.

CElDistView::CElDistView(AppContext& ctx)
    : ElPlotView(ctx, kDistDefaultColors, kDistPrintColors, "ElDist.cfg", cmd::kDistOptions, "Dist",
                 help::kDistributionView, distributionMinimumCanvas()) {}

QWidget* CElDistView::createWidget(QWidget* parent) {
    PlotRequests& requests = plotRequests(ctx_);
    if (requests.distribution) {
        request_ = std::move(*requests.distribution);
        requests.distribution.reset();
    }
    return ElPlotView::createWidget(parent);
}

void CElDistView::draw(fw::Dc& dc) { drawDistribution(dc, request_, colors, font, canvas_); }

bool CElDistView::colorsDialog() {
    CElDistColorsDlg dlg(drawingView());
    dlg.model().resultColors.assign(colors.begin(), colors.end());
    dlg.model().resultColors.resize(static_cast<std::size_t>(dlg.model().shape().colorSlots), 0);
    dlg.model().resultFonts = {font};
    if (dlg.doModal() != fw::kIdOk) return false;
    for (std::size_t k = 0; k < colors.size(); ++k) colors[k] = dlg.model().resultColors[k];
    font = dlg.model().resultFonts[0];
    return true;
}

// ---- Program hooks ----------------------------------------------------------------------

void addPlotResources(fw::ResourceTables& r) {
    using namespace fw::ids;
    const auto file = [] {
        return fw::MenuItem{"&File",
                            0,
                            {{"Save &As", cmd::kPlotSaveAs, {}},
                             {"&Print...\tCtrl+P", kFilePrint, {}},
                             {"Print Pre&view", kFilePrintPreview, {}},
                             {"P&rint Setup...", kFilePrintSetup, {}}}};
    };
    r.menus[cmd::kHistogramMenu] = taskWindowMenu(r, file(), fw::MenuItem{"&Options", cmd::kHistOptions, {}});
    r.menus[cmd::kDistributionMenu] = taskWindowMenu(r, file(), fw::MenuItem{"&Options", cmd::kDistOptions, {}});
}

std::unique_ptr<fw::View> makeHistogramView(AppContext& ctx) { return std::make_unique<CElHistView>(ctx); }
std::unique_ptr<fw::View> makeDistributionView(AppContext& ctx) { return std::make_unique<CElDistView>(ctx); }

}  // namespace zelvo
