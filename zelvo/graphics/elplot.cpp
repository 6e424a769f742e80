#include "zelvo/graphics/elplot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "zelvo/app/tables.h"
#include "zelvo/graphics/elcache.h"

namespace zelvo::elements {

namespace {

template <typename... Args>
std::string format(const char* fmt, Args... args) {
    char buf[512];
    const int n = std::snprintf(buf, sizeof buf, fmt, args...);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
}

// An integer from a double already known to be small enough.
int to_int(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2.0e9, 2.0e9));
}

}  // namespace

std::string fieldName(int index) {
    if (index < 0 || index >= static_cast<int>(ElementFieldNames.size())) return {};
    return ElementFieldNames[static_cast<std::size_t>(index)];
}

std::string axisTitle(int index, int fixedObjectNumber) {
    std::string t = fieldName(index);
    if (index >= 22) t += "(" + std::to_string(fixedObjectNumber) + ")";
    return t;
}

int elementIndex(int column, int derivedCode) { return column > 10 ? derivedCode + 10 : column; }

double plotValue(int index, double v) { return index == 3 ? effectiveSlope(v) : v; }

// ---- Binning -------------------------------------------------------------------------

int BinCount(double range, double step) {
    const double ratio = range / step;
    if (!std::isfinite(ratio) || std::fabs(ratio) > 1.0e9) return 0;
    const int q = static_cast<int>(std::trunc(ratio));
    const double r = std::fmod(range, step);
    if (r >= 0.5) return q + 1;
    if (r <= -0.5) return q - 1;
    return q;
}

double binQuotient(double offset, double step) {
    const double q = offset / step;
    const double whole = std::round(q);
    if (std::fabs(q - whole) <= 1e-9 * std::max(1.0, std::fabs(q))) return whole;
    return std::floor(q);
}

BinPlace BinIndex(double offset, double step) {
    BinPlace p;
    if (!(offset >= 0)) return p;
    const double k = binQuotient(offset, step);
    if (!std::isfinite(k)) return p;
    p.index = to_int(k);
    p.remainder = std::max(0.0, offset - k * step);
    return p;
}

int drawnBinCount(double min, double max, double step) {
    const double ratio = (max - min) / step;
    if (!std::isfinite(ratio) || ratio <= 0) return 1;
    // A quotient that is whole but for the rounding of the division counts
    // as whole (1 / 0.1 is 10 bins, not 11).
    const double n = std::ceil(ratio - 1e-9 * std::max(1.0, ratio));
    return std::max(1, to_int(std::min(n, 1.0e6)));
}

int drawnBinOf(double v, double min, double max, double step, int bins) {
    if (!(v >= min && v <= max) || bins <= 0) return -1;
    const double k = binQuotient(v - min, step);
    if (!std::isfinite(k)) return bins - 1;
    return std::clamp(to_int(k), 0, bins - 1);
}

// ---- The limits dialogs ----------------------------------------------------------------

namespace {

// The decimal number at the start of text; used receives the characters
// taken (0 when there is none).
std::optional<double> leadingDecimal(std::string_view text, std::size_t& used) {
    used = 0;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissa = i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    std::size_t end = i;
    used = i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
        const std::size_t expDigits = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
        if (j > expDigits) end = j;
    }
    used = end;
    double v = 0;
    const char* first = text.data() + mantissa;
    const auto r = std::from_chars(first, text.data() + end, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        if (!negativeExponent) return std::nullopt;  // too large for a double
        v = 0;
    } else if (r.ec != std::errc() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return negative ? -v : v;
}

}  // namespace

std::optional<double> decimalValue(std::string_view text) {
    std::size_t used = 0;
    return leadingDecimal(text, used);
}

