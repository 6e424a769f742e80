// Little-endian field-by-field serialisation of binary records.
//
// Records are bytes: every field is read or written at its offset, in
// little-endian order, packed, with no struct padding involved. A layout is a
// set of named offset constants next to each other; these helpers do the
// byte work. Callers check the record length before they read.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace zelvomat::io {

using Bytes = std::span<const std::uint8_t>;
using MutBytes = std::span<std::uint8_t>;

template <class T>
inline T get_le(Bytes b, std::size_t off) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::uint8_t tmp[sizeof(T)];
    std::memcpy(tmp, b.data() + off, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) std::reverse(tmp, tmp + sizeof(T));
    T v;
    std::memcpy(&v, tmp, sizeof(T));
    return v;
}

template <class T>
inline void put_le(MutBytes b, std::size_t off, T v) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::uint8_t tmp[sizeof(T)];
    std::memcpy(tmp, &v, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) std::reverse(tmp, tmp + sizeof(T));
    std::memcpy(b.data() + off, tmp, sizeof(T));
}

inline std::int16_t get_i16(Bytes b, std::size_t off) { return get_le<std::int16_t>(b, off); }
inline std::int32_t get_i32(Bytes b, std::size_t off) { return get_le<std::int32_t>(b, off); }
inline double get_f64(Bytes b, std::size_t off) { return get_le<double>(b, off); }
inline void put_i16(MutBytes b, std::size_t off, std::int16_t v) { put_le(b, off, v); }
inline void put_i32(MutBytes b, std::size_t off, std::int32_t v) { put_le(b, off, v); }
inline void put_f64(MutBytes b, std::size_t off, double v) { put_le(b, off, v); }

// A fixed text field: the bytes as they stand (blank padding kept).
inline std::string get_text(Bytes b, std::size_t off, std::size_t width) {
    return std::string(reinterpret_cast<const char*>(b.data() + off), width);
}

// Writes text into a field of the given width, blank-padded (never cut past
// the width: callers refuse texts that do not fit before they get here).
inline void put_text(MutBytes b, std::size_t off, std::size_t width, std::string_view text) {
    const std::size_t n = std::min(width, text.size());
    std::memcpy(b.data() + off, text.data(), n);
    std::memset(b.data() + off + n, ' ', width - n);
}

}  // namespace zelvomat::io
