// The geometry of a plate plot and its coordinate net: where a sky position
// lands on the plate (the gnomonic projection about the plate centre, R.A.
// growing to the left and declination upward), the extent of the plate on
// the sky, the spacing of the net's lines by that extent, and the drawing of
// the net's dotted lines and their labels through the drawing interface.
//
// Angles are radians; pixels are the plot's logical units.
#pragma once

#include <cstdint>

#include "framework/dc.h"

namespace zelvo {

// Where the plate of one drawing lies.
struct PlateGeometry {
    int x0 = 90, y0 = 20;      // upper left corner of the plate rectangle
    int halfW = 0, halfH = 0;  // half sizes of the rectangle
    int cx = 0, cy = 0;        // the plate centre's pixel
    double scale = 1.0;        // pixels per unit of the tangent plane
    double alpha0 = 0, delta0 = 0;
    double tanRA = 0, tanDecl = 0;  // of the limited half sizes
    double declHalfSize = 0;        // limited, radians

    // The pixel of the tangent-plane point (xi, eta).
    fw::Point placeStandard(double xi, double eta) const;
    // The pixel of a sky position.
    fw::Point place(double alpha, double delta) const;
    // Inside the plate rectangle, edges included.
    bool onPlate(int x, int y) const { return x >= x0 && x <= x0 + 2 * halfW && y >= y0 && y <= y0 + 2 * halfH; }
};

// How the net is laid out: 0 an ordinary plate, 1 the north pole on the
// plate, 2 the centre at a pole, 3 the south pole on the plate.
enum class NetMode { Ordinary = 0, NorthPole = 1, AtPole = 2, SouthPole = 3 };
NetMode plateNetMode(double delta0, double declHalfSize);

// The smallest and largest R.A. and Decl. of the eight points of the plate's
// edges and corners (xi1..xi2, eta1..eta2), R.A. as the inverse projection
// gives it.
void PlateSkyExtremes(double xi1, double xi2, double eta1, double eta2, double alpha0, double delta0, double& alphaMin,
                      double& alphaMax, double& deltaMin, double& deltaMax);

struct NetRange {
    double alphaMin = 0, alphaMax = 0, deltaStart = 0, deltaEnd = 0;
};
NetRange plateNetRange(NetMode mode, const PlateGeometry& g);

// The spacing of the lines: exactly one R.A. part is non-zero; the
// declination step has degrees, arcminutes or both.
struct RaStep {
    std::int32_t hours = 0, minutes = 0;
    double seconds = 0;
    bool operator==(const RaStep&) const = default;
    double radians() const;
};
struct DeclStep {
    std::int32_t degrees = 0, minutes = 0;
    bool operator==(const DeclStep&) const = default;
    double radians() const;
};
RaStep RaNetStep(double extent);
DeclStep DeclNetStep(double extent);
// The first line of the net at or beyond alpha (delta: moved away from the
// equator for a southern declination).
double RaNetStart(double alpha, const RaStep& step);
double DeclNetStart(double delta, const DeclStep& step);

// The texts of the labels, piece by piece as they are drawn: hours and
// minutes of an R.A. line (hours below 24), and the degrees, minutes and
// sign piece of a declination line.
struct RaLabel {
    int hours = 0, minutes = 0;
};
RaLabel raNetLabel(double alpha);
struct DeclLabel {
    std::string degrees;  // " 0", "-0", "+5", "-12"
    std::string minutes;  // "00", "%02d"
};
DeclLabel declNetLabel(double delta);

// The net of one drawing.
class PlateNet {
public:
    PlateNet(const PlateGeometry& g, NetMode mode) : g_(g), mode_(mode) {}

    bool isBelowPlate(int x, int y) const;
    bool isLeftOfPlate(int x, int y) const;
    bool crossesBottomEdge(int x, int y, int px, int py) const;
    bool crossesLeftEdge(int x, int y, int px, int py) const;

    // Draws both families of lines with their labels: dots with the
    // selected pen and brush, labels in the selected font and text colour.
    void draw(fw::Dc& dc) const;

    // What the last draw did (for the checks of the net).
    struct Stats {
        int raLines = 0, declLines = 0, dots = 0, raLabels = 0, declLabels = 0;
    };
    const Stats& stats() const { return stats_; }

    // Lines never drawn beyond this many per family (a net whose range the
    // steps cannot cover).
    static constexpr int kMaxLines = 400;

private:
    void drawRaLines(fw::Dc& dc) const;
    void drawDeclLines(fw::Dc& dc) const;
    void drawRaLabel(fw::Dc& dc, double alpha, int x, int y) const;
    void drawDeclLabel(fw::Dc& dc, double delta, int x, int y) const;

    PlateGeometry g_;
    NetMode mode_;
    mutable Stats stats_;
};

}  // namespace zelvo
