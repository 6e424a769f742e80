#include "zelvo/observations/plateplot.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/application.h"
#include "framework/emfdc.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/mainframe.h"
#include "framework/messages.h"
#include "framework/plotsettings.h"
#include "framework/qtdc.h"
#include "framework/waitcursor.h"
#include "zelvo/app/angles.h"
#include "zelvo/app/colorsfonts.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/tables.h"
#include "zelvo/observations/platedialogs.h"
#include "zelvomat/core/constants.h"

namespace zelvo {

namespace {
using zelvomat::kPi;

std::string fmtInt(const char* format, int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

void piece(fw::Dc& dc, const std::string& text, int left, int top, int right, int bottom) {
    fw::Rect r{left, top, right, bottom};
    dc.drawText(text, r, fw::draw_text::kRight);
}

const std::string kDegreeSign(1, static_cast<char>(176));

// The centre's R.A. at (x, y): hours, minutes and seconds with their units
// raised by a third of the font's height. Each piece has a character cell
// of room for every character it can hold: the seconds ("35.27") five, so
// that their tens digit is not cut off.
void drawCentreRa(fw::Dc& dc, int x, int y, int hours, int minutes, double seconds) {
    const fw::TextMetrics tm = dc.textMetrics();
    const int W = tm.maxCharWidth, H = tm.height, T = H / 3;
    const int xp = x - 7 * W;
    piece(dc, fmtInt("%d", hours), xp, y, xp + 3 * W, y + H);
    piece(dc, "h", xp + 3 * W, y - T, xp + 4 * W, y + H - T);
    piece(dc, fmtInt("%02d", minutes), xp + 4 * W, y, xp + 6 * W, y + H);
    piece(dc, "m", xp + 6 * W, y - T, xp + 7 * W, y + H - T);
    piece(dc, fixedText("%05.2f", seconds), xp + 7 * W, y, xp + 12 * W, y + H);
    piece(dc, "s", xp + 12 * W, y - T, xp + 13 * W, y + H - T);
}

// The centre's declination at (x, y), its arcseconds ("34.5") in four cells.
void drawCentreDecl(fw::Dc& dc, int x, int y, int degrees, int minutes, double seconds, char sign) {
    const fw::TextMetrics tm = dc.textMetrics();
    const int W = tm.maxCharWidth, H = tm.height, T = H / 3;
    std::string first(1, sign == '\0' ? ' ' : sign);
    first += fmtInt("%d", degrees);
    piece(dc, first, x, y, x + 3 * W, y + H);
    piece(dc, kDegreeSign, x + 3 * W, y - T, x + 4 * W, y + H - T);
    piece(dc, fmtInt("%02d", minutes), x + 4 * W, y, x + 6 * W, y + H);
    piece(dc, "'", x + 6 * W, y - T, x + 7 * W, y + H - T);
    piece(dc, fixedText("%04.1f", seconds), x + 7 * W, y, x + 11 * W, y + H);
    piece(dc, "\"", x + 11 * W, y - T, x + 12 * W, y + H - T);
}

fw::LogFont courier(int height, int weight, int charSet) {
    fw::LogFont f = fw::LogFont::make(height, weight, "Courier New");
    f.charSet = static_cast<std::uint8_t>(charSet);
    f.outPrecision = 3;
    f.clipPrecision = 2;
    f.quality = 1;
    f.pitchAndFamily = 0x31;
    return f;
}

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}
}  // namespace

// ---- Settings -------------------------------------------------------------------------

fw::LogFont PlateSettings::defaultInfoFont() { return courier(-13, 700, 204); }
fw::LogFont PlateSettings::defaultLabelsFont() { return courier(-11, 400, 0); }

void PlateSettings::load(const std::string& path) {
    *this = PlateSettings{};
    fw::SettingsFile f;
    f.colors(colors).font(infoFont).font(labelsFont);
    f.read(path);
}

bool PlateSettings::save(const std::string& path) const {
    PlateSettings copy = *this;
    fw::SettingsFile f;
    f.colors(copy.colors).font(copy.infoFont).font(copy.labelsFont);
    return f.write(path);
}

double ClampDeclHalfSize(double h) {
    if (h > 40 && h <= 50) return 40;
    if (h > 50 && h <= 60) return 50;
    if (h > 60 && h <= 70) return 55;
    if (h > 70 && h <= 90) return 60;
    return h;
}

double ClampRaHalfSize(double h) {
    if (h > 160 && h <= 200) return 160;
    if (h > 200 && h <= 240) return 200;
    if (h > 240 && h <= 280) return 220;
    if (h > 280 && h <= 360) return 240;
    return h;
}

int platePlotSizeFor(int width, int height) {
    // The plate stands at (x0, y0) = (90, 20); right of it the declination
    // of its centre needs its twelve character cells. A narrow or low window
    // gets a smaller plate, never one that runs past its edges.
    const PlateGeometry g;
    const int across = width - g.x0 - kPlateRightRoom;
    const int down = height - g.y0 - kPlateBottomRoom;
    return std::min({450, across, down});
}

QPoint dialogBesidePoint(const QRect& area, const QSize& dialog, const QPoint& point, int margin) {
    const QRect keepClear(point.x() - margin, point.y() - margin, 2 * margin + 1, 2 * margin + 1);
    auto inside = [&](QPoint at) {
        at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - dialog.width())));
        at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - dialog.height())));
        return at;
    };
    const int right = point.x() + margin + 1, left = point.x() - margin - dialog.width();
    const int below = point.y() + margin + 1, above = point.y() - margin - dialog.height();
    // Below right of the point, as a tool tip goes; then the other corners.
    const QPoint tries[] = {{right, below},
                            {left, below},
                            {right, above},
                            {left, above},
                            {right, point.y() - dialog.height() / 2},
                            {left, point.y() - dialog.height() / 2}};
    for (QPoint t : tries) {
        const QPoint at = inside(t);
        if (!QRect(at, dialog).intersects(keepClear)) return at;
    }
    return inside(tries[0]);
}

