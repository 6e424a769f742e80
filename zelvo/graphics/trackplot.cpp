// The picture of the track view (see trackplot.h).
//
// The tracks. Each object's path is followed by time steps that adapt to its
// apparent speed: about a thirtieth of the half width of the window per step,
// never more than MaxDt (four times the interval over 300 steps, between
// 1e-5 and 15 days). Points farther from the window's centre than twice its
// half width are passed with big steps and not drawn; the return into the
// window is found by halving the step down to 1e-5 days. In a window of half
// a circle or more, the jump of the right ascension across the cut (the R.A.
// opposite the window's centre, where tracks wrap) is located by halving
// until the point lies within a fiftieth of the half width of the cut; the
// line then starts anew on the other side. After 20 halvings of one search
// the point is taken as it is, so that every search ends.
#include "zelvo/graphics/trackplot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <string_view>

#include "framework/plotsettings.h"
#include "zelvo/app/angles.h"

namespace zelvo::track {

namespace {

std::string format(const char* fmt, auto... args) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

// Ten minutes of time (flag 0) or of arc (flag 1), radians.
double tenMinutes(int flag) { return SexagesimalTimesPi(0, 10, 0.0, ' ') / (flag == 0 ? 12.0 : 180.0); }
double twentyMinutes(int flag) { return SexagesimalTimesPi(0, 20, 0.0, ' ') / (flag == 0 ? 12.0 : 180.0); }

Sexagesimal split(double x, double factor) {
    Sexagesimal s;
    const double v = x * factor;
    s.units = static_cast<int>(std::trunc(v));
    const double r = std::fabs(v) - std::abs(s.units);
    s.minutes = static_cast<int>(std::trunc(r * 60.0));
    s.seconds = (r * 60.0 - s.minutes) * 60.0;
    if (s.units == 0 && x < 0) s.minutes = -s.minutes;
    return s;
}

// split() of the angle rounded to 10^-decimals seconds: the rounding is done
// on the whole count of the last place, so it carries into the minutes and
// units.
// ticks: counts of the last place per second (1/60 for whole minutes).
Sexagesimal splitRounded(double x, double factor, double ticks) {
    const double scale = ticks;
    const double count = std::round(std::fabs(x * factor) * 3600.0 * scale);
    const double per_minute = 60.0 * scale, per_unit = 3600.0 * scale;
    Sexagesimal s;
    const double units = std::floor(count / per_unit);
    const double rest = count - units * per_unit;
    s.units = static_cast<int>(units);
    s.minutes = static_cast<int>(std::floor(rest / per_minute));
    s.seconds = std::max(0.0, (rest - s.minutes * per_minute) / scale);
    if (x < 0) {
        if (s.units != 0)
            s.units = -s.units;
        else
            s.minutes = -s.minutes;
    }
    return s;
}

// Width of a range that may wrap (from above to).
double rangeWidth(double from, double to) { return from > to ? kTwoPi - from + to : to - from; }

constexpr char kDegree = '\xB0';

// Where the cells of a legend block stand, from the widths of its texts as
// the context measures them in its font: the values start a blank after
// the widest label, each value column is as wide as its widest text and
// each unit sign column as wide as the widest sign. The same block stands
// clear whatever the font's character widths and their rounding on a
// small screen.
struct LegendColumns {
    int units, unitSign, minutes, minuteSign, seconds, secondSign, end, sign;
};

LegendColumns legendColumns(const fw::Dc& dc, int x, std::initializer_list<const char*> labels, const char* widestUnits,
                            const char* widestSeconds) {
    auto width = [&dc](std::string_view s) { return dc.textExtent(s).cx; };
    int label = 0;
    for (const char* l : labels) label = std::max(label, width(l));
    int sign = 0;
    for (const std::string& s : {std::string("h"), std::string("m"), std::string("s"), std::string(1, kDegree),
                                 std::string("'"), std::string("\"")})
        sign = std::max(sign, width(s));
    // A little room between the columns, so that the rounding of the
    // mapping to the device never makes neighbours touch.
    const int gap = std::max(2, width(" ") / 4);
    LegendColumns c{};
    c.sign = sign + gap;
    c.units = x + label + width(" ");
    c.unitSign = c.units + width(widestUnits) + gap;
    c.minutes = c.unitSign + c.sign;
    c.minuteSign = c.minutes + width("00") + gap;
    c.seconds = c.minuteSign + c.sign;
    c.secondSign = c.seconds + (widestSeconds[0] != '\0' ? width(widestSeconds) + gap : 0);
    c.end = widestSeconds[0] != '\0' ? c.secondSign + c.sign : c.seconds;
    return c;
}

// An object's block: R.A. to 0.01 s, Decl. to 0.1", the magnitude.
LegendColumns objectColumns(const fw::Dc& dc, int x) {
    return legendColumns(dc, x, {"R.A.  =", "Decl. =", "Mag.  ="}, "-00", "00.00");
}

// The Sun's and the Moon's blocks: to the minute, the elongation.
LegendColumns bodyColumns(const fw::Dc& dc, int x) {
    LegendColumns c = legendColumns(dc, x, {"R.A.   =", "Decl.  =", "Elong. ="}, "-00", "");
    c.end = std::max(c.end, c.units + dc.textExtent("180\xB0W").cx);
    return c;
}

}  // namespace

Sexagesimal RadiansToHms(double x) { return split(x, 12.0 / kPi); }
Sexagesimal RadiansToDms(double x) { return split(x, 180.0 / kPi); }
Sexagesimal roundedHms(double x, int decimals) {
    return splitRounded(x, 12.0 / kPi, std::pow(10.0, std::clamp(decimals, 0, 6)));
}
Sexagesimal roundedDms(double x, int decimals) {
    return splitRounded(x, 180.0 / kPi, std::pow(10.0, std::clamp(decimals, 0, 6)));
}
Sexagesimal roundedHm(double x) { return splitRounded(x, 12.0 / kPi, 1.0 / 60.0); }
Sexagesimal roundedDm(double x) { return splitRounded(x, 180.0 / kPi, 1.0 / 60.0); }

double TruncateToTenMinutes(int flag, double v) {
    const double u = tenMinutes(flag);
    return std::copysign(u * std::floor(std::fabs(v) / u), v);
}

double CeilToTenMinutes(int flag, double v) {
    const double u = tenMinutes(flag);
    const double c = std::fabs(v) / u;
    double k = std::trunc(c);
    if (std::fabs(c - k) > 1e-5 && v >= 0) k += 1.0;
    return std::copysign(k * u, v);
}

int RoundAwayFromZero(double v) {
    const double i = std::trunc(v);
    const double f = v - i;
    int r = static_cast<int>(i);
    if (std::fabs(f) > 1e-5) r += v < 0 ? -1 : 1;
    return r;
}

bool inPlot(fw::Point p) { return p.x >= kPlotLeft && p.x <= kPlotRight && p.y >= kPlotBottom && p.y <= kPlotTop; }

fw::Point ClipToPlotArea(fw::Point o, fw::Point a) {
    const double ox = o.x, oy = o.y, ax = a.x, ay = a.y;
    // The candidate on a vertical border.
    fw::Point v = o;
    if (o.x < kPlotLeft || o.x > kPlotRight) {
        const int bx = o.x < kPlotLeft ? kPlotLeft : kPlotRight;
        v.x = bx;
        v.y = std::fabs(ox - ax) < 1e-6 ? o.y : RoundAwayFromZero(ay + (oy - ay) * (bx - ax) / (ox - ax));
    }
    // The candidate on a horizontal border.
    fw::Point h = o;
    if (o.y < kPlotBottom || o.y > kPlotTop) {
        const int by = o.y < kPlotBottom ? kPlotBottom : kPlotTop;
        h.y = by;
        if (std::fabs(ox - ax) < 1e-6)
            h.x = o.x;
        else if (std::fabs(oy - ay) < 1e-6)
            h.x = RoundAwayFromZero((ox + ax) / 2.0);
        else
            h.x = RoundAwayFromZero(ax + (ox - ax) * (by - ay) / (oy - ay));
    }
    auto dist2 = [&](fw::Point p) {
        const double dx = p.x - ax, dy = p.y - ay;
        return dx * dx + dy * dy;
    };
    return dist2(v) <= dist2(h) ? v : h;
}

Palette defaultScreenPalette() {
    using fw::rgb;
    return {rgb(0, 0, 128),     rgb(0, 0, 215), rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 200, 50),
            rgb(255, 255, 255), rgb(0, 0, 0),   rgb(255, 0, 0),     rgb(0, 255, 0),     rgb(255, 255, 0)};
}

