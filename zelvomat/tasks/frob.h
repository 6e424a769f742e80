// Text of a derived value, written with as many decimals as the typed values
// it was derived from justify.
//
// A derived number (a latitude computed from two parallax constants, a height
// in metres, a parallax constant computed from a latitude) is shown with a
// precision that follows the typed inputs: the decimals d1 and d2 counted after
// the points of the two input texts decide the decimals n written (and, for
// whole numbers, the rounding unit).
//
//   mode 2        n = d1 + 2
//   mode <= 1     n = min(d1, d2) - 2, rounding digits q = min(d1, d2)
//   mode >= 3     n = min(d1, d2)
// n is kept within 0 .. 6, q at most 6. d2 counts only when text1 has a point.
//
// Mode 0 writes a whole number: |value| rounded to a unit (halves away from
// zero), then rounded half up to a multiple of 10^(6 - q), right-aligned in 8
// characters. Other modes write |value| with n decimals right-aligned in 9
// characters, with a leading zero before the point.
//
// The sign: with sign_flag 1 the sign character ('+', or '-' for a negative
// value) takes the place of the last leading blank; the text is then moved to
// the start of out, beginning at that character (the sign, or with any other
// sign_flag the last leading blank), and the rest of out is blank.
//
// A value too wide for its field, or a signed text that leaves no room for its
// sign, or a text longer than out, is written as asterisks over the whole of
// out (nothing is ever written past out's length).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zelvomat {

void Frob(std::int32_t mode, std::int32_t sign_flag, std::string_view text1, std::string_view text2, double value,
          std::span<char> out);

}  // namespace zelvomat