// ---- The picture ----------------------------------------------------------------------

PlatePicture::PlatePicture(std::string plateLine, std::vector<PlateObjectRecord> objects) {
    setPlate(std::move(plateLine), std::move(objects));
}

void PlatePicture::setPlate(std::string plateLine, std::vector<PlateObjectRecord> objects) {
    plateLine_ = std::move(plateLine);
    objects_ = std::move(objects);
    pixels_.assign(objects_.size(), fw::Point{0, 0});
}

void PlatePicture::layout(int width, int height) {
    clientWidth = width;
    clientHeight = height;
    plotSize = platePlotSizeFor(width, height);
}

void PlatePicture::draw(fw::Dc& dc) {
    if (plotSize < 2) return;
    const int saved = dc.saveDC();
    dc.setTextColor(settings.colors[kText]);
    dc.setBkMode(fw::BkMode::Transparent);
    std::fill(pixels_.begin(), pixels_.end(), fw::Point{0, 0});

    // The plate and its geometry.
    ParsedPlate plate = ParsePlateLine(plateLine_);
    plate.declHalfSize = ClampDeclHalfSize(plate.declHalfSize);
    plate.raHalfSize = ClampRaHalfSize(plate.raHalfSize);
    PlateGeometry g;
    g.alpha0 = plate.alpha0();
    g.delta0 = plate.delta0();
    PlateHalfSizeTangents(plate, g.tanRA, g.tanDecl);
    g.declHalfSize = plate.declHalfSize * kPi / 180.0;
    netMode_ = plateNetMode(g.delta0, g.declHalfSize);

    const double S = plotSize;
    const double W = 2 * g.tanRA, H = 2 * g.tanDecl;
    // Background of the whole client area.
    dc.fillRect(fw::Rect{0, 0, clientWidth, clientHeight}, fw::Brush::solid(settings.colors[kBackground]));
    if (!(std::max(W, H) > 0) || !std::isfinite(W) || !std::isfinite(H)) {
        // A plate without extent has no picture.
        g_ = g;
        dc.restoreDC(saved);
        return;
    }
    if (W >= H) {
        g.halfW = RoundToNearest(S / 2);
        g.scale = S / W;
        g.halfH = RoundToNearest(H * g.scale / 2);
    } else {
        g.halfH = RoundToNearest(S / 2);
        g.scale = S / H;
        g.halfW = RoundToNearest(W * g.scale / 2);
    }
    g.cx = g.x0 + RoundToNearest(g.tanRA * g.scale);
    g.cy = g.y0 + RoundToNearest(g.tanDecl * g.scale);
    g_ = g;
    const int right = g.x0 + 2 * g.halfW, bottom = g.y0 + 2 * g.halfH;

    // The plate.
    dc.selectPen(fw::Pen::solid(1, settings.colors[kBorder]));
    dc.selectBrush(fw::Brush::solid(settings.colors[kSky]));
    dc.rectangle(g.x0, g.y0, right, bottom);

    // The objects.
    dc.selectPen(fw::Pen::solid(1, settings.colors[kObjects]));
    dc.selectBrush(fw::Brush::solid(settings.colors[kObjects]));
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        const fw::Point p = g.place(objects_[i].alpha(), objects_[i].delta());
        dc.ellipse(p.x - 2, p.y - 2, p.x + 2, p.y + 2);
        pixels_[i] = p;
    }

    // Their motion in a day; a motion that leads off the plate is not drawn.
    if (motionOn) {
        dc.selectPen(fw::Pen::solid(1, settings.colors[kMotion]));
        for (std::size_t i = 0; i < objects_.size(); ++i) {
            const fw::Point p = pixels_[i];
            const int ex = p.x - RoundToNearest(objects_[i].motionXi * g.scale);
            const int ey = p.y - RoundToNearest(objects_[i].motionEta * g.scale);
            if (!g.onPlate(ex, ey)) continue;
            dc.moveTo(p.x, p.y);
            dc.lineTo(ex, ey);
        }
    }

    // The date, right of the plate; where a narrowed window leaves no room
    // for it there, under the plate, below the net's R.A. labels (a line of
    // the labels' font two pixels under the plate).
    dc.selectFont(settings.labelsFont);
    const int labelsHeight = dc.textMetrics().height;
    dc.selectFont(settings.infoFont);
    char date[64];
    std::snprintf(date, sizeof date, "T = %d %02d %08.5f", plate.year, plate.month, plate.day);
    if (right + 20 + dc.textExtent(date).cx <= clientWidth)
        dc.textOut(right + 20, g.y0 - 6, date);
    else
        dc.textOut(g.x0, bottom + 2 + labelsHeight + 4, date);

    // The markers of the centre and the edges.
    dc.selectPen(fw::Pen::solid(1, settings.colors[kMarkers]));
    auto line = [&dc](int x1, int y1, int x2, int y2) {
        dc.moveTo(x1, y1);
        dc.lineTo(x2, y2);
    };
    line(g.cx - 4, g.cy, g.cx + 4, g.cy);
    line(g.cx, g.cy - 4, g.cx, g.cy + 4);
    line(g.cx, g.y0 - 4, g.cx, g.y0 + 4);
    line(g.cx, bottom - 4, g.cx, bottom + 4);
    line(g.x0 - 4, g.cy, g.x0 + 4, g.cy);
    line(right - 4, g.cy, right + 4, g.cy);
    if (highlightOn) {
        dc.selectBrush(fw::Brush::solid(settings.colors[kBackground]));
        dc.ellipse(highlight.x - 4, highlight.y - 4, highlight.x + 4, highlight.y + 4);
    }

    // The centre's coordinates.
    drawCentreDecl(dc, right + 12, g.cy - 7, plate.declDegrees, plate.declMinutes, plate.declSeconds, plate.declSign);
    drawCentreRa(dc, g.cx, 3, plate.raHours, plate.raMinutes, plate.raSeconds);

    // The coordinate net.
    if (netOn) {
        dc.selectPen(fw::Pen{fw::PenStyle::Dot, 1, settings.colors[kNet]});
        dc.selectBrush(fw::Brush::solid(settings.colors[kNet]));
        dc.selectFont(settings.labelsFont);
        PlateNet net(g, netMode_);
        net.draw(dc);
        netStats_ = net.stats();
    }
    dc.restoreDC(saved);
}

