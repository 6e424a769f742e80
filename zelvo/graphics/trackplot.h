// The picture of the track view: the apparent paths of up to three objects
// across the sky in right ascension and declination as seen from the Earth,
// with the Sun, the Moon and its phase, a sky grid with labelled ticks and a
// legend of the positions at one shown date.
//
// Everything here is plain: the conversions, the clipping to the plot, the
// adaptive stepping along each track and the drawing passes, all on the
// drawing interface (framework/dc.h) and the library's seam. The window
// (trackview.h) only runs the passes into its pictures and shows them.
//
// Coordinates of the passes are logical units: x to the right from the left
// edge, y upward from the vertical middle; the plot rectangle spans x 130 to
// 730 and y -230 to 370. Right ascension grows to the left (east left, as on
// the sky). In metafile mode every y handed to the device is negated, while
// the tests against the plot rectangle use the values before negation.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "framework/dc.h"
#include "framework/gdi.h"
#include "zelvo/app/library.h"
#include "zelvomat/core/constants.h"

namespace zelvo::track {

using zelvomat::kPi;
using zelvomat::kTwoPi;

// ---- Conversions -------------------------------------------------------------

// Units (hours or degrees), minutes and seconds of an angle: the units are
// truncated toward zero, the minutes and seconds are of the magnitude; when
// the units are 0 and the angle negative, the minutes carry the sign.
struct Sexagesimal {
    int units = 0;
    int minutes = 0;
    double seconds = 0.0;
};
Sexagesimal RadiansToHms(double x);
Sexagesimal RadiansToDms(double x);
// The same with the seconds rounded to `decimals` places (0 .. 6) and the
// rounding carried into the minutes and units, as the legend shows them:
// 59.996 s to two places is the next minute, never 60.00.
Sexagesimal roundedHms(double x, int decimals);
Sexagesimal roundedDms(double x, int decimals);
// Rounded to whole minutes (seconds 0), carried the same way.
Sexagesimal roundedHm(double x);
Sexagesimal roundedDm(double x);
// v brought down (Truncate) or up (Ceil, with a tolerance of 1e-5 of the
// unit) in magnitude to a multiple of 10 minutes of time (flag 0) or of arc
// (flag 1); the sign of v is kept.
double TruncateToTenMinutes(int flag, double v);
double CeilToTenMinutes(int flag, double v);
// The integer part of v, one further from zero when the fraction exceeds
// 1e-5 in magnitude.
int RoundAwayFromZero(double v);

// ---- The plot rectangle and clipping ------------------------------------------

inline constexpr int kPlotLeft = 130;
inline constexpr int kPlotRight = 730;
inline constexpr int kPlotBottom = -230;
inline constexpr int kPlotTop = 370;
// Left edge of the object blocks and of the date of the legend.
inline constexpr int kLegendX = 1050;

bool inPlot(fw::Point p);  // inside or on the border
// The outside point moved onto the border of the plot along the line toward
// the inside point (see the track picture's description in trackplot.cpp).
fw::Point ClipToPlotArea(fw::Point outside, fw::Point inside);

// The ten colour items, in the order of the palette, of dialog 121's list
// and of "trace.cfg".
enum Item : int { Background, Sky, Text, Line, Sun, MoonLight, MoonDark, Object1, Object2, Object3 };
using Palette = std::array<fw::Colorref, 10>;
Palette defaultScreenPalette();
Palette printPalette();
fw::LogFont defaultLabelFont();  // "Courier New", height -28, weight 400

// ---- The scale dialog's values --------------------------------------------------

// The values of dialog 157: R.A. from and to in hours and minutes, Decl.
// from and to as a degrees text and arc minutes.
struct ScaleValues {
    int raFromH = 0, raFromM = 0, raToH = 0, raToM = 0;
    std::string declFromDeg;
    int declFromMin = 0;
    std::string declToDeg;
    int declToMin = 0;
    friend bool operator==(const ScaleValues&, const ScaleValues&) = default;
};
// A declination bound from its degrees text and arc minutes (radians): "-0"
// with minutes is a small negative bound.
double declinationBound(const std::string& degrees, int minutes);
// The dialog's own checks (after its field exchange): the message of the
// first that fails, empty when all pass. 24 h 00 m to 0 h 00 m turns the
// from value into 0 h first.
std::string checkScaleValues(ScaleValues& v);
// The values shown for a sky window (radians: R.A. from, to, Decl. from,
// to), rounded to the whole minute.
ScaleValues scaleValuesOf(const std::array<double, 4>& window);
// The sky window of accepted values: bounds in radians, the declinations in
// order, equal bounds parted by 0.0001.
std::array<double, 4> skyWindowOf(const ScaleValues& v);

// ---- The input dialog's dates ------------------------------------------------------

// Days of a month of the civil calendar (Julian before 1582 October,
// Gregorian from then on); 0 for a month outside 1 .. 12.
int days_in_month(int year, int month);
// The message for a day that the month does not have (the day must be at
// least 1 and below the month's last day + 1), empty when it has it. which:
// "initial" or "final".
std::string checkDay(int year, int month, double day, const char* which);
// The packed date YYYYMMDD.ddddd of a calendar date.
double packedDate(int year, int month, double day);

// ---- "trace.cfg" ---------------------------------------------------------------------

struct TraceSettings {
    std::array<std::string, 3> names{"1 Ceres", "", ""};
    std::array<std::int32_t, 3> numbers{1, 0, 0};
    std::int32_t year1 = 2002, month1 = 1;
    double day1 = 1.0;
    std::int32_t year2 = 2002, month2 = 5;
    double day2 = 1.0;
    double step = 10.0;
    Palette colors = defaultScreenPalette();
    fw::LogFont font = defaultLabelFont();

