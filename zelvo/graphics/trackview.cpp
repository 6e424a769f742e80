// The track window and its dialogs (see trackview.h).
#include "zelvo/graphics/trackview.h"

#include <QApplication>
#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <cmath>
#include <cstring>

#include "framework/application.h"
#include "framework/emfdc.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "zelvo/app/colorsfonts.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/tables.h"
#include "zelvo/graphics/plottoolbars.h"

namespace zelvo {

using namespace fw::ids;

namespace {

QLineEdit* field(QGridLayout* g, int row, int col, int width = 60) {
    auto* e = new QLineEdit;
    e->setMinimumWidth(width);
    g->addWidget(e, row, col);
    return e;
}

QString number_text(double v) { return QString::number(v, 'g', 15); }

}  // namespace

void ddxDoubleRange(fw::DataExchange& dx, QLineEdit* edit, double& value, double lo, double hi) {
    if (dx.failed()) return;
    if (!dx.saving()) {
        edit->setText(number_text(value));
        return;
    }
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        fw::message("Please enter a number.", fw::Buttons::Ok, fw::Icon::Warning);
        dx.fail(edit);
        return;
    }
    if (v < lo || v > hi) {
        fw::message("Please enter a number between " + number_text(lo).toStdString() + " and " +
                        number_text(hi).toStdString() + ".",
                    fw::Buttons::Ok, fw::Icon::Warning);
        dx.fail(edit);
        return;
    }
    value = v;
}

void ddxIntRange(fw::DataExchange& dx, QLineEdit* edit, int& value, int lo, int hi) {
    if (dx.failed()) return;
    if (!dx.saving()) {
        edit->setText(QString::number(value));
        return;
    }
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    if (!ok) {
        fw::message("Please enter an integer.", fw::Buttons::Ok, fw::Icon::Warning);
        dx.fail(edit);
        return;
    }
    if (v < lo || v > hi) {
        fw::message("Please enter an integer between " + std::to_string(lo) + " and " + std::to_string(hi) + ".",
                    fw::Buttons::Ok, fw::Icon::Warning);
        dx.fail(edit);
        return;
    }
    value = v;
}

// ---- Dialog 155 ------------------------------------------------------------------

CTraceInputDlg::CTraceInputDlg(Library& lib, QWidget* parent) : fw::Dialog(parent, help::kTrackInput), lib_(lib) {
    setWindowTitle(QStringLiteral("Input Data (Track task)"));
    auto* g = new QGridLayout(this);
    g->addWidget(new QLabel(QStringLiteral("Objects:")), 0, 0);
    for (int i = 0; i < 3; ++i) {
        auto* e = new QLineEdit;
        e->setMaxLength(30);
        g->addWidget(e, i, 1, 1, 6);
        objects_[static_cast<std::size_t>(i)] = e;
    }
    const char* units[3] = {"Y", "M", "D"};
    g->addWidget(new QLabel(QStringLiteral("Initial date:")), 3, 0);
    g->addWidget(new QLabel(QStringLiteral("Final date:")), 4, 0);
    for (int k = 0; k < 6; ++k) {
        const int row = 3 + k / 3, col = 1 + 2 * (k % 3);
        g->addWidget(new QLabel(QString::fromLatin1(units[k % 3])), row, col);
        dates_[static_cast<std::size_t>(k)] = field(g, row, col + 1);
    }
    g->addWidget(fw::ok_cancel_buttons(this), 5, 0, 1, 7);
}