int PlatePicture::hit(int x, int y) const {
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        const fw::Point p = pixels_[i];
        if (x - 4 < p.x && p.x < x + 4 && y - 4 < p.y && p.y < y + 4) return static_cast<int>(i);
    }
    return -1;
}

ObjectInfo PlatePicture::objectInfo(int index) const {
    const PlateObjectRecord& r = objects_.at(static_cast<std::size_t>(index));
    ObjectInfo info;
    info.name = trimmed(r.nameText());
    info.raHours = fmtInt("%02d", r.raHours);
    info.raMinutes = fmtInt("%02d", r.raMinutes);
    info.raSeconds = fixedText("%05.2f", r.raSeconds);
    info.declDegrees = fmtInt(r.declSign == '-' ? "-%02d" : "%02d", std::abs(r.declDegrees));
    info.declMinutes = fmtInt("%02d", r.declMinutes);
    info.declSeconds = fixedText("%04.1f", r.declSeconds);
    info.magnitude = fixedText("%5.2f", r.magnitude);
    return info;
}

ObjectInfo PlatePicture::pointInfo(int x, int y) const {
    const double xi = (g_.cx - x) / g_.scale, eta = (g_.cy - y) / g_.scale;
    double alpha = 0, delta = 0;
    GnomonicUnproject(xi, eta, g_.alpha0, g_.delta0, alpha, delta);
    alpha = std::fmod(alpha, 2 * kPi);
    if (alpha < 0) alpha += 2 * kPi;
    std::int32_t h = 0, m = 0, d = 0, am = 0;
    double s = 0, as = 0;
    char sign = '+';
    RadiansToSexagesimal(1, alpha, h, m, s, sign);
    if (h >= 24) h -= 24;
    RadiansToSexagesimal(0, delta, d, am, as, sign);
    if (std::fabs(as) < 0.001) as = 0;
    ObjectInfo info;
    info.raHours = fmtInt("%02d", h);
    info.raMinutes = fmtInt("%02d", m);
    info.raSeconds = fixedText("%05.2f", s);
    const bool south = delta < 0 && (d != 0 || am != 0 || fixedText("%04.1f", as) != "00.0");
    info.declDegrees = std::string(1, south ? '-' : ' ') + fmtInt("%02d", d);
    info.declMinutes = fmtInt("%02d", am);
    info.declSeconds = fixedText("%04.1f", as);
    return info;
}

