#include "zelvo/graphics/orbitscene.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "framework/binfile.h"
#include "framework/dc.h"
#include "framework/plotsettings.h"
#include "zelvo/app/library.h"
#include "zelvomat/core/constants.h"

namespace zelvo::orbit {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Picture points beyond this many units are held there: far outside every
// window, and safe to convert and map.
constexpr double kPictureLimit = 1.0e6;

std::string format(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

}  // namespace

void OrbitScene::setDefaultPlanets() {
    static const int kNumbers[3] = {3, 4, 5};
    for (int j = 0; j < 3; ++j) {
        planets[static_cast<std::size_t>(j)].number = kNumbers[j];
        planets[static_cast<std::size_t>(j)].name = majorPlanetName(kNumbers[j]);
    }
}

// ---- Commands ------------------------------------------------------------------

bool OrbitViewState::scaleDown() {
    if (scale - 1 < kMinScale) return false;
    scale -= 1;
    return true;
}

bool OrbitViewState::scaleUp() {
    if (scale + 1 > kMaxScale) return false;
    scale += 1;
    return true;
}

void OrbitViewState::latitudeStep(double deltaDeg) { latitude = std::clamp(latitude + deltaDeg, -90.0, 90.0); }

void OrbitViewState::longitudeStep(double deltaDeg) {
    longitude += deltaDeg;
    if (longitude >= 360) longitude -= 360;
    if (longitude < 0) longitude += 360;
}

bool OrbitViewState::setScale(double s) {
    if (!std::isfinite(s) || s < kMinScale || s > kMaxScale) return false;
    scale = s;
    return true;
}

void Animation::faster() {
    stepDays += stepDays > 0 ? 1 : -1;
    timerStarted = true;
    running = true;
}

void Animation::slower() {
    if (std::fabs(stepDays) > 1)
        stepDays += stepDays > 0 ? -1 : 1;
    else
        stepDays = stepDays > 0 ? 1 : -1;
    timerStarted = true;
    running = true;
}

void Animation::back() { stepDays = -stepDays; }

void Animation::stop() { running = false; }

// ---- Geometry -------------------------------------------------------------------

double semiAxisOfMotion(double n) {
    if (!(n > 0) || !std::isfinite(n)) return 0;
    const double a = std::pow(kGaussK / n, 2.0 / 3.0);
    return std::isfinite(a) ? a : 0;
}

OrbitPoint orbitPointAt(const ElementSet& e, double v) {
    // a from the mean motion alone: the object's own mass is left out.
    const double a = std::pow(kGaussK / e[el::kMotion], 2.0 / 3.0);
    const double ecc = e[el::kEcc];
    const double p = a * (1 - ecc * ecc);
    OrbitPoint o;
    o.r = p / (1 + ecc * std::cos(v));
    const double u = v + e[el::kPeri];  // argument of latitude
    const double node = e[el::kNode], incl = e[el::kIncl];
    const double cu = std::cos(u), su = std::sin(u), cn = std::cos(node), sn = std::sin(node), ci = std::cos(incl);
    o.x = o.r * (cu * cn - su * sn * ci);
    o.y = o.r * (cu * sn + su * cn * ci);
    o.z = o.r * su * std::sin(incl);
    return o;
}

Projected projectToView(double x, double y, double z, double L, double B) {
    const double phi = zelvomat::kTwoPi - L;
    return {y * std::cos(phi) + x * std::sin(phi),
            (y * std::sin(phi) - x * std::cos(phi)) * std::sin(B) + z * std::cos(B)};
}

PictureProjection::PictureProjection(const OrbitViewState& v)
    : L_(v.longitude * kPicturePi / 180),
      B_(v.latitude * kPicturePi / 180),
      scale_(std::isfinite(v.scale) ? std::clamp(v.scale, kMinScale, kMaxScale) : 5.2) {}

std::optional<fw::Point> PictureProjection::point(double x, double y, double z) const {
    const Projected q = projectToView(x, y, z, L_, B_);
    const double X = 500 * q.X / scale_, Y = 500 * q.Y / scale_;
    if (!std::isfinite(X) || !std::isfinite(Y)) return std::nullopt;
    const auto held = [](double c) {
        return static_cast<int>(std::trunc(std::clamp(c, -kPictureLimit, kPictureLimit)));
    };
    return fw::Point{held(X) + 100, held(Y)};
}

int objectOrbitPoints(double scale, bool output) {
    const double s = std::isfinite(scale) ? std::clamp(scale, kMinScale, kMaxScale) : 5.2;
    int n = static_cast<int>(std::trunc(s * (output ? 7200.0 : 1800.0) / 5.2));
    if (n % 2 != 0) ++n;
    return n;
}

int planetOrbitPoints(int planet, double scale) {
    if (planet < 1 || planet > 9) return 0;
    const double s = std::isfinite(scale) ? std::clamp(scale, kMinScale, kMaxScale) : 5.2;
    const int n = static_cast<int>(std::trunc(1800 * kPlanetSemiAxis[static_cast<std::size_t>(planet)] / s));
    return std::max(n, 2);
}

double fitSceneScale(const OrbitScene& s) {
    double largest = 0;
    for (const OrbitBodySlot& o : s.objects) largest = std::max(largest, semiAxisOfMotion(o.elements[el::kMotion]));
    for (const OrbitBodySlot& p : s.planets)
        if (p.number >= 1 && p.number <= 9)
            largest = std::max(largest, kPlanetSemiAxis[static_cast<std::size_t>(p.number)]);
    const double scale = largest >= 5 ? largest : 3.5;
    return std::clamp(scale, kMinScale, kMaxScale);
}

CivilDate splitPackedDate(double packed) {
    // YYYYMMDD.dd taken apart on its whole part, so that a month or day
    // never comes out one short by rounding.
    CivilDate d;
    if (!std::isfinite(packed)) return d;
    const double whole = std::floor(packed);
    const auto w = static_cast<long long>(whole);
    d.year = static_cast<int>(w / 10000);
    d.month = static_cast<int>((w / 100) % 100);
    d.day = static_cast<double>(w % 100) + (packed - whole);
    return d;
}

fw::Colorref planetSlotColor(const std::array<fw::Colorref, 11>& colors, int j) {
    return j >= 0 && j <= 2 ? colors[static_cast<std::size_t>(4 + j)] : 0xFF00FF;
}

fw::Colorref objectSlotColor(const std::array<fw::Colorref, 11>& colors, int i) {
    return i >= 0 && i <= 2 ? colors[static_cast<std::size_t>(7 + i)] : 0xFF00FF;
}

// ---- Planet names -------------------------------------------------------------------

namespace {
constexpr const char* kPlanetNames[10] = {"",        "Mercury", "Venus",  "Earth",   "Mars",
                                          "Jupiter", "Saturn",  "Uranus", "Neptune", "Pluto"};
}

std::string majorPlanetName(int number) {
    if (number < 1 || number > 9) return {};
    return kPlanetNames[number];
}

void majorPlanetByPrefix(int& number, std::string& text) {
    if (text.size() < 3) {
        text.clear();
        return;
    }
    std::string prefix = text.substr(0, 3);
    for (char& c : prefix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int k = 1; k <= 9; ++k) {
        std::string p(kPlanetNames[k], 3);
        for (char& c : p) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (p == prefix) {
            number = k;
            text = kPlanetNames[k];
            return;
        }
    }
    text = prefix;
}

// ---- Settings files ------------------------------------------------------------------

void OrbitColors::load(const std::string& path) {
    *this = OrbitColors{};
    fw::SettingsFile f;
    f.colors(colors).font(font);
    f.read(path);
}

bool OrbitColors::save(const std::string& path) const {
    OrbitColors copy = *this;
    fw::SettingsFile f;
    f.colors(copy.colors).font(copy.font);
    return f.write(path);
}

std::string formatLastState(const OrbitScene& s) {
    std::string line;
    for (std::size_t i = 0; i < 3; ++i)
        line += std::to_string(s.objects[i].number) + " " + std::to_string(s.planets[i].number) + " ";
    return line + format("%f", s.date);
}

LastState parseLastState(std::string_view text, const LastState& before) {
    LastState st = before;
    std::istringstream in{std::string(text)};
    std::string word;
    const auto readInt = [&](int& into) {
        if (!(in >> word)) return;
        char* end = nullptr;
        const long v = std::strtol(word.c_str(), &end, 10);
        if (end != word.c_str() && v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            into = static_cast<int>(v);
    };
    for (std::size_t i = 0; i < 3; ++i) {
        readInt(st.objects[i]);
        readInt(st.planets[i]);
    }
    double date = 0;
    if (in >> word) date = std::strtod(word.c_str(), nullptr);
    st.date = date != 0 && std::isfinite(date) ? date : -1.0;
    return st;
}

std::optional<std::string> readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeTextFile(const std::string& path, std::string_view text) { return fw::write_file_or_warn(path, text); }

// ---- orbit.tmp -------------------------------------------------------------------------

bool writeTmpRecord(const std::string& path, const TmpRecord& r) {
    std::string bytes = r.name.substr(0, std::min(r.name.size(), kTmpNameBytes));
    bytes.resize(kTmpNameBytes, ' ');
    const auto n = static_cast<std::uint32_t>(r.number);
    for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<char>((n >> (8 * k)) & 0xFF));
    return fw::write_file_or_warn(path, bytes);
}

std::optional<TmpRecord> readTmpRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char buf[kTmpRecordBytes];
    if (!in || !in.read(buf, kTmpRecordBytes)) return std::nullopt;
    TmpRecord r;
    r.name.assign(buf, kTmpNameBytes);
    std::uint32_t n = 0;
    for (int k = 0; k < 4; ++k) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(buf[18 + k])) << (8 * k);
    r.number = static_cast<std::int32_t>(n);
    return r;
}

