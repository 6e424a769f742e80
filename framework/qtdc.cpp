#include "qtdc.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>
#include <cmath>

#include "cp1252.h"
#include "gdifont.h"

namespace fw {

QColor to_qcolor(Colorref c) { return QColor(red_of(c), green_of(c), blue_of(c)); }

namespace {
QPolygon to_polygon(std::span<const Point> pts) {
    QPolygon poly(static_cast<int>(pts.size()));
    for (std::size_t i = 0; i < pts.size(); ++i) poly.setPoint(static_cast<int>(i), pts[i].x, pts[i].y);
    return poly;
}

Qt::BrushStyle hatch_style(Hatch h) {
    switch (h) {
        case Hatch::Horizontal:
            return Qt::HorPattern;
        case Hatch::Vertical:
            return Qt::VerPattern;
        case Hatch::FDiagonal:
            return Qt::BDiagPattern;  // "\" in device space with y down
        case Hatch::BDiagonal:
            return Qt::FDiagPattern;
        case Hatch::Cross:
            return Qt::CrossPattern;
        case Hatch::DiagCross:
            return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

// Dash patterns of one-pixel styled pens, in pixels on and off.
QList<qreal> dashes(PenStyle s) {
    switch (s) {
        case PenStyle::Dash:
            return {18, 6};
        case PenStyle::Dot:
            return {3, 3};
        case PenStyle::DashDot:
            return {9, 6, 3, 6};
        case PenStyle::DashDotDot:
            return {9, 3, 3, 3, 3, 3};
        default:
            return {};
    }
}
}  // namespace

QtDc::QtDc(QPaintDevice* device) : owned_(std::make_unique<QPainter>(device)), p_(owned_.get()) { setUp(); }

QtDc::QtDc(QPainter& painter) : p_(&painter) { setUp(); }

QtDc::~QtDc() = default;

void QtDc::setUp() {
    QPaintDevice* d = p_->device();
    if (d != nullptr && d->devType() == QInternal::Image) image_ = static_cast<QImage*>(d);
    base_ = p_->transform();
    p_->setRenderHint(QPainter::Antialiasing, false);
    p_->setRenderHint(QPainter::TextAntialiasing, true);
}

DeviceInfo QtDc::device() const {
    const QPaintDevice* d = p_->device();
    if (d == nullptr) return {};
    return {d->width(), d->height(), static_cast<double>(d->logicalDpiX()), static_cast<double>(d->logicalDpiY())};
}

void QtDc::applyPen() {
    const Pen& pen = this->pen();
    if (pen.style == PenStyle::Null) {
        p_->setPen(Qt::NoPen);
        return;
    }
    const int w = devicePenWidth();
    QPen q(to_qcolor(pen.color));
    q.setWidth(w);
    if (w == 1) {
        q.setCosmetic(true);
        q.setCapStyle(Qt::FlatCap);
        q.setJoinStyle(Qt::MiterJoin);
        if (pen.style != PenStyle::Solid) q.setDashPattern(dashes(pen.style));
    } else {
        q.setCapStyle(Qt::RoundCap);
        q.setJoinStyle(Qt::RoundJoin);
    }
    p_->setPen(q);
}

void QtDc::applyBrush() {
    const Brush& b = brush();
    switch (b.style) {
        case BrushStyle::Null:
            p_->setBrush(Qt::NoBrush);
            break;
        case BrushStyle::Solid:
            p_->setBrush(to_qcolor(b.color));
            break;
        case BrushStyle::Hatched:
            p_->setBrush(QBrush(to_qcolor(b.color), hatch_style(b.hatch)));
            break;
    }
}

void QtDc::strokeDevice(const QPolygon& poly, bool closed) {
    if (pen().style == PenStyle::Null) return;
    p_->setTransform(base_);
    p_->setBrush(Qt::NoBrush);
    if (pen().style != PenStyle::Solid && devicePenWidth() == 1 && bkMode() == BkMode::Opaque) {
        QPen under(to_qcolor(bkColor()));
        under.setWidth(1);
        under.setCosmetic(true);
        under.setCapStyle(Qt::FlatCap);
        p_->setPen(under);
        closed ? p_->drawPolygon(poly) : p_->drawPolyline(poly);
    }
    applyPen();
    closed ? p_->drawPolygon(poly) : p_->drawPolyline(poly);
}

void QtDc::doLine(Point from, Point to) {
    const Point a = lpToDp(from), b = lpToDp(to);
    if (a == b) return;
    QPolygon line;
    line << QPoint(a.x, a.y) << QPoint(b.x, b.y);
    strokeDevice(line, false);
}

void QtDc::doPolyline(std::span<const Point> points) {
    QPolygon poly;
    for (const Point& p : points) {
        const Point d = lpToDp(p);
        poly << QPoint(d.x, d.y);
    }
    strokeDevice(poly, false);
}

void QtDc::doPolygon(std::span<const Point> points) {
    std::vector<Point> dev;
    dev.reserve(points.size());
    for (const Point& p : points) dev.push_back(lpToDp(p));
    const QPolygon poly = to_polygon(dev);
    p_->setTransform(base_);
    if (brush().style != BrushStyle::Null) {
        p_->setPen(Qt::NoPen);
        applyBrush();
        p_->drawPolygon(poly, polyFillMode() == PolyFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    }
    strokeDevice(poly, true);
}

void QtDc::doRectangle(const Rect& r) {
    const Rect d = toDevice(r);
    const int w = d.width(), h = d.height();
    if (w <= 0 || h <= 0) return;
    p_->setTransform(base_);
    if (brush().style != BrushStyle::Null && w > 1 && h > 1) {
        p_->setPen(Qt::NoPen);
        applyBrush();
        p_->drawRect(QRect(d.left, d.top, w - 1, h - 1));
    }
    if (pen().style != PenStyle::Null) {
        QPolygon outline;
        outline << QPoint(d.left, d.top) << QPoint(d.right - 1, d.top) << QPoint(d.right - 1, d.bottom - 1)
                << QPoint(d.left, d.bottom - 1);
        strokeDevice(outline, true);
    }
}

void QtDc::doEllipse(const Rect& r) {
    const Rect d = toDevice(r);
    const int w = d.width(), h = d.height();
    if (w <= 0 || h <= 0) return;
    p_->setTransform(base_);
    if (brush().style != BrushStyle::Null && w > 1 && h > 1) {
        // The pixels whose centres lie inside the ellipse of the box less
        // its last column and row; the outline, when there is one, covers
        // the rest.
        // Under an outline the fill reaches it (the ellipse of the whole
        // box), so that no gap stays.
        const double grow = pen().style == PenStyle::Null ? 0.0 : 0.5;
        const double rx = (w - 1) / 2.0 + grow, ry = (h - 1) / 2.0 + grow;
        const double cx = d.left + rx, cy = d.top + ry;
        QBrush fill = brush().style == BrushStyle::Solid ? QBrush(to_qcolor(brush().color))
                                                         : QBrush(to_qcolor(brush().color), hatch_style(brush().hatch));
        for (int y = d.top; y <= d.bottom - (grow > 0 ? 1 : 2); ++y) {
            const double v = (y + 0.5 - cy) / ry;
            if (std::abs(v) > 1) continue;
            const double half = rx * std::sqrt(1 - v * v);
            const int x0 = static_cast<int>(std::ceil(cx - half - 0.5));
            const int x1 = static_cast<int>(std::floor(cx + half - 0.5));
            if (x1 >= x0) p_->fillRect(QRect(x0, y, x1 - x0 + 1, 1), fill);
        }
    }
    if (pen().style != PenStyle::Null) {
        applyPen();
        p_->setBrush(Qt::NoBrush);
        p_->drawEllipse(QRect(d.left, d.top, w - 1, h - 1));
    }
}

void QtDc::doChord(const Rect& r, Point start, Point end) {
    const QPolygon poly = to_polygon(chordOutline(r, start, end));
    p_->setTransform(base_);
    if (brush().style != BrushStyle::Null) {
        p_->setPen(Qt::NoPen);
        applyBrush();
        p_->drawPolygon(poly);
    }
    strokeDevice(poly, true);
}

void QtDc::doPattern(const Rect& r, PatternOp op) {
    const Rect d = toDevice(r);
    if (d.width() <= 0 || d.height() <= 0) return;
    const QRect q(d.left, d.top, d.width(), d.height());
    p_->setTransform(base_);
    switch (op) {
        case PatternOp::Blackness:
            p_->fillRect(q, Qt::black);
            return;
        case PatternOp::Whiteness:
            p_->fillRect(q, Qt::white);
            return;
        case PatternOp::DstInvert:
            p_->setCompositionMode(QPainter::RasterOp_NotDestination);
            p_->fillRect(q, Qt::white);
            p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
            return;
        case PatternOp::PatInvert:
            if (brush().style == BrushStyle::Null) return;
            p_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p_->fillRect(q, to_qcolor(brush().color));
            p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
            return;
        case PatternOp::PatCopy:
            break;
    }
    const Brush& b = brush();
    if (b.style == BrushStyle::Null) return;
    if (b.style == BrushStyle::Hatched) {
        if (bkMode() == BkMode::Opaque) p_->fillRect(q, to_qcolor(bkColor()));
        p_->fillRect(q, QBrush(to_qcolor(b.color), hatch_style(b.hatch)));
        return;
    }
    p_->fillRect(q, to_qcolor(b.color));
}

void QtDc::doPixels(std::span<const Point> points, Colorref c) {
    const QRgb rgb = to_qcolor(c).rgb();
    const bool direct = image_ != nullptr && !p_->hasClipping() && base_.isIdentity() &&
                        (image_->format() == QImage::Format_RGB32 || image_->format() == QImage::Format_ARGB32 ||
                         image_->format() == QImage::Format_ARGB32_Premultiplied);
    if (direct) {
        // Straight into the picture: the mapping as two linear functions.
        const int w = image_->width(), h = image_->height();
        const qsizetype stride = image_->bytesPerLine() / 4;
        auto* bits = reinterpret_cast<QRgb*>(image_->bits());
        if (mapMode() == MapMode::Text) {
            const int ox = viewportOrg().x - windowOrg().x, oy = viewportOrg().y - windowOrg().y;
            for (const Point& p : points) {
                const int x = p.x + ox, y = p.y + oy;
                if (static_cast<unsigned>(x) < static_cast<unsigned>(w) &&
                    static_cast<unsigned>(y) < static_cast<unsigned>(h))
                    bits[y * stride + x] = rgb;
            }
        } else {
            for (const Point& p : points) {
                const Point d = lpToDp(p);
                if (static_cast<unsigned>(d.x) < static_cast<unsigned>(w) &&
                    static_cast<unsigned>(d.y) < static_cast<unsigned>(h))
                    bits[d.y * stride + d.x] = rgb;
            }
        }
        return;
    }
    QPolygon poly(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point d = lpToDp(points[i]);
        poly.setPoint(static_cast<int>(i), d.x, d.y);
    }
    QPen q(to_qcolor(c));
    q.setWidth(1);
    q.setCosmetic(true);
    p_->setTransform(base_);
    p_->setPen(q);
    p_->drawPoints(poly);
}

bool QtDc::doFloodFill(Point lp, Colorref c, FloodFillMode mode) {
    if (image_ == nullptr || !base_.isIdentity()) return false;
    const Point s = lpToDp(lp);
    const int w = image_->width(), h = image_->height();
    if (s.x < 0 || s.y < 0 || s.x >= w || s.y >= h) return false;
    const QRgb key = to_qcolor(c).rgb() & 0xFFFFFF;
    const QImage& img = *image_;
    auto pixel = [&](int x, int y) { return reinterpret_cast<const QRgb*>(img.constScanLine(y))[x] & 0xFFFFFF; };
    // A pixel belongs to the area: not the border colour, or the surface colour.
    auto inside = [&](int x, int y) { return mode == FloodFillMode::Border ? pixel(x, y) != key : pixel(x, y) == key; };
    if (!inside(s.x, s.y)) return false;
    std::vector<std::uint8_t> seen(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    std::vector<QRect> spans;
    std::vector<Point> stack{s};
    while (!stack.empty()) {
        const Point p = stack.back();
        stack.pop_back();
        if (seen[static_cast<std::size_t>(p.y) * w + p.x] || !inside(p.x, p.y)) continue;
        int x0 = p.x, x1 = p.x;
        while (x0 > 0 && !seen[static_cast<std::size_t>(p.y) * w + x0 - 1] && inside(x0 - 1, p.y)) --x0;
        while (x1 < w - 1 && !seen[static_cast<std::size_t>(p.y) * w + x1 + 1] && inside(x1 + 1, p.y)) ++x1;
        for (int x = x0; x <= x1; ++x) seen[static_cast<std::size_t>(p.y) * w + x] = 1;
        spans.emplace_back(x0, p.y, x1 - x0 + 1, 1);
        for (int ny : {p.y - 1, p.y + 1}) {
            if (ny < 0 || ny >= h) continue;
            bool run = false;
            for (int x = x0; x <= x1; ++x) {
                const bool in = !seen[static_cast<std::size_t>(ny) * w + x] && inside(x, ny);
                if (in && !run) stack.push_back({x, ny});
                run = in;
            }
        }
    }
    p_->setTransform(base_);
    QBrush fill = brush().style == BrushStyle::Solid     ? QBrush(to_qcolor(brush().color))
                  : brush().style == BrushStyle::Hatched ? QBrush(to_qcolor(brush().color), hatch_style(brush().hatch))
                                                         : QBrush();
    if (fill.style() == Qt::NoBrush) return true;
    for (const QRect& r : spans) p_->fillRect(r, fill);
    return true;
}

void QtDc::doText(const TextRun& run) {
    p_->setTransform(base_);
    const QRect clip(run.deviceRect.left, run.deviceRect.top, run.deviceRect.width(), run.deviceRect.height());
    const bool clipped = run.hasRect && (run.options & text_out::kClipped) != 0;
    if (run.hasRect && (run.options & text_out::kOpaque) != 0) p_->fillRect(clip, to_qcolor(bkColor()));
    p_->save();
    if (clipped) p_->setClipRect(clip, Qt::IntersectClip);
    if (run.opaqueCell && (run.options & text_out::kOpaque) == 0) {
        const Rect& c = run.deviceCell;
        p_->fillRect(QRect(c.left, c.top, c.width(), c.height()), to_qcolor(bkColor()));
    }
    const QString text = fromCp1252(run.text);
    const QList<quint32> glyphs = run.font->raw().glyphIndexesForString(text);
    if (!glyphs.isEmpty()) {
        QList<QPointF> pos;
        pos.reserve(glyphs.size());
        int x = run.deviceOrigin.x;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            pos.append(QPointF(x, run.deviceOrigin.y));
            if (static_cast<std::size_t>(i) < run.advances.size()) x += run.advances[static_cast<std::size_t>(i)];
        }
        QGlyphRun g;
        g.setRawFont(run.font->raw());
        g.setGlyphIndexes(glyphs);
        g.setPositions(pos);
        g.setUnderline(run.font->logFont().underline != 0);
        g.setStrikeOut(run.font->logFont().strikeOut != 0);
        p_->setPen(to_qcolor(textColor()));
        p_->drawGlyphRun(QPointF(0, 0), g);
    }
    p_->restore();
}

void QtDc::bitBlt(int x, int y, int w, int h, const QImage& src, int xs, int ys) {
    const Rect d = toDevice({x, y, x + w, y + h});
    p_->setTransform(base_);
    p_->drawImage(QRect(d.left, d.top, d.width(), d.height()), src, QRect(xs, ys, w, h));
}

MemoryDc::MemoryDc(int width, int height) : image_(std::max(1, width), std::max(1, height), QImage::Format_RGB32) {
    image_.fill(Qt::black);
    dc_ = std::make_unique<QtDc>(&image_);
}

MemoryDc::~MemoryDc() { dc_.reset(); }

}  // namespace fw
