// The drawing context of an enhanced metafile: every call becomes the
// metafile record that plays it back, in logical units, with the mapping,
// the saved states, the objects and the attributes as records of their own
// (framework/dc.h).
//
// The picture's bounds are those of what was drawn, in device units of the
// reference device (the window the plot is shown in), and its frame the
// same in hundredths of a millimetre; texts are measured on the reference
// device and carry their character advances. Objects are created when a
// drawing first needs them and reused while they are the same; a full
// table gives up the objects that no state holds.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "binfile.h"
#include "dc.h"

namespace fw {

class EmfDc : public Dc {
public:
    // reference: the device the metafile is made for (a window of the
    // screen, usually): its size in pixels and resolution.
    explicit EmfDc(DeviceInfo reference);
    ~EmfDc() override;

    DeviceInfo device() const override { return reference_; }

    // The metafile: header, the records so far, end of file.
    std::vector<std::uint8_t> bytes() const;
    // Writes the metafile to path (beside it first, then in its place);
    // false when it cannot be written.
    WriteStatus save(const std::string& path) const;
    // Bounds of the picture in device units, inclusive; empty (right <
    // left) while nothing was drawn.
    Rect bounds() const { return bounds_; }

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
    enum class Kind { Pen, Brush, Font };
    struct Selection {
        std::uint32_t pen = 0, brush = 0, font = 0;  // handle in the metafile, 0: the default
    };
    class Record;

    void put(const Record& r);
    void sync(bool pen, bool brush, bool font);
    std::uint32_t handleFor(Kind kind, const std::vector<std::uint8_t>& key);
    std::uint32_t& selected(Kind kind);
    void include(const Rect& deviceBox, int margin);
    void includeDevicePoints(std::span<const Point> logical);
    void writePoly(std::uint32_t type16, std::uint32_t type32, std::span<const Point> points);

    DeviceInfo reference_;
    std::vector<std::uint8_t> records_;
    std::uint32_t recordCount_ = 0;
    Rect bounds_{0, 0, -1, -1};
    // Handle table: the key of the object at each index (empty: free).
    std::vector<std::vector<std::uint8_t>> handles_{{}};
    std::map<std::vector<std::uint8_t>, std::uint32_t> byKey_;
    std::uint32_t maxHandle_ = 0;
    Selection sel_;
    std::vector<Selection> savedSel_;
};

}  // namespace fw