void CTraceInputDlg::doDataExchange(fw::DataExchange& dx) {
    for (int i = 0; i < 3; ++i)
        fw::ddx_fixed(dx, objects_[static_cast<std::size_t>(i)], objects[static_cast<std::size_t>(i)]);
    ddxDoubleRange(dx, dates_[5], day2, 0, 31);
    ddxIntRange(dx, dates_[4], month2, 1, 12);
    ddxIntRange(dx, dates_[3], year2, 1, 9999);
    ddxDoubleRange(dx, dates_[2], day1, 0, 31);
    ddxIntRange(dx, dates_[1], month1, 1, 12);
    ddxIntRange(dx, dates_[0], year1, 1, 9999);
    if (dx.failed()) return;
    if (dx.saving()) {
        // A day that the month does not have gives no date.
        for (const auto& [msg, edit] : {std::pair{track::checkDay(year1, month1, day1, "initial"), dates_[2]},
                                        std::pair{track::checkDay(year2, month2, day2, "final"), dates_[5]}}) {
            if (!msg.empty()) {
                fw::message(msg, fw::Buttons::Ok, fw::Icon::Warning);
                dx.fail(edit);
                return;
            }
        }
    }
    double jd1 = 0.0, jd2 = 0.0;
    lib_.DateT(1, track::packedDate(year1, month1, day1), jd1);
    lib_.DateT(1, track::packedDate(year2, month2, day2), jd2);
    if (jd2 < jd1) {
        fw::message("Final date should be greater then or equal to initial date", fw::Buttons::Ok, fw::Icon::Warning);
        dx.fail(dates_[3]);
    }
}

// ---- Dialog 157 --------------------------------------------------------------------

CTraceScaleDlg::CTraceScaleDlg(QWidget* parent) : fw::Dialog(parent, help::kTrackScale) {
    setWindowTitle(QStringLiteral("Scale Change"));
    auto* g = new QGridLayout(this);
    // A row: from <major> <unit> <minor> <subunit> to <major> <unit> <minor> <subunit>.
    auto row = [&](int r, const char* from, const char* unit, const char* subunit) {
        g->addWidget(new QLabel(QString::fromLatin1(from)), r, 0);
        for (int end = 0; end < 2; ++end) {
            const int c = 5 * end;
            if (end == 1) g->addWidget(new QLabel(QStringLiteral("to")), r, 5);
            edits_[static_cast<std::size_t>(4 * r + 2 * end)] = field(g, r, c + 1, 40);
            g->addWidget(new QLabel(QString::fromLatin1(unit)), r, c + 2);
            edits_[static_cast<std::size_t>(4 * r + 2 * end + 1)] = field(g, r, c + 3, 40);
            g->addWidget(new QLabel(QString::fromLatin1(subunit)), r, c + 4);
        }
    };
    row(0, "in R.A.:  from", "h", "m");
    row(1, "in Decl.: from", "o", "'");
    g->addWidget(fw::ok_cancel_buttons(this), 2, 0, 1, 10);
}

void CTraceScaleDlg::doDataExchange(fw::DataExchange& dx) {
    ddxIntRange(dx, edits_[1], values.raFromM, 0, 59);
    if (!dx.failed()) fw::ddx_int(dx, edits_[0], values.raFromH);
    if (!dx.failed()) fw::ddx_int(dx, edits_[2], values.raToH);
    ddxIntRange(dx, edits_[3], values.raToM, 0, 59);
    ddxIntRange(dx, edits_[5], values.declFromMin, 0, 59);
    ddxIntRange(dx, edits_[7], values.declToMin, 0, 59);
    if (dx.failed()) return;
    fw::ddx_text(dx, edits_[4], values.declFromDeg);
    fw::ddx_text(dx, edits_[6], values.declToDeg);
    const std::string msg = track::checkScaleValues(values);
    if (!msg.empty()) {
        fw::message(msg, fw::Buttons::Ok, fw::Icon::Warning);
        dx.fail(edits_[0]);
    }
}

// ---- Dialog 120 ---------------------------------------------------------------------

CTraceStepDlg::CTraceStepDlg(QWidget* parent) : fw::Dialog(parent, help::kTrackStep) {
    setWindowTitle(QStringLiteral("Step Change"));
    auto* g = new QGridLayout(this);
    g->addWidget(new QLabel(QStringLiteral("Step:")), 0, 0);
    edit_ = field(g, 0, 1, 120);
    g->addWidget(fw::ok_cancel_buttons(this), 1, 0, 1, 2);
}

