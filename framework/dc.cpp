#include "dc.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gdifont.h"

namespace fw {

namespace {
int round_half_up(double v) { return static_cast<int>(std::floor(v + 0.5)); }
int sign_of(int v) { return v < 0 ? -1 : 1; }
}  // namespace

Dc::Dc() = default;
Dc::~Dc() = default;

// Mapping --------------------------------------------------------------------

MapMode Dc::setMapMode(MapMode mode) {
    const MapMode old = s_.mapMode;
    s_.mapMode = mode;
    if (mode == MapMode::Text) {
        s_.windowExt = {1, 1};
        s_.requestedViewportExt = s_.viewportExt = {1, 1};
    } else if (mode == MapMode::Isotropic && old != MapMode::Isotropic) {
        // As the original platform does: the extents of a metric mode (tenths
        // of a millimetre, y upward) until the caller sets its own.
        const DeviceInfo d = device();
        s_.windowExt = {std::max(1, round_half_up(d.width / d.dpiX * 254.0)),
                        std::max(1, round_half_up(d.height / d.dpiY * 254.0))};
        s_.requestedViewportExt = {std::max(1, d.width), -std::max(1, d.height)};
        fitIsotropic();
    }
    changed(Change::MapMode, static_cast<int>(mode), 0);
    return old;
}

Size Dc::setWindowExt(int cx, int cy) {
    const Size old = s_.windowExt;
    if (s_.mapMode == MapMode::Text || cx == 0 || cy == 0) return old;
    s_.windowExt = {cx, cy};
    if (s_.mapMode == MapMode::Isotropic) fitIsotropic();
    changed(Change::WindowExt, cx, cy);
    return old;
}

Point Dc::setWindowOrg(int x, int y) {
    const Point old = s_.windowOrg;
    s_.windowOrg = {x, y};
    changed(Change::WindowOrg, x, y);
    return old;
}

Size Dc::setViewportExt(int cx, int cy) {
    const Size old = s_.viewportExt;
    if (s_.mapMode == MapMode::Text || cx == 0 || cy == 0) return old;
    s_.requestedViewportExt = {cx, cy};
    s_.viewportExt = {cx, cy};
    if (s_.mapMode == MapMode::Isotropic) fitIsotropic();
    changed(Change::ViewportExt, cx, cy);
    return old;
}

Point Dc::setViewportOrg(int x, int y) {
    const Point old = s_.viewportOrg;
    s_.viewportOrg = {x, y};
    changed(Change::ViewportOrg, x, y);
    return old;
}

// One logical unit is as long on the device in x as in y: the viewport
// extent of the axis whose scale is larger shrinks to the other's scale
// (allowing for pixels that are not square).
void Dc::fitIsotropic() {
    Size v = s_.requestedViewportExt;
    const Size w = s_.windowExt;
    const DeviceInfo d = device();
    const double aspect = d.dpiY / d.dpiX;  // device y pixels per x pixel of equal length
    const double xs = std::abs(static_cast<double>(v.cx) / w.cx);
    const double ys = std::abs(static_cast<double>(v.cy) / w.cy) / aspect;
    if (xs < ys)
        v.cy = sign_of(v.cy) *
               round_half_up(std::abs(static_cast<double>(v.cx)) * aspect * std::abs(w.cy) / std::abs(w.cx));
    else if (ys < xs)
        v.cx = sign_of(v.cx) *
               round_half_up(std::abs(static_cast<double>(v.cy)) / aspect * std::abs(w.cx) / std::abs(w.cy));
    if (v.cx == 0) v.cx = sign_of(s_.requestedViewportExt.cx);
    if (v.cy == 0) v.cy = sign_of(s_.requestedViewportExt.cy);
    s_.viewportExt = v;
}

double Dc::scaleX() const { return static_cast<double>(s_.viewportExt.cx) / s_.windowExt.cx; }
double Dc::scaleY() const { return static_cast<double>(s_.viewportExt.cy) / s_.windowExt.cy; }

Point Dc::lpToDp(Point p) const {
    if (s_.mapMode == MapMode::Text)
        return {p.x - s_.windowOrg.x + s_.viewportOrg.x, p.y - s_.windowOrg.y + s_.viewportOrg.y};
    return {round_half_up(static_cast<double>(p.x - s_.windowOrg.x) * scaleX()) + s_.viewportOrg.x,
            round_half_up(static_cast<double>(p.y - s_.windowOrg.y) * scaleY()) + s_.viewportOrg.y};
}

Point Dc::dpToLp(Point p) const {
    if (s_.mapMode == MapMode::Text)
        return {p.x - s_.viewportOrg.x + s_.windowOrg.x, p.y - s_.viewportOrg.y + s_.windowOrg.y};
    return {round_half_up(static_cast<double>(p.x - s_.viewportOrg.x) / scaleX()) + s_.windowOrg.x,
            round_half_up(static_cast<double>(p.y - s_.viewportOrg.y) / scaleY()) + s_.windowOrg.y};
}

Rect Dc::toDevice(const Rect& r) const {
    const Point a = lpToDp({r.left, r.top});
    const Point b = lpToDp({r.right, r.bottom});
    return Rect{a.x, a.y, b.x, b.y}.normalized();
}

int Dc::devicePenWidth() const {
    if (s_.pen.width <= 1) return 1;
    return std::max(1, round_half_up(s_.pen.width * std::abs(scaleX())));
}

// Saved states ------------------------------------------------------------------

int Dc::saveDC() {
    saved_.push_back(s_);
    changed(Change::SaveDC, 0, 0);
    return static_cast<int>(saved_.size());
}

bool Dc::restoreDC(int level) {
    const int n = static_cast<int>(saved_.size());
    const int index = level > 0 ? level - 1 : n + level;
    if (level == 0 || index < 0 || index >= n) return false;
    s_ = saved_[static_cast<std::size_t>(index)];
    saved_.resize(static_cast<std::size_t>(index));
    changed(Change::RestoreDC, index - n, 0);
    return true;
}

// Objects and attributes -----------------------------------------------------------

Pen Dc::selectPen(const Pen& pen) {
    const Pen old = s_.pen;
    s_.pen = pen;
    changed(Change::Pen, 0, 0);
    return old;
}

Brush Dc::selectBrush(const Brush& brush) {
    const Brush old = s_.brush;
    s_.brush = brush;
    changed(Change::Brush, 0, 0);
    return old;
}

LogFont Dc::selectFont(const LogFont& font) {
    const LogFont old = s_.font;
    s_.font = font;
    changed(Change::Font, 0, 0);
    return old;
}

Colorref Dc::setTextColor(Colorref c) {
    const Colorref old = s_.textColor;
    s_.textColor = c;
    changed(Change::TextColor, static_cast<int>(c), 0);
    return old;
}

Colorref Dc::setBkColor(Colorref c) {
    const Colorref old = s_.bkColor;
    s_.bkColor = c;
    changed(Change::BkColor, static_cast<int>(c), 0);
    return old;
}

BkMode Dc::setBkMode(BkMode mode) {
    const BkMode old = s_.bkMode;
    s_.bkMode = mode;
    changed(Change::BkMode, static_cast<int>(mode), 0);
    return old;
}

PolyFillMode Dc::setPolyFillMode(PolyFillMode mode) {
    const PolyFillMode old = s_.polyFillMode;
    s_.polyFillMode = mode;
    changed(Change::PolyFillMode, static_cast<int>(mode), 0);
    return old;
}

unsigned Dc::setTextAlign(unsigned align) {
    const unsigned old = s_.textAlign;
    s_.textAlign = align;
    changed(Change::TextAlign, static_cast<int>(align), 0);
    return old;
}

// Drawing --------------------------------------------------------------------------

Point Dc::moveTo(int x, int y) {
    const Point old = s_.cp;
    s_.cp = {x, y};
    changed(Change::MoveTo, x, y);
    return old;
}

void Dc::lineTo(int x, int y) {
    const Point from = s_.cp;
    s_.cp = {x, y};
    doLine(from, {x, y});
}

void Dc::polyline(std::span<const Point> points) {
    if (points.size() >= 2) doPolyline(points);
}

void Dc::polygon(std::span<const Point> points) {
    if (points.size() >= 2) doPolygon(points);
}

void Dc::rectangle(int left, int top, int right, int bottom) { doRectangle({left, top, right, bottom}); }

void Dc::ellipse(int left, int top, int right, int bottom) { doEllipse({left, top, right, bottom}); }

void Dc::chord(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
    doChord({left, top, right, bottom}, {xStart, yStart}, {xEnd, yEnd});
}

void Dc::fillRect(const Rect& r, const Brush& brush) {
    const Brush old = s_.brush;
    const bool swap = !(old == brush);
    if (swap) selectBrush(brush);
    doPattern(r, PatternOp::PatCopy);
    if (swap) selectBrush(old);
}

void Dc::patBlt(int x, int y, int width, int height, PatternOp op) { doPattern({x, y, x + width, y + height}, op); }

Colorref Dc::setPixel(int x, int y, Colorref c) {
    const Point p{x, y};
    doPixels(std::span<const Point>(&p, 1), c);
    return c;
}

void Dc::setPixels(std::span<const Point> points, Colorref c) {
    if (!points.empty()) doPixels(points, c);
}

bool Dc::extFloodFill(int x, int y, Colorref c, FloodFillMode mode) { return doFloodFill({x, y}, c, mode); }

std::vector<Point> Dc::chordOutline(const Rect& r, Point start, Point end) const {
    const Rect d = toDevice(r);
    // The ellipse through the pixel centres of the box's outer pixels.
    const double cx = (d.left + d.right - 1) / 2.0, cy = (d.top + d.bottom - 1) / 2.0;
    const double rx = std::max(0.5, (d.right - d.left - 1) / 2.0), ry = std::max(0.5, (d.bottom - d.top - 1) / 2.0);
    const Point ps = lpToDp(start), pe = lpToDp(end);
    // Parameter angles of the radials, counterclockwise as seen (y down).
    const double t0 = std::atan2(-(ps.y - cy) / ry, (ps.x - cx) / rx);
    double span = std::atan2(-(pe.y - cy) / ry, (pe.x - cx) / rx) - t0;
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    while (span <= 1e-12) span += kTwoPi;
    while (span > kTwoPi) span -= kTwoPi;
    const int n = std::clamp(static_cast<int>(std::ceil(span * std::max(rx, ry) / 1.5)), 8, 4000);
    std::vector<Point> pts;
    pts.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double t = t0 + span * i / n;
        pts.push_back({round_half_up(cx + rx * std::cos(t)), round_half_up(cy - ry * std::sin(t))});
    }
    return pts;
}