Palette printPalette() {
    using fw::rgb;
    return {rgb(255, 255, 255), rgb(255, 255, 255), rgb(0, 0, 0),   rgb(0, 0, 0),   rgb(255, 200, 50),
            rgb(255, 255, 255), rgb(0, 0, 0),       rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)};
}

fw::LogFont defaultLabelFont() { return fw::LogFont::make(-28, 400, "Courier New"); }

// ---- Scale dialog ----------------------------------------------------------------

double declinationBound(const std::string& degrees, int minutes) {
    const int d = std::atoi(degrees.c_str());
    int m = minutes;
    const bool minus = !degrees.empty() && degrees[0] == '-';
    if (d == 0 && minus) m = -std::abs(m);
    double v = (std::abs(d) + std::abs(m) / 60.0) * kPi / 180.0;
    if (d < 0 || m < 0) v = -v;
    return v;
}

namespace {
bool isNumberText(const std::string& s) {
    if (s.empty()) return false;
    if (!(s[0] == '-' || s[0] == '+' || (s[0] >= '0' && s[0] <= '9'))) return false;
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}
}  // namespace

std::string checkScaleValues(ScaleValues& v) {
    if (v.raFromH == 24 && v.raFromM == 0 && v.raToH == 0 && v.raToM == 0) v.raFromH = 0;
    if (v.declFromDeg.empty()) return "Lower bound value in Decl. shouldn't be empty";
    if (!isNumberText(v.declFromDeg)) return "Lower bound value in Decl. should be a number value";
    if (v.declToDeg.empty()) return "Upper bound value in Decl. shouldn't be empty";
    if (!isNumberText(v.declToDeg)) return "Upper bound value in Decl. should be a number value";
    const double lo = declinationBound(v.declFromDeg, v.declFromMin);
    const double hi = declinationBound(v.declToDeg, v.declToMin);
    if (lo < -kPi / 2 || lo > kPi / 2)
        return "Lower bound value in Decl. should be in the range from -90 to +90 degrees";
    if (hi < -kPi / 2 || hi > kPi / 2)
        return "Upper bound value in Decl. should be in the range from -90 to +90 degrees";
    if (!(lo < hi)) return "Lower bound value in Decl. should be less then its upper bound";
    const double raFrom = (v.raFromH + v.raFromM / 60.0) * kPi / 12.0;
    const double raTo = (v.raToH + v.raToM / 60.0) * kPi / 12.0;
    if (raFrom < 0 || raFrom > kTwoPi) return "Lower bound value in R.A. should be in the range from 0 to 24 hours";
    if (raTo < 0 || raTo > kTwoPi) return "Upper bound value in R.A. should be in the range from 0 to 24 hours";
    if (raFrom == raTo) return "Lower bound value in R.A. should not be equal to its upper bound";
    return {};
}

namespace {
// Hours and minutes of an R.A., rounded to the whole minute.
void hmOf(double x, int& h, int& m) {
    const Sexagesimal s = RadiansToHms(x);
    h = s.units;
    m = s.minutes;
    if (s.seconds > 30) ++m;
    if (m == 60) {
        m = 0;
        ++h;
    }
}
// Degrees text and arc minutes of a declination, rounded to the whole arc
// minute in magnitude.
void dmOf(double x, std::string& text, int& m) {
    const Sexagesimal s = RadiansToDms(x);
    int d = s.units;
    int mm = std::abs(s.minutes);
    if (s.seconds > 30) ++mm;
    if (mm == 60) {
        mm = 0;
        d += x < 0 ? -1 : 1;
    }
    text = (d == 0 && x < 0 && mm != 0) ? "-0" : format("%d", d);
    m = mm;
}
}  // namespace

ScaleValues scaleValuesOf(const std::array<double, 4>& w) {
    ScaleValues v;
    hmOf(w[0], v.raFromH, v.raFromM);
    hmOf(w[1], v.raToH, v.raToM);
    if (v.raFromH == 24) v.raFromM = 0;
    if (v.raToH == 24) v.raToM = 0;
    dmOf(w[2], v.declFromDeg, v.declFromMin);
    dmOf(w[3], v.declToDeg, v.declToMin);
    return v;
}