void PlatePicture::beginPrinting() {
    if (!printing_) saved_ = settings.colors;
    settings.colors = kPlatePrintColors;
    printing_ = true;
}

void PlatePicture::endPrinting() {
    if (printing_) settings.colors = saved_;
    printing_ = false;
}

// ---- The window -----------------------------------------------------------------------

namespace {
inline constexpr int kCoordinateNet = 32794;
inline constexpr int kDailyMotion = 32824;
inline constexpr int kOptions = 40022;
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kPlateToolbar = 128;

using WaitCursor = fw::WaitCursor;
}  // namespace

CPlatePict::CPlatePict(AppContext& ctx, Library& lib)
    : ctx_(ctx), lib_(lib), picture_(std::make_unique<PlatePicture>(std::string(), std::vector<PlateObjectRecord>{})) {
    settingsPath_ = ctx_.WorkDir + kPlateSettingsFile;
    picture_->settings.load(settingsPath_);
    showInfo = [this](const ObjectInfo& info) {
        CObjectInfoDlg dlg(info, view_);
        if (view_ != nullptr && view_->viewport() != nullptr) {
            // Beside the point clicked, so that the object stays in sight.
            dlg.adjustSize();
            const QPoint at = view_->viewport()->mapToGlobal(QPoint(infoPoint_.x, infoPoint_.y));
            const QScreen* screen = view_->screen();
            const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
            dlg.move(dialogBesidePoint(area, dlg.frameGeometry().size(), at, 24));
        }
        dlg.doModal();
    };
    onCommandId(kCoordinateNet, [this] { OnCoordinateNet(); });
    onCommandId(kDailyMotion, [this] { OnDailyMotion(); });
    onCommandId(kOptions, [this] { OnOptions(); });
    onCommandId(fw::ids::kFileSaveAs, [this] { OnFileSaveAs(); });
    onCommandId(fw::ids::kFilePrint, [this] { fw::printWithDialog(*this); });
    onCommandId(kFilePrintDirect, [this] { fw::printWithDialog(*this); });
    onCommandId(fw::ids::kFilePrintPreview, [this] { fw::printPreview(*this, view_); });
    onCommandId(fw::ids::kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), help::kPlatePlot); });
}

CPlatePict::~CPlatePict() = default;

QWidget* CPlatePict::createWidget(QWidget* parent) {
    view_ = new fw::DrawingView(*this, parent);
    return view_;
}

void CPlatePict::onInitialUpdate() {
    if (auto* doc = dynamic_cast<CPlateListDoc*>(document())) picture_->setPlate(doc->plateLine(), doc->records());
    if (view_ != nullptr) {
        view_->setScrollSizes({100, 100});
        const fw::Size s = view_->clientSize();
        picture_->layout(s.cx, s.cy);
        view_->invalidate(true);
    }
}