std::optional<double> number_field(std::string_view text) {
    std::size_t used = 0;
    const auto v = leadingDecimal(text, used);
    if (!v || used == 0) return std::nullopt;
    for (std::size_t i = used; i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\t') return std::nullopt;
    return v;
}

std::string limit_text(std::string_view name, double value, bool upper) {
    std::string t = FormatElementValue(name, value);
    const std::size_t point = t.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(t.size() - point - 1);
    const double unit = std::pow(10.0, -decimals);
    // A text rounded past the value moves one unit of its last decimal
    // outwards (twice at most: the second step only mends the rounding of
    // the first).
    for (int k = 0; k < 3; ++k) {
        const auto back = decimalValue(t);
        if (!back || !std::isfinite(value) || (upper ? *back >= value : *back <= value)) break;
        t = FormatElementValue(name, upper ? *back + unit : *back - unit);
    }
    return t;
}

HistLimitTexts histLimitTexts(double min, double max, double step, std::string_view name) {
    return {limit_text(name, min, false), limit_text(name, max, true), format("%.4f", step)};
}

LimitCheck checkHistLimits(const HistLimitTexts& t) {
    LimitCheck c;
    const auto min = decimalValue(t.min), max = decimalValue(t.max), step = decimalValue(t.step);
    const auto refuse = [&](const char* message, HistField focus) {
        c.message = message;
        c.focus = focus;
        return c;
    };
    if (!min) return refuse("Please enter a number.", HistField::Min);
    if (!max) return refuse("Please enter a number.", HistField::Max);
    if (!step) return refuse("Please enter a number.", HistField::Step);
    c.min = *min;
    c.max = *max;
    c.step = *step;
    if (!(c.min < c.max)) return refuse("'Min' must be less 'Max'!", HistField::Min);
    if (!(2 * c.step <= c.max - c.min)) return refuse("For this range 'Step' must be less", HistField::Min);
    if (!(c.step >= 1e-6 && std::ceil((c.max - c.min) / c.step) <= 160))
        return refuse("'Step' is too small!", HistField::Step);
    return c;
}

DistCheck checkDistLimits(const DistLimits& l, bool hasZ) {
    if (l.xMin > l.xMax) return {"'Min' mast be less 'Max'!", DistField::XMin};
    if (l.yMin > l.yMax) return {"'Min' mast be less 'Max'!", DistField::YMin};
    if (hasZ && l.zMin > l.zMax) return {"'Min' must be less 'Max'!", DistField::ZMin};
    return {};
}

// ---- The histogram ---------------------------------------------------------------------

HistProposal proposeHistogram(const std::vector<double>& values, int index) {
    HistProposal p;
    bool any = false;
    for (double raw : values) {
        const double v = plotValue(index, raw);
        if (!std::isfinite(v)) continue;
        if (!any) p.min = p.max = v;
        p.min = std::min(p.min, v);
        p.max = std::max(p.max, v);
        any = true;
    }
    if (!any) return p;
    p.step = (p.max - p.min) / 10;
    if (!(p.step >= 1e-8)) {
        // One value: two bins of 1 from it, so that the proposal passes.
        p.step = 1.0;
        p.max = p.min + 2 * p.step;
    }
    return p;
}

double HistogramMedian(const std::vector<double>& sorted, int lo, int hi) {
    const int m = (lo + hi) / 2;
    if ((lo + hi) % 2 == 0) return sorted[static_cast<std::size_t>(m)];
    return (sorted[static_cast<std::size_t>(m)] + sorted[static_cast<std::size_t>(m) + 1]) / 2;
}

std::optional<HistogramRequest> computeHistogram(const std::vector<double>& values, int index, double min, double max,
                                                 double step) {
    if (!(min <= max) || !(step > 0)) return std::nullopt;
    std::vector<double> sorted;
    sorted.reserve(values.size());
    for (double raw : values) {
        const double v = plotValue(index, raw);
        if (std::isfinite(v)) sorted.push_back(v);
    }
    std::vector<double> inList = sorted;  // list order, for the bins
    std::sort(sorted.begin(), sorted.end());
    const auto first = std::lower_bound(sorted.begin(), sorted.end(), min);
    const auto last = std::upper_bound(sorted.begin(), sorted.end(), max);
    if (first >= last) return std::nullopt;
    const int lo = static_cast<int>(first - sorted.begin());
    const int hi = static_cast<int>(last - sorted.begin()) - 1;

    HistogramRequest r;
    r.HistElement = index;
    r.HistMin = min;
    r.HistMax = max;
    r.HistStep = step;
    r.HistRecordCount = hi - lo + 1;
    long double sum = 0;
    for (auto it = first; it != last; ++it) sum += *it;
    r.HistMean = static_cast<double>(sum / r.HistRecordCount);
    r.HistMedian = HistogramMedian(sorted, lo, hi);
    const int bins = drawnBinCount(min, max, step);
    r.HistBinCounts.assign(static_cast<std::size_t>(bins), 0);
    for (double v : inList) {
        const int b = drawnBinOf(v, min, max, step, bins);
        if (b >= 0) ++r.HistBinCounts[static_cast<std::size_t>(b)];
    }
    return r;
}

HistLayout layoutHistogram(const HistogramRequest& r) {
    HistLayout l;
    l.bins = static_cast<int>(r.HistBinCounts.size());
    l.raw = r.HistBinCounts;
    l.largest = 1;
    for (std::int32_t c : l.raw) l.largest = std::max<int>(l.largest, c);
    const long long m = l.largest;
    for (std::int32_t c : l.raw) l.heights.push_back(static_cast<int>(static_cast<long long>(c) * 330 / m));
    long long t = 1;
    while (m / t > 10) t *= 10;
    if (m / t < 3 && t > 1) t /= 10;
    if (m / t < 4 && t > 2) t /= 2;
    l.yTickStep = static_cast<int>(t);
    l.yTickSpacing = std::max(1, static_cast<int>(t * 330 / m));
    int u = 1;
    if (l.bins > 0) {
        while (l.bins / u > 10) u *= 10;
        if (l.bins / u < 3 && u > 1) u /= 10;
        l.barWidth = 520 / l.bins;
    }
    l.xTickStep = u;
    return l;
}

std::string stepText(double step) {
    if (std::trunc(step * 10000) == 0) return format("%5.5f ", step);
    if (std::trunc(step * 1000) == 0) return format("%5.4f ", step);
    return format("%5.3f ", step);
}

std::string xLabel(int index, double step, double value) {
    const double k1000 = std::trunc(step * 1000);
    const bool tenths = std::fmod(k1000, 10.0) != 0;
    if ((index >= 4 && index <= 7) || (index >= 15 && index <= 18))
        return tenths ? format("%-9.3f ", value) : format("%-9.1f", value);
    if (k1000 == 0) return format("%-9.4f", value);
    return tenths ? format("%-9.3f", value) : format("%-9.2f", value);
}

fw::LogFont plotDefaultFont() { return fw::LogFont::make(-28, fw::kFontNormal, "Courier New"); }

namespace {

// The texts of a plot are laid out by their measured extents in the font
// and on the device they are drawn on, so that none covers another and all
// stay inside the canvas, whatever the window's size or the font.

// A title cut into lines no wider than width: the text is broken after its
// commas (the comma stays at the end of its line); a piece wider than width
// stays whole.
std::vector<std::string> wrapAtCommas(const fw::Dc& dc, const std::string& text, int width) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == ',') {
            pieces.push_back(text.substr(start, k + 1 - start));
            start = k + 1;
        }
    }
    pieces.push_back(text.substr(start));
    std::vector<std::string> lines;
    std::string line;
    for (const std::string& piece : pieces) {
        if (line.empty()) {
            line = piece;
            continue;
        }
        if (dc.textExtent(line + piece).cx <= width) {
            line += piece;
            continue;
        }
        lines.push_back(line);
        line = piece.substr(std::min(piece.find_first_not_of(' '), piece.size()));
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string trimBlanks(const std::string& s) {
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') + 1 - a);
}

}  // namespace

