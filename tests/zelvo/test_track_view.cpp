// The track view: its conversions against ERFA, the clipping, the scale and
// input checks, "trace.cfg", the stepper on scripted motions, the finished
// picture on the recording back end, the Moon's phase, the Sun and the Moon
// of the real library against ERFA, the metafile read back by libUEMF, and
// the window's commands.
#include <erfa.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

#include "framework/emfdc.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "framework/qtdc.h"
#include "framework/recorddc.h"
#include "shell_support.h"
#include "zelvo/graphics/trackplot.h"
#include "zelvo/graphics/trackview.h"
#include "zelvomat/small_package.h"
#include "zelvomat/support.h"

extern "C" {
#include <uemf.h>
}

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zelvo::track;

namespace {

constexpr double kHour = kPi / 12.0;
constexpr double kDeg = kPi / 180.0;

// ---- Conversions ------------------------------------------------------------

TEST(TrackConversions, HoursAndDegreesAgreeWithErfa) {
    // Angles away from the rounding of the fourth decimal of the seconds.
    const double angles[] = {0.0123456, 1.0, 2.5, 3.14159, 4.71, 6.2, -0.00123, -0.3, -1.2345};
    for (double a : angles) {
        SCOPED_TRACE(a);
        char sign = '+';
        int f[4];
        eraA2tf(4, a, &sign, f);
        const Sexagesimal h = RadiansToHms(a);
        EXPECT_EQ(std::abs(h.units), f[0]);
        EXPECT_EQ(std::abs(h.minutes), f[1]);
        EXPECT_NEAR(h.seconds, f[2] + f[3] / 1e4, 1e-4);
        // The sign stands on the hours, or on the minutes of 0 hours.
        if (a < 0 && (h.units != 0 || h.minutes != 0)) {
            EXPECT_TRUE(h.units < 0 || (h.units == 0 && h.minutes < 0));
        }
        eraA2af(4, a, &sign, f);
        const Sexagesimal d = RadiansToDms(a);
        EXPECT_EQ(std::abs(d.units), f[0]);
        EXPECT_EQ(std::abs(d.minutes), f[1]);
        EXPECT_NEAR(d.seconds, f[2] + f[3] / 1e4, 1e-4);
    }
}

TEST(TrackConversions, TenMinuteGridAndRounding) {
    const double tenMinT = 10.0 / 60.0 * kHour, tenMinA = 10.0 / 60.0 * kDeg;
    struct Case {
        const char* what;
        double got, want;
    };
    const Case cases[] = {
        {"truncate 1h15m", TruncateToTenMinutes(0, 1.25 * kHour), 1 * kHour + tenMinT},
        {"truncate -1h15m", TruncateToTenMinutes(0, -1.25 * kHour), -(1 * kHour + tenMinT)},
        {"ceil 1h15m", CeilToTenMinutes(0, 1.25 * kHour), 1 * kHour + 2 * tenMinT},
        {"ceil -1h15m (toward zero)", CeilToTenMinutes(0, -1.25 * kHour), -(1 * kHour + tenMinT)},
        {"ceil on the grid stays", CeilToTenMinutes(1, 3 * tenMinA), 3 * tenMinA},
        {"ceil within tolerance stays", CeilToTenMinutes(1, 3 * tenMinA * (1 + 1e-7)), 3 * tenMinA},
        {"truncate 25 arc minutes", TruncateToTenMinutes(1, 25.0 / 60 * kDeg), 2 * tenMinA},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.got, c.want, 1e-12) << c.what;
    EXPECT_EQ(RoundAwayFromZero(2.3), 3);
    EXPECT_EQ(RoundAwayFromZero(-2.3), -3);
    EXPECT_EQ(RoundAwayFromZero(2.000001), 2);
    EXPECT_EQ(RoundAwayFromZero(-7.0), -7);
}

TEST(TrackConversions, ClippingToThePlot) {
    struct Case {
        const char* what;
        fw::Point outside, inside, want;
    };
    const Case cases[] = {
        {"left", {100, 100}, {200, 100}, {130, 100}},
        {"right, sloped", {830, 200}, {630, 100}, {730, 150}},
        {"above, vertical", {300, 500}, {300, 0}, {300, 370}},
        {"below, sloped", {200, -330}, {100 + 200, -130}, {250, -230}},
        {"corner: the nearer border point", {800, 440}, {700, 340}, {730, 370}},
    };
    for (const Case& c : cases) {
        const fw::Point p = ClipToPlotArea(c.outside, c.inside);
        EXPECT_EQ(p.x, c.want.x) << c.what;
        EXPECT_EQ(p.y, c.want.y) << c.what;
        EXPECT_TRUE(inPlot(p)) << c.what;
    }
}

// ---- Dialog checks -------------------------------------------------------------

TEST(TrackDialogs, ScaleChecks) {
    auto v = [](int fh, int fm, int th, int tm, const char* df, int dfm, const char* dt, int dtm) {
        ScaleValues s;
        s.raFromH = fh;
        s.raFromM = fm;
        s.raToH = th;
        s.raToM = tm;
        s.declFromDeg = df;
        s.declFromMin = dfm;
        s.declToDeg = dt;
        s.declToMin = dtm;
        return s;
    };
    struct Case {
        const char* what;
        ScaleValues values;
        const char* message;  // "" accepted
    };
    const Case cases[] = {
        {"24h to 0h: equal bounds", v(24, 0, 0, 0, "-10", 0, "10", 0),
         "Lower bound value in R.A. should not be equal to its upper bound"},
        {"24h to 5h", v(24, 0, 5, 0, "-10", 0, "10", 0), ""},
        {"22h to 2h crosses 0h", v(22, 0, 2, 0, "-10", 0, "10", 0), ""},
        {"24h30m", v(24, 30, 5, 0, "-10", 0, "10", 0),
         "Lower bound value in R.A. should be in the range from 0 to 24 hours"},
        {"upper R.A. 25h", v(1, 0, 25, 0, "-10", 0, "10", 0),
         "Upper bound value in R.A. should be in the range from 0 to 24 hours"},
        {"empty degrees with minutes", v(1, 0, 2, 0, "", 30, "10", 0), "Lower bound value in Decl. shouldn't be empty"},
        {"1a", v(1, 0, 2, 0, "1a", 0, "10", 0), "Lower bound value in Decl. should be a number value"},
        {"upper empty", v(1, 0, 2, 0, "1", 0, "", 0), "Upper bound value in Decl. shouldn't be empty"},
        {"upper +x", v(1, 0, 2, 0, "1", 0, "+x", 0), "Upper bound value in Decl. should be a number value"},
        {"lower -91", v(1, 0, 2, 0, "-91", 0, "10", 0),
         "Lower bound value in Decl. should be in the range from -90 to +90 degrees"},
        {"upper 90 30'", v(1, 0, 2, 0, "0", 0, "90", 30),
         "Upper bound value in Decl. should be in the range from -90 to +90 degrees"},
        {"lower not below upper", v(1, 0, 2, 0, "10", 0, "+10", 0),
         "Lower bound value in Decl. should be less then its upper bound"},
        {"-0 30' to 0", v(1, 0, 2, 0, "-0", 30, "0", 0), ""},
    };
    for (const Case& c : cases) {
        ScaleValues s = c.values;
        EXPECT_EQ(checkScaleValues(s), c.message) << c.what;
    }
    EXPECT_DOUBLE_EQ(declinationBound("+10", 0), declinationBound("10", 0));
    EXPECT_NEAR(declinationBound("-0", 30), -0.5 * kDeg, 1e-15);
    EXPECT_NEAR(declinationBound("-12", 30), -12.5 * kDeg, 1e-15);

    // 24h to 5h behaves as 0h to 5h.
    ScaleValues s = v(24, 0, 5, 0, "-10", 0, "10", 0);
    ASSERT_EQ(checkScaleValues(s), "");
    const auto w = skyWindowOf(s);
    EXPECT_NEAR(w[0], 24 * kHour, 1e-12);  // the shown window: a whole turn is the same place
    // The values shown for the whole sky and for a window round to the minute.
    const ScaleValues whole = scaleValuesOf({0.0, kTwoPi, -kPi / 2, kPi / 2});
    EXPECT_EQ(whole.raFromH, 0);
    EXPECT_EQ(whole.raToH, 24);
    EXPECT_EQ(whole.raToM, 0);
    EXPECT_EQ(whole.declFromDeg, "-90");
    EXPECT_EQ(whole.declToDeg, "90");
    const ScaleValues near0 = scaleValuesOf({1.5 * kHour + 40.0 / 3600 * kHour, 3 * kHour, -0.25 * kDeg, 10 * kDeg});
    EXPECT_EQ(near0.raFromM, 31);
    EXPECT_EQ(near0.declFromDeg, "-0");
    EXPECT_EQ(near0.declFromMin, 15);
    // Swapped declinations and equal bounds are put right.
    ScaleValues sw = v(2, 0, 2, 0, "10", 0, "-10", 0);
    const auto w2 = skyWindowOf(sw);
    EXPECT_LT(w2[2], w2[3]);
    EXPECT_NEAR(w2[1] - w2[0], 0.0001, 1e-12);
}

TEST(TrackDialogs, DaysOfTheMonth) {
    struct Case {
        int y, m;
        double d;
        bool ok;
    };
    const Case cases[] = {{2002, 1, 31.0, true}, {2002, 1, 31.9, true},  {2002, 4, 31.0, false}, {2002, 2, 29.0, false},
                          {2004, 2, 29.5, true}, {1900, 2, 29.0, false}, {2000, 2, 29.0, true},  {1500, 2, 29.0, true},
                          {2002, 1, 0.0, false}, {2002, 1, 0.5, false},  {2002, 12, 1.0, true}};
    for (const Case& c : cases)
        EXPECT_EQ(checkDay(c.y, c.m, c.d, "initial").empty(), c.ok) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_DOUBLE_EQ(packedDate(2002, 5, 1.5), 20020501.5);
}

// ---- "trace.cfg" -------------------------------------------------------------------

std::vector<std::uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::int32_t i32_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
double f64_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    double v;
    std::memcpy(&v, b.data() + at, 8);
    return v;
}

