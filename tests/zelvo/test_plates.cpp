// The plate windows: the plate line and the object records of a plate
// search, the plate plot's picture (through the recording drawing context),
// its coordinate net checked against ERFA's tangent-plane routines, the
// settings file "plate.cfg", the metafile read back by libUEMF, the
// Magnitude check, and the plate list's own editing rules.
#include <erfa.h>
#include <gtest/gtest.h>
#include <uemf.h>
#include <uemf_safe.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "framework/emfdc.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "framework/recorddc.h"
#include "shell_support.h"
#include "zelvo/app/angles.h"
#include "zelvo/observations/platedata.h"
#include "zelvo/observations/platedialogs.h"
#include "zelvo/observations/platelist.h"
#include "zelvo/observations/platenet.h"
#include "zelvo/observations/plateplot.h"

using namespace zelvo;
using zeltest::FakeLibrary;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHour = kPi / 12, kMinT = kHour / 60, kSecT = kMinT / 60;
constexpr double kDeg = kPi / 180, kArcMin = kDeg / 60;

// A plate line built column by column from the layout.
std::string plate_line(const char* desig, const char* date, const char* ra, char sign, const char* dec,
                       const char* halfRa, const char* halfDec, const char* code = "500") {
    std::string l(80, ' ');
    auto put = [&l](std::size_t c, std::string_view t) { l.replace(c, t.size(), t); };
    put(0, desig);
    put(15, date);  // "yyyy mm dd.ddddd"
    put(32, ra);
    l[44] = sign;
    put(45, dec);
    put(58, halfRa);
    put(66, halfDec);
    put(77, code);
    return l;
}

// An object line as the library writes it (80 characters and two zeros).
std::string object_line(const char* name, int h, int m, double s, char sign, int d, int am, double as, double mag) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%-29.29s * %2d %2d %5.2f      %c%2d %2d %4.1f         %4.1f       ", name, h, m, s,
                  sign, d, am, as, mag);
    std::string l(buf, 80);
    l += std::string(2, '\0');
    return l;
}

// The line of an object at (alpha, delta) radians.
std::string object_at(const char* name, double alpha, double delta, double mag) {
    int ih[4], id[4];
    char s1, s2;
    eraA2tf(2, alpha, &s1, ih);
    eraA2af(1, delta, &s2, id);
    return object_line(name, ih[0], ih[1], ih[2] + ih[3] / 100.0, s2 == '-' ? '-' : ' ', id[0], id[1],
                       id[2] + id[3] / 10.0, mag);
}

std::string motion_bytes(std::initializer_list<std::pair<double, double>> rates) {
    std::string out;
    for (auto [a, d] : rates) {
        char b[16];
        std::memcpy(b, &a, 8);
        std::memcpy(b + 8, &d, 8);
        out.append(b, 16);
    }
    return out;
}

// The ordinary plate of the tests: centre 0h10m, +1 degree, 40 minutes of
// time by 6 degrees half sizes.
const std::string kPlate =
    plate_line("OPPOS-2025", "2025 09 21.53125", "00 10 00.00", '+', "01 00 00.0", "040.0", "06.0");

}  // namespace

// ---- Plate data ------------------------------------------------------------------------