fw::Size histogramMinimumCanvas() { return {640, 480}; }

fw::Size windowCanvas(fw::Size client, fw::Size minimum) {
    return {std::max(client.cx, minimum.cx), std::max(client.cy, minimum.cy)};
}

fw::Size preparePlotPage(fw::Dc& dc, int width, int height) {
    const int margin = std::max(1, width / 40);
    const int w = std::max(1, width - 2 * margin), h = std::max(1, height - 2 * margin);
    constexpr int kAcross = 800;
    const int logicalHeight = std::clamp(static_cast<int>(static_cast<long long>(kAcross) * h / w), 1, 600);
    dc.setMapMode(fw::MapMode::Isotropic);
    dc.setWindowExt(kAcross, logicalHeight);
    dc.setViewportExt(w, h);
    dc.setViewportOrg(margin, margin);
    return {kAcross, logicalHeight};
}

void drawHistogram(fw::Dc& dc, const HistogramPlot& plot, const HistColors& colors, const fw::LogFont& font,
                   bool printing, fw::Size canvas) {
    const HistogramRequest& r = plot.request;
    const HistLayout& l = plot.layout;
    const int saved = dc.saveDC();
    dc.setBkColor(colors[0]);
    dc.setBkMode(fw::BkMode::Opaque);
    dc.selectPen(fw::Pen::solid(1, colors[2]));
    dc.selectFont(font);
    dc.setTextColor(colors[1]);

    const int h = std::max(1, dc.textExtent("0").cy);
    const int margin = std::max(4, h / 3);
    const int gap = std::max(2, h / 6);
    const int W = std::max(canvas.cx, 1), H = std::max(canvas.cy, 1);

    // Title and statistics, broken into lines that fit the canvas.
    const std::string name = fieldName(r.HistElement);
    const std::string title = axisTitle(r.HistElement, r.FixedObjectNumber);
    std::vector<std::string> lines =
        wrapAtCommas(dc,
                     format("%s   ( min = %s, max = %s, step = %s, mean value = %s )", title.c_str(),
                            FormatElementValue(name, r.HistMin).c_str(), FormatElementValue(name, r.HistMax).c_str(),
                            stepText(r.HistStep).c_str(), FormatElementValue(name, r.HistMean).c_str()),
                     W - 2 * margin);
    for (std::string& s : wrapAtCommas(dc,
                                       format("Records number: %d, median: %-s", r.HistRecordCount,
                                              FormatElementValue(name, r.HistMedian).c_str()),
                                       W - 2 * margin))
        lines.push_back(std::move(s));
    int y = margin;
    for (const std::string& s : lines) {
        dc.textOut(margin, y, s);
        y += h + gap;
    }
    const int titleBottom = y;

    // Y labels: every second tick, right-aligned left of the axis; every
    // fourth (and so on) when the plot is too low for them.
    const int largest = std::max(1, l.largest);
    const int yStep = std::max(1, l.yTickStep);
    int labelWidth = 0;
    for (long long v = 0; v <= largest + static_cast<long long>(yStep); v += yStep)
        labelWidth = std::max(labelWidth, dc.textExtent(format("%lld", v)).cx);
    const int tickLong = std::max(7, h / 4), tickShort = std::max(5, h / 6);
    const int left = margin + labelWidth + gap + tickLong;

    // X labels: the values at every second step of u bins, without the
    // blanks that pad them.
    const int bins = std::max(1, l.bins);
    const int u = std::max(1, l.xTickStep);
    std::vector<std::string> xLabels;
    for (int k = 0; 2 * k * u <= bins; ++k)
        xLabels.push_back(trimBlanks(xLabel(r.HistElement, r.HistStep, r.HistMin + 2.0 * r.HistStep * u * k)));
    int xLabelWidth = 0;
    for (const std::string& s : xLabels) xLabelWidth = std::max(xLabelWidth, dc.textExtent(s).cx);
    const int right = std::max(left + bins, W - margin - xLabelWidth / 2 - 1);
    const int top = titleBottom + h / 2 + gap;
    // The X labels stand below the lowest Y label.
    const int xLabelTop = std::max(tickLong + gap / 2, h / 2 + gap);
    const int base = std::max(top + 10, H - margin - h - xLabelTop);
    const int plotW = right - left, plotH = base - top;

    // Axes.
    dc.moveTo(left, top);
    dc.lineTo(left, base);
    dc.lineTo(right, base);

    // Y ticks, labelled at every second one (or further apart when the
    // labels would touch).
    const double perObject = static_cast<double>(plotH) / largest;
    const double spacing = yStep * perObject;
    int labelEvery = 2;
    while (spacing * labelEvery < h + gap && labelEvery < 1 << 20) labelEvery *= 2;
    for (int k = 0;; ++k) {
        const int ty = base - static_cast<int>(std::lround(k * spacing));
        if (ty < top || (k > 0 && spacing <= 0)) break;
        dc.moveTo(left, ty);
        if (k % labelEvery == 0) {
            dc.lineTo(left - tickLong, ty);
            const std::string s = format("%lld", static_cast<long long>(k) * yStep);
            dc.textOut(left - tickLong - gap - dc.textExtent(s).cx, ty - h / 2, s);
        } else {
            dc.lineTo(left - tickShort, ty);
        }
        if (spacing <= 0) break;
    }

    // X ticks at every second step of u bins, each label centred under its
    // tick; labels that would touch the one before are left out.
    const auto binX = [&](int k) {
        return left + static_cast<int>(std::lround(static_cast<double>(k) * plotW / bins));
    };
    int lastLabelRight = std::numeric_limits<int>::min();
    for (int k = 0; k < static_cast<int>(xLabels.size()); ++k) {
        const int x = binX(2 * k * u);
        dc.moveTo(x, base);
        const std::string& s = xLabels[static_cast<std::size_t>(k)];
        const int w = dc.textExtent(s).cx;
        const int labelLeft = std::clamp(x - w / 2, margin, W - margin - w);
        if (labelLeft > lastLabelRight + gap) {
            dc.lineTo(x, base + tickLong);
            dc.textOut(labelLeft, base + xLabelTop, s);
            lastLabelRight = labelLeft + w;
        } else {
            dc.lineTo(x, base + tickShort);
        }
    }

    // Bars: every bin, the last partial one too; a bin with objects shows
    // at least one unit high.
    if (printing) {
        dc.selectPen(fw::Pen::solid(1, 0x000000));
        dc.selectBrush(fw::Brush::null());
    }
    for (int k = 0; k < l.bins && k < static_cast<int>(l.raw.size()); ++k) {
        const int barLeft = binX(k) + (k == 0 ? 1 : 0), barRight = binX(k + 1);
        const std::int32_t count = l.raw[static_cast<std::size_t>(k)];
        int barTop = base - static_cast<int>(static_cast<double>(count) * plotH / largest);
        if (count > 0 && barTop >= base) barTop = base - 1;
        if (barTop < base && barRight > barLeft) {
            if (printing)
                dc.rectangle(barLeft, barTop, barRight, base);
            else
                dc.fillRect({barLeft, barTop, barRight, base}, fw::Brush::solid(colors[k % 2 == 0 ? 3 : 4]));
        }
    }
    dc.restoreDC(saved);
}

