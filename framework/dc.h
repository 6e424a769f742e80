// The drawing interface of the plots: a drawing context with the operations
// and the habits of the original platform's graphics interface, so that a
// plot's drawing code reads as its description does.
//
// One class family, three back ends:
//   QtDc       draws through QPainter on any paint device (a window's memory
//              picture, an image, the printer, the print preview);
//   EmfDc      writes an enhanced metafile (framework/emfdc.h);
//   RecordingDc keeps every call with its device geometry, for tests.
//
// The base class keeps the state and does the arithmetic that all three
// share: the mapping from logical to device units (MM_TEXT, MM_ISOTROPIC and
// MM_ANISOTROPIC with window and viewport extents and origins), the saved
// states of SaveDC and RestoreDC, the selected pen, brush and font, text and
// background colours, background mode, polygon fill mode, text alignment and
// the current position, and the layout of texts.
//
// Rules kept from the original platform (in device units, after mapping):
//   - a line from A to B covers A but not B; a polyline leaves out its last
//     point;
//   - Rectangle and Ellipse cover the columns left .. right-1 and the rows
//     top .. bottom-1 of their normalised box; without a pen the filled part
//     is one pixel narrower and lower (left .. right-2, top .. bottom-2);
//   - FillRect and PatBlt fill left .. right-1, top .. bottom-1 and never draw
//     an outline;
//   - polygons are filled by the selected fill mode (alternate by default);
//   - a chord's arc runs counterclockwise as seen on the device from the
//     radial through the first point to the radial through the second;
//   - text stays upright whatever the direction of the axes; its size is the
//     font's logical height times the vertical scale of the mapping;
//   - a pen of width 0 or 1 is one device pixel wide; a wider pen is its
//     logical width times the horizontal scale, with round ends; a dashed or
//     dotted pen wider than one pixel draws solid.
#pragma once

#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "gdi.h"

namespace fw {

class DeviceFont;

// What a drawing context knows of its device.
struct DeviceInfo {
    int width = 0;  // pixels
    int height = 0;
    double dpiX = 96.0;
    double dpiY = 96.0;
};

// A text as the base class hands it to a back end: where the caller put it
// (logical units, as a metafile records it) and where it lands on the device.
struct TextRun {
    Point reference;        // logical reference point (for the current alignment)
    unsigned options = 0;   // text_out::k*
    bool hasRect = false;   // rect is the clip or opaque rectangle (logical)
    Rect rect;              // logical
    std::string_view text;  // Windows-1252 bytes
    const DeviceFont* font = nullptr;
    Point deviceOrigin;         // device point of the start of the baseline
    std::vector<int> advances;  // device advance of each character
    Rect deviceCell;            // device box of the text cell (for an opaque background)
    Rect deviceRect;            // rect in device units, normalised (when hasRect)
    bool opaqueCell = false;    // the background mode is opaque: the cell is filled first
};

class Dc {
public:
    virtual ~Dc();
    Dc(const Dc&) = delete;
    Dc& operator=(const Dc&) = delete;

    virtual DeviceInfo device() const = 0;

    // Mapping. Each setter returns the previous value.
    MapMode mapMode() const { return s_.mapMode; }
    MapMode setMapMode(MapMode mode);
    Size windowExt() const { return s_.windowExt; }
    Size setWindowExt(int cx, int cy);
    Point windowOrg() const { return s_.windowOrg; }
    Point setWindowOrg(int x, int y);
    // The extent in force (in MM_ISOTROPIC the one the fitting left).
    Size viewportExt() const { return s_.viewportExt; }
    Size setViewportExt(int cx, int cy);
    Point viewportOrg() const { return s_.viewportOrg; }
    Point setViewportOrg(int x, int y);
    Point lpToDp(Point p) const;
    Point dpToLp(Point p) const;
    // Device pixels per logical unit (signed).
    double scaleX() const;
    double scaleY() const;

    // Saved states: saveDC returns the level of the state saved (1, 2, ...),
    // 0 on failure; restoreDC(n) goes back to level n (n > 0) or to the
    // state saved -n levels ago (n < 0), dropping those saved after it.
    int saveDC();
    bool restoreDC(int level);

    // Selected objects; each select returns what it replaced.
    Pen selectPen(const Pen& pen);
    Brush selectBrush(const Brush& brush);
    LogFont selectFont(const LogFont& font);
    const Pen& pen() const { return s_.pen; }
    const Brush& brush() const { return s_.brush; }
    const LogFont& font() const { return s_.font; }

    Colorref setTextColor(Colorref c);
    Colorref textColor() const { return s_.textColor; }
    Colorref setBkColor(Colorref c);
    Colorref bkColor() const { return s_.bkColor; }
    BkMode setBkMode(BkMode mode);
    BkMode bkMode() const { return s_.bkMode; }
    PolyFillMode setPolyFillMode(PolyFillMode mode);
    PolyFillMode polyFillMode() const { return s_.polyFillMode; }
    unsigned setTextAlign(unsigned align);
    unsigned textAlign() const { return s_.textAlign; }

