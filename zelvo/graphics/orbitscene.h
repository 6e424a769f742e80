// The orbit window's scene and geometry without widgets: the bodies (three
// major planets and three catalogue objects with their element sets), the
// date, the direction of view and the scale, the animation, the points of an
// orbit and their projection into the picture, the picture itself drawn
// through the drawing interface, and the two settings files of the working
// directory ("orlast.cfg": the bodies and the date; "orbitMain.cfg": colours
// and font).
//
// Frames and units: element sets are those of the library (epoch as a Julian
// date, then M, argument of perihelion, ascending node, inclination in
// radians of the ecliptic and equinox J2000, eccentricity, mean motion in
// radians per day); positions are heliocentric ecliptic J2000 in AU. The
// picture is in logical units: the Sun at (100, 0), SceneScale AU drawn as
// 500 units, y upward on the screen.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/gdi.h"
#include "zelvomat/core/constants.h"

namespace fw {
class Dc;
}

namespace zelvo {

class Library;

namespace orbit {

// Gaussian gravitational constant (AU^1.5 / day).
using zelvomat::kGaussK;
// The picture takes pi to six decimals for degrees and for the spacing of
// orbit points.
inline constexpr double kPicturePi = 3.141593;
// The scale (AU drawn as 500 units) stays within these bounds.
inline constexpr double kMinScale = 1.0;
inline constexpr double kMaxScale = 100.0;
// Interval of the animation timer, ms.
inline constexpr int kTimerMs = 300;

// Epoch (JD), M, argument of perihelion, node, inclination, e, n.
using ElementSet = std::array<double, 7>;
namespace el {
inline constexpr int kEpoch = 0, kM = 1, kPeri = 2, kNode = 3, kIncl = 4, kEcc = 5, kMotion = 6;
}

struct OrbitBodySlot {
    int number = 0;  // 0: empty slot
    std::string name;
    ElementSet elements{};  // kept when the slot is emptied
};

// Semi-axes (AU) and masses (Sun mass / planet mass) of the major planets
// 1 (Mercury) .. 9 (Pluto); index 0 unused.
inline constexpr std::array<double, 10> kPlanetSemiAxis = {0, 0.4, 0.7, 1.0, 1.5, 5.2, 9.5, 19.3, 30.2, 39.8};
inline constexpr std::array<double, 10> kPlanetMass = {0,       6023600, 408523.5, 328900.55, 3098710,
                                                       1047.35, 3498.0,  22960,    19314,     1.3e8};

// The bodies and the date, shared by every orbit window that is open.
struct OrbitScene {
    std::array<OrbitBodySlot, 3> objects;
    std::array<OrbitBodySlot, 3> planets;
    double date = -1.0;  // Julian date of the picture; -1: none set
    bool elementsLoaded = false;
    int objectsInAll = 0;  // catalogue counts of "setpar"
    int numberedObjects = 0;

    // The planet slots of a new window: Earth, Mars and Jupiter.
    void setDefaultPlanets();
};

// What one window shows: direction of view and scale, the line of nodes.
struct OrbitViewState {
    double longitude = 320;  // degrees, 0 <= L < 360
    double latitude = 40;    // degrees, -90 .. 90
    double scale = 5.2;      // AU drawn as 500 units, kMinScale .. kMaxScale
    bool nodesShown = false;

    // The scale and rotation commands; each returns true when something
    // changed (a step that would leave the range is undone).
    bool scaleDown();  // "Scale +": the scale loses 1 AU (the picture grows)
    bool scaleUp();    // "Scale -": the scale gains 1 AU
    void latitudeStep(double deltaDeg);
    void longitudeStep(double deltaDeg);
    // A scale typed by the user: taken when finite and within the range.
    bool setScale(double scale);
};

// The animation of one window: its timer and its step.
struct Animation {
    double stepDays = 5;  // days per tick; the sign is the direction of time
    bool running = false;
    bool timerStarted = false;

