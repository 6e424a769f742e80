// The histogram and the distribution of an element list: binning, limits,
// counts, means and medians against hand computation and an independent
// count over the catalogue; the bars, ticks and points as the recording
// context sees them; the two windows with their settings files, their
// metafiles read back by libUEMF, and their printed colours.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "element_fixture.h"
#include "framework/childframe.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "framework/recorddc.h"
#include "shell_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/graphics/ellist.h"
#include "zelvo/graphics/elplot.h"
#include "zelvo/graphics/elplotwindows.h"
#include "zelvo/graphics/elwindows.h"
#include "zelvo/shell/app.h"
#include "zelvomat/small_package.h"

extern "C" {
#include <uemf.h>
#include <uemf_safe.h>
}

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zelvo::elements;
using zeltest::FixtureObject;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- Binning and limits ---------------------------------------------------------------

TEST(HistogramBins, CountIndexAndDrawnBins) {
    struct Case {
        const char* what;
        double min, max, step;
        int binCount, drawn;
    };
    const Case cases[] = {
        {"remainder 1 of 3 rounds up", 0, 10, 3, 4, 4},
        {"remainder 0.1 of 0.3 stays, the partial bin is drawn", 0, 1, 0.3, 3, 4},
        {"whole steps", 0, 10, 2, 5, 5},
        {"0.1 divides 1 ten times despite rounding", 0, 1, 0.1, 10, 10},
        {"160 bins", 0, 100, 0.625, 160, 160},
        {"negative start", -2.5, 2.5, 0.5, 10, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BinCount(c.max - c.min, c.step), c.binCount);
        EXPECT_EQ(drawnBinCount(c.min, c.max, c.step), c.drawn);
    }
    EXPECT_EQ(BinIndex(-0.1, 1).index, -1);
    EXPECT_EQ(BinIndex(2.5, 1).index, 2);
    EXPECT_DOUBLE_EQ(BinIndex(2.5, 1).remainder, 0.5);
    // Nothing that is not a number reaches an integer.
    EXPECT_EQ(BinCount(kNaN, 1), 0);
    EXPECT_EQ(BinCount(1, 0), 0);
    EXPECT_EQ(BinIndex(kNaN, 1).index, -1);
    // The values equal to the maximum and those of the partial bin are in a
    // drawn bin.
    EXPECT_EQ(drawnBinOf(10, 0, 10, 3, 4), 3);
    EXPECT_EQ(drawnBinOf(1, 0, 1, 0.3, 4), 3);
    EXPECT_EQ(drawnBinOf(10, 0, 10, 2, 5), 4);
    EXPECT_EQ(drawnBinOf(0, 0, 10, 2, 5), 0);
    EXPECT_EQ(drawnBinOf(10.01, 0, 10, 2, 5), -1);
}

// A value that lies on a bin edge, as the dialog's decimal texts give the
// edge, belongs to the bin that starts there (0.15 from 0 by 0.05 is in bin 3,
// though 0.15 / 0.05 is 2.9999999999999996 in doubles); a value a little
// below the edge stays in the bin before.
TEST(HistogramBins, ValuesOnEveryInteriorEdgeCountInTheBinThatStartsThere) {
    struct Case {
        int minHundredths, stepHundredths, bins;
    };
    const Case cases[] = {{0, 5, 60},     {-35, 5, 40}, {0, 10, 30},    {10, 10, 25}, {0, 30, 12},
                          {-120, 30, 12}, {0, 100, 9},  {-300, 100, 7}, {15, 5, 20}};
    const auto text = [](int hundredths) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%d.%02d", hundredths < 0 ? "-" : "", std::abs(hundredths) / 100,
                      std::abs(hundredths) % 100);
        return std::string(buf);
    };
    for (const Case& c : cases) {
        const double min = *decimalValue(text(c.minHundredths)), step = *decimalValue(text(c.stepHundredths));
        const double max = *decimalValue(text(c.minHundredths + c.bins * c.stepHundredths));
        SCOPED_TRACE("from " + text(c.minHundredths) + " by " + text(c.stepHundredths));
        ASSERT_EQ(drawnBinCount(min, max, step), c.bins);
        for (int k = 1; k < c.bins; ++k) {
            const double edge = *decimalValue(text(c.minHundredths + k * c.stepHundredths));
            SCOPED_TRACE("edge " + text(c.minHundredths + k * c.stepHundredths));
            EXPECT_EQ(drawnBinOf(edge, min, max, step, c.bins), k);
            EXPECT_EQ(BinIndex(edge - min, step).index, k);
            EXPECT_EQ(drawnBinOf(edge - 1e-7 * step, min, max, step, c.bins), k - 1);
        }
        EXPECT_EQ(drawnBinOf(max, min, max, step, c.bins), c.bins - 1);
    }
    // The objects without G (0.15) stand in the bar 0.15-0.20.
    const auto r = computeHistogram({-1000.0, -1000.0, 0.12, 0.19}, 3, 0.0, 0.3, 0.05);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->HistBinCounts, (std::vector<std::int32_t>{0, 0, 1, 3, 0, 0}));
}