std::optional<std::string> objectNameOf(Library& lib, const std::string& tmpPath, int number) {
    if (!writeTmpRecord(tmpPath, {std::string(kTmpNameBytes, ' '), number})) return std::nullopt;
    int n = number;
    lib.NamePl(2, n);
    const auto r = readTmpRecord(tmpPath);
    if (!r) return std::nullopt;
    const std::size_t cut = r->name.find("  ");
    return cut == std::string::npos ? r->name : r->name.substr(0, cut);
}

int objectNumberOf(Library& lib, const std::string& tmpPath, std::string_view text) {
    if (text.empty() || text.size() > kTmpNameBytes) return 0;
    // The record holds a defined number (0) beside the name.
    if (!writeTmpRecord(tmpPath, {std::string(text), 0})) return 0;
    int n = 0;
    lib.NamePl(1, n);
    const auto r = readTmpRecord(tmpPath);
    if (!r) return 0;
    return std::max(r->number, 0);
}

// ---- The picture ---------------------------------------------------------------------

void loadElements(OrbitScene& s, Library& lib) {
    for (OrbitBodySlot& o : s.objects) {
        if (o.number <= 0) continue;
        lib.NElem(o.number, o.elements.data());
        if (s.date < 0 && o.elements[el::kEpoch] > 0) s.date = o.elements[el::kEpoch];
    }
    for (OrbitBodySlot& p : s.planets) {
        if (p.number < 1 || p.number > 9) continue;
        lib.NElem(p.number - 100, p.elements.data());
        if (s.date < 0 && p.elements[el::kEpoch] > 0) s.date = p.elements[el::kEpoch];
    }
    s.elementsLoaded = true;
}