TEST(PlateData, PlateLineParsesBothFormsOfEachAngle) {
    struct Case {
        const char* what;
        std::string line;
        int h, m;
        double s;
        char sign;
        int d, am;
        double as, day;
    };
    const Case cases[] = {
        {"seconds forms", plate_line("P1", "1998 03 12.41667", "05 35 17.30", '-', "05 23 28.0", "010.0", "02.5"), 5,
         35, 17.30, '-', 5, 23, 28.0, 12.41667},
        {"decimal minutes of R.A. (point in column 37)",
         plate_line("P2", "1998 03 12.5", "12 34.50", '+', "10 15 30.0", "010.0", "02.5"), 12, 34, 30.0, '+', 10, 15,
         30.0, 12.5},
        {"decimal arcminutes of Decl. (point in column 50)",
         plate_line("P3", "2001 11 02.00001", "23 59 59.99", ' ', "45 30.5", "010.0", "02.5"), 23, 59, 59.99, ' ', 45,
         30, 30.0, 2.00001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ParsedPlate p = ParsePlateLine(c.line);
        EXPECT_EQ(p.raHours, c.h);
        EXPECT_EQ(p.raMinutes, c.m);
        EXPECT_NEAR(p.raSeconds, c.s, 1e-9);
        EXPECT_EQ(p.declSign, c.sign);
        EXPECT_EQ(p.declDegrees, c.d);
        EXPECT_EQ(p.declMinutes, c.am);
        EXPECT_NEAR(p.declSeconds, c.as, 1e-9);
        // The day keeps every decimal it was given.
        EXPECT_DOUBLE_EQ(p.day, c.day);
        EXPECT_DOUBLE_EQ(p.raHalfSize, 10.0);
        EXPECT_DOUBLE_EQ(p.declHalfSize, 2.5);
    }
    const ParsedPlate p = ParsePlateLine(kPlate);
    EXPECT_EQ(p.designation, "OPPOS-2025    ");
    EXPECT_EQ(p.year, 2025);
    EXPECT_EQ(p.month, 9);
    EXPECT_EQ(p.observatory, 500);
    EXPECT_EQ(
        ParsePlateLine(plate_line("P", "2000 01 01.0", "01 00 00.00", '+', "01 00 00.0", "1", "1", "G96")).observatory,
        0);
    // The centre against ERFA's sexagesimal conversions.
    double a0 = 0, d0 = 0;
    ASSERT_EQ(eraTf2a('+', 0, 10, 0.0, &a0), 0);
    ASSERT_EQ(eraAf2a('+', 1, 0, 0.0, &d0), 0);
    EXPECT_NEAR(p.alpha0(), a0, 1e-15);
    EXPECT_NEAR(p.delta0(), d0, 1e-15);
}

TEST(PlateData, ObjectRecordsRoundTripAndNoObjectsRecordIsEmpty) {
    const std::string line = object_line("  589 Croatia", 0, 14, 45.24, '-', 0, 14, 26.2, 13.3);
    PlateObjectRecord r;
    ASSERT_TRUE(PlateObjectFromText(std::span<const char, 82>(line.data(), 82), r));
    EXPECT_EQ(r.raHours, 0);
    EXPECT_EQ(r.raMinutes, 14);
    EXPECT_NEAR(r.raSeconds, 45.24, 1e-12);
    EXPECT_EQ(r.declSign, '-');
    EXPECT_NEAR(r.magnitude, 13.3, 1e-12);
    EXPECT_EQ(r.flag, '*');
    EXPECT_EQ(r.nameText(), std::string("  589 Croatia").append(16, ' '));
    const PlateObjectText t = PlateObjectToText(r);
    EXPECT_EQ(std::string(t.data(), 82), line);
    // A southern object: its declination negative by the sign column.
    double d = 0;
    eraAf2a('-', 0, 14, 26.2, &d);
    EXPECT_NEAR(r.delta(), d, 1e-15);

    std::string none(80, ' ');
    none.replace(10, 10, "No objects");
    none += std::string(2, '\0');
    PlateObjectRecord n;
    n.raHours = 7;
    EXPECT_FALSE(PlateObjectFromText(std::span<const char, 82>(none.data(), 82), n));
    EXPECT_EQ(n, PlateObjectRecord{});
}

TEST(PlateData, LoadingKeepsObjectsOnThePlateWithTheirMotion) {
    const ParsedPlate p = ParsePlateLine(kPlate);
    const double a0 = p.alpha0(), d0 = p.delta0();
    // Inside, inside, far outside.
    std::string result = object_at("    1 Inside", a0 + 20 * kMinT, d0 + 2 * kDeg, 12.0) +
                         object_at("    2 South", a0 - 30 * kMinT, -4 * kDeg, 14.0) +
                         object_at("    3 Outside", a0 + 2 * kHour, d0, 11.0);
    const std::string motion = motion_bytes({{1e-3, 2e-4}, {-2e-3, 0.0}, {5e-3, 5e-3}});
    PlateObjects o = loadPlateObjects(result, &motion, kPlate);
    ASSERT_EQ(o.records.size(), 2u);
    EXPECT_TRUE(o.messages.empty());
    EXPECT_EQ(o.records[1].nameText().substr(0, 11), "    2 South");
    // The R.A. rate turned into tangent-plane motion: times cos(Decl.).
    EXPECT_NEAR(o.records[0].motionXi, 1e-3 * std::cos(o.records[0].delta()), 1e-15);
    EXPECT_NEAR(o.records[0].motionEta, 2e-4, 1e-15);
    EXPECT_EQ(std::string(o.texts[1].data(), 82), result.substr(82, 82));

    // Without the motion file: the objects stay, without motion, and the
    // user is told.
    o = loadPlateObjects(result, nullptr, kPlate);
    ASSERT_EQ(o.records.size(), 2u);
    EXPECT_EQ(o.records[0].motionXi, 0.0);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0], kMotionMessage);

    // Every object off the plate: one message after all were read.
    o = loadPlateObjects(
        object_at("    3 Outside", a0 + 2 * kHour, d0, 11.0) + object_at("    4 Outside", a0, d0 + 7 * kDeg, 11.0),
        &motion, kPlate);
    EXPECT_TRUE(o.records.empty());
    EXPECT_EQ(o.messages, std::vector<std::string>{kNoObjectsMessage});

    // The library's "No objects" record.
    std::string none(80, ' ');
    none.replace(10, 10, "No objects");
    none += std::string(2, '\0');
    o = loadPlateObjects(none, nullptr, kPlate);
    EXPECT_TRUE(o.records.empty());
    EXPECT_EQ(o.messages, std::vector<std::string>{kNoObjectsMessage});
}

