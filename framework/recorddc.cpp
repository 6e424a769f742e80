#include "recorddc.h"

#include <cstdio>

#include "gdifont.h"

namespace fw {

namespace {
std::string hex(Colorref c) {
    char b[16];
    std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return b;
}

std::string points(const std::vector<Point>& pts) {
    std::string s;
    for (const Point& p : pts) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

const char* kind_name(DrawOp::Kind k) {
    switch (k) {
        case DrawOp::Kind::State:
            return "State";
        case DrawOp::Kind::Line:
            return "LineTo";
        case DrawOp::Kind::Polyline:
            return "Polyline";
        case DrawOp::Kind::Polygon:
            return "Polygon";
        case DrawOp::Kind::Rectangle:
            return "Rectangle";
        case DrawOp::Kind::Ellipse:
            return "Ellipse";
        case DrawOp::Kind::Chord:
            return "Chord";
        case DrawOp::Kind::Pattern:
            return "PatBlt";
        case DrawOp::Kind::Pixels:
            return "SetPixel";
        case DrawOp::Kind::FloodFill:
            return "ExtFloodFill";
        case DrawOp::Kind::Text:
            return "Text";
    }
    return "?";
}

std::string pen_text(const Pen& p) {
    static const char* styles[] = {"solid", "dash", "dot", "dashdot", "dashdotdot", "null"};
    return std::string("pen ") + styles[static_cast<int>(p.style) % 6] + " " + std::to_string(p.width) + " " +
           hex(p.color);
}

std::string brush_text(const Brush& b) {
    if (b.style == BrushStyle::Null) return "brush null";
    if (b.style == BrushStyle::Hatched)
        return "brush hatch" + std::to_string(static_cast<int>(b.hatch)) + " " + hex(b.color);
    return "brush " + hex(b.color);
}
}  // namespace

std::string DrawOp::describe() const {
    if (kind == Kind::State) return state;
    std::string s = std::string(kind_name(kind)) + " " + points(logical) + " dev " + points(device);
    switch (kind) {
        case Kind::Line:
        case Kind::Polyline:
            return s + " " + pen_text(pen);
        case Kind::Polygon:
        case Kind::Rectangle:
        case Kind::Ellipse:
        case Kind::Chord:
            return s + " " + pen_text(pen) + " " + brush_text(brush);
        case Kind::Pattern:
            return s + " " + brush_text(brush);
        case Kind::Pixels:
        case Kind::FloodFill:
            return s + " " + hex(color);
        case Kind::Text:
            return s + " \"" + text + "\" " + font.face() + " " + std::to_string(font.height) + " em " +
                   std::to_string(deviceEm) + " " + hex(color);
        default:
            return s;
    }
}

std::vector<DrawOp> RecordingDc::drawings() const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops_)
        if (op.kind != DrawOp::Kind::State) out.push_back(op);
    return out;
}

std::vector<std::string> RecordingDc::log() const {
    std::vector<std::string> out;
    out.reserve(ops_.size());
    for (const DrawOp& op : ops_) out.push_back(op.describe());
    return out;
}

void RecordingDc::changed(Change what, int a, int b) {
    DrawOp op;
    const std::string ab = " " + std::to_string(a) + " " + std::to_string(b);
    switch (what) {
        case Change::MapMode:
            op.state = "SetMapMode " + std::to_string(a);
            break;
        case Change::WindowExt:
            op.state = "SetWindowExt" + ab;
            break;
        case Change::WindowOrg:
            op.state = "SetWindowOrg" + ab;
            break;
        case Change::ViewportExt:
            op.state = "SetViewportExt" + ab;
            break;
        case Change::ViewportOrg:
            op.state = "SetViewportOrg" + ab;
            break;
        case Change::SaveDC:
            op.state = "SaveDC";
            break;
        case Change::RestoreDC:
            op.state = "RestoreDC " + std::to_string(a);
            break;
        case Change::Pen:
            op.state = "Select " + pen_text(pen());
            break;
        case Change::Brush:
            op.state = "Select " + brush_text(brush());
            break;
        case Change::Font:
            op.state = "Select font " + font().face() + " " + std::to_string(font().height) + " " +
                       std::to_string(font().weight);
            break;
        case Change::TextColor:
            op.state = "SetTextColor " + hex(static_cast<Colorref>(a));
            break;
        case Change::BkColor:
            op.state = "SetBkColor " + hex(static_cast<Colorref>(a));
            break;
        case Change::BkMode:
            op.state = "SetBkMode " + std::to_string(a);
            break;
        case Change::PolyFillMode:
            op.state = "SetPolyFillMode " + std::to_string(a);
            break;
        case Change::TextAlign:
            op.state = "SetTextAlign " + std::to_string(a);
            break;
        case Change::MoveTo:
            op.state = "MoveTo" + ab;
            break;
    }
    ops_.push_back(std::move(op));
}

