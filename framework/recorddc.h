// The drawing context that keeps what it is asked to draw, for tests: each
// drawing call with its logical arguments, its device geometry after the
// mapping, and the pen, brush, colours and font in force; state changes are
// kept too, so a test can read the whole sequence (framework/dc.h).
#pragma once

#include <string>
#include <vector>

#include "dc.h"

namespace fw {

struct DrawOp {
    enum class Kind { State, Line, Polyline, Polygon, Rectangle, Ellipse, Chord, Pattern, Pixels, FloodFill, Text };
    Kind kind = Kind::State;
    std::string state;           // Kind::State: the change ("SetMapMode 7", "SelectPen ...")
    std::vector<Point> logical;  // points of the call (a box: its two corners; a chord: box, start, end)
    std::vector<Point> device;   // the same points in device units
    Rect deviceBox;              // normalised device box of a box-shaped call or of a text cell
    Pen pen;
    Brush brush;
    Colorref color = 0;  // pixels, flood fill: the colour given; text: the text colour
    Colorref bkColor = 0;
    BkMode bkMode = BkMode::Opaque;
    PatternOp op = PatternOp::PatCopy;
    FloodFillMode floodMode = FloodFillMode::Border;
    std::string text;
    LogFont font;
    int deviceEm = 0;      // text: character height in device pixels
    Point deviceOrigin;    // text: start of the baseline in device units
    unsigned options = 0;  // text: text_out::k*
    Rect clip;             // text: logical rectangle when options has one

    // One line describing the call.
    std::string describe() const;
};

class RecordingDc : public Dc {
public:
    explicit RecordingDc(DeviceInfo device = {800, 600, 96.0, 96.0}) : device_(device) {}

    DeviceInfo device() const override { return device_; }
    const std::vector<DrawOp>& ops() const { return ops_; }
    // The drawing calls only (no state changes).
    std::vector<DrawOp> drawings() const;
    // describe() of every call, state changes included.
    std::vector<std::string> log() const;
    void clear() { ops_.clear(); }
    // What extFloodFill answers (no raster here).
    bool floodFillResult = true;

protected:
    void changed(Change what, int a, int b) override;
    void doLine(Point from, Point to) override;
    void doPolyline(std::span<const Point> points) override;
    void doPolygon(std::span<const Point> points) override;
    void doRectangle(const Rect& r) override;
    void doEllipse(const Rect& r) override;
    void doChord(const Rect& r, Point start, Point end) override;
    void doPattern(const Rect& r, PatternOp op) override;
    void doPixels(std::span<const Point> points, Colorref c) override;
    bool doFloodFill(Point p, Colorref c, FloodFillMode mode) override;
    void doText(const TextRun& run) override;

private:
    DrawOp make(DrawOp::Kind kind, std::span<const Point> logical) const;

    DeviceInfo device_;
    std::vector<DrawOp> ops_;
};

}  // namespace fw