// ---- The distribution -------------------------------------------------------------------

DistLimits proposeDistribution(const std::vector<DistPoint>& points, bool hasZ) {
    struct Axis {
        double lo = 0, hi = 0;
        bool any = false;
        void take(double v) {
            if (!std::isfinite(v)) return;
            if (!any) lo = hi = v;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            any = true;
        }
    } x, y, z;
    for (const DistPoint& p : points) {
        x.take(p.x);
        y.take(p.y);
        if (hasZ) z.take(p.z);
    }
    return {x.lo, x.hi, y.lo, y.hi, z.lo, z.hi};
}

DistGeometry distGeometry(bool threeD) {
    DistGeometry g;
    g.threeD = threeD;
    if (threeD) {
        g.x0 = 200;
        g.y0 = 300;
        g.size = 200;
        g.d = static_cast<int>(200 / std::sqrt(2.0));
    }
    return g;
}

std::vector<fw::Point> distributionPixels(const DistributionRequest& r, int& count) {
    return distributionPixels(r, count, distGeometry(r.hasZ()), {635, 500});
}

std::vector<fw::Point> distributionPixels(const DistributionRequest& r, int& count, const DistGeometry& g,
                                          fw::Size area) {
    const bool threeD = r.hasZ();
    const DistLimits& l = r.limits;
    const auto scale = [&](double lo, double hi) {
        double range = hi - lo;
        if (!(range > 0)) range = 1;
        return g.size / range;
    };
    double sx = scale(l.xMin, l.xMax);
    const double sy = scale(l.yMin, l.yMax);
    const double sz = threeD ? scale(l.zMin, l.zMax) : 0;
    if (threeD) sx /= std::sqrt(2.0);
    const bool projection = threeD && r.DistProjection != 0;

    // Each pixel of the plot area once: a mask of the area, read out row by
    // row, keeps the batch no larger than the area however many objects
    // there are (a point outside the area, which the limits keep from
    // happening, is kept as it is).
    const int kWidth = std::max(1, area.cx), kHeight = std::max(1, area.cy);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(kWidth) * kHeight, 0);
    std::vector<fw::Point> out;
    const auto put = [&](int px, int py) {
        if (px >= 0 && px < kWidth && py >= 0 && py < kHeight)
            mask[static_cast<std::size_t>(py) * kWidth + static_cast<std::size_t>(px)] = 1;
        else
            out.push_back({px, py});
    };
    count = 0;
    for (const DistPoint& p : r.DistPoints) {
        const double x = plotValue(r.DistXElement, p.x), y = plotValue(r.DistYElement, p.y);
        const double z = threeD ? plotValue(r.DistZElement, p.z) : 0;
        if (!(x >= l.xMin && x <= l.xMax && y >= l.yMin && y <= l.yMax)) continue;
        if (threeD && !(z >= l.zMin && z <= l.zMax)) continue;
        if (!threeD) {
            const double dx = std::trunc((x - l.xMin) * sx), dy = std::trunc((y - l.yMin) * sy);
            if (!std::isfinite(dx) || !std::isfinite(dy)) continue;
            put(g.x0 + static_cast<int>(dx), g.y0 - static_cast<int>(dy));
        } else {
            const double da = std::trunc((x - l.xMin) * sx / 1.5), db = std::trunc((y - l.yMin) * sy),
                         dz = std::trunc((z - l.zMin) * sz);
            if (!std::isfinite(da) || !std::isfinite(db) || !std::isfinite(dz)) continue;
            const int a = static_cast<int>(da), b = static_cast<int>(db), c = static_cast<int>(dz);
            if (projection) {
                put(g.x0 + b, g.y0 - c);
                put(g.x0 - a, g.y0 - c + a);
                put(g.x0 + b - a, g.y0 + a);
            } else {
                put(g.x0 + b - a, g.y0 - c + a);
            }
        }
        ++count;
    }
    std::vector<fw::Point> pixels;
    for (int py = 0; py < kHeight; ++py) {
        const std::uint8_t* row = mask.data() + static_cast<std::size_t>(py) * kWidth;
        for (int px = 0; px < kWidth; ++px)
            if (row[px] != 0) pixels.push_back({px, py});
    }
    pixels.insert(pixels.end(), out.begin(), out.end());
    return pixels;
}