void CTraceStepDlg::doDataExchange(fw::DataExchange& dx) { ddxDoubleRange(dx, edit_, step, 0.01, 10000); }

// ---- The view -----------------------------------------------------------------------------

CTraceView::CTraceView(AppContext& ctx, Library& lib) : ctx_(ctx), lib_(lib), pic_(lib) {
    loadSettings();
    pic_.FrameOnly = true;
    // The library loads its settings and opens the catalogue that the
    // object names and the positions need.
    const std::string why = lib_.inpo();
    if (!why.empty()) fw::message(why, fw::Buttons::Ok, fw::Icon::Error);

    onCommandId(cmd::kTracksInputData, [this] { OnTracksInputData(); });
    onCommandId(cmd::kTracksScale, [this] { OnTracksScale(); });
    onUpdateId(cmd::kTracksScale, [this](fw::CommandUI& ui) { ui.enable(scaleEnabled_); });
    onCommandId(cmd::kTracksStep, [this] { OnTracksStep(); });
    onUpdateId(cmd::kTracksStep, [this](fw::CommandUI& ui) { ui.enable(stepEnabled_); });
    onCommandId(cmd::kTracksOptions, [this] { OnTracksOptions(); });
    onCommandId(cmd::kTraceChangeScale, [this] {
        if (commandsEnabled_) OnTracksScale();
    });
    onCommandId(cmd::kTraceShowSun, [this] { OnShowSun(); });
    onCommandId(cmd::kTraceShowMoon, [this] { OnShowMoon(); });
    onCommandId(cmd::kTraceTimeBackward, [this] { OnTimeBackward(); });
    onCommandId(cmd::kTraceTimeForward, [this] { OnTimeForward(); });
    onCommandId(kFileSaveAs, [this] { OnFileSaveAs(); });
    onCommandId(kFilePrint, [this] { fw::printWithDialog(*this); });
    onCommandId(kFilePrintPreview, [this] { OnFilePrintPreview(); });
    onCommandId(kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), help::kTrackView); });
}

CTraceView::~CTraceView() {
    if (view_ != nullptr) view_->killTimer(1);
    if (waitCursor_) QApplication::restoreOverrideCursor();
    saveSettings();  // a failure is shown with the file and the reason
    DestroyTrackBuffers();
    lib_.Closlae();
    if (MainFrame* mf = main_frame()) mf->ResetStatusPanes();
}

void CTraceView::loadSettings() {
    track::TraceSettings s;
    s.read(settingsPath);
    pic_.ObjectName = s.names;
    pic_.ObjectNumber = s.numbers;
    year1 = s.year1;
    month1 = s.month1;
    day1 = s.day1;
    year2 = s.year2;
    month2 = s.month2;
    day2 = s.day2;
    pic_.TimeStep = s.step;
    pic_.colors = s.colors;
    pic_.LabelFont = s.font;
}

bool CTraceView::saveSettings() {
    track::TraceSettings s;
    s.names = pic_.ObjectName;
    s.numbers = pic_.ObjectNumber;
    s.year1 = year1;
    s.month1 = month1;
    s.day1 = day1;
    s.year2 = year2;
    s.month2 = month2;
    s.day2 = day2;
    s.step = pic_.TimeStep;
    // While a print is under way the screen colours are the saved ones.
    s.colors = paletteSwapped_ ? savedColors_ : pic_.colors;
    s.font = pic_.LabelFont;
    return s.write(settingsPath);
}

QWidget* CTraceView::createWidget(QWidget* parent) {
    view_ = new fw::DrawingView(*this, parent);
    return view_;
}

void CTraceView::onInitialUpdate() {
    const fw::Size s = view_->clientSize();
    clientW_ = s.cx;
    clientH_ = s.cy;
    CreateTrackBuffers();
    DrawEmptyFrame();
}

