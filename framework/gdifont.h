// Fonts of the drawing contexts: a logical font realised at a size in
// device pixels, with the metrics that the plots lay their texts out by.
//
// The metrics come from the font's own tables, as the original platform
// reads them: ascent and descent from the Windows metrics of the OS/2 table,
// the average width from its xAvgCharWidth, the maximum character width from
// the width of the font's bounding box, and each character's advance as its
// design advance rounded to whole pixels. Texts are laid out with these
// integer advances on every device, so a text measured on the screen stands
// as wide on the printer and in a metafile.
#pragma once

#include <QRawFont>
#include <QString>
#include <memory>
#include <vector>

#include "gdi.h"

namespace fw {

// The family that stands for a face name of the original platform
// ("Courier New" -> "Liberation Mono", "Arial" -> "Liberation Sans",
// "Times New Roman" -> "Liberation Serif"); other names are kept.
QString font_family(std::string_view face);
// The face name that a family is stored under (the reverse of the above).
std::string face_for_family(const QString& family);

class DeviceFont {
public:
    // The font of lf at the scale of device pixels per logical unit (the
    // absolute vertical scale of the drawing context's mapping).
    DeviceFont(const LogFont& lf, double scale);

    // Character height in device pixels (the size the glyphs are drawn at).
    int em() const { return em_; }
    // Metrics in device pixels.
    const TextMetrics& metrics() const { return metrics_; }
    // The integer advance of each character of text (Windows-1252 bytes).
    std::vector<int> advances(std::string_view text) const;
    int textWidth(std::string_view text) const;
    const QRawFont& raw() const { return raw_; }
    const LogFont& logFont() const { return lf_; }

private:
    LogFont lf_;
    QRawFont raw_;
    int em_ = 1;
    int upem_ = 2048;
    TextMetrics metrics_;
    mutable std::vector<int> advanceCache_;  // by byte value, -1 while unknown
};

// A realised font for lf at scale, shared while the same font is asked for.
std::shared_ptr<const DeviceFont> device_font(const LogFont& lf, double scale);

}  // namespace fw