// Text ---------------------------------------------------------------------------

std::shared_ptr<const DeviceFont> Dc::deviceFont() const { return device_font(s_.font, std::abs(scaleY())); }

Point Dc::referenceOf(Point cell, int width, const TextMetrics& m) const {
    Point p = cell;
    switch (s_.textAlign & text_align::kCenter) {
        case text_align::kRight:
            p.x += width;
            break;
        case text_align::kCenter:
            p.x += width / 2;
            break;
        default:
            break;
    }
    switch (s_.textAlign & text_align::kBaseline) {
        case text_align::kBottom:
            p.y += m.height;
            break;
        case text_align::kBaseline:
            p.y += m.ascent;
            break;
        default:
            break;
    }
    return p;
}

TextRun Dc::layoutText(Point cell, std::string_view text, const DeviceFont& f, const std::vector<int>& adv,
                       unsigned options, const Rect* rect) const {
    TextRun run;
    const TextMetrics& m = f.metrics();
    int width = 0;
    for (int a : adv) width += a;
    run.reference = dpToLp(referenceOf(cell, width, m));
    run.options = options;
    run.hasRect = rect != nullptr;
    if (rect != nullptr) {
        run.rect = *rect;
        run.deviceRect = toDevice(*rect);
    }
    run.text = text;
    run.font = &f;
    run.deviceOrigin = {cell.x, cell.y + m.ascent};
    run.advances = adv;
    run.deviceCell = {cell.x, cell.y, cell.x + width, cell.y + m.height};
    run.opaqueCell = s_.bkMode == BkMode::Opaque;
    return run;
}