void CPlatePict::onActivateView(bool /*active*/) {
    if (fw::MainFrame* mf = main_frame()) {
        mf->loadToolBar(kPlateToolbar);
        ctx_.CurrentToolbarId = kPlateToolbar;
    }
}

void CPlatePict::eraseBackground(fw::Dc& dc, const fw::Rect& area) {
    dc.fillRect(area, fw::Brush::solid(picture_->settings.colors[kBackground]));
}

void CPlatePict::paint(fw::Dc& dc) { picture_->draw(dc); }

void CPlatePict::refresh() {
    if (view_ == nullptr) return;
    view_->invalidate(true);
    view_->updateWindow();
}

void CPlatePict::buttonDown(fw::MouseButton b, fw::Point p) {
    if (b != fw::MouseButton::Left) return;
    const int i = picture_->hit(p.x, p.y);
    if (i >= 0) {
        picture_->highlightOn = true;
        picture_->highlight = picture_->pixels()[static_cast<std::size_t>(i)];
        refresh();
        infoPoint_ = picture_->highlight;
        if (showInfo) showInfo(picture_->objectInfo(i));
    }
    picture_->highlightOn = false;
    if (view_ != nullptr) view_->invalidate(true);
}

void CPlatePict::buttonUp(fw::MouseButton b, fw::Point p) {
    if (b != fw::MouseButton::Right) return;
    infoPoint_ = p;
    if (showInfo) showInfo(picture_->pointInfo(p.x, p.y));
}

void CPlatePict::resized(int width, int height) { picture_->layout(width, height); }

void CPlatePict::OnCoordinateNet() {
    picture_->netOn = !picture_->netOn;
    refresh();
}

void CPlatePict::OnDailyMotion() {
    picture_->motionOn = !picture_->motionOn;
    refresh();
}

void CPlatePict::OnOptions() {
    CPlateColorsDlg dlg(view_);
    for (int i = 0; i < kPlateColorCount; ++i)
        dlg.model().resultColors[static_cast<std::size_t>(i)] = picture_->settings.colors[static_cast<std::size_t>(i)];
    dlg.model().resultFonts = {picture_->settings.infoFont, picture_->settings.labelsFont};
    if (dlg.doModal() != fw::kIdOk) return;
    for (int i = 0; i < kPlateColorCount; ++i)
        picture_->settings.colors[static_cast<std::size_t>(i)] = dlg.model().resultColors[static_cast<std::size_t>(i)];
    picture_->settings.infoFont = dlg.model().resultFonts[0];
    picture_->settings.labelsFont = dlg.model().resultFonts[1];
    // "plate.cfg" keeps the colours and fonts last chosen, whichever plot
    // they were chosen in and whichever plot closes last; a plot that was
    // only looked at leaves the file alone.
    picture_->settings.save(settingsPath_);
    refresh();
}

void CPlatePict::onBeginPrinting(fw::PrintInfo& info) {
    picture_->beginPrinting();
    info.maxPage = 1;
}

void CPlatePict::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    fw::QtDc dc(painter);
    dc.setMapMode(fw::MapMode::Isotropic);
    dc.setWindowExt(800, 600);
    dc.setViewportExt(info.pageRect.width(), info.pageRect.height());
    dc.setViewportOrg(20, 20);
    // The page has a layout of its own; the screen's comes back after it.
    const int w = picture_->clientWidth, h = picture_->clientHeight, s = picture_->plotSize;
    picture_->clientWidth = 1200;
    picture_->clientHeight = 800;
    picture_->plotSize = 485;
    picture_->draw(dc);
    picture_->clientWidth = w;
    picture_->clientHeight = h;
    picture_->plotSize = s;
}

void CPlatePict::onEndPrinting(const fw::PrintInfo& /*info*/) {
    picture_->endPrinting();
    // The screen's object pixels again.
    refresh();
}

fw::WriteStatus CPlatePict::saveMetafile(const std::string& path) {
    const fw::DeviceInfo ref = view_ != nullptr ? view_->deviceInfo() : fw::DeviceInfo{};
    fw::WriteStatus ok = fw::write_emf(path, ref, [this](fw::EmfDc& dc) {
        picture_->beginPrinting();
        {
            WaitCursor wait;
            picture_->draw(dc);
        }
        picture_->endPrinting();
    });
    refresh();
    return ok;
}

void CPlatePict::OnFileSaveAs() {
    fw::save_as_emf("Plate", [this](const std::string& path) { return saveMetafile(path); });
}

}  // namespace zelvo