TEST(HistogramLimits, DecimalConversionRefusesWhatIsNoDecimalNumber) {
    struct Case {
        const char* text;
        std::optional<double> value;  // decimalValue
        bool whole;                   // number_field accepts it
    };
    const Case cases[] = {
        {" 12.5", 12.5, true},     {"12.5abc", 12.5, false}, {"-3e-2", -0.03, true}, {"+.5", 0.5, true},
        {"5e", 5.0, false},        {"abc", 0.0, false},      {"", 0.0, false},       {"inf", 0.0, false},
        {"-INFINITY", 0.0, false}, {"nan", 0.0, false},      {"0x1A", 0.0, false},   {"1e999", std::nullopt, false},
        {"1e-999", 0.0, true},     {"2.5  ", 2.5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto v = decimalValue(c.text);
        ASSERT_EQ(v.has_value(), c.value.has_value());
        if (v) {
            EXPECT_DOUBLE_EQ(*v, *c.value);
        }
        EXPECT_EQ(number_field(c.text).has_value(), c.whole);
    }
}

TEST(HistogramLimits, DialogChecksInOrder) {
    struct Case {
        HistLimitTexts texts;
        const char* message;
        HistField focus;
    };
    const Case cases[] = {
        {{"0", "1", "0.5"}, "", HistField::None},
        {{"0", "1", "0.6"}, "For this range 'Step' must be less", HistField::Min},
        {{"0", "100", "0.5"}, "'Step' is too small!", HistField::Step},
        {{"0", "100", "0.625"}, "", HistField::None},
        {{"2", "2", "0.1"}, "'Min' must be less 'Max'!", HistField::Min},
        {{"3", "2", "0.1"}, "'Min' must be less 'Max'!", HistField::Min},
        {{"0", "1", "0.0000001"}, "'Step' is too small!", HistField::Step},
        {{"0", "1", "-0.1"}, "'Step' is too small!", HistField::Step},
        {{"nan", "1", "0.1"}, "", HistField::None},  // "nan" holds no number: 0
        {{"0", "1e999", "0.1"}, "Please enter a number.", HistField::Max},
        {{"-1e308", "1e308", "1e307"}, "'Step' is too small!", HistField::Step},  // the range overflows
        {{"-1e300", "1e300", "1e299"}, "", HistField::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts.min + " " + c.texts.max + " " + c.texts.step);
        const LimitCheck r = checkHistLimits(c.texts);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.focus, c.focus);
    }
    // The texts of the dialog: the element's decimals, the step with four.
    const HistLimitTexts t = histLimitTexts(1.5, 3.25, 0.175, "a");
    EXPECT_EQ(t.min, "1.5000000");
    EXPECT_EQ(t.max, "3.2500000");
    EXPECT_EQ(t.step, "0.1750");
    EXPECT_EQ(histLimitTexts(1, 2, 0.1, "H").min, "1.00");
    EXPECT_EQ(histLimitTexts(1, 2, 0.1, "n").min, "1.00000000");
    EXPECT_EQ(histLimitTexts(1, 2, 0.1, "i").min, "1.00000");
}

TEST(DistributionLimits, DialogChecks) {
    EXPECT_EQ(checkDistLimits({2, 1, 0, 1, 0, 0}, false).message, "'Min' mast be less 'Max'!");
    EXPECT_EQ(checkDistLimits({2, 1, 0, 1, 0, 0}, false).focus, DistField::XMin);
    EXPECT_EQ(checkDistLimits({0, 1, 2, 1, 0, 0}, false).focus, DistField::YMin);
    EXPECT_EQ(checkDistLimits({0, 1, 0, 1, 3, 2}, true).message, "'Min' must be less 'Max'!");
    EXPECT_EQ(checkDistLimits({0, 1, 0, 1, 3, 2}, false).message, "");
    EXPECT_EQ(checkDistLimits({1, 1, 0, 0, 0, 0}, true).message, "");  // equal limits pass
}

// ---- Counts and statistics ------------------------------------------------------------

TEST(HistogramCounts, SmallTablesAgainstHandComputation) {
    // Three values on the minimum, one on the maximum, one in the partial
    // last bin, one above, one below.
    const std::vector<double> v = {1.0, 1.0, 1.0, 1.5, 2.2, 2.95, 3.0, 3.5, 0.5};
    auto r = computeHistogram(v, 10, 1.0, 3.0, 0.6);  // bins [1,1.6) [1.6,2.2) [2.2,2.8) [2.8,3.0]
    ASSERT_TRUE(r);
    EXPECT_EQ(r->HistRecordCount, 7);
    EXPECT_EQ(r->HistBinCounts, (std::vector<std::int32_t>{4, 0, 1, 2}));
    EXPECT_NEAR(r->HistMean, (1 + 1 + 1 + 1.5 + 2.2 + 2.95 + 3.0) / 7, 1e-12);
    EXPECT_DOUBLE_EQ(r->HistMedian, 1.5);  // the fourth of seven
    EXPECT_EQ(r->HistElement, 10);

    // An even count: the mean of the two middle values.
    r = computeHistogram({4, 1, 3, 2}, 10, 0, 10, 1);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->HistMedian, 2.5);

    // Every value on the minimum: one bin holds them all.
    r = computeHistogram({0.15, 0.15, 0.15}, 3, 0.15, 2.15, 1.0);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->HistRecordCount, 3);
    EXPECT_EQ(r->HistBinCounts, (std::vector<std::int32_t>{3, 0}));

    // G: a missing one counts as 0.15.
    r = computeHistogram({-1000.0, 0.12, 0.32, -1000.0}, 3, 0.0, 0.4, 0.1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->HistBinCounts, (std::vector<std::int32_t>{0, 3, 0, 1}));
    EXPECT_DOUBLE_EQ(r->HistMedian, 0.15);

    // Values not finite are left out; no value in range fails.
    r = computeHistogram({kNaN, 2.0}, 22, 0, 4, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->HistRecordCount, 1);
    EXPECT_FALSE(computeHistogram({5, 6}, 10, 0, 4, 1));
    EXPECT_FALSE(computeHistogram({}, 10, 0, 4, 1));
    EXPECT_TRUE(computeHistogram({5, 6}, 10, -100, 6, 10));  // Min below every value
}

TEST(HistogramCounts, ProposalFromTheDataItself) {
    HistProposal p = proposeHistogram({3.0e7, 2.0e7, -5.0e7}, 25);
    EXPECT_DOUBLE_EQ(p.min, -5.0e7);
    EXPECT_DOUBLE_EQ(p.max, 3.0e7);
    EXPECT_DOUBLE_EQ(p.step, 8.0e6);
    p = proposeHistogram({-1000.0, 0.32}, 3);  // G: missing counts as 0.15
    EXPECT_DOUBLE_EQ(p.min, 0.15);
    p = proposeHistogram({0.15, 0.15}, 3);  // one value: a proposal the dialog takes
    EXPECT_DOUBLE_EQ(p.min, 0.15);
    EXPECT_DOUBLE_EQ(p.step, 1.0);
    EXPECT_TRUE(checkHistLimits(histLimitTexts(p.min, p.max, p.step, "G")).message.empty());
    p = proposeHistogram({}, 10);
    EXPECT_DOUBLE_EQ(p.min, 1.0e7);
    EXPECT_DOUBLE_EQ(p.max, -1.0e7);
}