void Dc::extTextOut(int x, int y, unsigned options, const Rect* rect, std::string_view text) {
    const auto f = deviceFont();
    const std::vector<int> adv = f->advances(text);
    int width = 0;
    for (int a : adv) width += a;
    const bool updateCp = (s_.textAlign & text_align::kUpdateCp) != 0;
    const Point ref = updateCp ? s_.cp : Point{x, y};
    const Point dp = lpToDp(ref);
    const TextMetrics& m = f->metrics();
    Point cell = dp;
    switch (s_.textAlign & text_align::kCenter) {
        case text_align::kRight:
            cell.x -= width;
            break;
        case text_align::kCenter:
            cell.x -= width / 2;
            break;
        default:
            break;
    }
    switch (s_.textAlign & text_align::kBaseline) {
        case text_align::kBottom:
            cell.y -= m.height;
            break;
        case text_align::kBaseline:
            cell.y -= m.ascent;
            break;
        default:
            break;
    }
    TextRun run = layoutText(cell, text, *f, adv, options, rect);
    run.reference = ref;
    doText(run);
    if (updateCp) {
        const int dx = (s_.textAlign & text_align::kCenter) == text_align::kRight ? -width : width;
        s_.cp = dpToLp({dp.x + dx, dp.y});
    }
}