    // 242 bytes: a missing, empty or short file keeps the defaults of what
    // it does not hold.
    void read(const std::string& path);
    std::vector<std::uint8_t> bytes() const;
    // False when the file cannot be written (the old one then stays).
    bool write(const std::string& path) const;
};
inline constexpr std::size_t kTraceCfgBytes = 242;

// ---- The picture -----------------------------------------------------------------------

// One object slot's progress along its track.
struct TrackSlot {
    double date = 0.0;                // Julian date of the last point tried
    double step = 0.0;                // days, the increment of the next trial
    double prevRa = 0.0;              // alpha of the last accepted point, normalised
    double prevRel = 0.0;             // (alpha - centre) / half width at the last evaluated point
    bool penUp = true;                // the next accepted point starts a new line
    int halvings = 0;                 // step halvings at an R.A. jump (wide windows)
    double lastX = 0.0, lastY = 0.0;  // mirrored R.A. and declination of the last accepted point
};

enum class Pass { EmptyFrame, Frame, Start, Step, End, Legend, Whole };

class TrackPicture {
public:
    explicit TrackPicture(Library& lib);

    // Input.
    std::array<std::int32_t, 3> ObjectNumber{};
    std::array<std::string, 3> ObjectName;
    double StartJd = 0.0, EndJd = 0.0, ShownJd = 0.0;
    double TimeStep = 0.0;
    std::array<double, 4> SkyWindow{0.0, kTwoPi, -kPi / 2, kPi / 2};
    double ScaleX = 0.0, ScaleY = 0.0;
    double workFrom = 0.0, workTo = kTwoPi;  // the R.A. working window of the tracks

    // The Sun and the Moon, cached until stale.
    bool ShowSun = false, ShowMoon = false;
    bool sunStale = false, moonStale = false;
    double sunRa = 0.0, sunDecl = 0.0;
    double moonRa = 0.0, moonDecl = 0.0, moonElong = 0.0;

    bool FrameOnly = true;
    bool GridOn = false;
    bool MetafileMode = false;
    bool Printing = false;

    Palette colors = defaultScreenPalette();
    fw::LogFont LabelFont = defaultLabelFont();

    // ScaleX and ScaleY of SkyWindow.
    void updateScales();