namespace {

// Texts placed one after another, each clear of those before it and inside
// the canvas.
class TextPlacer {
public:
    TextPlacer(fw::Dc& dc, fw::Size canvas) : dc_(dc), canvas_(canvas) {}
    // The box of s with its top left corner at (x, y).
    fw::Rect box(int x, int y, const std::string& s) const {
        const fw::Size e = dc_.textExtent(s);
        return {x, y, x + e.cx, y + e.cy};
    }
    bool free(const fw::Rect& b) const {
        if (b.left < 0 || b.top < 0 || b.right > canvas_.cx || b.bottom > canvas_.cy) return false;
        for (const fw::Rect& o : placed_)
            if (b.left < o.right && o.left < b.right && b.top < o.bottom && o.top < b.bottom) return false;
        return true;
    }
    // Draws s at (x, y) when it stands clear there; false when it does not.
    bool put(int x, int y, const std::string& s) {
        const fw::Rect b = box(x, y, s);
        if (!free(b)) return false;
        force(x, y, s);
        return true;
    }
    // Draws s at (x, y) whatever stands there (a title that has its place
    // kept for it).
    void force(int x, int y, const std::string& s) {
        placed_.push_back(box(x, y, s));
        dc_.textOut(x, y, s);
    }
    int width(const std::string& s) const { return dc_.textExtent(s).cx; }

private:
    fw::Dc& dc_;
    fw::Size canvas_;
    std::vector<fw::Rect> placed_;
};

// The text of a tick value: as many decimals as the spacing of the ticks
// has (0.05: two), at most two past its first significant digit.
std::string tickText(double v, double spacing) {
    int decimals = 0;
    if (spacing > 0 && std::isfinite(spacing)) {
        const int most = std::clamp(2 - static_cast<int>(std::floor(std::log10(spacing))), 0, 8);
        for (; decimals < most; ++decimals) {
            const double scaled = spacing * std::pow(10.0, decimals);
            if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) break;
        }
    }
    std::string s = format("%.*f", decimals, v);
    if (s == "-0" || s.find_first_not_of("-0.") == std::string::npos) s = format("%.*f", decimals, 0.0);
    return s;
}