    // "Velocity +": the step moves 1 day away from zero; runs.
    void faster();
    // "Velocity -": the step moves 1 day toward zero, never below 1 day; runs.
    void slower();
    // "Back motion": the direction of time turns.
    void back();
    // "Stop".
    void stop();
};

// ---- Geometry -------------------------------------------------------------------

// a = (k / n)^(2/3) in AU of a mean motion n (radians per day); 0 when n is
// not a positive finite number.
double semiAxisOfMotion(double n);

struct OrbitPoint {
    double r = 0, x = 0, y = 0, z = 0;  // AU, heliocentric ecliptic
};
// The point of the orbit at true anomaly v (radians).
OrbitPoint orbitPointAt(const ElementSet& e, double v);

// The view of a point from longitude L and latitude B (radians).
struct Projected {
    double X = 0, Y = 0;
};
Projected projectToView(double x, double y, double z, double L, double B);

// The projection of one picture: direction and scale.
class PictureProjection {
public:
    explicit PictureProjection(const OrbitViewState& v);
    // Picture point of a heliocentric point in AU: sx = trunc(500 X / scale)
    // + 100, sy = trunc(500 Y / scale); nothing when it is not finite. A point
    // far outside the picture is held at a million units.
    std::optional<fw::Point> point(double x, double y, double z) const;
    double longitudeRad() const { return L_; }
    double latitudeRad() const { return B_; }
    double scale() const { return scale_; }

private:
    double L_, B_, scale_;
};

// Number of points of an object's orbit at a scale: trunc(scale x 1800 /
// 5.2) (x 7200 / 5.2 for the metafile and the printer), made even; the scale
// is held within its range first.
int objectOrbitPoints(double scale, bool output);
// Number of steps of a planet's orbit (N + 1 dots): trunc(1800 a / scale),
// at least 2, even.
int planetOrbitPoints(int planet, double scale);

// The scale that shows every body of the scene's slots: the largest
// semi-axis of the six slots when it is 5 AU or more, else 3.5, within the
// range.
double fitSceneScale(const OrbitScene& s);

// A packed date YYYYMMDD.dd as year, month and day with fraction.
struct CivilDate {
    int year = 0;
    int month = 0;
    double day = 0;
};
CivilDate splitPackedDate(double packed);

// The colour of planet slot j and object slot i (magenta outside 0..2).
fw::Colorref planetSlotColor(const std::array<fw::Colorref, 11>& colors, int j);
fw::Colorref objectSlotColor(const std::array<fw::Colorref, 11>& colors, int i);

// ---- Names of the major planets ---------------------------------------------------

// "Mercury" .. "Pluto" of 1 .. 9; empty for any other number.
std::string majorPlanetName(int number);
// The planet that the first three letters of text name (any case): number
// and text become 1..9 and the proper name; without a match the number stays
// and the text becomes the lower-cased prefix (empty for a shorter text).
void majorPlanetByPrefix(int& number, std::string& text);

// ---- Settings files ------------------------------------------------------------------

// Colours and font of one window ("orbitMain.cfg": eleven colours, 44
// bytes, then the font, 60 bytes).
struct OrbitColors {
    // Each body its own colour: the planets teal, brown and purple, the
    // objects red, green and blue.
    std::array<fw::Colorref, 11> colors = {0xFFFFFF, 0x000000, 0x000000, 0x32C8FF, 0x808000, 0x004080,
                                           0x800080, 0x0000FF, 0x00FF00, 0xFF0000, 0};
    fw::LogFont font = fw::LogFont::make(-28, fw::kFontNormal, "Courier New");