TEST(PlateData, RecordNotInTheLibrarysFormStopsLoadingKeepingWhatCameBefore) {
    const ParsedPlate p = ParsePlateLine(kPlate);
    std::string result;
    for (int k = 0; k < 4; ++k) result += object_at("    7 Obj", p.alpha0() + k * kMinT, p.delta0(), 12.0);
    result[2 * 82 + 65] = 'x';  // a blank column of the third record
    const std::string motion = motion_bytes({{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    PlateObjects o = loadPlateObjects(result, &motion, kPlate);
    EXPECT_EQ(o.records.size(), 2u);
    EXPECT_EQ(o.messages, std::vector<std::string>{kConversionMessage});
    // An hour written with a leading zero is not the library's form either.
    std::string zero = object_at("    8 Obj", p.alpha0(), p.delta0(), 12.0);
    zero[32] = '0';
    o = loadPlateObjects(zero, &motion, kPlate);
    EXPECT_TRUE(o.records.empty());
    EXPECT_EQ(o.messages, std::vector<std::string>{kConversionMessage});
}

TEST(PlateData, ObjectOnTheEdgeIsOnThePlate) {
    const std::string line = plate_line("E", "2000 01 01.0", "03 00 00.00", '+', "00 00 00.0", "004.0", "01.0");
    const ParsedPlate p = ParsePlateLine(line);
    double tanRA = 0, tanDecl = 0;
    PlateHalfSizeTangents(p, tanRA, tanDecl);
    EXPECT_NEAR(tanRA, std::tan(4 * 15 * kArcMin), 1e-15);
    PlateObjectRecord r;
    r.raHours = 3;
    r.raMinutes = 3;
    r.raSeconds = 59.99;
    r.declSign = ' ';
    EXPECT_TRUE(IsObjectOnPlate(r, p, tanRA, tanDecl));
    r.raMinutes = 4;
    r.raSeconds = 0.01;
    EXPECT_FALSE(IsObjectOnPlate(r, p, tanRA, tanDecl));
    // Exactly on the edge: on the plate.
    double xi = 0, eta = 0;
    GnomonicProject(r.alpha(), r.delta(), p.alpha0(), p.delta0(), xi, eta);
    EXPECT_TRUE(IsObjectOnPlate(r, p, xi, tanDecl));
    EXPECT_TRUE(IsObjectOnPlate(r, p, -xi, tanDecl));
}

// ---- Coordinate net --------------------------------------------------------------------

TEST(PlateNet, StepTablesAtTheirBandEdges) {
    struct RaCase {
        double extent;
        RaStep step;
    };
    const double e8 = 1e-8;
    const RaCase ra[] = {
        {0, {0, 0, 6}},
        {2 * kMinT - e8 - 1e-12, {0, 0, 6}},
        {2 * kMinT - e8, {0, 0, 15}},
        {5 * kMinT, {0, 0, 30}},
        {6 * kMinT, {0, 1, 0}},
        {10 * kMinT, {0, 2, 0}},
        {39 * kMinT, {0, 5, 0}},
        {40 * kMinT, {0, 10, 0}},
        {2 * kHour, {0, 20, 0}},
        {4 * kHour, {0, 30, 0}},
        {8 * kHour, {1, 0, 0}},
        {12 * kHour - 2 * e8, {1, 0, 0}},
        {12 * kHour, {2, 0, 0}},
        {2 * kPi, {2, 0, 0}},
        {2 * kPi + 1e-9, {4, 0, 0}},
    };
    for (const RaCase& c : ra) {
        SCOPED_TRACE(c.extent);
        EXPECT_EQ(RaNetStep(c.extent), c.step);
    }
    struct DeclCase {
        double extent;
        DeclStep step;
    };
    const DeclCase dec[] = {
        {0, {0, 2}},
        {30 * kArcMin * (1 - 1e-12), {0, 2}},
        {30 * kArcMin, {0, 5}},
        {kDeg, {0, 10}},
        {1.5 * kDeg, {0, 15}},
        {2.5 * kDeg, {0, 30}},
        {5 * kDeg, {1, 0}},
        {10 * kDeg, {2, 0}},
        {15 * kDeg, {2, 30}},
        {30 * kDeg, {5, 0}},
        {60 * kDeg, {10, 0}},
        {120 * kDeg, {15, 0}},
        {kPi * (1 - 1e-12), {15, 0}},
        {kPi, {30, 0}},
    };
    for (const DeclCase& c : dec) {
        SCOPED_TRACE(c.extent);
        EXPECT_EQ(DeclNetStep(c.extent), c.step);
    }
}

TEST(PlateNet, FirstLinesAndLabels) {
    // 30-second step: same hour and minute, seconds advanced in whole seconds
    // until they round to a multiple of 30 (keeping their fraction).
    const double a = 2 * kHour + 17 * kMinT + 12.4 * kSecT;
    EXPECT_NEAR(RaNetStart(a, {0, 0, 30}), 2 * kHour + 17 * kMinT + 30.4 * kSecT, 1e-12);
    EXPECT_NEAR(RaNetStart(a, {0, 5, 0}), 2 * kHour + 20 * kMinT, 1e-12);
    EXPECT_NEAR(RaNetStart(a, {2, 0, 0}), 4 * kHour, 1e-12);
    // South: moved further south.
    EXPECT_NEAR(DeclNetStart(-(3 * kDeg + 7 * kArcMin + kArcMin / 60), {0, 30}), -(3 * kDeg + 30 * kArcMin), 1e-12);
    EXPECT_NEAR(DeclNetStart(-(3 * kDeg + 7 * kArcMin), {1, 0}), -4 * kDeg, 1e-12);
    EXPECT_NEAR(DeclNetStart(3 * kDeg + 7 * kArcMin, {2, 0}), 4 * kDeg, 1e-12);

    struct RaCase {
        double alpha;
        int h, m;
    };
    const RaCase labels[] = {{0, 0, 0},
                             {-10 * kMinT, 23, 50},          // 24 hours less the distance from 0h
                             {2 * kPi - 1e-9, 0, 0},         // a hair below 24h reads 0h
                             {2 * kPi + 20 * kMinT, 0, 20},  // past 24h
                             {13 * kHour + 40 * kMinT, 13, 40}};
    for (const RaCase& c : labels) {
        SCOPED_TRACE(c.alpha);
        const RaLabel l = raNetLabel(c.alpha);
        EXPECT_EQ(l.hours, c.h);
        EXPECT_EQ(l.minutes, c.m);
    }
    EXPECT_EQ(declNetLabel(-20 * kArcMin).degrees, "-0");
    EXPECT_EQ(declNetLabel(-20 * kArcMin).minutes, "20");
    EXPECT_EQ(declNetLabel(0).degrees, " 0");
    EXPECT_EQ(declNetLabel(0).minutes, "00");
    EXPECT_EQ(declNetLabel(12 * kDeg + 30 * kArcMin).degrees, "+12");
    EXPECT_EQ(declNetLabel(-5 * kDeg).degrees, "-5");
}

namespace {

// The picture of a plate drawn into a recording context.
struct Drawn {
    PlatePicture pic;
    fw::RecordingDc dc;
    Drawn(const std::string& line, std::vector<PlateObjectRecord> objects, bool net, int w = 700, int h = 600)
        : pic(line, std::move(objects)) {
        pic.netOn = net;
        pic.layout(w, h);
        pic.draw(dc);
    }
    std::vector<fw::DrawOp> ops(fw::DrawOp::Kind kind) const {
        std::vector<fw::DrawOp> out;
        for (const fw::DrawOp& op : dc.drawings())
            if (op.kind == kind) out.push_back(op);
        return out;
    }
};

// The sky position of a pixel of the drawing, by ERFA.
void sky_of(const PlateGeometry& g, double x, double y, double& a, double& d) {
    eraTpsts((g.cx - x) / g.scale, (g.cy - y) / g.scale, g.alpha0, g.delta0, &a, &d);
}

double wrap(double a) {
    a = std::fmod(a, 2 * kPi);
    return a < 0 ? a + 2 * kPi : a;
}

}  // namespace

TEST(PlateNet, EveryDotLiesOnItsNominalLine) {
    struct Case {
        const char* what;
        std::string line;
        NetMode mode;
    };
    const Case cases[] = {
        {"ordinary plate across 0h", kPlate, NetMode::Ordinary},
        {"small southern plate", plate_line("S", "2025 09 21.5", "00 02 00.00", '-', "00 20 00.0", "006.0", "01.0"),
         NetMode::Ordinary},
        {"north pole on the plate", plate_line("N", "2026 03 10.25", "06 00 00.00", '+', "89 00 00.0", "120.0", "02.0"),
         NetMode::NorthPole},
        {"south pole on the plate", plate_line("S", "2026 03 10.25", "18 00 00.00", '-', "88 30 00.0", "060.0", "03.0"),
         NetMode::SouthPole},
        {"centre at the pole", plate_line("C", "2026 03 10.25", "00 00 00.00", '+', "90 00 00.0", "060.0", "05.0"),
         NetMode::AtPole},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawn d(c.line, {}, true);
        const PlateGeometry& g = d.pic.geometry();
        EXPECT_EQ(d.pic.netMode(), c.mode);
        const NetRange range = plateNetRange(c.mode, g);
        const RaStep rs = RaNetStep(std::fabs(range.alphaMax - range.alphaMin));
        const DeclStep ds = DeclNetStep(std::fabs(range.deltaEnd - range.deltaStart));
        const double raStart = RaNetStart(range.alphaMin, rs), declStart = DeclNetStart(range.deltaStart, ds);
        // The dots: 2 x 2 ellipses inside the plate; the object dots are
        // 4 x 4, none here.
        const std::vector<fw::DrawOp> dots = d.ops(fw::DrawOp::Kind::Ellipse);
        ASSERT_GT(dots.size(), 100u);
        EXPECT_EQ(static_cast<int>(dots.size()), d.pic.netStats().dots);
        // Half a pixel of rounding, in radians at the dot's distance.
        int off = 0;
        for (const fw::DrawOp& op : dots) {
            const double x = op.logical[0].x + 1, y = op.logical[0].y + 1;
            EXPECT_TRUE(g.onPlate(static_cast<int>(x), static_cast<int>(y)));
            double a = 0, dd = 0;
            sky_of(g, x, y, a, dd);
            // Distance to the nearest R.A. line (on the sky) and declination line.
            const double kRa = std::round((wrap(a) - wrap(raStart)) / rs.radians());
            const double raOff =
                std::fabs(std::remainder(wrap(a) - wrap(raStart) - kRa * rs.radians(), 2 * kPi)) * std::cos(dd);
            const double kDe = std::round((dd - declStart) / ds.radians());
            const double deOff = std::fabs(dd - declStart - kDe * ds.radians());
            const double tol =
                1.0 / g.scale *
                (1 + std::hypot(g.cx - x, g.cy - y) * std::hypot(g.cx - x, g.cy - y) / (g.scale * g.scale));
            if (std::min(raOff, deOff) > tol) ++off;
        }
        EXPECT_EQ(off, 0);
        if (c.mode != NetMode::Ordinary) {
            // Lines of R.A. all round the pole, declination lines from it.
            EXPECT_GE(d.pic.netStats().raLines, 12);
            EXPECT_NEAR(std::fabs(range.deltaStart), kPi / 2, 1e-15);
        }
    }
}

TEST(PlateNet, EndsAndLabelsOnceWhereLinesLeaveThePlate) {
    // A plate of no height on the equator: its declination lines are one.
    const std::string flat = plate_line("F", "2025 09 21.5", "01 00 00.00", '+', "00 00 00.0", "010.0", "00.0");
    const ParsedPlate p = ParsePlateLine(flat);
    PlateGeometry g;
    g.alpha0 = p.alpha0();
    g.delta0 = p.delta0();
    PlateHalfSizeTangents(p, g.tanRA, g.tanDecl);
    g.halfW = 225;
    g.scale = 450 / (2 * g.tanRA);
    g.cx = g.x0 + 225;
    g.cy = g.y0;
    PlateNet flatNet(g, NetMode::Ordinary);
    fw::RecordingDc rec;
    flatNet.draw(rec);
    EXPECT_EQ(flatNet.stats().declLines, 1);

    // The ordinary plate: one label per R.A. line that crosses the bottom
    // edge at least 40 pixels from the last, left labels likewise.
    Drawn d(kPlate, {}, true);
    const std::vector<fw::DrawOp> texts = d.ops(fw::DrawOp::Kind::Text);
    std::vector<int> raLabelX, declLabelY;
    const PlateGeometry& pg = d.pic.geometry();
    for (const fw::DrawOp& op : texts) {
        if (op.text == "h" && op.clip.top > pg.y0 + pg.halfH) raLabelX.push_back(op.clip.right);
        if (op.text == "'" && op.clip.right < pg.x0) declLabelY.push_back(op.clip.top);
    }
    ASSERT_EQ(static_cast<int>(raLabelX.size()), d.pic.netStats().raLabels);
    ASSERT_GE(raLabelX.size(), 5u);
    for (std::size_t k = 1; k < raLabelX.size(); ++k) EXPECT_GE(std::abs(raLabelX[k] - raLabelX[k - 1]), 40);
    EXPECT_GE(declLabelY.size(), 4u);
    // The labels across 0h read 23h.. and 0h.., never 24h.
    std::set<std::string> hours;
    for (std::size_t k = 0; k + 1 < texts.size(); ++k)
        if (texts[k + 1].text == "h" && texts[k].clip.top > pg.y0 + pg.halfH) hours.insert(texts[k].text);
    EXPECT_TRUE(hours.count("23"));
    EXPECT_TRUE(hours.count("0"));
    EXPECT_FALSE(hours.count("24"));
}

// ---- The plot --------------------------------------------------------------------------

TEST(PlatePlot, SizesAndHalfSizeLimits) {
    // 450 pixels at most; a narrower or lower window gets a plate that
    // leaves room for the centre's declination right of it (130 pixels)
    // and stays inside: 560 - 90 - 130, 600 - 20 - 10.
    EXPECT_EQ(platePlotSizeFor(700, 600), 450);
    EXPECT_EQ(platePlotSizeFor(560, 700), 340);
    EXPECT_EQ(platePlotSizeFor(550, 700), 330);
    EXPECT_EQ(platePlotSizeFor(900, 300), 270);
    EXPECT_LT(platePlotSizeFor(221, 700), 2);
    const std::pair<double, double> decl[] = {{40, 40}, {45, 40}, {50, 40}, {55, 50}, {65, 55}, {75, 60}, {95, 95}};
    for (auto [h, want] : decl) EXPECT_EQ(ClampDeclHalfSize(h), want) << h;
    const std::pair<double, double> ra[] = {{160, 160}, {170, 160}, {210, 200}, {250, 220}, {300, 240}, {400, 400}};
    for (auto [h, want] : ra) EXPECT_EQ(ClampRaHalfSize(h), want) << h;
    // Too small a window draws nothing at all.
    Drawn tiny(kPlate, {}, false, 51, 700);
    EXPECT_TRUE(tiny.dc.ops().empty());
}

namespace {
bool boxes_overlap(const fw::Rect& a, const fw::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
}  // namespace

TEST(PlatePlot, ANarrowedPlateAndItsCentreLabelsStayInsideTheWindow) {
    const std::string tall = plate_line("TALL", "2025 09 21.53125", "03 50 35.27", '+', "20 12 34.5", "010.0", "06.0");
    for (const std::string& line : {kPlate, tall}) {
        for (auto [w, h] : {std::pair{700, 600}, std::pair{560, 700}, std::pair{420, 700}, std::pair{300, 260}}) {
            SCOPED_TRACE(::testing::Message() << line.substr(0, 4) << " " << w << " x " << h);
            Drawn d(line, {}, true, w, h);
            const PlateGeometry& g = d.pic.geometry();
            EXPECT_LE(g.x0 + 2 * g.halfW, w);
            EXPECT_LE(g.y0 + 2 * g.halfH, h);
            EXPECT_GE(std::max(g.halfW, g.halfH) * 2, std::min({450, w - 90 - 130, h - 30}) - 1);
            // Every text (the centre's coordinates, the date, the net's
            // labels) clear of every other.
            {
                const std::vector<fw::DrawOp> all = d.ops(fw::DrawOp::Kind::Text);
                for (std::size_t i = 0; i < all.size(); ++i)
                    for (std::size_t j = i + 1; j < all.size(); ++j)
                        EXPECT_FALSE(boxes_overlap(all[i].deviceBox.normalized(), all[j].deviceBox.normalized()))
                            << "\"" << all[i].text << "\" over \"" << all[j].text << "\"";
            }
            // The centre's coordinates and the date: inside too, and the
            // date off the plate.
            const fw::Rect plateBox{g.x0, g.y0, g.x0 + 2 * g.halfW, g.y0 + 2 * g.halfH};
            bool dated = false;
            for (const fw::DrawOp& op : d.ops(fw::DrawOp::Kind::Text)) {
                if (op.font != PlateSettings::defaultInfoFont()) continue;
                const fw::Rect b = op.deviceBox.normalized();
                EXPECT_LE(b.right, w) << op.text;
                EXPECT_LE(b.bottom, h) << op.text;
                if (op.text.rfind("T = ", 0) != 0) continue;
                dated = true;
                EXPECT_FALSE(boxes_overlap(b, plateBox)) << op.text;
            }
            EXPECT_TRUE(dated);
        }
    }
}

// The centre labels: every piece wholly inside the cell it is drawn in (so
// nothing is cut off), and the pieces read the centre's coordinates with
// every digit, in each of the four kinds of plate.
TEST(PlatePlot, CentreLabelsKeepEveryDigitOfTheSeconds) {
    struct Case {
        const char* what;
        std::string line;
        NetMode mode;
        const char* ra;
        const char* decl;
    } cases[] = {
        {"ordinary", plate_line("A", "2025 09 21.5", "03 50 35.27", '+', "20 12 34.5", "040.0", "06.0"),
         NetMode::Ordinary, "3h50m35.27s",
         "+20\xB0"
         "12'34.5\""},
        {"southern, small seconds", plate_line("B", "2025 09 21.5", "23 05 09.05", '-', "05 40 07.5", "020.0", "03.0"),
         NetMode::Ordinary, "23h05m09.05s",
         "-5\xB0"
         "40'07.5\""},
        {"north pole on the plate", plate_line("N", "2026 03 10.25", "06 10 45.93", '+', "89 12 34.5", "120.0", "02.0"),
         NetMode::NorthPole, "6h10m45.93s",
         "+89\xB0"
         "12'34.5\""},
        {"south pole on the plate", plate_line("S", "2026 03 10.25", "18 20 35.27", '-', "88 30 21.9", "060.0", "03.0"),
         NetMode::SouthPole, "18h20m35.27s",
         "-88\xB0"
         "30'21.9\""},
        {"centre at the pole", plate_line("C", "2026 03 10.25", "12 34 56.78", '+', "90 00 00.0", "060.0", "05.0"),
         NetMode::AtPole, "12h34m56.78s",
         "+90\xB0"
         "00'00.0\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawn d(c.line, {}, true);
        EXPECT_EQ(d.pic.netMode(), c.mode);
        std::string ra, decl;
        int pieces = 0;
        const PlateGeometry& g = d.pic.geometry();
        for (const fw::DrawOp& op : d.ops(fw::DrawOp::Kind::Text)) {
            if (op.font != PlateSettings::defaultInfoFont() || op.text.rfind("T = ", 0) == 0) continue;
            ++pieces;
            // Drawn right-aligned and clipped to its cell: wholly inside.
            ASSERT_NE(op.options & fw::text_out::kClipped, 0u) << op.text;
            EXPECT_GE(op.deviceBox.left, op.clip.left) << op.text;
            EXPECT_LE(op.deviceBox.right, op.clip.right) << op.text;
            (op.clip.top < 40 && op.clip.left < g.x0 + 2 * g.halfW ? ra : decl) += op.text;
        }
        EXPECT_EQ(pieces, 12);
        EXPECT_EQ(ra, c.ra);
        EXPECT_EQ(decl, c.decl);
    }
}

TEST(PlatePlot, DrawingSequencePlacesObjectsByTheProjection) {
    const ParsedPlate p = ParsePlateLine(kPlate);
    const std::string result = object_at("    1 East", p.alpha0() + 20 * kMinT, p.delta0() + 2 * kDeg, 12.0) +
                               object_at("    2 Edge", p.alpha0() - 39 * kMinT, p.delta0() - 5.5 * kDeg, 14.0);
    // The first moves a little; the second would leave the plate in a day.
    const std::string motion = motion_bytes({{1e-3, 1e-3}, {-2e-2, -2e-2}});
    PlateObjects o = loadPlateObjects(result, &motion, kPlate);
    ASSERT_EQ(o.records.size(), 2u);
    PlatePicture pic(kPlate, o.records);
    pic.motionOn = true;
    // Wide enough for the date right of the plate.
    pic.layout(800, 600);
    fw::RecordingDc dc;
    pic.draw(dc);
    const PlateGeometry& g = pic.geometry();
    // 20 minutes of time by 6 degrees at +1: wider than high.
    EXPECT_EQ(g.halfW, 225);
    EXPECT_NEAR(g.scale, 450 / (2 * std::tan(10 * kDeg)), 1e-9);
    EXPECT_EQ(g.halfH, static_cast<int>(std::lround(std::tan(6 * kDeg) * g.scale)));

    const std::vector<fw::DrawOp> all = dc.drawings();
    ASSERT_GE(all.size(), 4u);
    // Background, plate, the two objects.
    EXPECT_EQ(all[0].kind, fw::DrawOp::Kind::Pattern);
    EXPECT_EQ(all[0].brush.color, kPlateScreenColors[kBackground]);
    EXPECT_EQ(all[0].deviceBox.right, 800);
    EXPECT_EQ(all[1].kind, fw::DrawOp::Kind::Rectangle);
    EXPECT_EQ(all[1].logical[0].x, 90);
    EXPECT_EQ(all[1].logical[1].x, 90 + 450);
    EXPECT_EQ(all[1].brush.color, kPlateScreenColors[kSky]);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const fw::DrawOp& dot = all[2 + k];
        ASSERT_EQ(dot.kind, fw::DrawOp::Kind::Ellipse);
        EXPECT_EQ(dot.brush.color, kPlateScreenColors[kObjects]);
        double xi = 0, eta = 0;
        ASSERT_EQ(eraTpxes(o.records[k].alpha(), o.records[k].delta(), g.alpha0, g.delta0, &xi, &eta), 0);
        const int x = g.cx - static_cast<int>(std::lround(xi * g.scale));
        const int y = g.cy - static_cast<int>(std::lround(eta * g.scale));
        EXPECT_EQ(dot.logical[0].x, x - 2);
        EXPECT_EQ(dot.logical[0].y, y - 2);
        EXPECT_EQ(pic.pixels()[static_cast<std::size_t>(k)], (fw::Point{x, y}));
    }
    // One motion line: the second object's leads off the plate.
    int motionLines = 0;
    for (const fw::DrawOp& op : all)
        if (op.kind == fw::DrawOp::Kind::Line && op.pen.color == kPlateScreenColors[kMotion]) ++motionLines;
    EXPECT_EQ(motionLines, 1);
    bool date = false;
    for (const fw::DrawOp& op : all)
        if (op.kind == fw::DrawOp::Kind::Text && op.text == "T = 2025 09 21.53125") {
            date = true;
            EXPECT_EQ(op.logical[0], (fw::Point{90 + 450 + 20, 14}));
            EXPECT_EQ(op.font, PlateSettings::defaultInfoFont());
        }
    EXPECT_TRUE(date);
}

TEST(PlatePlot, ClicksShowObjectAndPointData) {
    const ParsedPlate p = ParsePlateLine(kPlate);
    PlateObjects o =
        loadPlateObjects(object_at("  589 Croatia", p.alpha0() + 5 * kMinT, -(14 * kArcMin + 26.2 / 3600 * kDeg), 13.3),
                         nullptr, kPlate);
    ASSERT_EQ(o.records.size(), 1u);
    PlatePicture pic(kPlate, o.records);
    pic.layout(700, 600);
    fw::RecordingDc dc;
    pic.draw(dc);
    const fw::Point at = pic.pixels()[0];
    EXPECT_EQ(pic.hit(at.x + 3, at.y - 3), 0);
    EXPECT_EQ(pic.hit(at.x + 4, at.y), -1);
    const ObjectInfo info = pic.objectInfo(0);
    EXPECT_EQ(info.name, "589 Croatia");
    EXPECT_EQ(info.raHours, "00");
    EXPECT_EQ(info.raMinutes, "15");
    EXPECT_EQ(info.declDegrees, "-00");
    EXPECT_EQ(info.declMinutes, "14");
    EXPECT_EQ(info.declSeconds, "26.2");
    EXPECT_EQ(info.magnitude, "13.30");

    const PlateGeometry& g = pic.geometry();
    ObjectInfo centre = pic.pointInfo(g.cx, g.cy);
    EXPECT_EQ(centre, (ObjectInfo{"00", "10", "00.00", " 01", "00", "00.0", "", ""}));
    // A point 100 pixels left and up, against ERFA.
    const ObjectInfo pt = pic.pointInfo(g.cx - 100, g.cy - 100);
    double a = 0, d = 0;
    eraTpsts(100 / g.scale, 100 / g.scale, g.alpha0, g.delta0, &a, &d);
    char s;
    int hms[4], dms[4];
    eraA2tf(2, wrap(a), &s, hms);
    eraA2af(1, d, &s, dms);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", hms[1]);
    EXPECT_EQ(pt.raMinutes, buf);
    std::snprintf(buf, sizeof buf, " %02d", dms[0]);
    EXPECT_EQ(pt.declDegrees, buf);
    std::snprintf(buf, sizeof buf, "%02d", dms[1]);
    EXPECT_EQ(pt.declMinutes, buf);
}

TEST(PlatePlot, EachPlotOwnsItsPixelsAndKeepsItsPlate) {
    const ParsedPlate p = ParsePlateLine(kPlate);
    const std::vector<PlateObjectRecord> one =
        loadPlateObjects(object_at("    1 A", p.alpha0(), p.delta0(), 10), nullptr, kPlate).records;
    const std::string other = plate_line("O", "2025 09 21.5", "00 20 00.00", '+', "03 00 00.0", "040.0", "06.0");
    PlatePicture first(kPlate, one), second(other, one);
    first.layout(700, 600);
    second.layout(400, 400);
    fw::RecordingDc dc;
    first.draw(dc);
    second.draw(dc);
    EXPECT_EQ(first.pixels()[0], (fw::Point{first.geometry().cx, first.geometry().cy}));
    EXPECT_NE(second.pixels()[0], first.pixels()[0]);
    EXPECT_EQ(first.plateLine(), kPlate);
}

TEST(PlatePlot, SettingsFileRoundTripsAndShortFilesKeepDefaults) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("plate.cfg").toStdString();
    PlateSettings s;
    EXPECT_EQ(s.infoFont.height, -13);
    EXPECT_EQ(s.infoFont.weight, 700);
    EXPECT_EQ(s.infoFont.charSet, 204);
    EXPECT_EQ(s.infoFont.pitchAndFamily, 0x31);
    EXPECT_EQ(s.labelsFont.height, -11);
    EXPECT_EQ(s.labelsFont.charSet, 0);
    s.colors[kObjects] = 0x123456;
    s.labelsFont.height = -20;
    ASSERT_TRUE(s.save(path));
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 152u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[16]), 0x56);  // colour 4, little-endian
    PlateSettings back;
    back.load(path);
    EXPECT_EQ(back.colors, s.colors);
    EXPECT_EQ(back.labelsFont, s.labelsFont);

    // 40 bytes: the colours and the first 8 bytes of the information font.
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        std::string cut = bytes.substr(0, 40);
        cut[32] = static_cast<char>(0xEC);  // height -20
        cut[33] = cut[34] = cut[35] = static_cast<char>(0xFF);
        out.write(cut.data(), 40);
    }
    PlateSettings part;
    part.load(path);
    EXPECT_EQ(part.colors[kObjects], 0x123456u);
    EXPECT_EQ(part.infoFont.height, -20);
    EXPECT_EQ(part.infoFont.weight, 700);
    EXPECT_EQ(part.labelsFont, PlateSettings::defaultLabelsFont());
}