std::array<double, 4> skyWindowOf(const ScaleValues& v) {
    std::array<double, 4> w{};
    w[0] = (v.raFromH + v.raFromM / 60.0) * kPi / 12.0;
    w[1] = (v.raToH + v.raToM / 60.0) * kPi / 12.0;
    w[2] = declinationBound(v.declFromDeg, v.declFromMin);
    w[3] = declinationBound(v.declToDeg, v.declToMin);
    if (w[3] < w[2]) std::swap(w[2], w[3]);
    if (w[1] == w[0]) w[1] += 0.0001;
    if (w[3] == w[2]) w[3] += 0.0001;
    return w;
}

// ---- Dates ----------------------------------------------------------------------------

int days_in_month(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month != 2) return kDays[month - 1];
    const bool gregorian = year > 1582;
    const bool leap = gregorian ? (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) : year % 4 == 0;
    return leap ? 29 : 28;
}

std::string checkDay(int year, int month, double day, const char* which) {
    const int n = days_in_month(year, month);
    if (n == 0 || day < 1.0 || day >= n + 1.0)
        return format("The %s date has no day %g in month %d of the year %d", which, day, month, year);
    return {};
}

double packedDate(int year, int month, double day) { return year * 10000.0 + month * 100.0 + day; }

// ---- "trace.cfg" ----------------------------------------------------------------------

namespace {
void declare(fw::SettingsFile& f, std::array<std::string, 3>& names, std::array<std::int32_t, 3>& numbers,
             TraceSettings& s) {
    // The numbers within what the window's dialogs take.
    constexpr double kLastDay = 32.0 - 1e-9;
    for (std::string& n : names) f.text(n, 30);
    for (std::int32_t& n : numbers) f.int32(n, "object number", 0);
    f.int32(s.year1, "initial year", 1, 9999).int32(s.month1, "initial month", 1, 12);
    f.float64(s.day1, "initial day", 1.0, kLastDay);
    f.int32(s.year2, "final year", 1, 9999).int32(s.month2, "final month", 1, 12);
    f.float64(s.day2, "final day", 1.0, kLastDay);
    f.float64(s.step, "time step", 0.01, 10000.0);
    f.colors(s.colors);
    f.font(s.font);
}
}  // namespace

void TraceSettings::read(const std::string& path) {
    fw::SettingsFile f;
    declare(f, names, numbers, *this);
    f.read(path);
}

std::vector<std::uint8_t> TraceSettings::bytes() const {
    TraceSettings copy = *this;
    // An empty name is stored as one blank.
    for (std::string& n : copy.names)
        if (n.empty()) n = " ";
    fw::SettingsFile f;
    declare(f, copy.names, copy.numbers, copy);
    return f.bytes();
}

bool TraceSettings::write(const std::string& path) const {
    TraceSettings copy = *this;
    for (std::string& n : copy.names)
        if (n.empty()) n = " ";
    fw::SettingsFile f;
    declare(f, copy.names, copy.numbers, copy);
    return f.write(path);
}

// ---- The picture ---------------------------------------------------------------------------

TrackPicture::TrackPicture(Library& lib) : lib_(lib) {}

void TrackPicture::updateScales() {
    ScaleX = std::fabs(600.0 / rangeWidth(SkyWindow[0], SkyWindow[1]));
    ScaleY = std::fabs(600.0 / rangeWidth(SkyWindow[2], SkyWindow[3]));
}

fw::Point TrackPicture::skyPoint(double alpha, double delta) const {
    if (alpha < SkyWindow[0]) alpha += kTwoPi;
    const double x = 730.0 - (alpha - SkyWindow[0]) * ScaleX;
    const double y = -230.0 + (delta - SkyWindow[2]) * ScaleY;
    auto clampi = [](double v) { return static_cast<int>(std::clamp(std::trunc(v), -1e9, 1e9)); };
    return {clampi(x), clampi(y)};
}

std::array<double, 5> TrackPicture::position(int number, double jd) {
    std::array<double, 5> out{};
    ++positionCalls_;
    lib_.MoonSun(number, jd, out.data());
    for (double& v : out)
        if (!std::isfinite(v)) v = 0.0;
    return out;
}

// Drawing with the y of the metafile mode.
void TrackPicture::rect(fw::Dc& dc, int l, int t, int r, int b) { dc.rectangle(l, Y(t), r, Y(b)); }
void TrackPicture::ellipse(fw::Dc& dc, int l, int t, int r, int b) { dc.ellipse(l, Y(t), r, Y(b)); }
void TrackPicture::chord(fw::Dc& dc, int l, int t, int r, int b, int x1, int y1, int x2, int y2) {
    dc.chord(l, Y(t), r, Y(b), x1, Y(y1), x2, Y(y2));
}
void TrackPicture::moveTo(fw::Dc& dc, int x, int y) { dc.moveTo(x, Y(y)); }
void TrackPicture::lineTo(fw::Dc& dc, int x, int y) { dc.lineTo(x, Y(y)); }
void TrackPicture::text(fw::Dc& dc, int x, int y, const std::string& s) { dc.textOut(x, Y(y), s); }
void TrackPicture::cell(fw::Dc& dc, int left, int right, int top, const std::string& s) {
    fw::Rect r{left, Y(top), right, Y(top - ch_)};
    dc.drawText(s, r, fw::draw_text::kRight | fw::draw_text::kSingleLine | fw::draw_text::kNoClip);
}

void TrackPicture::BeginPlotPass(fw::Dc& dc) {
    savedPen_ = dc.selectPen(fw::Pen::solid(1, colors[Line]));
    savedBrush_ = dc.selectBrush(fw::Brush::solid(colors[Sky]));
    const fw::TextMetrics m = dc.textMetrics();
    cw_ = m.maxCharWidth;
    ch_ = m.height;
    if (MetafileMode) rect(dc, 0, -500, pictureRight(dc), 500);
}