OrbitTrace objectOrbitTrace(const ElementSet& e, const PictureProjection& p, bool output) {
    OrbitTrace t;
    t.n = objectOrbitPoints(p.scale(), output);
    const int half = t.n / 2;
    t.points.reserve(static_cast<std::size_t>(t.n));
    t.north.reserve(static_cast<std::size_t>(t.n));
    for (int k = 0; k < t.n; ++k) {
        const double v = k * kPicturePi / half - e[el::kPeri];
        const OrbitPoint o = orbitPointAt(e, v);
        if (!(o.r > 0) || !std::isfinite(o.r)) continue;  // no point of an open orbit there
        const auto q = p.point(o.x, o.y, o.z);
        if (!q) continue;
        t.points.push_back(*q);
        t.north.push_back(o.z >= 0 || k == half);
    }
    return t;
}

std::vector<fw::Point> nodeHalfPlane(const ElementSet& e, const PictureProjection& p, int n) {
    std::vector<fw::Point> poly;
    const int half = std::max(n / 2, 1);
    for (int k = 0; k <= half; ++k) {
        const double v = k * kPicturePi / half - e[el::kPeri];
        const OrbitPoint o = orbitPointAt(e, v);
        if (!(o.r > 0) || !std::isfinite(o.r)) continue;
        const auto q = p.point(o.x, o.y, o.z);
        if (q && (poly.empty() || !(poly.back() == *q))) poly.push_back(*q);
    }
    if (poly.size() < 2) return {};
    poly.push_back({100, 0});  // the line of nodes runs through the Sun
    return poly;
}