namespace {
// A plot window on the objects of result, in a temporary working directory.
struct PlotWindow {
    QTemporaryDir dir;
    FakeLibrary lib;
    zelvo::AppContext ctx;
    std::unique_ptr<CPlateListDoc> doc;
    std::unique_ptr<CPlatePict> view;
    std::unique_ptr<QWidget> widget;
    std::vector<ObjectInfo> shown;

    PlotWindow(const std::string& result, const std::string& motion) {
        ctx.WorkDir = QDir(dir.path()).absolutePath().toStdString() + "/";
        std::ofstream(ctx.WorkDir + "result.pl4", std::ios::binary) << result;
        std::ofstream(ctx.WorkDir + "resul2.pl4", std::ios::binary) << motion;
        doc = std::make_unique<CPlateListDoc>(kPlate);
        EXPECT_TRUE(doc->onOpenDocument(ctx.WorkDir + "result.pl4"));
        view = std::make_unique<CPlatePict>(ctx, lib);
        view->showInfo = [this](const ObjectInfo& i) { shown.push_back(i); };
        view->attach(doc.get(), nullptr);
        widget.reset(view->createWidget(nullptr));
        widget->resize(800, 600);
        view->onInitialUpdate();
        view->view()->updateWindow();
    }
};
}  // namespace