int TrackPicture::pictureRight(const fw::Dc& dc) const {
    // The object blocks, their names and the date, and a character beyond.
    const fw::TextMetrics m = dc.textMetrics();
    int right = std::max(1000, kLegendX + 20 + 25 * m.maxCharWidth);
    for (std::size_t i = 0; i < 3; ++i)
        if (ObjectNumber[i] != 0) right = std::max(right, kLegendX + 50 + dc.textExtent(ObjectName[i]).cx);
    right = std::max(right, kLegendX + dc.textExtent("T =  -10000  12  31.00").cx);
    right = std::max(right, objectBoxRight(dc, kLegendX));
    return right + m.maxCharWidth;
}

int TrackPicture::objectBoxRight(const fw::Dc& dc, int x) const {
    const int cw = dc.textMetrics().maxCharWidth;
    return std::max(x + 20 + 25 * cw, objectColumns(dc, x + 20).end + cw / 2);
}

void TrackPicture::EmptyFramePass(fw::Dc& dc) {
    if (MetafileMode) rect(dc, 0, -500, 1000, 500);
    const fw::Pen oldPen = dc.selectPen(fw::Pen::solid(1, colors[Line]));
    const fw::Brush oldBrush = dc.selectBrush(fw::Brush::solid(colors[Sky]));
    rect(dc, kPlotLeft, kPlotTop, kPlotRight, kPlotBottom);
    dc.selectPen(oldPen);
    dc.selectBrush(oldBrush);
}

void TrackPicture::FramePass(fw::Dc& dc) {
    BeginPlotPass(dc);
    dc.fillRect(fw::Rect{kPlotLeft, Y(kPlotTop), kPlotRight, Y(kPlotBottom)}, fw::Brush::solid(colors[Sky]));
    moveTo(dc, kPlotLeft, kPlotTop);
    lineTo(dc, kPlotRight, kPlotTop);
    lineTo(dc, kPlotRight, kPlotBottom);
    lineTo(dc, kPlotLeft, kPlotBottom);
    lineTo(dc, kPlotLeft, kPlotTop);
    if (GridOn) DrawSkyGrid(dc);
}

// A label of hours and minutes is six characters wide, centred on its tick;
// a label that would run into the one before it (further right) is left
// out, its tick stays.
bool TrackPicture::hourMinuteLabelFits(int x, int& lastLeft) const {
    const int left = x - 3 * cw_, right = x + 3 * cw_;
    if (right + cw_ / 2 > lastLeft) return false;
    lastLeft = left;
    return true;
}

void TrackPicture::DrawHourMinuteLabel(fw::Dc& dc, int hours, int minutes, int x, int y) {
    cell(dc, x, x + 2 * cw_, y, format("%2d", hours));
    cell(dc, x + 2 * cw_, x + 3 * cw_, y + 10, "h");
    cell(dc, x + 3 * cw_, x + 5 * cw_, y, format("%02d", minutes));
    cell(dc, x + 5 * cw_, x + 6 * cw_, y + 10, "m");
}

void TrackPicture::DrawSkyGrid(fw::Dc& dc) {
    dc.selectPen(fw::Pen::solid(1, colors[Line]));
    dc.selectBrush(fw::Brush::solid(colors[Background]));
    const double w = rangeWidth(SkyWindow[0], SkyWindow[1]);
    const double h = rangeWidth(SkyWindow[2], SkyWindow[3]);

    // Right ascension.
    double lo = SkyWindow[0], hi = SkyWindow[1];
    if (w > twentyMinutes(0)) {
        lo = CeilToTenMinutes(0, lo);
        hi = TruncateToTenMinutes(0, hi);
    }
    double w2 = rangeWidth(lo, hi);
    ScaleX = std::fabs(600.0 / w);
    {
        Sexagesimal s = RadiansToHms(std::fabs(w2) / 6.0);
        if (s.seconds > 30) ++s.minutes;
        const double s1 = (s.units + s.minutes / 60.0) * kPi / 12.0;
        double spacing = TruncateToTenMinutes(0, s1);
        if (spacing == 0) spacing = std::max(kPi / 12.0 / 60.0, s1);
        const int n = spacing > 0 ? static_cast<int>(std::ceil(std::fabs(w2 / spacing))) : 0;
        bool any = false;
        int lastLeft = std::numeric_limits<int>::max();
        for (int k = 0; k <= n && k <= 1000; ++k) {
            double v = lo + k * spacing;
            const Sexagesimal t = RadiansToHms(v);
            int hh = t.units, mm = t.minutes;
            if (t.seconds > 30) ++mm;
            v = (hh + mm / 60.0) * kPi / 12.0;
            const int x = static_cast<int>(std::trunc(730.0 - std::floor((v - SkyWindow[0]) * ScaleX)));
            if (hh > 23) hh -= 24;
            if (hh < 0) hh += 24;
            if (mm == 60) {
                mm = 0;
                ++hh;
            }
            if (x >= kPlotLeft && x <= kPlotRight) {
                moveTo(dc, x, kPlotTop - 9);
                lineTo(dc, x, kPlotTop + 11);
                if (hourMinuteLabelFits(x, lastLeft)) DrawHourMinuteLabel(dc, hh, mm, x - 3 * cw_, 420);
                any = true;
            }
        }
        if (!any) {
            const Sexagesimal t = RadiansToHms(lo);
            int hh = t.units;
            if (hh > 24) hh -= 24;
            if (hh < 0) hh += 24;
            const int x = static_cast<int>(std::trunc(730.0 - std::floor((lo - SkyWindow[0]) * ScaleX)));
            moveTo(dc, x, kPlotTop - 9);
            lineTo(dc, x, kPlotTop + 11);
            DrawHourMinuteLabel(dc, hh, t.minutes, x - 3 * cw_, 420);
        }
    }

    // Declination.
    lo = SkyWindow[2];
    hi = SkyWindow[3];
    if (h > twentyMinutes(1)) {
        lo = CeilToTenMinutes(1, lo);
        hi = TruncateToTenMinutes(1, hi);
    }
    const double h2 = rangeWidth(lo, hi);
    ScaleY = std::fabs(600.0 / h);
    {
        Sexagesimal s = RadiansToDms(std::fabs(h2) / 6.0);
        if (s.seconds > 30) ++s.minutes;
        const double s1 = (std::abs(s.units) + std::abs(s.minutes) / 60.0) * kPi / 180.0;
        double spacing = TruncateToTenMinutes(1, s1);
        if (spacing == 0) spacing = std::max(kPi / 180.0 / 60.0, s1);
        const int n = spacing > 0 ? static_cast<int>(std::ceil(std::fabs(h2 / spacing))) : 0;
        bool any = false;
        for (int k = 0; k <= n && k <= 1000; ++k) {
            double v = lo + k * spacing;
            const Sexagesimal t = RadiansToDms(v);
            int dd = t.units, mm = t.minutes;
            if (t.seconds > 30) mm += (mm < 0 || (mm == 0 && dd == 0 && v < 0)) ? -1 : 1;
            v = (std::abs(dd) + std::abs(mm) / 60.0) * kPi / 180.0;
            if (dd < 0 || mm < 0) v = -v;
            const int y = static_cast<int>(std::trunc((v - SkyWindow[2]) * ScaleY - 230.0));
            if (std::abs(mm) == 60) {
                const bool negative = dd < 0 || mm < 0;
                mm = 0;
                dd += negative ? -1 : 1;
            }
            if (y >= kPlotBottom && y <= kPlotTop) {
                moveTo(dc, kPlotLeft - 10, y);
                lineTo(dc, kPlotLeft + 10, y);
                const std::string label = (dd == 0 && mm < 0) ? format("-0%c%02d'", kDegree, std::abs(mm))
                                                              : format("%d%c%02d'", dd, kDegree, std::abs(mm));
                fw::Rect r{1, Y(y + 15), 120, Y(y - 15)};
                dc.drawText(label, r, fw::draw_text::kRight | fw::draw_text::kNoClip);
                any = true;
            }
        }
        if (!any) {
            const Sexagesimal t = roundedDms(lo, 2);
            const int y = static_cast<int>(std::trunc((lo - SkyWindow[2]) * ScaleY - 230.0));
            moveTo(dc, kPlotLeft - 10, y);
            lineTo(dc, kPlotLeft + 10, y);
            const std::string label =
                (t.units == 0 && lo < 0) ? format("-0%c%02d'  %4.2f\"", kDegree, std::abs(t.minutes), t.seconds)
                                         : format("%d%c%02d'%4.2f\"", t.units, kDegree, std::abs(t.minutes), t.seconds);
            fw::Rect r{1, Y(y + 15), 120, Y(y - 15)};
            dc.drawText(label, r, fw::draw_text::kRight | fw::draw_text::kNoClip);
        }
    }
    dc.selectPen(fw::Pen::solid(1, colors[Line]));
    dc.selectBrush(fw::Brush::solid(colors[Sky]));
}

