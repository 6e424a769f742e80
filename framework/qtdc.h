// The drawing context on a QPainter: a window's memory picture, an image,
// the printer or the print preview (framework/dc.h).
//
// Everything is drawn in device pixels with antialiasing off, so that the
// pixel rules of the original platform hold; texts are drawn upright at the
// positions that the base class laid out. A flood fill needs a raster: it
// works on an image (a memory picture) and fails elsewhere.
#pragma once

#include <QImage>
#include <QTransform>
#include <memory>

#include "dc.h"

class QPainter;
class QPaintDevice;

namespace fw {

class QtDc : public Dc {
public:
    // Draws on device with a painter of its own (ended with the object).
    explicit QtDc(QPaintDevice* device);
    // Draws through a painter that is already active (a page of a print
    // job); the painter's transformation at this point is the device space.
    explicit QtDc(QPainter& painter);
    ~QtDc() override;

    DeviceInfo device() const override;
    QPainter& painter() { return *p_; }

    // Copies the w x h pixels of src at (xs, ys) to the logical rectangle
    // at (x, y) (a memory picture onto a window or another picture).
    void bitBlt(int x, int y, int w, int h, const QImage& src, int xs, int ys);

protected:
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
    void setUp();
    void applyPen();
    void applyBrush();
    // Strokes the device polyline with the selected pen (the background
    // colour under the gaps of a styled pen in opaque mode).
    void strokeDevice(const QPolygon& poly, bool closed);

    std::unique_ptr<QPainter> owned_;
    QPainter* p_;
    QImage* image_ = nullptr;  // the device when it is an image
    QTransform base_;
};

// A memory picture: an image of a given size with a drawing context on it,
// black when created. The picture can be drawn on while it is shown.
class MemoryDc {
public:
    MemoryDc(int width, int height);
    ~MemoryDc();
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    QtDc& dc() { return *dc_; }
    const QImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

private:
    QImage image_;
    std::unique_ptr<QtDc> dc_;
};

QColor to_qcolor(Colorref c);

}  // namespace fw