TEST(HistogramLayoutTicks, HeightsAndTickSteps) {
    struct Case {
        int largest, yStep, ySpacing;
    };
    const Case cases[] = {{1, 1, 330},  {7, 1, 47},      {10, 1, 33},    {25, 1, 13},
                          {40, 10, 82}, {1000, 100, 33}, {3000, 500, 55}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.largest);
        HistogramRequest r;
        r.HistBinCounts = {c.largest, 1, 0};
        const HistLayout l = layoutHistogram(r);
        EXPECT_EQ(l.yTickStep, c.yStep);
        EXPECT_EQ(l.yTickSpacing, c.ySpacing);
        EXPECT_EQ(l.heights[0], 330);
    }
    HistogramRequest r;
    r.HistBinCounts.assign(25, 0);
    EXPECT_EQ(layoutHistogram(r).xTickStep, 1);  // 25 / 10 = 2 < 3: back to 1
    EXPECT_EQ(layoutHistogram(r).barWidth, 20);
    r.HistBinCounts.assign(160, 0);
    EXPECT_EQ(layoutHistogram(r).xTickStep, 10);
    EXPECT_EQ(layoutHistogram(r).barWidth, 3);
}

TEST(HistogramText, StepAndLabelFormats) {
    EXPECT_EQ(stepText(0.02), "0.020 ");
    EXPECT_EQ(stepText(0.0005), "0.0005 ");
    EXPECT_EQ(stepText(0.00005), "0.00005 ");
    EXPECT_EQ(xLabel(5, 0.025, 12.0), "12.000    ");  // angles: a trailing blank
    EXPECT_EQ(xLabel(5, 1.0, 12.0), "12.0     ");
    EXPECT_EQ(xLabel(10, 0.0005, 2.0), "2.0000   ");
    EXPECT_EQ(xLabel(10, 0.02, 2.0), "2.00     ");
    EXPECT_EQ(xLabel(10, 0.025, 2.0), "2.000    ");
    EXPECT_EQ(axisTitle(22, 433), "MOID(433)");
    EXPECT_EQ(axisTitle(10, 433), "a");
    EXPECT_EQ(fieldName(24), "NC  ");
}

// ---- Drawing --------------------------------------------------------------------------

std::vector<fw::DrawOp> of_kind(const fw::RecordingDc& dc, fw::DrawOp::Kind k) {
    std::vector<fw::DrawOp> out;
    for (const fw::DrawOp& op : dc.drawings())
        if (op.kind == k) out.push_back(op);
    return out;
}