void CTraceView::onActivateView(bool) {
    MainFrame* mf = main_frame();
    if (mf == nullptr) return;
    mf->loadToolBar(cmd::kTraceToolbar);
    mf->toolBar()->show();
    ctx_.CurrentToolbarId = cmd::kTraceToolbar;
}

void CTraceView::CreateTrackBuffers() {
    const int w = std::max(1, clientW_), h = std::max(1, clientH_);
    pictureDc_ = std::make_unique<fw::MemoryDc>(w, h);
    workDc_ = std::make_unique<fw::MemoryDc>(w, h);
}

void CTraceView::DestroyTrackBuffers() {
    pictureDc_.reset();
    workDc_.reset();
}

void CTraceView::DrawEmptyFrame() {
    if (!pictureDc_) return;
    pic_.render(track::Pass::EmptyFrame, pictureDc_->dc(), clientW_, clientH_, true);
    if (view_ != nullptr) view_->invalidate(false);
}

const QImage* CTraceView::shownImage() const {
    const bool showPicture = pic_.DrawState == 1 || pic_.DrawState == 7;
    const fw::MemoryDc* m = showPicture ? pictureDc_.get() : workDc_.get();
    return m != nullptr ? &m->image() : nullptr;
}

void CTraceView::eraseBackground(fw::Dc&, const fw::Rect&) {}

void CTraceView::paint(fw::Dc& dc) {
    std::lock_guard<std::mutex> hold(lock_);
    const QImage* img = shownImage();
    auto* q = dynamic_cast<fw::QtDc*>(&dc);
    if (img == nullptr || q == nullptr) return;
    q->bitBlt(0, 0, clientW_, clientH_, *img, 0, 0);
}

void CTraceView::resized(int width, int height) {
    if (pic_.Printing) return;
    clientW_ = width;
    clientH_ = height;
    if (!pictureDc_) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        DestroyTrackBuffers();
        CreateTrackBuffers();
    }
    if (pic_.FrameOnly)
        DrawEmptyFrame();
    else
        StartTraceDrawing();
}

void CTraceView::setStatus(const std::string& text) {
    if (MainFrame* mf = main_frame()) mf->setMessageText(text);
}

void CTraceView::StepTraceDrawing() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!workDc_ || !pictureDc_) return;
    pic_.stepDrawing(workDc_->dc(), pictureDc_->dc(), clientW_, clientH_,
                     [this] { pictureDc_->dc().bitBlt(0, 0, clientW_, clientH_, workDc_->image(), 0, 0); });
}

void CTraceView::StartTraceDrawing() {
    StopTraceDrawing();
    pic_.DrawState = 3;
    running_ = true;
    if (!waitCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursor_ = true;
    }
    StepTraceDrawing();
    if (view_ != nullptr) {
        view_->invalidate(false);
        view_->setTimer(1, 0);
    }
}

void CTraceView::StopTraceDrawing() {
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
        waitCursor_ = false;
    }
    if (!running_) return;
    pic_.DrawState = 1;
    running_ = false;
    if (view_ != nullptr) view_->killTimer(1);
    setStatus("Ready: trace drawing process done");
}

void CTraceView::timer(int id) {
    if (id != 1) return;
    StepTraceDrawing();
    if (view_ != nullptr) view_->invalidate(false);
    setStatus("Wait: trace drawing process...");
    if (pic_.DrawState == 7) StopTraceDrawing();
}

// ---- Input ------------------------------------------------------------------------------------

