#include "gdi.h"

#include <algorithm>
#include <cstring>

namespace fw {

Rect Rect::normalized() const {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

LogFont LogFont::make(int height, int weight, std::string_view face) {
    LogFont f;
    f.height = height;
    f.weight = weight;
    f.setFace(face);
    return f;
}

std::string LogFont::face() const {
    const auto end = std::find(faceName.begin(), faceName.end(), '\0');
    return std::string(faceName.begin(), end);
}

void LogFont::setFace(std::string_view face) {
    faceName.fill('\0');
    const std::size_t n = std::min(face.size(), kFaceBytes - 1);
    std::memcpy(faceName.data(), face.data(), n);
}

namespace {
void put_i32(std::uint8_t* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}
std::int32_t get_i32(const std::uint8_t* p) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}
}  // namespace

// Offsets of the record: 0 height, 4 width, 8 escapement, 12 orientation,
// 16 weight, 20..27 the eight byte fields, 28 the face name.
std::array<std::uint8_t, LogFont::kBytes> LogFont::toBytes() const {
    std::array<std::uint8_t, kBytes> b{};
    put_i32(&b[0], height);
    put_i32(&b[4], width);
    put_i32(&b[8], escapement);
    put_i32(&b[12], orientation);
    put_i32(&b[16], weight);
    b[20] = italic;
    b[21] = underline;
    b[22] = strikeOut;
    b[23] = charSet;
    b[24] = outPrecision;
    b[25] = clipPrecision;
    b[26] = quality;
    b[27] = pitchAndFamily;
    std::memcpy(&b[28], faceName.data(), kFaceBytes);
    return b;
}

LogFont LogFont::fromBytes(std::span<const std::uint8_t, kBytes> b) {
    LogFont f;
    f.height = get_i32(&b[0]);
    f.width = get_i32(&b[4]);
    f.escapement = get_i32(&b[8]);
    f.orientation = get_i32(&b[12]);
    f.weight = get_i32(&b[16]);
    f.italic = b[20];
    f.underline = b[21];
    f.strikeOut = b[22];
    f.charSet = b[23];
    f.outPrecision = b[24];
    f.clipPrecision = b[25];
    f.quality = b[26];
    f.pitchAndFamily = b[27];
    std::memcpy(f.faceName.data(), &b[28], kFaceBytes);
    return f;
}

}  // namespace fw