// ---- Tracks ---------------------------------------------------------------------------------

void TrackPicture::PrepareTrackGeometry() {
    if (workTo < workFrom) workTo += kTwoPi;
    halfWidth_ = std::fabs(workTo - workFrom) / 2.0;
    if (!(halfWidth_ > 0)) halfWidth_ = 1e-9;
    centre_ = (workTo + workFrom) / 2.0;
    cut_ = centre_ - kPi;
    wrapLimit_ = 0.9 * kPi / halfWidth_;
    const double span = EndJd - StartJd;
    maxDt_ = span * 4.0 / 300.0;
    if (span < 1e-5) maxDt_ = 1e-5;
    if (span > 400.0) maxDt_ = 15.0;
    if (!(maxDt_ >= 1e-5)) maxDt_ = 1e-5;
    for (TrackSlot& s : slots_) s.step = 0.0;
}

double TrackPicture::normalise(double alpha) const {
    if (workTo >= kTwoPi && alpha < cut_) alpha += kTwoPi;
    if (alpha > cut_ + kTwoPi) alpha -= kTwoPi;
    return alpha;
}

fw::Point TrackPicture::trackPoint(double px, double py) const {
    auto clampi = [](double v) { return static_cast<int>(std::clamp(std::trunc(v), -1e9, 1e9)); };
    return {clampi(130.0 + (px - SkyWindow[0]) * ScaleX), clampi(-230.0 + (py - SkyWindow[2]) * ScaleY)};
}

void TrackPicture::SkyMoveTo(fw::Dc& dc, double px, double py) {
    const fw::Point p = trackPoint(px, py);
    moveTo(dc, p.x, p.y);
}

void TrackPicture::SkyLineTo(fw::Dc& dc, double px, double py) {
    const fw::Point p = trackPoint(px, py);
    const fw::Point cp = dc.currentPosition();
    const fw::Point p0{cp.x, Y(cp.y)};
    if (!inPlot(p)) {
        if (inPlot(p0)) {
            const fw::Point q = ClipToPlotArea(p, p0);
            lineTo(dc, q.x, q.y);
        }
        return;
    }
    if (!inPlot(p0)) {
        const fw::Point q = ClipToPlotArea(p0, p);
        moveTo(dc, q.x, q.y);
    }
    lineTo(dc, p.x, p.y);
}

void TrackPicture::selectObject(fw::Dc& dc, int i) {
    dc.selectPen(fw::Pen::solid(1, colors[static_cast<std::size_t>(Object1 + i)]));
    dc.selectBrush(fw::Brush::solid(colors[static_cast<std::size_t>(Object1 + i)]));
}

void TrackPicture::StartObjectTrack(fw::Dc& dc, int i) {
    TrackSlot& s = slots_[static_cast<std::size_t>(i)];
    selectObject(dc, i);
    const auto out = position(ObjectNumber[static_cast<std::size_t>(i)], StartJd);
    const double alpha = normalise(out[0]);
    s.prevRa = alpha;
    const double speed = std::hypot(out[2], out[3]);
    s.penUp = true;
    double px = 0.0, py = 0.0;
    const double rel = (alpha - centre_) / halfWidth_;
    if (std::fabs(rel) <= 2.0) {
        s.step = std::min(maxDt_, 10.0 * halfWidth_ / speed / 300.0);
        px = workFrom + workTo - alpha;
        py = out[1];
        SkyMoveTo(dc, px, py);
        s.penUp = false;
    } else {
        s.step = maxDt_;
    }
    if (!(s.step > 0)) s.step = maxDt_;
    s.lastX = px;
    s.lastY = py;
    s.date = StartJd;
    s.prevRel = rel;
    s.halvings = 0;
}