TEST(TraceCfg, DefaultsLayoutAndRoundTrip) {
    zeltest::ScopedWorkDir dir;
    TraceSettings s;
    s.read("trace.cfg");  // missing: the defaults
    EXPECT_EQ(s.names[0], "1 Ceres");
    EXPECT_EQ(s.numbers, (std::array<std::int32_t, 3>{1, 0, 0}));
    EXPECT_EQ(s.font.face(), "Courier New");
    EXPECT_EQ(s.font.height, -28);
    EXPECT_EQ(s.colors[Object3], fw::rgb(255, 255, 0));
    EXPECT_EQ(printPalette()[Object3], fw::rgb(0, 0, 255));

    s.names = {"1  CERES", "", "4  VESTA"};
    s.numbers = {1, 0, 4};
    s.year1 = 2025;
    s.month1 = 3;
    s.day1 = 15.25;
    s.step = 2.5;
    ASSERT_TRUE(s.write("trace.cfg"));
    const auto bytes = read_bytes("trace.cfg");
    ASSERT_EQ(bytes.size(), kTraceCfgBytes);
    // The fields stand at their unaligned offsets.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 8), "1  CERES");
    EXPECT_EQ(bytes[30], ' ');  // an empty name: one blank, then zeros
    EXPECT_EQ(bytes[31], 0);
    EXPECT_EQ(i32_at(bytes, 98), 4);
    EXPECT_EQ(i32_at(bytes, 102), 2025);
    EXPECT_DOUBLE_EQ(f64_at(bytes, 110), 15.25);
    EXPECT_DOUBLE_EQ(f64_at(bytes, 134), 2.5);
    EXPECT_EQ(static_cast<fw::Colorref>(i32_at(bytes, 142)), fw::rgb(0, 0, 128));
    EXPECT_EQ(i32_at(bytes, 182), -28);

    TraceSettings back;
    back.read("trace.cfg");
    EXPECT_EQ(back.names[1], " ");   // comes back as one blank
    EXPECT_EQ(back.bytes(), bytes);  // byte for byte

    // A file of 90 bytes: the names only.
    {
        std::ofstream out("short.cfg", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), 90);
    }
    TraceSettings part;
    part.read("short.cfg");
    EXPECT_EQ(part.names[2], "4  VESTA");
    EXPECT_EQ(part.numbers[2], 0);
    EXPECT_EQ(part.year1, 2002);
    // A file that cannot be written is said so.
    EXPECT_FALSE(s.write("no-such-dir/trace.cfg"));

    // Damaged dates and step: refused by name, the rest of the file taken.
    {
        auto damaged = bytes;
        const std::int32_t month13 = 13;
        const double nan = std::numeric_limits<double>::quiet_NaN(), tiny = 1e-300;
        std::memcpy(damaged.data() + 106, &month13, 4);
        std::memcpy(damaged.data() + 110, &nan, 8);
        std::memcpy(damaged.data() + 134, &tiny, 8);
        std::ofstream("damaged.cfg", std::ios::binary).write(reinterpret_cast<const char*>(damaged.data()), 242);
    }
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    TraceSettings hurt;
    hurt.read("damaged.cfg");
    EXPECT_EQ(hurt.names[2], "4  VESTA");
    EXPECT_EQ(hurt.year1, 2025);
    EXPECT_EQ(hurt.month1, 1);
    EXPECT_EQ(hurt.day1, 1.0);
    EXPECT_EQ(hurt.step, 10.0);
    EXPECT_EQ(hurt.font.height, -28);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "The file damaged.cfg holds values out of range (initial month, initial day, time step); they keep "
              "their defaults.");
}