bool overlap(const fw::Rect& a, const fw::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The legend of a distribution: a line per axis, and "Records number"
// beside them right of a separator, or under them when the canvas is too
// narrow.
struct DistLegend {
    std::vector<std::string> lines;
    int width = 0;       // of the widest line
    bool beside = true;  // "Records number" beside the lines
    int bottom = 0;      // below the last line (logical)
};

DistLegend distLegend(const fw::Dc& dc, const DistributionRequest& r, fw::Size canvas, int margin, int gap, int h) {
    const auto line = [&](const char* axis, int index, double lo, double hi) {
        const std::string name = fieldName(index);
        return format("%s: %-14s min = %s, max = %s", axis, axisTitle(index, r.FixedObjectNumber).c_str(),
                      FormatElementValue(name, lo).c_str(), FormatElementValue(name, hi).c_str());
    };
    const DistLimits& l = r.limits;
    DistLegend g;
    std::vector<std::string> axes = {line("X", r.DistXElement, l.xMin, l.xMax),
                                     line("Y", r.DistYElement, l.yMin, l.yMax)};
    if (r.hasZ()) axes.push_back(line("Z", r.DistZElement, l.zMin, l.zMax));
    // A line too wide for the canvas goes on after its comma.
    for (const std::string& a : axes)
        for (std::string& s : wrapAtCommas(dc, a, canvas.cx - 2 * margin)) g.lines.push_back(std::move(s));
    for (const std::string& s : g.lines) g.width = std::max(g.width, dc.textExtent(s).cx);
    // The widest count the plot can show.
    const int records = dc.textExtent(format("Records number: %d", static_cast<int>(r.DistPoints.size()))).cx;
    g.beside = margin + g.width + 3 * gap + records <= canvas.cx - margin;
    g.bottom = margin + static_cast<int>(g.lines.size() + (g.beside ? 0 : 1)) * (h + gap);
    return g;
}

// The font of a distribution's texts: the chosen one, smaller in a window
// too narrow for the legend's lines (down to 3/5 of its height; beyond that
// the lines are broken).
fw::LogFont distFont(fw::Dc& dc, const DistributionRequest& r, const fw::LogFont& font, fw::Size canvas) {
    const fw::LogFont old = dc.selectFont(font);
    const int h = std::max(1, dc.textExtent("0").cy);
    const int margin = std::max(4, h / 3);
    const DistLegend one = distLegend(dc, r, {1 << 20, canvas.cy}, margin, 0, h);
    dc.selectFont(old);
    const int room = canvas.cx - 2 * margin;
    fw::LogFont fitted = font;
    if (one.width > room && one.width > 0 && font.height != 0) {
        const double f = std::max(0.6, static_cast<double>(room) / one.width);
        fitted.height = static_cast<int>(font.height * f);
        fitted.width = static_cast<int>(font.width * f);
    }
    return fitted;
}

}  // namespace

fw::Size distributionMinimumCanvas() { return {640, 480}; }