TEST(PlatePlot, WindowMetafileIsReadBackWithPrintColoursAndScreenStays) {
    const ParsedPlate p = ParsePlateLine(kPlate);
    PlotWindow w(object_at("    1 A", p.alpha0() + 3 * kMinT, p.delta0(), 10) +
                     object_at("    2 B", p.alpha0() - 7 * kMinT, p.delta0() + kDeg, 11),
                 motion_bytes({{0, 0}, {0, 0}}));
    PlatePicture& pic = *w.view->picture();
    ASSERT_EQ(pic.objects().size(), 2u);
    pic.netOn = true;
    const std::vector<fw::Point> screen = pic.pixels();
    const std::string path = w.ctx.WorkDir + "Plate.emf";
    fw::ScriptedFileDialogService files;
    files.answers.push_back(path);
    {
        fw::ScopedFileDialogService scoped(files);
        w.view->OnFileSaveAs();
    }
    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_FALSE(files.asked[0].open);
    EXPECT_EQ(files.asked[0].defaultExt, "emf");
    EXPECT_EQ(files.asked[0].filter, "Windows Metafile (*.emf)|*.emf||");
    EXPECT_EQ(pic.settings.colors, kPlateScreenColors);
    {
        // A path that cannot be written: the message, no file, the screen
        // colours back.
        fw::ScriptedMessageService boxes;
        fw::ScopedMessageService useBoxes{boxes};
        fw::ScopedFileDialogService scoped(files);
        files.answers.push_back(w.ctx.WorkDir + "no-such-dir/Plate.emf");
        w.view->OnFileSaveAs();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, zeltest::emf_not_written(w.ctx.WorkDir + "no-such-dir/Plate.emf"));
        EXPECT_FALSE(std::filesystem::exists(w.ctx.WorkDir + "no-such-dir"));
        EXPECT_EQ(pic.settings.colors, kPlateScreenColors);
    }

    std::ifstream in(path, std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(file.size(), 108u);
    const char* limit = file.data() + file.size();
    std::size_t offset = 0;
    std::vector<std::pair<U_RECTL, U_COLORREF>> ellipses;
    U_COLORREF brush{};
    std::map<std::uint32_t, U_COLORREF> brushes;
    bool firstFill = true;
    U_COLORREF background{};
    while (offset < file.size()) {
        const char* rec = file.data() + offset;
        uint32_t size = 0, type = 0;
        ASSERT_TRUE(U_emf_record_sizeok(rec, limit, &size, &type, 1));
        ASSERT_TRUE(U_emf_record_safe(rec));
        if (type == U_EMR_CREATEBRUSHINDIRECT) {
            const auto* b = reinterpret_cast<const U_EMRCREATEBRUSHINDIRECT*>(rec);
            brushes[b->ihBrush] = b->lb.lbColor;
        }
        if (type == U_EMR_SELECTOBJECT) {
            const auto* s = reinterpret_cast<const U_EMRSELECTOBJECT*>(rec);
            if (brushes.count(s->ihObject)) brush = brushes[s->ihObject];
        }
        if (firstFill && (type == U_EMR_BITBLT || type == U_EMR_FILLRGN || type == U_EMR_RECTANGLE)) {
            firstFill = false;
            if (type == U_EMR_BITBLT) background = reinterpret_cast<const U_EMRBITBLT*>(rec)->crBkColorSrc;
            if (type == U_EMR_RECTANGLE) background = brush;
        }
        if (type == U_EMR_ELLIPSE) ellipses.push_back({reinterpret_cast<const U_EMRELLIPSE*>(rec)->rclBox, brush});
        offset += size;
    }
    EXPECT_EQ(offset, file.size());
    // The object dots in the print colour (blue) where the screen has them.
    int objects = 0;
    for (const auto& [box, color] : ellipses)
        if (box.right - box.left == 4) {
            ASSERT_LT(objects, 2);
            EXPECT_EQ(box.left + 2, screen[static_cast<std::size_t>(objects)].x);
            EXPECT_EQ(box.top + 2, screen[static_cast<std::size_t>(objects)].y);
            EXPECT_EQ(color.Blue, 255);
            EXPECT_EQ(color.Red, 0);
            ++objects;
        }
    EXPECT_EQ(objects, 2);
    EXPECT_GT(ellipses.size(), 100u);  // and the net
    (void)background;

    // A click 3 pixels off the first object shows it; closing gives Plot
    // of plate back.
    w.view->buttonDown(fw::MouseButton::Left, {screen[0].x + 3, screen[0].y});
    ASSERT_EQ(w.shown.size(), 1u);
    EXPECT_EQ(w.shown[0].name, "1 A");
    EXPECT_FALSE(pic.highlightOn);
    w.view.reset();
    // A plot whose colours were not changed leaves "plate.cfg" alone: the
    // file keeps the colours last chosen, not those of the plot closed last.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(w.ctx.WorkDir + "plate.cfg")));
}