// ---- The stepper on scripted motions ------------------------------------------------

// A library whose sky is a function of the date.
class ScriptedSky : public zeltest::FakeLibrary {
public:
    std::function<std::array<double, 5>(int, double)> sky;
    void MoonSun(int number, double jd, double* out) override {
        const auto r = sky(number, jd);
        for (int i = 0; i < 5; ++i) out[i] = r[static_cast<std::size_t>(i)];
    }
    // Object numbers that the name check gives, in order (0 when none is left).
    std::deque<int> controlNumbers;
    void Control(int kind, char* text, int len, int& number, double& jd, int& err) override {
        calls.push_back("Control " + std::to_string(kind) + " '" + std::string(text, static_cast<std::size_t>(len)) +
                        "'");
        number = 0;
        jd = 0;
        err = 0;
        if (!controlNumbers.empty()) {
            number = controlNumbers.front();
            controlNumbers.pop_front();
        }
        if (number == 0) err = 1;
    }
    void Track(const int*, double date1, double date2, double& step, double& raFrom, double& raTo, double& declFrom,
               double& declTo) override {
        calls.push_back("Track");
        double j1 = 0, j2 = 0;
        DateT(1, date1, j1);
        DateT(1, date2, j2);
        step = j2 - j1 > 200 ? 30 : j2 - j1 > 20 ? 10 : 1;
        raFrom = 1;
        raTo = 2;
        declFrom = 0;
        declTo = 0.5;
    }
};

// The lines a pass drew (device points of the recording).
std::vector<fw::DrawOp> lines_of(const fw::RecordingDc& dc) {
    std::vector<fw::DrawOp> out;
    for (const fw::DrawOp& op : dc.drawings())
        if (op.kind == fw::DrawOp::Kind::Line) out.push_back(op);
    return out;
}

struct Motion {
    const char* what;
    std::array<double, 4> window;  // R.A. from, to, Decl. from, to
    double days;
    std::function<std::array<double, 5>(double t)> at;  // t: days from the start
};

// Runs the tracks of one object through the timer's passes; the number of
// step passes until the end (-1 when it did not end within the limit).
int run_track(ScriptedSky& lib, TrackPicture& pic, fw::RecordingDc& dc, const Motion& m) {
    lib.sky = [&](int, double jd) { return m.at(jd - 2452275.5); };
    pic.ObjectNumber = {1, 0, 0};
    pic.StartJd = 2452275.5;
    pic.EndJd = pic.StartJd + m.days;
    pic.SkyWindow = m.window;
    pic.workFrom = m.window[0];
    pic.workTo = m.window[1];
    pic.updateScales();
    pic.render(Pass::Start, dc, 1000, 1000, false);
    for (int passes = 0; passes < 100000; ++passes) {
        if (!pic.tracksRunning()) return passes;
        pic.render(Pass::Step, dc, 1000, 1000, false);
    }
    return -1;
}

TEST(TrackStepper, ScriptedMotionsEndAndDrawWhatTheyShould) {
    const double rate = 0.2 * kDeg;  // per day
    const Motion motions[] = {
        {"across 0h, whole sky",
         {0, kTwoPi, -kPi / 2, kPi / 2},
         200.0,
         [=](double t) {
             return std::array<double, 5>{std::fmod(23.5 * kHour + rate * t, kTwoPi), 5 * kDeg + 0.01 * t * kDeg, rate,
                                          0.01 * kDeg, 8.0};
         }},
        {"retrograde across 0h, whole sky",
         {0, kTwoPi, -kPi / 2, kPi / 2},
         200.0,
         [=](double t) {
             double a = std::fmod(0.5 * kHour - rate * t, kTwoPi);
             if (a < 0) a += kTwoPi;
             return std::array<double, 5>{a, -5 * kDeg, -rate, 0.0, 8.0};
         }},
        {"near the pole, fast in R.A.",
         {0, kTwoPi, -kPi / 2, kPi / 2},
         60.0,
         [=](double t) {
             return std::array<double, 5>{std::fmod(1.0 + 0.5 * t, kTwoPi), 89.9 * kDeg, 0.5, 0.0, 8.0};
         }},
        {"standing object",
         {0, kTwoPi, -kPi / 2, kPi / 2},
         300.0,
         [](double) {
             return std::array<double, 5>{2.0, 0.3, 0.0, 0.0, 8.0};
         }},
        {"narrow window across 0h, leaving and coming back",
         {22 * kHour, 2 * kHour, -20 * kDeg, 20 * kDeg},
         300.0,
         [=](double t) {
             // An oscillation in R.A. about 0h of 3 hours.
             double a = 3 * kHour * std::sin(t / 30.0);
             if (a < 0) a += kTwoPi;
             return std::array<double, 5>{a, 10 * kDeg * std::cos(t / 50.0), 3 * kHour / 30.0 * std::cos(t / 30.0),
                                          -10 * kDeg / 50.0 * std::sin(t / 50.0), 8.0};
         }},
    };
    for (const Motion& m : motions) {
        SCOPED_TRACE(m.what);
        ScriptedSky lib;
        TrackPicture pic(lib);
        fw::RecordingDc dc({1000, 1000, 96, 96});
        const int passes = run_track(lib, pic, dc, m);
        ASSERT_GE(passes, 0) << "the track never ended";
        EXPECT_DOUBLE_EQ(pic.slot(0).date, pic.EndJd);
        const auto lines = lines_of(dc);
        for (const fw::DrawOp& op : lines) {
            // Nothing outside the plot, and no line across the picture.
            for (const fw::Point& p : op.logical) EXPECT_TRUE(inPlot(p)) << op.describe();
            EXPECT_LT(std::abs(op.logical[1].x - op.logical[0].x), 300) << op.describe();
        }
        if (std::string(m.what) == "standing object") {
            EXPECT_DOUBLE_EQ(pic.slot(0).step, pic.maxDt());
            EXPECT_DOUBLE_EQ(pic.maxDt(), 4.0);
            EXPECT_EQ(passes, 8);  // 75 steps of MaxDt, ten a pass
        } else {
            EXPECT_GT(lines.size(), 10u);
        }
    }
}