std::string dateCaption(Library& lib, double jd) {
    std::string text = "T =";
    if (!(jd >= 0) || !std::isfinite(jd)) return text;
    double packed = kNaN;
    lib.DateT(2, jd, packed);
    if (!std::isfinite(packed)) return text;
    const CivilDate d = splitPackedDate(packed);
    return text + std::to_string(d.year) + "  " + std::to_string(d.month) + "  " + format("%3.1f", d.day);
}

std::string scaleText(double scale) { return format("%.10g", scale); }

void mapScreenPicture(fw::Dc& dc, int width, int height) {
    const fw::Rect& f = kPictureFrame;
    dc.setMapMode(fw::MapMode::Isotropic);
    dc.setWindowExt(f.width(), f.height());
    dc.setWindowOrg((f.left + f.right) / 2, (f.top + f.bottom) / 2);
    dc.setViewportExt(width, -height);
    dc.setViewportOrg(width / 2, height / 2);
}

void mapPagePicture(fw::Dc& dc, int width, int height) {
    // The output picture's y points down: the frame upside down.
    const fw::Rect& f = kPictureFrame;
    dc.setMapMode(fw::MapMode::Isotropic);
    dc.setWindowExt(f.width(), f.height());
    dc.setWindowOrg((f.left + f.right) / 2, -(f.top + f.bottom) / 2);
    dc.setViewportExt(width, height);
    dc.setViewportOrg(width / 2, std::abs(dc.viewportExt().cy) / 2);
}

void mapMetafilePicture(fw::Dc& dc) {
    dc.setMapMode(fw::MapMode::Anisotropic);
    dc.setWindowOrg(kPictureFrame.left, -kPictureFrame.bottom);
}

namespace {

// The frame in the coordinates drawn (y negated in the output), a few units
// inside its edges, so that a line cut there still lands on the device
// after rounding.
struct Frame {
    double left, right, low, high;
    explicit Frame(bool output)
        : left(kPictureFrame.left + kInset),
          right(kPictureFrame.right - kInset),
          low(output ? -kPictureFrame.bottom + kInset : kPictureFrame.top + kInset),
          high(output ? -kPictureFrame.top - kInset : kPictureFrame.bottom - kInset) {}
    static constexpr int kInset = 4;
    bool inside(fw::Point p) const { return p.x >= left && p.x <= right && p.y >= low && p.y <= high; }
    // Widened to the part of the screen picture that the window shows
    // beside the frame (a window of another shape than the picture).
    void widen(const fw::Dc& dc) {
        const fw::DeviceInfo d = dc.device();
        const fw::Point a = dc.dpToLp({0, 0}), b = dc.dpToLp({d.width - 1, d.height - 1});
        left = std::min(left, std::min(a.x, b.x) + static_cast<double>(kInset));
        right = std::max(right, std::max(a.x, b.x) - static_cast<double>(kInset));
        low = std::min(low, std::min(a.y, b.y) + static_cast<double>(kInset));
        high = std::max(high, std::max(a.y, b.y) - static_cast<double>(kInset));
    }
};

// The part of the segment a-b inside the frame (Liang and Barsky), or
// nothing.
std::optional<std::pair<fw::Point, fw::Point>> clipSegment(fw::Point a, fw::Point b, const Frame& f) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - f.left, f.right - a.x, a.y - f.low, f.high - a.y};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return std::nullopt;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return std::nullopt;
    }
    const auto at = [&](double t) {
        return fw::Point{static_cast<int>(std::lround(a.x + t * dx)), static_cast<int>(std::lround(a.y + t * dy))};
    };
    return std::make_pair(t0 > 0 ? at(t0) : a, t1 < 1 ? at(t1) : b);
}

