// The values that the plots draw with: colours, points and rectangles,
// pens, brushes and fonts in the form that the program's settings files and
// metafiles store them, and the modes of a drawing context.
//
// Colours are 0x00BBGGRR. A font is the 60-byte ANSI logical-font record of
// the settings files: five 32-bit integers (height, width, escapement,
// orientation, weight), eight bytes (italic, underline, strike-out, character
// set, output precision, clipping precision, quality, pitch and family) and
// a 32-byte face name.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fw {

using Colorref = std::uint32_t;

constexpr Colorref rgb(int r, int g, int b) {
    return static_cast<Colorref>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int red_of(Colorref c) { return static_cast<int>(c & 0xFF); }
constexpr int green_of(Colorref c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blue_of(Colorref c) { return static_cast<int>((c >> 16) & 0xFF); }

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle as the drawing calls take it: left, top, right, bottom, not
// necessarily ordered (under a flipped y axis top is the larger value).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    // The same rectangle with left <= right and top <= bottom.
    Rect normalized() const;
    bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

enum class PenStyle : std::uint32_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };

struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 0;  // logical units; 0 is one device pixel whatever the mapping
    Colorref color = 0;
    friend bool operator==(const Pen&, const Pen&) = default;

    static Pen solid(int width, Colorref c) { return {PenStyle::Solid, width, c}; }
    static Pen null() { return {PenStyle::Null, 0, 0}; }
};

enum class BrushStyle : std::uint32_t { Solid = 0, Null = 1, Hatched = 2 };
enum class Hatch : std::uint32_t {
    Horizontal = 0,
    Vertical = 1,
    FDiagonal = 2,
    BDiagonal = 3,
    Cross = 4,
    DiagCross = 5
};

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    Colorref color = 0xFFFFFF;
    Hatch hatch = Hatch::Horizontal;
    friend bool operator==(const Brush&, const Brush&) = default;

    static Brush solid(Colorref c) { return {BrushStyle::Solid, c, Hatch::Horizontal}; }
    static Brush hatched(Hatch h, Colorref c) { return {BrushStyle::Hatched, c, h}; }
    static Brush null() { return {BrushStyle::Null, 0, Hatch::Horizontal}; }
};

struct LogFont {
    static constexpr std::size_t kBytes = 60;
    static constexpr std::size_t kFaceBytes = 32;

    std::int32_t height = 0;  // < 0: character height; > 0: cell height; 0: default size
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;  // 0 default, 400 normal, 700 bold
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, kFaceBytes> faceName{};
    friend bool operator==(const LogFont&, const LogFont&) = default;

    // All fields 0 except height, weight and the face.
    static LogFont make(int height, int weight, std::string_view face);
    // The face up to its first zero byte.
    std::string face() const;
    // Sets the face, cut to 31 bytes, zero-filled.
    void setFace(std::string_view face);

    // The record's 60 bytes, little-endian.
    std::array<std::uint8_t, kBytes> toBytes() const;
    // The font of 60 bytes (the caller checks the length).
    static LogFont fromBytes(std::span<const std::uint8_t, kBytes> bytes);
};

// Font weights and the fixed-pitch bit of pitchAndFamily.
inline constexpr int kFontNormal = 400;
inline constexpr int kFontBold = 700;
inline constexpr std::uint8_t kFixedPitch = 0x01;

enum class MapMode : std::uint32_t { Text = 1, Isotropic = 7, Anisotropic = 8 };
enum class BkMode : std::uint32_t { Transparent = 1, Opaque = 2 };
enum class PolyFillMode : std::uint32_t { Alternate = 1, Winding = 2 };
enum class FloodFillMode : std::uint32_t { Border = 0, Surface = 1 };

// Raster operations of a pattern fill.
enum class PatternOp : std::uint32_t {
    PatCopy = 0x00F00021,    // the brush
    PatInvert = 0x005A0049,  // brush XOR destination
    DstInvert = 0x00550009,  // NOT destination
    Blackness = 0x00000042,
    Whiteness = 0x00FF0062,
};

// Alignment of a text's reference point (combinations of one horizontal and
// one vertical value).
namespace text_align {
inline constexpr unsigned kLeft = 0, kRight = 2, kCenter = 6;
inline constexpr unsigned kTop = 0, kBottom = 8, kBaseline = 24;
inline constexpr unsigned kUpdateCp = 1;
}  // namespace text_align

// Options of a text drawn in a rectangle.
namespace draw_text {
inline constexpr unsigned kLeft = 0x0, kCenter = 0x1, kRight = 0x2;
inline constexpr unsigned kVCenter = 0x4, kBottom = 0x8;  // with kSingleLine
inline constexpr unsigned kSingleLine = 0x20;
inline constexpr unsigned kNoClip = 0x100;
inline constexpr unsigned kCalcRect = 0x400;
}  // namespace draw_text

// Options of a text drawn at a point.
namespace text_out {
inline constexpr unsigned kOpaque = 0x2;   // the rectangle is filled with the background colour
inline constexpr unsigned kClipped = 0x4;  // the text is clipped to the rectangle
}  // namespace text_out

// Text metrics in logical units.
struct TextMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = 0;
    friend bool operator==(const TextMetrics&, const TextMetrics&) = default;
};

}  // namespace fw