TEST(TrackStepper, LargestStepByTheInterval) {
    ScriptedSky lib;
    lib.sky = [](int, double) { return std::array<double, 5>{1.0, 0.0, 0.0, 0.0, 0.0}; };
    for (const auto& [days, maxDt] :
         {std::pair{1e-6, 1e-5}, std::pair{30.0, 0.4}, std::pair{401.0, 15.0}, std::pair{5000.0, 15.0}}) {
        TrackPicture pic(lib);
        pic.ObjectNumber = {1, 0, 0};
        pic.StartJd = 2452275.5;
        pic.EndJd = pic.StartJd + days;
        pic.updateScales();
        fw::RecordingDc dc;
        pic.render(Pass::Start, dc, 800, 600, false);
        EXPECT_DOUBLE_EQ(pic.maxDt(), maxDt) << days;
    }
}

// ---- The finished picture -----------------------------------------------------------

TEST(TrackPicture, StateMachineDrawsTheWholePicture) {
    ScriptedSky lib;
    lib.sky = [](int n, double jd) {
        const double t = jd - 2452275.5;
        if (n == -10) return std::array<double, 5>{19.0 * kHour, -23 * kDeg, 0, 0, 0};
        if (n == -11) return std::array<double, 5>{22.0 * kHour, -10 * kDeg, 0, 0, 45 * kDeg};
        return std::array<double, 5>{3 * kHour + 0.01 * t, 10 * kDeg, 0.01, 0.0, 7.2};
    };
    TrackPicture pic(lib);
    pic.ObjectNumber = {1, 0, 0};
    pic.ObjectName = {"1  CERES", "", ""};
    pic.StartJd = pic.ShownJd = 2452275.5;
    pic.EndJd = pic.StartJd + 120;
    pic.updateScales();
    pic.GridOn = true;
    pic.ShowSun = pic.ShowMoon = pic.sunStale = pic.moonStale = true;
    pic.FrameOnly = false;

    fw::RecordingDc work({1200, 800, 96, 96}), shown({1200, 800, 96, 96});
    bool copied = false;
    pic.DrawState = 3;
    int steps = 0;
    while (pic.DrawState != 7 && steps < 1000) {
        pic.stepDrawing(work, shown, 1200, 800, [&] { copied = true; });
        ++steps;
    }
    ASSERT_EQ(pic.DrawState, 7);
    EXPECT_TRUE(copied);
    // The work picture: sky, border, grid with 24h labels, the track.
    std::vector<std::string> texts;
    for (const fw::DrawOp& op : work.drawings())
        if (op.kind == fw::DrawOp::Kind::Text) texts.push_back(op.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), " 0"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "-90\xB0"
                        "00'"),
              texts.end());
    EXPECT_GT(lines_of(work).size(), 20u);
    // The legend: date, Sun, Moon, the object's block.
    std::vector<std::string> legend;
    int sunDisks = 0;
    for (const fw::DrawOp& op : shown.drawings()) {
        if (op.kind == fw::DrawOp::Kind::Text) legend.push_back(op.text);
        if (op.kind == fw::DrawOp::Kind::Ellipse && op.brush.color == fw::rgb(255, 200, 50)) ++sunDisks;
    }
    for (const char* want : {"T =  2002  1  1.00", " Sun", " Moon", "1  CERES", "R.A.  =", "Mag.  =", " 7.2",
                             "45\xB0"
                             "E"})
        EXPECT_NE(std::find(legend.begin(), legend.end(), want), legend.end()) << want;
    EXPECT_EQ(sunDisks, 2);  // on the sky and in the legend
}

// The rounded forms against ERFA's (eraA2tf, eraA2af with the places of
// the legend: 2 and 1 decimals of the seconds, -2 for whole minutes), at
// values just either side of a carry.
TEST(TrackConversions, RoundedFormsCarryAsErfaDoes) {
    const double angles[] = {0.0,
                             (5 + 59 / 60.0 + 59.996 / 3600.0) * kHour,
                             (5 + 59 / 60.0 + 59.994 / 3600.0) * kHour,
                             (23 + 59 / 60.0 + 59.9999 / 3600.0) * kHour,
                             (1 + 29 / 60.0 + 30.0001 / 3600.0) * kHour,
                             (1 + 29 / 60.0 + 29.9999 / 3600.0) * kHour,
                             -(59 / 60.0 + 59.996 / 3600.0) * kHour,
                             -(12 + 59.96 / 3600.0) * kHour,
                             0.5,
                             1.3};
    for (double a : angles) {
        SCOPED_TRACE(a);
        struct Form {
            const char* what;
            Sexagesimal got;
            void (*erfa)(int, double, char*, int*);
            int ndp;
        };
        const Form forms[] = {{"h m s.ss", roundedHms(a, 2), eraA2tf, 2},
                              {"d m s.s", roundedDms(a, 1), eraA2af, 1},
                              {"h m", roundedHm(a), eraA2tf, -2},
                              {"d m", roundedDm(a), eraA2af, -2}};
        for (const Form& f : forms) {
            SCOPED_TRACE(f.what);
            char sign = '+';
            int v[4];
            f.erfa(f.ndp, a, &sign, v);
            EXPECT_EQ(std::abs(f.got.units), v[0]);
            EXPECT_EQ(std::abs(f.got.minutes), v[1]);
            const double seconds = f.ndp > 0 ? v[2] + v[3] / std::pow(10.0, f.ndp) : v[2];
            EXPECT_NEAR(f.got.seconds, seconds, 1e-9);
            EXPECT_LT(f.got.seconds, 60.0);
            EXPECT_LT(f.got.minutes, 60);
            // The sign on the units, or on the minutes of 0 units.
            if (sign == '-' && (v[0] != 0 || v[1] != 0)) {
                EXPECT_TRUE(f.got.units < 0 || f.got.minutes < 0);
            }
        }
    }
}