void TrackPicture::AdvanceObjectTrack(fw::Dc& dc, int i) {
    TrackSlot& s = slots_[static_cast<std::size_t>(i)];
    const int number = ObjectNumber[static_cast<std::size_t>(i)];
    selectObject(dc, i);
    SkyMoveTo(dc, s.lastX, s.lastY);
    const bool wide = halfWidth_ >= kPi / 2;
    for (int trial = 0; trial < 10 && s.date < EndJd; ++trial) {
        const double before = s.date;
        s.date = std::min(s.date + s.step, EndJd);
        const auto out = position(number, s.date);
        const double alpha = normalise(out[0]);
        const double d = std::fabs(alpha - s.prevRa);
        auto undo = [&](bool count) {
            s.date = before;
            s.step /= 2.0;
            if (count) ++s.halvings;
        };
        if (wide) {
            if (d > kPi) {
                if (s.halvings > 20) {
                    // The search gave up: the point is taken as it is, the
                    // line starting anew.
                    s.halvings = 0;
                    s.penUp = true;
                } else if (50.0 * (kTwoPi - d) <= halfWidth_) {
                    s.penUp = true;
                } else {
                    undo(true);
                    continue;
                }
            }
        } else {
            const double rel = (alpha - centre_) / halfWidth_;
            const double p = rel * s.prevRel;
            if (std::fabs(rel) >= 2.0) {
                if (p < 0 && std::fabs(rel) < wrapLimit_) {
                    if (s.step >= 1e-5) {
                        undo(false);
                        continue;
                    }
                } else {
                    s.step = s.penUp ? maxDt_ : maxDt_ / 2.0;
                    s.penUp = true;
                    s.prevRel = rel;
                    continue;
                }
            } else {
                if (s.penUp && (std::fabs(rel) < 1.0 || p < 0) && s.step >= 1e-5) {
                    undo(false);
                    continue;
                }
                s.prevRel = rel;
            }
        }
        // The point is accepted.
        const double speed = std::hypot(out[2], out[3]);
        s.prevRa = alpha;
        s.step = std::min(maxDt_, 10.0 * halfWidth_ / speed / 300.0);
        if (!(s.step > 0)) s.step = maxDt_;
        const double px = workFrom + workTo - alpha, py = out[1];
        if (s.penUp) {
            SkyMoveTo(dc, px, py);
            s.penUp = false;
        } else {
            SkyLineTo(dc, px, py);
        }
        s.lastX = px;
        s.lastY = py;
    }
}

bool TrackPicture::tracksRunning() const {
    for (std::size_t i = 0; i < 3; ++i)
        if (ObjectNumber[i] != 0 && slots_[i].date < EndJd) return true;
    return false;
}

void TrackPicture::StartPass(fw::Dc& dc) {
    PrepareTrackGeometry();
    for (int i = 0; i < 3; ++i)
        if (ObjectNumber[static_cast<std::size_t>(i)] != 0) StartObjectTrack(dc, i);
}

void TrackPicture::StepPass(fw::Dc& dc) {
    for (int i = 0; i < 3; ++i)
        if (ObjectNumber[static_cast<std::size_t>(i)] != 0 && slots_[static_cast<std::size_t>(i)].date < EndJd)
            AdvanceObjectTrack(dc, i);
}

void TrackPicture::EndPlotPass(fw::Dc& dc) {
    dc.selectPen(savedPen_);
    dc.selectBrush(savedBrush_);
}

void TrackPicture::WholePicturePass(fw::Dc& dc) {
    FramePass(dc);
    PrepareTrackGeometry();
    for (int i = 0; i < 3; ++i)
        if (ObjectNumber[static_cast<std::size_t>(i)] != 0) StartObjectTrack(dc, i);
    while (tracksRunning()) StepPass(dc);
    EndPlotPass(dc);
    LegendPass(dc);
}

// ---- Legend ------------------------------------------------------------------------------------

void TrackPicture::LegendPass(fw::Dc& dc) {
    DrawDateLabel(dc, ShownJd);
    DrawMoonLegend(dc, ShownJd);
    DrawSunLegend(dc, ShownJd);
    static constexpr int kLegendY[3] = {400, 150, -100};
    for (int i = 0; i < 3; ++i)
        if (ObjectNumber[static_cast<std::size_t>(i)] != 0) DrawObjectLegend(dc, ShownJd, i, kLegendX, kLegendY[i]);
}

void TrackPicture::DrawDateLabel(fw::Dc& dc, double jd) {
    double p = 0.0;
    lib_.DateT(2, jd, p);
    int year = static_cast<int>(std::trunc(p / 10000.0));
    const double r = (p / 10000.0 - year) * 100.0;
    int month = static_cast<int>(std::trunc(r));
    double day = (r - month) * 100.0;
    if (day - 31 > 0.001) {
        day -= 31;
        ++month;
    }
    if (month - 12 > 0.1) {
        month -= 12;
        ++year;
    }
    text(dc, kLegendX, 450, format("T =  %d  %d  %4.2f", year, month, day));
}

void TrackPicture::DrawSunLegend(fw::Dc& dc, double jd) {
    const fw::Pen bgPen = fw::Pen::solid(1, colors[Background]);
    const fw::Brush bgBrush = fw::Brush::solid(colors[Background]);
    if (!ShowSun) {
        dc.selectPen(bgPen);
        dc.selectBrush(bgBrush);
        rect(dc, 490, -277, std::max(521 + 15 * cw_, bodyColumns(dc, 520).end + 1), -340 - 2 * rowStep() - ch_);
        return;
    }
    if (sunStale) {
        const auto out = position(-10, jd);
        sunRa = out[0];
        sunDecl = out[1];
        sunStale = false;
    }
    dc.selectPen(fw::Pen::solid(1, colors[Sun]));
    dc.selectBrush(fw::Brush::solid(colors[Sun]));
    const fw::Point p = skyPoint(sunRa, sunDecl);
    if (inPlot(p)) ellipse(dc, p.x - 10, p.y - 10, p.x + 10, p.y + 10);
    ellipse(dc, 490, -277, 550, -337);
    dc.selectPen(bgPen);
    dc.selectBrush(bgBrush);
    rect(dc, 520, -340, std::max(800, bodyColumns(dc, 520).end), -340 - 2 * rowStep() - ch_);
    text(dc, 560, -300, " Sun");
    DrawBodyValues(dc, sunRa, sunDecl, 0.0, 520, -340);
}