void CTraceView::ResolveTrackObject(int i, const std::string& text) {
    const auto k = static_cast<std::size_t>(i);
    if (text.find_first_not_of(' ') == std::string::npos) {
        pic_.ObjectName[k].clear();
        pic_.ObjectNumber[k] = 0;
        return;
    }
    // The field reads padded to its width: the same name with other
    // trailing blanks is the object already resolved.
    const auto unpadded = [](std::string_view t) { return t.substr(0, t.find_last_not_of(' ') + 1); };
    if (pic_.ObjectNumber[k] != 0 && unpadded(text) == unpadded(pic_.ObjectName[k])) return;
    pic_.ObjectName[k].clear();
    char fieldText[30];
    std::memset(fieldText, ' ', sizeof fieldText);
    std::memcpy(fieldText, text.data(), std::min(text.size(), sizeof fieldText));
    int number = 0, err = 0;
    double jd = 0.0;
    lib_.Control(1, fieldText, 30, number, jd, err);
    if (number == 0 || err != 0) {
        pic_.ObjectNumber[k] = 0;
        static const char* kWhich[3] = {"1st", "2nd", "3rd"};
        fw::titled_message("Error!", std::string("Wrong name or number of the ") + kWhich[i] + " minor planet",
                           fw::Buttons::Ok, fw::Icon::Error);
        return;
    }
    pic_.ObjectNumber[k] = number;
    std::string name = std::to_string(number) + "  ";
    for (std::size_t c = 0; c < sizeof fieldText && name.size() < 29 && fieldText[c] != '\0'; ++c) name += fieldText[c];
    pic_.ObjectName[k] = name;
}

void CTraceView::ComputeTrackInterval() {
    const double p1 = track::packedDate(year1, month1, day1), p2 = track::packedDate(year2, month2, day2);
    pic_.StartJd = 0.0;
    pic_.EndJd = 0.0;
    lib_.DateT(1, p1, pic_.StartJd);
    lib_.DateT(1, p2, pic_.EndJd);
    pic_.ShownJd = pic_.StartJd;
    const bool anyObject = pic_.ObjectNumber[0] != 0 || pic_.ObjectNumber[1] != 0 || pic_.ObjectNumber[2] != 0;
    double w[4] = {};
    if (anyObject) {
        lib_.Track(pic_.ObjectNumber.data(), p1, p2, pic_.TimeStep, w[0], w[1], w[2], w[3]);
    } else {
        // Without an object the library is not asked: the same steps.
        const double d = pic_.EndJd - pic_.StartJd;
        pic_.TimeStep = d > 200 ? 30.0 : d > 20 ? 10.0 : 1.0;
    }
    pic_.SkyWindow = {0.0, track::kTwoPi, -track::kPi / 2, track::kPi / 2};
    pic_.workFrom = 0.0;
    pic_.workTo = track::kTwoPi;
}

void CTraceView::ApplyTrackInput(bool keep, const std::array<std::string, 3>& texts) {
    pic_.FrameOnly = false;
    if (keep) return;
    for (int i = 0; i < 3; ++i) ResolveTrackObject(i, texts[static_cast<std::size_t>(i)]);
    ComputeTrackInterval();
    pic_.updateScales();
    const bool any = pic_.ObjectNumber[0] != 0 || pic_.ObjectNumber[1] != 0 || pic_.ObjectNumber[2] != 0;
    pic_.GridOn = commandsEnabled_ = stepEnabled_ = scaleEnabled_ = any;
    StartTraceDrawing();
}