DistGeometry fitDistribution(fw::Dc& dc, const DistributionRequest& r, const fw::LogFont& chosen, fw::Size canvas,
                             int& legendBottom) {
    const fw::LogFont old = dc.selectFont(distFont(dc, r, chosen, canvas));
    const int h = std::max(1, dc.textExtent("0").cy);
    const int margin = std::max(4, h / 3), gap = std::max(2, h / 4), tick = 4;
    const bool threeD = r.hasZ();
    legendBottom = distLegend(dc, r, canvas, margin, gap, h).bottom;
    const int xt = dc.textExtent("X [ " + axisTitle(r.DistXElement, r.FixedObjectNumber) + " ]").cx;
    const int labelW = dc.textExtent("-0.00000").cx;
    dc.selectFont(old);

    DistGeometry g;
    g.threeD = threeD;
    const int top = legendBottom + gap;
    const int availW = std::max(10, canvas.cx - 2 * margin), availH = std::max(10, canvas.cy - top - margin);
    if (!threeD) {
        // Y values left of the field, its title above; X values below, its
        // title to the right.
        const int exW = labelW + tick + gap + gap + xt,
                  exH = h + gap + h / 2 + std::max(tick + gap / 2, h / 2 + gap / 2) + h;
        g.size = std::max(10, std::min(availW - exW, availH - exH));
        const int used = g.size + exW;
        g.x0 = margin + std::max(0, (availW - used) / 2) + labelW + tick + gap;
        g.y0 = top + h + gap + h / 2 + g.size;
    } else {
        // The oblique depth takes 2/3 of S / sqrt 2 to the lower left; the X
        // title beyond its end, the Z and X values and the Y title to the
        // right, the Y values under the front edge, the Z title above.
        constexpr double kDepth = 2.0 / 3.0 / 1.4142135623730951;
        const int exW = xt + gap + gap + tick + labelW + gap;
        const int exH = h + gap + tick + gap + h + gap + h + gap;
        g.size = std::max(10, static_cast<int>(std::min((availW - exW) / (1 + kDepth), (availH - exH) / (1 + kDepth))));
        g.d = static_cast<int>(g.size / std::sqrt(2.0));
        const int depth = static_cast<int>(g.d / 1.5);
        const int used = static_cast<int>(g.size * (1 + kDepth)) + exW;
        g.x0 = margin + std::max(0, (availW - used) / 2) + xt + gap + depth;
        g.y0 = top + h + gap + g.size;
    }
    return g;
}