void TrackPicture::DrawMoonLegend(fw::Dc& dc, double jd) {
    const fw::Pen bgPen = fw::Pen::solid(1, colors[Background]);
    const fw::Brush bgBrush = fw::Brush::solid(colors[Background]);
    if (!ShowMoon) {
        dc.selectPen(bgPen);
        dc.selectBrush(bgBrush);
        rect(dc, 90, -277, std::max(121 + 15 * cw_, bodyColumns(dc, 120).end + 1), -340 - 2 * rowStep() - ch_);
        return;
    }
    if (moonStale) {
        const auto out = position(-11, jd);
        moonRa = out[0];
        moonDecl = out[1];
        moonElong = out[4];
        moonStale = false;
    }
    const fw::Pen lightPen = fw::Pen::solid(1, colors[MoonLight]), darkPen = fw::Pen::solid(1, colors[MoonDark]);
    const fw::Brush light = fw::Brush::solid(colors[MoonLight]), dark = fw::Brush::solid(colors[MoonDark]);
    const fw::Point p = skyPoint(moonRa, moonDecl);
    dc.selectPen(darkPen);
    dc.selectBrush(light);
    if (inPlot(p)) ellipse(dc, p.x - 10, p.y - 10, p.x + 10, p.y + 10);

    // The phase: lit on the side of the Sun (west, to the right, while the
    // Moon is east of the Sun).
    dc.selectPen(darkPen);
    dc.selectBrush(dark);
    ellipse(dc, 90, -277, 150, -337);
    const int d = static_cast<int>(RadiansToDms(moonElong).units);
    if (d <= 19 || d >= 341) {
        dc.selectBrush(dark);
        ellipse(dc, 90, -277, 150, -337);
    } else if (d <= 70) {
        dc.selectBrush(light);
        chord(dc, 90, -277, 150, -337, 120, -337, 120, -277);
        dc.selectBrush(dark);
        chord(dc, 30, -257, 130, -357, 120, -337, 120, -277);
    } else if (d <= 109) {
        dc.selectBrush(light);
        chord(dc, 90, -277, 150, -337, 120, -337, 120, -277);
    } else if (d <= 160) {
        dc.selectBrush(light);
        chord(dc, 90, -277, 150, -337, 120, -337, 120, -277);
        dc.selectPen(lightPen);
        chord(dc, 110, -257, 210, -357, 120, -277, 120, -337);
        moveTo(dc, 120, -277);
        lineTo(dc, 120, -337);
        dc.selectPen(darkPen);
    } else if (d <= 199) {
        dc.selectBrush(light);
        ellipse(dc, 90, -277, 150, -337);
    } else if (d <= 250) {
        dc.selectBrush(light);
        chord(dc, 90, -277, 150, -337, 120, -277, 120, -337);
        dc.selectPen(lightPen);
        chord(dc, 30, -257, 130, -357, 120, -337, 120, -277);
        dc.selectPen(darkPen);
    } else if (d <= 289) {
        dc.selectBrush(light);
        chord(dc, 90, -277, 150, -337, 120, -277, 120, -337);
    } else {
        dc.selectBrush(light);
        chord(dc, 90, -277, 150, -337, 120, -277, 120, -337);
        dc.selectBrush(dark);
        chord(dc, 110, -257, 210, -357, 120, -277, 120, -337);
    }
    dc.selectPen(bgPen);
    dc.selectBrush(bgBrush);
    rect(dc, 120, -340, std::max(400, bodyColumns(dc, 120).end), -340 - 2 * rowStep() - ch_);
    text(dc, 160, -290, " Moon");
    DrawBodyValues(dc, moonRa, moonDecl, moonElong, 120, -340);
}

void TrackPicture::DrawObjectLegend(fw::Dc& dc, double jd, int i, int x, int y) {
    selectObject(dc, i);
    const auto out = position(ObjectNumber[static_cast<std::size_t>(i)], jd);
    // The marker of the shown date.
    const fw::Point m = skyPoint(out[0], out[1]);
    if (m.x > kPlotLeft && m.x < kPlotRight && m.y > kPlotBottom && m.y < kPlotTop)
        ellipse(dc, m.x - 7, m.y - 7, m.x + 7, m.y + 7);
    ellipse(dc, x + 19, y - 45, x + 35, y - 29);
    text(dc, x + 50, y - 20, ObjectName[static_cast<std::size_t>(i)]);
    DrawObjectValues(dc, i, out[0], out[1], out[4], x + 20, y - 70);
    moveTo(dc, x, y);
    const int right = objectBoxRight(dc, x);
    lineTo(dc, x, y - ch_ - 170);
    lineTo(dc, right, y - ch_ - 170);
    lineTo(dc, right, y);
    lineTo(dc, x, y);
}

void TrackPicture::DrawObjectValues(fw::Dc& dc, int i, double alpha, double delta, double mag, int x, int y) {
    const LegendColumns c = objectColumns(dc, x);
    // R.A. (0.01 s) and Decl. (0.1"), rounded as shown.
    Sexagesimal h = roundedHms(alpha, 2);
    if (h.units > 23) h.units -= 24;
    if (h.units < 0) h.units += 24;
    text(dc, x, y, "R.A.  =");
    cell(dc, c.units, c.unitSign, y, format("%d", h.units));
    cell(dc, c.unitSign, c.minutes, y + 10, "h");
    cell(dc, c.minutes, c.minuteSign, y, format("%02d", std::abs(h.minutes)));
    cell(dc, c.minuteSign, c.seconds, y + 10, "m");
    cell(dc, c.seconds, c.secondSign, y, format("%05.2f", h.seconds));
    cell(dc, c.secondSign, c.end, y + 10, "s");
    // Decl.
    const Sexagesimal d = roundedDms(delta, 1);
    const int yd = y - rowStep();
    text(dc, x, yd, "Decl. =");
    cell(dc, c.units, c.unitSign, yd, (d.units == 0 && delta < 0) ? std::string("-0") : format("%d", d.units));
    cell(dc, c.unitSign, c.minutes, yd + 10, std::string(1, kDegree));
    cell(dc, c.minutes, c.minuteSign, yd, format("%02d", std::abs(d.minutes)));
    cell(dc, c.minuteSign, c.seconds, yd + 10, "'");
    cell(dc, c.seconds, c.secondSign, yd, format("%04.1f", d.seconds));
    cell(dc, c.secondSign, c.end, yd + 10, "\"");
    // Magnitude: none for the major planets.
    const int ym = y - 2 * rowStep();
    const int n = ObjectNumber[static_cast<std::size_t>(i)];
    if (n <= -1 && n >= -10) return;
    text(dc, x, ym, "Mag.  =");
    const int magRight = std::max(c.minuteSign, c.units + dc.textExtent("-00.0").cx);
    cell(dc, c.units, magRight, ym, format("%4.1f", mag));
    cell(dc, magRight, magRight + c.sign, ym + 10, "m");
}