// The object's block shows R.A. to 0.01 s and Decl. to 0.1": a value that
// rounds up to 60 carries into the minutes (and on into the units), as ERFA
// rounds it (eraA2tf, eraA2af).
TEST(TrackPicture, LegendValuesCarryTheirRounding) {
    auto hms = [](int h, int m, double s) { return (h + m / 60.0 + s / 3600.0) * kHour; };
    auto dms = [](int d, int m, double s) { return (std::abs(d) + m / 60.0 + s / 3600.0) * kDeg * (d < 0 ? -1 : 1); };
    struct Case {
        const char* what;
        double ra, dec;
    };
    const Case cases[] = {
        {"59.996 s and 59.96\" carry into the minutes", hms(5, 59, 59.996), dms(10, 59, 59.96)},
        {"no carry", hms(1, 2, 3.004), dms(10, 2, 3.04)},
        {"a minute below 24h", hms(23, 59, 59.999), dms(89, 59, 59.99)},
        {"half a hundredth rounds up", hms(12, 14, 59.995001), dms(-45, 29, 59.95001)},
        {"south, below a degree", hms(0, 0, 0.004), -(59.0 / 60.0 + 59.97 / 3600.0) * kDeg},
        {"south, a little below the equator", hms(7, 30, 0.0), -0.04 / 3600.0 * kDeg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedSky lib;
        lib.sky = [&c](int, double) { return std::array<double, 5>{c.ra, c.dec, 0.0, 0.0, 7.2}; };
        TrackPicture pic(lib);
        pic.ObjectNumber = {1, 0, 0};
        pic.ObjectName = {"1  CERES", "", ""};
        pic.StartJd = pic.ShownJd = pic.EndJd = 2452275.5;
        pic.updateScales();
        fw::RecordingDc dc({1200, 800, 96, 96});
        pic.render(Pass::Legend, dc, 1200, 800, true);
        std::vector<std::string> texts;
        for (const fw::DrawOp& op : dc.drawings())
            if (op.kind == fw::DrawOp::Kind::Text) texts.push_back(op.text);
        // The cells after "R.A.  =" and "Decl. =": value, unit sign, ...
        auto cells = [&](const char* label) {
            std::vector<std::string> v;
            auto it = std::find(texts.begin(), texts.end(), std::string(label));
            for (int k = 1; it != texts.end() && k <= 5 && it + k != texts.end(); k += 2) v.push_back(*(it + k));
            return v;
        };
        char sign = '+';
        int f[4];
        eraA2tf(2, eraAnp(c.ra), &sign, f);
        const std::vector<std::string> ra = {std::to_string(f[0] % 24), (f[1] < 10 ? "0" : "") + std::to_string(f[1]),
                                             [&] {
                                                 char b[16];
                                                 std::snprintf(b, sizeof b, "%02d.%02d", f[2], f[3]);
                                                 return std::string(b);
                                             }()};
        EXPECT_EQ(cells("R.A.  ="), ra);
        eraA2af(1, c.dec, &sign, f);
        char sec[16];
        std::snprintf(sec, sizeof sec, "%02d.%d", f[2], f[3]);
        const std::vector<std::string> dec = {(sign == '-' ? "-" : "") + std::to_string(f[0]),
                                              (f[1] < 10 ? "0" : "") + std::to_string(f[1]), sec};
        EXPECT_EQ(cells("Decl. ="), dec);
        for (const std::string& t : texts) {
            EXPECT_EQ(t.find("60.0"), std::string::npos) << t;
        }
    }
}

// The Sun's and the Moon's blocks show whole minutes: half a minute or
// more before the hour carries into the hour (and 24h into 0h), never "60".
TEST(TrackPicture, SunAndMoonMinutesCarryIntoTheHour) {
    const auto hms = [](int h, int m, double s) { return (h + m / 60.0 + s / 3600.0) * kHour; };
    const auto dm = [](int d, double m) { return (std::abs(d) + m / 60.0) * kDeg * (d < 0 ? -1 : 1); };
    ScriptedSky lib;
    lib.sky = [&](int n, double) {
        if (n == -10) return std::array<double, 5>{hms(23, 59, 45), dm(-5, 59.6), 0, 0, 0};
        return std::array<double, 5>{hms(11, 59, 30.5), dm(0, -59.7), 0, 0, 90 * kDeg};
    };
    TrackPicture pic(lib);
    pic.updateScales();
    pic.ShowSun = pic.ShowMoon = pic.sunStale = pic.moonStale = true;
    fw::RecordingDc dc({1200, 800, 96, 96});
    pic.render(Pass::Legend, dc, 1200, 800, true);
    std::vector<std::string> texts;
    for (const fw::DrawOp& op : dc.drawings())
        if (op.kind == fw::DrawOp::Kind::Text) texts.push_back(op.text);
    // The cells after each "R.A.   =" and "Decl.  =": value, sign, minutes.
    const auto after = [&](const char* label, int nth) {
        std::vector<std::string> v;
        auto it = texts.begin();
        for (int k = 0; k <= nth; ++k) it = std::find(k == 0 ? it : it + 1, texts.end(), std::string(label));
        for (int k = 1; it != texts.end() && k <= 3 && it + k != texts.end(); k += 2) v.push_back(*(it + k));
        return v;
    };
    // The Moon's block is drawn first, then the Sun's.
    EXPECT_EQ(after("R.A.   =", 0), (std::vector<std::string>{"12", "00"}));
    EXPECT_EQ(after("Decl.  =", 0), (std::vector<std::string>{"-1", "00"}));
    EXPECT_EQ(after("R.A.   =", 1), (std::vector<std::string>{"0", "00"}));
    EXPECT_EQ(after("Decl.  =", 1), (std::vector<std::string>{"-6", "00"}));
    for (const std::string& t : texts) EXPECT_NE(t, "60");
}

// The lit side of the Moon's phase picture faces the Sun: east of the Sun
// (elongation below 180 degrees) the Sun is west of the Moon, to the right
// of it on the picture, and the right side is lit.
TEST(TrackPicture, MoonLitSideFacesTheSun) {
    QImage image(1600, 1000, QImage::Format_RGB32);
    struct Case {
        double elong;  // degrees
        bool leftLit, rightLit;
    };
    const Case cases[] = {{10, false, false}, {45, false, true},  {90, false, true},
                          {135, false, true}, {180, true, true},  {225, true, false},
                          {270, true, false}, {315, true, false}, {350, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elong);
        ScriptedSky lib;
        const double sunRa = 6 * kHour;
        const double moonRa = std::fmod(sunRa + c.elong * kDeg, kTwoPi);
        lib.sky = [&](int n, double) {
            if (n == -10) return std::array<double, 5>{sunRa, 0, 0, 0, 0};
            return std::array<double, 5>{moonRa, 0, 0, 0, c.elong * kDeg};
        };
        TrackPicture pic(lib);
        pic.colors[Background] = fw::rgb(0, 0, 128);
        pic.updateScales();
        pic.ShowSun = pic.ShowMoon = pic.sunStale = pic.moonStale = true;
        fw::QtDc dc(&image);
        pic.render(Pass::Legend, dc, 1600, 1000, true);
        // Where the phase picture stands on the window (the mapping follows
        // the legend's width, so the font's): the leftmost disk 60 units
        // across, as the same drawing records it.
        fw::RecordingDc same({1600, 1000, 96, 96});
        pic.moonStale = pic.sunStale = true;
        pic.render(Pass::Legend, same, 1600, 1000, true);
        fw::Rect disk{};
        bool found = false;
        for (const fw::DrawOp& op : same.drawings())
            if (op.kind == fw::DrawOp::Kind::Ellipse && std::abs(op.logical[1].x - op.logical[0].x) == 60 &&
                (!found || op.deviceBox.left < disk.left)) {
                disk = op.deviceBox;
                found = true;
            }
        ASSERT_TRUE(found);
        // Sampled a ninth of the width in from either side, on the middle
        // line.
        const int mid = (disk.top + disk.bottom) / 2, in = std::max(2, disk.width() / 9);
        auto lit = [&](int x) { return image.pixel(x, mid) == qRgb(255, 255, 255); };
        EXPECT_EQ(lit(disk.left + in), c.leftLit);
        EXPECT_EQ(lit(disk.right - in), c.rightLit);
        // West, to the right on the picture, is where the Sun stands when
        // the Moon is less than half a turn east of it.
        const bool sunToTheRight = std::fmod(moonRa - sunRa + kTwoPi, kTwoPi) < kPi;
        if (c.leftLit != c.rightLit) {
            EXPECT_EQ(c.rightLit, sunToTheRight);
        }
    }
}

// ---- The real library: the Sun and the Moon against ERFA ------------------------------

TEST(TrackPicture, SunAndMoonOfTheLibraryAgreeWithErfa) {
    const std::string pkg = zeltest::small_package_dir();
    ASSERT_FALSE(pkg.empty()) << "the small data package cannot be built (see package-small/build.log)";
    zeltest::ScopedWorkDir work;
    for (const char* f : {"setpar", "setpath"})
        fs::copy_file(fs::path(pkg) / "work" / f, work.path() / f, fs::copy_options::overwrite_existing);
    ZelvomatLibrary lib;
    ASSERT_EQ(lib.inpo(), "");
    for (double jd : {2452275.5, 2455000.25, 2460676.5}) {
        SCOPED_TRACE(jd);
        // ERFA: the Sun seen from the geocentre (astrometric, the Sun's
        // light time changes it by far less than an arc second) and the
        // Moon of eraMoon98 (light time 1.3 s).
        double pvh[2][3], pvb[2][3], pvm[2][3];
        eraEpv00(jd, 0.0, pvh, pvb);
        const double sunRa = eraAnp(std::atan2(-pvh[0][1], -pvh[0][0]));
        const double sunDec = std::atan2(-pvh[0][2], std::hypot(pvh[0][0], pvh[0][1]));
        eraMoon98(jd, 0.0, pvm);
        const double moonRa = eraAnp(std::atan2(pvm[0][1], pvm[0][0]));
        const double moonDec = std::atan2(pvm[0][2], std::hypot(pvm[0][0], pvm[0][1]));

        TrackPicture pic(lib);
        pic.ShownJd = jd;
        pic.updateScales();
        pic.ShowSun = pic.ShowMoon = pic.sunStale = pic.moonStale = true;
        fw::RecordingDc dc({1200, 1000, 96, 96});
        pic.render(Pass::Legend, dc, 1200, 1000, false);
        // A unit of the picture is 0.6 degree: the cached places agree to
        // far better than that, and so do the disks' places.
        EXPECT_NEAR(pic.sunRa, sunRa, 10 / 3600.0 * kDeg);
        EXPECT_NEAR(pic.sunDecl, sunDec, 10 / 3600.0 * kDeg);
        EXPECT_NEAR(pic.moonRa, moonRa, 60 / 3600.0 * kDeg);
        EXPECT_NEAR(pic.moonDecl, moonDec, 60 / 3600.0 * kDeg);
        const fw::Point s = pic.skyPoint(sunRa, sunDec);
        bool found = false;
        for (const fw::DrawOp& op : dc.drawings())
            if (op.kind == fw::DrawOp::Kind::Ellipse && op.brush.color == fw::rgb(255, 200, 50) &&
                op.logical[0].x > 120) {
                const int cx = (op.logical[0].x + op.logical[1].x) / 2, cy = (op.logical[0].y + op.logical[1].y) / 2;
                if (cx == 520) continue;  // the legend's disk
                EXPECT_NEAR(cx, s.x, 1);
                EXPECT_NEAR(cy, s.y, 1);
                found = true;
            }
        EXPECT_TRUE(found);
    }
    lib.Closlae();
}

// ---- The window ------------------------------------------------------------------------

struct ViewFixture {
    zeltest::ScopedWorkDir dir;
    ScriptedSky lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    AppContext ctx;
    ViewFixture() {
        lib.sky = [](int n, double jd) {
            const double t = jd - 2452275.5;
            if (n < 0) return std::array<double, 5>{1.0, 0.1, 0, 0, 1.0};
            return std::array<double, 5>{2.0 + 0.005 * t, 0.2, 0.005, 0.0, 9.0};
        };
    }
};

// Makes the view's window of a size and runs its drawing to the end.
void finish(CTraceView& v) {
    for (int i = 0; i < 100000 && v.drawingRunning(); ++i) v.timer(1);
}

TEST(TrackWindow, InputStepScaleAndTimeButtons) {
    ViewFixture f;
    f.lib.controlNumbers = {0};  // the first object is kept as saved; the second is wrong
    auto view = std::make_unique<CTraceView>(f.ctx, f.lib);
    QWidget* w = view->createWidget(nullptr);
    w->resize(900, 600);
    view->resized(900, 600);
    view->onInitialUpdate();
    ASSERT_TRUE(view->picture().FrameOnly);
    EXPECT_NE(std::find(f.lib.calls.begin(), f.lib.calls.end(), "Inpo"), f.lib.calls.end());

    // Input: the saved "1 Ceres" and a wrong second object.
    view->runDialog = [](fw::Dialog& d) {
        auto& in = dynamic_cast<CTraceInputDlg&>(d);
        in.objects[1] = "NOSUCH";
        return fw::kIdOk;
    };
    view->OnTracksInputData();
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].title, "Error!");
    EXPECT_EQ(f.boxes.shown[0].text, "Wrong name or number of the 2nd minor planet");
    EXPECT_EQ(view->picture().ObjectNumber, (std::array<std::int32_t, 3>{1, 0, 0}));
    EXPECT_TRUE(view->commandsEnabled());
    EXPECT_DOUBLE_EQ(view->picture().TimeStep, 10.0);  // 120 days
    finish(*view);
    EXPECT_EQ(view->picture().DrawState, 1);

    // Forward stops at the end, backward at the start.
    auto& pic = view->picture();
    for (int i = 0; i < 20; ++i) view->OnTimeForward();
    EXPECT_DOUBLE_EQ(pic.ShownJd, pic.EndJd);
    for (int i = 0; i < 20; ++i) view->OnTimeBackward();
    EXPECT_DOUBLE_EQ(pic.ShownJd, pic.StartJd);

    // Step: changed without redrawing; the window paints while the dialog
    // is up (the lock is not held around it).
    CTraceView* v = view.get();
    int painted = 0;
    view->runDialog = [v, &painted](fw::Dialog& d) {
        v->view()->invalidate(false);
        v->view()->updateWindow();
        ++painted;
        dynamic_cast<CTraceStepDlg&>(d).step = 3.5;
        return fw::kIdOk;
    };
    view->OnTracksStep();
    EXPECT_EQ(painted, 1);
    EXPECT_DOUBLE_EQ(pic.TimeStep, 3.5);
    EXPECT_FALSE(view->drawingRunning());

    // Dates that give no interval (past the dialog's checks) are refused
    // and change nothing.
    const double start = pic.StartJd;
    view->runDialog = [](fw::Dialog& d) {
        auto& in = dynamic_cast<CTraceInputDlg&>(d);
        in.year2 = in.year1 - 1;
        return fw::kIdOk;
    };
    const std::size_t shown = f.boxes.shown.size();
    view->OnTracksInputData();
    ASSERT_EQ(f.boxes.shown.size(), shown + 1);
    EXPECT_NE(f.boxes.shown.back().text.find("no interval"), std::string::npos);
    EXPECT_DOUBLE_EQ(pic.StartJd, start);
    EXPECT_FALSE(view->drawingRunning());

    // Scale: a window across 0h.
    view->runDialog = [](fw::Dialog& d) {
        auto& s = dynamic_cast<CTraceScaleDlg&>(d);
        s.values.raFromH = 22;
        s.values.raToH = 4;
        s.values.declFromDeg = "-30";
        s.values.declToDeg = "40";
        return fw::kIdOk;
    };
    view->OnTracksScale();
    EXPECT_TRUE(view->drawingRunning());
    EXPECT_NEAR(pic.ScaleX, 600 / (6 * kHour), 1e-9);
    finish(*view);

    // The objects, dates and step survive in "trace.cfg".
    view.reset();
    delete w;
    TraceSettings s;
    s.read("trace.cfg");
    EXPECT_EQ(s.names[0], "1 Ceres");  // kept as it was saved: the library was not asked
    EXPECT_EQ(s.names[1], " ");
    EXPECT_DOUBLE_EQ(s.step, 3.5);
    EXPECT_EQ(f.lib.calls.back(), "Closlae");
}