// A polyline cut at the frame: the pieces inside it.
void clippedPolyline(fw::Dc& dc, const std::vector<fw::Point>& pts, const Frame& f) {
    std::vector<fw::Point> run;
    const auto flush = [&] {
        if (run.size() >= 2) dc.polyline(run);
        run.clear();
    };
    for (std::size_t k = 1; k < pts.size(); ++k) {
        const auto seg = clipSegment(pts[k - 1], pts[k], f);
        if (!seg) {
            flush();
            continue;
        }
        if (run.empty() || !(run.back() == seg->first)) {
            flush();
            run.push_back(seg->first);
        }
        run.push_back(seg->second);
        if (!(seg->second == pts[k])) flush();
    }
    flush();
    if (!pts.empty()) dc.moveTo(pts.back().x, pts.back().y);
}

// A polygon cut at the frame (Sutherland and Hodgman).
std::vector<fw::Point> clippedPolygon(std::vector<fw::Point> poly, const Frame& f) {
    const auto edge = [&](auto inside, auto cross) {
        std::vector<fw::Point> out;
        for (std::size_t k = 0; k < poly.size(); ++k) {
            const fw::Point a = poly[(k + poly.size() - 1) % poly.size()], b = poly[k];
            if (inside(b)) {
                if (!inside(a)) out.push_back(cross(a, b));
                out.push_back(b);
            } else if (inside(a)) {
                out.push_back(cross(a, b));
            }
        }
        poly = std::move(out);
    };
    const auto atX = [](fw::Point a, fw::Point b, double x) {
        const double t = (x - a.x) / (b.x - a.x);
        return fw::Point{static_cast<int>(x), static_cast<int>(std::lround(a.y + t * (b.y - a.y)))};
    };
    const auto atY = [](fw::Point a, fw::Point b, double y) {
        const double t = (y - a.y) / (b.y - a.y);
        return fw::Point{static_cast<int>(std::lround(a.x + t * (b.x - a.x))), static_cast<int>(y)};
    };
    edge([&](fw::Point p) { return p.x >= f.left; }, [&](fw::Point a, fw::Point b) { return atX(a, b, f.left); });
    edge([&](fw::Point p) { return p.x <= f.right; }, [&](fw::Point a, fw::Point b) { return atX(a, b, f.right); });
    edge([&](fw::Point p) { return p.y >= f.low; }, [&](fw::Point a, fw::Point b) { return atY(a, b, f.low); });
    edge([&](fw::Point p) { return p.y <= f.high; }, [&](fw::Point a, fw::Point b) { return atY(a, b, f.high); });
    return poly;
}

// Lines through the north points of a trace, dots at the south ones (the
// screen), or one line through all of them (the output); cut at the frame.
void drawTrace(fw::Dc& dc, const OrbitTrace& t, fw::Colorref color, bool dotted, const Frame& f) {
    if (t.points.empty()) return;
    std::vector<fw::Point> run{t.points[0]};
    std::vector<fw::Point> dots;
    for (std::size_t k = 1; k < t.points.size(); ++k) {
        const fw::Point q = t.points[k];
        if (dotted && !t.north[k]) {
            if (f.inside(q) && (dots.empty() || !(dots.back() == q))) dots.push_back(q);
            continue;
        }
        if (!(run.back() == q)) run.push_back(q);
    }
    clippedPolyline(dc, run, f);
    if (!dots.empty()) dc.setPixels(dots, color);
}

}  // namespace