// ---- Magnitude dialog and the plate list ------------------------------------------------

TEST(PlateDialogs, MagnitudeLimitIsCheckedAsTheSearchReadsIt) {
    FakeLibrary lib;
    struct Case {
        const char* text;
        bool ok;
    };
    const Case cases[] = {{"25.0", true}, {"0.0", true},      {" 18.5 ", true},  {"abc", false},
                          {"", false},    {"12.5  x", false}, {"1234567", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(checkMagnitudeLimit(lib, c.text), c.ok);
    }
    fw::ScriptedMessageService msgs;
    fw::ScopedMessageService scoped(msgs);
    CMagnitudeDlg dlg(lib);
    dlg.limitText = "x1";
    dlg.onInitDialog();
    dlg.onOK();
    ASSERT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(msgs.shown[0].text, kMagnitudeMessage);
    EXPECT_NE(dlg.result(), fw::kIdOk);
    dlg.limitText = "25.0";
    dlg.updateData(false);
    dlg.onOK();
    EXPECT_EQ(dlg.result(), fw::kIdOk);
    EXPECT_EQ(dlg.limitText, "25.0");
}

namespace {
struct FakeList final : ListControl {
    std::vector<int> sel;
    int count = 0;
    bool refuse = false;
    std::vector<int> selectedRows() const override { return sel; }
    int itemCount() const override { return count; }
    void setItemCount(int c) override { count = c; }
    bool deleteItem(int row) override {
        if (refuse) return false;
        --count;
        sel.erase(std::remove(sel.begin(), sel.end(), row), sel.end());
        return true;
    }
    void deselect(int row) override { sel.erase(std::remove(sel.begin(), sel.end(), row), sel.end()); }
    void clearSelection() override { sel.clear(); }
    void setFocusRow(int) override {}
    void ensureVisible(int) override {}
};
}  // namespace

TEST(PlateList, DeleteStringTakesOneLineAndAClickKeepsOneRow) {
    zelvo::AppContext ctx;
    LineListDocument doc(LineDocKind::Plates, 100, ctx);
    for (int i = 0; i < 6; ++i) doc.lines.push_back("plate " + std::to_string(i));
    FakeList list;
    list.count = 6;
    ctx.RowCount = 6;
    fw::ScriptedMessageService msgs;
    fw::ScopedMessageService scoped(msgs);

    deletePlateString(ctx, doc, list, "Fail: PlateView, Delete Item ");
    EXPECT_EQ(msgs.shown.back().text, kNoStringToDelete);
    list.sel = {2, 3};
    deletePlateString(ctx, doc, list, "Fail: PlateView, Delete Item ");
    ASSERT_EQ(doc.lines.size(), 5u);
    EXPECT_EQ(doc.lines[2], "plate 3");
    EXPECT_EQ(ctx.RowCount, 5);
    EXPECT_EQ(ctx.CurrentRow, 2);
    EXPECT_TRUE(doc.isModified());
    list.sel = {4};
    deletePlateString(ctx, doc, list, "x");
    EXPECT_EQ(ctx.CurrentRow, 4);  // one past the new last row
    list.refuse = true;
    list.sel = {0};
    deletePlateString(ctx, doc, list, "Fail: PlateView, Delete Item ");
    EXPECT_EQ(msgs.shown.back().text, "Fail: PlateView, Delete Item ");
    EXPECT_EQ(doc.lines.size(), 4u);

    // Row 2 chosen, then 2 and 5 with the control key: 2 stays alone.
    msgs.shown.clear();
    list.sel = {2};
    int kept = 0;
    choosePlateRow(ctx, list, kept);
    EXPECT_EQ(kept, 2);
    EXPECT_TRUE(msgs.shown.empty());
    list.sel = {2, 5};
    choosePlateRow(ctx, list, kept);
    EXPECT_EQ(list.sel, std::vector<int>{2});
    EXPECT_EQ(ctx.CurrentRow, 2);
    ASSERT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(msgs.shown[0].text, kTooManyStrings);
}

TEST(PlateList, ReportColumns) {
    EXPECT_EQ(FormatSexagesimalColumn(5, 3, 7.5), " 5  03  07.50");
    EXPECT_EQ(FormatSexagesimalColumn(12, 30, 45.25), "12  30  45.25");
    // The number right-aligned in 4 and two blanks, then the text from
    // index 5 without its last two characters.
    EXPECT_EQ(FormatObjectNameColumn("  589 Croatia                "), "  589   Croatia");
    EXPECT_EQ(FormatObjectNameColumn("    7 Iris  x"), "      7   Iris");
    EXPECT_EQ(FormatObjectNameColumn("02003 AB1   "), std::string(10, ' ') + " AB1");
    PlateObjectRecord r;
    std::memcpy(r.name.data(), "   12 Victoria", 14);
    r.declSign = '-';
    r.declDegrees = 5;
    r.declMinutes = 3;
    r.declSeconds = 7.5;
    r.magnitude = 9.876;
    const auto cols = plateObjectColumns(r);
    EXPECT_EQ(cols[2], "- 5  03  07.50");
    EXPECT_EQ(cols[3], "9.88");
    EXPECT_EQ(plateObjectCountText(0), "Total number of objects: 0");
}

TEST(PlatePlot, PrintedPageIsWhiteAndTheScreenKeepsItsLayout) {
    const ParsedPlate p = ParsePlateLine(kPlate);
    PlotWindow w(object_at("    1 A", p.alpha0() + 5 * kMinT, p.delta0(), 10), motion_bytes({{0, 0}}));
    PlatePicture& pic = *w.view->picture();
    const int screenSize = pic.plotSize;
    const fw::Point screenPixel = pic.pixels()[0];
    ASSERT_GT(screenSize, 2);
    fw::PrintInfo info;
    info.pageRect = QRect(0, 0, 1600, 1200);
    QImage page(1600, 1200, QImage::Format_RGB32);
    page.fill(Qt::black);
    w.view->onBeginPrinting(info);
    EXPECT_EQ(info.maxPage, 1);
    {
        QPainter painter(&page);
        w.view->onPrint(painter, info);
        // The page's plate: 485 units wide in a window of 800 x 600 mapped
        // onto the page (two device pixels a unit), from (20, 20).
        EXPECT_EQ(pic.geometry().halfW, RoundToNearest(485 / 2.0));
    }
    // White page, the object in the print colour (blue) at its mapped place.
    EXPECT_EQ(page.pixel(30, 30), qRgb(255, 255, 255));
    const fw::Point at = pic.pixels()[0];
    EXPECT_EQ(page.pixel(20 + 2 * at.x, 20 + 2 * at.y), qRgb(0, 0, 255));
    w.view->onEndPrinting(info);
    EXPECT_EQ(pic.settings.colors, kPlateScreenColors);
    EXPECT_EQ(pic.plotSize, screenSize);
    EXPECT_EQ(pic.pixels()[0], screenPixel);
}
