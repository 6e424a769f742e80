// The histogram and the distribution of an element list, without windows:
// the names of the values they plot, the binning, the range statistics and
// the median, the proposals of the limit dialogs and the checks of those
// dialogs, the requests that the element list hands to a new plot window,
// and the pixel geometry and drawing of both plots on any drawing context.
//
// Values: a plot names what it shows by an element index, 2 "H" .. 10 "a"
// (the list's columns) and derived code + 10 for the list's derived value.
// A G below -999 (no slope parameter in the catalogue) counts as 0.15
// wherever it is binned, counted, compared or plotted. Values that are not
// finite (a derived quantity that has none for an object) are left out of
// every count, limit and picture.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dc.h"

namespace zelvo::elements {

// The names of the values by element index (0 .. 27).
inline constexpr std::array<const char*, 28> ElementFieldNames = {"N",
                                                                  "Name",
                                                                  "H",
                                                                  "G",
                                                                  "M",
                                                                  "Peri",
                                                                  "Node",
                                                                  "i",
                                                                  "e",
                                                                  "n",
                                                                  "a",
                                                                  "a*(1-e)",
                                                                  "a*(1+e)",
                                                                  "a*(1-e**2)",
                                                                  "a**(3/2)",
                                                                  "Peri+Node",
                                                                  "n*3600",
                                                                  "H+5*lg(a(a-1))",
                                                                  "M+Peri+Node",
                                                                  "dist_AscNode",
                                                                  "dist_DscNode",
                                                                  "D_Phot",
                                                                  "MOID",
                                                                  "CT",
                                                                  "NC  ",
                                                                  "T_per",
                                                                  "T_AscNode",
                                                                  "T_DscNode"};

// ElementFieldNames[index], empty outside the table.
std::string fieldName(int index);
// The title of an axis: the name, and for the values that depend on the
// fixed object (index 22 and above) its number in parentheses ("MOID(433)").
std::string axisTitle(int index, int fixedObjectNumber);
// The element index of a list column (2..10; 11 the derived value).
int elementIndex(int column, int derivedCode);
// A value as the plots take it: a missing G (index 3) as 0.15.
double plotValue(int index, double v);

// ---- Binning -------------------------------------------------------------------------

// The number of whole bins of width step in range, rounded as the limits
// dialog proposes it: the quotient, one more when the remainder is at least
// 0.5 (in the element's units), one less when it is -0.5 or less.
int BinCount(double range, double step);
struct BinPlace {
    int index = -1;  // -1 for an offset below 0
    double remainder = 0;
};
BinPlace BinIndex(double offset, double step);
// The whole number of steps in offset, rounded down; a quotient within the
// rounding of the division of a whole number is that number, so that a value
// on a bin edge (0.15 from 0 by 0.05) lies in the bin that starts there.
double binQuotient(double offset, double step);
// The bins a histogram draws from min to max: the whole bins and the last,
// partial one, so that every value in [min, max] lies in a drawn bin.
int drawnBinCount(double min, double max, double step);
// The drawn bin of a value in [min, max] (-1 outside).
int drawnBinOf(double v, double min, double max, double step, int bins);

// ---- The limits dialogs ----------------------------------------------------------------

// The standard decimal conversion of a text: leading blanks, an optional
// sign, digits with a point and decimals, an optional exponent, up to the
// first other character; a text without a number gives 0. Words such as
// "inf" or "nan" and hexadecimal forms hold no decimal number here, and a
// number too large for a double gives no value at all.
std::optional<double> decimalValue(std::string_view text);

// The texts dialog 111 starts with.
struct HistLimitTexts {
    std::string min, max, step;
};
HistLimitTexts histLimitTexts(double min, double max, double step, std::string_view name);
// A proposed limit as the element's text, rounded outwards to its last
// decimal (down for a lower limit, up for an upper one), so that the limit
// read back from the text still takes in the value.
std::string limit_text(std::string_view name, double value, bool upper);

enum class HistField { None, Min, Max, Step };
struct LimitCheck {
    std::string message;  // empty: accepted
    HistField focus = HistField::None;
    double min = 0, max = 0, step = 0;
};
// OK of dialog 111 on its three texts.
LimitCheck checkHistLimits(const HistLimitTexts& t);

enum class DistField { None, XMin, YMin, ZMin };
struct DistLimits {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
};
// OK of dialog 116 on the limits taken (the Z limits only with a third value).
struct DistCheck {
    std::string message;
    DistField focus = DistField::None;
};
DistCheck checkDistLimits(const DistLimits& l, bool hasZ);

// A field that holds one decimal number and nothing else (blanks aside).
std::optional<double> number_field(std::string_view text);

// ---- The histogram ---------------------------------------------------------------------

struct HistProposal {
    double min = 1.0e7, max = -1.0e7, step = 1.0;
};
// The proposal of dialog 111 from the values of the list (element index
// index): the data's own smallest and largest value and a tenth of the range
// as step; when every value is the same, a range of two steps of 1 above it.
HistProposal proposeHistogram(const std::vector<double>& values, int index);

// What a histogram window takes over.
struct HistogramRequest {
    int HistElement = 0;
    double HistMin = 0, HistMax = 0, HistStep = 1;
    std::vector<std::int32_t> HistBinCounts;  // one entry per drawn bin
    std::int32_t HistRecordCount = 0;
    double HistMean = 0, HistMedian = 0;
    int FixedObjectNumber = 0;  // of the list, for the titles of MOID and the like
};

// The counts and statistics of values (list order) between min and max
// (both included); nullopt when no value lies in that range ("Range is
// outside selected data").
std::optional<HistogramRequest> computeHistogram(const std::vector<double>& values, int index, double min, double max,
                                                 double step);
// The median of the ascending values lo..hi.
double HistogramMedian(const std::vector<double>& sorted, int lo, int hi);

// The geometry of a histogram's bars and ticks.
struct HistLayout {
    int bins = 0;                   // N, bars drawn
    std::vector<int> heights;       // pixels
    std::vector<std::int32_t> raw;  // counts
    int largest = 1;                // M
    int yTickStep = 1, yTickSpacing = 330;
    int xTickStep = 1;
    int barWidth = 0;
};
HistLayout layoutHistogram(const HistogramRequest& r);

// Text formats of the title and the X labels.
std::string stepText(double step);
std::string xLabel(int index, double step, double value);

// Colours of the histogram: Background, Text, Line, 1st column, 2nd column.
using HistColors = std::array<fw::Colorref, 5>;
inline constexpr HistColors kHistDefaultColors = {0xFFFFFF, 0x000000, 0x000000, 0xC8C8C8, 0x191919};
inline constexpr HistColors kHistPrintColors = {0xFFFFFF, 0x000000, 0x000000, 0x000000, 0x000000};
fw::LogFont plotDefaultFont();

struct HistogramPlot {
    HistogramRequest request;
    HistLayout layout;
};
// The smallest canvas a plot is laid out on (logical units); a smaller
// window scrolls over it.
fw::Size histogramMinimumCanvas();
// The canvas of a window of client size: the window, but no smaller than
// minimum.
fw::Size windowCanvas(fw::Size client, fw::Size minimum);
// Prepares a printed page of width x height device pixels for a plot: 800
// logical units across the page inside a margin of a fortieth of its width,
// as high as the page allows but no higher than 600; returns the canvas in
// logical units.
fw::Size preparePlotPage(fw::Dc& dc, int width, int height);
// Draws a histogram on the canvas (0, 0)-(canvas) in logical units, with no
// background fill of its own: the title and the statistics at the top,
// broken into lines that fit, the Y axis with its labels at the left, the X
// labels below, the bars filling the rest. Printing draws the bars as
// outlines.
void drawHistogram(fw::Dc& dc, const HistogramPlot& plot, const HistColors& colors, const fw::LogFont& font,
                   bool printing, fw::Size canvas);

// ---- The distribution -------------------------------------------------------------------

struct DistPoint {
    double x = 0, y = 0, z = 0;
};
struct DistributionRequest {
    int DistXElement = 2, DistYElement = 2, DistZElement = 1;  // Z 1 or less: none
    DistLimits limits;
    std::vector<DistPoint> DistPoints;
    int DistProjection = 0;
    int FixedObjectNumber = 0;
    bool hasZ() const { return DistZElement > 1; }
};
// Limits proposed for dialog 116 from the points: each axis's smallest and
// largest finite value (0 and 0 for an axis without any).
DistLimits proposeDistribution(const std::vector<DistPoint>& points, bool hasZ);

struct DistGeometry {
    bool threeD = false;
    int x0 = 100, y0 = 450, size = 350, d = 0;
};
DistGeometry distGeometry(bool threeD);
// The pixels of the points inside the limits (three each with the
// projection), each pixel once, row by row; count receives the number of
// points inside.
std::vector<fw::Point> distributionPixels(const DistributionRequest& r, int& count);
// The same for a plot of geometry g on a canvas of area (logical units).
std::vector<fw::Point> distributionPixels(const DistributionRequest& r, int& count, const DistGeometry& g,
                                          fw::Size area);
fw::Size distributionMinimumCanvas();
// The geometry of a distribution on a canvas: the field (or the box) as
// large as the canvas allows beside the legend at the top, the axis titles
// and the values of the ticks. legendBottom receives the lowest line of the
// legend.
DistGeometry fitDistribution(fw::Dc& dc, const DistributionRequest& r, const fw::LogFont& font, fw::Size canvas,
                             int& legendBottom);

// Colours of the distribution: Background, Text, Line, Field, Dots.
using DistColors = std::array<fw::Colorref, 5>;
inline constexpr DistColors kDistDefaultColors = {0xFFFFFF, 0x000000, 0x000000, 0x000064, 0x006464};
inline constexpr DistColors kDistPrintColors = {0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0x000000};

// Draws the distribution on the canvas (0, 0)-(canvas): the plot area, the
// field or the box, ticks, the points in one batch, the legend, the axis
// titles and the values of the ticks (as many as stand clear of each
// other). The points drawn.
int drawDistribution(fw::Dc& dc, const DistributionRequest& r, const DistColors& colors, const fw::LogFont& font,
                     fw::Size canvas);

}  // namespace zelvo::elements