    // The passes (the context is prepared by render, or by the printing).
    void EmptyFramePass(fw::Dc& dc);
    void FramePass(fw::Dc& dc);
    void StartPass(fw::Dc& dc);
    void StepPass(fw::Dc& dc);
    void EndPlotPass(fw::Dc& dc);
    void LegendPass(fw::Dc& dc);
    void WholePicturePass(fw::Dc& dc);
    // Prepares dc (brush, pen, clearing, mapping, font, text colour) for a
    // pass on a surface of width x height pixels and runs it; everything
    // selected is put back afterwards.
    void render(Pass pass, fw::Dc& dc, int width, int height, bool clear);
    // The printed page of outputWidth x outputHeight device pixels.
    void printPage(fw::Dc& dc, int outputWidth, int outputHeight);

    // The drawing state machine: 3 frame, 4 start, 5 steps, 6 legend, 7
    // finished, 1 idle. One step on the work surface (frame and tracks) and
    // the picture surface (the work copied by copyWork, then the legend).
    int DrawState = 1;
    void stepDrawing(fw::Dc& work, fw::Dc& picture, int width, int height, const std::function<void()>& copyWork);

    // True while some used slot's track has not reached EndJd.
    bool tracksRunning() const;
    const TrackSlot& slot(int i) const { return slots_[static_cast<std::size_t>(i)]; }
    double maxDt() const { return maxDt_; }
    int charWidth() const { return cw_; }
    int charHeight() const { return ch_; }
    // MoonSun calls made so far (a step's cost).
    long long positionCalls() const { return positionCalls_; }

    // The plot place of a direction for the Sun, the Moon and the markers
    // (x from the window's R.A. from, R.A. growing to the left).
    fw::Point skyPoint(double alpha, double delta) const;
    // The right edge of the picture (logical units, font selected): the
    // legend's blocks and texts inside it.
    int pictureRight(const fw::Dc& dc) const;
    // The right edge of an object's legend box that starts at x.
    int objectBoxRight(const fw::Dc& dc, int x) const;

private:
    int Y(int y) const { return MetafileMode ? -y : y; }
    // The step between the lines of a legend block: 40 units, or more when
    // the font's characters and the raised unit signs (10 units up) need it.
    int rowStep() const { return std::max(40, ch_ + 12); }
    void rect(fw::Dc& dc, int l, int t, int r, int b);
    void ellipse(fw::Dc& dc, int l, int t, int r, int b);
    void chord(fw::Dc& dc, int l, int t, int r, int b, int x1, int y1, int x2, int y2);
    void moveTo(fw::Dc& dc, int x, int y);
    void lineTo(fw::Dc& dc, int x, int y);
    void text(fw::Dc& dc, int x, int y, const std::string& s);
    void cell(fw::Dc& dc, int left, int right, int top, const std::string& s);
    std::array<double, 5> position(int number, double jd);

    void BeginPlotPass(fw::Dc& dc);
    void DrawSkyGrid(fw::Dc& dc);
    bool hourMinuteLabelFits(int x, int& lastLeft) const;
    void DrawHourMinuteLabel(fw::Dc& dc, int hours, int minutes, int x, int y);
    void PrepareTrackGeometry();
    double normalise(double alpha) const;
    void selectObject(fw::Dc& dc, int i);
    void StartObjectTrack(fw::Dc& dc, int i);
    void AdvanceObjectTrack(fw::Dc& dc, int i);
    void SkyMoveTo(fw::Dc& dc, double px, double py);
    void SkyLineTo(fw::Dc& dc, double px, double py);
    fw::Point trackPoint(double px, double py) const;
    void DrawDateLabel(fw::Dc& dc, double jd);
    void DrawMoonLegend(fw::Dc& dc, double jd);
    void DrawSunLegend(fw::Dc& dc, double jd);
    void DrawObjectLegend(fw::Dc& dc, double jd, int i, int x, int y);
    void DrawObjectValues(fw::Dc& dc, int i, double alpha, double delta, double mag, int x, int y);
    void DrawBodyValues(fw::Dc& dc, double alpha, double delta, double e, int x, int y);

    Library& lib_;
    std::array<TrackSlot, 3> slots_{};
    double halfWidth_ = kPi, centre_ = kPi, cut_ = 0.0, wrapLimit_ = 0.9;
    double maxDt_ = 1e-5;
    int cw_ = 0, ch_ = 0;
    fw::Pen savedPen_;
    fw::Brush savedBrush_;
    long long positionCalls_ = 0;
};

}  // namespace zelvo::track