    // Defaults, then the file over them (a missing or short file keeps the
    // defaults of what it does not hold whole).
    void load(const std::string& path);
    bool save(const std::string& path) const;
};

// "orlast.cfg": "%d %d " per slot pair (object i, planet i), then the date
// "%f", one line without a line end.
std::string formatLastState(const OrbitScene& s);
// The numbers and the date of such a line: a number that cannot be read
// leaves the slot's number; a date of 0 (or none, or not finite) is -1.
struct LastState {
    std::array<int, 3> objects{};
    std::array<int, 3> planets{};
    double date = -1.0;
};
LastState parseLastState(std::string_view text, const LastState& before);
// Reads the file; nothing when it cannot be read.
std::optional<std::string> readTextFile(const std::string& path);
// Writes text beside path, then in its place; false when it cannot.
bool writeTextFile(const std::string& path, std::string_view text);

// ---- Names through "orbit.tmp" ------------------------------------------------------

// The exchange record of the library: 18-character name, blank-padded,
// then the catalogue number (int32, little-endian).
inline constexpr std::size_t kTmpNameBytes = 18;
inline constexpr std::size_t kTmpRecordBytes = 22;
struct TmpRecord {
    std::string name;  // 18 bytes
    int number = 0;
};
bool writeTmpRecord(const std::string& path, const TmpRecord& r);
std::optional<TmpRecord> readTmpRecord(const std::string& path);

// The catalogue name of object number through the library (NamePl mode 2):
// the name field up to its first pair of blanks; nothing when the exchange
// fails.
std::optional<std::string> objectNameOf(Library& lib, const std::string& tmpPath, int number);
// The catalogue number of a typed name or number (NamePl mode 1), 0 when it
// names no object; the text must fit the 18-character field.
int objectNumberOf(Library& lib, const std::string& tmpPath, std::string_view text);

// ---- The picture ----------------------------------------------------------------------

enum class PictureKind {
    Screen,  // y upward, southern parts of object orbits dotted
    Output,  // metafile and printer: y downward, every orbit a solid line
};

// Fetches the element sets of the occupied slots (the first picture after a
// change of the bodies); a scene without a date takes the epoch of the first
// body fetched.
void loadElements(OrbitScene& s, Library& lib);

// The points of an object's orbit as drawn: one entry per orbit point (k =
// 0 .. N-1), u = 2 pi k / N from the ascending node; north of the ecliptic
// when z >= 0. Points that are not finite are left out.
struct OrbitTrace {
    std::vector<fw::Point> points;
    std::vector<bool> north;
    int n = 0;
};
OrbitTrace objectOrbitTrace(const ElementSet& e, const PictureProjection& p, bool output);
// The half-plane of the line of nodes: the northern arc (u from 0 to pi)
// closed through the Sun, as a polygon of picture points.
std::vector<fw::Point> nodeHalfPlane(const ElementSet& e, const PictureProjection& p, int n);

// The scale as the picture's caption and the scale dialog show it: its
// digits as they were typed ("9.5", "5.2", "10").
std::string scaleText(double scale);

// The frame of the picture in logical units of the screen picture (y
// upward): the parts of the orbits drawn, the bodies, the axes and every
// text lie inside it; the Sun stands at (100, 0).
inline constexpr fw::Rect kPictureFrame{-740, -590, 940, 570};
// The mappings that show the whole frame: on the screen centred in a window
// of width x height pixels; on a printed page across its width at its top;
// in a metafile with the frame's top left corner at the origin, one unit
// per device unit.
void mapScreenPicture(fw::Dc& dc, int width, int height);
void mapPagePicture(fw::Dc& dc, int width, int height);
void mapMetafilePicture(fw::Dc& dc);

// The whole picture in logical units (the caller sets the mapping, one of
// the three above). Orbits are cut at the frame.
void drawOrbitPicture(fw::Dc& dc, const OrbitScene& s, const OrbitViewState& v, const OrbitColors& c, Library& lib,
                      PictureKind kind);

// The date caption: "T =" year "  " month "  " day ("%3.1f"); "T =" alone
// for a scene without a date.
std::string dateCaption(Library& lib, double jd);

}  // namespace orbit
}  // namespace zelvo