void Dc::textOut(int x, int y, std::string_view text) { extTextOut(x, y, 0, nullptr, text); }

int Dc::drawText(std::string_view text, Rect& rect, unsigned format) {
    using namespace draw_text;
    const auto f = deviceFont();
    const TextMetrics& m = f->metrics();
    // Lines: the whole text on one line, or split at line ends.
    std::vector<std::string_view> lines;
    if ((format & kSingleLine) != 0) {
        lines.push_back(text);
    } else {
        std::size_t start = 0;
        while (true) {
            const std::size_t nl = text.find('\n', start);
            std::string_view line = text.substr(start, nl == std::string_view::npos ? text.size() - start : nl - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines.push_back(line);
            if (nl == std::string_view::npos) break;
            start = nl + 1;
        }
    }
    const Rect d = toDevice(rect);
    const int totalHeight = m.height * static_cast<int>(lines.size());
    if ((format & kCalcRect) != 0) {
        int widest = 0;
        for (std::string_view line : lines) widest = std::max(widest, f->textWidth(line));
        const Point a = lpToDp({rect.left, rect.top});
        const Point b = dpToLp({a.x + widest, a.y + totalHeight});
        rect.right = b.x;
        rect.bottom = b.y;
        return std::abs(b.y - rect.top);
    }
    int top = d.top;
    if ((format & kSingleLine) != 0) {
        if ((format & kBottom) != 0)
            top = d.bottom - m.height;
        else if ((format & kVCenter) != 0)
            top = d.top + (d.bottom - d.top - m.height) / 2;
    }
    const unsigned options = (format & kNoClip) != 0 ? 0u : text_out::kClipped;
    for (std::string_view line : lines) {
        const std::vector<int> adv = f->advances(line);
        int width = 0;
        for (int a : adv) width += a;
        int left = d.left;
        if ((format & kRight) != 0)
            left = d.right - width;
        else if ((format & kCenter) != 0)
            left = d.left + (d.right - d.left - width) / 2;
        doText(layoutText({left, top}, line, *f, adv, options, options != 0 ? &rect : nullptr));
        top += m.height;
    }
    return round_half_up(totalHeight / std::abs(scaleY()));
}

TextMetrics Dc::textMetrics() const {
    const auto f = deviceFont();
    TextMetrics t = f->metrics();
    const double sx = std::abs(scaleX()), sy = std::abs(scaleY());
    if (sx == 1.0 && sy == 1.0) return t;
    t.height = round_half_up(t.height / sy);
    t.ascent = round_half_up(t.ascent / sy);
    t.descent = t.height - t.ascent;
    t.internalLeading = round_half_up(t.internalLeading / sy);
    t.externalLeading = round_half_up(t.externalLeading / sy);
    t.aveCharWidth = round_half_up(t.aveCharWidth / sx);
    t.maxCharWidth = round_half_up(t.maxCharWidth / sx);
    return t;
}

Size Dc::textExtent(std::string_view text) const {
    const auto f = deviceFont();
    return {round_half_up(f->textWidth(text) / std::abs(scaleX())),
            round_half_up(f->metrics().height / std::abs(scaleY()))};
}

}  // namespace fw
