#include "emfdc.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "binfile.h"
#include "cp1252.h"
#include "gdifont.h"

namespace fw {

namespace {
// Record types of the enhanced metafile format.
enum : std::uint32_t {
    kHeader = 1,
    kPolygon = 3,
    kPolyline = 4,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetPixelV = 15,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kMoveToEx = 27,
    kSaveDc = 33,
    kRestoreDc = 34,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kChord = 46,
    kExtFloodFill = 53,
    kLineTo = 54,
    kBitBlt = 76,
    kExtCreateFontIndirectW = 82,
    kExtTextOutW = 84,
    kPolygon16 = 86,
    kPolyline16 = 87,
};
constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kVersion = 0x00010000;
constexpr std::uint32_t kGraphicsCompatible = 1;
constexpr std::uint32_t kDesignVectorSignature = 0x08007664;
constexpr std::size_t kMaxHandles = 64;

bool fits16(std::span<const Point> pts) {
    return std::all_of(pts.begin(), pts.end(),
                       [](const Point& p) { return p.x >= -32768 && p.x <= 32767 && p.y >= -32768 && p.y <= 32767; });
}
}  // namespace

// One record being built: type, size (set when done), then its fields,
// little-endian, padded to a multiple of four bytes.
class EmfDc::Record {
public:
    explicit Record(std::uint32_t type) {
        u32(type);
        u32(0);
    }
    Record& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Record& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Record& u16(std::uint16_t v) {
        b_.push_back(static_cast<std::uint8_t>(v));
        b_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Record& i16(int v) { return u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    Record& f32(float f) {
        std::uint32_t u = 0;
        static_assert(sizeof u == sizeof f);
        std::memcpy(&u, &f, sizeof u);
        return u32(u);
    }
    Record& rect(const Rect& r) { return i32(r.left).i32(r.top).i32(r.right).i32(r.bottom); }
    Record& point(const Point& p) { return i32(p.x).i32(p.y); }
    Record& u8(std::uint8_t v) {
        b_.push_back(v);
        return *this;
    }
    // A UTF-16 text in a field of n characters (n = 0: the text's length).
    Record& utf16(const QString& s, std::size_t n) {
        const std::size_t len = n == 0 ? static_cast<std::size_t>(s.size()) : n;
        for (std::size_t i = 0; i < len; ++i)
            u16(i < static_cast<std::size_t>(s.size()) ? s.at(static_cast<qsizetype>(i)).unicode() : 0);
        return *this;
    }
    std::size_t size() const { return b_.size(); }
    const std::vector<std::uint8_t>& done() {
        while (b_.size() % 4 != 0) b_.push_back(0);
        const auto n = static_cast<std::uint32_t>(b_.size());
        for (int i = 0; i < 4; ++i) b_[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
        return b_;
    }

private:
    std::vector<std::uint8_t> b_;
};

EmfDc::EmfDc(DeviceInfo reference) : reference_(reference) {
    if (reference_.width <= 0) reference_.width = 1920;
    if (reference_.height <= 0) reference_.height = 1080;
    if (reference_.dpiX <= 0) reference_.dpiX = 96;
    if (reference_.dpiY <= 0) reference_.dpiY = 96;
}

EmfDc::~EmfDc() = default;

void EmfDc::put(const Record& r) {
    Record copy = r;
    const auto& b = copy.done();
    records_.insert(records_.end(), b.begin(), b.end());
    ++recordCount_;
}

void EmfDc::include(const Rect& box, int margin) {
    const Rect r{box.left - margin, box.top - margin, box.right + margin, box.bottom + margin};
    if (bounds_.right < bounds_.left) {
        bounds_ = r;
        return;
    }
    bounds_ = {std::min(bounds_.left, r.left), std::min(bounds_.top, r.top), std::max(bounds_.right, r.right),
               std::max(bounds_.bottom, r.bottom)};
}

void EmfDc::includeDevicePoints(std::span<const Point> logical) {
    if (logical.empty()) return;
    Point a = lpToDp(logical.front());
    Rect box{a.x, a.y, a.x, a.y};
    for (const Point& p : logical) {
        const Point d = lpToDp(p);
        box = {std::min(box.left, d.x), std::min(box.top, d.y), std::max(box.right, d.x), std::max(box.bottom, d.y)};
    }
    include(box, pen().style == PenStyle::Null ? 0 : devicePenWidth() / 2);
}

// Mapping, saved states and attributes are written as they change; objects
// when a drawing needs them.
void EmfDc::changed(Change what, int a, int b) {
    switch (what) {
        case Change::MapMode:
            put(Record(kSetMapMode).i32(a));
            break;
        case Change::WindowExt:
            put(Record(kSetWindowExtEx).i32(a).i32(b));
            break;
        case Change::WindowOrg:
            put(Record(kSetWindowOrgEx).i32(a).i32(b));
            break;
        case Change::ViewportExt:
            put(Record(kSetViewportExtEx).i32(a).i32(b));
            break;
        case Change::ViewportOrg:
            put(Record(kSetViewportOrgEx).i32(a).i32(b));
            break;
        case Change::SaveDC:
            put(Record(kSaveDc));
            savedSel_.push_back(sel_);
            break;
        case Change::RestoreDC: {
            put(Record(kRestoreDc).i32(a));
            const auto keep = static_cast<std::size_t>(static_cast<int>(savedSel_.size()) + a);
            sel_ = savedSel_[keep];
            savedSel_.resize(keep);
            break;
        }
        case Change::TextColor:
            put(Record(kSetTextColor).u32(static_cast<std::uint32_t>(a)));
            break;
        case Change::BkColor:
            put(Record(kSetBkColor).u32(static_cast<std::uint32_t>(a)));
            break;
        case Change::BkMode:
            put(Record(kSetBkMode).i32(a));
            break;
        case Change::PolyFillMode:
            put(Record(kSetPolyFillMode).i32(a));
            break;
        case Change::TextAlign:
            put(Record(kSetTextAlign).i32(a));
            break;
        case Change::MoveTo:
            put(Record(kMoveToEx).i32(a).i32(b));
            break;
        case Change::Pen:
        case Change::Brush:
        case Change::Font:
            break;
    }
}

std::uint32_t& EmfDc::selected(Kind kind) {
    return kind == Kind::Pen ? sel_.pen : kind == Kind::Brush ? sel_.brush : sel_.font;
}

std::uint32_t EmfDc::handleFor(Kind kind, const std::vector<std::uint8_t>& key) {
    if (auto it = byKey_.find(key); it != byKey_.end()) return it->second;
    std::uint32_t index = 0;
    for (std::size_t i = 1; i < handles_.size(); ++i)
        if (handles_[i].empty()) {
            index = static_cast<std::uint32_t>(i);
            break;
        }
    if (index == 0 && handles_.size() < kMaxHandles) {
        handles_.emplace_back();
        index = static_cast<std::uint32_t>(handles_.size() - 1);
    }
    if (index == 0) {
        // The table is full: free an object that no state has selected.
        auto inUse = [&](std::uint32_t h) {
            if (h == sel_.pen || h == sel_.brush || h == sel_.font) return true;
            return std::any_of(savedSel_.begin(), savedSel_.end(),
                               [h](const Selection& s) { return h == s.pen || h == s.brush || h == s.font; });
        };
        for (std::uint32_t h = 1; h < handles_.size(); ++h)
            if (!inUse(h)) {
                index = h;
                break;
            }
        put(Record(kDeleteObject).u32(index));
        byKey_.erase(handles_[index]);
    }
    handles_[index] = key;
    byKey_[key] = index;
    maxHandle_ = std::max(maxHandle_, index);
    if (kind == Kind::Pen) {
        const Pen& p = pen();
        put(Record(kCreatePen).u32(index).u32(static_cast<std::uint32_t>(p.style)).i32(p.width).i32(0).u32(p.color));
    } else if (kind == Kind::Brush) {
        const Brush& br = brush();
        put(Record(kCreateBrushIndirect)
                .u32(index)
                .u32(static_cast<std::uint32_t>(br.style))
                .u32(br.color)
                .u32(static_cast<std::uint32_t>(br.hatch)));
    } else {
        const LogFont& f = font();
        Record r(kExtCreateFontIndirectW);
        r.u32(index).i32(f.height).i32(f.width).i32(f.escapement).i32(f.orientation).i32(f.weight);
        r.u8(f.italic).u8(f.underline).u8(f.strikeOut).u8(f.charSet);
        r.u8(f.outPrecision).u8(f.clipPrecision).u8(f.quality).u8(f.pitchAndFamily);
        const QString face = fromCp1252(f.face());
        r.utf16(face, 32);       // face name
        r.utf16(face, 64);       // full name
        r.utf16(QString(), 32);  // style
        r.utf16(QString(), 32);  // script
        r.u32(kDesignVectorSignature).u32(0);
        put(r);
    }
    return index;
}

void EmfDc::sync(bool withPen, bool withBrush, bool withFont) {
    auto one = [this](Kind kind, std::vector<std::uint8_t> key) {
        const std::uint32_t h = handleFor(kind, key);
        if (selected(kind) != h) {
            put(Record(kSelectObject).u32(h));
            selected(kind) = h;
        }
    };
    auto u32s = [](std::initializer_list<std::uint32_t> vs, std::uint8_t tag) {
        std::vector<std::uint8_t> k{tag};
        for (std::uint32_t v : vs)
            for (int i = 0; i < 4; ++i) k.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return k;
    };
    if (withPen)
        one(Kind::Pen,
            u32s({static_cast<std::uint32_t>(pen().style), static_cast<std::uint32_t>(pen().width), pen().color}, 0));
    if (withBrush)
        one(Kind::Brush,
            u32s({static_cast<std::uint32_t>(brush().style), brush().color, static_cast<std::uint32_t>(brush().hatch)},
                 1));
    if (withFont) {
        const auto b = font().toBytes();
        std::vector<std::uint8_t> k{2};
        k.insert(k.end(), b.begin(), b.end());
        one(Kind::Font, k);
    }
}

void EmfDc::doLine(Point from, Point to) {
    sync(true, false, false);
    put(Record(kLineTo).point(to));
    const Point pts[] = {from, to};
    includeDevicePoints(pts);
}

void EmfDc::writePoly(std::uint32_t type16, std::uint32_t type32, std::span<const Point> points) {
    Rect box{points.front().x, points.front().y, points.front().x, points.front().y};
    for (const Point& p : points)
        box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
    const bool small = fits16(points);
    Record r(small ? type16 : type32);
    r.rect(box).u32(static_cast<std::uint32_t>(points.size()));
    for (const Point& p : points) small ? r.i16(p.x).i16(p.y) : r.point(p);
    put(r);
    includeDevicePoints(points);
}

void EmfDc::doPolyline(std::span<const Point> points) {
    sync(true, false, false);
    writePoly(kPolyline16, kPolyline, points);
}

void EmfDc::doPolygon(std::span<const Point> points) {
    sync(true, true, false);
    writePoly(kPolygon16, kPolygon, points);
}

void EmfDc::doRectangle(const Rect& r) {
    sync(true, true, false);
    put(Record(kRectangle).rect(r));
    const Rect d = toDevice(r);
    include({d.left, d.top, d.right - 1, d.bottom - 1}, pen().style == PenStyle::Null ? 0 : devicePenWidth() / 2);
}

void EmfDc::doEllipse(const Rect& r) {
    sync(true, true, false);
    put(Record(kEllipse).rect(r));
    const Rect d = toDevice(r);
    include({d.left, d.top, d.right - 1, d.bottom - 1}, pen().style == PenStyle::Null ? 0 : devicePenWidth() / 2);
}

void EmfDc::doChord(const Rect& r, Point start, Point end) {
    sync(true, true, false);
    put(Record(kChord).rect(r).point(start).point(end));
    const std::vector<Point> outline = chordOutline(r, start, end);
    Rect box{outline.front().x, outline.front().y, outline.front().x, outline.front().y};
    for (const Point& p : outline)
        box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
    include(box, pen().style == PenStyle::Null ? 0 : devicePenWidth() / 2);
}

void EmfDc::doPattern(const Rect& r, PatternOp op) {
    const Rect n = r.normalized();
    if (n.width() == 0 || n.height() == 0) return;
    if (op == PatternOp::PatCopy || op == PatternOp::PatInvert) sync(false, true, false);
    const Rect d = toDevice(n);
    const Rect inclusive{d.left, d.top, d.right - 1, d.bottom - 1};
    Record rec(kBitBlt);
    rec.rect(inclusive).i32(n.left).i32(n.top).i32(n.width()).i32(n.height()).u32(static_cast<std::uint32_t>(op));
    rec.i32(0).i32(0);                              // source origin
    rec.f32(1).f32(0).f32(0).f32(1).f32(0).f32(0);  // source transformation: identity
    rec.u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);  // no source bitmap
    put(rec);
    include(inclusive, 0);
}

void EmfDc::doPixels(std::span<const Point> points, Colorref c) {
    // A pixel set twice in one colour is written once.
    std::vector<Point> unique(points.begin(), points.end());
    std::sort(unique.begin(), unique.end(),
              [](const Point& a, const Point& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    for (const Point& p : unique) put(Record(kSetPixelV).point(p).u32(c));
    if (!unique.empty()) {
        Point a = lpToDp(unique.front());
        Rect box{a.x, a.y, a.x, a.y};
        for (const Point& p : unique) {
            const Point d = lpToDp(p);
            box = {std::min(box.left, d.x), std::min(box.top, d.y), std::max(box.right, d.x),
                   std::max(box.bottom, d.y)};
        }
        include(box, 0);
    }
}

bool EmfDc::doFloodFill(Point p, Colorref c, FloodFillMode mode) {
    sync(false, true, false);
    put(Record(kExtFloodFill).point(p).u32(c).u32(static_cast<std::uint32_t>(mode)));
    return true;
}

void EmfDc::doText(const TextRun& run) {
    sync(false, false, true);
    const QString text = fromCp1252(run.text);
    const auto n = static_cast<std::uint32_t>(text.size());
    // Character advances in logical units, from the device positions so
    // that rounding does not add up along the text.
    const double sx = std::abs(scaleX());
    std::vector<std::int32_t> dx;
    dx.reserve(n);
    int device = 0, previous = 0;
    for (std::size_t i = 0; i < run.advances.size(); ++i) {
        device += run.advances[i];
        const int logical = static_cast<int>(std::lround(device / sx));
        dx.push_back(logical - previous);
        previous = logical;
    }
    Rect cell = run.deviceCell;
    if (run.hasRect && (run.options & text_out::kClipped) != 0)
        cell = {std::max(cell.left, run.deviceRect.left), std::max(cell.top, run.deviceRect.top),
                std::min(cell.right, run.deviceRect.right), std::min(cell.bottom, run.deviceRect.bottom)};
    const Rect inclusive{cell.left, cell.top, cell.right - 1, cell.bottom - 1};
    constexpr std::uint32_t kFixed = 76;  // offset of the text: the record's fixed part
    const std::uint32_t textBytes = (2 * n + 3) / 4 * 4;
    Record r(kExtTextOutW);
    r.rect(inclusive).u32(kGraphicsCompatible);
    r.f32(static_cast<float>(sx * 2540.0 / reference_.dpiX))
        .f32(static_cast<float>(std::abs(scaleY()) * 2540.0 / reference_.dpiY));
    r.point(run.reference).u32(n).u32(kFixed).u32(run.options & (text_out::kOpaque | text_out::kClipped));
    r.rect(run.hasRect ? run.rect : Rect{}).u32(kFixed + textBytes);
    r.utf16(text, 0);
    while (r.size() % 4 != 0) r.u8(0);
    for (std::int32_t v : dx) r.i32(v);
    put(r);
    if (run.hasRect && (run.options & text_out::kOpaque) != 0)
        include({run.deviceRect.left, run.deviceRect.top, run.deviceRect.right - 1, run.deviceRect.bottom - 1}, 0);
    if (inclusive.right >= inclusive.left && inclusive.bottom >= inclusive.top) include(inclusive, 0);
}

std::vector<std::uint8_t> EmfDc::bytes() const {
    const int mmX = static_cast<int>(std::lround(reference_.width / reference_.dpiX * 25.4));
    const int mmY = static_cast<int>(std::lround(reference_.height / reference_.dpiY * 25.4));
    const Rect b = bounds_.right < bounds_.left ? Rect{0, 0, 0, 0} : bounds_;
    auto frameX = [&](int v) { return static_cast<int>(std::lround(v * 100.0 * mmX / reference_.width)); };
    auto frameY = [&](int v) { return static_cast<int>(std::lround(v * 100.0 * mmY / reference_.height)); };
    Record eof(kEof);
    eof.u32(0).u32(16).u32(20);
    Record head(kHeader);
    head.rect(b).rect({frameX(b.left), frameY(b.top), frameX(b.right), frameY(b.bottom)});
    head.u32(kSignature).u32(kVersion);
    const auto headerSize = static_cast<std::uint32_t>(108);
    const std::uint32_t total = headerSize + static_cast<std::uint32_t>(records_.size()) + 20;
    head.u32(total).u32(recordCount_ + 2);
    head.u16(static_cast<std::uint16_t>(maxHandle_ + 1)).u16(0);
    head.u32(0).u32(0).u32(0);  // no description, no palette
    head.i32(reference_.width).i32(reference_.height).i32(mmX).i32(mmY);
    head.u32(0).u32(0).u32(0);  // no pixel format, no OpenGL
    head.i32(static_cast<std::int32_t>(std::lround(reference_.width / reference_.dpiX * 25400.0)));
    head.i32(static_cast<std::int32_t>(std::lround(reference_.height / reference_.dpiY * 25400.0)));
    std::vector<std::uint8_t> out = head.done();
    out.insert(out.end(), records_.begin(), records_.end());
    const auto& e = eof.done();
    out.insert(out.end(), e.begin(), e.end());
    return out;
}

WriteStatus EmfDc::save(const std::string& path) const { return write_file(path, bytes()); }

}  // namespace fw
