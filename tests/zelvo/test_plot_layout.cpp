// The layout of the plots' texts, read from the recording drawing context:
// for the histogram, the distribution (plane and box), the orbit view and
// the track view, in a small window (640 x 480), a large one (1600 x 1000)
// and on a printed A4 page, no two texts overlap, every text lies inside
// the page, no bar covers a text and every axis carries values. The
// metafiles' frames are the bounds of what they draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "elplot.h"
#include "framework/recorddc.h"

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
        const fw::Size canvas = prepare_plot_page(dc, page.device.width, page.device.height);
        draw_histogram(dc, plot, kHistPrintColors, plot_default_font(), true, canvas);
    } else {
        const fw::Size canvas = window_canvas({page.device.width, page.device.height}, histogram_minimum_canvas());
        draw_histogram(dc, plot, kHistDefaultColors, plot_default_font(), false, canvas);
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
        const HistProposal p = propose_histogram(v, c.index);
        HistogramPlot plot;
        plot.request = *compute_histogram(v, c.index, p.min, p.max, p.step);
        plot.request.FixedObjectNumber = c.fixedObject;
        plot.layout = layout_histogram(plot.request);
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
    r.limits = propose_distribution(r.DistPoints, threeD);
    return r;
}

TEST(PlotLayout, DistributionTextsStandClearAndTheAxesCarryValues) {
    for (const bool threeD : {false, true}) {
        const DistributionRequest r = sample_distribution(threeD, threeD);
        for (const Page& page : kPages) {
            SCOPED_TRACE(std::string(threeD ? "3-D" : "2-D") + " on " + page.name);
            fw::RecordingDc dc(page.device);
            const fw::Size canvas =
                page.printed ? prepare_plot_page(dc, page.device.width, page.device.height)
                             : window_canvas({page.device.width, page.device.height}, distribution_minimum_canvas());
            EXPECT_EQ(draw_distribution(dc, r, page.printed ? kDistPrintColors : kDistDefaultColors,
                                        plot_default_font(), canvas),
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

}  // namespace
