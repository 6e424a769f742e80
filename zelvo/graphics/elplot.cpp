#include "elplot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "elcache.h"
#include "tables.h"

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

std::string field_name(int index) {
    if (index < 0 || index >= static_cast<int>(ElementFieldNames.size())) return {};
    return ElementFieldNames[static_cast<std::size_t>(index)];
}

std::string axis_title(int index, int fixedObjectNumber) {
    std::string t = field_name(index);
    if (index >= 22) t += "(" + std::to_string(fixedObjectNumber) + ")";
    return t;
}

int element_index(int column, int derivedCode) { return column > 10 ? derivedCode + 10 : column; }

double plot_value(int index, double v) { return index == 3 ? effective_slope(v) : v; }

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

double BinQuotient(double offset, double step) {
    const double q = offset / step;
    const double whole = std::round(q);
    if (std::fabs(q - whole) <= 1e-9 * std::max(1.0, std::fabs(q))) return whole;
    return std::floor(q);
}

BinPlace BinIndex(double offset, double step) {
    BinPlace p;
    if (!(offset >= 0)) return p;
    const double k = BinQuotient(offset, step);
    if (!std::isfinite(k)) return p;
    p.index = to_int(k);
    p.remainder = std::max(0.0, offset - k * step);
    return p;
}

int DrawnBinCount(double min, double max, double step) {
    const double ratio = (max - min) / step;
    if (!std::isfinite(ratio) || ratio <= 0) return 1;
    // A quotient that is whole but for the rounding of the division counts
    // as whole (1 / 0.1 is 10 bins, not 11).
    const double n = std::ceil(ratio - 1e-9 * std::max(1.0, ratio));
    return std::max(1, to_int(std::min(n, 1.0e6)));
}

int DrawnBinOf(double v, double min, double max, double step, int bins) {
    if (!(v >= min && v <= max) || bins <= 0) return -1;
    const double k = BinQuotient(v - min, step);
    if (!std::isfinite(k)) return bins - 1;
    return std::clamp(to_int(k), 0, bins - 1);
}

// ---- The limits dialogs ----------------------------------------------------------------