TEST(HistogramDrawing, BarsAddUpAndTicksAreWhereTheyBelong) {
    // 0..10 in steps of 3: the last bin [9, 10] is drawn (four bars).
    const std::vector<double> v = {0, 0, 1, 3.5, 4, 7, 9.5, 10, 10};
    HistogramPlot plot;
    plot.request = *computeHistogram(v, 10, 0, 10, 3);
    plot.layout = layoutHistogram(plot.request);
    fw::RecordingDc dc({640, 480, 96, 96});
    drawHistogram(dc, plot, kHistDefaultColors, plotDefaultFont(), false, {640, 480});

    // Four bars side by side on one base line, as high as their counts
    // (3, 2, 1, 3) and filling the width of the X axis.
    const auto bars = of_kind(dc, fw::DrawOp::Kind::Pattern);
    ASSERT_EQ(bars.size(), 4u);
    const int base = bars[0].deviceBox.bottom, tallest = base - bars[0].deviceBox.top;
    EXPECT_GT(tallest, 240);  // most of the window's height
    const int counts[] = {3, 2, 1, 3};
    for (std::size_t k = 0; k < bars.size(); ++k) {
        SCOPED_TRACE(k);
        if (k > 0) {
            EXPECT_EQ(bars[k].deviceBox.left, bars[k - 1].deviceBox.right);
        }
        EXPECT_EQ(bars[k].deviceBox.bottom, base);
        EXPECT_NEAR(base - bars[k].deviceBox.top, tallest * counts[k] / 3.0, 1.0);
        EXPECT_EQ(bars[k].brush.color, k % 2 == 0 ? 0xC8C8C8u : 0x191919u);
    }
    EXPECT_GT(bars[3].deviceBox.right - bars[0].deviceBox.left, 450);
    int sum = 0;
    for (std::int32_t c : plot.request.HistBinCounts) sum += c;
    EXPECT_EQ(sum, plot.request.HistRecordCount);

    // The title and the statistics, broken after commas where the window
    // is too narrow for them, read as one text again.
    std::vector<std::string> texts;
    for (const auto& op : of_kind(dc, fw::DrawOp::Kind::Text)) texts.push_back(op.text);
    std::string joined;
    for (const std::string& t : texts) joined += t + (t.back() == ',' ? " " : "|");
    EXPECT_NE(joined.find("a   ( min = 0.0000000, max = 10.0000000, step = 3.000 , mean value = 5.0000000 )|"
                          "Records number: 9, median: 4.0000000|"),
              std::string::npos)
        << joined;
    // Y: largest 3, step 1: labels at 0 and 2; X: every second bin, 0 and 6.
    for (const char* label : {"0", "2", "0.00", "6.00"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;

    // A bin of 1 beside one of 1000 shows one unit.
    HistogramPlot tall;
    tall.request.HistElement = 2;
    tall.request.HistStep = 1;
    tall.request.HistBinCounts = {1000, 1, 0};
    tall.layout = layoutHistogram(tall.request);
    fw::RecordingDc dc2({640, 480, 96, 96});
    drawHistogram(dc2, tall, kHistDefaultColors, plotDefaultFont(), true, {640, 480});
    const auto outlines = of_kind(dc2, fw::DrawOp::Kind::Rectangle);
    ASSERT_EQ(outlines.size(), 2u);  // the empty bin draws nothing
    EXPECT_EQ(outlines[1].deviceBox.bottom - outlines[1].deviceBox.top, 1);
    EXPECT_EQ(outlines[1].pen.color, 0u);
    EXPECT_EQ(outlines[1].brush.style, fw::BrushStyle::Null);
}

DistributionRequest two_d_request() {
    DistributionRequest r;
    r.DistXElement = 10;
    r.DistYElement = 3;
    r.limits = {2.0, 4.0, 0.0, 0.5, 0, 0};
    r.DistPoints = {{2.0, 0.0, 0}, {4.0, 0.5, 0}, {3.0, -1000.0, 0}, {5.0, 0.2, 0}, {kNaN, 0.2, 0}};
    return r;
}

TEST(DistributionDrawing, PointsOfTheFieldAndTheBox) {
    // 2-D: the corners of the field, a point without G at 0.15, one outside.
    DistributionRequest r = two_d_request();
    int count = 0;
    auto px = distributionPixels(r, count);
    EXPECT_EQ(count, 3);
    // Row by row: the top corner, the point without G, the bottom corner.
    ASSERT_EQ(px.size(), 3u);
    EXPECT_EQ(px[0], (fw::Point{450, 100}));
    EXPECT_EQ(px[1].x, 275);
    EXPECT_NEAR(px[1].y, 450 - 105, 1);  // 0.15 of 0.5 is 105 of 350
    EXPECT_EQ(px[2], (fw::Point{100, 450}));

    // X Min equal to X Max: a range of 1, the objects on the left edge.
    r.limits.xMin = r.limits.xMax = 3.0;
    px = distributionPixels(r, count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(px[0].x, 100);

    // 3-D with and without the projection.
    DistributionRequest b;
    b.DistXElement = 10;
    b.DistYElement = 7;
    b.DistZElement = 8;
    b.limits = {0, 1, 0, 1, 0, 1};
    b.DistPoints = {{1, 1, 1}, {0, 0, 0}};
    px = distributionPixels(b, count);
    // a = trunc(200 / sqrt 2 / 1.5) = 94, b = c = 200.
    EXPECT_EQ(px, (std::vector<fw::Point>{{200 + 200 - 94, 300 - 200 + 94}, {200, 300}}));
    EXPECT_EQ(count, 2);
    b.DistProjection = 1;
    px = distributionPixels(b, count);
    EXPECT_EQ(count, 2);
    // Back, left and bottom face; the origin's three projections are one pixel.
    EXPECT_EQ(px, (std::vector<fw::Point>{{400, 100}, {106, 194}, {200, 300}, {306, 394}}));

    // The drawing: one batch of pixels in Dots, the count in the legend.
    fw::RecordingDc dc({640, 480, 96, 96});
    EXPECT_EQ(drawDistribution(dc, two_d_request(), kDistDefaultColors, plotDefaultFont(), {640, 480}), 3);
    const auto pixels = of_kind(dc, fw::DrawOp::Kind::Pixels);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_EQ(pixels[0].device.size(), 3u);
    EXPECT_EQ(pixels[0].color, 0x006464u);
    // The field: a square as large as the window leaves, the corners of the
    // data at its corners.
    const auto rects = of_kind(dc, fw::DrawOp::Kind::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    const fw::Rect field = rects[0].deviceBox;
    EXPECT_EQ(field.width(), field.height());
    EXPECT_GT(field.width(), 240);
    const int w = field.width();
    EXPECT_EQ(pixels[0].device.front(), (fw::Point{field.left + w, field.top}));
    EXPECT_EQ(pixels[0].device.back(), (fw::Point{field.left, field.bottom}));
    std::vector<std::string> texts;
    for (const auto& op : of_kind(dc, fw::DrawOp::Kind::Text)) texts.push_back(op.text);
    const std::string pad(14, ' ');
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(texts.begin(), texts.begin() + 5),
        (std::vector<std::string>{"X: a" + pad + "min = 2.0000000, max = 4.0000000",
                                  "Y: G" + pad + "min = 0.00, max = 0.50", "Records number: 3", "Y [ G ]", "X [ a ]"}));
    // The axes carry their values: both ends of each.
    for (const char* value : {"2.0", "4.0", "0.00", "0.50"})
        EXPECT_NE(std::find(texts.begin() + 5, texts.end(), value), texts.end()) << value;

    // 3-D: the two faces, in the proportions of the box.
    fw::RecordingDc dc3({640, 480, 96, 96});
    drawDistribution(dc3, b, kDistDefaultColors, plotDefaultFont(), {640, 480});
    const auto faces = of_kind(dc3, fw::DrawOp::Kind::Polygon);
    ASSERT_EQ(faces.size(), 2u);
    const auto back = of_kind(dc3, fw::DrawOp::Kind::Rectangle);
    ASSERT_EQ(back.size(), 1u);
    const fw::Point o{back[0].deviceBox.left, back[0].deviceBox.bottom};
    const int size = back[0].deviceBox.width(), d = static_cast<int>(size / std::sqrt(2.0));
    EXPECT_EQ(faces[0].logical, (std::vector<fw::Point>{{o.x, o.y - size},
                                                        o,
                                                        {o.x - d + d / 3, static_cast<int>(o.y + d / 1.5)},
                                                        {o.x - d + d / 3, static_cast<int>(o.y + d / 1.5) - size}}));
    EXPECT_EQ(faces[1].logical[2], (fw::Point{o.x + size, o.y}));
}

// ---- The commands over a list ---------------------------------------------------------

struct PlotListFixture {
    zeltest::FixtureCatalogue cat;
    zeltest::FakeLibrary lib;
    std::shared_ptr<CatalogueCache> cache = std::make_shared<CatalogueCache>();
    std::unique_ptr<ElementList> list;

    PlotListFixture() {
        cat.write(
            {
                {"Ceres", " 3.33", " 0.12", 231.5, 73.3, 80.2, 10.6, 0.0796, 2.766},
                {"Pallas", " 4.12", std::nullopt, 211.5, 310.9, 172.9, 34.9, 0.23, 2.77},
                {"Vesta", " 3.20", " 0.32", 26.8, 151.5, 103.7, 7.1, 0.09, 2.36},
                {"Eros", "10.38", std::nullopt, 100, 178.9, 304.3, 10.8, 0.223, 1.458},
                {"Hilda", " 5.57", " 0.15", 300, 180, 342, 7.8, 0.14, 3.97},
            },
            5);
        EXPECT_TRUE(cache->openOrBuild(cat.settings()));
        ElementListSetup s;
        s.numbered = 5;
        s.derived.catalogueEpochJd = 2461000.5;
        list = std::make_unique<ElementList>(cache, s, lib);
    }
};

TEST(HistogramCommand, PrevGoesBackAndTheRequestHoldsTheCounts) {
    PlotListFixture f;
    ASSERT_EQ(f.list->count(), 5);
    std::vector<int> elementsAsked;
    std::vector<HistLimitTexts> proposals;
    std::deque<int> selections = {0, 1};  // H, then after Prev G
    std::deque<int> answers = {cmd::kHistPrev, fw::kIdOk};
    std::vector<std::string> messages;
    HistogramDialogs d;
    d.element = [&](int code) -> std::optional<int> {
        elementsAsked.push_back(code);
        const int s = selections.front();
        selections.pop_front();
        return s;
    };
    d.limits = [&](HistLimitTexts& t, const std::string&) {
        proposals.push_back(t);
        const int a = answers.front();
        answers.pop_front();
        if (a == fw::kIdOk) t = {"0.10", "0.40", "0.1"};
        return a;
    };
    d.message = [&](const std::string& m) { messages.push_back(m); };
    const auto r = prepareHistogram(*f.list, d);
    ASSERT_TRUE(r);
    ASSERT_EQ(proposals.size(), 2u);
    EXPECT_EQ(proposals[0].min, "3.20");  // H from the data
    EXPECT_EQ(proposals[0].max, "10.38");
    EXPECT_EQ(proposals[1].min, "0.12");  // G, a missing one as 0.15
    EXPECT_EQ(proposals[1].max, "0.32");
    EXPECT_EQ(r->HistElement, 3);
    // G: 0.12, 0.15, 0.32, 0.15, 0.15 -> [0.1,0.2) 4, [0.2,0.3) 0, [0.3,0.4] 1.
    EXPECT_EQ(r->HistBinCounts, (std::vector<std::int32_t>{4, 0, 1}));
    EXPECT_EQ(r->HistRecordCount, 5);
    EXPECT_NEAR(r->HistMedian, 0.15, 1e-12);
    EXPECT_TRUE(messages.empty());

    // A range above every value: the message and no request.
    selections = {8};
    answers = {fw::kIdOk};
    d.limits = [&](HistLimitTexts& t, const std::string&) {
        t = {"10", "20", "1"};
        answers.pop_front();
        return fw::kIdOk;
    };
    EXPECT_FALSE(prepareHistogram(*f.list, d));
    EXPECT_EQ(messages, (std::vector<std::string>{"Range is outside selected data"}));
    // Cancel in either dialog.
    d.element = [](int) -> std::optional<int> { return std::nullopt; };
    EXPECT_FALSE(prepareHistogram(*f.list, d));
}

TEST(DistributionCommand, PointsInListOrderAndLimitsFromTheData) {
    PlotListFixture f;
    DistributionDialogs d;
    std::deque<std::array<int, 3>> axes = {{8, 5, -1}, {8, 1, 5}};
    std::vector<DistLimits> proposed;
    std::vector<bool> withZ;
    std::deque<int> answers = {cmd::kDistPrev, fw::kIdOk};
    d.axes = [&](int) -> std::optional<std::array<int, 3>> {
        const auto a = axes.front();
        axes.pop_front();
        return a;
    };
    d.limits = [&](DistLimits& l, int& projection, bool hasZ, const std::array<std::string, 3>& names) {
        proposed.push_back(l);
        withZ.push_back(hasZ);
        EXPECT_EQ(names[0], "a");
        projection = 1;
        const int a = answers.front();
        answers.pop_front();
        return a;
    };
    const auto r = prepareDistribution(*f.list, d);
    ASSERT_TRUE(r);
    EXPECT_EQ(withZ, (std::vector<bool>{false, true}));
    EXPECT_NEAR(proposed[0].xMin, 1.458, 1e-6);
    EXPECT_NEAR(proposed[0].xMax, 3.97, 1e-6);
    EXPECT_NEAR(proposed[0].yMax, 34.9, 1e-6);
    EXPECT_EQ(proposed[0].zMin, 0);
    EXPECT_NEAR(proposed[1].yMin, 0.12, 1e-12);  // G: missing as 0.15
    EXPECT_EQ(r->DistXElement, 10);
    EXPECT_EQ(r->DistYElement, 3);
    EXPECT_EQ(r->DistZElement, 7);
    EXPECT_EQ(r->DistProjection, 1);
    ASSERT_EQ(r->DistPoints.size(), 5u);
    EXPECT_NEAR(r->DistPoints[1].y, 0.15, 1e-12);  // Pallas, no G
    EXPECT_NEAR(r->DistPoints[1].z, 34.9, 1e-6);

    // Without a third value every z stays 0.
    axes = {{8, 5, -1}};
    answers = {fw::kIdOk};
    const auto flat = prepareDistribution(*f.list, d);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->DistZElement, 1);
    EXPECT_EQ(flat->DistProjection, 0);
    for (const DistPoint& p : flat->DistPoints) EXPECT_EQ(p.z, 0);
}

// The histogram of the semi-major axes of the catalogue against a count of
// our own: every value compared with the bin edges directly.
// The whole catalogue of a data package as an element list, the package's
// files linked into a working directory of the test; no list when the
// settings or the caches cannot be had.
struct PackageCatalogueList {
    zeltest::LinkedPackage linked;
    zeltest::FakeLibrary lib;
    std::shared_ptr<CatalogueCache> cache = std::make_shared<CatalogueCache>();
    std::unique_ptr<ElementList> list;
    explicit PackageCatalogueList(const fs::path& pkg) : linked(pkg) {
        const auto settings = ReadCatalogueSettings("setpar");
        if (!settings || !cache->openOrBuild(*settings)) return;
        ElementListSetup s;
        s.numbered = settings->numbered;
        list = std::make_unique<ElementList>(cache, s, lib);
    }
};

TEST(HistogramCounts, CatalogueAgainstDirectCount) {
    const fs::path pkg = zeltest::small_package();
    if (pkg.empty()) FAIL() << "the small data package cannot be built (see package-small/build.log)";
    PackageCatalogueList catalogue(pkg);
    ASSERT_TRUE(catalogue.list);
    const ElementList& list = *catalogue.list;
    ASSERT_GT(list.count(), 20);
    std::vector<double> a;
    for (int row = 0; row < list.count(); ++row) a.push_back(list.value(row, 10));

    const double lo = 2.0, hi = 3.5, step = 0.05;
    const auto r = computeHistogram(a, 10, lo, hi, step);
    ASSERT_TRUE(r);
    std::vector<double> in;
    std::vector<int> bins(30, 0);
    for (double v : a) {
        if (!(v >= lo && v <= hi)) continue;
        in.push_back(v);
        for (int k = 0; k < 30; ++k) {
            const long double left = lo + static_cast<long double>(k) * step, right = left + step;
            if ((v >= left && v < right) || (k == 29 && v == hi)) {
                ++bins[static_cast<std::size_t>(k)];
                break;
            }
        }
    }
    EXPECT_EQ(r->HistRecordCount, static_cast<int>(in.size()));
    ASSERT_EQ(r->HistBinCounts.size(), bins.size());
    int differ = 0;  // only a value on an edge may fall either way
    for (std::size_t k = 0; k < bins.size(); ++k) differ += std::abs(r->HistBinCounts[k] - bins[k]);
    EXPECT_LE(differ, 2);
    std::sort(in.begin(), in.end());
    const std::size_t n = in.size();
    const double median = n % 2 == 1 ? in[n / 2] : (in[n / 2 - 1] + in[n / 2]) / 2;
    EXPECT_DOUBLE_EQ(r->HistMedian, median);
    double sum = 0;
    for (double v : in) sum += v;
    EXPECT_NEAR(r->HistMean, sum / static_cast<double>(n), 1e-12);
}

// Every element of the bundled catalogue: the proposed limits take in the
// smallest and the largest object, so the histogram accepted as proposed
// counts every object; its counts, mean and median equal numpy's
// (tests/zelvo/histogram_reference.py) on the same values. The
// distribution's proposed texts take in the extremes as well.
TEST(HistogramCounts, BundledCatalogueAsProposedAgainstNumpy) {
    const fs::path pkg = fs::path(ZELVO_BINARY_DIR) / "package";
    if (!fs::exists(pkg / "work" / "setpar")) GTEST_SKIP() << "the data package is not built (tools/make_package.sh)";
    PackageCatalogueList catalogue(pkg);
    ASSERT_TRUE(catalogue.list);
    const ElementList& list = *catalogue.list;
    ASSERT_GT(list.count(), 5000);

    // The nine elements as proposed and accepted, their values written for
    // numpy, which reads them all in one run.
    const std::string dir = catalogue.linked.work.dir_slash();
    std::vector<HistogramRequest> requests;
    std::string cmd = "/usr/bin/python3 '" ZELVO_SOURCE_DIR "/tests/zelvo/histogram_reference.py'";
    for (int selection = 0; selection <= 8; ++selection) {
        const int column = selection + 2, index = column;
        const std::string name = fieldName(index);
        SCOPED_TRACE(name);
        std::vector<double> values;
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (int row = 0; row < list.count(); ++row) {
            values.push_back(list.value(row, column));
            const double v = plotValue(index, values.back());
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        HistLimitTexts proposed;
        HistogramDialogs d;
        d.element = [&](int) -> std::optional<int> { return selection; };
        d.limits = [&](HistLimitTexts& t, const std::string&) {
            proposed = t;
            return fw::kIdOk;
        };
        d.message = [](const std::string& m) { ADD_FAILURE() << m; };
        const auto r = prepareHistogram(list, d);
        ASSERT_TRUE(r);
        requests.push_back(*r);
        EXPECT_LE(*decimalValue(proposed.min), lo);
        EXPECT_GE(*decimalValue(proposed.max), hi);
        EXPECT_EQ(r->HistRecordCount, list.count());
        EXPECT_LE(*decimalValue(limit_text(name, lo, false)), lo);
        EXPECT_GE(*decimalValue(limit_text(name, hi, true)), hi);

        const std::string in = dir + "values" + std::to_string(column) + ".txt";
        std::ofstream f(in);
        f << proposed.min << ' ' << proposed.max << ' ' << proposed.step << ' ' << index << '\n';
        char buf[40];
        for (double v : values) {
            std::snprintf(buf, sizeof buf, "%.17g\n", v);
            f << buf;
        }
        cmd += " '" + in + "'";
    }
    cmd += " > '" + dir + "numpy.txt'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::ifstream numpy(dir + "numpy.txt");
    for (const HistogramRequest& r : requests) {
        SCOPED_TRACE(fieldName(r.HistElement));
        std::string line;
        ASSERT_TRUE(std::getline(numpy, line));
        std::istringstream f(line);
        int count = 0;
        double mean = 0, median = 0;
        f >> count >> mean >> median;
        std::vector<std::int32_t> bins;
        for (std::int32_t c = 0; f >> c;) bins.push_back(c);
        EXPECT_EQ(r.HistRecordCount, count);
        EXPECT_NEAR(r.HistMean, mean, 1e-12 * std::max(1.0, std::fabs(mean)));
        EXPECT_DOUBLE_EQ(r.HistMedian, median);
        EXPECT_EQ(r.HistBinCounts, bins);
    }
}

// ---- The windows ----------------------------------------------------------------------

std::vector<char> read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Walks a metafile with libUEMF's checks; the number of records of type.
int check_metafile(const std::string& path, std::uint32_t type) {
    const std::vector<char> file = read_all(path);
    EXPECT_GT(file.size(), 108u);
    const char* limit = file.data() + file.size();
    std::size_t offset = 0;
    int found = 0;
    std::uint32_t last = 0;
    while (offset < file.size()) {
        const char* rec = file.data() + offset;
        uint32_t size = 0, t = 0;
        if (!U_emf_record_sizeok(rec, limit, &size, &t, 1) || !U_emf_record_safe(rec)) {
            ADD_FAILURE() << "bad record at " << offset;
            return -1;
        }
        if (t == type) ++found;
        last = t;
        offset += size;
    }
    EXPECT_EQ(last, static_cast<std::uint32_t>(U_EMR_EOF));
    const auto* h = reinterpret_cast<const U_EMRHEADER*>(file.data());
    EXPECT_EQ(h->nBytes, file.size());
    return found;
}

TEST(PlotWindows, SettingsMetafilePrintColoursAndOwnCounts) {
    zeltest::ScopedWorkDir work;
    AppContext ctx;
    ctx.WorkDir = work.dir_slash();
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};

    // Two histograms: each keeps its own counts.
    HistogramRequest first = *computeHistogram({1, 2, 2, 3}, 10, 1, 3, 1);
    HistogramRequest second = *computeHistogram({1, 1, 1, 1, 1, 1, 1, 1, 1, 3}, 10, 1, 3, 1);
    plotRequests(ctx).histogram = first;
    auto h1 = std::make_unique<CElHistView>(ctx);
    std::unique_ptr<QWidget> w1(h1->createWidget(nullptr));
    EXPECT_FALSE(plotRequests(ctx).histogram);
    plotRequests(ctx).histogram = second;
    auto h2 = std::make_unique<CElHistView>(ctx);
    std::unique_ptr<QWidget> w2(h2->createWidget(nullptr));
    EXPECT_EQ(h1->plot().layout.raw, (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(h2->plot().layout.raw, (std::vector<std::int32_t>{9, 1}));

    // Colours and font from "ElHist.cfg", written when the window goes.
    h1->colors[3] = 0x123456;
    h1.reset();
    w1.reset();
    EXPECT_EQ(fs::file_size(work.path() / "ElHist.cfg"), 80u);
    auto h3 = std::make_unique<CElHistView>(ctx);
    EXPECT_EQ(h3->colors[3], 0x123456u);
    EXPECT_EQ(h3->colors[4], 0x191919u);

    // Printing: white, black, outlines; the screen colours come back.
    fw::RecordingDc page({2000, 1500, 300, 300});
    fw::PrintInfo info;
    h2->onBeginPrinting(info);
    EXPECT_EQ(info.maxPage, 1);
    h2->printPage(page, 2000, 1500);
    const auto outlines = of_kind(page, fw::DrawOp::Kind::Rectangle);
    EXPECT_EQ(outlines.size(), 2u);
    for (const auto& op : of_kind(page, fw::DrawOp::Kind::Text)) EXPECT_EQ(op.color, 0u);
    EXPECT_EQ(h2->colors[3], 0xC8C8C8u);
    h2->onEndPrinting({});

    // The metafile of a histogram and of a distribution of many points.
    QTemporaryDir dir;
    const std::string histPath = QDir(dir.path()).filePath("Hist.emf").toStdString();
    files.answers.push_back(histPath);
    h2->OnSaveAs();
    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_EQ(files.asked[0].defaultExt, "emf");
    EXPECT_EQ(files.asked[0].filter, "Windows Metafile (*.emf)|*.emf||");
    EXPECT_GE(check_metafile(histPath, U_EMR_EXTTEXTOUTW), 2);
    {
        // A path that cannot be written is said so, and the colours come
        // back.
        fw::ScriptedMessageService boxes;
        fw::ScopedMessageService useBoxes{boxes};
        const fw::Colorref background = h2->colors[0];
        files.answers.push_back(QDir(dir.path()).filePath("no-such-dir/Hist.emf").toStdString());
        h2->OnSaveAs();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text,
                  zeltest::emf_not_written(QDir(dir.path()).filePath("no-such-dir/Hist.emf").toStdString()));
        EXPECT_EQ(h2->colors[0], background);
    }

    DistributionRequest d;
    d.DistXElement = 10;
    d.DistYElement = 7;
    d.limits = {0, 1, 0, 1, 0, 0};
    for (int k = 0; k < 200000; ++k) d.DistPoints.push_back({(k % 997) / 997.0, (k % 991) / 991.0, 0});
    plotRequests(ctx).distribution = d;
    CElDistView dist(ctx);
    std::unique_ptr<QWidget> w3(dist.createWidget(nullptr));
    EXPECT_EQ(dist.request().DistPoints.size(), 200000u);
    const std::string distPath = QDir(dir.path()).filePath("Dist.emf").toStdString();
    ASSERT_TRUE(dist.saveMetafile(distPath));
    const int pixels = check_metafile(distPath, U_EMR_SETPIXELV);
    EXPECT_GT(pixels, 10000);
    EXPECT_LE(pixels, 480 * 480);  // each pixel of the field once at most
    EXPECT_LT(fs::file_size(distPath), 4u << 20);
    EXPECT_EQ(dist.colors[0], 0xFFFFFFu);
    {
        fw::ScriptedMessageService boxes;
        fw::ScopedMessageService useBoxes{boxes};
        files.answers.push_back(QDir(dir.path()).filePath("no-such-dir/Dist.emf").toStdString());
        dist.OnSaveAs();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text,
                  zeltest::emf_not_written(QDir(dir.path()).filePath("no-such-dir/Dist.emf").toStdString()));
        EXPECT_FALSE(fs::exists(QDir(dir.path()).filePath("no-such-dir").toStdString()));
    }
}

// Runs handler on the modal dialog of type D once it shows (within a second).
template <class D, class F>
void when_dialog_shows(F handler) {
    auto* timer = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    QObject::connect(timer, &QTimer::timeout, [timer, started, handler] {
        auto* dlg = dynamic_cast<D*>(QApplication::activeModalWidget());
        if (dlg == nullptr && started->elapsed() < 1000) return;
        timer->stop();
        timer->deleteLater();
        delete started;
        if (dlg != nullptr) handler(dlg);
    });
    timer->start(5);
}

// From the element list through the real dialogs to the two plot windows,
// on the small data package.
TEST(PlotWindows, FromTheElementListThroughTheDialogs) {
    const fs::path pkg = zeltest::small_package();
    if (pkg.empty()) FAIL() << "the small data package cannot be built (see package-small/build.log)";
    zeltest::LinkedPackage linked(pkg);
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    ZelvomatLibrary lib;
    TaskApp app{lib, linked.work.dir_slash() + "bin/"};
    ASSERT_TRUE(app.initInstance());
    when_dialog_shows<CElSelectDlg>([](CElSelectDlg* dlg) { dlg->onOK(); });
    ASSERT_TRUE(app.routeCommand(cmd::kTasksElements));
    auto* list = dynamic_cast<CElView*>(app.frame()->activeChildFrame()->view());
    ASSERT_NE(list, nullptr);
    const int objects = list->list()->count();
    ASSERT_GT(objects, 20);

    // Histogram of a: the element, Prev, the element again, limits refused
    // once, then accepted.
    bool refused = false;
    when_dialog_shows<CElHistElementDlg>([&](CElHistElementDlg* dlg) {
        EXPECT_EQ(dlg->list()->count(), 9);
        dlg->list()->setCurrentIndex(8);
        when_dialog_shows<CElHistLimitsDlg>([&](CElHistLimitsDlg* limits) {
            when_dialog_shows<CElHistElementDlg>([&](CElHistElementDlg* again) {
                again->list()->setCurrentIndex(8);
                when_dialog_shows<CElHistLimitsDlg>([&](CElHistLimitsDlg* l) {
                    l->edit(HistField::Min)->setText(QStringLiteral("inf"));
                    l->edit(HistField::Max)->setText(QStringLiteral("0"));
                    l->onOK();  // "inf" holds no number: 0 is not less than 0
                    refused = l->isVisible() && !boxes.shown.empty() &&
                              boxes.shown.back().text == "'Min' must be less 'Max'!";
                    l->edit(HistField::Min)->setText(QStringLiteral("0"));
                    l->edit(HistField::Max)->setText(QStringLiteral("6"));
                    l->edit(HistField::Step)->setText(QStringLiteral("0.5"));
                    l->onOK();
                });
                again->onOK();
            });
            limits->OnPrev();
        });
        dlg->onOK();
    });
    ASSERT_TRUE(app.routeCommand(cmd::kElHistogram));
    EXPECT_TRUE(refused);
    auto* hist = dynamic_cast<CElHistView*>(app.frame()->activeChildFrame()->view());
    ASSERT_NE(hist, nullptr);
    EXPECT_EQ(hist->plot().request.HistElement, 10);
    EXPECT_EQ(hist->plot().layout.bins, 12);
    int sum = 0;
    for (std::int32_t c : hist->plot().layout.raw) sum += c;
    EXPECT_EQ(sum, hist->plot().request.HistRecordCount);
    // The menu bar holds Options as a command of its own.
    bool options = false;
    for (QAction* a : app.frame()->menuBar()->actions())
        options = options || (a->menu() == nullptr && a->text() == QStringLiteral("&Options"));
    EXPECT_TRUE(options);

    // Distribution of a and i in the plane, then Cancel in the limits.
    app.frame()->mdiArea()->setActiveSubWindow(app.frame()->mdiArea()->subWindowList().front());
    ASSERT_EQ(dynamic_cast<CElView*>(app.frame()->activeChildFrame()->view()), list);
    when_dialog_shows<CElDistAxesDlg>([&](CElDistAxesDlg* dlg) {
        dlg->list(0)->setCurrentIndex(8);
        dlg->list(1)->setCurrentIndex(5);
        when_dialog_shows<CElDistLimitsDlg>([&](CElDistLimitsDlg* l) {
            EXPECT_FALSE(l->edit(2, 0)->isEnabled());
            EXPECT_FALSE(l->projectionBox()->isEnabled());
            l->edit(0, 0)->setText(QStringLiteral("3"));
            l->edit(0, 1)->setText(QStringLiteral("2"));
            l->onOK();
            EXPECT_EQ(boxes.shown.back().text, "'Min' mast be less 'Max'!");
            l->edit(0, 0)->setText(QStringLiteral("1"));
            l->edit(0, 1)->setText(QStringLiteral("6"));
            l->onOK();
        });
        dlg->onOK();
    });
    ASSERT_TRUE(app.routeCommand(cmd::kElDistribution));
    auto* dist = dynamic_cast<CElDistView*>(app.frame()->activeChildFrame()->view());
    ASSERT_NE(dist, nullptr);
    EXPECT_EQ(dist->request().DistPoints.size(), static_cast<std::size_t>(objects));
    EXPECT_EQ(dist->request().DistZElement, 1);
    EXPECT_DOUBLE_EQ(dist->request().limits.xMax, 6);
}

}  // namespace