    // Lines and shapes (logical units).
    Point moveTo(int x, int y);
    Point currentPosition() const { return s_.cp; }
    void lineTo(int x, int y);
    void polyline(std::span<const Point> points);
    void polygon(std::span<const Point> points);
    void rectangle(int left, int top, int right, int bottom);
    void ellipse(int left, int top, int right, int bottom);
    void chord(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);

    // Fills without outline: the rectangle with brush (the selected brush
    // stays), and a pattern operation with the selected brush.
    void fillRect(const Rect& r, const Brush& brush);
    void patBlt(int x, int y, int width, int height, PatternOp op = PatternOp::PatCopy);

    // One pixel; returns the colour set.
    Colorref setPixel(int x, int y, Colorref c);
    // Many pixels of one colour in one call (a distribution of the whole
    // catalogue); the same as setPixel for each point.
    void setPixels(std::span<const Point> points, Colorref c);
    // Fills, with the selected brush, the area around (x, y) bounded by the
    // colour c (Border) or made of the colour c (Surface). Only a raster
    // device can do it (a memory picture, an image); false elsewhere and
    // when the start point does not qualify.
    bool extFloodFill(int x, int y, Colorref c, FloodFillMode mode);

    // Texts (Windows-1252 bytes) in the selected font, text colour and
    // background mode. textOut places the text by the text alignment.
    void textOut(int x, int y, std::string_view text);
    void extTextOut(int x, int y, unsigned options, const Rect* rect, std::string_view text);
    // Draws text in rect by format (draw_text::k*); returns the height of
    // the text in logical units. With kCalcRect nothing is drawn and the
    // rectangle's right and bottom are set to the text's extent.
    int drawText(std::string_view text, Rect& rect, unsigned format);
    // Metrics and extents of the selected font on this device, in logical
    // units.
    TextMetrics textMetrics() const;
    Size textExtent(std::string_view text) const;

protected:
    Dc();

    // State changes, for back ends that record them (a metafile). The
    // arguments are those of the call (a viewport extent as requested).
    enum class Change {
        MapMode,
        WindowExt,
        WindowOrg,
        ViewportExt,
        ViewportOrg,
        SaveDC,
        RestoreDC,
        Pen,
        Brush,
        Font,
        TextColor,
        BkColor,
        BkMode,
        PolyFillMode,
        TextAlign,
        MoveTo,
    };
    virtual void changed(Change /*what*/, int /*a*/, int /*b*/) {}

    // The drawing itself, in logical arguments with the state in force.
    virtual void doLine(Point from, Point to) = 0;
    virtual void doPolyline(std::span<const Point> points) = 0;
    virtual void doPolygon(std::span<const Point> points) = 0;
    virtual void doRectangle(const Rect& r) = 0;
    virtual void doEllipse(const Rect& r) = 0;
    virtual void doChord(const Rect& r, Point start, Point end) = 0;
    virtual void doPattern(const Rect& r, PatternOp op) = 0;
    virtual void doPixels(std::span<const Point> points, Colorref c) = 0;
    virtual bool doFloodFill(Point p, Colorref c, FloodFillMode mode) = 0;
    virtual void doText(const TextRun& run) = 0;

    // Helpers for the back ends.
    // The font selected, realised at the vertical scale of the mapping.
    std::shared_ptr<const DeviceFont> deviceFont() const;
    // r mapped to device units and normalised.
    Rect toDevice(const Rect& r) const;
    // The device width of the selected pen (1 for a one-pixel pen).
    int devicePenWidth() const;
    // The device points of a chord's outline: the arc from start to end,
    // closed by the chord (device units, at least 8 points on the arc).
    std::vector<Point> chordOutline(const Rect& r, Point start, Point end) const;

private:
    struct State {
        MapMode mapMode = MapMode::Text;
        Point windowOrg{0, 0};
        Size windowExt{1, 1};
        Point viewportOrg{0, 0};
        Size viewportExt{1, 1};
        Size requestedViewportExt{1, 1};
        Pen pen = Pen::solid(0, 0);
        Brush brush = Brush::solid(0xFFFFFF);
        LogFont font = LogFont::make(0, kFontNormal, "Arial");
        Colorref textColor = 0;
        Colorref bkColor = 0xFFFFFF;
        BkMode bkMode = BkMode::Opaque;
        PolyFillMode polyFillMode = PolyFillMode::Alternate;
        unsigned textAlign = 0;
        Point cp{0, 0};
    };
    void fitIsotropic();
    TextRun layoutText(Point cellTopLeftDevice, std::string_view text, const DeviceFont& f, const std::vector<int>& adv,
                       unsigned options, const Rect* rect) const;
    Point referenceOf(Point cellTopLeftDevice, int width, const TextMetrics& m) const;

    State s_;
    std::vector<State> saved_;
};

}  // namespace fw