void CTraceView::OnTracksInputData() {
    CTraceInputDlg dlg(lib_, view_);
    dlg.objects = pic_.ObjectName;
    dlg.year1 = year1;
    dlg.month1 = month1;
    dlg.day1 = day1;
    dlg.year2 = year2;
    dlg.month2 = month2;
    dlg.day2 = day2;
    if (runDialog(dlg) != fw::kIdOk) return;
    // A span that gives no date is refused.
    double jd1 = 0.0, jd2 = 0.0;
    lib_.DateT(1, track::packedDate(dlg.year1, dlg.month1, dlg.day1), jd1);
    lib_.DateT(1, track::packedDate(dlg.year2, dlg.month2, dlg.day2), jd2);
    if (!(jd1 > 0) || !(jd2 >= jd1)) {
        fw::message("The dates of the track give no interval of time; the input is not applied.", fw::Buttons::Ok,
                    fw::Icon::Warning);
        return;
    }
    const bool changed = dlg.year1 != year1 || dlg.month1 != month1 || dlg.day1 != day1 || dlg.year2 != year2 ||
                         dlg.month2 != month2 || dlg.day2 != day2 || pic_.ShownJd != pic_.StartJd;
    if (changed) pic_.sunStale = pic_.moonStale = true;
    year1 = dlg.year1;
    month1 = dlg.month1;
    day1 = dlg.day1;
    year2 = dlg.year2;
    month2 = dlg.month2;
    day2 = dlg.day2;
    ApplyTrackInput(false, dlg.objects);
}

void CTraceView::OnTracksScale() {
    shownScale_ = track::scaleValuesOf(pic_.SkyWindow);
    CTraceScaleDlg dlg(view_);
    dlg.values = shownScale_;
    if (runDialog(dlg) != fw::kIdOk) return;
    if (dlg.values == shownScale_) return;
    pic_.GridOn = true;
    shownScale_ = dlg.values;
    pic_.SkyWindow = track::skyWindowOf(dlg.values);
    pic_.updateScales();
    pic_.workFrom = pic_.SkyWindow[0];
    pic_.workTo = pic_.SkyWindow[1];
    StartTraceDrawing();
}

void CTraceView::OnTracksStep() {
    CTraceStepDlg dlg(view_);
    {
        std::lock_guard<std::mutex> hold(lock_);
        dlg.step = pic_.TimeStep;
    }
    if (runDialog(dlg) != fw::kIdOk) return;
    if (dlg.step == pic_.TimeStep) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        pic_.TimeStep = dlg.step;
    }
    ApplyTrackInput(true, {});
}

void CTraceView::OnTracksOptions() {
    CTraceColorsDlg dlg(view_);
    dlg.model().resultColors.assign(pic_.colors.begin(), pic_.colors.end());
    dlg.model().resultFonts = {pic_.LabelFont};
    if (runDialog(dlg) != fw::kIdOk) return;
    for (std::size_t i = 0; i < pic_.colors.size() && i < dlg.model().resultColors.size(); ++i)
        pic_.colors[i] = dlg.model().resultColors[i];
    if (!dlg.model().resultFonts.empty()) pic_.LabelFont = dlg.model().resultFonts[0];
    if (!pictureDc_) return;
    if (pic_.FrameOnly)
        DrawEmptyFrame();
    else
        StartTraceDrawing();
}

void CTraceView::redrawLegend() {
    if (!pictureDc_ || !workDc_) return;
    pictureDc_->dc().bitBlt(0, 0, clientW_, clientH_, workDc_->image(), 0, 0);
    pic_.render(track::Pass::Legend, pictureDc_->dc(), clientW_, clientH_, false);
    if (view_ != nullptr) view_->invalidate(false);
}

void CTraceView::OnShowSun() {
    if (!commandsEnabled_) return;
    pic_.ShowSun = !pic_.ShowSun;
    if (pic_.ShowSun) pic_.sunStale = true;
    redrawLegend();
}

void CTraceView::OnShowMoon() {
    if (!commandsEnabled_) return;
    pic_.ShowMoon = !pic_.ShowMoon;
    if (pic_.ShowMoon) pic_.moonStale = true;
    redrawLegend();
}

void CTraceView::OnTimeForward() {
    if (!commandsEnabled_) return;
    if (pic_.ShownJd > pic_.EndJd - pic_.TimeStep)
        pic_.ShownJd = pic_.EndJd;
    else
        pic_.ShownJd += pic_.TimeStep;
    pic_.sunStale = pic_.moonStale = true;
    redrawLegend();
}