void drawOrbitPicture(fw::Dc& dc, const OrbitScene& s, const OrbitViewState& v, const OrbitColors& c, Library& lib,
                      PictureKind kind) {
    const bool out = kind == PictureKind::Output;
    const int ys = out ? -1 : 1;  // the output's y axis points down
    const PictureProjection proj(v);
    const auto& col = c.colors;

    dc.setBkMode(fw::BkMode::Transparent);
    const fw::LogFont oldFont = dc.selectFont(c.font);
    dc.setTextColor(col[1]);
    const fw::Pen oldPen = dc.pen();
    const fw::Brush oldBrush = dc.brush();

    // Orbits and bodies are cut at the frame, on the screen at the window.
    const Frame textFrame(out);
    Frame frame(out);
    if (!out) frame.widen(dc);
    const Frame screenFrame = out ? Frame(false) : frame;  // the bodies' test, on unnegated values
    const auto body = [&](const ElementSet& e, double mass, int radius) {
        double x = kNaN, y = kNaN, z = kNaN;
        if (s.date < 0) return;
        lib.TXYZ(e.data(), s.date, x, y, z, mass);
        const auto q = proj.point(x, y, z);
        // A disc only where the whole of it is inside the frame.
        if (!q || !screenFrame.inside({q->x - radius, q->y - radius}) ||
            !screenFrame.inside({q->x + radius, q->y + radius}))
            return;
        dc.ellipse(q->x - radius, ys * (q->y - radius), q->x + radius, ys * (q->y + radius));
    };

    // The texts of the legend and the captions, measured first, so that the
    // axis labels can keep clear of them. Drawing coordinates: a text's
    // cell hangs below its point on the screen, stands below it in the
    // output (y down) too.
    const int th = std::max(1, dc.textExtent("0").cy);
    std::vector<fw::Rect> placed;
    const auto cell = [&](int x, int y, const std::string& text) {
        const int w = dc.textExtent(text).cx;
        return out ? fw::Rect{x, y, x + w, y + th} : fw::Rect{x, y - th, x + w, y};
    };
    const auto overlaps = [&](const fw::Rect& a) {
        for (const fw::Rect& b : placed)
            if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) return true;
        return false;
    };

    for (int i = 0; i < 3; ++i) {
        const OrbitBodySlot& o = s.objects[static_cast<std::size_t>(i)];
        if (o.number <= 0) continue;
        const fw::Colorref color = objectSlotColor(col, i);
        dc.selectPen(fw::Pen::solid(1, color));
        OrbitTrace t = objectOrbitTrace(o.elements, proj, out);
        if (out)
            for (fw::Point& q : t.points) q.y = -q.y;
        drawTrace(dc, t, color, !out, frame);
        if (v.nodesShown) {
            std::vector<fw::Point> half = nodeHalfPlane(o.elements, proj, t.n);
            if (!half.empty()) {
                if (out)
                    for (fw::Point& q : half) q.y = -q.y;
                const std::vector<fw::Point> inside = clippedPolygon(half, frame);
                const fw::Brush before = dc.selectBrush(fw::Brush::solid(0xFA0000));
                if (inside.size() >= 3) dc.polygon(inside);
                dc.selectBrush(before);
                // The line of nodes itself, over the fill.
                clippedPolyline(dc, {half.front(), {100, 0}, half[half.size() - 2]}, frame);
            }
        }
        dc.selectBrush(fw::Brush::solid(color));
        body(o.elements, 0, 7);
        if (out) {
            dc.textOut(-680, 212 + 50 * i, o.name);
            dc.ellipse(-720, 232 + 50 * i, -706, 218 + 50 * i);
        } else {
            dc.textOut(-680, -207 - 50 * i, o.name);
            dc.ellipse(-720, -232 - 50 * i, -706, -218 - 50 * i);
        }
        placed.push_back(cell(-680, out ? 212 + 50 * i : -207 - 50 * i, o.name));
    }

    for (int j = 0; j < 3; ++j) {
        const OrbitBodySlot& p = s.planets[static_cast<std::size_t>(j)];
        if (p.number < 1 || p.number > 9) continue;
        const fw::Colorref color = planetSlotColor(col, j);
        dc.selectPen(fw::Pen::solid(1, color));
        dc.selectBrush(fw::Brush::solid(color));
        const int n = planetOrbitPoints(p.number, proj.scale());
        const int half = n / 2;
        std::vector<fw::Point> dots;
        dots.reserve(static_cast<std::size_t>(n) + 1);
        for (int k = 0; k <= n; ++k) {
            const OrbitPoint o = orbitPointAt(p.elements, k * kPicturePi / half - p.elements[el::kPeri]);
            if (!(o.r > 0) || !std::isfinite(o.r)) continue;
            const auto q = proj.point(o.x, o.y, o.z);
            if (!q) continue;
            const fw::Point d{q->x, ys * q->y};
            if (dots.empty() || !(dots.back() == d)) dots.push_back(d);
        }
        if (out) {
            clippedPolyline(dc, dots, frame);
        } else {
            std::erase_if(dots, [&](fw::Point q) { return !frame.inside(q); });
            if (!dots.empty()) dc.setPixels(dots, color);
        }
        body(p.elements, 1 / kPlanetMass[static_cast<std::size_t>(p.number)], 8);
        if (out) {
            dc.textOut(-680, -310 + 50 * j, p.name);
            dc.ellipse(-720, -288 + 50 * j, -706, -302 + 50 * j);
        } else {
            dc.textOut(-680, 310 - 50 * j, p.name);
            dc.ellipse(-720, 288 - 50 * j, -706, 302 - 50 * j);
        }
        placed.push_back(cell(-680, out ? -310 + 50 * j : 310 - 50 * j, p.name));
    }

    // The captions, drawn last, keep their places.
    const std::string degree = "\xB0";
    const std::string scaleDigits = scaleText(proj.scale());
    const int headX = out ? -680 : -700;
    const std::pair<fw::Point, std::string> captions[] = {
        {{-400, -450 * ys}, "Longitude =" + format("%4.1f", v.longitude) + degree},
        {{-25, -450 * ys}, "Latitude =" + format("%4.1f", v.latitude) + degree},
        {{300, -450 * ys},
         "Scale =" + std::string(4 - std::min<std::size_t>(4, scaleDigits.size()), ' ') + scaleDigits + " a.u."},
        {{-700, 450 * ys}, dateCaption(lib, s.date)},
        {{headX, 357 * ys}, "Major planets:"},
        {{headX, -160 * ys}, "Objects:"},
    };
    for (const auto& [at, text] : captions) placed.push_back(cell(at.x, at.y, text));

    // The axes, in logical units; a label that would stand on another text
    // moves beside it.
    dc.selectPen({fw::PenStyle::DashDot, 1, col[2]});
    static const struct {
        double x, y, z;
        const char* label;
    } kAxes[3] = {{550, 0, 0, "x"}, {0, 550, 0, "y"}, {0, 0, 500, "z"}};
    for (const auto& a : kAxes) {
        const Projected q = projectToView(a.x, a.y, a.z, proj.longitudeRad(), proj.latitudeRad());
        const int X = static_cast<int>(std::trunc(q.X)) + 100, Y = ys * static_cast<int>(std::trunc(q.Y));
        fw::Point label{X, Y};
        static constexpr int kShifts[][2] = {{0, 0}, {0, 1},  {0, -1}, {1, 0},  {-1, 0},
                                             {0, 2}, {0, -2}, {1, 1},  {-1, -1}};
        for (const auto& d : kShifts) {
            const fw::Point at{X + d[0] * th, Y + d[1] * th};
            const fw::Rect box = cell(at.x, at.y, a.label);
            if (!overlaps(box) && textFrame.inside({box.left, box.top}) && textFrame.inside({box.right, box.bottom})) {
                label = at;
                break;
            }
        }
        placed.push_back(cell(label.x, label.y, a.label));
        dc.textOut(label.x, label.y, a.label);
        dc.moveTo(100, 0);
        dc.lineTo(X, Y);
    }

    // The Sun.
    dc.selectPen(fw::Pen::solid(1, col[3]));
    dc.selectBrush(fw::Brush::solid(col[3]));
    dc.ellipse(90, -10, 110, 10);

    for (const auto& [at, text] : captions) dc.textOut(at.x, at.y, text);

    dc.selectPen(oldPen);
    dc.selectBrush(oldBrush);
    dc.selectFont(oldFont);
}

}  // namespace zelvo::orbit