namespace {

// The decimal number at the start of text; used receives the characters
// taken (0 when there is none).
std::optional<double> leading_decimal(std::string_view text, std::size_t& used) {
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

std::optional<double> decimal_value(std::string_view text) {
    std::size_t used = 0;
    return leading_decimal(text, used);
}

std::optional<double> number_field(std::string_view text) {
    std::size_t used = 0;
    const auto v = leading_decimal(text, used);
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
        const auto back = decimal_value(t);
        if (!back || !std::isfinite(value) || (upper ? *back >= value : *back <= value)) break;
        t = FormatElementValue(name, upper ? *back + unit : *back - unit);
    }
    return t;
}

HistLimitTexts hist_limit_texts(double min, double max, double step, std::string_view name) {
    return {limit_text(name, min, false), limit_text(name, max, true), format("%.4f", step)};
}

LimitCheck check_hist_limits(const HistLimitTexts& t) {
    LimitCheck c;
    const auto min = decimal_value(t.min), max = decimal_value(t.max), step = decimal_value(t.step);
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

DistCheck check_dist_limits(const DistLimits& l, bool hasZ) {
    if (l.xMin > l.xMax) return {"'Min' mast be less 'Max'!", DistField::XMin};
    if (l.yMin > l.yMax) return {"'Min' mast be less 'Max'!", DistField::YMin};
    if (hasZ && l.zMin > l.zMax) return {"'Min' must be less 'Max'!", DistField::ZMin};
    return {};
}

// ---- The histogram ---------------------------------------------------------------------

HistProposal propose_histogram(const std::vector<double>& values, int index) {
    HistProposal p;
    bool any = false;
    for (double raw : values) {
        const double v = plot_value(index, raw);
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

std::optional<HistogramRequest> compute_histogram(const std::vector<double>& values, int index, double min, double max,
                                                  double step) {
    if (!(min <= max) || !(step > 0)) return std::nullopt;
    std::vector<double> sorted;
    sorted.reserve(values.size());
    for (double raw : values) {
        const double v = plot_value(index, raw);
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
    const int bins = DrawnBinCount(min, max, step);
    r.HistBinCounts.assign(static_cast<std::size_t>(bins), 0);
    for (double v : inList) {
        const int b = DrawnBinOf(v, min, max, step, bins);
        if (b >= 0) ++r.HistBinCounts[static_cast<std::size_t>(b)];
    }
    return r;
}

HistLayout layout_histogram(const HistogramRequest& r) {
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

std::string step_text(double step) {
    if (std::trunc(step * 10000) == 0) return format("%5.5f ", step);
    if (std::trunc(step * 1000) == 0) return format("%5.4f ", step);
    return format("%5.3f ", step);
}

std::string x_label(int index, double step, double value) {
    const double k1000 = std::trunc(step * 1000);
    const bool tenths = std::fmod(k1000, 10.0) != 0;
    if ((index >= 4 && index <= 7) || (index >= 15 && index <= 18))
        return tenths ? format("%-9.3f ", value) : format("%-9.1f", value);
    if (k1000 == 0) return format("%-9.4f", value);
    return tenths ? format("%-9.3f", value) : format("%-9.2f", value);
}

fw::LogFont plot_default_font() { return fw::LogFont::make(-28, fw::kFontNormal, "Courier New"); }

void draw_histogram(fw::Dc& dc, const HistogramPlot& plot, const HistColors& colors, const fw::LogFont& font,
                    bool printing) {
    const HistogramRequest& r = plot.request;
    const HistLayout& l = plot.layout;
    const int saved = dc.saveDC();
    dc.setBkColor(colors[0]);
    dc.setBkMode(fw::BkMode::Opaque);
    dc.selectPen(fw::Pen::solid(1, colors[2]));
    dc.selectFont(font);
    dc.setTextColor(colors[1]);

    // Axes.
    dc.moveTo(60, 70);
    dc.lineTo(60, 420);
    dc.lineTo(580, 420);

    // Title and statistics.
    const std::string name = field_name(r.HistElement);
    const std::string title = axis_title(r.HistElement, r.FixedObjectNumber);
    dc.textOut(60, 10,
               format("%s   ( min = %s, max = %s, step = %s, mean value = %s )", title.c_str(),
                      FormatElementValue(name, r.HistMin).c_str(), FormatElementValue(name, r.HistMax).c_str(),
                      step_text(r.HistStep).c_str(), FormatElementValue(name, r.HistMean).c_str()));
    dc.textOut(
        60, 30,
        format("Records number: %d, median: %-s", r.HistRecordCount, FormatElementValue(name, r.HistMedian).c_str()));

    // Y ticks, a label at every second.
    for (int k = 0;; ++k) {
        const int y = 420 - k * l.yTickSpacing;
        if (y <= 70) break;
        if (k % 2 == 0) {
            dc.moveTo(60, y);
            dc.lineTo(53, y);
            dc.textOut(4, y - 8, format("%6i", k * l.yTickStep));
        } else {
            dc.moveTo(60, y);
            dc.lineTo(55, y);
        }
    }

    // X ticks at every second step of u bins, labelled every E-th.
    const int uw = l.xTickStep * l.barWidth;
    if (uw > 0) {
        int every = std::max(1, (10 + uw - 1) / uw);
        if (520 / uw < 4) every = 1;
        for (int k = 0;; ++k) {
            const int x = 60 + 2 * k * uw;
            if (x > 580) break;
            const double v = r.HistMin + 2.0 * r.HistStep * l.xTickStep * k;
            dc.moveTo(x, 420);
            if (k % every == 0) {
                dc.lineTo(x, 427);
                dc.textOut(x - 5, 428, x_label(r.HistElement, r.HistStep, v));
            } else {
                dc.lineTo(x, 425);
            }
        }
    }

    // Bars: every bin, the last partial one too.
    int left = 61;
    if (printing) {
        dc.selectPen(fw::Pen::solid(1, 0x000000));
        dc.selectBrush(fw::Brush::null());
    }
    for (int k = 0; k < l.bins; ++k) {
        const int right = 60 + (k + 1) * l.barWidth;
        if (right > 580) break;
        const auto kk = static_cast<std::size_t>(k);
        int top = 420 - l.heights[kk];
        if (l.heights[kk] == 0 && l.raw[kk] > 0) top = 419;  // a bin with objects shows
        if (top < 420 && right > left) {
            if (printing)
                dc.rectangle(left, top, right, 420);
            else
                dc.fillRect({left, top, right, 420}, fw::Brush::solid(colors[k % 2 == 0 ? 3 : 4]));
        }
        left = right;
    }
    dc.restoreDC(saved);
}

// ---- The distribution -------------------------------------------------------------------

DistLimits propose_distribution(const std::vector<DistPoint>& points, bool hasZ) {
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

DistGeometry dist_geometry(bool threeD) {
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

std::vector<fw::Point> distribution_pixels(const DistributionRequest& r, int& count) {
    const bool threeD = r.hasZ();
    const DistGeometry g = dist_geometry(threeD);
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
    constexpr int kWidth = 635, kHeight = 500;
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
        const double x = plot_value(r.DistXElement, p.x), y = plot_value(r.DistYElement, p.y);
        const double z = threeD ? plot_value(r.DistZElement, p.z) : 0;
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

int draw_distribution(fw::Dc& dc, const DistributionRequest& r, const DistColors& colors, const fw::LogFont& font) {
    const int fixedObjectNumber = r.FixedObjectNumber;
    const int saved = dc.saveDC();
    dc.fillRect({0, 0, 635, 500}, fw::Brush::solid(colors[0]));
    const bool threeD = r.hasZ();
    const DistGeometry g = dist_geometry(threeD);
    const int x0 = g.x0, y0 = g.y0, s = g.size, d = g.d;

    dc.selectPen(fw::Pen::solid(1, colors[2]));
    dc.selectBrush(fw::Brush::solid(colors[3]));
    dc.rectangle(x0, y0 - s, x0 + s, y0);
    dc.setTextColor(colors[1]);
    dc.setBkMode(fw::BkMode::Transparent);
    dc.selectFont(font);

    if (threeD) {
        const int down = static_cast<int>(y0 + d / 1.5);
        const fw::Point left[] = {{x0, y0 - s}, {x0, y0}, {x0 - d + d / 3, down}, {x0 - d + d / 3, down - s}};
        dc.polygon(left);
        const fw::Point bottom[] = {
            {static_cast<int>(x0 - d / 1.5), down}, {x0, y0}, {x0 + s, y0}, {static_cast<int>(x0 + s - d / 1.5), down}};
        dc.polygon(bottom);
        const int t = (d / 10) * 2 / 3;
        for (int k = 1; k <= 9; ++k) {
            dc.moveTo(x0 - k * t, y0 + k * t);
            dc.lineTo(x0 - k * t, y0 + k * t - 4);
        }
    }
    const int step = s / 10;
    for (int k = 1; k <= 9; ++k) {
        dc.moveTo(x0, y0 - k * step);
        dc.lineTo(x0 + 4, y0 - k * step);
        dc.moveTo(x0 + k * step, y0);
        dc.lineTo(x0 + k * step, y0 - 4);
    }

    // The points, in one batch.
    int count = 0;
    const std::vector<fw::Point> pixels = distribution_pixels(r, count);
    dc.setPixels(pixels, colors[4]);

    const fw::Size zero = dc.textExtent("0");
    const int w = zero.cx, h = zero.cy;
    const std::string xt = axis_title(r.DistXElement, fixedObjectNumber),
                      yt = axis_title(r.DistYElement, fixedObjectNumber),
                      zt = threeD ? axis_title(r.DistZElement, fixedObjectNumber) : std::string();
    const auto legend = [&](const char* axis, const std::string& title, int index, double lo, double hi) {
        const std::string name = field_name(index);
        return format("%s: %-14s min = %s, max = %s", axis, title.c_str(), FormatElementValue(name, lo).c_str(),
                      FormatElementValue(name, hi).c_str());
    };
    const DistLimits& l = r.limits;
    dc.textOut(5, 3, legend("X", xt, r.DistXElement, l.xMin, l.xMax));
    dc.textOut(5, h + 5, legend("Y", yt, r.DistYElement, l.yMin, l.yMax));
    if (threeD) dc.textOut(5, 2 * h + 7, legend("Z", zt, r.DistZElement, l.zMin, l.zMax));
    dc.moveTo(550, 3);
    dc.lineTo(550, 64);
    dc.textOut(560, h + 5, format("Records number: %d", count));

    if (threeD) {
        dc.textOut(x0, y0 - s - h - 2, "Z [ " + zt + " ]");
        dc.textOut(x0 + s + 4, y0 - h, "Y [ " + yt + " ]");
        dc.textOut(x0 - d - w + 20, y0 + d - h - 22, "X [ " + xt + " ]");
    } else {
        dc.textOut(x0, y0 - s - h - 2, "Y [ " + yt + " ]");
        dc.textOut(x0 + s + 4, y0 - h, "X [ " + xt + " ]");
    }
    dc.restoreDC(saved);
    return count;
}

}  // namespace zelvo::elements
