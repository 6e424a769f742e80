// The layout of the plots' texts, read from the recording drawing context:
// for the histogram, the distribution (plane and box), the orbit view and
// the track view, in a small window (640 x 480), a large one (1600 x 1000)
// and on a printed A4 page, no two texts overlap, every text lies inside
// the page, no bar covers a text and every axis carries values. The
// metafiles' frames are the bounds of what they draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "framework/emfdc.h"
#include "framework/recorddc.h"
#include "shell_support.h"
#include "zelvo/graphics/elplot.h"
#include "zelvo/graphics/orbitscene.h"
#include "zelvo/graphics/trackplot.h"

namespace {

using namespace zelvo::elements;

struct Page {
    const char* name;
    fw::DeviceInfo device;
    bool printed;
};
// A4 at 600 dpi, as the printer hands it over.
const Page kPages[] = {
    {"640x480", {640, 480, 96, 96}, false},
    {"1600x1000", {1600, 1000, 96, 96}, false},
    {"A4", {4961, 7016, 600, 600}, true},
};

struct TextBox {
    std::string text;
    fw::Rect box;  // device units
};

std::vector<TextBox> text_boxes(const fw::RecordingDc& dc) {
    std::vector<TextBox> out;
    for (const fw::DrawOp& op : dc.drawings())
        if (op.kind == fw::DrawOp::Kind::Text) out.push_back({op.text, op.deviceBox.normalized()});
    return out;
}

bool overlap(const fw::Rect& a, const fw::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Every text inside the page, none over another, none blank.
void expect_clear_and_inside(const fw::RecordingDc& dc, const fw::DeviceInfo& page) {
    const std::vector<TextBox> texts = text_boxes(dc);
    ASSERT_FALSE(texts.empty());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const TextBox& a = texts[i];
        SCOPED_TRACE("\"" + a.text + "\"");
        EXPECT_NE(a.text.find_first_not_of(' '), std::string::npos) << "a text of blanks";
        EXPECT_GE(a.box.left, 0);
        EXPECT_GE(a.box.top, 0);
        EXPECT_LE(a.box.right, page.width);
        EXPECT_LE(a.box.bottom, page.height);
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            EXPECT_FALSE(overlap(a.box, texts[j].box)) << "over \"" << texts[j].text << "\"";
    }
}

bool has_text(const fw::RecordingDc& dc, const std::string& s) {
    for (const TextBox& t : text_boxes(dc))
        if (t.text == s) return true;
    return false;
}

// ---- Histogram and distribution ----------------------------------------------------------

// A catalogue-like sample: most objects in the first bins (the tallest bar
// holds thousands, so its label has four digits).
std::vector<double> skewed(int n, double scale, unsigned seed) {
    std::mt19937 rng(seed);
    std::exponential_distribution<double> e(1.0);
    std::vector<double> v(static_cast<std::size_t>(n));
    for (double& x : v) x = scale * e(rng);
    return v;
}

struct HistCase {
    const char* what;
    int index;
    double scale;
    int fixedObject;
};

// Draws the histogram as its window does on the page: the window's canvas
// on the screen, the printer's mapping on paper.
void draw_on(fw::RecordingDc& dc, const Page& page, const HistogramPlot& plot) {
    if (page.printed) {
        const fw::Size canvas = preparePlotPage(dc, page.device.width, page.device.height);
        drawHistogram(dc, plot, kHistPrintColors, plotDefaultFont(), true, canvas);
    } else {
        const fw::Size canvas = windowCanvas({page.device.width, page.device.height}, histogramMinimumCanvas());
        drawHistogram(dc, plot, kHistDefaultColors, plotDefaultFont(), false, canvas);
    }
}

TEST(PlotLayout, HistogramTextsStandClearOnScreenAndPaper) {
    const HistCase cases[] = {
        {"a", 10, 0.3, 0},
        {"H+5*lg(a(a-1))", 17, 3.0, 0},
        {"MOID(433)", 22, 0.05, 433},
    };
    for (const HistCase& c : cases) {
        const std::vector<double> v = skewed(7096, c.scale, 7);
        const HistProposal p = proposeHistogram(v, c.index);
        HistogramPlot plot;
        plot.request = *computeHistogram(v, c.index, p.min, p.max, p.step);
        plot.request.FixedObjectNumber = c.fixedObject;
        plot.layout = layoutHistogram(plot.request);
        for (const Page& page : kPages) {
            SCOPED_TRACE(std::string(c.what) + " on " + page.name);
            fw::RecordingDc dc(page.device);
            draw_on(dc, page, plot);
            expect_clear_and_inside(dc, page.device);
            // The largest count's label is whole (no bar drawn over it) and
            // the mean is there.
            const int largest = plot.layout.largest;
            const int step = plot.layout.yTickStep;
            const std::string top = std::to_string((largest / (2 * step)) * 2 * step);
            EXPECT_TRUE(has_text(dc, top)) << top;
            bool mean = false;
            for (const TextBox& t : text_boxes(dc)) mean = mean || t.text.find("mean value = ") != std::string::npos;
            EXPECT_TRUE(mean);
            for (const fw::DrawOp& bar : dc.drawings()) {
                if (bar.kind != fw::DrawOp::Kind::Pattern && bar.kind != fw::DrawOp::Kind::Rectangle) continue;
                for (const TextBox& t : text_boxes(dc))
                    EXPECT_FALSE(overlap(bar.deviceBox, t.box)) << "a bar over \"" << t.text << "\"";
            }
        }
    }
}

DistributionRequest sample_distribution(bool threeD, bool projection) {
    DistributionRequest r;
    r.DistXElement = 10;
    r.DistYElement = 8;
    r.DistZElement = threeD ? 7 : 1;
    r.DistProjection = projection ? 1 : 0;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> a(1.5, 3.5), e(0, 0.35), i(0, 30);
    for (int k = 0; k < 3000; ++k) r.DistPoints.push_back({a(rng), e(rng), threeD ? i(rng) : 0.0});
    r.limits = proposeDistribution(r.DistPoints, threeD);
    return r;
}

TEST(PlotLayout, DistributionTextsStandClearAndTheAxesCarryValues) {
    for (const bool threeD : {false, true}) {
        const DistributionRequest r = sample_distribution(threeD, threeD);
        for (const Page& page : kPages) {
            SCOPED_TRACE(std::string(threeD ? "3-D" : "2-D") + " on " + page.name);
            fw::RecordingDc dc(page.device);
            const fw::Size canvas =
                page.printed ? preparePlotPage(dc, page.device.width, page.device.height)
                             : windowCanvas({page.device.width, page.device.height}, distributionMinimumCanvas());
            EXPECT_EQ(drawDistribution(dc, r, page.printed ? kDistPrintColors : kDistDefaultColors, plotDefaultFont(),
                                       canvas),
                      3000);
            expect_clear_and_inside(dc, page.device);
            // The separator of the legend crosses no text.
            for (const fw::DrawOp& op : dc.drawings()) {
                if (op.kind != fw::DrawOp::Kind::Line || op.device[0].x != op.device[1].x) continue;
                const fw::Rect line{op.device[0].x, std::min(op.device[0].y, op.device[1].y), op.device[0].x + 1,
                                    std::max(op.device[0].y, op.device[1].y)};
                for (const TextBox& t : text_boxes(dc))
                    EXPECT_FALSE(overlap(line, t.box)) << "a line through \"" << t.text << "\"";
            }
            // Each axis says its values: at least its two ends.
            int values = 0;
            for (const TextBox& t : text_boxes(dc))
                values += t.text.find_first_not_of("-0123456789.") == std::string::npos ? 1 : 0;
            EXPECT_GE(values, threeD ? 6 : 4);
            // Both ends of every axis among them (the X and Z axes of the
            // box meet at a corner, and so do their minimum values).
            const DistLimits& l = r.limits;
            std::vector<std::pair<double, double>> axes = {{l.xMin, l.xMax}, {l.yMin, l.yMax}};
            if (threeD) axes.emplace_back(l.zMin, l.zMax);
            for (const auto& [lo, hi] : axes)
                for (const double end : {lo, hi}) {
                    SCOPED_TRACE(end);
                    bool shown = false;
                    for (const TextBox& t : text_boxes(dc))
                        if (t.text.find_first_not_of("-0123456789.") == std::string::npos &&
                            std::fabs(std::atof(t.text.c_str()) - end) <= 0.01 * (hi - lo))
                            shown = true;
                    EXPECT_TRUE(shown);
                }
            // The plot uses the window: the field spans most of its height.
            const std::vector<fw::DrawOp> ops = dc.drawings();
            const auto field = std::find_if(
                ops.begin(), ops.end(), [](const fw::DrawOp& op) { return op.kind == fw::DrawOp::Kind::Rectangle; });
            ASSERT_NE(field, ops.end());
            if (!page.printed && !threeD) {
                EXPECT_GT(field->deviceBox.height(), page.device.height / 2);
            }
        }
    }
}

// ---- The orbit view -------------------------------------------------------------------------

using zelvo::orbit::ElementSet;

// Elements (epoch, M, peri, node, i, e, n) of a body of semi-axis a (AU).
ElementSet body(double a, double e, double inclDeg, double nodeDeg, double periDeg, double mDeg) {
    const double deg = M_PI / 180;
    return {2461000.5,
            mDeg * deg,
            periDeg * deg,
            nodeDeg * deg,
            inclDeg * deg,
            e,
            zelvo::orbit::kGaussK / std::pow(a, 1.5)};
}

zelvo::orbit::OrbitScene sample_scene() {
    zelvo::orbit::OrbitScene s;
    s.objects[0] = {1, "1  Ceres", body(2.77, 0.079, 10.6, 80.3, 73.6, 231)};
    s.objects[1] = {433, "433  Eros", body(1.458, 0.223, 10.8, 304.3, 178.9, 100)};
    // Far beyond the picture: cut at its frame.
    s.objects[2] = {2060, "2060  Chiron", body(13.7, 0.38, 6.9, 209.3, 339.3, 20)};
    s.planets[0] = {3, "Earth", body(1.0, 0.0167, 0.0, 0, 102.9, 358)};
    s.planets[1] = {4, "Mars", body(1.524, 0.093, 1.85, 49.6, 286.5, 19)};
    s.planets[2] = {5, "Jupiter", body(5.203, 0.048, 1.3, 100.5, 273.9, 20)};
    s.date = 2461000.5;
    s.elementsLoaded = true;
    return s;
}

// The union of what a recording drew, in device pixels, inclusive.
fw::Rect drawn_bounds(const fw::RecordingDc& dc) {
    fw::Rect b{0, 0, -1, -1};
    const auto take = [&](fw::Rect r) {
        if (b.right < b.left) {
            b = r;
            return;
        }
        b = {std::min(b.left, r.left), std::min(b.top, r.top), std::max(b.right, r.right),
             std::max(b.bottom, r.bottom)};
    };
    for (const fw::DrawOp& op : dc.drawings()) {
        switch (op.kind) {
            case fw::DrawOp::Kind::Line:
            case fw::DrawOp::Kind::Polyline:
            case fw::DrawOp::Kind::Polygon:
            case fw::DrawOp::Kind::Pixels:
                for (const fw::Point& p : op.device) take({p.x, p.y, p.x, p.y});
                break;
            default: {
                const fw::Rect r = op.deviceBox.normalized();
                take({r.left, r.top, r.right - 1, r.bottom - 1});
            }
        }
    }
    return b;
}

TEST(PlotLayout, OrbitPictureTextsStandClearAndTheMetafileFramesTheDrawing) {
    zeltest::FakeLibrary lib;
    struct View {
        double longitude, latitude, scale;
    };
    const View views[] = {{320, 40, 5.2}, {0, 90, 5.2}, {90, 0, 9.5}, {200, -60, 3.5}, {45, -90, 1.2}};
    for (const View& view : views) {
        zelvo::orbit::OrbitViewState v;
        v.longitude = view.longitude;
        v.latitude = view.latitude;
        v.scale = view.scale;
        const zelvo::orbit::OrbitScene scene = sample_scene();
        const zelvo::orbit::OrbitColors colors;
        for (const Page& page : kPages) {
            SCOPED_TRACE(std::to_string(view.longitude) + "/" + std::to_string(view.latitude) + " on " + page.name);
            fw::RecordingDc dc(page.device);
            if (page.printed) {
                zelvo::orbit::mapPagePicture(dc, page.device.width, page.device.height);
                drawOrbitPicture(dc, scene, v, colors, lib, zelvo::orbit::PictureKind::Output);
            } else {
                zelvo::orbit::mapScreenPicture(dc, page.device.width, page.device.height);
                drawOrbitPicture(dc, scene, v, colors, lib, zelvo::orbit::PictureKind::Screen);
            }
            expect_clear_and_inside(dc, page.device);
            const fw::Rect b = drawn_bounds(dc);
            EXPECT_GE(b.left, 0);
            EXPECT_GE(b.top, 0);
            EXPECT_LT(b.right, page.device.width);
            EXPECT_LT(b.bottom, page.device.height);
            // The scale as the dialog shows it.
            char caption[64];
            std::snprintf(caption, sizeof caption, "Scale =%4s a.u.", zelvo::orbit::scaleText(view.scale).c_str());
            EXPECT_TRUE(has_text(dc, caption)) << caption;
        }
        // The metafile: its bounds are those of the drawing, which fills
        // the picture's frame from the origin.
        const fw::DeviceInfo reference{1600, 1000, 96, 96};
        fw::EmfDc emf(reference);
        fw::RecordingDc same(reference);
        for (fw::Dc* dc : {static_cast<fw::Dc*>(&emf), static_cast<fw::Dc*>(&same)}) {
            zelvo::orbit::mapMetafilePicture(*dc);
            drawOrbitPicture(*dc, scene, v, colors, lib, zelvo::orbit::PictureKind::Output);
        }
        const fw::Rect drawn = drawn_bounds(same), bounds = emf.bounds();
        EXPECT_NEAR(bounds.left, drawn.left, 1);
        EXPECT_NEAR(bounds.top, drawn.top, 1);
        EXPECT_NEAR(bounds.right, drawn.right, 1);
        EXPECT_NEAR(bounds.bottom, drawn.bottom, 1);
        EXPECT_GE(bounds.left, 0);
        EXPECT_GE(bounds.top, 0);
        EXPECT_LE(bounds.right, zelvo::orbit::kPictureFrame.width());
        EXPECT_LE(bounds.bottom, zelvo::orbit::kPictureFrame.height());
        expect_clear_and_inside(same,
                                {zelvo::orbit::kPictureFrame.width(), zelvo::orbit::kPictureFrame.height(), 96, 96});
    }
}

TEST(PlotLayout, OrbitDefaultColoursTellTheBodiesApart) {
    const zelvo::orbit::OrbitColors c;
    std::vector<fw::Colorref> bodies;
    for (int j = 0; j < 3; ++j) bodies.push_back(zelvo::orbit::planetSlotColor(c.colors, j));
    for (int i = 0; i < 3; ++i) bodies.push_back(zelvo::orbit::objectSlotColor(c.colors, i));
    bodies.push_back(c.colors[3]);  // the Sun
    for (std::size_t a = 0; a < bodies.size(); ++a)
        for (std::size_t b = a + 1; b < bodies.size(); ++b) {
            // Apart by a fair step in at least one channel.
            int most = 0;
            for (int shift : {0, 8, 16})
                most = std::max(most, std::abs(static_cast<int>((bodies[a] >> shift) & 0xFF) -
                                               static_cast<int>((bodies[b] >> shift) & 0xFF)));
            EXPECT_GE(most, 0x60) << a << " and " << b;
        }
}

// ---- The track view --------------------------------------------------------------------------

// The sky of the track pictures: slow objects, the Sun and the Moon.
class TrackSky : public zeltest::FakeLibrary {
public:
    void MoonSun(int number, double jd, double* out) override {
        const double t = jd - 2452275.5, hour = M_PI / 12, deg = M_PI / 180;
        std::array<double, 5> v{};
        if (number == -10)
            v = {19.0 * hour, -23 * deg, 0, 0, 0};
        else if (number == -11)
            v = {22.0 * hour, -10 * deg, 0, 0, 45 * deg};
        else
            v = {std::fmod(23.5 * hour + 0.004 * t * number + 2 * M_PI, 2 * M_PI), (5.0 - number) * deg, 0.004, 0, 7.2};
        std::copy(v.begin(), v.end(), out);
    }
};

TEST(PlotLayout, TrackPictureTextsStandClearOnScreenPaperAndMetafile) {
    using namespace zelvo::track;
    const double hour = M_PI / 12, deg = M_PI / 180;
    const std::array<double, 4> windows[] = {{0, kTwoPi, -kPi / 2, kPi / 2},
                                             {23 * hour, 1 * hour, -10 * deg, 10 * deg}};
    for (const auto& window : windows) {
        TrackSky lib;
        TrackPicture pic(lib);
        pic.ObjectNumber = {1, 2, 3};
        pic.ObjectName = {"1  Ceres", "2  Pallas", "3  Juno"};
        pic.StartJd = pic.ShownJd = 2452275.5;
        pic.EndJd = pic.StartJd + 120;
        pic.SkyWindow = window;
        pic.workFrom = window[0];
        pic.workTo = window[1];
        pic.updateScales();
        pic.GridOn = true;
        pic.ShowSun = pic.ShowMoon = pic.sunStale = pic.moonStale = true;
        pic.FrameOnly = false;
        for (const Page& page : kPages) {
            SCOPED_TRACE(std::to_string(window[0]) + " on " + page.name);
            fw::RecordingDc dc(page.device);
            if (page.printed)
                pic.printPage(dc, page.device.width, page.device.height);
            else
                pic.render(Pass::Whole, dc, page.device.width, page.device.height, true);
            expect_clear_and_inside(dc, page.device);
            // The R.A. grid says its hours and minutes, and the legend its
            // three objects.
            int hours = 0;
            for (const TextBox& t : text_boxes(dc)) hours += t.text == "h" ? 1 : 0;
            EXPECT_GE(hours, 2);
            for (const char* name : {"1  Ceres", "2  Pallas", "3  Juno"}) EXPECT_TRUE(has_text(dc, name)) << name;
        }
        // The metafile: one unit a pixel, its frame the bordered picture.
        const fw::DeviceInfo reference{1600, 1000, 96, 96};
        fw::EmfDc emf(reference);
        fw::RecordingDc same(reference);
        pic.MetafileMode = true;
        for (fw::Dc* dc : {static_cast<fw::Dc*>(&emf), static_cast<fw::Dc*>(&same)})
            pic.render(Pass::Whole, *dc, reference.width, reference.height, true);
        pic.MetafileMode = false;
        const fw::Rect drawn = drawn_bounds(same), bounds = emf.bounds();
        EXPECT_NEAR(bounds.left, drawn.left, 1);
        EXPECT_NEAR(bounds.top, drawn.top, 1);
        EXPECT_NEAR(bounds.right, drawn.right, 1);
        EXPECT_NEAR(bounds.bottom, drawn.bottom, 1);
        for (const TextBox& t : text_boxes(same)) {
            SCOPED_TRACE(t.text);
            EXPECT_GE(t.box.left, bounds.left);
            EXPECT_LE(t.box.right, bounds.right + 1);
            EXPECT_GE(t.box.top, bounds.top);
            EXPECT_LE(t.box.bottom, bounds.bottom + 1);
        }
    }
}

}  // namespace