void CTraceView::OnTimeBackward() {
    if (!commandsEnabled_) return;
    if (pic_.ShownJd < pic_.StartJd + pic_.TimeStep)
        pic_.ShownJd = pic_.StartJd;
    else
        pic_.ShownJd -= pic_.TimeStep;
    pic_.sunStale = pic_.moonStale = true;
    redrawLegend();
}

// ---- Printing and the metafile ----------------------------------------------------------------

void CTraceView::onBeginPrinting(fw::PrintInfo& info) {
    info.maxPage = 1;
    if (!paletteSwapped_) {
        savedColors_ = pic_.colors;
        paletteSwapped_ = true;
    }
    pic_.colors = track::printPalette();
    pic_.Printing = true;
}

void CTraceView::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    const int w = info.pageRect.width() > 0 ? info.pageRect.width() : clientW_;
    const int h = info.pageRect.height() > 0 ? info.pageRect.height() : clientH_;
    fw::QtDc dc(painter);
    setStatus("Wait: trace drawing process...");
    pic_.printPage(dc, w, h);
    setStatus("Ready: trace drawing process done");
}

void CTraceView::onEndPrinting(const fw::PrintInfo&) {
    if (paletteSwapped_) {
        pic_.colors = savedColors_;
        paletteSwapped_ = false;
    }
    pic_.Printing = false;
    if (view_ != nullptr) view_->invalidate(true);
}

void CTraceView::OnFilePrintPreview() {
    pic_.Printing = true;
    fw::printPreview(*this, view_);
    // However the preview ended, the screen colours are back and the window
    // follows its size again.
    if (paletteSwapped_) {
        pic_.colors = savedColors_;
        paletteSwapped_ = false;
    }
    pic_.Printing = false;
    if (view_ != nullptr) {
        const fw::Size s = view_->clientSize();
        if (s.cx != clientW_ || s.cy != clientH_) resized(s.cx, s.cy);
    }
}

void CTraceView::OnFileSaveAs() {
    fw::save_as_emf("Trace", [this](const std::string& path) { return saveMetafile(path); });
}

fw::WriteStatus CTraceView::saveMetafile(const std::string& path) {
    fw::DeviceInfo ref = view_ != nullptr ? view_->deviceInfo() : fw::DeviceInfo{clientW_, clientH_, 96.0, 96.0};
    return fw::write_emf(path, ref, [this](fw::EmfDc& emf) {
        fw::PrintInfo info;
        onBeginPrinting(info);
        pic_.Printing = false;
        pic_.MetafileMode = true;
        pic_.render(pic_.FrameOnly ? track::Pass::EmptyFrame : track::Pass::Whole, emf, clientW_, clientH_, true);
        pic_.MetafileMode = false;
        pic_.Printing = true;
        onEndPrinting(info);
    });
}

// ---- Resources -------------------------------------------------------------------------------

void addTraceResources(fw::ResourceTables& r) {
    const fw::MenuItem file{"&File",
                            0,
                            {{"Save &As...", kFileSaveAs, {}},
                             {},
                             {"&Print...\tCtrl+P", kFilePrint, {}},
                             {"Print Pre&view", kFilePrintPreview, {}},
                             {"P&rint Setup...", kFilePrintSetup, {}}}};
    const fw::MenuItem tracks{"&Tracks",
                              0,
                              {{"&Input data", cmd::kTracksInputData, {}},
                               {"&Scale", cmd::kTracksScale, {}},
                               {"S&tep", cmd::kTracksStep, {}},
                               {},
                               {"&Options...", cmd::kTracksOptions, {}}}};
    r.menus[cmd::kTraceMenu] = taskWindowMenu(r, file, tracks);
}

std::unique_ptr<fw::Document> makeTraceDocument() { return std::make_unique<CTraceDoc>(); }

std::unique_ptr<fw::View> makeTraceView(AppContext& ctx, Library& lib) {
    return std::make_unique<CTraceView>(ctx, lib);
}

}  // namespace zelvo
