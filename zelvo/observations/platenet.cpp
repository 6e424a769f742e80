#include "zelvo/observations/platenet.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "zelvo/app/angles.h"
#include "zelvomat/core/constants.h"

namespace zelvo {

namespace {
using zelvomat::kHalfPi;
using zelvomat::kPi;

// The angle of a time (hours, minutes) of R.A.
double timeAngle(int hours, int minutes) { return SexagesimalTimesPi(hours, minutes, 0, ' ') / 12.0; }
// The angle of degrees and arcminutes.
double arcAngle(int degrees, int minutes) { return SexagesimalTimesPi(degrees, minutes, 0, ' ') / 180.0; }

int sign_of(double v) { return (v > 0) - (v < 0); }

std::string formatInt(const char* format, int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// One right-aligned piece of a label.
void piece(fw::Dc& dc, const std::string& text, int left, int top, int right, int bottom) {
    fw::Rect r{left, top, right, bottom};
    dc.drawText(text, r, fw::draw_text::kRight);
}
}  // namespace

fw::Point PlateGeometry::placeStandard(double xi, double eta) const {
    return {cx - RoundToNearest(xi * scale), cy - RoundToNearest(eta * scale)};
}

fw::Point PlateGeometry::place(double alpha, double delta) const {
    double xi = 0, eta = 0;
    GnomonicProject(alpha, delta, alpha0, delta0, xi, eta);
    return placeStandard(xi, eta);
}

NetMode plateNetMode(double delta0, double declHalfSize) {
    if (std::cos(delta0) <= 1e-5) return NetMode::AtPole;
    if (delta0 > 0 && delta0 + declHalfSize >= kHalfPi) return NetMode::NorthPole;
    if (delta0 - declHalfSize <= -kHalfPi) return NetMode::SouthPole;
    return NetMode::Ordinary;
}

void PlateSkyExtremes(double xi1, double xi2, double eta1, double eta2, double alpha0, double delta0, double& alphaMin,
                      double& alphaMax, double& deltaMin, double& deltaMax) {
    const double pts[8][2] = {{xi1, eta1}, {xi1, eta2}, {xi2, eta1}, {xi2, eta2},
                              {xi1, 0},    {0, eta1},   {xi2, 0},    {0, eta2}};
    for (int i = 0; i < 8; ++i) {
        double a = 0, d = 0;
        GnomonicUnproject(pts[i][0], pts[i][1], alpha0, delta0, a, d);
        if (i == 0) {
            alphaMin = alphaMax = a;
            deltaMin = deltaMax = d;
            continue;
        }
        if (a < alphaMin) alphaMin = a;
        if (a > alphaMax) alphaMax = a;
        if (d < deltaMin) deltaMin = d;
        if (d > deltaMax) deltaMax = d;
    }
}

NetRange plateNetRange(NetMode mode, const PlateGeometry& g) {
    NetRange r;
    double aMin = 0, aMax = 0, dMin = 0, dMax = 0;
    PlateSkyExtremes(-g.tanRA, g.tanRA, -g.tanDecl, g.tanDecl, g.alpha0, g.delta0, aMin, aMax, dMin, dMax);
    if (mode == NetMode::Ordinary) {
        r = {aMin, aMax, dMin, dMax};
    } else {
        r.alphaMin = 0;
        r.alphaMax = 2 * kPi;
        if (g.delta0 < 0) {
            r.deltaStart = -kHalfPi;
            r.deltaEnd = dMax;
        } else {
            r.deltaStart = kHalfPi;
            r.deltaEnd = dMin;
        }
    }
    return r;
}

double RaStep::radians() const { return SexagesimalTimesPi(hours, minutes, seconds, ' ') / 12.0; }
double DeclStep::radians() const { return SexagesimalTimesPi(degrees, minutes, 0, ' ') / 180.0; }

RaStep RaNetStep(double e) {
    struct Band {
        int hours, minutes;  // upper bound of the band (exclusive)
        RaStep step;
    };
    static const Band bands[] = {
        {0, 2, {0, 0, 6}},  {0, 4, {0, 0, 15}}, {0, 6, {0, 0, 30}}, {0, 10, {0, 1, 0}}, {0, 20, {0, 2, 0}},
        {0, 40, {0, 5, 0}}, {2, 0, {0, 10, 0}}, {4, 0, {0, 20, 0}}, {8, 0, {0, 30, 0}}, {12, 0, {1, 0, 0}},
    };
    for (const Band& b : bands)
        if (e < timeAngle(b.hours, b.minutes) - 1e-8) return b.step;
    if (e <= timeAngle(24, 0)) return {2, 0, 0};
    return {4, 0, 0};
}

DeclStep DeclNetStep(double e) {
    struct Band {
        int degrees, minutes;  // upper bound (exclusive)
        DeclStep step;
    };
    static const Band bands[] = {
        {0, 30, {0, 2}}, {1, 0, {0, 5}},   {1, 30, {0, 10}}, {2, 30, {0, 15}},  {5, 0, {0, 30}},   {10, 0, {1, 0}},
        {15, 0, {2, 0}}, {30, 0, {2, 30}}, {60, 0, {5, 0}},  {120, 0, {10, 0}}, {180, 0, {15, 0}},
    };
    for (const Band& b : bands)
        if (e < arcAngle(b.degrees, b.minutes)) return b.step;
    return {30, 0};
}

double RaNetStart(double alpha, const RaStep& step) {
    std::int32_t h = 0, m = 0;
    double s = 0;
    char sign = '+';
    RadiansToSexagesimal(1, alpha, h, m, s, sign);
    if (step.seconds != 0) {
        const int every = std::abs(RoundToNearest(step.seconds));
        while (RoundToNearest(std::fabs(s)) % every != 0) s += 1.0;
    } else if (step.minutes != 0) {
        if (s > 0) {
            s = 0;
            ++m;
        }
        while (std::abs(m) % step.minutes != 0) ++m;
    } else {
        if (s > 0) {
            s = 0;
            ++m;
        }
        if (m > 0) {
            m = 0;
            ++h;
        }
        while (std::abs(h) % step.hours != 0) ++h;
    }
    return SexagesimalTimesPi(h, m, s, sign) / 12.0;
}

double DeclNetStart(double delta, const DeclStep& step) {
    std::int32_t d = 0, m = 0;
    double s = 0;
    char sign = '+';
    RadiansToSexagesimal(0, delta, d, m, s, sign);
    if (s > 0) {
        s = 0;
        ++m;
    }
    if (step.minutes != 0) {
        while (std::abs(m) % step.minutes != 0) ++m;
    } else if (m > 0) {
        m = 0;
        ++d;
    }
    if (step.degrees != 0)
        while (std::abs(d) % step.degrees != 0) ++d;
    return SexagesimalTimesPi(d, m, s, sign) / 180.0;
}

RaLabel raNetLabel(double alpha) {
    double a = alpha;
    if (std::fabs(a) < 1e-6) a = 0;
    a = std::fmod(a, 2 * kPi);
    if (a < 0) a += 2 * kPi;
    std::int32_t h = 0, m = 0;
    double s = 0;
    char sign = '+';
    RadiansToSexagesimal(1, a, h, m, s, sign);
    // A line a hair below 24h reads 0h, not 24h.
    if (h >= 24) h -= 24;
    return {h, m};
}

DeclLabel declNetLabel(double delta) {
    std::int32_t d = 0, m = 0;
    double s = 0;
    char sign = '+';
    RadiansToSexagesimal(0, delta, d, m, s, sign);
    DeclLabel l;
    if (d == 0 && m == 0) {
        l.degrees = " 0";
        l.minutes = "00";
    } else {
        if (sign == '-' && d == 0)
            l.degrees = "-0";
        else
            l.degrees = formatInt(sign == '-' ? "-%d" : "+%d", d);
        l.minutes = formatInt("%02d", std::abs(m));
    }
    return l;
}

bool PlateNet::isBelowPlate(int x, int y) const {
    return x >= g_.x0 && x <= g_.x0 + 2 * g_.halfW && y > g_.y0 + 2 * g_.halfH;
}

bool PlateNet::isLeftOfPlate(int x, int y) const { return x < g_.x0 && y >= g_.y0 && y <= g_.y0 + 2 * g_.halfH; }

namespace {
bool inRect(int x, int y, int l, int t, int r, int b) { return l <= x && x <= r && t <= y && y <= b; }
}  // namespace

bool PlateNet::crossesBottomEdge(int x, int y, int px, int py) const {
    int b = g_.halfH / 20;
    if (b == 0) b = 1;
    const int l = g_.x0, t = g_.y0 + 2 * g_.halfH - b, r = g_.x0 + 2 * g_.halfW, btm = g_.y0 + 2 * g_.halfH;
    if (inRect(x, y, l, t, r, btm) && ((px == -1 && py == -1) || isBelowPlate(px, py))) return true;
    return inRect(px, py, l, t, r, btm) && isBelowPlate(x, y);
}

bool PlateNet::crossesLeftEdge(int x, int y, int px, int py) const {
    int b = g_.halfW / 20;
    if (b == 0) b = 1;
    const int l = g_.x0, t = g_.y0, r = g_.x0 + b, btm = g_.y0 + 2 * g_.halfH;
    if (isLeftOfPlate(x, y) && inRect(px, py, l, t, r, btm)) return true;
    return (isLeftOfPlate(px, py) || (px == -1 && py == -1)) && inRect(x, y, l, t, r, btm);
}

void PlateNet::draw(fw::Dc& dc) const {
    stats_ = {};
    drawRaLines(dc);
    drawDeclLines(dc);
}

void PlateNet::drawRaLines(fw::Dc& dc) const {
    const NetRange range = plateNetRange(mode_, g_);
    const RaStep step = RaNetStep(std::fabs(range.alphaMax - range.alphaMin));
    const double inc = step.radians();
    double alpha = RaNetStart(range.alphaMin, step);
    int lastLabelX = -1;
    bool anyLabel = false;
    // Labels at least 40 pixels apart, and never closer than a label's
    // seven character cells and a blank, so that they do not run into each
    // other in a larger font.
    const int labelSpacing = std::max(40, 8 * dc.textMetrics().maxCharWidth);
    for (int line = 0; alpha <= range.alphaMax && line < kMaxLines; ++line, alpha += inc) {
        ++stats_.raLines;
        bool labelled = false;
        int px = -1, py = -1, x = -1, y = -1;
        for (int j = 0; j <= 100; ++j) {
            const double delta = range.deltaStart + j * (range.deltaEnd - range.deltaStart) / 100;
            if (g_.delta0 + 1.57 < 0.001 && delta == 0) continue;
            double xi = 0, eta = 0;
            GnomonicProject(alpha, delta, g_.alpha0, g_.delta0, xi, eta);
            if (std::fabs(xi) > 1000 || std::fabs(eta) > 1000) continue;
            px = x;
            py = y;
            const fw::Point p = g_.placeStandard(xi, eta);
            x = p.x;
            y = p.y;
            const bool inside = g_.onPlate(x, y);
            if (inside) {
                dc.ellipse(x - 1, y - 1, x + 1, y + 1);
                ++stats_.dots;
            }
            if (!labelled && std::fabs(std::fabs(delta) - kHalfPi) > 1e-5) {
                labelled = crossesBottomEdge(x, y, px, py);
                if (labelled && x >= g_.x0 && x <= g_.x0 + 2 * g_.halfW &&
                    (!anyLabel || std::abs(lastLabelX - x) >= labelSpacing)) {
                    drawRaLabel(dc, alpha, x, g_.y0 + 2 * g_.halfH + 2);
                    lastLabelX = x;
                    anyLabel = true;
                    ++stats_.raLabels;
                }
            }
            if (!inside && mode_ != NetMode::Ordinary) break;
        }
    }
}

void PlateNet::drawDeclLines(fw::Dc& dc) const {
    const NetRange range = plateNetRange(mode_, g_);
    const DeclStep step = DeclNetStep(std::fabs(range.deltaEnd - range.deltaStart));
    const int k = sign_of(range.deltaEnd - range.deltaStart);
    const double inc = k * step.radians();
    double delta = DeclNetStart(range.deltaStart, step);
    // A plate of no height in declination has one line, not an endless row.
    const int lines = k == 0 ? 1 : kMaxLines;
    int lastLabelY = -1;
    // Labels at least 40 pixels apart, each clear of the next and of the
    // row of R.A. labels under the plate.
    const fw::TextMetrics tm = dc.textMetrics();
    const int labelSpacing = std::max(40, tm.height + tm.height / 3);
    const int lowestLabelTop = std::min(g_.y0 + 2 * g_.halfH, g_.y0 + 2 * g_.halfH + 2 - tm.height / 3 - tm.height);
    bool anyLabel = false;
    int L = g_.x0 + g_.halfW / 10;
    if (L == 0) L = 1;
    const double aSpan = std::fabs(range.alphaMax - range.alphaMin);
    for (int line = 0; line < lines && (k == 0 || (range.deltaEnd - delta) * k >= 0); ++line, delta += inc) {
        ++stats_.declLines;
        bool labelled = false;
        int px = -1, py = -1, x = -1, y = -1;
        for (int j = 0; j <= 100; ++j) {
            const double alpha = range.alphaMin + j * aSpan / 100;
            double xi = 0, eta = 0;
            GnomonicProject(alpha, delta, g_.alpha0, g_.delta0, xi, eta);
            if (std::fabs(xi) > 1000 || std::fabs(eta) > 1000) continue;
            px = x;
            py = y;
            const fw::Point p = g_.placeStandard(xi, eta);
            x = p.x;
            y = p.y;
            if (g_.onPlate(x, y)) {
                dc.ellipse(x - 1, y - 1, x + 1, y + 1);
                ++stats_.dots;
            }
            if (!labelled && std::fabs(std::fabs(delta) - kHalfPi) > 1e-5) {
                labelled =
                    crossesLeftEdge(x, y, px, py) || (j == 100 && inRect(x, y, g_.x0, g_.y0, L, g_.y0 + 2 * g_.halfH));
                if (labelled && y >= g_.y0 && y <= lowestLabelTop &&
                    (!anyLabel || std::abs(lastLabelY - y) >= labelSpacing)) {
                    drawDeclLabel(dc, delta, g_.x0 - 2, y);
                    lastLabelY = y;
                    anyLabel = true;
                    ++stats_.declLabels;
                }
            }
        }
    }
}

void PlateNet::drawRaLabel(fw::Dc& dc, double alpha, int x, int y) const {
    const fw::TextMetrics tm = dc.textMetrics();
    const int W = tm.maxCharWidth, H = tm.height, T = H / 3;
    const RaLabel l = raNetLabel(alpha);
    const int xp = x - 4 * W;
    piece(dc, formatInt("%d", l.hours), xp, y, xp + 3 * W, y + H);
    piece(dc, "h", xp + 3 * W, y - T, xp + 4 * W, y + H - T);
    piece(dc, formatInt("%02d", l.minutes), xp + 4 * W, y, xp + 6 * W, y + H);
    piece(dc, "m", xp + 6 * W, y - T, xp + 7 * W, y + H - T);
}

void PlateNet::drawDeclLabel(fw::Dc& dc, double delta, int x, int y) const {
    const fw::TextMetrics tm = dc.textMetrics();
    const int W = tm.maxCharWidth, H = tm.height, T = H / 3;
    const DeclLabel l = declNetLabel(delta);
    const int xp = x - 7 * W;
    piece(dc, l.degrees, xp, y, xp + 3 * W, y + H);
    piece(dc, std::string(1, static_cast<char>(176)), xp + 3 * W, y - T, xp + 4 * W, y + H - T);
    piece(dc, l.minutes, xp + 4 * W, y, xp + 6 * W, y + H);
    piece(dc, "'", xp + 6 * W, y - T, xp + 7 * W, y + H - T);
}

}  // namespace zelvo