TEST(TrackWindow, NoObjectNoTrackCallAndNoDay) {
    ViewFixture f;
    auto view = std::make_unique<CTraceView>(f.ctx, f.lib);
    QWidget* w = view->createWidget(nullptr);
    view->resized(700, 500);
    view->onInitialUpdate();
    view->runDialog = [](fw::Dialog& d) {
        auto& in = dynamic_cast<CTraceInputDlg&>(d);
        in.objects = {"  ", "", ""};
        return fw::kIdOk;
    };
    view->OnTracksInputData();
    EXPECT_EQ(std::count(f.lib.calls.begin(), f.lib.calls.end(), "Track"), 0);
    EXPECT_FALSE(view->commandsEnabled());
    finish(*view);
    EXPECT_TRUE(f.boxes.shown.empty());

    // The input dialog refuses a day that the month does not have.
    CTraceInputDlg dlg(f.lib);
    dlg.year1 = 2002;
    dlg.month1 = 4;
    dlg.day1 = 1;
    dlg.year2 = 2002;
    dlg.month2 = 4;
    dlg.day2 = 1;
    dlg.updateData(false);
    dlg.dateEdit(5)->setText(QStringLiteral("31"));
    EXPECT_FALSE(dlg.updateData(true));
    ASSERT_FALSE(f.boxes.shown.empty());
    EXPECT_NE(f.boxes.shown.back().text.find("no day 31"), std::string::npos);
    dlg.dateEdit(5)->setText(QStringLiteral("30"));
    EXPECT_TRUE(dlg.updateData(true));
    // Step dialog: its range.
    CTraceStepDlg step;
    for (const auto& [text, ok] : {std::pair{"0.01", true}, std::pair{"10000", true}, std::pair{"0.009", false},
                                   std::pair{"10001", false}, std::pair{"x", false}}) {
        step.stepEdit()->setText(QString::fromLatin1(text));
        EXPECT_EQ(step.updateData(true), ok) << text;
    }
    // Settings that cannot be written are said so.
    view->settingsPath = "no-such-dir/trace.cfg";
    const std::size_t before = f.boxes.shown.size();
    view.reset();
    delete w;
    ASSERT_EQ(f.boxes.shown.size(), before + 1);
    EXPECT_EQ(f.boxes.shown.back().text.rfind("Cannot write the file no-such-dir/trace.cfg.\n", 0), 0u);
}