int drawDistribution(fw::Dc& dc, const DistributionRequest& r, const DistColors& colors, const fw::LogFont& font,
                     fw::Size canvas) {
    const int fixedObjectNumber = r.FixedObjectNumber;
    const int saved = dc.saveDC();
    dc.fillRect({0, 0, canvas.cx, canvas.cy}, fw::Brush::solid(colors[0]));
    const bool threeD = r.hasZ();
    int legendBottom = 0;
    const DistGeometry g = fitDistribution(dc, r, font, canvas, legendBottom);
    const int x0 = g.x0, y0 = g.y0, s = g.size, d = g.d;

    dc.selectPen(fw::Pen::solid(1, colors[2]));
    dc.selectBrush(fw::Brush::solid(colors[3]));
    dc.rectangle(x0, y0 - s, x0 + s, y0);
    dc.setTextColor(colors[1]);
    dc.setBkMode(fw::BkMode::Transparent);
    dc.selectFont(distFont(dc, r, font, canvas));

    const int down = static_cast<int>(y0 + d / 1.5);
    if (threeD) {
        const fw::Point left[] = {{x0, y0 - s}, {x0, y0}, {x0 - d + d / 3, down}, {x0 - d + d / 3, down - s}};
        dc.polygon(left);
        const fw::Point bottom[] = {
            {static_cast<int>(x0 - d / 1.5), down}, {x0, y0}, {x0 + s, y0}, {static_cast<int>(x0 + s - d / 1.5), down}};
        dc.polygon(bottom);
        const double t = d / 1.5 / 10;
        for (int k = 1; k <= 9; ++k) {
            const int a = static_cast<int>(k * t);
            dc.moveTo(x0 - a, y0 + a);
            dc.lineTo(x0 - a, y0 + a - 4);
        }
    }
    for (int k = 1; k <= 9; ++k) {
        const int step = static_cast<int>(std::lround(k * s / 10.0));
        dc.moveTo(x0, y0 - step);
        dc.lineTo(x0 + 4, y0 - step);
        dc.moveTo(x0 + step, y0);
        dc.lineTo(x0 + step, y0 - 4);
    }

    // The points, in one batch.
    int count = 0;
    const std::vector<fw::Point> pixels = distributionPixels(r, count, g, canvas);
    dc.setPixels(pixels, colors[4]);

    const int h = std::max(1, dc.textExtent("0").cy);
    const int margin = std::max(4, h / 3), gap = std::max(2, h / 4), tick = 4;
    TextPlacer texts(dc, canvas);
    const std::string xt = axisTitle(r.DistXElement, fixedObjectNumber),
                      yt = axisTitle(r.DistYElement, fixedObjectNumber),
                      zt = threeD ? axisTitle(r.DistZElement, fixedObjectNumber) : std::string();
    const DistLimits& l = r.limits;
    const DistLegend legend = distLegend(dc, r, canvas, margin, gap, h);
    for (std::size_t k = 0; k < legend.lines.size(); ++k)
        texts.force(margin, margin + static_cast<int>(k) * (h + gap), legend.lines[k]);
    const std::string records = format("Records number: %d", count);
    const int legendHeight = static_cast<int>(legend.lines.size()) * (h + gap) - gap;
    if (legend.beside) {
        const int sepX = margin + legend.width + gap + gap / 2;
        dc.moveTo(sepX, margin);
        dc.lineTo(sepX, margin + legendHeight);
        texts.force(sepX + gap + gap / 2, margin + h + gap, records);
    } else {
        texts.force(margin, margin + static_cast<int>(legend.lines.size()) * (h + gap), records);
    }

    // Axis titles, then the values of the ticks wherever they stand clear.
    const std::string xTitle = "X [ " + xt + " ]", yTitle = "Y [ " + yt + " ]", zTitle = "Z [ " + zt + " ]";
    // The values of the ticks: at every tick, or every second, fifth or
    // tenth when they would touch each other; each one drawn where it
    // stands clear of the texts before it.
    const auto values = [&](double lo, double hi, const auto& place) {
        const double range = hi - lo;
        for (int stride : {1, 2, 5, 10}) {
            std::vector<std::pair<fw::Rect, std::string>> labels;
            bool clear = true;
            for (int k = 0; k <= 10; k += stride) {
                std::string text = tickText(lo + range * k / 10.0, range * stride / 10.0);
                const fw::Rect b = place(k, text);
                for (const auto& other : labels) clear = clear && !overlap(b, other.first);
                labels.emplace_back(b, std::move(text));
            }
            if (!clear && stride != 10) continue;
            for (const auto& [b, text] : labels) texts.put(b.left, b.top, text);
            return;
        }
    };
    const auto along = [&](int k, int length) { return static_cast<int>(std::lround(k * length / 10.0)); };
    if (threeD) {
        const int depth = static_cast<int>(d / 1.5);
        // The Z title over the box, the X title beyond the end of the
        // oblique axis, the Y title under the values of the front edge.
        texts.force(x0, y0 - s - h - gap, zTitle);
        texts.force(x0 - depth - gap - texts.width(xTitle), down - h - gap / 2, xTitle);
        texts.force(x0 - depth + s / 2 - texts.width(yTitle) / 2, down + tick + gap + h + gap, yTitle);
        // Z right of the back face, Y under the front edge, X right of the
        // bottom face's right edge. The X and Z axes start at the same
        // corner: the X minimum stands under the Z minimum there; the X and
        // Y axes end at the front corner, under which the Y maximum
        // stands: the X maximum stands a line up the edge.
        values(l.zMin, l.zMax, [&](int k, const std::string& t) {
            return texts.box(x0 + s + tick + gap, y0 - along(k, s) - h / 2, t);
        });
        values(l.yMin, l.yMax, [&](int k, const std::string& t) {
            return texts.box(x0 - depth + along(k, s) - texts.width(t) / 2, down + tick + gap / 2, t);
        });
        values(l.xMin, l.xMax, [&](int k, const std::string& t) {
            const int a = k == 10 ? std::max(0, depth - h - gap) : along(k, depth);
            const int below = k == 0 ? h / 2 + gap / 2 : 0;
            return texts.box(x0 + s - a + tick + gap, y0 + a + below, t);
        });
    } else {
        texts.force(x0, y0 - s - h - gap, yTitle);
        texts.force(x0 + s + gap, y0 - h - gap / 2, xTitle);
        values(l.yMin, l.yMax, [&](int k, const std::string& t) {
            return texts.box(x0 - tick - gap - texts.width(t), y0 - along(k, s) - h / 2, t);
        });
        // The X values below the lowest Y value.
        values(l.xMin, l.xMax, [&](int k, const std::string& t) {
            return texts.box(x0 + along(k, s) - texts.width(t) / 2, y0 + std::max(tick + gap / 2, h / 2 + gap / 2), t);
        });
    }
    dc.restoreDC(saved);
    return count;
}

}  // namespace zelvo::elements