DrawOp RecordingDc::make(DrawOp::Kind kind, std::span<const Point> logical) const {
    DrawOp op;
    op.kind = kind;
    op.logical.assign(logical.begin(), logical.end());
    for (const Point& p : logical) op.device.push_back(lpToDp(p));
    op.pen = pen();
    op.brush = brush();
    op.color = textColor();
    op.bkColor = bkColor();
    op.bkMode = bkMode();
    op.font = font();
    return op;
}

void RecordingDc::doLine(Point from, Point to) {
    const Point pts[] = {from, to};
    ops_.push_back(make(DrawOp::Kind::Line, pts));
}

void RecordingDc::doPolyline(std::span<const Point> points) { ops_.push_back(make(DrawOp::Kind::Polyline, points)); }

void RecordingDc::doPolygon(std::span<const Point> points) { ops_.push_back(make(DrawOp::Kind::Polygon, points)); }

void RecordingDc::doRectangle(const Rect& r) {
    const Point pts[] = {{r.left, r.top}, {r.right, r.bottom}};
    DrawOp op = make(DrawOp::Kind::Rectangle, pts);
    op.deviceBox = toDevice(r);
    ops_.push_back(std::move(op));
}

void RecordingDc::doEllipse(const Rect& r) {
    const Point pts[] = {{r.left, r.top}, {r.right, r.bottom}};
    DrawOp op = make(DrawOp::Kind::Ellipse, pts);
    op.deviceBox = toDevice(r);
    ops_.push_back(std::move(op));
}

void RecordingDc::doChord(const Rect& r, Point start, Point end) {
    const Point pts[] = {{r.left, r.top}, {r.right, r.bottom}, start, end};
    DrawOp op = make(DrawOp::Kind::Chord, pts);
    op.deviceBox = toDevice(r);
    ops_.push_back(std::move(op));
}

void RecordingDc::doPattern(const Rect& r, PatternOp pop) {
    const Point pts[] = {{r.left, r.top}, {r.right, r.bottom}};
    DrawOp op = make(DrawOp::Kind::Pattern, pts);
    op.deviceBox = toDevice(r);
    op.op = pop;
    ops_.push_back(std::move(op));
}

void RecordingDc::doPixels(std::span<const Point> points, Colorref c) {
    DrawOp op = make(DrawOp::Kind::Pixels, points);
    op.color = c;
    ops_.push_back(std::move(op));
}

bool RecordingDc::doFloodFill(Point p, Colorref c, FloodFillMode mode) {
    DrawOp op = make(DrawOp::Kind::FloodFill, std::span<const Point>(&p, 1));
    op.color = c;
    op.floodMode = mode;
    ops_.push_back(std::move(op));
    return floodFillResult;
}

void RecordingDc::doText(const TextRun& run) {
    DrawOp op = make(DrawOp::Kind::Text, std::span<const Point>(&run.reference, 1));
    op.text = std::string(run.text);
    op.deviceBox = run.deviceCell;
    op.deviceEm = run.font->em();
    op.deviceOrigin = run.deviceOrigin;
    op.options = run.options;
    if (run.hasRect) op.clip = run.rect;
    ops_.push_back(std::move(op));
}

}  // namespace fw