TEST(TrackWindow, MetafileAndPrintPalette) {
    ViewFixture f;
    f.lib.controlNumbers = {1};
    auto view = std::make_unique<CTraceView>(f.ctx, f.lib);
    QWidget* w = view->createWidget(nullptr);
    view->resized(900, 600);
    view->onInitialUpdate();
    view->runDialog = [](fw::Dialog& d) {
        dynamic_cast<CTraceInputDlg&>(d).objects = {"4", "5", "6"};
        return fw::kIdOk;
    };
    f.lib.controlNumbers = {1, 2, 3};
    view->OnTracksInputData();
    finish(*view);

    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    files.answers = {std::string("out.emf")};
    view->OnFileSaveAs();
    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_EQ(files.asked[0].defaultExt, "emf");
    // The screen colours are back.
    EXPECT_EQ(view->picture().colors[Object3], fw::rgb(255, 255, 0));

    // libUEMF reads the metafile: a valid header, and the third object's
    // pen in blue (the print palette), never yellow.
    const auto bytes = read_bytes("out.emf");
    ASSERT_GT(bytes.size(), 200u);
    std::vector<char> copy(bytes.begin(), bytes.end());
    const char* end = copy.data() + copy.size();
    bool blue = false, yellow = false;
    int records = 0;
    for (const char* p = copy.data(); p + 8 <= end;) {
        const auto* rec = reinterpret_cast<const U_EMR*>(p);
        if (rec->nSize < 8 || p + rec->nSize > end) break;
        if (records == 0) {
            EXPECT_EQ(rec->iType, static_cast<uint32_t>(U_EMR_HEADER));
        }
        if (rec->iType == U_EMR_CREATEPEN) {
            const auto* pen = reinterpret_cast<const U_EMRCREATEPEN*>(p);
            const U_COLORREF c = pen->lopn.lopnColor;
            if (c.Red == 0 && c.Green == 0 && c.Blue == 255) blue = true;
            if (c.Red == 255 && c.Green == 255 && c.Blue == 0) yellow = true;
        }
        ++records;
        if (rec->iType == U_EMR_EOF) break;
        p += rec->nSize;
    }
    EXPECT_GT(records, 100);
    EXPECT_TRUE(blue);
    EXPECT_FALSE(yellow);

    // A metafile that cannot be written is said so, with the file and the
    // reason.
    files.answers = {std::string("no-such-dir/out.emf")};
    view->OnFileSaveAs();
    ASSERT_FALSE(f.boxes.shown.empty());
    EXPECT_EQ(f.boxes.shown.back().text, zeltest::emf_not_written("no-such-dir/out.emf"));

    // Printing: the print palette while it lasts, the screen one after.
    fw::PrintInfo info;
    view->onBeginPrinting(info);
    EXPECT_EQ(view->picture().colors[Object3], fw::rgb(0, 0, 255));
    QImage page(800, 1100, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        info.pageRect = QRect(0, 0, 800, 1100);
        view->onPrint(painter, info);
    }
    view->onEndPrinting(info);
    EXPECT_EQ(view->picture().colors[Object3], fw::rgb(255, 255, 0));
    EXPECT_TRUE(view->picture().GridOn);
    view.reset();
    delete w;
}