void TrackPicture::DrawBodyValues(fw::Dc& dc, double alpha, double delta, double e, int x, int y) {
    const LegendColumns c = bodyColumns(dc, x);
    // To the minute, rounded as shown.
    Sexagesimal h = roundedHm(alpha);
    const int hm = std::abs(h.minutes);
    if (h.units > 23) h.units -= 24;
    if (h.units < 0) h.units += 24;
    text(dc, x, y, "R.A.   =");
    cell(dc, c.units, c.unitSign, y, format("%d", h.units));
    cell(dc, c.unitSign, c.minutes, y + 10, "h");
    cell(dc, c.minutes, c.minuteSign, y, format("%02d", hm));
    cell(dc, c.minuteSign, c.seconds, y + 10, "m");

    const Sexagesimal d = roundedDm(delta);
    const int dm = std::abs(d.minutes);
    const int yd = y - rowStep();
    text(dc, x, yd, "Decl.  =");
    cell(dc, c.units, c.unitSign, yd, (d.units == 0 && delta < 0) ? std::string("-0") : format("%d", d.units));
    cell(dc, c.unitSign, c.minutes, yd + 10, std::string(1, kDegree));
    cell(dc, c.minutes, c.minuteSign, yd, format("%02d", dm));
    cell(dc, c.minuteSign, c.seconds, yd + 10, "'");

    if (e == 0.0) return;
    const int ye = y - 2 * rowStep();
    text(dc, x, ye, "Elong. =");
    char side = 'E';
    if (e > kPi) {
        side = 'W';
        e = kTwoPi - e;
    }
    const Sexagesimal s = RadiansToDms(e);
    int deg = s.units;
    if (s.minutes + s.seconds / 60.0 > 30) ++deg;
    cell(dc, c.units, c.end, ye, format("%d%c%c", deg, kDegree, side));
}

// ---- Preparing a surface -------------------------------------------------------------------------

void TrackPicture::render(Pass pass, fw::Dc& dc, int width, int height, bool clear) {
    const fw::Brush oldBrush = dc.selectBrush(fw::Brush::solid(colors[Background]));
    const fw::Pen oldPen = dc.selectPen(fw::Pen::solid(1, colors[Line]));
    if (clear) dc.fillRect(fw::Rect{0, 0, width, height}, fw::Brush::solid(colors[Background]));
    const int level = dc.saveDC();
    const fw::LogFont oldFont = dc.selectFont(LabelFont);
    if (!MetafileMode) {
        // The whole picture, the legend at the right included, in the
        // window: 1000 units high, as wide as the legend needs.
        dc.setMapMode(fw::MapMode::Isotropic);
        dc.setWindowExt(1000, 1000);
        dc.setViewportExt(width, -height);
        dc.setWindowExt(pictureRight(dc), 1000);
        dc.setViewportExt(width, -height);
        dc.setViewportOrg(0, height / 2);
    } else {
        dc.setMapMode(fw::MapMode::Text);
    }
    const fw::Colorref oldText = dc.setTextColor(colors[Text]);
    const fw::BkMode oldBk = dc.setBkMode(fw::BkMode::Transparent);
    switch (pass) {
        case Pass::EmptyFrame:
            EmptyFramePass(dc);
            break;
        case Pass::Frame:
            FramePass(dc);
            break;
        case Pass::Start:
            StartPass(dc);
            break;
        case Pass::Step:
            StepPass(dc);
            break;
        case Pass::End:
            EndPlotPass(dc);
            break;
        case Pass::Legend:
            LegendPass(dc);
            break;
        case Pass::Whole:
            WholePicturePass(dc);
            break;
    }
    dc.setBkMode(oldBk);
    dc.setTextColor(oldText);
    dc.selectFont(oldFont);
    if (level > 0) dc.restoreDC(level);
    dc.selectBrush(oldBrush);
    dc.selectPen(oldPen);
}

void TrackPicture::stepDrawing(fw::Dc& work, fw::Dc& picture, int width, int height,
                               const std::function<void()>& copyWork) {
    switch (DrawState) {
        case 3:
            render(Pass::Frame, work, width, height, true);
            DrawState = 4;
            break;
        case 4:
            render(Pass::Start, work, width, height, false);
            DrawState = 5;
            break;
        case 5:
            if (tracksRunning()) {
                render(Pass::Step, work, width, height, false);
            } else {
                EndPlotPass(work);
                DrawState = 6;
            }
            break;
        case 6:
            if (copyWork) copyWork();
            render(Pass::Legend, picture, width, height, false);
            DrawState = 7;
            break;
        case 7:
            break;
        case 0:
            DrawState = 1;
            break;
        case 1:
            DrawState = 0;
            break;
        case 2:
            DrawState = 3;
            break;
        default:
            DrawState = 0;
            break;
    }
}

void TrackPicture::printPage(fw::Dc& dc, int outputWidth, int outputHeight) {
    const int level = dc.saveDC();
    const fw::LogFont oldFont = dc.selectFont(LabelFont);
    dc.setMapMode(fw::MapMode::Isotropic);
    dc.setWindowExt(1600, 1600);
    dc.setViewportExt(outputWidth, -outputHeight);
    // As wide as the picture when it is wider than 1600 units.
    const int across = std::max(1600, pictureRight(dc));
    dc.setWindowExt(across, across);
    dc.setViewportExt(outputWidth, -outputHeight);
    dc.setViewportOrg(0, outputHeight / 3);
    GridOn = true;
    if (!FrameOnly)
        WholePicturePass(dc);
    else
        EmptyFramePass(dc);
    dc.selectFont(oldFont);
    if (level > 0) dc.restoreDC(level);
}

}  // namespace zelvo::track