// The object fields of the input dialog are fixed-width (30 characters):
// the name kept after the number shows without its trailing blanks and takes
// more typing at its end; what is read is padded to the width.
TEST(TrackWindow, InputObjectFieldsShowTrimmedTakeTypingAndReadPadded) {
    zeltest::FakeLibrary lib;
    CTraceInputDlg dlg(lib);
    dlg.year1 = dlg.year2 = 2026;
    dlg.month1 = dlg.month2 = 1;
    dlg.day1 = 1;
    dlg.day2 = 2;
    struct Case {
        std::string stored;
        const char* shown;
        bool atEnd;  // typed at the end of the shown text, else over it
        const char* typed;
        std::string read;
    } cases[] = {
        {"1  Ceres" + std::string(21, ' '), "1  Ceres", true, "x", "1  Ceresx" + std::string(21, ' ')},
        {"4  Vesta" + std::string(21, ' '), "4  Vesta", false, "433", "433" + std::string(27, ' ')},
        {"", "", false, "1234567890123456789012345678901", "123456789012345678901234567890"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        dlg.objects = {c.stored, "", ""};
        dlg.updateData(false);
        QLineEdit* e = dlg.objectEdit(0);
        EXPECT_EQ(e->text().toStdString(), c.shown);
        e->setFocus(Qt::TabFocusReason);
        if (c.atEnd)
            e->end(false);
        else
            e->selectAll();
        zeltest::type_text(e, QString::fromLatin1(c.typed));
        ASSERT_TRUE(dlg.updateData(true));
        EXPECT_EQ(dlg.objects[0], c.read);
    }
}

}  // namespace
